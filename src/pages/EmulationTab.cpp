#include "pages/EmulationTab.h"

#include "pjl/Pjl.h"

namespace tav {

int CEmulationTab::PrintFontList(const char* printName) {
    return PrintPrinterList(m_ctx, printName, [this] { ShowPrinterError(); });
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
