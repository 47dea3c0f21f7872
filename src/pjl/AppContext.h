// The one object start-up builds and every page and command is handed: configuration values
// and paths, language text, the link, the two shared buffers, the settings store, CheckInfo and
// the UiHost.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>
#include <string_view>

#include "link/Link.h"
#include "pjl/CheckInfoSlots.h"
#include "pjl/PrinterSettings.h"
#include "platform/UiHost.h"

namespace tav {

inline constexpr size_t kJobBufferSize = 4100;
// How often a program that waits for a busy port tries it again.
inline constexpr unsigned kPortRetryMs = 250;
inline constexpr size_t kReplyBufferSize = 4096;
using JobBuffer = std::array<char, kJobBufferSize>;
using ReplyBuffer = std::array<uint8_t, kReplyBufferSize>;

// The maker's port monitor is told to pause before a job and resume after it. Linux has no such
// program; the default does nothing, and tests install one that counts.
class PortMonitor {
public:
    virtual ~PortMonitor() = default;
    virtual void Notify(bool resume) = 0;
};

class NullPortMonitor : public PortMonitor {
public:
    void Notify(bool) override {}
};

struct AppConfig {
    std::string programFolder;   // with a trailing '/'
    std::string configFilePath;  // ConfigFilePath: the model profile
    // The user's own comtav.ini: a key it holds wins over the profile's. Empty: none.
    std::string userConfigFilePath;
    std::string model;           // a shipped profile's name (--model), "" for the default
    std::string langFilePath;    // LangFilePath
    std::string helpFilePath;    // HelpFilePath
    std::string langCode = "EN";
    int debugMsg = 0;            // Common/DebugMsg
    int usb = 0;                 // Common/USB
    uint16_t readDelay = 0;      // Common/TIMER, ReadDelay
    bool koreanLanguage = false; // KoreanLanguage
    bool twoLibraryMode = false; // Common/QVUSB
    std::string oemId;           // Common/OEMID
    std::string deviceOverride;  // when set, used instead of Common/DeviceID (tavctl --device)
    unsigned portWaitMs = 0;     // how long an acquire waits for a busy port (tavctl --wait)
};

class AppContext {
public:
    explicit AppContext(UiHost& ui);
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    // Reads configuration values afresh from the configuration file.
    std::string Config(std::string_view section, std::string_view key, std::string_view def = {},
                       size_t maxChars = 255) const;
    int ConfigInt(std::string_view section, std::string_view key, int def) const;
    // StrEqual(value, "1") with a 5-character buffer and the default "0".
    bool ConfigFlag(std::string_view section, std::string_view key) const;
    // The file a configuration value comes from: the user's when it holds the key, else the profile.
    const std::string& ConfigFileFor(std::string_view section, std::string_view key) const;

    // GetLangText: one value of the language file, at most 255 characters; "" when missing.
    std::string GetLangText(std::string_view section, std::string_view key, size_t maxChars = 255) const;
    // GetAppTitleKey and the product title that captions every message box.
    std::string GetAppTitleKey() const;
    std::string ProductTitle() const;
    // True when Common/STRING is exactly "KALOR".
    bool IsKalor() const;

    // Message helpers: captioned with the product title.
    MsgResult Message(const std::string& text, MsgIcon icon = MsgIcon::None, MsgButtons buttons = MsgButtons::Ok);
    void ShowPrinterError();
    // The language text [STRING] key that says an exchange failed, followed by the device
    // library's reason when the device could not be opened; a device name that names no device
    // is said alone, as nothing was tried. deviceName: the device tried, when not the configured one.
    std::string PrinterFailureText(std::string_view key, size_t maxChars = 255, const std::string& deviceName = {}) const;

    // Debug output, gated by DebugMsg when asked.
    void Debug(const std::string& text) const;
    void DebugIfEnabled(const std::string& text) const {
        if (cfg.debugMsg) Debug(text);
    }
    // The device name for data transfers: the override, else Common/DeviceID (default "s"); up to
    // QVDEVM_DEVICE_NAME_MAX characters, one more when it is too long.
    std::string DeviceName() const;

    // Binds the link's callbacks to this context.
    void WireLink();

    UiHost& ui;
    AppConfig cfg;
    Link link;
    JobBuffer jobBuffer{};
    ReplyBuffer replyBuffer{};
    SettingsStore store;
    CheckInfo checkInfo;  // filled by ParseCheckInfo(ctx), read by the Check page
    NullPortMonitor nullMonitor;
    PortMonitor* portMonitor = &nullMonitor;
};

}  // namespace tav
