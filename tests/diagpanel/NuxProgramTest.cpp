// The built nux program as a user starts it: its own program folder, its own lock folder.
#include "FakeDev.h"
#include "NuxProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using nuxtest::NuxProcess;

namespace {
struct NuxProgram : ::testing::Test {
    tavtest::FakeHome home; // the stand-in library as libqvdevm.so
    std::string run;
    void SetUp() override {
        char tmpl[] = "/tmp/nuxprog-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        run = tmpl;
        home.Write("comtav.ini", "[DEVICE]\nVID=0x04e8\nPID=0x3f0c\nDID=tcp://127.0.0.1:9\n");
    }
    void TearDown() override { std::filesystem::remove_all(run); }
    nuxtest::NuxRun Env(const std::string& script, const std::string& log) const {
        return {{"WINTAV32_HOME=" + home.dir, "XDG_RUNTIME_DIR=" + run, "QT_QPA_PLATFORM=offscreen",
                 "TAV_DEBUG_FILE=" + log},
                script};
    }
    std::string Script(const std::string& name, const std::string& text) const {
        const std::string path = run + "/" + name;
        std::ofstream(path) << text;
        return path;
    }
};
} // namespace

TEST_F(NuxProgram, SecondCopyEndsAtOnceWithZeroWhileTheFirstRuns) {
    const std::string log1 = run + "/first.log", log2 = run + "/second.log";
    NuxProcess first(NUX_PROGRAM, Env(Script("idle", "print\n"), log1));
    first.Start();
    // The first copy holds the panel once it has read its configuration.
    ASSERT_TRUE(nuxtest::WaitForText(log1, "[NUX] vid : 4e8, pid : 3f0c, Did : tcp://127.0.0.1:9\n"));

    NuxProcess second(NUX_PROGRAM, Env(Script("busy", "print\nclick 1\n"), log2));
    second.Start();
    const nuxtest::NuxExit s = second.Wait();
    ASSERT_TRUE(s.exited);
    EXPECT_EQ(s.status, 0);
    EXPECT_EQ(s.out, ""); // its script never ran: no window
    EXPECT_EQ(nuxtest::ReadFile(log2), "[TAV]NUX Mode is already running..!\n");

    first.Stop();
    // With the first copy gone the next one starts and ends by Exit with the button's id.
    NuxProcess third(NUX_PROGRAM, Env(Script("exit", "print\nclick 1\n"), run + "/third.log"));
    third.Start();
    const nuxtest::NuxExit t = third.Wait();
    ASSERT_TRUE(t.exited);
    EXPECT_EQ(t.status, 1);
    EXPECT_EQ(t.out, "line1=\nline2=\n");
}

TEST_F(NuxProgram, BadScriptIsRefusedWithAMessage) {
    NuxProcess p(NUX_PROGRAM, Env(Script("bad", "click\n"), run + "/log"));
    p.Start();
    const nuxtest::NuxExit r = p.Wait();
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("line 1: not understood: click"), std::string::npos) << r.err;
}
