// The PCL page's rules without a window, and the shipped list files they rely on.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pages/PclRules.h"

using namespace tav;

namespace {

PclSwitches Brand(bool kalor, bool extraSets = false, bool arabicOff = false) {
    PclSwitches sw;
    sw.kalor = kalor;
    sw.extraSets = extraSets;
    sw.arabicOff = arabicOff;
    sw.residentFonts = kalor ? 68 : 54;
    return sw;
}

std::vector<std::string> Shipped(const std::string& name) {
    const ListFile f = ReadListFile(std::string(TAV_DATA_SOURCE) + name);
    EXPECT_TRUE(f.opened) << name;
    return f.items;
}

} // namespace

// The list positions of the extra sets and the printer's numbers must agree both ways, and each
// position must show the set that its number is.
TEST(PclRules, SymbolSetNumbersAndListPositionsAgree) {
    // What each symbol-set number from 38 on is, as the extra items name it.
    const std::vector<std::pair<int, std::string>> names = {
        {38, "ISO 8859/5"},  {39, "PC Cyrillic"},    {43, "8859/7"},
        {44, "HP Arabic-8"}, {45, "Windows Arabic"}, {46, "864"},
        {47, "Farsi"},       {48, "8859/6"},         {49, "PC-8 Latin/Greek"}};
    struct Case {
        const char* what;
        PclSwitches sw;
        std::vector<int> shown; // numbers from 38 on that the list offers
    };
    const std::vector<Case> cases = {
        {"Cyrillic only", Brand(false, false), {38, 39}},
        {"Greek and Arabic", Brand(false, true, false), {38, 39, 43, 44, 45, 46, 47, 48, 49}},
        {"Arabic off", Brand(false, true, true), {38, 39, 43, 49}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<std::string> extra = ExtraSymbolSets(c.sw);
        ASSERT_EQ(extra.size(), c.shown.size());
        for (int number = 0; number < 50; ++number) {
            const int pos = SymbolSetPositionOfNumber(number, c.sw);
            const bool shown =
                number < 38 || std::find(c.shown.begin(), c.shown.end(), number) != c.shown.end();
            if (!shown) continue;
            EXPECT_EQ(SymbolSetNumberOfPosition(pos, c.sw), number) << number;
            if (number < 38) {
                EXPECT_EQ(pos, number);
                continue;
            }
            ASSERT_GE(pos, 38) << number;
            ASSERT_LT(static_cast<size_t>(pos - 38), extra.size()) << number;
            for (const auto& [n, name] : names)
                if (n == number) {
                    EXPECT_NE(extra[static_cast<size_t>(pos - 38)].find(name), std::string::npos) << number;
                }
        }
    }
    // A number the extra items do not hold has no list position among them.
    EXPECT_FALSE(ExtraSetPosition(44, true).has_value());
    EXPECT_FALSE(ExtraSetPosition(40, false).has_value());
    EXPECT_EQ(SymbolSetPositionOfNumber(43, Brand(false, true)), 40); // GREEK
}

TEST(PclRules, TypefaceDecidesSizeControlsAndStartingSizes) {
    struct Case {
        int typeface;
        bool kalor;
        bool pitch, point;
        const char* pitchText;
    };
    const std::vector<Case> cases = {
        {0, false, true, false, "10.00"},   {6, false, true, false, "10.00"},
        {7, false, false, true, "10.00"},   {44, false, false, true, "10.00"},
        {45, false, false, false, "16.67"}, {53, false, false, false, "16.67"},
        {54, false, true, true, "10.00"}, // the standard brand's first flash font
        {60, false, true, true, "10.00"},   {54, true, true, false, "10.00"},
        {55, true, true, false, "10.00"},   {56, true, false, true, "10.00"},
        {67, true, false, true, "10.00"},   {68, true, true, true, "10.00"},
    };
    for (const Case& c : cases) {
        const PclSwitches sw = Brand(c.kalor);
        const SizeControls s = SizeControlsFor(c.typeface, sw);
        EXPECT_EQ(s.pitch, c.pitch) << c.typeface << " kalor " << c.kalor;
        EXPECT_EQ(s.pointSize, c.point) << c.typeface << " kalor " << c.kalor;
        const SizeTexts t = DefaultSizesFor(c.typeface, sw);
        EXPECT_STREQ(t.pitch, c.pitchText) << c.typeface;
        EXPECT_STREQ(t.pointSize, std::string(c.pitchText) == "16.67" ? "8.50" : "12.00") << c.typeface;
    }
    // The faces with a set of their own keep the list closed; flash fonts too.
    EXPECT_TRUE(SymbolSetListEnabled(42, Brand(false)));
    EXPECT_FALSE(SymbolSetListEnabled(43, Brand(false)));
    EXPECT_FALSE(SymbolSetListEnabled(53, Brand(false)));
    EXPECT_FALSE(SymbolSetListEnabled(54, Brand(false)));
    EXPECT_TRUE(SymbolSetListEnabled(54, Brand(true)));
    EXPECT_EQ(SymbolSetForTypeface(12, 7, true), 7);
    EXPECT_EQ(SymbolSetForTypeface(12, 7, false), kPc8Position);
}

TEST(PclRules, FieldsAreClampedAndShownAsStored) {
    struct Case {
        const char* what;
        PclEdit got;
        int stored;
        const char* text;
    };
    const std::vector<Case> cases = {
        {"pitch 100", AcceptPitch("100", 1000), 9999, "99.99"},
        {"pitch 0.1", AcceptPitch("0.1", 1000), 44, "0.44"},
        {"pitch 16.67 exactly", AcceptPitch("16.67", 1000), 1667, "16.67"},
        {"pitch more digits cut", AcceptPitch("12.345", 1000), 1234, "12.34"},
        {"pitch as stored keeps an odd field", AcceptPitch("0.20", 20), 20, "0.20"},
        {"pitch not a number", AcceptPitch("..", 1000), 44, "0.44"},
        {"point 3", AcceptPointSize("3", 48, false), 16, "4.00"},
        {"point 1000", AcceptPointSize("1000", 48, false), 3999, "999.75"},
        {"point 1000 OEM", AcceptPointSize("1000", 48, true), 399, "99.75"},
        {"point 12.1 truncated", AcceptPointSize("12.1", 40, false), 48, "12.00"},
        {"point 999999", AcceptPointSize("999999", 48, false), 3999, "999.75"},
        {"lines empty", AcceptLines(""), 5, "5"},
        {"lines 200", AcceptLines("200"), 128, "128"},
        {"lines 4", AcceptLines("4"), 5, "5"},
        {"lines 66", AcceptLines("66"), 66, "66"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.got.stored, c.stored) << c.what;
        EXPECT_EQ(c.got.text, c.text) << c.what;
    }
}

TEST(PclRules, UpDownBarsStepAndWrap) {
    struct Case {
        const char* what;
        PclEdit got;
        int stored;
        const char* text;
    };
    const std::vector<Case> cases = {
        {"pitch up at the top", StepPitch("99.99", 0), 44, "0.44"},
        {"pitch down at the bottom", StepPitch("0.44", 1), 9999, "99.99"},
        {"pitch up", StepPitch("10.00", 0), 1001, "10.01"},
        {"pitch out of range first clamped", StepPitch("0.1", 1), 9999, "99.99"},
        {"pitch other code", StepPitch("10.00", 5), 1000, "10.00"},
        {"point down at the bottom", StepPointSize("4.00", 1, false), 3999, "999.75"},
        {"point down at the bottom OEM", StepPointSize("4.00", 1, true), 399, "99.75"},
        {"point up at the top OEM", StepPointSize("99.75", 0, true), 16, "4.00"},
        {"point up from between steps", StepPointSize("12.1", 0, false), 49, "12.25"},
        {"point above the OEM top", StepPointSize("500", 1, true), 398, "99.50"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.got.stored, c.stored) << c.what;
        EXPECT_EQ(c.got.text, c.text) << c.what;
    }
}

TEST(PclRules, ListFilesWithOddLinesStillGiveOneItemPerLine) {
    const std::string longLine(1000, 'x');
    std::string accents;
    for (int i = 0; i < 200; ++i)
        accents += "\xC3\xA9"; // 400 bytes of two-byte characters
    const std::string text = "\xEF\xBB\xBF"
                             "0=Courier\r\n"
                             "no equals sign\n"
                             "\n"
                             "3=a=b\n" +
                             longLine + "\n5=" + accents + "\n6=\xFF\xFE bytes\n\n\n";
    const ListFile f = ParseListText(text);
    ASSERT_EQ(f.items.size(), 7u);
    EXPECT_EQ(f.items[0], "Courier");
    EXPECT_EQ(f.items[1], "no equals sign");
    EXPECT_EQ(f.items[2], ""); // a blank line in the middle keeps the numbering
    EXPECT_EQ(f.items[3], "a=b");
    EXPECT_EQ(f.items[4].size(), kMaxListItem);
    EXPECT_LE(f.items[5].size(), kMaxListItem);
    EXPECT_EQ(f.items[5].size() % 2, 0u) << "cut inside a character";
    EXPECT_EQ(f.items[6], "\xFF\xFE bytes");

    const ListFile missing = ReadListFile("/nonexistent/TypeFace.ini");
    EXPECT_FALSE(missing.opened);
    EXPECT_TRUE(missing.items.empty());
}

TEST(PclRules, FlashFontTexts) {
    FlashFontEntry f;
    f.fontId = 300;
    const std::string name = "A very long typeface name";
    std::copy_n(name.begin(), 20, f.typeface); // fills the field, no terminator inside it
    f.symbolSet[0] = '8';
    f.symbolSet[1] = 'U';
    f.symbolSet[2] = ' ';
    EXPECT_EQ(FlashFontItem(f), "A very long typeface (ID: 300)");
    EXPECT_EQ(FlashFontSymbolSet(f), "8U");
}

// The rules fix behaviour by typeface and symbol-set number; the shipped lists must follow that
// numbering.
TEST(PclRules, ShippedListsFollowThePrinterNumbering) {
    const std::vector<std::string> faces = Shipped("TypeFace.ini");
    const std::vector<std::string> oemFaces = Shipped("models/kalor-k2250/TypeFace.ini");
    const std::vector<std::string> sets = Shipped("SymbolSet.ini");
    ASSERT_EQ(faces.size(), 54u);
    ASSERT_EQ(oemFaces.size(), 68u);
    ASSERT_EQ(sets.size(), 38u);
    for (size_t i = 0; i < faces.size(); ++i)
        EXPECT_EQ(oemFaces[i], faces[i]) << i;
    for (size_t i = 54; i < 68; ++i)
        EXPECT_NE(oemFaces[i].find("Hebrew"), std::string::npos) << i;
    // Each face with a set of its own shows that set's name, at the position the rules choose.
    for (int face = kFirstFixedFace; face <= kLastFixedFace; ++face) {
        const std::string& set = sets[static_cast<size_t>(SymbolSetForTypeface(face, 0, false))];
        EXPECT_EQ(faces[static_cast<size_t>(face)], "Line Printer " + set) << face;
    }
    EXPECT_EQ(sets[static_cast<size_t>(SymbolSetForTypeface(kSymbolFace, 0, false))], faces[kSymbolFace]);
    EXPECT_EQ(sets[static_cast<size_t>(SymbolSetForTypeface(kDingbatFace, 0, false))], "Wingdings");
    EXPECT_EQ(sets[kPc8Position], "PC-8");
    for (const std::string& s : faces)
        EXPECT_FALSE(s.empty());
}
