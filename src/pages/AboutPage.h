// The About page: model, product title, version and the legal notices.
#pragma once
#include "pages/TavPage.h"

namespace tav {

class CAboutTab : public TavPage {
    Q_OBJECT
  public:
    explicit CAboutTab(AppContext& ctx, QWidget* parent = nullptr);

  protected:
    void OnInitDialog() override;
};

} // namespace tav
