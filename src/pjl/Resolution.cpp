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

int LoadQualityPosition(const ResolutionRules& rules, PrinterSettings& edited) {
    switch (rules.List()) {
    case QualityList::Draft1200:
        return edited.resolution == 1 && edited.economode == 1 ? 3 : edited.resolution;
    case QualityList::Best1200: return edited.resolution;
    case QualityList::Short: break;
    }
    // In the OEM variant 300 dpi is the list's first entry, so positions already are the
    // printer's codes; taking one off there would send 300 for a printer at 600.
    if (rules.kalor) return edited.resolution;
    // A printer that reports 0 has no entry below the list's first; taking one off would leave
    // 255, which no list shows and no table sends. It shows, and sends, the first entry.
    if (edited.resolution > 0) --edited.resolution;
    return edited.resolution;
}

int ConvertLoadedResolution(AppContext& ctx) {
    return LoadQualityPosition(ResolutionRules::FromConfig(ctx), ctx.store.edited);
}

void ApplyQualityPosition(const ResolutionRules& rules, PrinterSettings& edited, int position) {
    if (rules.List() == QualityList::Draft1200) edited.economode = position == 3 ? 1 : 0;
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
