// The shipped model profiles and language files as the Printing page reads them: every list
// position maps to a paper the list offers and back, and every text and popup the page can show
// is there in both languages.
#include <gtest/gtest.h>

#include <QComboBox>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "PageFixture.h"
#include "pages/CsHelp.h"
#include "pages/PaperModel.h"
#include "pages/PrintingTab.h"
#include "platform/Ini.h"

using namespace tav;
using tavtest::PageEnv;

namespace {

std::vector<std::string> ModelFiles() {
    std::vector<std::string> files;
    for (const auto& dir : std::filesystem::directory_iterator(tavtest::ShippedDataFolder() + "models"))
        if (std::filesystem::exists(dir.path() / "comtav.ini")) files.push_back((dir.path() / "comtav.ini").string());
    std::sort(files.begin(), files.end());
    return files;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TEST(PrintingModels, EveryProfileMapsItsPaperListsBothWays) {
    const std::vector<std::string> files = ModelFiles();
    ASSERT_GE(files.size(), 3u);
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        PageEnv env(ReadAll(file));
        AppContext& ctx = *env.ctx;
        for (const char* key : {"WIDE A4", "Depulex Margins", "Tray1MPT_SAME", "1200_DRAFT", "1200_BEST"}) {
            const std::string v = ctx.Config("Printing", key, "?");
            EXPECT_TRUE(v == "0" || v == "1") << key << " = " << v;
        }
        for (bool cassette : {false, true}) {
            std::vector<std::string> list;
            FillPaperSizeList(ctx, cassette, list);
            // The OEM brand has one list for every source.
            const bool tray = cassette && !ctx.IsKalor();
            const char* gating = tray ? "TRAY1_PAPERTYPE" : "MP_PAPERTYPE";
            ASSERT_FALSE(list.empty()) << gating;
            int previous = -1;
            for (int pos = 0; pos < static_cast<int>(list.size()); ++pos) {
                const int code = PaperCodeOfPosition(ctx, pos, cassette);
                const PaperInfo* paper = PaperByCode(code);
                ASSERT_NE(paper, nullptr) << gating << " position " << pos;
                EXPECT_GT(code, previous) << "the list is in code order";
                EXPECT_TRUE(ctx.ConfigFlag(gating, paper->gatingKey)) << paper->gatingKey;
                ctx.store.edited.paper = static_cast<uint8_t>(code);
                PaperPageState st{-1, cassette, 0};
                SyncPaperSize(ctx, st, false);
                EXPECT_EQ(st.listPosition, pos) << paper->name;
                previous = code;
            }
            // No position past the list is mapped: a stale entry would be sent as a paper.
            EXPECT_EQ(ctx.Config(tray ? "SetPaperSizeTray1" : "SetPaperSize", std::to_string(list.size()), "none"),
                      "none");
        }
        const int custom = CustomPaperIndex(ctx);
        EXPECT_EQ(PaperCodeOfPosition(ctx, custom, false), kCustomPaperCode);
        // The cassette list never reaches the custom entry's position with another paper.
        std::vector<std::string> trayList;
        FillPaperSizeList(ctx, true, trayList);
        if (static_cast<int>(trayList.size()) > custom) {
            EXPECT_EQ(PaperCodeOfPosition(ctx, custom, true), kCustomPaperCode);
        }
    }
}

TEST(PrintingModels, EveryTextAndPopupOfThePageInBothLanguages) {
    for (const std::string& file : ModelFiles()) {
        for (const char* lang : {"EN", "KR"}) {
            SCOPED_TRACE(file + " " + lang);
            PageEnv env(ReadAll(file), lang);
            AppContext& ctx = *env.ctx;
            ctx.store.edited.featureFlags = 0x5;
            CPrintingTab page(ctx);
            page.EnsureCreated();
            page.OnSetActive();
            // Every source, so that every paper list of the model is shown once.
            auto* sources = qobject_cast<QComboBox*>(page.Control(8011));
            ASSERT_NE(sources, nullptr);
            for (int i = sources->count() - 1; i >= 0; --i) {
                sources->setCurrentIndex(i);
                emit sources->activated(i);
                auto* papers = qobject_cast<QComboBox*>(page.Control(8000));
                ASSERT_GT(papers->count(), 0);
                for (int p = 0; p < papers->count(); ++p) EXPECT_FALSE(papers->itemText(p).isEmpty()) << p;
            }
            const IniDocument doc = IniDocument::Load(ctx.cfg.langFilePath);
            for (const auto& [section, key] : page.LangKeysAsked()) {
                std::string value;
                EXPECT_TRUE(doc.Find(section, key, value) && !value.empty()) << "[" << section << "] " << key;
            }
            for (QWidget* w : page.findChildren<QWidget*>()) {
                const QVariant id = w->property("controlId");
                if (!id.isValid()) continue;
                const uint32_t topic = page.HelpIdFor(id.toInt());
                EXPECT_FALSE(CsHelpText(ctx.cfg.helpFilePath, topic).empty())
                    << "control " << id.toInt() << " topic " << topic;
            }
        }
    }
}
