// The first-run choice of a printer: whether one is still to be chosen, checking what the user
// typed, trying it with the settings query, and storing it in the user's comtav.ini.
#pragma once
#include <string>

#include "pjl/AppContext.h"
#include <qvdevm/qvdevm.h>

namespace tav {

// The longest device name the device library takes, and so the longest that is stored.
inline constexpr size_t kDeviceIdChars = QVDEVM_DEVICE_NAME_MAX;

// True when nothing names a printer yet: no device given on the command line, no DeviceID in
// the user's file, and neither offline debug mode nor firmware-update-only mode (which names
// its device in the profile).
bool NeedsPrinterChoice(const AppContext& ctx);

// Stores the chosen device (and the model in use, if one was named) in the user's file.
bool SavePrinterChoice(AppContext& ctx, const std::string& deviceName, std::string* error);

// Whether a typed network address can be stored as the printer. It may be given bare ("host",
// "host:port", an IPv6 address) or as tcp:// or socket://; *normalised gets the name to store.
enum class AddressProblem { None, Empty, TooLong, Invalid };
AddressProblem CheckNetworkAddress(const std::string& typed, std::string* normalised);

// Runs the settings query against deviceName, holding the port, with the wait cursor; the
// configured device is untouched. Non-zero when the printer answered.
int TestPrinterChoice(AppContext& ctx, const std::string& deviceName);

} // namespace tav
