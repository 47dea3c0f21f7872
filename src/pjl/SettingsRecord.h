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

// Parses ReplyBuffer into ReportedSettings and, when the record ends properly, into EditedSettings.
// Returns true when it ended properly.
bool LoadSettingsRecord(AppContext& ctx);

// The "Printer data" text of the debug dump.
std::string SettingsRecordDump(const ReplyBuffer& reply);

}  // namespace tav
