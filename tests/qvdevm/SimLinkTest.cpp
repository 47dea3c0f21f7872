// The real library against the printer simulator: the same paths as the scripted peers, with
// a printer's own framing, status report and faults.
#include "QvdevmHarness.h"
#include "SimProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace qvtest;

namespace {

const std::string kUel = "\x1b%-12345X";
const std::string kStatusJob = kUel + "@PJL\r\n@PJL INFO STATUS\r\n" + kUel;

size_t Count(const std::vector<tavtest::SimEvent>& events, const std::string& kind) {
    size_t n = 0;
    for (const auto& e : events)
        n += e.event == kind;
    return n;
}

bool StatusQuery(const Api& api, const std::string& name, uint8_t out[8], uint32_t& count) {
    if (!api.open(0, 0, 0, 0, name.c_str())) return false;
    const uint8_t in[3] = {2, 0, 0};
    count = 0;
    const bool ok = api.control(QVDEVM_IOCTL_VENDOR_GET, in, 3, out, 8, &count) != 0;
    api.close(ok ? 0 : 4);
    return ok;
}

} // namespace

TEST(SimLink, StatusAndManyCyclesOnOneConnection) {
    tavtest::SimProcess sim("mono-pcl");
    const Api& api = Lib();
    uint8_t out[8] = {};
    uint32_t count = 0;
    ASSERT_TRUE(StatusQuery(api, sim.DeviceName(), out, count));
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(out[0], 9);
    EXPECT_EQ(out[1], 1);
    EXPECT_EQ(out[2], 1);
    for (int i = 0; i < 8; ++i) {
        ASSERT_EQ(WritePrinter(api, sim.DeviceName(), kStatusJob), kStatusJob.size());
        const std::string reply = ReadPrinter(api, sim.DeviceName());
        EXPECT_EQ(reply.rfind("@PJL INFO STATUS\r\nCODE=10001\r\n", 0), 0u) << i << ": " << reply;
        EXPECT_EQ(reply.back(), '\f') << i;
    }
    ASSERT_TRUE(sim.WaitForEvents(9, 5000, "reply"));
    const auto events = sim.Events();
    EXPECT_EQ(Count(events, "connect"), 1u);
    EXPECT_EQ(Count(events, "job"), 9u);
    EXPECT_EQ(Count(events, "close"), 0u) << "the link lingers between transfers";
}

TEST(SimLink, ReplyInPiecesIsReadWhole) {
    tavtest::SimProcess whole("mono-pcl");
    ASSERT_EQ(WritePrinter(Lib(), whole.DeviceName(), kStatusJob), kStatusJob.size());
    const std::string expected = ReadPrinter(Lib(), whole.DeviceName());
    ASSERT_FALSE(expected.empty());

    tavtest::SimProcess split("mono-pcl", {"--fault", "split=7", "--split-pause-ms", "30"});
    ASSERT_EQ(WritePrinter(Lib(), split.DeviceName(), kStatusJob), kStatusJob.size());
    EXPECT_EQ(ReadPrinter(Lib(), split.DeviceName()), expected);
}

TEST(SimLink, DroppedConnectionKeepsTheReplyAndTheNextWriteReconnects) {
    tavtest::SimProcess sim("mono-pcl", {"--fault", "drop-after=1"});
    const Api& api = Lib();
    ASSERT_EQ(WritePrinter(api, sim.DeviceName(), kStatusJob), kStatusJob.size());
    ASSERT_TRUE(sim.WaitForEvents(1, 5000, "close"));
    EXPECT_EQ(ReadPrinter(api, sim.DeviceName()).rfind("@PJL INFO STATUS\r\n", 0), 0u);
    ASSERT_EQ(WritePrinter(api, sim.DeviceName(), kStatusJob), kStatusJob.size());
    EXPECT_EQ(ReadPrinter(api, sim.DeviceName()).rfind("@PJL INFO STATUS\r\n", 0), 0u);
    EXPECT_EQ(Count(sim.Events(), "connect"), 2u);
}

TEST(SimLink, PrinterWithCoverOpenIsNotReady) {
    const std::string profile = "/tmp/qvdevm-cover-" + std::to_string(getpid()) + ".ini";
    {
        // The model's profile with its status lines replaced (the first of a repeated key counts).
        std::ifstream in(std::string(TAVSIM_PROFILE_DIR) + "/mono-pcl.ini");
        std::ofstream outFile(profile);
        std::string line, section;
        while (std::getline(in, line)) {
            if (!line.empty() && line[0] == '[') section = line;
            const bool statusLine = section == "[Status]" && line.find('=') != std::string::npos;
            if (!statusLine) outFile << line << "\n";
            if (line == "[Status]") outFile << "Code = 40021\nDisplay = COVER OPEN\nOnline = FALSE\n";
        }
    }
    tavtest::SimProcess sim(profile);
    uint8_t out[8] = {};
    uint32_t count = 0;
    ASSERT_TRUE(StatusQuery(Lib(), sim.DeviceName(), out, count));
    EXPECT_EQ(out[0], 9);
    EXPECT_EQ(out[1], 0);
    EXPECT_EQ(out[2], 0);
    std::filesystem::remove(profile);
}

// Nothing frames a reply: one still unread when the next job begins must not answer it. Job 1's
// record is out before job 2 is written (the simulator logs a reply once it is sent), so only
// the link's own intake decides whether it is dropped, not how fast its reader thread runs.
TEST(SimLink, ALateReplyIsDroppedWhenTheNextJobBegins) {
    ScopedEnv readTimeout("QVDEVM_READ_TIMEOUT_MS", "300"); // taken when the link is made
    tavtest::SimProcess sim("mono-pcl", {"--fault", "job2:delay=1000"});
    const Api& api = Lib();
    const std::string query = kUel + "@PJL\r\n@PJL INFO PRINTER = ALL\r\n" + kUel;
    ASSERT_EQ(WritePrinter(api, sim.DeviceName(), query), query.size());
    ASSERT_TRUE(sim.WaitForEvents(1, 5000, "reply"));

    std::string err;
    {
        ScopedEnv debug("QVDEVM_DEBUG", "1");
        err = CaptureStderr([&] { ASSERT_EQ(WritePrinter(api, sim.DeviceName(), query), query.size()); });
    }
    EXPECT_NE(err.find("unread bytes of an earlier exchange"), std::string::npos) << err;
    // A read after a read is not a new job: the reads until job 2's record comes bring that
    // record, whole, and nothing of the first.
    std::string got;
    for (int i = 0; i < 20 && got.empty(); ++i)
        got = ReadPrinter(api, sim.DeviceName());
    ASSERT_TRUE(sim.WaitForEvents(2, 5000, "reply"));
    std::vector<uint8_t> second;
    for (const auto& e : sim.Events())
        if (e.event == "reply") second = e.bytes;
    EXPECT_EQ(got, std::string(second.begin(), second.end()));
}

// The linger is read at every close: a link given back with a short one closes in time even
// while the timer waits for a far longer deadline of another link.
TEST(SimLink, AShortLingerIsKeptWhileALongOneRuns) {
    tavtest::SimProcess slow("mono-pcl"), quick("mono-pcl");
    {
        ScopedEnv linger("QVDEVM_LINGER_MS", "600000");
        ASSERT_EQ(WritePrinter(Lib(), slow.DeviceName(), kStatusJob), kStatusJob.size());
    }
    ScopedEnv linger("QVDEVM_LINGER_MS", "200");
    ASSERT_EQ(WritePrinter(Lib(), quick.DeviceName(), kStatusJob), kStatusJob.size());
    EXPECT_TRUE(quick.WaitForEvents(1, 5000, "close"));
    EXPECT_EQ(Count(slow.Events(), "close"), 0u);
}
