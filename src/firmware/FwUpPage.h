// The firmware update page: pick a firmware file, send it with a progress bar, wait for the
// printer to program itself. In firmware-update-only mode it takes the configured file and
// starts by itself.
#pragma once
#include "firmware/Firmware.h"
#include "pages/TavPage.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace tav {

class CFwUp : public TavPage {
    Q_OBJECT
  public:
    enum ControlId {
        IdPath = 8096,
        IdInfo = 8095,
        IdMessage = 1117,
        IdPercent = 8098,
        IdProgress = 1025,
        IdUpdate = 8157,
        IdBrowse = 1042,
        IdFileNameLabel = 6076,
        IdFileInfoLabel = 6075,
        IdFileSizeLabel = 6066,
        IdProgressLabel = 6077,
        IdMessageLabel = 1159,
    };

    explicit CFwUp(AppContext& ctx, QWidget* parent = nullptr);

    void OnStartMessage() override;
    void OnBrowse();
    void OnUpdate();
    // The stored path, as the page would send it.
    const std::string& Path() const { return m_path; }

  protected:
    void OnInitDialog() override;

  private:
    bool FirmwareOnly() const;
    // Takes the file at path as the one to send: its size shown and Update enabled, or a message
    // and the idle state when it cannot be sent.
    void ChooseFile(const std::string& path);
    void ResetToIdle(bool prompt);
    void ShowProgress(const FirmwareProgress& p);
    void SetMessageLine(const std::string& text);

    std::string m_path;
    bool m_busy = false;
    QLineEdit* m_pathEdit = nullptr;
    QLabel* m_info = nullptr;
    QLabel* m_message = nullptr;
    QLabel* m_percent = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_update = nullptr;
    QPushButton* m_browse = nullptr;
};

} // namespace tav
