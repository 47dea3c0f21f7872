#include "app/ConfigFiles.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>

#include "platform/Ini.h"
#include "platform/IniWrite.h"

namespace tav {
namespace {

bool IsFile(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsPlainName(const std::string& name) {
    if (name.empty() || name.size() > 64 || name[0] == '.') return false;
    return std::all_of(name.begin(), name.end(),
                       [](unsigned char c) { return std::isalnum(c) || c == '-' || c == '_' || c == '.'; });
}

// The DeviceID buffer holds 31 characters.
constexpr size_t kDeviceIdChars = 31;

} // namespace

std::string UserConfigFile() {
    if (const char* home = std::getenv("WINTAV32_HOME"); home && *home) {
        std::string folder(home);
        if (folder.back() != '/') folder += '/';
        return folder + "comtav.ini";
    }
    std::string base;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x == '/')
        base = x;
    else if (const char* h = std::getenv("HOME"); h && *h)
        base = std::string(h) + "/.config";
    else
        return {}; // nowhere that is the user's own
    return base + "/wintav32/comtav.ini";
}

std::vector<std::string> ShippedModels(const std::string& programFolder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir((programFolder + "models").c_str())) {
        while (dirent* e = readdir(dir)) {
            const std::string name = e->d_name;
            if (IsPlainName(name) && IsFile(programFolder + "models/" + name + "/comtav.ini"))
                names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ModelProfilePath(const std::string& programFolder, const std::string& name) {
    if (!IsPlainName(name)) return {};
    const std::string path = programFolder + "models/" + name + "/comtav.ini";
    return IsFile(path) ? path : std::string();
}

std::string ResolveConfigFiles(AppConfig& cfg) {
    if (cfg.userConfigFilePath.empty()) cfg.userConfigFilePath = UserConfigFile();
    std::string note;
    std::string model = cfg.model;
    if (model.empty() && !cfg.userConfigFilePath.empty()) {
        model = ReadIniString(cfg.userConfigFilePath, kProfileSection, kProfileModelKey, "", 64);
        if (!model.empty() && ModelProfilePath(cfg.programFolder, model).empty()) {
            note = "[TAV] the model " + model + " named in " + cfg.userConfigFilePath +
                   " is not installed; using the default profile\n";
            model.clear();
        }
    }
    const std::string profile = model.empty() ? std::string() : ModelProfilePath(cfg.programFolder, model);
    cfg.configFilePath = profile.empty() ? cfg.programFolder + "comtav.ini" : profile;
    return note;
}

bool NeedsPrinterChoice(const AppContext& ctx) {
    if (!ctx.cfg.deviceOverride.empty()) return false;
    if (ctx.ConfigFlag("Common", "Debug") || ctx.ConfigFlag("COMMON", "AUTOFWUP")) return false;
    if (ctx.cfg.userConfigFilePath.empty()) return false; // nowhere to keep a choice: the profile decides
    std::string value;
    return !IniDocument::Load(ctx.cfg.userConfigFilePath).Find("Common", "DeviceID", value) || value.empty();
}

bool SavePrinterChoice(AppContext& ctx, const std::string& deviceName, std::string* error) {
    const std::string& path = ctx.cfg.userConfigFilePath;
    if (path.empty()) {
        if (error) *error = "no folder for the user's settings (HOME is not set)";
        return false;
    }
    if (!WriteIniString(path, "Common", "DeviceID", deviceName, error)) return false;
    if (!ctx.cfg.model.empty() && path != ctx.cfg.configFilePath)
        return WriteIniString(path, kProfileSection, kProfileModelKey, ctx.cfg.model, error);
    return true;
}

DeviceNameProblem CheckNetworkAddress(const std::string& typed, std::string* normalised) {
    size_t b = 0, e = typed.size();
    while (b < e && (typed[b] == ' ' || typed[b] == '\t'))
        ++b;
    while (e > b && (typed[e - 1] == ' ' || typed[e - 1] == '\t'))
        --e;
    std::string t = typed.substr(b, e - b);
    if (t.empty()) return DeviceNameProblem::Empty;
    std::string scheme = "tcp://";
    for (const char* s : {"tcp://", "socket://"})
        if (t.rfind(s, 0) == 0) {
            scheme = s;
            t = t.substr(scheme.size());
        }
    if (!t.empty() && t.back() == '/') t.pop_back();
    // A bare IPv6 address gets its brackets, so its colons are not read as a port.
    if (std::count(t.begin(), t.end(), ':') > 1 && t.front() != '[') t = "[" + t + "]";
    std::string host = t, port;
    const size_t close = t.find(']');
    const size_t colon = t.find(':', close == std::string::npos ? 0 : close);
    if (t.front() == '[') {
        if (close == std::string::npos) return DeviceNameProblem::Invalid;
        host = t.substr(1, close - 1);
        if (close + 1 < t.size()) {
            if (t[close + 1] != ':') return DeviceNameProblem::Invalid;
            port = t.substr(close + 2);
            if (port.empty()) return DeviceNameProblem::Invalid;
        }
    } else if (colon != std::string::npos) {
        host = t.substr(0, colon);
        port = t.substr(colon + 1);
        if (port.empty()) return DeviceNameProblem::Invalid;
    }
    if (host.empty()) return DeviceNameProblem::Invalid;
    for (unsigned char c : host)
        if (c <= ' ' || c >= 0x7F || c == '/' || c == '@' || c == '?' || c == '#' || c == '[' || c == ']')
            return DeviceNameProblem::Invalid;
    if (!port.empty()) {
        if (port.size() > 5 ||
            !std::all_of(port.begin(), port.end(), [](unsigned char c) { return std::isdigit(c); }))
            return DeviceNameProblem::Invalid;
        const long n = std::strtol(port.c_str(), nullptr, 10);
        if (n < 1 || n > 65535) return DeviceNameProblem::Invalid;
    }
    const std::string name = scheme + t;
    if (name.size() > kDeviceIdChars) return DeviceNameProblem::TooLong;
    if (normalised) *normalised = name;
    return DeviceNameProblem::None;
}

} // namespace tav
