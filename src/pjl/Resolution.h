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
    // The field holds a list position one below the printer's code once the page has loaded it.
    bool HoldsShortPosition() const { return !kalor && List() == QualityList::Short; }
    // The table the RESOLUTION line spells the field with (the best-quality special cases aside).
    KeywordTable UploadTable() const;
};

// What the Printing page does with the field when it loads from EditedSettings: returns the list
// position, converting the field in place where the short list holds positions. An unchanged
// resolution then goes back to the printer as it reported it; a reported 0, below the short
// list, stays 0 and so is its first entry.
int LoadQualityPosition(const ResolutionRules& rules, PrinterSettings& edited);
// The same for the context's EditedSettings, with the rules of its configuration file; for front
// ends that have no Printing page to do it after each settings load.
int ConvertLoadedResolution(AppContext& ctx);
// What the page stores when the user picks a position.
void ApplyQualityPosition(const ResolutionRules& rules, PrinterSettings& edited, int position);

// The RESOLUTION line (and IMAGEQUALITY where the best-quality list asks for it) that every Send
// carries. May set the edited field, as the best-quality rule requires. Returns no lines, with
// why in *refusal, when the field lies outside its table.
std::vector<std::string> ResolutionLines(const ResolutionRules& rules, PrinterSettings& edited,
                                         std::string* refusal);

}  // namespace tav
