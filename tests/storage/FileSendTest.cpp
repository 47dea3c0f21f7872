// The whole-file transfer: exact bytes, chunking, the retry rules and every refusal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <unistd.h>

#include "ScriptedDevice.h"
#include "storage/FileSend.h"
#include "RecordingUiHost.h"

using namespace tav;
using tavtest::Pattern;
using tavtest::ScriptedDevice;
using tavtest::TempFile;

namespace {
const std::string kUel = "\x1b%-12345X";

struct SendFixture : ::testing::Test {
    void SetUp() override { dev.Bind(ctx); }
    SendResult Send(const std::string& path, const std::string& header,
                    std::optional<std::string_view> trailer = std::nullopt) {
        SendObserver o;
        o.onSize = [this](uint64_t size) { sizes.push_back(size); };
        o.onChunk = [this](uint64_t sent, uint64_t, int percent) { progress.emplace_back(sent, percent); };
        o.onComplete = [this] { completed = true; };
        return SendFile(ctx, path, header, trailer, o);
    }
    ScriptedDevice dev;
    RecordingUiHost ui;
    AppContext ctx{ui};
    std::vector<uint64_t> sizes;
    std::vector<std::pair<uint64_t, int>> progress;
    bool completed = false;
};
} // namespace

TEST_F(SendFixture, FilesOfEdgeSizesGoOutInWholeChunks) {
    struct Case {
        size_t size;
        std::vector<uint32_t> chunkWrites;
        std::vector<std::pair<uint64_t, int>> progress;
    };
    const Case cases[] = {
        {0, {}, {}},
        {1, {1}, {{1, 100}}},
        {4096, {4096}, {{4096, 100}}},
        {4097, {4096, 1}, {{4096, 99}, {4097, 100}}},
        {10000, {4096, 4096, 1808}, {{4096, 40}, {8192, 81}, {10000, 100}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        dev.taken.clear();
        dev.writeCalls.clear();
        progress.clear();
        sizes.clear();
        ui.Clear();
        completed = false;
        const std::string data = Pattern(c.size);
        TempFile file(data);
        const SendResult r = Send(file.path, "HDR");
        EXPECT_EQ(r.status, SendStatus::Complete);
        EXPECT_EQ(r.sent, c.size);
        EXPECT_EQ(dev.taken, "HDR" + data + kUel);
        std::vector<uint32_t> calls = {3};
        calls.insert(calls.end(), c.chunkWrites.begin(), c.chunkWrites.end());
        calls.push_back(9);
        EXPECT_EQ(dev.writeCalls, calls);
        EXPECT_EQ(progress, c.progress);
        EXPECT_EQ(sizes, std::vector<uint64_t>{c.size});
        EXPECT_TRUE(completed);
        EXPECT_EQ(ui.Waits(), std::vector<unsigned>{kSendSettleWaitMs});
        EXPECT_EQ(ui.waitCursorDepth, 0);
    }
}

TEST_F(SendFixture, ShortChunkIsContinuedWhereItStopped) {
    const std::string data = Pattern(5000);
    TempFile file(data);
    // Header whole; first chunk 1000 then the rest on the second attempt; second chunk on the third.
    dev.accept = {-1, 1000, -1, 0, 100, -1, -1};
    const SendResult r = Send(file.path, "H", MacroDownloadTrailer());
    EXPECT_EQ(r.status, SendStatus::Complete);
    EXPECT_EQ(dev.taken, "H" + data + "\x1b&f1X" + kUel);
    EXPECT_EQ(dev.writeCalls, (std::vector<uint32_t>{1, 4096, 3096, 904, 904, 804, 14}));
    EXPECT_EQ(ui.Waits(), (std::vector<unsigned>{500, 500, 500, kSendSettleWaitMs}));
    EXPECT_EQ(progress.back(), (std::pair<uint64_t, int>{5000, 100}));
}

TEST_F(SendFixture, FailuresStopAtTheirStepAndSayWhich) {
    const std::string data = Pattern(5000);
    TempFile file(data);
    {
        SCOPED_TRACE("chunk short three times: no trailer");
        dev.accept = {-1, 10, 10, 10};
        const SendResult r = Send(file.path, "H");
        EXPECT_EQ(r.status, SendStatus::ChunkShort);
        EXPECT_EQ(r.sent, 0u);
        EXPECT_EQ(dev.taken, "H" + data.substr(0, 30));
        EXPECT_EQ(ui.Waits(), (std::vector<unsigned>{500, 500}));
        EXPECT_FALSE(completed);
    }
    {
        SCOPED_TRACE("header short: nothing else");
        dev.taken.clear();
        dev.accept = {2};
        EXPECT_EQ(Send(file.path, "HEAD").status, SendStatus::HeaderShort);
        EXPECT_EQ(dev.taken, "HE");
    }
    {
        SCOPED_TRACE("trailer short");
        dev.taken.clear();
        dev.accept = {-1, -1, -1, 3};
        EXPECT_EQ(Send(file.path, "H").status, SendStatus::TrailerShort);
        EXPECT_FALSE(completed);
    }
    {
        SCOPED_TRACE("no printer: the header write gets nothing");
        dev.taken.clear();
        dev.open = false;
        EXPECT_EQ(Send(file.path, "H").status, SendStatus::HeaderShort);
        dev.open = true;
    }
    ui.Clear();
    dev.taken.clear();
    for (const std::string& bad : {std::string("/nonexistent/file"), std::string("/tmp")}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(Send(bad, "H").status, SendStatus::OpenFailed);
        EXPECT_FALSE(FileSizeForSend(bad).has_value());
    }
    EXPECT_EQ(dev.taken, "");
    EXPECT_TRUE(ui.events.empty());
}

TEST_F(SendFixture, FileOfTwoGigabytesIsRefusedBeforeAnyByte) {
    TempFile file("");
    const int fd = ::open(file.path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(kSendSizeLimit)), 0); // sparse: no disk used
    ::close(fd);
    const SendResult r = Send(file.path, "H");
    EXPECT_EQ(r.status, SendStatus::TooLarge);
    EXPECT_EQ(r.size, kSendSizeLimit);
    EXPECT_EQ(dev.taken, "");
    EXPECT_TRUE(sizes.empty());
    EXPECT_FALSE(FormDownloadHeader(file.path, kSendSizeLimit).has_value());
}

TEST(DownloadHeaders, ExactBytesAndRefusals) {
    EXPECT_EQ(FontDownloadHeader(12), "@PJL FSDOWNLOADFONT\r\n\x1b*c12D");
    EXPECT_EQ(MacroDownloadHeader(99999), "@PJL FSDOWNLOADMACRO\r\n\x1b&f99999Y\x1b&f0X");
    EXPECT_EQ(MacroDownloadTrailer(), "\x1b&f1X" + kUel);
    EXPECT_EQ(FormDownloadHeader("/home/u/form.ps", 300),
              "@PJL SET PSFORMNAME=/home/u/form.ps\n@PJL SET PSFORMSIZE=300\n@PJL FSDOWNLOADPSFORM\r\n");
    // A long path is carried whole, not cut at a fixed buffer.
    const std::string longPath = "/" + std::string(400, 'p') + ".ps";
    EXPECT_NE(FormDownloadHeader(longPath, 1)->find(longPath + "\n@PJL SET PSFORMSIZE=1\n"),
              std::string::npos);
    for (const char* bad : {"/a\nb", "/a\rb",
                            "/a\x1b"
                            "b",
                            "/a\tb", "/a\x7f"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(IsPjlLineSafe(bad));
        EXPECT_FALSE(FormDownloadHeader(bad, 1).has_value());
    }
    EXPECT_TRUE(IsPjlLineSafe("/home/ü/Formular 1.ps"));
    const std::pair<const char*, std::optional<int>> ids[] = {{"0", 0},
                                                              {"99999", 99999},
                                                              {"00042", 42},
                                                              {"", std::nullopt},
                                                              {"100000", std::nullopt},
                                                              {"-1", std::nullopt},
                                                              {"1 2", std::nullopt},
                                                              {"12\n", std::nullopt},
                                                              {"+5", std::nullopt}};
    for (const auto& [text, want] : ids)
        EXPECT_EQ(ParseDownloadId(text), want) << text;
}

// The file changes after its first chunk went out. What the printer gets is either the whole
// file as it was opened or a job ended by the UEL alone, and the result never says success for
// less than the whole file.
TEST_F(SendFixture, AFileThatShrinksOrVanishesWhileSentIsNeverReportedSent) {
    struct Row {
        const char* name;
        std::function<void(const std::string& path)> change;
        SendStatus status;
        size_t reaches; // file bytes the printer gets
    };
    const Row rows[] = {
        {"truncated to nothing", [](const std::string& p) { ASSERT_EQ(::truncate(p.c_str(), 0), 0); },
         SendStatus::ReadFailed, 4096},
        {"cut inside the next chunk", [](const std::string& p) { ASSERT_EQ(::truncate(p.c_str(), 4196), 0); },
         SendStatus::ReadFailed, 4196},
        // The open file stays readable on Linux, so all of it still goes out.
        {"deleted", [](const std::string& p) { ASSERT_EQ(::unlink(p.c_str()), 0); }, SendStatus::Complete,
         10000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        dev.taken.clear();
        ui.Clear();
        completed = false;
        const std::string data = Pattern(10000);
        TempFile file(data);
        SendObserver o;
        bool changed = false;
        o.onChunk = [&](uint64_t, uint64_t, int) {
            if (!changed) row.change(file.path);
            changed = true;
        };
        o.onComplete = [this] { completed = true; };
        const SendResult r = SendFile(ctx, file.path, "HDR", MacroDownloadTrailer(), o);
        EXPECT_EQ(r.status, row.status);
        EXPECT_EQ(r.sent, row.reaches);
        const std::string end = row.status == SendStatus::Complete ? MacroDownloadTrailer() : kUel;
        EXPECT_EQ(dev.taken, "HDR" + data.substr(0, row.reaches) + end);
        EXPECT_EQ(completed, row.status == SendStatus::Complete);
        EXPECT_EQ(ui.waitCursorDepth, 0);
    }
}
