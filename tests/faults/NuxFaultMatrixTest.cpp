// Each key of the diagnostic panel against each fault of the simulated printer, through the
// real device library, one row a pair: what the window shows (the printer's lines, or the
// error box with the display kept), no hang, the port lock free, nothing sent but the panel's
// own jobs, and the next key, once the fault has passed, shown its own reply, never a late one.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>

#include "NuxProcess.h"
#include "PortLockFile.h"
#include "SimProcess.h"
#include "diagpanel/NuxProtocol.h"

namespace {

using nuxtest::kQuietMs;
using nuxtest::kReadTimeoutMs;
using nuxtest::Printed;

const char kSendErrorBox[] = "box NUX Mode: Error sending command to the printer\n";
const char kWriteErrorBox[] = "box Fuser Setting: Write Error!!\n";
const char kReadError[] = "[NUX] SendCommand() -Read Error";
const char kWriteError[] = "[NUX] SendCommand() -Write Error";
const size_t kWholeReply = nux::kReplySize;
// Past both reads of a key (the second when the first got nothing), with room for a slow machine.
const std::string kPastBothReads = std::to_string(2 * kReadTimeoutMs + kReadTimeoutMs / 2);

enum class Shows { Lines, ErrorBox };

struct Row {
    const char* name;
    int before = 0;                    // a key pressed first, with nothing aimed at it (job 2); 0: none
    int key = 0;                       // the key pressed under the fault
    int after = 0;                     // a key pressed once the fault has passed; 0: it lasts the run
    std::vector<std::string> sim = {}; // tavsim's arguments; job 1 is the enter-mode job
    Shows shows = Shows::Lines;
    const char* trace = "";        // the debug line that tells why the key failed
    size_t received = kWholeReply; // bytes of the key's reply that its read gets
    bool replied = true;           // the printer sends the key's reply at all
    const char* startBox = "";     // the box shown as the panel starts
    bool reached = true;           // jobs reach the printer
    bool holdPort = false;         // another program holds the port lock throughout
    bool switchOff = false;        // the printer goes away after the `before` key
    const char* firstAfter = "";   // a simulator event the first key waits for
    bool refused = false;          // the boxes add the device library's reason: the connection was refused
};

void PrintTo(const Row& row, std::ostream* os) {
    *os << row.name;
}

const Row kRows[] = {
    // The enter-mode job at start, its fault seen by the first key.
    {.name = "EnterRefused",
     .key = 1000,
     .sim = {"--fault", "refuse"},
     .shows = Shows::ErrorBox,
     .trace = kWriteError,
     .replied = false,
     .startBox = kWriteErrorBox,
     .reached = false,
     .refused = true},
    // The key goes once the connection is gone: one written while the printer closes it is lost.
    {.name = "EnterDropped",
     .key = 1000,
     .sim = {"--fault", "job1:drop"},
     .shows = Shows::Lines,
     .firstAfter = "close"},
    {"EnterUnaskedStatus", 0, 1000, 0, {"--fault", "job1:unasked"}, Shows::Lines},
    // Whole-run faults: the enter-mode job goes out unseen, the key finds them.
    {.name = "StalledReader",
     .key = 1001,
     .sim = {"--fault", "stall"},
     .shows = Shows::ErrorBox,
     .trace = kReadError,
     .replied = false,
     .reached = false},
    // The panel takes no port lock of its own: another program's hold neither stops nor waits it.
    {.name = "PortHeld", .key = 1002, .shows = Shows::Lines, .holdPort = true},
    {.name = "SwitchedOff",
     .before = 1000,
     .key = 1003,
     .shows = Shows::ErrorBox,
     .trace = kWriteError,
     .replied = false,
     .switchOff = true},
    // Aimed at the key's job (3); the next key's job (4) is healthy.
    {.name = "NoReply",
     .before = 1000,
     .key = 1003,
     .after = 1001,
     .sim = {"--fault", "job3:no-reply"},
     .shows = Shows::ErrorBox,
     .trace = kReadError,
     .replied = false},
    {"LateReply",
     1000,
     1002,
     1004,
     {"--fault", "job3:delay=" + std::to_string(kReadTimeoutMs / 2)},
     Shows::Lines},
    {"TooLateReply",
     1000,
     1004,
     1000,
     {"--fault", "job3:delay=" + kPastBothReads},
     Shows::ErrorBox,
     kReadError},
    {"ReplyInPieces", 1000, 1001, 1003, {"--fault", "job3:split=16"}, Shows::Lines},
    // The tail comes after the line has been quiet long enough to end a read: the key reads on
    // until its display is whole.
    {.name = "ReplyInSlowPieces",
     .before = 1000,
     .key = 1003,
     .after = 1001,
     .sim = {"--fault", "job3:split=16", "--split-pause-ms", std::to_string(3 * kQuietMs)},
     .shows = Shows::Lines},
    {.name = "ShortReply",
     .before = 1000,
     .key = 1002,
     .after = 1004,
     .sim = {"--fault", "job3:truncate=5"},
     .shows = Shows::Lines,
     .received = 5},
    // Nothing frames the display reply: noise of its length is shown as it came.
    {"GarbageReply", 1000, 1004, 1000, {"--fault", "job3:garbage=67"}, Shows::Lines},
    {.name = "Dropped",
     .before = 1000,
     .key = 1003,
     .after = 1001,
     .sim = {"--fault", "job3:drop"},
     .shows = Shows::ErrorBox,
     .trace = kReadError,
     .replied = false},
    {"UnaskedStatus", 1000, 1001, 1003, {"--fault", "job3:unasked"}, Shows::Lines},
};

using Clock = std::chrono::steady_clock;

// A run takes a few read timeouts at most; this far past them is a hang.
constexpr int kDeadlineMs = 15000;
constexpr auto kDeadline = std::chrono::milliseconds(kDeadlineMs);

bool PollUntil(Clock::time_point deadline, const std::function<bool()>& done) {
    while (!done()) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// The display replies the printer sent, in order (status lines sent unasked left out).
std::vector<std::vector<uint8_t>> KeyReplies(const tavtest::SimProcess& sim) {
    std::vector<std::vector<uint8_t>> out;
    for (const auto& e : sim.Events())
        if (e.event == "reply" && e.Field("cmd") == "ENGINE NUX_BUTTON") out.push_back(e.bytes);
    return out;
}

char CodeOf(int key) {
    return char('1' + (key - 1000));
}

class NuxFaultMatrix : public ::testing::TestWithParam<Row> {};

TEST_P(NuxFaultMatrix, TheWindowShowsWhatIsOwedAndTheNextKeyItsOwnReply) {
    const Row& row = GetParam();
    nuxtest::NuxHome home(QVDEVM_LIBRARY);
    auto sim = std::make_unique<tavtest::SimProcess>("mono-pcl", row.sim);
    home.Configure(sim->DeviceName());
    const std::string cue0 = home.dir + "started", cue1 = home.dir + "before.done",
                      cue2 = home.dir + "fault.done";
    std::string script;
    if (*row.firstAfter) script += "wait-for " + cue0 + "\n";
    if (row.before) script += "click " + std::to_string(row.before) + "\nprint\nwait-for " + cue1 + "\n";
    script += "click " + std::to_string(row.key) + "\nprint\n";
    if (row.after) script += "wait-for " + cue2 + "\nclick " + std::to_string(row.after) + "\nprint\n";
    home.WriteScript("keys", script + "click 1\n");
    std::unique_ptr<tavtest::PortHold> held;
    if (row.holdPort) {
        held = std::make_unique<tavtest::PortHold>(home.dir);
        ASSERT_TRUE(held->Held());
    }

    const auto deadline = Clock::now() + kDeadline;
    nuxtest::NuxProcess nux(NUX_PROGRAM, home.Run("keys", "nux.log"));
    nux.Start();
    if (*row.firstAfter) {
        ASSERT_TRUE(sim->WaitForEvents(1, kDeadlineMs, row.firstAfter));
        std::ofstream(cue0) << "";
    }
    size_t prints = 0;
    const auto printed = [&] { return Count(nux.Out(), "line2=") >= prints; };
    std::vector<std::vector<uint8_t>> jobs;
    std::vector<std::vector<uint8_t>> replies;
    // The simulator logs a reply once it is out, so the panel may show it before the log has it.
    const auto settle = [&](size_t owed) {
        PollUntil(deadline, [&] { return KeyReplies(*sim).size() >= owed; });
        jobs = sim->Jobs();
        replies = KeyReplies(*sim);
    };
    if (row.before) {
        ++prints;
        ASSERT_TRUE(PollUntil(deadline, printed)) << nux.Out();
        if (row.switchOff) {
            settle(1);
            sim.reset();
        }
        std::ofstream(cue1) << "";
    }
    ++prints;
    ASSERT_TRUE(PollUntil(deadline, printed)) << nux.Out();
    held.reset();
    EXPECT_TRUE(tavtest::PortFree(home.dir)); // while the panel still runs
    if (row.after) {
        // All of the key's reply is out before the next key goes, so a late reply or the tail of
        // one is there to be read in its place.
        const size_t sent = size_t(row.before != 0) + size_t(row.replied);
        ASSERT_TRUE(PollUntil(deadline, [&] { return KeyReplies(*sim).size() >= sent; }));
        std::ofstream(cue2) << "";
    }
    const auto left = std::chrono::duration_cast<std::chrono::seconds>(deadline - Clock::now()).count();
    const nuxtest::NuxExit r = nux.Wait(int(std::max<long long>(left, 1)));
    ASSERT_TRUE(r.exited) << r.out << r.err;
    EXPECT_EQ(r.status, 1); // ended by Exit
    if (sim) settle(size_t(row.before != 0) + size_t(row.replied) + size_t(row.after != 0));

    // What the window showed, from what the printer sent.
    // No language file in this home: the reason is the device name and the library's words.
    const std::string reason = row.refused ? sim->DeviceName() + ": connection refused\n" : "";
    std::string expected = *row.startBox ? row.startBox + reason : "";
    std::string shown = Printed({});
    size_t next = 0;
    if (row.before) {
        ASSERT_GT(replies.size(), next);
        shown = Printed(replies[next++]);
        expected += shown;
    }
    std::vector<uint8_t> keyReply;
    if (row.replied) {
        ASSERT_GT(replies.size(), next);
        keyReply = replies[next++];
    }
    if (row.shows == Shows::Lines) {
        ASSERT_GE(keyReply.size(), row.received);
        expected += Printed({keyReply.begin(), keyReply.begin() + long(row.received)});
    } else {
        expected += kSendErrorBox + reason + shown;
    }
    if (row.after) {
        ASSERT_GT(replies.size(), next);
        // Else a late reply shown in its place would go unnoticed.
        if (row.replied) {
            EXPECT_NE(Printed(replies[next]), Printed(keyReply));
        }
        expected += Printed(replies[next++]);
    }
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(replies.size(), next);

    // The printer received the panel's own jobs and nothing else.
    std::vector<std::string> sent;
    if (row.reached) {
        sent.push_back(nuxtest::EnterJob());
        for (int k : {row.before, row.switchOff ? 0 : row.key, row.after})
            if (k) sent.push_back(nuxtest::KeyJob(CodeOf(k)));
    }
    std::vector<std::string> got;
    for (const auto& j : jobs)
        got.emplace_back(j.begin(), j.end());
    EXPECT_EQ(got, sent);
    if (*row.trace) {
        EXPECT_NE(nuxtest::ReadFile(home.dir + "nux.log").find(std::string(row.trace) + "\n"),
                  std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Nux, NuxFaultMatrix, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
