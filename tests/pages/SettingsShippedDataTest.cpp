// The Config, Job and Color pages on the shipped model profiles, language files and help: every
// text they ask for exists in both languages, every control has its popup, and every tray list's
// positions and codes map onto each other.
#include <QComboBox>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "PageFixture.h"
#include "pages/CsHelp.h"
#include "pages/ColorPage.h"
#include "pages/ConfigPage.h"
#include "pages/JobPage.h"
#include "pages/JobRules.h"
#include "platform/Ini.h"

using namespace tav;
using tavtest::PageEnv;
using tavtest::ShippedDataFolder;

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void CheckPage(TavPage& page, PageEnv& env, const std::string& what) {
    page.EnsureCreated();
    for (const auto& [section, key] : page.LangKeysAsked())
        EXPECT_FALSE(env.ctx->GetLangText(section, key).empty()) << what << ": [" << section << "] " << key;
    for (QWidget* w : page.findChildren<QWidget*>()) {
        const QVariant id = w->property("controlId");
        if (!id.isValid()) continue;
        EXPECT_FALSE(CsHelpText(env.ctx->cfg.helpFilePath, page.HelpIdFor(id.toInt())).empty())
            << what << ": control " << id.toInt();
    }
}

}  // namespace

TEST(SettingsShippedData, TextsAndHelpForEveryModelAndLanguage) {
    for (const char* model : {"clp-3550ps", "ml-2250", "kalor-k2250"})
        for (const char* lang : {"EN", "KR"}) {
            const std::string what = std::string(model) + " " + lang;
            PageEnv env(ReadFile(ShippedDataFolder() + "models/" + model + "/comtav.ini"), lang);
            // Every capability, so every list entry is asked for.
            env.ctx->store.edited.featureFlags = 0xFFFFFFFF;
            std::unique_ptr<TavPage> config;
            if (env.ctx->IsKalor())
                config = std::make_unique<CConfigTabX>(*env.ctx);
            else
                config = std::make_unique<CConfigTab>(*env.ctx);
            CheckPage(*config, env, what + " config");
            CJobTab job(*env.ctx);
            CheckPage(job, env, what + " job");
            CColorTab color(*env.ctx);
            CheckPage(color, env, what + " color");
            for (int id : {8152, 8153, 8154, 8155})
                EXPECT_GE(qobject_cast<QComboBox*>(color.Control(id))->count(), 5) << what;
        }
}

TEST(SettingsShippedData, TrayListsMapBothWays) {
    for (const char* model : {"clp-3550ps", "ml-2250", "kalor-k2250"}) {
        PageEnv env(ReadFile(ShippedDataFolder() + "models/" + model + "/comtav.ini"));
        CJobTab job(*env.ctx);
        job.EnsureCreated();
        const struct {
            int list;
            const char* section;
            const char* get;
        } lists[] = {{8030, "Tray1", "GetTray1"},
                     {8043, "Tray1", "GetTray1"},
                     {8047, "Tray2", "GetTray2"},
                     {8051, "Tray3", "GetTray3"}};
        for (const auto& l : lists) {
            const int count = qobject_cast<QComboBox*>(job.Control(l.list))->count();
            EXPECT_GT(count, 0) << model << " " << l.list;
            std::set<int> codes;
            for (int p = 0; p < count; ++p) {
                const int code = PaperTypeCode(*env.ctx, l.section, p);
                EXPECT_TRUE(IsPaperTypeCode(code)) << model << " " << l.section << " " << p;
                EXPECT_EQ(PaperTypePosition(*env.ctx, l.get, code), p) << model << " " << l.section << " " << p;
                codes.insert(code);
            }
            EXPECT_EQ(static_cast<int>(codes.size()), count) << model << " " << l.section;
            // Printer Default is always offered and is code 0 at position 0.
            EXPECT_EQ(PaperTypeCode(*env.ctx, l.section, 0), 0);
        }
    }
}
