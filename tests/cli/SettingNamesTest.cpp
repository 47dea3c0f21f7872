// tavctl's names and value parsing, against the tables the upload spells values with.
#include <gtest/gtest.h>

#include <set>

#include "cli/SettingNames.h"

using namespace tav;
using namespace tav::cli;

namespace {
uint32_t Value(const std::string& text, const TableChoice& t = {}) {
    std::string why;
    auto a = ParseAssignment(text, t, &why);
    EXPECT_TRUE(a.has_value()) << text << ": " << why;
    return a ? a->value : 0xDEADBEEF;
}
std::string Refusal(const std::string& text, const TableChoice& t = {}) {
    std::string why;
    auto a = ParseAssignment(text, t, &why);
    EXPECT_FALSE(a.has_value()) << text;
    return why;
}
}  // namespace

TEST(SettingNames, KeywordsFirstThenNumbers) {
    EXPECT_EQ(Value("PAPER=LEGAL"), 1u);
    EXPECT_EQ(Value("paper=legal"), 1u);        // neither name nor keyword minds case
    EXPECT_EQ(Value("AUTOCONT=on"), 1u);        // the table's "ON " is typed without its space
    EXPECT_EQ(Value("ORIENTATION=PORTRAIT"), 0u);
    EXPECT_EQ(Value("DUPLEX=#2"), 2u);
    EXPECT_EQ(Value("DUPLEX=LONGEDGE"), 1u);
    // Keywords that look like numbers are keywords; #N is always the stored number.
    EXPECT_EQ(Value("POWERSAVE=30"), 4u);
    EXPECT_EQ(Value("POWERSAVE=#5"), 5u);
    EXPECT_EQ(Value("BAUDRATE=9600"), 5u);
    EXPECT_EQ(Value("KSC5895LPI=8"), 6u);
    EXPECT_EQ(Value("KSC5895LPI=#8"), 8u);
    EXPECT_EQ(Value("EPSONPITCH=17.14"), 3u);
    EXPECT_EQ(Value("RESOLUTION=600"), 0u);
    EXPECT_EQ(Value("RESOLUTION=DRAFT"), 2u);
    EXPECT_EQ(Value("COPIES=999"), 999u);
    EXPECT_EQ(Value("TIMEOUT=65535"), 65535u);
    EXPECT_EQ(Value("PERSONALITY=#12"), 12u);  // EPSON or IBM, spelled by EPSONIBM
    EXPECT_EQ(Value("PERSONALITY=SMART"), 3u);
    EXPECT_EQ(Value("EPSONIBM=IBM"), 1u);
    EXPECT_EQ(Value("FONTNUMBER=53"), 53u);
    EXPECT_EQ(Value("CALIBRATION=AUTO"), 1u);
}

TEST(SettingNames, RefusalsSayWhy) {
    // Any number the record holds reads back (whether it can be sent: EveryPrintedValueReadsBack).
    EXPECT_EQ(Refusal("AUTOCONT=#256"), "AUTOCONT takes 0 to 255, not 256");
    // A number that is no keyword of a listed field is not taken as a stored number by accident.
    EXPECT_EQ(Refusal("POWERSAVE=3"),
              "\"3\" is not a keyword of POWERSAVE (#3 sets the stored number; tavctl set --help lists the keywords)");
    EXPECT_EQ(Refusal("DUPLEX=2").substr(0, 36), "\"2\" is not a keyword of DUPLEX (#2 s");
    EXPECT_EQ(Refusal("TOPMARGIN=256"), "TOPMARGIN takes 0 to 255, not 256");
    EXPECT_EQ(Refusal("COPIES=99999999999"), "\"99999999999\" is not a value of COPIES");
    EXPECT_EQ(Refusal("COPIES=1x"), "\"1x\" is not a value of COPIES");
    EXPECT_EQ(Refusal("COPIES=#"), "\"#\" is not a value of COPIES");
    EXPECT_EQ(Refusal("COPIES= 1"), "\" 1\" is not a value of COPIES");
    EXPECT_EQ(Refusal("FONTSOURCE=RFONT"), "unknown setting \"FONTSOURCE\" (tavctl set --help lists them)");
    EXPECT_EQ(Refusal("INDEX9=1"), "INDEX9 is read only");
    EXPECT_EQ(Refusal("=1"), "unknown setting \"\" (tavctl set --help lists them)");
}

TEST(SettingNames, ModelSwitchesChooseTheKeywords) {
    TableChoice kalor;
    kalor.kalor = true;
    kalor.resolution.kalor = true;
    EXPECT_EQ(Value("JAMRECOVERY=FAST", kalor), 0u);
    EXPECT_EQ(Value("JAMRECOVERY=OFF", kalor), 2u);
    EXPECT_EQ(Value("JAMRECOVERY=OFF"), 0u);
    EXPECT_EQ(Value("RESOLUTION=300", kalor), 0u);
    EXPECT_EQ(Value("RESOLUTION=600", kalor), 1u);
    TableChoice plain;
    plain.altiPlain = true;
    plain.cotton = true;
    EXPECT_EQ(Value("ALTITUDE=HIGHEST", plain), 3u);
    EXPECT_EQ(Refusal("ALTITUDE=HIGHEST"), "\"HIGHEST\" is not a value of ALTITUDE");
    EXPECT_EQ(Value("PAPERTYPE=COTTON", plain), 11u);
    EXPECT_EQ(Value("PAPERTYPE=LETTERHEAD"), 11u);
    EXPECT_NE(ListProblem(*FindField("FONTNUMBER"), 60, kalor, 54), "");
    EXPECT_EQ(ListProblem(*FindField("FONTNUMBER"), 60, kalor, 68), "");
}

TEST(SettingNames, ListingAndChanges) {
    std::set<std::string> names;
    std::set<unsigned> indices;
    for (const SettingField& f : SettingFields()) {
        EXPECT_TRUE(names.insert(std::string(f.name)).second) << f.name;
        EXPECT_TRUE(indices.insert(f.index).second) << f.name;
    }
    PrinterSettings a, b;
    b.copies = 300, b.featureFlags = 0xFFFFFF3F, b.ksc5895Font = 11;
    const std::vector<std::string> changed = ChangedLines(a, b, {}, false);
    EXPECT_EQ(changed, (std::vector<std::string>{"COPIES=300", "KSC5895FONT=OCRB", "FEATUREFLAGS=0xFFFFFF3F"}));
    b.ksc5895Font = 1;
    EXPECT_EQ(ChangedLines(a, b, {}, true)[1], "KSC5895FONT=#1");  // never read back as the keyword "1"
    EXPECT_TRUE(ChangedLines(b, b, {}, false).empty());
    // Setting a field through its name lands in that field only.
    for (const SettingField* field : FieldsInRecordOrder()) {
        const SettingField& f = *field;
        if (!f.Settable()) continue;
        PrinterSettings s;
        f.set(s, 1);
        EXPECT_EQ(f.get(s), 1u) << f.name;
        EXPECT_EQ(ChangedLines(PrinterSettings{}, s, {}, false).size(), 1u) << f.name;
    }
}

// What query prints reads back as the same stored number, for every value of every field, under
// every model switch: keywords, the #N of a number the list does not spell, and plain numbers.
TEST(SettingNames, EveryPrintedValueReadsBack) {
    std::vector<TableChoice> choices(4);
    choices[1].kalor = true;
    choices[2].altiPlain = choices[2].cotton = true;
    choices[3].resolution = ResolutionRules{};
    for (const TableChoice& t : choices)
        for (const SettingField* field : FieldsInRecordOrder()) {
            const SettingField& f = *field;
            if (!f.Settable()) continue;
            const uint32_t last = f.table ? static_cast<uint32_t>(f.table(t).size()) + f.extra + 1 : 300;
            for (uint32_t v = 0; v <= last && v < (1ull << (8 * f.width)); ++v) {
                const std::string printed = std::string(f.name) + "=" + ValueText(f, v, t, false);
                std::string why;
                auto back = ParseAssignment(printed, t, &why);
                ASSERT_TRUE(back) << printed << ": " << why;
                EXPECT_EQ(back->value, v) << printed;
                // Past the table it cannot be sent, as the upload would drop it.
                const bool sendable = f.table ? v < f.table(t).size() + f.extra : f.index != kFontNumberIndex || v < 54;
                EXPECT_EQ(ListProblem(f, v, t, 54).empty(), sendable) << printed;
                const std::string numeric = std::string(f.name) + "=" + ValueText(f, v, t, true);
                ASSERT_TRUE(back = ParseAssignment(numeric, t, &why)) << numeric << ": " << why;
                EXPECT_EQ(back->value, v) << numeric;
            }
        }
}
