// What one page makes another reload, and what opening a page does, through the main window and its
// real pages against the stand-in device library, in the program folder as the install lays it out:
// a reload keeps every unsent edit, and a load alone changes no field, on every model and page.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <algorithm>
#include <functional>

#include "PageFixture.h"
#include "SettingsPageEnv.h"
#include "app/MainWindow.h"
#include "pjl/ConfigFiles.h"
#include "pjl/PclFont.h"
#include "pjl/SettingsFields.h"

using namespace tav;
using settingspages::Choose;
using settingspages::Ctl;
using tavtest::PageEnv;
using Lines = std::vector<std::string>;

namespace {

// The printer reported these defaults; its default typeface is `font`, flash font 9 with `flash`.
void Report(AppContext& ctx, uint32_t flags, uint8_t font, bool flash) {
    PrinterSettings& s = ctx.store.reported;
    s.featureFlags = flags, s.fontNumber = font, s.pclPageValue = flash ? 1 : 0,
    s.residentFontCount = ctx.IsKalor() ? 68 : 54;
    s.copies = 1, s.topMargin = 10, s.leftMargin = 5, s.timeout = 15, s.formLines = 60, s.pitch = 1000;
    s.ptSize = 48, s.ksZoom = s.kssmZoom = s.ksc5895Zoom = 100, s.ksLpi = s.kssmLpi = 6, s.ksc5895PtSize = 42;
    s.epsonFormLine = 66, s.customWidth = 210, s.customHeight = 297, s.flashValue = 0xFFFF, s.resolution = 1;
    ctx.store.edited = s;
}

void Type(TavPage& page, int id, const char* text) {
    Ctl<QLineEdit>(page, id)->setText(text);
    settingspages::FocusOut(page.Control(id));
}

} // namespace

// Edits on the PCL and Printing pages, then an action that reloads one page from the other: every
// edit is still shown, stored and sent; a turn exchanges the margins.
TEST(PageReload, AReloadKeepsEveryUnsentEdit) {
    const struct {
        const char* what;
        std::function<void(PageEnv&, MainWindow&)> act;
        bool turned;
    } rows[] = {
        {"the flash page lists the fonts again",
         [](PageEnv& env, MainWindow& w) {
             // Its listing, the settings read back (a record of defaults), the macros, the PCL
             // page's listing.
             for (const std::string& r : {tavtest::TwoFlashFonts(), std::string("\x00\x01\x00\xc6\x04\x00\x00\x40\x80\xff\x00", 11),
                                          std::string(2, '\0'), tavtest::TwoFlashFonts()})
                 env.Reply(r);
             w.Sheet()->setCurrentWidget(w.Page(PageId::Download));
         },
         false},
        {"a turn on the PCL page",
         [](PageEnv&, MainWindow& w) { Ctl<QRadioButton>(*w.Page(PageId::Pcl), 8010)->click(); }, true},
        {"a turn on the Printing page",
         [](PageEnv&, MainWindow& w) { Ctl<QRadioButton>(*w.Page(PageId::Printing), 8010)->click(); }, true},
        {"another paper's form lines",
         [](PageEnv&, MainWindow& w) { Choose(Ctl<QComboBox>(*w.Page(PageId::Printing), 8000), 1); }, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        PageEnv env("");
        tavtest::UseShippedModel(env, "ml-2250");
        Report(*env.ctx, kFlagDownload | 0x4000, 9, true);
        MainWindow w(*env.ctx, {false, false, {}});
        TavPage& printing = *w.Page(PageId::Printing);
        TavPage& pcl = *w.Page(PageId::Pcl);
        Type(printing, 8005, "3");
        Type(printing, 8023, "12");
        env.Reply(tavtest::TwoFlashFonts());
        w.Sheet()->setCurrentWidget(&pcl);
        Choose(Ctl<QComboBox>(pcl, 8041), 3);
        Choose(Ctl<QComboBox>(pcl, 8044), 2);
        Type(pcl, 8053, "12");

        row.act(env, w);
        EXPECT_TRUE(env.ui.Messages().empty()); // the flash page's refresh went through
        const PrinterSettings& ed = env.ctx->store.edited;
        EXPECT_EQ(DefaultPclFont(ed), (PclFont{FontSource::Resident, 3}));
        EXPECT_EQ(Ctl<QComboBox>(pcl, 8041)->currentIndex(), 3);
        EXPECT_EQ(Ctl<QComboBox>(pcl, 8044)->currentIndex(), 2);
        EXPECT_EQ(Ctl<QLineEdit>(pcl, 8053)->text(), "12.00");
        EXPECT_EQ(Ctl<QLineEdit>(pcl, 8015)->text().toStdString(), std::to_string(ed.formLines));
        EXPECT_EQ(Ctl<QLineEdit>(printing, 8005)->text(), "3");
        EXPECT_EQ(Ctl<QLineEdit>(printing, 8023)->text(), row.turned ? "5" : "12");
        EXPECT_EQ(ed.topMargin, row.turned ? 5 : 12);
        const Lines sent = ComposeSettingsLines(*env.ctx);
        for (const char* v :
             {"FONTSOURCE = RFONT", "FONTNUMBER = 3", "SYMSET = ISOL1", "PITCH = 12.00", "COPIES = 3"})
            EXPECT_EQ(std::count(sent.begin(), sent.end(), std::string("@PJL DEFAULT ") + v), 1) << v;
    }
}

// Every page opened in turn on every shipped model, the printer's default a face beside a set it
// does not bring (the OEM brand's Hebrew face, a line-printer face) or a flash font: nothing in the
// store changes, and Send carries no setting.
TEST(PageReload, OpeningAPageChangesNothing) {
    const std::vector<std::string> models = ShippedModels(tavtest::ShippedDataFolder());
    ASSERT_GE(models.size(), 3u);
    for (const std::string& model : models)
        for (const bool flash : {false, true}) {
            SCOPED_TRACE(model + (flash ? ", flash font 9" : ", a face with a set of its own"));
            PageEnv env("");
            tavtest::UseShippedModel(env, model);
            Report(*env.ctx, 0x287040C5, flash ? 9 : env.ctx->IsKalor() ? 60 : 47, flash);
            const SettingsStore& st = env.ctx->store;
            const PrinterSettings reported = st.reported;
            const Lines unchanged = ComposeSettingsLines(*env.ctx); // the resolution, which always goes
            MainWindow w(*env.ctx, {false, false, {}});
            for (PageId id : AllPageIds()) {
                if (id == PageId::Pcl) env.Reply(tavtest::TwoFlashFonts());
                w.Page(id)->EnsureCreated();
                w.Page(id)->OnSetActive();
                for (const SettingField* f : FieldsInRecordOrder())
                    EXPECT_EQ(f->get(st.edited), f->get(reported)) << PageClassName(id) << " " << f->name;
                EXPECT_FALSE(st.paperChanged || st.customPaperChanged) << PageClassName(id);
            }
            EXPECT_EQ(ComposeSettingsLines(*env.ctx), unchanged);
        }
}
