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

QVDEVM_API int DeviceOpen(int a, int b, int c, int d, const char* deviceName);
QVDEVM_API int DeviceWrite(const void* data, uint32_t length, uint32_t* written);
QVDEVM_API int DeviceRead(void* buffer, uint32_t capacity, uint32_t* received);
QVDEVM_API int DeviceClose(int how);
QVDEVM_API int GetDeviceIoControl(uint32_t code, const void* in, uint32_t inLength, void* out,
                                  uint32_t outLength, uint32_t* returned);
QVDEVM_API int DeviceCheck(const char* deviceName, int a, int b, int c);
QVDEVM_API int PortAcquire(int token);
QVDEVM_API int PortRelease(int token);

typedef int (*DeviceOpenFn)(int, int, int, int, const char*);
typedef int (*DeviceWriteFn)(const void*, uint32_t, uint32_t*);
typedef int (*DeviceReadFn)(void*, uint32_t, uint32_t*);
typedef int (*DeviceCloseFn)(int);
typedef int (*GetDeviceIoControlFn)(uint32_t, const void*, uint32_t, void*, uint32_t, uint32_t*);
typedef int (*DeviceCheckFn)(const char*, int, int, int);
typedef int (*PortAcquireFn)(int);
typedef int (*PortReleaseFn)(int);

#ifdef __cplusplus
}
#endif
