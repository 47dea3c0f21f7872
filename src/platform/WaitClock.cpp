#include "platform/WaitClock.h"

#include <atomic>

namespace tav {
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
