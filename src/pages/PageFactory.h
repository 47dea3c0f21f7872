// One object of every page class that exists, created with the main window.
#pragma once
#include <memory>

#include "pages/Sheet.h"
#include "pages/TavPage.h"

namespace tav {

class PaperLayout;

// nullptr for a page whose class this build does not have. The Printing and PCL pages share the
// sheet's paper layout.
std::unique_ptr<TavPage> CreatePage(PageId id, AppContext& ctx, PaperLayout& paper);

} // namespace tav
