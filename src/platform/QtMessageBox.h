// The message box both windowed programs show for UiHost::MessageBox: the same icons, buttons
// and answers, and the same answer when the box is closed without a button.
#pragma once
#include <QString>

#include "platform/UiHost.h"

class QWidget;

namespace tav {

// Modal; the text is shown as plain text, since printer replies can look like markup. A box
// closed by its close box answers what does nothing: Ok for an Ok box, No for Yes/No, else Cancel.
MsgResult RunMessageBox(QWidget* parent, const QString& text, const QString& caption, MsgIcon icon,
                        MsgButtons buttons);

} // namespace tav
