#include "pjl/Startup.h"

#include <sys/stat.h>

#include <fstream>
#include <iterator>

#include <unistd.h>

#include "pjl/ConfigFiles.h"
#include "pjl/PrinterChoice.h"
#include "pjl/Pjl.h"
#include "platform/Ini.h"
#include "platform/LangText.h"
#include "platform/UserFile.h"
#include <qvdevm/qvdevm.h>

namespace tav {

int CheckWindowsVersion() { return 3; }

std::string DeviceNameProblem(const std::string& name) {
    if (name.size() <= QVDEVM_DEVICE_NAME_MAX) return {};
    return "The device name is longer than " + std::to_string(QVDEVM_DEVICE_NAME_MAX) +
           " characters; give a shorter one in Common/DeviceID or --device.";
}

Application::Application(UiHost& ui, StartupHooks hooks) : m_ctx(ui), m_hooks(std::move(hooks)) {}

std::string Application::RegistryLanguageCode() const {
    const bool machine = StrEqual(m_ctx.Config("Common", "APPNAME", "2", 6), "2");
    const std::string code = tav::RegistryLanguageCode(machine, m_ctx.cfg.oemId);
    // A program run from scripts speaks the locale it runs under unless the user has chosen a
    // language of their own; the whole machine's choice yields to it.
    if (m_hooks.languageFromLocale && (machine || code.empty()))
        if (const std::string locale = LocaleLanguageCode(); !locale.empty()) return locale;
    return code.empty() ? "EN" : code;
}

namespace {

// A language file that cannot be opened, or holds nothing, would give a window without a word;
// one that is binary, far too large or not UTF-8 would give one of noise.
bool LanguageFileReadable(const std::string& path) {
    std::string text;
    UserFileError error;
    if (!ReadRegularFile(path, text, kMaxIniFileBytes, error) || text.empty()) return false;
    return IsValidUtf8(text) && IniDocument::Parse(text).HasEntries();
}

// Said before any language file is known, so in English, the only text there is then.
const char* kLanguageCaption = "wintav32";

} // namespace

bool Application::SetUpLanguage() {
    AppConfig& cfg = m_ctx.cfg;
    cfg.langCode = RegistryLanguageCode();
    const std::string langInfo = cfg.programFolder + "langinfo.ini";
    std::string section = ReadIniString(langInfo, "Config", cfg.langCode, "", 31);
    // A language the index does not list would leave every text empty: English stands in.
    if (section.empty() && !StrEqual(cfg.langCode, "EN")) {
        m_ctx.Debug("[TAV] language " + cfg.langCode + " is not in langinfo.ini; using EN\n");
        section = ReadIniString(langInfo, "Config", "EN", "", 31);
    }
    const std::string help = ReadIniString(langInfo, section, "PHELP.CHM", "", 31);
    const std::string file = ReadIniString(langInfo, section, "STR_FILE", "", 31);
    cfg.helpFilePath = cfg.programFolder + help;
    cfg.langFilePath = cfg.programFolder + file;
    if (file.empty() || !LanguageFileReadable(cfg.langFilePath)) {
        const std::string missing = cfg.programFolder + file;
        const std::string english = ReadIniString(langInfo, "Config", "EN", "", 31);
        const std::string englishFile = ReadIniString(langInfo, english, "STR_FILE", "", 31);
        const std::string englishPath = cfg.programFolder + englishFile;
        if (englishFile.empty() || !LanguageFileReadable(englishPath)) {
            std::string text = "The language file " + missing + " cannot be read";
            if (englishPath != missing) text += ", and neither can the English one, " + englishPath;
            text += ". Reinstall the program or check langinfo.ini.";
            if (m_hooks.requireLanguage) {
                m_ctx.ui.MessageBox(text, kLanguageCaption, MsgIcon::Error, MsgButtons::Ok);
                return false;
            }
            m_ctx.ui.MessageBox(text + " Messages have no text.", kLanguageCaption, MsgIcon::Warning,
                                MsgButtons::Ok);
            cfg.koreanLanguage = StrEqual(cfg.langCode, "KR");
            return true;
        }
        m_ctx.ui.MessageBox("The language file " + missing + " cannot be read; the English texts are used.",
                            kLanguageCaption, MsgIcon::Warning, MsgButtons::Ok);
        cfg.langFilePath = englishPath;
        cfg.helpFilePath = cfg.programFolder + ReadIniString(langInfo, english, "PHELP.CHM", "", 31);
    }
    // A help file installed read-only must still be replaceable by an update.
    struct stat st;
    if (!help.empty() && stat(cfg.helpFilePath.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        chmod(cfg.helpFilePath.c_str(), st.st_mode | S_IWUSR);
    cfg.koreanLanguage = StrEqual(cfg.langCode, "KR");
    return true;
}

StartupOutcome Application::InitInstance(const std::string& programFolder) {
    AppContext& ctx = m_ctx;
    AppConfig& cfg = ctx.cfg;
    // Which configuration files, and the two switches everything after depends on.
    cfg.programFolder = programFolder.empty() ? ProgramFolder() : programFolder;
    if (cfg.programFolder.back() != '/') cfg.programFolder += '/';
    const std::string configNote = ResolveConfigFiles(cfg);
    if (!configNote.empty()) ctx.Debug(configNote);
    cfg.debugMsg = ctx.ConfigInt("Common", "DebugMsg", 0);
    cfg.usb = ctx.ConfigInt("Common", "USB", 0);

    // The device libraries, before anything talks to the printer.
    cfg.twoLibraryMode = StrEqual(ctx.Config("Common", "QVUSB", "0", 6), "1");
    bool bound = m_hooks.bindLibraries ? m_hooks.bindLibraries(ctx)
                                       : ctx.link.Bind(cfg.twoLibraryMode, cfg.programFolder);
    if (!bound) return StartupOutcome::LibraryMissing;

    // The brand's registry sub-key and the read delay.
    cfg.oemId = ctx.Config("Common", "OEMID", "", 31);
    cfg.readDelay = static_cast<uint16_t>(ctx.ConfigInt("Common", "TIMER", 0));

    // The language, so every message from here on can be shown in it.
    if (!SetUpLanguage()) return StartupOutcome::LanguageMissing;

    // A name cut to fit would reach another host or port: refused before anything is sent.
    if (const std::string problem = DeviceNameProblem(ctx.DeviceName()); !problem.empty()) {
        ctx.Message(problem, MsgIcon::Error);
        return StartupOutcome::BadDeviceName;
    }

    // USB on the old platform is refused.
    if (CheckWindowsVersion() == 2 && cfg.usb != 0) {
        ctx.Message(ctx.GetLangText("STRING", "IDS_NOT_SUPPORT"), MsgIcon::Error);
        return StartupOutcome::NotSupported;
    }

    // One copy at a time, named after the product title.
    if (m_hooks.singleInstance) {
        m_instance = std::make_unique<SingleInstance>(ctx.ProductTitle());
        if (m_instance->AlreadyExists()) return StartupOutcome::AlreadyRunning;
    }

    // First run: no printer named anywhere yet. The user picks one, or the program ends.
    if (m_hooks.choosePrinter && NeedsPrinterChoice(ctx) && !m_hooks.choosePrinter(ctx))
        return StartupOutcome::NoPrinterChosen;

    // Firmware-update-only mode checks the printer before anything else: the very device the
    // transfer will go to (the override, else the whole of DeviceID), not a name cut short.
    m_firmwareOnly = ctx.ConfigFlag("COMMON", "AUTOFWUP");
    if (m_firmwareOnly) {
        if (!ctx.link.AcquirePort()) return StartupOutcome::PortBusy;
        if (!ctx.link.IsPrinterConnected(ctx.DeviceName())) {
            ctx.Message("Printer is not connected!!", MsgIcon::Error);
            ctx.link.ReleasePort();
            return StartupOutcome::NotConnected;
        }
        if (!ctx.link.IsPrinterReady()) {
            ctx.Message("Printer is not ready!!", MsgIcon::Error);
            ctx.link.ReleasePort();
            return StartupOutcome::NotReady;
        }
        ctx.link.ReleasePort();
    }

    // Offline debug mode: no printer, every capability but bits 6 and 7.
    m_offline = ctx.ConfigFlag("Common", "Debug");
    if (m_offline) {
        ctx.Debug("[TAV] DEBUGMODE!!!\n");
        ctx.Message("Debug Mode!");
        ctx.store.reported.featureFlags = 0xFFFFFF3Fu;
        ctx.store.edited.featureFlags = 0xFFFFFF3Fu;
    } else {
        // Hold the port for the settings query.
        if (!ctx.link.AcquirePort()) return StartupOutcome::PortBusy;
        int answered;
        {
            WaitCursor cursor(ctx.ui);
            answered = QueryPrinterSettings(ctx);
        }
        if (answered && m_hooks.loadSettingsRecord) answered = m_hooks.loadSettingsRecord(ctx);
        if (!answered) {
            ctx.Message(ctx.PrinterFailureText("IDS_NOT_RESPOND"), MsgIcon::Error);
            ctx.link.ReleasePort();
            return StartupOutcome::NoResponse;
        }
    }

    // The main window; the port is free while it runs.
    ctx.link.ReleasePort();
    if (m_hooks.runMainWindow) m_hooks.runMainWindow(ctx);
    return StartupOutcome::Ran;
}

void Application::ExitInstance() {
    m_ctx.link.Unbind();
    m_instance.reset();
}

}  // namespace tav
