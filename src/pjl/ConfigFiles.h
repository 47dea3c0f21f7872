// Which comtav.ini files a program reads: the user's own, which outlives upgrades, over the
// model profile installed beside the program.
#pragma once
#include <string>
#include <vector>

#include "pjl/AppContext.h"

namespace tav {

// Where a model choice is remembered in the user's file (a section the profiles never have).
inline constexpr const char* kProfileSection = "Profile";
inline constexpr const char* kProfileModelKey = "Model";

// The user's comtav.ini: $WINTAV32_HOME/comtav.ini when that is set (a portable or test home
// keeps everything in one folder), else $XDG_CONFIG_HOME (or ~/.config)/wintav32/comtav.ini.
std::string UserConfigFile();

// The shipped profiles: every programFolder/models/NAME/comtav.ini, by name.
std::vector<std::string> ShippedModels(const std::string& programFolder);
// programFolder/models/NAME/comtav.ini, or "" when NAME is not one of them (or not a plain name).
std::string ModelProfilePath(const std::string& programFolder, const std::string& name);

// A data file of the model in use (a typeface list, a firmware image): the one in the folder its
// profile really lies in (models/NAME/, or the folder a linked default profile leads to), else the
// program folder's. In the build, the install tree and the package alike.
std::string ModelDataFile(const AppConfig& cfg, const std::string& name);

// Fills cfg.configFilePath and cfg.userConfigFilePath from cfg.programFolder and cfg.model. The
// profile is the named model's; with no name, the model the user's file remembers; else the
// program folder's comtav.ini. A userConfigFilePath set beforehand is kept. Returns "" or, when
// a remembered model is no longer shipped, a line for the debug output.
std::string ResolveConfigFiles(AppConfig& cfg);

} // namespace tav
