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
    // next new job or status request reconnects. Only a link that is down connects here, so
    // the open tells whether the printer can be reached; but not while a stream was under way
    // on it, since the next write may continue that stream, which a new connection must never
    // carry. The write decides.
    if (!m_up && !m_streamOpen && !BringUpLocked(why) && m_buffer.Size() == 0) return false;
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
    ++m_connection;
    m_wedged = false;
    m_up = true;
    m_stop = false;
    m_draining = false;
    m_readerEnded = false;
    m_buffer.Restart();
    m_reader = std::thread(&DeviceLink::ReaderLoop, this);
    return true;
}

bool DeviceLink::TakeInNow(std::vector<uint8_t>& chunk) {
    // Bounded, so a printer that never stops sending cannot hold a new job for ever.
    for (int round = 0; round < 16; ++round) {
        size_t got = 0;
        const ReadResult r = m_transport->ReadNow(chunk.data(), chunk.size(), got);
        if (r == ReadResult::Ended) return false;
        if (r == ReadResult::Nothing) break;
        if (!m_draining && !m_buffer.Append(chunk.data(), got)) break;
    }
    return true;
}

void DeviceLink::ReaderLoop() {
    std::vector<uint8_t> chunk(64 * 1024);
    bool ended = false;
    while (!m_stop && !ended) {
        const uint64_t asked = m_intakesAsked.load();
        bool intake;
        {
            std::lock_guard<std::mutex> lock(m_endMutex);
            intake = asked != m_intakesDone;
        }
        if (intake) {
            ended = !TakeInNow(chunk);
            {
                std::lock_guard<std::mutex> lock(m_endMutex);
                m_intakesDone = asked;
            }
            m_endChanged.notify_all();
            continue;
        }
        size_t got = 0;
        ReadResult r = m_transport->ReadSome(chunk.data(), chunk.size(), got);
        ended = r == ReadResult::Ended;
        if (r == ReadResult::Data && !m_draining && !m_buffer.Append(chunk.data(), got) && !m_draining) break;
    }
    if (ended && !m_draining) DebugLine(m_transport->Describe() + ": peer closed the link");
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

void DeviceLink::TakeInLocked() {
    if (!m_up || m_readerEnded || !m_transport->CanReadNow()) return;
    std::unique_lock<std::mutex> lock(m_endMutex);
    const uint64_t asked = ++m_intakesAsked;
    m_transport->Interrupt();
    // The reader answers at once; the bound only keeps a wedged device from holding the job.
    m_endChanged.wait_for(lock, std::chrono::seconds(1),
                          [&] { return m_intakesDone >= asked || m_readerEnded.load(); });
}

void DeviceLink::DropLocked(const char* reason, bool abort) {
    DebugLine(m_transport->Describe() + ": " + reason);
    StopReaderLocked();
    if (abort)
        m_transport->Abort();
    else
        m_transport->Close();
    m_up = false;
    m_buffer.Restart();
    m_buffer.MarkEnded();
}

namespace {

const char kUel[] = "\x1b%-12345X";
constexpr size_t kUelLength = sizeof kUel - 1;

bool StartsWithUel(const uint8_t* data, size_t length) {
    return data && length >= kUelLength && std::memcmp(data, kUel, kUelLength) == 0;
}

bool EndsWithUel(const uint8_t* data, size_t length) {
    return data && length >= kUelLength && std::memcmp(data + length - kUelLength, kUel, kUelLength) == 0;
}

} // namespace

size_t DeviceLink::Write(const uint8_t* data, size_t length) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const bool continues = m_streamOpen && !StartsWithUel(data, length);
    if (continues) {
        // The rest of a file sent as a new job, without its header, is printed as data or
        // taken for a cut file: a stream lives and dies with its connection.
        if (m_streamLost || !m_up || m_readerEnded || m_streamConnection != m_connection) {
            if (!m_streamLost)
                DebugLine(m_name + ": the connection that carried this stream is gone; the stream is not "
                                   "continued over a new one");
            m_streamLost = true;
            return 0;
        }
    } else {
        // Nothing frames a reply, so whatever is still unread when a new job begins belongs to an
        // earlier exchange (a reply that came late or in pieces, or status the printer sent
        // unasked); left there it would be read as this job's answer. What has arrived but not
        // been taken in yet counts too. Discarded before the intake as well, so that a reader
        // waiting for room is not waited on.
        m_streamLost = false;
        size_t stale = m_buffer.Discard();
        TakeInLocked();
        stale += m_buffer.Discard();
        if (stale)
            DebugLine(m_name + ": discarded " + std::to_string(stale) + " unread bytes of an earlier exchange");
        // A printer that closes its connection after each job is met with a new connection for
        // the next, even before the reader thread has seen the close. One that stopped taking
        // data would find the new job behind the rest of the broken stream, if ever.
        if (m_up && m_wedged)
            DropLocked("the connection holds what the printer would not take; a new job needs a new one", true);
        else if (m_up && !m_readerEnded && m_transport->PeerHasClosed())
            DropLocked("peer closed the link");
    }
    // A job closed by its UEL is done; what follows it begins another.
    m_streamOpen = !EndsWithUel(data, length);
    if (!continues && (!m_up || m_readerEnded)) {
        std::string why;
        if (!BringUpLocked(why)) {
            m_streamLost = true; // nothing of the job went out, so no rest of it may
            return 0;
        }
    }
    m_streamConnection = m_connection;
    WriteEnd end = WriteEnd::Done;
    const size_t done = m_transport->Write(data, length, end);
    if (end == WriteEnd::Failed) {
        DropLocked(done == 0 ? "write failed" : "write failed part way");
        m_streamLost = true;
    } else if (end == WriteEnd::TimedOut) {
        DebugLine(m_name + ": the device took " + std::to_string(done) + " of " + std::to_string(length) +
                  " bytes within the write timeout; the connection stays up");
    }
    m_wedged = end == WriteEnd::TimedOut;
    return done;
}

uint32_t DeviceLink::Read(uint8_t* buffer, uint32_t capacity) {
    m_streamOpen = false;
    return m_buffer.Read(buffer, capacity, m_settings.readTimeoutMs, m_settings.quietMs);
}

bool DeviceLink::VendorStatus(const uint8_t* in, uint32_t inLength, uint8_t* out, uint32_t outLength,
                              uint32_t& returned) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_streamOpen = false; // an exchange of its own
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
    // An end behind bytes the printer would not take never arrives, and the printer would stay
    // held by a connection nobody uses: it is reset instead.
    if (!m_wedged && !m_readerEnded && m_transport->ShutdownOutput()) {
        std::unique_lock<std::mutex> endLock(m_endMutex);
        m_endChanged.wait_for(endLock, std::chrono::milliseconds(m_settings.drainMs),
                              [&] { return m_readerEnded.load(); });
    }
    StopReaderLocked();
    if (m_wedged)
        m_transport->Abort();
    else
        m_transport->Close();
    m_up = false;
    DebugLine(m_transport->Describe() + (m_wedged ? ": link reset" : ": link closed"));
}

} // namespace qvdevm
