// What the Epson and Korean emulation pages share: printing the printer's font list of the
// emulation, and the prompts a dialog's data exchange shows when it cannot read a control.
#pragma once
#include <QSize>

#include "pages/TavPage.h"

namespace tav {

class CEmulationTab : public TavPage {
    Q_OBJECT
  public:
    using TavPage::TavPage;
    QSize TemplateSize() const override { return {520, 360}; }

    // Holds the port, prints the named list and waits for the printer; 1 on success.
    int PrintFontList(const char* printName);

  protected:
    // "Please enter an integer.": an empty or non-numeric integer edit.
    void PromptInteger();
    // "Please enter no more than %1 characters.", filled with maxChars.
    void PromptMaxChars(int maxChars);
};

} // namespace tav
