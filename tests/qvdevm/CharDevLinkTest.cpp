// The character-device backend (the usblp node) against a pty standing in for the node.
#include "QvdevmHarness.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace qvtest;

namespace {

class PtyNode {
  public:
    PtyNode() {
        m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
            throw std::runtime_error("no pty");
        m_path = ptsname(m_master);
        termios tio{};
        tcgetattr(m_master, &tio);
        cfmakeraw(&tio);
        tcsetattr(m_master, TCSANOW, &tio);
    }
    ~PtyNode() { close(m_master); }
    const std::string& Path() const { return m_path; }
    std::string Take(size_t n, int timeoutMs = 3000) {
        std::string got;
        while (got.size() < n) {
            pollfd p{m_master, POLLIN, 0};
            if (poll(&p, 1, timeoutMs) <= 0) break;
            char buf[4096];
            ssize_t r = read(m_master, buf, sizeof buf);
            if (r <= 0) break;
            got.append(buf, static_cast<size_t>(r));
        }
        return got;
    }
    void Put(const std::string& data) {
        ASSERT_EQ(write(m_master, data.data(), data.size()), static_cast<ssize_t>(data.size()));
    }

  private:
    int m_master = -1;
    std::string m_path;
};

} // namespace

TEST(CharDevLink, JobsGoOutAndRepliesComeBackThroughOneOpenNode) {
    PtyNode node;
    const Api& api = Lib();
    EXPECT_NE(api.check(node.Path().c_str(), 0, 0, 1), 0);
    const std::string job = "\x1b%-12345X@PJL\r\n@PJL INFO PRINTER = ALL\r\n\x1b%-12345X";
    ASSERT_EQ(WritePrinter(api, node.Path(), job), job.size());
    EXPECT_EQ(node.Take(job.size()), job);
    // Binary bytes, CR and LF included, pass unchanged.
    const std::string reply("\x01\x00\x10\r\n\x7f\xff\x03", 8);
    node.Put(reply);
    SleepMs(200); // arrives while closed
    EXPECT_EQ(ReadPrinter(api, node.Path()), reply);
    ASSERT_EQ(WritePrinter(api, node.Path(), "second"), 6u);
    EXPECT_EQ(node.Take(6), "second");
}

TEST(CharDevLink, NodeWithoutPortStatusFailsTheStatusRequest) {
    PtyNode node;
    const Api& api = Lib();
    ASSERT_NE(api.open(0, 0, 0, 0, node.Path().c_str()), 0);
    const uint8_t in[3] = {2, 0, 0};
    uint8_t out[8] = {};
    uint32_t count = 0;
    EXPECT_EQ(api.control(QVDEVM_IOCTL_VENDOR_GET, in, 3, out, 8, &count), 0);
    EXPECT_EQ(count, 0u);
    api.close(4);
}

TEST(CharDevLink, MissingNodeIsAbsentAndDoesNotOpen) {
    const Api& api = Lib();
    EXPECT_EQ(api.check("/dev/usb/lp-none", 0, 0, 1), 0);
    EXPECT_EQ(api.open(2, 4, 0, 0, "/dev/usb/lp-none"), 0);
    EXPECT_EQ(api.check("/tmp", 0, 0, 1), 0) << "a folder is not a device";
    EXPECT_EQ(api.open(2, 4, 0, 0, "nonsense"), 0);
}
