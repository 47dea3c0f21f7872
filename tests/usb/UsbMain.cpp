// umockdev works from a preloaded library, which must be in place before the program starts:
// without it, the test program starts itself once more with it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    // umockdev_in_mock_environment() does not tell a preloaded process from another; our own
    // mark does, and stops a second start.
    if (!std::getenv("USB_TEST_PRELOADED")) {
        setenv("USB_TEST_PRELOADED", "1", 1);
        // A link goes down at its close, so no case meets the link of one before it; a reply
        // that does not come is given up soon.
        setenv("QVDEVM_LINGER_MS", "0", 0);
        setenv("QVDEVM_READ_TIMEOUT_MS", "1500", 0);
        setenv("QVDEVM_QUIET_MS", "100", 0);
        const char* old = std::getenv("LD_PRELOAD");
        std::string preload = UMOCKDEV_PRELOAD;
        if (old && *old) preload += std::string(":") + old;
        setenv("LD_PRELOAD", preload.c_str(), 1);
        // The address sanitizer wants to come first among the libraries; the preload goes before it.
        const char* asan = std::getenv("ASAN_OPTIONS");
        std::string options = asan && *asan ? std::string(asan) + ":" : std::string();
        options += "verify_asan_link_order=0";
#ifdef USB_TEST_SANITIZED
        // The leak checker crashes walking the thread-local blocks of a program that has loaded
        // the device library into itself, as the other such tests note.
        options += ":detect_leaks=0";
#endif
        setenv("ASAN_OPTIONS", options.c_str(), 1);
        execv("/proc/self/exe", argv);
        std::perror("cannot start again with umockdev");
        return 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
