#include "pages/ColorRules.h"

#include "pjl/Pjl.h"

namespace tav {

std::vector<std::string> CmykValueTexts(const AppContext& ctx) {
    std::vector<std::string> texts;
    for (int i = 0; i <= 10; ++i) {
        std::string v = ctx.Config("STR_COROR", "IDS_CMYK_VALUE" + std::to_string(i), "", 31);
        if (!v.empty()) texts.push_back(std::move(v));
    }
    return texts;
}

int RunRegistration(AppContext& ctx) {
    if (!ctx.link.AcquirePort()) return 0; // AcquirePort has said why
    int ok = 0;
    {
        WaitCursor cursor(ctx.ui);
        const size_t n = ComposeJob(ctx.jobBuffer, {"@PJL DEFAULT CALIBRATION = RUNNOW"});
        // A printer that never got the job must not look as if it were registering its colours.
        if (static_cast<size_t>(ctx.link.WritePrinter(ctx.jobBuffer.data(), static_cast<uint32_t>(n))) == n) {
            // The printer needs the time to take the job before anything else reaches it.
            ctx.ui.Wait(1000);
            ok = 1;
        } else {
            ctx.ShowPrinterError();
        }
    }
    ctx.link.ReleasePort();
    return ok;
}

} // namespace tav
