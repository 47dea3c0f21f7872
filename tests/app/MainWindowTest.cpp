// The main window through its real buttons: the sheet's tabs, Send, Default, Exit, Help, the
// idle flag, RefreshPages and firmware-update-only mode, against the stand-in device library.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <cstring>
#include <map>
#include <memory>

#include "PageFixture.h"
#include "app/MainWindow.h"
#include "pages/DownloadPage.h"
#include "pages/TavPage.h"
#include "platform/Ini.h"
#include "RecordingUiHost.h"

using namespace tav;
using tavtest::PageEnv;

namespace {

// A page for every class, counting what the window asks of it.
struct Counts {
    std::map<PageId, int> loads, inits, starts;
    std::function<void(PageId)> onLoad;
};

class CountingPage : public TavPage {
  public:
    CountingPage(AppContext& ctx, PageId id, Counts& counts) : TavPage(ctx, 0), m_id(id), m_counts(counts) {}
    void LoadFromSettings() override {
        ++m_counts.loads[m_id];
        if (m_counts.onLoad) m_counts.onLoad(m_id);
    }
    void OnStartMessage() override { ++m_counts.starts[m_id]; }

  protected:
    void OnInitDialog() override {
        ++m_counts.inits[m_id];
        AddControl(1000, new QLabel(PageClassName(m_id), this));
    }

  private:
    PageId m_id;
    Counts& m_counts;
};

MainWindow::Options Counting(Counts& counts, bool firmwareOnly = false) {
    MainWindow::Options o;
    o.listenForQuit = false;
    o.firmwareUpdateOnly = firmwareOnly;
    o.factory = [&counts](PageId id, AppContext& ctx) -> std::unique_ptr<TavPage> {
        return std::make_unique<CountingPage>(ctx, id, counts);
    };
    return o;
}

const char* kEveryTab =
    "[TAB]\nPrinting=1\nConfig=1\nJob=1\nTest=1\nPCL=1\nColor=1\nCheck=1\nPS3=1\nFMU=1\nDOWNLOAD=1\n"
    "EPSONIBM=1\nFirmWare=1\nAbout=1\n";

// A settings record: the capability word (index 198) and the end mark.
std::string Record(uint32_t flags) {
    std::string r = "\x01\x02\x03\xc6\x04"; // a header the parser steps over, then index 198
    for (int s = 24; s >= 0; s -= 8)
        r.push_back(static_cast<char>((flags >> s) & 0xFF));
    return r + std::string("\xff\x00", 2);
}

QStringList TabTitles(const MainWindow& w) {
    QStringList out;
    for (int i = 0; i < w.Sheet()->count(); ++i)
        out << w.Sheet()->tabText(i);
    return out;
}

std::string Uel() {
    return "\x1b%-12345X";
}

// The pages RefreshPages reloads with this configuration and these capabilities.
std::map<PageId, int> Reloaded(const AppContext& ctx) {
    std::map<PageId, int> out;
    for (const RefreshStep& s : RefreshPlan(ctx))
        if (s.load) out[s.page] = 1;
    return out;
}

} // namespace

TEST(MainWindowTest, ThreeTabsTitledFromTheLanguageFile) {
    for (const char* lang : {"EN", "KR"}) {
        PageEnv env("[TAB]\nPrinting=1\nConfig=1\nAbout=1\n", lang);
        Counts counts;
        MainWindow w(*env.ctx, Counting(counts));
        const std::string& f = env.ctx->cfg.langFilePath;
        auto title = [&](const char* key) {
            return QString::fromStdString(ReadIniString(f, "TITLE", key, ""));
        };
        EXPECT_EQ(TabTitles(w), (QStringList{title("PRINTING"), title("CONFIG"), title("ABOUT")})) << lang;
        EXPECT_EQ(w.Tabs(), (std::vector<PageId>{PageId::Printing, PageId::Config, PageId::About}));
        EXPECT_EQ(w.windowTitle().toStdString(), ReadIniString(f, "ABOUT", "IDL_APPNAME_P", ""));
        // Only the first page is built at start; the others when first opened.
        EXPECT_EQ(w.Sheet()->currentIndex(), 0);
        EXPECT_EQ(counts.inits, (std::map<PageId, int>{{PageId::Printing, 1}}));
        w.Sheet()->setCurrentIndex(2);
        w.Sheet()->setCurrentIndex(0);
        w.Sheet()->setCurrentIndex(2);
        EXPECT_EQ(counts.inits, (std::map<PageId, int>{{PageId::Printing, 1}, {PageId::About, 1}}));
        // Every page object exists, shown or not.
        for (PageId id : AllPageIds())
            EXPECT_NE(w.Page(id), nullptr);
        EXPECT_TRUE(counts.loads.empty());
    }
}

TEST(MainWindowTest, KoreanWithKssmOnlyAndPostScriptVariants) {
    PageEnv env("[Common]\nAPPNAME=1\n[TAB]\nPS3=0\n[PS3]\nFONT_FORM=1\n", "KR");
    env.ctx->store.edited.featureFlags = 0x200000 | 0x20000000;
    Counts counts;
    MainWindow w(*env.ctx, Counting(counts));
    EXPECT_EQ(w.Tabs(), (std::vector<PageId>{PageId::Kssm, PageId::PostS4}));
    EXPECT_EQ(TabTitles(w), (QStringList{"KSSM", QString::fromUtf8("포스트스크립트")}));
    EXPECT_EQ(w.windowTitle(), QString::fromUtf8("Quorvex 컬러 원격 제어판"));
}

TEST(MainWindowTest, AbsentPageClassesLeaveNoTab) {
    PageEnv env(std::string("[Common]\nALLTAB=1\n") + kEveryTab);
    MainWindow::Options o;
    o.listenForQuit = false; // the pages of this build only
    MainWindow w(*env.ctx, o);
    for (PageId id : w.Tabs())
        EXPECT_NE(w.Page(id), nullptr) << PageClassName(id);
    for (int i = 0; i < w.Sheet()->count(); ++i)
        EXPECT_NE(w.Sheet()->widget(i), nullptr);
    EXPECT_NE(std::find(w.Tabs().begin(), w.Tabs().end(), PageId::About), w.Tabs().end());
    EXPECT_NE(std::find(w.Tabs().begin(), w.Tabs().end(), PageId::Test), w.Tabs().end());
}

TEST(MainWindowTest, ButtonBarMenuGeometryAndControlIds) {
    PageEnv env("[TAB]\nAbout=1\nTest=1\n");
    Counts counts;
    MainWindow w(*env.ctx, Counting(counts));
    const std::string& f = env.ctx->cfg.langFilePath;
    const std::pair<int, const char*> buttons[] = {
        {kIdSend, "IDC_SEND"}, {kIdDefault, "IDC_DEFAULT"}, {kIdExit, "IDC_EXIT"}, {kIdHelp, "IDC_TAVHELP"}};
    for (auto [id, key] : buttons) {
        QPushButton* b = w.Button(id);
        ASSERT_TRUE(b) << id;
        EXPECT_EQ(b->text().toStdString(), ReadIniString(f, "BASE", key, ""));
        EXPECT_EQ(b->property("controlId").toInt(), id);
        EXPECT_TRUE(b->isVisibleTo(&w)) << id;
    }
    EXPECT_FALSE(w.Button(kIdRefresh)->isVisibleTo(&w));
    auto* menu = w.findChild<QMenuBar*>();
    ASSERT_TRUE(menu);
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[0]->text().toStdString(), ReadIniString(f, "MENU", "IDL_FILE", ""));
    EXPECT_EQ(menu->actions()[1]->text().toStdString(), ReadIniString(f, "MENU", "IDL_HELP", ""));
    EXPECT_EQ(menu->actions()[0]->menu()->actions()[0]->property("controlId").toInt(), kMenuExit);
    EXPECT_EQ(menu->actions()[1]->menu()->actions()[0]->property("controlId").toInt(), kMenuHelp);

    // The sheet is placed and the window sized by the geometry rule.
    const MainGeometry& g = w.Geometry();
    EXPECT_EQ(w.Sheet()->parentWidget()->geometry(),
              QRect(g.sheet.x, g.sheet.y, g.sheet.width, g.sheet.height));
    EXPECT_EQ(w.Sheet()->width(), g.windowWidth - 20);
    EXPECT_EQ(w.Button(kIdSend)->parentWidget()->geometry(),
              QRect(g.buttonBar.x, g.buttonBar.y, g.buttonBar.width, g.buttonBar.height));
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    EXPECT_EQ(w.width(), g.windowWidth);

    // Help: the button, the menu item and F1 open the help file; Exit ends with 0.
    QTest::mouseClick(w.Button(kIdHelp), Qt::LeftButton);
    menu->actions()[1]->menu()->actions()[0]->trigger();
    QTest::keyClick(&w, Qt::Key_F1);
    int helps = 0;
    for (const auto& e : env.ui.events)
        if (e.kind == RecordingUiHost::Kind::Help) {
            ++helps;
            EXPECT_EQ(e.text, env.ctx->cfg.helpFilePath);
        }
    EXPECT_EQ(helps, 3);
    w.setResult(7);
    QTest::mouseClick(w.Button(kIdExit), Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.result(), 0);
}

TEST(MainWindowTest, SendThroughTheButtonReloadsEveryPage) {
    PageEnv env(std::string(kEveryTab) + "[Common]\nSTRING=KALOR\n");
    env.ctx->store.edited.featureFlags = env.ctx->store.reported.featureFlags = 0x20000000 | 0x100000;
    env.ctx->store.edited.copies = env.ctx->store.reported.copies + 1;
    Counts counts;
    MainWindow w(*env.ctx, Counting(counts));
    w.show();
    env.Reply(Record(0x20000000 | 0x100000 | 0x4));
    QTest::mouseClick(w.Button(kIdSend), Qt::LeftButton);

    const std::string job = env.Written();
    EXPECT_EQ(job.rfind(Uel() + "@PJL\r\n", 0), 0u);
    EXPECT_NE(job.find("@PJL DEFAULT"), std::string::npos);
    EXPECT_NE(job.find("@PJL INFO PRINTER = ALL\r\n" + Uel()), std::string::npos);
    EXPECT_EQ(env.ctx->store.reported.featureFlags, 0x20100004u);
    EXPECT_EQ(env.ctx->store.edited, env.ctx->store.reported);
    EXPECT_EQ(counts.loads, Reloaded(*env.ctx));
    EXPECT_EQ(counts.loads.count(PageId::ConfigKalor), 1u);
    EXPECT_TRUE(env.ui.Messages().empty());
    EXPECT_EQ(env.ui.waitCursorDepth, 0);
    EXPECT_EQ(env.dev.Held(), 0);
    EXPECT_TRUE(w.Actions().Idle());
}

TEST(MainWindowTest, DefaultThroughTheButtonReloadsEveryPage) {
    PageEnv env(kEveryTab);
    env.ctx->store.customPaperChanged = true;
    Counts counts;
    MainWindow w(*env.ctx, Counting(counts));
    w.show();
    env.Reply(Record(0x8000000));
    QTest::mouseClick(w.Button(kIdDefault), Qt::LeftButton);
    EXPECT_EQ(env.Written(), Uel() + "@PJL\r\n@PJL INITIALIZE\r\n@PJL INFO PRINTER = ALL\r\n" + Uel());
    EXPECT_FALSE(env.ctx->store.customPaperChanged);
    EXPECT_EQ(env.ctx->store.edited.featureFlags, 0x8000000u);
    EXPECT_EQ(counts.loads, Reloaded(*env.ctx));
    EXPECT_EQ(counts.loads.count(PageId::Epson), 1u); // the new capability word decides the refresh
    EXPECT_EQ(env.ui.waitCursorDepth, 0);
    EXPECT_EQ(env.dev.Held(), 0);
}

TEST(MainWindowTest, FailedSendShowsThePrinterErrorAndKeepsThePages) {
    PageEnv env(kEveryTab);
    Counts counts;
    MainWindow w(*env.ctx, Counting(counts));
    int reentered = 0;
    // The error box runs a nested event loop: a click on Send there must not start a second job.
    env.ui.onMessage = [&](const std::string&) {
        ++reentered;
        w.Button(kIdSend)->click();
        w.Button(kIdDefault)->click();
    };
    w.Button(kIdSend)->click();
    ASSERT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_EQ(reentered, 1);
    EXPECT_EQ(env.ui.Messages()[0].text,
              ReadIniString(env.ctx->cfg.langFilePath, "STRING", "IDS_ERRORSTRING", ""));
    EXPECT_EQ(env.ui.Messages()[0].icon, MsgIcon::Error);
    EXPECT_TRUE(counts.loads.empty());
    size_t jobs = 0;
    for (const auto& line : env.dev.LogLines())
        jobs += line.find("DeviceWrite") != std::string::npos;
    EXPECT_EQ(jobs, 1u);
    EXPECT_TRUE(w.Actions().Idle());
    EXPECT_EQ(env.dev.Held(), 0);
}

// A read-back cut short is a failed exchange: the printer error, the store as it was, no reload.
TEST(MainWindowTest, ACutShortRecordAfterSendIsAFailure) {
    PageEnv env(kEveryTab);
    env.ctx->store.edited.copies = env.ctx->store.reported.copies + 1;
    const PrinterSettings reported = env.ctx->store.reported, edited = env.ctx->store.edited;
    Counts counts;
    MainWindow w(*env.ctx, Counting(counts));
    std::string cut = Record(0x20000000);
    cut.resize(cut.size() / 2);
    env.Reply(cut);
    w.Button(kIdSend)->click();
    ASSERT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_EQ(env.ui.Messages()[0].text,
              ReadIniString(env.ctx->cfg.langFilePath, "STRING", "IDS_ERRORSTRING", ""));
    EXPECT_EQ(env.ctx->store.reported, reported);
    EXPECT_EQ(env.ctx->store.edited, edited);
    EXPECT_TRUE(counts.loads.empty());
    EXPECT_EQ(env.dev.Held(), 0);
    EXPECT_TRUE(w.Actions().Idle());
}

TEST(MainWindowTest, SendClickedTwiceRunsOneUpload) {
    PageEnv env(kEveryTab);
    Counts counts;
    MainWindow w(*env.ctx, Counting(counts));
    w.show();
    env.Reply(Record(0));
    int clicks = 0;
    env.ui.onWait = [&](unsigned) {
        if (clicks++ == 0) QTest::mouseClick(w.Button(kIdSend), Qt::LeftButton);
    };
    QTest::mouseClick(w.Button(kIdSend), Qt::LeftButton);
    size_t jobs = 0;
    for (const auto& line : env.dev.LogLines())
        jobs += line.find("DeviceWrite") != std::string::npos;
    EXPECT_EQ(jobs, 1u);
    EXPECT_GE(clicks, 1);
    EXPECT_EQ(counts.loads, Reloaded(*env.ctx));
    EXPECT_TRUE(w.Actions().Idle());
}

TEST(MainWindowTest, BusyPortDuringTheRefreshStopsIt) {
    PageEnv env(kEveryTab);
    Counts counts;
    MainWindow w(*env.ctx, Counting(counts));
    env.Reply(Record(0));
    // Another program takes the port while the PCL page reloads.
    counts.onLoad = [&](PageId id) {
        if (id == PageId::Pcl) env.dev.Set("acquire", 0);
    };
    w.Button(kIdSend)->click();
    EXPECT_EQ(counts.loads, (std::map<PageId, int>{{PageId::Printing, 1}, {PageId::Pcl, 1}}));
    ASSERT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_EQ(env.ui.Messages()[0].text,
              ReadIniString(env.ctx->cfg.langFilePath, "COMMON", "IDS_STRING107", ""));
    EXPECT_EQ(env.ui.waitCursorDepth, 0);
    EXPECT_EQ(env.dev.Held(), 0);
    EXPECT_TRUE(w.Actions().Idle());
}

TEST(MainWindowTest, BusyPortOnSendShowsOnlyTheBusyMessage) {
    PageEnv env(kEveryTab);
    env.dev.Set("acquire", 0);
    Counts counts;
    MainWindow w(*env.ctx, Counting(counts));
    w.Button(kIdSend)->click();
    ASSERT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_EQ(env.Written(), "");
    EXPECT_TRUE(env.ui.Waits().empty());
    EXPECT_TRUE(w.Actions().Idle());
}

TEST(MainWindowTest, FirmwareUpdateOnlyModeShowsOnlyExitAndStartsTheFirmwarePage) {
    PageEnv env("[COMMON]\nAUTOFWUP=1\nRefresh=1\n[TAB]\nFirmWare=1\nAbout=1\n");
    Counts counts;
    MainWindow w(*env.ctx, Counting(counts, true));
    EXPECT_TRUE(w.Button(kIdExit)->isVisibleTo(&w));
    for (int id : {kIdSend, kIdDefault, kIdHelp})
        EXPECT_FALSE(w.Button(id)->isVisibleTo(&w)) << id;
    EXPECT_TRUE(w.Button(kIdRefresh)->isVisibleTo(&w));
    EXPECT_TRUE(counts.starts.empty()); // posted, not called
    QCoreApplication::processEvents();
    EXPECT_EQ(counts.starts, (std::map<PageId, int>{{PageId::FwUp, 1}}));
}

// The pages show the record Refresh took, or, when the buffer held none, keep their edits.
TEST(MainWindowTest, RefreshParsesTheHeldReplyWithoutAQuery) {
    PageEnv env("[COMMON]\nRefresh=1\n[TAB]\nAbout=1\nPrinting=1\n");
    Counts counts;
    MainWindow w(*env.ctx, Counting(counts));
    const std::string rec = Record(0x80);
    std::copy(rec.begin(), rec.end(), env.ctx->replyBuffer.begin());
    QTest::mouseClick(w.Button(kIdRefresh), Qt::LeftButton);
    EXPECT_EQ(env.ctx->store.edited.featureFlags, 0x80u);
    EXPECT_EQ(env.Written(), "");
    EXPECT_EQ(counts.loads, Reloaded(*env.ctx));
    EXPECT_TRUE(env.ui.Messages().empty());

    counts.loads.clear();
    env.ctx->replyBuffer.fill(0);
    env.ctx->store.edited.copies = env.ctx->store.reported.copies + 1;
    QTest::mouseClick(w.Button(kIdRefresh), Qt::LeftButton);
    ASSERT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_EQ(env.ui.Messages()[0].text,
              ReadIniString(env.ctx->cfg.langFilePath, "STRING", "IDS_ERRORSTRING", ""));
    EXPECT_EQ(env.ctx->store.edited.copies, env.ctx->store.reported.copies + 1);
    EXPECT_TRUE(counts.loads.empty());
}

// A change the flash page makes to the font list reaches the PCL page's typefaces at once.
TEST(MainWindowTest, FlashFontChangesReloadThePclPage) {
    PageEnv env("[TAB]\nPCL=1\nDOWNLOAD=0\n");
    MainWindow w(*env.ctx, MainWindow::Options{});
    auto* download = qobject_cast<CDownload*>(w.Page(PageId::Download));
    TavPage* pcl = w.Page(PageId::Pcl);
    ASSERT_NE(download, nullptr);
    ASSERT_NE(pcl, nullptr);
    pcl->EnsureCreated();
    auto* typefaces = qobject_cast<QComboBox*>(pcl->Control(8041));
    ASSERT_NE(typefaces, nullptr);
    const int resident = typefaces->count();
    FlashFontEntry font{};
    font.fontNumber = 7;
    std::memcpy(font.typeface, "Flash Sans", 10);
    std::memcpy(font.symbolSet, "8U", 2);
    env.ctx->store.edited.fontList = std::make_shared<const std::vector<FlashFontEntry>>(1, font);
    env.ctx->store.edited.flashFontCount = 1;
    emit download->FlashFontsChanged();
    EXPECT_EQ(typefaces->count(), resident + 1);
}
