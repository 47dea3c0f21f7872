// The Check, Test and About pages through their real controls, against the stand-in device
// library, with the shipped language files.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "PageFixture.h"
#include "pages/AboutPage.h"
#include "pages/CheckPage.h"
#include "pages/TestPage.h"
#include "platform/Ini.h"
#include "RecordingUiHost.h"

using namespace tav;
using tavtest::PageEnv;

namespace {

// A report item: type, length, text.
std::string Item(unsigned type, const std::string& text) {
    return std::string(1, static_cast<char>(type)) + std::string(1, static_cast<char>(text.size())) + text;
}

std::string Job(const std::string& line) {
    return "\x1b%-12345X@PJL\r\n" + line + "\r\n\x1b%-12345X";
}

QString Text(QWidget* w) {
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    return {};
}

} // namespace

TEST(CheckPageTest, ReportWithoutTrayRollers) {
    PageEnv env("[TAB]\nCheck=1\n");
    env.Reply(std::string("\x00\x00", 2) + Item(1, "C2600") + Item(23, "37") + Item(25, "18250") +
              Item(24, "9100") + Item(26, "4410") + std::string(2, '\0'));
    CCheck page(*env.ctx);
    EXPECT_EQ(env.Written(), ""); // nothing is asked before the page is first shown
    page.EnsureCreated();
    page.show();

    EXPECT_EQ(env.Written(), Job("@PJL INFO INFORMATION=ALL"));
    EXPECT_EQ(Text(page.Control(1182)), "37");    // belt
    EXPECT_EQ(Text(page.Control(1183)), "18250"); // fuser
    for (int id : {1185, 1186, 1187})
        EXPECT_EQ(Text(page.Control(id)), "") << id;
    // The two hidden rows are filled all the same.
    EXPECT_EQ(page.Value(CCheck::Imaging), "9100");
    EXPECT_EQ(page.Value(CCheck::Pickup), "4410");
    for (int id : {1194, 1195, 1196, 1179, 1184, 1193})
        EXPECT_FALSE(page.Control(id)->isVisible()) << id;
    for (int id : {1176, 1182, 1188, 1177, 1178, 1180, 1181})
        EXPECT_TRUE(page.Control(id)->isVisible()) << id;
    EXPECT_EQ(Text(page.Control(1176)), "Transfer belt");
    EXPECT_EQ(Text(page.Control(1188)), "%");
    EXPECT_EQ(Text(page.Control(1189)), "pages");
    EXPECT_TRUE(env.ui.Messages().empty());
    EXPECT_EQ(env.ui.waitCursorDepth, 0);
    EXPECT_EQ(env.dev.Held(), 0);

    // Opening the page again asks nothing more.
    page.EnsureCreated();
    EXPECT_EQ(env.Written(), Job("@PJL INFO INFORMATION=ALL"));
}

TEST(CheckPageTest, SilentPrinterGivesOneMessageAndAnEmptyPage) {
    PageEnv env("[Common]\nAPPNAME=1\n[TAB]\nCheck=1\n");
    CCheck page(*env.ctx);
    page.EnsureCreated();
    ASSERT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_EQ(env.ui.Messages()[0].text,
              ReadIniString(env.ctx->cfg.langFilePath, "STRING", "IDS_NOT_RESPOND", ""));
    EXPECT_FALSE(env.ui.Messages()[0].text.empty());
    EXPECT_EQ(env.ui.Messages()[0].caption, "Quorvex Color Remote Control Panel");
    EXPECT_EQ(env.ui.Messages()[0].icon, MsgIcon::Error);
    for (int id : {1182, 1183, 1185, 1186, 1187})
        EXPECT_EQ(Text(page.Control(id)), "") << id;
    for (int r = 0; r < CCheck::RowCount; ++r)
        EXPECT_EQ(page.Value(static_cast<CCheck::Row>(r)), "");
    EXPECT_EQ(env.ui.waitCursorDepth, 0);
    EXPECT_EQ(env.dev.Held(), 0);
}

TEST(CheckPageTest, BusyPortLeavesTheValuesEmptyAndSendsNothing) {
    PageEnv env("[TAB]\nCheck=1\n");
    env.dev.Set("acquire", 0);
    CCheck page(*env.ctx);
    page.EnsureCreated();
    ASSERT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_EQ(env.ui.Messages()[0].text,
              ReadIniString(env.ctx->cfg.langFilePath, "COMMON", "IDS_STRING107", ""));
    EXPECT_EQ(env.Written(), "");
    EXPECT_EQ(env.ui.waitCursorDepth, 0);
}

TEST(CheckPageTest, RightClickShowsTheTableTopicAndNothingOnTheBackground) {
    PageEnv env("[TAB]\nCheck=1\n");
    CCheck page(*env.ctx);
    page.resize(page.TemplateSize());
    page.EnsureCreated();
    page.show();
    env.ui.Clear();
    auto center = [&](int id) { return page.Control(id)->geometry().center(); };
    EXPECT_EQ(page.PopupHelpAt(center(1178)), 132251u);         // table: every roller has one topic
    EXPECT_EQ(page.PopupHelpAt(center(1182)), 0x20000u + 1182); // not in the table
    EXPECT_EQ(page.PopupHelpAt(QPoint(page.width() - 2, page.height() - 2)), 0u);
    ASSERT_EQ(env.ui.events.size(), 2u);
    EXPECT_EQ(env.ui.events[0].kind, RecordingUiHost::Kind::PopupHelp);
    EXPECT_EQ(env.ui.events[0].text, env.ctx->cfg.helpFilePath);
    EXPECT_EQ(env.ui.events[0].ms, 132251u);
}

TEST(TestPageTest, SelfTestOnlyPrintsTheConfigurationPageAndWaitsTenSeconds) {
    PageEnv env("[TEST]\nSelfTest=1\nDemo=0\nMenuMAP=\n");
    CTestTab page(*env.ctx);
    page.EnsureCreated();
    page.show();
    int visible = 0;
    for (const auto& b : CTestTab::Buttons())
        visible += page.Control(b.controlId)->isVisible();
    EXPECT_EQ(visible, 1);
    auto* button = qobject_cast<QPushButton*>(page.Control(8054));
    ASSERT_TRUE(button);
    EXPECT_EQ(button->text(), "Print Configuration Page");
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(env.Written(), Job("@PJL TEST PRINT = CONFIG"));
    EXPECT_EQ(env.ui.Waits(), (std::vector<unsigned>{1000, 10000}));
    EXPECT_TRUE(env.ui.Messages().empty());
    EXPECT_EQ(env.ui.waitCursorDepth, 0);
    EXPECT_EQ(env.dev.Held(), 0);
}

TEST(TestPageTest, FailedWriteShowsThePrinterErrorAndDoesNotWait) {
    PageEnv env("[TEST]\nDemo=1\n");
    env.dev.Set("open", 0);
    CTestTab page(*env.ctx);
    page.EnsureCreated();
    EXPECT_EQ(page.PrintTestPage("DEMO"), 0);
    ASSERT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_EQ(env.ui.Messages()[0].text,
              ReadIniString(env.ctx->cfg.langFilePath, "STRING", "IDS_ERRORSTRING", ""));
    EXPECT_EQ(env.ui.Messages()[0].icon, MsgIcon::Error);
    for (unsigned w : env.ui.Waits())
        EXPECT_NE(w, 10000u);
    EXPECT_EQ(env.ui.waitCursorDepth, 0);
    EXPECT_EQ(env.dev.Held(), 0);
}

TEST(TestPageTest, DuplexDemoNeedsTheDuplexBit) {
    const char* cfg = "[TEST]\nSelfTest=1\nDemo=1\nMenuMAP=1\n2SideDemo=1\n";
    PageEnv env(cfg);
    env.ctx->store.edited.featureFlags = ~0x4u;
    CTestTab page(*env.ctx);
    page.EnsureCreated();
    page.show();
    QWidget* duplex = page.Control(8009);
    EXPECT_TRUE(duplex->isVisible());
    EXPECT_FALSE(duplex->isEnabled());
    QTest::mouseClick(duplex, Qt::LeftButton);
    EXPECT_EQ(env.Written(), "");

    PageEnv env2(cfg);
    env2.ctx->store.edited.featureFlags = 0x4;
    CTestTab page2(*env2.ctx);
    page2.EnsureCreated();
    EXPECT_TRUE(page2.Control(8009)->isEnabled());
    qobject_cast<QPushButton*>(page2.Control(8009))->click();
    EXPECT_EQ(env2.Written(), Job("@PJL TEST PRINT = DUPLEXDEMO"));
}

TEST(TestPageTest, KalorTakesTheOemTexts) {
    const char* buttons = "[TEST]\nSelfTest=1\nDemo=1\nMenuMAP=1\n2SideDemo=1\n";
    for (const char* lang : {"EN", "KR"}) {
        PageEnv env(std::string("[Common]\nSTRING=KALOR\n") + buttons, lang);
        CTestTab page(*env.ctx);
        page.EnsureCreated();
        const std::string& f = env.ctx->cfg.langFilePath;
        auto text = [&](const char* key) {
            return QString::fromStdString(ReadIniString(f, "TEST", key, ""));
        };
        EXPECT_EQ(Text(page.Control(8054)), text("IDC_CONFIGPAGE_X")) << lang;
        EXPECT_EQ(Text(page.Control(8004)), text("IDC_DEMOPAGE_X")) << lang;
        EXPECT_EQ(Text(page.Control(8066)), text("IDC_MANUMAP_X")) << lang;
        EXPECT_EQ(Text(page.Control(8009)), text("IDC_2SIDEDEMOPAGE_X")) << lang;
        EXPECT_NE(text("IDC_CONFIGPAGE_X"), text("IDC_CONFIGPAGE"));

        PageEnv plain(std::string("[Common]\nSTRING=Kalor\n") + buttons, lang); // not the brand
        CTestTab other(*plain.ctx);
        other.EnsureCreated();
        EXPECT_EQ(Text(other.Control(8054)), text("IDC_CONFIGPAGE")) << lang;
        EXPECT_EQ(Text(other.Control(8004)), text("IDC_DEMOPAGE")) << lang;
        EXPECT_EQ(Text(other.Control(8066)), text("IDC_MANUMAP_X")) << lang;
    }
}

TEST(AboutPageTest, FieldsFromBothFilesAndNoModelLine) {
    PageEnv env("[Common]\nAPPNAME=0\n[STRING]\nVERSION=Version 2.1\nCOPYLIGHT=(c) ORB\n");
    CAboutTab page(*env.ctx);
    page.EnsureCreated();
    EXPECT_EQ(Text(page.Control(6002)), "");
    EXPECT_EQ(Text(page.Control(6032)), "Quorvex Remote Control Panel");
    EXPECT_EQ(Text(page.Control(6033)), "Version 2.1");
    EXPECT_EQ(Text(page.Control(6034)), "(c) ORB");
    EXPECT_TRUE(Text(page.Control(1145)).startsWith("Copyright"));
    EXPECT_EQ(env.Written(), "");

    PageEnv kr("[STRING]\nMODEL=Quorvex CLP-3550PS\n", "KR");
    CAboutTab korean(*kr.ctx);
    korean.EnsureCreated();
    EXPECT_EQ(Text(korean.Control(6002)), "Quorvex CLP-3550PS");
    EXPECT_EQ(Text(korean.Control(6032)), QString::fromUtf8("Quorvex 프린터 원격 제어판"));
}

TEST(PageTextTest, ATextCutInsideACharacterLosesThatCharacter) {
    const std::string two = "\xea\xb0\x80\xeb\x82\x98"; // two Hangul syllables, three bytes each
    EXPECT_EQ(FromStd(two), QString::fromUtf8("\xea\xb0\x80\xeb\x82\x98"));
    EXPECT_EQ(FromStd(two.substr(0, 5)), QString::fromUtf8("\xea\xb0\x80"));
    EXPECT_EQ(FromStd(two.substr(0, 4)), QString::fromUtf8("\xea\xb0\x80"));
    EXPECT_EQ(FromStd(two.substr(0, 3)), QString::fromUtf8("\xea\xb0\x80"));
    EXPECT_EQ(FromStd("ab\xc3"), "ab");
    EXPECT_EQ(FromStd("a\xc3\xa9"), QString::fromUtf8("a\xc3\xa9"));
    EXPECT_EQ(FromStd(""), "");
}
