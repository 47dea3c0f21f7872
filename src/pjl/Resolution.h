// The RESOLUTION field as the Printing page's quality list and the upload see it. The list a model
// offers decides how the printer's code maps to a list position and how it is sent back, so the
// page, the upload and tavctl all take the rules from here.
#pragma once
#include <string>
#include <vector>

#include "pjl/AppContext.h"
#include "pjl/UploadTables.h"

namespace tav {

enum class QualityList {
    Draft1200,  // Printing/1200_DRAFT: 600, 1200, draft (toner save folded in)
    Best1200,   // Printing/1200_BEST: 600 draft, 1200 normal, 1200 best
    Short,      // neither: 600, 1200; the page holds a position, one below the printer's code
};

struct ResolutionRules {
    bool kalor = false;      // the OEM variant: 300 dpi heads the list and codes go out in full
    bool draft1200 = false;  // Printing/1200_DRAFT
    bool best1200 = false;   // Printing/1200_BEST

    static ResolutionRules FromConfig(const AppContext& ctx);
    // The page tests the draft switch first; the upload looks only at the best one.
    QualityList List() const {
        return draft1200 ? QualityList::Draft1200 : best1200 ? QualityList::Best1200 : QualityList::Short;
    }
    // The standard brand's lists (but the best-quality one) start at 600 dpi, so the field holds
    // one below the printer's code once loaded, which is what the short table spells.
    bool HoldsShortPosition() const { return !kalor && List() != QualityList::Best1200; }
    // The table the RESOLUTION line spells the field with (the best-quality special cases aside).
    KeywordTable UploadTable() const;
};

// Turns the printer's code in a freshly loaded record into what the upload spells, so an
// unchanged resolution goes back to the printer as it reported it, whichever front end sends.
// A reported 0, below a list that starts at 600, stays 0 and so is its first entry.
void ConvertLoadedResolution(const ResolutionRules& rules, PrinterSettings& loaded);
// The quality list position that shows a converted field (the draft entry for 600 dpi with toner
// save on the draft list).
int QualityPosition(const ResolutionRules& rules, const PrinterSettings& edited);
// What the page stores when the user picks a position.
void ApplyQualityPosition(const ResolutionRules& rules, PrinterSettings& edited, int position);

// The RESOLUTION line (and IMAGEQUALITY where the best-quality list asks for it) that every Send
// carries. May set the edited field, as the best-quality rule requires. Returns no lines, with
// why in *refusal, when the field lies outside its table.
std::vector<std::string> ResolutionLines(const ResolutionRules& rules, PrinterSettings& edited,
                                         std::string* refusal);

}  // namespace tav
