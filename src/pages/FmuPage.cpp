#include "pages/FmuPage.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "pages/PageControls.h"
#include "pjl/Pjl.h"
#include "storage/PsDownload.h"
#include "storage/SendProgressDlg.h"

namespace tav {
namespace {

constexpr int kRadioAll = 1152, kRadioFont = 1153, kRadioForm = 1154, kResourceBox = 1155;
constexpr int kRadioMemory = 1156, kRadioHdd = 1157, kStorageBox = 1158;
constexpr int kPendingList = 1160, kDownload = 1161, kFileList = 1162;
constexpr int kTotalLabel = 1163, kUsedLabel = 1164, kAvailableLabel = 1165, kDelete = 1166;
constexpr int kTotalValue = 1168, kUsedValue = 1169, kAvailableValue = 1170, kReport = 1171;
constexpr int kSizeBox = 1172, kRefresh = 1173, kListBox = 1174;
constexpr int kErrorBox = 6031, kBrowse = 8052, kFontList = 8057, kReset = 8061;
constexpr int kErrorOff = 8124, kErrorOn = 8125;

// Switched on and off together; the error-print radios and the font-list button stay usable.
constexpr int kManagerControls[] = {kRadioAll,   kRadioFont,      kRadioForm,      kResourceBox, kRadioMemory,
                                    kRadioHdd,   kStorageBox,     kPendingList,    kDownload,    kFileList,
                                    kTotalLabel, kUsedLabel,      kAvailableLabel, kDelete,      kTotalValue,
                                    kUsedValue,  kAvailableValue, kReport,         kRefresh,     kListBox,
                                    kBrowse,     kReset};

const char* const kFilterKeys[] = {"IDC_FMU_RADIO_ALL", "IDC_FMU_RADIO_FONT", "IDC_FMU_RADIO_FORM"};
const char* const kTargetKeys[] = {"IDC_FMU_RADIO_MEMORY", "IDC_FMU_RADIO_HDD"};

constexpr unsigned kReportWaitMs = 10000;
constexpr unsigned kReportFailWaitMs = 2000;
constexpr unsigned kFontListWaitMs = 10000;
// After each deletion the printer is given its eight seconds in steps that keep the window alive.
constexpr unsigned kDeleteWaitStepMs = 100;
constexpr unsigned kDeleteWaitRounds = kFmuDeleteWaitMs / kDeleteWaitStepMs;

bool Passes(int filter, int32_t type) {
    return filter == FMU_SELECTED_DATA_ALL || (filter == FMU_SELECTED_DATA_FONT && type == FMU_DATA_FONT) ||
           (filter == FMU_SELECTED_DATA_FORM && type == FMU_DATA_FORM);
}

} // namespace

CFMUTab::CFMUTab(AppContext& ctx, QWidget* parent) : TavPage(ctx, 152, parent), m_proto(ctx, m_log) {
    SetHelpTable(
        {{kRadioAll, 132224},    {kRadioFont, 132225},  {kRadioForm, 132226},      {kRadioMemory, 132228},
         {kRadioHdd, 132229},    {kReset, 139133},      {kDownload, 132233},       {kDelete, 132238},
         {kReport, 132243},      {kRefresh, 132245},    {kTotalLabel, 132235},     {kTotalValue, 132235},
         {kUsedLabel, 132236},   {kUsedValue, 132236},  {kAvailableLabel, 132237}, {kAvailableValue, 132237},
         {kErrorOff, 137103},    {kErrorOn, 137103},    {kErrorBox, 137103},       {kFontList, 139129},
         {kResourceBox, 132227}, {kStorageBox, 132230}, {kBrowse, 139124},         {kFileList, 132234},
         {kListBox, 132234},     {kSizeBox, 132244},    {kPendingList, 132232}});
    m_sender = [this](const std::string& path, const std::string& header) {
        CSendProgressDlg dlg(m_ctx, path, header, std::nullopt, this);
        dlg.exec();
        return dlg.Result();
    };
    m_proto.SetSender(
        [this](const std::string& path, const std::string& header) { return m_sender(path, header); });
}

CFMUTab::~CFMUTab() {
    OnFmuButtonReset();
}

void CFMUTab::OnInitDialog() {
    m_errorPrint = 0;
    auto* outer = new QGridLayout(this);
    outer->setContentsMargins(10, 8, 10, 8);
    outer->setHorizontalSpacing(10);
    outer->setVerticalSpacing(6);

    auto radioBox = [this](int boxId, std::initializer_list<int> ids, QButtonGroup*& group, bool vertical) {
        auto* box = AddControl(boxId, new QGroupBox(this));
        QBoxLayout* lay = vertical ? static_cast<QBoxLayout*>(new QVBoxLayout(box)) : new QHBoxLayout(box);
        lay->setContentsMargins(8, 4, 8, 4);
        group = new QButtonGroup(this);
        int i = 0;
        for (int id : ids) {
            auto* r = AddControl(id, new QRadioButton(box));
            group->addButton(r, i++);
            lay->addWidget(r);
        }
        lay->addStretch(1);
        return box;
    };

    // Left: what to send and where.
    auto* left = new QVBoxLayout;
    left->addWidget(radioBox(kResourceBox, {kRadioAll, kRadioFont, kRadioForm}, m_dataGroup, false));
    left->addWidget(radioBox(kStorageBox, {kRadioMemory, kRadioHdd}, m_targetGroup, false));
    m_pending = AddControl(kPendingList, new QListWidget(this));
    m_pending->setFixedHeight(26);
    left->addWidget(m_pending);
    auto* sendRow = new QHBoxLayout;
    for (int id : {kBrowse, kReset, kDownload})
        sendRow->addWidget(AddControl(id, new QPushButton(this)));
    left->addLayout(sendRow);
    auto* errorBox = radioBox(kErrorBox, {kErrorOff, kErrorOn}, m_errorGroup, false);
    left->addWidget(errorBox);
    left->addWidget(AddControl(kFontList, new QPushButton(this)));
    left->addStretch(1);

    // Right: what the printer holds.
    auto* right = new QVBoxLayout;
    m_listBox = AddControl(kListBox, new QGroupBox(this));
    auto* listLay = new QVBoxLayout(m_listBox);
    listLay->setContentsMargins(6, 4, 6, 6);
    m_list = AddControl(kFileList, new QTreeWidget(m_listBox));
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setColumnCount(1);
    m_list->setHeaderHidden(true);
    m_list->installEventFilter(this);
    listLay->addWidget(m_list);
    right->addWidget(m_listBox, 1);

    m_sizeBox = AddControl(kSizeBox, new QGroupBox(this));
    auto* sizes = new QGridLayout(m_sizeBox);
    sizes->setContentsMargins(8, 4, 8, 4);
    sizes->setVerticalSpacing(2);
    int row = 0;
    for (auto [labelId, valueId, slot] :
         {std::tuple{kTotalLabel, kTotalValue, &m_total}, std::tuple{kUsedLabel, kUsedValue, &m_used},
          std::tuple{kAvailableLabel, kAvailableValue, &m_available}}) {
        sizes->addWidget(AddControl(labelId, new QLabel(m_sizeBox)), row, 0);
        *slot = AddControl(valueId, new QLabel("0", m_sizeBox));
        (*slot)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        sizes->addWidget(*slot, row, 1);
        ++row;
    }
    sizes->setColumnStretch(1, 1);
    right->addWidget(m_sizeBox);
    auto* listRow = new QHBoxLayout;
    for (int id : {kDelete, kReport, kRefresh})
        listRow->addWidget(AddControl(id, new QPushButton(this)));
    right->addLayout(listRow);

    outer->addLayout(left, 0, 0);
    outer->addLayout(right, 0, 1);
    outer->setColumnStretch(0, 1);
    outer->setColumnStretch(1, 1);

    auto button = [this](int id) { return static_cast<QPushButton*>(Control(id)); };
    connect(button(kBrowse), &QPushButton::clicked, this, &CFMUTab::OnFmuButtonFiledialog);
    connect(button(kReset), &QPushButton::clicked, this, &CFMUTab::OnFmuButtonReset);
    connect(button(kDownload), &QPushButton::clicked, this, &CFMUTab::OnFmuButtonDownload);
    connect(button(kDelete), &QPushButton::clicked, this, &CFMUTab::OnFmuButtonDelete);
    connect(button(kReport), &QPushButton::clicked, this, &CFMUTab::OnFmuButtonReport);
    connect(button(kRefresh), &QPushButton::clicked, this, &CFMUTab::OnFmuButtonRefresh);
    connect(button(kFontList), &QPushButton::clicked, this, &CFMUTab::OnPs3Fontlist);
    connect(m_dataGroup, &QButtonGroup::idClicked, this, [this](int id) { SelectFilter(id); });
    connect(m_targetGroup, &QButtonGroup::idClicked, this, [this](int id) { SelectTarget(id); });
    connect(m_errorGroup, &QButtonGroup::idClicked, this, [this](int id) {
        m_errorPrint = id;
        m_ctx.store.edited.prtPsErrs = static_cast<uint8_t>(id);
    });
    LoadUIString();
}

void CFMUTab::LoadUIString() {
    auto set = [this](int id, const char* section, const char* key) {
        QWidget* w = Control(id);
        const QString text = LangText(section, key, 127);
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            b->setText(text);
        else if (auto* g = qobject_cast<QGroupBox*>(w))
            g->setTitle(text);
        else if (auto* l = qobject_cast<QLabel*>(w))
            l->setText(text);
    };
    set(kResourceBox, "FMU", "IDL_RESOURCE_TYPE");
    set(kRadioAll, "FMU", "IDC_FMU_RADIO_ALL");
    set(kRadioFont, "FMU", "IDC_FMU_RADIO_FONT");
    set(kRadioForm, "FMU", "IDC_FMU_RADIO_FORM");
    set(kStorageBox, "FMU", "IDL_STORAGE_TYPE");
    set(kRadioMemory, "FMU", "IDC_FMU_RADIO_MEMORY");
    set(kRadioHdd, "FMU", "IDC_FMU_RADIO_HDD");
    set(kBrowse, "FMU", "IDC_FMU_BUTTON_FILEDIALOG");
    set(kReset, "FMU", "IDC_FMU_BUTTON_RESET");
    set(kDownload, "FMU", "IDC_FMU_BUTTON_DOWNLOAD");
    set(kListBox, "FMU", kFilterKeys[m_nDataType]);
    set(kSizeBox, "FMU", kTargetKeys[m_nTargetType]);
    set(kTotalLabel, "FMU", "IDC_FMU_STATIC_TOTALMEM");
    set(kUsedLabel, "FMU", "IDC_FMU_STATIC_USEDMEM");
    set(kAvailableLabel, "FMU", "IDC_FMU_STATIC_AVAILABLEMEM");
    set(kDelete, "FMU", "IDC_FMU_BUTTON_DELETE");
    set(kReport, "FMU", "IDC_FMU_BUTTON_REPORT");
    set(kRefresh, "FMU", "IDC_FMU_BUTTON_REFRESH");
    set(kErrorBox, "FMU", "IDL_PRINTERRORINFO");
    set(kErrorOff, "PS3", "IDC_PAGEERROR_OFF");
    set(kErrorOn, "PS3", "IDC_PAGEERROR_ON");
    set(kFontList, "FMU", "IDC_PS3_FONTLIST");
}

void CFMUTab::LoadFromSettings() {
    m_errorPrint = m_ctx.store.edited.prtPsErrs ? 1 : 0;
    if (IsCreated()) SetCheckedIndex(m_errorGroup, m_errorPrint);
}

void CFMUTab::OnSetActive() {
    EnsureCreated();
    m_log.ReadSwitch();
    m_log("[FMU] F-OnInitDialog / Begin\n");
    if (!m_columnMade) {
        m_list->setHeaderLabels({LangText("FMU", "IDL_LIST_FILENAME", 31)});
        m_list->setHeaderHidden(false);
        m_list->header()->resizeSection(0, 150);
        m_columnMade = true;
    }
    InitializeUI();
    SetCheckedIndex(m_dataGroup, m_nDataType);
    LoadFromSettings();
    m_log("[FMU] F-OnInitDialog / End\n");
}

void CFMUTab::InitializeUI() {
    m_nDataType = FMU_SELECTED_DATA_ALL;
    m_nTargetType = FMU_SELECTED_TARGET_DIMM;
    LoadUIString();
    EnableManager(true);
    const int system = m_proto.CheckSystem();
    switch (system) {
    case 1:
    case 3:
        Control(kRadioMemory)->setEnabled(true);
        Control(kRadioHdd)->setEnabled(system == 3);
        SelectTarget(FMU_SELECTED_TARGET_DIMM);
        OnFmuButtonRefresh();
        break;
    case 2:
        Control(kRadioMemory)->setEnabled(false);
        Control(kRadioHdd)->setEnabled(true);
        SelectTarget(FMU_SELECTED_TARGET_HDD);
        OnFmuButtonRefresh();
        break;
    default:
        EnableManager(false);
        m_log("[Not HDD]F-InitializeUI / Do not support ps file system!\n");
        SelectTarget(FMU_SELECTED_TARGET_DIMM);
        break;
    }
}

void CFMUTab::EnableManager(bool on) {
    for (int id : kManagerControls)
        if (QWidget* w = Control(id)) w->setEnabled(on);
}

void CFMUTab::SelectTarget(int target) {
    m_nTargetType = target == FMU_SELECTED_TARGET_HDD ? FMU_SELECTED_TARGET_HDD : FMU_SELECTED_TARGET_DIMM;
    m_proto.SetTarget(m_nTargetType);
    if (!IsCreated()) return;
    m_sizeBox->setTitle(LangText("FMU", kTargetKeys[m_nTargetType], 127));
    SetCheckedIndex(m_targetGroup, m_nTargetType);
}

void CFMUTab::SelectFilter(int filter) {
    m_nDataType = filter >= 0 && filter <= 2 ? filter : FMU_SELECTED_DATA_ALL;
    if (!IsCreated()) return;
    SetCheckedIndex(m_dataGroup, m_nDataType);
    m_listBox->setTitle(LangText("FMU", kFilterKeys[m_nDataType], 63));
    RefreshListCtrl();
}

void CFMUTab::RefreshListCtrl() {
    if (!IsCreated()) return;
    m_list->clear();
    const QIcon icons[] = {style()->standardIcon(QStyle::SP_FileIcon),
                           style()->standardIcon(QStyle::SP_FileDialogDetailedView)};
    for (const FmuFileEntry& e : m_rFontInfo) {
        if (!Passes(m_nDataType, e.type)) continue;
        auto* item = new QTreeWidgetItem(m_list, {FromStd(e.name)});
        item->setIcon(0, icons[e.type == FMU_DATA_FORM ? 1 : 0]);
        item->setData(0, Qt::UserRole, e.type);
        item->setData(0, Qt::UserRole + 1, QByteArray::fromStdString(e.name));
    }
    if (m_list->topLevelItemCount() > 0)
        m_list->scrollToItem(m_list->topLevelItem(m_list->topLevelItemCount() - 1));
}

void CFMUTab::AddItemToListCtrl(const std::string& name, int32_t type) {
    for (const FmuFileEntry& e : m_rFontInfo)
        if (e.name == name && e.type == type) {
            m_log("[FMU] F-AddItemToListCtrl / Find duplicated file name\n");
            return;
        }
    m_rFontInfo.push_back({name, type});
    RefreshListCtrl();
}

void CFMUTab::DeleteItemFromListCtrl(const std::string& name, int32_t type) {
    for (auto it = m_rFontInfo.begin(); it != m_rFontInfo.end(); ++it)
        if (it->name == name && it->type == type) {
            m_rFontInfo.erase(it);
            RefreshListCtrl();
            return;
        }
    m_log("[FMU] F-DeleteItemFromListCtrl / Does not find the item what I want to delete.\n");
}

void CFMUTab::OnFmuButtonRefresh() {
    if (!m_ctx.link.AcquirePort()) return;
    {
        WaitCursor cursor(m_ctx.ui);
        m_rFontInfo.clear();
        bool complete = false;
        const bool ok = m_proto.LoadEntries(m_rFontInfo, complete);
        RefreshListCtrl();
        if (!ok)
            ShowPrinterError();
        else if (!complete)
            Message(LangTextStd("STRING", "IDS_LIST_INCOMPLETE"), MsgIcon::Warning);
        UpdateMemoryStatus();
        m_ctx.link.ReleasePort();
    }
}

int CFMUTab::UpdateMemoryStatus() {
    FmuSizes sizes;
    bool ok;
    {
        WaitCursor cursor(m_ctx.ui);
        ok = m_proto.QuerySizes(sizes, true);
    }
    if (!ok) return 0;
    if (IsCreated()) {
        // A printer that reports more free than total space shows nothing used, not a wrapped number.
        const uint64_t used = sizes.totalKb > sizes.freeKb ? sizes.totalKb - sizes.freeKb : 0;
        m_total->setText(FromStd(FormatThousands(sizes.totalKb)));
        m_used->setText(FromStd(FormatThousands(used)));
        m_available->setText(FromStd(FormatThousands(sizes.freeKb)));
    }
    m_log("[FMU] F-UpdateMemoryStatus / END\n");
    return 1;
}

void CFMUTab::OnFmuButtonFiledialog() {
    if (EntryLimitReached(m_rFontInfo.size())) {
        m_log("[FMU] F-OnFmuButtonFiledialog / Limit!! m_rFontInfo = %d\n",
              static_cast<int>(m_rFontInfo.size()));
        Message(LangTextStd("FMU", "IDS_LIMIT_FILE"), MsgIcon::Error);
        return;
    }
    const std::optional<std::string> path = m_ctx.ui.OpenFileDialog(
        LangTextStd("FMU", "IDC_FMU_BUTTON_FILEDIALOG", 127), "*.*|*.*|*.pfa|*.pfa|*.pfb|*.pfb||", "");
    if (!path || path->empty()) return;
    OnFmuButtonReset();
    // The text is for the eye; the path's own bytes name the form.
    auto* item = new QListWidgetItem(FromStd(FileNamePart(*path)), m_pending);
    item->setData(Qt::UserRole, QByteArray::fromStdString(*path));
}

void CFMUTab::OnFmuButtonReset() {
    if (!m_pending) return;
    m_log("[FMU] F-OnFmuButtonReset / nCount = %d\n", m_pending->count());
    m_pending->clear();
}

void CFMUTab::closeEvent(QCloseEvent* event) {
    OnFmuButtonReset();
    TavPage::closeEvent(event);
}

bool CFMUTab::DownloadOne(const std::string& path, int& downloaded, int count) {
    const PsSendAs as = m_nDataType == FMU_SELECTED_DATA_FONT   ? PsSendAs::Font
                        : m_nDataType == FMU_SELECTED_DATA_FORM ? PsSendAs::Form
                                                                : PsSendAs::Any;
    PsDownload download(m_proto, path, as, m_rFontInfo.size(), &m_log);
    const std::string file = FileNamePart(path);
    switch (download.Step()) {
    case PsDownloadStep::Ready:
        break;
    case PsDownloadStep::Full:
        Message(LangTextStd("FMU", "IDS_LIMIT_FILE"), MsgIcon::Error);
        return false;
    case PsDownloadStep::Unreadable:
        m_log("Problem getting information\n");
        Message(LangTextStd("STRING", "IDS_SEND_NOTOPEN"), MsgIcon::Error);
        return true;
    case PsDownloadStep::NotAFont:
        Message(Format(LangTextStd("FMU", "IDS_INVALID_FONT"), {ProductTitle()}), MsgIcon::Error);
        return true;
    case PsDownloadStep::BadName:
        Message(Format(LangTextStd("FMU", download.Entry().type == FMU_DATA_FONT ? "IDS_BAD_FONTNAME"
                                                                                  : "IDS_BAD_FORMNAME"),
                       {file, LangTextStd("FMU", TextOf(download.Problem()).langKey)}),
                MsgIcon::Error);
        return true;
    case PsDownloadStep::SizeUnknown:
    case PsDownloadStep::NoSpace:
        Message(Format(LangTextStd("STRING", "IDS_SEND_NOTMEM"), {std::to_string(downloaded)}), MsgIcon::Error);
        return false;
    }
    const bool font = download.Entry().type == FMU_DATA_FONT;
    const std::string& name = download.Entry().name;
    while (download.Send().status != SendStatus::Complete) {
        m_log(font ? "[FMU] F-OnFmuButtonDownload / Font Download Error\n"
                   : "[FMU] F-OnFmuButtonDownload / Form Download Error\n");
        const MsgResult answer =
            Message(LangTextStd("FMU", font ? "IDS_FAIL_FONTDOWNLOAD" : "IDS_FAIL_FORMDOWNLOAD"), MsgIcon::Error,
                    m_nDataType == FMU_SELECTED_DATA_ALL ? MsgButtons::YesNoCancel : MsgButtons::YesNo);
        if (answer != MsgResult::Yes) return answer != MsgResult::Cancel;
    }
    // The list shows what the printer holds, and says so when that is not what was sent.
    std::vector<FmuFileEntry> listing;
    if (!ShowListing(download.Confirm(listing), listing, "IDS_NOT_STORED")) return true;
    ++downloaded;
    const std::string text = Format(LangTextStd("FMU", "IDS_DOWNLOAD_COUNT"),
                                    {name, std::to_string(downloaded), std::to_string(count)});
    m_log("[FMU] F-OnFmuButtonDownload / strText = %s\n", text.c_str());
    repaint();
    return true;
}

void CFMUTab::OnFmuButtonDownload() {
    if (!m_ctx.link.AcquirePort()) return;
    const int count = m_pending->count();
    std::vector<std::string> pending;
    for (int i = 0; i < count; ++i)
        pending.push_back(m_pending->item(i)->data(Qt::UserRole).toByteArray().toStdString());
    {
        WaitCursor cursor(m_ctx.ui);
        m_list->setEnabled(false);
        m_pending->setEnabled(false);
        m_log("[FMU] F-OnFmuButtonDownload / nCount = %d\n", count);
        int downloaded = 0;
        bool go = true;
        for (size_t i = 0; go && i < pending.size(); ++i)
            go = DownloadOne(pending[i], downloaded, count);
        if (go) UpdateMemoryStatus();
    }
    OnFmuButtonReset();
    m_list->setEnabled(true);
    m_pending->setEnabled(true);
    m_ctx.link.ReleasePort();
}

void CFMUTab::OnFmuButtonDelete() {
    if (!m_ctx.link.AcquirePort()) return;
    QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty()) {
        m_ctx.link.ReleasePort();
        return;
    }
    if (Message(LangTextStd("FLASH", "Msg_delete_all"), MsgIcon::Question, MsgButtons::YesNo) !=
        MsgResult::Yes) {
        m_ctx.link.ReleasePort();
        return;
    }
    std::sort(selected.begin(), selected.end(), [this](QTreeWidgetItem* a, QTreeWidgetItem* b) {
        return m_list->indexOfTopLevelItem(a) < m_list->indexOfTopLevelItem(b);
    });
    // Noted before the first deletion: the list is rebuilt after each one. A name that cannot be
    // sent whole and inside its folder is never cut to fit: it is refused.
    std::vector<FmuFileEntry> noted;
    for (QTreeWidgetItem* item : selected) {
        const FmuFileEntry e{item->data(0, Qt::UserRole + 1).toByteArray().toStdString(),
                             item->data(0, Qt::UserRole).toInt()};
        if (const NameProblem p = CheckStoredName(e.name, NameUse::Delete); p != NameProblem::None)
            Message(Format(LangTextStd("FMU", "IDS_BAD_DELETENAME"), {e.name, LangTextStd("FMU", TextOf(p).langKey)}),
                    MsgIcon::Error);
        else
            noted.push_back(e);
    }
    std::vector<FmuFileEntry> deleted;
    {
        WaitCursor cursor(m_ctx.ui);
        // Everything that would start another exchange is off while the printer deletes; the
        // window itself keeps answering.
        EnableManager(false);
        bool stop = false;
        for (const FmuFileEntry& e : noted) {
            if (stop) break;
            for (;;) {
                if (m_proto.DeleteFileOnDevice(e.name, e.type)) {
                    deleted.push_back(e);
                    const std::string text =
                        Format(LangTextStd("FMU", "IDS_DELETE_COUNT"),
                               {e.name, std::to_string(deleted.size()), std::to_string(noted.size())});
                    m_log("[FMU] F-OnFmuButtonDelete / strText = %s\n", text.c_str());
                    DeleteItemFromListCtrl(e.name, e.type);
                    for (unsigned round = 0; round < kDeleteWaitRounds; ++round) {
                        QApplication::processEvents(QEventLoop::AllEvents, 10);
                        m_ctx.ui.Wait(kDeleteWaitStepMs);
                    }
                    break;
                }
                ShowPrinterError();
                const MsgResult answer =
                    Message(LangTextStd("FMU", e.type == FMU_DATA_FONT ? "IDS_FAIL_FONTDELETE"
                                                                       : "IDS_FAIL_FORMDELETE"),
                            MsgIcon::Error, MsgButtons::YesNoCancel);
                if (answer == MsgResult::Yes) continue;
                stop = answer == MsgResult::Cancel;
                break;
            }
        }
    }
    EnableManager(true);
    if (!deleted.empty()) ConfirmDeleted(deleted);
    UpdateMemoryStatus();
    m_ctx.link.ReleasePort();
}

void CFMUTab::ConfirmDeleted(const std::vector<FmuFileEntry>& deleted) {
    std::vector<FmuFileEntry> listing;
    bool complete = false;
    bool read;
    {
        WaitCursor cursor(m_ctx.ui);
        read = m_proto.LoadEntries(listing, complete);
    }
    ShowListing(CheckByListing(read, complete, listing, deleted, false), listing, "IDS_NOT_DELETED");
}

bool CFMUTab::ShowListing(const ListingCheck<FmuFileEntry>& check, std::vector<FmuFileEntry>& listing,
                          const char* notTakenKey) {
    if (check.verdict != Listed::Unread) {
        m_rFontInfo = std::move(listing);
        RefreshListCtrl();
    }
    std::string names;
    for (const FmuFileEntry& e : check.contrary)
        names += (names.empty() ? "" : ", ") + e.name;
    return TellListed(check.verdict, names, notTakenKey);
}

void CFMUTab::OnFmuButtonReport() {
    if (!m_ctx.link.AcquirePort()) return;
    {
        WaitCursor cursor(m_ctx.ui);
        if (m_proto.SendStorageReport()) {
            m_ctx.ui.Wait(kReportWaitMs);
        } else {
            ShowPrinterError();
            m_ctx.ui.Wait(kReportFailWaitMs);
        }
        m_ctx.link.ReleasePort();
    }
}

void CFMUTab::OnPs3Fontlist() {
    if (!m_ctx.link.AcquirePort()) return;
    {
        WaitCursor cursor(m_ctx.ui);
        if (SendTestPrint(m_ctx, "PSFONT")) {
            m_log("[FMU] F-OnPs3Fontlist / R-CMD / PostScript Font List\n");
            m_ctx.ui.Wait(kFontListWaitMs);
        } else {
            ShowPrinterError();
        }
        m_ctx.link.ReleasePort();
    }
}

bool CFMUTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        OnFmuButtonDelete();
        return true;
    }
    return TavPage::eventFilter(watched, event);
}

} // namespace tav
