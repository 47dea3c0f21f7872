// What one page makes another reload, and what opening a page does, through the main window and its
// real pages against the stand-in device library, with the program folder as the install lays it
// out: a reload shows every unsent edit and keeps it for Send, and a load alone changes no field,
// on every shipped model and every page.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <algorithm>
#include <filesystem>
#include <functional>

#include "PageFixture.h"
#include "SettingsPageEnv.h"
#include "app/MainWindow.h"
#include "pjl/ConfigFiles.h"
#include "pjl/PclFont.h"
#include "pjl/SettingsFields.h"
#include "pjl/SettingsRecord.h"
#include "pjl/Upload.h"

using namespace tav;
using settingspages::Choose;
using settingspages::Ctl;
using settingspages::FocusOut;
using tavtest::PageEnv;

namespace {

// A shipped model's profile in the program folder the build lays out as the install does; the
// user's file holds `user`.
void UseInstalledModel(PageEnv& env, const std::string& model, const std::string& user = {}) {
    AppConfig& cfg = env.ctx->cfg;
    cfg.programFolder = tavtest::ShippedDataFolder();
    cfg.model = model;
    env.home.Write("user.ini", user);
    cfg.userConfigFilePath = env.home.dir + "user.ini";
    ResolveConfigFiles(cfg);
}

// The record as a printer sends it: every field of the store in index order.
std::string RecordOf(const PrinterSettings& s) {
    std::string r;
    for (const SettingField* f : FieldsInRecordOrder()) {
        uint32_t v = 0;
        GetRecordField(s, f->index, v);
        r += static_cast<char>(f->index);
        r += static_cast<char>(f->width);
        for (int b = f->width - 1; b >= 0; --b)
            r += static_cast<char>((v >> (8 * b)) & 0xFF);
    }
    return r + std::string("\xff\x00", 2);
}

// Parsed as start-up parses it.
void Report(AppContext& ctx, const PrinterSettings& s) {
    const std::string r = RecordOf(s);
    ctx.replyBuffer.fill(0);
    std::copy(r.begin(), r.end(), ctx.replyBuffer.begin());
    ASSERT_TRUE(LoadSettingsRecord(ctx));
}

PrinterSettings Printer(uint32_t flags) {
    PrinterSettings s;
    s.featureFlags = flags;
    s.copies = 1, s.paper = 0, s.topMargin = 10, s.leftMargin = 5, s.timeout = 15, s.density = 2;
    s.fontNumber = 3, s.symSet = 33, s.formLines = 60, s.pitch = 1000, s.ptSize = 48, s.resolution = 1;
    s.ksZoom = s.kssmZoom = s.ksc5895Zoom = 100, s.ksLpi = s.kssmLpi = 6, s.ksc5895PtSize = 42;
    s.epsonFormLine = 66, s.customWidth = 210, s.customHeight = 297, s.flashValue = 0xFFFF;
    return s;
}

MainWindow::Options Sheet() {
    MainWindow::Options o;
    o.listenForQuit = false;
    return o;
}

void Open(MainWindow& w, PageId id) {
    const auto& tabs = w.Tabs();
    const auto at = std::find(tabs.begin(), tabs.end(), id);
    ASSERT_NE(at, tabs.end()) << PageClassName(id);
    w.Sheet()->setCurrentIndex(static_cast<int>(at - tabs.begin()));
}

void Type(QLineEdit* e, const char* text) {
    e->setText(text);
    FocusOut(e);
}

bool Sends(AppContext& ctx, const std::string& line) {
    const std::vector<std::string> lines = ComposeSettingsLines(ctx);
    return std::find(lines.begin(), lines.end(), "@PJL DEFAULT " + line) != lines.end();
}

} // namespace

// Edits on the PCL and Printing pages, then an action that reloads one page from another: each
// edit is still shown, still stored and still sent; a turn exchanges the margins.
TEST(PageReload, AReloadKeepsEveryUnsentEdit) {
    struct Row {
        const char* what;
        std::function<void(PageEnv&, MainWindow&, const PrinterSettings&)> act;
        bool turned;
    };
    const Row rows[] = {
        {"the flash page lists the fonts again",
         [](PageEnv& env, MainWindow& w, const PrinterSettings& printer) {
             // Its listing, the settings read back, the macros, then the PCL page's own listing.
             env.Reply(tavtest::TwoFlashFonts());
             env.Reply(RecordOf(printer));
             env.Reply(std::string("\x00\x00", 2));
             env.Reply(tavtest::TwoFlashFonts());
             Open(w, PageId::Download);
         },
         false},
        {"a turn on the PCL page",
         [](PageEnv&, MainWindow& w, const PrinterSettings&) {
             Ctl<QRadioButton>(*w.Page(PageId::Pcl), 8010)->click();
         },
         true},
        {"a turn on the Printing page",
         [](PageEnv&, MainWindow& w, const PrinterSettings&) {
             Ctl<QRadioButton>(*w.Page(PageId::Printing), 8010)->click();
         },
         true},
        {"another paper's form lines",
         [](PageEnv&, MainWindow& w, const PrinterSettings&) {
             Choose(Ctl<QComboBox>(*w.Page(PageId::Printing), 8000), 1);
         },
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        PageEnv env("");
        UseInstalledModel(env, "ml-2250");
        PrinterSettings s = Printer(kFlagDownload | 0x4000);
        s.fontNumber = 9, s.pclPageValue = 1; // the default is flash font 9
        Report(*env.ctx, s);
        MainWindow w(*env.ctx, Sheet());
        TavPage& printing = *w.Page(PageId::Printing);
        TavPage& pcl = *w.Page(PageId::Pcl);
        Type(Ctl<QLineEdit>(printing, 8005), "3");
        Type(Ctl<QLineEdit>(printing, 8023), "12");
        env.Reply(tavtest::TwoFlashFonts());
        Open(w, PageId::Pcl);
        Choose(Ctl<QComboBox>(pcl, 8041), 3);
        Choose(Ctl<QComboBox>(pcl, 8044), 2);
        Type(Ctl<QLineEdit>(pcl, 8053), "12");

        row.act(env, w, s);

        const PrinterSettings& ed = env.ctx->store.edited;
        EXPECT_EQ(DefaultPclFont(ed), (PclFont{FontSource::Resident, 3}));
        EXPECT_EQ(Ctl<QComboBox>(pcl, 8041)->currentIndex(), 3);
        EXPECT_EQ(Ctl<QComboBox>(pcl, 8044)->currentIndex(), 2);
        EXPECT_EQ(Ctl<QLineEdit>(pcl, 8053)->text(), "12.00");
        EXPECT_EQ(Ctl<QLineEdit>(pcl, 8015)->text().toStdString(), std::to_string(ed.formLines));
        EXPECT_EQ(Ctl<QLineEdit>(printing, 8005)->text(), "3");
        EXPECT_EQ(Ctl<QLineEdit>(printing, 8023)->text(), row.turned ? "5" : "12");
        EXPECT_EQ(Ctl<QLineEdit>(printing, 8018)->text(), row.turned ? "12" : "5");
        EXPECT_EQ(ed.topMargin, row.turned ? 5 : 12);
        for (const char* line :
             {"FONTSOURCE = RFONT", "FONTNUMBER = 3", "SYMSET = ISOL1", "PITCH = 12.00", "COPIES = 3"})
            EXPECT_TRUE(Sends(*env.ctx, line)) << line;
    }
}

// Every page of the sheet opened in turn on every shipped model, with printer defaults that the
// pages' load steps would rewrite: nothing in the store changes and Send carries no setting.
TEST(PageReload, OpeningAPageChangesNothing) {
    // Every page shown, whatever the model's own switches.
    const std::string everyTab =
        "[Common]\nALLTAB=1\n[TAB]\nPrinting=1\nConfig=1\nJob=1\nTest=1\nPCL=1\n"
        "Color=1\nCheck=1\nPS3=1\nFMU=1\nDOWNLOAD=1\nEPSONIBM=1\nFirmWare=1\nAbout=1\n";
    std::vector<std::string> models;
    for (const auto& e : std::filesystem::directory_iterator(tavtest::ShippedDataFolder() + "models"))
        models.push_back(e.path().filename().string());
    std::sort(models.begin(), models.end());
    ASSERT_GE(models.size(), 3u);
    for (const std::string& model : models)
        for (const bool flashDefault : {false, true}) {
            SCOPED_TRACE(model + (flashDefault ? ", flash font 9" : ", a face with a set of its own"));
            PageEnv env("");
            UseInstalledModel(env, model, everyTab);
            PrinterSettings s = Printer(0x287040C5);
            // The OEM brand's Hebrew face, or a line-printer face, beside a set it does not bring.
            s.fontNumber = env.ctx->IsKalor() ? 60 : 47, s.symSet = 0;
            if (flashDefault) s.fontNumber = 9, s.pclPageValue = 1;
            Report(*env.ctx, s);
            const PrinterSettings reported = env.ctx->store.reported;
            MainWindow w(*env.ctx, Sheet());
            for (PageId id : AllPageIds()) {
                TavPage* page = w.Page(id);
                if (!page) continue;
                if (id == PageId::Pcl) env.Reply(tavtest::TwoFlashFonts());
                page->EnsureCreated();
                page->OnSetActive();
                for (const SettingField* f : FieldsInRecordOrder())
                    EXPECT_EQ(f->get(env.ctx->store.edited), f->get(reported))
                        << PageClassName(id) << " changed " << f->name;
                EXPECT_FALSE(env.ctx->store.paperChanged || env.ctx->store.customPaperChanged)
                    << PageClassName(id);
            }
            EXPECT_EQ(ComposeSettingsLines(*env.ctx),
                      std::vector<std::string>{"@PJL DEFAULT RESOLUTION = 600"});
        }
}
