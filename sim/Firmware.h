// Firmware images in the data stream: a data run that begins with the model's signature is a
// firmware image. Its 4 bytes after the signature give the image's whole length (big-endian),
// so the printer can tell an image that arrived whole from one cut short. A whole image is
// programmed: the printer is offline (takes nothing, answers nothing) for the programming time.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "EventLog.h"
#include "Framer.h"
#include "Profile.h"

namespace tavsim {

struct FirmwareModel {
    std::vector<uint8_t> signature = {'Q', 'V', 'F', 'W'}; // [Firmware] Signature, hex
    int programMs = 30000;                                 // --program-ms
};

// Reads [Firmware] from the profile; false with error for a signature that is not hex bytes.
bool LoadFirmwareModel(const Profile& profile, FirmwareModel& desc, std::string& error);

// "programmed", "incomplete" (fewer bytes than the image states), "too long" (more), or
// "no length" (the run ends inside the length field).
std::string FirmwareVerdict(const std::vector<uint8_t>& head, uint64_t size, size_t signatureSize);

class FirmwareUnit {
public:
    explicit FirmwareUnit(FirmwareModel desc) : m_desc(std::move(desc)) {}
    bool IsImage(const Segment& data) const;
    // Logs the image's "firmware" event; a programmed one takes the printer offline from now.
    void Take(const Segment& data, int conn, EventLog& log);
    // True while the printer programs itself; the first call after that logs "online".
    bool Offline(EventLog& log);

private:
    FirmwareModel m_desc;
    double m_offlineUntil = -1;
};

}  // namespace tavsim
