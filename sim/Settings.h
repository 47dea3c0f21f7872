// The printer's stored defaults as the settings record reports them, and how "@PJL DEFAULT"
// lines change them. Kept apart from the programs' own tables on purpose: the simulator must
// be able to disagree with a wrong program.
#pragma once
#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavsim {

struct FieldDef {
    uint8_t index;
    uint8_t width;     // value bytes in the record
    const char* name;  // profile key; the PJL variable where there is one
};

const std::vector<FieldDef>& SettingsFields();
const FieldDef* FindField(uint8_t index);
const FieldDef* FindField(std::string_view name);

// Raw bytes put into the record after an index byte (length byte included), for entries the
// field table does not know or to replace a known one with an odd encoding.
struct RawEntry {
    uint8_t index;
    std::vector<uint8_t> bytes;
};

enum class ResolutionNames { Short, Full, Best };  // "600/1200/DRAFT", "300/600/1200/DRAFT", Full + IMAGEQUALITY

struct ModelOptions {
    bool kalorJamRecovery = false;  // FAST/FULL/OFF instead of OFF/ON
    ResolutionNames resolution = ResolutionNames::Short;
    unsigned residentFonts = 54;
};

struct SettingsState {
    std::array<uint32_t, 256> value{};
    std::bitset<256> omitted;  // fields this model does not report (and so does not accept)
    std::vector<RawEntry> raw;
    int endIndex = 255;  // 0: the record has no closing entry
    // What the printer remembers between lines but the record shows only in combination.
    uint8_t binding = 1;        // 1 long edge, 2 short edge
    uint8_t powerSaveTime = 1;  // index into the power-save times, kept while power save is off
    bool flashFontSource = false;
};

// "@PJL INFO PRINTER = ALL": header 0x01 + big-endian 16-bit length of what follows, then the
// entries in index order, then the closing entry (endIndex, length 0).
std::vector<uint8_t> EncodeRecord(const SettingsState& s);

struct FlashFont {
    uint8_t number = 0;
    uint16_t id = 0;
    std::string name;
    std::string symSet;
};

struct DefaultResult {
    bool applied = false;
    std::string variable;  // upper case, as understood
    std::string value;     // trimmed
    std::string note;      // why it was ignored, empty when applied
};

// Applies the text after "@PJL DEFAULT" (e.g. "PAPER = A4", "WIDEA4= = ON ").
DefaultResult ApplyDefault(SettingsState& s, const ModelOptions& model, const std::vector<FlashFont>& fonts,
                           std::string_view text);

// Case-insensitive position of name in a value table, or -1.
int TableIndex(const std::vector<std::string>& table, std::string_view name);

}  // namespace tavsim
