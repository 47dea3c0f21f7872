// The emulation pages against the printer simulator through the real device library: Send after
// changes on the Epson and Korean pages carries exactly the changed lines, the record read back
// reloads the pages, and the printer prints each page's font list.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "FakeDev.h"
#include "PageFixture.h"
#include "SettingsPageEnv.h"
#include "SimProcess.h"
#include "app/ButtonBarActions.h"
#include "pages/Sheet.h"
#include "pages/EpsonPage.h"
#include "pages/KoreanPages.h"
#include "pages/PostScriptPages.h"
#include "pjl/Pjl.h"
#include "pjl/Resolution.h"
#include "pjl/SettingsRecord.h"
#include "RecordingUiHost.h"

using namespace tav;
using settingspages::Choose;
using settingspages::Ctl;
using settingspages::FocusOut;

namespace {

const std::string kUel = "\x1b%-12345X";

std::string Job(const std::vector<std::string>& lines) {
    std::string job = kUel + "@PJL\r\n";
    for (const auto& l : lines)
        job += l + "\r\n";
    return job + "@PJL INFO PRINTER = ALL\r\n" + kUel;
}

std::string Text(const std::vector<uint8_t>& v) {
    return std::string(v.begin(), v.end());
}

struct SimEnv {
    explicit SimEnv(const std::vector<std::string>& faults = {}) {
        tavtest::QtApp();
        // A lock folder of our own: tests of other builds on this machine hold the shared one.
        setenv("QVDEVM_LOCK_DIR", home.dir.c_str(), 1);
        std::filesystem::remove(home.dir + "libqvdevm.so");
        std::filesystem::create_symlink(QVDEVM_PATH, home.dir + "libqvdevm.so");
        std::vector<std::string> args;
        for (const std::string& f : faults) {
            args.push_back("--fault");
            args.push_back(f);
        }
        sim = std::make_unique<tavtest::SimProcess>("color-ps", args);
        home.Write("comtav.ini",
                   "[Common]\nAPPNAME=0\nDeviceID=" + sim->DeviceName() +
                       "\n[TAB]\nEPSONIBM=1\n[EPSONIBM]\nFormLine=1\nTopMargin=1\nPITCHADD=1\n");
        ctx.cfg.configFilePath = home.dir + "comtav.ini";
        ctx.cfg.langFilePath = tavtest::ShippedDataFolder() + "lang/EN.ini";
        if (!ctx.link.Bind(false, home.dir)) throw std::runtime_error("device library did not load");
    }
    // Start-up's query and parse.
    bool Query() {
        if (!ctx.link.AcquirePort()) return false;
        const bool ok = QueryPrinterSettings(ctx) == 1 && LoadSettingsRecord(ctx);
        ctx.link.ReleasePort();
        return ok;
    }
    template <typename Page> std::unique_ptr<Page> Open() {
        auto page = std::make_unique<Page>(ctx);
        page->EnsureCreated();
        return page;
    }
    std::vector<tavtest::SimEvent> JobEvents() const {
        std::vector<tavtest::SimEvent> out;
        for (auto& ev : sim->Events())
            if (ev.event == "job") out.push_back(ev);
        return out;
    }

    tavtest::FakeHome home;
    RecordingUiHost ui;
    AppContext ctx{ui};
    std::unique_ptr<tavtest::SimProcess> sim;
};

} // namespace

TEST(EmulationSim, SendCarriesExactlyTheChangedEmulationLinesAndReloadsThePages) {
    SimEnv env;
    ASSERT_TRUE(env.Query());
    const uint32_t bits = kFlagEpson | kFlagKs5843 | kFlagKssm | kFlagKs5895;
    ASSERT_EQ(env.ctx.store.edited.featureFlags & bits, bits);
    auto epson = env.Open<CEpsonTab>();
    auto ks = env.Open<CKs5843Tab>();
    auto kssm = env.Open<CPsTab>();
    auto ks95 = env.Open<CKs5895Tab>();
    EXPECT_EQ(Ctl<QLineEdit>(*epson, 8103)->text(), "66");

    Ctl<QLineEdit>(*ks, 8073)->setText("250");
    FocusOut(Ctl<QLineEdit>(*ks, 8073));
    Choose(Ctl<QComboBox>(*ks, 8036), 2);
    Choose(Ctl<QComboBox>(*kssm, 8087), 3);
    Choose(Ctl<QComboBox>(*kssm, 8085), 3);
    Choose(Ctl<QComboBox>(*epson, 8134), 2);
    auto* formLines = Ctl<QLineEdit>(*epson, 8103);
    formLines->setText("200");
    emit formLines->textEdited("200");
    Ctl<QLineEdit>(*ks95, 8110)->setText("12");
    FocusOut(Ctl<QLineEdit>(*ks95, 8110));
    Choose(Ctl<QComboBox>(*ks95, 8104), 1);
    // Changed and changed back: not sent.
    Choose(Ctl<QComboBox>(*kssm, 8074), 1);
    Choose(Ctl<QComboBox>(*kssm, 8074), 0);

    const std::vector<std::pair<PageId, TavPage*>> pages = {{PageId::Epson, epson.get()},
                                                            {PageId::Ks5843, ks.get()},
                                                            {PageId::Kssm, kssm.get()},
                                                            {PageId::Ks5895, ks95.get()}};
    std::vector<PageId> reloaded;
    ButtonBarActions bar(env.ctx, [&] {
        RefreshPages(env.ctx, [&](PageId id) {
            reloaded.push_back(id);
            for (auto& [pid, page] : pages)
                if (pid == id) page->LoadFromSettings();
        });
    });
    ASSERT_EQ(bar.Send(), 1);
    ASSERT_TRUE(env.sim->WaitForEvents(2, 5000, "job"));
    const auto jobs = env.JobEvents();
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(
        Text(jobs[1].bytes),
        Job({"@PJL DEFAULT KSZOOM = 200", "@PJL DEFAULT KSPITCH = 13.3", "@PJL DEFAULT RESOLUTION = 600",
             "@PJL DEFAULT KSSMFONT = GULLIM", "@PJL DEFAULT KSSMLPI = 8", "@PJL DEFAULT EPSONPITCH = 12",
             "@PJL DEFAULT EPSONFORMLINE = 128", "@PJL DEFAULT KSC5895PTSIZE = 12.00",
             "@PJL DEFAULT KSC5895HANGULCODE = JOHAP"}));
    EXPECT_EQ(jobs[1].Field("notes"), "") << jobs[1].raw; // the printer took every line
    EXPECT_TRUE(env.ui.Messages().empty());

    // The record read back holds the new values, and every page shows them again.
    EXPECT_EQ(env.ctx.store.reported, env.ctx.store.edited);
    EXPECT_EQ(env.ctx.store.reported.epsonFormLine, 128);
    EXPECT_EQ(env.ctx.store.reported.ksc5895PtSize, 48);
    for (PageId id : {PageId::Ks5843, PageId::Kssm, PageId::Ks5895, PageId::Epson})
        EXPECT_NE(std::find(reloaded.begin(), reloaded.end(), id), reloaded.end()) << PageClassName(id);
    EXPECT_EQ(formLines->text(), "128");
    EXPECT_EQ(Ctl<QLineEdit>(*ks95, 8110)->text(), "12.00");
}

// Each list button by its click, the names as the printer received them: two buttons or two names
// swapped print the wrong list.
TEST(EmulationSim, ThePrinterPrintsEachFontList) {
    SimEnv env;
    ASSERT_TRUE(env.Query());
    auto epson = env.Open<CEpsonTab>();
    auto ks = env.Open<CKs5843Tab>();
    auto kssm = env.Open<CPsTab>();
    auto ks95 = env.Open<CKs5895Tab>();
    auto ps3 = env.Open<CPostS3>();
    auto ps4 = env.Open<CPostS4>();
    Ctl<QPushButton>(*ps4, 8156)->click(); // the form list, which enables the form page's prints
    const size_t asked = env.JobEvents().size();
    Ctl<QPushButton>(*epson, 8067)->click();
    Ctl<QPushButton>(*ks, 8078)->click();
    Ctl<QPushButton>(*kssm, 8063)->click();
    Ctl<QPushButton>(*ks95, 8107)->click();
    for (auto [page, id] :
         {std::pair<TavPage*, int>{ps3.get(), 8057}, {ps3.get(), 8065}, {ps4.get(), 8088}, {ps4.get(), 8057}})
        Ctl<QPushButton>(*page, id)->click();
    ASSERT_TRUE(env.sim->WaitForEvents(asked + 8, 5000, "job"));
    std::vector<std::string> printed;
    for (const auto& j : env.JobEvents())
        if (!j.Field("printed").empty()) printed.push_back(j.Field("printed"));
    EXPECT_EQ(printed, (std::vector<std::string>{"[\"EPSONFONT\"]", "[\"KSFONT\"]", "[\"KSSMFONT\"]",
                                                 "[\"KSC5895FONT\"]", "[\"PSFONT\"]", "[\"FLASHPSDIR\"]",
                                                 "[\"PSFSFONT\"]", "[\"PSFONT\"]"}));
    for (const auto& j : env.JobEvents())
        EXPECT_EQ(j.Field("notes"), "") << j.raw;
    EXPECT_TRUE(env.ui.Messages().empty());
}

TEST(EmulationSim, APrinterThatFailsGetsTheCommonFailureBox) {
    // No reply to the settings job: Send fails and the pages keep what the user chose.
    {
        SimEnv env({"no-reply"});
        env.ctx.store.edited.featureFlags = kFlagKssm;
        env.ctx.store.reported = env.ctx.store.edited;
        auto kssm = env.Open<CPsTab>();
        Choose(Ctl<QComboBox>(*kssm, 8087), 2);
        ButtonBarActions bar(env.ctx, [] { ADD_FAILURE() << "no reload after a failed Send"; });
        EXPECT_EQ(bar.Send(), 0);
        ASSERT_EQ(env.ui.Messages().size(), 1u);
        EXPECT_EQ(env.ui.Messages()[0].text, "The printer could not be reached. Please try again.");
        EXPECT_EQ(env.ctx.store.edited.kssmFont, 2);
        EXPECT_EQ(Ctl<QComboBox>(*kssm, 8087)->currentIndex(), 2);
    }
    // A printer that refuses the connection: the font-list print reports it and waits no 10 s.
    {
        SimEnv env({"refuse"});
        auto epson = env.Open<CEpsonTab>();
        Ctl<QPushButton>(*epson, 8067)->click();
        ASSERT_EQ(env.ui.Messages().size(), 1u);
        EXPECT_EQ(env.ui.Messages()[0].text, "The printer could not be reached. Please try again.\nThe printer " +
                                                 env.ctx.DeviceName() +
                                                 " refused the connection (connection refused). Check the port number.");
        EXPECT_TRUE(env.ui.Waits().empty());
        EXPECT_EQ(env.ui.waitCursorDepth, 0);
    }
}
