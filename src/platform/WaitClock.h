// The clock the fixed waits of a program without a window are spent on. The programs use the
// system's; a test build of one puts in a clock that records each wait and spends little or none
// of it, so a suite checks the protocol's seconds without sleeping them.
#pragma once

namespace tav {

class WaitClock {
  public:
    virtual ~WaitClock() = default;
    // Returns once the wait is over, however long this clock makes that.
    virtual void Sleep(unsigned milliseconds) = 0;
};

// Sleeps the whole wait.
WaitClock& SystemWaitClock();

// The clock ConsoleUiHost waits on. Set it before anything waits, on the main thread; nullptr
// brings back the system's. The clock must outlive every wait made on it.
void UseWaitClock(WaitClock* clock);
WaitClock& CurrentWaitClock();

} // namespace tav
