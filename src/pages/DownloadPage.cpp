#include "pages/DownloadPage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>

#include "pages/Sheet.h"
#include "pjl/Pjl.h"
#include "storage/FileSend.h"
#include "storage/SendProgressDlg.h"

namespace tav {
namespace {

const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);

// Colours each cell as it is painted, so the red row always follows the last reported macro.
class MacroColorDelegate : public QStyledItemDelegate {
  public:
    explicit MacroColorDelegate(CMacroListCtrl* list) : QStyledItemDelegate(list), m_list(list) {}

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const QColor c = m_list->RowColor(index.row());
        option->palette.setColor(QPalette::Text, c);
        option->palette.setColor(QPalette::HighlightedText, c);
    }

  private:
    CMacroListCtrl* m_list;
};

void ReportStyle(QTreeWidget* list, const QStringList& titles, const std::vector<int>& widths) {
    list->setRootIsDecorated(false);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setHeaderLabels(titles);
    list->headerItem()->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
    list->header()->setStretchLastSection(true);
    for (size_t i = 0; i < widths.size(); ++i)
        list->setColumnWidth(static_cast<int>(i), widths[i]);
    QPalette pal = list->palette();
    pal.setColor(QPalette::Text, kBlue);
    list->setPalette(pal);
}

QTreeWidgetItem* AddRow(QTreeWidget* list, const QStringList& cells) {
    auto* row = new QTreeWidgetItem(list, cells);
    row->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
    return row;
}

// The selected row, or -1.
int SelectedRow(const QTreeWidget* list) {
    const QList<QTreeWidgetItem*> sel = list->selectedItems();
    return sel.isEmpty() ? -1 : list->indexOfTopLevelItem(sel.front());
}

} // namespace

CMacroListCtrl::CMacroListCtrl(std::function<uint16_t()> activeMacro, QWidget* parent)
    : QTreeWidget(parent), m_activeMacro(std::move(activeMacro)) {
    setItemDelegate(new MacroColorDelegate(this));
}

QColor CMacroListCtrl::RowColor(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    if (!item) return kBlue;
    bool ok = false;
    const int id = item->text(1).toInt(&ok);
    return ok && m_activeMacro && id == m_activeMacro() ? kRed : kBlue;
}

CDownload::CDownload(AppContext& ctx, QWidget* parent) : TavPage(ctx, 5007, parent) {
    // Each list shares the topic of its group box.
    SetHelpTable({{8039, 139213}, {8070, 139214}});
}

void CDownload::OnInitDialog() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(14, 14, 14, 14);
    outer->setSpacing(10);
    auto* top = new QHBoxLayout;
    top->setSpacing(12);
    outer->addLayout(top, 1);
    auto button = [this](int id, const char* key, QWidget* parent) {
        auto* b = AddControl(id, new QPushButton(LangText("FLASH", key, 63), parent));
        b->setAutoDefault(false);
        return b;
    };
    const QString no = LangText("FLASH", "IDL_NO", 31), idTitle = LangText("FLASH", "IDL_ID", 31);

    auto* fontBox = AddControl(8141, new QGroupBox(LangText("FLASH", "IDC_FONTS", 63), this));
    auto* fontGrid = new QGridLayout(fontBox);
    m_fonts = AddControl(8039, new QTreeWidget(fontBox));
    ReportStyle(m_fonts,
                {no, idTitle, LangText("FLASH", "IDL_Typeface", 31), LangText("FLASH", "IDL_Symbol", 31)},
                {44, 60, 150, 70});
    fontGrid->addWidget(m_fonts, 0, 0, 1, 2);
    auto* addFont = button(8050, "IDL_ADD", fontBox);
    auto* deleteFont = button(8042, "IDL_DELETE", fontBox);
    auto* deleteFonts = button(8046, "IDL_DELETE_ALL", fontBox);
    auto* printFonts = button(8064, "IDL_PRINT_LIST", fontBox);
    fontGrid->addWidget(addFont, 1, 0);
    fontGrid->addWidget(deleteFont, 1, 1);
    fontGrid->addWidget(deleteFonts, 2, 0);
    fontGrid->addWidget(printFonts, 2, 1);
    top->addWidget(fontBox, 3);

    auto* macroBox = AddControl(8142, new QGroupBox(LangText("FLASH", "IDC_MACROS", 63), this));
    auto* macroGrid = new QGridLayout(macroBox);
    m_macroList = AddControl(8070, new CMacroListCtrl([this] { return ActiveMacroId(m_ctx); }, macroBox));
    ReportStyle(m_macroList, {no, idTitle}, {44, 80});
    macroGrid->addWidget(m_macroList, 0, 0, 1, 2);
    auto* addMacro = button(8079, "IDL_ADD", macroBox);
    auto* deleteMacro = button(8075, "IDL_DELETE", macroBox);
    auto* deleteMacros = button(8082, "IDL_DELETE_ALL", macroBox);
    auto* printMacros = button(8084, "IDL_PRINT_LIST", macroBox);
    auto* enable = button(8137, "IDC_ENABLEMACRO", macroBox);
    auto* disable = button(8136, "IDC_DISABLEMACRO", macroBox);
    macroGrid->addWidget(addMacro, 1, 0);
    macroGrid->addWidget(deleteMacro, 1, 1);
    macroGrid->addWidget(deleteMacros, 2, 0);
    macroGrid->addWidget(printMacros, 2, 1);
    macroGrid->addWidget(enable, 3, 0);
    macroGrid->addWidget(disable, 3, 1);
    enable->setVisible(m_ctx.ConfigFlag("FLASH", "EnableMacro"));
    disable->setVisible(m_ctx.ConfigFlag("FLASH", "DisableMacro"));
    top->addWidget(macroBox, 2);

    auto* bottom = new QHBoxLayout;
    auto* deleteAll = button(8058, "IDC_DELETE_ALL", this);
    m_refresh = button(8086, "IDC_REFRESH", this);
    bottom->addWidget(deleteAll);
    bottom->addStretch(1);
    bottom->addWidget(m_refresh);
    outer->addLayout(bottom);

    m_actions = {addFont,      deleteFont,  deleteFonts, printFonts, addMacro, deleteMacro,
                 deleteMacros, printMacros, enable,      disable,    deleteAll};
    connect(addFont, &QPushButton::clicked, this, &CDownload::OnAddFont);
    connect(deleteFont, &QPushButton::clicked, this, &CDownload::OnDeleteFont);
    connect(deleteFonts, &QPushButton::clicked, this, &CDownload::OnDeleteAllFonts);
    connect(printFonts, &QPushButton::clicked, this, &CDownload::OnPrintFontList);
    connect(addMacro, &QPushButton::clicked, this, &CDownload::OnAddMacro);
    connect(deleteMacro, &QPushButton::clicked, this, &CDownload::OnDeleteMacro);
    connect(deleteMacros, &QPushButton::clicked, this, &CDownload::OnDeleteAllMacros);
    connect(printMacros, &QPushButton::clicked, this, &CDownload::OnPrintMacroList);
    connect(enable, &QPushButton::clicked, this, &CDownload::OnEnableMacro);
    connect(disable, &QPushButton::clicked, this, &CDownload::OnDisableMacro);
    connect(deleteAll, &QPushButton::clicked, this, &CDownload::OnDeleteAll);
    connect(m_refresh, &QPushButton::clicked, this, &CDownload::OnRefresh);
    connect(m_macroList, &QTreeWidget::itemClicked, this, &CDownload::OnMacroClicked);
    for (const char* key :
         {"Msg_delete_font", "Msg_delete_macro", "Msg_delete_font_all", "Msg_delete_macro_all",
          "Msg_delete_fontmacro_all", "Msg_not_taken", "Msg_list_incomplete"})
        LangTextStd("FLASH", key);
}

void CDownload::OnSetActive() {
    if (m_ctx.store.edited.featureFlags & kFlagDownload) {
        OnRefresh();
        return;
    }
    // A printer without flash: nothing here can work.
    EnableActions(false);
    m_refresh->setEnabled(false);
}

void CDownload::EnableActions(bool on) {
    for (QPushButton* b : m_actions)
        b->setEnabled(on);
}

void CDownload::FillFontRows() {
    m_fonts->clear();
    const std::vector<FlashFontEntry> fonts = FlashFonts(m_ctx);
    for (size_t i = 0; i < fonts.size(); ++i)
        AddRow(m_fonts, {QString::number(i + 1), QString::number(fonts[i].fontId),
                         FromStd(FontName(fonts[i])), FromStd(FontSymbolSet(fonts[i]))});
}

void CDownload::FillMacroRows() {
    m_macroList->clear();
    for (size_t i = 0; i < m_macros.size(); ++i)
        AddRow(m_macroList, {QString::number(i + 1), QString::number(m_macros[i])});
}

std::optional<FlashListing> CDownload::Reload() {
    std::optional<FlashListing> listing = RefreshFlashLists(m_ctx);
    if (!listing) {
        ShowPrinterError();
        return std::nullopt;
    }
    m_macros = listing->macros->ids;
    FillMacroRows();
    FillFontRows();
    EnableActions(true);
    emit FlashFontsChanged();
    // The rows hold what arrived whole; the user is told that there is more.
    if (!listing->fonts->Complete() || !listing->macros->Complete())
        Message(LangTextStd("FLASH", "Msg_list_incomplete"), MsgIcon::Warning);
    return listing;
}

bool CDownload::Confirm(FlashAction action, uint16_t id) {
    const std::optional<FlashListing> listing = Reload();
    if (!listing) return false;
    if (!CheckFlashChange(action, id, *listing).misses.empty())
        Message(LangTextStd("FLASH", "Msg_not_taken"), MsgIcon::Warning);
    return true;
}

void CDownload::OnRefresh() {
    if (!m_ctx.link.AcquirePort()) return;
    {
        WaitCursor cursor(m_ctx.ui);
        Reload();
    }
    m_ctx.link.ReleasePort();
}

void CDownload::Download(bool macro) {
    if (!m_ctx.link.AcquirePort()) return;
    CSelectFileDlg select(m_ctx, this);
    if (select.exec() == QDialog::Accepted) {
        const int id = select.Id();
        WaitCursor cursor(m_ctx.ui);
        CSendProgressDlg send(
            m_ctx, select.FilePath(), macro ? MacroDownloadHeader(id) : FontDownloadHeader(id),
            macro ? std::optional<std::string>(MacroDownloadTrailer()) : std::nullopt, this);
        send.exec();
        m_ctx.ui.Wait(kFlashDownloadWaitMs);
        // A send that failed has said so in its dialog; one that went out is looked for.
        const auto typed = static_cast<uint16_t>(id);
        const uint16_t stored = macro ? typed : StoredFontId(select.FilePath(), typed);
        if (send.Result().status != SendStatus::Complete ||
            !Confirm(macro ? FlashAction::AddMacro : FlashAction::AddFont, stored))
            EnableActions(false);
    }
    m_ctx.link.ReleasePort();
}

void CDownload::OnAddFont() {
    Download(false);
}
void CDownload::OnAddMacro() {
    Download(true);
}

void CDownload::AfterDelete(bool written, FlashAction action, uint16_t id,
                            const std::function<void()>& assume) {
    if (!written) ShowPrinterError();
    if (written && Confirm(action, id)) return;
    assume();
    EnableActions(false);
}

void CDownload::OnDeleteFont() {
    if (!m_ctx.link.AcquirePort()) return;
    const int row = SelectedRow(m_fonts);
    const std::vector<FlashFontEntry> fonts = FlashFonts(m_ctx);
    if (row < 0 || row >= static_cast<int>(fonts.size())) {
        m_ctx.ui.Beep();
    } else if (ConfirmFlashJob(m_ctx, FlashJob::DeleteFont)) {
        WaitCursor cursor(m_ctx.ui);
        const uint16_t id = fonts[static_cast<size_t>(row)].fontId;
        AfterDelete(RunFlashJob(m_ctx, FlashJob::DeleteFont, id), FlashAction::DeleteFont, id, [&] {
            // By its ID: a listing that failed part way may have replaced the rows.
            const std::vector<FlashFontEntry> now = FlashFonts(m_ctx);
            const auto at = std::find_if(now.begin(), now.end(),
                                         [id](const FlashFontEntry& f) { return f.fontId == id; });
            RemoveFlashFont(m_ctx, static_cast<size_t>(at - now.begin()));
            FillFontRows();
        });
    }
    m_ctx.link.ReleasePort();
}

void CDownload::OnDeleteMacro() {
    if (!m_ctx.link.AcquirePort()) return;
    const int row = SelectedRow(m_macroList);
    if (row < 0 || row >= static_cast<int>(m_macros.size())) {
        m_ctx.ui.Beep();
    } else if (ConfirmFlashJob(m_ctx, FlashJob::DeleteMacro)) {
        WaitCursor cursor(m_ctx.ui);
        const uint16_t id = m_macros[static_cast<size_t>(row)];
        AfterDelete(RunFlashJob(m_ctx, FlashJob::DeleteMacro, id), FlashAction::DeleteMacro, id, [&] {
            m_macros.erase(m_macros.begin() + row);
            FillMacroRows();
        });
    }
    m_ctx.link.ReleasePort();
}

void CDownload::DeleteAll(int which) {
    if (!m_ctx.link.AcquirePort()) return;
    const FlashJob job = which == 1   ? FlashJob::DeleteFontAll
                         : which == 2 ? FlashJob::DeleteMacroAll
                                      : FlashJob::DeleteAll;
    const FlashAction action = which == 1   ? FlashAction::DeleteFonts
                               : which == 2 ? FlashAction::DeleteMacros
                                            : FlashAction::DeleteAll;
    if (ConfirmFlashJob(m_ctx, job)) {
        WaitCursor cursor(m_ctx.ui);
        AfterDelete(RunFlashJob(m_ctx, job), action, 0, [&] {
            if (which & 1) {
                ClearFlashFonts(m_ctx);
                m_fonts->clear();
                emit FlashFontsChanged();
            }
            if (which & 2) {
                m_macros.clear();
                m_macroList->clear();
            }
        });
    }
    m_ctx.link.ReleasePort();
}

void CDownload::OnDeleteAllFonts() {
    DeleteAll(1);
}
void CDownload::OnDeleteAllMacros() {
    DeleteAll(2);
}
void CDownload::OnDeleteAll() {
    DeleteAll(3);
}

void CDownload::OnPrintFontList() {
    PrintPrinterList(m_ctx, "PCLFSFONT", [this] { ShowPrinterError(); });
}
void CDownload::OnPrintMacroList() {
    PrintPrinterList(m_ctx, "PCLMACRO", [this] { ShowPrinterError(); });
}

void CDownload::OnMacroClicked() {
    const int row = SelectedRow(m_macroList);
    if (row < 0 || row >= static_cast<int>(m_macros.size())) {
        m_ctx.ui.Beep();
        return;
    }
    m_ctx.store.edited.flashValue = m_macros[static_cast<size_t>(row)];
}

void CDownload::SetActiveMacro(uint16_t id) {
    WaitCursor cursor(m_ctx.ui);
    if (RunFlashJob(m_ctx, FlashJob::MacroId, id))
        Confirm(FlashAction::SetActiveMacro, id);
    else
        ShowPrinterError();
}

void CDownload::OnEnableMacro() {
    if (!m_ctx.link.AcquirePort()) return;
    // The selected row, however it was selected: a row chosen with the keys was never clicked.
    const int row = SelectedRow(m_macroList);
    if (row < 0 || row >= static_cast<int>(m_macros.size())) {
        m_ctx.ui.Beep();
    } else {
        const uint16_t chosen = m_macros[static_cast<size_t>(row)];
        m_ctx.store.edited.flashValue = chosen;
        // Already the printer's active macro: nothing to send.
        if (chosen != ActiveMacroId(m_ctx)) SetActiveMacro(chosen);
    }
    m_ctx.link.ReleasePort();
}

void CDownload::OnDisableMacro() {
    if (!m_ctx.link.AcquirePort()) return;
    SetActiveMacro(kNoActiveMacro);
    m_ctx.link.ReleasePort();
}

} // namespace tav
