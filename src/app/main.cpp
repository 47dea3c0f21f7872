// wintav32 start-up without its window yet: it runs every start-up step and reports what it found.
#include <cstdio>
#include <string>

#include "app/Startup.h"
#include "pjl/Pjl.h"

int main() {
    tav::ConsoleUiHost ui;
    tav::StartupHooks hooks;
    hooks.runMainWindow = [](tav::AppContext& ctx) {
        std::string report = "[TAV] start-up done: language " + ctx.cfg.langCode + ", title \"" +
                             ctx.ProductTitle() + "\", device " + ctx.DeviceName() + "\n";
        ctx.Debug(report);
        for (const std::string& row : tav::HexDumpRows(ctx.replyBuffer.data(), 64)) ctx.Debug(row);
    };
    tav::Application app(ui, hooks);
    app.InitInstance();
    app.ExitInstance();
    return 0;
}
