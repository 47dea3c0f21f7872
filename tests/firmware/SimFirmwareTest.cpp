// The simulator's side of a firmware download: how it judges an image, and that a programmed
// one takes it offline for the programming time and then back.
#include <gtest/gtest.h>

#include "../sim/TcpClient.h"
#include "Firmware.h"
#include "SimProcess.h"

namespace {

std::string Image(size_t size, uint32_t stated) {
    std::string s = "QVFW";
    for (int b = 3; b >= 0; --b)
        s.push_back(static_cast<char>((stated >> (8 * b)) & 0xFF));
    while (s.size() < size)
        s.push_back(static_cast<char>(s.size() * 11));
    s.resize(size);
    return s;
}

std::vector<tavtest::SimEvent> Of(const tavtest::SimProcess& sim, const std::string& kind) {
    std::vector<tavtest::SimEvent> out;
    for (auto& ev : sim.Events())
        if (ev.event == kind) out.push_back(ev);
    return out;
}

const std::string kStatusJob = "\x1b%-12345X@PJL\r\n@PJL INFO STATUS\r\n\x1b%-12345X";

} // namespace

TEST(SimFirmwareTest, AnImageIsJudgedByTheLengthItStates) {
    struct Case {
        size_t size;
        uint32_t stated;
        const char* verdict;
    };
    for (const Case& c : std::vector<Case>{{100, 100, "programmed"},
                                           {99, 100, "incomplete"},
                                           {101, 100, "too long"},
                                           {7, 7, "no length"},
                                           {8, 8, "programmed"}}) {
        const std::string img = Image(c.size, c.stated);
        EXPECT_EQ(tavsim::FirmwareVerdict(std::vector<uint8_t>(img.begin(), img.end()), c.size, 4), c.verdict)
            << c.size << " " << c.stated;
    }
    tavsim::Profile p;
    tavsim::FirmwareModel desc;
    std::string error;
    p.ini = tavsim::IniFile::Parse("[Firmware]\nSignature = 4d 5a\n");
    ASSERT_TRUE(tavsim::LoadFirmwareModel(p, desc, error));
    EXPECT_EQ(desc.signature, (std::vector<uint8_t>{0x4d, 0x5a}));
    p.ini = tavsim::IniFile::Parse("[Firmware]\nSignature = QV\n");
    EXPECT_FALSE(tavsim::LoadFirmwareModel(p, desc, error));
    EXPECT_FALSE(error.empty());
}

TEST(SimFirmwareTest, AProgrammedImageTakesThePrinterOfflineAndACutOneDoesNot) {
    tavtest::SimProcess sim("color-ps", {"--program-ms", "1500", "--data-quiet-ms", "200"});
    {
        Client c(sim.Port());
        ASSERT_TRUE(c.Ok());
        c.Send(Image(9000, 10000)); // cut short: the printer keeps its old program
        ASSERT_TRUE(sim.WaitForEvents(1, 5000, "firmware"));
        c.Send(kStatusJob);
        EXPECT_FALSE(c.Read(1, 1000).empty());
        c.Send("plain print data, no signature");
        ASSERT_TRUE(sim.WaitForEvents(2, 5000, "data"));
    }
    auto fw = Of(sim, "firmware");
    ASSERT_EQ(fw.size(), 1u); // the print data is no image
    EXPECT_EQ(fw[0].Field("result"), "incomplete");
    EXPECT_EQ(fw[0].Field("bytes"), "9000");

    Client c(sim.Port());
    ASSERT_TRUE(c.Ok());
    c.Send(Image(10000, 10000));
    ASSERT_TRUE(sim.WaitForEvents(2, 5000, "firmware"));
    fw = Of(sim, "firmware");
    EXPECT_EQ(fw[1].Field("result"), "programmed");
    EXPECT_EQ(fw[1].Field("offline_ms"), "1500");
    c.Send(kStatusJob); // offline: taken in, not run, not answered
    ASSERT_TRUE(sim.WaitForEvents(1, 5000, "online"));
    EXPECT_TRUE(c.Read(1, 100).empty());
    c.Send(kStatusJob);
    EXPECT_FALSE(c.Read(1, 2000).empty());
    const auto jobs = Of(sim, "job");
    ASSERT_GE(jobs.size(), 3u);
    EXPECT_NE(jobs[jobs.size() - 2].raw.find("offline: programming firmware"), std::string::npos);
    EXPECT_EQ(jobs.back().raw.find("offline"), std::string::npos);
}
