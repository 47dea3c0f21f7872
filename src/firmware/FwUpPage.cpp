#include "firmware/FwUpPage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "pjl/ConfigFiles.h"

namespace tav {

CFwUp::CFwUp(AppContext& ctx, QWidget* parent) : TavPage(ctx, 5026, parent) {}

bool CFwUp::FirmwareOnly() const {
    return m_ctx.ConfigFlag("COMMON", "AUTOFWUP");
}

void CFwUp::OnInitDialog() {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(12);
    // One column of labels, so the fields start at one edge whatever the language.
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(12);
    grid->setColumnStretch(1, 1);

    grid->addWidget(AddControl(IdFileNameLabel, new QLabel(LangText("FWUP", "IDL_FILE_NAME", 63), this)), 0,
                    0);
    m_pathEdit = AddControl(IdPath, new QLineEdit(this));
    m_pathEdit->setReadOnly(true);
    grid->addWidget(m_pathEdit, 0, 1);
    m_browse = AddControl(IdBrowse, new QPushButton(LangText("FWUP", "IDC_BROWSE", 63), this));
    m_browse->setAutoDefault(false);
    grid->addWidget(m_browse, 0, 2);

    auto* infoBox =
        AddControl(IdFileInfoLabel, new QGroupBox(LangText("FWUP", "IDL_FILE_INFORMATION", 63), this));
    auto* infoGrid = new QGridLayout(infoBox);
    infoGrid->addWidget(
        AddControl(IdFileSizeLabel, new QLabel(LangText("FWUP", "IDL_FILE_SIZE", 63), infoBox)), 0, 0);
    m_info = AddControl(IdInfo, new QLabel(infoBox));
    infoGrid->addWidget(m_info, 0, 1);
    infoGrid->setColumnStretch(1, 1);
    grid->addWidget(infoBox, 1, 0, 1, 3);

    grid->addWidget(AddControl(IdProgressLabel, new QLabel(LangText("FWUP", "IDL_PROGRESS", 63), this)), 2,
                    0);
    m_progress = AddControl(IdProgress, new QProgressBar(this));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    grid->addWidget(m_progress, 2, 1);
    m_percent = AddControl(IdPercent, new QLabel("0 ", this));
    m_percent->setMinimumWidth(m_percent->fontMetrics().horizontalAdvance("100 %") + 8);
    m_percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(m_percent, 2, 2);

    grid->addWidget(AddControl(IdMessageLabel, new QLabel(LangText("FWUP", "IDL_MESSAGE", 63), this)), 3, 0,
                    Qt::AlignTop);
    m_message = AddControl(IdMessage, new QLabel(this));
    m_message->setWordWrap(true);
    m_message->setTextFormat(Qt::PlainText);
    m_message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_message->setMinimumHeight(m_message->fontMetrics().lineSpacing() * 3);
    grid->addWidget(m_message, 3, 1, 1, 2);
    column->addLayout(grid);
    column->addStretch(1);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    m_update = AddControl(IdUpdate, new QPushButton(LangText("FWUP", "IDC_UPDATE", 63), this));
    m_update->setAutoDefault(false);
    m_update->setMinimumWidth(std::max(110, m_update->sizeHint().width() + 16));
    m_update->setEnabled(false);
    buttonRow->addWidget(m_update);
    column->addLayout(buttonRow);

    // The texts the transfer shows, recorded with the page's own so the language checks see them.
    for (const char* key : {"IDS_STRING102", "IDS_STRING104", "IDS_STRING105", "IDS_STRING106"})
        LangTextStd("COMMON", key);
    for (const char* key : {"IDS_CONFIRM", "IDS_CANNOT_OPEN", "IDS_EMPTY_FILE", "IDS_PARTIAL", "IDS_BYTES"})
        LangTextStd("FWUP", key);
    m_browse->setVisible(!FirmwareOnly());
    SetMessageLine(LangTextStd("COMMON", "IDS_STRING100"));
    connect(m_browse, &QPushButton::clicked, this, &CFwUp::OnBrowse);
    connect(m_update, &QPushButton::clicked, this, &CFwUp::OnUpdate);
}

void CFwUp::SetMessageLine(const std::string& text) {
    m_message->setText(FromStd(text));
    m_message->repaint();
}

void CFwUp::ResetToIdle(bool prompt) {
    m_path.clear();
    m_pathEdit->clear();
    m_info->clear();
    m_update->setEnabled(false);
    if (prompt) {
        SetMessageLine(LangTextStd("COMMON", "IDS_STRING100"));
        m_progress->setValue(0);
        m_percent->clear();
    }
}

void CFwUp::ChooseFile(const std::string& path) {
    m_path = path;
    m_pathEdit->setText(FromStd(path));
    const std::optional<uint64_t> size = FirmwareFileSize(path);
    if (!size || *size == 0) {
        Message(FillLangText(LangTextStd("FWUP", size ? "IDS_EMPTY_FILE" : "IDS_CANNOT_OPEN"), {path}),
                MsgIcon::Error);
        ResetToIdle(false);
        return;
    }
    m_info->setText(FromStd(FirmwareSizeText(m_ctx, *size)));
    m_update->setEnabled(true);
}

void CFwUp::OnBrowse() {
    if (m_busy) return;
    const std::string filter = m_ctx.Config("FWDN", "FileFilter", "", 127);
    const auto chosen = m_ctx.ui.OpenFileDialog(LangTextStd("FWUP", "IDS_SELECT_FILE", 127), filter, "");
    if (!chosen) return;
    ChooseFile(*chosen);
}

void CFwUp::OnStartMessage() {
    EnsureCreated();
    // A model may ship its own image beside its profile.
    const std::string path = ModelDataFile(m_ctx.cfg, m_ctx.Config("COMMON", "FWFileName", "", 127));
    m_ctx.Debug("[TAV] firmware file " + path + "\n");
    m_path = path;
    m_pathEdit->setText(FromStd(path));
    if (const auto size = FirmwareFileSize(path)) m_info->setText(FromStd(FirmwareSizeText(m_ctx, *size)));
    OnUpdate();
}

void CFwUp::ShowProgress(const FirmwareProgress& p) {
    m_progress->setValue(p.percent);
    m_percent->setText(p.sent == 0 && p.percent == 0 ? QStringLiteral("0 ")
                                                     : QString::number(p.percent) + " %");
    if (!p.messageLine.empty()) m_message->setText(FromStd(p.messageLine));
    // The user-interface thread is busy with the transfer: paint now, not when it is over.
    m_progress->repaint();
    m_percent->repaint();
    m_message->repaint();
}

void CFwUp::OnUpdate() {
    if (m_busy) return;
    m_busy = true;
    FirmwareObserver observer;
    if (!FirmwareOnly())
        observer.confirm = [this](uint64_t size) { return ConfirmFirmwareUpdate(m_ctx, m_path, size); };
    observer.progress = [this](const FirmwareProgress& p) { ShowProgress(p); };
    observer.message = [this](const std::string& text) { SetMessageLine(text); };
    m_update->setEnabled(false);
    const FirmwareOutcome outcome = SendFirmware(m_ctx, m_path, observer);
    switch (outcome.result) {
    case FirmwareResult::Updated:
        ResetToIdle(true);
        break;
    case FirmwareResult::CannotOpen:
    case FirmwareResult::EmptyFile:
        ResetToIdle(false);
        break;
    case FirmwareResult::Declined:
    case FirmwareResult::PortBusy:
    case FirmwareResult::NoBuffer:
    case FirmwareResult::Failed:
        m_update->setEnabled(true); // ready: the same file may be sent again
        break;
    }
    m_busy = false;
}

} // namespace tav
