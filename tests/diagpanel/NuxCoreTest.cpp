#include "diagpanel/NuxConfig.h"
#include "diagpanel/NuxPanel.h"
#include "diagpanel/SkinState.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <vector>
#include "RecordingUiHost.h"
#include "platform/WaitClock.h"

using namespace nux;
using tav::MsgResult;

namespace {
struct FakeDevice {
    std::vector<std::string> writes;
    std::vector<std::string> calls;
    std::vector<std::uint8_t> reply;
    bool openOk = true;
    std::uint32_t writeShortBy = 0;
    std::uint32_t claimExtra = 0; // a read that reports more than it was asked for
    int reads = 0;
    int replyOnRead = 1; // the read (1-based) that brings the reply
};
FakeDevice* g_fake = nullptr; // C entry points carry no context

int FakeOpen(int a, int b, int c, int d, const char* name) {
    g_fake->calls.push_back("open " + std::to_string(a) + std::to_string(b) + std::to_string(c) +
                            std::to_string(d) + " " + name);
    return g_fake->openOk ? 1 : 0;
}
int FakeWrite(const void* d, uint32_t n, uint32_t* w) {
    g_fake->calls.push_back("write");
    g_fake->writes.emplace_back(static_cast<const char*>(d), n);
    *w = n - std::min(n, g_fake->writeShortBy);
    return 1;
}
int FakeRead(void* b, uint32_t cap, uint32_t* got) {
    g_fake->calls.push_back("read " + std::to_string(cap));
    *got = 0;
    if (++g_fake->reads != g_fake->replyOnRead) return 0;
    const auto n = std::min<std::size_t>(cap, g_fake->reply.size());
    std::memcpy(b, g_fake->reply.data(), n);
    *got = static_cast<uint32_t>(n) + g_fake->claimExtra;
    return 1;
}
int FakeClose(int how) {
    g_fake->calls.push_back("close " + std::to_string(how));
    return 1;
}
int FakeControl(uint32_t code, const void* in, uint32_t inLength, void* out, uint32_t outLength, uint32_t*) {
    char text[64];
    std::snprintf(text, sizeof text, "control %#x %u/%u %s", code, static_cast<const std::uint8_t*>(in)[0],
                  inLength, out == nullptr && outLength == 0 ? "no-out" : "out");
    g_fake->calls.emplace_back(text);
    return 1;
}

std::vector<std::uint8_t> Reply(const char* line1, const char* line2) {
    std::vector<std::uint8_t> r(33, 0);
    r[0] = 0xAA; // not part of the display
    std::memcpy(r.data() + 1, line1, std::min<std::size_t>(16, std::strlen(line1)));
    std::memcpy(r.data() + 17, line2, std::min<std::size_t>(16, std::strlen(line2)));
    return r;
}

struct PanelTest : ::testing::Test {
    FakeDevice fake;
    TableDeviceLibrary lib{NuxDeviceApi{FakeOpen, FakeWrite, FakeRead, FakeClose, FakeControl}};
    std::vector<std::string> trace;
    tav::RecordingUiHost ui;
    NuxConfig config;
    DebugOut Sink() {
        return [this](std::string_view t) { trace.emplace_back(t); };
    }
    void SetUp() override {
        g_fake = &fake;
        config.deviceId = "tcp://127.0.0.1:9";
    }
    void TearDown() override { g_fake = nullptr; }
    bool Traced(const std::string& line) const {
        return std::find(trace.begin(), trace.end(), line) != trace.end();
    }
};

const std::string kKeyJob3 = std::string("\x1b%-12345X@PJL\r\n@PJL ENGINE NUX_BUTTON=3\r\n\x1b%-12345X");
} // namespace

TEST_F(PanelTest, KeyPressWritesJobThenReadsAfterBothControlsAndShowsLines) {
    NuxDevice dev(lib, config.deviceId, Sink());
    NuxPanel panel(config, dev, ui, Sink());
    fake.reply = Reply("ENGINE TEST     ", "FUSER");
    ASSERT_TRUE(panel.PressKey(KeyCodeFor(1002)));
    ASSERT_EQ(fake.writes.size(), 1u);
    EXPECT_EQ(fake.writes[0], kKeyJob3);
    const std::vector<std::string> expected = {"open 2400 tcp://127.0.0.1:9",
                                               "write",
                                               "close 4",
                                               "open 2400 tcp://127.0.0.1:9",
                                               "control 0x182004 16/1 no-out",
                                               "control 0x182014 0/1 no-out",
                                               "read 33",
                                               "close 4"};
    EXPECT_EQ(fake.calls, expected);
    EXPECT_EQ(panel.Line1(), "ENGINE TEST     ");
    EXPECT_EQ(panel.Line2(), "FUSER"); // ended early by the zero byte
    // The library is bound for the write and again for the read, and let go after each.
    EXPECT_EQ(lib.BindCount(), 2);
    EXPECT_EQ(lib.UnbindCount(), 2);
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_TRUE(Traced("[NUX] Write success"));
    EXPECT_TRUE(Traced("[NUX] <Read data-Befor return> Read data: 33"));
    EXPECT_TRUE(Traced("[NUX] g_strDisplay1 = ENGINE TEST     "));
    EXPECT_TRUE(Traced("[NUX] g_strDisplay2 = FUSER"));
    // The whole 33-byte reply is dumped, five rows, the last padded with 00.
    EXPECT_TRUE(Traced("0000: AA 45 4E 47 49 4E 45 20 .ENGINE \r\n"));
    EXPECT_TRUE(Traced("0x20: 00 00 00 00 00 00 00 00 .\r\n"));
    // Every key sends its own code.
    const char* codes[] = {"1", "2", "3", "4", "5"};
    for (int id = 1000; id <= 1004; ++id)
        EXPECT_EQ(KeyCodeFor(id), codes[id - 1000]);
    EXPECT_TRUE(KeyCodeFor(1005).empty());
    EXPECT_TRUE(KeyCodeFor(1).empty());
}

TEST_F(PanelTest, SilentPrinterReadsTwiceThenShowsErrorAndKeepsOldLines) {
    NuxDevice dev(lib, config.deviceId, Sink());
    NuxPanel panel(config, dev, ui, Sink());
    fake.reply = Reply("OLD LINE ONE", "OLD LINE TWO");
    ASSERT_TRUE(panel.PressKey("1"));
    fake.reads = 0;
    fake.replyOnRead = 99;
    EXPECT_FALSE(panel.PressKey("2"));
    EXPECT_EQ(fake.reads, 2); // one immediate retry
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Error sending command to the printer");
    EXPECT_EQ(ui.Messages()[0].caption, "NUX Mode");
    EXPECT_TRUE(Traced("[NUX] SendCommand() -Read Error"));

    // The next key first reads what is owed of the silent one's display (two reads: nothing
    // came), and only then writes; its own second read brings the reply, taken as the reply.
    fake.reads = 0;
    fake.replyOnRead = 4;
    fake.reply = Reply("SECOND", "READ");
    fake.calls.clear();
    EXPECT_TRUE(panel.PressKey("3"));
    EXPECT_EQ(panel.Line1(), "SECOND");
    EXPECT_EQ(fake.reads, 4);
    EXPECT_EQ(std::find(fake.calls.begin(), fake.calls.end(), "write") - fake.calls.begin(), 7);
}

namespace {
// Each key's display arrives byte by byte at set times on a clock the test keeps (the wait clock
// the reads' deadlines are measured on). A read waits on it as the device library's does: up to
// 0.7 s for a first byte, then until the line has been quiet 0.1 s. A job discards what came
// unread before it.
struct TimedLine : tav::WaitClock {
    uint64_t now = 0, delayMs = 0, pauseMs = 0; // the next display: how late, how far apart its pieces
    size_t piece = 33;
    int keys = 0;
    std::deque<std::pair<uint64_t, uint8_t>> coming; // arrival time, byte
    unsigned RealLength(unsigned) override { return 0; }
    uint64_t NowMs() override { return now; }
    uint32_t Read(uint8_t* dst, uint32_t capacity) {
        if (coming.empty() || coming[0].first > now + 700) return now += 700, 0;
        uint32_t n = 0;
        for (now = std::max(now, coming[0].first); n < capacity && !coming.empty() && coming[0].first <= now + 100;
             coming.pop_front())
            now = std::max(now, coming[0].first), dst[n++] = coming[0].second;
        return n;
    }
    void Key() {
        while (!coming.empty() && coming[0].first <= now) coming.pop_front();
        const std::string display = std::string("\x01") + "DISPLAY OF KEY " + std::to_string(++keys) + std::string(16, '\0');
        for (size_t i = 0; i < 33; ++i)
            coming.emplace_back(now + delayMs + (i / piece) * pauseMs, static_cast<uint8_t>(display[i]));
        delayMs = pauseMs = 0, piece = 33;
    }
};
TimedLine* g_line = nullptr;
int LineOpen(int, int, int, int, const char*) { return 1; }
int LineWrite(const void*, uint32_t n, uint32_t* w) { return g_line->Key(), *w = n, 1; }
int LineRead(void* b, uint32_t cap, uint32_t* got) { return (*got = g_line->Read(static_cast<uint8_t*>(b), cap)) > 0; }
int LineClose(int) { return 1; }
int LineControl(uint32_t, const void*, uint32_t, void*, uint32_t, uint32_t*) { return 1; }
} // namespace

// A display that comes after its key's reads gave up (1.8 s against reads of 0.7 s) belongs to
// that key: the next key, pressed at once, drops it and shows its own. One in pieces further
// apart than the quiet time (8 bytes every 0.3 s) is read whole.
TEST(NuxLateReply, EachKeyShowsItsOwnDisplayWhateverCameLate) {
    for (const bool late : {true, false}) {
        TimedLine line;
        g_line = &line;
        tav::UseWaitClock(&line);
        TableDeviceLibrary lib{NuxDeviceApi{LineOpen, LineWrite, LineRead, LineClose, LineControl}};
        tav::RecordingUiHost ui;
        NuxDevice dev(lib, "tcp://127.0.0.1:9", {});
        NuxPanel panel(NuxConfig{}, dev, ui, {});
        line.delayMs = late ? 1800 : 0, line.pauseMs = late ? 0 : 300, line.piece = late ? 33 : 8;
        EXPECT_EQ(panel.PressKey("1"), !late);
        EXPECT_EQ(panel.Line1(), late ? "" : "DISPLAY OF KEY 1");
        for (const char* key : {"2", "3"}) {
            EXPECT_TRUE(panel.PressKey(key));
            EXPECT_EQ(panel.Line1(), std::string("DISPLAY OF KEY ") + key);
        }
        tav::UseWaitClock(nullptr);
    }
}

TEST_F(PanelTest, OverlongReadShortWriteAndClosedDeviceFail) {
    NuxDevice dev(lib, config.deviceId, Sink());
    NuxPanel panel(config, dev, ui, Sink());
    fake.reply = Reply("X", "Y");
    fake.claimExtra = 1; // 34 bytes claimed for 33 asked
    EXPECT_FALSE(panel.PressKey("1"));
    EXPECT_TRUE(Traced("[NUX] <Read data-Befor return> Read data: 34"));
    EXPECT_EQ(fake.reads, 1); // a non-zero count is not retried, but it is no reply
    fake.claimExtra = 0;

    fake.writeShortBy = 1;
    fake.reads = 0;
    EXPECT_FALSE(panel.PressKey("1"));
    EXPECT_TRUE(Traced("[NUX] SendCommand() -Write Error"));
    // The last key's display, owed, is read and dropped before the write; after a failed write
    // nothing is read without debug.
    EXPECT_EQ(fake.reads, 1);
    EXPECT_TRUE(Traced("[NUX] dropped 33 bytes of the last key's late reply"));
    fake.writeShortBy = 0;

    fake.openOk = false;
    fake.calls.clear();
    EXPECT_FALSE(panel.PressKey("1"));
    EXPECT_EQ(fake.calls,
              std::vector<std::string>{"open 2400 tcp://127.0.0.1:9"}); // no close without an open
    lib.SetAvailable(false);
    EXPECT_FALSE(panel.PressKey("1"));
    EXPECT_EQ(ui.Messages().size(), 4u);
    EXPECT_EQ(lib.BindCount(), lib.UnbindCount());
}

TEST_F(PanelTest, DebugConfirmsEachJobAndShowsClearedLinesOnFailure) {
    config.debug = 1;
    NuxDevice dev(lib, config.deviceId, Sink());
    NuxPanel panel(config, dev, ui, Sink());

    // No to the enter-mode job: nothing goes out.
    ui.answers = {MsgResult::No};
    panel.EnterDiagnosticMode();
    EXPECT_TRUE(fake.writes.empty());
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].caption, "PJL Data");
    EXPECT_EQ(ui.Messages()[0].text, BuildEnterModeJob());
    EXPECT_EQ(ui.Messages()[0].buttons, tav::MsgButtons::YesNo);

    // Yes: sent, and success is confirmed.
    ui.Clear();
    ui.answers = {MsgResult::Yes};
    panel.EnterDiagnosticMode();
    EXPECT_EQ(fake.writes.size(), 1u);
    ASSERT_EQ(ui.Messages().size(), 2u);
    EXPECT_EQ(ui.Messages()[1].text, "Write Success!!");
    EXPECT_EQ(ui.Messages()[1].caption, "Fuser Setting");

    // A key answered Yes traces the job length; its reply is shown.
    fake.reply = Reply("PREVIOUS", "REPLY");
    ui.Clear();
    ui.answers = {MsgResult::Yes};
    EXPECT_TRUE(panel.PressKey("3"));
    EXPECT_TRUE(Traced("[NUX] SendPJL() - count = " + std::to_string(kKeyJob3.size()) + "\n"));
    EXPECT_EQ(ui.Messages()[0].text, kKeyJob3);

    // No to a key: nothing sent or read, and the previous reply's lines are shown again.
    fake.writes.clear();
    fake.reads = 0;
    ui.answers = {MsgResult::No};
    EXPECT_TRUE(panel.PressKey("1"));
    EXPECT_TRUE(fake.writes.empty());
    EXPECT_EQ(fake.reads, 0);
    EXPECT_EQ(panel.Line1(), "PREVIOUS");

    // A failed write does not stop the read; a failed read shows the cleared lines, no error box.
    ui.Clear();
    fake.writeShortBy = 5;
    fake.replyOnRead = 99;
    ui.answers = {MsgResult::Yes};
    EXPECT_TRUE(panel.PressKey("1"));
    EXPECT_EQ(fake.reads, 2);
    EXPECT_EQ(panel.Line1(), "");
    EXPECT_EQ(panel.Line2(), "");
    EXPECT_EQ(ui.Messages().size(), 1u); // only the question

    // A failed enter-mode write is reported with or without debug.
    ui.Clear();
    ui.answers = {MsgResult::Yes};
    fake.openOk = false;
    panel.EnterDiagnosticMode();
    ASSERT_EQ(ui.Messages().size(), 2u);
    EXPECT_EQ(ui.Messages()[1].text, "Write Error!!");
}

TEST_F(PanelTest, EnterModeJobIsExactAndReadsNothing) {
    NuxDevice dev(lib, config.deviceId, nullptr);
    NuxPanel panel(config, dev, ui, nullptr);
    panel.EnterDiagnosticMode();
    ASSERT_EQ(fake.writes.size(), 1u);
    EXPECT_EQ(fake.writes[0], std::string("\x1b%-12345X@PJL\r\n@PJL ENGINE NUX_MODE=True\r\n\x1b%-12345X"));
    EXPECT_EQ(fake.reads, 0);
    EXPECT_TRUE(ui.Messages().empty()); // success is silent without debug
    fake.openOk = false;
    panel.EnterDiagnosticMode();
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Write Error!!");
    EXPECT_EQ(ui.Messages()[0].caption, "Fuser Setting");
}

TEST(NuxProtocol, HexDumpRowsSplitAndConfigHex) {
    std::vector<std::string> rows;
    const std::uint8_t data[9] = {0x41, 0, 0x7f, 0x20, 0x42, 0x43, 0x44, 0x45, 0x46};
    HexDump(data, 9, [&](std::string_view t) { rows.emplace_back(t); });
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], "0000: 41 00 7F 20 42 43 44 45 A.. BCDE\r\n");
    EXPECT_EQ(rows[1], "0x08: 46 00 00 00 00 00 00 00 F\r\n");

    // Only the bytes received count; a full line has no terminator of its own.
    std::vector<std::uint8_t> r = Reply("ABCDEFGHIJKLMNOP", "QRSTUVWXYZ012345");
    DisplayLines l = SplitDisplayReply(r.data(), r.size());
    EXPECT_EQ(l.line1, "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(l.line2, "QRSTUVWXYZ012345");
    l = SplitDisplayReply(r.data(), 20);
    EXPECT_EQ(l.line2, "QRS");
    l = SplitDisplayReply(r.data(), 0);
    EXPECT_EQ(l.line1, "");

    EXPECT_EQ(ParsePrefixedHex("0x04e8"), 0x4e8u);
    EXPECT_EQ(ParsePrefixedHex("0X3F0C"), 0x3f0cu);
    EXPECT_EQ(ParsePrefixedHex("04e8"), 0xe8u); // no prefix: the first two digits are lost
    EXPECT_EQ(ParsePrefixedHex("0x"), 0u);
    EXPECT_EQ(ParsePrefixedHex("0xzz"), 0u);
    EXPECT_EQ(ParsePrefixedHex("0"), 0u);
}

TEST(NuxConfig, ReadsItsSectionsAndTracesThem) {
    char tmpl[] = "/tmp/nuxcfg-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const std::string dir = std::string(tmpl) + "/";
    const std::string file = dir + "comtav.ini";

    NuxConfig none = ReadNuxConfig(dir); // no file at all
    EXPECT_EQ(none.vid, 0);
    EXPECT_EQ(none.deviceId, "");
    EXPECT_EQ(none.debug, 0);

    std::ofstream(file) << "[device]\nVid=0x04E8\npid = 3f0c\n"
                        << "DID=tcp://printer.office.example:9100\n"
                        << "[Debug]\ndebug=2\n";
    chmod(file.c_str(), 0444);
    NuxConfig c = ReadNuxConfig(dir);
    EXPECT_EQ(c.vid, 0x04e8);
    EXPECT_EQ(c.pid, 0x0c); // "3f0c" has no prefix: "3f" is skipped
    EXPECT_EQ(c.deviceId, "tcp://printer.office.example:9100"); // past 31 characters, kept whole
    EXPECT_EQ(c.debug, 2);
    EXPECT_EQ(FormatConfigTrace(c), "[NUX] vid : 4e8, pid : c, Did : tcp://printer.office.example:9100");
    struct stat st;
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IWUSR); // the read-only flag is gone

    // Only 16 bits are traced.
    std::ofstream(file) << "[DEVICE]\nVID=0x12345\nPID=0x\n";
    c = ReadNuxConfig(dir);
    EXPECT_EQ(FormatConfigTrace(c), "[NUX] vid : 2345, pid : 0, Did : ");
    std::filesystem::remove_all(dir);
}

TEST(SkinState, FrameChoiceAndTextRule) {
    SkinButtonFlags f;
    EXPECT_EQ(ChooseKeyFrame(f), kFrameNormal);
    f.focused = true;
    EXPECT_EQ(ChooseKeyFrame(f), kFrameNormal);
    EXPECT_EQ(ChooseExitFrame(f), kFrameHover);
    f.mouseOver = true;
    EXPECT_EQ(ChooseKeyFrame(f), kFrameHover);
    f.pressed = true;
    EXPECT_EQ(ChooseKeyFrame(f), kFramePressed);
    f = {};
    f.enabled = false;
    EXPECT_EQ(ChooseKeyFrame(f), kFrameDisabled);
    f.mouseOver = true;
    EXPECT_EQ(ChooseKeyFrame(f), kFrameHover); // hover wins over disabled on a key
    EXPECT_EQ(ChooseExitFrame(f), kFrameDisabled);
    f.pressed = true;
    EXPECT_EQ(ChooseExitFrame(f), kFrameDisabled);
    EXPECT_TRUE(WantsWhiteText(128, 128, 128));
    EXPECT_FALSE(WantsWhiteText(128, 128, 129));
}
