#include "pages/PrintingRules.h"

#include <algorithm>
#include <cmath>

namespace tav {
namespace {

const SourceTable kSameLarge{{"IDS_PAPERSOURCE_AUTO", "IDS_PAPERSOURCE_TRAY1", "IDS_PAPERSOURCE_TRAY2", "IDS_PAPERSOURCE_TRAY3"},
                             {0, 2, 6, 3},
                             {0, 2, 1, 3, 3, 2}};
const SourceTable kLarge{{"IDS_PAPERSOURCE_AUTO", "IDS_PAPERSOURCE_TRAY1", "IDS_PAPERSOURCE_TRAY2", "IDS_PAPERSOURCE_MANUAL",
                          "IDS_PAPERSOURCE_MP"},
                         {0, 1, 3, 5, 2},
                         {0, 1, 4, 2, 0, 3}};
const SourceTable kSameSmall{{"IDS_PAPERSOURCE_AUTO", "IDS_PAPERSOURCE_TRAY1", "IDS_PAPERSOURCE_TRAY2"},
                             {0, 2, 6},
                             {0, 2, 1, 3, 3, 1}};
const SourceTable kSmall{{"IDS_PAPERSOURCE_AUTO", "IDS_PAPERSOURCE_TRAY1", "IDS_PAPERSOURCE_MANUAL", "IDS_PAPERSOURCE_MP"},
                         {0, 1, 5, 2},
                         {0, 1, 3, 0, 0, 2}};

std::string Tenths(int v) { return std::to_string(v / 10) + "." + std::to_string(v % 10); }

std::string Hundredths(int v) {
    const int frac = v % 100;
    return std::to_string(v / 100) + "." + (frac < 10 ? "0" : "") + std::to_string(frac);
}

bool IsBlankText(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
}

}  // namespace

const SourceTable& SourceTableFor(bool largerLists, bool tray1MptSame) {
    if (largerLists) return tray1MptSame ? kSameLarge : kLarge;
    return tray1MptSame ? kSameSmall : kSmall;
}

int SourceCodeOfPosition(const SourceTable& table, int position) {
    if (position < 0 || position >= static_cast<int>(table.codes.size())) return 0;
    return table.codes[static_cast<size_t>(position)];
}

int SourcePositionOfCode(const SourceTable& table, int code) {
    if (code < 0 || code >= static_cast<int>(table.positions.size())) return 0;
    const int p = table.positions[static_cast<size_t>(code)];
    // The three-entry list maps TRAY3 and TRAY4 to a fourth entry it does not have.
    return p < static_cast<int>(table.keys.size()) ? p : 0;
}

bool IsCassetteSource(bool largerLists, bool tray1MptSame, int p) {
    if (largerLists) return tray1MptSame ? (p == 2 || p == 3) : (p == 1 || p == 2);
    return tray1MptSame ? p == 2 : p == 1;
}

int ParseFieldInt(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    long v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) v = std::min(v * 10 + (text[i] - '0'), 1000000L);
    return static_cast<int>(v);
}

int ParseFieldHundredths(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    long whole = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        whole = std::min(whole * 10 + (text[i] - '0'), 1000000L);
    int frac = 0;
    if (i < text.size() && text[i] == '.') {
        ++i;
        for (int scale = 10; scale >= 1 && i < text.size() && text[i] >= '0' && text[i] <= '9'; scale /= 10, ++i)
            frac += (text[i] - '0') * scale;
    }
    return static_cast<int>(whole * 100 + frac);
}

AcceptedEdit AcceptMargin(std::string_view text, bool inch, double limit) {
    AcceptedEdit r;
    if (!inch) {
        const int maxMm = static_cast<int>(std::lround(limit));
        r.stored = IsBlankText(text) ? 0 : std::min(ParseFieldInt(text), maxMm);
        r.text = std::to_string(r.stored);
        return r;
    }
    // Whole hundredths keep 6.8 from becoming 67 tenths through binary rounding.
    const int maxHundredths = static_cast<int>(std::lround(limit * 100));
    const int h = IsBlankText(text) ? 0 : std::min(ParseFieldHundredths(text), maxHundredths);
    r.stored = h / 10;
    r.text = Tenths(r.stored);  // shows what is stored
    return r;
}

AcceptedEdit AcceptDuplexMargin(std::string_view text, bool inch) {
    AcceptedEdit r;
    const int h = IsBlankText(text) ? 0 : std::min(ParseFieldHundredths(text), inch ? DuplexMarginMax(true) : DuplexMarginMax(false) * 10);
    r.stored = inch ? h : h / 10;
    r.text = inch ? Hundredths(r.stored) : Tenths(r.stored);
    return r;
}

AcceptedEdit AcceptCopies(std::string_view text) {
    AcceptedEdit r;
    r.stored = IsBlankText(text) ? 1 : std::clamp(ParseFieldInt(text), kCopiesMin, kCopiesMax);
    r.text = std::to_string(r.stored);
    return r;
}

AcceptedEdit AcceptCustomEdge(std::string_view text, int minimum, int maximum) {
    AcceptedEdit r;
    const int v = ParseFieldInt(text);
    r.stored = v > maximum ? maximum : v < minimum ? minimum : v;
    r.text = std::to_string(r.stored);
    return r;
}

std::string MarginText(int stored, bool inch) { return inch ? Tenths(stored) : std::to_string(stored); }

std::string DuplexMarginText(int stored, bool inch) { return inch ? Hundredths(stored) : Tenths(stored); }

}  // namespace tav
