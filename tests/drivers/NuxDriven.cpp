// nux for tests and `make screenshots`: the shipped panel, worked through by "--script FILE"
// (see NuxScript.h). Never installed.
#include <QString>
#include <cstdio>
#include <cstring>
#include <vector>

#include "NuxScript.h"
#include "diagpanel/NuxProgram.h"

int main(int argc, char** argv) {
    QString path;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--script") == 0 && i + 1 < argc) {
            path = QString::fromLocal8Bit(argv[++i]);
            continue;
        }
        args.push_back(argv[i]);
    }
    args.push_back(nullptr);
    nux::NuxScript script;
    nux::NuxHooks hooks;
    if (!path.isEmpty()) {
        hooks.beforeDialog = [&] {
            QString error;
            if (!script.Load(path, error)) {
                std::fprintf(stderr, "nux: %s\n", error.toLocal8Bit().constData());
                return 3;
            }
            script.PrepareBoxes();
            return 0;
        };
        hooks.dialogShown = [&](nux::NuxDialog& dialog) { script.Start(dialog); };
    }
    return nux::RunNux(static_cast<int>(args.size()) - 1, args.data(), hooks);
}
