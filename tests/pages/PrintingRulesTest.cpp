#include <gtest/gtest.h>

#include "pages/PrintingRules.h"

namespace {

TEST(SourceLists, EachCaseMapsBothWays) {
    const auto& a = tav::SourceTableFor(true, true);
    EXPECT_EQ(a.keys.size(), 4u);
    EXPECT_EQ(tav::SourceCodeOfPosition(a, 2), 6);
    EXPECT_EQ(tav::SourceCodeOfPosition(a, 3), 3);
    EXPECT_EQ(tav::SourcePositionOfCode(a, 4), 3);
    EXPECT_EQ(tav::SourcePositionOfCode(a, 5), 2);

    const auto& b = tav::SourceTableFor(true, false);
    EXPECT_STREQ(b.keys[4], "IDS_PAPERSOURCE_MP");
    EXPECT_EQ(tav::SourceCodeOfPosition(b, 3), 5);
    EXPECT_EQ(tav::SourceCodeOfPosition(b, 4), 2);
    EXPECT_EQ(tav::SourcePositionOfCode(b, 2), 4);
    EXPECT_EQ(tav::SourcePositionOfCode(b, 4), 0);

    const auto& c = tav::SourceTableFor(false, true);
    EXPECT_EQ(c.keys.size(), 3u);
    EXPECT_EQ(tav::SourceCodeOfPosition(c, 1), 2);
    EXPECT_EQ(tav::SourcePositionOfCode(c, 5), 1);
    // TRAY3 and TRAY4 would land past the end of this three-entry list.
    EXPECT_EQ(tav::SourcePositionOfCode(c, 3), 0);
    EXPECT_EQ(tav::SourcePositionOfCode(c, 4), 0);

    const auto& d = tav::SourceTableFor(false, false);
    EXPECT_STREQ(d.keys[2], "IDS_PAPERSOURCE_MANUAL");
    EXPECT_EQ(tav::SourceCodeOfPosition(d, 2), 5);
    EXPECT_EQ(tav::SourcePositionOfCode(d, 2), 3);
    EXPECT_EQ(tav::SourcePositionOfCode(d, 5), 2);

    for (const auto* t : {&a, &b, &c, &d}) {
        EXPECT_EQ(tav::SourcePositionOfCode(*t, 6), 0);
        EXPECT_EQ(tav::SourcePositionOfCode(*t, -1), 0);
        EXPECT_EQ(tav::SourcePositionOfCode(*t, 200), 0);
        EXPECT_EQ(tav::SourceCodeOfPosition(*t, -1), 0);
        EXPECT_EQ(tav::SourceCodeOfPosition(*t, 9), 0);
    }
}

TEST(SourceLists, CassetteRule) {
    EXPECT_TRUE(tav::IsCassetteSource(true, true, 2));
    EXPECT_TRUE(tav::IsCassetteSource(true, true, 3));
    EXPECT_FALSE(tav::IsCassetteSource(true, true, 1));
    EXPECT_TRUE(tav::IsCassetteSource(true, false, 1));
    EXPECT_TRUE(tav::IsCassetteSource(true, false, 2));
    EXPECT_FALSE(tav::IsCassetteSource(true, false, 3));
    EXPECT_TRUE(tav::IsCassetteSource(false, true, 2));
    EXPECT_FALSE(tav::IsCassetteSource(false, true, 1));
    EXPECT_TRUE(tav::IsCassetteSource(false, false, 1));
    EXPECT_FALSE(tav::IsCassetteSource(false, false, 0));
}

TEST(EditRules, MarginsAreLimitedAndStoredExactly) {
    auto m = tav::AcceptMargin("7.5", true, 6.8);  // Letter portrait in inches
    EXPECT_EQ(m.stored, 68);
    EXPECT_EQ(m.text, "6.8");
    m = tav::AcceptMargin("2.35", true, 6.8);
    EXPECT_EQ(m.stored, 23);
    EXPECT_EQ(m.text, "2.3");
    m = tav::AcceptMargin("", true, 6.8);
    EXPECT_EQ(m.stored, 0);
    EXPECT_EQ(m.text, "0.0");
    m = tav::AcceptMargin("300", false, 250);
    EXPECT_EQ(m.stored, 250);
    EXPECT_EQ(m.text, "250");
    m = tav::AcceptMargin("", false, 250);
    EXPECT_EQ(m.text, "0");
    m = tav::AcceptMargin("abc", false, 250);  // non-numeric parses as 0
    EXPECT_EQ(m.stored, 0);
}

TEST(EditRules, DuplexMarginsHaveAFixedMaximum) {
    auto d = tav::AcceptDuplexMargin("12", false);
    EXPECT_EQ(d.stored, 99);
    EXPECT_EQ(d.text, "9.9");
    d = tav::AcceptDuplexMargin("", false);
    EXPECT_EQ(d.stored, 0);
    EXPECT_EQ(d.text, "0.0");
    d = tav::AcceptDuplexMargin("0.55", true);
    EXPECT_EQ(d.stored, 40);
    EXPECT_EQ(d.text, "0.40");
    d = tav::AcceptDuplexMargin("0.07", true);
    EXPECT_EQ(d.stored, 7);
    EXPECT_EQ(d.text, "0.07");
    d = tav::AcceptDuplexMargin("", true);
    EXPECT_EQ(d.text, "0.00");
    d = tav::AcceptDuplexMargin("4.56", false);
    EXPECT_EQ(d.stored, 45);
}

TEST(EditRules, CopiesAndCustomEdges) {
    EXPECT_EQ(tav::AcceptCopies("0").stored, 1);
    EXPECT_EQ(tav::AcceptCopies("").text, "1");
    EXPECT_EQ(tav::AcceptCopies("999").stored, 999);
    EXPECT_EQ(tav::AcceptCopies("1000").stored, 999);
    EXPECT_EQ(tav::AcceptCopies("42").text, "42");
    EXPECT_EQ(tav::AcceptCustomEdge("50", 76, 216).text, "76");
    EXPECT_EQ(tav::AcceptCustomEdge("300", 76, 216).stored, 216);
    EXPECT_EQ(tav::AcceptCustomEdge("400", 127, 356).stored, 356);
    EXPECT_EQ(tav::AcceptCustomEdge("", 127, 356).stored, 127);
    EXPECT_EQ(tav::AcceptCustomEdge("99999999999", 127, 356).stored, 356);
}

TEST(EditRules, LoadedTexts) {
    EXPECT_EQ(tav::MarginText(68, true), "6.8");
    EXPECT_EQ(tav::MarginText(5, true), "0.5");
    EXPECT_EQ(tav::MarginText(12, false), "12");
    EXPECT_EQ(tav::DuplexMarginText(99, false), "9.9");
    EXPECT_EQ(tav::DuplexMarginText(5, true), "0.05");
    EXPECT_EQ(tav::DuplexMarginText(40, true), "0.40");
    EXPECT_EQ(tav::ParseFieldHundredths("1.234"), 123);
    EXPECT_EQ(tav::ParseFieldHundredths(".5"), 50);
    EXPECT_EQ(tav::ParseFieldInt(" 12x"), 12);
}

}  // namespace
