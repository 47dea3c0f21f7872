#include "cli/Options.h"

#include <charconv>

#include "cli/Output.h"
#include "pjl/ConfigFiles.h"
#include "pjl/Startup.h"
#include "platform/Platform.h"

namespace tav::cli {
namespace {

// How long --wait may ask for: an hour is already far past any printer's job.
constexpr unsigned kMostWaitSeconds = 3600;

// A value taken for an option that has one; false (said on standard error) when it is refused.
bool TakeValue(const std::string& name, const std::string& value, ProgramOptions& opt) {
    if (value.empty()) {
        Err(name + " needs a value");
        return false;
    }
    if (name == "--wait") {
        unsigned seconds = 0;
        const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), seconds);
        if (ec != std::errc() || end != value.data() + value.size() || seconds > kMostWaitSeconds) {
            Err("--wait takes 0 to " + std::to_string(kMostWaitSeconds) + " seconds, not \"" +
                Visible(value, true) + "\"");
            return false;
        }
        opt.waitSeconds = seconds;
        return true;
    }
    (name == "--home" ? opt.home : name == "--device" ? opt.device : opt.model) = value;
    if (name == "--device")
        if (const std::string problem = DeviceNameProblem(opt.device); !problem.empty()) {
            Err(problem);
            return false;
        }
    return true;
}

bool TakesValue(const std::string& name) {
    return name == "--home" || name == "--device" || name == "--model" || name == "--wait";
}

} // namespace

std::optional<ProgramOptions> ParseProgramOptions(const std::vector<std::string>& args, int* status) {
    ProgramOptions opt;
    *status = kExitUsage;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const size_t eq = a.rfind("--", 0) == 0 ? a.find('=') : std::string::npos;
        const std::string name = eq == std::string::npos ? a : a.substr(0, eq);
        if (a == "--") {
            // What follows is the command's own, whatever it looks like.
            opt.operandsFrom = opt.words.size();
            opt.words.insert(opt.words.end(), args.begin() + static_cast<long>(i) + 1, args.end());
            return opt;
        } else if (a == "--help" || a == "-h") {
            opt.help = true;
        } else if (a == "--version") {
            opt.version = true;
        } else if (a == "--yes") {
            opt.yes = true;
        } else if (a == "--debug") {
            opt.debug = true;
        } else if (a == "--show-job") {
            opt.showJob = true;
        } else if (TakesValue(name)) {
            if (eq == std::string::npos && i + 1 >= args.size()) {
                Err(a + " needs a value");
                return std::nullopt;
            }
            if (!TakeValue(name, eq == std::string::npos ? args[++i] : a.substr(eq + 1), opt))
                return std::nullopt;
        } else {
            opt.words.push_back(a);
        }
    }
    opt.operandsFrom = opt.words.size();
    return opt;
}

std::optional<int> HandleModelOption(const ProgramOptions& opt) {
    if (opt.model.empty()) return std::nullopt;
    std::string home = opt.home.empty() ? ProgramFolder() : opt.home;
    if (home.back() != '/') home += '/';
    if (opt.model != "list" && !ModelProfilePath(home, opt.model).empty()) return std::nullopt;
    const std::vector<std::string> models = ShippedModels(home);
    if (opt.model == "list") {
        for (const std::string& m : models)
            Out(m);
        return kExitOk;
    }
    std::string names;
    for (const std::string& m : models)
        names += (names.empty() ? "" : ", ") + m;
    Err("no model \"" + Visible(opt.model, true) + "\" in " + home + "models (" +
        (names.empty() ? "none is installed" : "installed: " + names) + ")");
    return kExitUsage;
}

} // namespace tav::cli
