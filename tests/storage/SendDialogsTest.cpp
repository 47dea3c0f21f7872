// The Select File and progress dialogs through their controls, with the shipped language files.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "PageFixture.h"
#include "ScriptedDevice.h"
#include "platform/Ini.h"
#include "storage/SendProgressDlg.h"

using namespace tav;
using tavtest::PageEnv;
using tavtest::Pattern;
using tavtest::TempFile;

namespace {
const std::string kUel = "\x1b%-12345X";

QString Text(QWidget* w) {
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    return {};
}

QString Lang(const PageEnv& env, const char* section, const char* key) {
    return QString::fromStdString(ReadIniString(env.ctx->cfg.langFilePath, section, key, ""));
}
} // namespace

TEST(SelectFileDlgTest, SendNeedsAChosenFileAndANumericId) {
    PageEnv env("");
    CSelectFileDlg dlg(*env.ctx);
    dlg.show();
    EXPECT_EQ(Text(dlg.Control(8096)), "  ");
    EXPECT_EQ(Text(dlg.Control(1042)), Lang(env, "SELECT_FILE", "Browse..."));
    EXPECT_EQ(dlg.windowTitle(), Lang(env, "SELECT_FILE", "Select a file"));
    auto* send = qobject_cast<QPushButton*>(dlg.Control(8012));
    EXPECT_FALSE(send->isEnabled());

    env.ui.files = {std::nullopt, std::string("/tmp/font.sfp")};
    dlg.OnBrowse(); // cancelled
    EXPECT_FALSE(send->isEnabled());
    dlg.OnBrowse();
    EXPECT_TRUE(send->isEnabled());
    EXPECT_EQ(Text(dlg.Control(8096)), "/tmp/font.sfp");
    EXPECT_EQ(dlg.FilePath(), "/tmp/font.sfp");

    auto* id = qobject_cast<QLineEdit*>(dlg.Control(1143));
    id->clear();
    QTest::keyClicks(id, "12a3-4567"); // letters refused, five digits at most
    EXPECT_EQ(id->text(), "12345");
    // Refused, the dialog kept open: no number, an ID past 65534 (65535: no active macro), no data.
    TempFile empty("", "empty.sfp");
    const std::tuple<std::string, const char*, QString> cases[] = {
        {"/tmp/font.sfp", "", Lang(env, "SELECT_FILE", "Please enter an integer.")},
        {"/tmp/font.sfp", "65535", "Please enter an ID from 0 to 65534."},
        {empty.path, "7", Lang(env, "SELECT_FILE", "Msg_empty_file")},
        {"/tmp/font.sfp", "65534", ""}, // taken
    };
    for (const auto& [path, typed, said] : cases) {
        env.ui.Clear();
        env.ui.files = {path};
        dlg.OnBrowse();
        id->setText(typed);
        dlg.OnSend();
        ASSERT_EQ(env.ui.Messages().size(), said.isEmpty() ? 0u : 1u) << typed;
        for (const auto& m : env.ui.Messages())
            EXPECT_EQ(QString::fromStdString(m.text), said);
        EXPECT_EQ(dlg.isVisible(), !said.isEmpty());
    }
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.Id(), 65534);
}

TEST(SendProgressDlgTest, ShowsSizeProgressAndTheOutcome) {
    PageEnv env("");
    struct Case {
        size_t size;
        const char* percent;
        int bar;
        QString status;
    };
    const QString per = Lang(env, "STRING", "IDS_SEND_PER");
    const Case cases[] = {{0, "0%", 0, "Writing complete."},
                          {4096, "100 %", 100, "Writing complete."},
                          {6000, "100 %", 100, "Writing complete."}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        env.dev.Reset();
        const std::string data = Pattern(c.size);
        TempFile file(data);
        CSendProgressDlg dlg(*env.ctx, file.path, "HEAD", std::nullopt);
        std::vector<QString> seen; // status texts as painted at each wait
        env.ui.onWait = [&](unsigned) { seen.push_back(Text(dlg.Control(8093))); };
        dlg.show();
        EXPECT_EQ(Text(dlg.Control(8098)), "0%");
        EXPECT_FALSE(dlg.Control(8059)->isEnabled());
        dlg.RunTransfer();
        EXPECT_EQ(env.Written(), "HEAD" + data + kUel);
        EXPECT_EQ(Text(dlg.Control(8095)), QString::number(c.size) + " bytes");
        EXPECT_EQ(Text(dlg.Control(8098)), c.percent);
        EXPECT_EQ(qobject_cast<QProgressBar*>(dlg.Control(8090))->value(), c.bar);
        EXPECT_EQ(Text(dlg.Control(8093)), c.status);
        EXPECT_EQ(seen, std::vector<QString>{"Writing complete."});
        EXPECT_TRUE(dlg.Control(8059)->isEnabled());
        env.ui.onWait = nullptr;
    }
}

TEST(SendProgressDlgTest, FailuresEndInTheStatusLineWithOkEnabled) {
    PageEnv env("");
    {
        SCOPED_TRACE("file cannot be opened");
        CSendProgressDlg dlg(*env.ctx, "/nonexistent/form.ps", "HEAD", std::nullopt);
        dlg.show();
        dlg.RunTransfer();
        EXPECT_EQ(Text(dlg.Control(8093)), Lang(env, "STRING", "IDS_SEND_NOTOPEN"));
        EXPECT_FALSE(Text(dlg.Control(8093)).isEmpty());
        EXPECT_TRUE(dlg.Control(8059)->isEnabled());
        EXPECT_EQ(env.Written(), "");
    }
    {
        SCOPED_TRACE("printer takes nothing");
        TempFile file(Pattern(10));
        env.dev.Set("open", 0);
        CSendProgressDlg dlg(*env.ctx, file.path, "HEAD", std::nullopt);
        dlg.show();
        dlg.RunTransfer();
        EXPECT_EQ(Text(dlg.Control(8093)), Lang(env, "STRING", "IDS_SEND_ERROR"));
        EXPECT_TRUE(dlg.Control(8059)->isEnabled());
        env.dev.Set("open", 1);
    }
}

TEST(SendProgressDlgTest, ModalRunSendsOnItsOwnAndEndsWithOk) {
    PageEnv env("");
    const std::string data = Pattern(100);
    TempFile file(data);
    QWidget* active = nullptr;
    env.ui.onWait = [&](unsigned ms) {
        if (ms != kSendSettleWaitMs) return;
        active = QApplication::activeModalWidget();
        QTimer::singleShot(0, [] {
            if (auto* dlg = qobject_cast<CSendProgressDlg*>(QApplication::activeModalWidget()))
                qobject_cast<QPushButton*>(dlg->Control(8059))->click();
        });
    };
    EXPECT_EQ(SendFileWithProgress(*env.ctx, file.path, MacroDownloadHeader(7), MacroDownloadTrailer()),
              QDialog::Accepted);
    EXPECT_NE(active, nullptr);
    EXPECT_EQ(env.Written(), MacroDownloadHeader(7) + data + "\x1b&f1X" + kUel);
}

TEST(SendProgressDlgTest, KoreanTextsComeFromTheLanguageFile) {
    PageEnv env("", "KR");
    TempFile file(Pattern(10));
    CSendProgressDlg dlg(*env.ctx, file.path, "H", std::nullopt);
    dlg.show();
    dlg.RunTransfer();
    EXPECT_EQ(Text(dlg.Control(8095)), "10 " + Lang(env, "SEND", "bytes"));
    EXPECT_EQ(Text(dlg.Control(8093)), Lang(env, "SEND", "Writing complete."));
    EXPECT_NE(Lang(env, "SEND", "bytes"), "bytes");
    EXPECT_EQ(dlg.windowTitle(), Lang(env, "SEND", "CAPTION"));
}
