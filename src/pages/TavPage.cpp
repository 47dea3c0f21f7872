#include "pages/TavPage.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QScrollBar>

#include "pages/CsHelp.h"
#include "pages/KoreanRules.h"
#include "pages/NumEdit.h"

namespace tav {

namespace {

// The window system's numbering of a scroll bar's actions; -1 for those it has no code for.
int ScrollCode(int action) {
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        return kScrollLineUp;
    case QAbstractSlider::SliderSingleStepAdd:
        return kScrollLineDown;
    case QAbstractSlider::SliderPageStepSub:
        return 2;
    case QAbstractSlider::SliderPageStepAdd:
        return 3;
    case QAbstractSlider::SliderMove:
        return 5;
    case QAbstractSlider::SliderToMinimum:
        return 6;
    case QAbstractSlider::SliderToMaximum:
        return 7;
    default:
        return -1;
    }
}

} // namespace

QLabel* TavPage::AddLabel(int controlId) {
    auto* l = AddControl(controlId, new QLabel(this));
    l->setTextFormat(Qt::PlainText);
    return l;
}

CNumEdit* TavPage::AddNumEdit(int controlId) {
    auto* e = AddControl(controlId, new CNumEdit(m_ctx.ui, this));
    e->installEventFilter(this);
    return e;
}

QScrollBar* TavPage::AddStepBar(int controlId, std::function<void(int code)> onStep) {
    auto* bar = AddControl(controlId, new QScrollBar(Qt::Vertical, this));
    bar->setRange(-1, 1);
    bar->setValue(0);
    bar->setFixedWidth(18);
    connect(bar, &QAbstractSlider::actionTriggered, this, [bar, onStep = std::move(onStep)](int action) {
        // Back to the middle before the action's position is taken, so both arrows keep working.
        bar->setSliderPosition(0);
        const int code = ScrollCode(action);
        if (code >= 0) onStep(code);
    });
    return bar;
}

QString FromStd(const std::string& s) {
    // Texts come through byte-sized buffers: a cut in the middle of a character loses that
    // character rather than showing a replacement mark.
    size_t n = s.size();
    size_t lead = n;
    while (lead > 0 && n - lead < 4 && (static_cast<unsigned char>(s[lead - 1]) & 0xC0) == 0x80)
        --lead;
    if (lead > 0) {
        const auto c = static_cast<unsigned char>(s[lead - 1]);
        const size_t need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        if (need > 1 && n - (lead - 1) < need) n = lead - 1;
    }
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(n));
}

TavPage::TavPage(AppContext& ctx, int templateId, QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_templateId(templateId) {}

void TavPage::EnsureCreated() {
    if (m_created) return;
    m_created = true;
    OnInitDialog();
}

QWidget* TavPage::Control(int controlId) const {
    for (QWidget* w : findChildren<QWidget*>()) {
        QVariant v = w->property("controlId");
        if (v.isValid() && v.toInt() == controlId) return w;
    }
    return nullptr;
}

void TavPage::RegisterControl(int controlId, QWidget* w) {
    w->setProperty("controlId", controlId);
    w->setContextMenuPolicy(Qt::NoContextMenu);
}

uint32_t TavPage::HelpIdFor(int controlId) const {
    for (const auto& [id, help] : m_helpTable)
        if (id == controlId) return help;
    return kControlHelpBase + static_cast<uint32_t>(controlId);
}

uint32_t TavPage::PopupHelpAt(const QPoint& pos) {
    for (QWidget* w = childAt(pos); w && w != this; w = w->parentWidget()) {
        QVariant v = w->property("controlId");
        if (!v.isValid()) continue;
        const uint32_t help = HelpIdFor(v.toInt());
        m_ctx.ui.ShowPopupHelp(m_ctx.cfg.helpFilePath, help);
        return help;
    }
    return 0;
}

void TavPage::contextMenuEvent(QContextMenuEvent* event) {
    PopupHelpAt(event->pos());
    event->accept();
}

std::string TavPage::LangTextStd(const char* section, const char* key, size_t maxChars) {
    m_keysAsked.emplace(section, key);
    return m_ctx.GetLangText(section, key, maxChars);
}

QString TavPage::LangText(const char* section, const char* key, size_t maxChars) {
    return FromStd(LangTextStd(section, key, maxChars));
}

std::string TavPage::ProductTitle() {
    const std::string key = m_ctx.GetAppTitleKey();
    return LangTextStd("ABOUT", key.c_str());
}

MsgResult TavPage::Message(const std::string& text, MsgIcon icon, MsgButtons buttons) {
    return m_ctx.ui.MessageBox(text, ProductTitle(), icon, buttons);
}

std::string TavPage::Format(const std::string& text, const std::vector<std::string>& args) {
    std::string out;
    size_t next = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size()) {
            const char c = text[i + 1];
            if (c == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (c == 's' || c == 'd') {
                if (next < args.size()) out += args[next++];
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

bool TavPage::TellListed(Listed verdict, const std::string& names, const char* notTakenKey) {
    switch (verdict) {
    case Listed::Confirmed:
        return true;
    case Listed::NotTaken:
        Message(Format(LangTextStd("FMU", notTakenKey), {names}), MsgIcon::Error);
        break;
    case Listed::Incomplete:
        Message(LangTextStd("STRING", "IDS_LIST_INCOMPLETE"), MsgIcon::Warning);
        break;
    case Listed::Unread:
        ShowPrinterError();
        break;
    }
    return false;
}

void TavPage::ShowPrinterError() {
    m_keysAsked.emplace("STRING", "IDS_ERRORSTRING");
    Message(m_ctx.PrinterFailureText("IDS_ERRORSTRING", 63), MsgIcon::Error);
}

} // namespace tav
