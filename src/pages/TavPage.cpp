#include "pages/TavPage.h"

#include <QContextMenuEvent>

#include "pages/CsHelp.h"

namespace tav {

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

void TavPage::ShowPrinterError() {
    Message(LangTextStd("STRING", "IDS_ERRORSTRING", 63), MsgIcon::Error);
}

} // namespace tav
