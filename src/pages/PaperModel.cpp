#include "pages/PaperModel.h"

#include <algorithm>
#include <string>

namespace tav {
namespace {

constexpr PaperInfo kPapers[kPaperCodeCount] = {
    {"LETTER", "8.5\"", "11\"", 216, 279, 60, 45, "LETTER"},
    {"LEGAL", "8.5\"", "14\"", 216, 356, 72, 45, "LEGAL"},
    {"A4", "210 mm", "297 mm", 210, 297, 64, 43, "A4"},
    {"JISB5", "182 mm", "257 mm", 182, 257, 54, 37, "JISB5"},
    {"B5", "176 mm", "250 mm", 176, 250, 53, 35, "B5"},
    {"EXECUTIVE", "7.25\"", "10.5\"", 184, 267, 57, 37, "EXECUTIVE"},
    {"COM10", "4.12\"", "9.50\"", 105, 241, 51, 18, "COM10"},
    {"MONARCH", "3.87\"", "7.5\"", 98, 191, 39, 17, "MONARCH"},
    {"DL", "110 mm", "220 mm", 110, 220, 45, 19, "DL"},
    {"C5", "162 mm", "229 mm", 162, 229, 48, 32, "C5"},
    {"FOLIO", "8.5\"", "13\"", 216, 330, 72, 45, "FOLIO"},
    {"A5", "148 mm", "210 mm", 148, 210, 43, 29, "A5"},
    {"C6", "114 mm", "162 mm", 114, 162, 32, 20, "C6"},
    {"A6", "105 mm", "148 mm", 105, 148, 29, 18, "A6"},
    {"OFICIO", "8.5\"", "13.5\"", 216, 343, 72, 45, "OFFICIO"},
    {"CUSTOM", "210", "297", 0, 0, 0, 0, "CUSTOM"},
    {"STATEMENT", "5.5\"", "8.5\"", 140, 216, 45, 27, "STATEMENT"},
    {"POST", "3.5\"", "5.5\"", 89, 140, 27, 15, "USPOST"},
    {"INDEXCARD", "3\"", "5\"", 76, 127, 24, 12, "INDEX"},
    {"JISB6", "128 mm", "182 mm", 128, 182, 37, 24, "JISB6"},
    {"SIZE6N34", "92 mm", "165 mm", 92, 165, 32, 15, "SIZE6N34"},
    {"SIZE9", "98 mm", "225 mm", 98, 225, 47, 17, "SIZE9"},
    {"CHECK", "2.75\"", "6\"", 70, 152, 30, 10, "CHECK"},
};

struct MarginRow {
    double mmTop, mmLeft, inTop, inLeft;
};

MarginRow MarginRowOf(int code) {
    switch (code) {
    case 2: return {250, 164, 9.9, 6.5};
    case 3: case 4: case 11: case 12: case 13: case 16: case 19: return {100, 100, 4, 4};
    case 5: return {250, 146, 9.9, 5.8};
    case 6: return {190, 82, 7.6, 3.2};
    case 7: return {150, 78, 6, 3.1};
    case 8: return {172, 86, 6.8, 3.4};
    case 9: return {180, 128, 7.2, 5.1};
    case 17: return {100, 60, 4, 2.4};
    case 18: return {90, 50, 3.6, 2};
    case 20: return {150, 100, 6, 4};
    case 21: return {100, 80, 4, 3.4};
    case 22: return {126, 42, 5, 1.6};
    default: return {250, 170, 9.9, 6.8};  // the letter-sized row, also for unknown codes
    }
}

// The tray sections apply only to the standard brand with the cassette as source.
bool UsesTraySections(const AppContext& ctx, bool cassetteSource) { return cassetteSource && !ctx.IsKalor(); }

int LimitOrDefault(const AppContext& ctx, const char* key, int builtIn) {
    const int v = ctx.ConfigInt("Printing", key, 0);
    return v == 0 ? builtIn : v;
}

}  // namespace

const PaperInfo* PaperByCode(int code) {
    return code >= 0 && code < kPaperCodeCount ? &kPapers[code] : nullptr;
}

void FillPaperSizeList(const AppContext& ctx, bool cassetteSource, std::vector<std::string>& list,
                       std::vector<std::string>* keys) {
    list.clear();
    if (keys) keys->clear();
    const char* gating = UsesTraySections(ctx, cassetteSource) ? "TRAY1_PAPERTYPE" : "MP_PAPERTYPE";
    const bool kalor = ctx.IsKalor();
    for (int n = 0; n < kPaperCodeCount; ++n) {
        if (!ctx.ConfigFlag(gating, kPapers[n].gatingKey)) continue;
        std::string key = "IDS_PAPERSIZE" + std::to_string(n);
        if (!kalor && (n == 3 || n == 19)) key += "_S";
        list.push_back(ctx.GetLangText("STR_PRINT", key));
        if (keys) keys->push_back(key);
    }
}

int PaperCodeOfPosition(const AppContext& ctx, int listPosition, bool cassetteSource) {
    const char* section = UsesTraySections(ctx, cassetteSource) ? "SetPaperSizeTray1" : "SetPaperSize";
    return ctx.ConfigInt(section, std::to_string(listPosition), 2);
}

void SyncPaperSize(AppContext& ctx, PaperPageState& state, bool toStore) {
    const bool tray = UsesTraySections(ctx, state.cassetteSource);
    if (toStore) {
        const int code = PaperCodeOfPosition(ctx, state.listPosition, state.cassetteSource);
        ctx.store.edited.paper = static_cast<uint8_t>(code);
    } else {
        state.listPosition = ctx.ConfigInt(tray ? "GetPaperSizeTray1" : "GetPaperSize",
                                           std::to_string(ctx.store.edited.paper), 2);
    }
}

MarginLimits MarginLimitsForPaper(int paperCode, bool inch, int orientation) {
    const MarginRow row = MarginRowOf(paperCode);
    MarginLimits m{inch ? row.inTop : row.mmTop, inch ? row.inLeft : row.mmLeft};
    if (orientation == 1) std::swap(m.top, m.left);
    return m;
}

MarginLimits UpdateMarginLimits(const AppContext& ctx, const PaperPageState& state) {
    return MarginLimitsForPaper(PaperCodeOfPosition(ctx, state.listPosition, state.cassetteSource),
                                ctx.store.edited.marginUnit != 0, state.orientation);
}

int ComputedFormLines(int edgeMm) {
    const int t = edgeMm * 6000 / 254 - 600;
    int lines = t / 100;
    if (t % 100 > 50) ++lines;
    return lines;
}

int UpdateFormLines(AppContext& ctx, const PaperPageState& state) {
    PrinterSettings& ed = ctx.store.edited;
    const bool landscape = state.orientation == 1;
    const int code = PaperCodeOfPosition(ctx, state.listPosition, state.cassetteSource);
    const bool a4Long = (ed.featureFlags & 0x20) != 0;
    auto tableLines = [&](int c) {
        if (c == 2 && !landscape) return a4Long ? 66 : 64;
        return landscape ? kPapers[c].linesLandscape : kPapers[c].linesPortrait;
    };
    int lines = 0;
    bool found = false;
    if (code >= 0 && code < kPaperCodeCount && code != kCustomPaperCode) {
        lines = tableLines(code);
        found = true;
    } else if (code == kCustomPaperCode) {
        for (int c = 0; c < kPaperCodeCount && !found; ++c) {
            if (c == kCustomPaperCode) continue;
            if (kPapers[c].widthMm == ed.customWidth && kPapers[c].heightMm == ed.customHeight) {
                lines = tableLines(c);
                found = true;
            }
        }
    }
    if (!found) {
        const int longEdge = std::max<int>(ed.customWidth, ed.customHeight);
        const int shortEdge = std::min<int>(ed.customWidth, ed.customHeight);
        lines = ComputedFormLines(landscape ? shortEdge : longEdge);
        // A size the printer never reported (0 mm) would wrap to a huge byte; keep it sendable.
        lines = std::clamp(lines, 1, 255);
    }
    ed.formLines = static_cast<uint8_t>(lines);
    return lines;
}

int CustomPaperIndex(const AppContext& ctx) { return ctx.ConfigInt("PAPERTYPE", "CUSTOM_INDEX", 15); }

int IsCustomPaper(AppContext& ctx, int listPosition) {
    const int index = CustomPaperIndex(ctx);
    ctx.store.customPaperChanged = listPosition == index;
    return index;
}

bool IsCustomPaperCode(const AppContext& ctx, int paperCode) {
    // A model whose list does not map its custom entry has the printer's own custom code there.
    const int custom = static_cast<int>(std::find_if(std::begin(kPapers), std::end(kPapers), [](const PaperInfo& p) {
                                            return std::string_view(p.name) == "CUSTOM";
                                        }) - std::begin(kPapers));
    return paperCode == ctx.ConfigInt("SetPaperSize", std::to_string(CustomPaperIndex(ctx)), custom);
}

CustomSizeLimits ReadCustomSizeLimits(const AppContext& ctx) {
    CustomSizeLimits l;
    l.shortMin = LimitOrDefault(ctx, "SHORT_MIN", l.shortMin);
    l.shortMax = LimitOrDefault(ctx, "SHORT_MAX", l.shortMax);
    l.longMin = LimitOrDefault(ctx, "LONG_MIN", l.longMin);
    l.longMax = LimitOrDefault(ctx, "LONG_MAX", l.longMax);
    return l;
}

int ClampCustomEdge(int value, int minimum, int maximum) {
    if (value > maximum) return maximum;
    if (value < minimum) return minimum;
    return value;
}

}  // namespace tav
