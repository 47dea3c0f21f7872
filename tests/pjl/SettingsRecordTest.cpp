// The settings record against byte vectors written by hand.
#include <gtest/gtest.h>

#include <random>

#include "FakeDev.h"
#include "pjl/SettingsRecord.h"
#include "RecordingUiHost.h"

using namespace tav;

namespace {
class RecordTest : public ::testing::Test {
protected:
    void Reply(std::initializer_list<uint8_t> bytes) {
        ctx.replyBuffer.fill(0);
        std::copy(bytes.begin(), bytes.end(), ctx.replyBuffer.begin());
    }
    RecordingUiHost ui;
    AppContext ctx{ui};
};
}  // namespace

TEST_F(RecordTest, EntriesStartAtZeroWhenTheFirstByteIsZero) {
    Reply({0x00, 0x01, 0x05, 0x02, 0x02, 0x00, 0x03, 0xC6, 0x04, 0, 0, 0, 0, 0xFF, 0x00});
    EXPECT_TRUE(LoadSettingsRecord(ctx));
    EXPECT_EQ(ctx.store.reported.paper, 5);
    EXPECT_EQ(ctx.store.reported.copies, 3);
    EXPECT_EQ(ctx.store.edited, ctx.store.reported);
}

TEST_F(RecordTest, ANonZeroFirstByteIsAThreeByteHeader) {
    Reply({0x07, 0x03, 0x02, 0x02, 0x02, 0x00, 0x09, 0xC6, 0x04, 0x20, 0x00, 0x00, 0x80, 0xFF, 0x00});
    EXPECT_TRUE(LoadSettingsRecord(ctx));
    EXPECT_EQ(ctx.store.reported.copies, 9);
    EXPECT_EQ(ctx.store.reported.duplex, 0);  // header bytes were not taken as index 7
    EXPECT_EQ(ctx.store.edited.featureFlags, 0x20000080u);
}

TEST_F(RecordTest, WidthComesFromTheIndexAndUnknownIndicesUseTheirLength) {
    // Index 3 claims length 2 but is one byte wide; index 21 (not stored) skips 3 value bytes.
    Reply({0x00, 0x01, 0x02, 0x03, 0x02, 0x01, 0x15, 0x03, 0xAA, 0xBB, 0xCC, 0x05, 0x01, 0x04, 0xC6, 0x04, 0, 0, 0,
           0, 0xC8, 0x00});
    EXPECT_TRUE(LoadSettingsRecord(ctx));
    EXPECT_EQ(ctx.store.reported.paper, 2);
    EXPECT_EQ(ctx.store.reported.orientation, 1);
    EXPECT_EQ(ctx.store.reported.topMargin, 4);
    // Index 46: one byte held in a two-byte field.
    Reply({0x00, 0x01, 0x00, 0x2E, 0x01, 0x07, 0x30, 0x01, 0x09, 0xC6, 0x04, 0, 0, 0, 0, 0xFF, 0x00});
    EXPECT_TRUE(LoadSettingsRecord(ctx));
    EXPECT_EQ(ctx.store.reported.ksc5895Font, 7);
    EXPECT_EQ(ctx.store.reported.ksc5895AutoWrap, 9);
    // The flash flag (90) qualifies the typeface number (30) in whatever order the two come.
    Reply({0x00, 0x01, 0x00, 0x5A, 0x01, 0x01, 0x1E, 0x01, 0x09, 0xC6, 0x04, 0, 0, 0, 0, 0xFF, 0x00});
    EXPECT_TRUE(LoadSettingsRecord(ctx));
    EXPECT_EQ(ctx.store.reported.fontNumber, 9);
    EXPECT_EQ(ctx.store.reported.pclPageValue, 1);
}

// A record cut short or garbled is no record: both instances stay exactly as the last good one
// left them, so the next Send cannot reset the fields it did not reach.
TEST_F(RecordTest, ARecordWithoutItsEndLeavesBothInstancesAlone) {
    Reply({0x00, 0x01, 0x04, 0x02, 0x02, 0x00, 0x05, 0x04, 0x01, 0x06, 0xC6, 0x04, 0, 0, 0, 0, 0xFF, 0x00});
    ASSERT_TRUE(LoadSettingsRecord(ctx));
    ctx.store.edited.copies = 42; // an edit not sent yet
    const PrinterSettings reported = ctx.store.reported, edited = ctx.store.edited;
    for (auto cut : {std::initializer_list<uint8_t>{0x00, 0x01, 0x04, 0x02, 0x02, 0x00, 0x07},
                     std::initializer_list<uint8_t>{0x00, 0x01, 0x04, 0x02, 0x02}, // ends inside a value
                     std::initializer_list<uint8_t>{0x00, 0x7A, 0xFE, 0x13, 0x99}}) {  // garbage
        Reply(cut);
        EXPECT_FALSE(LoadSettingsRecord(ctx));
        EXPECT_EQ(ctx.store.reported, reported);
        EXPECT_EQ(ctx.store.edited, edited);
    }
}

// A record is taken only when its structure holds; every record the printers send, quirks
// included, still is.
TEST_F(RecordTest, OnlyARecordWhoseStructureHoldsIsTaken) {
    using namespace std::string_literals;
    const std::string caps = "\xC6\x04\x00\x00\x40\x85"s, head = "\x00\x01\x01\x02\x02\x00\x04"s;
    const struct {
        const char* what;
        std::string bytes;
        uint16_t copies; // 0: not taken
    } rows[] = {
        {"the copies' length byte says 1, its two bytes read all the same", "\x01\x00\x09\x02\x01\x00\x07"s + caps + "\xFF\x00"s, 7},
        {"a status message sent unasked after it", head + caps + "\xFF\x00@PJL USTATUS DEVICE\r\n\f"s, 4},
        {"a length byte that is no width", "\x00\x01\x02\x02\x03\x00\x04"s + caps + "\xFF\x00"s, 0},
        {"bytes after the closing entry", head + caps + "\xFF\x00\x17"s, 0},
        {"a closing entry that runs over the rest", head + caps + "\xFF\x09\x01\x02"s, 0},
        {"no capability word", head + "\xFF\x00"s, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ctx.store = SettingsStore{};
        ctx.replyBuffer.fill(0);
        std::copy(row.bytes.begin(), row.bytes.end(), ctx.replyBuffer.begin());
        testing::internal::CaptureStderr();
        EXPECT_EQ(LoadSettingsRecord(ctx), row.copies != 0);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), ""); // a refusal is said with DebugMsg only
        EXPECT_EQ(ctx.store.reported.copies, row.copies);
        EXPECT_EQ(ctx.store.reported.featureFlags, row.copies ? 0x4085u : 0u);
    }
    ctx.cfg.debugMsg = 1;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(LoadSettingsRecord(ctx));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("[TAV] the reply is no settings record"), std::string::npos);
}

// Noise taken for a record would fill both instances and decide the pages: of 10^5 random
// replies of each length, fewer than one in a thousand may pass.
TEST_F(RecordTest, NoiseIsAlmostNeverTakenForARecord) {
    std::mt19937 rng(20240611);
    for (const size_t length : {20u, 64u, 334u, 1024u}) {
        int taken = 0;
        ctx.replyBuffer.fill(0);
        for (int round = 0; round < 100000; ++round) {
            for (size_t i = 0; i < length; ++i)
                ctx.replyBuffer[i] = static_cast<uint8_t>(rng());
            taken += LoadSettingsRecord(ctx) ? 1 : 0;
        }
        EXPECT_LT(taken, 100) << length << " bytes";
    }
}

TEST_F(RecordTest, ListsAndCountsSurviveAndResidentCountFollowsTheBrand) {
    auto fonts = std::make_shared<std::vector<FlashFontEntry>>(2);
    ctx.store.edited.fontList = fonts;
    ctx.store.edited.flashFontCount = 2;
    ctx.store.edited.formCount = 5;
    Reply({0x00, 0x01, 0x01, 0xC6, 0x04, 0, 0, 0, 0, 0xFF, 0x00});
    EXPECT_TRUE(LoadSettingsRecord(ctx));
    EXPECT_EQ(ctx.store.reported.fontList, fonts);
    EXPECT_EQ(ctx.store.edited.flashFontCount, 2u);
    EXPECT_EQ(ctx.store.edited.formCount, 5u);
    EXPECT_EQ(ctx.store.edited.residentFontCount, 54u);
}

TEST_F(RecordTest, WalkNeverLeavesTheBufferWhateverTheBytes) {
    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        for (auto& b : ctx.replyBuffer) b = static_cast<uint8_t>(rng() % 200);  // rarely an end mark
        ctx.replyBuffer[4095] = 0x10;
        ctx.replyBuffer[4094] = 0x10;
        LoadSettingsRecord(ctx);
    }
    // An entry that would run past the end stops the walk rather than reading on.
    ctx.replyBuffer.fill(0x01);
    ctx.replyBuffer[4094] = 0xC6;  // 4-byte field with two bytes left
    EXPECT_FALSE(LoadSettingsRecord(ctx));
}

TEST_F(RecordTest, DebugDumpIsShownAsPrinterData) {
    ctx.cfg.debugMsg = 1;
    Reply({0x00, 0x01, 0x05, 0x02, 0x02, 0x00, 0x03, 0x15, 0x03, 1, 2, 3, 0xFF, 0x00});
    LoadSettingsRecord(ctx);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].caption, "Printer data");
    // Index 21 has no 1, 2 or 4 length: only its two bytes are passed over, so the walk goes on
    // inside its value; after five entries a line break.
    const std::string expect = "Index 0(1) = 5\tIndex 2(2) = 3\tIndex 21(3) = FFFFFFFF\tIndex 1(2) = 3FF\t"
                               "Index 0(0) = FFFFFFFF\t\n";
    EXPECT_EQ(ui.Messages()[0].text.substr(0, expect.size()), expect);
    EXPECT_LE(ui.Messages()[0].text.size(), 4100u);
}

TEST(RecordBrand, ResidentFontCountIs68ForTheOemBrandOnly) {
    tavtest::FakeHome home;
    RecordingUiHost ui;
    AppContext ctx(ui);
    ctx.cfg.configFilePath = home.dir + "comtav.ini";
    const std::pair<const char*, uint32_t> cases[] = {
        {"[Common]\nSTRING=KALOR\n", 68}, {"[common]\nstring=KALOR\n", 68}, {"[Common]\nSTRING=kalor\n", 54},
        {"[Common]\nSTRING=KALOR2\n", 54}, {"[Common]\n", 54}};
    for (const auto& [ini, count] : cases) {
        home.Write("comtav.ini", ini);
        ctx.replyBuffer.fill(0);
        const uint8_t record[] = {0x00, 0x01, 0x01, 0xC6, 0x04, 0, 0, 0, 0, 0xFF, 0x00};
        std::copy(std::begin(record), std::end(record), ctx.replyBuffer.begin());
        EXPECT_TRUE(LoadSettingsRecord(ctx));
        EXPECT_EQ(ctx.store.reported.residentFontCount, count) << ini;
        EXPECT_EQ(ctx.store.edited.residentFontCount, count) << ini;
    }
}
