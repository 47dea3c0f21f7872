// The text slots of the consumables and counters report; kept apart from the query so the
// application context can hold them without pulling in the query code.
#pragma once
#include <array>
#include <cstddef>
#include <string>

namespace tav {

inline constexpr size_t kCheckInfoSlots = 31;
inline constexpr size_t kCheckInfoSlotSize = 4096;

// CheckInfo: each slot holds at most 4095 characters, never a zero byte.
using CheckInfo = std::array<std::string, kCheckInfoSlots>;

}  // namespace tav
