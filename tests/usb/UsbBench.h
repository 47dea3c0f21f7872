// Emulated USB printers for the device library's tests: umockdev's sysfs and /dev, with our own
// device descriptions (devices/*.umockdev), and handlers that answer the usbdevfs requests
// libusb makes and the usblp node's requests, carrying the print data to and from a tavsim.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

typedef struct _UMockdevTestbed UMockdevTestbed;

namespace tavtest {
class SimProcess;
}

namespace usbtest {

// The first job the simulated printer received, as text; "" when none came.
std::string FirstJob(const tavtest::SimProcess& sim);

// How an emulated printer behaves; what it is (ids, serial, interfaces, its IEEE 1284 ID) comes
// from its description file alone.
struct PrinterSetup {
    PrinterSetup(std::string descriptionFile = {}) : file(std::move(descriptionFile)), vendorStatus(3, 1) {
        vendorStatus[0] = 9; // ready
    }
    std::string file;                  // in the devices folder
    int simPort = 0;                   // tavsim on 127.0.0.1; 0: data is swallowed, none comes back
    std::vector<uint8_t> vendorStatus; // the answer to the vendor status request
    std::string kernelDriver;          // bound to every interface ("" none)
    size_t unplugAfterBytes = 0;       // leaves the bus once this many data bytes came (0 never)
    int lpStatus = 0x18;               // usblp port status: selected, no error
};

// One control transfer as the device saw it.
struct Setup {
    uint8_t requestType = 0, request = 0;
    uint16_t value = 0, index = 0, length = 0;
};

// One emulated printer; its handler runs on umockdev's thread, the test reads what it saw.
struct Printer {
    PrinterSetup setup;
    std::string devnode, syspath, nodeSyspath, ieee1284; // nodeSyspath: the entry that has the node
    std::vector<uint8_t> strings[4]; // string descriptors 0 (languages), 1 maker, 2 model, 3 serial
    std::atomic<bool> gone{false};
    std::atomic<bool> unplugAsked{false};

    // Every request the device got, in order: "claim 1", "release 1", "getdriver 0", "detach 0",
    // "setinterface 1 0", "control", "bulk-out 1", "bulk-in 2", "lpstatus", "lpid", "read", "write".
    std::vector<std::string> Requests() const;
    std::vector<Setup> Controls() const;
    std::string DataOut() const; // every data byte the host sent
    bool Saw(const std::string& request) const;

    // Handler side.
    void Note(const std::string& request);
    void NoteControl(const Setup& s);
    void NoteData(const uint8_t* data, size_t n);
    struct Io;
    std::unique_ptr<Io> io;
    mutable std::mutex mutex;
    std::vector<std::string> requests;
    std::vector<Setup> controls;
    std::string dataOut;
    ~Printer();
};

class UsbBench {
  public:
    UsbBench();
    ~UsbBench();
    UsbBench(const UsbBench&) = delete;
    UsbBench& operator=(const UsbBench&) = delete;

    // Loads the description and answers on its node (usbdevfs, or usblp for a usb/lpN node).
    Printer& Add(const PrinterSetup& setup);
    // The printer leaves the bus: transfers in flight fail, later ones find no device, its
    // sysfs entries go.
    void Unplug(Printer& printer);
    void RemoveFromSysfs(Printer& printer);

  private:
    UMockdevTestbed* m_testbed = nullptr;
    std::vector<std::unique_ptr<Printer>> m_printers;
};

// Waits for cond() until the deadline; true when it held.
bool WaitFor(const std::function<bool()>& cond, int timeoutMs);

// The folder of the device descriptions.
std::string DevicesDir();

} // namespace usbtest
