// The fixed jobs and listings, byte for byte, through the stand-in device library.
#include <gtest/gtest.h>

#include <memory>

#include "FakeDev.h"
#include "pjl/Pjl.h"
#include "RecordingUiHost.h"

using namespace tav;
using tavtest::Bytes;
using tavtest::FakeDev;

namespace {
const std::string kUel = "\x1b%-12345X";

class CountingMonitor : public PortMonitor {
public:
    void Notify(bool resume) override { (resume ? resumes : pauses)++; }
    int pauses = 0, resumes = 0;
};

class QueriesTest : public ::testing::Test {
protected:
    void SetUp() override {
        home.Write("comtav.ini", "[Common]\nDeviceID=s\n");
        ctx.cfg.configFilePath = home.dir + "comtav.ini";
        ASSERT_TRUE(ctx.link.Bind(false, home.dir));
        dev = std::make_unique<FakeDev>(home.dir + "libqvdevm.so");
        ctx.portMonitor = &monitor;
    }
    tavtest::FakeHome home;
    RecordingUiHost ui;
    AppContext ctx{ui};
    CountingMonitor monitor;
    std::unique_ptr<FakeDev> dev;
};

std::vector<uint8_t> FontRecord(uint8_t number, uint16_t id, const char* name, const char* symset) {
    std::vector<uint8_t> r(26, 0);
    r[0] = number;
    r[1] = static_cast<uint8_t>(id >> 8);
    r[2] = static_cast<uint8_t>(id);
    for (int i = 0; i < 20 && name[i]; ++i) r[3 + i] = static_cast<uint8_t>(name[i]);
    for (int i = 0; i < 3; ++i) r[23 + i] = static_cast<uint8_t>(symset[i]);
    return r;
}

void Put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int s = 24; s >= 0; s -= 8) v.push_back(static_cast<uint8_t>(x >> s));
}
}  // namespace

TEST_F(QueriesTest, SettingsQueryIsThe49ByteJobThenWaitAndRead) {
    ctx.cfg.readDelay = 300;
    ctx.replyBuffer.fill(0xAA);
    dev->QueueRead(std::string("\x00\x01\x05", 3));
    EXPECT_EQ(QueryPrinterSettings(ctx), 1);
    const std::string job = Bytes(dev->Written());
    EXPECT_EQ(job, kUel + "@PJL\r\n@PJL INFO PRINTER = ALL\r\n" + kUel);
    EXPECT_EQ(job.size(), 49u);
    EXPECT_EQ(ui.Waits(), (std::vector<unsigned>{2000, 300}));
    // Cleared before the read: a short reply is followed by zeros.
    EXPECT_EQ(ctx.replyBuffer[2], 5);
    EXPECT_EQ(ctx.replyBuffer[3], 0);
    EXPECT_EQ(ctx.replyBuffer[4095], 0);
    EXPECT_EQ(monitor.pauses, 1);
    EXPECT_EQ(monitor.resumes, 1);
}

TEST_F(QueriesTest, MonitorIsResumedOnEveryFailedPath) {
    EXPECT_EQ(QueryPrinterSettings(ctx), 0);  // no reply
    dev->Set("open", 0);
    EXPECT_EQ(QueryPrinterSettings(ctx), 0);  // write fails
    EXPECT_EQ(InitializePrinter(ctx), 0);
    EXPECT_FALSE(SendTestPrint(ctx, "CONFIG").has_value());
    EXPECT_EQ(monitor.pauses, 4);
    EXPECT_EQ(monitor.resumes, 4);
    dev->Set("acquire", 0);
    EXPECT_EQ(QueryPrinterSettings(ctx), 0);
    EXPECT_EQ(monitor.pauses, monitor.resumes);
}

TEST_F(QueriesTest, DefaultInitialisesAndAsksForTheRecord) {
    dev->QueueRead(std::string("\x01\x02\x03", 3));
    EXPECT_EQ(InitializePrinter(ctx), 1);
    EXPECT_EQ(Bytes(dev->Written()), kUel + "@PJL\r\n@PJL INITIALIZE\r\n@PJL INFO PRINTER = ALL\r\n" + kUel);
    EXPECT_EQ(ui.Waits(), std::vector<unsigned>{4000});
}

TEST_F(QueriesTest, TestPrintBytesAndItsWait) {
    auto name = SendTestPrint(ctx, "CONFIG");
    ASSERT_TRUE(name.has_value());
    EXPECT_EQ(*name, "CONFIG");
    EXPECT_EQ(Bytes(dev->Written()), kUel + "@PJL\r\n@PJL TEST PRINT = CONFIG\r\n" + kUel);
    EXPECT_EQ(ui.Waits(), std::vector<unsigned>{1000});
}

TEST_F(QueriesTest, FontListingInTwoPiecesIsJoined) {
    std::vector<uint8_t> all = {0, 2};
    auto a = FontRecord(54, 0x1234, "Garamond Bold", "10U");
    auto b = FontRecord(55, 0x0102, "Univers", "19U");
    all.insert(all.end(), a.begin(), a.end());
    all.insert(all.end(), b.begin(), b.end());
    dev->QueueRead(std::vector<uint8_t>(all.begin(), all.begin() + 20));
    dev->QueueRead(std::vector<uint8_t>(all.begin() + 20, all.end()));
    EXPECT_EQ(QueryFontInfo(ctx), 1);
    EXPECT_EQ(Bytes(dev->Written()), kUel + "@PJL\r\n@PJL FSFONTINFO\r\n" + kUel);
    EXPECT_EQ(ui.Waits(), (std::vector<unsigned>{1000, 500}));
    EXPECT_EQ(monitor.pauses, 0);  // listings send no notice
    ASSERT_TRUE(ctx.store.edited.fontList);
    ASSERT_EQ(ctx.store.edited.fontList->size(), 2u);
    EXPECT_EQ(ctx.store.edited.flashFontCount, 2u);
    const FlashFontEntry& e = (*ctx.store.edited.fontList)[0];
    EXPECT_EQ(e.fontNumber, 54);
    EXPECT_EQ(e.fontId, 0x1234);
    EXPECT_STREQ(e.typeface, "Garamond Bold");
    EXPECT_STREQ(e.symbolSet, "10U");
    EXPECT_STREQ((*ctx.store.edited.fontList)[1].typeface, "Univers");
}

TEST_F(QueriesTest, FontListingNeverReadsPastTheReplyBuffer) {
    // 200 fonts announced: only the 157 records that lie wholly in 4096 bytes are taken.
    std::vector<uint8_t> all = {0, 200};
    for (int i = 0; i < 200; ++i) {
        auto r = FontRecord(static_cast<uint8_t>(i), static_cast<uint16_t>(i), "Font", "8U ");
        all.insert(all.end(), r.begin(), r.end());
    }
    dev->QueueRead(std::vector<uint8_t>(all.begin(), all.begin() + 4096));
    EXPECT_EQ(QueryFontInfo(ctx), 1);
    ASSERT_TRUE(ctx.store.edited.fontList);
    EXPECT_EQ(ctx.store.edited.fontList->size(), 157u);
    EXPECT_EQ(ctx.store.edited.fontList->back().fontNumber, 156);
    EXPECT_EQ(ui.Waits(), std::vector<unsigned>{1000});  // a full buffer asks for no more
}

TEST_F(QueriesTest, FontListingShortOrEmpty) {
    dev->QueueRead(std::string("\x00", 1));
    EXPECT_EQ(QueryFontInfo(ctx), 0);
    auto before = std::make_shared<std::vector<FlashFontEntry>>(1);
    ctx.store.edited.fontList = before;
    dev->QueueRead(std::string("\x00\x00", 2));
    EXPECT_EQ(QueryFontInfo(ctx), 1);
    EXPECT_EQ(ctx.store.edited.fontList, before);  // a count of 0 leaves the list as it was
    EXPECT_EQ(ctx.store.edited.flashFontCount, 0u);
    dev->Set("writeShort", 1);
    EXPECT_EQ(QueryFontInfo(ctx), 0);
}

TEST_F(QueriesTest, FormListingRecords) {
    std::vector<uint8_t> r;
    Put32(r, 2);
    Put32(r, 4 + 6);
    Put32(r, 0x00012345);
    for (char c : std::string("Letter")) r.push_back(static_cast<uint8_t>(c));
    Put32(r, 4 + 3);
    Put32(r, 77);
    for (char c : std::string("Inv")) r.push_back(static_cast<uint8_t>(c));
    dev->QueueRead(r);
    EXPECT_EQ(QueryFormInfo(ctx), 1);
    EXPECT_EQ(Bytes(dev->Written()), kUel + "@PJL\r\n@PJL FSPSFORMINFO\r\n" + kUel);
    EXPECT_EQ(ui.Waits(), std::vector<unsigned>{2000});
    EXPECT_EQ(ctx.store.edited.formCount, 2u);
    ASSERT_EQ(ctx.store.formList.size(), 2u);
    EXPECT_STREQ(ctx.store.formList[0].name, "Letter");
    EXPECT_EQ(ctx.store.formList[0].size, 0x12345u);
    EXPECT_STREQ(ctx.store.formList[1].name, "Inv");
    EXPECT_EQ(ctx.store.formList[1].size, 77u);
}

TEST_F(QueriesTest, SixtyFiveFormsFailAndKeepThePreviousCount) {
    ctx.store.edited.formCount = 3;
    std::vector<uint8_t> r;
    Put32(r, 65);
    Put32(r, 0);
    dev->QueueRead(r);
    EXPECT_EQ(QueryFormInfo(ctx), 0);
    EXPECT_EQ(ctx.store.edited.formCount, 3u);
    dev->QueueRead(std::string("\x00\x00\x01", 3));
    EXPECT_EQ(QueryFormInfo(ctx), 0);  // three bytes are not a listing
    EXPECT_EQ(ctx.store.edited.formCount, 3u);
}

// Names fill the 64-byte field at most; a longer one ends the listing, and only the forms that
// arrived whole are kept, with the count to match.
TEST_F(QueriesTest, FormNamesUpToTheirFieldAndOnlyWholeRecords) {
    std::vector<uint8_t> r;
    Put32(r, 4);
    Put32(r, 4 + 2);
    Put32(r, 10);
    r.push_back('A');
    r.push_back('4');
    Put32(r, 4 + 64);  // fills the field exactly
    Put32(r, 30);
    r.insert(r.end(), 64, 'y');
    Put32(r, 4 + 80);  // 80-byte name: cannot fit the field
    Put32(r, 20);
    r.insert(r.end(), 80, 'x');
    dev->QueueRead(r);
    ListingShape shape;
    EXPECT_EQ(QueryFormInfo(ctx, &shape), 1);
    EXPECT_EQ(shape.promised, 4u);
    EXPECT_EQ(shape.taken, 2u);
    ASSERT_EQ(ctx.store.formList.size(), 2u);
    EXPECT_EQ(ctx.store.edited.formCount, 2u);
    EXPECT_EQ(ctx.store.formList[0].Name(), "A4");
    EXPECT_EQ(ctx.store.formList[1].Name(), std::string(64, 'y'));
    EXPECT_EQ(ctx.store.formList[1].size, 30u);

    // A listing cut short inside its second record.
    std::vector<uint8_t> cut;
    Put32(cut, 3);
    Put32(cut, 4 + 5);
    Put32(cut, 7);
    for (char c : std::string("Memo1")) cut.push_back(static_cast<uint8_t>(c));
    Put32(cut, 4 + 5);
    Put32(cut, 8);
    cut.push_back('M');
    dev->QueueRead(cut);
    EXPECT_EQ(QueryFormInfo(ctx, &shape), 1);
    EXPECT_FALSE(shape.Complete());
    ASSERT_EQ(ctx.store.formList.size(), 1u);
    EXPECT_EQ(ctx.store.edited.formCount, 1u);
    EXPECT_EQ(ctx.store.formList[0].Name(), "Memo1");

    // A negative count is an empty list, not a huge one.
    std::vector<uint8_t> neg;
    Put32(neg, 0xFFFFFFFFu);
    dev->QueueRead(neg);
    EXPECT_EQ(QueryFormInfo(ctx, &shape), 1);
    EXPECT_TRUE(shape.Complete());
    EXPECT_EQ(ctx.store.edited.formCount, 0u);
    EXPECT_TRUE(ctx.store.formList.empty());
}

TEST(HexDump, RowsOfEightWithPrintableText) {
    const uint8_t data[] = {'A', 'B', 0x00, 0x1B, 'z', '~', 0x7F, 0xFF, 'Q', '%'};
    auto rows = HexDumpRows(data, sizeof data);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], "0000: 41 42 00 1B 7A 7E 7F FF AB..z~..\r\n");
    EXPECT_EQ(rows[1], "0x08: 51 25 00 00 00 00 00 00 Q%\r\n");
}

TEST(Framing, JobsThatDoNotFitAreNotComposed) {
    JobBuffer job;
    std::string huge(5000, 'x');
    EXPECT_EQ(ComposeJob(job, {huge}), 0u);
    std::vector<std::string> lines = {"@PJL DEFAULT COPIES = 2", "@PJL INFO PRINTER = ALL"};
    size_t n = ComposeJobLines(job, lines);
    EXPECT_EQ(std::string(job.data(), n),
              kUel + "@PJL\r\n@PJL DEFAULT COPIES = 2\r\n@PJL INFO PRINTER = ALL\r\n" + kUel);
}
