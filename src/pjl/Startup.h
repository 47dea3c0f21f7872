// The application object's start and end: from process start to the main window, and back.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "pjl/AppContext.h"
#include "platform/Platform.h"

namespace tav {

// Why start-up stopped, so callers and tests can tell the paths apart.
enum class StartupOutcome {
    Ran,              // the main window ran and closed
    LibraryMissing,   // a device library could not be loaded (silent)
    NotSupported,     // USB on the old platform
    AlreadyRunning,   // a second copy (silent)
    NotConnected,     // firmware-update-only mode: printer not found
    NotReady,         // firmware-update-only mode: printer not ready
    PortBusy,         // the port cannot be acquired
    NoResponse,       // the printer did not answer the settings query
    BadDeviceName,    // the device name is longer than the device library takes
    LanguageMissing,  // neither the chosen nor the English language file can be read
    NoPrinterChosen,  // first run: the printer choice was cancelled
};

// The message for a device name past QVDEVM_DEVICE_NAME_MAX, or "" when the name is fine.
std::string DeviceNameProblem(const std::string& name);

struct StartupHooks {
    // Parses the reply into the settings store; false when the record was cut short or garbled,
    // which start-up treats as a printer that does not answer. Absent: the reply stays in
    // ReplyBuffer.
    std::function<bool(AppContext&)> loadSettingsRecord;
    // Builds and runs the main window modally; returns when it closes.
    std::function<void(AppContext&)> runMainWindow;
    // False for a front end without a window: with no language file at all it says so and goes
    // on without texts instead of ending.
    bool requireLanguage = true;
    // The language follows LC_ALL, LC_MESSAGES or LANG unless the user's own registry value names
    // one (the whole machine's value yields to the locale).
    bool languageFromLocale = false;
    // One copy at a time, as a window wants. A program that only exchanges jobs leaves the
    // printer to the port lock, so copies on different printers run side by side.
    bool singleInstance = true;
    // Binds the device libraries; the default loads them by name from the program folder.
    std::function<bool(AppContext&)> bindLibraries;
    // First run (no printer named yet): lets the user choose and store one; false ends the
    // program. Absent: start-up goes on with the profile's device.
    std::function<bool(AppContext&)> choosePrinter;
};

// 1 Windows 98/Me, 2 NT 4.0, 3 2000 and later, 4 95 and anything else, 0 unknown. Here the
// platform is always the modern one.
int CheckWindowsVersion();

class Application {
public:
    explicit Application(UiHost& ui, StartupHooks hooks = {});
    // Paths: the program folder (with '/'); ProgramFolder() when empty.
    StartupOutcome InitInstance(const std::string& programFolder = {});
    void ExitInstance();

    AppContext& Context() { return m_ctx; }
    bool OfflineDebugMode() const { return m_offline; }
    bool FirmwareUpdateOnly() const { return m_firmwareOnly; }

private:
    // False when no language file can be read (the user has been told).
    bool SetUpLanguage();
    std::string RegistryLanguageCode() const;

    AppContext m_ctx;
    StartupHooks m_hooks;
    std::unique_ptr<SingleInstance> m_instance;
    bool m_offline = false;
    bool m_firmwareOnly = false;
};

}  // namespace tav
