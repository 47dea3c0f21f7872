// One backend's connection to a device. The link owns it; the reader thread calls ReadSome
// while the caller's thread writes, so ReadSome and Write may run at the same time.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace qvdevm {

class LinkBuffer;

enum class ReadResult { Data, Nothing, Ended };

// How a write ended: all of it went out; the device took nothing more for the write timeout but
// the connection is still there (the printer is busy or stalled); or the connection is gone.
enum class WriteEnd { Done, TimedOut, Failed };

class Transport {
  public:
    virtual ~Transport() = default;
    // Connects or opens the device. On failure 'why' says what went wrong.
    virtual bool Open(std::string& why) = 0;
    // Writes all of data unless the device fails or stalls; returns the count written and says
    // how the write ended.
    virtual size_t Write(const uint8_t* data, size_t length, WriteEnd& end) = 0;
    // Waits a short while for input. Data sets 'got'; Ended means the device or peer is gone.
    virtual ReadResult ReadSome(uint8_t* buffer, size_t capacity, size_t& got) = 0;
    // What the device already holds, without waiting: Nothing once it holds no more. Only
    // called from the thread that calls ReadSome.
    virtual ReadResult ReadNow(uint8_t*, size_t, size_t& got) {
        got = 0;
        return ReadResult::Nothing;
    }
    // Whether ReadNow can take in what has arrived. False where the medium hands over only what
    // a transfer of its own asks for (libusb), so nothing lies waiting on the host's side.
    virtual bool CanReadNow() const { return false; }
    // Makes a ReadSome that is blocked return soon.
    virtual void Interrupt() = 0;
    // Tells the peer no more data is coming, where the medium has such a notion. Returns true
    // when the peer is expected to answer with its own end (so the close should drain first).
    virtual bool ShutdownOutput() = 0;
    // Whether the peer has already ended its side, without waiting and without reading; a new
    // job must not go into a connection the printer has closed. False where the medium cannot
    // tell.
    virtual bool PeerHasClosed() { return false; }
    virtual void Close() = 0;
    // Ends a connection that can no longer end in order (it holds data the device would not
    // take, so an end behind that data would never arrive), so the device is free for the next
    // one at once. Where the medium has no such notion, the same as Close.
    virtual void Abort() { Close(); }
    // The vendor status request; false when the backend cannot answer it. The link gives the
    // buffer so a backend that answers in-band can find its reply without disturbing others.
    virtual bool VendorStatus(const uint8_t* in, uint32_t inLength, uint8_t* out, uint32_t outLength,
                              uint32_t& returned, LinkBuffer& buffer) = 0;
    virtual std::string Describe() const = 0;
};

} // namespace qvdevm
