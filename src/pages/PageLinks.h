// The Printing and PCL pages share the orientation, the margins it swaps and the form lines.
// Each page object finds the other through the context both were built with.
#pragma once
#include "pjl/AppContext.h"

namespace tav {

class CPrintingTab;
class CPclTab;

struct PaperPages {
    CPrintingTab* printing = nullptr;
    CPclTab* pcl = nullptr;
};

// The pages of that context; a page sets its own pointer when built and clears it when gone.
PaperPages& PaperPagesOf(const AppContext& ctx);
// Drops the context's entry once neither page is left.
void ForgetPaperPages(const AppContext& ctx);

} // namespace tav
