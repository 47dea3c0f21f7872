#include "cli/Options.h"

#include "cli/Output.h"
#include "pjl/ConfigFiles.h"
#include "pjl/Startup.h"
#include "platform/Platform.h"

namespace tav::cli {

std::optional<ProgramOptions> ParseProgramOptions(const std::vector<std::string>& args, int* status) {
    ProgramOptions opt;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help") {
            opt.help = true;
        } else if (a == "--yes") {
            opt.yes = true;
        } else if (a == "--debug") {
            opt.debug = true;
        } else if (a == "--show-job") {
            opt.showJob = true;
        } else if (a == "--home" || a == "--device" || a == "--model") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                Err(a + " needs a value");
                *status = kExitUsage;
                return std::nullopt;
            }
            (a == "--home" ? opt.home : a == "--device" ? opt.device : opt.model) = args[++i];
            if (a == "--device")
                if (const std::string problem = DeviceNameProblem(opt.device); !problem.empty()) {
                    Err(problem);
                    *status = kExitUsage;
                    return std::nullopt;
                }
        } else {
            opt.words.push_back(a);
        }
    }
    return opt;
}

std::optional<int> HandleModelOption(const ProgramOptions& opt) {
    if (opt.model.empty()) return std::nullopt;
    std::string home = opt.home.empty() ? ProgramFolder() : opt.home;
    if (home.back() != '/') home += '/';
    if (opt.model != "list" && !ModelProfilePath(home, opt.model).empty()) return std::nullopt;
    const std::vector<std::string> models = ShippedModels(home);
    if (opt.model == "list") {
        for (const std::string& m : models) Out(m);
        return kExitOk;
    }
    std::string names;
    for (const std::string& m : models) names += (names.empty() ? "" : ", ") + m;
    Err("no model \"" + Visible(opt.model, true) + "\" in " + home + "models (" +
        (names.empty() ? "none is installed" : "installed: " + names) + ")");
    return kExitUsage;
}

}  // namespace tav::cli
