// The flash fonts and macros page, the PostScript form page and tavctl's flash commands against
// the printer simulator through the real device library: what is downloaded is listed, the red
// macro row follows the printer, deletes empty the lists, and every job is its exact bytes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "PageFixture.h"
#include "ScriptedDevice.h"
#include "SimProcess.h"
#include "cli/FlashCommands.h"
#include "cli/Output.h"
#include "pages/DownloadPage.h"
#include "pages/PostScriptPages.h"
#include "pjl/Pjl.h"
#include "pjl/SettingsRecord.h"
#include "storage/FileSend.h"
#include "storage/FlashCore.h"
#include "storage/SendProgressDlg.h"
#include "RecordingUiHost.h"

using namespace tav;
using tavtest::Pattern;
using tavtest::TempFile;

namespace {
const std::string kUel = "\x1b%-12345X";

// A program folder with the shipped texts, the real device library and a context on the simulator.
struct SimEnv {
    SimEnv(const std::string& profile, const std::vector<std::string>& faults = {}, bool loadSettings = true)
        : sim(profile, faults) {
        namespace fs = std::filesystem;
        tavtest::QtApp();
        const std::string data = tavtest::ShippedDataFolder();
        fs::copy(data + "lang", home.dir + "lang", fs::copy_options::recursive);
        // The port lock of a folder of our own, so tests running side by side never share it.
        ::setenv("XDG_RUNTIME_DIR", home.dir.c_str(), 1);
        fs::remove(home.dir + "libqvdevm.so");
        fs::create_symlink(QVDEVM_PATH, home.dir + "libqvdevm.so");
        home.Write("comtav.ini",
                   "[Common]\nDeviceID=" + sim.DeviceName() + "\n[FLASH]\nEnableMacro=1\nDisableMacro=1\n");
        ctx = std::make_unique<AppContext>(ui);
        ctx->cfg.programFolder = home.dir;
        ctx->cfg.configFilePath = home.dir + "comtav.ini";
        ctx->cfg.langFilePath = home.dir + "lang/EN.ini";
        ctx->WireLink();
        if (!ctx->link.Bind(false, home.dir)) throw std::runtime_error("device library did not load");
        if (loadSettings && (!QueryPrinterSettings(*ctx) || !LoadSettingsRecord(*ctx)))
            throw std::runtime_error("no settings record");
    }
    std::vector<std::string> JobsText() const {
        std::vector<std::string> out;
        for (const auto& j : sim.Jobs())
            out.emplace_back(j.begin(), j.end());
        return out;
    }
    // Whether some job the simulator received is exactly these bytes; its log may lag a little.
    bool Received(const std::string& bytes) const {
        for (int attempt = 0; attempt < 40; ++attempt) {
            for (const std::string& j : JobsText())
                if (j == bytes) return true;
            sim.WaitForEvents(sim.Events().size() + 1, 50);
        }
        return false;
    }
    tavtest::SimProcess sim;
    tavtest::FakeHome home;
    tavtest::HookedUiHost ui;
    std::unique_ptr<AppContext> ctx;
};

// Plays the user in the modal dialogs: picks the file and ID in Select File, presses OK when
// the progress dialog is done.
struct ModalUser {
    explicit ModalUser(std::string path, std::string id = {}) : path(std::move(path)), id(std::move(id)) {
        timer.setInterval(2);
        QObject::connect(&timer, &QTimer::timeout, [this] { Act(); });
        timer.start();
    }
    void Act() {
        QWidget* w = QApplication::activeModalWidget();
        if (auto* select = qobject_cast<CSelectFileDlg*>(w)) {
            selectShown = true;
            // The Browse button's dialog answers from the UiHost's script.
            ui->files = {path};
            select->OnBrowse();
            auto* edit = qobject_cast<QLineEdit*>(select->Control(1143));
            edit->setText(QString::fromStdString(id));
            select->OnSend();
        } else if (auto* progress = qobject_cast<CSendProgressDlg*>(w)) {
            if (!progress->TransferDone()) return;
            status = progress->Result().status;
            qobject_cast<QPushButton*>(progress->Control(8059))->click();
        }
    }
    std::string path, id;
    tav::RecordingUiHost* ui = nullptr;
    QTimer timer;
    bool selectShown = false;
    std::optional<SendStatus> status;
};

// A soft font that names itself in its descriptor, as the printer lists it.
std::string SoftFont(const std::string& name) {
    std::string desc(64, '\0');
    desc[14] = 0x01, desc[15] = 0x15; // symbol set 8U
    for (size_t i = 0; i < name.size(); ++i)
        desc[48 + i] = name[i];
    return "\x1b)s64W" + desc + Pattern(5000);
}

std::vector<QString> Column(const QTreeWidget* list, int column) {
    std::vector<QString> out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out.push_back(list->topLevelItem(i)->text(column));
    return out;
}

int RowOf(const QTreeWidget* list, const QString& id) {
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->text(1) == id) return i;
    return -1;
}

// The program waits its fixed time after a job that has no answer, and the printer closes a
// connection it drops meanwhile; the test's waits take no time, so they wait for that close.
void AwaitDropClose(const tavtest::SimProcess& sim) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        for (const auto& e : sim.Events())
            if (e.event == "close" && e.Field("reason") == "drop") return;
        sim.WaitForEvents(sim.Events().size() + 1, 50);
    }
}

void Select(QTreeWidget* list, int row) {
    list->clearSelection();
    list->topLevelItem(row)->setSelected(true);
}
} // namespace

TEST(FlashPageSimTest, DownloadListEnableAndDelete) {
    SimEnv env("mono-pcl");
    CDownload page(*env.ctx);
    page.EnsureCreated();
    page.OnSetActive();
    EXPECT_EQ(Column(page.FontList(), 1), (std::vector<QString>{"20", "21", "22", "300", "4096"}));
    EXPECT_EQ(Column(page.MacroList(), 1), (std::vector<QString>{"1", "2", "7", "300"}));
    EXPECT_EQ(page.MacroList()->RowColor(2), QColor(255, 0, 0)); // 7 is the printer's active macro
    EXPECT_EQ(page.MacroList()->RowColor(0), QColor(0, 0, 255));
    EXPECT_TRUE(page.Control(8050)->isEnabled());

    // A font, then a macro, each downloaded under its ID.
    const std::string font = SoftFont("Test Sans"), macro = Pattern(4096);
    TempFile fontFile(font, "font.sfp"), macroFile(macro, "macro.mac");
    {
        ModalUser user(fontFile.path, "555");
        user.ui = &env.ui;
        page.OnAddFont();
        EXPECT_TRUE(user.selectShown);
        EXPECT_EQ(user.status, SendStatus::Complete);
    }
    EXPECT_GE(RowOf(page.FontList(), "555"), 0); // the printer's listing, read again at once
    EXPECT_TRUE(page.Control(8050)->isEnabled());
    {
        ModalUser user(macroFile.path, "42");
        user.ui = &env.ui;
        page.OnAddMacro();
        EXPECT_EQ(user.status, SendStatus::Complete);
    }
    EXPECT_TRUE(env.Received(FontDownloadHeader(555) + font + kUel));
    EXPECT_TRUE(env.Received(MacroDownloadHeader(42) + macro + "\x1b&f1X" + kUel));
    const int fontRow = RowOf(page.FontList(), "555");
    ASSERT_GE(fontRow, 0);
    EXPECT_EQ(page.FontList()->topLevelItem(fontRow)->text(2), "Test Sans");
    EXPECT_EQ(page.FontList()->topLevelItem(fontRow)->text(3), "8U");
    const int macroRow = RowOf(page.MacroList(), "42");
    ASSERT_GE(macroRow, 0);

    // Enable it: the selected row counts, not the row last clicked (keys select without a click);
    // the red row moves there with the listing that follows.
    Select(page.MacroList(), RowOf(page.MacroList(), "1"));
    page.OnMacroClicked();
    Select(page.MacroList(), macroRow);
    page.OnEnableMacro();
    EXPECT_TRUE(env.Received(kUel + "@PJL\r\n@PJL FSMACROID = 42\r\n" + kUel));
    EXPECT_EQ(ActiveMacroId(*env.ctx), 42);
    EXPECT_EQ(page.MacroList()->RowColor(RowOf(page.MacroList(), "42")), QColor(255, 0, 0));
    EXPECT_EQ(page.MacroList()->RowColor(RowOf(page.MacroList(), "7")), QColor(0, 0, 255));

    // Delete one font (Yes), then refuse a delete-all (No): nothing is sent for the No.
    Select(page.FontList(), fontRow);
    env.ui.answers = {MsgResult::Yes, MsgResult::No};
    page.OnDeleteFont();
    EXPECT_TRUE(env.Received(kUel + "@PJL\r\n@PJL FSDELETEFONT = 555\r\n" + kUel));
    EXPECT_EQ(RowOf(page.FontList(), "555"), -1);
    const size_t jobs = env.sim.Jobs().size();
    page.OnDeleteAll();
    EXPECT_EQ(env.sim.Jobs().size(), jobs);
    page.OnRefresh();
    EXPECT_EQ(RowOf(page.FontList(), "555"), -1); // the printer agrees

    // Clear the macro, then delete everything.
    page.OnDisableMacro();
    EXPECT_EQ(ActiveMacroId(*env.ctx), kNoActiveMacro);
    env.ui.answers = {MsgResult::Yes};
    page.OnDeleteAll();
    EXPECT_TRUE(env.Received(kUel + "@PJL\r\n@PJL FSDELETEALL\r\n" + kUel));
    page.OnRefresh();
    EXPECT_EQ(page.FontList()->topLevelItemCount(), 0);
    EXPECT_EQ(page.MacroList()->topLevelItemCount(), 0);
    EXPECT_TRUE(page.Control(8050)->isEnabled());
    EXPECT_EQ(env.ui.waitCursorDepth, 0);
    for (const auto& m : env.ui.Messages())
        EXPECT_EQ(m.buttons, MsgButtons::YesNo) << m.text; // no error box
}

TEST(FlashPageSimTest, SilentPrinterKeepsTheListsAndSaysSo) {
    SimEnv env("mono-pcl");
    CDownload page(*env.ctx);
    page.EnsureCreated();
    page.OnSetActive();
    ASSERT_EQ(page.MacroList()->topLevelItemCount(), 4);
    env.sim.Stop();
    page.OnRefresh();
    EXPECT_EQ(page.MacroList()->topLevelItemCount(), 4);
    EXPECT_EQ(page.FontList()->topLevelItemCount(), 5);
    ASSERT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_EQ(env.ui.Messages()[0].text, env.ctx->GetLangText("STRING", "IDS_ERRORSTRING"));
    EXPECT_TRUE(page.Control(8050)->isEnabled()); // the previous state stays
}

// Each action's job dropped: the page shows what the printer still holds, and says it.
TEST(FlashPageSimTest, ADroppedJobIsSaidAndTheListsShowThePrinter) {
    TempFile fontFile(SoftFont("Dropped"), "drop.sfp"), macroFile(Pattern(100), "drop.mac");
    const struct {
        const char* aim; // the action's command, which the printer drops
        void (CDownload::*act)();
        bool macro = false;
        const char* select = nullptr; // the ID of the row selected first
    } rows[] = {
        {"FSDOWNLOADFONT", &CDownload::OnAddFont},
        {"FSDOWNLOADMACRO", &CDownload::OnAddMacro, true},
        {"FSDELETEFONT", &CDownload::OnDeleteFont, false, "21"},
        {"FSDELETEMACRO", &CDownload::OnDeleteMacro, true, "2"},
        {"FSDELETEFONTALL", &CDownload::OnDeleteAllFonts},
        {"FSDELETEMACROALL", &CDownload::OnDeleteAllMacros},
        {"FSDELETEALL", &CDownload::OnDeleteAll},
        {"FSMACROID", &CDownload::OnEnableMacro, true, "300"},
        {"FSMACROID", &CDownload::OnDisableMacro},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.aim);
        SimEnv env("mono-pcl", {"--fault", std::string(row.aim) + ":drop"});
        env.ui.onWait = [&env](unsigned ms) {
            if (ms >= DefOf(FlashJob::MacroId).waitMs) AwaitDropClose(env.sim);
        };
        CDownload page(*env.ctx);
        page.EnsureCreated();
        page.OnSetActive();
        QTreeWidget* list = row.macro ? static_cast<QTreeWidget*>(page.MacroList()) : page.FontList();
        if (row.select) Select(list, RowOf(list, row.select));
        ModalUser user(row.macro ? macroFile.path : fontFile.path, "555"); // plays the download's dialogs
        user.ui = &env.ui;
        env.ui.answers = {MsgResult::Yes};
        (page.*row.act)();
        EXPECT_EQ(Column(page.FontList(), 1), (std::vector<QString>{"20", "21", "22", "300", "4096"}));
        EXPECT_EQ(Column(page.MacroList(), 1), (std::vector<QString>{"1", "2", "7", "300"}));
        EXPECT_EQ(ActiveMacroId(*env.ctx), 7);
        ASSERT_FALSE(env.ui.Messages().empty());
        EXPECT_EQ(env.ui.Messages().back().text, env.ctx->GetLangText("FLASH", "Msg_not_taken"));
    }
}

TEST(FlashPageSimTest, AListCutShortShowsWhatArrivedAndSaysSo) {
    SimEnv env("mono-pcl", {"--fault", "FSFONTINFO:truncate=30"});
    CDownload page(*env.ctx);
    page.EnsureCreated();
    page.OnSetActive();
    EXPECT_EQ(Column(page.FontList(), 1), std::vector<QString>{"20"});
    ASSERT_EQ(env.ui.Messages().size(), 1u);
    EXPECT_EQ(env.ui.Messages()[0].text, env.ctx->GetLangText("FLASH", "Msg_list_incomplete"));
}

// The send dialog's file, cut off part way: the dialog says how much of it was handed to the
// link, and the rest never reaches the printer as print data over a new connection.
TEST(SendDialogSimTest, ACutTransferSaysWhatTheLinkTookAndSendsNoMore) {
    SimEnv env("mono-pcl", {"--fault", "FSDOWNLOADFONT:cut=1000000"});
    TempFile font(Pattern(6 << 20), "cut.sfp"); // more than the link can have in flight
    CSendProgressDlg dlg(*env.ctx, font.path, FontDownloadHeader(9), std::nullopt);
    ModalUser user(font.path);
    dlg.exec();
    const SendResult& r = dlg.Result();
    EXPECT_EQ(r.status, SendStatus::ChunkShort);
    EXPECT_GE(r.handed, 1000000u - 64);
    EXPECT_LT(r.handed, r.size);
    EXPECT_NE(qobject_cast<QLabel*>(dlg.Control(8093))->text().toStdString().find(std::to_string(r.handed) + " of " + std::to_string(r.size) + " bytes had been handed to the link"),
              std::string::npos);
    ASSERT_TRUE(env.sim.WaitForEvents(1, 5000, "close"));
    for (const auto& e : env.sim.Events())
        EXPECT_NE(e.event, "data");
}

TEST(FormPageSimTest, FormsOfEdgeSizesAreListedAndDeleted) {
    SimEnv env("color-ps");
    CPostS4 page(*env.ctx);
    page.EnsureCreated();
    page.OnSetActive();
    // The form page's buttons by their clicks: one wired to another action fails here.
    auto click = [&page](int id) { qobject_cast<QPushButton*>(page.Control(id))->click(); };
    EXPECT_EQ(Column(page.FormList(), 1), (std::vector<QString>{"Invoice", "Letterhead"}));
    for (size_t size : {size_t(0), size_t(4096)}) {
        SCOPED_TRACE(size);
        const std::string data = Pattern(size);
        TempFile file(data, "form" + std::to_string(size) + ".ps");
        env.ui.files = {file.path};
        ModalUser user(file.path);
        click(8080);
        EXPECT_EQ(user.status, SendStatus::Complete);
        EXPECT_TRUE(env.Received("@PJL SET PSFORMNAME=" + file.path + "\n@PJL SET PSFORMSIZE=" +
                                 std::to_string(size) + "\n@PJL FSDOWNLOADPSFORM\r\n" + data + kUel));
        EXPECT_TRUE(page.Control(8080)->isEnabled()); // the listing was read again at once
        const std::vector<QString> names = Column(page.FormList(), 1);
        const QString name = QString::fromStdString(std::filesystem::path(file.path).filename().string());
        ASSERT_NE(std::find(names.begin(), names.end(), name), names.end());
        EXPECT_EQ(page.FormList()->topLevelItem(static_cast<int>(names.size()) - 1)->text(2),
                  QString::number(size));
    }
    // A file that cannot be opened is said so, and nothing is sent.
    const size_t jobs = env.sim.Jobs().size();
    env.ui.files = {std::string("/nonexistent/form.ps")};
    click(8080);
    EXPECT_EQ(env.sim.Jobs().size(), jobs);
    ASSERT_FALSE(env.ui.Messages().empty());
    EXPECT_EQ(env.ui.Messages().back().text, env.ctx->GetLangText("STRING", "IDS_SEND_NOTOPEN"));

    click(8156); // Refresh, then Delete All
    env.ui.answers = {MsgResult::Yes};
    click(8076);
    EXPECT_TRUE(env.Received(kUel + "@PJL\r\n@PJL FSDELETEPSFORMALL\n" + kUel));
    page.OnSetActive();
    EXPECT_EQ(page.FormList()->topLevelItemCount(), 0);
    EXPECT_TRUE(page.Control(8080)->isEnabled());
    EXPECT_TRUE(page.Control(8057)->isEnabled());
    EXPECT_FALSE(page.Control(8076)->isEnabled());
    EXPECT_FALSE(page.Control(8088)->isEnabled());
}

TEST(FlashCommandsSimTest, TavctlActionsChangeWhatThePrinterLists) {
    SimEnv env("mono-pcl");
    const std::string macro = Pattern(100);
    TempFile macroFile(macro, "cli.mac");
    auto run = [&](const std::string& command, const std::vector<std::string>& args,
                   std::string* out = nullptr) {
        std::string why;
        auto request = cli::ParseFlashRequest(command, args, &why);
        EXPECT_TRUE(request.has_value()) << why;
        if (!request) return -1;
        testing::internal::CaptureStdout();
        const int status = cli::RunFlashRequest(*env.ctx, *request);
        const std::string text = testing::internal::GetCapturedStdout();
        if (out) *out = text;
        return status;
    };
    std::string out;
    EXPECT_EQ(run("flash", {"add-macro", macroFile.path, "9"}), 0);
    EXPECT_TRUE(env.Received(MacroDownloadHeader(9) + macro + "\x1b&f1X" + kUel));
    EXPECT_EQ(run("flash", {"macro-on", "9"}), 0);
    EXPECT_EQ(run("flash", {"list"}, &out), 0);
    EXPECT_NE(out.find("macros: 5\n"), std::string::npos) << out;
    EXPECT_NE(out.find("5   9 *\n"), std::string::npos) << out;
    EXPECT_NE(out.find("1   20     CG Times              8U\n"), std::string::npos) << out;

    env.ui.answers = {MsgResult::No};
    const size_t jobs = env.sim.Jobs().size();
    EXPECT_EQ(run("flash", {"rm-macros"}), 2);
    EXPECT_EQ(env.sim.Jobs().size(), jobs);
    env.ui.answers = {MsgResult::Yes, MsgResult::Yes};
    EXPECT_EQ(run("flash", {"rm-macros"}), 0);
    EXPECT_EQ(run("psflash", {"format"}), 0);
    EXPECT_TRUE(env.Received(kUel + "@PJL\r\n@PJL FORMAT FLASH\r\n" + kUel));
    EXPECT_EQ(run("flash", {"list"}, &out), 0);
    EXPECT_EQ(out, "fonts: 0\nmacros: 0\n");
    EXPECT_EQ(run("psforms", {"list"}, &out), 0);
    EXPECT_EQ(out, "forms: 0\n");

    env.sim.Stop();
    testing::internal::CaptureStderr();
    EXPECT_EQ(run("flash", {"list"}), 1);
    testing::internal::GetCapturedStderr();
}

TEST(FlashCommandsSimTest, FaultsEndInAnExitStatusNeverInJunk) {
    struct Case {
        std::vector<std::string> faults;
        int download, list;
        std::string listed; // a line the listing must hold, or "" to check only that it stays printable
    };
    const Case cases[] = {
        {{"--fault", "delay=150"}, 0, 0, "4   300\n"},
        {{"--fault", "split=7"}, 0, 0, "5   4096   OCR-B                 0O\n"},
        // Listings cut short (or noise that announces more than it holds) are not whole lists.
        {{"--fault", "truncate=6"}, 1, 1, "macros: 2\n"},
        {{"--fault", "garbage"}, 1, 1, ""},
        // A printer that closes after every job is asked again on a new connection.
        {{"--fault", "drop-after=1"}, 0, 0, "macros: "},
        {{"--fault", "job2:drop"}, 1, 0, ""}, // the download's listing, dropped as it arrives
        {{"--fault", "refuse"}, 1, 1, ""},
    };
    const std::string macro = Pattern(5000);
    TempFile macroFile(macro, "fault.mac");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.faults[1]);
        SimEnv env("mono-pcl", c.faults, false);
        auto run = [&](const std::vector<std::string>& args, std::string& out) {
            std::string why;
            auto request = cli::ParseFlashRequest("flash", args, &why);
            testing::internal::CaptureStdout();
            testing::internal::CaptureStderr();
            const int status = cli::RunFlashRequest(*env.ctx, *request);
            out = testing::internal::GetCapturedStdout();
            testing::internal::GetCapturedStderr();
            return status;
        };
        std::string out;
        // The printer's own close of the download's connection comes before its listing.
        if (c.faults[1] == "drop-after=1")
            env.ui.onWait = [&env](unsigned ms) {
                if (ms == kFlashDownloadWaitMs) AwaitDropClose(env.sim);
            };
        EXPECT_EQ(run({"add-macro", macroFile.path, "8"}, out), c.download);
        EXPECT_EQ(run({"list"}, out), c.list);
        if (!c.listed.empty()) {
            EXPECT_NE(out.find(c.listed), std::string::npos) << out;
        }
        // Nothing is left for the terminal to take as a command: each line is its own terminal text.
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);)
            EXPECT_EQ(cli::TerminalName(line), line);
    }
}

TEST(FlashCommandsTest, UsageErrorsSendNothing) {
    TempFile file("x", "usage.bin"), empty("", "empty.mac");
    const std::vector<std::pair<std::string, std::vector<std::string>>> bad = {
        {"flash", {}},
        {"flash", {"nonsense"}},
        {"flash", {"add-font", file.path}},
        {"flash", {"add-font", file.path, "123456"}},
        {"flash", {"add-font", "/nonexistent/x", "1"}},
        {"flash", {"rm-font", "-1"}},
        {"flash", {"list", "extra"}},
        {"psforms", {"add", "/tmp/bad\nname.ps"}},
        {"psflash", {"erase"}},
        // The printer keeps nothing under 65535 ("no active macro") and above, nor an empty file.
        {"flash", {"add-font", file.path, "65535"}},
        {"flash", {"rm-macro", "70000"}},
        {"flash", {"add-macro", empty.path, "1"}},
    };
    for (const auto& [command, args] : bad) {
        std::string why;
        EXPECT_FALSE(cli::ParseFlashRequest(command, args, &why).has_value())
            << command << " " << args.size();
        EXPECT_FALSE(why.empty());
    }
    std::string why;
    cli::ParseFlashRequest("flash", {"macro-on", "65535"}, &why);
    EXPECT_EQ(why, "\"65535\" is not an ID (0 to 65534)");
    // A form may be empty.
    EXPECT_TRUE(cli::ParseFlashRequest("psforms", {"add", empty.path}, &why).has_value()) << why;
    auto ok = cli::ParseFlashRequest("flash", {"rm-font", "00042"}, &why);
    ASSERT_TRUE(ok.has_value());
    EXPECT_EQ(ok->id, 42);
    EXPECT_TRUE(ok->destructive);
    EXPECT_FALSE(cli::ParseFlashRequest("flash", {"macro-on", "7"}, &why)->destructive);
}
