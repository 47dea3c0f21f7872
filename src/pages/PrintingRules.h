// The Printing page's rules that need no window: the source lists and their codes, the cassette
// rule, and how each edit's text is accepted, limited, stored and shown again.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

struct SourceTable {
    std::vector<const char*> keys;  // STR_PRINT keys of the entries, in list order
    std::vector<int> codes;         // MEDIASOURCE code of each position
    std::array<int, 6> positions;   // list position of each reported code 0..5
};

// The source list a model shows: FeatureFlags bit 0 and Printing/Tray1MPT_SAME choose it.
const SourceTable& SourceTableFor(bool largerLists, bool tray1MptSame);
// MEDIASOURCE code of a position; a position outside the list gives AUTO.
int SourceCodeOfPosition(const SourceTable& table, int position);
// List position of a reported code; unknown codes, and codes whose position the list lacks, give 0.
int SourcePositionOfCode(const SourceTable& table, int code);
// CassetteSource: whether the source at position p is a cassette tray.
bool IsCassetteSource(bool largerLists, bool tray1MptSame, int p);

// The result of accepting one edit: the value to store and the text the field shows again.
struct AcceptedEdit {
    int stored = 0;
    std::string text;
};

// Top and left margin: mm as whole millimetres, inches as tenths; limit in the display unit.
AcceptedEdit AcceptMargin(std::string_view text, bool inch, double limit);
// Duplex margins: tenths of a millimetre, or hundredths of an inch, at most 9.9 mm or 0.4 inch.
AcceptedEdit AcceptDuplexMargin(std::string_view text, bool inch);
// Copies: kCopiesMin to kCopiesMax; an empty field is 1.
inline constexpr int kCopiesMin = 1, kCopiesMax = 999;
AcceptedEdit AcceptCopies(std::string_view text);
// The largest stored duplex margin: 99 tenths of a millimetre or 40 hundredths of an inch.
inline constexpr int DuplexMarginMax(bool inch) { return inch ? 40 : 99; }
// A custom-size edge in millimetres, limited to [minimum, maximum].
AcceptedEdit AcceptCustomEdge(std::string_view text, int minimum, int maximum);

// The texts the page shows for stored margins.
std::string MarginText(int stored, bool inch);
std::string DuplexMarginText(int stored, bool inch);

// Leading digits of text as a number, as the page parses fields: non-numeric text is 0.
int ParseFieldInt(std::string_view text);
// A decimal field in hundredths, exactly (further digits are cut off).
int ParseFieldHundredths(std::string_view text);

}  // namespace tav
