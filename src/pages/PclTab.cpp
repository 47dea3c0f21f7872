#include "pages/PclTab.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

#include "pages/Sheet.h"
#include "pages/KoreanRules.h"
#include "pages/NumEdit.h"
#include "pages/OrientationPicture.h"
#include "pages/PageControls.h"
#include "pages/PrintingRules.h"
#include "pjl/ConfigFiles.h"
#include "pjl/Pjl.h"

namespace tav {
namespace {

// Control ids of dialog 5021.
enum : int {
    kIdOrientationGroup = 6005,
    kIdPortrait = 8008,
    kIdLandscape = 8010,
    kIdOrientationIcon = 8022,
    kIdTypefaceLabel = 6023,
    kIdTypeface = 8041,
    kIdSymbolSetLabel = 6025,
    kIdSymbolSet = 8044,
    kIdPitchLabel = 6027,
    kIdPitch = 8053,
    kIdPitchBar = CPclTab::kPitchBarId,
    kIdPointLabel = 6028,
    kIdPoint = 8048,
    kIdPointBar = CPclTab::kPointBarId,
    kIdCourierLabel = 6030,
    kIdCourier = 8001,
    kIdLinesLabel = 6029,
    kIdLines = 8015,
    kIdLinesBar = 8120,
    kIdFontList = 8138,
    kIdAutoCrLabel = 6036,
    kIdAutoCr = 1151,
};

// Label texts come through 32-character buffers.
constexpr size_t kLabelChars = 31;
constexpr size_t kFlashSymSetChars = 63;

QString Qs(const std::string& s) {
    return FromStd(s);
}
std::string Ss(const QString& s) {
    return s.toStdString();
}

} // namespace

const std::vector<std::pair<int, uint32_t>>& CPclTab::HelpTopics() {
    static const std::vector<std::pair<int, uint32_t>> topics = {
        {8041, 139113}, {6023, 139113}, {8044, 139116}, {6025, 139116}, {8001, 139073}, {6030, 139073},
        {8028, 139125}, {8053, 139125}, {6027, 139125}, {8032, 139120}, {8048, 139120}, {6028, 139120},
        {8120, 139087}, {8015, 139087}, {6029, 139087}, {6005, 137077}, {8022, 137077}, {8008, 137077},
        {8010, 137077}, {1151, 139091}, {6036, 139091}, {8138, 139210},
    };
    return topics;
}

CPclTab::CPclTab(AppContext& ctx, PaperLayout* layout, QWidget* parent)
    : TavPage(ctx, 5021, parent),
      m_layout(ctx, layout, [this](PaperLayout::Change c) { OnLayoutChanged(c); }) {
    SetHelpTable(HelpTopics());
}

CPclTab::~CPclTab() = default;

// ---------------------------------------------------------------------------------------------
// The controls of the template, laid out.

void CPclTab::BuildControls() {
    auto label = [this](int id) { return AddLabel(id); };
    auto combo = [this](int id) {
        auto* c = AddControl(id, new QComboBox(this));
        c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        c->setMinimumContentsLength(12);
        return c;
    };
    auto edit = [this](int id) {
        auto* e = AddNumEdit(id);
        e->setFixedWidth(64);
        e->setAlignment(Qt::AlignRight);
        return e;
    };
    auto bar = [this](int id, CNumEdit* buddy) {
        // Only the line steps change the value here.
        auto* b = AddStepBar(id, [this, id](int code) {
            if (code == kScrollLineUp || code == kScrollLineDown) OnVScroll(id, code);
        });
        b->setFixedHeight(std::max(buddy->sizeHint().height(), 22));
        return b;
    };

    auto* orientationGroup = AddControl(kIdOrientationGroup, new QGroupBox(this));
    m_portrait = AddControl(kIdPortrait, new QRadioButton(this));
    m_landscape = AddControl(kIdLandscape, new QRadioButton(this));
    m_icon = AddControl(kIdOrientationIcon, new QLabel(this));
    m_icon->setFixedSize(44, 44);

    auto* typefaceLabel = label(kIdTypefaceLabel);
    m_typefaceList = combo(kIdTypeface);
    auto* symbolLabel = label(kIdSymbolSetLabel);
    m_symbolList = combo(kIdSymbolSet);
    auto* pitchLabel = label(kIdPitchLabel);
    m_pitchEdit = edit(kIdPitch);
    m_pitchBar = bar(kIdPitchBar, m_pitchEdit);
    auto* pointLabel = label(kIdPointLabel);
    m_pointEdit = edit(kIdPoint);
    m_pointBar = bar(kIdPointBar, m_pointEdit);
    m_courierLabel = label(kIdCourierLabel);
    m_courierList = combo(kIdCourier);
    auto* linesLabel = label(kIdLinesLabel);
    m_linesEdit = edit(kIdLines);
    m_linesBar = bar(kIdLinesBar, m_linesEdit);
    m_linesBar->hide(); // in the template, but it steps nothing
    m_fontListButton = AddControl(kIdFontList, new QPushButton(this));
    auto* autoCrLabel = label(kIdAutoCrLabel);
    m_autoCrList = combo(kIdAutoCr);

    auto* orientationRow = new QHBoxLayout(orientationGroup);
    orientationRow->setContentsMargins(12, 10, 12, 10);
    orientationRow->setSpacing(12);
    orientationRow->addWidget(m_icon, 0, Qt::AlignVCenter);
    auto* radios = new QVBoxLayout;
    radios->setSpacing(6);
    radios->addWidget(m_portrait);
    radios->addWidget(m_landscape);
    orientationRow->addLayout(radios, 1);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    auto withBar = [](CNumEdit* e, QScrollBar* b) {
        auto* row = new QHBoxLayout;
        row->setSpacing(2);
        row->addWidget(e);
        row->addWidget(b);
        row->addStretch(1);
        return row;
    };
    int r = 0;
    grid->addWidget(typefaceLabel, r, 0);
    grid->addWidget(m_typefaceList, r++, 1);
    grid->addWidget(symbolLabel, r, 0);
    grid->addWidget(m_symbolList, r++, 1);
    grid->addWidget(pitchLabel, r, 0);
    grid->addLayout(withBar(m_pitchEdit, m_pitchBar), r++, 1);
    grid->addWidget(pointLabel, r, 0);
    grid->addLayout(withBar(m_pointEdit, m_pointBar), r++, 1);
    grid->addWidget(m_courierLabel, r, 0);
    grid->addWidget(m_courierList, r++, 1, Qt::AlignLeft);
    grid->addWidget(linesLabel, r, 0);
    grid->addLayout(withBar(m_linesEdit, m_linesBar), r++, 1);
    grid->addWidget(autoCrLabel, r, 0);
    grid->addWidget(m_autoCrList, r++, 1, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(r, 1);

    auto* left = new QVBoxLayout;
    left->setSpacing(10);
    left->addWidget(orientationGroup);
    left->addStretch(1);
    left->addWidget(m_fontListButton);
    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(16, 14, 16, 14);
    columns->setSpacing(20);
    columns->addLayout(left, 0);
    columns->addLayout(grid, 1);

    connect(m_portrait, &QRadioButton::clicked, this, &CPclTab::OnOrientation);
    connect(m_landscape, &QRadioButton::clicked, this, &CPclTab::OnOrientation);
    connect(m_typefaceList, &QComboBox::activated, this, &CPclTab::OnTypefaceChange);
    connect(m_symbolList, &QComboBox::activated, this, &CPclTab::OnSymbolSetChange);
    connect(m_courierList, &QComboBox::activated, this, &CPclTab::OnSizeOrCourier);
    connect(m_autoCrList, &QComboBox::activated, this, &CPclTab::OnAutoCr);
    connect(m_fontListButton, &QPushButton::clicked, this, [this] { PrintFontList(); });
}

void CPclTab::SetTexts() {
    const bool kalor = m_ctx.IsKalor();
    auto text = [this](int id, const char* section, const char* key) {
        QWidget* w = Control(id);
        const QString t = LangText(section, key, kLabelChars);
        if (auto* l = qobject_cast<QLabel*>(w))
            l->setText(t);
        else if (auto* g = qobject_cast<QGroupBox*>(w))
            g->setTitle(t);
        else if (auto* b = qobject_cast<QAbstractButton*>(w))
            b->setText(t);
    };
    text(kIdOrientationGroup, "PRINTING", "IDL_ORIENTATION");
    text(kIdPortrait, "PRINTING", "IDC_PORTRAIT");
    text(kIdLandscape, "PRINTING", "IDC_LANDSCAPE");
    text(kIdTypefaceLabel, "PCL", kalor ? "IDL_TYPEFACE_X" : "IDL_TYPEFACE");
    text(kIdSymbolSetLabel, "PCL", "IDL_SYMBOLSET");
    text(kIdPitchLabel, "PCL", "IDL_PITCH");
    text(kIdPointLabel, "PCL", "IDL_POINTSIZE");
    text(kIdCourierLabel, "PCL", "IDL_COURIER");
    text(kIdLinesLabel, "PCL", kalor ? "IDL_LINESPERPAGE_X" : "IDL_LINESPERPAGE");
    text(kIdFontList, "PCL", kalor ? "IDC_PCL_FONTLIST_X" : "IDC_PCL_FONTLIST");
    text(kIdAutoCrLabel, "PRINTING", kalor ? "IDL_AUTOCR_X" : "IDL_AUTOCR");
    m_courierList->clear();
    m_courierList->addItem(LangText("STR_PCL", "IDS_COURIER0", kLabelChars));
    m_courierList->addItem(LangText("STR_PCL", "IDS_COURIER1", kLabelChars));
    m_autoCrList->clear();
    m_autoCrList->addItem(LangText("STR_PRINT", kalor ? "IDS_AUTOCR0_X" : "IDS_AUTOCR0", kLabelChars));
    m_autoCrList->addItem(LangText("STR_PRINT", kalor ? "IDS_AUTOCR1_x" : "IDS_AUTOCR1", kLabelChars));
}

void CPclTab::OnInitDialog() {
    m_ctx.store.pclPageCreated = true;
    WaitCursor cursor(m_ctx.ui);
    BuildControls();
    const bool courier = CourierShown();
    m_courierLabel->setVisible(courier);
    m_courierList->setVisible(courier);
    m_pitchEdit->SetMode(CNumEdit::kDecimal);
    m_pointEdit->SetMode(CNumEdit::kDecimal);
    m_linesEdit->SetMode(CNumEdit::kDigits);
    m_linesEdit->SetLimitText(3);
    m_pitchEdit->SetLimitText(5);
    m_pointEdit->SetLimitText(6);
    SetTexts();
    // One query serves the lists and the load that follows.
    if (FlashFontsOffered()) QueryFlashFonts();
    m_listsFilled = true;
    FillLists();
    LoadFromSettings();
}

void CPclTab::FillLists() {
    std::string caption = LangTextStd("PCL", "IDS_FILE_ERROR");
    if (caption.empty()) caption = "Error";
    auto read = [&](const char* name) {
        // The model's own list first: its typefaces are numbered as its printer numbers them.
        ListFile f = ReadListFile(ModelDataFile(m_ctx.cfg, name));
        if (!f.opened) {
            std::string text = LangTextStd("PCL", "IDS_FILE_NOT_OPENED");
            if (text.empty()) text = "File could not be opend.";
            m_ctx.ui.MessageBox(text, caption, MsgIcon::Error, MsgButtons::Ok);
        }
        return f;
    };
    ListFile faces = read("TypeFace.ini");
    m_typefaceFile = std::move(faces.items);
    // Flash fonts follow the built-in typefaces: a list of another length would number them wrong.
    const std::string unnamed = LangTextStd("PCL", "IDS_TYPEFACE_NUMBER");
    if (faces.opened && !FitTypefaces(m_typefaceFile, Switches().residentFonts, unnamed))
        m_ctx.ui.MessageBox(LangTextStd("PCL", "IDS_TYPEFACE_COUNT"), caption, MsgIcon::Warning, MsgButtons::Ok);
    m_symbolFile = read("SymbolSet.ini").items;
    FillList(m_typefaceList, m_typefaceFile);
    SetSymbolItems(m_symbolFile);
}

bool CPclTab::FlashFontsOffered() const {
    return (m_ctx.store.edited.featureFlags & kFlagDownload) != 0 && m_ctx.ConfigFlag("TAB", "DOWNLOAD");
}

void CPclTab::QueryFlashFonts() {
    // Asked once, answered or not: the load that follows does not ask again.
    m_fontsFresh = true;
    if (QueryFontInfo(m_ctx)) return;
    // A failed query leaves no list, so no typeface names a font the printer may not hold.
    m_ctx.store.edited.fontList = std::make_shared<const std::vector<FlashFontEntry>>();
    m_ctx.store.edited.flashFontCount = 0;
}

void CPclTab::RefreshFlashFonts() {
    if (!m_listsFilled) return;
    const PclSwitches sw = Switches();
    while (m_typefaceList->count() > sw.residentFonts)
        m_typefaceList->removeItem(m_typefaceList->count() - 1);
    const PrinterSettings& ed = m_ctx.store.edited;
    // The typeface field is one byte: fonts past it could never be chosen.
    const size_t room = sw.residentFonts < 256 ? static_cast<size_t>(256 - sw.residentFonts) : 0;
    const size_t n = std::min(ListedFlashFonts(ed), room);
    for (size_t i = 0; i < n; ++i)
        m_typefaceList->addItem(Qs(FlashFontItem((*ed.fontList)[i])));
}

void CPclTab::SetIcon() {
    const bool landscape = m_orientation == 1;
    m_icon->setPixmap(OrientationPicture(landscape, palette()));
    m_icon->setProperty("iconResource", landscape ? kLandscapeIcon : kPortraitIcon);
}

void CPclTab::SetSymbolItems(const std::vector<std::string>& items) {
    FillList(m_symbolList, items);
}

// ---------------------------------------------------------------------------------------------
// Loading and data exchange.

void CPclTab::LoadFromSettings() {
    const bool created = m_ctx.store.pclPageCreated && IsCreated() && m_listsFilled;
    // The list is asked for before the typeface is looked up in it, so both agree.
    if (created && FlashFontsOffered() && !m_fontsFresh) QueryFlashFonts();
    m_fontsFresh = false;

    const PrinterSettings& ed = m_ctx.store.edited;
    const PclSwitches sw = Switches();
    // A flash font the listing does not hold shows as the first typeface; the store keeps it.
    m_typefacePos = TypefacePosition(ed, static_cast<uint32_t>(sw.residentFonts)).value_or(0);
    m_symSetPos = SymbolSetPositionOfNumber(ed.symSet, sw);
    if (CourierShown()) m_courierPos = ed.courier;
    m_linesText = std::to_string(ed.formLines);
    m_pitchText = PitchText(ed.pitch);
    m_pointText = PointSizeText(ed.ptSize);
    m_orientation = ed.orientation == 1 ? 1 : 0;
    m_prevOrientation = m_orientation;
    m_autoCrPos = ed.autoCr;

    if (!created) return;
    RefreshFlashFonts();
    SetIcon();
    WriteControls();
    ShowTypeface(false);
}

void CPclTab::ReadControls() {
    if (!IsCreated() || !m_typefaceList) return;
    // An empty selection keeps the position the page holds.
    if (m_typefaceList->currentIndex() >= 0) m_typefacePos = m_typefaceList->currentIndex();
    if (m_symbolList->currentIndex() >= 0) m_symSetPos = m_symbolList->currentIndex();
    if (m_courierList->currentIndex() >= 0) m_courierPos = m_courierList->currentIndex();
    if (m_autoCrList->currentIndex() >= 0) m_autoCrPos = m_autoCrList->currentIndex();
    if (m_portrait->isChecked()) m_orientation = 0;
    if (m_landscape->isChecked()) m_orientation = 1;
    m_pitchText = Ss(m_pitchEdit->text());
    m_pointText = Ss(m_pointEdit->text());
    m_linesText = Ss(m_linesEdit->text());
}

void CPclTab::WriteControls() {
    if (!IsCreated() || !m_typefaceList) return;
    SetListIndex(m_typefaceList, m_typefacePos);
    SetListIndex(m_symbolList, m_symSetPos);
    SetListIndex(m_courierList, m_courierPos);
    SetListIndex(m_autoCrList, m_autoCrPos);
    m_portrait->setChecked(m_orientation == 0);
    m_landscape->setChecked(m_orientation == 1);
    m_pitchEdit->setText(Qs(m_pitchText));
    m_pointEdit->setText(Qs(m_pointText));
    m_linesEdit->setText(Qs(m_linesText));
    for (CNumEdit* e : {m_pitchEdit, m_pointEdit, m_linesEdit})
        e->setCursorPosition(0);
}

void CPclTab::SetSizeControls(SizeControls enabled) {
    m_pitchEdit->setEnabled(enabled.pitch);
    m_pitchBar->setEnabled(enabled.pitch);
    m_pointEdit->setEnabled(enabled.pointSize);
    m_pointBar->setEnabled(enabled.pointSize);
}

void CPclTab::OnLayoutChanged(PaperLayout::Change change) {
    const bool shown = IsCreated() && m_portrait;
    if (change == PaperLayout::Change::FormLines) {
        m_linesText = std::to_string(m_ctx.store.edited.formLines);
        if (shown) m_linesEdit->setText(Qs(m_linesText));
        return;
    }
    m_orientation = m_layout->Orientation();
    m_prevOrientation = m_orientation;
    if (!shown) return;
    m_portrait->setChecked(m_orientation == 0);
    m_landscape->setChecked(m_orientation == 1);
    SetIcon();
}

// ---------------------------------------------------------------------------------------------
// Notifications.

bool CPclTab::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        if (watched == m_linesEdit)
            OnLinesKillFocus();
        else if (watched == m_pitchEdit || watched == m_pointEdit)
            OnSizeOrCourier();
    }
    return TavPage::eventFilter(watched, event);
}

void CPclTab::OnTypefaceChange() {
    PrinterSettings& ed = m_ctx.store.edited;
    const auto resident = static_cast<uint32_t>(Switches().residentFonts);
    ReadControls();
    // Another face starts with its own sizes; the same face picked again keeps them.
    if (m_typefacePos != TypefacePosition(ed, resident) && PickTypeface(ed, m_typefacePos, resident)) {
        const SizeTexts sizes = DefaultSizesFor(m_typefacePos, Switches());
        m_pitchText = sizes.pitch;
        m_pointText = sizes.pointSize;
        ed.pitch = static_cast<uint16_t>(ParseFieldHundredths(m_pitchText));
        ed.ptSize = static_cast<uint16_t>(ParseFieldHundredths(m_pointText) * 4 / 100);
    }
    ShowTypeface(true);
}

void CPclTab::ShowTypeface(bool picked) {
    PrinterSettings& ed = m_ctx.store.edited;
    SettingsStore& st = m_ctx.store;
    const PclSwitches sw = Switches();
    const int pos = m_typefacePos;
    const bool flash = pos >= sw.residentFonts;
    m_extraSets = false;
    // Every face below the Hebrew ones offers the file's sets; the Hebrew faces and flash fonts
    // fill the list themselves below.
    if (pos < kFirstHebrewFace && !flash) {
        std::vector<std::string> items = m_symbolFile;
        if (TakesExtraSets(pos)) {
            m_extraSets = true;
            for (std::string& s : ExtraSymbolSets(sw))
                items.push_back(std::move(s));
        }
        SetSymbolItems(items);
        m_symbolList->setEnabled(true);
    }
    // A face with a set of its own shows it; a pick of another face shows PC-8. The field keeps
    // what the printer holds until the user picks a set.
    if (!flash) m_symSetPos = SymbolSetForTypeface(pos, m_symSetPos, !picked);
    if (picked) ed.symSet = st.reported.symSet;
    if (pos >= kFirstHebrewFace && !flash) {
        SetSymbolItems(HebrewSymbolSets());
        // A pick takes 15Q for a set the Hebrew faces lack; a load only shows it.
        if (picked && ed.symSet <= kHebrewBase) ed.symSet = kHebrewBase;
        m_symSetPos = std::max<int>(ed.symSet, kHebrewBase) - kHebrewBase;
        m_symbolList->setEnabled(true);
    }
    st.useFlashSymSet = false;
    if (flash) {
        const size_t i = static_cast<size_t>(pos - sw.residentFonts);
        std::vector<std::string> items;
        if (i < ListedFlashFonts(ed)) {
            st.useFlashSymSet = true;
            st.flashSymSet = FlashFontSymbolSet((*ed.fontList)[i]).substr(0, kFlashSymSetChars);
            items.push_back(st.flashSymSet);
        }
        SetSymbolItems(items);
        m_symSetPos = 0;
    }
    m_symbolList->setEnabled(SymbolSetListEnabled(pos, sw));
    SetSizeControls(SizeControlsFor(pos, sw));

    // A position the list does not hold falls back to PC-8, or, among the extra sets, to the
    // list position of the printer's number.
    if (m_symbolList->count() <= m_symSetPos) {
        if (!m_extraSets)
            m_symSetPos = kPc8Position;
        else if (sw.extraSets)
            m_symSetPos = ExtraSetPosition(m_symSetPos, sw.arabicOff).value_or(kPc8Position);
    }
    WriteControls();
}

void CPclTab::OnSymbolSetChange() {
    PrinterSettings& ed = m_ctx.store.edited;
    const PclSwitches sw = Switches();
    ReadControls();
    const int pos = m_symSetPos;
    ed.symSet = static_cast<uint8_t>(pos);
    if (pos >= 38) {
        if (sw.arabicFont) ed.symSet = static_cast<uint8_t>(pos + 6);
    } else if (pos == 20 || pos == 21) {
        // The Symbol and Wingdings sets belong to their own faces.
        m_typefacePos = pos == 20 ? kSymbolFace : kDingbatFace;
        ed.fontNumber = static_cast<uint8_t>(m_typefacePos);
    }
    if (m_typefacePos == kSymbolFace || m_typefacePos == kDingbatFace) {
        SetSizeControls({false, true});
        m_symbolList->setEnabled(false);
    }
    if (sw.extraSets) ed.symSet = static_cast<uint8_t>(SymbolSetNumberOfPosition(pos, sw));
    if (m_typefacePos >= kFirstHebrewFace) {
        ed.symSet = static_cast<uint8_t>(pos + kHebrewBase);
        m_symbolList->setEnabled(true);
    }
    WriteControls();
}

void CPclTab::OnSizeOrCourier() {
    PrinterSettings& ed = m_ctx.store.edited;
    ReadControls();
    // A hidden Courier list has no choice of its own to store.
    if (CourierShown() && m_courierPos != ed.courier) ed.courier = static_cast<uint8_t>(m_courierPos);
    const PclEdit pitch = AcceptPitch(m_pitchText, ed.pitch);
    ed.pitch = static_cast<uint16_t>(pitch.stored);
    m_pitchText = pitch.text;
    const PclEdit point = AcceptPointSize(m_pointText, ed.ptSize, m_ctx.IsKalor());
    ed.ptSize = static_cast<uint16_t>(point.stored);
    m_pointText = point.text;
    WriteControls();
}

void CPclTab::OnVScroll(int barId, int code) {
    PrinterSettings& ed = m_ctx.store.edited;
    ReadControls();
    if (barId == kPitchBarId) {
        const PclEdit p = StepPitch(m_pitchText, code);
        ed.pitch = static_cast<uint16_t>(p.stored);
        m_pitchText = p.text;
    } else {
        const PclEdit p = StepPointSize(m_pointText, code, m_ctx.IsKalor());
        ed.ptSize = static_cast<uint16_t>(p.stored);
        m_pointText = p.text;
    }
    WriteControls();
}

void CPclTab::OnLinesKillFocus() {
    if (m_linesEdit->text().isEmpty()) {
        m_linesEdit->setText("5");
        m_linesText = "5";
    } else {
        ReadControls();
    }
    const PclEdit lines = AcceptLines(m_linesText);
    m_ctx.store.edited.formLines = static_cast<uint8_t>(lines.stored);
    m_linesText = lines.text;
    m_linesEdit->setText(Qs(m_linesText));
}

void CPclTab::OnAutoCr() {
    ReadControls();
    m_ctx.store.edited.autoCr = static_cast<uint8_t>(m_autoCrPos);
}

void CPclTab::OnOrientation() {
    ReadControls();
    // The Printing page's paper decides whether Send carries the custom size, as a turn asks.
    m_layout->MarkCustomPaper();
    SetIcon();
    m_layout->Turn(m_orientation);
    m_prevOrientation = m_orientation;
    ReadControls();
}

int CPclTab::PrintFontList() {
    return PrintPrinterList(m_ctx, "FONT", [this] { ShowPrinterError(); });
}

} // namespace tav
