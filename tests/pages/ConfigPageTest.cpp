// The Config page in both variants, through its real controls.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include "SettingsPageEnv.h"
#include "pages/ConfigPage.h"
#include "pjl/Upload.h"

using namespace tav;
using namespace settingspages;

namespace {

const char* const kLang =
    "[CONFIG]\nIDL_EMULATION=Emulation\nIDL_POWERSAVE=Power "
    "Save\nIDC_POWERSAVE_OFF=Off\nIDC_POWERSAVE_ON=On\n"
    "IDC_JAMRECOVERY=Jam Recovery\nIDC_AUTOCONT=Auto Continue\nIDC_ECONOMODE=Toner Save\nIDC_AUTOCLEAN=Auto "
    "Clean\n"
    "IDC_DARKTEXT=Dark Text\nIDC_ALTITUDE=High Altitude\nIDL_DUPLEX=Duplex\nIDC_DUPLEX_NONE=None\n"
    "IDC_DUPLEX_LONG=Long Edge\nIDC_DUPLEX_SHORT=Short Edge\nIDC_STATIC_BPS=Baud Rate\nIDL_POWERSAVE_X=Sleep "
    "after\n"
    "IDL_DUPLEX_X=2-Sided\nIDC_JAMRECOVERY_X=Jam Recovery Mode\nFast=Fast\nFull=Full\nOff=Off\n"
    "[STR_CFG]\nIDS_EMULATION0=Auto\nIDS_EMULATION1=PCL\nIDS_EMULATION2=KS5843\nIDS_EMULATION3=KSSM\n"
    "IDS_EMULATION4=KS5895\nIDS_EMULATION5=PostScript\nIDS_EMULATION6=Epson\n"
    "IDS_ALTITUDE0=Plain\nIDS_ALTITUDE1=High\nIDS_ALTITUDE2=Higher\nIDS_ALTITUDE3=Highest\n";

const char* const kTimes =
    "[STR_CONFIG]\nIDS_POWERSAVE_VALUE0=5\nIDS_POWERSAVE_VALUE1=10\nIDS_POWERSAVE_VALUE2=15\nIDS_POWERSAVE_"
    "VALUE3=30\n"
    "IDS_POWERSAVE_VALUE4=45\nIDS_POWERSAVE_VALUE5=60\nIDS_POWERSAVE_VALUE6=120\nIDS_POWERSAVE_VALUE7=240\n";

const std::string kStandard =
    std::string("[Common]\nSTRING=ORB\n[Config]\nAutoCleanDrum=1\nAltitude=1\nDarkText=1\nDuplex=1\n") +
    kTimes;

constexpr uint32_t kEpson = 0x8000000, kPs = 0x20000000, kKs5843 = 0x100000, kKssm = 0x200000,
                   kKs5895 = 0x400000;

PrinterSettings Printer(uint32_t flags) {
    PrinterSettings s;
    s.featureFlags = flags;
    s.residentFontCount = 54;
    return s;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

} // namespace

TEST(ConfigPage, NonKoreanEpsonAndPostScriptPrinter) {
    Env env(kStandard, kLang);
    env.Report(Printer(kEpson | kPs | 0x4));
    env.ctx.store.reported.personality = env.ctx.store.edited.personality = 10;
    auto page = env.Open<CConfigTab>();
    auto* list = Ctl<QComboBox>(*page, 8091);
    EXPECT_EQ(Items(list), (QStringList{"Auto", "PCL", "Epson", "IBM", "PostScript"}));
    EXPECT_EQ(list->currentIndex(), 4); // PERSONALITY 10 shows PostScript

    QSignalSpy followed(page.get(), &CConfigTab::EmulationChanged);
    Choose(list, 3);
    EXPECT_EQ(env.ctx.store.edited.personality, 12);
    EXPECT_EQ(env.ctx.store.edited.epsonIbm, 1);
    EXPECT_EQ(followed.count(), 1);
    EXPECT_TRUE(HasLine(SentLines(env.ctx), "@PJL DEFAULT PERSONALITY = IBM\r\n"));

    Choose(list, 2);
    EXPECT_EQ(env.ctx.store.edited.personality, 12);
    EXPECT_EQ(env.ctx.store.edited.epsonIbm, 0);
    EXPECT_TRUE(HasLine(SentLines(env.ctx), "@PJL DEFAULT PERSONALITY = EPSON\r\n"));
    EXPECT_EQ(followed.count(), 2);

    // A value put into the list from code is not a choice.
    list->setCurrentIndex(1);
    EXPECT_EQ(env.ctx.store.edited.personality, 12);
    EXPECT_EQ(followed.count(), 2);

    // IBM reloads as IBM, Epson as Epson.
    env.ctx.store.edited.epsonIbm = 1;
    page->LoadFromSettings();
    EXPECT_EQ(list->currentIndex(), 3);
}

TEST(ConfigPage, KoreanPrinterLists) {
    Env env(kStandard, kLang);
    env.ctx.cfg.koreanLanguage = true;
    env.Report(Printer(kKs5843 | kKs5895));
    auto page = env.Open<CConfigTab>();
    auto* list = Ctl<QComboBox>(*page, 8091);
    EXPECT_EQ(Items(list), (QStringList{"Auto", "PCL", "KS5843", "KS5895"}));
    Choose(list, 3);
    EXPECT_EQ(env.ctx.store.edited.personality, 7);
    page->LoadFromSettings();
    EXPECT_EQ(list->currentIndex(), 3);
    EXPECT_TRUE(HasLine(SentLines(env.ctx), "@PJL DEFAULT PERSONALITY = KSC5895\r\n"));
}

TEST(ConfigPage, EmulationRoundTripsThroughTheListForSeveralPrinters) {
    struct Case {
        bool korean;
        uint32_t flags;
        QStringList items;
        std::vector<int> stored; // PERSONALITY per item
    };
    const Case cases[] = {
        {true,
         kKs5843 | kKssm | kKs5895 | kPs,
         {"Auto", "PCL", "KS5843", "KSSM", "KS5895", "PostScript"},
         {0, 1, 5, 6, 7, 10}},
        {true, kKs5843 | kKs5895 | kPs, {"Auto", "PCL", "KS5843", "KS5895", "PostScript"}, {0, 1, 5, 7, 10}},
        {true, kKs5843 | kKssm, {"Auto", "PCL", "KS5843", "KSSM"}, {0, 1, 5, 6}},
        {true, kEpson | kPs, {"Auto", "PCL", "Epson", "IBM", "PostScript"}, {0, 1, 12, 12, 10}},
        {false, kKs5843 | kKssm | kPs, {"Auto", "PCL", "PostScript"}, {0, 1, 10}},
        {false, kEpson, {"Auto", "PCL", "Epson", "IBM"}, {0, 1, 12, 12}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "korean " << c.korean << " flags " << std::hex << c.flags);
        Env env(kStandard, kLang);
        env.ctx.cfg.koreanLanguage = c.korean;
        env.Report(Printer(c.flags));
        auto page = env.Open<CConfigTab>();
        auto* list = Ctl<QComboBox>(*page, 8091);
        ASSERT_EQ(Items(list), c.items);
        for (int i = 0; i < list->count(); ++i) {
            Choose(list, i);
            EXPECT_EQ(env.ctx.store.edited.personality, c.stored[size_t(i)]) << "item " << i;
            list->setCurrentIndex(0);
            page->LoadFromSettings();
            EXPECT_EQ(list->currentIndex(), i) << "item " << i;
        }
    }
}

TEST(ConfigPage, KoreanPostScriptChoiceIsNotSwallowedByTheKs5843Value) {
    Env env(kStandard, kLang);
    env.ctx.cfg.koreanLanguage = true;
    env.Report(Printer(kKs5843 | kKssm | kKs5895 | kPs));
    env.ctx.store.reported.personality = env.ctx.store.edited.personality = 5;
    auto page = env.Open<CConfigTab>();
    auto* list = Ctl<QComboBox>(*page, 8091);
    EXPECT_EQ(list->currentIndex(), 2);
    Choose(list, 5);
    EXPECT_EQ(env.ctx.store.edited.personality, 10);
    // Re-choosing the shown item keeps an equivalent stored value as it is.
    env.ctx.store.edited.personality = 14;
    page->LoadFromSettings();
    EXPECT_EQ(list->currentIndex(), 5);
}

// A Korean printer set to Epson: its list has no Epson entry, so the nearest (the last) shows
// and the stored value stays until the user picks.
TEST(ConfigPage, KoreanListShowsTheNearestEntryForEpson) {
    Env env(kStandard, kLang);
    env.ctx.cfg.koreanLanguage = true;
    env.Report(Printer(kKs5843 | kPs));
    env.ctx.store.reported.personality = env.ctx.store.edited.personality = 12;
    auto page = env.Open<CConfigTab>();
    auto* list = Ctl<QComboBox>(*page, 8091);
    EXPECT_EQ(list->currentIndex(), list->count() - 1);
    Ctl<QCheckBox>(*page, 8026)->click();
    EXPECT_EQ(env.ctx.store.edited.personality, 12);
    Choose(list, list->count() - 1);
    EXPECT_EQ(env.ctx.store.edited.personality, 10);
}

TEST(ConfigPage, AValueOutsideTheListShowsNothingAndIsKept) {
    Env env(kStandard, kLang);
    env.Report(Printer(kPs));
    env.ctx.store.reported.personality = env.ctx.store.edited.personality = 9;
    env.ctx.store.reported.baudRate = env.ctx.store.edited.baudRate = 12;
    auto page = env.Open<CConfigTab>();
    EXPECT_EQ(Ctl<QComboBox>(*page, 8091)->currentIndex(), -1);
    EXPECT_EQ(Ctl<QComboBox>(*page, 8092)->currentIndex(), -1);
    Ctl<QCheckBox>(*page, 8026)->click();
    EXPECT_EQ(env.ctx.store.edited.personality, 9);
    EXPECT_EQ(env.ctx.store.edited.baudRate, 12);
    EXPECT_EQ(env.ctx.store.edited.autoCont, 1);
}

TEST(ConfigPage, PowerSaveStandard) {
    Env env(kStandard, kLang);
    env.Report(Printer(0));
    env.ctx.store.reported.powerSave = env.ctx.store.edited.powerSave = 1;
    auto page = env.Open<CConfigTab>();
    auto* off = Ctl<QRadioButton>(*page, 8129);
    auto* on = Ctl<QRadioButton>(*page, 8130);
    auto* times = Ctl<QComboBox>(*page, 8024);
    EXPECT_EQ(Items(times), (QStringList{"5", "10", "15", "30", "45", "60", "120", "240"}));
    // Reported 1 (five minutes): On, first item, list enabled.
    EXPECT_TRUE(on->isChecked());
    EXPECT_EQ(times->currentIndex(), 0);
    EXPECT_TRUE(times->isEnabled());

    Choose(times, 3);
    EXPECT_EQ(env.ctx.store.edited.powerSave, 4);
    auto lines = SentLines(env.ctx);
    EXPECT_TRUE(HasLine(lines, "@PJL DEFAULT POWERSAVE = ON\r\n"));
    EXPECT_TRUE(HasLine(lines, "@PJL DEFAULT POWERSAVETIME = 30\r\n"));

    off->click();
    EXPECT_EQ(env.ctx.store.edited.powerSave, 0);
    EXPECT_FALSE(times->isEnabled());
    EXPECT_EQ(times->currentIndex(), 0);
    EXPECT_TRUE(HasLine(SentLines(env.ctx), "@PJL DEFAULT POWERSAVE = OFF\r\n"));

    on->click();
    EXPECT_EQ(env.ctx.store.edited.powerSave, 1);
    EXPECT_TRUE(times->isEnabled());

    for (int v = 2; v <= 8; ++v) {
        env.ctx.store.edited.powerSave = static_cast<uint8_t>(v);
        page->LoadFromSettings();
        EXPECT_EQ(times->currentIndex(), v - 1);
    }
    env.ctx.store.edited.powerSave = 0;
    page->LoadFromSettings();
    EXPECT_TRUE(off->isChecked());
    EXPECT_FALSE(times->isEnabled());
    env.ctx.store.edited.powerSave = 20;
    page->LoadFromSettings();
    EXPECT_TRUE(on->isChecked());
    EXPECT_EQ(times->currentIndex(), 0);
}

TEST(ConfigPage, PowerSaveOnAModelWithItsOwnTimes) {
    Env env("[STR_CONFIG]\nIDS_POWERSAVE_VALUE0=15\nIDS_POWERSAVE_VALUE1=30\nIDS_POWERSAVE_VALUE2=60\n"
            "IDS_POWERSAVE_VALUE3=90\n",
            kLang);
    env.Report(Printer(0));
    auto page = env.Open<CConfigTab>();
    auto* times = Ctl<QComboBox>(*page, 8024);
    // On with the first item: the time shown (15 minutes), not "item 0 + 1".
    Ctl<QRadioButton>(*page, 8130)->click();
    EXPECT_EQ(env.ctx.store.edited.powerSave, 3);
    Choose(times, 2);
    EXPECT_EQ(env.ctx.store.edited.powerSave, 6);
    // A text that is no known time leaves the value.
    Choose(times, 3);
    EXPECT_EQ(env.ctx.store.edited.powerSave, 6);
    page->LoadFromSettings();
    EXPECT_EQ(times->currentIndex(), 2);
}

TEST(ConfigPage, SwitchesShowAndHideControls) {
    {
        Env env(kStandard, kLang);
        env.Report(Printer(0x4));
        auto page = env.Open<CConfigTab>();
        EXPECT_TRUE(Ctl<QCheckBox>(*page, 8035)->isVisibleTo(page.get()));
        EXPECT_TRUE(Ctl<QCheckBox>(*page, 8127)->isVisibleTo(page.get()));
        EXPECT_TRUE(Ctl<QCheckBox>(*page, 8135)->isVisibleTo(page.get()));
        EXPECT_FALSE(Ctl<QComboBox>(*page, 1189)->isVisibleTo(page.get()));
        EXPECT_FALSE(Ctl<QLabel>(*page, 1188)->isVisibleTo(page.get()));
        EXPECT_TRUE(Ctl<QCheckBox>(*page, 8025)->isVisibleTo(page.get()));
        EXPECT_TRUE(Ctl<QRadioButton>(*page, 8129)->isVisibleTo(page.get()));
        EXPECT_TRUE(Ctl<QGroupBox>(*page, 6067)->isVisibleTo(page.get()));
        EXPECT_TRUE(Ctl<QRadioButton>(*page, 8144)->isEnabled());
        // The serial controls and Fast Print exist and stay hidden.
        for (int id : {8092, 8094, 8119, 8140, 8031})
            EXPECT_FALSE(page->Control(id)->isVisibleTo(page.get())) << id;
        EXPECT_FALSE(page->Control(8031)->isEnabled());
        EXPECT_EQ(Ctl<QGroupBox>(*page, 8140)->title(), "I/O");
        EXPECT_EQ(
            Items(Ctl<QComboBox>(*page, 8092)),
            (QStringList{"300", "600", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"}));
    }
    {
        Env env(std::string("[Config]\nAltitude=1\nAltiPlain=1\nDuplex=1\nTonerSaveOff=1\n[STR_CONFIG]"
                            "\nPOWERSAVE_OFF=1\n"),
                kLang);
        env.Report(Printer(0));
        auto page = env.Open<CConfigTab>();
        EXPECT_FALSE(Ctl<QCheckBox>(*page, 8035)->isVisibleTo(page.get()));
        EXPECT_FALSE(Ctl<QCheckBox>(*page, 8127)->isVisibleTo(page.get()));
        EXPECT_FALSE(Ctl<QCheckBox>(*page, 8135)->isVisibleTo(page.get()));
        EXPECT_TRUE(Ctl<QComboBox>(*page, 1189)->isVisibleTo(page.get()));
        EXPECT_TRUE(Ctl<QLabel>(*page, 1188)->isVisibleTo(page.get()));
        EXPECT_FALSE(Ctl<QCheckBox>(*page, 8025)->isVisibleTo(page.get()));
        EXPECT_FALSE(Ctl<QRadioButton>(*page, 8129)->isVisibleTo(page.get()));
        EXPECT_FALSE(Ctl<QRadioButton>(*page, 8130)->isVisibleTo(page.get()));
        // Shown, but without the duplex capability bit not usable.
        EXPECT_TRUE(Ctl<QGroupBox>(*page, 6067)->isVisibleTo(page.get()));
        EXPECT_FALSE(Ctl<QRadioButton>(*page, 8144)->isEnabled());
        EXPECT_EQ(Items(Ctl<QComboBox>(*page, 1189)), (QStringList{"Plain", "High", "Higher", "Highest"}));
    }
    {
        Env env("[Config]\nAltiPlain=1\n", kLang);
        env.Report(Printer(0x4));
        auto page = env.Open<CConfigTab>();
        for (int id : {8135, 1188, 1189, 6067})
            EXPECT_FALSE(page->Control(id)->isVisibleTo(page.get())) << id;
    }
}

TEST(ConfigPage, CheckBoxesWriteWhatChangedAndKeepHiddenValues) {
    Env env(std::string("[Config]\nAutoCleanDrum=1\nAltitude=1\nDarkText=1\nTonerSaveOff=1\n") + kTimes,
            kLang);
    PrinterSettings s = Printer(0);
    s.economode = 1;
    s.baudRate = 5;
    s.robust = 1;
    env.Report(s);
    auto page = env.Open<CConfigTab>();
    EXPECT_FALSE(Ctl<QCheckBox>(*page, 8025)->isVisibleTo(page.get()));
    EXPECT_EQ(Ctl<QComboBox>(*page, 8092)->currentIndex(), 5);
    EXPECT_TRUE(Ctl<QCheckBox>(*page, 8094)->isChecked());

    Ctl<QCheckBox>(*page, 8026)->click();
    Ctl<QCheckBox>(*page, 8027)->click();
    Ctl<QCheckBox>(*page, 8035)->click();
    Ctl<QCheckBox>(*page, 8127)->click();
    Ctl<QCheckBox>(*page, 8135)->click();
    const PrinterSettings& e = env.ctx.store.edited;
    EXPECT_EQ(e.autoCont, 1);
    EXPECT_EQ(e.jamRecovery, 1);
    EXPECT_EQ(e.autoClean, 1);
    EXPECT_EQ(e.darkText, 1);
    EXPECT_EQ(e.altitude, 1);
    EXPECT_EQ(e.economode, 1); // hidden toner save keeps its value
    EXPECT_EQ(e.baudRate, 5);
    EXPECT_EQ(e.robust, 1);
    const auto lines = SentLines(env.ctx);
    EXPECT_TRUE(HasLine(lines, "@PJL DEFAULT AUTOCONT = ON \r\n"));
    EXPECT_TRUE(HasLine(lines, "@PJL DEFAULT ALTITUDE = HIGH\r\n"));
    EXPECT_FALSE(HasLine(lines, "@PJL DEFAULT ECONOMODE = OFF\r\n"));

    // The hidden serial controls still store.
    Choose(Ctl<QComboBox>(*page, 8092), 9);
    EXPECT_EQ(env.ctx.store.edited.baudRate, 9);
    Ctl<QCheckBox>(*page, 8094)->click();
    EXPECT_EQ(env.ctx.store.edited.robust, 0);

    Ctl<QCheckBox>(*page, 8026)->click();
    EXPECT_EQ(env.ctx.store.edited.autoCont, 0);
}

TEST(ConfigPage, PlainAltitudeListSurvivesAClickOnAnotherBox) {
    Env env(std::string("[Config]\nAltitude=1\nAltiPlain=1\nDuplex=1\n") + kTimes, kLang);
    env.Report(Printer(0x4));
    auto page = env.Open<CConfigTab>();
    Choose(Ctl<QComboBox>(*page, 1189), 3);
    EXPECT_EQ(env.ctx.store.edited.altitude, 3);
    Ctl<QCheckBox>(*page, 8026)->click();
    EXPECT_EQ(env.ctx.store.edited.altitude, 3);
    EXPECT_TRUE(HasLine(SentLines(env.ctx), "@PJL DEFAULT ALTITUDE = HIGHEST\r\n"));

    Ctl<QRadioButton>(*page, 8147)->click();
    EXPECT_EQ(env.ctx.store.edited.duplex, 2);
    const auto lines = SentLines(env.ctx);
    EXPECT_TRUE(HasLine(lines, "@PJL DEFAULT DUPLEX = ON\r\n"));
    EXPECT_TRUE(HasLine(lines, "@PJL DEFAULT BINDING = SHORTEDGE\r\n"));
    Ctl<QRadioButton>(*page, 8143)->click();
    EXPECT_EQ(env.ctx.store.edited.duplex, 0);
}

TEST(ConfigPage, LoadBeforeTheWindowExistsOnlyFillsTheValues) {
    Env env(kStandard, kLang);
    env.Report(Printer(kEpson | kPs | 0x4));
    CConfigTab page(env.ctx);
    env.ctx.store.edited.personality = 1;
    env.ctx.store.edited.duplex = 1;
    env.ctx.store.edited.autoCont = 1;
    page.LoadFromSettings();
    EXPECT_EQ(page.Control(8091), nullptr);
    page.EnsureCreated();
    EXPECT_EQ(Ctl<QComboBox>(page, 8091)->currentIndex(), 1);
    EXPECT_TRUE(Ctl<QRadioButton>(page, 8144)->isChecked());
    EXPECT_TRUE(Ctl<QCheckBox>(page, 8026)->isChecked());
    // A value another page changed shows when the page is opened again.
    env.ctx.store.edited.economode = 1;
    page.OnSetActive();
    EXPECT_TRUE(Ctl<QCheckBox>(page, 8025)->isChecked());
    // An out-of-range duplex value checks no radio.
    env.ctx.store.edited.duplex = 7;
    page.LoadFromSettings();
    for (int id : {8143, 8144, 8147})
        EXPECT_FALSE(Ctl<QRadioButton>(page, id)->isChecked());
}

TEST(ConfigPage, TextsAndHelp) {
    Env env(kStandard, kLang);
    env.Report(Printer(0x4));
    auto page = env.Open<CConfigTab>();
    EXPECT_EQ(Ctl<QGroupBox>(*page, 6011)->title(), "Power Save");
    EXPECT_EQ(Ctl<QLabel>(*page, 6013)->text(), "Emulation");
    EXPECT_EQ(Ctl<QCheckBox>(*page, 8027)->text(), "Jam Recovery");
    EXPECT_EQ(Ctl<QRadioButton>(*page, 8143)->text(), "None");
    EXPECT_EQ(Ctl<QGroupBox>(*page, 6067)->title(), "Duplex");
    EXPECT_EQ(RightClickHelp(*page, env.ui, page->Control(8091)), 0x20000u + 8091);
    EXPECT_EQ(RightClickHelp(*page, env.ui, page->Control(8026)), 0x20000u + 8026);
    EXPECT_EQ(RightClickHelp(*page, env.ui, page->Control(8144)), 0x20000u + 8144);
    EXPECT_EQ(page->PopupHelpAt(QPoint(page->width() - 2, page->height() - 2)), 0u);
}

// ---------------------------------------------------------------- OEM brand's page

namespace {
const std::string kKalor =
    "[Common]\nSTRING=KALOR\n[STR_CONFIG]\nIDS_POWERSAVE_VALUE0=15\nIDS_POWERSAVE_VALUE1=30\nIDS_POWERSAVE_"
    "VALUE2=60\n"
    "IDS_POWERSAVE_VALUE3=120\nIDS_POWERSAVE_VALUE4=240\nIDS_POWERSAVE_VALUE5=5\nIDS_POWERSAVE_VALUE6=10\n"
    "IDS_POWERSAVE_VALUE7=45\n";
}

TEST(ConfigPageKalor, PowerSaveMapping) {
    Env env(kKalor, kLang);
    env.Report(Printer(0x4));
    auto page = env.Open<CConfigTabX>();
    auto* times = Ctl<QComboBox>(*page, 8097);
    EXPECT_EQ(Items(times), (QStringList{"15", "30", "60", "120", "240", "5", "10", "45"}));
    const std::pair<int, int> shown[] = {{3, 0},
                                         {4, 1},
                                         {6, 2},
                                         {8, 4},
                                         {5, 7},
                                         {7, 3},
                                         {0, 3},
                                         {99, 3},
                                         // the table's items for 1 and 2 show other times
                                         {1, 5},
                                         {2, 6}};
    for (auto [value, item] : shown) {
        env.ctx.store.edited.powerSave = static_cast<uint8_t>(value);
        page->LoadFromSettings();
        EXPECT_EQ(times->currentIndex(), item) << "POWERSAVE " << value;
    }
    const int stored[] = {3, 4, 6, 7, 8, 1, 2, 5};
    for (int i = 0; i < 8; ++i) {
        Choose(times, i);
        EXPECT_EQ(env.ctx.store.edited.powerSave, stored[i]) << "item " << i;
    }
}

TEST(ConfigPageKalor, AnyChangeStoresAllThree) {
    Env env(kKalor, kLang);
    PrinterSettings s = Printer(0x4);
    s.powerSave = 3;
    s.jamRecovery = 1;
    s.duplex = 1;
    env.Report(s);
    auto page = env.Open<CConfigTabX>();
    auto* jam = Ctl<QComboBox>(*page, 8099);
    EXPECT_EQ(Items(jam), (QStringList{"Fast", "Full", "Off"}));
    EXPECT_EQ(jam->currentIndex(), 1);
    EXPECT_TRUE(Ctl<QRadioButton>(*page, 8144)->isChecked());
    EXPECT_EQ(Ctl<QRadioButton>(*page, 8143)->text(), "off");
    EXPECT_EQ(Ctl<QGroupBox>(*page, 6067)->title(), "2-Sided");
    EXPECT_EQ(Ctl<QLabel>(*page, 6015)->text(), "Sleep after");

    // Controls changed from code, then one user change: all three go into the store.
    Ctl<QComboBox>(*page, 8097)->setCurrentIndex(4);
    Ctl<QRadioButton>(*page, 8147)->setChecked(true);
    EXPECT_EQ(env.ctx.store.edited.powerSave, 3);
    Choose(jam, 0);
    EXPECT_EQ(env.ctx.store.edited.jamRecovery, 0);
    EXPECT_EQ(env.ctx.store.edited.powerSave, 8);
    EXPECT_EQ(env.ctx.store.edited.duplex, 2);
    EXPECT_TRUE(HasLine(SentLines(env.ctx), "@PJL DEFAULT JAMRECOVERY = FAST\r\n"));

    Ctl<QRadioButton>(*page, 8143)->click();
    EXPECT_EQ(env.ctx.store.edited.duplex, 0);
    EXPECT_TRUE(HasLine(SentLines(env.ctx), "@PJL DEFAULT DUPLEX = OFF\r\n"));
}

TEST(ConfigPageKalor, DuplexNeedsTheCapabilityBitAndBadValuesAreKept) {
    Env env(kKalor, kLang);
    PrinterSettings s = Printer(0);
    s.jamRecovery = 7;
    s.duplex = 9;
    env.Report(s);
    auto page = env.Open<CConfigTabX>();
    EXPECT_FALSE(Ctl<QRadioButton>(*page, 8144)->isEnabled());
    EXPECT_TRUE(Ctl<QGroupBox>(*page, 6067)->isVisibleTo(page.get()));
    EXPECT_EQ(Ctl<QComboBox>(*page, 8099)->currentIndex(), -1);
    Choose(Ctl<QComboBox>(*page, 8097), 1);
    EXPECT_EQ(env.ctx.store.edited.powerSave, 4);
    EXPECT_EQ(env.ctx.store.edited.jamRecovery, 7);
    EXPECT_EQ(env.ctx.store.edited.duplex, 9);
    EXPECT_EQ(RightClickHelp(*page, env.ui, page->Control(8099)), 0x20000u + 8099);
}
