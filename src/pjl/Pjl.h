// PJL job framing and the fixed queries that several pages share.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "pjl/AppContext.h"
#include "platform/HexDump.h"

namespace tav {

// Printer replies carry their numbers big-endian.
inline uint32_t ReadBigEndian(const uint8_t* p, size_t n) {
    uint32_t v = 0;
    for (size_t i = 0; i < n; ++i) v = (v << 8) | p[i];
    return v;
}

inline constexpr std::string_view UEL = "\x1b%-12345X";

// Composes UEL + "@PJL\r\n" + each line + CR LF + UEL into the job buffer; returns the length, or 0
// when the job would not fit (nothing is sent then).
size_t ComposeJob(JobBuffer& job, std::initializer_list<std::string_view> lines);
size_t ComposeJobLines(JobBuffer& job, const std::vector<std::string>& lines);

// Pauses (resume = false) or resumes the port monitor.
void NotifyPortMonitor(AppContext& ctx, bool resume);

// Pause on construction, resume on every path out.
class PortMonitorPause {
public:
    explicit PortMonitorPause(AppContext& ctx) : m_ctx(ctx) { NotifyPortMonitor(ctx, false); }
    ~PortMonitorPause() { NotifyPortMonitor(m_ctx, true); }
    PortMonitorPause(const PortMonitorPause&) = delete;
    PortMonitorPause& operator=(const PortMonitorPause&) = delete;

private:
    AppContext& m_ctx;
};

int ReadSettings(AppContext& ctx);
int QueryPrinterSettings(AppContext& ctx);
int InitializePrinter(AppContext& ctx);
// The name on success, nothing on failure.
std::optional<std::string> SendTestPrint(AppContext& ctx, std::string_view name);

// How long the printer is given to print one of its own lists.
inline constexpr unsigned kListPrintWaitMs = 10000;
// Prints one of the printer's own lists, as every page does it: the port held, the wait cursor,
// the test print, then the printer's time to print it; onFailure (when given) after a failed
// write. A busy port has been reported by the port itself. 1 when the printer took the job.
int PrintPrinterList(AppContext& ctx, const char* name, const std::function<void()>& onFailure);
int QueryFontInfo(AppContext& ctx);
// How much of a listing arrived: the records its count promised and the whole ones taken.
struct ListingShape {
    size_t promised = 0;
    size_t taken = 0;
    bool Complete() const { return taken >= promised; }
};
// The PostScript form listing into the store; a listing cut short keeps its whole records (1),
// and shape, when given, tells how many the count promised.
int QueryFormInfo(AppContext& ctx, ListingShape* shape = nullptr);
// The bytes as HexDumpRows pictures them, to the debug output.
void HexDump(const AppContext& ctx, const uint8_t* data, size_t count);

}  // namespace tav
