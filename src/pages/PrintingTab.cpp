#include "pages/PrintingTab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "pages/NumEdit.h"
#include "pages/OrientationPicture.h"

namespace tav {
namespace {

// Control ids of dialog 5003.
enum : int {
    kIdPaperGroup = 6003,
    kIdPaperSizeLabel = 6004,
    kIdPaperSize = 8000,
    kIdShortLabel = 6001,
    kIdShortEdge = 8021,
    kIdLongLabel = 6000,
    kIdLongEdge = 8016,
    kIdOrientationGroup = 6005,
    kIdPortrait = 8008,
    kIdLandscape = 8010,
    kIdOrientationIcon = 8022,
    kIdWideA4 = 8148,
    kIdSourceLabel = 6008,
    kIdSource = 8011,
    kIdCopiesLabel = 6009,
    kIdCopies = 8005,
    kIdQualityLabel = 6010,
    kIdQuality = 8020,
    kIdShortMargins = 6035,
    kIdTallMargins = 6038,
    kIdTopLabel = 6006,
    kIdTop = 8023,
    kIdLeftLabel = 6007,
    kIdLeft = 8018,
    kIdDupTopLabel = 6012,
    kIdDupTop = 8029,
    kIdDupLeftLabel = 6014,
    kIdDupLeft = 8033,
    kIdAutoCrLabel = 6036,
    kIdAutoCr = 8019,
};

constexpr uint32_t kFlagDuplexMargins = 0x4;

QString Qs(const std::string& s) { return FromStd(s); }
std::string Ss(const QString& s) { return s.toStdString(); }

}  // namespace

const std::vector<std::pair<int, uint32_t>>& CPrintingTab::HelpTopics() {
    static const std::vector<std::pair<int, uint32_t>> topics = {
        {6003, 139072}, {8000, 139072}, {6004, 139072}, {1001, 139072}, {1002, 139072},
        {6000, 137072}, {8016, 137072}, {6001, 137073}, {8021, 137073}, {8005, 139077},
        {6009, 139077}, {8020, 139092}, {6010, 139092}, {8019, 139091}, {6036, 139091},
        {8011, 139083}, {6008, 139083}, {8148, 139220}, {8023, 137078}, {6006, 137078},
        {6012, 137078}, {8029, 137078}, {6007, 139090}, {8018, 139090}, {8033, 139090},
        {6014, 139090}, {6038, 137110}, {6035, 137110},
    };
    return topics;
}

CPrintingTab::CPrintingTab(AppContext& ctx, PaperLayout* layout, QWidget* parent)
    : TavPage(ctx, 5003, parent), m_layout(ctx, layout, [this](PaperLayout::Change c) { OnLayoutChanged(c); }) {
    SetHelpTable(HelpTopics());
    // Once loaded, this page's list says which paper it is.
    m_layout->SetPaperSource([this]() -> std::optional<PaperPageState> {
        if (!m_loaded) return std::nullopt;
        return PaperState();
    });
}

CPrintingTab::~CPrintingTab() {
    m_layout->SetPaperSource({});
}

// ---------------------------------------------------------------------------------------------
// The controls of the template, laid out.

void CPrintingTab::BuildControls() {
    auto label = [this](int id) { return AddLabel(id); };
    auto edit = [this](int id) { return AddNumEdit(id); };
    auto combo = [this](int id) {
        auto* c = AddControl(id, new QComboBox(this));
        c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        return c;
    };

    m_paperGroup = AddControl(kIdPaperGroup, new QGroupBox(this));
    auto* paperSizeLabel = label(kIdPaperSizeLabel);
    m_paperList = combo(kIdPaperSize);
    m_shortLabel = label(kIdShortLabel);
    m_shortEdit = edit(kIdShortEdge);
    m_longLabel = label(kIdLongLabel);
    m_longEdit = edit(kIdLongEdge);
    auto* sourceLabel = label(kIdSourceLabel);
    m_sourceList = combo(kIdSource);
    m_sourceList->installEventFilter(this);
    m_wideA4Check = AddControl(kIdWideA4, new QCheckBox(this));

    auto* orientationGroup = AddControl(kIdOrientationGroup, new QGroupBox(this));
    m_portrait = AddControl(kIdPortrait, new QRadioButton(this));
    m_landscape = AddControl(kIdLandscape, new QRadioButton(this));
    m_icon = AddControl(kIdOrientationIcon, new QLabel(this));
    m_icon->setFixedSize(44, 44);

    auto* copiesLabel = label(kIdCopiesLabel);
    m_copiesEdit = edit(kIdCopies);
    auto* qualityLabel = label(kIdQualityLabel);
    m_qualityList = combo(kIdQuality);

    m_shortMargins = AddControl(kIdShortMargins, new QGroupBox(this));
    m_tallMargins = AddControl(kIdTallMargins, new QGroupBox(this));
    auto* topLabel = label(kIdTopLabel);
    m_topEdit = edit(kIdTop);
    auto* leftLabel = label(kIdLeftLabel);
    m_leftEdit = edit(kIdLeft);
    auto* dupTopLabel = label(kIdDupTopLabel);
    m_dupTopEdit = edit(kIdDupTop);
    auto* dupLeftLabel = label(kIdDupLeftLabel);
    m_dupLeftEdit = edit(kIdDupLeft);
    m_duplexRow = {dupTopLabel, m_dupTopEdit, dupLeftLabel, m_dupLeftEdit};

    // The auto-CR row of the template: kept, hidden, carrying no setting.
    auto* autoCrLabel = label(kIdAutoCrLabel);
    m_autoCrList = combo(kIdAutoCr);
    autoCrLabel->hide();
    m_autoCrList->hide();

    for (CNumEdit* e : {m_shortEdit, m_longEdit, m_copiesEdit, m_topEdit, m_leftEdit, m_dupTopEdit, m_dupLeftEdit}) {
        e->setFixedWidth(64);
        e->setAlignment(Qt::AlignRight);
    }

    // Left column: the paper group, then copies and quality, with one label column throughout.
    constexpr int kGroupInset = 12;
    auto* paperGrid = new QGridLayout(m_paperGroup);
    paperGrid->setContentsMargins(kGroupInset, 10, kGroupInset, 10);
    paperGrid->setHorizontalSpacing(10);
    paperGrid->setVerticalSpacing(8);
    paperGrid->addWidget(paperSizeLabel, 0, 0);
    paperGrid->addWidget(m_paperList, 0, 1, 1, 2);
    paperGrid->addWidget(m_shortLabel, 1, 0);
    paperGrid->addWidget(m_shortEdit, 1, 1);
    paperGrid->addWidget(m_longLabel, 2, 0);
    paperGrid->addWidget(m_longEdit, 2, 1);
    paperGrid->addWidget(sourceLabel, 3, 0);
    paperGrid->addWidget(m_sourceList, 3, 1, 1, 2);
    paperGrid->addWidget(m_wideA4Check, 4, 1, 1, 2);
    paperGrid->setColumnStretch(2, 1);

    auto* jobGrid = m_jobGrid = new QGridLayout;
    jobGrid->setContentsMargins(kGroupInset, 4, kGroupInset, 0);
    jobGrid->setHorizontalSpacing(10);
    jobGrid->setVerticalSpacing(8);
    jobGrid->addWidget(copiesLabel, 0, 0);
    jobGrid->addWidget(m_copiesEdit, 0, 1);
    jobGrid->addWidget(qualityLabel, 1, 0);
    jobGrid->addWidget(m_qualityList, 1, 1, 1, 2);
    jobGrid->setColumnStretch(2, 1);
    m_labelColumn = {paperSizeLabel, m_shortLabel, m_longLabel, sourceLabel, copiesLabel, qualityLabel};

    auto* orientationRow = new QHBoxLayout(orientationGroup);
    orientationRow->setContentsMargins(kGroupInset, 10, kGroupInset, 10);
    orientationRow->setSpacing(12);
    orientationRow->addWidget(m_icon, 0, Qt::AlignVCenter);
    auto* radios = new QVBoxLayout;
    radios->setSpacing(6);
    radios->addWidget(m_portrait);
    radios->addWidget(m_landscape);
    orientationRow->addLayout(radios, 1);

    // The margin rows go into whichever margins box initialisation shows.
    m_marginGrid = new QGridLayout;
    m_marginGrid->setContentsMargins(kGroupInset, 10, kGroupInset, 10);
    m_marginGrid->setHorizontalSpacing(10);
    m_marginGrid->setVerticalSpacing(8);
    const std::pair<QLabel*, QLineEdit*> rows[] = {
        {topLabel, m_topEdit}, {leftLabel, m_leftEdit}, {dupTopLabel, m_dupTopEdit}, {dupLeftLabel, m_dupLeftEdit}};
    int r = 0;
    for (const auto& [l, e] : rows) {
        auto* unit = new QLabel(this);
        unit->setTextFormat(Qt::PlainText);
        m_unitLabels.push_back(unit);
        m_marginGrid->addWidget(l, r, 0);
        m_marginGrid->addWidget(e, r, 1);
        m_marginGrid->addWidget(unit, r, 2);
        ++r;
    }
    m_marginGrid->setColumnStretch(2, 1);

    auto* left = new QVBoxLayout;
    left->setSpacing(10);
    left->addWidget(m_paperGroup);
    left->addLayout(jobGrid);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->setSpacing(10);
    right->addWidget(orientationGroup);
    right->addWidget(m_shortMargins);
    right->addWidget(m_tallMargins);
    right->addStretch(1);
    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(16, 14, 16, 14);
    columns->setSpacing(16);
    columns->addLayout(left, 3);
    columns->addLayout(right, 2);

    connect(m_portrait, &QRadioButton::clicked, this, &CPrintingTab::OnOrientation);
    connect(m_landscape, &QRadioButton::clicked, this, &CPrintingTab::OnOrientation);
    connect(m_paperList, &QComboBox::activated, this, &CPrintingTab::OnPaperSize);
    connect(m_sourceList, &QComboBox::activated, this, &CPrintingTab::ApplySelections);
    connect(m_qualityList, &QComboBox::activated, this, &CPrintingTab::ApplySelections);
    connect(m_autoCrList, &QComboBox::activated, this, &CPrintingTab::ApplySelections);
    connect(m_wideA4Check, &QCheckBox::clicked, this, &CPrintingTab::OnWideA4);
}

void CPrintingTab::OnInitDialog() {
    BuildControls();
    PrinterSettings& ed = m_ctx.store.edited;
    m_initialised = true;
    m_ctx.store.paperChanged = false;
    m_ctx.store.customPaperChanged = false;

    m_wideA4Check->setVisible(m_ctx.Config("Printing", "WIDE A4", "0") != "0");
    const bool duplexEnabled = (ed.featureFlags & kFlagDuplexMargins) != 0;
    for (QWidget* w : m_duplexRow) w->setEnabled(duplexEnabled);
    m_unitLabels[2]->setEnabled(duplexEnabled);
    m_unitLabels[3]->setEnabled(duplexEnabled);
    m_topEdit->SetMode(CNumEdit::kDecimal);
    m_leftEdit->SetMode(CNumEdit::kDecimal);
    // The key is spelled so in every model's file.
    const bool duplexRows = m_ctx.ConfigFlag("Printing", "Depulex Margins");
    if (duplexRows) {
        m_dupTopEdit->SetMode(CNumEdit::kDecimal);
        m_dupLeftEdit->SetMode(CNumEdit::kDecimal);
    }
    QGroupBox* marginBox = duplexRows ? m_tallMargins : m_shortMargins;
    marginBox->setLayout(m_marginGrid);
    (duplexRows ? m_shortMargins : m_tallMargins)->hide();
    for (QWidget* w : m_duplexRow) w->setVisible(duplexRows);
    m_unitLabels[2]->setVisible(duplexRows);
    m_unitLabels[3]->setVisible(duplexRows);
    // Copies take digits only.
    m_copiesEdit->SetMode(CNumEdit::kDigits);

    // Limits on typing only: the size fields also show texts such as "210 mm".
    m_shortEdit->SetLimitText(3);
    m_longEdit->SetLimitText(3);
    m_copiesEdit->SetLimitText(3);
    m_topEdit->SetLimitText(3);
    m_leftEdit->SetLimitText(3);
    const int duplexLength = Inch() ? 4 : 3;
    m_dupTopEdit->SetLimitText(duplexLength);
    m_dupLeftEdit->SetLimitText(duplexLength);

    m_sourceList->clear();
    m_paperList->clear();

    const bool kalor = m_ctx.IsKalor();
    auto text = [this](int id, const char* section, const char* key) {
        QWidget* w = Control(id);
        const QString t = LangText(section, key);
        if (auto* l = qobject_cast<QLabel*>(w)) l->setText(t);
        else if (auto* g = qobject_cast<QGroupBox*>(w)) g->setTitle(t);
        else if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setText(t);
    };
    text(kIdPaperGroup, "PRINTING", kalor ? "IDL_PAPERGROUP_X" : "IDL_PAPERGROUP");
    text(kIdPaperSizeLabel, "PRINTING", "IDL_PAPERSIZE");
    text(kIdOrientationGroup, "PRINTING", "IDL_ORIENTATION");
    text(kIdPortrait, "PRINTING", "IDC_PORTRAIT");
    text(kIdLandscape, "PRINTING", "IDC_LANDSCAPE");
    text(kIdWideA4, "PRINTING", "IDC_WIDEA4");
    text(kIdSourceLabel, "PRINTING", kalor ? "IDL_PAPERTRAY_X" : "IDL_PAPERTRAY");
    text(kIdCopiesLabel, "PRINTING", kalor ? "IDL_COPIES_X" : "IDL_COPIES");
    text(kIdQualityLabel, "PRINTING", kalor ? "IDL_QUALITY_X" : "IDL_QUALITY");
    text(kIdShortMargins, "PRINTING", "IDL_MARGINSGROUP");
    text(kIdTallMargins, "PRINTING", "IDL_MARGINSGROUP");
    text(kIdTopLabel, "PRINTING", kalor ? "IDL_TOPMARGIN_X" : "IDL_TOPMARGIN");
    text(kIdLeftLabel, "PRINTING", kalor ? "IDL_LEFTMARGIN_X" : "IDL_LEFTMARGIN");
    text(kIdDupTopLabel, "PRINTING", "IDL_DU_TOPMARGIN_X");
    text(kIdDupLeftLabel, "PRINTING", "IDL_DU_LEFTMARGIN_X");
    text(kIdShortLabel, "PRINTING", "IDL_WIDTH");
    text(kIdLongLabel, "PRINTING", "IDL_HEIGHT");
    m_shortEdgeText = LangText("STR_PRINT", "IDS_SHORTEDGE");
    m_longEdgeText = LangText("STR_PRINT", "IDS_LONGEDGE");
    m_shortEdgeMmText = LangText("STR_PRINT", "IDS_SHORTEDGE_MM");
    m_longEdgeMmText = LangText("STR_PRINT", "IDS_LONGEDGE_MM");
    m_shortLabel->setText(m_shortEdgeText);
    m_longLabel->setText(m_longEdgeText);
    const QString unit = LangText("STR_PRINT", Inch() ? "IDS_UNIT_INCH" : "IDS_UNIT_MM");
    for (QLabel* u : m_unitLabels) u->setText(unit);
    FillSourceList();
    FillQualityList();

    // One label column for the paper group and the rows below it.
    int labelWidth = 0;
    for (QLabel* l : m_labelColumn) labelWidth = std::max(labelWidth, l->sizeHint().width());
    // The edge labels take their longer millimetre texts when the custom size is shown; the
    // column is as wide as the longest text either way, so nothing is cut and the fields of the
    // paper group and of the rows below it share one left edge.
    for (const QString& t : {m_shortEdgeMmText, m_longEdgeMmText}) {
        m_shortLabel->setText(t);
        labelWidth = std::max(labelWidth, m_shortLabel->sizeHint().width());
    }
    m_shortLabel->setText(m_shortEdgeText);
    for (QLabel* l : m_labelColumn) l->setFixedWidth(labelWidth);

    Load();
}

void CPrintingTab::FillSourceList() {
    m_sourceList->clear();
    for (const char* key : Sources().keys) m_sourceList->addItem(LangText("STR_PRINT", key));
}

void CPrintingTab::FillQualityList() {
    m_qualityList->clear();
    const ResolutionRules rules = ResolutionRules::FromConfig(m_ctx);
    std::vector<const char*> keys;
    if (rules.kalor) keys.push_back("IDS_DPI300");
    switch (rules.List()) {
    case QualityList::Draft1200:
        keys.insert(keys.end(), {"IDS_DPI600", rules.kalor ? "IDS_DPI1200_X" : "IDS_DPI1200", "IDS_DPIDRAFT"});
        break;
    case QualityList::Best1200:
        keys.insert(keys.end(), {"IDS_DPI600_Draft", "IDS_DPI1200_Normal", "IDS_DPI1200_Best"});
        break;
    case QualityList::Short:
        keys.insert(keys.end(), {"IDS_DPI600", rules.kalor ? "IDS_DPI1200_X" : "IDS_DPI1200"});
        break;
    }
    for (const char* key : keys) m_qualityList->addItem(LangText("STR_PRINT", key));
}

void CPrintingTab::FillPaperList() {
    std::vector<std::string> entries, keys;
    FillPaperSizeList(m_ctx, m_cassetteSource, entries, &keys);
    m_paperList->clear();
    // The texts are asked for again through the page, so it knows every key it shows.
    for (const std::string& key : keys) m_paperList->addItem(LangText("STR_PRINT", key.c_str()));
}

void CPrintingTab::SetIcon() {
    const bool landscape = m_orientation == 1;
    m_icon->setPixmap(OrientationPicture(landscape, palette()));
    m_icon->setProperty("iconResource", landscape ? kLandscapeIcon : kPortraitIcon);
}

// ---------------------------------------------------------------------------------------------
// Loading and data exchange.

void CPrintingTab::LoadFromSettings() {
    Load();
}

void CPrintingTab::Load() {
    PrinterSettings& ed = m_ctx.store.edited;
    m_loaded = true;
    m_ctx.store.paperChanged = false;
    m_sourcePos = SourcePositionOfCode(Sources(), ed.mediaSource);
    m_prevSourcePos = m_sourcePos;
    m_cassetteSource = IsCassette(m_sourcePos);

    PaperPageState st = PaperState();
    SyncPaperSize(m_ctx, st, false);
    m_paperPos = st.listPosition;
    ShowSizeFor(ed.customWidth, ed.customHeight);

    m_wideA4 = ed.wideA4 != 0 ? 1 : 0;
    // Anything but landscape shows as portrait; the store keeps what the printer said.
    m_orientation = ed.orientation == 1 ? 1 : 0;
    m_lastOrientation = m_orientation;
    // The settings load has already converted the field for the upload.
    m_qualityPos = QualityPosition(ResolutionRules::FromConfig(m_ctx), ed);
    m_copiesText = std::to_string(ed.copies);

    const MarginLimits limits = UpdateMarginLimits(m_ctx, PaperState());
    m_maxTop = limits.top;
    m_maxLeft = limits.left;
    const bool inch = Inch();
    m_topText = MarginText(ed.topMargin, inch);
    m_leftText = MarginText(ed.leftMargin, inch);
    m_dupTopText = DuplexMarginText(ed.dupTopMargin, inch);
    m_dupLeftText = DuplexMarginText(ed.dupLeftMargin, inch);

    if (m_initialised) {
        SetIcon();
        OnSetActive();
        WriteControls();
    }
}

void CPrintingTab::ShowSizeFor(int customWidth, int customHeight) {
    if (m_paperPos == CustomPaperIndex(m_ctx)) {
        m_shortText = std::to_string(customWidth);
        m_longText = std::to_string(customHeight);
        m_customShown = true;
        return;
    }
    const PaperInfo* paper = PaperByCode(PaperCodeOfPosition(m_ctx, m_paperPos, m_cassetteSource));
    m_shortText = paper ? paper->widthText : "";
    m_longText = paper ? paper->heightText : "";
    m_customShown = false;
}

void CPrintingTab::ReadControls() {
    if (!m_initialised) return;
    // An empty selection keeps the position the page holds.
    if (m_paperList->currentIndex() >= 0) m_paperPos = m_paperList->currentIndex();
    if (m_sourceList->currentIndex() >= 0) m_sourcePos = m_sourceList->currentIndex();
    if (m_qualityList->currentIndex() >= 0) m_qualityPos = m_qualityList->currentIndex();
    if (m_portrait->isChecked()) m_orientation = 0;
    if (m_landscape->isChecked()) m_orientation = 1;
    m_wideA4 = m_wideA4Check->isChecked() ? 1 : 0;
    m_shortText = Ss(m_shortEdit->text());
    m_longText = Ss(m_longEdit->text());
    m_topText = Ss(m_topEdit->text());
    m_leftText = Ss(m_leftEdit->text());
    m_dupTopText = Ss(m_dupTopEdit->text());
    m_dupLeftText = Ss(m_dupLeftEdit->text());
    m_copiesText = Ss(m_copiesEdit->text());
}

void CPrintingTab::WriteControls() {
    if (!m_initialised) return;
    m_paperList->setCurrentIndex(m_paperPos < m_paperList->count() ? m_paperPos : -1);
    m_sourceList->setCurrentIndex(m_sourcePos < m_sourceList->count() ? m_sourcePos : -1);
    // A position the list lacks shows its first entry rather than an empty field.
    const bool qualityShown = m_qualityPos >= 0 && m_qualityPos < m_qualityList->count();
    m_qualityList->setCurrentIndex(qualityShown ? m_qualityPos : 0);
    m_portrait->setChecked(m_orientation == 0);
    m_landscape->setChecked(m_orientation == 1);
    m_wideA4Check->setChecked(m_wideA4 != 0);
    m_shortEdit->setText(Qs(m_shortText));
    m_longEdit->setText(Qs(m_longText));
    m_shortLabel->setText(m_customShown ? m_shortEdgeMmText : m_shortEdgeText);
    m_longLabel->setText(m_customShown ? m_longEdgeMmText : m_longEdgeText);
    m_shortEdit->setEnabled(m_customShown);
    m_longEdit->setEnabled(m_customShown);
    m_topEdit->setText(Qs(m_topText));
    m_leftEdit->setText(Qs(m_leftText));
    m_dupTopEdit->setText(Qs(m_dupTopText));
    m_dupLeftEdit->setText(Qs(m_dupLeftText));
    m_copiesEdit->setText(Qs(m_copiesText));
    for (QLineEdit* e : findChildren<QLineEdit*>()) e->setCursorPosition(0);
}

void CPrintingTab::OnSetActive() {
    if (!m_initialised) return;
    FillPaperList();
    WriteControls();
}

void CPrintingTab::OnKillActive() {
    if (!m_initialised) return;
    ReadControls();
    if (m_ctx.store.customPaperChanged) {
        StoreCustomEdges(true, true);
        RecomputeFormLines();
    }
}

// ---------------------------------------------------------------------------------------------
// Notifications.

void CPrintingTab::showEvent(QShowEvent* event) {
    TavPage::showEvent(event);
    if (!m_jobGrid || m_labelColumn.size() < 5) return;
    // The rows below the paper group line up with the rows inside it, whatever the style's frame.
    layout()->activate();
    const int inside = m_labelColumn[0]->mapTo(this, QPoint(0, 0)).x();
    const int below = m_labelColumn[4]->mapTo(this, QPoint(0, 0)).x();
    if (inside != below) {
        QMargins m = m_jobGrid->contentsMargins();
        m.setLeft(std::max(0, m.left() + inside - below));
        m.setRight(std::max(0, m.right() + inside - below));
        m_jobGrid->setContentsMargins(m);
    }
}

bool CPrintingTab::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        if (watched == m_topEdit) OnMarginKillFocus(true);
        else if (watched == m_leftEdit) OnMarginKillFocus(false);
        else if (watched == m_dupTopEdit) OnDuplexMarginKillFocus(true);
        else if (watched == m_dupLeftEdit) OnDuplexMarginKillFocus(false);
        else if (watched == m_copiesEdit) OnCopiesKillFocus();
        else if (watched == m_shortEdit) OnCustomEdgeKillFocus(true);
        else if (watched == m_longEdit) OnCustomEdgeKillFocus(false);
        else if (watched == m_sourceList) OnSourceKillFocus();
    }
    return TavPage::eventFilter(watched, event);
}

void CPrintingTab::OnMarginKillFocus(bool top) {
    CNumEdit* edit = top ? m_topEdit : m_leftEdit;
    const bool inch = Inch();
    if (edit->text().isEmpty()) {
        edit->setText(inch ? "0.0" : "0");
        (top ? m_topText : m_leftText) = Ss(edit->text());
    } else {
        ReadControls();
    }
    const MarginLimits limits = UpdateMarginLimits(m_ctx, PaperState());
    m_maxTop = limits.top;
    m_maxLeft = limits.left;
    const AcceptedEdit accepted = AcceptMargin(Ss(edit->text()), inch, top ? m_maxTop : m_maxLeft);
    (top ? m_ctx.store.edited.topMargin : m_ctx.store.edited.leftMargin) = static_cast<uint8_t>(accepted.stored);
    (top ? m_topText : m_leftText) = accepted.text;
    edit->setText(Qs(accepted.text));
}

void CPrintingTab::OnDuplexMarginKillFocus(bool top) {
    CNumEdit* edit = top ? m_dupTopEdit : m_dupLeftEdit;
    const bool inch = Inch();
    if (edit->text().isEmpty()) {
        edit->setText(inch ? "0.0" : "0");
        (top ? m_dupTopText : m_dupLeftText) = Ss(edit->text());
    } else {
        ReadControls();
    }
    const AcceptedEdit accepted = AcceptDuplexMargin(Ss(edit->text()), inch);
    (top ? m_ctx.store.edited.dupTopMargin : m_ctx.store.edited.dupLeftMargin) = static_cast<uint8_t>(accepted.stored);
    (top ? m_dupTopText : m_dupLeftText) = accepted.text;
    edit->setText(Qs(accepted.text));
}

void CPrintingTab::OnCopiesKillFocus() {
    if (m_copiesEdit->text().isEmpty()) {
        m_copiesEdit->setText("1");
        m_copiesText = "1";
    } else {
        ReadControls();
    }
    const AcceptedEdit accepted = AcceptCopies(m_copiesText);
    m_ctx.store.edited.copies = static_cast<uint16_t>(accepted.stored);
    m_copiesText = accepted.text;
    m_copiesEdit->setText(Qs(accepted.text));
}

void CPrintingTab::StoreCustomEdges(bool limitShort, bool limitLong) {
    const CustomSizeLimits limits = ReadCustomSizeLimits(m_ctx);
    // An edge outside its limits is never stored: the other edge is limited too, since the
    // printer would refuse a size it cannot feed.
    const AcceptedEdit shortEdge = AcceptCustomEdge(m_shortText, limits.shortMin, limits.shortMax);
    const AcceptedEdit longEdge = AcceptCustomEdge(m_longText, limits.longMin, limits.longMax);
    const int shortValue = ParseFieldInt(m_shortText);
    const int longValue = ParseFieldInt(m_longText);
    if (limitShort || shortValue != shortEdge.stored) m_shortText = shortEdge.text;
    if (limitLong || longValue != longEdge.stored) m_longText = longEdge.text;
    m_shortEdit->setText(Qs(m_shortText));
    m_longEdit->setText(Qs(m_longText));
    m_ctx.store.edited.customWidth = static_cast<uint16_t>(shortEdge.stored);
    m_ctx.store.edited.customHeight = static_cast<uint16_t>(longEdge.stored);
}

void CPrintingTab::OnCustomEdgeKillFocus(bool shortEdge) {
    ReadControls();
    StoreCustomEdges(shortEdge, !shortEdge);
    RecomputeFormLines();
    m_ctx.store.customPaperChanged = true;
}

void CPrintingTab::OnPaperSize() {
    ReadControls();
    m_ctx.store.paperChanged = true;
    PaperPageState st = PaperState();
    SyncPaperSize(m_ctx, st, true);
    const bool custom = m_paperPos == CustomPaperIndex(m_ctx);
    m_ctx.store.customPaperChanged = custom;
    ShowSizeFor(m_ctx.store.edited.customWidth, m_ctx.store.edited.customHeight);
    // The printer's stored custom size goes out with the next Send: keep it within the limits.
    if (custom) StoreCustomEdges(false, false);
    RecomputeFormLines();
    WriteControls();
    // Each margin is limited again by the new paper's maximum.
    OnMarginKillFocus(true);
    OnMarginKillFocus(false);
    OnDuplexMarginKillFocus(true);
    OnDuplexMarginKillFocus(false);
}

void CPrintingTab::OnOrientation() {
    ReadControls();
    SetIcon();
    m_layout->Turn(m_orientation);
    m_lastOrientation = m_orientation;
    ReadControls();
}

void CPrintingTab::OnLayoutChanged(PaperLayout::Change change) {
    if (change != PaperLayout::Change::Turned) return;
    // The store holds the exchanged margins; the texts show them, limited for the new orientation.
    const PrinterSettings& ed = m_ctx.store.edited;
    m_orientation = m_layout->Orientation();
    m_lastOrientation = m_orientation;
    m_topText = MarginText(ed.topMargin, Inch());
    m_leftText = MarginText(ed.leftMargin, Inch());
    const MarginLimits limits = UpdateMarginLimits(m_ctx, PaperState());
    m_maxTop = limits.top;
    m_maxLeft = limits.left;
    if (!m_initialised) return;
    m_portrait->setChecked(m_orientation == 0);
    m_landscape->setChecked(m_orientation == 1);
    SetIcon();
    m_topEdit->setText(Qs(m_topText));
    m_leftEdit->setText(Qs(m_leftText));
}

void CPrintingTab::OnWideA4() {
    // The check box has a notification of its own here, so a tick reaches Send without a
    // detour through one of the lists.
    ReadControls();
    m_ctx.store.edited.wideA4 = static_cast<uint8_t>(m_wideA4);
}

void CPrintingTab::OnSourceKillFocus() {
    const int p = m_sourceList->currentIndex();
    m_cassetteSource = IsCassette(p >= 0 ? p : m_sourcePos);
}

void CPrintingTab::ApplySelections() {
    ReadControls();
    PrinterSettings& ed = m_ctx.store.edited;
    ApplyQualityPosition(ResolutionRules::FromConfig(m_ctx), ed, m_qualityPos);
    if ((ed.wideA4 != 0) != (m_wideA4 != 0)) ed.wideA4 = static_cast<uint8_t>(m_wideA4);
    if (m_sourcePos == m_prevSourcePos) return;

    ed.mediaSource = static_cast<uint8_t>(SourceCodeOfPosition(Sources(), m_sourcePos));
    m_prevSourcePos = m_sourcePos;
    if (!m_ctx.IsKalor()) {
        // The list is rebuilt for the new source, so the cassette rule is applied first.
        m_cassetteSource = IsCassette(m_sourcePos);
        FillPaperList();
        if (m_paperPos < 0 || m_paperPos >= m_paperList->count()) {
            // The old entry is gone: take the same paper where the new list has it, else the top.
            const int oldCode = ed.paper;
            int found = 0;
            for (int pos = 0; pos < m_paperList->count(); ++pos) {
                if (PaperCodeOfPosition(m_ctx, pos, m_cassetteSource) == oldCode) {
                    found = pos;
                    break;
                }
            }
            m_paperPos = found;
        }
        m_ctx.store.paperChanged = true;
        m_ctx.store.customPaperChanged = false;
        PaperPageState st = PaperState();
        SyncPaperSize(m_ctx, st, true);
    }
    ShowSizeFor(ed.customWidth, ed.customHeight);
    RecomputeFormLines();
    WriteControls();
}

}  // namespace tav
