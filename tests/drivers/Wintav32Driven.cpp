// wintav32 for tests and `make screenshots`: the shipped program's start-up and window, plus
// "--screenshots DIR", which writes a picture of the first-run dialog (then cancels it) or of
// every tab (then closes the window). Never installed.
#include <QDialog>
#include <QDir>
#include <QTimer>
#include <cstring>
#include <vector>

#include "app/ChoosePrinterDialog.h"
#include "app/MainWindow.h"
#include "app/Wintav32Program.h"

int main(int argc, char** argv) {
    QString shots;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshots") == 0 && i + 1 < argc) {
            shots = QString::fromLocal8Bit(argv[++i]);
            continue;
        }
        args.push_back(argv[i]);
    }
    args.push_back(nullptr);
    tav::Wintav32Hooks hooks;
    if (!shots.isEmpty()) {
        hooks.choosePrinterShown = [shots](tav::ChoosePrinterDialog& dialog) {
            QTimer::singleShot(0, &dialog, [&dialog, shots] {
                QDir().mkpath(shots);
                dialog.grab().save(shots + "/choose-printer.png");
                dialog.reject();
            });
        };
        hooks.mainWindowShown = [shots](tav::MainWindow& window) {
            QTimer::singleShot(0, &window, [&window, shots] {
                window.SaveScreenshots(shots);
                window.done(0);
            });
        };
    }
    return tav::RunWintav32(static_cast<int>(args.size()) - 1, args.data(), hooks);
}
