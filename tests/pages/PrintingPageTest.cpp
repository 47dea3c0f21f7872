// The Printing page through its real controls: lists picked, radios clicked, fields typed and
// left, with the recording UiHost and the stand-in device library behind Send.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <memory>

#include "FakeDev.h"
#include "PageFixture.h"
#include "pages/NumEdit.h"
#include "pages/PageFactory.h"
#include "pages/PrintingTab.h"
#include "pjl/Upload.h"
#include "RecordingUiHost.h"

using namespace tav;

namespace {

QApplication& App() { return tavtest::QtApp(); }

// Every text the page shows, in the test's own words, so each one is seen where it lands.
const char* kLang =
    "[PRINTING]\n"
    "IDL_PAPERGROUP=Paper\nIDL_PAPERGROUP_X=Media\nIDL_PAPERSIZE=Paper size:\nIDL_WIDTH=Width:\nIDL_HEIGHT=Height:\n"
    "IDL_ORIENTATION=Orientation\nIDC_PORTRAIT=Portrait\nIDC_LANDSCAPE=Landscape\nIDC_WIDEA4=Wide A4\n"
    "IDL_PAPERTRAY=Paper source:\nIDL_PAPERTRAY_X=Media source:\nIDL_COPIES=Copies:\nIDL_COPIES_X=Copy count:\n"
    "IDL_QUALITY=Print quality:\nIDL_QUALITY_X=Resolution:\nIDL_MARGINSGROUP=Margins\n"
    "IDL_TOPMARGIN=Top:\nIDL_TOPMARGIN_X=Top offset:\nIDL_LEFTMARGIN=Left:\nIDL_LEFTMARGIN_X=Left offset:\n"
    "IDL_DU_TOPMARGIN_X=Duplex top:\nIDL_DU_LEFTMARGIN_X=Duplex left:\n"
    "[STR_PRINT]\n"
    "IDS_PAPERSIZE0=Letter\nIDS_PAPERSIZE1=Legal\nIDS_PAPERSIZE2=A4\nIDS_PAPERSIZE3=B5 (JIS)\nIDS_PAPERSIZE3_S=JIS B5\n"
    "IDS_PAPERSIZE5=Executive\nIDS_PAPERSIZE11=A5\nIDS_PAPERSIZE15=Custom\nIDS_PAPERSIZE19=B6 (JIS)\n"
    "IDS_PAPERSIZE19_S=JIS B6\n"
    "IDS_PAPERSOURCE_AUTO=Auto\nIDS_PAPERSOURCE_TRAY1=Tray 1\nIDS_PAPERSOURCE_TRAY2=Tray 2\n"
    "IDS_PAPERSOURCE_TRAY3=Tray 3\nIDS_PAPERSOURCE_MANUAL=Manual\nIDS_PAPERSOURCE_MP=MP tray\n"
    "IDS_DPI300=300 dpi\nIDS_DPI600=600 dpi\nIDS_DPI1200=1200 dpi\nIDS_DPI1200_X=1200 dpi class\n"
    "IDS_DPIDRAFT=Draft\nIDS_DPI600_Draft=600 draft\nIDS_DPI1200_Normal=1200 normal\nIDS_DPI1200_Best=1200 best\n"
    "IDS_SHORTEDGE=Short edge:\nIDS_LONGEDGE=Long edge:\nIDS_SHORTEDGE_MM=Short edge (mm):\n"
    "IDS_LONGEDGE_MM=Long edge (mm):\nIDS_UNIT_MM=mm\nIDS_UNIT_INCH=inch\n";

// Positions: 0 Letter, 1 Legal, 2 A4, 3 JIS B5, 4 Executive, 5 A5, 6 Custom. The cassette takes
// Letter, A4 and A5 only.
const char* kSections =
    "[MP_PAPERTYPE]\nLETTER=1\nLEGAL=1\nA4=1\nJISB5=1\nEXECUTIVE=1\nA5=1\nCUSTOM=1\n"
    "[TRAY1_PAPERTYPE]\nLETTER=1\nA4=1\nA5=1\n"
    "[SetPaperSize]\n0=0\n1=1\n2=2\n3=3\n4=5\n5=11\n6=15\n"
    "[GetPaperSize]\n0=0\n1=1\n2=2\n3=3\n5=4\n11=5\n15=6\n"
    "[SetPaperSizeTray1]\n0=0\n1=2\n2=11\n"
    "[GetPaperSizeTray1]\n0=0\n2=1\n11=2\n"
    "[PAPERTYPE]\nCUSTOM_INDEX=6\n";

class PrintingPage : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        home.Write("EN.ini", kLang);
        ctx.cfg.configFilePath = home.dir + "comtav.ini";
        ctx.cfg.langFilePath = home.dir + "EN.ini";
        ctx.cfg.helpFilePath = home.dir + "wintav32.html";
        Model("");
        // The printer at 600 dpi as a settings load leaves it for the short list (its code 1, one
        // taken off), A4 from the automatic source, 1 copy.
        PrinterSettings& r = ctx.store.reported;
        r.paper = 2;
        r.copies = 1;
        r.resolution = 0;
        r.customWidth = 100;
        r.customHeight = 200;
        r.featureFlags = 0x4;
        ctx.store.edited = r;
    }
    // The configuration: Common, then the Printing section's extra lines, then the paper sections.
    void Model(const std::string& printing, const std::string& brand = "ORB") {
        home.Write("comtav.ini", "[Common]\nSTRING=" + brand + "\nDeviceID=s\n[Printing]\n" + printing + kSections);
    }
    CPrintingTab& Open() {
        page = std::make_unique<CPrintingTab>(ctx);
        page->EnsureCreated();
        page->OnSetActive();
        page->show();
        return *page;
    }
    template <typename W = QWidget>
    W* Ctl(int id) {
        auto* w = qobject_cast<W*>(page->Control(id));
        EXPECT_NE(w, nullptr) << "control " << id;
        return w;
    }
    QComboBox* List(int id) { return Ctl<QComboBox>(id); }
    QLineEdit* Edit(int id) { return Ctl<QLineEdit>(id); }
    QString Text(int id) {
        QWidget* w = page->Control(id);
        if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
        if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
        if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
        if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
        return "<no such control>";
    }
    std::vector<QString> Entries(int id) {
        std::vector<QString> out;
        for (int i = 0; i < List(id)->count(); ++i) out.push_back(List(id)->itemText(i));
        return out;
    }
    // What a user does: pick an entry of a drop list.
    void Pick(int id, int index) {
        QComboBox* c = List(id);
        ASSERT_LT(index, c->count());
        c->setCurrentIndex(index);
        emit c->activated(index);
    }
    void Click(int id) { QTest::mouseClick(Ctl<QAbstractButton>(id), Qt::LeftButton); }
    void Leave(int id) {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(page->Control(id), &out);
    }
    // Empties the field, types the keys and leaves the field.
    void Type(int id, const QString& keys) {
        QLineEdit* e = Edit(id);
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Backspace);
        QTest::keyClicks(e, keys);
        Leave(id);
    }
    int Beeps() const {
        int n = 0;
        for (const auto& e : ui.events) n += e.kind == RecordingUiHost::Kind::Beep;
        return n;
    }
    // Send as the button bar does it, with the printer's record queued as its reply.
    std::string Send() {
        ctx.link.Bind(false, home.dir);
        dev = std::make_unique<tavtest::FakeDev>(home.dir + "libqvdevm.so");
        dev->QueueRead(std::string("\x00\x01\x02\xff\x00", 5));
        EXPECT_EQ(UploadSettings(ctx), 1);
        return tavtest::Bytes(dev->Written());
    }

    tavtest::FakeHome home;
    RecordingUiHost ui;
    AppContext ctx{ui};
    std::unique_ptr<CPrintingTab> page;
    std::unique_ptr<tavtest::FakeDev> dev;
};

constexpr int kPaper = 8000, kShort = 8021, kLong = 8016, kPortrait = 8008, kLandscape = 8010, kIcon = 8022;
constexpr int kWideA4 = 8148, kSource = 8011, kCopies = 8005, kQuality = 8020, kTop = 8023, kLeft = 8018;
constexpr int kDupTop = 8029, kDupLeft = 8033;

TEST_F(PrintingPage, InitialisationFollowsTheModelFile) {
    Model("WIDE A4=1\nDepulex Margins=1\n");
    ctx.store.paperChanged = ctx.store.customPaperChanged = true;
    CPrintingTab& p = Open();
    EXPECT_FALSE(ctx.store.paperChanged);
    EXPECT_FALSE(ctx.store.customPaperChanged);
    EXPECT_EQ(Text(6003), "Paper");
    EXPECT_EQ(Text(6004), "Paper size:");
    EXPECT_EQ(Text(6008), "Paper source:");
    EXPECT_EQ(Text(6009), "Copies:");
    EXPECT_EQ(Text(6010), "Print quality:");
    EXPECT_EQ(Text(6006), "Top:");
    EXPECT_EQ(Text(6012), "Duplex top:");
    EXPECT_EQ(Text(6035), "Margins");
    EXPECT_EQ(Text(6038), "Margins");
    EXPECT_EQ(Text(8010), "Landscape");
    // The width and height labels give way to the edge texts of the paper shown.
    EXPECT_EQ(Text(6001), "Short edge:");
    EXPECT_EQ(Text(6000), "Long edge:");
    EXPECT_TRUE(Ctl(kWideA4)->isVisible());
    EXPECT_TRUE(Ctl(6038)->isVisible());
    EXPECT_FALSE(Ctl(6035)->isVisible());
    for (int id : {6012, 8029, 6014, 8033}) {
        EXPECT_TRUE(Ctl(id)->isVisible()) << id;
        EXPECT_TRUE(Ctl(id)->isEnabled()) << id;
    }
    EXPECT_FALSE(Ctl(8019)->isVisible());
    EXPECT_FALSE(Ctl(6036)->isVisible());
    for (int id : {kTop, kLeft, kDupTop, kDupLeft}) EXPECT_EQ(Ctl<CNumEdit>(id)->Mode(), 8) << id;
    EXPECT_EQ(Ctl<CNumEdit>(kCopies)->Mode(), 9);
    for (int id : {kShort, kLong, kCopies, kTop, kLeft, kDupTop, kDupLeft})
        EXPECT_EQ(Ctl<CNumEdit>(id)->LimitText(), 3) << id;
    EXPECT_EQ(Entries(kPaper), (std::vector<QString>{"Letter", "Legal", "A4", "JIS B5", "Executive", "A5", "Custom"}));
    EXPECT_EQ(List(kPaper)->currentIndex(), 2);
    EXPECT_EQ(Text(kShort), "210 mm");
    EXPECT_EQ(Text(kLong), "297 mm");
    EXPECT_FALSE(Edit(kShort)->isEnabled());
    EXPECT_EQ(Text(kCopies), "1");
    EXPECT_TRUE(Ctl<QRadioButton>(kPortrait)->isChecked());
    EXPECT_EQ(Ctl(kIcon)->property("iconResource").toInt(), 1001);
    EXPECT_DOUBLE_EQ(p.MaxTopMargin(), 250);
    EXPECT_DOUBLE_EQ(p.MaxLeftMargin(), 164);

    // Without the switches: Wide A4 hidden, the short box, no duplex rows; bit 2 clear disables them.
    Model("");
    ctx.store.edited.featureFlags = 0;
    ctx.store.edited.marginUnit = 1;
    Open();
    EXPECT_FALSE(Ctl(kWideA4)->isVisible());
    EXPECT_TRUE(Ctl(6035)->isVisible());
    EXPECT_FALSE(Ctl(6038)->isVisible());
    for (int id : {6012, 8029, 6014, 8033}) {
        EXPECT_FALSE(Ctl(id)->isVisible()) << id;
        EXPECT_FALSE(Ctl(id)->isEnabled()) << id;
    }
    EXPECT_EQ(Ctl<CNumEdit>(kDupTop)->Mode(), 0);
    EXPECT_EQ(Ctl<CNumEdit>(kDupTop)->LimitText(), 4);  // inches: "0.40"

    // The OEM brand's labels and paper texts.
    Model("", "KALOR");
    Open();
    EXPECT_EQ(Text(6003), "Media");
    EXPECT_EQ(Text(6008), "Media source:");
    EXPECT_EQ(Text(6009), "Copy count:");
    EXPECT_EQ(Text(6010), "Resolution:");
    EXPECT_EQ(Text(6006), "Top offset:");
    EXPECT_EQ(Text(6007), "Left offset:");
    EXPECT_EQ(Text(6012), "Duplex top:");
    EXPECT_EQ(Entries(kPaper)[3], "B5 (JIS)");
}

TEST_F(PrintingPage, FourSourceTablesBothWays) {
    struct Case {
        uint32_t flags;
        const char* printing;
        std::vector<QString> entries;
        std::vector<int> codeOfPosition;
        std::vector<int> positionOfCode;  // codes 0..6
    };
    const Case cases[] = {
        {1, "Tray1MPT_SAME=1\n", {"Auto", "Tray 1", "Tray 2", "Tray 3"}, {0, 2, 6, 3}, {0, 2, 1, 3, 3, 2, 0}},
        {1, "", {"Auto", "Tray 1", "Tray 2", "Manual", "MP tray"}, {0, 1, 3, 5, 2}, {0, 1, 4, 2, 0, 3, 0}},
        // TRAY3 and TRAY4 would land on a fourth entry this list lacks: the first one instead.
        {0, "Tray1MPT_SAME=1\n", {"Auto", "Tray 1", "Tray 2"}, {0, 2, 6}, {0, 2, 1, 0, 0, 1, 0}},
        {0, "", {"Auto", "Tray 1", "Manual", "MP tray"}, {0, 1, 5, 2}, {0, 1, 3, 0, 0, 2, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.printing + std::to_string(c.flags));
        Model(c.printing);
        ctx.store.edited.featureFlags = c.flags;
        ctx.store.edited.mediaSource = 0;
        Open();
        EXPECT_EQ(Entries(kSource), c.entries);
        for (int code = 0; code <= 6; ++code) {
            ctx.store.edited.mediaSource = static_cast<uint8_t>(code);
            page->LoadFromSettings();
            EXPECT_EQ(List(kSource)->currentIndex(), c.positionOfCode[static_cast<size_t>(code)]) << "code " << code;
        }
        ctx.store.edited.mediaSource = 0;
        page->LoadFromSettings();
        for (int pos = static_cast<int>(c.entries.size()) - 1; pos >= 0; --pos) {
            Pick(kSource, pos);
            EXPECT_EQ(ctx.store.edited.mediaSource, c.codeOfPosition[static_cast<size_t>(pos)]) << "position " << pos;
        }
    }
}

TEST_F(PrintingPage, ThreeQualityListsLoadAndApply) {
    // The short list: the page holds one below the printer's code; Send adds it back.
    Open();
    EXPECT_EQ(Entries(kQuality), (std::vector<QString>{"600 dpi", "1200 dpi"}));
    EXPECT_EQ(List(kQuality)->currentIndex(), 0);
    EXPECT_EQ(ctx.store.edited.resolution, 0);
    Pick(kQuality, 1);
    EXPECT_EQ(ctx.store.edited.resolution, 1);
    EXPECT_NE(Send().find("@PJL DEFAULT RESOLUTION = 1200\r\n"), std::string::npos);

    // A printer that reports 0: the first entry, and Send carries it instead of dropping the line.
    ctx.store.edited = ctx.store.reported;
    ctx.store.edited.resolution = 0;
    Open();
    EXPECT_EQ(List(kQuality)->currentIndex(), 0);
    EXPECT_EQ(ctx.store.edited.resolution, 0);
    EXPECT_NE(Send().find("@PJL DEFAULT RESOLUTION = 600\r\n"), std::string::npos);

    // Draft: toner saving at 600 shows as draft; picking draft or leaving it sets ECONOMODE.
    Model("1200_DRAFT=1\n", "KALOR");
    ctx.store.edited = ctx.store.reported;
    ctx.store.edited.resolution = 1; // the OEM lists hold the printer's codes: 600
    ctx.store.edited.economode = 1;
    Open();
    EXPECT_EQ(Entries(kQuality), (std::vector<QString>{"300 dpi", "600 dpi", "1200 dpi class", "Draft"}));
    EXPECT_EQ(List(kQuality)->currentIndex(), 3);
    Pick(kQuality, 2);
    EXPECT_EQ(ctx.store.edited.resolution, 2);
    EXPECT_EQ(ctx.store.edited.economode, 0);
    Pick(kQuality, 3);
    EXPECT_EQ(ctx.store.edited.resolution, 3);
    EXPECT_EQ(ctx.store.edited.economode, 1);

    // Best: positions are the printer's codes.
    Model("1200_BEST=1\n1200_DRAFT=0\n");
    ctx.store.edited = ctx.store.reported;
    ctx.store.edited.resolution = 2;
    Open();
    EXPECT_EQ(Entries(kQuality), (std::vector<QString>{"600 draft", "1200 normal", "1200 best"}));
    EXPECT_EQ(List(kQuality)->currentIndex(), 2);
    Pick(kQuality, 0);
    EXPECT_EQ(ctx.store.edited.resolution, 0);

    // The standard brand's draft list starts at 600: a printer at 600 shows 600, and with toner
    // saving the draft entry; an unchanged Send gives back 600.
    Model("1200_DRAFT=1\n");
    ctx.store.edited = ctx.store.reported;
    Open();
    EXPECT_EQ(Entries(kQuality), (std::vector<QString>{"600 dpi", "1200 dpi", "Draft"}));
    EXPECT_EQ(List(kQuality)->currentIndex(), 0);
    EXPECT_NE(Send().find("@PJL DEFAULT RESOLUTION = 600\r\n"), std::string::npos);
    ctx.store.edited = ctx.store.reported;
    ctx.store.edited.economode = 1;
    Open();
    EXPECT_EQ(List(kQuality)->currentIndex(), 2);
}

TEST_F(PrintingPage, OrientationSwapsTheMarginsOnScreenAndInTheStore) {
    ctx.store.edited.topMargin = 120;
    ctx.store.edited.leftMargin = 30;
    Open();
    EXPECT_EQ(Text(kTop), "120");
    EXPECT_EQ(Text(kLeft), "30");
    Click(kLandscape);
    EXPECT_EQ(Text(kTop), "30");
    EXPECT_EQ(Text(kLeft), "120");
    EXPECT_EQ(ctx.store.edited.topMargin, 30);
    EXPECT_EQ(ctx.store.edited.leftMargin, 120);
    EXPECT_EQ(ctx.store.edited.orientation, 1);
    EXPECT_EQ(ctx.store.edited.formLines, 43);  // A4 landscape
    EXPECT_EQ(Ctl(kIcon)->property("iconResource").toInt(), 1002);
    // Clicking the radio that is already on swaps nothing.
    Click(kLandscape);
    EXPECT_EQ(Text(kTop), "30");
    EXPECT_EQ(ctx.store.edited.topMargin, 30);
    Click(kPortrait);
    EXPECT_EQ(Text(kTop), "120");
    EXPECT_EQ(ctx.store.edited.topMargin, 120);
    EXPECT_EQ(ctx.store.edited.leftMargin, 30);
    EXPECT_EQ(ctx.store.edited.formLines, 64);
    EXPECT_EQ(Ctl(kIcon)->property("iconResource").toInt(), 1001);

    // In inches the texts are tenths and go back in as tenths.
    ctx.store.edited.marginUnit = 1;
    ctx.store.edited.topMargin = 45;
    ctx.store.edited.leftMargin = 5;
    page->LoadFromSettings();
    EXPECT_EQ(Text(kTop), "4.5");
    EXPECT_EQ(Text(kLeft), "0.5");
    Click(kLandscape);
    EXPECT_EQ(Text(kTop), "0.5");
    EXPECT_EQ(ctx.store.edited.topMargin, 5);
    EXPECT_EQ(ctx.store.edited.leftMargin, 45);
    // The landscape limits are the portrait ones swapped: A4's 164 mm side is now the top.
    ctx.store.edited.marginUnit = 0;
    page->LoadFromSettings();
    EXPECT_DOUBLE_EQ(page->MaxTopMargin(), 164);
    Type(kTop, "200");
    EXPECT_EQ(Text(kTop), "164");
    Type(kLeft, "250");
    EXPECT_EQ(ctx.store.edited.leftMargin, 250);
}

TEST_F(PrintingPage, MarginDuplexAndCopiesClamps) {
    Model("Depulex Margins=1\n");
    ctx.store.edited.marginUnit = 1;
    ctx.store.edited.paper = 0;  // Letter portrait
    Open();
    Type(kLeft, "7.5");
    EXPECT_EQ(Text(kLeft), "6.8");
    EXPECT_EQ(ctx.store.edited.leftMargin, 68);
    Type(kTop, "");
    EXPECT_EQ(Text(kTop), "0.0");
    EXPECT_EQ(ctx.store.edited.topMargin, 0);
    Type(kDupTop, "0.55");
    EXPECT_EQ(Text(kDupTop), "0.40");
    EXPECT_EQ(ctx.store.edited.dupTopMargin, 40);
    Type(kDupLeft, "0.07");
    EXPECT_EQ(ctx.store.edited.dupLeftMargin, 7);
    // Four characters only in inch mode; letters never get in.
    Type(kDupLeft, "0.125");
    EXPECT_EQ(Text(kDupLeft), "0.12");
    const int before = Beeps();
    Type(kTop, "1x");
    EXPECT_EQ(Beeps(), before + 1);
    EXPECT_EQ(Text(kTop), "1.0");

    ctx.store.edited.marginUnit = 0;
    ctx.store.edited.paper = 2;
    page->LoadFromSettings();
    Type(kDupTop, "12");
    EXPECT_EQ(Text(kDupTop), "9.9");
    EXPECT_EQ(ctx.store.edited.dupTopMargin, 99);
    Type(kDupTop, "");
    EXPECT_EQ(Text(kDupTop), "0.0");
    EXPECT_EQ(ctx.store.edited.dupTopMargin, 0);
    Type(kDupLeft, "4.56");
    EXPECT_EQ(ctx.store.edited.dupLeftMargin, 45);
    Type(kTop, "300");
    EXPECT_EQ(Text(kTop), "250");
    EXPECT_EQ(ctx.store.edited.topMargin, 250);
    Type(kLeft, "170");
    EXPECT_EQ(Text(kLeft), "164");  // A4's left limit
    Type(kLeft, "");
    EXPECT_EQ(Text(kLeft), "0");

    // Copies: 0 becomes 1, a fourth digit cannot be typed, an empty field is 1, "." is refused.
    Type(kCopies, "0");
    EXPECT_EQ(Text(kCopies), "1");
    EXPECT_EQ(ctx.store.edited.copies, 1);
    Type(kCopies, "1000");
    EXPECT_EQ(Text(kCopies), "100");
    EXPECT_EQ(ctx.store.edited.copies, 100);
    Type(kCopies, "999");
    EXPECT_EQ(ctx.store.edited.copies, 999);
    Type(kCopies, "");
    EXPECT_EQ(Text(kCopies), "1");
    EXPECT_EQ(ctx.store.edited.copies, 1);
    const int beeps = Beeps();
    Type(kCopies, "2.5");
    EXPECT_EQ(Beeps(), beeps + 1);
    EXPECT_EQ(ctx.store.edited.copies, 25);
}

TEST_F(PrintingPage, PaperChangeLimitsTheMarginsAgainAndShowsTheSize) {
    ctx.store.edited.paper = 0;
    ctx.store.edited.topMargin = 240;
    ctx.store.edited.leftMargin = 168;
    Open();
    EXPECT_EQ(Text(kShort), "8.5\"");
    EXPECT_EQ(Text(kLong), "11\"");
    Pick(kPaper, 5);  // A5: 100 by 100
    EXPECT_EQ(ctx.store.edited.paper, 11);
    EXPECT_TRUE(ctx.store.paperChanged);
    EXPECT_FALSE(ctx.store.customPaperChanged);
    EXPECT_EQ(Text(kShort), "148 mm");
    EXPECT_EQ(Text(kTop), "100");
    EXPECT_EQ(Text(kLeft), "100");
    EXPECT_EQ(ctx.store.edited.topMargin, 100);
    EXPECT_EQ(ctx.store.edited.formLines, 43);
    // Executive sits at position 4 but is code 5.
    Pick(kPaper, 4);
    EXPECT_EQ(ctx.store.edited.paper, 5);
    EXPECT_EQ(Text(kLong), "10.5\"");
    EXPECT_EQ(ctx.store.edited.formLines, 57);
}

TEST_F(PrintingPage, CustomSizeClampsAndFormLines) {
    Open();
    Pick(kPaper, 6);
    EXPECT_EQ(ctx.store.edited.paper, 15);
    EXPECT_TRUE(ctx.store.customPaperChanged);
    EXPECT_TRUE(Edit(kShort)->isEnabled());
    EXPECT_EQ(Text(6001), "Short edge (mm):");
    EXPECT_EQ(Text(6000), "Long edge (mm):");
    EXPECT_EQ(Text(kShort), "100");
    EXPECT_EQ(Text(kLong), "200");
    Type(kShort, "50");
    EXPECT_EQ(Text(kShort), "76");
    EXPECT_EQ(ctx.store.edited.customWidth, 76);
    Type(kShort, "300");
    EXPECT_EQ(Text(kShort), "216");
    Type(kLong, "400");
    EXPECT_EQ(Text(kLong), "356");
    EXPECT_EQ(ctx.store.edited.customHeight, 356);
    // 210 by 297 counts as A4; 200 by 300 is computed; one millimetre off A4 is computed too.
    Type(kShort, "210");
    Type(kLong, "297");
    EXPECT_EQ(ctx.store.edited.formLines, 64);
    Click(kLandscape);
    EXPECT_EQ(ctx.store.edited.formLines, 43);
    Click(kPortrait);
    Type(kShort, "200");
    Type(kLong, "300");
    EXPECT_EQ(ctx.store.edited.formLines, 65);
    Click(kLandscape);
    EXPECT_EQ(ctx.store.edited.formLines, 41);
    Type(kShort, "211");
    Type(kLong, "297");
    EXPECT_EQ(ctx.store.edited.formLines, 44);

    // Leaving the page limits both edges again, even when a field was filled from code.
    Edit(kLong)->setText("999");
    page->OnKillActive();
    EXPECT_EQ(Text(kLong), "356");
    EXPECT_EQ(ctx.store.edited.customHeight, 356);

    // Another size clears the custom flag and disables the edits with the table's texts.
    Pick(kPaper, 0);
    EXPECT_FALSE(ctx.store.customPaperChanged);
    EXPECT_FALSE(Edit(kShort)->isEnabled());
    EXPECT_EQ(Text(6001), "Short edge:");
    EXPECT_EQ(Text(kShort), "8.5\"");

    // A stored custom size outside the limits is limited when the custom entry is picked.
    ctx.store.edited.customWidth = 0;
    ctx.store.edited.customHeight = 1000;
    Pick(kPaper, 6);
    EXPECT_EQ(Text(kShort), "76");
    EXPECT_EQ(Text(kLong), "356");
    EXPECT_EQ(ctx.store.edited.customWidth, 76);
    EXPECT_EQ(ctx.store.edited.customHeight, 356);
}

TEST_F(PrintingPage, SourceChangeRederivesThePaperThroughTheTraySections) {
    Open();  // bit 0 clear, Tray1MPT_SAME off: position 1 is the cassette
    Pick(kPaper, 2);
    ctx.store.paperChanged = false;
    ctx.store.customPaperChanged = true;
    Pick(kSource, 1);
    EXPECT_TRUE(page->CassetteSource());
    EXPECT_EQ(ctx.store.edited.mediaSource, 1);
    EXPECT_EQ(Entries(kPaper), (std::vector<QString>{"Letter", "A4", "A5"}));
    // The old position 2 stays and maps through the cassette's section: A5 now.
    EXPECT_EQ(List(kPaper)->currentIndex(), 2);
    EXPECT_EQ(ctx.store.edited.paper, 11);
    EXPECT_TRUE(ctx.store.paperChanged);
    EXPECT_FALSE(ctx.store.customPaperChanged);
    EXPECT_EQ(Text(kShort), "148 mm");
    EXPECT_EQ(ctx.store.edited.formLines, 43);
    // Back to the automatic source: the position stays and maps to A4 again.
    Pick(kSource, 0);
    EXPECT_FALSE(page->CassetteSource());
    EXPECT_EQ(Entries(kPaper).size(), 7u);
    EXPECT_EQ(ctx.store.edited.paper, 2);
    // Executive is not offered by the cassette: the same paper is not there, so the top entry.
    Pick(kPaper, 4);
    Pick(kSource, 1);
    EXPECT_EQ(List(kPaper)->currentIndex(), 0);
    EXPECT_EQ(ctx.store.edited.paper, 0);
    // A5 at position 5 is offered by the cassette at position 2.
    Pick(kSource, 0);
    Pick(kPaper, 5);
    Pick(kSource, 1);
    EXPECT_EQ(List(kPaper)->currentIndex(), 2);
    EXPECT_EQ(ctx.store.edited.paper, 11);
    // Loading from the store uses the cassette's Get section.
    ctx.store.edited.mediaSource = 1;
    ctx.store.edited.paper = 2;
    page->LoadFromSettings();
    EXPECT_EQ(List(kPaper)->currentIndex(), 1);
    EXPECT_FALSE(ctx.store.paperChanged);

    // The OEM brand leaves the paper alone when the source changes.
    Model("", "KALOR");
    ctx.store.edited.mediaSource = 0;
    Open();
    Pick(kPaper, 1);
    ctx.store.paperChanged = false;
    ctx.store.customPaperChanged = true;
    Pick(kSource, 1);
    EXPECT_EQ(ctx.store.edited.mediaSource, 1);
    EXPECT_EQ(Entries(kPaper).size(), 7u);
    EXPECT_EQ(ctx.store.edited.paper, 1);
    EXPECT_FALSE(ctx.store.paperChanged);
    EXPECT_TRUE(ctx.store.customPaperChanged);
}

TEST_F(PrintingPage, SendCarriesThePaperLines) {
    Open();
    Pick(kPaper, 1);
    std::string job = Send();
    EXPECT_NE(job.find("\r\n@PJL DEFAULT PAPER = LEGAL\r\n"), std::string::npos) << job;
    EXPECT_EQ(job.find("OTHERS"), std::string::npos) << job;

    Pick(kPaper, 6);
    Type(kShort, "150");
    Type(kLong, "250");
    job = Send();
    EXPECT_NE(job.find("@PJL DEFAULT PAPER = CUSTOM\r\n@PJL DEFAULT PAPER = OTHERS WIDTH =150 HEIGHT=250\r\n"),
              std::string::npos)
        << job;
    EXPECT_NE(job.find("@PJL DEFAULT RESOLUTION = 600\r\n"), std::string::npos) << job;
}

TEST_F(PrintingPage, WideA4AndLoadingNeverRunAHandler) {
    Model("WIDE A4=1\n");
    Open();
    // Filling the page from code is not a user's change.
    ctx.store.edited.paper = 1;
    ctx.store.edited.orientation = 1;
    page->LoadFromSettings();
    EXPECT_FALSE(ctx.store.paperChanged);
    EXPECT_EQ(List(kPaper)->currentIndex(), 1);
    EXPECT_TRUE(Ctl<QRadioButton>(kLandscape)->isChecked());
    List(kPaper)->setCurrentIndex(0);
    EXPECT_FALSE(ctx.store.paperChanged);
    EXPECT_EQ(ctx.store.edited.paper, 1);
    // A tick reaches the store by itself.
    Click(kWideA4);
    EXPECT_EQ(ctx.store.edited.wideA4, 1);
    Click(kWideA4);
    EXPECT_EQ(ctx.store.edited.wideA4, 0);
}

// The settings load converts the field; the page, however often it loads, only shows it.
TEST_F(PrintingPage, LoadingBeforeAndAfterTheFirstShowLeavesTheResolutionAlone) {
    page = std::make_unique<CPrintingTab>(ctx);
    ctx.store.edited.resolution = 1;  // 1200 on the short list
    page->LoadFromSettings();
    page->EnsureCreated();
    page->LoadFromSettings();
    EXPECT_EQ(ctx.store.edited.resolution, 1);
    EXPECT_EQ(List(kQuality)->currentIndex(), 1);
}

TEST_F(PrintingPage, GatedPaperCodeAboveTheTableAndContextHelp) {
    // Position 1 of a model maps to code 40: the letter-sized limits and computed form lines.
    home.Write("comtav.ini",
               "[Common]\nSTRING=ORB\n[MP_PAPERTYPE]\nA4=1\nCUSTOM=1\n[SetPaperSize]\n0=2\n1=40\n"
               "[GetPaperSize]\n2=0\n40=1\n[PAPERTYPE]\nCUSTOM_INDEX=5\n");
    ctx.store.edited.customWidth = 200;
    ctx.store.edited.customHeight = 300;
    CPrintingTab& p = Open();
    EXPECT_EQ(Entries(kPaper), (std::vector<QString>{"A4", "Custom"}));
    Pick(kPaper, 1);
    EXPECT_EQ(ctx.store.edited.paper, 40);
    EXPECT_FALSE(ctx.store.customPaperChanged);  // the custom entry is position 5 on this model
    EXPECT_DOUBLE_EQ(p.MaxTopMargin(), 250);
    EXPECT_DOUBLE_EQ(p.MaxLeftMargin(), 170);
    EXPECT_EQ(ctx.store.edited.formLines, 65);
    EXPECT_EQ(Text(kShort), "");

    // Right-click on a control: its topic; on the page's background: nothing.
    const std::pair<int, unsigned> expected[] = {{kPaper, 139072}, {6004, 139072}, {kSource, 139083},
                                                 {kCopies, 139077}, {kQuality, 139092}, {kTop, 137078},
                                                 {kLeft, 139090}, {6035, 137110}, {kPortrait, 0x20000 + 8008}};
    for (const auto& [id, topic] : expected) {
        ui.Clear();
        QWidget* w = page->Control(id);
        // A group box is hit on its frame, clear of the controls inside it.
        const QPoint inside = qobject_cast<QGroupBox*>(w) ? QPoint(3, w->height() - 3)
                                                          : QPoint(w->width() / 2, w->height() / 2);
        const QPoint at = w->mapTo(page.get(), inside);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, at, page->mapToGlobal(at));
        QCoreApplication::sendEvent(page.get(), &menu);
        ASSERT_EQ(ui.events.size(), 1u) << id;
        EXPECT_EQ(ui.events[0].kind, RecordingUiHost::Kind::PopupHelp);
        EXPECT_EQ(ui.events[0].ms, topic) << id;
    }
    ui.Clear();
    QContextMenuEvent background(QContextMenuEvent::Mouse, QPoint(2, 2), page->mapToGlobal(QPoint(2, 2)));
    QCoreApplication::sendEvent(page.get(), &background);
    EXPECT_TRUE(ui.events.empty());
    EXPECT_EQ(p.HelpIdFor(8148), 139220u);
    EXPECT_EQ(p.HelpIdFor(6038), 137110u);
}

TEST(NumEdit, ModesFilterTypedCharacters) {
    App();
    RecordingUiHost ui;
    CNumEdit edit(ui);
    QTest::keyClicks(&edit, "a1");
    EXPECT_EQ(edit.text(), "a1");  // no mode: a plain edit
    edit.clear();
    edit.SetMode(CNumEdit::kDecimal);
    QTest::keyClicks(&edit, "1.5x-");
    EXPECT_EQ(edit.text(), "1.5");
    EXPECT_EQ(ui.events.size(), 2u);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClick(&edit, Qt::Key_Left);
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.text(), "1");
    edit.clear();
    edit.SetMode(CNumEdit::kDigits);
    ui.Clear();
    QTest::keyClicks(&edit, "2.5");
    EXPECT_EQ(edit.text(), "25");
    ASSERT_EQ(ui.events.size(), 1u);
    EXPECT_EQ(ui.events[0].kind, RecordingUiHost::Kind::Beep);
    EXPECT_TRUE(edit.Accepts('\b'));
    EXPECT_FALSE(edit.Accepts(' '));
}

TEST(PrintingPageFactory, TheSheetGetsThePrintingPage) {
    App();
    RecordingUiHost ui;
    AppContext ctx(ui);
    PaperLayout paper(ctx);
    auto page = CreatePage(PageId::Printing, ctx, paper);
    ASSERT_NE(page, nullptr);
    EXPECT_NE(dynamic_cast<CPrintingTab*>(page.get()), nullptr);
    EXPECT_EQ(page->TemplateId(), 5003);
}

}  // namespace
