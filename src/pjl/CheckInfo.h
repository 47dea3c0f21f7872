// The consumables and counters report: typed text items in answer to INFO INFORMATION.
#pragma once
#include <array>
#include <string>

#include "pjl/AppContext.h"

namespace tav {

inline constexpr size_t kCheckInfoSlots = 31;
inline constexpr size_t kCheckInfoSlotSize = 4096;

// The slot an item type fills, or -1 for types that are passed over.
int CheckInfoSlot(unsigned itemType);

// CheckInfo: each slot holds at most 4095 characters, never a zero byte.
using CheckInfo = std::array<std::string, kCheckInfoSlots>;

int GetCheckInfo(AppContext& ctx);
void ParseCheckInfo(const AppContext& ctx, CheckInfo& info);

}  // namespace tav
