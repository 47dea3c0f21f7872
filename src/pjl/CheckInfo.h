// The consumables and counters report: typed text items in answer to INFO INFORMATION.
#pragma once
#include "pjl/AppContext.h"
#include "pjl/CheckInfoSlots.h"

namespace tav {

// The slot an item type fills, or -1 for types that are passed over.
int CheckInfoSlot(unsigned itemType);

int GetCheckInfo(AppContext& ctx);
void ParseCheckInfo(const AppContext& ctx, CheckInfo& info);
// Parses ReplyBuffer into the context's own CheckInfo, the one the Check page shows.
void ParseCheckInfo(AppContext& ctx);

}  // namespace tav
