#include "pjl/PclFont.h"

#include <algorithm>

namespace tav {
namespace {

struct Resolved {
    PclFont font;
    std::optional<size_t> listed; // the font's place in the listing
};

Resolved Resolve(const PrinterSettings& fields, const PrinterSettings& listing, uint32_t resident) {
    const uint8_t n = fields.fontNumber;
    const bool flag = fields.pclPageValue != 0;
    const size_t listed = ListedFlashFonts(listing);
    if (flag)
        for (size_t i = 0; i < listed; ++i)
            if ((*listing.fontList)[i].fontNumber == n) return {{FontSource::Flash, n}, i};
    if (n < resident) return {{flag ? FontSource::Unlisted : FontSource::Resident, n}, {}};
    // The listing's place, which a printer may report even beside the flag.
    const size_t place = n - resident;
    if (place < listed) return {{FontSource::Flash, (*listing.fontList)[place].fontNumber}, place};
    return {{FontSource::Unlisted, n}, {}};
}

} // namespace

size_t ListedFlashFonts(const PrinterSettings& s) {
    const size_t listed = s.fontList ? s.fontList->size() : 0;
    return std::min<size_t>(listed, s.flashFontCount);
}

PclFont DefaultPclFont(const PrinterSettings& fields, const PrinterSettings& listing) {
    return Resolve(fields, listing, fields.residentFontCount).font;
}

std::optional<int> TypefacePosition(const PrinterSettings& s, uint32_t residentFonts) {
    const Resolved r = Resolve(s, s, residentFonts);
    if (r.font.source == FontSource::Resident) return r.font.number;
    if (r.listed) return static_cast<int>(residentFonts + *r.listed);
    return std::nullopt;
}

bool PickTypeface(PrinterSettings& s, int position, uint32_t residentFonts) {
    if (position < 0) return false;
    const auto pos = static_cast<uint32_t>(position);
    if (pos < residentFonts) {
        s.fontNumber = static_cast<uint8_t>(pos);
        s.pclPageValue = 0;
        return true;
    }
    const size_t place = pos - residentFonts;
    if (place >= ListedFlashFonts(s)) return false;
    s.fontNumber = (*s.fontList)[place].fontNumber;
    s.pclPageValue = 1;
    return true;
}

bool DefaultFontChanged(const PrinterSettings& edited, const PrinterSettings& reported) {
    const bool sameFields = edited.fontNumber == reported.fontNumber &&
                            (edited.pclPageValue != 0) == (reported.pclPageValue != 0);
    return !sameFields && DefaultPclFont(edited, edited) != DefaultPclFont(reported, edited);
}

} // namespace tav
