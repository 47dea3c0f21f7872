// The font and form manager page against the printer simulator through the real device library:
// fonts and forms stored on each target, listed, deleted, sizes as the page shows them, and the
// limit of 20 entries. Waits are recorded, never slept.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

#include "PageFixture.h"
#include "SimProcess.h"
#include "Type1Fonts.h"
#include "link/DeviceLibrary.h"
#include "pages/FmuPage.h"
#include "platform/Platform.h"
#include "storage/FileSend.h"
#include "storage/PsDownload.h"
#include "RecordingUiHost.h"

using namespace tav;

namespace {

std::string Profile(const std::string& dimmFiles, const std::string& hddForms) {
    return "[Model]\nName = Manager model\n[Settings]\nFEATUREFLAGS = 0x1\n"
           "[PSFileSystem]\nType = 3\nDimmTotalKB = 16384\nDimmFreeKB = 15872\n"
           "HddTotalKB = 19535040\nHddFreeKB = 19402112\n"
           "Fonts = %disk0%fonts/Courier 40960, %disk0%fonts/Optima 61440" +
           dimmFiles + "\nForms = " + hddForms + "\n";
}

struct FmuSim : ::testing::Test {
    void Start(const std::string& profile, const std::vector<std::string>& simArgs = {}) {
        env = std::make_unique<tavtest::PageEnv>("[Common]\nDebugMsg=0\n");
        env->home.Write("profile.ini", profile);
        sim = std::make_unique<tavtest::SimProcess>(env->home.dir + "profile.ini", simArgs);
        auto lib = std::shared_ptr<DlLibrary>(DlLibrary::Load("libqvdevm.so", tavtest::ShippedDataFolder()));
        ASSERT_TRUE(lib);
        ctx().link.Bind(lib, lib);
        ctx().cfg.deviceOverride = sim->DeviceName();
        ctx().WireLink();
        page = std::make_unique<CFMUTab>(ctx());
        page->SetFileSender([this](const std::string& path, const std::string& header) {
            return SendFile(ctx(), path, header, std::nullopt);
        });
        page->resize(page->TemplateSize());
    }
    AppContext& ctx() { return *env->ctx; }
    tavtest::HookedUiHost& ui() { return env->ui; }

    std::string File(const std::string& name, const std::string& bytes) {
        const std::string path = env->home.dir + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    void Download(const std::string& path) {
        ui().files.push_back(path);
        page->OnFmuButtonFiledialog();
        page->OnFmuButtonDownload();
    }
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        auto* list = static_cast<QTreeWidget*>(page->Control(1162));
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            rows.push_back(list->topLevelItem(i)->text(0).toStdString());
        return rows;
    }
    std::string Value(int id) const { return static_cast<QLabel*>(page->Control(id))->text().toStdString(); }

    std::unique_ptr<tavtest::PageEnv> env;
    std::unique_ptr<tavtest::SimProcess> sim;
    std::unique_ptr<CFMUTab> page;
};

using Entries = std::vector<FmuFileEntry>;

} // namespace

TEST_F(FmuSim, FontsAndFormsOnEachTargetAreStoredListedAndDeleted) {
    Start(Profile("", "%disk0%forms/Invoice 48213"));
    page->OnSetActive();
    EXPECT_EQ(page->TargetType(), FMU_SELECTED_TARGET_DIMM);
    EXPECT_TRUE(page->Entries().empty());
    EXPECT_EQ(Value(1168), "16,384");
    EXPECT_EQ(Value(1169), "512");
    EXPECT_EQ(Value(1170), "15,872");

    // All filter: the binary font goes as a font under its /FontName, the text file as a form.
    const std::string font = File("quill.pfb", tavtest::MakePfb("Quill-Bold", 3000));
    const std::string form = File("letter.ps", std::string(5000, 'L'));
    Download(font);
    Download(form);
    EXPECT_EQ(page->Entries(), (Entries{{"Quill-Bold", FMU_DATA_FONT}, {"letter.ps", FMU_DATA_FORM}}));
    page->OnFmuButtonRefresh();
    EXPECT_EQ(page->Entries(), (Entries{{"Quill-Bold", FMU_DATA_FONT}, {"letter.ps", FMU_DATA_FORM}}));
    // The converted font is 6000 digits in lines of 64 plus its text: 7 KB; the form 5 KB.
    EXPECT_EQ(Value(1170), "15,860");

    // Hard disk: a font with the font filter, a form whose name holds parentheses with the form filter.
    page->OnFmuRadioHdd();
    page->OnFmuButtonRefresh();
    EXPECT_EQ(page->Entries(),
              (Entries{{"Courier", FMU_DATA_FONT}, {"Optima", FMU_DATA_FONT}, {"Invoice", FMU_DATA_FORM}}));
    page->OnFmuRadioFont();
    Download(File("serif.pfa", tavtest::MakePfa("Serif-Book", 200)));
    page->OnFmuRadioForm();
    Download(File("My(Form) 1.ps", "%!PS\nshowpage\n"));
    Download(File("pfa-as-form.pfa", tavtest::MakePfa("NotAFont", 10)));
    page->OnFmuRadioAll();
    page->OnFmuButtonRefresh();
    const Entries onDisk = {{"Courier", FMU_DATA_FONT},       {"Optima", FMU_DATA_FONT},
                            {"Serif-Book", FMU_DATA_FONT},    {"Invoice", FMU_DATA_FORM},
                            {"My(Form) 1.ps", FMU_DATA_FORM}, {"pfa-as-form.pfa", FMU_DATA_FORM}};
    EXPECT_EQ(page->Entries(), onDisk);
    EXPECT_EQ(Rows().size(), 6u);
    EXPECT_EQ(Value(1168), "19,535,040");
    EXPECT_EQ(Value(1170), "19,402,109");

    // Filters only re-filter: no printer traffic.
    const size_t jobs = sim->Jobs().size();
    page->OnFmuRadioForm();
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Invoice", "My(Form) 1.ps", "pfa-as-form.pfa"}));
    page->OnFmuRadioAll();
    EXPECT_EQ(sim->Jobs().size(), jobs);

    // Three selected rows (Optima, Invoice, the name with parentheses) are deleted, nothing else.
    auto* list = static_cast<QTreeWidget*>(page->Control(1162));
    for (int row : {1, 3, 4})
        list->topLevelItem(row)->setSelected(true);
    ui().answers = {MsgResult::Yes};
    ui().Clear();
    page->OnFmuButtonDelete();
    size_t steps = 0;
    for (unsigned w : ui().Waits())
        steps += w == 100;
    EXPECT_EQ(steps, 3u * 80u);
    EXPECT_EQ(ui().Messages().size(), 1u); // the question only
    page->OnFmuButtonRefresh();
    EXPECT_EQ(page->Entries(), (Entries{{"Courier", FMU_DATA_FONT},
                                        {"Serif-Book", FMU_DATA_FONT},
                                        {"pfa-as-form.pfa", FMU_DATA_FORM}}));
    // Optima (60 KB), Invoice (48 KB) and the small form (1 KB) are free again.
    EXPECT_EQ(Value(1170), "19,402,218");
    bool sawParenDelete = false;
    for (const auto& job : sim->Jobs()) {
        const std::string text(job.begin(), job.end());
        sawParenDelete |= text.find("(%disk0%forms/My\\(Form\\) 1.ps) deletefile") != std::string::npos;
    }
    EXPECT_TRUE(sawParenDelete);

    // The memory target still holds its two files.
    page->OnFmuRadioMemory();
    page->OnFmuButtonRefresh();
    EXPECT_EQ(page->Entries(), (Entries{{"Quill-Bold", FMU_DATA_FONT}, {"letter.ps", FMU_DATA_FORM}}));
}

// A font's /FontName is one PostScript name, and only a name the file system can keep as one file
// in fonts/ is sent, whatever it goes as; the printer receives the receiving program for exactly
// that name, or nothing at all. A form's file name follows the same rule for "/" and "..".
TEST_F(FmuSim, FontNamesThroughTheSharedDownloadReachThePrinterAsNames) {
    Start(Profile("", ""));
    FmuLog log;
    FmuProtocol fmu(ctx(), log);
    struct Row {
        const char* what;
        std::string file; // a font made with that name, or a form's file name
        PsSendAs as;
        NameProblem problem;
        const char* stored; // the file the receiving program names, nullptr when nothing is sent
    } rows[] = {
        {"good", tavtest::MakePfb("Quill-Bold"), PsSendAs::Font, NameProblem::None, "%disk1%fonts/Quill-Bold"},
        {"def inside", tavtest::MakePfa("Undefined"), PsSendAs::Any, NameProblem::None, "%disk1%fonts/Undefined"},
        {"slashes", tavtest::MakePfa("../../forms/Invoice"), PsSendAs::Any, NameProblem::Slash, nullptr},
        {"dots", tavtest::MakePfb(".."), PsSendAs::Font, NameProblem::Dots, nullptr},
        {"blanks", tavtest::MakePfa("Two Words"), PsSendAs::Any, NameProblem::NotOneName, nullptr},
        {"empty", tavtest::MakePfa(""), PsSendAs::Font, NameProblem::Empty, nullptr},
        {"non-ASCII", tavtest::MakePfa("Caf\xC3\xA9"), PsSendAs::Font, NameProblem::NotPrintable, nullptr},
        {"a form's dots", "v1..v2.ps", PsSendAs::Form, NameProblem::Dots, nullptr},
        {"a form's bytes", "Rechnung-\xE4.ps", PsSendAs::Form, NameProblem::None, "%disk1%forms/Rechnung-\\344.ps"},
    };
    for (const Row& row : rows) {
        const bool form = row.as == PsSendAs::Form;
        const std::string path = File(form ? row.file : "font.bin", form ? "%!PS\nshowpage\n" : row.file);
        const size_t jobs = sim->Jobs().size();
        {
            PsDownload download(fmu, path, row.as, 0, &log);
            EXPECT_EQ(download.Problem(), row.problem) << row.what;
            if (!row.stored) {
                EXPECT_EQ(download.Step(), PsDownloadStep::BadName) << row.what;
                EXPECT_EQ(sim->Jobs().size(), jobs) << row.what << ": nothing at all goes to the printer";
                continue;
            }
            ASSERT_EQ(download.Step(), PsDownloadStep::Ready) << row.what;
            EXPECT_EQ(download.Send().status, SendStatus::Complete) << row.what;
            std::vector<FmuFileEntry> listing;
            EXPECT_EQ(download.Confirm(listing).verdict, Listed::Confirmed) << row.what;
        }
        std::string received;
        for (const auto& job : sim->Jobs())
            if (std::string text(job.begin(), job.end()); text.find("deletefile } stopped") != std::string::npos)
                received = text;
        EXPECT_NE(received.find(std::string("(") + row.stored + ")\r\ndup"), std::string::npos) << row.what << received;
        // The converted font went with the download.
        EXPECT_FALSE(std::filesystem::exists(PrivateTempFolder() + "fmutmp.pba")) << row.what;
    }
}

// A job the printer drops is found out by the lists read after it: the page says so and shows what
// the printer holds. Jobs: the page's check, lists and sizes (1 to 6), the delete (7), the lists
// (8 to 11) and sizes (12), the free space (13) and the font (14). The printer's wait after each
// dropped job lasts until the connection is closed, so the next job finds it closed.
TEST_F(FmuSim, WhatThePrinterDidNotTakeIsSaidAndTheListIsThePrinters) {
    Start(Profile(", %disk1%fonts/Garamond 100", ""), {"--fault", "job7:drop", "--fault", "job14:drop"});
    page->OnSetActive();
    ASSERT_EQ(page->Entries(), (Entries{{"Garamond", FMU_DATA_FONT}}));
    size_t closes = 1;
    ui().onWait = [&](unsigned ms) {
        if (ms == 100 || ms == kSendSettleWaitMs) sim->WaitForEvents(closes, 5000, "close");
    };
    static_cast<QTreeWidget*>(page->Control(1162))->topLevelItem(0)->setSelected(true);
    ui().answers = {MsgResult::Yes};
    ui().Clear();
    page->OnFmuButtonDelete();
    ASSERT_EQ(ui().Messages().size(), 2u); // the question, then what the listing says
    EXPECT_EQ(ui().Messages()[1].text,
              "The printer did not delete Garamond. The list shows what it holds.");
    EXPECT_EQ(page->Entries(), (Entries{{"Garamond", FMU_DATA_FONT}}));

    ui().Clear();
    closes = 2;
    Download(File("quill.pfb", tavtest::MakePfb("Quill-Bold")));
    ASSERT_EQ(ui().Messages().size(), 1u);
    EXPECT_EQ(ui().Messages()[0].text, "The printer did not store Quill-Bold. The list shows what it holds.");
    EXPECT_EQ(page->Entries(), (Entries{{"Garamond", FMU_DATA_FONT}}));
}

TEST_F(FmuSim, TwentyEntriesStopBrowse) {
    std::string forms;
    for (int i = 0; i < 16; ++i)
        forms += (i ? ", " : "") + std::string("%disk0%forms/F") + std::to_string(i) + " 100";
    Start(Profile(", %disk0%fonts/Garamond 100", forms));
    page->OnSetActive(); // starts on the memory target
    page->OnFmuRadioHdd();
    page->OnFmuButtonRefresh();
    ASSERT_EQ(page->Entries().size(), 19u);
    ui().Clear();
    ui().files.push_back(std::nullopt);
    page->OnFmuButtonFiledialog();
    ASSERT_EQ(ui().events.size(), 1u);
    EXPECT_EQ(ui().events[0].kind, RecordingUiHost::Kind::OpenFile);

    Download(File("twenty.ps", "%!PS\n"));
    ASSERT_EQ(page->Entries().size(), 20u);
    ui().Clear();
    page->OnFmuButtonFiledialog();
    ASSERT_EQ(ui().events.size(), 1u);
    EXPECT_EQ(ui().events[0].kind, RecordingUiHost::Kind::Message);
    EXPECT_EQ(ui().events[0].text, ctx().GetLangText("FMU", "IDS_LIMIT_FILE"));
}

TEST_F(FmuSim, PrinterFaultsShowTheErrorAndKeepTheListTrue) {
    struct Case {
        std::vector<std::string> args;
        bool managerOn; // CheckSystem read the storage
        size_t entries; // what the list shows after the first refresh
        bool errorBox;  // a failed exchange shows the printer box; a reply that is not the echo does not
    } cases[] = {
        {{"--fault", "split=7", "--split-pause-ms", "20"}, true, 2, false},
        {{"--fault", "truncate=20"}, false, 0, true},
        {{"--fault", "garbage"}, false, 0, false},
    };
    for (const Case& c : cases) {
        env.reset();
        page.reset();
        sim.reset();
        const std::string profile = Profile("", "");
        env = std::make_unique<tavtest::PageEnv>("[Common]\nDebugMsg=0\n");
        env->home.Write("profile.ini", profile);
        sim = std::make_unique<tavtest::SimProcess>(env->home.dir + "profile.ini", c.args);
        auto lib = std::shared_ptr<DlLibrary>(DlLibrary::Load("libqvdevm.so", tavtest::ShippedDataFolder()));
        ASSERT_TRUE(lib);
        ctx().link.Bind(lib, lib);
        ctx().cfg.deviceOverride = sim->DeviceName();
        ctx().WireLink();
        page = std::make_unique<CFMUTab>(ctx());
        page->OnSetActive();
        EXPECT_EQ(page->Control(1161)->isEnabled(), c.managerOn) << c.args[1];
        EXPECT_TRUE(page->Control(8057)->isEnabled()) << c.args[1];
        EXPECT_EQ(page->Entries().size(), 0u) << c.args[1]; // memory holds nothing
        page->OnFmuRadioHdd();
        if (c.managerOn) page->OnFmuButtonRefresh();
        EXPECT_EQ(page->Entries().size(), c.entries) << c.args[1];
        EXPECT_EQ(!ui().Messages().empty(), c.errorBox) << c.args[1];
    }
}

TEST_F(FmuSim, DiskOnlyPrinterDuplicatesReportAndErrorPrint) {
    std::string profile = Profile("", "%disk0%forms/Invoice 48213");
    profile.replace(profile.find("Type = 3"), 8, "Type = 2");
    Start(profile);
    page->OnSetActive();
    page->OnSetActive();
    auto* list = static_cast<QTreeWidget*>(page->Control(1162));
    EXPECT_EQ(list->columnCount(), 1);
    EXPECT_FALSE(page->Control(1156)->isEnabled());
    EXPECT_TRUE(page->Control(1157)->isEnabled());
    EXPECT_EQ(page->TargetType(), FMU_SELECTED_TARGET_HDD);
    EXPECT_EQ(page->Entries(),
              (Entries{{"Courier", FMU_DATA_FONT}, {"Optima", FMU_DATA_FONT}, {"Invoice", FMU_DATA_FORM}}));
    size_t checks = 0;
    for (const auto& job : sim->Jobs())
        checks += std::string(job.begin(), job.end()).find("INQUIRE PSFILESYS") != std::string::npos;
    EXPECT_EQ(checks, 2u);

    // A font of a name already listed as a font adds no row; a form of that name is its own row.
    Download(File("courier.pfa", tavtest::MakePfa("Courier", 20)));
    EXPECT_EQ(page->Entries().size(), 3u);
    page->OnFmuRadioForm();
    Download(File("Courier", "%!PS\n"));
    EXPECT_EQ(page->Entries().back(), (FmuFileEntry{"Courier", FMU_DATA_FORM}));
    EXPECT_EQ(page->Entries().size(), 4u);

    // A file that is not a font, with the font filter: refused before anything is sent.
    page->OnFmuRadioFont();
    const size_t jobs = sim->Jobs().size();
    ui().Clear();
    ui().files.push_back(File("notes.txt", "plain text"));
    page->OnFmuButtonFiledialog();
    page->OnFmuButtonDownload();
    ASSERT_EQ(ui().Messages().size(), 1u);
    EXPECT_NE(ui().Messages()[0].text.find(ctx().ProductTitle()), std::string::npos)
        << ui().Messages()[0].text;
    size_t sent = 0;
    for (const auto& job : sim->Jobs())
        sent += std::string(job.begin(), job.end()).find("%!PS") != std::string::npos;
    EXPECT_EQ(sent, 2u);                 // the two downloads above, nothing for the refused file
    EXPECT_GT(sim->Jobs().size(), jobs); // only the sizes, shown again after the run

    // Report and the font list print and wait ten seconds each.
    ui().Clear();
    const size_t before = sim->Jobs().size(); // the last exchange was answered, so all are logged
    page->OnFmuButtonReport();
    page->OnPs3Fontlist();
    EXPECT_EQ(ui().Waits(), (std::vector<unsigned>{10000, 1000, 10000}));
    ASSERT_TRUE(sim->WaitForEvents(before + 2, 5000, "job"));
    const auto last = sim->Jobs();
    EXPECT_NE(std::string(last[before].begin(), last[before].end()).find("TEST PRINT = PSFSFONT"),
              std::string::npos);
    EXPECT_NE(std::string(last[before + 1].begin(), last[before + 1].end()).find("TEST PRINT = PSFONT"),
              std::string::npos);

    // The error-print radios write the setting that Send sends.
    static_cast<QAbstractButton*>(page->Control(8125))->click();
    EXPECT_EQ(ctx().store.edited.prtPsErrs, 1);
}
