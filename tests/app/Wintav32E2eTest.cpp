// wintav32 as a real process on the offscreen platform: the quit message ends it with status 0,
// and a second copy ends silently while the first keeps running.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "FakeDev.h"
#include "SimProcess.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

class Wintav32E2e : public ::testing::Test {
  protected:
    void SetUp() override {
        runtime = home.dir + "run";
        fs::create_directory(runtime);
        fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
        fs::copy_file(std::string(TAV_BIN) + "/langinfo.ini", home.dir + "langinfo.ini");
        fs::copy(std::string(TAV_BIN) + "/lang", home.dir + "lang", fs::copy_options::recursive);
        home.Write("comtav.ini",
                   "[Common]\nDeviceID=tcp://127.0.0.1:9\n[TAB]\nAbout=1\nTest=1\n[TEST]\nSelfTest=1\n");
        // The settings record the stand-in library gives to the start-up query.
        home.Write("reads.hex", "010203c60400000004ff00\n");
        home.Write("lm.ini", "");
        home.Write("cu.ini", "");
    }
    void TearDown() override {
        for (pid_t p : started)
            if (kill(p, 0) == 0) {
                kill(p, SIGKILL);
                waitpid(p, nullptr, 0);
            }
    }
    pid_t Start(const std::vector<std::string>& args, const std::string& tag, const std::string& homeDir = {}) {
        std::vector<std::string> env = {
            "WINTAV32_HOME=" + (homeDir.empty() ? home.dir : homeDir),
            "XDG_RUNTIME_DIR=" + runtime,
            "QT_QPA_PLATFORM=offscreen",
            "TAV_REGISTRY_LM=" + home.dir + "lm.ini",
            "TAV_REGISTRY_CU=" + home.dir + "cu.ini",
            "FAKEDEV_READS=" + home.dir + "reads.hex",
            "TAV_DEBUG_FILE=" + home.dir + tag + ".debug",
            "HOME=" + home.dir,
        };
        std::vector<std::string> argv = {TAV_WINTAV32};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> a, e;
        for (auto& s : argv)
            a.push_back(s.data());
        a.push_back(nullptr);
        for (auto& s : env)
            e.push_back(s.data());
        e.push_back(nullptr);
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        const std::string out = home.dir + tag + ".stderr";
        posix_spawn_file_actions_addopen(&fa, 2, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t pid = -1;
        EXPECT_EQ(posix_spawn(&pid, TAV_WINTAV32, &fa, nullptr, a.data(), e.data()), 0);
        posix_spawn_file_actions_destroy(&fa);
        started.push_back(pid);
        return pid;
    }
    // The exit status, or -1 when it is still running after the timeout.
    static int WaitExit(pid_t pid, std::chrono::milliseconds timeout) {
        auto until = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < until) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }
    bool WaitFor(const std::string& path, std::chrono::milliseconds timeout) {
        auto until = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < until) {
            if (fs::exists(path)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    std::string Read(const std::string& name) {
        std::ifstream in(home.dir + name);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    tavtest::FakeHome home;
    std::string runtime;
    std::vector<pid_t> started;
};

} // namespace

TEST_F(Wintav32E2e, BroadcastQuitEndsTheRunningCopyAndASecondCopyEndsSilently) {
    pid_t first = Start({}, "first");
    const std::string socket = runtime + "/Quorvex PanelMgr." + std::to_string(first);
    ASSERT_TRUE(WaitFor(socket, std::chrono::seconds(30))) << Read("first.stderr") << Read("first.debug");

    pid_t second = Start({}, "second");
    EXPECT_EQ(WaitExit(second, std::chrono::seconds(30)), 0);
    EXPECT_EQ(Read("second.debug"), "");                            // nothing shown, nothing traced
    EXPECT_EQ(WaitExit(first, std::chrono::milliseconds(300)), -1); // the first keeps running
    EXPECT_TRUE(fs::exists(socket));

    // A copy under another title (another model's profile) runs beside it, and takes nothing
    // of the first copy's quit message; the broadcast ends both.
    tavtest::FakeHome other;
    fs::copy_file(home.dir + "langinfo.ini", other.dir + "langinfo.ini");
    fs::copy(home.dir + "lang", other.dir + "lang", fs::copy_options::recursive);
    other.Write("comtav.ini", "[Common]\nDeviceID=tcp://127.0.0.1:9\nAPPNAME=0\n[TAB]\nAbout=1\n");
    pid_t third = Start({}, "third", other.dir);
    ASSERT_TRUE(WaitFor(runtime + "/Quorvex PanelMgr." + std::to_string(third), std::chrono::seconds(30)))
        << Read("third.stderr") << Read("third.debug");
    EXPECT_TRUE(fs::exists(socket));

    pid_t quit = Start({"--broadcast-quit"}, "quit");
    EXPECT_EQ(WaitExit(quit, std::chrono::seconds(30)), 0);
    EXPECT_EQ(WaitExit(first, std::chrono::seconds(30)), 0);
    EXPECT_EQ(WaitExit(third, std::chrono::seconds(30)), 0);
    EXPECT_NE(Read("first.debug").find("[TAV] quit message received"), std::string::npos);

    // With nobody listening the broadcast is a no-op that still succeeds.
    pid_t again = Start({"--broadcast-quit"}, "again");
    EXPECT_EQ(WaitExit(again, std::chrono::seconds(30)), 0);
}

// Against the simulator through the real device library: start-up asks for the settings, the
// Check page asks for the report when its tab is first shown, and every tab is pictured.
TEST_F(Wintav32E2e, RunsAgainstTheSimulatorAndPicturesEveryTab) {
    tavtest::SimProcess sim("color-ps");
    const std::string shots = home.dir + "shots";
    std::vector<std::string> env = {
        "XDG_RUNTIME_DIR=" + runtime, "QT_QPA_PLATFORM=offscreen", "TAV_REGISTRY_LM=" + home.dir + "lm.ini",
        "TAV_REGISTRY_CU=" + home.dir + "cu.ini", "HOME=" + home.dir,
        "TAV_DEBUG_FILE=" + home.dir + "sim-run.debug", "QVDEVM_LOCK_DIR=" + runtime,
        "TAV_TEST_WAIT_LOG=" + home.dir + "sim-run.waits",
    };
    std::vector<std::string> argv = {TAV_WINTAV32_DRIVEN, "--screenshots", shots, "--device", sim.DeviceName()};
    std::vector<char*> a, e;
    for (auto& s : argv)
        a.push_back(s.data());
    a.push_back(nullptr);
    for (auto& s : env)
        e.push_back(s.data());
    e.push_back(nullptr);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, TAV_WINTAV32_DRIVEN, nullptr, nullptr, a.data(), e.data()), 0);
    started.push_back(pid);
    ASSERT_EQ(WaitExit(pid, std::chrono::seconds(60)), 0);

    for (const char* tab : {"test", "check", "about"})
        EXPECT_TRUE(fs::exists(shots + "/" + tab + ".png")) << tab;
    std::vector<std::string> jobs;
    for (const auto& j : sim.Jobs())
        jobs.emplace_back(j.begin(), j.end());
    ASSERT_GE(jobs.size(), 2u);
    const std::string uel = "\x1b%-12345X";
    EXPECT_EQ(jobs[0], uel + "@PJL\r\n@PJL INFO PRINTER = ALL\r\n" + uel);
    EXPECT_EQ(jobs[0].size(), 49u);
    // The record was read and parsed: the capability word decides which tabs there are, and
    // this model's PostScript and duplex bits are what the simulator's profile reports.
    const std::string debug = Read("sim-run.debug");
    EXPECT_NE(debug.find("capabilities 0x287040C5"), std::string::npos) << debug;
    size_t reports = 0;
    for (const auto& j : jobs)
        reports += j.find("@PJL INFO INFORMATION=ALL") != std::string::npos;
    EXPECT_EQ(reports, 1u); // once, at the first showing of the Check page
    // The waits were asked for, not slept: first start-up's 2 s for the settings record.
    EXPECT_EQ(Read("sim-run.waits").rfind("2000\n", 0), 0u) << Read("sim-run.waits");
}

// A network printer serves one connection at a time: the link must be given up a few seconds
// after start-up's settings exchange, while the window stays open, so other programs get their
// turn.
TEST_F(Wintav32E2e, TheConnectionClosesSoonAfterTheExchangeWhileTheWindowStaysOpen) {
    tavtest::SimProcess sim("color-ps");
    home.Write("comtav.ini", "[Common]\nDeviceID=" + sim.DeviceName() + "\n[TAB]\nAbout=1\n");
    // The folder holds a link to the stand-in library; the real one takes its place (never
    // through the link, which would overwrite the stand-in itself).
    fs::remove(home.dir + "libqvdevm.so");
    fs::create_symlink(std::string(TAV_BIN) + "/libqvdevm.so", home.dir + "libqvdevm.so");
    const pid_t pid = Start({}, "linger");
    ASSERT_TRUE(sim.WaitForEvents(1, 30000, "reply")) << Read("linger.stderr");
    ASSERT_TRUE(sim.WaitForEvents(1, 10000, "close")) << "the link still holds the printer";
    double replied = 0, closed = 0;
    for (const auto& e : sim.Events()) {
        if (e.event == "reply" && replied == 0) replied = e.t;
        if (e.event == "close" && closed == 0) closed = e.t;
    }
    // The program reads the record once its 2 s wait is over (at once in this test build), and
    // gives the link up within 5 s of that read.
    EXPECT_LT(closed - replied, 5.0);
    EXPECT_EQ(WaitExit(pid, std::chrono::milliseconds(100)), -1); // the window is still open

    const pid_t quit = Start({"--broadcast-quit"}, "quit");
    EXPECT_EQ(WaitExit(quit, std::chrono::seconds(30)), 0);
    EXPECT_EQ(WaitExit(pid, std::chrono::seconds(30)), 0);
}
