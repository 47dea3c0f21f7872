// Each injected fault as a client on the wire sees it, and as the log tells it.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <sys/wait.h>

#include "Faults.h"
#include "SimProcess.h"
#include "TcpClient.h"

using tavtest::SimEvent;
using tavtest::SimProcess;

namespace {
const std::string U = "\x1b%-12345X";
const std::string kQuery = U + "@PJL\r\n@PJL INFO PRINTER = ALL\r\n" + U;

std::vector<SimEvent> Of(const std::vector<SimEvent>& evs, const std::string& kind) {
    std::vector<SimEvent> out;
    for (const auto& e : evs)
        if (e.event == kind) out.push_back(e);
    return out;
}

// The record a healthy simulator of the same profile sends.
Bytes CleanRecord(const std::string& profile) {
    SimProcess sim(profile);
    Client c(sim.Port());
    c.Send(kQuery);
    return c.Read(4096, 600);
}
}  // namespace

TEST(SimFaults, NoReplyAnswersNothingAndSaysSo) {
    SimProcess sim("mono-pcl", {"--fault", "no-reply"});
    Client c(sim.Port());
    c.Send(kQuery);
    EXPECT_TRUE(c.Read(1, 600).empty());
    ASSERT_TRUE(sim.WaitForEvents(1, 2000, "fault"));
    auto evs = sim.Events();
    EXPECT_EQ(Of(evs, "job").size(), 1u);
    EXPECT_TRUE(Of(evs, "reply").empty());
    EXPECT_EQ(Of(evs, "fault")[0].Field("fault"), "no-reply");
    EXPECT_EQ(Of(evs, "fault")[0].Field("cmd"), "INFO PRINTER");
}

TEST(SimFaults, DelayedSplitTruncatedAndGarbledReplies) {
    const Bytes clean = CleanRecord("color-ps");
    ASSERT_GT(clean.size(), 100u);
    {
        SimProcess sim("color-ps", {"--fault", "delay=500"});
        Client c(sim.Port());
        c.Send(kQuery);
        EXPECT_EQ(c.Read(clean.size(), 3000), clean);
        ASSERT_TRUE(sim.WaitForEvents(1, 2000, "reply"));  // the log line follows the send
        auto evs = sim.Events();
        ASSERT_EQ(Of(evs, "reply").size(), 1u);
        EXPECT_GE(Of(evs, "reply")[0].t - Of(evs, "job")[0].t, 0.5);
        EXPECT_EQ(Of(evs, "fault")[0].Field("ms"), "500");
    }
    {
        SimProcess sim("color-ps", {"--fault", "split=64", "--split-pause-ms", "50"});
        Client c(sim.Port());
        c.Send(kQuery);
        EXPECT_EQ(c.Read(clean.size(), 2000), clean);
        ASSERT_TRUE(sim.WaitForEvents(1, 2000, "reply"));
        auto evs = sim.Events();
        EXPECT_EQ(Of(evs, "fault")[0].Field("pieces"), std::to_string((clean.size() + 63) / 64));
        EXPECT_EQ(Of(evs, "reply")[0].bytes, clean);
    }
    {
        SimProcess sim("color-ps", {"--fault", "truncate=5"});
        Client c(sim.Port());
        c.Send(kQuery);
        EXPECT_EQ(c.Read(4096, 600), Bytes(clean.begin(), clean.begin() + 5));
        ASSERT_TRUE(sim.WaitForEvents(1, 2000, "reply"));
        auto reply = Of(sim.Events(), "reply");
        ASSERT_EQ(reply.size(), 1u);
        EXPECT_EQ(reply[0].Field("bytes"), "5");
    }
    // Noise: every byte other than the record's, other noise for every reply, the same again
    // for the same seed.
    auto garbled = [&](const char* fault) {
        SimProcess sim("color-ps", {"--fault", fault});
        Client c(sim.Port());
        std::vector<Bytes> got(2);
        for (Bytes& reply : got) {
            c.Send(kQuery);
            reply = c.Read(clean.size(), 2000);
            EXPECT_EQ(reply.size(), clean.size());
            for (size_t k = 0; k < std::min(clean.size(), reply.size()); ++k) EXPECT_NE(reply[k], clean[k]);
        }
        return got;
    };
    const std::vector<Bytes> five = garbled("garbage=5");
    EXPECT_NE(five[0], five[1]);
    EXPECT_EQ(garbled("garbage=5"), five);
}

TEST(SimFaults, DropAfterClosesEachConnectionAfterItsJobs) {
    SimProcess sim("mono-pcl", {"--fault", "drop-after=2"});
    const std::string status = U + "@PJL\r\n@PJL INFO STATUS\r\n" + U;
    for (int round = 0; round < 2; ++round) {
        Client c(sim.Port());
        ASSERT_TRUE(c.Ok());
        c.Send(status);
        EXPECT_FALSE(c.Read(1, 1000).empty());
        EXPECT_FALSE(c.Closed());
        c.Send(status);
        c.Read(100000, 2000);
        EXPECT_TRUE(c.Closed());  // the peer closed after the second job's reply
    }
    ASSERT_TRUE(sim.WaitForEvents(2, 2000, "close"));
    auto evs = sim.Events();
    for (const auto& e : Of(evs, "close")) EXPECT_EQ(e.Field("reason"), "drop");
    EXPECT_EQ(Of(evs, "reply").size(), 4u);
    EXPECT_EQ(Of(evs, "fault")[0].Field("fault"), "drop-after");
}

TEST(SimFaults, DropMidReplyKeepsWhatWasSent) {
    SimProcess sim("color-ps", {"--fault", "drop-after=1", "--fault", "truncate=7"});
    Client c(sim.Port());
    c.Send(kQuery);
    Bytes got = c.Read(4096, 2000);
    EXPECT_EQ(got.size(), 7u);
    EXPECT_TRUE(c.Closed());
}

TEST(SimFaults, RefuseGivesConnectionRefused) {
    SimProcess sim("mono-pcl", {"--fault", "refuse"});
    ASSERT_GT(sim.Port(), 0);
    Client c(sim.Port());
    EXPECT_FALSE(c.Ok());
    EXPECT_EQ(c.Errno(), ECONNREFUSED);
    ASSERT_TRUE(sim.WaitForEvents(1, 2000, "fault"));
    auto evs = sim.Events();
    EXPECT_EQ(evs[0].Field("fault"), "refuse");
    EXPECT_TRUE(Of(evs, "connect").empty());
}

TEST(SimFaults, IdleTimeoutEndsTheSimulatorCleanly) {
    SimProcess sim("mono-pcl", {"--exit-after-idle", "1"});
    {
        Client c(sim.Port());
        c.Send(U + "@PJL\r\n@PJL INFO STATUS\r\n" + U);
        EXPECT_FALSE(c.Read(1, 1000).empty());
        // The connection is left open: idleness counts traffic, not connections.
        int status = sim.WaitExit(5000);
        ASSERT_NE(status, -1);
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    auto closes = Of(sim.Events(), "close");
    ASSERT_EQ(closes.size(), 1u);
    EXPECT_EQ(closes[0].Field("reason"), "idle");
}

TEST(SimFaults, BadFaultsAndProfilesAreRefused) {
    tavsim::Faults f;
    std::string error;
    EXPECT_FALSE(tavsim::ParseFault("delay", f, error));
    EXPECT_EQ(error, "fault \"delay\": needs =NUMBER");
    EXPECT_FALSE(tavsim::ParseFault("stall=1", f, error));
    EXPECT_EQ(error, "fault \"stall=1\": takes no value");
    EXPECT_FALSE(tavsim::ParseFault("garbage=x", f, error));
    EXPECT_FALSE(tavsim::ParseFault("cut", f, error));
    EXPECT_EQ(error, "fault \"cut\": needs =NUMBER");
    EXPECT_FALSE(tavsim::ParseFault("cut=0", f, error));
    EXPECT_FALSE(tavsim::ParseFault("split=0", f, error));
    EXPECT_FALSE(tavsim::ParseFault("truncate=-1", f, error));
    EXPECT_FALSE(tavsim::ParseFault("explode", f, error));
    EXPECT_TRUE(tavsim::ParseFault("truncate=0", f, error));
    EXPECT_EQ(f.truncateBytes, 0);
    EXPECT_THROW(SimProcess("/nonexistent/profile.ini"), std::runtime_error);
    EXPECT_THROW(SimProcess("mono-pcl", {"--fault", "explode"}), std::runtime_error);
}

// A cut closes the connection at its very byte of the job it aims at: that much is logged, cut
// off, the rest is left unread and the sender's writes fail. The next connection is served.
TEST(SimFaults, CutClosesTheConnectionPartWayThroughAJob) {
    SimProcess sim("mono-pcl", {"--fault", "FSDOWNLOADFONT:cut=50000"});
    const std::string job = "@PJL FSDOWNLOADFONT\r\n\x1b*c7D" + std::string(8 << 20, 'F') + U; // more than is in flight
    EXPECT_LT(Client(sim.Port()).SendAll(job), job.size());
    ASSERT_TRUE(sim.WaitForEvents(1, 5000, "close"));
    const auto evs = sim.Events();
    ASSERT_EQ(Of(evs, "fault").size(), 1u);
    ASSERT_EQ(Of(evs, "job").size(), 1u);
    EXPECT_EQ(Of(evs, "fault")[0].Field("job"), "1");
    EXPECT_EQ(Of(evs, "job")[0].Field("bytes"), "50000");
    EXPECT_EQ(Of(evs, "close")[0].Field("reason"), "cut");
    Client again(sim.Port());
    again.Send(kQuery);
    EXPECT_FALSE(again.Read(1, 2000).empty());
}
