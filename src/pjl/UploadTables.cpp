#include "pjl/UploadTables.h"

#include <array>

namespace tav::keywords {
namespace {
using namespace std::string_view_literals;
template <typename... T>
constexpr auto Table(T... entries) {
    return std::array<std::string_view, sizeof...(T)>{entries...};
}

constexpr auto paperNames = Table("LETTER"sv, "LEGAL"sv, "A4"sv, "JISB5"sv, "B5"sv, "EXECUTIVE"sv, "COM10"sv,
                                  "MONARCH"sv, "DL"sv, "C5"sv, "FOLIO"sv, "A5"sv, "C6"sv, "A6"sv, "OFICIO"sv,
                                  "CUSTOM"sv, "STATEMENT"sv, "POST"sv, "INDEXCARD"sv, "JISB6"sv, "SIZE6N34"sv,
                                  "SIZE9"sv, "CHECK"sv);
// "ON " and "PORTRAIT " carry their trailing space as the printer has always received them.
constexpr auto orientation = Table("PORTRAIT "sv, "LANDSCAPE"sv);
constexpr auto paperSource = Table("AUTO"sv, "FIRST"sv, "TRAY1"sv, "TRAY3"sv, "TRAY4"sv, "MANUAL"sv, "TRAY2"sv);
constexpr auto onOff = Table("OFF"sv, "ON "sv);
constexpr auto personality = Table("AUTO"sv, "PCL"sv, "LJIIP"sv, "SMART"sv, "SMART"sv, "KSC5843"sv, "KSSM"sv,
                                   "KSC5895"sv, "HWP"sv, "PCLXL"sv, "POSTSCRIPT"sv, "HEXDUMP"sv);
constexpr auto powerSaveTime = Table("OFF"sv, "5"sv, "10"sv, "15"sv, "30"sv, "45"sv, "60"sv, "120"sv, "240"sv);
constexpr auto altitudeStandard = Table("LOW"sv, "HIGH"sv);
constexpr auto altitudePlain = Table("PLAIN"sv, "HIGH"sv, "HIGHER"sv, "HIGHEST"sv);
constexpr auto jamRecoveryKalor = Table("FAST"sv, "FULL"sv, "OFF"sv);
constexpr auto paperTypesStandard = Table("OFF"sv, "NORMAL"sv, "THICK"sv, "THIN"sv, "BOND"sv, "COLOR"sv, "CARD"sv,
                                          "LABEL"sv, "OHP"sv, "ENV"sv, "USED"sv, "LETTERHEAD"sv, "SPECIAL"sv,
                                          "CHECK"sv, "3MDECAL"sv);
constexpr auto paperTypesCotton = Table("OFF"sv, "NORMAL"sv, "THICK"sv, "THIN"sv, "BOND"sv, "COLOR"sv, "CARD"sv,
                                        "LABEL"sv, "OHP"sv, "ENV"sv, "USED"sv, "COTTON"sv, "RECYCLED"sv, "CHECK"sv,
                                        "3MDECAL"sv);
constexpr auto baudRates = Table("300"sv, "600"sv, "1200"sv, "2400"sv, "4800"sv, "9600"sv, "19200"sv, "38400"sv,
                                 "57600"sv, "115200"sv);
constexpr auto symbolSets =
    Table("ROMAN8"sv, "DESKTOP"sv, "ISOL1"sv, "ISOL2"sv, "ISOL5"sv, "ISOL6"sv, "MCTEXT"sv, "MATH8"sv, "MSPUBL"sv,
          "PIFONT"sv, "PSMATH"sv, "PSTEXT"sv, "VNINTL"sv, "VNMATH"sv, "VNUS"sv, "WIN30"sv, "WINL1"sv, "WINL2"sv,
          "WINL5"sv, "WINBALT"sv, "SYMBOL"sv, "WINGDING"sv, "LEGAL"sv, "ISO4"sv, "ISO6"sv, "ISO11"sv, "ISO15"sv,
          "ISO17"sv, "ISO21"sv, "ISO60"sv, "ISO69"sv, "PC775"sv, "PC1004"sv, "PC8"sv, "PC8DN"sv, "PC850"sv,
          "PC852"sv, "PC8TK"sv, "CYRILLIC"sv, "PCCYRILLIC"sv, "15Q"sv, "8H"sv, "0H"sv, "GREEK"sv, "ARABIC8"sv,
          "WINARABIC"sv, "PC864"sv, "FARSI"sv, "ISOARABIC"sv, "PC737"sv);
constexpr auto hangulCodes = Table("WANSUNG"sv, "JOHAP"sv);
constexpr auto koreanFonts = Table("MYUNGJO"sv, "GOTHIC"sv, "GUNGSEO"sv, "GULLIM"sv, "SAMMOOL"sv, "YETCHE"sv,
                                   "POST"sv, "NEWGRAPH"sv, "SUNMYUNGJO"sv, "PILGI"sv, "HEADLINE"sv, "OCRB"sv);
constexpr auto koreanPitches = Table("10"sv, "12"sv, "13.3"sv, "15"sv, "20"sv, "24"sv, "26.7"sv, "30"sv);
constexpr auto ks5895Lpi =
    Table("1"sv, "2"sv, "3"sv, "4"sv, "5"sv, "6"sv, "8"sv, "12"sv, "16"sv, "24"sv, "48"sv, "60"sv);
constexpr auto autoCr = Table("LF"sv, "CRLF"sv);
constexpr auto resolutionFull = Table("300"sv, "600"sv, "1200"sv, "DRAFT"sv);
constexpr auto resolutionShort = Table("600"sv, "1200"sv, "DRAFT"sv);
constexpr auto courier = Table("REGULAR"sv, "DARK"sv);
constexpr auto imageEnhancement = Table("ENHANCE"sv, "NORMAL"sv, "GRAY+"sv, "GRAY"sv);
constexpr auto epsonFonts = Table("SANSERIF"sv, "ROMAN"sv);
constexpr auto epsonCountries = Table("USA"sv, "FRANCE"sv, "GERMANY"sv, "UK"sv, "DENMARK1"sv, "SWEDEN"sv,
                                      "ITALY"sv, "SPAIN1"sv, "JAPAN"sv, "NORWAY"sv, "DENMARK2"sv, "SPAIN2"sv,
                                      "LATIN"sv);
constexpr auto epsonTables = Table("ITALIC"sv, "PC437US"sv, "PC850"sv, "HEBREWOLD"sv, "HEBREWNEW"sv);
constexpr auto epsonLpi = Table("6"sv, "8"sv);
constexpr auto epsonPitches = Table("10"sv, "10.3"sv, "12"sv, "17.14"sv, "20"sv);
// Fields the upload spells by rule: the words are those of its lines (DUPLEX OFF, BINDING ...).
constexpr auto duplex = Table("OFF"sv, "LONGEDGE"sv, "SHORTEDGE"sv);
constexpr auto calibration = Table("OFF"sv, "AUTO"sv);
constexpr auto customColor = Table("DEFAULT"sv, "CMYK"sv);
constexpr auto epsonIbm = Table("EPSON"sv, "IBM"sv);
}  // namespace

const KeywordTable kPaperNames{paperNames};
const KeywordTable kOrientation{orientation};
const KeywordTable kPaperSource{paperSource};
const KeywordTable kOnOff{onOff};
const KeywordTable kPersonality{personality};
const KeywordTable kPowerSaveTime{powerSaveTime};
const KeywordTable kAltitudeStandard{altitudeStandard};
const KeywordTable kAltitudePlain{altitudePlain};
const KeywordTable kJamRecoveryKalor{jamRecoveryKalor};
const KeywordTable kPaperTypesStandard{paperTypesStandard};
const KeywordTable kPaperTypesCotton{paperTypesCotton};
const KeywordTable kBaudRates{baudRates};
const KeywordTable kSymbolSets{symbolSets};
const KeywordTable kHangulCodes{hangulCodes};
const KeywordTable kKoreanFonts{koreanFonts};
const KeywordTable kKoreanPitches{koreanPitches};
const KeywordTable kKs5895Lpi{ks5895Lpi};
const KeywordTable kAutoCr{autoCr};
const KeywordTable kResolutionFull{resolutionFull};
const KeywordTable kResolutionShort{resolutionShort};
const KeywordTable kCourier{courier};
const KeywordTable kImageEnhancement{imageEnhancement};
const KeywordTable kEpsonFonts{epsonFonts};
const KeywordTable kEpsonCountries{epsonCountries};
const KeywordTable kEpsonTables{epsonTables};
const KeywordTable kEpsonLpi{epsonLpi};
const KeywordTable kEpsonPitches{epsonPitches};
const KeywordTable kDuplex{duplex};
const KeywordTable kCalibration{calibration};
const KeywordTable kCustomColor{customColor};
const KeywordTable kEpsonIbm{epsonIbm};

}  // namespace tav::keywords
