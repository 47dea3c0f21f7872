#include "diagpanel/NuxPanel.h"

#include <array>
#include <cstdio>

namespace nux {

NuxPanel::NuxPanel(const NuxConfig& config, NuxDevice& device, tav::UiHost& ui, DebugOut debug)
    : m_config(config), m_device(device), m_ui(ui), m_debug(std::move(debug)) {}

void NuxPanel::Trace(std::string_view text) const {
    if (m_debug) m_debug(text);
}

bool NuxPanel::Confirm(const std::string& job) {
    return m_ui.MessageBox(job, kPjlDataCaption, tav::MsgIcon::Question, tav::MsgButtons::YesNo) ==
           tav::MsgResult::Yes;
}

std::string NuxPanel::WithOpenFailure(const std::string& text) const {
    const std::string reason =
        tav::DeviceFailureText(m_config.langFile, m_device.LastOpenFailure(), m_device.DeviceId());
    return reason.empty() ? text : text + "\n" + reason;
}

bool NuxPanel::WriteWhole(const std::string& job) {
    const auto length = static_cast<std::uint32_t>(job.size());
    // A job cut short never reaches the printer as a job, so it counts as not written.
    return m_device.Write(job.data(), length) == length;
}

void NuxPanel::EnterDiagnosticMode() {
    const std::string job = BuildEnterModeJob();
    if (m_config.debug != 0 && !Confirm(job)) return;
    if (!WriteWhole(job)) {
        m_ui.MessageBox(WithOpenFailure("Write Error!!"), kWriteCaption, tav::MsgIcon::Error, tav::MsgButtons::Ok);
        return;
    }
    if (m_config.debug != 0)
        m_ui.MessageBox("Write Success!!", kWriteCaption, tav::MsgIcon::Information, tav::MsgButtons::Ok);
}

bool NuxPanel::Exchange(std::string_view code) {
    const bool debug = m_config.debug != 0;
    const std::string job = BuildKeyJob(code);
    if (debug) {
        if (!Confirm(job)) return false;
        char text[64];
        std::snprintf(text, sizeof text, "[NUX] SendPJL() - count = %d\n", static_cast<int>(job.size()));
        Trace(text);
    }
    if (WriteWhole(job)) {
        Trace("[NUX] Write success");
    } else {
        Trace("[NUX] SendCommand() -Write Error");
        if (!debug) return false;
    }

    std::array<std::uint8_t, kReplySize> reply{};
    m_lines = {};
    const std::uint32_t count = m_device.Read(reply.data());
    if (count == 0 && !debug) {
        Trace("[NUX] SendCommand() -Read Error");
        return false;
    }
    m_lines = SplitDisplayReply(reply.data(), count);
    HexDump(reply.data(), reply.size(), m_debug);
    Trace("[NUX] g_strDisplay1 = " + m_lines.line1);
    Trace("[NUX] g_strDisplay2 = " + m_lines.line2);
    return true;
}

bool NuxPanel::PressKey(std::string_view code) {
    if (Exchange(code) || m_config.debug != 0) return true;
    m_ui.MessageBox(WithOpenFailure(kSendError), kErrorCaption, tav::MsgIcon::Warning, tav::MsgButtons::Ok);
    return false;
}

} // namespace nux
