// The files the programs read that a user, an editor or a broken disk can spoil: each kind with
// a row per badness. None may crash or stall start-up, each gets its clear message or its
// default, and none is rewritten or lost by being read.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "FakeDev.h"
#include "pages/CsHelp.h"
#include "pjl/Startup.h"
#include "pages/PclRules.h"
#include "platform/Platform.h"
#include "RecordingUiHost.h"

using namespace tav;

namespace {

enum class Bad { Missing, Empty, Binary, Huge, NotUtf8 };

struct Badness {
    Bad bad;
    const char* name;
};
const Badness kBadness[] = {{Bad::Missing, "missing"},
                            {Bad::Empty, "empty"},
                            {Bad::Binary, "binary"},
                            {Bad::Huge, "huge"},
                            {Bad::NotUtf8, "not UTF-8"}};

constexpr uintmax_t kHugeBytes = 50ull << 20;

std::string Binary() {
    std::string b;
    for (int i = 0; i < 5000; ++i)
        b += static_cast<char>((i * 7919 + 13) & 0xFF);
    return b;
}

// Writes the file as the row spoils it; "good" is what a sound file of the kind holds, so a huge
// one starts with it (a reader that took it would find what it looks for) and runs on in zeros.
void Spoil(const std::string& path, Bad bad, const std::string& good, const std::string& latin1) {
    std::filesystem::remove(path);
    if (bad == Bad::Missing) return;
    std::ofstream out(path, std::ios::binary);
    if (bad == Bad::Binary) out << Binary();
    if (bad == Bad::NotUtf8) out << latin1;
    if (bad == Bad::Huge) out << good;
    out.close();
    if (bad == Bad::Huge) std::filesystem::resize_file(path, kHugeBytes); // sparse, no disk used
}

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct BadFilesTest : ::testing::Test {
    void SetUp() override {
        home.Write("langinfo.ini",
                   "[Config]\nEN=English\nKR=Korean\n[English]\nPHELP.CHM=help/en/help.html\n"
                   "STR_FILE=EN.ini\n[Korean]\nPHELP.CHM=help/kr/help.html\nSTR_FILE=KR.ini\n");
        home.Write("EN.ini", "[ABOUT]\nIDL_APPNAME_P=English Panel\n[STRING]\nIDS_NOT_RESPOND=No answer.\n");
        home.Write("KR.ini", "[ABOUT]\nIDL_APPNAME_P=\xED\x8C\xA8\xEB\x84\x90\n[STRING]\nIDS_NOT_RESPOND="
                             "\xEC\x9D\x91\xEB\x8B\xB5 "
                             "\xEC\x97\x86\xEC\x9D\x8C.\n");
        home.Write("comtav.ini", "[Common]\nDebug=1\n");
        setenv("TAV_REGISTRY_LM", (home.dir + "lm.ini").c_str(), 1);
        setenv("TAV_REGISTRY_CU", (home.dir + "cu.ini").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home.dir + "config").c_str(), 1);
        // The one-copy lock is named after the title: a folder of its own, so the other tests of
        // this program, run side by side, never find "their" copy already running.
        if (const char* run = std::getenv("XDG_RUNTIME_DIR")) savedRuntime = run;
        setenv("XDG_RUNTIME_DIR", home.dir.c_str(), 1);
        home.Write("lm.ini", "[Software\\QVPrint]\nZkCntCode=KR\n");
        dev = std::make_unique<tavtest::FakeDev>(home.dir + "libqvdevm.so");
    }
    void TearDown() override {
        unsetenv("TAV_REGISTRY_LM");
        unsetenv("TAV_REGISTRY_CU");
        unsetenv("XDG_CONFIG_HOME");
        if (savedRuntime.empty())
            unsetenv("XDG_RUNTIME_DIR");
        else
            setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
    }
    StartupOutcome Start() {
        ui = RecordingUiHost();
        app = std::make_unique<Application>(ui, hooks);
        return app->InitInstance(home.dir);
    }
    std::string FirstMessage() const { return ui.Messages().empty() ? "" : ui.Messages()[0].text; }

    tavtest::FakeHome home;
    std::string savedRuntime;
    RecordingUiHost ui;
    StartupHooks hooks;
    std::unique_ptr<Application> app;
    std::unique_ptr<tavtest::FakeDev> dev;
};

} // namespace

// comtav.ini: whatever it holds, start-up goes on with the defaults (offline here, as Debug=1 is
// then unread) and leaves the file as it was.
TEST_F(BadFilesTest, Configuration) {
    const std::string path = home.dir + "comtav.ini";
    for (const Badness& b : kBadness) {
        SCOPED_TRACE(b.name);
        Spoil(path, b.bad, "[Common]\nDebug=1\nDeviceID=lp0\n", "[Common]\nOEMID=Gr\xFC\xDF\n");
        const std::string before = Contents(path);
        const StartupOutcome outcome = Start();
        EXPECT_TRUE(outcome == StartupOutcome::Ran || outcome == StartupOutcome::NoResponse)
            << static_cast<int>(outcome);
        // Without the device it names, the printer is asked at the default device and does not
        // answer: the user hears so in words.
        for (const auto& m : ui.Messages())
            EXPECT_FALSE(m.text.empty());
        if (outcome == StartupOutcome::NoResponse) {
            EXPECT_FALSE(ui.Messages().empty());
        }
        if (b.bad == Bad::Huge) {
            EXPECT_EQ(app->Context().ConfigInt("Common", "Debug", 7), 7);
        }
        EXPECT_EQ(Contents(path), before);
        app.reset();
    }
}

// The chosen language's file: the user is told which file, and the English texts are used.
TEST_F(BadFilesTest, Language) {
    const std::string path = home.dir + "KR.ini";
    for (const Badness& b : kBadness) {
        SCOPED_TRACE(b.name);
        Spoil(path, b.bad, "[ABOUT]\nIDL_APPNAME_P=\xED\x8C\xA8\xEB\x84\x90\n",
              "[ABOUT]\nIDL_APPNAME_P=\xC6\xD0\xB3\xCE\n");
        const std::string before = Contents(path);
        EXPECT_EQ(Start(), StartupOutcome::Ran);
        EXPECT_NE(FirstMessage().find("KR.ini cannot be read; the English texts are used."),
                  std::string::npos)
            << FirstMessage();
        EXPECT_EQ(app->Context().cfg.langFilePath, home.dir + "EN.ini");
        EXPECT_EQ(app->Context().ProductTitle(), "English Panel");
        EXPECT_EQ(Contents(path), before);
        app.reset();
    }
}

// The settings file that stands in for the registry: the language falls back to English.
TEST_F(BadFilesTest, Registry) {
    const std::string path = home.dir + "lm.ini";
    for (const Badness& b : kBadness) {
        SCOPED_TRACE(b.name);
        Spoil(path, b.bad, "[Software\\QVPrint]\nZkCntCode=KR\n", "[Software\\QVPrint]\nZkCntCode=K\xD2\n");
        const std::string before = Contents(path);
        EXPECT_EQ(Start(), StartupOutcome::Ran);
        EXPECT_EQ(app->Context().cfg.langFilePath, home.dir + "EN.ini");
        EXPECT_EQ(FirstMessage(), "Debug Mode!"); // and nothing about the language
        EXPECT_EQ(Contents(path), before);
        app.reset();
    }
}

// The PCL page's lists: a file that cannot be opened says so (the page shows its message);
// any other gives at most the bytes the reader takes, in items no longer than their limit.
TEST_F(BadFilesTest, DataLists) {
    const std::string path = home.dir + "TypeFace.ini";
    for (const Badness& b : kBadness) {
        SCOPED_TRACE(b.name);
        Spoil(path, b.bad, "0=Courier\n1=CG Times\n",
              "0=Courier\n1=Gr\xFC\xDF"
              "e\n");
        const ListFile f = ReadListFile(path);
        EXPECT_EQ(f.opened, b.bad != Bad::Missing);
        size_t total = 0;
        for (const std::string& item : f.items) {
            EXPECT_LE(item.size(), kMaxListItem);
            total += item.size();
        }
        EXPECT_LE(total, kMaxListFileBytes);
        if (b.bad == Bad::Missing || b.bad == Bad::Empty) {
            EXPECT_TRUE(f.items.empty());
        }
        if (b.bad == Bad::NotUtf8) {
            EXPECT_EQ(f.items.size(), 2u);
        }
    }
}

// Popup help: no text for a topic the file does not hold whole; never a crash, never the whole
// of a file far larger than any help file.
TEST_F(BadFilesTest, PopupHelp) {
    std::filesystem::create_directories(home.dir + "help/en");
    const std::string helpFile = home.dir + "help/en/help.html";
    const std::string path = CsHelpPathFor(helpFile);
    for (const Badness& b : kBadness) {
        SCOPED_TRACE(b.name);
        Spoil(path, b.bad, ".topic 7\nPaper size.\n",
              ".topic 7\nPapiergr\xF6\xDF"
              "e.\n");
        const std::string text = CsHelpText(helpFile, 7);
        switch (b.bad) {
        case Bad::NotUtf8:
            EXPECT_EQ(text, "Papiergr\xF6\xDF"
                            "e.");
            break;
        default:
            EXPECT_EQ(text, "");
            break;
        }
    }
}
