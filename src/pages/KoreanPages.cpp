#include "pages/KoreanPages.h"

#include <QAbstractSlider>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "pages/NumEdit.h"
#include "pages/PageControls.h"

namespace tav {
namespace {

constexpr int kLabelChars = 31; // the pages' 32-byte label buffers
constexpr int kItemChars = 63;
constexpr int kSmallEditChars = 3;

} // namespace

CKoreanTab::CKoreanTab(AppContext& ctx, const KoreanPageLayout& desc, QWidget* parent)
    : CEmulationTab(ctx, desc.templateId, parent), m_desc(desc) {
    std::vector<std::pair<int, uint32_t>> help;
    auto topic = [&](const KoreanControl& c, uint32_t t, int bar = 0) {
        if (!c.controlId) return;
        help.emplace_back(c.controlId, t);
        if (c.labelId) help.emplace_back(c.labelId, t);
        // The up/down bar belongs to its edit.
        if (bar) help.emplace_back(bar, t);
    };
    topic(desc.pitch, kKsHelpPitch);
    topic(desc.lpi, kKsHelpLpi);
    topic(desc.font, kKsHelpFont);
    topic(desc.mode, kKsHelpMode);
    topic(desc.margin, kKsHelpMargin);
    topic(desc.code, kKsHelpCode);
    topic(desc.zoom, kKsHelpZoom, desc.zoomBar);
    topic(desc.ptSize, kKsHelpPtSize, desc.ptSizeBar);
    topic(desc.autoWrap, kKsHelpAutoWrap);
    topic(desc.fontListButton, kKsHelpFontList);
    SetHelpTable(std::move(help));
}

void CKoreanTab::OnInitDialog() {
    const char* section = m_desc.section;
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(24, 24, 24, 24);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(10);
    grid->setColumnStretch(2, 1);
    outer->addLayout(grid);

    int line = 0;
    auto row = [&](const KoreanControl& c, QWidget* control, QWidget* shown = nullptr) {
        auto* label = AddControl(c.labelId, new QLabel(LangText(section, c.textKey, kLabelChars), this));
        label->setBuddy(control);
        AddControl(c.controlId, control);
        grid->addWidget(label, line, 0);
        grid->addWidget(shown ? shown : control, line, 1, Qt::AlignLeft);
        ++line;
    };
    auto list = [this](const std::vector<std::string>& items) {
        auto* l = new QComboBox(this);
        l->setMinimumWidth(160);
        FillList(l, items);
        return l;
    };
    auto texts = [this](const char* prefix, int count) {
        std::vector<std::string> out;
        for (int i = 0; i < count; ++i)
            out.push_back(LangTextStd("STR_KOREAN", (prefix + std::to_string(i)).c_str(), kItemChars));
        return out;
    };
    auto edit = [this](int mode, int limit) {
        auto* e = new CNumEdit(m_ctx.ui, this);
        e->SetMode(mode);
        e->SetLimitText(limit);
        e->setFixedWidth(64);
        e->setAlignment(Qt::AlignRight);
        e->installEventFilter(this);
        return e;
    };
    auto withBar = [this](QWidget* e, QScrollBar* bar) {
        auto* box = new QWidget(this);
        auto* h = new QHBoxLayout(box);
        h->setContentsMargins(0, 0, 0, 0);
        h->setSpacing(2);
        h->addWidget(e);
        bar->setFixedHeight(e->sizeHint().height());
        h->addWidget(bar);
        return box;
    };
    auto stepBar = [this](int controlId, void (CKoreanTab::*handler)(int)) {
        return AddStepBar(controlId, [this, handler](int code) { (this->*handler)(code); });
    };

    if (m_desc.pitch.controlId) {
        m_pitchList = list(KoreanPitchItems(m_desc.pitchTrailingBlanks));
        row(m_desc.pitch, m_pitchList);
    }
    m_lpiList = list(KoreanLpiItems(m_desc.lpiKind));
    row(m_desc.lpi, m_lpiList);
    m_fontList = list(texts("IDS_KSFONT", kKoreanFontCount));
    row(m_desc.font, m_fontList);
    if (m_desc.margin.controlId) {
        m_marginList = list(KoreanMarginItems());
        row(m_desc.margin, m_marginList);
    }
    m_codeList = list(texts("IDS_HANGULCODE", kHangulCodeCount));
    row(m_desc.code, m_codeList);

    m_zoomEdit = edit(CNumEdit::kDigits, kSmallEditChars);
    QScrollBar* zoomBar = stepBar(m_desc.zoomBar, &CKoreanTab::OnZoomScroll);
    row(m_desc.zoom, m_zoomEdit, withBar(m_zoomEdit, zoomBar));
    if (m_desc.mode.controlId) {
        m_modeEdit = edit(0, kSmallEditChars);
        row(m_desc.mode, m_modeEdit);
    }
    if (m_desc.ptSize.controlId) {
        // Not limited as typed: the length is checked when the page reads its controls.
        m_ptSizeEdit = edit(0, 0);
        QScrollBar* ptBar = stepBar(m_desc.ptSizeBar, &CKoreanTab::OnPtSizeScroll);
        row(m_desc.ptSize, m_ptSizeEdit, withBar(m_ptSizeEdit, ptBar));
    }

    m_autoWrapBox = AddControl(m_desc.autoWrap.controlId,
                               new QCheckBox(LangText(section, m_desc.autoWrap.textKey, kLabelChars), this));
    grid->addWidget(m_autoWrapBox, line++, 0, 1, 2);

    auto* button =
        AddControl(m_desc.fontListButton.controlId,
                   new QPushButton(LangText(section, m_desc.fontListButton.textKey, kLabelChars), this));
    button->setMinimumWidth(std::max(200, button->sizeHint().width() + 24));
    outer->addSpacing(12);
    outer->addWidget(button, 0, Qt::AlignLeft);
    outer->addStretch(1);

    for (QComboBox* l : {m_pitchList, m_lpiList, m_fontList, m_marginList, m_codeList})
        if (l) connect(l, &QComboBox::activated, this, &CKoreanTab::OnStore);
    connect(m_autoWrapBox, &QCheckBox::clicked, this, &CKoreanTab::OnStore);
    connect(button, &QPushButton::clicked, this, &CKoreanTab::OnFontList);

    LoadFromSettings();
}

bool CKoreanTab::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        if (watched == m_zoomEdit)
            OnZoomKillFocus();
        else if (m_modeEdit && watched == m_modeEdit)
            OnModeKillFocus();
        else if (m_ptSizeEdit && watched == m_ptSizeEdit)
            OnPtSizeKillFocus();
    }
    return CEmulationTab::eventFilter(watched, event);
}

void CKoreanTab::LoadFromSettings() {
    const PrinterSettings& s = m_ctx.store.edited;
    if (m_desc.pitch.field) m_pitch = s.*m_desc.pitch.field;
    const uint8_t lpi = s.*m_desc.lpi.field;
    m_lpiPos = m_desc.lpiKind == KoreanLpi::Offset ? KsLpiPosition(lpi) : lpi;
    m_font = m_desc.font16 ? s.*m_desc.font16 : s.*m_desc.font.field;
    m_autoWrap = s.*m_desc.autoWrap.field != 0;
    if (m_desc.margin.field) m_margin = s.*m_desc.margin.field;
    m_code = s.*m_desc.code.field;
    m_zoomText = std::to_string(s.*m_desc.zoom.field);
    if (m_desc.mode.field) m_modeText = std::to_string(s.*m_desc.mode.field);
    if (m_desc.ptSizeField) m_ptSizeText = PtSizeText(s.*m_desc.ptSizeField);
    if (IsCreated()) PutControls();
}

void CKoreanTab::PutControls() {
    if (m_pitchList) SetListIndex(m_pitchList, m_pitch);
    SetListIndex(m_lpiList, m_lpiPos);
    SetListIndex(m_fontList, m_font);
    if (m_marginList) SetListIndex(m_marginList, m_margin);
    SetListIndex(m_codeList, m_code);
    m_autoWrapBox->setChecked(m_autoWrap);
    m_zoomEdit->setText(FromStd(m_zoomText));
    if (m_modeEdit) m_modeEdit->setText(FromStd(m_modeText));
    if (m_ptSizeEdit) m_ptSizeEdit->setText(FromStd(m_ptSizeText));
}

bool CKoreanTab::ReadControls() {
    if (m_pitchList) m_pitch = m_pitchList->currentIndex();
    m_lpiPos = m_lpiList->currentIndex();
    m_font = m_fontList->currentIndex();
    if (m_marginList) m_margin = m_marginList->currentIndex();
    m_code = m_codeList->currentIndex();
    m_autoWrap = m_autoWrapBox->isChecked();
    m_zoomText = m_zoomEdit->text().toStdString();
    if (m_modeEdit) m_modeText = m_modeEdit->text().toStdString();
    if (m_ptSizeEdit) {
        const QString pt = m_ptSizeEdit->text();
        if (pt.size() > kPtSizeMaxChars) {
            m_prompting = true;
            PromptMaxChars(kPtSizeMaxChars);
            m_prompting = false;
            return false;
        }
        m_ptSizeText = pt.toStdString();
    }
    return true;
}

void CKoreanTab::OnStore() {
    if (m_prompting || !ReadControls()) return;
    PrinterSettings& s = m_ctx.store.edited;
    // A list that shows nothing keeps its field.
    auto store = [&s](uint8_t PrinterSettings::*field, int member) {
        if (field && member >= 0 && member != s.*field) s.*field = static_cast<uint8_t>(member);
    };
    store(m_desc.pitch.field, m_pitch);
    if (m_desc.font16) {
        if (m_font >= 0 && m_font != s.*m_desc.font16) s.*m_desc.font16 = static_cast<uint16_t>(m_font);
    } else {
        store(m_desc.font.field, m_font);
    }
    store(m_desc.autoWrap.field, m_autoWrap ? 1 : 0);
    store(m_desc.margin.field, m_margin);
    store(m_desc.code.field, m_code);
    uint8_t& lpi = s.*m_desc.lpi.field;
    if (m_desc.lpiKind == KoreanLpi::Offset) {
        // Compared with position + 5, so a printer value outside 5..10 is rewritten as 6.
        if (m_lpiPos + 5 != lpi) lpi = KsLpiValue(m_lpiPos);
    } else {
        store(m_desc.lpi.field, m_lpiPos);
    }
}

void CKoreanTab::OnZoomKillFocus() {
    if (m_prompting) return;
    if (m_zoomEdit->text().isEmpty())
        m_zoomText = std::to_string(kKsZoomMin);
    else if (!ReadControls())
        return;
    const uint8_t zoom = ClampKsZoom(LeadingInt(m_zoomText));
    m_ctx.store.edited.*m_desc.zoom.field = zoom;
    m_zoomText = std::to_string(zoom);
    m_zoomEdit->setText(FromStd(m_zoomText));
}

void CKoreanTab::OnModeKillFocus() {
    if (m_prompting || !m_modeEdit) return;
    if (m_modeEdit->text().isEmpty())
        m_modeText = "0";
    else if (!ReadControls())
        return;
    const uint8_t mode = ClampKsMode(LeadingInt(m_modeText));
    m_ctx.store.edited.*m_desc.mode.field = mode;
    m_modeText = std::to_string(mode);
    m_modeEdit->setText(FromStd(m_modeText));
}

void CKoreanTab::OnPtSizeKillFocus() {
    if (m_prompting || !m_ptSizeEdit || !ReadControls()) return;
    const PtSizeEntry entry = PtSizeFromText(m_ptSizeText);
    if (entry.text) {
        m_ptSizeText = *entry.text;
        PutControls();
    }
    m_ctx.store.edited.*m_desc.ptSizeField = entry.quarters;
}

void CKoreanTab::OnZoomScroll(int code) {
    if (m_prompting || !ReadControls()) return;
    const std::optional<uint8_t> zoom = KsZoomScroll(m_zoomText, code);
    if (!zoom) return;
    m_ctx.store.edited.*m_desc.zoom.field = *zoom;
    m_zoomText = std::to_string(*zoom);
    PutControls();
}

void CKoreanTab::OnPtSizeScroll(int code) {
    if (m_prompting || !m_ptSizeEdit || !ReadControls()) return;
    const std::optional<PtSizeStep> step = PtSizeScroll(m_ptSizeText, code);
    if (!step) return;
    m_ptSizeText = step->text;
    m_ctx.store.edited.*m_desc.ptSizeField = step->quarters;
    PutControls();
}

void CKoreanTab::OnFontList() {
    PrintFontList(m_desc.fontListName);
}

} // namespace tav
