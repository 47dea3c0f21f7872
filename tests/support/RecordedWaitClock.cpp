// Linked into a test build of a program (beside the shipped program's own main), this puts in a
// wait clock before main runs. Every wait is appended to the file TAV_TEST_WAIT_LOG names
// (milliseconds, one a line) and lasts its TAV_TEST_WAIT_DIVISOR-th part, nothing when that is
// unset or 0. So a test sees each wait the protocol asks for without sleeping it, and where the
// order of events against the simulated printer's own delays matters, keeps that order at a
// fraction of the time.
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/WaitClock.h"

namespace {

class RecordedWaitClock : public tav::WaitClock {
  public:
    RecordedWaitClock() {
        if (const char* text = std::getenv("TAV_TEST_WAIT_DIVISOR"))
            m_divisor = static_cast<unsigned>(std::strtoul(text, nullptr, 10));
        if (const char* path = std::getenv("TAV_TEST_WAIT_LOG"); path && *path) m_log = std::fopen(path, "a");
        tav::UseWaitClock(this);
    }
    ~RecordedWaitClock() override {
        tav::UseWaitClock(nullptr);
        if (m_log) std::fclose(m_log);
    }
    RecordedWaitClock(const RecordedWaitClock&) = delete;
    RecordedWaitClock& operator=(const RecordedWaitClock&) = delete;

    unsigned RealLength(unsigned milliseconds) override {
        std::lock_guard<std::mutex> guard(m_mutex);
        // Written as the wait begins, so a run killed in the middle of one still shows it.
        if (m_log) {
            std::fprintf(m_log, "%u\n", milliseconds);
            std::fflush(m_log);
        }
        return m_divisor > 0 ? milliseconds / m_divisor : 0;
    }

  private:
    std::mutex m_mutex;
    unsigned m_divisor = 0;
    std::FILE* m_log = nullptr;
};

RecordedWaitClock g_clock;

} // namespace
