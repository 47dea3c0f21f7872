// The PCL page against the printer simulator through the real device library: the flash fonts
// the printer lists become typefaces, Send names the chosen one by its font number, the printer's
// new report selects it again, the font list prints, and a printer that answers badly never
// breaks the typeface list.
#include <QComboBox>
#include <QPushButton>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "FakeDev.h"
#include "PageFixture.h"
#include "SettingsPageEnv.h"
#include "SimProcess.h"
#include "pages/PclTab.h"
#include "pjl/Pjl.h"
#include "pjl/SettingsRecord.h"
#include "pjl/Upload.h"
#include "RecordingUiHost.h"

using namespace tav;
using settingspages::Choose;
using settingspages::Ctl;
using settingspages::Items;

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A program folder with the real device library, the shipped texts and lists, and a model
// pointed at the simulator.
struct SimEnv {
    explicit SimEnv(const tavtest::SimProcess& sim) {
        tavtest::QtApp();
        // The port lock lives in the runtime folder: one of our own, so no other program's lock
        // is met.
        setenv("XDG_RUNTIME_DIR", home.dir.c_str(), 1);
        namespace fs = std::filesystem;
        const std::string data = tavtest::ShippedDataFolder();
        fs::remove(home.dir + "libqvdevm.so");
        fs::create_symlink(QVDEVM_PATH, home.dir + "libqvdevm.so");
        fs::copy(data + "lang", home.dir + "lang", fs::copy_options::recursive);
        fs::copy(data + "help", home.dir + "help", fs::copy_options::recursive);
        for (const char* f : {"TypeFace.ini", "SymbolSet.ini"})
            fs::copy_file(data + f, home.dir + f);
        std::string model = ReadFile(data + "models/ml-2250/comtav.ini");
        home.Write("comtav.ini", model);
        AppConfig& cfg = ctx.cfg;
        cfg.programFolder = home.dir;
        cfg.configFilePath = home.dir + "comtav.ini";
        cfg.langFilePath = home.dir + "lang/EN.ini";
        cfg.helpFilePath = home.dir + "help/en/wintav32.html";
        cfg.deviceOverride = sim.DeviceName();
        if (!ctx.link.Bind(false, home.dir)) throw std::runtime_error("device library did not load");
    }
    // The settings query and its parse, as start-up does them.
    bool ReadPrinter() {
        if (!ctx.link.AcquirePort()) return false;
        const int ok = QueryPrinterSettings(ctx);
        ctx.link.ReleasePort();
        return ok && LoadSettingsRecord(ctx);
    }

    tavtest::FakeHome home;
    RecordingUiHost ui;
    AppContext ctx{ui};
};

} // namespace

TEST(PclSim, FlashFontChosenIsSentByNumberAndReportedBack) {
    tavtest::SimProcess sim("mono-pcl");
    SimEnv env(sim);
    ASSERT_TRUE(env.ReadPrinter());
    CPclTab page(env.ctx);
    page.EnsureCreated();
    auto* faces = Ctl<QComboBox>(page, 8041);
    // The profile's five flash fonts follow the 54 built-in faces.
    ASSERT_EQ(faces->count(), 59);
    EXPECT_EQ(faces->itemText(58), "OCR-B (ID: 4096)");
    EXPECT_EQ(faces->currentIndex(), 3);

    Choose(faces, 58);
    EXPECT_EQ(Items(Ctl<QComboBox>(page, 8044)), QStringList{"0O"});
    ASSERT_TRUE(env.ctx.link.AcquirePort());
    std::string job;
    ASSERT_NE(UploadSettings(env.ctx, &job), 0);
    env.ctx.link.ReleasePort();
    EXPECT_NE(job.find("@PJL DEFAULT FONTSOURCE = FFONT\r\n@PJL DEFAULT FONTNUMBER = 9\r\n"),
              std::string::npos)
        << job;
    EXPECT_EQ(job.find("SYMSET"), std::string::npos);
    ASSERT_TRUE(LoadSettingsRecord(env.ctx));
    page.LoadFromSettings();
    EXPECT_EQ(faces->currentIndex(), 58) << "the printer's report selects the flash font again";
    EXPECT_EQ(Items(Ctl<QComboBox>(page, 8044)), QStringList{"0O"});

    // The font list print reaches the printer as its FONT page.
    size_t jobs = 0;
    for (const auto& e : sim.Events())
        jobs += e.event == "job";
    Ctl<QPushButton>(page, 8138)->click();
    EXPECT_TRUE(env.ui.Messages().empty());
    ASSERT_TRUE(sim.WaitForEvents(jobs + 1, 5000, "job"));
    std::string printed;
    for (const auto& e : sim.Events())
        if (e.event == "job") printed = e.Field("printed");
    EXPECT_NE(printed.find("\"FONT\""), std::string::npos) << printed;
}

// Every fault of the simulator on the flash font query: the list holds at most the built-in faces
// and the fonts that arrived whole, and the page stays usable.
TEST(PclSim, FaultyFontListingsNeverBreakTheTypefaceList) {
    struct Case {
        const char* fault;
        int fonts; // what the list must hold; -1: whatever arrived whole
    };
    const Case cases[] = {{"delay=150", 5},     {"split=7", 5},  {"truncate=40", -1}, {"garbage", -1},
                          {"drop-after=1", -1}, {"no-reply", 0}, {"drop", 0},         {"stall", -1},
                          {"unasked", -1},      {"refuse", 0}};
    for (const auto& [fault, fonts] : cases) {
        SCOPED_TRACE(fault);
        tavtest::SimProcess sim("mono-pcl", {"--fault", fault});
        SimEnv env(sim);
        // A record of our own stands in for the settings query, which the faults would hit too:
        // the default is flash font 9, which a listing cut short may lack.
        PrinterSettings& ed = env.ctx.store.edited;
        ed.featureFlags = 0x80;
        ed.residentFontCount = 54;
        ed.fontNumber = 9;
        ed.pclPageValue = 1;
        env.ctx.store.reported = ed;
        CPclTab page(env.ctx);
        page.EnsureCreated();
        EXPECT_EQ(ComposeSettingsLines(env.ctx), std::vector<std::string>{"@PJL DEFAULT RESOLUTION = 600"})
            << "whatever arrived, the load changed nothing";
        auto* faces = Ctl<QComboBox>(page, 8041);
        ASSERT_GE(faces->count(), 54);
        EXPECT_LE(faces->count(), 54 + 5);
        if (fonts >= 0) {
            EXPECT_EQ(faces->count(), 54 + fonts);
        }
        for (int i = 54; i < faces->count(); ++i)
            EXPECT_NE(faces->itemText(i).indexOf("(ID: "), -1) << i;
        // Still usable: a built-in face is chosen and stored.
        Choose(faces, 7);
        EXPECT_EQ(ed.fontNumber, 7);
        EXPECT_TRUE(page.Control(8048)->isEnabled());
    }
}
