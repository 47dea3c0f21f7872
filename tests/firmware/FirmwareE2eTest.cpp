// The firmware download end to end, through the real device library against the simulator:
// wintav32 in firmware-update-only mode sends the configured file by itself, and tavctl sends
// one on request; the printer's count and hash are the file's.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "../cli/RunProgram.h"
#include "FakeDev.h"
#include "Sha256.h"
#include "SimProcess.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// An image as the simulated model takes it: its signature, its whole length, then the program.
std::string Image(size_t size) {
    std::string s(size, '\0');
    for (size_t i = 8; i < size; ++i)
        s[i] = static_cast<char>((i * 31 + i / 4096) & 0xFF);
    s.replace(0, 4, "QVFW");
    for (int b = 0; b < 4; ++b)
        s[4 + static_cast<size_t>(b)] = static_cast<char>((size >> (24 - 8 * b)) & 0xFF);
    return s;
}

std::string Sha(const std::string& bytes) {
    tavsim::Sha256 h;
    h.Update(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return h.FinishHex();
}

class FirmwareE2e : public ::testing::Test {
  protected:
    void SetUp() override {
        runtime = home.dir + "run";
        fs::create_directory(runtime);
        fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
        fs::copy_file(std::string(TAV_BIN) + "/langinfo.ini", home.dir + "langinfo.ini");
        fs::copy(std::string(TAV_BIN) + "/lang", home.dir + "lang", fs::copy_options::recursive);
        fs::remove(home.dir + "libqvdevm.so");
        fs::create_symlink(QVDEVM_PATH, home.dir + "libqvdevm.so");
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
    std::vector<std::string> Env(const std::string& tag) const {
        return {"WINTAV32_HOME=" + home.dir,
                "XDG_RUNTIME_DIR=" + runtime,
                "QVDEVM_LOCK_DIR=" + runtime,
                "QT_QPA_PLATFORM=offscreen",
                "TAV_REGISTRY_LM=" + home.dir + "lm.ini",
                "TAV_REGISTRY_CU=" + home.dir + "cu.ini",
                "TAV_DEBUG_FILE=" + home.dir + tag + ".debug",
                "HOME=" + home.dir};
    }
    pid_t Start(const std::vector<std::string>& args, const std::string& tag,
                const std::vector<std::string>& extraEnv = {}) {
        std::vector<std::string> env = Env(tag);
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        std::vector<std::string> argv = {TAV_WINTAV32};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> a, e;
        for (auto& s : argv)
            a.push_back(s.data());
        a.push_back(nullptr);
        for (auto& s : env)
            e.push_back(s.data());
        e.push_back(nullptr);
        pid_t pid = -1;
        EXPECT_EQ(posix_spawn(&pid, TAV_WINTAV32, nullptr, nullptr, a.data(), e.data()), 0);
        started.push_back(pid);
        return pid;
    }
    static int WaitExit(pid_t pid, std::chrono::milliseconds timeout) {
        auto until = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < until) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }
    std::string Read(const std::string& name) const { return tavtest::ReadFileText(home.dir + name); }
    static std::vector<tavtest::SimEvent> Of(const tavtest::SimProcess& sim, const std::string& kind) {
        std::vector<tavtest::SimEvent> out;
        for (auto& ev : sim.Events())
            if (ev.event == kind) out.push_back(ev);
        return out;
    }

    tavtest::FakeHome home;
    std::string runtime;
    std::vector<pid_t> started;
};

} // namespace

TEST_F(FirmwareE2e, FirmwareUpdateOnlyModeSendsTheConfiguredFileByItself) {
    tavtest::SimProcess sim("color-ps", {"--program-ms", "300", "--data-quiet-ms", "1000"});
    const std::string image = Image(5 * 4096 + 321);
    home.Write("update.hd", image);
    home.Write("comtav.ini",
               "[Common]\nDeviceID=" + sim.DeviceName() +
                   "\nAUTOFWUP=1\nFWFileName=update.hd\n[TAB]\nPrinting=1\nFirmWare=1\nAbout=1\n");
    // The waits at an eighth: the 40 s programming time still outlasts everything below.
    const pid_t pid = Start({}, "fw", {"TAV_TEST_WAIT_DIVISOR=8", "TAV_TEST_WAIT_LOG=" + home.dir + "fw.waits"});
    ASSERT_TRUE(sim.WaitForEvents(1, 60000, "firmware")) << Read("fw.debug");

    const auto firmware = Of(sim, "firmware");
    ASSERT_EQ(firmware.size(), 1u);
    EXPECT_EQ(firmware[0].Field("result"), "programmed");
    EXPECT_EQ(firmware[0].Field("bytes"), std::to_string(image.size()));
    EXPECT_EQ(firmware[0].Field("sha256"), Sha(image));
    const auto data = Of(sim, "data");
    ASSERT_EQ(data.size(), 1u);
    EXPECT_EQ(std::string(data[0].bytes.begin(), data[0].bytes.end()), image); // unchanged, nothing around it
    EXPECT_NE(Read("fw.debug").find("[TAV] firmware file " + home.dir + "update.hd"), std::string::npos);
    ASSERT_TRUE(sim.WaitForEvents(1, 10000, "online"));

    // The page now waits for the printer to program itself; the quit message still ends it.
    EXPECT_EQ(WaitExit(pid, std::chrono::milliseconds(200)), -1);
    const pid_t quit = Start({"--broadcast-quit"}, "quit");
    EXPECT_EQ(WaitExit(quit, std::chrono::seconds(30)), 0);
    EXPECT_EQ(WaitExit(pid, std::chrono::seconds(30)), 0);
    // 5 s before the first chunk, then the programming time.
    EXPECT_NE(Read("fw.waits").find("5000\n40000\n"), std::string::npos) << Read("fw.waits");
}

// tavctl waits out the printer's 40-second programming time as the page does.
TEST_F(FirmwareE2e, TavctlSendsAFileOnlyWithYes) {
    tavtest::SimProcess sim("mono-pcl", {"--program-ms", "300", "--data-quiet-ms", "1000"});
    home.Write("comtav.ini", "[Common]\nDeviceID=" + sim.DeviceName() + "\n[TAB]\nPrinting=1\nFirmWare=1\n");
    const std::string image = Image(2 * 4096 + 1);
    home.Write("fw.hd", image);
    home.Write("empty.hd", "");
    std::map<std::string, std::string> env;
    for (const std::string& kv : Env("tavctl"))
        env[kv.substr(0, kv.find('='))] = kv.substr(kv.find('=') + 1);

    struct Refusal {
        std::vector<std::string> args;
        std::string says;
    };
    for (const Refusal& r : std::vector<Refusal>{
             {{"firmware", home.dir + "fw.hd"}, "add --yes"},
             {{"firmware", "--yes"}, "firmware needs a file"},
             {{"firmware", home.dir + "empty.hd", "--yes"}, "is empty"},
             {{"firmware", home.dir + "none.hd", "--yes"}, "cannot open"},
         }) {
        const tavtest::ProgramResult res = tavtest::RunProgram(TAVCTL_PATH, r.args, env, home.dir);
        EXPECT_EQ(res.status, 2) << r.says;
        EXPECT_NE(res.err.find(r.says), std::string::npos) << res.err;
    }
    EXPECT_TRUE(Of(sim, "connect").empty()); // none of them reached the printer

    const tavtest::ProgramResult res =
        tavtest::RunProgram(TAVCTL_PATH, {"--yes", "firmware", home.dir + "fw.hd"}, env, home.dir);
    EXPECT_EQ(res.status, 0) << res.err;
    EXPECT_EQ(res.out, ""); // not a terminal: no progress lines
    EXPECT_EQ(res.waits, (std::vector<unsigned>{2000, 5000, 40000}));  // start-up, first chunk, programming
    ASSERT_TRUE(sim.WaitForEvents(1, 5000, "firmware"));
    const auto firmware = Of(sim, "firmware");
    EXPECT_EQ(firmware[0].Field("result"), "programmed");
    EXPECT_EQ(firmware[0].Field("sha256"), Sha(image));
}
