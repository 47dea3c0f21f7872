// Which pages the sheet holds and how a refresh walks them, from the configuration, the
// capability word and the language.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <unistd.h>

#include "pages/CsHelp.h"
#include "pages/Sheet.h"
#include "link/DeviceLibrary.h"
#include "RecordingUiHost.h"

using namespace tav;

namespace {

std::string TempPath(const std::string& name) {
    return "/tmp/tav-sheet-" + std::to_string(getpid()) + "-" + name;
}

class SheetTest : public ::testing::Test {
  protected:
    void SetUp() override { ctx.cfg.configFilePath = TempPath("comtav.ini"); }
    void TearDown() override { std::remove(ctx.cfg.configFilePath.c_str()); }
    void Config(const std::string& text) { std::ofstream(ctx.cfg.configFilePath) << text; }
    std::vector<std::string> Titles() {
        std::vector<std::string> out;
        for (const SheetTab& t : SheetLayout(ctx))
            out.push_back(t.titleKey);
        return out;
    }
    std::vector<PageId> Pages() {
        std::vector<PageId> out;
        for (const SheetTab& t : SheetLayout(ctx))
            out.push_back(t.page);
        return out;
    }
    RecordingUiHost ui;
    AppContext ctx{ui};
};

const char* kEveryTab =
    "[TAB]\nPrinting=1\nConfig=1\nJob=1\nTest=1\nPCL=1\nColor=1\nCheck=1\nPS3=1\nFMU=1\nDOWNLOAD=1\n"
    "EPSONIBM=1\nFirmWare=1\nAbout=1\n";

} // namespace

TEST_F(SheetTest, ThreeTabModel) {
    Config("[TAB]\nPrinting=1\nConfig=1\nAbout=1\nJob=0\nTest=yes\n");
    ctx.store.edited.featureFlags = 0xFFFFFFFFu; // capabilities alone add no page
    EXPECT_EQ(Titles(), (std::vector<std::string>{"PRINTING", "CONFIG", "ABOUT"}));
}

TEST_F(SheetTest, EveryPageInOrderWhenEverythingIsOn) {
    Config(kEveryTab);
    ctx.cfg.koreanLanguage = true;
    ctx.store.edited.featureFlags = 0xFFFFFFFFu;
    EXPECT_EQ(Titles(), (std::vector<std::string>{"PRINTING", "CONFIG", "JOB", "TEST", "PCL", "COLOR",
                                                  "CHECK", "KSC5843", "KSSM", "KSC5895", "PS3", "FMU",
                                                  "DOWNLOAD", "EPSON", "FWDOWN", "ABOUT"}));
    EXPECT_EQ(Pages()[10], PageId::PostS3);
}

TEST_F(SheetTest, AllTabWithNoCapabilities) {
    Config("[Common]\nALLTAB=1\n[TAB]\nPS3=1\n");
    ctx.store.edited.featureFlags = 0;
    EXPECT_EQ(Titles(), (std::vector<std::string>{"KSC5843", "KSSM", "KSC5895", "PS3"}));
    // The flash, manager and Epson pages still need their own TAB keys.
    Config(std::string("[Common]\nALLTAB=1\n") + kEveryTab);
    auto t = Titles();
    EXPECT_EQ(std::count(t.begin(), t.end(), "FMU"), 1);
    EXPECT_EQ(std::count(t.begin(), t.end(), "DOWNLOAD"), 1);
    EXPECT_EQ(std::count(t.begin(), t.end(), "EPSON"), 1);
    // ALLTAB is a flag like any other: only exactly "1" counts.
    Config("[Common]\nALLTAB=1 \n");
    EXPECT_EQ(Titles(),
              (std::vector<std::string>{"KSC5843", "KSSM", "KSC5895"})); // blanks are not part of it
    Config("[Common]\nALLTAB=11\n");
    EXPECT_TRUE(Titles().empty());
}

TEST_F(SheetTest, KoreanPagesNeedLanguageAndTheirBit) {
    Config("[TAB]\nPrinting=1\n");
    ctx.store.edited.featureFlags = kFlagKssm;
    EXPECT_EQ(Titles(), (std::vector<std::string>{"PRINTING"})); // not Korean: no Korean page
    ctx.cfg.koreanLanguage = true;
    EXPECT_EQ(Titles(), (std::vector<std::string>{"PRINTING", "KSSM"}));
    EXPECT_EQ(Pages()[1], PageId::Kssm);
    ctx.store.edited.featureFlags = kFlagKs5843 | kFlagKs5895;
    EXPECT_EQ(Titles(), (std::vector<std::string>{"PRINTING", "KSC5843", "KSC5895"}));
}

TEST_F(SheetTest, PostScriptPageVariants) {
    ctx.store.edited.featureFlags = kFlagPostScript;
    Config("[TAB]\nPS3=0\n[PS3]\nFONT_FORM=1\n");
    ASSERT_EQ(Pages(), (std::vector<PageId>{PageId::PostS4}));
    EXPECT_EQ(Titles()[0], "PS3");
    Config("[TAB]\nPS3=1\n");
    EXPECT_EQ(Pages(), (std::vector<PageId>{PageId::PostS3}));
    Config("[TAB]\nPS3=1\nFMU=1\n[PS3]\nFONT_FORM=1\n");
    ctx.store.edited.featureFlags = 0; // without the bit neither page, nor the manager
    EXPECT_TRUE(Pages().empty());
    ctx.store.edited.featureFlags = kFlagPostScript;
    EXPECT_EQ(Pages(), (std::vector<PageId>{PageId::PostS4, PageId::Fmu}));
}

TEST_F(SheetTest, CapabilityGatedPagesAndBrand) {
    Config("[Common]\nSTRING=KALOR\n[TAB]\nConfig=1\nDOWNLOAD=1\nEPSONIBM=1\n");
    ctx.store.edited.featureFlags = kFlagDownload;
    EXPECT_EQ(Pages(), (std::vector<PageId>{PageId::ConfigKalor, PageId::Download}));
    ctx.store.edited.featureFlags = kFlagEpson;
    Config("[Common]\nSTRING=kalor\n[TAB]\nConfig=1\nDOWNLOAD=1\nEPSONIBM=1\n");
    EXPECT_EQ(Pages(), (std::vector<PageId>{PageId::Config, PageId::Epson}));
}

namespace {
int g_acquires = 0;
int g_failAt = 0;
int g_releases = 0;
int FakeAcquire(int) {
    return ++g_acquires == g_failAt ? 0 : 1;
}
int FakeRelease(int) {
    return ++g_releases, 1;
}
} // namespace

TEST_F(SheetTest, RefreshWalksTwelveStepsAndStopsAtABusyPort) {
    Config(std::string(kEveryTab) + "[Common]\nSTRING=KALOR\n");
    ctx.store.edited.featureFlags = kFlagKssm | kFlagPostScript | kFlagEpson;
    ctx.cfg.koreanLanguage = true; // hides the Epson page from the refresh
    auto lib = std::make_shared<TableLibrary>();
    lib->Set("PortAcquire", &FakeAcquire);
    lib->Set("PortRelease", &FakeRelease);
    ctx.link.Bind(lib, lib);

    std::vector<PageId> loaded;
    g_acquires = g_releases = 0;
    g_failAt = 0;
    EXPECT_EQ(RefreshPages(ctx, [&](PageId id) { loaded.push_back(id); }), 1);
    EXPECT_EQ(loaded,
              (std::vector<PageId>{PageId::Printing, PageId::Pcl, PageId::Job, PageId::Kssm, PageId::PostS3,
                                   PageId::PostS4, PageId::Color, PageId::ConfigKalor, PageId::Fmu}));
    EXPECT_EQ(g_acquires, 12); // the port is taken for every step, loaded or not
    EXPECT_EQ(g_releases, 12);

    loaded.clear();
    g_acquires = g_releases = 0;
    g_failAt = 4;
    EXPECT_EQ(RefreshPages(ctx, [&](PageId id) { loaded.push_back(id); }), 0);
    EXPECT_EQ(loaded, (std::vector<PageId>{PageId::Printing, PageId::Pcl, PageId::Job}));
    EXPECT_EQ(g_releases, 3);
    EXPECT_EQ(ui.Messages().size(), 1u); // the busy message, once, from AcquirePort
}

TEST(MainGeometryTest, FollowsTheSheetSize) {
    MainGeometry g = ComputeMainGeometry(500, 380, 24, 22);
    EXPECT_EQ(g.sheet, (Rect{10, 10, 520, 380}));
    EXPECT_EQ(g.windowWidth, 520);
    EXPECT_EQ(g.windowHeight, 380 + 24 + 22 + 80);
    EXPECT_EQ(g.buttonBar, (Rect{20, 410, 480, 40}));
}

TEST(CsHelpTest, TopicsAndTheirText) {
    auto topics = ParseCsHelp(
        "\xEF\xBB\xBF; comment before the first topic\r\n.topic 132248\r\nBelt.\r\nSecond line.\r\n\r\n"
        ".topic 0x20001\nHex.\n.topic\nno number\n.topic 12abc\nbad number\n.topics 5\n"
        ".topic 132248\nrepeat\n.topic 7\n");
    ASSERT_EQ(topics.size(), 3u);
    EXPECT_EQ(topics[132248], "Belt.\nSecond line.");
    EXPECT_EQ(topics[0x20001], "Hex."); // the malformed lines after it started no topic of their own
    EXPECT_EQ(topics[7], "");
    EXPECT_EQ(CsHelpPathFor("/opt/tav/help/en/wintav32.html"), "/opt/tav/help/en/cshelp.txt");

    const std::string dir = TempPath("help");
    ASSERT_EQ(system(("mkdir -p " + dir).c_str()), 0);
    std::ofstream(dir + "/cshelp.txt") << ".topic 139126\nPrints the configuration page.\n";
    EXPECT_EQ(CsHelpText(dir + "/x.html", 139126), "Prints the configuration page.");
    EXPECT_EQ(CsHelpText(dir + "/x.html", 1), "");
    EXPECT_EQ(CsHelpText("/nonexistent/x.html", 139126), "");
    ASSERT_EQ(system(("rm -rf " + dir).c_str()), 0);
}
