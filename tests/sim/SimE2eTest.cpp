// The built simulator over real loopback TCP: framing, replies, log shape and faults.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <memory>
#include <thread>

#include "SimProcess.h"
#include "TcpClient.h"
#include "Sha256.h"

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

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }
}  // namespace

TEST(SimE2e, SettingsQueryAndDefaultsOverTcpWithTheLogShape) {
    SimProcess sim("color-ps");
    EXPECT_EQ(sim.DeviceName(), "tcp://127.0.0.1:" + std::to_string(sim.Port()));
    Client c(sim.Port());
    ASSERT_TRUE(c.Ok());
    c.Send(kQuery);
    Bytes first = c.Read(4096, 300);
    ASSERT_GT(first.size(), 3u);
    EXPECT_EQ(first[0], 0x01);
    // Send as the panel does: trailing blank, the doubled '=' of WIDEA4, the record asked for at the end.
    c.Send(U + "@PJL\r\n@PJL DEFAULT AUTOCONT = OFF\r\n@PJL DEFAULT WIDEA4= = ON \r\n@PJL DEFAULT RESOLUTION = 600\r\n"
               "@PJL INFO PRINTER = ALL\r\n" + U);
    Bytes second = c.Read(4096, 300);
    ASSERT_EQ(second.size(), first.size());
    auto value = [](const Bytes& rec, uint8_t index) -> int {
        for (size_t p = 3; p + 1 < rec.size(); p += 2 + rec[p + 1])
            if (rec[p] == index) return rec[p + 2];
        return -1;
    };
    EXPECT_EQ(value(first, 12), 1);
    EXPECT_EQ(value(second, 12), 0);
    EXPECT_EQ(value(first, 100), 0);
    EXPECT_EQ(value(second, 100), 1);

    ASSERT_TRUE(sim.WaitForEvents(2, 3000, "reply"));
    auto jobs = sim.Jobs();
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0], B(kQuery));
    EXPECT_EQ(jobs[0].size(), 49u);
    auto evs = sim.Events();
    ASSERT_GE(evs.size(), 5u);
    EXPECT_EQ(evs[0].event, "connect");
    EXPECT_EQ(evs[1].event, "job");
    EXPECT_EQ(evs[2].event, "reply");
    EXPECT_EQ(evs[2].bytes, first);
    EXPECT_EQ(evs[2].Field("cmd"), "INFO PRINTER");
    EXPECT_EQ(evs[3].Field("cmds"), "[\"DEFAULT AUTOCONT = OFF\",\"DEFAULT WIDEA4= = ON\",\"DEFAULT RESOLUTION = 600\","
                                    "\"INFO PRINTER = ALL\"]");
    EXPECT_EQ(Of(evs, "reply")[1].bytes, second);
    double last = -1;
    for (const auto& e : evs) {
        EXPECT_GE(e.t, last);
        last = e.t;
        EXPECT_EQ(e.raw.front(), '{');
        EXPECT_EQ(e.raw.back(), '}');
        EXPECT_EQ(e.raw.rfind("{\"t\":", 0), 0u);
        std::string hex = e.Field("hex");
        for (char ch : hex) EXPECT_TRUE((ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f')) << e.raw;
    }
}

TEST(SimE2e, StreamSplitAnywhereDataIsHashedAndConnectionsWaitTheirTurn) {
    SimProcess sim("mono-pcl", {"--data-quiet-ms", "300"});
    const std::string stream = kQuery + "PRINTDATA\x1b%-1234" + U + "@PJL\r\n@PJL INFO STATUS\r\n" + U;
    {
        auto c = std::make_unique<Client>(sim.Port());
        ASSERT_TRUE(c->Ok());
        // Byte by byte with small gaps, so every boundary is a TCP segment boundary.
        for (char ch : stream) {
            c->Send(std::string(1, ch));
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        Bytes got = c->Read(10000, 800);
        EXPECT_NE(std::string(got.begin(), got.end()).find("CODE=10001\r\n"), std::string::npos);
        // A second client connects now; it is served only once the first has gone.
        Client second(sim.Port());
        ASSERT_TRUE(second.Ok());
        second.Send(kQuery);
        EXPECT_TRUE(second.Read(1, 500).empty());
        ASSERT_TRUE(sim.WaitForEvents(1, 100, "connect"));
        EXPECT_FALSE(sim.WaitForEvents(2, 300, "connect"));
        c.reset();
        EXPECT_GT(second.Read(1, 3000).size(), 3u);
    }
    ASSERT_TRUE(sim.WaitForEvents(2, 3000, "close"));
    auto evs = sim.Events();
    auto jobs = Of(evs, "job");
    ASSERT_GE(jobs.size(), 3u);
    EXPECT_EQ(jobs[0].bytes, B(kQuery));
    EXPECT_EQ(jobs[1].bytes, B(U + "@PJL\r\n@PJL INFO STATUS\r\n" + U));
    auto data = Of(evs, "data");
    ASSERT_EQ(data.size(), 1u);
    EXPECT_EQ(data[0].bytes, B("PRINTDATA\x1b%-1234"));
    EXPECT_EQ(data[0].Field("bytes"), "16");
    tavsim::Sha256 h;
    h.Update(reinterpret_cast<const uint8_t*>("PRINTDATA\x1b%-1234"), 16);
    EXPECT_EQ(data[0].Field("sha256"), h.FinishHex());
    auto conns = Of(evs, "connect");
    ASSERT_EQ(conns.size(), 2u);
    EXPECT_EQ(conns[1].Field("conn"), "2");
}

TEST(SimE2e, DefaultButtonTestPrintAndDiagnosticKeysOverTcp) {
    SimProcess sim("mono-pcl");
    Client c(sim.Port());
    ASSERT_TRUE(c.Ok());
    c.Send(kQuery);
    const Bytes factory = c.Read(4096, 300);
    c.Send(U + "@PJL\r\n@PJL DEFAULT COPIES = 5\r\n@PJL INFO PRINTER = ALL\r\n" + U);
    const Bytes changed = c.Read(4096, 300);
    EXPECT_NE(changed, factory);
    c.Send(U + "@PJL\r\n@PJL INITIALIZE\r\n@PJL INFO PRINTER = ALL\r\n" + U);
    EXPECT_EQ(c.Read(4096, 300), factory);

    c.Send(U + "@PJL\r\n@PJL TEST PRINT = CONFIG\r\n" + U);
    c.Send(U + "@PJL\r\n@PJL ENGINE NUX_MODE=True\r\n" + U);
    EXPECT_TRUE(c.Read(1, 300).empty());  // neither answers
    c.Send(U + "@PJL\r\n@PJL ENGINE NUX_BUTTON=1\r\n" + U);
    Bytes display = c.Read(33, 1000);
    ASSERT_EQ(display.size(), 33u);
    EXPECT_EQ(display[0], 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&display[1])), "DIAG MENU");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&display[17]), 11), "ENGINE TEST");
    EXPECT_TRUE(c.Read(1, 300).empty());  // exactly 33 bytes, nothing after

    ASSERT_TRUE(sim.WaitForEvents(4, 2000, "reply"));
    auto jobs = Of(sim.Events(), "job");
    ASSERT_EQ(jobs.size(), 6u);
    EXPECT_EQ(jobs[3].Field("printed"), "[\"CONFIG\"]");
    EXPECT_EQ(jobs[4].Field("cmds"), "[\"ENGINE NUX_MODE=True\"]");

    // SIGTERM with the connection still open: the close is logged, the exit is clean.
    int status = sim.Stop();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    auto evs = sim.Events();
    EXPECT_EQ(evs.back().event, "close");
    EXPECT_EQ(evs.back().Field("reason"), "shutdown");
}

TEST(SimE2e, StorageAndReportQueriesAnswerInOneRead) {
    SimProcess sim("color-ps");
    for (const char* q : {"@PJL FSFONTINFO", "@PJL FSMACROINFO", "@PJL FSPSFORMINFO", "@PJL INFO INFORMATION=ALL"}) {
        SCOPED_TRACE(q);
        Client c(sim.Port());
        c.Send(U + "@PJL\r\n" + q + "\r\n" + U);
        Bytes got = c.Read(4096, 600);
        ASSERT_GE(got.size(), 2u);
        const size_t count = size_t(got[0] << 8 | got[1]);
        if (std::string(q) == "@PJL FSFONTINFO") {
            EXPECT_EQ(got.size(), 2 + 26 * count);
        } else if (std::string(q) == "@PJL FSMACROINFO") {
            EXPECT_EQ(got.size(), 2 + 2 * count);
        } else if (std::string(q) == "@PJL INFO INFORMATION=ALL") {
            EXPECT_EQ(got[2], 1);  // the first item is type 1
            EXPECT_EQ(got[got.size() - 2], 0xff);
        }
    }
}
