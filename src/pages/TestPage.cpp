#include "pages/TestPage.h"

#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "pages/Sheet.h"
#include "pjl/Pjl.h"

namespace tav {
namespace {
constexpr uint32_t kFlagDuplex = 0x4;
} // namespace

const std::array<CTestTab::ButtonDef, 4>& CTestTab::Buttons() { return kTestPrints; }

CTestTab::CTestTab(AppContext& ctx, QWidget* parent) : TavPage(ctx, 5004, parent) {}

void CTestTab::OnInitDialog() {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 24, 24, 24);
    column->setSpacing(10);
    const bool kalor = m_ctx.IsKalor();
    std::vector<QPushButton*> shown;
    for (const ButtonDef& b : Buttons()) {
        auto* button = AddControl(
            b.controlId, new QPushButton(LangText("TEST", kalor ? b.kalorKey : b.textKey, 63), this));
        if (!IsTestPrintOffered(m_ctx, b)) {
            button->hide();
            continue;
        }
        if (b.controlId == 8009) button->setEnabled((m_ctx.store.edited.featureFlags & kFlagDuplex) != 0);
        const char* page = b.pageName;
        connect(button, &QPushButton::clicked, this, [this, page] { PrintTestPage(page); });
        column->addWidget(button, 0, Qt::AlignLeft);
        shown.push_back(button);
    }
    // One width for the column, wide enough for the longest text.
    int width = 240;
    for (QPushButton* b : shown)
        width = std::max(width, b->sizeHint().width() + 24);
    for (QPushButton* b : shown)
        b->setFixedSize(width, std::max(b->sizeHint().height(), 30));
    column->addStretch(1);
}

int CTestTab::PrintTestPage(const char* pageName) {
    return PrintPrinterList(m_ctx, pageName, [this] { ShowPrinterError(); });
}

} // namespace tav
