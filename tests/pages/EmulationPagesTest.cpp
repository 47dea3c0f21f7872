// The Epson and Korean emulation pages through their real controls, with the shipped language
// files: the edge cases of each page, the framework prompts, the font-list prints and Send.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <gtest/gtest.h>

#include <algorithm>

#include "PageFixture.h"
#include "SettingsPageEnv.h"
#include "pages/EpsonPage.h"
#include "pages/KoreanPages.h"
#include "RecordingUiHost.h"

using namespace tav;
using settingspages::Choose;
using settingspages::Ctl;
using settingspages::FocusOut;
using settingspages::Items;
using settingspages::SentLines;
using tavtest::PageEnv;
using Kind = RecordingUiHost::Kind;

namespace {

const char* const kNoSwitches = "[Common]\nAPPNAME=0\n[TAB]\nEPSONIBM=1\n";
const char* const kAllSwitches =
    "[Common]\nAPPNAME=0\n[TAB]\nEPSONIBM=1\n[EPSONIBM]\nFormLine=1\nTopMargin=1\nPITCHADD=1\nHebrewFont=1\n";

PrinterSettings Printer() {
    PrinterSettings s;
    s.residentFontCount = 54;
    s.featureFlags = 0x8000000 | 0x700000;
    s.epsonTable = 1;
    s.epsonFormLine = 66;
    s.baudRate = 5;
    s.ksZoom = s.kssmZoom = s.ksc5895Zoom = 100;
    s.ksLpi = s.kssmLpi = 6;
    s.ksc5895Lpi = 5;
    s.ksc5895PtSize = 42;
    return s;
}

struct Env : PageEnv {
    explicit Env(const std::string& config, const std::string& lang = "EN") : PageEnv(config, lang) {
        Report(Printer());
    }
    void Report(const PrinterSettings& s) {
        ctx->store.reported = s;
        ctx->store.edited = s;
    }
    PrinterSettings& Edited() { return ctx->store.edited; }
    template <typename Page> std::unique_ptr<Page> Open() {
        auto page = std::make_unique<Page>(*ctx);
        page->EnsureCreated();
        return page;
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        for (const auto& e : ui.Messages())
            out.push_back(e.text);
        return out;
    }
    // The lines Send would carry now, without the resolution line every Send has.
    std::vector<std::string> Changed() {
        std::vector<std::string> out;
        for (const std::string& l : SentLines(*ctx))
            if (l.find("RESOLUTION") == std::string::npos) out.push_back(l);
        return out;
    }
};

void Type(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    emit edit->textEdited(text);
}

bool Shown(const TavPage& page, int id) {
    return page.Control(id)->isVisibleTo(&page);
}

} // namespace

TEST(EpsonPage, ListsAndTheModelSwitches) {
    Env env(kNoSwitches);
    auto page = env.Open<CEpsonTab>();
    const QStringList sets = Items(Ctl<QComboBox>(*page, 8131));
    ASSERT_EQ(sets.size(), 13);
    EXPECT_EQ(sets[7], "Spain 1");
    EXPECT_EQ(sets[11], "Spain 2");
    EXPECT_EQ(sets[12], "Latin");
    EXPECT_EQ(Items(Ctl<QComboBox>(*page, 8132)).size(), 3);
    EXPECT_EQ(Items(Ctl<QComboBox>(*page, 8134)), (QStringList{"10", "12", "17.14", "20"}));
    for (int id : {6043, 8103, 6044, 8105})
        EXPECT_FALSE(Shown(*page, id)) << id;
    EXPECT_EQ(Ctl<QLabel>(*page, 6037)->text(), "Font:");

    // Hidden, the form lines and top margin are still written back by every list change.
    env.Edited().epsonFormLine = 200;
    env.Edited().epsonTopMargin = 4;
    Choose(Ctl<QComboBox>(*page, 8126), 1);
    EXPECT_EQ(env.Edited().epsonFont, 1);
    EXPECT_EQ(env.Edited().epsonFormLine, 66);
    EXPECT_EQ(env.Edited().epsonTopMargin, 0);

    // Each switch, or the extended-options bit alone, brings its option.
    for (const bool byBit : {false, true}) {
        SCOPED_TRACE(byBit ? "bit 0x20" : "switches");
        Env on(byBit ? kNoSwitches : kAllSwitches);
        PrinterSettings s = Printer();
        if (byBit) s.featureFlags |= 0x20;
        on.Report(s);
        auto p = on.Open<CEpsonTab>();
        EXPECT_EQ(Items(Ctl<QComboBox>(*p, 8132)).size(), 5);
        EXPECT_EQ(Items(Ctl<QComboBox>(*p, 8134)), (QStringList{"10", "10.3", "12", "17.14", "20"}));
        for (int id : {6043, 8103, 6044, 8105})
            EXPECT_TRUE(Shown(*p, id)) << id;
        EXPECT_EQ(Ctl<QLineEdit>(*p, 8103)->text(), "66");
    }

    Env kr(kNoSwitches, "KR");
    auto krPage = kr.Open<CEpsonTab>();
    const QStringList krSets = Items(Ctl<QComboBox>(*krPage, 8131));
    ASSERT_EQ(krSets.size(), 13);
    EXPECT_EQ(krSets[11], QString::fromUtf8("스페인 2"));
}

TEST(EpsonPage, PitchWithAndWithoutThe103Entry) {
    Env env(kNoSwitches);
    PrinterSettings s = Printer();
    s.epsonPitch = 3;
    env.Report(s);
    auto page = env.Open<CEpsonTab>();
    auto* pitch = Ctl<QComboBox>(*page, 8134);
    EXPECT_EQ(pitch->currentText(), "17.14");
    Choose(pitch, 1);
    EXPECT_EQ(env.Edited().epsonPitch, 2);
    EXPECT_EQ(env.Changed(), (std::vector<std::string>{"@PJL DEFAULT EPSONPITCH = 12\r\n"}));

    // A printer at 10.3 shows the nearest entry, and keeps 10.3 until the user picks a pitch.
    s.epsonPitch = 1;
    env.Report(s);
    page->LoadFromSettings();
    EXPECT_EQ(pitch->currentText(), "10");
    Choose(Ctl<QComboBox>(*page, 8133), 1);
    Ctl<QCheckBox>(*page, 8128)->click();
    EXPECT_EQ(env.Edited().epsonPitch, 1);
    EXPECT_EQ(env.Changed(), (std::vector<std::string>{"@PJL DEFAULT EPSONAUTOWRAP = ON \r\n",
                                                       "@PJL DEFAULT EPSONLPI = 8\r\n"}));
    Choose(pitch, 0);
    EXPECT_EQ(env.Edited().epsonPitch, 0);
    // The next load forgets that pick.
    page->LoadFromSettings();
    env.Edited().epsonPitch = 1;
    page->LoadFromSettings();
    Choose(Ctl<QComboBox>(*page, 8126), 1);
    EXPECT_EQ(env.Edited().epsonPitch, 1);

    Env with(kAllSwitches);
    with.Report(s);
    auto p = with.Open<CEpsonTab>();
    EXPECT_EQ(Ctl<QComboBox>(*p, 8134)->currentText(), "10.3");
    Choose(Ctl<QComboBox>(*p, 8134), 3);
    EXPECT_EQ(with.Edited().epsonPitch, 3);
}

TEST(EpsonPage, FormLinesClampAndTheIntegerPrompt) {
    Env env(kAllSwitches);
    auto page = env.Open<CEpsonTab>();
    auto* lines = Ctl<QLineEdit>(*page, 8103);
    Type(lines, "200");
    EXPECT_EQ(env.Edited().epsonFormLine, 128);
    FocusOut(lines);
    EXPECT_EQ(lines->text(), "128");
    EXPECT_TRUE(env.ui.Messages().empty());

    // Empty: the prompt, once per event, and nothing stored by that event.
    env.ui.Clear();
    Type(lines, "");
    Choose(Ctl<QComboBox>(*page, 8126), 1);
    Ctl<QCheckBox>(*page, 8128)->click();
    FocusOut(lines);
    EXPECT_EQ(env.Messages(), std::vector<std::string>(4, "Please enter an integer."));
    EXPECT_EQ(env.ui.Messages()[0].caption, "Quorvex Remote Control Panel");
    EXPECT_EQ(env.Edited().epsonFont, 0);
    EXPECT_EQ(env.Edited().epsonAutoWrap, 0);
    EXPECT_EQ(env.Edited().epsonFormLine, 128);

    // A prompt's own message loop does not start a second one.
    env.ui.Clear();
    env.ui.onMessage = [&](const std::string&) { FocusOut(lines); };
    Choose(Ctl<QComboBox>(*page, 8126), 1);
    EXPECT_EQ(env.ui.Messages().size(), 1u);
    env.ui.onMessage = nullptr;

    Env kr(kAllSwitches, "KR");
    auto krPage = kr.Open<CEpsonTab>();
    Type(Ctl<QLineEdit>(*krPage, 8103), "");
    EXPECT_EQ(kr.Messages(), (std::vector<std::string>{"정수를 입력하십시오."}));
}

TEST(EpsonPage, FontListPrintAndHelp) {
    Env env(kAllSwitches);
    auto page = env.Open<CEpsonTab>();
    auto* button = Ctl<QPushButton>(*page, 8067);
    env.dev.Reset();
    button->click();
    EXPECT_NE(env.Written().find("@PJL TEST PRINT = EPSONFONT\r\n"), std::string::npos) << env.Written();
    EXPECT_EQ(env.ui.Waits().back(), 10000u);
    EXPECT_EQ(env.ui.waitCursorDepth, 0);
    EXPECT_EQ(env.dev.Held(), 0);

    // Port busy: nothing is written; a failed write: the common failure box.
    env.dev.Reset();
    env.ui.Clear();
    env.dev.Set("acquire", 0);
    button->click();
    EXPECT_EQ(env.Written(), "");
    env.dev.Set("acquire", 1);
    env.dev.Set("open", 0);
    env.ui.Clear();
    button->click();
    EXPECT_EQ(env.Messages(),
              (std::vector<std::string>{"The printer could not be reached. Please try again."}));
    EXPECT_TRUE(env.ui.Waits().empty()); // nothing reached the printer: nothing to wait for

    for (auto [id, topic] : {std::pair{8126, 139198u},
                             {6037, 139198u},
                             {8131, 139203u},
                             {6043, 139175u},
                             {8103, 139175u},
                             {8105, 139177u},
                             {8128, 139200u},
                             {8067, 139139u}})
        EXPECT_EQ(settingspages::RightClickHelp(*page, env.ui, page->Control(id)), topic) << id;
}

TEST(KoreanPages, ZoomAndModeEdits) {
    Env env(kNoSwitches, "KR");
    std::vector<std::unique_ptr<CKoreanTab>> pages;
    pages.push_back(env.Open<CKs5843Tab>());
    pages.push_back(env.Open<CPsTab>());
    pages.push_back(env.Open<CKs5895Tab>());
    for (auto& page : pages) {
        const KoreanPageLayout& desc = page->Layout();
        SCOPED_TRACE(desc.className);
        auto* zoom = Ctl<QLineEdit>(*page, desc.zoom.controlId);
        uint8_t& field = env.Edited().*desc.zoom.field;
        EXPECT_EQ(zoom->text(), "100");
        for (auto [typed, shown] : {std::pair{"30", "50"}, {"250", "200"}, {"", "50"}, {"120", "120"}}) {
            zoom->setText(typed);
            FocusOut(zoom);
            EXPECT_EQ(zoom->text(), shown) << typed;
            EXPECT_EQ(std::to_string(field), shown) << typed;
        }
        // The bar's up arrow at 200 shows 50; its down arrow at 50 shows 200.
        auto* bar = Ctl<QScrollBar>(*page, desc.zoomBar);
        zoom->setText("200");
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        EXPECT_EQ(zoom->text(), "50");
        EXPECT_EQ(field, 50);
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        EXPECT_EQ(zoom->text(), "200");
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        EXPECT_EQ(zoom->text(), "199");
        EXPECT_EQ(bar->value(), 0);
        if (!desc.mode.controlId) continue;
        auto* mode = Ctl<QLineEdit>(*page, desc.mode.controlId);
        for (auto [typed, shown] : {std::pair{"150", "99"}, {"", "0"}, {"-4", "0"}, {"42", "42"}}) {
            mode->setText(typed);
            FocusOut(mode);
            EXPECT_EQ(mode->text(), shown) << typed;
            EXPECT_EQ(std::to_string(env.Edited().*desc.mode.field), shown) << typed;
        }
    }
    EXPECT_TRUE(env.ui.Messages().empty());
}

TEST(KoreanPages, ListsStoreAndLinesPerInchOutsideItsRange) {
    Env env(kNoSwitches, "KR");
    PrinterSettings s = Printer();
    s.ksLpi = 4;
    s.kssmLpi = 11;
    s.ksc5895Lpi = 6; // "8"
    env.Report(s);
    auto ks = env.Open<CKs5843Tab>();
    auto kssm = env.Open<CPsTab>();
    auto ks95 = env.Open<CKs5895Tab>();
    EXPECT_EQ(Ctl<QComboBox>(*ks, 8045)->currentText(), "6");
    EXPECT_EQ(Ctl<QComboBox>(*kssm, 8085)->currentText(), "6");
    EXPECT_EQ(Ctl<QComboBox>(*ks95, 8100)->currentText(), "8");
    EXPECT_EQ(Items(Ctl<QComboBox>(*ks, 8036))[2], "13.3 ");
    const QStringList fonts = Items(Ctl<QComboBox>(*kssm, 8087));
    ASSERT_EQ(fonts.size(), 12);
    EXPECT_EQ(fonts[0], QString::fromUtf8("명조"));
    EXPECT_EQ(fonts[7], QString::fromUtf8("신그래픽"));
    EXPECT_EQ(fonts[11], "OCR_B1");
    EXPECT_EQ(Items(Ctl<QComboBox>(*kssm, 8074)),
              (QStringList{QString::fromUtf8("완성형"), QString::fromUtf8("조합형")}));

    // The check box alone rewrites the outside value as 6.
    Ctl<QCheckBox>(*ks, 8055)->click();
    EXPECT_EQ(env.Edited().ksLpi, 6);
    EXPECT_EQ(env.Edited().autoWrap, 1);
    Choose(Ctl<QComboBox>(*kssm, 8069), 8);
    EXPECT_EQ(env.Edited().kssmLpi, 6);
    EXPECT_EQ(env.Edited().kssmMargin, 8);
    Choose(Ctl<QComboBox>(*kssm, 8085), 5);
    EXPECT_EQ(env.Edited().kssmLpi, 10);
    Choose(Ctl<QComboBox>(*ks95, 8101), 11);
    Choose(Ctl<QComboBox>(*ks95, 8100), 11);
    Choose(Ctl<QComboBox>(*ks95, 8104), 1);
    EXPECT_EQ(env.Edited().ksc5895Font, 11);
    EXPECT_EQ(env.Edited().ksc5895Lpi, 11);
    EXPECT_EQ(env.Changed(), (std::vector<std::string>{
                                 "@PJL DEFAULT KSLPI = 6\r\n", "@PJL DEFAULT AUTOWRAP = ON \r\n",
                                 "@PJL DEFAULT KSSMMARGIN = 8\r\n", "@PJL DEFAULT KSSMLPI = 10\r\n",
                                 "@PJL DEFAULT KSC5895HANGULCODE = JOHAP\r\n",
                                 "@PJL DEFAULT KSC5895FONT = OCRB\r\n", "@PJL DEFAULT KSC5895LPI = 60\r\n"}));
}

TEST(KoreanPages, PointSizeAndTheLengthPrompt) {
    Env env(kNoSwitches, "EN");
    auto page = env.Open<CKs5895Tab>();
    auto* pt = Ctl<QLineEdit>(*page, 8110);
    EXPECT_EQ(pt->text(), "10.50");
    pt->setText("3");
    FocusOut(pt);
    EXPECT_EQ(pt->text(), "4.00");
    EXPECT_EQ(env.Edited().ksc5895PtSize, 16);
    pt->setText("10.3");
    FocusOut(pt);
    EXPECT_EQ(pt->text(), "10.3");
    EXPECT_EQ(env.Edited().ksc5895PtSize, 41);
    auto* bar = Ctl<QScrollBar>(*page, 8109);
    // The arrows step from what is stored (10.25, not the 10.3 typed) and show it.
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(pt->text(), "10.00");
    EXPECT_EQ(env.Edited().ksc5895PtSize, 40);
    pt->setText("99.75");
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(pt->text(), "4.00");
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(pt->text(), "99.75");
    EXPECT_EQ(env.Edited().ksc5895PtSize, 399);
    EXPECT_TRUE(env.ui.Messages().empty());

    // Longer than five characters: the prompt, and no event stores anything.
    pt->setText("10.255");
    Choose(Ctl<QComboBox>(*page, 8101), 3);
    FocusOut(pt);
    Ctl<QLineEdit>(*page, 8106)->setText("150");
    FocusOut(Ctl<QLineEdit>(*page, 8106));
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(env.Messages(), std::vector<std::string>(4, "Please enter no more than 5 characters."));
    EXPECT_EQ(env.Edited().ksc5895Font, 0);
    EXPECT_EQ(env.Edited().ksc5895Zoom, 100);
    EXPECT_EQ(env.Edited().ksc5895PtSize, 399);
    EXPECT_EQ(pt->text(), "10.255");

    Env kr(kNoSwitches, "KR");
    auto krPage = kr.Open<CKs5895Tab>();
    Ctl<QLineEdit>(*krPage, 8110)->setText("123456");
    Choose(Ctl<QComboBox>(*krPage, 8101), 3);
    EXPECT_EQ(kr.Messages(), (std::vector<std::string>{"5자 이하로 입력하십시오."}));
}

TEST(KoreanPages, AStoreLeavesTheSerialSettingsToTheConfigPage) {
    Env env(kNoSwitches, "KR");
    auto page = env.Open<CKs5843Tab>();
    // A newer choice made on the Config page after this page loaded.
    env.Edited().baudRate = 7;
    env.Edited().robust = 1;
    Choose(Ctl<QComboBox>(*page, 8036), 2);
    Ctl<QCheckBox>(*page, 8055)->click();
    EXPECT_EQ(env.Edited().baudRate, 7);
    EXPECT_EQ(env.Edited().robust, 1);
    EXPECT_EQ(page->Control(8003), nullptr);
    EXPECT_EQ(page->Control(8038), nullptr);
    const auto lines = env.Changed();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "@PJL DEFAULT BAUDRATE = 38400\r\n"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "@PJL DEFAULT KSPITCH = 13.3\r\n"), lines.end());
}

TEST(KoreanPages, FontListPrintsAndHelp) {
    Env env(kNoSwitches, "KR");
    std::vector<std::unique_ptr<CKoreanTab>> pages;
    pages.push_back(env.Open<CKs5843Tab>());
    pages.push_back(env.Open<CPsTab>());
    pages.push_back(env.Open<CKs5895Tab>());
    for (auto& page : pages) {
        const KoreanPageLayout& desc = page->Layout();
        SCOPED_TRACE(desc.className);
        env.dev.Reset();
        env.ui.Clear();
        Ctl<QPushButton>(*page, desc.fontListButton.controlId)->click();
        EXPECT_NE(env.Written().find("@PJL TEST PRINT = " + std::string(desc.fontListName) + "\r\n"),
                  std::string::npos);
        EXPECT_EQ(env.ui.TotalWaitMs(), 11000u);
        EXPECT_EQ(env.dev.Held(), 0);
        std::vector<std::pair<int, uint32_t>> expect = {
            {desc.lpi.controlId, 137118u},      {desc.lpi.labelId, 137118u},
            {desc.font.controlId, 137119u},     {desc.code.labelId, 137122u},
            {desc.zoom.controlId, 137123u},     {desc.zoomBar, 137123u},
            {desc.autoWrap.controlId, 139127u}, {desc.fontListButton.controlId, 139150u}};
        if (desc.pitch.controlId) expect.push_back({desc.pitch.labelId, 137117u});
        if (desc.mode.controlId) expect.push_back({desc.mode.controlId, 137120u});
        if (desc.margin.controlId) expect.push_back({desc.margin.controlId, 137121u});
        if (desc.ptSize.controlId) expect.push_back({desc.ptSize.labelId, 137128u});
        for (auto [id, topic] : expect)
            EXPECT_EQ(settingspages::RightClickHelp(*page, env.ui, page->Control(id)), topic) << id;
    }
}
