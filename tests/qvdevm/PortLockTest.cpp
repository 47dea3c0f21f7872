// The port lock across processes, through the real library.
#include "QvdevmHarness.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <tuple>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace qvtest;

namespace {

// The helper process, driven through pipes.
class Holder {
  public:
    Holder() {
        int toChild[2], fromChild[2];
        if (pipe(toChild) != 0 || pipe(fromChild) != 0) throw std::runtime_error("pipe");
        m_pid = fork();
        if (m_pid == 0) {
            dup2(toChild[0], 0);
            dup2(fromChild[1], 1);
            close(toChild[1]);
            close(fromChild[0]);
            execl(QVDEVM_HELPER, QVDEVM_HELPER, LibraryPath().c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(toChild[0]);
        close(fromChild[1]);
        m_in = toChild[1];
        m_out = fdopen(fromChild[0], "r");
    }
    ~Holder() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        close(m_in);
        fclose(m_out);
    }
    int Ask(char command) {
        if (write(m_in, &command, 1) != 1) return -1;
        int result = -1;
        if (std::fscanf(m_out, "%d", &result) != 1) return -1;
        return result;
    }
    void KillHard() {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

  private:
    pid_t m_pid = -1;
    int m_in = -1;
    FILE* m_out = nullptr;
};

class PortLock : public ::testing::Test {
  protected:
    void SetUp() override {
        Lib();
        char folder[] = "/tmp/qvdevm-lock-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        m_folder = folder;
        m_env = std::make_unique<ScopedEnv>("QVDEVM_LOCK_DIR", folder); // inherited by the helper
    }
    void TearDown() override {
        m_env.reset();
        std::filesystem::remove_all(m_folder);
    }
    std::string m_folder;
    std::unique_ptr<ScopedEnv> m_env;
};

} // namespace

TEST_F(PortLock, ExclusiveAcrossProcessesAndCountedWithin) {
    const Api& api = Lib();
    Holder other;
    ASSERT_EQ(api.acquire(QVDEVM_PORT_TOKEN), 1);
    ASSERT_EQ(api.acquire(QVDEVM_PORT_TOKEN), 1); // the nested hold of a transfer
    EXPECT_EQ(other.Ask('a'), 0);
    EXPECT_EQ(api.release(QVDEVM_PORT_TOKEN), 1);
    EXPECT_EQ(other.Ask('a'), 0) << "the inner release must not free the outer hold";
    EXPECT_EQ(api.release(QVDEVM_PORT_TOKEN), 1);
    EXPECT_EQ(other.Ask('a'), 1);
    EXPECT_EQ(api.acquire(QVDEVM_PORT_TOKEN), 0);
    EXPECT_EQ(other.Ask('r'), 1);
    EXPECT_EQ(api.acquire(QVDEVM_PORT_TOKEN), 1);
    EXPECT_EQ(api.release(QVDEVM_PORT_TOKEN), 1);
    // The lock file is kept for the next holder.
    EXPECT_TRUE(std::filesystem::exists(m_folder + "/port-128.lock"));
}

// One printer's lock keeps out the programs on that printer (however its name is spelled) and
// those that want the whole port, not those on other printers; the hold is counted as one.
TEST_F(PortLock, APrintersLockLeavesTheOtherPrintersFree) {
    const Api& api = Lib();
    Holder other; // 'x' and 'u' try printer-x and a USB printer, and give them back
    for (const auto& [name, x, u] : {std::tuple{"TCP://Printer-X:9100/", 0, 1}, {"tcp://printer-y", 1, 1}, {"s", 1, 0}}) {
        ASSERT_EQ(api.acquireFor(QVDEVM_PORT_TOKEN, name), 1) << name;
        ASSERT_EQ(api.acquireFor(QVDEVM_PORT_TOKEN, name), 1) << name; // a transfer's nested hold
        EXPECT_EQ(api.release(QVDEVM_PORT_TOKEN), 1);
        EXPECT_EQ(other.Ask('x'), x) << name;
        EXPECT_EQ(other.Ask('u'), u) << name;
        EXPECT_EQ(other.Ask('a'), 0) << name << ": the whole port";
        EXPECT_EQ(api.acquire(QVDEVM_PORT_TOKEN), 0) << "a printer's hold cannot grow to the whole port";
        EXPECT_EQ(api.release(QVDEVM_PORT_TOKEN), 1);
        EXPECT_EQ(other.Ask('x'), 1) << name; // free once released
    }
    ASSERT_EQ(other.Ask('a'), 1); // the whole port keeps every printer's program out
    EXPECT_EQ(api.acquireFor(QVDEVM_PORT_TOKEN, "tcp://printer-y"), 0);
}

TEST_F(PortLock, KilledHolderFreesThePort) {
    const Api& api = Lib();
    Holder other;
    ASSERT_EQ(other.Ask('a'), 1);
    ASSERT_EQ(api.acquire(QVDEVM_PORT_TOKEN), 0);
    other.KillHard();
    EXPECT_EQ(api.acquire(QVDEVM_PORT_TOKEN), 1);
    EXPECT_EQ(api.release(QVDEVM_PORT_TOKEN), 1);
}

TEST_F(PortLock, UnbalancedReleaseIsHarmless) {
    const Api& api = Lib();
    Holder other;
    EXPECT_EQ(api.release(QVDEVM_PORT_TOKEN), 0);
    EXPECT_EQ(api.release(QVDEVM_PORT_TOKEN), 0);
    ASSERT_EQ(api.acquire(QVDEVM_PORT_TOKEN), 1);
    EXPECT_EQ(other.Ask('a'), 0) << "an earlier stray release must not weaken a later hold";
    EXPECT_EQ(other.Ask('r'), 0);
    EXPECT_EQ(api.acquire(QVDEVM_PORT_TOKEN), 1);
    EXPECT_EQ(api.release(QVDEVM_PORT_TOKEN), 1);
    EXPECT_EQ(api.release(QVDEVM_PORT_TOKEN), 1);
    EXPECT_EQ(api.release(QVDEVM_PORT_TOKEN), 0);
    EXPECT_EQ(other.Ask('a'), 1);
}

TEST_F(PortLock, BusyPortIsToldApartInTheDebugOutput) {
    const Api& api = Lib();
    Holder other;
    ASSERT_EQ(other.Ask('a'), 1);
    int got = 1;
    std::string err;
    {
        ScopedEnv debug("QVDEVM_DEBUG", "1");
        err = CaptureStderr([&] { got = api.acquire(QVDEVM_PORT_TOKEN); });
    }
    EXPECT_EQ(got, 0);
    EXPECT_NE(err.find("[QVDEVM] "), std::string::npos) << err;
    EXPECT_NE(err.find("device busy"), std::string::npos) << err;
}

TEST_F(PortLock, PlantedLockNamesAreRefused) {
    const Api& api = Lib();
    const std::string path = m_folder + "/port-128.lock";
    // A link to another file: never followed, so the other file is neither created nor locked.
    const std::string target = m_folder + "/elsewhere";
    ASSERT_EQ(symlink(target.c_str(), path.c_str()), 0);
    EXPECT_EQ(api.acquire(QVDEVM_PORT_TOKEN), 0);
    EXPECT_FALSE(std::filesystem::exists(target));
    // A FIFO: refused without blocking the caller.
    ASSERT_EQ(unlink(path.c_str()), 0);
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    EXPECT_EQ(api.acquire(QVDEVM_PORT_TOKEN), 0);
    // Once the name is a plain file again, the port can be had.
    ASSERT_EQ(unlink(path.c_str()), 0);
    EXPECT_EQ(api.acquire(QVDEVM_PORT_TOKEN), 1);
    EXPECT_EQ(api.release(QVDEVM_PORT_TOKEN), 1);
}
