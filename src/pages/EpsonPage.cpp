#include "pages/EpsonPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "pages/NumEdit.h"
#include "pages/PageControls.h"

namespace tav {
namespace {

constexpr int kLabelChars = 63;
constexpr int kFormLinesChars = 3;
constexpr int kCharSetTexts = 11; // IDS_CHAR_SET0..10 come from the language file as they are
constexpr int kSpain1 = 7;

} // namespace

CEpsonTab::CEpsonTab(AppContext& ctx, QWidget* parent) : CEmulationTab(ctx, 5006, parent) {
    SetHelpTable({{6037, 139198},
                  {8126, 139198},
                  {6039, 139203},
                  {8131, 139203},
                  {6040, 139204},
                  {8132, 139204},
                  {6041, 139206},
                  {8134, 139206},
                  {6042, 139205},
                  {8133, 139205},
                  {8128, 139200},
                  {8067, 139139},
                  {6043, 139175},
                  {8103, 139175},
                  {6044, 139177},
                  {8105, 139177}});
}

void CEpsonTab::OnInitDialog() {
    m_options = EpsonOptionsFor(m_ctx);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(24, 24, 24, 24);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(10);
    grid->setColumnStretch(2, 1);
    outer->addLayout(grid);

    int line = 0;
    auto row = [&](int labelId, const char* key, int controlId, QWidget* control) {
        auto* label = AddControl(labelId, new QLabel(LangText("EPSON", key, kLabelChars), this));
        label->setBuddy(control);
        AddControl(controlId, control);
        grid->addWidget(label, line, 0);
        grid->addWidget(control, line, 1);
        ++line;
        return label;
    };
    auto list = [this] {
        auto* l = new QComboBox(this);
        l->setMinimumWidth(200);
        return l;
    };
    auto item = [this](QComboBox* l, const std::string& key) {
        l->addItem(LangText("STR_EPSON", key.c_str(), kLabelChars));
    };

    m_fontList = list();
    row(6037, "IDL_EPSONFONT", 8126, m_fontList);
    item(m_fontList, "IDS_FONT0");
    item(m_fontList, "IDS_FONT1");

    m_charSetList = list();
    row(6039, "IDL_CHAR_SET", 8131, m_charSetList);
    for (int i = 0; i < kCharSetTexts; ++i)
        item(m_charSetList, "IDS_CHAR_SET" + std::to_string(i));
    const std::string spain1 =
        LangTextStd("STR_EPSON", ("IDS_CHAR_SET" + std::to_string(kSpain1)).c_str(), kLabelChars);
    m_charSetList->addItem(FromStd(SecondVariantText(spain1)));
    // The last set is a name the language file may translate; "Latin" where it does not.
    QString latin = LangText("STR_EPSON", "IDS_CHAR_SET12", kLabelChars);
    m_charSetList->addItem(latin.isEmpty() ? QStringLiteral("Latin") : latin);

    m_charTableList = list();
    row(6040, "IDL_CHAR_TBL", 8132, m_charTableList);
    for (int i = 0; i < (m_options.hebrew ? 5 : 3); ++i)
        item(m_charTableList, "IDS_CHAR_TBL" + std::to_string(i));

    m_pitchList = list();
    row(6041, "IDL_EPSON_PITCH", 8134, m_pitchList);
    for (int i = 0; i < kEpsonPitchCount; ++i)
        if (i != kEpsonPitch103 || m_options.pitchAdd)
            item(m_pitchList, "IDS_EPSON_PITCH" + std::to_string(i));

    m_lpiList = list();
    row(6042, "IDL_EPSON_LPI", 8133, m_lpiList);
    item(m_lpiList, "IDS_EPSON_LPI0");
    item(m_lpiList, "IDS_EPSON_LPI1");

    m_formLinesEdit = new CNumEdit(m_ctx.ui, this);
    m_formLinesEdit->SetMode(CNumEdit::kDigits);
    m_formLinesEdit->SetLimitText(kFormLinesChars);
    m_formLinesEdit->setFixedWidth(72);
    m_formLinesEdit->setAlignment(Qt::AlignRight);
    QLabel* formLabel = row(6043, "IDL_EPSON_FORMLINE", 8103, m_formLinesEdit);

    m_topMarginList = list();
    QLabel* marginLabel = row(6044, "IDL_EPSON_TOPMARGIN", 8105, m_topMarginList);
    for (int i = 0; i < 6; ++i)
        item(m_topMarginList, "IDS_EPSON_TOPMARGIN" + std::to_string(i));

    m_autoWrapBox = AddControl(8128, new QCheckBox(LangText("EPSON", "IDC_AUTOWRAP", kLabelChars), this));
    grid->addWidget(m_autoWrapBox, line++, 0, 1, 2);

    m_fontListButton =
        AddControl(8067, new QPushButton(LangText("EPSON", "IDC_FONTLIST", kLabelChars), this));
    m_fontListButton->setMinimumWidth(std::max(200, m_fontListButton->sizeHint().width() + 24));
    outer->addSpacing(12);
    outer->addWidget(m_fontListButton, 0, Qt::AlignLeft);
    outer->addStretch(1);

    for (QComboBox* l : {m_fontList, m_charSetList, m_charTableList, m_lpiList, m_topMarginList})
        connect(l, &QComboBox::activated, this, &CEpsonTab::OnStore);
    connect(m_pitchList, &QComboBox::activated, this, [this] {
        m_pitchPicked = true;
        OnStore();
    });
    // Only the user's typing: the text a load puts in is not a change.
    connect(m_formLinesEdit, &QLineEdit::textEdited, this, &CEpsonTab::OnStore);
    m_formLinesEdit->installEventFilter(this);
    connect(m_autoWrapBox, &QCheckBox::clicked, this, &CEpsonTab::OnAutoWrap);
    connect(m_fontListButton, &QPushButton::clicked, this, &CEpsonTab::OnFontList);

    LoadFromSettings();
    formLabel->setVisible(m_options.formLine);
    m_formLinesEdit->setVisible(m_options.formLine);
    marginLabel->setVisible(m_options.topMargin);
    m_topMarginList->setVisible(m_options.topMargin);
}

bool CEpsonTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_formLinesEdit && event->type() == QEvent::FocusOut) OnFormLinesKillFocus();
    return CEmulationTab::eventFilter(watched, event);
}

void CEpsonTab::LoadFromSettings() {
    const PrinterSettings& s = m_ctx.store.edited;
    m_font = s.epsonFont;
    m_autoWrap = s.epsonAutoWrap != 0;
    m_charSet = s.epsonCountry;
    m_charTable = s.epsonTable;
    m_lpi = s.epsonLpi;
    m_pitchPos = EpsonPitchPosition(s.epsonPitch, m_options.pitchAdd);
    m_pitchPicked = false;
    m_topMargin = s.epsonTopMargin;
    m_formLines = s.epsonFormLine;
    if (IsCreated()) PutControls();
}

void CEpsonTab::PutControls() {
    SetListIndex(m_fontList, m_font);
    SetListIndex(m_charSetList, m_charSet);
    SetListIndex(m_charTableList, m_charTable);
    SetListIndex(m_pitchList, m_pitchPos);
    SetListIndex(m_lpiList, m_lpi);
    SetListIndex(m_topMarginList, m_topMargin);
    m_autoWrapBox->setChecked(m_autoWrap);
    m_formLinesEdit->setText(QString::number(m_formLines));
}

bool CEpsonTab::ReadControls() {
    m_autoWrap = m_autoWrapBox->isChecked();
    m_charSet = m_charSetList->currentIndex();
    m_charTable = m_charTableList->currentIndex();
    m_font = m_fontList->currentIndex();
    m_lpi = m_lpiList->currentIndex();
    m_pitchPos = m_pitchList->currentIndex();
    m_topMargin = m_topMarginList->currentIndex();
    const std::optional<int> lines = ParseDialogInt(m_formLinesEdit->text().toStdString());
    if (!lines) {
        m_prompting = true;
        PromptInteger();
        m_prompting = false;
        return false;
    }
    m_formLines = *lines;
    return true;
}

void CEpsonTab::StoreFormLines() {
    PrinterSettings& s = m_ctx.store.edited;
    m_formLines = ClampEpsonFormLines(m_formLines);
    if (m_formLines != s.epsonFormLine) s.epsonFormLine = static_cast<uint8_t>(m_formLines);
}

void CEpsonTab::OnStore() {
    if (m_prompting || !ReadControls()) return;
    PrinterSettings& s = m_ctx.store.edited;
    // A list that shows nothing (a printer value it has no entry for) keeps its field.
    auto store = [](int position, uint8_t& field) {
        if (position >= 0) field = static_cast<uint8_t>(position);
    };
    store(m_font, s.epsonFont);
    s.epsonAutoWrap = m_autoWrap ? 1 : 0;
    store(m_charTable, s.epsonTable);
    store(m_charSet, s.epsonCountry);
    s.epsonPitch = EpsonPitchToStore(m_pitchPos, m_options.pitchAdd, s.epsonPitch, m_pitchPicked);
    store(m_lpi, s.epsonLpi);
    store(m_topMargin, s.epsonTopMargin);
    StoreFormLines();
}

void CEpsonTab::OnFormLinesKillFocus() {
    if (m_prompting || !ReadControls()) return;
    StoreFormLines();
    PutControls();
}

void CEpsonTab::OnAutoWrap() {
    if (m_prompting || !ReadControls()) return;
    m_ctx.store.edited.epsonAutoWrap = m_autoWrap ? 1 : 0;
}

void CEpsonTab::OnFontList() {
    PrintFontList("EPSONFONT");
}

} // namespace tav
