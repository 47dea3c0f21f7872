// Every landed page opened in both languages, through its success and failure paths: each
// language key asked for must be in the shipped file, and the two files must hold the same keys.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QTabWidget>
#include <fstream>
#include <set>
#include <sstream>

#include "PageFixture.h"
#include "app/MainWindow.h"
#include "pages/TavPage.h"
#include "platform/Ini.h"

using namespace tav;
using tavtest::PageEnv;

namespace {

const char* kEverything =
    "[Common]\nALLTAB=1\n[TAB]\nPrinting=1\nConfig=1\nJob=1\nTest=1\nPCL=1\nColor=1\nCheck=1\nPS3=1\nFMU=1\n"
    "DOWNLOAD=1\nEPSONIBM=1\nFirmWare=1\nAbout=1\n[TEST]\nSelfTest=1\nDemo=1\nMenuMAP=1\n2SideDemo=1\n";

using KeySet = std::set<std::pair<std::string, std::string>>;

// Every (section, key) of an INI file, lower-cased as the reader matches them.
KeySet KeysOf(const std::string& path) {
    std::ifstream in(path);
    KeySet keys;
    std::string section, line;
    auto lower = [](std::string s) {
        for (char& c : s)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            section = lower(line.substr(1, line.find(']') - 1));
            continue;
        }
        size_t eq = line.find('=');
        if (eq != std::string::npos) keys.emplace(section, lower(line.substr(0, eq)));
    }
    return keys;
}

void Exercise(const char* lang, KeySet& asked) {
    for (int round = 0; round < 2; ++round) {
        PageEnv env(kEverything, lang);
        env.ctx->store.edited.featureFlags = 0x4;
        if (round == 0)
            env.Reply(std::string("\x00\x00\x17\x02"
                                  "12\x19\x03"
                                  "345\x00\x00",
                                  13));
        MainWindow::Options o;
        o.listenForQuit = false;
        MainWindow w(*env.ctx, o);
        for (int i = 0; i < w.Sheet()->count(); ++i)
            w.Sheet()->setCurrentIndex(i);
        if (round == 1) {
            // Failure paths: the printer cannot be written to.
            env.dev.Set("open", 0);
            if (TavPage* test = w.Page(PageId::Test))
                for (int id : {8054, 8004, 8066, 8009})
                    if (auto* b = qobject_cast<QAbstractButton*>(test->Control(id))) b->click();
            EXPECT_FALSE(env.ui.Messages().empty());
        }
        for (const auto& m : env.ui.Messages())
            EXPECT_FALSE(m.text.empty()) << lang;
        const std::string& file = env.ctx->cfg.langFilePath;
        const IniDocument doc = IniDocument::Load(file);
        for (const auto& [section, key] : w.LangKeysAsked()) {
            std::string value;
            EXPECT_TRUE(doc.Find(section, key, value))
                << lang << ": [" << section << "] " << key << " missing";
            EXPECT_FALSE(value.empty()) << lang << ": [" << section << "] " << key << " empty";
            asked.emplace(section, key);
        }
    }
}

} // namespace

TEST(LanguageFilesTest, EveryKeyALandedPageAsksForIsThereInBothLanguages) {
    KeySet askedEn, askedKr;
    Exercise("EN", askedEn);
    Exercise("KR", askedKr);
    EXPECT_EQ(askedEn, askedKr);
    // The pages of this build asked for their texts at all.
    EXPECT_TRUE(askedEn.count({"CHECK", "IDC_BELT_STATIC"}));
    EXPECT_TRUE(askedEn.count({"TEST", "IDC_2SIDEDEMOPAGE_X"}));
    EXPECT_TRUE(askedEn.count({"ABOUT", "IDL_COPYRIGHT"}));
    EXPECT_TRUE(askedEn.count({"STRING", "IDS_NOT_RESPOND"}));
    EXPECT_TRUE(askedEn.count({"STRING", "IDS_ERRORSTRING"}));
}

TEST(LanguageFilesTest, StartUpAndLinkTextsAndTheSameKeysInBothFiles) {
    const std::string data = tavtest::ShippedDataFolder();
    for (const char* file : {"lang/EN.ini", "lang/KR.ini"}) {
        const IniDocument doc = IniDocument::Load(data + file);
        const std::pair<const char*, const char*> fixed[] = {
            {"ABOUT", "IDL_APPNAME"},      {"ABOUT", "IDL_APPNAME_C"},    {"ABOUT", "IDL_APPNAME_P"},
            {"STRING", "IDS_NOT_SUPPORT"}, {"STRING", "IDS_NOT_RESPOND"}, {"STRING", "IDS_ERRORSTRING"},
            {"COMMON", "IDS_STRING107"},
        };
        for (auto [section, key] : fixed) {
            std::string v;
            EXPECT_TRUE(doc.Find(section, key, v) && !v.empty()) << file << " [" << section << "] " << key;
        }
        // Read with a 64-character buffer: the whole text must fit.
        EXPECT_LT(doc.Get("STRING", "IDS_ERRORSTRING").size(), 64u) << file;
    }
    EXPECT_EQ(KeysOf(data + "lang/EN.ini"), KeysOf(data + "lang/KR.ini"));
    // The language index names files that exist.
    for (const char* section : {"English", "Korean"}) {
        for (const char* key : {"STR_FILE", "PHELP.CHM"}) {
            const std::string name = ReadIniString(data + "langinfo.ini", section, key, "", 31);
            EXPECT_TRUE(std::ifstream(data + name).good()) << section << " " << key << " " << name;
        }
    }
}
