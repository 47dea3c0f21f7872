// The printer's stored defaults, one field per index of its binary settings record.
#pragma once
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace tav {

// One flash font, laid out as the listing stores it (30 bytes).
struct FlashFontEntry {
    uint8_t fontNumber = 0;
    uint8_t zero1 = 0;
    uint16_t fontId = 0;  // host order
    char typeface[21] = {};
    char symbolSet[5] = {};  // three characters and two zeros
};
static_assert(sizeof(FlashFontEntry) == 30);

// One PostScript form (68 bytes).
struct PsFormEntry {
    char name[64] = {}; // a name of 64 bytes fills it with no terminator: read it with Name()
    uint32_t size = 0;
    std::string Name() const { return std::string(name, strnlen(name, sizeof name)); }
};
static_assert(sizeof(PsFormEntry) == 68);

using FlashFontList = std::shared_ptr<const std::vector<FlashFontEntry>>;

struct PrinterSettings {
    uint8_t paper = 0;          // 0
    uint8_t inTray1Size = 0;    // 1
    uint16_t copies = 0;        // 2
    uint8_t orientation = 0;    // 3
    uint8_t mediaSource = 0;    // 4
    uint8_t topMargin = 0;      // 5
    uint8_t leftMargin = 0;     // 6
    uint8_t duplex = 0;         // 7: 0 off, 1 long edge, 2 short edge
    uint8_t personality = 0;    // 8
    uint8_t kept9 = 0, kept10 = 0;
    uint8_t powerSave = 0;      // 11: 0 off, else index of the time
    uint8_t autoCont = 0;       // 12
    uint8_t economode = 0;      // 13
    uint8_t jamRecovery = 0;    // 14
    uint8_t kept15 = 0, kept16 = 0;
    uint8_t ret = 0;            // 17
    uint16_t timeout = 0;       // 18
    uint8_t density = 0;        // 19: step; sent as 2 x step + 1
    uint8_t paperType = 0;      // 20
    uint8_t kept22 = 0;
    uint8_t baudRate = 0;       // 23
    uint8_t robust = 0;         // 24
    uint8_t kept25to29[5] = {};
    uint8_t fontNumber = 0;     // 30
    uint8_t symSet = 0;         // 31
    uint8_t formLines = 0;      // 32
    uint16_t pitch = 0;         // 33: hundredths
    uint16_t ptSize = 0;        // 34: quarter points
    uint8_t hangulCode = 0;     // 35
    uint8_t ksFont = 0;         // 36
    uint8_t ksZoom = 0;         // 37
    uint8_t ksLpi = 0;          // 38
    uint8_t ksPitch = 0;        // 39
    uint8_t kssmPitch = 0;      // 40
    uint8_t autoWrap = 0;       // 41
    uint8_t autoCr = 0;         // 42
    uint16_t ksc5895PtSize = 0; // 43
    uint8_t ksc5895Lpi = 0;     // 44
    uint8_t ksc5895HangulCode = 0;  // 45
    uint16_t ksc5895Font = 0;   // 46: one byte held in a 2-byte field
    uint8_t ksc5895Zoom = 0;    // 47
    uint8_t ksc5895AutoWrap = 0;  // 48
    uint8_t prtPsErrs = 0;      // 50
    uint8_t kept52 = 0;
    uint8_t resolution = 0;     // 53
    uint8_t courier = 0;        // 54
    uint8_t smet = 0;           // 55
    uint8_t ksMargin = 0;       // 56
    uint8_t kssmMargin = 0;     // 57
    uint8_t kssmHangulCode = 0; // 58
    uint8_t kssmFont = 0;       // 59
    uint8_t kssmZoom = 0;       // 60
    uint8_t kssmLpi = 0;        // 61
    uint8_t kssmAutoWrap = 0;   // 62
    uint8_t autoClean = 0;      // 63
    uint16_t customWidth = 0;   // 64
    uint16_t customHeight = 0;  // 65
    uint8_t epsonFont = 0;      // 66
    uint8_t epsonFormLine = 0;  // 67
    uint8_t epsonAutoWrap = 0;  // 68
    uint8_t epsonCountry = 0;   // 71
    uint8_t epsonTable = 0;     // 72
    uint8_t epsonLpi = 0;       // 73
    uint8_t epsonPitch = 0;     // 74
    uint8_t epsonTopMargin = 0; // 75
    uint8_t epsonIbm = 0;       // 77: Epson or IBM flavour of emulation 12
    uint8_t darkText = 0;       // 86
    uint8_t altitude = 0;       // 87
    uint8_t pclPageValue = 0;   // 90: non-zero when fontNumber is a flash font's own number (PclFont.h)
    uint16_t flashValue = 0;    // 91: read and changed by the flash page, never sent
    uint8_t tray1PaperType = 0; // 92
    uint8_t tray2PaperType = 0; // 93
    uint8_t tray3PaperType = 0; // 94
    uint8_t dupTopMargin = 0;   // 95
    uint8_t dupLeftMargin = 0;  // 96
    uint8_t marginUnit = 0;     // 97: non-zero = margins in tenths
    uint8_t wideA4 = 0;         // 100
    uint8_t ksMode = 0;         // 126
    uint8_t kssmMode = 0;       // 127
    uint8_t calibration = 0;    // 151
    uint8_t customColor = 0;    // 152
    uint8_t cmykC = 0, cmykM = 0, cmykY = 0, cmykK = 0;  // 153..156
    uint32_t kept190to194[5] = {};
    uint32_t featureFlags = 0;  // 198
    uint32_t kept199 = 0;

    // Not filled by the record; carried across every parse.
    FlashFontList fontList;
    uint32_t residentFontCount = 0;  // 54, or 68 for the OEM brand
    uint32_t flashFontCount = 0;
    uint32_t formCount = 0;

    bool operator==(const PrinterSettings&) const = default;
};

// What Send compares and what the pages share.
struct SettingsStore {
    PrinterSettings reported;  // ReportedSettings: as the printer last reported
    PrinterSettings edited;    // EditedSettings: what the pages show and change
    bool paperChanged = false;        // PaperChanged
    bool customPaperChanged = false;  // CustomPaperChanged
    bool useFlashSymSet = false;      // UseFlashSymSet
    std::string flashSymSet;          // FlashSymSet, at most 63 characters
    bool pclPageCreated = false;      // PclPageCreated: the PCL page's window exists
    std::vector<PsFormEntry> formList;  // kept beside the store; a settings load leaves it alone
    // The count the last font listing announced: above flashFontCount when it was cut short.
    uint32_t flashFontsAnnounced = 0;
};

}  // namespace tav
