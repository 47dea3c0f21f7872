#include "platform/WaitClock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace tav {
namespace {

class SystemClock : public WaitClock {
  public:
    void Sleep(unsigned milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
};

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
