// The built nux program through the real device library against the simulator: what reaches
// the printer, and what the window shows of what the printer sent back.
#include "NuxProcess.h"
#include "SimProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using nuxtest::NuxExit;
using nuxtest::NuxProcess;
using tavtest::SimEvent;
using tavtest::SimProcess;

namespace {
const std::string kUel = "\x1b%-12345X";
const std::string kEnterJob = kUel + "@PJL\r\n@PJL ENGINE NUX_MODE=True\r\n" + kUel;
std::string KeyJob(char code) {
    return kUel + "@PJL\r\n@PJL ENGINE NUX_BUTTON=" + code + "\r\n" + kUel;
}

std::string Text(const std::vector<uint8_t>& v) {
    return std::string(v.begin(), v.end());
}

// A display line as the printer sent it: 16 bytes from `first`, ended early by a zero byte.
std::string LineOf(const std::vector<uint8_t>& reply, size_t first) {
    std::string line;
    for (size_t i = first; i < first + 16 && i < reply.size() && reply[i] != 0; ++i)
        line += char(reply[i]);
    return line;
}

std::vector<SimEvent> Of(const std::vector<SimEvent>& evs, const std::string& kind) {
    std::vector<SimEvent> out;
    for (const auto& e : evs)
        if (e.event == kind) out.push_back(e);
    return out;
}

struct NuxE2e : ::testing::Test {
    std::string dir;
    void SetUp() override {
        char tmpl[] = "/tmp/nuxe2e-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = std::string(tmpl) + "/";
        std::filesystem::create_directory(dir + "home");
        std::filesystem::create_directory(dir + "run");
        std::filesystem::permissions(dir + "run", std::filesystem::perms::owner_all);
        std::filesystem::create_symlink(QVDEVM_LIBRARY, dir + "home/libqvdevm.so");
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    void Configure(const SimProcess& sim) const {
        std::ofstream(dir + "home/comtav.ini")
            << "[DEVICE]\r\nVID=0x04e8\r\nPID=0x3f0c\r\nDID=" << sim.DeviceName()
            << "\r\n[DEBUG]\r\nDEBUG=0\r\n";
    }
    nuxtest::NuxRun Env(const std::string& script, const std::string& log) const {
        return {{"WINTAV32_HOME=" + dir + "home", "XDG_RUNTIME_DIR=" + dir + "run", "QT_QPA_PLATFORM=offscreen",
                 "TAV_DEBUG_FILE=" + dir + log,
                 "QVDEVM_READ_TIMEOUT_MS=300", // a silent printer costs two of these per key
                 "QVDEVM_QUIET_MS=100"},       // a pause this long ends a reply
                dir + script + ".txt"};
    }
    void WriteScript(const std::string& name, const std::string& text) const {
        std::ofstream(dir + name + ".txt") << text;
    }
};
} // namespace

TEST_F(NuxE2e, EntersTheModeAtStartAndShowsTheLinesEachKeyBringsBack) {
    SimProcess sim("mono-pcl");
    Configure(sim);
    WriteScript("keys", "print\nclick 1000\nprint\nclick 1003\nprint\nclick 1\n");
    NuxProcess nux(NUX_PROGRAM, Env("keys", "nux.log"));
    nux.Start();
    const NuxExit r = nux.Wait();
    ASSERT_TRUE(r.exited) << r.err;
    EXPECT_EQ(r.status, 1); // ended by Exit

    ASSERT_TRUE(sim.WaitForEvents(2, 5000, "reply"));
    const std::vector<std::vector<uint8_t>> jobs = sim.Jobs();
    ASSERT_EQ(jobs.size(), 3u);
    EXPECT_EQ(Text(jobs[0]), kEnterJob); // first, exactly, with nothing read for it
    EXPECT_EQ(Text(jobs[1]), KeyJob('1'));
    EXPECT_EQ(Text(jobs[2]), KeyJob('4'));
    const auto replies = Of(sim.Events(), "reply");
    ASSERT_EQ(replies.size(), 2u);
    ASSERT_EQ(replies[0].bytes.size(), 33u);

    // Nothing on the display before the first key; then what the printer sent, each time.
    std::string expected = "line1=\nline2=\n";
    for (const auto& reply : replies)
        expected += "line1=" + LineOf(reply.bytes, 1) + "\nline2=" + LineOf(reply.bytes, 17) + "\n";
    EXPECT_EQ(r.out, expected);
    EXPECT_NE(LineOf(replies[0].bytes, 1), "");
    // The simulator zero-fills short lines: at least one shown line ended at a zero byte.
    bool shortLine = false;
    for (const auto& reply : replies)
        for (size_t first : {1u, 17u}) {
            const std::string line = LineOf(reply.bytes, first);
            if (line.size() < 16 && reply.bytes[first + line.size()] == 0) shortLine = true;
        }
    EXPECT_TRUE(shortLine);

    const std::string log = nuxtest::ReadFile(dir + "nux.log");
    EXPECT_NE(log.find("[NUX] vid : 4e8, pid : 3f0c, Did : " + sim.DeviceName() + "\n"), std::string::npos)
        << log;
    EXPECT_NE(log.find("[NUX] g_strDisplay1 = " + LineOf(replies[1].bytes, 1) + "\n"), std::string::npos);
}

TEST_F(NuxE2e, SilentPrinterShowsTheErrorAndKeepsTheDisplay) {
    SimProcess sim("mono-pcl", {"--fault", "no-reply"});
    Configure(sim);
    WriteScript("silent", "click 1002\nprint\nclick 1\n");
    NuxProcess nux(NUX_PROGRAM, Env("silent", "nux.log"));
    nux.Start();
    const NuxExit r = nux.Wait();
    ASSERT_TRUE(r.exited) << r.err;
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "box NUX Mode: Error sending command to the printer\nline1=\nline2=\n");
    const auto jobs = sim.Jobs();
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(Text(jobs[1]), KeyJob('3'));
    EXPECT_NE(nuxtest::ReadFile(dir + "nux.log").find("[NUX] SendCommand() -Read Error\n"),
              std::string::npos);
}

TEST_F(NuxE2e, PrinterSwitchedOffKeepsTheLastLines) {
    auto sim = std::make_unique<SimProcess>("mono-pcl");
    Configure(*sim);
    WriteScript("off", "click 1000\nprint\nwait-for " + dir + "off\nclick 1003\nprint\nclick 1\n");
    NuxProcess nux(NUX_PROGRAM, Env("off", "nux.log"));
    nux.Start();
    ASSERT_TRUE(sim->WaitForEvents(1, 20000, "reply"))
        << nux.Out() << nuxtest::ReadFile(dir + "nux.log") << nuxtest::ReadFile(sim->LogPath());
    const std::vector<uint8_t> last = Of(sim->Events(), "reply")[0].bytes;
    sim->Stop();
    sim.reset();
    std::ofstream(dir + "off") << "";
    const NuxExit r = nux.Wait();
    ASSERT_TRUE(r.exited) << r.err;
    EXPECT_EQ(r.status, 1);
    const std::string shown = "line1=" + LineOf(last, 1) + "\nline2=" + LineOf(last, 17) + "\n";
    EXPECT_EQ(r.out, shown + "box NUX Mode: Error sending command to the printer\n" + shown);
}

TEST_F(NuxE2e, SecondCopyEndsAtOnceWithZero) {
    SimProcess sim("mono-pcl");
    Configure(sim);
    WriteScript("first", "print\n");
    NuxProcess first(NUX_PROGRAM, Env("first", "first.log"));
    first.Start();
    ASSERT_TRUE(sim.WaitForEvents(1, 20000, "job")); // the first copy is up and has entered the mode

    WriteScript("second", "print\nclick 1000\nclick 1\n");
    NuxProcess second(NUX_PROGRAM, Env("second", "second.log"));
    second.Start();
    const NuxExit s = second.Wait();
    ASSERT_TRUE(s.exited);
    EXPECT_EQ(s.status, 0);
    EXPECT_EQ(s.out, ""); // no window, no script
    EXPECT_EQ(nuxtest::ReadFile(dir + "second.log"), "[TAV]NUX Mode is already running..!\n");
    first.Stop();
    EXPECT_EQ(sim.Jobs().size(), 1u); // the second copy sent nothing
}

TEST_F(NuxE2e, DebugSwitchAsksBeforeEveryJob) {
    SimProcess sim("mono-pcl");
    std::ofstream(dir + "home/comtav.ini")
        << "[DEVICE]\r\nDID=" << sim.DeviceName() << "\r\n[DEBUG]\r\nDEBUG=1\r\n";
    // Yes to the enter job, Ok to its confirmation, Yes to Menu, No to Enter.
    WriteScript(
        "debug",
        "answer yes\nanswer ok\nanswer yes\nanswer no\nclick 1000\nprint\nclick 1002\nprint\nclick 1\n");
    NuxProcess nux(NUX_PROGRAM, Env("debug", "nux.log"));
    nux.Start();
    const NuxExit r = nux.Wait();
    ASSERT_TRUE(r.exited) << r.err;
    EXPECT_EQ(r.status, 1);
    ASSERT_TRUE(sim.WaitForEvents(1, 5000, "reply"));
    const auto jobs = sim.Jobs();
    ASSERT_EQ(jobs.size(), 2u); // the enter job and Menu; Enter was declined
    EXPECT_EQ(Text(jobs[0]), kEnterJob);
    EXPECT_EQ(Text(jobs[1]), KeyJob('1'));
    const auto reply = Of(sim.Events(), "reply")[0].bytes;
    const std::string shown = "line1=" + LineOf(reply, 1) + "\nline2=" + LineOf(reply, 17) + "\n";
    EXPECT_EQ(r.out, "box PJL Data: " + kEnterJob + "\nbox Fuser Setting: Write Success!!\nbox PJL Data: " +
                         KeyJob('1') + "\n" + shown + "box PJL Data: " + KeyJob('3') + "\n" + shown);
    const std::string log = nuxtest::ReadFile(dir + "nux.log");
    EXPECT_NE(log.find("[NUX] SendPJL() - count = " + std::to_string(KeyJob('1').size()) + "\n"),
              std::string::npos);
    EXPECT_NE(log.find("0000: 01 "), std::string::npos) << log; // the hex dump of the reply
}

// A reply that comes too late, or whose tail comes after the read has ended, must never be
// shown as the display of the next key. The test lets the second key go only once the first
// key's whole reply has left the printer.
TEST_F(NuxE2e, ALateOrSplitReplyNeverAnswersTheNextKey) {
    struct Row {
        const char* name;
        std::vector<std::string> faults;
        size_t received; // bytes of each reply that reach the key's own read
    };
    const Row rows[] = {
        {"delay", {"--fault", "delay=1000"}, 0},                          // past the key's two reads
        {"split", {"--fault", "split=8", "--split-pause-ms", "300"}, 8}, // past the quiet time
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SimProcess sim("mono-pcl", row.faults);
        Configure(sim);
        const std::string cue = dir + row.name + ".cue";
        WriteScript(row.name, "click 1000\nprint\nwait-for " + cue + "\nclick 1003\nprint\nclick 1\n");
        NuxProcess nux(NUX_PROGRAM, Env(row.name, std::string(row.name) + ".log"));
        nux.Start();
        ASSERT_TRUE(sim.WaitForEvents(1, 20000, "reply")) << nux.Out(); // logged once all of it is out
        std::ofstream(cue) << "";
        const NuxExit r = nux.Wait();
        ASSERT_TRUE(r.exited) << r.err;
        ASSERT_TRUE(sim.WaitForEvents(2, 20000, "reply"));
        const auto replies = Of(sim.Events(), "reply");
        ASSERT_EQ(replies.size(), 2u);
        std::string expected;
        for (const auto& reply : replies) {
            if (row.received == 0) {
                expected += "box NUX Mode: Error sending command to the printer\nline1=\nline2=\n";
            } else {
                const std::vector<uint8_t> head(reply.bytes.begin(), reply.bytes.begin() + row.received);
                expected += "line1=" + LineOf(head, 1) + "\nline2=\n";
            }
        }
        EXPECT_EQ(r.out, expected);
    }
}
