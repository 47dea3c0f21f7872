// What the button bar's Send, Default and Refresh do, apart from the buttons themselves. The idle
// flag keeps a second Send or Default out while one runs: message boxes run nested event loops.
#pragma once
#include <functional>

#include "pjl/AppContext.h"

namespace tav {

class ButtonBarActions {
  public:
    // refreshPages reloads every page (RefreshPages); it is called after a good Send, Default or
    // Refresh.
    ButtonBarActions(AppContext& ctx, std::function<void()> refreshPages);

    bool Idle() const { return m_idle; }
    // Each returns 1 when the printer took the job and the pages were reloaded; 0 when it was
    // refused (not idle, port busy) or failed.
    int Send();
    int Default();
    // Parses what ReplyBuffer holds now, without a query; the pages reload when it held a record.
    void Refresh();

  private:
    // Runs job (UploadSettings or InitializePrinter) under the idle flag, the port and the wait cursor.
    int Run(const std::function<int()>& job, bool clearCustomPaper);

    AppContext& m_ctx;
    std::function<void()> m_refreshPages;
    bool m_idle = true;
};

} // namespace tav
