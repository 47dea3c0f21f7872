// The clock the fixed waits are measured on. The programs use the system's; a test build of one
// puts in a clock that records each wait and makes it last little or nothing, so a suite checks
// the protocol's seconds without sleeping them.
#pragma once
#include <cstdint>

namespace tav {

class WaitClock {
  public:
    virtual ~WaitClock() = default;
    // A wait of this many milliseconds begins: how many it really lasts.
    virtual unsigned RealLength(unsigned milliseconds) = 0;
    // Milliseconds from some fixed point, on which the deadlines of reads are measured; the
    // system's steady clock unless a test keeps time of its own.
    virtual uint64_t NowMs();
};

// Every wait lasts as long as asked.
WaitClock& SystemWaitClock();

// The clock the UiHost waits are measured on. Set before anything waits (a static constructor of
// a test build may); nullptr brings back the system's. The clock must outlive every wait.
void UseWaitClock(WaitClock* clock);
WaitClock& CurrentWaitClock();

} // namespace tav
