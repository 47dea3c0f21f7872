#include "pages/PageLinks.h"

#include <map>

namespace tav {
namespace {
// One entry per main window's context; pages live on the user-interface thread only.
std::map<const AppContext*, PaperPages>& Registry() {
    static std::map<const AppContext*, PaperPages> registry;
    return registry;
}
} // namespace

PaperPages& PaperPagesOf(const AppContext& ctx) {
    return Registry()[&ctx];
}

void ForgetPaperPages(const AppContext& ctx) {
    auto it = Registry().find(&ctx);
    if (it != Registry().end() && !it->second.printing && !it->second.pcl) Registry().erase(it);
}

} // namespace tav
