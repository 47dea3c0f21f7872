#include "pages/CheckPage.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "platform/UiHost.h"

namespace tav {

const std::array<CCheck::RowDef, CCheck::RowCount>& CCheck::Rows() {
    static const std::array<RowDef, RowCount> rows = {{
        {1194, "IDC_IMG_STATIC", 1195, 24, 1196, "IDC_PAGE_CNT", false},
        {1176, "IDC_BELT_STATIC", 1182, 23, 1188, "IDC_PERCENTAGE", true},
        {1177, "IDC_FUSER_STATIC", 1183, 25, 1189, "IDC_PAGE_CNT", true},
        {1179, "IDC_ROLL_STATIC", 1184, 26, 1193, "IDC_PAGE_CNT", false},
        {1178, "IDC_MP_STATIC", 1185, 48, 1190, "IDC_PAGE_CNT", true},
        {1180, "IDC_TRAY1_STATIC", 1186, 49, 1191, "IDC_PAGE_CNT", true},
        {1181, "IDC_TRAY2_STATIC", 1187, 50, 1192, "IDC_PAGE_CNT", true},
    }};
    return rows;
}

CCheck::CCheck(AppContext& ctx, QWidget* parent) : TavPage(ctx, 156, parent) {
    SetHelpTable({{1194, 132266},
                  {1176, 132248},
                  {1177, 132249},
                  {1179, 132251},
                  {1178, 132251},
                  {1180, 132251},
                  {1181, 132251}});
}

void CCheck::OnInitDialog() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(24, 24, 24, 24);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(10);
    grid->setColumnStretch(3, 1);
    int line = 0;
    for (size_t i = 0; i < Rows().size(); ++i) {
        const RowDef& r = Rows()[i];
        auto* label = AddControl(r.labelId, new QLabel(LangText("CHECK", r.labelKey, 63), this));
        auto* edit = AddControl(r.valueId, new QLineEdit(this));
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::NoFocus);
        edit->setAlignment(Qt::AlignRight);
        edit->setFixedWidth(96);
        auto* unit = AddControl(r.unitId, new QLabel(LangText("CHECK", r.unitKey, 63), this));
        m_edits[i] = edit;
        if (!r.shown) {
            // Kept, filled and hidden: these parts are not reported to the user on this family.
            label->hide();
            edit->hide();
            unit->hide();
            continue;
        }
        grid->addWidget(label, line, 0);
        grid->addWidget(edit, line, 1);
        grid->addWidget(unit, line, 2);
        ++line;
    }
    outer->addLayout(grid);
    outer->addStretch(1);
    ReadReport();
}

void CCheck::ReadReport() {
    if (!m_ctx.link.AcquirePort()) return;
    WaitCursor cursor(m_ctx.ui);
    if (GetCheckInfo(m_ctx)) {
        m_ctx.link.ReleasePort();
        ParseCheckInfo(m_ctx);
        const CheckInfo& info = m_ctx.checkInfo;
        for (size_t i = 0; i < Rows().size(); ++i) {
            const int slot = CheckInfoSlot(Rows()[i].itemType);
            m_values[i] = slot >= 0 ? info[static_cast<size_t>(slot)] : std::string();
            m_edits[i]->setText(FromStd(m_values[i]));
            m_edits[i]->setCursorPosition(0);
        }
    } else {
        LangTextStd("STRING", "IDS_NOT_RESPOND");
        Message(m_ctx.PrinterFailureText("IDS_NOT_RESPOND"), MsgIcon::Error);
        m_ctx.link.ReleasePort();
    }
}

} // namespace tav
