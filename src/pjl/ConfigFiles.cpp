#include "pjl/ConfigFiles.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>

#include "platform/Ini.h"

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

} // namespace

std::string UserConfigFile() {
    if (const char* home = std::getenv("WINTAV32_HOME"); home && *home) {
        std::string folder(home);
        if (folder.back() != '/') folder += '/';
        return folder + "comtav.ini";
    }
    // Only absolute folders count, as the XDG rules say.
    std::string base;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x == '/') {
        base = x;
    } else if (const char* h = std::getenv("HOME"); h && *h == '/') {
        base = h;
        if (base.back() != '/') base += '/';
        base += ".config";
    } else {
        return {}; // nowhere that is the user's own
    }
    if (base.back() != '/') base += '/';
    return base + "wintav32/comtav.ini";
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

std::string ModelDataFile(const AppConfig& cfg, const std::string& name) {
    if (!cfg.configFilePath.empty()) {
        if (char* real = realpath(cfg.configFilePath.c_str(), nullptr)) {
            std::string folder(real);
            std::free(real);
            folder.erase(folder.rfind('/') + 1);
            if (IsFile(folder + name)) return folder + name;
        }
    }
    return cfg.programFolder + name;
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

} // namespace tav
