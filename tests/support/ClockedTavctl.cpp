// tavctl as the tests run it: the shipped program's commands, its waits on a test clock. Every
// wait is appended to the file TAV_TEST_WAIT_LOG names (milliseconds, one a line) and then spent
// for its TAV_TEST_WAIT_DIVISOR-th part, not at all when that is unset or 0. So a test sees each
// wait the protocol asks for without sleeping it, and where the order of events against the
// simulated printer's own delays matters, keeps that order at a fraction of the time.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/Tavctl.h"
#include "platform/WaitClock.h"

namespace {

unsigned Divisor() {
    const char* text = std::getenv("TAV_TEST_WAIT_DIVISOR");
    return text ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : 0;
}

class RecordedClock : public tav::WaitClock {
  public:
    RecordedClock() : m_divisor(Divisor()) {
        if (const char* path = std::getenv("TAV_TEST_WAIT_LOG"); path && *path) m_log = std::fopen(path, "a");
    }
    ~RecordedClock() override {
        if (m_log) std::fclose(m_log);
    }
    RecordedClock(const RecordedClock&) = delete;
    RecordedClock& operator=(const RecordedClock&) = delete;
    void Sleep(unsigned milliseconds) override {
        // Written before the wait, so a run killed in the middle of one still shows it.
        if (m_log) {
            std::fprintf(m_log, "%u\n", milliseconds);
            std::fflush(m_log);
        }
        if (m_divisor > 0) tav::SystemWaitClock().Sleep(milliseconds / m_divisor);
    }

  private:
    unsigned m_divisor;
    std::FILE* m_log = nullptr;
};

} // namespace

int main(int argc, char** argv) {
    RecordedClock clock;
    tav::UseWaitClock(&clock);
    const int status = tav::cli::RunTavctl(std::vector<std::string>(argv + 1, argv + argc));
    tav::UseWaitClock(nullptr);
    return status;
}
