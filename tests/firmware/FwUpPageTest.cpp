// The firmware page through its real controls and the stand-in device library, with the shipped
// language and help files; and the main window's firmware-update-only mode.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <filesystem>

#include "PageFixture.h"
#include "SettingsPageEnv.h"
#include "pages/CsHelp.h"
#include "app/MainWindow.h"
#include "firmware/FwUpPage.h"
#include "platform/Ini.h"

using namespace tav;
using tavtest::PageEnv;

namespace {

std::string Pattern(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>((i * 13 + 5) & 0xFF);
    return s;
}

QString Text(QWidget* w) {
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    return {};
}

std::string Lang(const PageEnv& env, const char* section, const char* key) {
    return ReadIniString(env.ctx->cfg.langFilePath, section, key, "");
}

QString QLang(const PageEnv& env, const char* section, const char* key) {
    return QString::fromStdString(Lang(env, section, key));
}

int Progress(const CFwUp& page) {
    return static_cast<QProgressBar*>(page.Control(CFwUp::IdProgress))->value();
}

const char* kConfig = "[TAB]\nFirmWare=1\n[FWDN]\nFileFilter=Firmware (*.hd)|*.hd|\n";

} // namespace

TEST(FwUpPageTest, BrowseThenUpdateAsksNamingTheFileAndSendsIt) {
    for (const char* lang : {"EN", "KR"}) {
        PageEnv env(kConfig, lang);
        const std::string bytes = Pattern(8192);
        env.home.Write("fw.hd", bytes);
        const std::string path = env.home.dir + "fw.hd";
        CFwUp page(*env.ctx);
        page.EnsureCreated();
        auto* update = static_cast<QPushButton*>(page.Control(CFwUp::IdUpdate));
        auto* browse = static_cast<QPushButton*>(page.Control(CFwUp::IdBrowse));
        EXPECT_FALSE(update->isEnabled());
        EXPECT_FALSE(browse->isHidden());
        EXPECT_EQ(Text(page.Control(CFwUp::IdMessage)), QLang(env, "COMMON", "IDS_STRING100"));
        EXPECT_EQ(Text(page.Control(CFwUp::IdPercent)), "0 ");
        EXPECT_EQ(Text(update), QLang(env, "FWUP", "IDC_UPDATE"));

        env.ui.files = {std::nullopt};
        browse->click();
        EXPECT_FALSE(update->isEnabled());
        ASSERT_EQ(env.ui.events.size(), 1u);
        EXPECT_EQ(env.ui.events[0].caption, "Firmware (*.hd)|*.hd|"); // the model's filter

        env.ui.files = {path};
        browse->click();
        EXPECT_EQ(Text(page.Control(CFwUp::IdPath)).toStdString(), path);
        EXPECT_EQ(Text(page.Control(CFwUp::IdInfo)).toStdString(), "8192 " + Lang(env, "FWUP", "IDS_BYTES"));
        EXPECT_TRUE(update->isEnabled());
        EXPECT_EQ(env.Written(), "");

        // No: nothing goes to the printer, the file stays chosen.
        env.ui.Clear();
        update->click();
        ASSERT_EQ(env.ui.Messages().size(), 1u) << lang;
        const auto question = env.ui.Messages()[0];
        EXPECT_EQ(question.buttons, MsgButtons::YesNo);
        EXPECT_NE(question.text.find(path), std::string::npos) << question.text;
        EXPECT_NE(question.text.find("8192 " + Lang(env, "FWUP", "IDS_BYTES")), std::string::npos)
            << question.text;
        EXPECT_EQ(env.Written(), "");
        EXPECT_TRUE(update->isEnabled());

        // Yes: the file goes down; while the printer programs itself the page shows it all sent.
        env.ui.Clear();
        env.ui.answers = {MsgResult::Yes};
        QString during, percentDuring;
        int progressDuring = -1;
        env.ui.onWait = [&](unsigned ms) {
            if (ms != kFirmwareProgramWaitMs) return;
            during = Text(page.Control(CFwUp::IdMessage));
            percentDuring = Text(page.Control(CFwUp::IdPercent));
            progressDuring = Progress(page);
        };
        update->click();
        EXPECT_EQ(env.Written(), bytes);
        EXPECT_EQ(env.ui.Waits(), (std::vector<unsigned>{5000, 40000}));
        EXPECT_EQ(during, QLang(env, "COMMON", "IDS_STRING105"));
        EXPECT_EQ(percentDuring, "100 %");
        EXPECT_EQ(progressDuring, 100);
        ASSERT_EQ(env.ui.Messages().size(), 2u);
        EXPECT_EQ(env.ui.Messages()[1].text, Lang(env, "COMMON", "IDS_STRING106"));
        EXPECT_EQ(env.ui.Messages()[1].caption, Lang(env, "ABOUT", "IDL_APPNAME_P"));
        // Back to idle.
        EXPECT_EQ(Text(page.Control(CFwUp::IdMessage)), QLang(env, "COMMON", "IDS_STRING100"));
        EXPECT_EQ(Text(page.Control(CFwUp::IdPath)), "");
        EXPECT_EQ(Text(page.Control(CFwUp::IdInfo)), "");
        EXPECT_EQ(Text(page.Control(CFwUp::IdPercent)), "");
        EXPECT_EQ(Progress(page), 0);
        EXPECT_FALSE(update->isEnabled());
        EXPECT_EQ(env.dev.Held(), 0);
        EXPECT_EQ(env.ui.waitCursorDepth, 0);
    }
}

TEST(FwUpPageTest, AFileThatCannotBeSentIsRefusedAtBrowse) {
    PageEnv env(kConfig);
    env.home.Write("empty.hd", "");
    CFwUp page(*env.ctx);
    page.EnsureCreated();
    for (const std::string name : {"empty.hd", "missing.hd"}) {
        env.ui.Clear();
        env.ui.files = {env.home.dir + name};
        static_cast<QPushButton*>(page.Control(CFwUp::IdBrowse))->click();
        ASSERT_EQ(env.ui.Messages().size(), 1u) << name;
        EXPECT_EQ(env.ui.Messages()[0].icon, MsgIcon::Error);
        EXPECT_NE(env.ui.Messages()[0].text.find(env.home.dir + name), std::string::npos);
        EXPECT_FALSE(page.Control(CFwUp::IdUpdate)->isEnabled()) << name;
        EXPECT_EQ(page.Path(), "");
    }
    EXPECT_EQ(env.Written(), "");
}

TEST(FwUpPageTest, AFailedTransferLeavesThePageReadyWithTheFailure) {
    PageEnv env(kConfig);
    env.home.Write("fw.hd", Pattern(6000));
    env.dev.Set("writeShort", 1 << 20); // every write takes nothing
    CFwUp page(*env.ctx);
    page.EnsureCreated();
    env.ui.files = {env.home.dir + "fw.hd"};
    static_cast<QPushButton*>(page.Control(CFwUp::IdBrowse))->click();
    env.ui.answers = {MsgResult::Yes};
    static_cast<QPushButton*>(page.Control(CFwUp::IdUpdate))->click();
    EXPECT_EQ(env.ui.Waits(), (std::vector<unsigned>{5000, 1000, 1000}));
    EXPECT_EQ(Text(page.Control(CFwUp::IdMessage)), QLang(env, "COMMON", "IDS_STRING102"));
    EXPECT_TRUE(page.Control(CFwUp::IdUpdate)->isEnabled());
    EXPECT_EQ(page.Path(), env.home.dir + "fw.hd");
    EXPECT_EQ(env.dev.Held(), 0);
}

TEST(FwUpPageTest, FirmwareUpdateOnlyModeShowsOnlyThePageAndSendsTheConfiguredFile) {
    PageEnv env(
        "[COMMON]\nAUTOFWUP=1\nFWFileName=update.hd\n[TAB]\nPrinting=1\nTest=1\nFirmWare=1\nAbout=1\n");
    const std::string bytes = Pattern(4096 * 3 + 17);
    env.home.Write("update.hd", bytes);
    MainWindow::Options options;
    options.firmwareUpdateOnly = true;
    options.listenForQuit = false;
    MainWindow w(*env.ctx, options);
    EXPECT_EQ(w.Tabs(), (std::vector<PageId>{PageId::FwUp}));
    EXPECT_EQ(w.Sheet()->tabText(0), QLang(env, "TITLE", "FWDOWN"));
    auto* page = static_cast<CFwUp*>(w.Page(PageId::FwUp));
    EXPECT_TRUE(page->Control(CFwUp::IdBrowse)->isHidden());
    EXPECT_EQ(env.Written(), ""); // started by the posted message, not in the constructor
    QCoreApplication::processEvents();
    EXPECT_EQ(env.Written(), bytes);
    // Unattended: no question, only the finished message.
    ASSERT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_EQ(env.ui.Messages()[0].text, Lang(env, "COMMON", "IDS_STRING106"));
    EXPECT_TRUE(page->Control(CFwUp::IdBrowse)->isHidden());
}

TEST(FwUpPageTest, FirmwareUpdateOnlyModeWithAMissingFileSaysSo) {
    PageEnv env("[COMMON]\nAUTOFWUP=1\nFWFileName=gone.hd\n[TAB]\nFirmWare=1\n");
    CFwUp page(*env.ctx);
    page.OnStartMessage();
    ASSERT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_NE(env.ui.Messages()[0].text.find(env.home.dir + "gone.hd"), std::string::npos);
    EXPECT_EQ(env.Written(), "");
    EXPECT_FALSE(page.Control(CFwUp::IdUpdate)->isEnabled());
}

TEST(FwUpPageTest, EveryControlHasItsPopupHelpInBothLanguages) {
    for (const char* lang : {"EN", "KR"}) {
        PageEnv env(kConfig, lang);
        CFwUp page(*env.ctx);
        page.EnsureCreated();
        for (int id : {8096, 8095, 1117, 8098, 1025, 8157, 1042, 6076, 6075, 6066, 6077, 1159}) {
            QWidget* c = page.Control(id);
            ASSERT_NE(c, nullptr) << id;
            EXPECT_EQ(settingspages::RightClickHelp(page, env.ui, c), 0x20000u + static_cast<uint32_t>(id))
                << id;
            EXPECT_FALSE(CsHelpText(env.ctx->cfg.helpFilePath, 0x20000u + static_cast<uint32_t>(id)).empty())
                << lang << " " << id;
        }
    }
}
