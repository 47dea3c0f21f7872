// Each printer operation of the window program against the simulated printer's faults, in process
// through the real device library, one row a pair: the messages the user is owed, no wait past
// the protocol's own, the port free afterwards, the user's edits kept, and the printer changed
// exactly when the job reached it.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>

#include "FaultHome.h"
#include "PortLockFile.h"
#include "PageFixture.h"
#include "SettingsPageEnv.h"
#include "SimProcess.h"
#include "app/MainWindow.h"
#include "pages/CheckPage.h"
#include "pages/TestPrints.h"
#include "pjl/Pjl.h"
#include "pjl/SettingsRecord.h"
#include "pjl/Startup.h"

using namespace tav;

namespace {

enum class Op { Startup, Send, Default, Check, TestPrint, RunNow };

// A message of the language file, by section and key; with the reason the device library gives
// for a printer that refuses the connection on a line of its own.
struct Said {
    const char* section;
    const char* key;
    bool refused = false;
};
const Said kNotRespond{"STRING", "IDS_NOT_RESPOND"};
const Said kPrinterError{"STRING", "IDS_ERRORSTRING"};
const Said kPortBusy{"COMMON", "IDS_STRING107"};
const Said kNotRespondRefused{"STRING", "IDS_NOT_RESPOND", true};
const Said kPrinterErrorRefused{"STRING", "IDS_ERRORSTRING", true};

struct Row {
    const char* name;
    Op op;
    std::vector<std::string> faults; // job1 is start-up's query, job2 the operation's (Default: job3, after a good Send)
    std::vector<Said> said;          // every message the user sees, in order
    bool reached = false;            // the operation's job ran on the printer
    StartupOutcome outcome = StartupOutcome::Ran;
    bool unreachable = false;        // after start-up the printer refuses every connection
    bool refresh = false;            // Refresh after the operation
    bool holdPort = false;           // another program holds the port lock throughout start-up
    size_t print = 0;                // the test print: its place in kTestPrints
};

void PrintTo(const Row& row, std::ostream* os) {
    *os << row.name;
}

// The edit every Send row makes on the Printing page, as the user types it.
const int kCopiesEdit = 8005;
const uint16_t kEditedCopies = 2;

// The longest wait an operation owes the protocol: start-up's 2 s and the test print's 1 s before
// the printer's time to print its list. The waits are not spent, so more was asked by a retry.
const unsigned kMostWaitMs = 3000 + kListPrintWaitMs;

// Replies in pieces of 64 bytes: a few pauses of the simulator's, each shorter than the quiet
// time that ends a read.
const Row kRows[] = {
    // start-up: the settings query
    {"StartupNoReply", Op::Startup, {"job1:no-reply"}, {kNotRespond}, false, StartupOutcome::NoResponse},
    {"StartupShortReply", Op::Startup, {"job1:truncate=5"}, {kNotRespond}, false, StartupOutcome::NoResponse},
    {"StartupGarbage", Op::Startup, {"job1:garbage=41"}, {kNotRespond}, false, StartupOutcome::NoResponse},
    {"StartupDropped", Op::Startup, {"job1:drop"}, {kNotRespond}, false, StartupOutcome::NoResponse},
    {"StartupRefused", Op::Startup, {"refuse"}, {kNotRespondRefused}, false, StartupOutcome::NoResponse},
    {"StartupStalledReader", Op::Startup, {"stall"}, {kNotRespond}, false, StartupOutcome::NoResponse},
    {"StartupLateReply", Op::Startup, {"job1:delay=250"}, {}},
    {"StartupReplyInPieces", Op::Startup, {"job1:split=64"}, {}},
    {"StartupUnaskedStatus", Op::Startup, {"job1:unasked"}, {}},
    {"StartupPortHeld", Op::Startup, {}, {kPortBusy}, false, StartupOutcome::PortBusy, false, false, true},
    // Send: the job's closing query brings the record back. A Refresh after a failed Send finds
    // what the reply buffer holds: nothing (no reply), or still start-up's record (no connection).
    {"SendNoReplyThenRefresh", Op::Send, {"job2:no-reply"}, {kPrinterError, kPrinterError}, true,
     StartupOutcome::Ran, false, true},
    {"SendShortReply", Op::Send, {"job2:truncate=5"}, {kPrinterError}, true},
    {"SendGarbage", Op::Send, {"job2:garbage=53"}, {kPrinterError}, true},
    {"SendDropped", Op::Send, {"job2:drop"}, {kPrinterError}, false},
    {"SendUnreachableThenRefresh", Op::Send, {}, {kPrinterErrorRefused}, false, StartupOutcome::Ran, true, true},
    {"SendReplyInPieces", Op::Send, {"job2:split=64"}, {}, true},
    {"SendUnaskedStatus", Op::Send, {"job1:unasked", "job2:unasked"}, {}, true},
    // Default, after a good Send changed the printer
    {"DefaultShortReply", Op::Default, {"job3:truncate=5"}, {kPrinterError}, true},
    {"DefaultDropped", Op::Default, {"job3:drop"}, {kPrinterError}, false},
    {"DefaultReplyInPieces", Op::Default, {"job3:split=64"}, {}, true},
    // the Check page's report, read when the page is first shown
    {"CheckNoReply", Op::Check, {"job2:no-reply"}, {kNotRespond}, true},
    {"CheckDropped", Op::Check, {"job2:drop"}, {kNotRespond}, false},
    {"CheckReplyInPieces", Op::Check, {"job2:split=64"}, {}, true},
    // A test print has no reply: only a printer that cannot be reached fails it.
    {"TestPrintConfigUnreachable", Op::TestPrint, {}, {kPrinterErrorRefused}, false, StartupOutcome::Ran, true},
    {"TestPrintDemoUnreachable", Op::TestPrint, {}, {kPrinterErrorRefused}, false, StartupOutcome::Ran, true, false, false, 1},
    {"TestPrintMenuMapUnreachable", Op::TestPrint, {}, {kPrinterErrorRefused}, false, StartupOutcome::Ran, true, false, false, 2},
    {"TestPrintDuplexDemoUnreachable", Op::TestPrint, {}, {kPrinterErrorRefused}, false, StartupOutcome::Ran, true, false, false, 3},
    // A dropped print is reported sent: only the printer knows nothing came. Status that start-up
    // did not ask for is not taken for anything.
    {"TestPrintConfigDropped", Op::TestPrint, {"job2:drop"}, {}, false},
    {"TestPrintDemoUnaskedStatus", Op::TestPrint, {"job1:unasked"}, {}, true, StartupOutcome::Ran, false, false, false, 1},
    // automatic colour registration: one job, nothing edited
    {"RunNowUnreachable", Op::RunNow, {}, {kPrinterErrorRefused}, false, StartupOutcome::Ran, true},
    {"RunNowUnaskedStatus", Op::RunNow, {"job1:unasked"}, {}, true},
};

// The PJL line that marks the operation's job in the simulator's log.
std::string JobLine(const Row& row) {
    switch (row.op) {
    case Op::Send:
        return "DEFAULT COPIES = " + std::to_string(kEditedCopies);
    case Op::Default:
        return "INITIALIZE";
    case Op::Check:
        return "INFO INFORMATION=ALL";
    case Op::TestPrint:
        return std::string("TEST PRINT = ") + kTestPrints[row.print].pageName;
    case Op::RunNow:
        return "DEFAULT CALIBRATION = RUNNOW";
    case Op::Startup:
        break;
    }
    return {}; // start-up's rows end before the log is read
}

class WindowFaultMatrix : public ::testing::TestWithParam<Row> {
  protected:
    void SetUp() override {
        tavtest::QtApp();
        namespace fs = std::filesystem;
        const std::string data = tavtest::ShippedDataFolder();
        fs::copy_file(data + "langinfo.ini", home.dir + "langinfo.ini");
        fs::copy(data + "lang", home.dir + "lang", fs::copy_options::recursive);
        tavtest::UseRealDeviceLibrary(home.dir);
        // Before the library is bound: it reads its settings once per link. Every row runs in a
        // process of its own.
        for (const auto& [name, value] : tavtest::FaultEnv(home.dir))
            setenv(name.c_str(), value.c_str(), 1);
    }
    void Point(const tavtest::SimProcess& sim) {
        home.Write("comtav.ini", "[Common]\nDeviceID=" + sim.DeviceName() +
                                     "\nRefresh=1\n[TAB]\nPrinting=1\nTest=1\nColor=1\nCheck=1\n"
                                     "[TEST]\nSelfTest=1\nDemo=1\nMenuMAP=1\n2SideDemo=1\n");
    }
    tavtest::FakeHome home;
    RecordingUiHost ui;
};

TEST_P(WindowFaultMatrix, TheUserHearsTheRightThingAndNothingIsLost) {
    const Row& row = GetParam();
    tavtest::SimProcess sim("color-ps", tavtest::FaultOptions(row.faults));
    Point(sim);
    std::optional<tavtest::PortHold> held;
    if (row.holdPort) {
        held.emplace(home.dir);
        ASSERT_TRUE(held->Held());
    }
    const auto start = std::chrono::steady_clock::now();
    StartupHooks hooks;
    hooks.loadSettingsRecord = [](AppContext& ctx) { return LoadSettingsRecord(ctx); };
    Application app(ui, hooks);
    const StartupOutcome outcome = app.InitInstance(home.dir);
    held.reset();
    AppContext& ctx = app.Context();
    EXPECT_EQ(outcome, row.outcome);

    std::unique_ptr<MainWindow> window;
    std::unique_ptr<tavtest::SimProcess> refusing;
    PrinterSettings before;
    std::string pageCopies; // what the Printing page shows once the operation is over
    if (row.op != Op::Startup) {
        ASSERT_EQ(outcome, StartupOutcome::Ran);
        MainWindow::Options options;
        options.listenForQuit = false;
        window = std::make_unique<MainWindow>(ctx, options);
        MainWindow& w = *window;
        TavPage* printing = w.Page(PageId::Printing);
        auto* copies = settingspages::Ctl<QLineEdit>(*printing, kCopiesEdit);
        ASSERT_NE(copies, nullptr);
        auto open = [&w](PageId id) -> TavPage& {
            const auto& tabs = w.Tabs();
            w.Sheet()->setCurrentIndex(static_cast<int>(std::find(tabs.begin(), tabs.end(), id) - tabs.begin()));
            return *w.Page(id);
        };
        if (row.op == Op::Send || row.op == Op::Default) {
            copies->setText(QString::number(kEditedCopies));
            settingspages::FocusOut(copies);
            ASSERT_EQ(ctx.store.edited.copies, kEditedCopies);
        }
        if (row.op == Op::Default) {
            w.Button(kIdSend)->click();
            ASSERT_TRUE(ui.Messages().empty());
            ASSERT_EQ(ctx.store.reported.copies, kEditedCopies);
        }
        before = ctx.store.reported;
        const PrinterSettings edited = ctx.store.edited;
        if (row.unreachable) {
            refusing = std::make_unique<tavtest::SimProcess>("color-ps", std::vector<std::string>{"--fault", "refuse"});
            Point(*refusing);
        }
        const bool failed = !row.said.empty();
        switch (row.op) {
        case Op::Send:
        case Op::Default:
            w.Button(row.op == Op::Send ? kIdSend : kIdDefault)->click();
            // A failed exchange keeps both instances as they were; a good one holds the record
            // read back in both, which the pages show.
            if (failed) {
                EXPECT_EQ(ctx.store.reported, before);
                EXPECT_EQ(ctx.store.edited, edited);
            } else {
                EXPECT_EQ(ctx.store.edited, ctx.store.reported);
                EXPECT_EQ(ctx.store.reported.copies != kEditedCopies, row.op == Op::Default);
            }
            EXPECT_EQ(copies->text().toStdString(), std::to_string(ctx.store.edited.copies));
            break;
        case Op::Check: {
            auto& check = static_cast<CCheck&>(open(PageId::Check));
            for (const CCheck::RowDef& r : CCheck::Rows()) {
                const auto which = static_cast<CCheck::Row>(&r - CCheck::Rows().data());
                EXPECT_EQ(check.Value(which).empty(), failed) << r.labelKey;
            }
            break;
        }
        case Op::TestPrint: {
            auto* button = settingspages::Ctl<QPushButton>(open(PageId::Test), kTestPrints[row.print].controlId);
            ASSERT_NE(button, nullptr);
            ASSERT_TRUE(button->isEnabled());
            button->click();
            // The printer's time to print its list is asked of the UiHost, and only after a
            // print that went out.
            const auto waits = ui.Waits();
            EXPECT_EQ(std::count(waits.begin(), waits.end(), kListPrintWaitMs), failed ? 0 : 1);
            break;
        }
        case Op::RunNow: {
            auto* button = settingspages::Ctl<QPushButton>(open(PageId::Color), 8158);
            ASSERT_NE(button, nullptr);
            button->click();
            EXPECT_EQ(ctx.store.edited, edited);
            break;
        }
        case Op::Startup:
            break;
        }
        if (row.refresh) w.Button(kIdRefresh)->click();
        EXPECT_TRUE(w.Actions().Idle());
        pageCopies = copies->text().toStdString();
    }
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::vector<std::string> said;
    for (const auto& m : ui.Messages())
        said.push_back(m.text);
    std::vector<std::string> owed;
    for (const Said& s : row.said) {
        owed.push_back(ctx.GetLangText(s.section, s.key));
        ASSERT_FALSE(owed.back().empty()) << s.section << "/" << s.key;
        if (s.refused)
            owed.back() += "\n" + FillLangText(ctx.GetLangText("STRING", "IDS_DEV_REFUSED"),
                                               {ctx.DeviceName(), "connection refused"});
    }
    EXPECT_EQ(said, owed);
    EXPECT_LE(ui.TotalWaitMs(), kMostWaitMs);
    EXPECT_EQ(ui.waitCursorDepth, 0);
    // Read timeouts, with room; far past that is a hang.
    EXPECT_LT(took, 8.0);
    EXPECT_TRUE(tavtest::PortFree(home.dir));
    if (row.op == Op::Startup) return;

    // The program waits for the printer after a job that has no answer; the test does not, so it
    // waits for the simulator to take the job, and to close a connection it drops.
    if (!row.unreachable) {
        ASSERT_TRUE(sim.WaitForEvents(row.op == Op::Default ? 3 : 2, 5000, "job"));
        const bool drops = std::any_of(row.faults.begin(), row.faults.end(), [](const std::string& f) {
            return f.size() >= 5 && f.compare(f.size() - 5, 5, ":drop") == 0;
        });
        if (drops) {
            ASSERT_TRUE(sim.WaitForEvents(1, 5000, "close"));
        }
    }
    // The printer, asked afresh: its settings changed only when a Send or Default reached it,
    // and with the job answered the simulator has logged every job before it.
    Point(sim);
    ASSERT_TRUE(ctx.link.AcquirePort());
    const int answered = QueryPrinterSettings(ctx);
    ctx.link.ReleasePort();
    ASSERT_EQ(answered, 1);
    ASSERT_TRUE(LoadSettingsRecord(ctx));
    const PrinterSettings& now = ctx.store.reported;
    const bool setsSettings = row.op == Op::Send || row.op == Op::Default;
    EXPECT_EQ(!(now == before), setsSettings && row.reached);
    // After a Refresh the pages show what the printer holds.
    if (row.refresh) {
        EXPECT_EQ(pageCopies, std::to_string(now.copies));
    }
    int arrived = 0, ran = 0, printed = 0;
    for (const auto& e : sim.Events()) {
        if (e.event != "job" || e.Field("cmds").find("\"" + JobLine(row) + "\"") == std::string::npos) continue;
        ++arrived;
        ran += e.Field("notes").find("dropped") == std::string::npos;
        printed += e.Field("printed").find(std::string("\"") + kTestPrints[row.print].pageName + "\"") != std::string::npos;
    }
    // One job, never a retry; it ran exactly when it reached the printer.
    EXPECT_EQ(arrived, row.unreachable ? 0 : 1);
    EXPECT_EQ(ran, row.reached ? 1 : 0);
    if (row.op == Op::TestPrint) {
        EXPECT_EQ(printed, row.reached ? 1 : 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Window, WindowFaultMatrix, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
