// The Epson and Korean page rules that need no window.
#include <gtest/gtest.h>

#include "pages/EpsonRules.h"
#include "pages/KoreanRules.h"

using namespace tav;

TEST(EpsonRules, PitchPositionsWithAndWithoutThe103Entry) {
    struct Case {
        uint8_t value;
        int withAdd, without;
    };
    // Without the entry the list is 10, 12, 17.14, 20; 10.3 shows as its nearest, 10.
    for (const Case& c : {Case{0, 0, 0}, Case{1, 1, 0}, Case{2, 2, 1}, Case{3, 3, 2}, Case{4, 4, 3},
                          Case{5, -1, -1}, Case{255, -1, -1}}) {
        SCOPED_TRACE(int(c.value));
        EXPECT_EQ(EpsonPitchPosition(c.value, true), c.withAdd);
        EXPECT_EQ(EpsonPitchPosition(c.value, false), c.without);
    }
    // Every value the list shows comes back unchanged from a store of its own position.
    for (uint8_t v = 0; v < kEpsonPitchCount; ++v) {
        EXPECT_EQ(EpsonPitchToStore(EpsonPitchPosition(v, true), true, v, false), v);
        EXPECT_EQ(EpsonPitchToStore(EpsonPitchPosition(v, false), false, v, false), v) << int(v);
    }
    // The second entry without the option is 12 (value 2); position 0 picked means 10 even over 10.3.
    EXPECT_EQ(EpsonPitchToStore(1, false, 0, true), 2);
    EXPECT_EQ(EpsonPitchToStore(0, false, kEpsonPitch103, true), 0);
    EXPECT_EQ(EpsonPitchToStore(2, false, kEpsonPitch103, false), 3);
    // Nothing shown: the field stays.
    EXPECT_EQ(EpsonPitchToStore(-1, true, 9, true), 9);
}

TEST(EpsonRules, FormLinesAndTheDialogInteger) {
    EXPECT_EQ(ClampEpsonFormLines(200), 128);
    EXPECT_EQ(ClampEpsonFormLines(-3), 0);
    EXPECT_EQ(ClampEpsonFormLines(66), 66);
    struct Case {
        const char* text;
        std::optional<int> value;
    };
    for (const Case& c : {Case{"66", 66}, Case{" 7 ", 7}, Case{"007", 7}, Case{"+5", 5}, Case{"-2", -2},
                          Case{"", std::nullopt}, Case{"  ", std::nullopt}, Case{"1a", std::nullopt},
                          Case{"x", std::nullopt}, Case{"99999999999", std::nullopt}}) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseDialogInt(c.text), c.value);
    }
    EXPECT_EQ(SecondVariantText("Spain 1"), "Spain 2");
    EXPECT_EQ(SecondVariantText("스페인 1"), "스페인 2");
}

TEST(KoreanRules, ZoomAndModeEdits) {
    struct Case {
        const char* text;
        int zoom, mode;
    };
    for (const Case& c : {Case{"30", 50, 30}, Case{"250", 200, 99}, Case{"150", 150, 99},
                          Case{"100", 100, 99}, Case{"0", 50, 0}, Case{"abc", 50, 0}, Case{"-5", 50, 0},
                          Case{" 75x", 75, 75}, Case{"99999999999999", 200, 99}}) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ClampKsZoom(LeadingInt(c.text)), c.zoom);
        EXPECT_EQ(ClampKsMode(LeadingInt(c.text)), c.mode);
    }
    struct Step {
        const char* text;
        int code;
        std::optional<uint8_t> zoom;
    };
    for (const Step& s :
         {Step{"200", kScrollLineUp, 50}, Step{"50", kScrollLineDown, 200}, Step{"100", kScrollLineUp, 101},
          Step{"100", kScrollLineDown, 99}, Step{"30", kScrollLineUp, 51}, Step{"250", kScrollLineDown, 199},
          Step{"250", 5, 200}, Step{"30", kScrollEnd, 50}, Step{"100", 9, std::nullopt},
          Step{"100", -1, std::nullopt}}) {
        SCOPED_TRACE(std::string(s.text) + " code " + std::to_string(s.code));
        EXPECT_EQ(KsZoomScroll(s.text, s.code), s.zoom);
    }
}

TEST(KoreanRules, PointSize) {
    EXPECT_EQ(PtSizeText(42), "10.50");
    EXPECT_EQ(PtSizeText(38), " 9.50");
    EXPECT_EQ(PtSizeText(399), "99.75");
    struct Case {
        const char* text;
        uint16_t quarters;
        std::optional<std::string> shown;
    };
    for (const Case& c :
         {Case{"3", 16, "4.00"}, Case{"10.3", 41, std::nullopt}, Case{"10.25", 41, std::nullopt},
          Case{" 9.50", 38, std::nullopt}, Case{"99.75", 399, std::nullopt}, Case{"99.8", 399, "99.75"},
          Case{"", 16, "4.00"}, Case{"abc", 16, "4.00"}, Case{"4", 16, std::nullopt},
          Case{"12,5", 48, std::nullopt}}) {
        SCOPED_TRACE(c.text);
        const PtSizeEntry e = PtSizeFromText(c.text);
        EXPECT_EQ(e.quarters, c.quarters);
        EXPECT_EQ(e.text, c.shown);
    }
    struct Step {
        const char* text;
        int code;
        uint16_t quarters;
        const char* shown;
    };
    for (const Step& s :
         {Step{"99.75", kScrollLineUp, 16, "4.00"}, Step{"4.00", kScrollLineDown, 399, "99.75"},
          Step{"10.50", kScrollLineUp, 43, "10.75"}, Step{"10.3", kScrollLineDown, 40, "10.00"},
          Step{"200", 5, 399, "99.75"}, Step{"1", kScrollEnd, 16, "4.00"}}) {
        SCOPED_TRACE(std::string(s.text) + " code " + std::to_string(s.code));
        const auto step = PtSizeScroll(s.text, s.code);
        ASSERT_TRUE(step);
        EXPECT_EQ(step->quarters, s.quarters);
        EXPECT_EQ(step->text, s.shown);
    }
    EXPECT_FALSE(PtSizeScroll("10.00", 9));
}
