// The whole of nux behind one call, so the shipped program and the test driver run the same
// panel with the same exit status.
#pragma once
#include <functional>

namespace nux {

class NuxDialog;

struct NuxHooks {
    // Before the dialog exists: a status other than 0 ends the program with it.
    std::function<int()> beforeDialog;
    // Once the dialog is shown, before the event loop runs.
    std::function<void(NuxDialog&)> dialogShown;
};

int RunNux(int argc, char** argv, const NuxHooks& hooks = {});

} // namespace nux
