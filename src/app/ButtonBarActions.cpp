#include "app/ButtonBarActions.h"

#include "pjl/Pjl.h"
#include "pjl/SettingsRecord.h"
#include "pjl/Upload.h"

namespace tav {

ButtonBarActions::ButtonBarActions(AppContext& ctx, std::function<void()> refreshPages)
    : m_ctx(ctx), m_refreshPages(std::move(refreshPages)) {}

int ButtonBarActions::Run(const std::function<int()>& job, bool clearCustomPaper) {
    if (!m_idle) return 0;
    if (!m_ctx.link.AcquirePort()) return 0;
    m_idle = false;
    if (clearCustomPaper) m_ctx.store.customPaperChanged = false;
    int ok = 0;
    {
        WaitCursor cursor(m_ctx.ui);
        // A record cut short counts as no answer: the store keeps the last good one.
        if (job() == 1 && LoadSettingsRecord(m_ctx)) {
            if (m_refreshPages) m_refreshPages();
            ok = 1;
        } else {
            m_ctx.ShowPrinterError();
        }
        m_ctx.link.ReleasePort();
        m_idle = true;
    }
    return ok;
}

int ButtonBarActions::Send() {
    return Run([this] { return UploadSettings(m_ctx); }, false);
}

int ButtonBarActions::Default() {
    return Run([this] { return InitializePrinter(m_ctx); }, true);
}

void ButtonBarActions::Refresh() {
    if (!LoadSettingsRecord(m_ctx)) {
        m_ctx.ShowPrinterError();
        return;
    }
    // The record replaced the edited copy: pages left as they were would show edits that the
    // store no longer holds and that no Send would carry.
    if (m_refreshPages) m_refreshPages();
}

} // namespace tav
