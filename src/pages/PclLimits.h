// The PCL font's numeric limits, as the PCL page clamps its edits and tavctl refuses values.
#pragma once
#include <cstdint>

namespace tav {

// Pitch in hundredths of a character per inch: 0.44 to 99.99.
inline constexpr uint16_t kPclPitchMin = 44, kPclPitchMax = 9999;
// Point size in quarter points: 4.00 to 999.75, or 99.75 on the KALOR variant.
inline constexpr uint16_t kPclPtSizeMin = 16;
inline constexpr uint16_t PclPtSizeMax(bool kalor) {
    return kalor ? 399 : 3999;
}

} // namespace tav
