#include "pages/AboutPage.h"

#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

#include "pages/ProgramIcon.h"

namespace tav {

CAboutTab::CAboutTab(AppContext& ctx, QWidget* parent) : TavPage(ctx, 5024, parent) {}

void CAboutTab::OnInitDialog() {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(32, 28, 32, 28);
    column->setSpacing(8);

    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon().pixmap(64, 64));
    icon->setAlignment(Qt::AlignHCenter);
    column->addWidget(icon);
    column->addSpacing(6);

    auto text = [&](int id, const QString& value, bool strong) {
        auto* label = AddControl(id, new QLabel(value, this));
        label->setAlignment(Qt::AlignHCenter);
        label->setWordWrap(true);
        label->setTextFormat(Qt::PlainText);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        if (strong) {
            QFont f = label->font();
            f.setBold(true);
            f.setPointSizeF(f.pointSizeF() * 1.25);
            label->setFont(f);
        }
        column->addWidget(label);
        return label;
    };
    text(6002, FromStd(m_ctx.Config("STRING", "MODEL", "", 127)), true);
    text(6032, FromStd(ProductTitle()), false);
    text(6033, FromStd(m_ctx.Config("STRING", "VERSION", "")), false);
    column->addSpacing(10);
    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    column->addWidget(rule);
    column->addSpacing(10);
    text(6034, FromStd(m_ctx.Config("STRING", "COPYLIGHT", "")), false);
    text(1145, LangText("ABOUT", "IDL_COPYRIGHT"), false);
    column->addStretch(1);
}

} // namespace tav
