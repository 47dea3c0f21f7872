// The font and form manager's trace writer, switched by a registry value that the page reads
// each time it becomes active.
#pragma once
#include <cstdint>
#include <string>

namespace tav {

class FmuLog {
  public:
    // Reads LogFMU under SOFTWARE\Quorvex\TAV of the local-machine root: any non-zero value turns
    // the log on, zero off; a missing key or value leaves the switch as it was.
    void ReadSwitch();
    bool On() const { return m_switch != 0; }
    void SetSwitch(uint32_t value) { m_switch = value; }

    // Writes one line (at most 1024 characters, no line end added) to the debug output when on.
    void operator()(const char* format, ...) const __attribute__((format(printf, 2, 3)));

  private:
    uint32_t m_switch = 0;
};

} // namespace tav
