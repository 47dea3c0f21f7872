// What the diagnostic panel does with the printer: the enter-mode job at start and one
// write-then-read exchange per key, with the confirmation boxes of the debug switch.
#pragma once
#include "diagpanel/NuxDevice.h"
#include "diagpanel/NuxProtocol.h"

#include <cstdint>
#include <string>

namespace nux {

struct NuxConfig {
    std::uint16_t vid = 0;
    std::uint16_t pid = 0;
    std::string deviceId;
    int debug = 0;
};

// The boxes the panel shows. The window supplies real ones; tests answer from a script.
class NuxBoxes {
public:
    virtual ~NuxBoxes() = default;
    virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
};

std::string FormatConfigTrace(const NuxConfig& config);

class NuxPanel {
public:
    NuxPanel(const NuxConfig& config, NuxDevice& device, NuxBoxes& boxes, DebugOut debug);

    void EnterDiagnosticMode();
    // Sends one key and reads the display. True when the window is to show Line1/Line2 now;
    // on false the error has been shown and the display stays as it was.
    bool PressKey(std::string_view code);

    const std::string& Line1() const { return m_lines.line1; }
    const std::string& Line2() const { return m_lines.line2; }

private:
    bool Exchange(std::string_view code);
    void Trace(std::string_view text) const;
    bool WriteWhole(const std::string& job);

    NuxConfig m_config;
    NuxDevice& m_device;
    NuxBoxes& m_boxes;
    DebugOut m_debug;
    DisplayLines m_lines;
};

} // namespace nux
