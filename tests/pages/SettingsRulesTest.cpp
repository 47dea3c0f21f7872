// The Config, Job and Color rules without a window: emulation lists and their two-way mapping,
// power-save items, paper-type lists and codes, timeout limits, image quality, CMYK texts.
#include <gtest/gtest.h>

#include "FakeDev.h"
#include "pages/ColorRules.h"
#include "pages/ConfigRules.h"
#include "pages/JobRules.h"
#include "RecordingUiHost.h"

using namespace tav;

namespace {

std::vector<std::string> Names(const std::vector<EmulationItem>& items) {
    std::vector<std::string> out;
    for (const auto& i : items)
        out.push_back(i.langKey.empty() ? i.fixedText : i.langKey);
    return out;
}

constexpr uint32_t kKoreanAll = kCfgFlagKs5843 | kCfgFlagKssm | kCfgFlagKs5895 | kCfgFlagPostScript;

struct RulesTest : ::testing::Test {
    void Config(const std::string& text) {
        home.Write("comtav.ini", text);
        ctx.cfg.configFilePath = home.dir + "comtav.ini";
    }
    tavtest::FakeHome home;
    RecordingUiHost ui;
    AppContext ctx{ui};
};

} // namespace

TEST(EmulationList, ItemsFollowLanguageAndCapabilityBits) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Names(EmulationItems(false, kCfgFlagEpson | kCfgFlagPostScript)),
              (V{"IDS_EMULATION0", "IDS_EMULATION1", "IDS_EMULATION6", "IBM", "IDS_EMULATION5"}));
    EXPECT_EQ(Names(EmulationItems(true, kCfgFlagKs5843 | kCfgFlagKs5895)),
              (V{"IDS_EMULATION0", "IDS_EMULATION1", "IDS_EMULATION2", "IDS_EMULATION4"}));
    EXPECT_EQ(Names(EmulationItems(true, kKoreanAll)),
              (V{"IDS_EMULATION0", "IDS_EMULATION1", "IDS_EMULATION2", "IDS_EMULATION3", "IDS_EMULATION4",
                 "IDS_EMULATION5"}));
    // Korean text without the first Korean emulation: the Epson items, as for any language.
    EXPECT_EQ(Names(EmulationItems(true, kCfgFlagEpson | kCfgFlagKssm)),
              (V{"IDS_EMULATION0", "IDS_EMULATION1", "IDS_EMULATION6", "IBM"}));
    // Korean bits on a non-Korean language give no Korean items.
    EXPECT_EQ(Names(EmulationItems(false, kKoreanAll)),
              (V{"IDS_EMULATION0", "IDS_EMULATION1", "IDS_EMULATION5"}));
}

TEST(EmulationList, ChoosingStoresTheTableValues) {
    const uint32_t epsonPs = kCfgFlagEpson | kCfgFlagPostScript;
    EXPECT_EQ(ChooseEmulation(2, false, epsonPs, {0, 0}), (EmulationValue{12, 0}));
    EXPECT_EQ(ChooseEmulation(3, false, epsonPs, {0, 0}), (EmulationValue{12, 1}));
    EXPECT_EQ(ChooseEmulation(4, false, epsonPs, {0, 0}), (EmulationValue{10, 0}));
    EXPECT_EQ(ChooseEmulation(2, false, kCfgFlagPostScript, {0, 0}), (EmulationValue{10, 0}));
    // Korean with 0x100000 and 0x400000 only: item 3 is KS5895.
    EXPECT_EQ(ChooseEmulation(3, true, kCfgFlagKs5843 | kCfgFlagKs5895, {0, 0}), (EmulationValue{7, 0}));
    EXPECT_EQ(ChooseEmulation(2, true, kKoreanAll, {0, 0}), (EmulationValue{5, 0}));
    EXPECT_EQ(ChooseEmulation(3, true, kKoreanAll, {0, 0}), (EmulationValue{6, 0}));
    EXPECT_EQ(ChooseEmulation(4, true, kKoreanAll, {0, 0}), (EmulationValue{7, 0}));
    EXPECT_EQ(ChooseEmulation(5, true, kKoreanAll, {0, 0}), (EmulationValue{10, 0}));
    // Without KSSM, item 4 is PostScript, not KS5895.
    EXPECT_EQ(ChooseEmulation(4, true, kCfgFlagKs5843 | kCfgFlagKs5895 | kCfgFlagPostScript, {0, 0}),
              (EmulationValue{10, 0}));
    // Without the PostScript bit the PostScript value is 12.
    EXPECT_EQ(ChooseEmulation(5, true, kCfgFlagKs5843, {0, 0}), (EmulationValue{12, 0}));
    EXPECT_EQ(ChooseEmulation(3, true, kCfgFlagKs5843, {0, 0}), (EmulationValue{12, 0}));
    // Choosing always clears the Epson/IBM field, even where the personality stays.
    EXPECT_EQ(ChooseEmulation(1, false, epsonPs, {1, 1}), (EmulationValue{1, 0}));
}

TEST(EmulationList, ChoosingTheShownItemKeepsThePersonalityButNotACoincidentNumber) {
    // Item 1 while PCL is stored: unchanged.
    EXPECT_EQ(ChooseEmulation(1, true, kKoreanAll, {1, 0}), (EmulationValue{1, 0}));
    // KS5843 is stored as 5 and shown as item 2; item 5 means PostScript and must switch to it.
    EXPECT_EQ(ChooseEmulation(5, true, kKoreanAll, {5, 0}), (EmulationValue{10, 0}));
    // KSSM is stored as 6 (item 3); there is no item 6 here, but a 6 must not block item 3 of
    // another printer either.
    EXPECT_EQ(ChooseEmulation(3, true, kKoreanAll, {6, 0}), (EmulationValue{6, 0}));
}

TEST(EmulationList, StoredValuesShowTheirItem) {
    const uint32_t epsonPs = kCfgFlagEpson | kCfgFlagPostScript;
    EXPECT_EQ(EmulationItemFor({10, 0}, false, epsonPs), 4);
    EXPECT_EQ(EmulationItemFor({14, 0}, false, epsonPs), 4);
    EXPECT_EQ(EmulationItemFor({10, 0}, false, kCfgFlagPostScript), 2);
    EXPECT_EQ(EmulationItemFor({12, 1}, false, epsonPs), 3);
    EXPECT_EQ(EmulationItemFor({12, 0}, false, epsonPs), 2);
    EXPECT_EQ(EmulationItemFor({1, 0}, false, epsonPs), 1);
    EXPECT_EQ(EmulationItemFor({9, 0}, false, epsonPs), 9); // outside the list: nothing shown
    EXPECT_EQ(EmulationItemFor({5, 0}, true, kKoreanAll), 2);
    EXPECT_EQ(EmulationItemFor({6, 0}, true, kKoreanAll), 3);
    EXPECT_EQ(EmulationItemFor({7, 0}, true, kKoreanAll), 4);
    EXPECT_EQ(EmulationItemFor({7, 0}, true, kCfgFlagKs5843 | kCfgFlagKs5895), 3);
    EXPECT_EQ(EmulationItemFor({10, 0}, true, kKoreanAll), 5);
    EXPECT_EQ(EmulationItemFor({14, 0}, true, kCfgFlagKs5843 | kCfgFlagPostScript), 3);
    // Epson (12) has no entry on the Korean list: the last entry shows, not a blank.
    EXPECT_EQ(EmulationItemFor({12, 0}, true, kCfgFlagKs5843 | kCfgFlagPostScript), 3);
    EXPECT_EQ(EmulationItemFor({12, 0}, true, kKoreanAll), 5);
}

TEST(EmulationList, EveryItemRoundTripsForEveryBitCombination) {
    const uint32_t bits[] = {kCfgFlagKs5843, kCfgFlagKssm, kCfgFlagKs5895, kCfgFlagEpson, kCfgFlagPostScript};
    for (int korean = 0; korean < 2; ++korean)
        for (uint32_t mask = 0; mask < 32; ++mask) {
            uint32_t flags = 0;
            for (int b = 0; b < 5; ++b)
                if (mask & (1u << b)) flags |= bits[b];
            const auto items = EmulationItems(korean, flags);
            for (int i = 0; i < static_cast<int>(items.size()); ++i) {
                const EmulationValue v = ChooseEmulation(i, korean, flags, {0, 0});
                EXPECT_EQ(EmulationItemFor(v, korean, flags), i)
                    << "korean " << korean << " flags " << std::hex << flags << " item " << i;
            }
        }
}

TEST(PowerSave, TextsAndItems) {
    const std::vector<std::string> canonical = {"5", "10", "15", "30", "45", "60", "120", "240"};
    for (int v = 1; v <= 8; ++v)
        EXPECT_EQ(PowerSaveFromText(canonical[size_t(v - 1)]), v);
    EXPECT_EQ(PowerSaveFromText("7"), 0);
    EXPECT_EQ(PowerSaveFromText("5 "), 0);
    EXPECT_EQ(StandardPowerSaveItem(1, canonical), 0);
    EXPECT_EQ(StandardPowerSaveItem(5, canonical), 4);
    EXPECT_EQ(StandardPowerSaveItem(9, canonical), 0);
    // A model that offers fewer times in its own order shows the stored time, not item value-1.
    EXPECT_EQ(StandardPowerSaveItem(3, {"15", "30", "60"}), 0);
    EXPECT_EQ(StandardPowerSaveItem(6, {"15", "30", "60"}), 2);
}

TEST(PowerSave, KalorTable) {
    const std::vector<std::string> kalor = {"15", "30", "60", "120", "240", "5", "10", "45"};
    EXPECT_EQ(KalorPowerSaveItem(3, kalor), 0);
    EXPECT_EQ(KalorPowerSaveItem(4, kalor), 1);
    EXPECT_EQ(KalorPowerSaveItem(6, kalor), 2);
    EXPECT_EQ(KalorPowerSaveItem(8, kalor), 4);
    EXPECT_EQ(KalorPowerSaveItem(5, kalor), 7);
    EXPECT_EQ(KalorPowerSaveItem(7, kalor), 3);
    EXPECT_EQ(KalorPowerSaveItem(0, kalor), 3);
    EXPECT_EQ(KalorPowerSaveItem(200, kalor), 3);
    // The table puts 1 and 2 on items that show 60 and 120; the list's own times win.
    EXPECT_EQ(KalorPowerSaveItem(1, kalor), 5);
    EXPECT_EQ(KalorPowerSaveItem(2, kalor), 6);
    // Without texts to go by, the table as it stands.
    EXPECT_EQ(KalorPowerSaveItem(1, {}), 2);
    EXPECT_EQ(KalorPowerSaveItem(2, {}), 3);
}

TEST_F(RulesTest, PowerSaveItemsComeFromTheModelSkippingEmptyKeys) {
    Config("[STR_CONFIG]\nIDS_POWERSAVE_VALUE0=15\nIDS_POWERSAVE_VALUE1=\nIDS_POWERSAVE_VALUE2=60\n"
           "IDS_POWERSAVE_VALUE7=240\nIDS_POWERSAVE_VALUE8=999\n");
    EXPECT_EQ(PowerSaveItems(ctx), (std::vector<std::string>{"15", "60", "240"}));
}

TEST_F(RulesTest, PaperTypeListsAreGatedPerSectionWithTheirOwnTextKeys) {
    Config("[Tray1]\nOFF=1\nNormal=1\nCotton=1\nRecycled=1\n3MDECAL=1\nThick=0\n"
           "[Tray2]\nnormal=1\nLabel=1\nEnv=yes\n");
    using V = std::vector<std::string>;
    EXPECT_EQ(PaperTypeListKeys(ctx, "Tray1", false),
              (V{"Printer Default", "Plain Paper", "Letterhead", "Special", "3M Decal"}));
    EXPECT_EQ(PaperTypeListKeys(ctx, "Tray1", true),
              (V{"Printer Default", "Plain Paper", "Cotton", "Recycled", "3M Decal"}));
    EXPECT_EQ(PaperTypeListKeys(ctx, "Tray2", false), (V{"Plain Paper", "Labels"}));
    EXPECT_TRUE(PaperTypeListKeys(ctx, "Tray3", false).empty());
}

TEST_F(RulesTest, PaperTypeCodesMapThroughTheirSectionsWithZeroForMissingKeys) {
    Config("[Tray2]\n0=1\n1=7\n[GetTray2]\n1=0\n7=1\n");
    EXPECT_EQ(PaperTypeCode(ctx, "Tray2", 1), 7);
    EXPECT_EQ(PaperTypeCode(ctx, "Tray2", 5), 0);
    EXPECT_EQ(PaperTypePosition(ctx, "GetTray2", 7), 1);
    EXPECT_EQ(PaperTypePosition(ctx, "GetTray2", 3), 0);
    EXPECT_EQ(PaperTypePosition(ctx, "GetTray1", 7), 0);
    EXPECT_TRUE(IsPaperTypeCode(14));
    EXPECT_FALSE(IsPaperTypeCode(15));
    EXPECT_FALSE(IsPaperTypeCode(-1));
}

TEST_F(RulesTest, TimeoutLimitAndLength) {
    Config("");
    EXPECT_EQ(TimeoutLimit(ctx), 300);
    EXPECT_EQ(TimeoutMaxChars(ctx), 3);
    Config("[JOB]\nLimitTime=0\n");
    EXPECT_EQ(TimeoutLimit(ctx), 300);
    Config("[JOB]\nLimitTime=3600\n");
    EXPECT_EQ(TimeoutLimit(ctx), 3600);
    EXPECT_EQ(TimeoutMaxChars(ctx), 4);
    Config("[JOB]\nLimitTime=999\n");
    EXPECT_EQ(TimeoutMaxChars(ctx), 3);
    // A negative limit would wrap into a huge timeout.
    Config("[JOB]\nLimitTime=-5\n");
    EXPECT_EQ(TimeoutLimit(ctx), 300);
    EXPECT_EQ(ClampTimeout("999", 300), 300);
    EXPECT_EQ(ClampTimeout("0", 300), 0);
    EXPECT_EQ(ClampTimeout("45", 300), 45);
    EXPECT_EQ(ClampTimeout("9999", 3600), 3600);
}

TEST(ImageQuality, PositionTwoIsRetThree) {
    EXPECT_EQ(RetForImageQuality(0), 0);
    EXPECT_EQ(RetForImageQuality(1), 1);
    EXPECT_EQ(RetForImageQuality(2), 3);
    EXPECT_EQ(ImageQualityPosition(3), 2);
    EXPECT_EQ(ImageQualityPosition(1), 1);
}

TEST_F(RulesTest, CmykTextsInKeyOrderSkippingAbsentAndEmptyKeys) {
    Config("[STR_COROR]\nIDS_CMYK_VALUE1=-1\nIDS_CMYK_VALUE0=-2\nIDS_CMYK_VALUE2=\nIDS_CMYK_VALUE3=0\n"
           "IDS_CMYK_VALUE10=5\nIDS_CMYK_VALUE11=6\n");
    EXPECT_EQ(CmykValueTexts(ctx), (std::vector<std::string>{"-2", "-1", "0", "5"}));
}
