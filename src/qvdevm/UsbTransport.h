// A USB printer: through its usblp node when the kernel driver serves it, else through libusb
// (bulk OUT, bulk IN, vendor control requests). Decided again at every connect, since the
// printer may be replugged or the driver bound in between.
#pragma once
#include "qvdevm/DeviceName.h"
#include "qvdevm/Settings.h"
#include "qvdevm/Transport.h"
#include "qvdevm/UsbMatch.h"

#include <atomic>
#include <memory>

struct libusb_context;
struct libusb_device_handle;

namespace qvdevm {

class UsbTransport : public Transport {
  public:
    UsbTransport(DeviceName name, const Settings& settings);
    ~UsbTransport() override;
    bool Open(std::string& why) override;
    size_t Write(const uint8_t* data, size_t length, WriteEnd& end) override;
    ReadResult ReadSome(uint8_t* buffer, size_t capacity, size_t& got) override;
    ReadResult ReadNow(uint8_t* buffer, size_t capacity, size_t& got) override;
    bool CanReadNow() const override;
    void Interrupt() override;
    bool ShutdownOutput() override;
    void Close() override;
    bool VendorStatus(const uint8_t* in, uint32_t inLength, uint8_t* out, uint32_t outLength,
                      uint32_t& returned, LinkBuffer& buffer) override;
    std::string Describe() const override;

  private:
    bool OpenLibusb(std::string& why);

    DeviceName m_name;
    Settings m_settings;
    std::unique_ptr<Transport> m_node; // the usblp node, when the kernel driver serves the printer
    libusb_context* m_context = nullptr;
    libusb_device_handle* m_handle = nullptr;
    PrinterInterface m_interface;
    bool m_claimed = false;
    std::atomic<bool> m_interrupt{false};
};

// Presence only, never claiming: a usblp node or a matching device in the descriptors.
bool UsbPrinterPresent(const DeviceName& name);

} // namespace qvdevm
