#include "qvdevm/UsbTransport.h"
#include "qvdevm/OpenReason.h"

#include "qvdevm/CharDevTransport.h"
#include "qvdevm/Debug.h"

#include <libusb.h>

#include <cstdio>
#include <thread>

namespace qvdevm {

namespace {

constexpr int kPollMs = 200; // how long one bulk read waits; bounds the stop latency

std::vector<UsbAltSettingInfo> AltSettingsOf(libusb_device* device) {
    std::vector<UsbAltSettingInfo> result;
    libusb_config_descriptor* config = nullptr;
    if (libusb_get_active_config_descriptor(device, &config) != 0 &&
        libusb_get_config_descriptor(device, 0, &config) != 0) {
        return result;
    }
    for (int i = 0; i < config->bNumInterfaces; ++i) {
        const libusb_interface& iface = config->interface[i];
        for (int a = 0; a < iface.num_altsetting; ++a) {
            const libusb_interface_descriptor& d = iface.altsetting[a];
            UsbAltSettingInfo info;
            info.interfaceNumber = d.bInterfaceNumber;
            info.altSetting = d.bAlternateSetting;
            info.interfaceClass = d.bInterfaceClass;
            info.interfaceSubClass = d.bInterfaceSubClass;
            info.interfaceProtocol = d.bInterfaceProtocol;
            for (int e = 0; e < d.bNumEndpoints; ++e) {
                info.endpoints.push_back({d.endpoint[e].bEndpointAddress, d.endpoint[e].bmAttributes});
            }
            result.push_back(std::move(info));
        }
    }
    libusb_free_config_descriptor(config);
    return result;
}

std::string SerialOf(libusb_device* device, const libusb_device_descriptor& desc) {
    if (desc.iSerialNumber == 0) return {};
    libusb_device_handle* h = nullptr;
    if (libusb_open(device, &h) != 0) return {};
    unsigned char text[256] = {};
    int n = libusb_get_string_descriptor_ascii(h, desc.iSerialNumber, text, sizeof text - 1);
    libusb_close(h);
    return n > 0 ? std::string(reinterpret_cast<char*>(text), static_cast<size_t>(n)) : std::string();
}

// Finds the device a name asks for; returns it referenced (caller unrefs) with its interface.
libusb_device* FindDevice(libusb_context* context, const DeviceName& name, PrinterInterface& chosen) {
    libusb_device** list = nullptr;
    ssize_t count = libusb_get_device_list(context, &list);
    libusb_device* found = nullptr;
    for (ssize_t i = 0; i < count && !found; ++i) {
        libusb_device_descriptor desc{};
        if (libusb_get_device_descriptor(list[i], &desc) != 0) continue;
        if (name.kind == DeviceKind::Usb &&
            (desc.idVendor != name.vendorId || desc.idProduct != name.productId)) {
            continue;
        }
        PrinterInterface iface = ChoosePrinterInterface(AltSettingsOf(list[i]));
        const std::string serial = name.serial.empty() ? std::string() : SerialOf(list[i], desc);
        if (!UsbDeviceMatches(name, desc.idVendor, desc.idProduct, serial, iface.found)) continue;
        found = libusb_ref_device(list[i]);
        chosen = iface;
    }
    if (count >= 0) libusb_free_device_list(list, 1);
    return found;
}

} // namespace

UsbTransport::UsbTransport(DeviceName name, const Settings& settings)
    : m_name(std::move(name)), m_settings(settings) {}

UsbTransport::~UsbTransport() {
    Close();
}

std::string UsbTransport::Describe() const {
    if (m_node) return m_node->Describe();
    if (m_name.kind == DeviceKind::UsbDefault) return "usb (first printer)";
    char text[64];
    std::snprintf(text, sizeof text, "usb %04x:%04x", m_name.vendorId, m_name.productId);
    return text + (m_name.serial.empty() ? std::string() : " " + m_name.serial);
}

bool UsbTransport::Open(std::string& why) {
    Close();
    // The kernel driver keeps what it read from the printer; taking the printer away from it
    // would disturb the print system that relies on it, so its node goes first.
    const std::string node = FindUsblpNode("/sys", "/dev/usb", m_name);
    if (!node.empty()) {
        m_node = std::make_unique<CharDevTransport>(node, m_settings);
        if (m_node->Open(why)) return true;
        m_node.reset();
        return false;
    }
    return OpenLibusb(why);
}

bool UsbTransport::OpenLibusb(std::string& why) {
    if (libusb_init(&m_context) != 0) {
        m_context = nullptr;
        why = "USB not available";
        return false;
    }
    libusb_device* device = FindDevice(m_context, m_name, m_interface);
    if (!device) {
        why = reason::kNoDevice;
        Close();
        return false;
    }
    int rc = libusb_open(device, &m_handle);
    libusb_unref_device(device);
    if (rc != 0) {
        m_handle = nullptr;
        why = rc == LIBUSB_ERROR_ACCESS ? reason::kPermission : libusb_error_name(rc);
        Close();
        return false;
    }
    if (libusb_kernel_driver_active(m_handle, m_interface.interfaceNumber) == 1) {
        // Some other driver serves the printer without a usblp node; it is not ours to detach.
        why = reason::kBusy;
        Close();
        return false;
    }
    rc = libusb_claim_interface(m_handle, m_interface.interfaceNumber);
    if (rc != 0) {
        why = rc == LIBUSB_ERROR_BUSY ? reason::kBusy : libusb_error_name(rc);
        Close();
        return false;
    }
    m_claimed = true;
    if (m_interface.altSetting != 0) {
        rc = libusb_set_interface_alt_setting(m_handle, m_interface.interfaceNumber, m_interface.altSetting);
        if (rc != 0) {
            why = libusb_error_name(rc);
            Close();
            return false;
        }
    }
    m_interrupt = false;
    return true;
}

size_t UsbTransport::Write(const uint8_t* data, size_t length, WriteEnd& end) {
    if (m_node) return m_node->Write(data, length, end);
    end = WriteEnd::Done;
    size_t done = 0;
    while (done < length) {
        const int chunk = static_cast<int>(std::min<size_t>(length - done, 64 * 1024));
        int transferred = 0;
        int rc = libusb_bulk_transfer(m_handle, m_interface.endpointOut, const_cast<uint8_t*>(data + done),
                                      chunk, &transferred, static_cast<unsigned>(m_settings.writeTimeoutMs));
        if (transferred > 0) done += static_cast<size_t>(transferred);
        if (rc != 0) {
            DebugLine(Describe() + ": bulk write: " + libusb_error_name(rc));
            // A printer that took nothing for the write timeout is still plugged in.
            end = rc == LIBUSB_ERROR_TIMEOUT ? WriteEnd::TimedOut : WriteEnd::Failed;
            break;
        }
    }
    return done;
}

ReadResult UsbTransport::ReadSome(uint8_t* buffer, size_t capacity, size_t& got) {
    if (m_node) return m_node->ReadSome(buffer, capacity, got);
    got = 0;
    if (m_interrupt.exchange(false)) return ReadResult::Nothing;
    if (!m_interface.endpointIn) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
        return ReadResult::Nothing;
    }
    int transferred = 0;
    const int length = static_cast<int>(std::min<size_t>(capacity, 64 * 1024));
    int rc = libusb_bulk_transfer(m_handle, m_interface.endpointIn, buffer, length, &transferred, kPollMs);
    if (transferred > 0) {
        got = static_cast<size_t>(transferred);
        return ReadResult::Data;
    }
    if (rc == 0 || rc == LIBUSB_ERROR_TIMEOUT || rc == LIBUSB_ERROR_INTERRUPTED) return ReadResult::Nothing;
    if (rc == LIBUSB_ERROR_PIPE) {
        libusb_clear_halt(m_handle, m_interface.endpointIn);
        return ReadResult::Nothing;
    }
    if (rc == LIBUSB_ERROR_OVERFLOW) return ReadResult::Nothing;
    return ReadResult::Ended;
}

ReadResult UsbTransport::ReadNow(uint8_t* buffer, size_t capacity, size_t& got) {
    if (m_node) return m_node->ReadNow(buffer, capacity, got);
    got = 0;
    return ReadResult::Nothing;
}

bool UsbTransport::CanReadNow() const {
    return m_node && m_node->CanReadNow();
}

void UsbTransport::Interrupt() {
    if (m_node) m_node->Interrupt();
    m_interrupt = true;
}

bool UsbTransport::ShutdownOutput() {
    return m_node ? m_node->ShutdownOutput() : false;
}

void UsbTransport::Close() {
    if (m_node) {
        m_node->Close();
        m_node.reset();
    }
    if (m_handle) {
        if (m_claimed) libusb_release_interface(m_handle, m_interface.interfaceNumber);
        libusb_close(m_handle);
    }
    if (m_context) libusb_exit(m_context);
    m_handle = nullptr;
    m_context = nullptr;
    m_claimed = false;
}

bool UsbTransport::VendorStatus(const uint8_t* in, uint32_t inLength, uint8_t* out, uint32_t outLength,
                                uint32_t& returned, LinkBuffer& buffer) {
    if (m_node) return m_node->VendorStatus(in, inLength, out, outLength, returned, buffer);
    if (!m_handle || !in || inLength < 3 || !out || outLength == 0) return false;
    // A vendor request to the printer interface; the control pipe needs no claim of its own.
    const uint16_t value = static_cast<uint16_t>((in[1] << 8) | in[2]);
    const uint16_t length = static_cast<uint16_t>(std::min<uint32_t>(outLength, 0xFFFF));
    const uint8_t requestType = static_cast<uint8_t>(LIBUSB_ENDPOINT_IN) |
                                static_cast<uint8_t>(LIBUSB_REQUEST_TYPE_VENDOR) |
                                static_cast<uint8_t>(LIBUSB_RECIPIENT_INTERFACE);
    int rc = libusb_control_transfer(m_handle, requestType, in[0], value, m_interface.interfaceNumber, out,
                                     length, 5000);
    if (rc < 0) {
        DebugLine(Describe() + ": vendor request: " + libusb_error_name(rc));
        return false;
    }
    returned = static_cast<uint32_t>(rc);
    return true;
}

bool UsbPrinterPresent(const DeviceName& name) {
    if (!FindUsblpNode("/sys", "/dev/usb", name).empty()) return true;
    libusb_context* context = nullptr;
    if (libusb_init(&context) != 0) return false;
    PrinterInterface iface;
    libusb_device* device = FindDevice(context, name, iface);
    if (device) libusb_unref_device(device);
    libusb_exit(context);
    return device != nullptr;
}

} // namespace qvdevm
