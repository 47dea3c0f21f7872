// The Job page through its real controls.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <gtest/gtest.h>

#include "SettingsPageEnv.h"
#include "pages/JobPage.h"
#include "pjl/Upload.h"

using namespace tav;
using namespace settingspages;

namespace {

const char* const kLang =
    "[JOB]\nIDL_DENSITY=Toner Density\nIDL_DENSITY_X=Print Density\nIDL_PAPERTYPE=Paper Type\nIDL_TRAY1=Tray "
    "1\n"
    "IDL_TRAY2=Tray 2\nIDL_TRAY3=Tray 3\nIDL_RET=Image Quality\nIDL_TIMEOUT=Job Timeout\n"
    "[STR_JOB]\nIDS_TONERDENSITY0=Light\nIDS_TONERDENSITY1=Medium\nIDS_TONERDENSITY2=Dark\nIDS_RET0="
    "Enhanced\n"
    "IDS_RET1=Normal\nIDS_RET2=Gray\nPrinter Default=Printer Default\nPlain "
    "Paper=Plain\nThick=Thick\nThin=Thin\n"
    "Bond=Bond\nColored=Colored\nCard Stock=Card Stock\nLabels=Labels\nTransparency=Transparency\n"
    "Envelope=Envelope\nPreprinted=Preprinted\nLetterhead=Letterhead\nCotton=Cotton\nSpecial=Special\n"
    "Recycled=Recycled\nPersonal Check=Check\n3M Decal=Decal\n";

std::string AllRows() {
    return "[JOB]\nToner=1\nPaperType=1\nTray1=1\nTray2=1\nTray3=1\nImageQuality=1\nTimeOut=1\n";
}

std::string FullSection(const char* name, const char* getName) {
    std::string s = std::string("[") + name +
                    "]\nOFF=1\nNormal=1\nThick=1\nThin=1\nBond=1\nColor=1\nCARD=1\nLabel=1\n"
                    "Ohp=1\nEnv=1\nUsed=1\nCotton=1\nRecycled=1\nCHECK=1\n3MDECAL=1\n";
    for (int i = 0; i < 15; ++i)
        s += std::to_string(i) + "=" + std::to_string(i) + "\n";
    s += std::string("[") + getName + "]\n";
    for (int i = 0; i < 15; ++i)
        s += std::to_string(i) + "=" + std::to_string(i) + "\n";
    return s;
}

// Tray 2 offers five entries; its position 4 is Labels (code 7).
const char* const kShortTray2 =
    "[Tray2]\nOFF=1\nNormal=1\nThick=1\nThin=1\nLabel=1\n0=0\n1=1\n2=2\n3=3\n4=7\n"
    "[GetTray2]\n0=0\n1=1\n2=2\n3=3\n7=4\n";

std::string Model(const std::string& extra = {}) {
    return "[Common]\nSTRING=ORB\n" + AllRows() + FullSection("Tray1", "GetTray1") + kShortTray2 +
           FullSection("Tray3", "GetTray3") + extra;
}

PrinterSettings Printer() {
    PrinterSettings s;
    s.residentFontCount = 54;
    s.timeout = 15;
    s.density = 1;
    s.paperType = 1;
    s.tray1PaperType = 1;
    s.tray2PaperType = 1;
    s.tray3PaperType = 1;
    s.ret = 1;
    return s;
}

} // namespace

TEST(JobPage, ListsAndRows) {
    Env env(Model(), kLang);
    env.Report(Printer());
    auto page = env.Open<CJobTab>();
    EXPECT_EQ(Items(Ctl<QComboBox>(*page, 8002)), (QStringList{"Light", "Medium", "Dark"}));
    EXPECT_EQ(Ctl<QLabel>(*page, 6016)->text(), "Toner Density");
    // The paper type list and the tray lists share the gating but not every text.
    const QStringList paper = Items(Ctl<QComboBox>(*page, 8030));
    const QStringList tray1 = Items(Ctl<QComboBox>(*page, 8043));
    ASSERT_EQ(paper.size(), 15);
    ASSERT_EQ(tray1.size(), 15);
    EXPECT_EQ(paper[11], "Cotton");
    EXPECT_EQ(paper[12], "Recycled");
    EXPECT_EQ(tray1[11], "Letterhead");
    EXPECT_EQ(tray1[12], "Special");
    EXPECT_EQ(Items(Ctl<QComboBox>(*page, 8047)),
              (QStringList{"Printer Default", "Plain", "Thick", "Thin", "Labels"}));
    // Not the OEM brand: two image quality entries.
    EXPECT_EQ(Items(Ctl<QComboBox>(*page, 8037)), (QStringList{"Enhanced", "Normal"}));
    for (int id : {6016, 8002, 6018, 8030, 6022, 8043, 6024, 8047, 6026, 8051, 6019, 8037, 6020, 8007})
        EXPECT_TRUE(page->Control(id)->isVisibleTo(page.get())) << id;
    EXPECT_FALSE(page->Control(8034)->isVisibleTo(page.get()));
    EXPECT_FALSE(page->Control(8034)->isEnabled());

    // Row switches: only Tray2 and TimeOut on.
    Env few("[JOB]\nTray2=1\nTimeOut=1\nToner=yes\n" + std::string(kShortTray2), kLang);
    few.Report(Printer());
    auto p2 = few.Open<CJobTab>();
    for (int id : {6016, 8002, 6018, 8030, 6022, 8043, 6026, 8051, 6019, 8037})
        EXPECT_FALSE(p2->Control(id)->isVisibleTo(p2.get())) << id;
    for (int id : {6024, 8047, 6020, 8007})
        EXPECT_TRUE(p2->Control(id)->isVisibleTo(p2.get())) << id;
}

TEST(JobPage, ShorterTray2ListMapsOnlyThroughItsOwnSections) {
    Env env(Model(), kLang);
    PrinterSettings s = Printer();
    s.tray2PaperType = 7;
    env.Report(s);
    auto page = env.Open<CJobTab>();
    auto* tray2 = Ctl<QComboBox>(*page, 8047);
    EXPECT_EQ(tray2->currentIndex(), 4); // code 7 through GetTray2
    EXPECT_EQ(Ctl<QComboBox>(*page, 8043)->currentIndex(), 1);
    Choose(tray2, 3);
    EXPECT_EQ(env.ctx.store.edited.tray2PaperType, 3);
    Choose(tray2, 4);
    EXPECT_EQ(env.ctx.store.edited.tray2PaperType, 7);
    // Tray 1's full list gives position 4 code 4; tray 2's gives 7.
    Choose(Ctl<QComboBox>(*page, 8043), 4);
    EXPECT_EQ(env.ctx.store.edited.tray1PaperType, 4);
    EXPECT_EQ(env.ctx.store.edited.tray2PaperType, 7);
    Choose(tray2, 2);
    const auto lines = SentLines(env.ctx);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "@PJL DEFAULT TRAY1PAPERTYPE = BOND\r\n"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "@PJL DEFAULT TRAY2PAPERTYPE = THICK\r\n"), lines.end());
}

TEST(JobPage, EveryListChangeRewritesTheTrayAndPaperTypes) {
    Env env(Model(), kLang);
    env.Report(Printer());
    auto page = env.Open<CJobTab>();
    for (int id : {8002, 8030, 8043, 8047, 8051, 8037, 8034}) {
        SCOPED_TRACE(id);
        // Other values in the store than the lists show: each list change puts the shown ones back.
        env.ctx.store.edited.tray1PaperType = 9;
        env.ctx.store.edited.tray2PaperType = 9;
        env.ctx.store.edited.tray3PaperType = 9;
        env.ctx.store.edited.paperType = 9;
        auto* list = Ctl<QComboBox>(*page, id);
        Choose(list, list->currentIndex());
        EXPECT_EQ(env.ctx.store.edited.tray1PaperType, 1);
        EXPECT_EQ(env.ctx.store.edited.tray2PaperType, 1);
        EXPECT_EQ(env.ctx.store.edited.tray3PaperType, 1);
        EXPECT_EQ(env.ctx.store.edited.paperType, 1);
    }
    // The density and the hidden SMET list store their own positions only when they differ.
    Choose(Ctl<QComboBox>(*page, 8002), 2);
    EXPECT_EQ(env.ctx.store.edited.density, 2);
    const auto lines = SentLines(env.ctx);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "@PJL DEFAULT DENSITY = 5\r\n"), lines.end());
    Choose(Ctl<QComboBox>(*page, 8034), 1);
    EXPECT_EQ(env.ctx.store.edited.smet, 1);
}

TEST(JobPage, PaperTypeListUsesTray1SectionsAndCottonSpelling) {
    Env env("[Common]\nSTRING=ORB\n[JOB]\nPaperType=1\nCOTTON=1\n" + FullSection("Tray1", "GetTray1"), kLang);
    PrinterSettings s = Printer();
    s.paperType = 12;
    env.Report(s);
    auto page = env.Open<CJobTab>();
    auto* paper = Ctl<QComboBox>(*page, 8030);
    EXPECT_EQ(paper->currentIndex(), 12);
    Choose(paper, 11);
    EXPECT_EQ(env.ctx.store.edited.paperType, 11);
    const auto lines = SentLines(env.ctx);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "@PJL DEFAULT PAPERTYPE = COTTON\r\n"), lines.end());
}

TEST(JobPage, ACodeTheModelCannotShowIsKept) {
    Env env("[Common]\nSTRING=ORB\n" + AllRows() + FullSection("Tray1", "GetTray1") + kShortTray2 +
                "[Tray3]\nOFF=1\nNormal=1\n0=0\n1=1\n[GetTray3]\n0=0\n1=1\n13=6\n",
            kLang);
    PrinterSettings s = Printer();
    s.tray2PaperType = 13; // GetTray2 has no key 13: position 0
    s.tray3PaperType = 13; // GetTray3 puts it past the end of a two-entry list
    env.Report(s);
    auto page = env.Open<CJobTab>();
    EXPECT_EQ(Ctl<QComboBox>(*page, 8047)->currentIndex(), 0);
    EXPECT_EQ(Ctl<QComboBox>(*page, 8051)->currentIndex(), -1);
    Choose(Ctl<QComboBox>(*page, 8002), 0);
    EXPECT_EQ(env.ctx.store.edited.tray3PaperType, 13);
    // A missing key is position 0, a shown entry, and the page writes its code.
    EXPECT_EQ(env.ctx.store.edited.tray2PaperType, 0);
}

TEST(JobPage, ImageQualityOemThirdEntry) {
    Env env("[Common]\nSTRING=KALOR\n" + AllRows(), kLang);
    PrinterSettings s = Printer();
    env.Report(s);
    auto page = env.Open<CJobTab>();
    auto* quality = Ctl<QComboBox>(*page, 8037);
    EXPECT_EQ(Items(quality), (QStringList{"Enhanced", "Normal", "Gray"}));
    EXPECT_EQ(Ctl<QLabel>(*page, 6016)->text(), "Print Density");
    Choose(quality, 2);
    EXPECT_EQ(env.ctx.store.edited.ret, 3);
    auto lines = SentLines(env.ctx);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "@PJL DEFAULT RET = GRAY\r\n"), lines.end());
    quality->setCurrentIndex(0);
    page->LoadFromSettings();
    EXPECT_EQ(quality->currentIndex(), 2);
    // Another list's change does not touch RET while image quality stays where it was applied.
    env.ctx.store.edited.ret = 2;
    page->LoadFromSettings();
    EXPECT_EQ(quality->currentIndex(), 2);
    Choose(Ctl<QComboBox>(*page, 8002), 0);
    EXPECT_EQ(env.ctx.store.edited.ret, 2);
    Choose(quality, 0);
    EXPECT_EQ(env.ctx.store.edited.ret, 0);
}

TEST(JobPage, ImageQualityOutsideAShortListIsKept) {
    Env env(Model(), kLang);
    PrinterSettings s = Printer();
    s.ret = 3;
    env.Report(s);
    auto page = env.Open<CJobTab>();
    EXPECT_EQ(Ctl<QComboBox>(*page, 8037)->currentIndex(), -1);
    Choose(Ctl<QComboBox>(*page, 8002), 2);
    EXPECT_EQ(env.ctx.store.edited.ret, 3);
}

TEST(JobPage, Timeout) {
    Env env(Model(), kLang);
    env.Report(Printer());
    auto page = env.Open<CJobTab>();
    auto* edit = Ctl<QLineEdit>(*page, 8007);
    EXPECT_EQ(edit->text(), "15");
    EXPECT_EQ(edit->maxLength(), 3);
    edit->setText("999");
    FocusOut(edit);
    EXPECT_EQ(edit->text(), "300");
    EXPECT_EQ(env.ctx.store.edited.timeout, 300);
    edit->setText("");
    FocusOut(edit);
    EXPECT_EQ(edit->text(), "15");
    EXPECT_EQ(env.ctx.store.edited.timeout, 15);
    edit->setText("0");
    FocusOut(edit);
    EXPECT_EQ(env.ctx.store.edited.timeout, 0); // no lower bound
    edit->setText("120");
    FocusOut(edit);
    const auto lines = SentLines(env.ctx);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "@PJL DEFAULT TIMEOUT = 120\r\n"), lines.end());
    // Typing letters is refused by the edit itself.
    edit->setText("");
    edit->insert("4x5");
    EXPECT_EQ(edit->text(), "");

    Env four("[JOB]\nTimeOut=1\nLimitTime=3600\n", kLang);
    four.Report(Printer());
    auto p4 = four.Open<CJobTab>();
    auto* e4 = Ctl<QLineEdit>(*p4, 8007);
    EXPECT_EQ(e4->maxLength(), 4);
    e4->setText("9999");
    FocusOut(e4);
    EXPECT_EQ(e4->text(), "3600");
    e4->setText("1234");
    FocusOut(e4);
    EXPECT_EQ(four.ctx.store.edited.timeout, 1234);
}

TEST(JobPage, LoadBeforeTheWindowAndHelp) {
    Env env(Model(), kLang);
    env.Report(Printer());
    CJobTab page(env.ctx);
    env.ctx.store.edited.timeout = 60;
    env.ctx.store.edited.density = 0;
    page.LoadFromSettings();
    EXPECT_EQ(page.Control(8007), nullptr);
    page.EnsureCreated();
    EXPECT_EQ(Ctl<QLineEdit>(page, 8007)->text(), "60");
    EXPECT_EQ(Ctl<QComboBox>(page, 8002)->currentIndex(), 0);
    const std::pair<int, uint32_t> help[] = {{8002, 139074}, {6016, 139074}, {8007, 139079}, {6020, 139079},
                                             {8030, 139102}, {6018, 139102}, {8037, 139109}, {6019, 139109},
                                             {8043, 139115}, {6022, 139115}, {8047, 139119}, {6024, 139119},
                                             {8051, 139123}, {6026, 139123}};
    for (auto [id, topic] : help)
        EXPECT_EQ(RightClickHelp(page, env.ui, page.Control(id)), topic) << id;
    EXPECT_EQ(page.PopupHelpAt(QPoint(page.width() - 2, page.height() - 2)), 0u);
}
