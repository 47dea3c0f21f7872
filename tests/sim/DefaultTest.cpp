// "@PJL DEFAULT" lines as the simulated printer applies them to its settings.
#include <gtest/gtest.h>

#include "Printer.h"
#include "Profile.h"

using namespace tavsim;

namespace {
const char* kProfile = R"(
[Model]
ResidentFonts = 54
[Settings]
PAPER = 2
DUPLEX = 0
POWERSAVE = 0
FEATUREFLAGS = 0x80
[Record]
Omit = 151
[FlashFonts]
F1 = 7, 300, Univers, 8U
F2 = 9, 301, Garamond, 8U
)";

Profile Make(const std::string& extra = {}) {
    Profile p;
    std::string error;
    EXPECT_TRUE(ParseProfile(IniFile::Parse(std::string(kProfile) + extra), p, error)) << error;
    return p;
}

const std::string kUel = "\x1b%-12345X";

// Runs one job of the given lines; returns the notes.
std::vector<std::string> Lines(Printer& pr, std::initializer_list<std::string> lines) {
    std::string job = kUel + "@PJL\r\n";
    for (const auto& l : lines) job += l + "\r\n";
    job += kUel;
    return pr.RunJob(std::vector<uint8_t>(job.begin(), job.end())).notes;
}
}  // namespace

TEST(Default, ValuesThroughTheTables) {
    struct Case {
        std::string line;
        int index;
        uint32_t value;
    } cases[] = {
        {"@PJL DEFAULT PAPER = LEGAL", 0, 1},
        {"@PJL DEFAULT AUTOCONT = ON ", 12, 1},  // the panel's trailing blank
        {"@PJL DEFAULT WIDEA4= = ON ", 100, 1},  // the panel's doubled '='
        {"@PJL DEFAULT WIDEA4 = ON", 100, 1},
        {"@PJL DEFAULT ORIENTATION = LANDSCAPE", 3, 1},
        {"@PJL DEFAULT ORIENTATION = PORTRAIT ", 3, 0},
        {"@PJL DEFAULT COPIES = 250", 2, 250},
        {"@PJL DEFAULT DENSITY = 5", 19, 2},
        {"@PJL DEFAULT PITCH = 10.00", 33, 1000},
        {"@PJL DEFAULT PTSIZE = 12.00", 34, 48},
        {"@PJL DEFAULT KSC5895PTSIZE = 10.25", 43, 41},
        {"@PJL DEFAULT TOPMARGIN = 5", 5, 5},
        {"@PJL DEFAULT DUPTOPMARGIN = 4.0", 95, 40},
        {"@PJL DEFAULT EPSONTMARGIN = -3", 75, 3},
        {"@PJL DEFAULT EPSONTMARGIN = 0", 75, 0},
        {"@PJL DEFAULT SYMSET = PC8", 31, 33},
        {"@PJL DEFAULT PAPERTYPE = COTTON", 20, 11},
        {"@PJL DEFAULT ALTITUDE = HIGHEST", 87, 3},
        {"@PJL DEFAULT RESOLUTION = 1200", 53, 2},
        {"@PJL DEFAULT RET = GRAY+", 17, 2},
        {"@PJL DEFAULT KSC5895LPI = 60", 44, 11},
        {"@PJL DEFAULT CUSTOMCOLOR = CMYK", 152, 1},
        {"@PJL DEFAULT CMYK_K = 4", 156, 4},
        {"@pjl default paper = a5", 0, 11},  // PJL is not case-sensitive
        {"@PJL DEFAULT LPARM:PCL SYMSET = WIN30", 31, 15},
    };
    for (const auto& c : cases) {
        Printer pr(Make());
        auto notes = Lines(pr, {c.line});
        EXPECT_TRUE(notes.empty()) << c.line << ": " << (notes.empty() ? "" : notes[0]);
        EXPECT_EQ(pr.Settings().value[size_t(c.index)], c.value) << c.line;
    }
}

TEST(Default, InchMarginsFollowTheUnitField) {
    Printer pr(Make("[Settings]\nMARGINUNIT = 1\n"));
    EXPECT_TRUE(Lines(pr, {"@PJL DEFAULT TOPMARGIN = 0.5", "@PJL DEFAULT DUPTOPMARGIN = 0.4"}).empty());
    EXPECT_EQ(pr.Settings().value[5], 5u);
    EXPECT_EQ(pr.Settings().value[95], 40u);
}

TEST(Default, PairsOfLinesMakeOneField) {
    Printer pr(Make());
    Lines(pr, {"@PJL DEFAULT DUPLEX = ON", "@PJL DEFAULT BINDING = SHORTEDGE"});
    EXPECT_EQ(pr.Settings().value[7], 2u);
    Lines(pr, {"@PJL DEFAULT DUPLEX = OFF"});
    EXPECT_EQ(pr.Settings().value[7], 0u);
    Lines(pr, {"@PJL DEFAULT DUPLEX = ON"});  // the binding is remembered
    EXPECT_EQ(pr.Settings().value[7], 2u);

    Lines(pr, {"@PJL DEFAULT POWERSAVE = ON", "@PJL DEFAULT POWERSAVETIME = 30"});
    EXPECT_EQ(pr.Settings().value[11], 4u);

    Lines(pr, {"@PJL DEFAULT FONTSOURCE = FFONT", "@PJL DEFAULT FONTNUMBER = 9"});
    EXPECT_EQ(pr.Settings().value[30], 55u);  // resident count + second flash font
    Lines(pr, {"@PJL DEFAULT FONTSOURCE = RFONT", "@PJL DEFAULT FONTNUMBER = 12"});
    EXPECT_EQ(pr.Settings().value[30], 12u);

    Lines(pr, {"@PJL DEFAULT PERSONALITY = IBM"});
    EXPECT_EQ(pr.Settings().value[8], 12u);
    EXPECT_EQ(pr.Settings().value[77], 1u);
    Lines(pr, {"@PJL DEFAULT PERSONALITY = EPSON"});
    EXPECT_EQ(pr.Settings().value[77], 0u);

    Lines(pr, {"@PJL DEFAULT PAPER = OTHERS WIDTH =100 HEIGHT=148"});
    EXPECT_EQ(pr.Settings().value[0], 15u);
    EXPECT_EQ(pr.Settings().value[64], 100u);
    EXPECT_EQ(pr.Settings().value[65], 148u);
}

TEST(Default, NameListedTwiceKeepsThePositionThatCarriesIt) {
    Profile p = Make("[Settings]\nPERSONALITY = 4\n");
    Printer pr(p);
    Lines(pr, {"@PJL DEFAULT PERSONALITY = SMART"});
    EXPECT_EQ(pr.Settings().value[8], 4u);
    Lines(pr, {"@PJL DEFAULT PERSONALITY = PCL", "@PJL DEFAULT PERSONALITY = SMART"});
    EXPECT_EQ(pr.Settings().value[8], 3u);
}

TEST(Default, ModelSpellings) {
    Printer kalor(Make("[Model]\nJamRecovery = KALOR\nResolution = FULL\n"));
    Lines(kalor, {"@PJL DEFAULT JAMRECOVERY = OFF", "@PJL DEFAULT RESOLUTION = 300"});
    EXPECT_EQ(kalor.Settings().value[14], 2u);
    EXPECT_EQ(kalor.Settings().value[53], 0u);
    Printer plain(Make());
    Lines(plain, {"@PJL DEFAULT JAMRECOVERY = ON ", "@PJL DEFAULT RESOLUTION = 600"});
    EXPECT_EQ(plain.Settings().value[14], 1u);
    EXPECT_EQ(plain.Settings().value[53], 1u);  // the full code, whatever list the model offers
    EXPECT_FALSE(Lines(plain, {"@PJL DEFAULT RESOLUTION = 300"}).empty());

    Printer best(Make("[Model]\nResolution = BEST\n"));
    Lines(best, {"@PJL DEFAULT RESOLUTION = 600", "@PJL DEFAULT IMAGEQUALITY = 0"});
    EXPECT_EQ(best.Settings().value[53], 0u);
    Lines(best, {"@PJL DEFAULT RESOLUTION = 600", "@PJL DEFAULT IMAGEQUALITY = 1"});
    EXPECT_EQ(best.Settings().value[53], 1u);
}

TEST(Default, UnknownVariablesAndValuesAreNotedAndChangeNothing) {
    Printer pr(Make());
    const SettingsState before = pr.Settings();
    auto notes = Lines(pr, {"@PJL DEFAULT FROBNICATE = 1", "@PJL DEFAULT PAPER = A9", "@PJL DEFAULT COPIES = many",
                          "@PJL DEFAULT COPIES = 0", "@PJL DEFAULT DENSITY = 4", "@PJL DEFAULT EPSONTMARGIN = 3",
                          "@PJL DEFAULT CALIBRATION = AUTO", "@PJL DEFAULT FONTSOURCE = FFONT",
                          "@PJL DEFAULT FONTNUMBER = 8", "@PJL DEFAULT PAPER A4", "@PJL DEFAULT CMYK_C = 256"});
    ASSERT_EQ(notes.size(), 10u);  // FONTSOURCE itself is fine
    EXPECT_EQ(notes[0], "DEFAULT FROBNICATE = \"1\" ignored: unknown variable");
    EXPECT_EQ(notes[1], "DEFAULT PAPER = \"A9\" ignored: unknown value");
    EXPECT_EQ(notes[2], "DEFAULT COPIES = \"many\" ignored: not a whole number");
    EXPECT_EQ(notes[3], "DEFAULT COPIES = \"0\" ignored: value out of range");
    EXPECT_EQ(notes[6], "DEFAULT CALIBRATION = \"AUTO\" ignored: not supported by this model");
    EXPECT_EQ(notes[7], "DEFAULT FONTNUMBER = \"8\" ignored: no such flash font");
    EXPECT_EQ(notes[8], "DEFAULT PAPER = \"\" ignored: no '=' after the variable");
    EXPECT_EQ(pr.Settings().value, before.value);
}

TEST(Default, InitializeRestoresTheFactoryValues) {
    Printer pr(Make());
    Lines(pr, {"@PJL DEFAULT PAPER = LETTER", "@PJL DEFAULT COPIES = 3", "@PJL DEFAULT DUPLEX = ON"});
    EXPECT_EQ(pr.Settings().value[0], 0u);
    auto r = pr.RunJob([] {
        std::string j = kUel + "@PJL\r\n@PJL INITIALIZE\r\n@PJL INFO PRINTER = ALL\r\n" + kUel;
        return std::vector<uint8_t>(j.begin(), j.end());
    }());
    EXPECT_EQ(pr.Settings().value[0], 2u);
    EXPECT_EQ(pr.Settings().value[2], 0u);
    EXPECT_EQ(pr.Settings().value[7], 0u);
    ASSERT_EQ(r.replies.size(), 1u);
    EXPECT_EQ(r.replies[0].bytes, EncodeRecord(pr.GetProfile().factory));
}
