// The Test page: prints one of the printer's built-in pages at once.
#pragma once
#include <array>

#include "pages/TavPage.h"
#include "pages/TestPrints.h"

class QPushButton;

namespace tav {

class CTestTab : public TavPage {
    Q_OBJECT
  public:
    explicit CTestTab(AppContext& ctx, QWidget* parent = nullptr);

    using ButtonDef = TestPrintDef;
    static const std::array<ButtonDef, 4>& Buttons();

    // What a click does: returns 1 when the printer took the job.
    int PrintTestPage(const char* pageName);

  protected:
    void OnInitDialog() override;
};

} // namespace tav
