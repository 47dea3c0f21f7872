// wintav32: the control panel. "--broadcast-quit" sends the quit message to a running copy and
// ends; "--device NAME" talks to NAME instead of the configured device.
#include <QApplication>
#include <QLocalSocket>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/MainWindow.h"
#include "app/QtUiHost.h"
#include "app/QuitMessage.h"
#include "app/Startup.h"
#include "pjl/SettingsRecord.h"

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

int main(int argc, char** argv) {
    std::string device;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--broadcast-quit") == 0) return BroadcastQuit(argc, argv);
        if (std::strcmp(argv[i], "--device") == 0 && i + 1 < argc) device = argv[++i];
    }
    QApplication qtApp(argc, argv);
    QApplication::setApplicationName("wintav32");
    tav::QtUiHost ui;
    tav::StartupHooks hooks;
    tav::Application* appPtr = nullptr;
    hooks.loadSettingsRecord = [](tav::AppContext& ctx) { return tav::LoadSettingsRecord(ctx); };
    hooks.runMainWindow = [&appPtr](tav::AppContext& ctx) {
        // One line on what start-up found, for anyone reading the debug output of a field problem.
        char flags[16];
        std::snprintf(flags, sizeof flags, "0x%08X", static_cast<unsigned>(ctx.store.edited.featureFlags));
        ctx.Debug("[TAV] start-up done: language " + ctx.cfg.langCode + ", device " + ctx.DeviceName() +
                  ", capabilities " + flags + "\n");
        tav::MainWindow::Options options;
        options.firmwareUpdateOnly = appPtr->FirmwareUpdateOnly();
        tav::MainWindow window(ctx, options);
        // Pictures of every tab, then close: for the documentation and for looking at layouts.
        if (const char* dir = std::getenv("TAV_SCREENSHOT_DIR"); dir && *dir) {
            const QString target = QString::fromLocal8Bit(dir);
            QTimer::singleShot(0, &window, [&window, target] {
                window.SaveScreenshots(target);
                window.done(0);
            });
        }
        window.exec();
    };
    tav::Application app(ui, hooks);
    appPtr = &app;
    app.Context().cfg.deviceOverride = device;
    const tav::StartupOutcome outcome = app.InitInstance();
    app.ExitInstance();
    // Broken installs and configurations end with a status a script or a launcher can see; every
    // other end is the program's ordinary, quiet one.
    return outcome == tav::StartupOutcome::LanguageMissing || outcome == tav::StartupOutcome::BadDeviceName ? 1 : 0;
}
