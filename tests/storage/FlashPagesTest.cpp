// The PostScript pages and the flash page against the stand-in device library: the rules that
// need no simulator (hidden buttons, radio values, questions, beeps, failures, help topics).
#include <gtest/gtest.h>

#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <cstdio>
#include <fstream>
#include <unistd.h>

#include "PageFixture.h"
#include "pages/DownloadPage.h"
#include "pages/PostScriptPages.h"
#include "RecordingUiHost.h"

using namespace tav;
using tavtest::PageEnv;

namespace {
const std::string kUel = "\x1b%-12345X";

bool Checked(TavPage& page, int id) {
    return qobject_cast<QRadioButton*>(page.Control(id))->isChecked();
}

uint32_t HelpAt(TavPage& page, int id) {
    QWidget* w = page.Control(id);
    return page.PopupHelpAt(w->mapTo(&page, QPoint(w->width() / 2, w->height() / 2)));
}
} // namespace

TEST(PostScriptPagesTest, FlashButtonsFollowTheCapabilityAndFormatAsksFirst) {
    for (uint32_t flags : {0x20000000u, 0x20000040u}) {
        SCOPED_TRACE(flags);
        PageEnv env("");
        env.ctx->store.edited.featureFlags = flags;
        CPostS3 page(*env.ctx);
        page.EnsureCreated();
        page.resize(500, 340);
        page.show();
        for (int id : {8145, 8065, 8071})
            EXPECT_EQ(page.Control(id)->isVisible(), (flags & 0x40) != 0) << id;
        EXPECT_EQ(HelpAt(page, 8124), 137103u);
        EXPECT_EQ(HelpAt(page, 8057), 139129u);
    }
    PageEnv env("");
    CPostS3 page(*env.ctx);
    page.EnsureCreated();
    // Through the buttons, so a button wired to another action fails.
    auto click = [&page](int id) { qobject_cast<QPushButton*>(page.Control(id))->click(); };
    env.ui.answers = {MsgResult::No, MsgResult::Yes, MsgResult::Yes};
    click(8071);
    EXPECT_EQ(env.Written(), "");
    ASSERT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_EQ(env.ui.Messages()[0].text, env.ctx->GetLangText("FLASH", "Msg_format_flash"));
    EXPECT_EQ(env.ui.Messages()[0].buttons, MsgButtons::YesNo);
    click(8071);
    EXPECT_EQ(env.Written(), kUel + "@PJL\r\n@PJL FORMAT FLASH\r\n" + kUel);
    EXPECT_EQ(env.ui.Waits(), std::vector<unsigned>{20000});
    // A printer that takes nothing: still the full wait, and no error box.
    env.ui.Clear();
    env.dev.Set("open", 0);
    click(8071);
    EXPECT_EQ(env.ui.Waits(), std::vector<unsigned>{20000});
    EXPECT_EQ(env.ui.Messages().size(), 1u); // the question only
    // The directory print fails silently, the font list print with the error box.
    env.ui.Clear();
    click(8065);
    EXPECT_TRUE(env.ui.Messages().empty());
    click(8057);
    EXPECT_EQ(env.ui.Messages().size(), 1u);
}

TEST(PostScriptPagesTest, ErrorPrintValues) {
    PageEnv env("");
    CPostS3 s3(*env.ctx);
    CPostS4 s4(*env.ctx);
    s3.EnsureCreated();
    s4.EnsureCreated();
    env.ctx->store.edited.prtPsErrs = 1;
    s3.LoadFromSettings();
    s4.LoadFromSettings();
    EXPECT_TRUE(Checked(s3, 8125));
    EXPECT_TRUE(Checked(s4, 8125));
    env.ctx->store.edited.prtPsErrs = 2; // no button for it
    s3.LoadFromSettings();
    s4.LoadFromSettings();
    EXPECT_TRUE(Checked(s3, 8125));
    EXPECT_FALSE(Checked(s4, 8124) || Checked(s4, 8125));
    qobject_cast<QRadioButton*>(s3.Control(8124))->click();
    EXPECT_EQ(env.ctx->store.edited.prtPsErrs, 0);
    qobject_cast<QRadioButton*>(s4.Control(8125))->click();
    EXPECT_EQ(env.ctx->store.edited.prtPsErrs, 1);
    EXPECT_EQ(env.Written(), ""); // pages never send settings themselves
}

TEST(PostScriptPagesTest, FailedFormQueryKeepsTheRowsAndAnUnsafePathIsRefused) {
    PageEnv env("");
    CPostS4 page(*env.ctx);
    page.EnsureCreated();
    std::string reply("\x00\x00\x00\x01\x00\x00\x00\x09\x00\x00\x01\x00Memo\x00", 17);
    env.Reply(reply);
    page.OnSetActive();
    ASSERT_EQ(page.FormList()->topLevelItemCount(), 1);
    EXPECT_EQ(page.FormList()->topLevelItem(0)->text(2), "256");
    qobject_cast<QPushButton*>(page.Control(8156))->click(); // no reply this time
    EXPECT_EQ(page.FormList()->topLevelItemCount(), 1);
    EXPECT_EQ(env.ui.Messages().size(), 1u);
    env.dev.Reset();
    env.ui.Clear();
    const std::string path = "/tmp/tavform-" + std::to_string(::getpid()) + "\nX.ps";
    { std::ofstream(path) << "%!PS"; }
    env.ui.files = {path};
    qobject_cast<QPushButton*>(page.Control(8080))->click();
    std::remove(path.c_str());
    EXPECT_EQ(env.Written(), "");
    ASSERT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_EQ(env.ui.Messages()[0].text, env.ctx->GetLangText("STRING", "IDS_SEND_UNSAFE"));
    EXPECT_TRUE(page.Control(8080)->isEnabled()); // nothing was sent: the list is still true
}

TEST(DownloadPageTest, InertWithoutFlashBeepsWithoutSelectionAndDeletesEvenOnFailure) {
    PageEnv env("[FLASH]\nEnableMacro=1\nDisableMacro=0\n");
    CDownload page(*env.ctx);
    page.EnsureCreated();
    page.resize(560, 380);
    page.show();
    EXPECT_TRUE(page.Control(8137)->isVisible());
    EXPECT_FALSE(page.Control(8136)->isVisible());
    EXPECT_EQ(HelpAt(page, 8070), 139214u);
    EXPECT_EQ(HelpAt(page, 8039), 139213u);
    EXPECT_EQ(HelpAt(page, 8058), 139130u);
    page.OnSetActive(); // no flash capability
    EXPECT_EQ(env.Written(), "");
    for (int id : {8050, 8042, 8046, 8064, 8079, 8075, 8082, 8084, 8137, 8136, 8058, 8086})
        EXPECT_FALSE(page.Control(id)->isEnabled()) << id;

    // Two fonts in the store; nothing selected: a beep and nothing sent.
    auto list = std::make_shared<std::vector<FlashFontEntry>>(2);
    (*list)[0].fontId = 20;
    (*list)[1].fontId = 21;
    env.ctx->store.edited.fontList = list;
    env.ctx->store.edited.flashFontCount = 2;
    using Handler = void (CDownload::*)();
    for (Handler handler : {&CDownload::OnDeleteFont, &CDownload::OnDeleteMacro, &CDownload::OnEnableMacro}) {
        env.ui.Clear();
        (page.*handler)();
        EXPECT_EQ(env.ui.events.size(), 1u);
        EXPECT_EQ(env.ui.events[0].kind, RecordingUiHost::Kind::Beep);
    }
    EXPECT_EQ(env.Written(), "");

    // Delete with the printer gone: the error box, and the row leaves the page all the same.
    env.ctx->store.edited.featureFlags = 0x80;
    env.Reply(std::string("\x00\x02\x01\x00\x14", 5) + std::string(23, 'a') + std::string("\x02\x00\x15", 3) +
              std::string(23, 'b'));
    env.Reply(std::string("\x01\x00\x00\x5b\x02\xff\xff\xc6\x04\x00\x00\x00\x00\xff\x00", 15)); // the settings record
    env.Reply(std::string("\x00\x00", 2));                             // no macros
    page.OnRefresh();
    ASSERT_EQ(page.FontList()->topLevelItemCount(), 2);
    page.FontList()->topLevelItem(0)->setSelected(true);
    env.dev.Set("open", 0);
    env.ui.Clear();
    env.ui.answers = {MsgResult::Yes};
    page.OnDeleteFont();
    ASSERT_EQ(env.ui.Messages().size(), 2u);
    EXPECT_EQ(env.ui.Messages()[0].text, env.ctx->GetLangText("FLASH", "Msg_delete_font"));
    EXPECT_EQ(env.ui.Messages()[1].text, env.ctx->GetLangText("STRING", "IDS_ERRORSTRING"));
    ASSERT_EQ(page.FontList()->topLevelItemCount(), 1);
    EXPECT_EQ(page.FontList()->topLevelItem(0)->text(1), "21");
    EXPECT_EQ(page.FontList()->topLevelItem(0)->text(0), "1");
    EXPECT_FALSE(page.Control(8050)->isEnabled());
    EXPECT_EQ(env.ui.waitCursorDepth, 0);
    EXPECT_EQ(env.dev.Held(), 0);
}
