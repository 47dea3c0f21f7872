// wintav32 start-up without its window yet: it runs every start-up step and reports what it found.
#include <cstdio>
#include <string>

#include "app/Startup.h"
#include "pjl/Pjl.h"
#include "pjl/SettingsRecord.h"

int main() {
    tav::ConsoleUiHost ui;
    tav::StartupHooks hooks;
    hooks.loadSettingsRecord = [](tav::AppContext& ctx) { tav::LoadSettingsRecord(ctx); };
    hooks.runMainWindow = [](tav::AppContext& ctx) {
        std::string report = "[TAV] start-up done: language " + ctx.cfg.langCode + ", title \"" +
                             ctx.ProductTitle() + "\", device " + ctx.DeviceName() + ", capabilities " +
                             std::to_string(ctx.store.edited.featureFlags) + "\n";
        ctx.Debug(report);
        for (const std::string& row : tav::HexDumpRows(ctx.replyBuffer.data(), 64)) ctx.Debug(row);
    };
    tav::Application app(ui, hooks);
    app.InitInstance();
    app.ExitInstance();
    return 0;
}
