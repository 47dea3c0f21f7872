// Why a device could not be opened, each reason said once: the words the debug output and
// DeviceLastError give, and the class of failure (QVDEVM_ERROR_) the programs tell the user.
#pragma once
#include <qvdevm/qvdevm.h>

#include <string>

namespace qvdevm {

struct OpenFailure {
    int code = QVDEVM_ERROR_NONE;
    std::string text;
};

namespace reason {
inline constexpr const char* kBusy = "device busy";
inline constexpr const char* kPermission = "permission denied (see the udev rule)";
inline constexpr const char* kNoDevice = "no such device";
inline constexpr const char* kUnknownHost = "unknown host";
inline constexpr const char* kRefused = "connection refused";
inline constexpr const char* kNoAnswer = "no answer";
} // namespace reason

// The failure a backend's reason names; QVDEVM_ERROR_OTHER for words not listed above (a
// system error text, a libusb error name).
OpenFailure FailureOf(const std::string& why);

} // namespace qvdevm
