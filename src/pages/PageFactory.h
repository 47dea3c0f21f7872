// One object of every page class that exists, created with the main window.
#pragma once
#include <memory>

#include "pages/Sheet.h"
#include "pages/TavPage.h"

namespace tav {

// nullptr for a page whose class this build does not have.
std::unique_ptr<TavPage> CreatePage(PageId id, AppContext& ctx);

} // namespace tav
