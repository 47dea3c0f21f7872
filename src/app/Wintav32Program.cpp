// wintav32: the control panel. "--broadcast-quit" sends the quit message to a running copy and
// ends; "--device NAME" talks to NAME instead of the configured device; "--model NAME" reads the
// shipped profile models/NAME/comtav.ini.
#include "app/Wintav32Program.h"

#include <QApplication>
#include <QLocalSocket>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/ChoosePrinterDialog.h"
#include "app/MainWindow.h"
#include "app/QtUiHost.h"
#include "app/QuitMessage.h"
#include "pages/ProgramIcon.h"
#include "pjl/ConfigFiles.h"
#include "pjl/SettingsRecord.h"
#include "pjl/Startup.h"
#include "platform/Platform.h"

namespace {

int BroadcastQuit(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // Every copy that listens, whatever its title; nobody listening is not an error: there was
    // nothing to end.
    for (const std::string& path : tav::QuitMessagePaths()) {
        QLocalSocket socket;
        socket.connectToServer(QString::fromStdString(path));
        if (socket.waitForConnected(2000)) socket.disconnectFromServer();
    }
    return 0;
}

} // namespace

namespace tav {

int RunWintav32(int argc, char** argv, const Wintav32Hooks& programHooks) {
    std::string device, model;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--broadcast-quit") == 0) return BroadcastQuit(argc, argv);
        if (std::strcmp(argv[i], "--device") == 0 && i + 1 < argc) device = argv[++i];
        if (std::strcmp(argv[i], "--model") == 0 && i + 1 < argc) model = argv[++i];
    }
    if (!model.empty() && tav::ModelProfilePath(tav::ProgramFolder(), model).empty()) {
        std::string names;
        for (const std::string& m : tav::ShippedModels(tav::ProgramFolder()))
            names += (names.empty() ? "" : ", ") + m;
        std::fprintf(stderr, "wintav32: no model \"%s\" is installed (installed: %s)\n", model.c_str(),
                     names.empty() ? "none" : names.c_str());
        return 2;
    }
    QApplication qtApp(argc, argv);
    QApplication::setApplicationName("wintav32");
    tav::QtUiHost ui;
    tav::StartupHooks hooks;
    tav::Application* appPtr = nullptr;
    hooks.loadSettingsRecord = [](tav::AppContext& ctx) { return tav::LoadSettingsRecord(ctx); };
    hooks.choosePrinter = [&programHooks](tav::AppContext& ctx) {
        tav::ChoosePrinterDialog dialog(ctx);
        dialog.setWindowIcon(tav::ProgramIcon());
        if (programHooks.choosePrinterShown) programHooks.choosePrinterShown(dialog);
        return dialog.exec() == QDialog::Accepted;
    };
    hooks.runMainWindow = [&appPtr, &programHooks](tav::AppContext& ctx) {
        // One line on what start-up found, for anyone reading the debug output of a field problem.
        char flags[16];
        std::snprintf(flags, sizeof flags, "0x%08X", static_cast<unsigned>(ctx.store.edited.featureFlags));
        ctx.Debug("[TAV] start-up done: language " + ctx.cfg.langCode + ", device " + ctx.DeviceName() +
                  ", capabilities " + flags + "\n");
        tav::MainWindow::Options options;
        options.firmwareUpdateOnly = appPtr->FirmwareUpdateOnly();
        tav::MainWindow window(ctx, options);
        if (programHooks.mainWindowShown) programHooks.mainWindowShown(window);
        window.exec();
    };
    tav::Application app(ui, hooks);
    appPtr = &app;
    app.Context().cfg.deviceOverride = device;
    app.Context().cfg.model = model;
    const tav::StartupOutcome outcome = app.InitInstance();
    app.ExitInstance();
    // Broken installs and configurations end with a status a script or a launcher can see; every
    // other end is the program's ordinary, quiet one.
    return outcome == tav::StartupOutcome::LanguageMissing || outcome == tav::StartupOutcome::BadDeviceName ? 1 : 0;
}

} // namespace tav
