#include <gtest/gtest.h>

#include "FakeDev.h"
#include "pages/PaperModel.h"
#include "RecordingUiHost.h"

namespace {

// A model that offers a gated subset of sizes, so list positions and paper codes differ.
const char* kGatedModel =
    "[Common]\nSTRING=ORB\n"
    "[MP_PAPERTYPE]\nLETTER=1\nLEGAL=1\nA4=1\nJISB5=1\nEXECUTIVE=1\nCUSTOM=1\nJISB6=1\n"
    "[TRAY1_PAPERTYPE]\nLETTER=1\nA4=1\n"
    "[SetPaperSize]\n0=0\n1=1\n2=2\n3=3\n4=5\n5=15\n6=19\n7=30\n"
    "[GetPaperSize]\n0=0\n1=1\n2=2\n3=3\n5=4\n15=5\n19=6\n"
    "[SetPaperSizeTray1]\n0=0\n1=2\n"
    "[GetPaperSizeTray1]\n0=0\n2=1\n"
    "[PAPERTYPE]\nCUSTOM_INDEX=5\n";

class PaperModelTest : public ::testing::Test {
protected:
    void Model(const std::string& comtav) {
        home.Write("comtav.ini", comtav);
        home.Write("EN.ini",
                   "[STR_PRINT]\nIDS_PAPERSIZE0=Letter\nIDS_PAPERSIZE1=Legal\nIDS_PAPERSIZE2=A4\n"
                   "IDS_PAPERSIZE3=B5 (JIS)\nIDS_PAPERSIZE3_S=JIS B5\nIDS_PAPERSIZE5=Executive\n"
                   "IDS_PAPERSIZE15=Custom\nIDS_PAPERSIZE19=B6 (JIS)\nIDS_PAPERSIZE19_S=JIS B6\n");
        ctx.cfg.configFilePath = home.dir + "comtav.ini";
        ctx.cfg.langFilePath = home.dir + "EN.ini";
    }
    tavtest::FakeHome home;
    tav::RecordingUiHost ui;
    tav::AppContext ctx{ui};
};

TEST_F(PaperModelTest, GatedListUsesStandardOrOemTextsAndTheTraySectionOnlyOutsideTheOemVariant) {
    Model(kGatedModel);
    std::vector<std::string> list{"stale"};
    tav::FillPaperSizeList(ctx, false, list);
    EXPECT_EQ(list, (std::vector<std::string>{"Letter", "Legal", "A4", "JIS B5", "Executive", "Custom", "JIS B6"}));
    std::vector<std::string> keys;
    tav::FillPaperSizeList(ctx, true, list, &keys);
    EXPECT_EQ(list, (std::vector<std::string>{"Letter", "A4"}));
    EXPECT_EQ(keys, (std::vector<std::string>{"IDS_PAPERSIZE0", "IDS_PAPERSIZE2"}));
    tav::FillPaperSizeList(ctx, false, list, &keys);
    EXPECT_EQ(keys[3], "IDS_PAPERSIZE3_S");
    EXPECT_EQ(keys[6], "IDS_PAPERSIZE19_S");

    Model(std::string(kGatedModel).replace(std::string(kGatedModel).find("ORB"), 3, "KALOR"));
    tav::FillPaperSizeList(ctx, true, list);  // the OEM variant ignores the cassette
    EXPECT_EQ(list.size(), 7u);
    EXPECT_EQ(list[3], "B5 (JIS)");
    EXPECT_EQ(list[6], "B6 (JIS)");
}

TEST_F(PaperModelTest, PositionsAndCodesMeetOnlyThroughTheMappingSections) {
    Model(kGatedModel);
    tav::PaperPageState st;
    st.listPosition = 4;  // Executive sits at position 4 but is code 5
    tav::SyncPaperSize(ctx, st, true);
    EXPECT_EQ(ctx.store.edited.paper, 5);
    ctx.store.edited.paper = 19;
    tav::SyncPaperSize(ctx, st, false);
    EXPECT_EQ(st.listPosition, 6);

    st.cassetteSource = true;
    st.listPosition = 1;
    tav::SyncPaperSize(ctx, st, true);
    EXPECT_EQ(ctx.store.edited.paper, 2);
    ctx.store.edited.paper = 0;
    tav::SyncPaperSize(ctx, st, false);
    EXPECT_EQ(st.listPosition, 0);

    // Unmapped entries fall back to A4 and to position 2.
    st.cassetteSource = false;
    st.listPosition = 40;
    tav::SyncPaperSize(ctx, st, true);
    EXPECT_EQ(ctx.store.edited.paper, 2);
    ctx.store.edited.paper = 22;
    tav::SyncPaperSize(ctx, st, false);
    EXPECT_EQ(st.listPosition, 2);
}

TEST_F(PaperModelTest, MarginLimitsFollowPaperUnitAndOrientation) {
    Model(kGatedModel);
    tav::PaperPageState st;
    st.listPosition = 2;  // A4
    auto m = tav::UpdateMarginLimits(ctx, st);
    EXPECT_DOUBLE_EQ(m.top, 250);
    EXPECT_DOUBLE_EQ(m.left, 164);
    st.orientation = 1;
    m = tav::UpdateMarginLimits(ctx, st);
    EXPECT_DOUBLE_EQ(m.top, 164);
    EXPECT_DOUBLE_EQ(m.left, 250);
    ctx.store.edited.marginUnit = 1;
    st.orientation = 0;
    st.listPosition = 4;  // Executive
    m = tav::UpdateMarginLimits(ctx, st);
    EXPECT_DOUBLE_EQ(m.top, 9.9);
    EXPECT_DOUBLE_EQ(m.left, 5.8);
    st.listPosition = 7;  // mapped to code 30: unknown codes get the letter-sized row
    m = tav::UpdateMarginLimits(ctx, st);
    EXPECT_DOUBLE_EQ(m.top, 9.9);
    EXPECT_DOUBLE_EQ(m.left, 6.8);
    ctx.store.edited.marginUnit = 0;
    m = tav::UpdateMarginLimits(ctx, st);
    EXPECT_DOUBLE_EQ(m.top, 250);
    EXPECT_DOUBLE_EQ(m.left, 170);
}

TEST_F(PaperModelTest, FormLinesFromTableCustomMatchOrComputation) {
    Model(kGatedModel);
    tav::PaperPageState st;
    st.listPosition = 2;
    EXPECT_EQ(tav::UpdateFormLines(ctx, st), 64);
    ctx.store.edited.featureFlags = 0x20;
    EXPECT_EQ(tav::UpdateFormLines(ctx, st), 66);
    st.orientation = 1;
    EXPECT_EQ(tav::UpdateFormLines(ctx, st), 43);
    EXPECT_EQ(ctx.store.edited.formLines, 43);

    st.listPosition = 5;  // custom
    ctx.store.edited.featureFlags = 0;
    ctx.store.edited.customWidth = 210;
    ctx.store.edited.customHeight = 297;
    st.orientation = 0;
    EXPECT_EQ(tav::UpdateFormLines(ctx, st), 64);  // counts as A4
    st.orientation = 1;
    EXPECT_EQ(tav::UpdateFormLines(ctx, st), 43);
    ctx.store.edited.customWidth = 200;
    ctx.store.edited.customHeight = 300;
    st.orientation = 0;
    EXPECT_EQ(tav::UpdateFormLines(ctx, st), 65);
    st.orientation = 1;
    EXPECT_EQ(tav::UpdateFormLines(ctx, st), 41);
    ctx.store.edited.customWidth = 211;  // one millimetre off A4 is no longer A4
    ctx.store.edited.customHeight = 297;
    st.orientation = 1;
    EXPECT_EQ(tav::UpdateFormLines(ctx, st), 44);  // computed from the 211 mm edge, not A4's 43
    st.orientation = 0;

    st.listPosition = 7;  // code 30: computed from the custom edges
    ctx.store.edited.customWidth = 200;
    ctx.store.edited.customHeight = 300;
    EXPECT_EQ(tav::UpdateFormLines(ctx, st), 65);

    ctx.store.edited.customWidth = 0;  // a size never reported must not wrap the byte
    ctx.store.edited.customHeight = 0;
    EXPECT_EQ(tav::UpdateFormLines(ctx, st), 1);
}

TEST_F(PaperModelTest, ComputedFormLinesRoundsOnlyAboveHalf) {
    // d*6000/254 - 600 for d = 300 is 6486 (rounds up); for d = 279 it is 5990 (rounds up);
    // for d = 254 it is 5400 (exact).
    EXPECT_EQ(tav::ComputedFormLines(300), 65);
    EXPECT_EQ(tav::ComputedFormLines(279), 60);
    EXPECT_EQ(tav::ComputedFormLines(254), 54);
    EXPECT_EQ(tav::ComputedFormLines(76), 12);
}

TEST_F(PaperModelTest, CustomIndexSetsTheFlagAndClampsUseModelOrBuiltInLimits) {
    Model(kGatedModel);
    EXPECT_EQ(tav::IsCustomPaper(ctx, 5), 5);
    EXPECT_TRUE(ctx.store.customPaperChanged);
    EXPECT_EQ(tav::IsCustomPaper(ctx, 15), 5);
    EXPECT_FALSE(ctx.store.customPaperChanged);
    Model("[Common]\n");
    EXPECT_EQ(tav::IsCustomPaper(ctx, 15), 15);
    EXPECT_TRUE(ctx.store.customPaperChanged);

    auto l = tav::ReadCustomSizeLimits(ctx);
    EXPECT_EQ(tav::ClampCustomEdge(50, l.shortMin, l.shortMax), 76);
    EXPECT_EQ(tav::ClampCustomEdge(300, l.shortMin, l.shortMax), 216);
    EXPECT_EQ(tav::ClampCustomEdge(400, l.longMin, l.longMax), 356);
    EXPECT_EQ(tav::ClampCustomEdge(200, l.longMin, l.longMax), 200);
    Model("[Printing]\nSHORT_MIN=90\nSHORT_MAX=0\nLONG_MIN=150\nLONG_MAX=432\n");
    l = tav::ReadCustomSizeLimits(ctx);
    EXPECT_EQ(l.shortMin, 90);
    EXPECT_EQ(l.shortMax, 216);  // "0" takes the built-in value
    EXPECT_EQ(l.longMin, 150);
    EXPECT_EQ(l.longMax, 432);
}

TEST(PaperTable, NamesSentAndGatingKeysDifferWhereTheModelFilesSaySo) {
    EXPECT_STREQ(tav::PaperByCode(14)->name, "OFICIO");
    EXPECT_STREQ(tav::PaperByCode(14)->gatingKey, "OFFICIO");
    EXPECT_STREQ(tav::PaperByCode(17)->name, "POST");
    EXPECT_STREQ(tav::PaperByCode(17)->gatingKey, "USPOST");
    EXPECT_STREQ(tav::PaperByCode(18)->gatingKey, "INDEX");
    EXPECT_STREQ(tav::PaperByCode(0)->widthText, "8.5\"");
    EXPECT_EQ(tav::PaperByCode(23), nullptr);
    EXPECT_EQ(tav::PaperByCode(-1), nullptr);
}

}  // namespace
