// The printer's default PCL typeface as the settings name it. The record gives it in one of two
// forms: a typeface number below the resident count is a built-in typeface and one from it on a
// flash font by its place in the flash listing; or, with the flash flag (index 90) set, the number
// is the flash font's own. Edits keep the source explicit: picking a flash font sets the flag and
// names the font by its own number, any other typeface number clears it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>

#include "pjl/PrinterSettings.h"

namespace tav {

enum class FontSource : uint8_t {
    Resident, // a built-in typeface
    Flash,    // a flash font of the listing
    Unlisted, // a flash font the listing does not hold, or no listing yet
};

struct PclFont {
    FontSource source = FontSource::Resident;
    uint8_t number = 0; // the built-in typeface, the flash font's own number, or the field as it is
    bool operator==(const PclFont&) const = default;
};

// The flash fonts the printer listed, no more than it counted.
size_t ListedFlashFonts(const PrinterSettings& s);

// The default typeface that the fields of `fields` name, read with the flash listing of `listing`.
PclFont DefaultPclFont(const PrinterSettings& fields, const PrinterSettings& listing);
inline PclFont DefaultPclFont(const PrinterSettings& s) {
    return DefaultPclFont(s, s);
}

// The typeface list's position of the default: the model's residentFonts built-in typefaces (the
// record's count, or the brand's before the first record), then the listed flash fonts. Nothing
// for a font the listing does not hold.
std::optional<int> TypefacePosition(const PrinterSettings& s, uint32_t residentFonts);

// A pick from that list, written so that DefaultPclFont names it. False, and nothing written, for a
// position past the list.
bool PickTypeface(PrinterSettings& s, int position, uint32_t residentFonts);

// Whether Send names the default typeface: the edited fields name another font than the reported
// ones, both read with the edited (the newest) listing.
bool DefaultFontChanged(const PrinterSettings& edited, const PrinterSettings& reported);

} // namespace tav
