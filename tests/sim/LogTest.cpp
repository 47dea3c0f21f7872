// Log lines stay valid JSON whatever bytes the host sent, and the test helper reads them back.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "EventLog.h"
#include "SimProcess.h"

using namespace tavsim;

TEST(EventLogLines, EscapingAndFieldsRoundTrip) {
    const std::string odd = std::string("say \"hi\"\\ \r\n\t\x01") + "\xc3\xa9";
    Event ev("job");
    const uint8_t bytes[] = {0x1b, 0x00, 0xff};
    ev.Int("conn", 3).Str("cmd", odd).Hex("hex", bytes, 3).StrList("notes", {"a,b", "c\"d"}).Bool("complete", false);
    EXPECT_EQ(ev.Body(),
              ",\"conn\":3,\"cmd\":\"say \\\"hi\\\"\\\\ \\r\\n\\t\\u0001\\u00c3\\u00a9\",\"hex\":\"1b00ff\","
              "\"notes\":[\"a,b\",\"c\\\"d\"],\"complete\":false");

    char path[] = "/tmp/tavsim-logtest-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    close(fd);
    {
        EventLog log;
        std::string error;
        ASSERT_TRUE(log.Open(path, error)) << error;
        log.Write(ev);
        log.Write(Event("close").Str("reason", "peer closed"));
    }
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    std::remove(path);
    // A half-written last line is not taken.
    auto events = tavtest::ParseSimLog(ss.str() + "{\"t\":9.0,\"event\":\"jo");
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].event, "job");
    EXPECT_EQ(events[0].bytes, (std::vector<uint8_t>{0x1b, 0x00, 0xff}));
    EXPECT_EQ(events[0].Field("conn"), "3");
    EXPECT_EQ(events[0].Field("notes"), "[\"a,b\",\"c\\\"d\"]");
    EXPECT_EQ(events[0].Field("complete"), "false");
    EXPECT_EQ(events[0].Field("missing"), "");
    EXPECT_EQ(events[0].Field("cmd"), std::string("say \"hi\"\\ \r\n\t\x01") + "\xc3\xa9");
    EXPECT_GE(events[1].t, events[0].t);
    EXPECT_EQ(events[1].Field("reason"), "peer closed");
}
