// The firmware transfer without a window: chunks, retries, the port hold, refusals and texts,
// through the real link bound to in-process entry points that script each write.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <utility>

#include "FakeDev.h"
#include "cli/FirmwareCommand.h"
#include "firmware/Firmware.h"
#include "link/DeviceLibrary.h"
#include "RecordingUiHost.h"

using namespace tav;

namespace {

// The printer side: what each DeviceWrite takes (-1 for all of it), and the port lock.
struct Printer {
    std::deque<long> takes;
    std::string received;
    std::vector<size_t> writeSizes;
    std::vector<int> depthAtWrite;
    int depth = 0;
    int acquires = 0;
    int refuseFromAcquire = 0;      // the n-th acquire and every later one fail; 0: never
    std::string truncateAfterWrite; // a file cut to 100 bytes by the first write
} g;

int Open(int, int, int, int, const char*) {
    return 1;
}
int Close(int) {
    return 1;
}
int Write(const void* data, uint32_t length, uint32_t* written) {
    g.writeSizes.push_back(length);
    g.depthAtWrite.push_back(g.depth);
    long take = length;
    if (!g.takes.empty()) {
        take = g.takes.front() < 0 ? length : std::min<long>(g.takes.front(), length);
        g.takes.pop_front();
    }
    g.received.append(static_cast<const char*>(data), static_cast<size_t>(take));
    if (!g.truncateAfterWrite.empty())
        std::filesystem::resize_file(std::exchange(g.truncateAfterWrite, ""), 100);
    *written = static_cast<uint32_t>(take);
    return 1;
}
int Acquire(int) {
    ++g.acquires;
    if (g.refuseFromAcquire && g.acquires >= g.refuseFromAcquire) return 0;
    ++g.depth;
    return 1;
}
int Release(int) {
    if (g.depth > 0) --g.depth;
    return 1;
}

std::string Pattern(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>((i * 7 + i / 4096) & 0xFF);
    return s;
}

class FirmwareTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g = Printer{};
        ui.Clear();
        ui.answers.clear();
        percents.clear();
        lines.clear();
        messageLines.clear();
        home.Write("comtav.ini", "[Common]\nDeviceID=tcp://printer\n");
        home.Write("lang.ini",
                   "[ABOUT]\nIDL_APPNAME_P=Panel\n"
                   "[COMMON]\nIDS_STRING102=Failed.\nIDS_STRING104=bytes sent.\n"
                   "IDS_STRING105=Programming.\nIDS_STRING106=Finished.\nIDS_STRING107=Busy.\n"
                   "[FWUP]\nIDS_BYTES=bytes\nIDS_CONFIRM=Send %1 (%2)?\nIDS_CANNOT_OPEN=Cannot open %1.\n"
                   "IDS_EMPTY_FILE=%1 is empty.\nIDS_PARTIAL=Only %1 of %2 bytes: keep it on.\n");
        ctx = std::make_unique<AppContext>(ui);
        ctx->cfg.programFolder = home.dir;
        ctx->cfg.configFilePath = home.dir + "comtav.ini";
        ctx->cfg.langFilePath = home.dir + "lang.ini";
        auto lib = std::make_shared<TableLibrary>();
        lib->Set("DeviceOpen", &Open);
        lib->Set("DeviceClose", &Close);
        lib->Set("DeviceWrite", &Write);
        lib->Set("PortAcquire", &Acquire);
        lib->Set("PortRelease", &Release);
        ctx->link.Bind(lib, lib);
        ctx->WireLink();
    }
    std::string File(const std::string& name, const std::string& bytes) {
        home.Write(name, bytes);
        return home.dir + name;
    }
    FirmwareOutcome Send(const std::string& path) {
        FirmwareObserver o;
        o.progress = [this](const FirmwareProgress& p) {
            percents.push_back(p.percent);
            lines.push_back(p.messageLine);
        };
        o.message = [this](const std::string& m) { messageLines.push_back(m); };
        o.confirm = confirm;
        return SendFirmware(*ctx, path, o);
    }
    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> out;
        for (const auto& m : ui.Messages())
            out.push_back(m.text);
        return out;
    }

    tavtest::FakeHome home;
    RecordingUiHost ui;
    std::unique_ptr<AppContext> ctx;
    std::function<bool(uint64_t)> confirm;
    std::vector<int> percents;
    std::vector<std::string> lines;
    std::vector<std::string> messageLines;
};

} // namespace

TEST_F(FirmwareTest, TheFileGoesDownUnchangedInChunksWhileThePortIsHeld) {
    struct Case {
        size_t size;
        std::vector<size_t> chunks;
        std::vector<int> percents;
    };
    const std::vector<Case> cases = {
        {8192, {4096, 4096}, {0, 50, 100}},
        {4097, {4096, 1}, {0, 99, 100}},
        {1, {1}, {0, 100}},
        {3 * 4096 + 5, {4096, 4096, 4096, 5}, {0, 33, 66, 99, 100}},
    };
    for (const Case& c : cases) {
        SetUp();
        const std::string bytes = Pattern(c.size);
        const FirmwareOutcome out = Send(File("fw.hd", bytes));
        EXPECT_EQ(out.result, FirmwareResult::Updated) << c.size;
        EXPECT_EQ(out.written, c.size);
        EXPECT_EQ(g.received, bytes) << c.size;
        EXPECT_EQ(g.writeSizes, c.chunks) << c.size;
        EXPECT_EQ(percents, c.percents) << c.size;
        EXPECT_EQ(lines.back(), std::to_string(c.size) + " bytes sent.");
        // Every chunk went out while the transfer held the port; it is free again at the end.
        for (int d : g.depthAtWrite)
            EXPECT_EQ(d, 1) << c.size;
        EXPECT_EQ(g.depth, 0);
        EXPECT_EQ(ui.Waits(), (std::vector<unsigned>{5000, 40000})) << c.size;
        EXPECT_EQ(messageLines, (std::vector<std::string>{"Programming."}));
        ASSERT_EQ(ui.Messages().size(), 1u);
        EXPECT_EQ(ui.Messages()[0].text, "Finished.");
        EXPECT_EQ(ui.Messages()[0].caption, "Panel");
        EXPECT_EQ(ui.Messages()[0].buttons, MsgButtons::Ok);
        EXPECT_EQ(ui.waitCursorDepth, 0);
    }
}

TEST_F(FirmwareTest, ShortWritesAreRetriedByTheRule) {
    struct Case {
        const char* what;
        std::deque<long> takes; // what each write takes, -1 all it was given
        FirmwareResult result;
        std::vector<unsigned> waits;
        std::vector<size_t> writes;
    };
    const std::vector<Case> cases = {
        {"completed on the second write",
         {1000, -1},
         FirmwareResult::Updated,
         {5000, 1000, 40000},
         {4096, 3096, 4096}},
        {"second takes nothing, third completes",
         {1000, 0, -1},
         FirmwareResult::Updated,
         {5000, 1000, 1000, 40000},
         {4096, 3096, 3096, 4096}},
        {"second short but not empty: no third",
         {1000, 96},
         FirmwareResult::Failed,
         {5000, 1000},
         {4096, 3096}},
        {"three writes that take nothing",
         {0, 0, 0},
         FirmwareResult::Failed,
         {5000, 1000, 1000},
         {4096, 4096, 4096}},
        {"second chunk fails after the first",
         {-1, 10, 0, 0},
         FirmwareResult::Failed,
         {5000, 1000, 1000},
         {4096, 4096, 4086, 4086}},
    };
    for (const Case& c : cases) {
        SetUp();
        g.takes = c.takes;
        const std::string bytes = Pattern(8192);
        const FirmwareOutcome out = Send(File("fw.hd", bytes));
        EXPECT_EQ(out.result, c.result) << c.what;
        EXPECT_EQ(ui.Waits(), c.waits) << c.what;
        EXPECT_EQ(g.writeSizes, c.writes) << c.what;
        EXPECT_EQ(g.received, bytes.substr(0, g.received.size()))
            << c.what; // never a byte twice or out of order
        EXPECT_EQ(out.written, g.received.size()) << c.what;
        EXPECT_EQ(g.depth, 0) << c.what;
        if (c.result == FirmwareResult::Updated) {
            EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Finished."})) << c.what;
            continue;
        }
        EXPECT_EQ(messageLines, (std::vector<std::string>{"Failed."})) << c.what;
        const std::vector<std::string> partial = {"Only " + std::to_string(g.received.size()) +
                                                  " of 8192 bytes: keep it on."};
        EXPECT_EQ(MessageTexts(), g.received.empty() ? std::vector<std::string>{} : partial) << c.what;
    }
}

TEST_F(FirmwareTest, NothingIsSentForAFileThatCannotBeSentOrAPortThatIsBusy) {
    const std::string empty = File("empty.hd", "");
    const std::string good = File("fw.hd", Pattern(100));
    struct Case {
        const char* what;
        std::string path;
        int refuseFromAcquire;
        bool decline;
        FirmwareResult result;
        std::vector<std::string> messages;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"empty", empty, 0, false, FirmwareResult::EmptyFile, {empty + " is empty."}, {}},
        {"missing",
         home.dir + "none.hd",
         0,
         false,
         FirmwareResult::CannotOpen,
         {"Cannot open " + home.dir + "none.hd."},
         {}},
        {"a folder", home.dir, 0, false, FirmwareResult::CannotOpen, {"Cannot open " + home.dir + "."}, {}},
        {"declined", good, 0, true, FirmwareResult::Declined, {}, {}},
        {"busy port", good, 1, false, FirmwareResult::PortBusy, {"Busy."}, {"Failed."}},
    };
    for (const Case& c : cases) {
        SetUp();
        g.refuseFromAcquire = c.refuseFromAcquire;
        confirm = [&c](uint64_t) { return !c.decline; };
        const FirmwareOutcome out = Send(c.path);
        EXPECT_EQ(out.result, c.result) << c.what;
        EXPECT_TRUE(g.writeSizes.empty()) << c.what;
        EXPECT_TRUE(ui.Waits().empty()) << c.what;
        EXPECT_EQ(MessageTexts(), c.messages) << c.what;
        EXPECT_EQ(messageLines, c.lines) << c.what;
        EXPECT_EQ(g.depth, 0) << c.what;
    }
}

TEST_F(FirmwareTest, ABusyPortInTheMiddleFailsTheChunkWithTheBusyMessage) {
    // The hold, then the first chunk's own acquire; the second chunk finds the port taken.
    g.refuseFromAcquire = 3;
    const FirmwareOutcome out = Send(File("fw.hd", Pattern(8192)));
    EXPECT_EQ(out.result, FirmwareResult::Failed);
    EXPECT_EQ(g.received.size(), 4096u);
    EXPECT_EQ(messageLines, (std::vector<std::string>{"Failed."}));
    const std::vector<std::string> texts = MessageTexts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts.front(), "Busy.");
    EXPECT_EQ(texts.back(), "Only 4096 of 8192 bytes: keep it on.");
}

TEST_F(FirmwareTest, AFileThatShrinksMeanwhileEndsTheUpdateAsFailed) {
    const std::string path = File("fw.hd", Pattern(3 * 4096));
    g.truncateAfterWrite = path;
    const FirmwareOutcome out = Send(path);
    EXPECT_EQ(out.result, FirmwareResult::Failed);
    // What the stream had read ahead may still go out; then the missing rest ends it.
    EXPECT_LT(out.written, 3u * 4096);
    EXPECT_EQ(out.written, g.received.size());
    EXPECT_EQ(messageLines, (std::vector<std::string>{"Failed."}));
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Only " + std::to_string(out.written) +
                                                        " of 12288 bytes: keep it on."}));
}

TEST_F(FirmwareTest, TheQuestionNamesTheFileAndItsSize) {
    const std::string path = File("fw.hd", Pattern(5000));
    ui.answers = {MsgResult::Yes};
    EXPECT_TRUE(ConfirmFirmwareUpdate(*ctx, path, 5000));
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Send " + path + " (5000 bytes)?");
    EXPECT_EQ(ui.Messages()[0].buttons, MsgButtons::YesNo);
    EXPECT_FALSE(ConfirmFirmwareUpdate(*ctx, path, 5000)); // unscripted: No
}

TEST(FirmwareTextTest, ValuesGoInOnceAndTextIsNeverAFormat) {
    EXPECT_EQ(FillLangText("%1 of %2", {"a%2", "b"}), "a%2 of b");
    EXPECT_EQ(FillLangText("%s %d %3 100%", {"x"}), "%s %d %3 100%");
    EXPECT_EQ(FillLangText("%", {"x"}), "%");
}

TEST(FirmwareTextTest, TheTerminalGetsOneLinePerTenth) {
    std::vector<std::string> out;
    int last = -1;
    for (uint64_t sent = 0; sent <= 1000; sent += 7) {
        FirmwareProgress p{sent, 1000, FirmwarePercent(sent, 1000), {}};
        if (auto line = cli::FirmwareProgressLine(p, last)) out.push_back(*line);
    }
    FirmwareProgress end{1000, 1000, 100, {}};
    if (auto line = cli::FirmwareProgressLine(end, last)) out.push_back(*line);
    ASSERT_EQ(out.size(), 10u);
    EXPECT_EQ(out.front(), "10 % (105 of 1000 bytes)");
    EXPECT_EQ(out.back(), "100 % (1000 of 1000 bytes)");
    // A jump straight to the end is one line.
    last = -1;
    EXPECT_EQ(*cli::FirmwareProgressLine(end, last), "100 % (1000 of 1000 bytes)");
    EXPECT_FALSE(cli::FirmwareProgressLine(end, last));
}
