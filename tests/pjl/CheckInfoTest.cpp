#include <gtest/gtest.h>

#include "FakeDev.h"
#include "pjl/CheckInfo.h"
#include "RecordingUiHost.h"

using namespace tav;

namespace {
void Reply(AppContext& ctx, std::initializer_list<uint8_t> bytes) {
    ctx.replyBuffer.fill(0);
    std::copy(bytes.begin(), bytes.end(), ctx.replyBuffer.begin());
}
}  // namespace

TEST(CheckInfo, OneItemFillsItsSlotOnly) {
    RecordingUiHost ui;
    AppContext ctx(ui);
    CheckInfo info;
    info[3] = "stale";
    Reply(ctx, {0x00, 0x00, 23, 3, '1', '2', '3', 255, 0});
    ParseCheckInfo(ctx, info);
    EXPECT_EQ(info[9], "123");
    for (size_t i = 0; i < info.size(); ++i)
        if (i != 9) {
            EXPECT_TRUE(info[i].empty()) << i;
        }
}

TEST(CheckInfo, UnknownTypesZeroBytesAndEndMarks) {
    RecordingUiHost ui;
    AppContext ctx(ui);
    CheckInfo info;
    // type 5 skipped with its 4 bytes; a zero inside a text stops the copy but not the walk;
    // a repeated type 1 after byte 8 ends the list.
    Reply(ctx, {0x00, 0x00, 1, 2, 'O', 'K', 5, 4, 'x', 'x', 'x', 'x', 24, 4, '4', 0, '9', '9', 48, 2, '7', '5', 1, 1,
                'Z', 49, 1, 'N'});
    ParseCheckInfo(ctx, info);
    EXPECT_EQ(info[0], "OK");
    EXPECT_EQ(info[10], "4");
    EXPECT_EQ(info[28], "75");
    EXPECT_TRUE(info[29].empty());
    // Every known type reaches a distinct slot.
    std::array<int, kCheckInfoSlots> seen{};
    for (unsigned t = 0; t < 256; ++t)
        if (int s = CheckInfoSlot(t); s >= 0) {
            ++seen[static_cast<size_t>(s)];
        }
    for (int n : seen) EXPECT_EQ(n, 1);
    EXPECT_EQ(CheckInfoSlot(26), 13);
    EXPECT_EQ(CheckInfoSlot(43), 27);
    EXPECT_EQ(CheckInfoSlot(32), -1);
}

TEST(CheckInfo, WalkStopsAtTheBufferEnd) {
    RecordingUiHost ui;
    AppContext ctx(ui);
    CheckInfo info;
    ctx.replyBuffer.fill(23);  // type 23, length 23, forever
    ParseCheckInfo(ctx, info);
    EXPECT_LE(info[9].size(), 23u);
}

TEST(CheckInfo, QueryJobAndWait) {
    tavtest::FakeHome home;
    home.Write("comtav.ini", "[Common]\n");
    RecordingUiHost ui;
    AppContext ctx(ui);
    ctx.cfg.configFilePath = home.dir + "comtav.ini";
    ASSERT_TRUE(ctx.link.Bind(false, home.dir));
    tavtest::FakeDev dev(home.dir + "libqvdevm.so");
    EXPECT_EQ(GetCheckInfo(ctx), 0);  // no reply
    dev.Reset();
    dev.QueueRead(std::string("\x00\x00\x17\x01\x35\xff\x00", 7));
    EXPECT_EQ(GetCheckInfo(ctx), 1);
    EXPECT_EQ(tavtest::Bytes(dev.Written()), "\x1b%-12345X@PJL\r\n@PJL INFO INFORMATION=ALL\r\n\x1b%-12345X");
    ParseCheckInfo(ctx);
    EXPECT_EQ(ctx.checkInfo[9], "5");
    // A failed query leaves the context's slots as they were.
    dev.Set("open", 0);
    EXPECT_EQ(GetCheckInfo(ctx), 0);
    EXPECT_EQ(ctx.checkInfo[9], "5");
}
