// The printer's binary settings record: index, length, big-endian value, closed by index >= 200.
#pragma once
#include <cstdint>
#include <string>

#include "pjl/AppContext.h"

namespace tav {

// Width in bytes of the value the index fills (1, 2 or 4), or 0 when the store has no field for it.
unsigned RecordFieldWidth(uint8_t index);
// Stores value into the field of that index; false when there is none.
bool SetRecordField(PrinterSettings& s, uint8_t index, uint32_t value);
// The value of the field of that index; false when there is none.
bool GetRecordField(const PrinterSettings& s, uint8_t index, uint32_t& value);

// Parses ReplyBuffer. Only a record whose structure holds is taken: each entry's length byte is
// 1, 2 or 4 (the index still fixes the width of a known field), it ends properly (an index of 200
// or more, of length 0, 1, 2 or 4) where the data ends (nothing but the zero fill, or a status
// message sent unasked, follows), and it carries the capability word (index 198). It replaces
// both ReportedSettings and EditedSettings, with the resolution converted for the upload in both
// (ConvertLoadedResolution). Anything else leaves both exactly as they were and returns false:
// the caller treats it as a failed exchange.
bool LoadSettingsRecord(AppContext& ctx);

// The "Printer data" text of the debug dump.
std::string SettingsRecordDump(const ReplyBuffer& reply);

}  // namespace tav
