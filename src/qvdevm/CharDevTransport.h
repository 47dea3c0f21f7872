// A character device that carries the printer's data both ways: the kernel usblp node
// (/dev/usb/lpN), or any other such node named by an absolute path. The file stays open while
// the link is up, because closing a usblp node drops what the driver has already read.
#pragma once
#include "qvdevm/Settings.h"
#include "qvdevm/Transport.h"
#include "qvdevm/WakeFd.h"

namespace qvdevm {

class CharDevTransport : public Transport {
  public:
    CharDevTransport(std::string path, const Settings& settings);
    ~CharDevTransport() override;
    bool Open(std::string& why) override;
    size_t Write(const uint8_t* data, size_t length, WriteEnd& end) override;
    ReadResult ReadSome(uint8_t* buffer, size_t capacity, size_t& got) override;
    ReadResult ReadNow(uint8_t* buffer, size_t capacity, size_t& got) override;
    bool CanReadNow() const override;
    void Interrupt() override;
    bool ShutdownOutput() override { return false; }
    void Close() override;
    bool VendorStatus(const uint8_t* in, uint32_t inLength, uint8_t* out, uint32_t outLength,
                      uint32_t& returned, LinkBuffer& buffer) override;
    std::string Describe() const override { return m_path; }

  private:
    std::string m_path;
    Settings m_settings;
    int m_fd = -1;
    WakeFd m_wake;
};

// Presence only: the node exists and is a character device.
bool CharDeviceExists(const std::string& path);

} // namespace qvdevm
