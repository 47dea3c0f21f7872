// The real library over TCP against scripted printers on loopback.
#include "QvdevmHarness.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdlib>
#include <dlfcn.h>
#include <fstream>
#include <mutex>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <tuple>
#include <unistd.h>

using namespace qvtest;

namespace {

const std::string kUel = "\x1b%-12345X";

std::string Job(const std::string& line) {
    return kUel + "@PJL\r\n" + line + "\r\n" + kUel;
}

// Answers every job with "ANSWER <n>" until the client closes.
void AnswerEveryJob(Peer& peer, int) {
    for (int n = 0;; ++n) {
        std::string job = peer.ReadUntil(kUel + "@PJL\r\n");
        if (job.empty()) return;
        peer.ReadUntil("\r\n" + kUel);
        if (!peer.Send("ANSWER " + std::to_string(n) + "\f")) return;
    }
}

} // namespace

TEST(TcpLink, ReplyThatArrivesWhileClosedIsReadLater) {
    ScriptServer server(AnswerEveryJob);
    const Api& api = Lib();
    ASSERT_EQ(WritePrinter(api, server.Name(), Job("@PJL INFO ID")), Job("@PJL INFO ID").size());
    SleepMs(300); // the reply comes while the program waits with the device closed
    EXPECT_EQ(ReadPrinter(api, server.Name()), "ANSWER 0\f");
}

TEST(TcpLink, ManyCyclesUseOneConnection) {
    ScriptServer server(AnswerEveryJob);
    const Api& api = Lib();
    for (int i = 0; i < 25; ++i) {
        ASSERT_EQ(WritePrinter(api, server.Name(), Job("@PJL INFO STATUS")), Job("@PJL INFO STATUS").size());
        ASSERT_EQ(ReadPrinter(api, server.Name()), "ANSWER " + std::to_string(i) + "\f") << "cycle " << i;
    }
    EXPECT_EQ(server.Accepts(), 1);
}

TEST(TcpLink, ReplyInPiecesIsCollectedAndNeverExceedsCapacity) {
    ScriptServer server([](Peer& peer, int) {
        peer.ReadUntil("\r\n" + kUel);
        peer.Send("@PJL INFO ");
        SleepMs(40);
        peer.Send("CONFIG\r\nA=1\r\n");
        SleepMs(40);
        peer.Send("B=2\r\n\f");
        peer.ReadUntil("\r\n" + kUel);
        peer.Send(std::string(100, 'x') + "END");
        peer.WaitEnd();
    });
    const Api& api = Lib();
    WritePrinter(api, server.Name(), Job("@PJL INFO CONFIG"));
    EXPECT_EQ(ReadPrinter(api, server.Name()), "@PJL INFO CONFIG\r\nA=1\r\nB=2\r\n\f");

    // A 103-byte reply read 33 bytes at a time: never more than asked, nothing lost.
    WritePrinter(api, server.Name(), Job("@PJL ENGINE NUX_BUTTON=1"));
    SleepMs(200);
    std::string all;
    for (int i = 0; i < 4; ++i) {
        std::string part = ReadPrinter(api, server.Name(), 33);
        EXPECT_LE(part.size(), 33u);
        all += part;
    }
    EXPECT_EQ(all, std::string(100, 'x') + "END");
}

TEST(TcpLink, PeerClosingMidReplyKeepsDataAndNextWriteReconnects) {
    ScriptServer server([](Peer& peer, int index) {
        peer.ReadUntil("\r\n" + kUel);
        if (index == 0) {
            peer.Send("HALF OF A REP"); // and the printer drops the line
            return;
        }
        peer.Send("SECOND\f");
        peer.WaitEnd();
    });
    const Api& api = Lib();
    WritePrinter(api, server.Name(), Job("@PJL INFO PRINTER = ALL"));
    ASSERT_TRUE(server.WaitDone(1));
    EXPECT_EQ(ReadPrinter(api, server.Name()), "HALF OF A REP");
    EXPECT_EQ(ReadPrinter(api, server.Name()), ""); // the peer is gone and nothing else came
    ASSERT_EQ(WritePrinter(api, server.Name(), Job("@PJL INFO ID")), Job("@PJL INFO ID").size());
    EXPECT_EQ(ReadPrinter(api, server.Name()), "SECOND\f");
    EXPECT_EQ(server.Accepts(), 2);
}

TEST(TcpLink, RefusedConnectionFailsAtOnceAndSaysSo) {
    // A connect timeout far beyond the test's own: only a refusal can end the open.
    ScopedEnv connectTimeout("QVDEVM_CONNECT_TIMEOUT_MS", "600000");
    ScopedEnv debug("QVDEVM_DEBUG", "1");
    const std::string name = "tcp://127.0.0.1:" + std::to_string(ClosedPort());
    int opened = 1;
    std::string err = CaptureStderr([&] { opened = Lib().open(2, 4, 0, 0, name.c_str()); });
    EXPECT_EQ(opened, 0);
    EXPECT_NE(err.find("[QVDEVM] "), std::string::npos) << err;
    EXPECT_NE(err.find("connection refused"), std::string::npos) << err;
    EXPECT_EQ(Lib().check(name.c_str(), 0, 0, 1), 0);
    uint32_t count = 99;
    EXPECT_EQ(Lib().write("x", 1, &count), 0); // nothing is open
    EXPECT_EQ(count, 0u);
}

// Each failed open and check tells its class and the library's words; one that works clears them.
// (What tavctl makes of each bad name: TavctlSimTest.)
TEST(TcpLink, LastErrorSaysWhyTheOpenFailed) {
    const std::string closed = "tcp://127.0.0.1:" + std::to_string(ClosedPort());
    const std::string file = ::testing::TempDir() + "not-a-device";
    std::ofstream(file) << "x";
    ScriptServer server([](Peer&, int) {});
    char text[64];
    for (const auto& [name, code, why] :
         {std::tuple{std::string("bogus"), QVDEVM_ERROR_BAD_NAME, "unknown device name"},
          {std::string(QVDEVM_DEVICE_NAME_MAX + 1, 's'), QVDEVM_ERROR_BAD_NAME, "longer than 255 characters"},
          {closed, QVDEVM_ERROR_REFUSED, "connection refused"},
          {"/nonexistent/lp0", QVDEVM_ERROR_NOT_FOUND, "no such device"},
          {file, QVDEVM_ERROR_OTHER, "not a character device"}}) {
        EXPECT_EQ(Lib().open(2, 4, 0, 0, name.c_str()), 0) << name;
        EXPECT_EQ(Lib().lastError(text, sizeof text), code) << name;
        EXPECT_STREQ(text, why);
        ASSERT_EQ(Lib().open(2, 4, 0, 0, server.Name().c_str()), 1);
        Lib().close(4);
        EXPECT_EQ(Lib().lastError(text, sizeof text), QVDEVM_ERROR_NONE);
        EXPECT_STREQ(text, "");
    }
    EXPECT_EQ(Lib().check(closed.c_str(), 0, 0, 1), 0);
    EXPECT_EQ(Lib().lastError(text, 5), QVDEVM_ERROR_REFUSED);
    EXPECT_STREQ(text, "conn"); // cut to the buffer, ended
}

TEST(TcpLink, RealCloseAfterLingerIsOrderly) {
    ScopedEnv linger("QVDEVM_LINGER_MS", "200");
    std::mutex mutex;
    std::vector<std::string> seen;
    ScriptServer server([&](Peer& peer, int) {
        peer.ReadUntil("\r\n" + kUel);
        std::string first = peer.WaitEnd(5000);
        // Whatever the printer still sends after the client's half-close is drained by the
        // client, so the printer never sees a reset.
        bool sent = peer.Send("late status\r\n");
        std::string second = peer.WaitEnd(2000);
        std::lock_guard<std::mutex> lock(mutex);
        seen = {first, sent ? "sent" : "send failed", second};
    });
    ASSERT_GT(WritePrinter(Lib(), server.Name(), Job("@PJL ECHO x")), 0u);
    ASSERT_TRUE(server.WaitDone(1));
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_EQ(seen, (std::vector<std::string>{"eof", "sent", "eof"})) << "eof, not a reset";
}

TEST(TcpLink, LingeringLinkStaysUpBetweenTransfers) {
    ScopedEnv linger("QVDEVM_LINGER_MS", "1500");
    std::atomic<bool> endedEarly{true};
    std::atomic<bool> endedLater{false};
    ScriptServer server([&](Peer& peer, int) {
        peer.ReadUntil("\r\n" + kUel);
        endedEarly = peer.WaitEnd(700) != "timeout";
        endedLater = peer.WaitEnd(10000) == "eof";
    });
    WritePrinter(Lib(), server.Name(), Job("@PJL ECHO y"));
    ASSERT_TRUE(server.WaitDone(1, 15000));
    EXPECT_FALSE(endedEarly.load()) << "the link closed although it was to linger";
    EXPECT_TRUE(endedLater.load()) << "the link did not close after lingering";
}

// The diagnostic panel loads the library, makes one call and unloads it again, every time.
TEST(TcpLink, LoadingAndUnloadingAroundEveryCallKeepsTheLink) {
    ScriptServer server(AnswerEveryJob);
    const std::string name = server.Name();
    auto withLibrary = [](auto fn) {
        void* h = dlopen(LibraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(h, nullptr);
        fn(h);
        dlclose(h);
    };
    for (int i = 0; i < 3; ++i) {
        const std::string job = Job("@PJL ENGINE NUX_BUTTON=" + std::to_string(i + 1));
        withLibrary([&](void* h) {
            ASSERT_NE(reinterpret_cast<DeviceOpenFn>(dlsym(h, "DeviceOpen"))(2, 4, 0, 0, name.c_str()), 0);
        });
        withLibrary([&](void* h) {
            uint32_t n = 0;
            reinterpret_cast<DeviceWriteFn>(dlsym(h, "DeviceWrite"))(job.data(),
                                                                     static_cast<uint32_t>(job.size()), &n);
            EXPECT_EQ(n, job.size());
        });
        withLibrary([&](void* h) { reinterpret_cast<DeviceCloseFn>(dlsym(h, "DeviceClose"))(4); });
        char reply[33] = {};
        uint32_t count = 0;
        withLibrary([&](void* h) {
            ASSERT_NE(reinterpret_cast<DeviceOpenFn>(dlsym(h, "DeviceOpen"))(2, 4, 0, 0, name.c_str()), 0);
        });
        withLibrary([&](void* h) {
            const uint8_t a = 16, b = 0;
            uint32_t r = 0;
            auto control = reinterpret_cast<GetDeviceIoControlFn>(dlsym(h, "GetDeviceIoControl"));
            EXPECT_NE(control(QVDEVM_IOCTL_NOP_A, &a, 1, nullptr, 0, &r), 0);
            EXPECT_NE(control(QVDEVM_IOCTL_NOP_B, &b, 1, nullptr, 0, &r), 0);
            EXPECT_EQ(r, 0u);
        });
        withLibrary([&](void* h) {
            auto read = reinterpret_cast<DeviceReadFn>(dlsym(h, "DeviceRead"));
            read(reply, sizeof reply, &count);
            if (count == 0) read(reply, sizeof reply, &count);
        });
        withLibrary([&](void* h) { reinterpret_cast<DeviceCloseFn>(dlsym(h, "DeviceClose"))(4); });
        EXPECT_EQ(std::string(reply, count), "ANSWER " + std::to_string(i) + "\f");
    }
    EXPECT_EQ(server.Accepts(), 1);
}

TEST(TcpLink, ControlRequestsNeverFlushTheBuffer) {
    ScriptServer server([](Peer& peer, int) {
        peer.ReadUntil("\r\n" + kUel);
        peer.Send("DISPLAY LINE ONE");
        peer.ReadUntil("INFO STATUS\r\n" + kUel);
        peer.Send("@PJL INFO STATUS\r\nCODE=10001\r\nDISPLAY=\"READY\"\r\nONLINE=TRUE\r\n\f");
        peer.Send(" AND TWO");
        peer.WaitEnd();
    });
    const Api& api = Lib();
    WritePrinter(api, server.Name(), Job("@PJL ENGINE NUX_BUTTON=3"));
    SleepMs(200);
    ASSERT_NE(api.open(2, 4, 0, 0, server.Name().c_str()), 0);
    const uint8_t a = 16, b = 0;
    uint32_t r = 7;
    EXPECT_NE(api.control(QVDEVM_IOCTL_NOP_A, &a, 1, nullptr, 0, &r), 0);
    EXPECT_EQ(r, 0u);
    EXPECT_NE(api.control(QVDEVM_IOCTL_NOP_B, &b, 1, nullptr, 0, &r), 0);
    EXPECT_EQ(api.control(0x220000u, &a, 1, nullptr, 0, &r), 0) << "an unknown code must fail";
    api.close(4);

    // The status request finds its answer among other bytes and takes only its own.
    ASSERT_NE(api.open(0, 0, 0, 0, server.Name().c_str()), 0);
    const uint8_t in[3] = {2, 0, 0};
    uint8_t out[8] = {};
    uint32_t count = 0;
    ASSERT_NE(api.control(QVDEVM_IOCTL_VENDOR_GET, in, 3, out, 8, &count), 0);
    api.close(0);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(out[0], 9);
    EXPECT_EQ(out[1], 1);
    EXPECT_EQ(out[2], 1);
    SleepMs(100);
    EXPECT_EQ(ReadPrinter(api, server.Name()), "DISPLAY LINE ONE AND TWO");
}

TEST(TcpLink, StatusRequestFailsWhenThePrinterDoesNotAnswer) {
    ScopedEnv readTimeout("QVDEVM_READ_TIMEOUT_MS", "300");
    ScriptServer server([&](Peer& peer, int) {
        peer.ReadUntil("\r\n" + kUel);
        peer.WaitEnd();
    });
    const Api& api = Lib();
    ASSERT_NE(api.open(0, 0, 0, 0, server.Name().c_str()), 0);
    const uint8_t in[3] = {2, 0, 0};
    uint8_t out[8] = {};
    uint32_t count = 0;
    EXPECT_EQ(api.control(QVDEVM_IOCTL_VENDOR_GET, in, 3, out, 8, &count), 0);
    api.close(4);
    EXPECT_EQ(count, 0u);
}

TEST(TcpLink, PresenceCheckDoesNotDisturbTheLink) {
    ScriptServer server(AnswerEveryJob);
    const Api& api = Lib();
    EXPECT_NE(api.check(server.Name().c_str(), 0, 0, 1), 0);
    WritePrinter(api, server.Name(), Job("@PJL INFO ID"));
    EXPECT_NE(api.check(server.Name().c_str(), 0, 0, 1), 0);
    EXPECT_EQ(ReadPrinter(api, server.Name()), "ANSWER 0\f");
}

TEST(TcpLink, SilentPrinterReadsAsNothingAndSaysSo) {
    ScopedEnv readTimeout("QVDEVM_READ_TIMEOUT_MS", "200");
    ScriptServer server([](Peer& peer, int) {
        peer.ReadUntil("\r\n" + kUel);
        peer.WaitEnd();
    });
    const Api& api = Lib();
    ASSERT_GT(WritePrinter(api, server.Name(), Job("@PJL INFO ID")), 0u);
    std::string reply = "unset";
    std::string err;
    {
        ScopedEnv debug("QVDEVM_DEBUG", "1");
        err = CaptureStderr([&] { reply = ReadPrinter(api, server.Name()); });
    }
    EXPECT_EQ(reply, "");
    EXPECT_NE(err.find("[QVDEVM] "), std::string::npos) << err;
    EXPECT_NE(err.find("no answer"), std::string::npos) << err;
    EXPECT_EQ(err.find("connection refused"), std::string::npos) << err;
}

TEST(TcpLink, ProcessExitEndsALingeringLinkOrderly) {
    // Far longer than the test: only the exit of the process can end the link in time.
    ScopedEnv linger("QVDEVM_LINGER_MS", "600000");
    std::mutex mutex;
    std::string job, end;
    ScriptServer server([&](Peer& peer, int) {
        std::string j = peer.ReadUntil("\r\n" + kUel);
        std::string e = peer.WaitEnd(8000);
        std::lock_guard<std::mutex> lock(mutex);
        job = j;
        end = e;
    });
    pid_t pid = fork();
    if (pid == 0) {
        execl(QVDEVM_HELPER, QVDEVM_HELPER, LibraryPath().c_str(), server.Name().c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(pid, 0);
    int status = -1;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    ASSERT_TRUE(server.WaitDone(1));
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_EQ(job, Job("@PJL ECHO EXIT"));
    EXPECT_EQ(end, "eof");
}

TEST(TcpLink, EachThreadTalksToTheDeviceItOpened) {
    ScriptServer first(AnswerEveryJob);
    ScriptServer second([](Peer& peer, int) {
        for (int n = 0;; ++n) {
            if (peer.ReadUntil("\r\n" + kUel).empty()) return;
            if (!peer.Send("OTHER " + std::to_string(n) + "\f")) return;
        }
    });
    std::atomic<int> wrong{0};
    auto run = [&](const std::string& name, const std::string& prefix) {
        for (int i = 0; i < 10; ++i) {
            WritePrinter(Lib(), name, Job("@PJL INFO ID"));
            if (ReadPrinter(Lib(), name) != prefix + std::to_string(i) + "\f") ++wrong;
        }
    };
    std::thread a(run, first.Name(), "ANSWER ");
    std::thread b(run, second.Name(), "OTHER ");
    a.join();
    b.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(first.Accepts(), 1);
    EXPECT_EQ(second.Accepts(), 1);
}

// A printer that stops taking data for the write timeout has not gone: the write ends short and
// the rest goes on over the same connection once the printer reads again, every byte in order.
TEST(TcpLink, AWriteThatTimesOutLeavesTheConnectionForTheRest) {
    ScopedEnv writeTimeout("QVDEVM_WRITE_TIMEOUT_MS", "300"); // taken when the link is made
    std::string data(16 << 20, 'x'); // more than any window takes unread
    data.back() = 'z';
    std::mutex mutex;
    std::condition_variable changed;
    bool readAgain = false;
    std::string got;
    ScriptServer server([&](Peer& peer, int) {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return readAgain; });
        char buffer[1 << 16];
        for (ssize_t n; got.size() < data.size() && (n = recv(peer.fd, buffer, sizeof buffer, 0)) > 0;)
            got.append(buffer, static_cast<size_t>(n));
    });
    const Api& api = Lib();
    const uint32_t first = WritePrinter(api, server.Name(), data);
    ASSERT_GT(first, 0u);
    ASSERT_LT(first, data.size());
    {
        std::lock_guard<std::mutex> lock(mutex);
        readAgain = true;
    }
    changed.notify_all();
    EXPECT_EQ(WritePrinter(api, server.Name(), data.substr(first)), data.size() - first);
    ASSERT_TRUE(server.WaitDone(1));
    EXPECT_EQ(got.size(), data.size());
    EXPECT_EQ(got.back(), 'z');
    EXPECT_EQ(server.Accepts(), 1);
}
