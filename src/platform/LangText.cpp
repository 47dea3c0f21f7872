#include "platform/LangText.h"

#include <cstdlib>

#include "platform/Ini.h"
#include "platform/Platform.h"

namespace tav {

// A value that itself holds "%2" is not expanded again.
std::string FillLangText(const std::string& text, const std::vector<std::string>& values) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const size_t n = static_cast<size_t>(text[i + 1] - '1');
            if (n < values.size()) {
                out += values[n];
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string RegistryLanguageCode(bool machine, const std::string& oemId) {
    std::string keyPath = "Software\\QVPrint";
    if (!oemId.empty()) keyPath += "\\" + oemId;
    std::string code;
    if (!RegistryReadString(machine ? RegistryRoot::LocalMachine : RegistryRoot::CurrentUser, keyPath,
                            machine ? "ZkCntCode" : "TavCntCode", code, 260))
        return "";
    return code;
}

std::string LocaleLanguageCode() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = std::getenv(name); value && *value)
            return (value[0] == 'k' || value[0] == 'K') && (value[1] == 'o' || value[1] == 'O') ? "KR" : "EN";
    return "";
}

std::string LanguageFilePath(const std::string& programFolder, const std::string& code) {
    const std::string langInfo = programFolder + "langinfo.ini";
    std::string section = ReadIniString(langInfo, "Config", code, "", 31);
    if (section.empty()) section = ReadIniString(langInfo, "Config", "EN", "", 31);
    const std::string file = ReadIniString(langInfo, section, "STR_FILE", "", 31);
    return file.empty() ? "" : programFolder + file;
}

DeviceFailure LastDeviceFailure(DeviceLastErrorFn lastError) {
    DeviceFailure f;
    if (!lastError) return f;
    char text[256] = "";
    f.code = lastError(text, sizeof text);
    text[sizeof text - 1] = '\0'; // a library that fills the buffer to its end is not read past it
    f.detail = text;
    if (f.code < QVDEVM_ERROR_NONE || f.code > QVDEVM_ERROR_OTHER) f.code = QVDEVM_ERROR_OTHER;
    return f;
}

std::string DeviceFailureText(const std::string& langFile, const DeviceFailure& failure,
                              const std::string& deviceName) {
    static const char* const kKeys[] = {"",
                                        "IDS_DEV_BADNAME",
                                        "IDS_DEV_NOTFOUND",
                                        "IDS_DEV_PERMISSION",
                                        "IDS_DEV_BUSY",
                                        "IDS_DEV_REFUSED",
                                        "IDS_DEV_NOANSWER",
                                        "IDS_DEV_OTHER"};
    if (!failure.Known()) return "";
    const int code =
        failure.code > 0 && failure.code <= QVDEVM_ERROR_OTHER ? failure.code : QVDEVM_ERROR_OTHER;
    std::string text = ReadIniString(langFile, "STRING", kKeys[code], "", 511);
    // A language file without the text still says what the library said.
    if (text.empty()) text = "%1: %2";
    return FillLangText(text, {deviceName, failure.detail});
}

} // namespace tav
