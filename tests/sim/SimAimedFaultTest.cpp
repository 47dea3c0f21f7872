// Faults aimed at one command or one job, the stalled reader and unasked status lines, as a
// client on the wire sees them and as the log tells them.
#include <gtest/gtest.h>

#include "Faults.h"
#include "SimProcess.h"
#include "TcpClient.h"

using tavtest::SimEvent;
using tavtest::SimProcess;

namespace {
const std::string U = "\x1b%-12345X";
const std::string kQuery = U + "@PJL\r\n@PJL INFO PRINTER = ALL\r\n" + U;
const std::string kStatus = U + "@PJL\r\n@PJL INFO STATUS\r\n" + U;

std::vector<SimEvent> Of(const std::vector<SimEvent>& evs, const std::string& kind) {
    std::vector<SimEvent> out;
    for (const auto& e : evs)
        if (e.event == kind) out.push_back(e);
    return out;
}

std::string Text(const Bytes& b) {
    return std::string(b.begin(), b.end());
}
} // namespace

TEST(SimAimedFaults, ACommandsFaultLeavesTheOtherCommandsAlone) {
    SimProcess sim("color-ps", {"--fault", "INFO PRINTER:truncate=20", "--fault", "info status:delay=300"});
    Client c(sim.Port());
    c.Send(kQuery);
    EXPECT_EQ(c.Read(4096, 300).size(), 20u);
    c.Send(U + "@PJL\r\n@PJL INFO INFORMATION=ALL\r\n" + U);
    EXPECT_GT(c.Read(4096, 300).size(), 20u); // not aimed at: whole
    c.Send(kStatus);
    EXPECT_EQ(Text(c.Read(4096, 1500)).rfind("@PJL INFO STATUS\r\n", 0), 0u);
    ASSERT_TRUE(sim.WaitForEvents(3, 2000, "reply"));
    auto faults = Of(sim.Events(), "fault");
    ASSERT_EQ(faults.size(), 2u);
    EXPECT_EQ(faults[0].Field("fault"), "truncate");
    EXPECT_EQ(faults[0].Field("cmd"), "INFO PRINTER");
    EXPECT_EQ(faults[1].Field("fault"), "delay");
    EXPECT_EQ(faults[1].Field("cmd"), "INFO STATUS");
}

TEST(SimAimedFaults, TheNthJobOfTheRunIsDroppedUnrunAndUnanswered) {
    SimProcess sim("mono-pcl", {"--fault", "job2:drop"});
    {
        Client c(sim.Port());
        c.Send(kStatus);
        EXPECT_FALSE(c.Read(1, 1000).empty());
        c.Send(kQuery);
        EXPECT_TRUE(c.Read(4096, 2000).empty());
        EXPECT_TRUE(c.Closed());
    }
    Client again(sim.Port()); // the count is over the run, not the connection: job 3 is served
    again.Send(kQuery);
    EXPECT_FALSE(again.Read(1, 1000).empty());
    ASSERT_TRUE(sim.WaitForEvents(2, 2000, "reply"));
    auto evs = sim.Events();
    auto jobs = Of(evs, "job");
    ASSERT_EQ(jobs.size(), 3u);
    EXPECT_NE(jobs[1].Field("notes").find("dropped: fault"), std::string::npos);
    EXPECT_EQ(Of(evs, "fault")[0].Field("job"), "2");
    EXPECT_EQ(Of(evs, "close")[0].Field("reason"), "drop");
    EXPECT_EQ(Of(evs, "reply").size(), 2u);
}

TEST(SimAimedFaults, AStalledReaderAcceptsAndNeverReads) {
    SimProcess sim("mono-pcl", {"--fault", "stall"});
    {
        Client c(sim.Port());
        ASSERT_TRUE(c.Ok());
        c.Send(kStatus);
        EXPECT_TRUE(c.Read(1, 800).empty());
        EXPECT_FALSE(c.Closed());
    }
    ASSERT_TRUE(sim.WaitForEvents(1, 3000, "close"));
    auto evs = sim.Events();
    EXPECT_TRUE(Of(evs, "job").empty());
    EXPECT_EQ(Of(evs, "fault")[0].Field("fault"), "stall");
    EXPECT_EQ(Of(evs, "close")[0].Field("reason"), "peer closed");
}

TEST(SimAimedFaults, AReaderThatStallsAfterOneCommand) {
    SimProcess sim("mono-pcl", {"--fault", "INFO PRINTER:stall"});
    Client c(sim.Port());
    c.Send(kQuery);
    EXPECT_FALSE(c.Read(1, 1000).empty()); // that job is still answered
    c.Send(kStatus);
    EXPECT_TRUE(c.Read(1, 800).empty());
    ASSERT_TRUE(sim.WaitForEvents(1, 2000, "fault"));
    EXPECT_EQ(Of(sim.Events(), "job").size(), 1u);
}

TEST(SimAimedFaults, UnaskedStatusLinesFollowTheReplies) {
    SimProcess sim("mono-pcl", {"--fault", "job1:unasked"});
    Client c(sim.Port());
    c.Send(kStatus);
    const std::string first = Text(c.Read(4096, 300));
    EXPECT_EQ(first.rfind("@PJL INFO STATUS\r\n", 0), 0u);
    EXPECT_NE(first.find("@PJL USTATUS DEVICE\r\nCODE=10001\r\n"), std::string::npos);
    c.Send(kStatus);
    EXPECT_EQ(Text(c.Read(4096, 300)).find("USTATUS"), std::string::npos); // job 2 is plain
    ASSERT_TRUE(sim.WaitForEvents(3, 2000, "reply"));
    auto replies = Of(sim.Events(), "reply");
    EXPECT_EQ(replies[1].Field("cmd"), "USTATUS DEVICE");
}

TEST(SimAimedFaults, BadAimsAreRefused) {
    struct Case {
        const char* desc;
        bool ok;
    } cases[] = {{"job3:drop", true},
                 {"INFO PRINTER:truncate=20", true},
                 {"LPARM:PCL X:garbage", true},
                 {"job0:drop", false},
                 {"jobx:drop", true}, // "jobx" is a command, not a job
                 {":drop", false},
                 {"job2:refuse", false},
                 {"INFO:drop-after=1", false},
                 {"INFO PRINTER:explode", false},
                 {"job2:delay", false}};
    for (const auto& c : cases) {
        tavsim::Faults f;
        std::string error;
        EXPECT_EQ(tavsim::ParseFault(c.desc, f, error), c.ok) << c.desc << ": " << error;
    }
    tavsim::Faults f;
    std::string error;
    ASSERT_TRUE(tavsim::ParseFault("info  printer = all:no-reply", f, error));
    EXPECT_TRUE(f.ForJob(1, {"INFO PRINTER = ALL"}).noReply);
    EXPECT_FALSE(f.ForJob(1, {"INFO PRINTERS"}).noReply);
    EXPECT_FALSE(f.noReply); // an aimed fault is not a fault of every reply
    EXPECT_THROW(SimProcess("mono-pcl", {"--fault", "job0:drop"}), std::runtime_error);
}
