// The two dialogs every whole-file download goes through: CSelectFileDlg picks a file and an ID,
// CSendProgressDlg writes header + file + trailer and shows how far it got.
#pragma once
#include <QDialog>
#include <optional>
#include <string>

#include "pjl/AppContext.h"
#include "storage/FileSend.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace tav {

class CSelectFileDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CSelectFileDlg(AppContext& ctx, QWidget* parent = nullptr);

    const std::string& FilePath() const { return m_path; }
    int Id() const { return m_id; }
    // The control with that id, or nullptr.
    QWidget* Control(int controlId) const;

    void OnBrowse();
    // Ends with Accepted when the ID is a number; otherwise asks for one and stays open.
    void OnSend();

  private:
    AppContext& m_ctx;
    std::string m_path;
    int m_id = 0;
    QLineEdit* m_pathEdit;
    QLineEdit* m_idEdit;
    QPushButton* m_send;
};

class CSendProgressDlg : public QDialog {
    Q_OBJECT
  public:
    // trailer: nothing means the UEL.
    CSendProgressDlg(AppContext& ctx, std::string path, std::string header,
                     std::optional<std::string> trailer, QWidget* parent = nullptr);

    QWidget* Control(int controlId) const;
    // The whole transfer; runs once, from the first timer tick after the dialog is shown.
    void RunTransfer();
    bool TransferDone() const { return m_done; }
    const SendResult& Result() const { return m_result; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QString Lang(const char* section, const char* key, size_t maxChars = 31) const;
    void Refresh();

    AppContext& m_ctx;
    std::string m_path;
    std::string m_header;
    std::optional<std::string> m_trailer;
    QLabel* m_sizeText;
    QLabel* m_percentText;
    QLabel* m_statusText;
    QProgressBar* m_bar;
    QPushButton* m_ok;
    bool m_started = false;
    bool m_done = false;
    SendResult m_result;
};

// Runs the progress dialog modally; returns its result (Accepted when closed with OK).
int SendFileWithProgress(AppContext& ctx, const std::string& path, const std::string& header,
                         const std::optional<std::string>& trailer, QWidget* parent = nullptr);

} // namespace tav
