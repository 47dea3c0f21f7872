// The built nux program through the real device library against the simulator: what reaches
// the printer, and what the window shows of what the printer sent back.
#include "NuxProcess.h"
#include "SimProcess.h"

#include <gtest/gtest.h>


using nuxtest::NuxExit;
using nuxtest::NuxProcess;
using tavtest::SimEvent;
using tavtest::SimProcess;

namespace {
using nuxtest::KeyJob;
using nuxtest::LineOf;
using nuxtest::Printed;
const std::string kEnterJob = nuxtest::EnterJob();

std::string Text(const std::vector<uint8_t>& v) {
    return std::string(v.begin(), v.end());
}

std::vector<SimEvent> Of(const std::vector<SimEvent>& evs, const std::string& kind) {
    std::vector<SimEvent> out;
    for (const auto& e : evs)
        if (e.event == kind) out.push_back(e);
    return out;
}

struct NuxE2e : ::testing::Test {
    nuxtest::NuxHome home{QVDEVM_LIBRARY};
};
} // namespace

TEST_F(NuxE2e, EntersTheModeAtStartAndShowsTheLinesEachKeyBringsBack) {
    SimProcess sim("mono-pcl");
    home.Configure(sim.DeviceName());
    home.WriteScript("keys", "print\nclick 1000\nprint\nclick 1003\nprint\nclick 1\n");
    NuxProcess nux(NUX_PROGRAM, home.Run("keys", "nux.log"));
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
    std::string expected = Printed({});
    for (const auto& reply : replies)
        expected += Printed(reply.bytes);
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

    const std::string log = nuxtest::ReadFile(home.dir + "nux.log");
    EXPECT_NE(log.find("[NUX] vid : 4e8, pid : 3f0c, Did : " + sim.DeviceName() + "\n"), std::string::npos)
        << log;
    EXPECT_NE(log.find("[NUX] g_strDisplay1 = " + LineOf(replies[1].bytes, 1) + "\n"), std::string::npos);
}

TEST_F(NuxE2e, SecondCopyEndsAtOnceWithZero) {
    SimProcess sim("mono-pcl");
    home.Configure(sim.DeviceName());
    home.WriteScript("first", "print\n");
    NuxProcess first(NUX_PROGRAM, home.Run("first", "first.log"));
    first.Start();
    ASSERT_TRUE(sim.WaitForEvents(1, 20000, "job")); // the first copy is up and has entered the mode

    home.WriteScript("second", "print\nclick 1000\nclick 1\n");
    NuxProcess second(NUX_PROGRAM, home.Run("second", "second.log"));
    second.Start();
    const NuxExit s = second.Wait();
    ASSERT_TRUE(s.exited);
    EXPECT_EQ(s.status, 0);
    EXPECT_EQ(s.out, ""); // no window, no script
    EXPECT_EQ(nuxtest::ReadFile(home.dir + "second.log"), "[TAV]NUX Mode is already running..!\n");
    first.Stop();
    EXPECT_EQ(sim.Jobs().size(), 1u); // the second copy sent nothing
}

TEST_F(NuxE2e, DebugSwitchAsksBeforeEveryJob) {
    SimProcess sim("mono-pcl");
    home.Configure(sim.DeviceName(), 1);
    // Yes to the enter job, Ok to its confirmation, Yes to Menu, No to Enter.
    home.WriteScript(
        "debug",
        "answer yes\nanswer ok\nanswer yes\nanswer no\nclick 1000\nprint\nclick 1002\nprint\nclick 1\n");
    NuxProcess nux(NUX_PROGRAM, home.Run("debug", "nux.log"));
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
    const std::string shown = Printed(reply);
    EXPECT_EQ(r.out, "box PJL Data: " + kEnterJob + "\nbox Fuser Setting: Write Success!!\nbox PJL Data: " +
                         KeyJob('1') + "\n" + shown + "box PJL Data: " + KeyJob('3') + "\n" + shown);
    const std::string log = nuxtest::ReadFile(home.dir + "nux.log");
    EXPECT_NE(log.find("[NUX] SendPJL() - count = " + std::to_string(KeyJob('1').size()) + "\n"),
              std::string::npos);
    EXPECT_NE(log.find("0000: 01 "), std::string::npos) << log; // the hex dump of the reply
}
