// The Color page through its real controls, and its one immediate job.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

#include "SettingsPageEnv.h"
#include "pages/ColorPage.h"
#include "pjl/Upload.h"
#include "RecordingUiHost.h"

using namespace tav;
using namespace settingspages;

namespace {

const char* const kLang = "[COLOR]\nCustom Color=Custom Color\nPrinter Default=Printer Default\nManual "
                          "Adjust=Manual Adjust\nCyan=Cyan\n"
                          "Magenta=Magenta\nYellow=Yellow\nBlack=Black\nCalibration=Calibration\nOff="
                          "Off\nAuto=Auto\nRun Now=Run Now\n"
                          "IDC_REGISTRATION=Automatic colour registration\n"
                          "[ABOUT]\nIDL_APPNAME_P=Panel\n[COMMON]\nIDS_STRING107=Port busy\n"
                          "[STRING]\nIDS_ERRORSTRING=Printer error\n";

const char* const kValues = "[STR_COROR]\nIDS_CMYK_VALUE0=-2\nIDS_CMYK_VALUE1=-1\nIDS_CMYK_VALUE2=0\nIDS_"
                            "CMYK_VALUE3=1\nIDS_CMYK_VALUE4=2\n";

PrinterSettings Printer() {
    PrinterSettings s;
    s.residentFontCount = 54;
    s.cmykC = s.cmykM = s.cmykY = s.cmykK = 2;
    return s;
}

using Kind = RecordingUiHost::Kind;

} // namespace

TEST(ColorPage, ListsComeFromTheModelAndStorePositions) {
    Env env(std::string("[Color]\nCalibration =1\n") + kValues, kLang);
    env.Report(Printer());
    auto page = env.Open<CColorTab>();
    for (int id : {8152, 8153, 8154, 8155})
        EXPECT_EQ(Items(Ctl<QComboBox>(*page, id)), (QStringList{"-2", "-1", "0", "1", "2"})) << id;
    EXPECT_TRUE(Ctl<QRadioButton>(*page, 8150)->isChecked());
    for (int id : {8152, 8153, 8154, 8155})
        EXPECT_FALSE(page->Control(id)->isEnabled()) << id;

    Ctl<QRadioButton>(*page, 8151)->click();
    EXPECT_EQ(env.ctx.store.edited.customColor, 1);
    for (int id : {8152, 8153, 8154, 8155})
        EXPECT_TRUE(page->Control(id)->isEnabled()) << id;
    Choose(Ctl<QComboBox>(*page, 8152), 4);
    Choose(Ctl<QComboBox>(*page, 8153), 0);
    Choose(Ctl<QComboBox>(*page, 8154), 3);
    Choose(Ctl<QComboBox>(*page, 8155), 2); // "0" is position 2
    const PrinterSettings& e = env.ctx.store.edited;
    EXPECT_EQ(e.cmykC, 4);
    EXPECT_EQ(e.cmykM, 0);
    EXPECT_EQ(e.cmykY, 3);
    EXPECT_EQ(e.cmykK, 2);
    const auto lines = SentLines(env.ctx);
    const std::vector<std::string> head(lines.begin(), lines.begin() + 4);
    EXPECT_EQ(head,
              (std::vector<std::string>{"@PJL DEFAULT CUSTOMCOLOR = CMYK\r\n", "@PJL DEFAULT CMYK_C = 4\r\n",
                                        "@PJL DEFAULT CMYK_M = 0\r\n", "@PJL DEFAULT CMYK_Y = 3\r\n"}));
}

TEST(ColorPage, PrinterDefaultDisablesTheListsButTheirPositionsAreStillWritten) {
    Env env(kValues, kLang);
    PrinterSettings s = Printer();
    s.customColor = 1;
    env.Report(s);
    auto page = env.Open<CColorTab>();
    Ctl<QComboBox>(*page, 8153)->setCurrentIndex(4); // shown, not chosen
    EXPECT_EQ(env.ctx.store.edited.cmykM, 2);
    Ctl<QRadioButton>(*page, 8150)->click();
    EXPECT_EQ(env.ctx.store.edited.customColor, 0);
    EXPECT_EQ(env.ctx.store.edited.cmykM, 4);
    EXPECT_FALSE(page->Control(8153)->isEnabled());
    // Every change writes all six fields.
    env.ctx.store.edited.cmykK = 0;
    env.ctx.store.edited.calibration = 1;
    Ctl<QRadioButton>(*page, 8150)->click();
    EXPECT_EQ(env.ctx.store.edited.cmykK, 2);
    EXPECT_EQ(env.ctx.store.edited.calibration, 0);
}

TEST(ColorPage, CalibrationRowIsBehindTheKeyWithTheBlank) {
    {
        Env env(std::string("[Color]\nCalibration =1\n") + kValues, kLang);
        PrinterSettings s = Printer();
        s.calibration = 2;
        env.Report(s);
        auto page = env.Open<CColorTab>();
        for (int id : {6069, 8146, 8149})
            EXPECT_TRUE(page->Control(id)->isVisibleTo(page.get())) << id;
        EXPECT_FALSE(page->Control(8060)->isVisibleTo(page.get()));
        // A reported 2 shows Auto, and writing back stores 1.
        EXPECT_TRUE(Ctl<QRadioButton>(*page, 8149)->isChecked());
        Choose(Ctl<QComboBox>(*page, 8152), 2);
        EXPECT_EQ(env.ctx.store.edited.calibration, 1);
        Ctl<QRadioButton>(*page, 8146)->click();
        EXPECT_EQ(env.ctx.store.edited.calibration, 0);
        EXPECT_EQ(SentLines(env.ctx).front(), "@PJL DEFAULT CALIBRATION = OFF\r\n");
        Ctl<QRadioButton>(*page, 8149)->click();
        EXPECT_EQ(env.ctx.store.edited.calibration, 1);
    }
    {
        Env env(std::string("[Color]\nCalibrationX=1\n") + kValues, kLang);
        env.Report(Printer());
        auto page = env.Open<CColorTab>();
        for (int id : {6069, 8146, 8149, 8060})
            EXPECT_FALSE(page->Control(id)->isVisibleTo(page.get())) << id;
        EXPECT_TRUE(page->Control(8158)->isVisibleTo(page.get()));
        EXPECT_EQ(Ctl<QLabel>(*page, 8159)->text(), "Automatic colour registration");
    }
}

TEST(ColorPage, MissingValuesGiveShorterListsAndOutOfRangeValuesAreKept) {
    Env env("[STR_COROR]\nIDS_CMYK_VALUE0=-1\nIDS_CMYK_VALUE1=\nIDS_CMYK_VALUE5=0\nIDS_CMYK_VALUE10=1\n",
            kLang);
    PrinterSettings s = Printer();
    s.customColor = 1;
    s.cmykY = 7;
    env.Report(s);
    auto page = env.Open<CColorTab>();
    EXPECT_EQ(Items(Ctl<QComboBox>(*page, 8154)), (QStringList{"-1", "0", "1"}));
    EXPECT_EQ(Ctl<QComboBox>(*page, 8154)->currentIndex(), -1);
    Choose(Ctl<QComboBox>(*page, 8152), 1);
    EXPECT_EQ(env.ctx.store.edited.cmykC, 1);
    EXPECT_EQ(env.ctx.store.edited.cmykY, 7);
}

TEST(ColorPage, RunNowSendsItsOneJobAndWaitsOneSecond) {
    Env env(kValues, kLang);
    env.Report(Printer());
    auto page = env.Open<CColorTab>();
    const PrinterSettings before = env.ctx.store.edited;
    env.dev->Reset();
    env.ui.Clear();
    Ctl<QPushButton>(*page, 8158)->click();
    EXPECT_EQ(tavtest::Bytes(env.dev->Written()),
              std::string("\x1b%-12345X@PJL\r\n@PJL DEFAULT CALIBRATION = RUNNOW\r\n\x1b%-12345X"));
    EXPECT_EQ(env.ui.Waits(), (std::vector<unsigned>{1000}));
    EXPECT_EQ(env.dev->Held(), 0);
    EXPECT_EQ(env.ui.waitCursorDepth, 0);
    EXPECT_EQ(env.ctx.store.edited, before);
    // One write, and the port held around the write and the wait.
    int writes = 0;
    for (const auto& l : env.dev->LogLines())
        writes += l.find("DeviceWrite(") != std::string::npos;
    EXPECT_EQ(writes, 1);
    const auto log = env.dev->LogLines();
    ASSERT_FALSE(log.empty());
    EXPECT_NE(log.front().find("PortAcquire"), std::string::npos);
    EXPECT_NE(log.back().find("PortRelease"), std::string::npos);
    // The wait comes after the write: the wait is the last thing the page asked the host for.
    ASSERT_FALSE(env.ui.events.empty());
    EXPECT_EQ(env.ui.events[env.ui.events.size() - 2].kind, Kind::Wait);
}

TEST(ColorPage, RunNowOnABusyPortSendsNothing) {
    Env env(kValues, kLang);
    env.Report(Printer());
    auto page = env.Open<CColorTab>();
    env.dev->Reset();
    env.dev->Set("acquire", 0);
    env.ui.Clear();
    Ctl<QPushButton>(*page, 8158)->click();
    EXPECT_TRUE(env.dev->Written().empty());
    EXPECT_TRUE(env.ui.Waits().empty());
    ASSERT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_EQ(env.ui.Messages()[0].text, "Port busy");
}

TEST(ColorPage, AFailedWriteShowsThePrinterErrorAndWaitsForNothing) {
    Env env(kValues, kLang);
    env.Report(Printer());
    auto page = env.Open<CColorTab>();
    env.dev->Reset();
    env.dev->Set("open", 0);
    env.ui.Clear();
    Ctl<QPushButton>(*page, 8158)->click();
    ASSERT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_EQ(env.ui.Messages()[0].text, "Printer error");
    EXPECT_TRUE(env.ui.Waits().empty());
    EXPECT_EQ(env.dev->Held(), 0);
    EXPECT_EQ(env.ui.waitCursorDepth, 0);
}

TEST(ColorPage, LoadBeforeTheWindowAndHelp) {
    Env env(std::string("[Color]\nCalibration =1\n") + kValues, kLang);
    env.Report(Printer());
    CColorTab page(env.ctx);
    env.ctx.store.edited.customColor = 1;
    env.ctx.store.edited.cmykK = 4;
    page.LoadFromSettings();
    EXPECT_EQ(page.Control(8155), nullptr);
    page.EnsureCreated();
    EXPECT_EQ(Ctl<QComboBox>(page, 8155)->currentIndex(), 4);
    EXPECT_TRUE(Ctl<QRadioButton>(page, 8151)->isChecked());
    EXPECT_TRUE(page.Control(8155)->isEnabled());
    for (int id : {8146, 8149, 6069})
        EXPECT_EQ(RightClickHelp(page, env.ui, page.Control(id)), 137141u) << id;
    for (int id : {8150, 8151, 8152, 8153, 8154, 8155, 6071, 6072, 6073, 6074})
        EXPECT_EQ(RightClickHelp(page, env.ui, page.Control(id)), 137142u) << id;
    EXPECT_EQ(page.HelpIdFor(8060), 137141u);
    EXPECT_EQ(page.HelpIdFor(6070), 137142u);
    EXPECT_EQ(RightClickHelp(page, env.ui, page.Control(8158)), 139230u);
    EXPECT_EQ(RightClickHelp(page, env.ui, page.Control(8159)), 139231u);
}
