#include "pages/PostScriptPages.h"

#include <QButtonGroup>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "pages/Sheet.h"
#include "pages/PageControls.h"
#include "pjl/Pjl.h"
#include "storage/FileSend.h"
#include "storage/FlashCore.h"
#include "storage/PsForms.h"
#include "storage/SendProgressDlg.h"

namespace tav {
namespace {

// The printer has a PostScript flash of its own.
constexpr uint32_t kFlagPsFlash = 0x40;

QButtonGroup* ErrorRadios(TavPage* page, QGroupBox* box, const QString& off, const QString& on,
                          const std::function<QRadioButton*(int, QRadioButton*)>& add) {
    auto* group = new QButtonGroup(page);
    auto* row = new QHBoxLayout(box);
    auto* offRadio = add(8124, new QRadioButton(off, box));
    auto* onRadio = add(8125, new QRadioButton(on, box));
    group->addButton(offRadio, 0);
    group->addButton(onRadio, 1);
    row->addWidget(offRadio);
    row->addWidget(onRadio);
    row->addStretch(1);
    return group;
}

QPushButton* Button(QPushButton* b) {
    b->setAutoDefault(false);
    b->setMinimumWidth(std::max(120, b->sizeHint().width() + 16));
    return b;
}

} // namespace

CPostS3::CPostS3(AppContext& ctx, QWidget* parent) : TavPage(ctx, 5005, parent) {
    // The two radios share their group's topic.
    SetHelpTable({{8124, 137103}, {8125, 137103}});
}

void CPostS3::OnInitDialog() {
    m_errorIndex = 0;
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(18, 18, 18, 18);
    column->setSpacing(12);
    auto* errors = AddControl(6031, new QGroupBox(LangText("PS3", "IDL_PRINTERRORINFO", 63), this));
    m_radios = ErrorRadios(this, errors, LangText("PS3", "IDC_PAGEERROR_OFF", 63),
                           LangText("PS3", "IDC_PAGEERROR_ON", 63),
                           [this](int id, QRadioButton* r) { return AddControl(id, r); });
    column->addWidget(errors);
    auto* fontList = AddControl(8057, Button(new QPushButton(LangText("PS3", "IDC_PS3_FONTLIST", 63), this)));
    column->addWidget(fontList, 0, Qt::AlignLeft);
    auto* flashBox = AddControl(8145, new QGroupBox(this));
    auto* flashColumn = new QVBoxLayout(flashBox);
    auto* directory = AddControl(
        8065, Button(new QPushButton(LangText("PS3", "Print PostScript Flash Directory", 63), flashBox)));
    auto* format =
        AddControl(8071, Button(new QPushButton(LangText("PS3", "Format Flash Memory", 63), flashBox)));
    flashColumn->addWidget(directory, 0, Qt::AlignLeft);
    flashColumn->addWidget(format, 0, Qt::AlignLeft);
    column->addWidget(flashBox);
    column->addStretch(1);
    if (!(m_ctx.store.edited.featureFlags & kFlagPsFlash)) {
        flashBox->hide();
        directory->hide();
        format->hide();
    }
    connect(m_radios, &QButtonGroup::idClicked, this, &CPostS3::OnErrorRadio);
    connect(fontList, &QPushButton::clicked, this, &CPostS3::OnPrintFontList);
    connect(directory, &QPushButton::clicked, this, &CPostS3::OnPrintFlashDirectory);
    connect(format, &QPushButton::clicked, this, &CPostS3::OnFormatFlash);
    LoadFromSettings();
}

void CPostS3::LoadFromSettings() {
    // Values the page has no button for leave the buttons as they were.
    const uint8_t v = m_ctx.store.edited.prtPsErrs;
    if (v <= 1) m_errorIndex = v;
    if (IsCreated()) SetCheckedIndex(m_radios, m_errorIndex);
}

void CPostS3::OnErrorRadio() {
    if (CheckedIndex(m_radios) >= 0) m_errorIndex = CheckedIndex(m_radios);
    m_ctx.store.edited.prtPsErrs = static_cast<uint8_t>(m_errorIndex);
}

void CPostS3::OnPrintFontList() {
    PrintPrinterList(m_ctx, "PSFONT", [this] { ShowPrinterError(); });
}

void CPostS3::OnPrintFlashDirectory() {
    PrintPrinterList(m_ctx, "FLASHPSDIR", nullptr);
}

void CPostS3::OnFormatFlash() {
    // Formatting erases everything in the flash: asked first, as every destructive flash action is.
    LangTextStd("FLASH", "Msg_format_flash");
    if (!ConfirmFlashJob(m_ctx, FlashJob::FormatFlash)) return;
    WaitCursor cursor(m_ctx.ui);
    RunFlashJob(m_ctx, FlashJob::FormatFlash);
}

CPostS4::CPostS4(AppContext& ctx, QWidget* parent) : TavPage(ctx, 5012, parent) {
    SetHelpTable({{8124, 137103}, {8125, 137103}, {6068, 139144}});
}

void CPostS4::OnInitDialog() {
    m_errorIndex = 0;
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(18, 18, 18, 18);
    column->setSpacing(10);
    auto* errors = AddControl(6031, new QGroupBox(LangText("PS3", "IDL_PRINTERRORINFO_X", 63), this));
    m_radios = ErrorRadios(this, errors, LangText("PS3", "IDC_PAGEERROR_OFF", 63),
                           LangText("PS3", "IDC_PAGEERROR_ON", 63),
                           [this](int id, QRadioButton* r) { return AddControl(id, r); });
    column->addWidget(errors);

    auto* formsBox = AddControl(6068, new QGroupBox(LangText("PS3", "Flash Fonts/Forms", 63), this));
    auto* grid = new QGridLayout(formsBox);
    m_list = AddControl(8072, new QTreeWidget(formsBox));
    m_list->setRootIsDecorated(false);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setHeaderLabels(
        {LangText("PS3", "No.", 127), LangText("PS3", "Name", 127), LangText("PS3", "Size", 127)});
    m_list->headerItem()->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
    m_list->header()->setStretchLastSection(true);
    m_list->setColumnWidth(0, 50);
    m_list->setColumnWidth(1, 200);
    m_list->setColumnWidth(2, 110);
    QPalette pal = m_list->palette();
    pal.setColor(QPalette::Text, QColor(0, 0, 255));
    m_list->setPalette(pal);
    grid->addWidget(m_list, 0, 0, 5, 1);
    m_add = AddControl(8080, Button(new QPushButton(LangText("PS3", "Add...", 63), formsBox)));
    m_deleteAll = AddControl(8076, Button(new QPushButton(LangText("PS3", "Delete All", 63), formsBox)));
    m_formList = AddControl(8088, Button(new QPushButton(LangText("FLASH", "IDL_PRINT_LIST", 63), formsBox)));
    auto* refresh = AddControl(8156, Button(new QPushButton(LangText("PS3", "Refresh", 63), formsBox)));
    grid->addWidget(m_add, 0, 1);
    grid->addWidget(m_deleteAll, 1, 1);
    grid->addWidget(m_formList, 2, 1);
    grid->addWidget(refresh, 3, 1);
    grid->setRowStretch(4, 1);
    column->addWidget(formsBox, 1);
    m_fontList = AddControl(8057, Button(new QPushButton(LangText("PS3", "IDC_PS3_FONTLIST_X", 63), this)));
    column->addWidget(m_fontList, 0, Qt::AlignLeft);

    connect(m_radios, &QButtonGroup::idClicked, this, &CPostS4::OnErrorRadio);
    connect(m_add, &QPushButton::clicked, this, &CPostS4::OnAdd);
    connect(m_deleteAll, &QPushButton::clicked, this, &CPostS4::OnDeleteAll);
    connect(m_formList, &QPushButton::clicked, this, &CPostS4::OnPrintFormList);
    connect(refresh, &QPushButton::clicked, this, &CPostS4::OnRefresh);
    connect(m_fontList, &QPushButton::clicked, this, &CPostS4::OnPrintFontList);
}

void CPostS4::OnSetActive() {
    // The form list is the printer's; it is asked for again whenever the page is shown.
    OnRefresh();
    LoadFromSettings();
}

void CPostS4::LoadFromSettings() {
    m_errorIndex = m_ctx.store.edited.prtPsErrs;
    if (IsCreated()) SetCheckedIndex(m_radios, m_errorIndex);
}

void CPostS4::OnErrorRadio() {
    if (CheckedIndex(m_radios) >= 0) m_errorIndex = CheckedIndex(m_radios);
    m_ctx.store.edited.prtPsErrs = static_cast<uint8_t>(m_errorIndex);
}

void CPostS4::EnableButtons(bool add, bool deleteAll, bool fontList, bool formList) {
    m_add->setEnabled(add);
    m_deleteAll->setEnabled(deleteAll);
    m_fontList->setEnabled(fontList);
    m_formList->setEnabled(formList);
}

void CPostS4::OnRefresh() {
    if (!m_ctx.link.AcquirePort()) return;
    {
        WaitCursor cursor(m_ctx.ui);
        ListingShape shape;
        if (!QueryFormInfo(m_ctx, &shape)) {
            ShowPrinterError();
        } else {
            ShowForms();
            if (!shape.Complete()) Message(LangTextStd("STRING", "IDS_LIST_INCOMPLETE"), MsgIcon::Warning);
        }
    }
    m_ctx.link.ReleasePort();
}

void CPostS4::ShowForms() {
    m_list->clear();
    const auto& forms = m_ctx.store.formList;
    for (size_t i = 0; i < forms.size(); ++i) {
        auto* row = new QTreeWidgetItem(m_list, {QString::number(i + 1), FromStd(FormName(forms[i])),
                                                 QString::number(forms[i].size)});
        row->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
    }
    const bool any = m_list->topLevelItemCount() > 0;
    EnableButtons(true, any, true, any);
}

void CPostS4::ShowConfirmed(const ListingCheck<std::string>& check, const char* notTakenKey) {
    if (check.verdict != Listed::Unread) ShowForms();
    std::string names;
    for (const std::string& n : check.contrary)
        names += (names.empty() ? "" : ", ") + n.substr(n.find(' ') + 1); // without the "form " before it
    // Unread, the list no longer says what the printer holds until the next refresh.
    if (check.verdict == Listed::Unread) EnableButtons(false, false, false, false);
    TellListed(check.verdict, names, notTakenKey);
}

void CPostS4::OnAdd() {
    if (!m_ctx.link.AcquirePort()) return;
    std::optional<std::string> path = m_ctx.ui.OpenFileDialog(
        LangTextStd("PS3", "Add..."), "All files (*.*)|*.*||", QDir::currentPath().toStdString());
    if (path) {
        const std::optional<uint64_t> size = FileSizeForSend(*path);
        if (!size) {
            Message(LangTextStd("STRING", "IDS_SEND_NOTOPEN"), MsgIcon::Warning);
        } else if (*size >= kSendSizeLimit) {
            Message(LangTextStd("STRING", "IDS_SEND_TOOLARGE"), MsgIcon::Warning);
        } else if (std::optional<std::string> header = FormDownloadHeader(*path, *size)) {
            CSendProgressDlg dlg(m_ctx, *path, *header, std::nullopt, this);
            dlg.exec();
            // Sent or not, the list then shows what the printer holds.
            WaitCursor cursor(m_ctx.ui);
            const ListingCheck<std::string> check = ConfirmFormStored(m_ctx, *path);
            if (dlg.Result().status == SendStatus::Complete || check.verdict == Listed::Unread)
                ShowConfirmed(check, "IDS_NOT_STORED");
            else
                ShowForms();
        } else {
            Message(LangTextStd("STRING", "IDS_SEND_UNSAFE"), MsgIcon::Warning);
        }
    }
    m_ctx.link.ReleasePort();
}

void CPostS4::OnDeleteAll() {
    if (!m_ctx.link.AcquirePort()) return;
    LangTextStd("FLASH", DefOf(FlashJob::DeletePsFormAll).questionKey);
    if (ConfirmFlashJob(m_ctx, FlashJob::DeletePsFormAll)) {
        WaitCursor cursor(m_ctx.ui);
        if (RunFlashJob(m_ctx, FlashJob::DeletePsFormAll)) {
            ShowConfirmed(ConfirmFlashErased(m_ctx, false), "IDS_NOT_DELETED");
        } else {
            ShowPrinterError();
            EnableButtons(false, false, false, false);
        }
    }
    m_ctx.link.ReleasePort();
}

void CPostS4::OnPrintFormList() {
    PrintPrinterList(m_ctx, "PSFSFONT", [this] { ShowPrinterError(); });
}

void CPostS4::OnPrintFontList() {
    PrintPrinterList(m_ctx, "PSFONT", [this] { ShowPrinterError(); });
}

} // namespace tav
