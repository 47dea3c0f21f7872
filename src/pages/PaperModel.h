// The paper model behind the Printing page: paper codes and their sizes, which sizes a model
// offers and how list positions map to codes, margin and custom-size limits, form lines.
// Plain code; the Printing and PCL pages call it with their own list position and orientation.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "pjl/AppContext.h"

namespace tav {

inline constexpr int kPaperCodeCount = 23;  // codes 0..22
inline constexpr int kCustomPaperCode = 15;

struct PaperInfo {
    const char* name;        // the PAPER name sent to the printer
    const char* widthText;   // shown in the size fields when the size is not custom
    const char* heightText;
    int widthMm;             // 0 for the custom code
    int heightMm;
    int linesPortrait;       // A4 portrait is 64, or 66 with FeatureFlags bit 5
    int linesLandscape;
    const char* gatingKey;   // key of the paper-type section that offers the size
};

// The row of a code 0..22, or nullptr.
const PaperInfo* PaperByCode(int code);

// What the Printing page knows that the store does not.
struct PaperPageState {
    int listPosition = 0;
    bool cassetteSource = false;  // CassetteSource
    int orientation = 0;          // 0 portrait, 1 landscape
};

// Empties list and adds the texts of the sizes the model offers, in the fixed order; keys, when
// given, receives the language key of each entry.
void FillPaperSizeList(const AppContext& ctx, bool cassetteSource, std::vector<std::string>& list,
                       std::vector<std::string>* keys = nullptr);

// toStore: list position -> EditedSettings PAPER; otherwise PAPER -> state.listPosition.
void SyncPaperSize(AppContext& ctx, PaperPageState& state, bool toStore);

// The paper code of a list position (missing mapping: A4).
int PaperCodeOfPosition(const AppContext& ctx, int listPosition, bool cassetteSource);

struct MarginLimits {
    double top = 0;
    double left = 0;
};
// The largest top and left margin for the current paper, unit and orientation.
MarginLimits UpdateMarginLimits(const AppContext& ctx, const PaperPageState& state);
// The same for a paper code, in millimetres or inches, portrait (0) or landscape (1).
MarginLimits MarginLimitsForPaper(int paperCode, bool inch, int orientation);

// Recomputes FORMLINES in EditedSettings and returns the lines (the PCL page shows them).
int UpdateFormLines(AppContext& ctx, const PaperPageState& state);
// The form lines of a paper edge d in millimetres: six lines per inch, less six.
int ComputedFormLines(int edgeMm);

// The list position of the model's custom entry (PAPERTYPE/CUSTOM_INDEX).
int CustomPaperIndex(const AppContext& ctx);
// Sets CustomPaperChanged to whether the list position is the model's custom entry; returns
// that entry's position.
int IsCustomPaper(AppContext& ctx, int listPosition);
// Whether a PAPER code is the one the model's custom entry stores.
bool IsCustomPaperCode(const AppContext& ctx, int paperCode);

struct CustomSizeLimits {
    int shortMin = 76, shortMax = 216, longMin = 127, longMax = 356;
};
CustomSizeLimits ReadCustomSizeLimits(const AppContext& ctx);
int ClampCustomEdge(int value, int minimum, int maximum);

}  // namespace tav
