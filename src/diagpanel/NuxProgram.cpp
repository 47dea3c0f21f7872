// nux: switches the printer into its engine diagnostic mode and mirrors its two-line display.
#include "diagpanel/NuxProgram.h"

#include "diagpanel/NuxDialog.h"
#include "diagpanel/NuxUiHost.h"
#include "diagpanel/SkinBitmaps.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>


namespace {
// Trace lines are written one per call; those that bring no line end get one, so each stays a
// line of its own in a log.
void Trace(std::string_view text) {
    if (text.empty() || text.back() != '\n') {
        std::string line(text);
        line += '\n';
        tav::DebugOut(line);
    } else {
        tav::DebugOut(text);
    }
}
} // namespace

namespace nux {

int RunNux(int argc, char** argv, const NuxHooks& hooks) {
    QApplication app(argc, argv);
    // The dialog decides when the program ends, with its command id as the exit code.
    app.setQuitOnLastWindowClosed(false);

    nux::NuxUiHost ui;
    if (hooks.beforeDialog) {
        if (const int status = hooks.beforeDialog()) return status;
    }

    nux::NuxDialogOptions options;
    options.programFolder = tav::ProgramFolder();
    options.ui = &ui;
    options.debug = Trace;
    nux::NuxDialog dialog(options);
    ui.SetOwner(&dialog);
    QObject::connect(&dialog, &nux::NuxDialog::exitRequested, &app,
                     [](int code) { QCoreApplication::exit(code); });
    if (!dialog.Initialize()) return 0;
    app.setWindowIcon(dialog.windowIcon());
    dialog.show();
    if (hooks.dialogShown) hooks.dialogShown(dialog);
    return app.exec();
}

} // namespace nux
