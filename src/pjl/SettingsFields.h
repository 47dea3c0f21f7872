// The settings fields, each described once: where the printer's record holds it, the member of
// PrinterSettings it fills, the name the upload and tavctl call it by, the words its values are
// spelled with, the page limit it is held to and how the upload sends it. The record walk, the
// upload and tavctl all read this one table.
#pragma once
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "pjl/AppContext.h"
#include "pjl/Resolution.h"
#include "pjl/UploadTables.h"

namespace tav {

// The model switches that choose a field's table, read once from the configuration file.
struct TableChoice {
    bool kalor = false;
    bool altiPlain = false; // Config/AltiPlain
    bool cotton = false;    // JOB/COTTON
    ResolutionRules resolution;
    static TableChoice FromConfig(const AppContext& ctx);
};

// How the upload sends a field; Upload.cpp holds one small rule for each.
enum class SendAs : uint8_t {
    Never,          // kept as reported, never sent
    WithOther,      // carried by another field's line (the custom height, the Epson/IBM switch)
    Keyword,        // its table's word
    Number,         // its number
    Switch,         // its table's second word when non-zero, else the first
    PaperFlag,      // its table's word, when the page flagged a paper change (not on a comparison)
    CustomSize,     // the PAPER = OTHERS line with both edges, when the page flagged a custom size
    Margin,         // tenths of an inch, or whole millimetres, by the margin unit
    DuplexMargin,   // hundredths of an inch, or tenths of a millimetre, with one decimal
    Duplex,         // OFF, or ON and the binding
    Emulation,      // PERSONALITY; 12 is spelled EPSON or IBM by the Epson/IBM switch
    PowerSave,      // OFF, or ON and the time
    OddStep,        // a step sent as 2 x step + 1
    Font,           // FONTSOURCE and FONTNUMBER: a resident font, or the flash font's own number
    SymbolSet,      // its table's word, or the set the flash font carries
    Hundredths,     // two decimals of hundredths
    Quarters,       // two decimals of quarter points
    NegativeOffset, // "-n": the printer takes the Epson top margin as an offset upwards
    Resolution,     // every send carries it, by the resolution rules
};

// Which page limit holds a field; the numbers live with the page rules (tavctl reads them there).
enum class FieldLimit : uint8_t {
    None,
    Copies,
    TopMargin, // by the paper, its orientation and the margin unit
    LeftMargin,
    DuplexMargin, // by the margin unit
    CustomWidth,  // the model's custom-size limits
    CustomHeight,
    Density,
    Pitch,
    PointSize, // by the brand
    KoreanPointSize,
    Timeout, // by the model's configuration
    FormLines,
    EpsonFormLines,
    KoreanZoom,
    KoreanMode,
};

struct SettingField {
    uint8_t index;         // in the record; the order query lists them in
    uint8_t width;         // bytes the record gives it
    std::string_view name; // the PJL variable, or our own name for a field not sent under its own
    uint32_t (*get)(const PrinterSettings&); // null: the record's bytes have no member
    void (*set)(PrinterSettings&, uint32_t);
    KeywordTable (*table)(const TableChoice&); // null: a plain number
    SendAs send;
    FieldLimit limit = FieldLimit::None;
    uint8_t extra = 0; // numbers past the table the field still takes (PERSONALITY 12)

    // Whether a user may change it: everything that reaches the printer in some line.
    bool Settable() const { return send != SendAs::Never; }
};

// Personality 12 is the Epson or IBM emulation, spelled apart from the personality table.
inline constexpr uint32_t kPersonalityEpson = 12;
inline constexpr uint8_t kFeatureFlagsIndex = 198;
inline constexpr uint8_t kFontNumberIndex = 30;

// Every field in the order the upload sends them, those that are never sent last.
std::span<const SettingField> SettingFields();
// The field at a record index; null when the record has none there.
const SettingField* FieldAtIndex(uint8_t index);
// The fields with a member, in record order.
const std::vector<const SettingField*>& FieldsInRecordOrder();
// The field of that name (exact, upper case); null when there is none.
const SettingField* FindField(std::string_view name);

} // namespace tav
