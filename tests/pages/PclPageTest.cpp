// The PCL page through its real controls, with the shipped language, help and list files, against
// the stand-in device library.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "PageFixture.h"
#include "SettingsPageEnv.h"
#include "pages/CsHelp.h"
#include "pages/NumEdit.h"
#include "pages/PclTab.h"
#include "pages/PrintingTab.h"
#include "pjl/Upload.h"

using namespace tav;
using settingspages::Choose;
using settingspages::Ctl;
using settingspages::FocusOut;
using settingspages::Items;
using tavtest::PageEnv;
using tavtest::ShippedDataFolder;

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string ShippedModel(const char* model) {
    return ReadFile(ShippedDataFolder() + "models/" + model + "/comtav.ini");
}

PrinterSettings Printer(bool kalor = false) {
    PrinterSettings s;
    s.residentFontCount = kalor ? 68 : 54;
    s.fontNumber = 3; // Courier Bold Italic: pitch, and the extra sets
    s.symSet = 33;
    s.pitch = 1000;
    s.ptSize = 48;
    s.formLines = 60;
    return s;
}

void Report(PageEnv& env, const PrinterSettings& s) {
    env.ctx->store.reported = s;
    env.ctx->store.edited = s;
}

// Types text into an edit and leaves it.
void Type(QLineEdit* e, const char* text) {
    e->setText(text);
    FocusOut(e);
}

std::vector<std::string> Sent(PageEnv& env) {
    return ComposeSettingsLines(*env.ctx);
}

// The lines of the variables this page edits.
std::vector<std::string> PclLines(PageEnv& env) {
    std::vector<std::string> out;
    for (const std::string& l : Sent(env))
        for (const char* v : {"FONTSOURCE", "FONTNUMBER", "SYMSET", "PITCH", "PTSIZE", "COURIER", "FORMLINES",
                              "AUTOCR", "ORIENTATION", "TOPMARGIN", "LEFTMARGIN"})
            if (l.rfind(std::string("@PJL DEFAULT ") + v + " ", 0) == 0) out.push_back(l);
    return out;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines)
        out += l + "\n";
    return out;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& prefix) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
}

const char* const kFlashModel = "[Common]\nSTRING=ORB\n[TAB]\nPCL=1\nDOWNLOAD=1\n[PCL]\nCourier=1\n";

} // namespace

TEST(PclPage, SizeAndLinesFieldsAreClampedThroughTheControls) {
    for (const bool kalor : {false, true}) {
        SCOPED_TRACE(kalor ? "OEM" : "standard");
        PageEnv env("[Common]\nSTRING=ORB\n");
        tavtest::UseShippedModel(env, kalor ? "kalor-k2250" : "");
        Report(env, Printer(kalor));
        CPclTab page(*env.ctx);
        page.EnsureCreated();
        PrinterSettings& ed = env.ctx->store.edited;
        auto* pitch = Ctl<QLineEdit>(page, 8053);
        auto* point = Ctl<QLineEdit>(page, 8048);
        auto* lines = Ctl<QLineEdit>(page, 8015);
        auto* pitchBar = Ctl<QScrollBar>(page, 8028);
        auto* pointBar = Ctl<QScrollBar>(page, 8032);
        ASSERT_TRUE(pitch && point && lines && pitchBar && pointBar);
        EXPECT_EQ(pitch->text(), "10.00");
        EXPECT_TRUE(pitch->isEnabled());
        EXPECT_FALSE(point->isEnabled());

        Type(pitch, "100");
        EXPECT_EQ(pitch->text(), "99.99");
        EXPECT_EQ(ed.pitch, 9999);
        pitchBar->triggerAction(QAbstractSlider::SliderSingleStepSub); // the up arrow
        EXPECT_EQ(pitch->text(), "0.44");
        EXPECT_EQ(ed.pitch, 44);
        Type(pitch, "0.1");
        EXPECT_EQ(pitch->text(), "0.44");
        pitchBar->triggerAction(QAbstractSlider::SliderSingleStepAdd); // down wraps to the top
        EXPECT_EQ(pitch->text(), "99.99");

        // A scalable face: point size instead of pitch.
        Choose(Ctl<QComboBox>(page, 8041), 7);
        EXPECT_FALSE(pitch->isEnabled());
        ASSERT_TRUE(point->isEnabled());
        EXPECT_EQ(point->text(), "12.00");
        Type(point, "3");
        EXPECT_EQ(point->text(), "4.00");
        EXPECT_EQ(ed.ptSize, 16);
        pointBar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        EXPECT_EQ(point->text(), kalor ? "99.75" : "999.75");
        Type(point, "1000");
        EXPECT_EQ(point->text(), kalor ? "99.75" : "999.75");
        EXPECT_EQ(ed.ptSize, kalor ? 399 : 3999);

        Type(lines, "");
        EXPECT_EQ(lines->text(), "5");
        EXPECT_EQ(ed.formLines, 5);
        Type(lines, "200");
        EXPECT_EQ(lines->text(), "128");
        EXPECT_EQ(ed.formLines, 128);
        // Typed characters: digits only in lines, a point too in the sizes.
        auto* linesEdit = qobject_cast<CNumEdit*>(lines);
        auto* pitchEdit = qobject_cast<CNumEdit*>(pitch);
        ASSERT_TRUE(linesEdit && pitchEdit);
        EXPECT_FALSE(linesEdit->Accepts('.'));
        EXPECT_TRUE(pitchEdit->Accepts('.'));
        EXPECT_FALSE(pitchEdit->Accepts('a'));
        EXPECT_EQ(linesEdit->LimitText(), 3);
    }
}

TEST(PclPage, TypefacesAndSymbolSetsFollowEachOther) {
    PageEnv env(ShippedModel("ml-2250"));
    tavtest::UseShippedModel(env);
    PrinterSettings s = Printer();
    s.featureFlags = 0x4000;
    Report(env, s);
    CPclTab page(*env.ctx);
    page.EnsureCreated();
    PrinterSettings& ed = env.ctx->store.edited;
    auto* faces = Ctl<QComboBox>(page, 8041);
    auto* sets = Ctl<QComboBox>(page, 8044);
    auto* pitch = Ctl<QLineEdit>(page, 8053);
    auto* point = Ctl<QLineEdit>(page, 8048);
    ASSERT_EQ(faces->count(), 54);
    // Courier offers the file's sets and the Cyrillic, Greek and Arabic ones.
    EXPECT_EQ(sets->count(), 38 + 9);
    EXPECT_TRUE(page.ExtraSetsShown());
    EXPECT_EQ(sets->currentIndex(), 33);
    EXPECT_TRUE(PclLines(env).empty()) << "a load alone changes nothing: " << Joined(PclLines(env));

    // A line-printer face brings its own set and sizes and closes all four size controls.
    Choose(faces, 47);
    EXPECT_EQ(sets->currentIndex(), 33);
    EXPECT_EQ(sets->currentText(), "PC-8");
    EXPECT_FALSE(sets->isEnabled());
    EXPECT_EQ(pitch->text(), "16.67");
    EXPECT_EQ(point->text(), "8.50");
    for (int id : {8053, 8028, 8048, 8032})
        EXPECT_FALSE(page.Control(id)->isEnabled()) << id;
    std::vector<std::string> lines = Sent(env);
    EXPECT_TRUE(HasLine(lines, "@PJL DEFAULT FONTSOURCE = RFONT"));
    EXPECT_TRUE(HasLine(lines, "@PJL DEFAULT FONTNUMBER = 47"));
    EXPECT_TRUE(HasLine(lines, "@PJL DEFAULT PITCH = 16.67"));
    EXPECT_TRUE(HasLine(lines, "@PJL DEFAULT PTSIZE = 8.50"));
    EXPECT_FALSE(HasLine(lines, "@PJL DEFAULT SYMSET"));

    // The Symbol set belongs to the Symbol face.
    Choose(faces, 3);
    EXPECT_TRUE(sets->isEnabled());
    Choose(sets, 20);
    EXPECT_EQ(faces->currentIndex(), 43);
    EXPECT_EQ(ed.fontNumber, 43);
    EXPECT_FALSE(pitch->isEnabled());
    EXPECT_TRUE(point->isEnabled());
    EXPECT_FALSE(sets->isEnabled());

    // Greek: printer number 43, shown right after Cyrillic, stored back as 43.
    Choose(faces, 3);
    ASSERT_EQ(sets->count(), 47);
    Choose(sets, 40);
    EXPECT_NE(sets->currentText().indexOf("Greek"), -1);
    EXPECT_EQ(ed.symSet, 43);
    EXPECT_TRUE(HasLine(Sent(env), "@PJL DEFAULT SYMSET = GREEK"));
    Choose(sets, 46);
    EXPECT_EQ(ed.symSet, 49);
    Choose(sets, 35);
    EXPECT_EQ(ed.symSet, 35);
    // A face without the extra sets.
    Choose(faces, 5);
    EXPECT_EQ(sets->count(), 38);
    EXPECT_FALSE(page.ExtraSetsShown());
}

TEST(PclPage, APrinterDefaultOfGreekShowsAtItsListPosition) {
    for (const bool arabicOff : {false, true}) {
        PageEnv env(std::string("[Common]\nSTRING=ORB\n[PCL]\nArabic_OFF=") + (arabicOff ? "1" : "0") + "\n");
        tavtest::UseShippedModel(env);
        PrinterSettings s = Printer();
        s.featureFlags = 0x4000;
        s.symSet = 43;
        Report(env, s);
        CPclTab page(*env.ctx);
        page.EnsureCreated();
        auto* sets = Ctl<QComboBox>(page, 8044);
        EXPECT_EQ(sets->count(), arabicOff ? 42 : 47);
        EXPECT_EQ(sets->currentIndex(), 40);
        EXPECT_NE(sets->currentText().indexOf("Greek"), -1);
        EXPECT_EQ(env.ctx->store.edited.symSet, 43);
        Choose(sets, 41);
        EXPECT_EQ(env.ctx->store.edited.symSet, arabicOff ? 49 : 44);
    }
}

TEST(PclPage, AFlashFontShowsItsOwnSetAndSendNamesItsFontNumber) {
    PageEnv env(kFlashModel);
    tavtest::UseShippedModel(env);
    PrinterSettings s = Printer();
    s.featureFlags = 0x80;
    Report(env, s);
    env.Reply(tavtest::TwoFlashFonts());
    CPclTab page(*env.ctx);
    page.EnsureCreated();
    EXPECT_TRUE(env.ctx->store.pclPageCreated);
    EXPECT_NE(env.Written().find("@PJL FSFONTINFO"), std::string::npos);
    auto* faces = Ctl<QComboBox>(page, 8041);
    auto* sets = Ctl<QComboBox>(page, 8044);
    ASSERT_EQ(faces->count(), 56);
    EXPECT_EQ(faces->itemText(55), "OCR-B (ID: 4096)");

    Choose(faces, 55);
    EXPECT_EQ(Items(sets), QStringList{"0O"});
    EXPECT_FALSE(sets->isEnabled());
    EXPECT_TRUE(page.Control(8053)->isEnabled());
    EXPECT_TRUE(page.Control(8048)->isEnabled());
    const SettingsStore& st = env.ctx->store;
    EXPECT_TRUE(st.useFlashSymSet);
    EXPECT_EQ(st.flashSymSet, "0O");
    std::vector<std::string> lines = Sent(env);
    EXPECT_TRUE(HasLine(lines, "@PJL DEFAULT FONTSOURCE = FFONT"));
    EXPECT_TRUE(HasLine(lines, "@PJL DEFAULT FONTNUMBER = 9"));
    EXPECT_FALSE(HasLine(lines, "@PJL DEFAULT SYMSET")) << "the set field keeps the reported value";

    // Back to a built-in face: the flash set is no longer sent for it.
    Choose(faces, 2);
    EXPECT_FALSE(st.useFlashSymSet);
    EXPECT_EQ(sets->count(), 38 + 2);
}

TEST(PclPage, APrinterDefaultFlashFontIsFoundByItsNumberAndSendsNothingUnchanged) {
    PageEnv env(kFlashModel);
    tavtest::UseShippedModel(env);
    PrinterSettings s = Printer();
    s.featureFlags = 0x80;
    s.fontNumber = 9;
    s.pclPageValue = 1;
    Report(env, s);
    env.Reply(tavtest::TwoFlashFonts());
    CPclTab page(*env.ctx);
    page.EnsureCreated();
    EXPECT_EQ(Ctl<QComboBox>(page, 8041)->currentIndex(), 55);
    EXPECT_EQ(Items(Ctl<QComboBox>(page, 8044)), QStringList{"0O"});
    EXPECT_TRUE(PclLines(env).empty()) << Joined(PclLines(env));
    // One question to the printer serves the page's first load.
    EXPECT_EQ(env.ui.Waits(), std::vector<unsigned>{1000});

    // A refresh asks again; a printer that no longer answers leaves only the built-in faces.
    env.dev.Set("open", 0);
    page.LoadFromSettings();
    EXPECT_EQ(Ctl<QComboBox>(page, 8041)->count(), 54);
    EXPECT_EQ(Ctl<QComboBox>(page, 8041)->currentIndex(), 0);
}

// The two pages share one orientation: a turn on either swaps the margins once, on both pages and
// in the store, and both show the form lines of the new orientation.
TEST(PclPage, OrientationIsSharedWithThePrintingPage) {
    PageEnv env(ShippedModel("ml-2250"));
    tavtest::UseShippedModel(env);
    PrinterSettings s = Printer();
    s.paper = 0; // Letter: 60 lines upright, 45 on its side
    s.topMargin = 10;
    s.leftMargin = 5;
    Report(env, s);
    PaperLayout sheet(*env.ctx);
    CPrintingTab printing(*env.ctx, &sheet);
    printing.EnsureCreated();
    CPclTab pcl(*env.ctx, &sheet);
    pcl.EnsureCreated();
    PrinterSettings& ed = env.ctx->store.edited;
    auto* top = Ctl<QLineEdit>(printing, 8023);
    auto* left = Ctl<QLineEdit>(printing, 8018);
    auto* lines = Ctl<QLineEdit>(pcl, 8015);

    Ctl<QRadioButton>(pcl, 8010)->click();
    EXPECT_EQ(ed.orientation, 1);
    EXPECT_EQ(ed.topMargin, 5);
    EXPECT_EQ(ed.leftMargin, 10);
    EXPECT_EQ(top->text(), "5");
    EXPECT_EQ(left->text(), "10");
    EXPECT_TRUE(Ctl<QRadioButton>(printing, 8010)->isChecked());
    EXPECT_EQ(ed.formLines, 45);
    EXPECT_EQ(lines->text(), "45");
    EXPECT_EQ(pcl.Control(8022)->property("iconResource").toInt(), CPclTab::kLandscapeIcon);

    // Back on the Printing page; the PCL page follows.
    Ctl<QRadioButton>(printing, 8008)->click();
    EXPECT_EQ(ed.topMargin, 10);
    EXPECT_EQ(ed.leftMargin, 5);
    EXPECT_TRUE(Ctl<QRadioButton>(pcl, 8008)->isChecked());
    EXPECT_EQ(lines->text(), "60");
    // Portrait again on the PCL page is no turn at all.
    Ctl<QRadioButton>(pcl, 8008)->click();
    EXPECT_EQ(ed.topMargin, 10);
    EXPECT_EQ(ed.leftMargin, 5);
    EXPECT_EQ(ed.formLines, 60);

    std::vector<std::string> sent = Sent(env);
    EXPECT_FALSE(HasLine(sent, "@PJL DEFAULT ORIENTATION"));
    EXPECT_FALSE(HasLine(sent, "@PJL DEFAULT TOPMARGIN"));
}

TEST(PclPage, MissingListFilesGiveTheMessageAndAUsablePage) {
    PageEnv env("[Common]\nSTRING=ORB\n");
    Report(env, Printer());
    CPclTab page(*env.ctx);
    page.EnsureCreated();
    const auto messages = env.ui.Messages();
    ASSERT_EQ(messages.size(), 2u); // one per file
    for (const auto& m : messages) {
        EXPECT_EQ(m.text, "File could not be opend.");
        EXPECT_EQ(m.caption, "Error");
        EXPECT_EQ(m.buttons, MsgButtons::Ok);
    }
    EXPECT_EQ(Ctl<QComboBox>(page, 8041)->count(), 0);
    Type(Ctl<QLineEdit>(page, 8053), "12");
    EXPECT_EQ(env.ctx->store.edited.pitch, 1200);
    Choose(Ctl<QComboBox>(page, 1151), 1);
    EXPECT_EQ(env.ctx->store.edited.autoCr, 1);

    // A file with odd lines: each line is one typeface, nothing breaks. It holds fewer than the
    // model's built-in typefaces: the page says so and numbers the rest, so flash fonts follow at
    // their own positions.
    PageEnv odd("[Common]\nSTRING=ORB\n");
    odd.home.Write("TypeFace.ini", "0=Mono\nno equals\n\n3=a=b\n" + std::string(5000, 'y') + "\n\xFF\xFE\n");
    odd.home.Write("SymbolSet.ini", "\xEF\xBB\xBF"
                                    "0=Roman-8\r\n1=Desktop\r\n");
    Report(odd, Printer());
    CPclTab oddPage(*odd.ctx);
    oddPage.EnsureCreated();
    ASSERT_EQ(odd.ui.Messages().size(), 1u);
    EXPECT_EQ(odd.ui.Messages()[0].text, odd.ctx->GetLangText("PCL", "IDS_TYPEFACE_COUNT"));
    auto* faces = Ctl<QComboBox>(oddPage, 8041);
    ASSERT_EQ(faces->count(), 54);
    EXPECT_EQ(faces->itemText(3), "a=b");
    EXPECT_EQ(faces->itemText(53), "Typeface 53");
    EXPECT_EQ(faces->currentIndex(), 3);
    EXPECT_EQ(Ctl<QComboBox>(oddPage, 8044)->itemText(0), "Roman-8");
}

TEST(PclPage, FontListPrintWaitsForThePrinterOrShowsTheError) {
    PageEnv env("[Common]\nSTRING=ORB\n");
    tavtest::UseShippedModel(env);
    Report(env, Printer());
    CPclTab page(*env.ctx);
    page.EnsureCreated();
    auto* button = Ctl<QPushButton>(page, 8138);
    EXPECT_EQ(button->text(), "Print PCL Font List");
    env.ui.Clear();
    env.dev.Reset();
    button->click();
    EXPECT_EQ(env.Written(), "\x1b%-12345X@PJL\r\n@PJL TEST PRINT = FONT\r\n\x1b%-12345X");
    EXPECT_EQ(env.ui.Waits(), (std::vector<unsigned>{1000, 10000}));
    EXPECT_TRUE(env.ui.Messages().empty());
    EXPECT_EQ(env.ui.waitCursorDepth, 0);

    env.ui.Clear();
    env.dev.Set("open", 0);
    EXPECT_EQ(page.PrintFontList(), 0);
    ASSERT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_EQ(env.ui.Messages()[0].icon, MsgIcon::Error);
    for (unsigned w : env.ui.Waits())
        EXPECT_NE(w, 10000u);
    EXPECT_EQ(env.dev.Held(), 0);
}

// Every model and language: the model's own typefaces from its folder as the install lays it out,
// the texts the page asks for, every control's popup, and a right-click shows the control's topic.
TEST(PclPage, ShippedTextsAndHelp) {
    for (const char* model : {"clp-3550ps", "ml-2250", "kalor-k2250"})
        for (const char* lang : {"EN", "KR"}) {
            const std::string what = std::string(model) + " " + lang;
            PageEnv env("", lang);
            tavtest::UseShippedModel(env, model);
            Report(env, Printer(std::string(model) == "kalor-k2250"));
            CPclTab page(*env.ctx);
            page.EnsureCreated();
            EXPECT_TRUE(env.ui.Messages().empty()) << what;
            auto* faces = Ctl<QComboBox>(page, 8041);
            EXPECT_EQ(faces->count(), env.ctx->IsKalor() ? 68 : 54) << what;
            EXPECT_EQ(faces->itemText(60), env.ctx->IsKalor() ? "Hebrew Sans" : "") << what;
            for (const auto& [section, key] : page.LangKeysAsked())
                EXPECT_FALSE(env.ctx->GetLangText(section, key).empty())
                    << what << ": [" << section << "] " << key;
            for (QWidget* w : page.findChildren<QWidget*>()) {
                const QVariant id = w->property("controlId");
                if (!id.isValid()) continue;
                EXPECT_FALSE(CsHelpText(env.ctx->cfg.helpFilePath, page.HelpIdFor(id.toInt())).empty())
                    << what << ": control " << id.toInt();
            }
        }
    PageEnv env(ShippedModel("ml-2250"));
    tavtest::UseShippedModel(env);
    Report(env, Printer());
    CPclTab page(*env.ctx);
    page.EnsureCreated();
    EXPECT_TRUE(page.Control(8001)->isVisibleTo(&page)) << "the model shows the Courier list";
    const std::pair<int, uint32_t> clicks[] = {
        {8041, 139113}, {8053, 139125}, {8010, 137077}, {8138, 139210}};
    for (const auto& [id, topic] : clicks)
        EXPECT_EQ(settingspages::RightClickHelp(page, env.ui, page.Control(id)), topic) << id;
    EXPECT_EQ(page.PopupHelpAt(QPoint(page.width() - 2, page.height() - 2)), 0u);
}
