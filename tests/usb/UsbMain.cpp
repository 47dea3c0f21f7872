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
        const char* old = std::getenv("LD_PRELOAD");
        std::string preload = UMOCKDEV_PRELOAD;
        if (old && *old) preload += std::string(":") + old;
        setenv("LD_PRELOAD", preload.c_str(), 1);
        // The address sanitizer wants to come first among the libraries; the preload goes before it.
        const char* asan = std::getenv("ASAN_OPTIONS");
        std::string options = asan && *asan ? std::string(asan) + ":" : std::string();
        setenv("ASAN_OPTIONS", (options + "verify_asan_link_order=0").c_str(), 1);
        execv("/proc/self/exe", argv);
        std::perror("cannot start again with umockdev");
        return 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
