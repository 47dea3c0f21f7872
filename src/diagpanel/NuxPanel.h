// What the diagnostic panel does with the printer: the enter-mode job at start and one
// write-then-read exchange per key, with the confirmation boxes of the debug switch.
#pragma once
#include "diagpanel/NuxConfig.h"
#include "diagpanel/NuxDevice.h"
#include "diagpanel/NuxProtocol.h"
#include "platform/UiHost.h"

#include <string>

namespace nux {

inline constexpr const char* kPjlDataCaption = "PJL Data";
inline constexpr const char* kWriteCaption = "Fuser Setting";
inline constexpr const char* kErrorCaption = "NUX Mode";
inline constexpr const char* kSendError = "Error sending command to the printer";

class NuxPanel {
  public:
    NuxPanel(const NuxConfig& config, NuxDevice& device, tav::UiHost& ui, DebugOut debug);

    void EnterDiagnosticMode();
    // Sends one key and reads the display. True when the window is to show Line1/Line2 now;
    // on false the error has been shown and the display stays as it was.
    bool PressKey(std::string_view code);

    const std::string& Line1() const { return m_lines.line1; }
    const std::string& Line2() const { return m_lines.line2; }
    const NuxConfig& Config() const { return m_config; }

  private:
    bool Exchange(std::string_view code);
    bool Confirm(const std::string& job);
    void Trace(std::string_view text) const;
    bool WriteWhole(const std::string& job);
    // An error box's text, with the device library's reason when the printer could not be opened.
    std::string WithOpenFailure(const std::string& text) const;

    NuxConfig m_config;
    NuxDevice& m_device;
    tav::UiHost& m_ui;
    DebugOut m_debug;
    DisplayLines m_lines;
};

} // namespace nux
