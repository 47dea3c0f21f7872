#include "pages/PageFactory.h"

#include "pages/AboutPage.h"
#include "pages/CheckPage.h"
#include "pages/TestPage.h"

namespace tav {

std::unique_ptr<TavPage> CreatePage(PageId id, AppContext& ctx) {
    switch (id) {
    case PageId::Test:
        return std::make_unique<CTestTab>(ctx);
    case PageId::About:
        return std::make_unique<CAboutTab>(ctx);
    case PageId::Check:
        return std::make_unique<CCheck>(ctx);
    default:
        return nullptr;
    }
}

} // namespace tav
