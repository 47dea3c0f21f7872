// The device library's C ABI. The programs never link against it: they load it by name and
// look each entry point up at the moment of the call, so these typedefs are the contract.
#pragma once
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(QVDEVM_BUILDING)
#define QVDEVM_API __attribute__((visibility("default")))
#else
#define QVDEVM_API
#endif

// The longest device name the library takes (a host name and port fit with room to spare); the
// programs read their configured names up to this length and refuse longer ones.
#define QVDEVM_DEVICE_NAME_MAX 255

// Port token the programs pass to every port call.
#define QVDEVM_PORT_TOKEN 128
// Vendor status request of the USB printer class (bRequest, wValue hi/lo in the input bytes).
#define QVDEVM_IOCTL_VENDOR_GET 0x22003Cu
#define QVDEVM_IOCTL_NOP_A 0x182004u
#define QVDEVM_IOCTL_NOP_B 0x182014u

// Every entry point may be called from any thread. Open and close pair up per thread: a
// thread's writes, reads and control calls go to the device that thread opened last, and two
// threads may talk to two devices at once. Links outlive their close for a linger time
// (QVDEVM_LINGER_MS, default 3000), so a program that opens and closes around every exchange
// keeps one connection; while the process holds the port no link lingers out. All return 1 on
// success and 0 on failure unless said otherwise; the reason goes to the debug output
// (QVDEVM_DEBUG=1) and, for an open or a check, to DeviceLastError.

// Attaches the calling thread to deviceName: "tcp://HOST[:PORT]", a character device path, a
// USB "VID:PID[:SERIAL]", or "s" for the first USB printer. a..d are ignored (kept for the
// callers' signature). Connects when no link to that name is up (within the connect timeout);
// 0 when the name is bad, longer than QVDEVM_DEVICE_NAME_MAX, or the device cannot be reached.
QVDEVM_API int DeviceOpen(int a, int b, int c, int d, const char* deviceName);
// Sends length bytes of data to the calling thread's device. A write that begins a new job (it
// starts with the UEL, follows a read, or follows a write that ended with the UEL) first discards
// unread bytes of earlier exchanges, what has arrived but not been taken in included, and brings
// the link up when it is down. Any other write continues a stream and goes only into the
// connection that carried the write before it: once that is lost, it and every later write of
// the stream send nothing. *written (when not NULL) gets the count that went out; 1 only when
// all of it did. Blocks until the device has taken the bytes or the write timeout, which leaves
// the connection up for the rest.
QVDEVM_API int DeviceWrite(const void* data, uint32_t length, uint32_t* written);
// Waits up to the read timeout for the first byte of a reply, then collects until capacity is
// filled or the line has been quiet for the quiet time; never writes past capacity. *received
// (when not NULL) gets the count; 1 when at least one byte came.
QVDEVM_API int DeviceRead(void* buffer, uint32_t capacity, uint32_t* received);
// Detaches the calling thread from its device; the link lingers. `how` is ignored. Always 1.
QVDEVM_API int DeviceClose(int how);
// Control calls on the calling thread's device. QVDEVM_IOCTL_VENDOR_GET asks the printer for
// its status (in: bRequest, wValue high and low; out: the reply, *returned its length). The two
// NOP codes succeed and leave out as it was. Any other code fails.
QVDEVM_API int GetDeviceIoControl(uint32_t code, const void* in, uint32_t inLength, void* out,
                                  uint32_t outLength, uint32_t* returned);
// Whether deviceName can be reached now, without attaching to it: a link that is up, a TCP
// port that accepts within the connect timeout, a character device that exists, a USB printer
// that is plugged in. a..c are ignored.
QVDEVM_API int DeviceCheck(const char* deviceName, int a, int b, int c);
// The machine-wide port lock for token (the programs pass QVDEVM_PORT_TOKEN): 0 at once when
// another process holds it. Re-entrant within the process; each acquire needs a release.
QVDEVM_API int PortAcquire(int token);
// Gives back one acquire of token (by PortAcquire or PortAcquireFor); 0 for a release with no
// acquire.
QVDEVM_API int PortRelease(int token);
// The port lock for token as far as one printer is concerned: programs on different printers
// hold it side by side, programs on the same printer (the same host and port, the same node, or
// any USB printer, which only an open can tell apart) exclude each other, and a holder of the
// whole port (PortAcquire) excludes them all. 0 at once when another process holds it.
// Re-entrant and counted together with PortAcquire within the process.
QVDEVM_API int PortAcquireFor(int token, const char* deviceName);

// Why an open or a check failed, as DeviceLastError gives it.
#define QVDEVM_ERROR_NONE 0
#define QVDEVM_ERROR_BAD_NAME 1   // the name cannot name a device; nothing was tried
#define QVDEVM_ERROR_NOT_FOUND 2  // no such device is attached, or no such host
#define QVDEVM_ERROR_PERMISSION 3 // the device is there, but this user may not open it
#define QVDEVM_ERROR_BUSY 4       // another program holds the device or its printer interface
#define QVDEVM_ERROR_REFUSED 5    // the host refused the connection
#define QVDEVM_ERROR_NO_ANSWER 6  // the host did not answer within the connect timeout
#define QVDEVM_ERROR_OTHER 7      // anything else; the text says what

// Why the calling thread's last DeviceOpen or DeviceCheck failed: a QVDEVM_ERROR_ code,
// QVDEVM_ERROR_NONE when it succeeded (or before any). text, when not NULL and capacity is not
// 0, gets the library's own reason in English, cut to capacity - 1 bytes and ended by a 0 byte.
QVDEVM_API int DeviceLastError(char* text, uint32_t capacity);

typedef int (*DeviceOpenFn)(int, int, int, int, const char*);
typedef int (*DeviceWriteFn)(const void*, uint32_t, uint32_t*);
typedef int (*DeviceReadFn)(void*, uint32_t, uint32_t*);
typedef int (*DeviceCloseFn)(int);
typedef int (*GetDeviceIoControlFn)(uint32_t, const void*, uint32_t, void*, uint32_t, uint32_t*);
typedef int (*DeviceCheckFn)(const char*, int, int, int);
typedef int (*PortAcquireFn)(int);
typedef int (*PortReleaseFn)(int);
typedef int (*DeviceLastErrorFn)(char*, uint32_t);
typedef int (*PortAcquireForFn)(int, const char*);

#ifdef __cplusplus
}
#endif
