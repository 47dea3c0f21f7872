#include "storage/PsForms.h"

#include "pjl/Pjl.h"
#include "storage/FlashCore.h"

namespace tav {
namespace {

// The form listing as named entries; false when it could not be read.
bool ListForms(AppContext& ctx, std::vector<std::string>& names, bool& complete) {
    ListingShape shape;
    if (!QueryFormInfo(ctx, &shape)) return false;
    complete = shape.Complete();
    for (const PsFormEntry& f : ctx.store.formList)
        names.push_back("form " + FormName(f));
    return true;
}

} // namespace

std::string FileNamePart(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

ListingCheck<std::string> ConfirmFormStored(AppContext& ctx, const std::string& path) {
    const std::string name = "form " + FileNamePart(path);
    std::vector<std::string> names;
    bool complete = false;
    const bool read = ListForms(ctx, names, complete);
    return CheckByListing(read, complete, names, {name}, true);
}

ListingCheck<std::string> ConfirmFlashErased(AppContext& ctx, bool withFlash) {
    std::vector<std::string> names;
    bool complete = false;
    bool read = ListForms(ctx, names, complete);
    if (read && withFlash) {
        std::optional<ListedIds> macros;
        read = QueryFontInfo(ctx) && (macros = QueryMacroInfo(ctx));
        for (const FlashFontEntry& f : FlashFonts(ctx))
            names.push_back("font ID " + std::to_string(f.fontId));
        if (macros) {
            for (uint16_t id : macros->ids)
                names.push_back("macro " + std::to_string(id));
            // A flash list cut short cannot show that the format erased it.
            complete = complete && macros->Complete() && FlashFonts(ctx).size() >= ctx.store.flashFontsAnnounced;
        }
    }
    return CheckByListing(read, complete, names, names, false);
}

} // namespace tav
