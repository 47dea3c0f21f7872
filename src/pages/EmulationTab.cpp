#include "pages/EmulationTab.h"

#include "pjl/Pjl.h"

namespace tav {
namespace {
constexpr unsigned kFontListWaitMs = 10000;
} // namespace

int CEmulationTab::PrintFontList(const char* printName) {
    if (!m_ctx.link.AcquirePort()) return 0;
    int ok = 0;
    {
        WaitCursor cursor(m_ctx.ui);
        if (SendTestPrint(m_ctx, printName)) {
            m_ctx.ui.Wait(kFontListWaitMs);
            ok = 1;
        } else {
            ShowPrinterError();
        }
        m_ctx.link.ReleasePort();
    }
    return ok;
}

void CEmulationTab::PromptInteger() {
    std::string text = LangTextStd("FRAMEWORK", "IDS_ENTER_INTEGER");
    // A language file without the framework's texts still gets its prompt.
    Message(text.empty() ? "Please enter an integer." : text, MsgIcon::Warning);
}

void CEmulationTab::PromptMaxChars(int maxChars) {
    // The language text is a template, never a format string.
    std::string text = LangTextStd("FRAMEWORK", "IDS_ENTER_MAXCHARS");
    if (text.empty()) text = "Please enter no more than %1 characters.";
    const std::string number = std::to_string(maxChars);
    for (size_t at = text.find("%1"); at != std::string::npos; at = text.find("%1", at + number.size()))
        text.replace(at, 2, number);
    Message(text, MsgIcon::Warning);
}

} // namespace tav
