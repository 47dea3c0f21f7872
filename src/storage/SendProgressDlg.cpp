#include "storage/SendProgressDlg.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "storage/FlashCore.h"

namespace tav {
namespace {

constexpr size_t kSelectTextMax = 255; // the Select File texts
constexpr size_t kSendTextMax = 31;    // every other text of these dialogs
constexpr int kFirstTickMs = 100;

// Language values come through byte-sized buffers; a cut inside a character drops it.
QString Utf8Cut(const std::string& s) {
    size_t n = s.size();
    size_t start = n;
    while (start > 0 && n - start < 4 && (static_cast<unsigned char>(s[start - 1]) & 0xC0) == 0x80)
        --start;
    if (start > 0) {
        const auto lead = static_cast<unsigned char>(s[start - 1]);
        const size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (need > 1 && n - (start - 1) < need) n = start - 1;
    }
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(n));
}

template <typename W> W* Tag(int controlId, W* w) {
    w->setProperty("controlId", controlId);
    return w;
}

QWidget* FindControl(const QWidget* root, int controlId) {
    for (QWidget* w : root->findChildren<QWidget*>()) {
        QVariant v = w->property("controlId");
        if (v.isValid() && v.toInt() == controlId) return w;
    }
    return nullptr;
}

} // namespace

CSelectFileDlg::CSelectFileDlg(AppContext& ctx, QWidget* parent) : QDialog(parent), m_ctx(ctx) {
    setObjectName("151");
    auto lang = [&](const char* key) {
        return Utf8Cut(m_ctx.GetLangText("SELECT_FILE", key, kSelectTextMax));
    };
    setWindowTitle(lang("Select a file"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(Tag(6076, new QLabel(lang("Select a file"), this)), 0, 0);
    // Two blanks until a file is chosen, so the field never looks like a half-typed path.
    m_pathEdit = Tag(8096, new QLineEdit(QStringLiteral("  "), this));
    m_pathEdit->setReadOnly(true);
    m_pathEdit->setMinimumWidth(320);
    grid->addWidget(m_pathEdit, 0, 1);
    auto* browse = Tag(1042, new QPushButton(lang("Browse..."), this));
    browse->setAutoDefault(false);
    grid->addWidget(browse, 0, 2);
    grid->addWidget(Tag(1145, new QLabel(lang("ID"), this)), 1, 0);
    m_idEdit = Tag(1143, new QLineEdit(QStringLiteral("0"), this));
    m_idEdit->setMaxLength(5);
    m_idEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), m_idEdit));
    m_idEdit->setMaximumWidth(80);
    grid->addWidget(m_idEdit, 1, 1, Qt::AlignLeft);
    auto* note = Tag(1146, new QLabel(lang("Note"), this));
    note->setWordWrap(true);
    grid->addWidget(note, 2, 0, 1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_send = Tag(8012, new QPushButton(lang("Send"), this));
    m_send->setDefault(true);
    m_send->setEnabled(false);
    auto* cancel = Tag(2, new QPushButton(lang("Cancel"), this));
    cancel->setAutoDefault(false);
    buttons->addWidget(m_send);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 3, 0, 1, 3);
    connect(browse, &QPushButton::clicked, this, &CSelectFileDlg::OnBrowse);
    connect(m_send, &QPushButton::clicked, this, &CSelectFileDlg::OnSend);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QWidget* CSelectFileDlg::Control(int controlId) const {
    return FindControl(this, controlId);
}

void CSelectFileDlg::OnBrowse() {
    const std::string title = m_ctx.GetLangText("SELECT_FILE", "Select a file", kSelectTextMax);
    std::optional<std::string> chosen =
        m_ctx.ui.OpenFileDialog(title, "All files (*.*)|*.*||", QDir::currentPath().toStdString());
    if (!chosen) return;
    m_path = *chosen;
    m_pathEdit->setText(QString::fromStdString(m_path));
    m_send->setEnabled(true);
}

void CSelectFileDlg::OnSend() {
    std::optional<int> id = ParseDownloadId(m_idEdit->text().toStdString());
    if (!id) {
        m_ctx.Message(m_ctx.GetLangText("SELECT_FILE", "Please enter an integer."), MsgIcon::Warning);
        m_idEdit->setFocus();
        return;
    }
    // Fonts and macros are stored under 0 to 65534, and need data to store.
    if (!IsFlashId(*id)) {
        const QString text = Utf8Cut(m_ctx.GetLangText("SELECT_FILE", "Msg_id_range"))
                                 .replace(QStringLiteral("%1"), QStringLiteral("0"))
                                 .replace(QStringLiteral("%2"), QString::number(kFlashIdMax));
        m_ctx.Message(text.toStdString(), MsgIcon::Warning);
        m_idEdit->setFocus();
        return;
    }
    if (FileSizeForSend(m_path) == uint64_t{0}) {
        m_ctx.Message(m_ctx.GetLangText("SELECT_FILE", "Msg_empty_file"), MsgIcon::Warning);
        return;
    }
    m_id = *id;
    accept();
}

CSendProgressDlg::CSendProgressDlg(AppContext& ctx, std::string path, std::string header,
                                   std::optional<std::string> trailer, QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_path(std::move(path)), m_header(std::move(header)),
      m_trailer(std::move(trailer)) {
    setObjectName("5008");
    setWindowTitle(Lang("SEND", "CAPTION"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(Tag(6065, new QLabel(Lang("SEND", "IDL_FILENAME"), this)), 0, 0);
    auto* name = Tag(8096, new QLabel(QString::fromStdString(m_path), this));
    name->setMinimumWidth(320);
    name->setWordWrap(true);
    grid->addWidget(name, 0, 1, 1, 2);
    grid->addWidget(Tag(6066, new QLabel(Lang("SEND", "IDL_FILE_SIZE"), this)), 1, 0);
    m_sizeText = Tag(8095, new QLabel(QStringLiteral(" "), this));
    grid->addWidget(m_sizeText, 1, 1, 1, 2);
    m_bar = Tag(8090, new QProgressBar(this));
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    grid->addWidget(m_bar, 2, 0, 1, 2);
    m_percentText = Tag(8098, new QLabel(QStringLiteral("0%"), this));
    m_percentText->setMinimumWidth(48);
    m_percentText->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(m_percentText, 2, 2);
    grid->addWidget(Tag(6064, new QLabel(Lang("SEND", "IDL_STATUS"), this)), 3, 0);
    m_statusText = Tag(8093, new QLabel(QStringLiteral(" "), this));
    m_statusText->setWordWrap(true);
    grid->addWidget(m_statusText, 3, 1, 1, 2);
    m_ok = Tag(8059, new QPushButton(Lang("SEND", "IDC_ACTION"), this));
    m_ok->setEnabled(false);
    grid->addWidget(m_ok, 4, 2);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
}

QWidget* CSendProgressDlg::Control(int controlId) const {
    return FindControl(this, controlId);
}

QString CSendProgressDlg::Lang(const char* section, const char* key, size_t maxChars) const {
    return Utf8Cut(m_ctx.GetLangText(section, key, maxChars));
}

QString CSendProgressDlg::FixedText(const char* key) const {
    // These read in English where the language file has nothing for them.
    const QString text = Lang("SEND", key);
    return text.isEmpty() ? QString::fromUtf8(key) : text;
}

void CSendProgressDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_started) return;
    // The transfer starts once the dialog is on screen, so the user sees it from the first byte.
    QTimer::singleShot(kFirstTickMs, this, &CSendProgressDlg::RunTransfer);
}

void CSendProgressDlg::Refresh() {
    // Painted now: the transfer blocks the event loop, and the bar must move with every chunk.
    repaint();
}

void CSendProgressDlg::RunTransfer() {
    if (m_started) return;
    m_started = true;
    SendObserver observer;
    observer.onSize = [this](uint64_t size) {
        m_sizeText->setText(QString::number(size) + QStringLiteral(" ") + FixedText("bytes"));
        Refresh();
    };
    const QString per = Lang("STRING", "IDS_SEND_PER");
    observer.onChunk = [this, per](uint64_t sent, uint64_t, int percent) {
        m_bar->setValue(percent);
        m_percentText->setText(QString::number(percent) + QStringLiteral(" %"));
        m_statusText->setText(QString::number(sent) + QStringLiteral(" ") + per);
        Refresh();
    };
    observer.onComplete = [this] {
        m_statusText->setText(FixedText("Writing complete."));
        Refresh();
    };
    m_result = SendFile(m_ctx, m_path, m_header,
                        m_trailer ? std::optional<std::string_view>(*m_trailer) : std::nullopt, observer);
    switch (m_result.status) {
    case SendStatus::Complete:
        break;
    case SendStatus::OpenFailed:
        m_statusText->setText(Lang("STRING", "IDS_SEND_NOTOPEN", 255));
        break;
    case SendStatus::TooLarge:
        m_statusText->setText(Lang("STRING", "IDS_SEND_TOOLARGE", 255));
        break;
    case SendStatus::NoMemory:
        m_statusText->setText(Lang("STRING", "IDS_SEND_NOTMEM"));
        break;
    case SendStatus::ReadFailed:
        m_statusText->setText(Lang("STRING", "IDS_SEND_NOTREAD", 255));
        break;
    case SendStatus::HeaderShort:
        m_statusText->setText(Lang("STRING", "IDS_SEND_ERROR"));
        break;
    case SendStatus::ChunkShort:
    case SendStatus::TrailerShort:
        // The link's count, never the printer's: what of it arrived no one can tell.
        m_statusText->setText(Utf8Cut(SendBrokenText(m_ctx, m_result)));
        break;
    }
    m_done = true;
    m_ok->setEnabled(true);
    m_ok->setDefault(true);
    Refresh();
}

int SendFileWithProgress(AppContext& ctx, const std::string& path, const std::string& header,
                         const std::optional<std::string>& trailer, QWidget* parent) {
    CSendProgressDlg dlg(ctx, path, header, trailer, parent);
    return dlg.exec();
}

} // namespace tav
