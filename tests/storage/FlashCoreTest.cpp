// The flash jobs, their waits and questions, the macro listing and the settings reload that keeps
// the user's unsent edits.
#include <gtest/gtest.h>

#include "FakeDev.h"
#include "ScriptedDevice.h"
#include "storage/FlashCore.h"
#include "RecordingUiHost.h"

using namespace tav;
using tavtest::ScriptedDevice;

namespace {
const std::string kUel = "\x1b%-12345X";

std::string Framed(const std::string& line) {
    return kUel + "@PJL\r\n" + line + kUel;
}

struct FlashFixture : ::testing::Test {
    void SetUp() override {
        home.Write("comtav.ini", "[Common]\nDeviceID=s\n");
        home.Write("lang.ini", "[FLASH]\nMsg_delete_font=Delete font?\nMsg_format_flash=Format?\n"
                               "Msg_delete_form_all=Delete forms?\n");
        ctx.cfg.configFilePath = home.dir + "comtav.ini";
        ctx.cfg.langFilePath = home.dir + "lang.ini";
        dev.Bind(ctx);
    }
    tavtest::FakeHome home;
    ScriptedDevice dev;
    RecordingUiHost ui;
    AppContext ctx{ui};
};
} // namespace

TEST_F(FlashFixture, EveryJobIsItsExactBytesThenItsWait) {
    struct Case {
        FlashJob job;
        int id;
        std::string bytes;
        unsigned wait;
        bool waitsOnFailure;
    };
    const Case cases[] = {
        {FlashJob::MacroInfo, 0, Framed("@PJL FSMACROINFO\r\n"), 2500, false},
        {FlashJob::DeleteFont, 20, Framed("@PJL FSDELETEFONT = 20\r\n"), 15000, false},
        {FlashJob::DeleteFontAll, 0, Framed("@PJL FSDELETEFONTALL\r\n"), 15000, false},
        {FlashJob::DeleteMacro, 300, Framed("@PJL FSDELETEMACRO = 300\r\n"), 15000, false},
        {FlashJob::DeleteMacroAll, 0, Framed("@PJL FSDELETEMACROALL\r\n"), 15000, false},
        {FlashJob::DeleteAll, 0, Framed("@PJL FSDELETEALL\r\n"), 15000, false},
        {FlashJob::MacroId, 7, Framed("@PJL FSMACROID = 7\r\n"), 4000, false},
        {FlashJob::MacroId, kNoActiveMacro, Framed("@PJL FSMACROID = 65535\r\n"), 4000, false},
        {FlashJob::FormatFlash, 0, Framed("@PJL FORMAT FLASH\r\n"), 20000, true},
        {FlashJob::DeletePsFormAll, 0, Framed("@PJL FSDELETEPSFORMALL\n"), 5000, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        dev.taken.clear();
        ui.Clear();
        EXPECT_EQ(RunFlashJob(ctx, c.job, c.id), 1);
        EXPECT_EQ(dev.taken, c.bytes);
        EXPECT_EQ(ui.Waits(), std::vector<unsigned>{c.wait});
        // Written short: failure, and only the format still gives the printer its time.
        ui.Clear();
        dev.accept = {static_cast<long>(c.bytes.size() - 1)};
        EXPECT_EQ(RunFlashJob(ctx, c.job, c.id), 0);
        EXPECT_EQ(ui.Waits(), c.waitsOnFailure ? std::vector<unsigned>{c.wait} : std::vector<unsigned>{});
    }
}

TEST_F(FlashFixture, DestructiveJobsAskFirstAndNoMeansNo) {
    ui.answers = {MsgResult::No, MsgResult::Yes};
    EXPECT_FALSE(ConfirmFlashJob(ctx, FlashJob::FormatFlash));
    EXPECT_TRUE(ConfirmFlashJob(ctx, FlashJob::DeletePsFormAll));
    ASSERT_EQ(ui.Messages().size(), 2u);
    EXPECT_EQ(ui.Messages()[0].text, "Format?");
    EXPECT_EQ(ui.Messages()[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(ui.Messages()[1].text, "Delete forms?");
    // Immediate actions ask nothing.
    EXPECT_TRUE(ConfirmFlashJob(ctx, FlashJob::MacroId));
    EXPECT_EQ(ui.Messages().size(), 2u);
    for (FlashJob j :
         {FlashJob::DeleteFont, FlashJob::DeleteFontAll, FlashJob::DeleteMacro, FlashJob::DeleteMacroAll,
          FlashJob::DeleteAll, FlashJob::FormatFlash, FlashJob::DeletePsFormAll})
        EXPECT_NE(DefOf(j).questionKey, nullptr);
}

TEST(MacroInfoTest, IdsAreTakenOnlyFromBytesThatArrived) {
    const std::pair<std::string, std::optional<ListedIds>> cases[] = {
        {std::string("\x00", 1), std::nullopt},
        {std::string("\x00\x00", 2), ListedIds{}},
        {std::string("\x00\x02\x00\x07\x01\x2c", 6), ListedIds{{7, 300}, 2}},
        // Three announced, one and a half arrived: the list says it is not the whole.
        {std::string("\x00\x03\xff\xfe\x01", 5), ListedIds{{65534}, 3}},
        // More bytes than announced: the count rules.
        {std::string("\x00\x01\x00\x05\x00\x06", 6), ListedIds{{5}, 1}},
    };
    for (const auto& [reply, want] : cases) {
        EXPECT_EQ(ParseMacroInfo(reinterpret_cast<const uint8_t*>(reply.data()), reply.size()), want)
            << reply.size();
    }
    std::vector<uint8_t> big(kReplyBufferSize + 1, 0);
    EXPECT_FALSE(ParseMacroInfo(big.data(), big.size()).has_value());
}

TEST_F(FlashFixture, RefreshKeepsUnsentEditsAndFollowsThePrinterElsewhere) {
    PrinterSettings& rep = ctx.store.reported;
    PrinterSettings& ed = ctx.store.edited;
    rep.paper = 0, rep.copies = 1, rep.duplex = 0, rep.flashValue = 65535;
    ed = rep;
    ed.copies = 3; // the user's unsent edit on another page
    // The printer now reports paper 2, copies 5, duplex 1, active macro 7.
    const std::string record = std::string("\x01\x00\x00", 3) + std::string("\x00\x01\x02", 3) +
                               std::string("\x02\x02\x00\x05", 4) + std::string("\x07\x01\x01", 3) +
                               std::string("\x5b\x02\x00\x07", 4) + std::string("\xc6\x04\x00\x00\x00\x00\xff\x00", 8);
    // One font: number 1, ID 257, a 20-character name, symbol set "OK ".
    const std::string fonts = std::string("\x00\x01\x01\x01\x01", 5) + "Univers Medium      " + "OK ";
    dev.reads = {fonts, record, std::string("\x00\x01\x00\x07", 4)};
    const auto listing = RefreshFlashLists(ctx);
    ASSERT_TRUE(listing.has_value());
    EXPECT_EQ(listing->macros, (ListedIds{{7}, 1}));
    EXPECT_EQ(rep.paper, 2);
    EXPECT_EQ(rep.copies, 5);
    EXPECT_EQ(ActiveMacroId(ctx), 7);
    EXPECT_EQ(ed.paper, 2);
    EXPECT_EQ(ed.duplex, 1);
    EXPECT_EQ(ed.copies, 3);
    ASSERT_EQ(FlashFonts(ctx).size(), 1u);
    EXPECT_EQ(FlashFonts(ctx)[0].fontId, 0x0101);
    EXPECT_EQ(FontSymbolSet(FlashFonts(ctx)[0]), "OK");
    EXPECT_EQ(ui.Waits(), (std::vector<unsigned>{1000, 2000, kFlashRefreshSettleMs, kMacroInfoWaitMs}));

    // A failed macro listing fails the refresh.
    dev.reads = {std::string("\x00\x00", 2), record};
    EXPECT_FALSE(RefreshFlashLists(ctx).has_value());
}

TEST_F(FlashFixture, RemovingFontsMovesLaterOnesUp) {
    auto list = std::make_shared<std::vector<FlashFontEntry>>(3);
    for (uint16_t i = 0; i < 3; ++i)
        (*list)[i].fontId = static_cast<uint16_t>(10 + i);
    ctx.store.edited.fontList = list;
    ctx.store.edited.flashFontCount = 3;
    RemoveFlashFont(ctx, 1);
    ASSERT_EQ(FlashFonts(ctx).size(), 2u);
    EXPECT_EQ(FlashFonts(ctx)[1].fontId, 12);
    RemoveFlashFont(ctx, 5); // no such row: nothing else changes
    EXPECT_EQ(FlashFonts(ctx).size(), 2u);
    RemoveFlashFont(ctx, 0);
    RemoveFlashFont(ctx, 0);
    EXPECT_TRUE(FlashFonts(ctx).empty());
    EXPECT_EQ(ctx.store.edited.flashFontCount, 0u);
    EXPECT_EQ((*list)[1].fontId, 11); // the list the settings copies still share is untouched
}

// The dropped job of each action is a row of the fault matrices; here what a cut listing tells.
TEST(FlashCheckTest, AListingCutShortTellsOnlyWhatArrived) {
    using K = FlashMiss::Kind;
    using A = FlashAction;
    // Three fonts and two macros announced; one font and no macro arrived.
    const FlashListing cut{ListedIds{{20}, 3}, ListedIds{{}, 2}, std::nullopt};
    const std::tuple<A, uint16_t, std::vector<FlashMiss>, bool> cases[] = {
        {A::AddFont, 20, {}, false},
        {A::DeleteFont, 99, {}, true}, // it may be among the records that did not come
        {A::DeleteFonts, 0, {{K::NotEmpty, false, 1}}, false}, // one arrived whole: it is left
        {A::DeleteMacros, 0, {}, true},                        // a count without its records
        {A::SetActiveMacro, 1, {}, true},                      // the settings were not read
    };
    for (const auto& [action, id, misses, undecided] : cases) {
        SCOPED_TRACE(static_cast<int>(action) * 100000 + id);
        const FlashCheck check = CheckFlashChange(action, id, cut);
        EXPECT_EQ(check.misses, misses);
        EXPECT_EQ(check.undecided, undecided);
        EXPECT_EQ(check.Taken(), misses.empty() && !undecided);
    }
}

TEST_F(FlashFixture, AFontIsLookedForUnderTheIdItsFileNames) {
    const std::pair<std::string, std::optional<uint16_t>> cases[] = {
        {"\x1b*c300D\x1b)s64W", 300},
        {"\x1b*c65535D", std::nullopt}, // no font is stored there
        {"\x1b*c12", std::nullopt},
        {"\x1b)s64W", std::nullopt},
    };
    for (const auto& [head, want] : cases)
        EXPECT_EQ(OwnFontId(head), want) << head.substr(1);
    home.Write("own.sfp", "\x1b*c12D\x1b)s64W");
    EXPECT_EQ(StoredFontId(home.dir + "own.sfp", 9), 12);
}
