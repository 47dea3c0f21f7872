#include "Firmware.h"

#include <algorithm>

namespace tavsim {

bool LoadFirmwareModel(const Profile& profile, FirmwareModel& desc, std::string& error) {
    if (!profile.ini.Has("Firmware", "Signature")) return true;
    std::vector<uint8_t> sig;
    if (!ParseHexBytes(profile.ini.Get("Firmware", "Signature"), sig) || sig.empty()) {
        error = "[Firmware] Signature is not hex bytes";
        return false;
    }
    desc.signature = std::move(sig);
    return true;
}

std::string FirmwareVerdict(const std::vector<uint8_t>& head, uint64_t size, size_t signatureSize) {
    if (head.size() < signatureSize + 4 || size < signatureSize + 4) return "no length";
    uint64_t stated = 0;
    for (size_t i = 0; i < 4; ++i) stated = stated << 8 | head[signatureSize + i];
    if (size < stated) return "incomplete";
    if (size > stated) return "too long";
    return "programmed";
}

bool FirmwareUnit::IsImage(const Segment& data) const {
    const auto& sig = m_desc.signature;
    return data.kind == Segment::Kind::Data && data.bytes.size() >= sig.size() &&
           std::equal(sig.begin(), sig.end(), data.bytes.begin());
}

void FirmwareUnit::Take(const Segment& data, int conn, EventLog& log) {
    const std::string verdict = FirmwareVerdict(data.bytes, data.size, m_desc.signature.size());
    Event ev("firmware");
    ev.Int("conn", conn).Int("bytes", (long long)data.size).Str("sha256", data.sha256).Str("result", verdict);
    if (verdict == "programmed") {
        ev.Int("offline_ms", m_desc.programMs);
        m_offlineUntil = log.Seconds() + m_desc.programMs / 1000.0;
    }
    log.Write(ev);
}

bool FirmwareUnit::Offline(EventLog& log) {
    if (m_offlineUntil < 0) return false;
    if (log.Seconds() < m_offlineUntil) return true;
    m_offlineUntil = -1;
    log.Write(Event("online"));
    return false;
}

}  // namespace tavsim
