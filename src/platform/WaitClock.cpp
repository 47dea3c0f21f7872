#include "platform/WaitClock.h"

#include <atomic>
#include <chrono>

namespace tav {
uint64_t WaitClock::NowMs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

namespace {

class SystemClock : public WaitClock {
  public:
    unsigned RealLength(unsigned milliseconds) override { return milliseconds; }
};

// Constant-initialised, so a test build's static constructor may set it before main.
std::atomic<WaitClock*> g_clock{nullptr};

} // namespace

WaitClock& SystemWaitClock() {
    static SystemClock clock;
    return clock;
}

void UseWaitClock(WaitClock* clock) {
    g_clock.store(clock);
}

WaitClock& CurrentWaitClock() {
    WaitClock* clock = g_clock.load();
    return clock ? *clock : SystemWaitClock();
}

} // namespace tav
