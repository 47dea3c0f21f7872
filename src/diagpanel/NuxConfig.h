// The panel's own sections of the model file: which device to open and whether to debug.
#pragma once
#include <cstdint>
#include <string>

namespace nux {

inline constexpr const char* kConfigFileName = "comtav.ini";

struct NuxConfig {
    std::uint16_t vid = 0; // only traced
    std::uint16_t pid = 0; // only traced
    std::string deviceId;  // passed to every open; longer than QVDEVM_DEVICE_NAME_MAX is refused
    int debug = 0;
    std::string langFile;  // the user's language file, for the reason a device cannot be opened
};

// Reads DEVICE/VID, PID, DID and DEBUG/DEBUG from comtav.ini in `programFolder` (with its
// trailing '/'), and finds the language file the registry names for the product as the main
// program does (Common/APPNAME and OEMID). A missing file or key gives the defaults: zero ids, no
// device name, no debug, the English file.
NuxConfig ReadNuxConfig(const std::string& programFolder);

// "[NUX] vid : %x, pid : %x, Did : %s"
std::string FormatConfigTrace(const NuxConfig& config);

} // namespace nux
