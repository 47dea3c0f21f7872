#include "diagpanel/NuxConfig.h"

#include "diagpanel/NuxProtocol.h"
#include "platform/Ini.h"
#include "platform/LangText.h"
#include <qvdevm/qvdevm.h>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace nux {
namespace {

// The model file may arrive read-only from an installer copy; make it ordinary again so a
// later edit by the user works. Only our own file, and a failure changes nothing we read.
void ClearReadOnly(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != getuid()) return;
    if ((st.st_mode & S_IWUSR) == 0) chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR);
}

} // namespace

NuxConfig ReadNuxConfig(const std::string& programFolder) {
    const std::string path = programFolder + kConfigFileName;
    ClearReadOnly(path);
    // Each value has a 32-character buffer: 31 characters and the terminator.
    constexpr std::size_t kMax = 31;
    NuxConfig config;
    config.vid =
        static_cast<std::uint16_t>(ParsePrefixedHex(tav::ReadIniString(path, "DEVICE", "VID", "", kMax)));
    config.pid =
        static_cast<std::uint16_t>(ParsePrefixedHex(tav::ReadIniString(path, "DEVICE", "PID", "", kMax)));
    // The device name may be as long as the library takes; one more character tells a name
    // that is too long from one that just fits.
    config.deviceId = tav::ReadIniString(path, "DEVICE", "DID", "", QVDEVM_DEVICE_NAME_MAX + 1);
    config.debug = tav::GetPrivateProfileInt("DEBUG", "DEBUG", 0, path);
    const bool machine = tav::StrEqual(tav::ReadIniString(path, "Common", "APPNAME", "2", 6), "2");
    const std::string code = tav::RegistryLanguageCode(machine, tav::ReadIniString(path, "Common", "OEMID", "", kMax));
    config.langFile = tav::LanguageFilePath(programFolder, code.empty() ? "EN" : code);
    return config;
}

std::string FormatConfigTrace(const NuxConfig& config) {
    char numbers[48];
    std::snprintf(numbers, sizeof numbers,
                  "[NUX] vid : %x, pid : %x, Did : ", static_cast<unsigned>(config.vid),
                  static_cast<unsigned>(config.pid));
    return numbers + config.deviceId;
}

} // namespace nux
