#include "diagpanel/NuxPanel.h"
#include "diagpanel/SkinState.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace nux;

namespace {
struct FakeDevice {
    std::vector<std::string> writes;
    std::vector<std::uint32_t> controls;
    std::vector<std::uint8_t> reply;
    bool openOk = true;
    int reads = 0;
};
FakeDevice* g_fake = nullptr; // C entry points carry no context

int FakeOpen(int, int, int, int, const char*) { return g_fake->openOk ? 1 : 0; }
int FakeWrite(const void* d, uint32_t n, uint32_t* w) {
    g_fake->writes.emplace_back(static_cast<const char*>(d), n);
    *w = n;
    return 1;
}
int FakeRead(void* b, uint32_t cap, uint32_t* got) {
    ++g_fake->reads;
    const auto n = std::min<std::size_t>(cap, g_fake->reply.size());
    std::memcpy(b, g_fake->reply.data(), n);
    *got = static_cast<uint32_t>(n);
    return 1;
}
int FakeClose(int) { return 1; }
int FakeControl(uint32_t code, const void*, uint32_t, void*, uint32_t, uint32_t*) {
    g_fake->controls.push_back(code);
    return 1;
}

struct ScriptBoxes : NuxBoxes {
    bool answer = true;
    std::vector<std::string> shown;
    bool AskYesNo(const std::string&, const std::string& caption) override {
        shown.push_back("ask:" + caption);
        return answer;
    }
    void ShowMessage(const std::string& text, const std::string&) override { shown.push_back(text); }
};

struct PanelTest : ::testing::Test {
    FakeDevice fake;
    TableDeviceLibrary lib{NuxDeviceApi{FakeOpen, FakeWrite, FakeRead, FakeClose, FakeControl}};
    std::vector<std::string> trace;
    ScriptBoxes boxes;
    void SetUp() override { g_fake = &fake; }
    void TearDown() override { g_fake = nullptr; }
};
} // namespace

TEST_F(PanelTest, KeyPressSendsJobIssuesBothControlsAndShowsLines) {
    NuxDevice dev(lib, "tcp://127.0.0.1:1", [&](std::string_view t) { trace.emplace_back(t); });
    NuxPanel panel(NuxConfig{}, dev, boxes, [&](std::string_view t) { trace.emplace_back(t); });
    fake.reply.assign(33, ' ');
    std::memcpy(fake.reply.data() + 1, "ENGINE TEST     ", 16);
    std::memcpy(fake.reply.data() + 17, "FUSER", 5);
    fake.reply[22] = 0;
    ASSERT_TRUE(panel.PressKey(KeyCodeFor(1002)));
    ASSERT_EQ(fake.writes.size(), 1u);
    EXPECT_EQ(fake.writes[0], std::string("\x1b%-12345X@PJL\r\n@PJL ENGINE NUX_BUTTON=3\r\n\x1b%-12345X"));
    EXPECT_EQ(fake.controls, (std::vector<std::uint32_t>{0x182004u, 0x182014u}));
    EXPECT_EQ(panel.Line1(), "ENGINE TEST     ");
    EXPECT_EQ(panel.Line2(), "FUSER");
    EXPECT_EQ(lib.BindCount(), 2);
    EXPECT_EQ(lib.UnbindCount(), 2);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PanelTest, NoReplyShowsErrorAndKeepsOldLines) {
    NuxDevice dev(lib, "d", nullptr);
    NuxPanel panel(NuxConfig{}, dev, boxes, nullptr);
    fake.reply.clear();
    EXPECT_FALSE(panel.PressKey("1"));
    EXPECT_EQ(fake.reads, 2); // one immediate retry
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0], "Error sending command to the printer");
}

TEST_F(PanelTest, DebugNoSendsNothing) {
    NuxConfig cfg;
    cfg.debug = 1;
    NuxDevice dev(lib, "d", nullptr);
    NuxPanel panel(cfg, dev, boxes, nullptr);
    boxes.answer = false;
    EXPECT_TRUE(panel.PressKey("1"));
    EXPECT_TRUE(fake.writes.empty());
    EXPECT_EQ(fake.reads, 0);
    panel.EnterDiagnosticMode();
    EXPECT_TRUE(fake.writes.empty());
}

TEST_F(PanelTest, EnterModeJobAndWriteError) {
    NuxDevice dev(lib, "d", nullptr);
    NuxPanel panel(NuxConfig{}, dev, boxes, nullptr);
    panel.EnterDiagnosticMode();
    ASSERT_EQ(fake.writes.size(), 1u);
    EXPECT_EQ(fake.writes[0], std::string("\x1b%-12345X@PJL\r\n@PJL ENGINE NUX_MODE=True\r\n\x1b%-12345X"));
    EXPECT_TRUE(boxes.shown.empty());
    fake.openOk = false;
    panel.EnterDiagnosticMode();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0], "Write Error!!");
}

TEST(NuxProtocol, HexDumpRowsAndConfigHex) {
    std::vector<std::string> rows;
    const std::uint8_t data[9] = {0x41, 0, 0x7f, 0x20, 0x42, 0x43, 0x44, 0x45, 0x46};
    HexDump(data, 9, [&](std::string_view t) { rows.emplace_back(t); });
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], "0000: 41 00 7F 20 42 43 44 45 A.. BCDE\r\n");
    EXPECT_EQ(rows[1], "0x08: 46 00 00 00 00 00 00 00 F\r\n");
    EXPECT_EQ(ParsePrefixedHex("0x04e8"), 0x4e8u);
    EXPECT_EQ(ParsePrefixedHex("04e8"), 0xe8u); // no prefix: the first two digits are lost
    EXPECT_EQ(ParsePrefixedHex("0"), 0u);
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
    f.pressed = true;
    EXPECT_EQ(ChooseExitFrame(f), kFrameDisabled);
    EXPECT_TRUE(WantsWhiteText(128, 128, 128));
    EXPECT_FALSE(WantsWhiteText(128, 128, 129));
}
