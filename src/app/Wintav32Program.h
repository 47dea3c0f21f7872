// The whole of wintav32 behind one call, so the shipped program and the test driver that takes
// pictures of it run the same start-up, the same window and the same exit status.
#pragma once
#include <functional>

namespace tav {

class ChoosePrinterDialog;
class MainWindow;

struct Wintav32Hooks {
    // Called once each window is built, before its event loop runs; the shipped program has none.
    std::function<void(ChoosePrinterDialog&)> choosePrinterShown;
    std::function<void(MainWindow&)> mainWindowShown;
};

// argv as main() received it: "--broadcast-quit", "--device NAME", "--model NAME".
int RunWintav32(int argc, char** argv, const Wintav32Hooks& hooks = {});

} // namespace tav
