#include "pjl/Resolution.h"

namespace tav {

ResolutionRules ResolutionRules::FromConfig(const AppContext& ctx) {
    ResolutionRules r;
    r.kalor = ctx.IsKalor();
    r.draft1200 = ctx.ConfigFlag("Printing", "1200_DRAFT");
    r.best1200 = ctx.ConfigFlag("Printing", "1200_BEST");
    return r;
}

KeywordTable ResolutionRules::UploadTable() const {
    if (kalor || best1200) return keywords::kResolutionFull;
    return keywords::kResolutionShort;
}

void ConvertLoadedResolution(const ResolutionRules& rules, PrinterSettings& loaded) {
    // In the OEM variant 300 dpi is the list's first entry, and the best-quality list is sent
    // through the full table, so there the codes already are positions; taking one off would
    // send 300 for a printer at 600. A printer that reports 0 has no entry below a list that
    // starts at 600; taking one off would leave 255, which no list shows and no table sends.
    if (rules.HoldsShortPosition() && loaded.resolution > 0) --loaded.resolution;
}

int QualityPosition(const ResolutionRules& rules, const PrinterSettings& edited) {
    if (rules.List() == QualityList::Draft1200) {
        // Toner save at 600 dpi is what the printer calls draft; the entry is the list's last.
        const unsigned at600 = rules.kalor ? 1 : 0;
        const int draft = rules.kalor ? 3 : 2;
        if (edited.resolution == at600 && edited.economode == 1) return draft;
    }
    return edited.resolution;
}

void ApplyQualityPosition(const ResolutionRules& rules, PrinterSettings& edited, int position) {
    if (rules.List() == QualityList::Draft1200) edited.economode = position == (rules.kalor ? 3 : 2) ? 1 : 0;
    edited.resolution = static_cast<uint8_t>(position);
}

std::vector<std::string> ResolutionLines(const ResolutionRules& rules, PrinterSettings& edited,
                                         std::string* refusal) {
    const unsigned e = edited.resolution;
    const std::string head = "@PJL DEFAULT RESOLUTION = ";
    if (!rules.kalor && rules.best1200 && e <= 1) {
        // Both 600 entries go out as 600 with the image quality that tells them apart; the draft
        // entry then reads as the normal one.
        if (e == 0) edited.resolution = 1;
        return {head + "600", "@PJL DEFAULT IMAGEQUALITY = " + std::to_string(e)};
    }
    const KeywordTable table = rules.UploadTable();
    if (auto word = KeywordAt(table, e)) return {head + std::string(*word)};
    if (refusal)
        *refusal = "RESOLUTION value " + std::to_string(e) + " lies outside its table of " +
                   std::to_string(table.size()) + " entries";
    return {};
}

}  // namespace tav
