// The panel's one dialog: the printer's two display lines on a skinned panel, five keys that
// send key presses, and Exit. Nothing is sent on exit, so the printer stays in its mode.
#pragma once
#include "diagpanel/NuxDevice.h"
#include "diagpanel/NuxPanel.h"

#include <QBrush>
#include <QDialog>

#include <memory>
#include <string>

class QLabel;

namespace tav {
class SingleInstance;
}

namespace nux {

class SkinButton;

inline constexpr const char* kInstanceName = "__NUX Mode__";

enum NuxControlId {
    kIdExit = 1,
    kIdCancel = 2,
    kIdKeyMenu = 1000,
    kIdKeyLeft = 1001,
    kIdKeyEnter = 1002,
    kIdKeyRight = 1003,
    kIdKeyUpper = 1004,
    kIdLabelMenu = 1005,
    kIdLabelEnter = 1006,
    kIdLabelUpper = 1007,
    kIdDisplayFrame = 1008,
    kIdDisplayLine1 = 1009,
    kIdDisplayLine2 = 1010,
};

struct NuxDialogOptions {
    std::string programFolder;           // with a trailing '/'
    NuxDeviceLibrary* library = nullptr; // none: the device library found from the program folder
    tav::UiHost* ui = nullptr;           // none: message boxes over the dialog
    DebugOut debug;                      // one call per trace line
};

class NuxDialog : public QDialog {
    Q_OBJECT
  public:
    explicit NuxDialog(NuxDialogOptions options, QWidget* parent = nullptr);
    ~NuxDialog() override;

    // Everything the dialog does before it is shown, ending with the enter-mode job. False when
    // another copy holds the panel: then nothing was shown or sent and the caller ends with 0.
    bool Initialize();

    QString DisplayText(int line) const;
    SkinButton* Button(int controlId) const;
    // The command that closed the dialog (Exit 1, cancel 2), 0 while it is open.
    int ExitCode() const { return m_exitCode; }
    const QBrush& DisplayBrush() const { return m_displayBrush; }
    const QBrush& LabelBrush() const { return m_labelBrush; }

  signals:
    // The dialog is gone; the program ends with this code.
    void exitRequested(int code);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void reject() override;

  private:
    void BuildControls();
    void CentreWindow();
    void OnCommand(int controlId);
    void OnKey(int controlId);
    void Trace(std::string_view text) const;

    NuxDialogOptions m_options;
    std::unique_ptr<tav::SingleInstance> m_instance;
    std::unique_ptr<NuxDeviceLibrary> m_ownLibrary;
    std::unique_ptr<tav::UiHost> m_ownUi;
    std::unique_ptr<NuxDevice> m_device;
    std::unique_ptr<NuxPanel> m_panel;
    QBrush m_displayBrush;
    QBrush m_labelBrush;
    QLabel* m_line1 = nullptr;
    QLabel* m_line2 = nullptr;
    int m_exitCode = 0;
};

} // namespace nux
