#include "qvdevm/DeviceLink.h"

#include "qvdevm/Debug.h"

#include <cstring>
#include <string>
#include <vector>

namespace qvdevm {

DeviceLink::DeviceLink(std::string name, std::unique_ptr<Transport> transport, const Settings& settings)
    : m_name(std::move(name)), m_settings(settings), m_transport(std::move(transport)) {
    m_buffer.MarkEnded(); // no producer until the first connect
    m_lastUse = Clock::now().time_since_epoch().count();
}

DeviceLink::~DeviceLink() {
    CloseForReal();
}

DeviceLink::Clock::time_point DeviceLink::LastUse() const {
    return Clock::time_point(Clock::duration(m_lastUse.load()));
}

bool DeviceLink::Usable() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return (m_up && !m_readerEnded) || m_buffer.Size() > 0;
}

bool DeviceLink::Attach(std::string& why) {
    std::lock_guard<std::mutex> lock(m_mutex);
    // A link whose peer has gone stays as it is: a read gets what is left at once, and the
    // next write or status request reconnects. Only a link that is down connects here, so
    // the open tells whether the printer can be reached.
    if (!m_up && !BringUpLocked(why) && m_buffer.Size() == 0) return false;
    ++m_attached;
    return true;
}

void DeviceLink::Detach() {
    m_lastUse = Clock::now().time_since_epoch().count();
    int n = m_attached.load();
    while (n > 0 && !m_attached.compare_exchange_weak(n, n - 1)) {
    }
}

bool DeviceLink::BringUpLocked(std::string& why) {
    if (m_up) {
        StopReaderLocked();
        m_transport->Close();
        m_up = false;
    }
    if (!m_transport->Open(why)) {
        DebugLine(m_transport->Describe() + ": " + why);
        return false;
    }
    DebugLine(m_transport->Describe() + ": link up");
    m_up = true;
    m_stop = false;
    m_draining = false;
    m_readerEnded = false;
    m_buffer.Restart();
    m_reader = std::thread(&DeviceLink::ReaderLoop, this);
    return true;
}

void DeviceLink::ReaderLoop() {
    std::vector<uint8_t> chunk(64 * 1024);
    while (!m_stop) {
        size_t got = 0;
        ReadResult r = m_transport->ReadSome(chunk.data(), chunk.size(), got);
        if (r == ReadResult::Ended) {
            if (!m_draining) DebugLine(m_transport->Describe() + ": peer closed the link");
            break;
        }
        if (r == ReadResult::Data && !m_draining && !m_buffer.Append(chunk.data(), got) && !m_draining) break;
    }
    m_buffer.MarkEnded();
    {
        std::lock_guard<std::mutex> lock(m_endMutex);
        m_readerEnded = true;
    }
    m_endChanged.notify_all();
}

void DeviceLink::StopReaderLocked() {
    if (!m_reader.joinable()) return;
    m_stop = true;
    m_buffer.Cancel();
    m_transport->Interrupt();
    m_reader.join();
}

void DeviceLink::DropLocked(const char* reason) {
    DebugLine(m_transport->Describe() + ": " + reason);
    StopReaderLocked();
    m_transport->Close();
    m_up = false;
    m_buffer.Restart();
    m_buffer.MarkEnded();
}

namespace {

bool StartsWithUel(const uint8_t* data, size_t length) {
    static const char kUel[] = "\x1b%-12345X";
    const size_t n = sizeof kUel - 1;
    return length >= n && std::memcmp(data, kUel, n) == 0;
}

} // namespace

size_t DeviceLink::Write(const uint8_t* data, size_t length) {
    std::lock_guard<std::mutex> lock(m_mutex);
    // Nothing frames a reply, so whatever is still unread when a new job begins belongs to an
    // earlier exchange (a reply that came late or in pieces, or status the printer sent
    // unasked); left there it would be read as this job's answer. A write that continues a
    // stream (the next chunk of a file) leaves the buffer alone.
    const bool newJob = (data && StartsWithUel(data, length)) || m_readSinceWrite.exchange(false);
    if (newJob) {
        if (const size_t stale = m_buffer.Discard())
            DebugLine(m_name + ": discarded " + std::to_string(stale) + " unread bytes of an earlier exchange");
    }
    // A printer that closes its connection after each job is met with a new connection for
    // the next, even before the reader thread has seen the close.
    if (newJob && m_up && !m_readerEnded && m_transport->PeerHasClosed()) DropLocked("peer closed the link");
    if (!m_up || m_readerEnded) {
        std::string why;
        if (!BringUpLocked(why)) return 0;
    }
    bool failed = false;
    size_t done = m_transport->Write(data, length, failed);
    if (failed) DropLocked(done == 0 ? "write failed" : "write failed part way");
    return done;
}

uint32_t DeviceLink::Read(uint8_t* buffer, uint32_t capacity) {
    m_readSinceWrite = true;
    return m_buffer.Read(buffer, capacity, m_settings.readTimeoutMs, m_settings.quietMs);
}

bool DeviceLink::VendorStatus(const uint8_t* in, uint32_t inLength, uint8_t* out, uint32_t outLength,
                              uint32_t& returned) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_up || m_readerEnded) {
        std::string why;
        if (!BringUpLocked(why)) return false;
    }
    return m_transport->VendorStatus(in, inLength, out, outLength, returned, m_buffer);
}

void DeviceLink::CloseForReal() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_up) return;
    m_draining = true;
    m_buffer.Cancel();
    if (!m_readerEnded && m_transport->ShutdownOutput()) {
        std::unique_lock<std::mutex> endLock(m_endMutex);
        m_endChanged.wait_for(endLock, std::chrono::milliseconds(m_settings.drainMs),
                              [&] { return m_readerEnded.load(); });
    }
    StopReaderLocked();
    m_transport->Close();
    m_up = false;
    DebugLine(m_transport->Describe() + ": link closed");
}

} // namespace qvdevm
