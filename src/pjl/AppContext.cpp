#include "pjl/AppContext.h"

#include "platform/Ini.h"
#include <qvdevm/qvdevm.h>
#include "platform/Platform.h"

namespace tav {

AppContext::AppContext(UiHost& host) : ui(host) { WireLink(); }

const std::string& AppContext::ConfigFileFor(std::string_view section, std::string_view key) const {
    if (cfg.userConfigFilePath.empty() || cfg.userConfigFilePath == cfg.configFilePath) return cfg.configFilePath;
    std::string value;
    return IniDocument::Load(cfg.userConfigFilePath).Find(section, key, value) ? cfg.userConfigFilePath
                                                                              : cfg.configFilePath;
}

std::string AppContext::Config(std::string_view section, std::string_view key, std::string_view def,
                               size_t maxChars) const {
    return ReadIniString(ConfigFileFor(section, key), section, key, def, maxChars);
}

int AppContext::ConfigInt(std::string_view section, std::string_view key, int def) const {
    return GetPrivateProfileInt(section, key, def, ConfigFileFor(section, key));
}

bool AppContext::ConfigFlag(std::string_view section, std::string_view key) const {
    return ReadIniFlag(ConfigFileFor(section, key), section, key);
}

std::string AppContext::GetLangText(std::string_view section, std::string_view key, size_t maxChars) const {
    return ReadIniString(cfg.langFilePath, section, key, "", maxChars);
}

std::string AppContext::GetAppTitleKey() const {
    const std::string app = Config("Common", "APPNAME", "2", 6);
    if (StrEqual(app, "0")) return "IDL_APPNAME";
    if (StrEqual(app, "1")) return "IDL_APPNAME_C";
    return "IDL_APPNAME_P";
}

std::string AppContext::ProductTitle() const { return GetLangText("ABOUT", GetAppTitleKey()); }

bool AppContext::IsKalor() const { return StrEqual(Config("Common", "STRING", "ORB", 6), "KALOR"); }

MsgResult AppContext::Message(const std::string& text, MsgIcon icon, MsgButtons buttons) {
    return ui.MessageBox(text, ProductTitle(), icon, buttons);
}

void AppContext::ShowPrinterError() { Message(GetLangText("STRING", "IDS_ERRORSTRING", 63), MsgIcon::Error); }

void AppContext::Debug(const std::string& text) const { DebugOut(text); }

std::string AppContext::DeviceName() const {
    if (!cfg.deviceOverride.empty()) return cfg.deviceOverride;
    // One character past the limit is read, so a name that is too long is seen as such and
    // refused at start-up instead of being cut into another host or port.
    return Config("Common", "DeviceID", "s", QVDEVM_DEVICE_NAME_MAX + 1);
}

void AppContext::WireLink() {
    Link::Callbacks cb;
    cb.deviceName = [this] { return DeviceName(); };
    cb.showPortBusy = [this] {
        ui.MessageBox(GetLangText("COMMON", "IDS_STRING107", 255), ProductTitle(), MsgIcon::None, MsgButtons::Ok);
    };
    cb.debug = [this](const std::string& text) { Debug(text); };
    link.SetCallbacks(std::move(cb));
}

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

}  // namespace tav
