// Send, line by line and byte by byte: what goes out for which edit, and the exchange around it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include "FakeDev.h"
#include "pjl/PclFont.h"
#include "pjl/Resolution.h"
#include "pjl/SettingsFields.h"
#include "pjl/SettingsRecord.h"
#include "pjl/Upload.h"
#include <qvdevm/qvdevm.h>
#include "RecordingUiHost.h"

using namespace tav;
using tavtest::Bytes;
using tavtest::FakeDev;
using Lines = std::vector<std::string>;

namespace {
const std::string kUel = "\x1b%-12345X";

std::string Job(const Lines& lines) {
    std::string job = kUel + "@PJL\r\n";
    for (const auto& l : lines) job += l + "\r\n";
    return job + "@PJL INFO PRINTER = ALL\r\n" + kUel;
}

class CountingMonitor : public PortMonitor {
public:
    void Notify(bool resume) override { log += resume ? 'R' : 'P'; }
    std::string log;
};

class UploadTest : public ::testing::Test {
protected:
    void SetUp() override {
        Config("[Common]\nDeviceID=s\n");
        ctx.cfg.configFilePath = home.dir + "comtav.ini";
        ctx.portMonitor = &monitor;
        ctx.store.reported.residentFontCount = ctx.store.edited.residentFontCount = 54;
        debugFile = home.dir + "debug.txt";
        setenv("TAV_DEBUG_FILE", debugFile.c_str(), 1);
    }
    void TearDown() override { unsetenv("TAV_DEBUG_FILE"); }
    void Config(const std::string& text) { home.Write("comtav.ini", text); }
    void BindFake() {
        ASSERT_TRUE(ctx.link.Bind(false, home.dir));
        dev = std::make_unique<FakeDev>(home.dir + "libqvdevm.so");
    }
    std::string DebugText() const {
        std::ifstream in(debugFile, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // The lines for one edit made on top of two equal instances.
    template <typename Edit>
    Lines LinesFor(Edit edit) {
        ctx.store.edited = ctx.store.reported;
        edit(ctx.store.edited);
        return ComposeSettingsLines(ctx);
    }

    tavtest::FakeHome home;
    RecordingUiHost ui;
    AppContext ctx{ui};
    CountingMonitor monitor;
    std::unique_ptr<FakeDev> dev;
    std::string debugFile;
};

const std::string kRes600 = "@PJL DEFAULT RESOLUTION = 600";
}  // namespace

TEST_F(UploadTest, NothingChangedSendsOnlyTheResolutionAndReadsTheRecordBack) {
    BindFake();
    ctx.cfg.readDelay = 200;
    dev->QueueRead(std::string("\x00\x01\x02\xff\x00", 5));
    std::string sent;
    EXPECT_EQ(UploadSettings(ctx, &sent), 1);
    EXPECT_EQ(Bytes(dev->Written()), kUel + "@PJL\r\n@PJL DEFAULT RESOLUTION = 600\r\n@PJL INFO PRINTER = ALL\r\n" + kUel);
    EXPECT_EQ(sent, Bytes(dev->Written()));
    EXPECT_EQ(ui.Waits(), (std::vector<unsigned>{1000, 1500, 200}));
    EXPECT_EQ(monitor.log, "PR");
    EXPECT_EQ(ctx.replyBuffer[2], 0x02);
    EXPECT_EQ(ctx.replyBuffer[6], 0x00);  // cleared before the read
    EXPECT_EQ(dev->Held(), 0);
    // Write, then the held read: the outer hold wraps the read's own acquire and release.
    const std::string n = std::to_string(sent.size());
    EXPECT_EQ(dev->LogLines(),
              (Lines{"qvdevm PortAcquire(128)", "qvdevm PortRelease(128)", "qvdevm DeviceOpen(2,4,0,0,s)",
                     "qvdevm DeviceWrite(" + n + ")", "qvdevm DeviceClose(4)", "qvdevm PortAcquire(128)",
                     "qvdevm PortAcquire(128)", "qvdevm PortRelease(128)", "qvdevm DeviceOpen(2,4,0,0,s)",
                     "qvdevm DeviceRead(4096)", "qvdevm DeviceClose(4)", "qvdevm PortRelease(128)"}));
}

TEST_F(UploadTest, EveryRowInItsOrderWithItsSpelling) {
    PrinterSettings& e = ctx.store.edited;
    e = ctx.store.reported;
    ctx.store.paperChanged = ctx.store.customPaperChanged = true;
    e.calibration = 1, e.customColor = 1, e.cmykC = 1, e.cmykM = 2, e.cmykY = 3, e.cmykK = 4;
    e.paper = 1, e.customWidth = 100, e.customHeight = 200, e.inTray1Size = 2, e.copies = 300;
    e.orientation = 1, e.mediaSource = 6;
    e.marginUnit = 1, e.topMargin = 5, e.leftMargin = 7, e.dupTopMargin = 40, e.dupLeftMargin = 26;
    e.duplex = 2, e.personality = 10, e.powerSave = 8, e.autoCont = 1, e.darkText = 1, e.altitude = 1;
    e.economode = 1, e.jamRecovery = 1, e.timeout = 65535, e.density = 3, e.paperType = 11;
    e.tray1PaperType = 14, e.tray2PaperType = 1, e.tray3PaperType = 2, e.baudRate = 9, e.robust = 1;
    e.fontNumber = 53, e.symSet = 49, e.formLines = 66, e.pitch = 1250, e.ptSize = 41, e.hangulCode = 1;
    e.ksMode = 2, e.ksFont = 11, e.ksZoom = 3, e.ksLpi = 4, e.ksPitch = 2, e.kssmPitch = 6, e.kssmMode = 5;
    e.autoWrap = 1, e.autoCr = 1, e.resolution = 1, e.courier = 1, e.smet = 1, e.ksMargin = 6;
    e.kssmMargin = 7, e.kssmHangulCode = 1, e.kssmFont = 9, e.kssmZoom = 8, e.kssmLpi = 9;
    e.kssmAutoWrap = 1, e.autoClean = 1, e.wideA4 = 1, e.ret = 2, e.epsonFont = 1, e.epsonAutoWrap = 1;
    e.epsonCountry = 12, e.epsonTable = 4, e.epsonLpi = 1, e.epsonPitch = 3, e.epsonFormLine = 70;
    e.epsonTopMargin = 3, e.ksc5895PtSize = 1, e.ksc5895HangulCode = 1, e.ksc5895Font = 10;
    e.ksc5895Zoom = 2, e.ksc5895Lpi = 11, e.ksc5895AutoWrap = 1, e.prtPsErrs = 1;
    const std::string d = "@PJL DEFAULT ";
    const Lines expected = {
        d + "CALIBRATION = AUTO", d + "CUSTOMCOLOR = CMYK", d + "CMYK_C = 1", d + "CMYK_M = 2",
        d + "CMYK_Y = 3", d + "CMYK_K = 4", d + "PAPER = LEGAL", d + "PAPER = OTHERS WIDTH =100 HEIGHT=200",
        d + "INTRAY1SIZE = A4", d + "COPIES = 300", d + "ORIENTATION = LANDSCAPE", d + "MEDIASOURCE = TRAY2",
        d + "TOPMARGIN = 0.5", d + "LEFTMARGIN = 0.7", d + "DUPTOPMARGIN = 0.4", d + "DUPLEFTMARGIN = 0.3",
        d + "DUPLEX = ON", d + "BINDING = SHORTEDGE", d + "PERSONALITY = POSTSCRIPT", d + "POWERSAVE = ON",
        d + "POWERSAVETIME = 240", d + "AUTOCONT = ON ", d + "DARKTEXT = ON ", d + "ALTITUDE = HIGH",
        d + "ECONOMODE = ON ", d + "JAMRECOVERY = ON ", d + "TIMEOUT = 65535", d + "DENSITY = 7",
        d + "PAPERTYPE = LETTERHEAD", d + "TRAY1PAPERTYPE = 3MDECAL", d + "TRAY2PAPERTYPE = NORMAL",
        d + "TRAY3PAPERTYPE = THICK", d + "BAUDRATE = 115200", d + "ROBUST = ON ", d + "FONTSOURCE = RFONT",
        d + "FONTNUMBER = 53", d + "SYMSET = PC737", d + "FORMLINES = 66", d + "PITCH = 12.50",
        d + "PTSIZE = 10.25", d + "HANGULCODE = JOHAP", d + "KSMODE = 2", d + "FONT = OCRB", d + "KSZOOM = 3",
        d + "KSLPI = 4", d + "KSPITCH = 13.3", d + "KSSMPITCH = 26.7", d + "KSSMMODE = 5",
        d + "AUTOWRAP = ON ", d + "AUTOCR = CRLF", d + "RESOLUTION = 1200", d + "COURIER = DARK",
        d + "SMET = ON ", d + "KSMARGIN = 6", d + "KSSMMARGIN = 7", d + "KSSMHANGULCODE = JOHAP",
        d + "KSSMFONT = PILGI", d + "KSSMZOOM = 8", d + "KSSMLPI = 9", d + "KSSMAUTOWRAP = ON ",
        d + "AUTOCLEAN = ON ", d + "WIDEA4 = ON ", d + "RET = GRAY+", d + "EPSONFONT = ROMAN",
        d + "EPSONAUTOWRAP = ON ", d + "EPSONCOUNTRY = LATIN", d + "EPSONTABLE = HEBREWNEW", d + "EPSONLPI = 8",
        d + "EPSONPITCH = 17.14", d + "EPSONFORMLINE = 70", d + "EPSONTMARGIN = -3", d + "KSC5895PTSIZE = 0.25",
        d + "KSC5895HANGULCODE = JOHAP", d + "KSC5895FONT = HEADLINE", d + "KSC5895ZOOM = 2",
        d + "KSC5895LPI = 60", d + "KSC5895AUTOWRAP = ON ", d + "PRTPSERRS = ON ",
    };
    EXPECT_EQ(ComposeSettingsLines(ctx), expected);
    // The whole job still fits the job buffer and goes out in one piece.
    BindFake();
    dev->QueueRead(std::string("\x00\x01\x02\xff\x00", 5));
    EXPECT_EQ(UploadSettings(ctx), 1);
    EXPECT_EQ(Bytes(dev->Written()), Job(expected));
}

TEST_F(UploadTest, SpellingsOfTheListedEdgeCases) {
    const std::string d = "@PJL DEFAULT ";
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.autoCont = 1; }), (Lines{d + "AUTOCONT = ON ", kRes600}));
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.duplex = 2; }),
              (Lines{d + "DUPLEX = ON", d + "BINDING = SHORTEDGE", kRes600}));
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.duplex = 1; }),
              (Lines{d + "DUPLEX = ON", d + "BINDING = LONGEDGE", kRes600}));
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.powerSave = 4; }),
              (Lines{d + "POWERSAVE = ON", d + "POWERSAVETIME = 30", kRes600}));
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.density = 2; }), (Lines{d + "DENSITY = 5", kRes600}));
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.pitch = 1000, s.ptSize = 48; }),
              (Lines{d + "PITCH = 10.00", d + "PTSIZE = 12.00", kRes600}));
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.epsonTopMargin = 3; }),
              (Lines{kRes600, d + "EPSONTMARGIN = -3"}));
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.wideA4 = 1; }), (Lines{kRes600, d + "WIDEA4 = ON "}));

    // Back to off: the lines that name OFF.
    ctx.store.reported.duplex = 2, ctx.store.reported.powerSave = 3, ctx.store.reported.epsonTopMargin = 4;
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.duplex = 0, s.powerSave = 0, s.epsonTopMargin = 0; }),
              (Lines{d + "DUPLEX = OFF", d + "POWERSAVE = OFF", kRes600, d + "EPSONTMARGIN = 0"}));
}

TEST_F(UploadTest, MarginFormatsFollowTheMarginUnit) {
    const std::string d = "@PJL DEFAULT ";
    // Millimetres: whole simplex margins, duplex in tenths.
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.topMargin = 5, s.dupTopMargin = 40; }),
              (Lines{d + "TOPMARGIN = 5", d + "DUPTOPMARGIN = 4.0", kRes600}));
    // Inches: simplex in tenths, duplex in hundredths, both with one decimal. The unit field is
    // read from EditedSettings and is itself never sent.
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.marginUnit = 1, s.topMargin = 5, s.dupTopMargin = 40; }),
              (Lines{d + "TOPMARGIN = 0.5", d + "DUPTOPMARGIN = 0.4", kRes600}));
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.marginUnit = 1, s.leftMargin = 125, s.dupLeftMargin = 99; }),
              (Lines{d + "LEFTMARGIN = 12.5", d + "DUPLEFTMARGIN = 1.0", kRes600}));
    // Only the margins that changed.
    ctx.store.reported.leftMargin = 9;
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.leftMargin = 3, s.dupLeftMargin = 7; }),
              (Lines{d + "LEFTMARGIN = 3", d + "DUPLEFTMARGIN = 0.7", kRes600}));
}

TEST_F(UploadTest, FontSourceResidentOrFlash) {
    const std::string d = "@PJL DEFAULT ";
    auto fonts = std::make_shared<std::vector<FlashFontEntry>>(2);
    (*fonts)[0].fontNumber = 17;
    (*fonts)[1].fontNumber = 42;
    ctx.store.reported.fontList = fonts;
    ctx.store.reported.flashFontCount = 2;
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.fontNumber = 54; }),
              (Lines{d + "FONTSOURCE = FFONT", d + "FONTNUMBER = 17", kRes600}));
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.fontNumber = 55; }),
              (Lines{d + "FONTSOURCE = FFONT", d + "FONTNUMBER = 42", kRes600}));
    ctx.store.reported.fontNumber = 60;
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.fontNumber = 53; }),
              (Lines{d + "FONTSOURCE = RFONT", d + "FONTNUMBER = 53", kRes600}));
    // The OEM brand's resident count moves the boundary.
    ctx.store.reported.residentFontCount = 68;
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.fontNumber = 67; }),
              (Lines{d + "FONTSOURCE = RFONT", d + "FONTNUMBER = 67", kRes600}));
}

// Resident or flash is part of the comparison, for either form the printer reports its default
// in: every change of the default typeface is sent, and the same font named another way is not.
TEST_F(UploadTest, TypefaceSourceIsComparedWithTheNumber) {
    auto fonts = std::make_shared<std::vector<FlashFontEntry>>(2);
    (*fonts)[0].fontNumber = 9;
    (*fonts)[1].fontNumber = 42;
    using Edit = std::function<void(PrinterSettings&)>;
    auto pick = [](int pos) -> Edit {
        return [pos](PrinterSettings& s) { PickTypeface(s, pos, s.residentFontCount); };
    };
    // As tavctl sets it: the number alone.
    auto number = [](uint32_t n) -> Edit { return [n](PrinterSettings& s) { FindField("FONTNUMBER")->set(s, n); }; };
    const struct {
        const char* what;
        uint32_t resident;
        uint8_t number, flag; // the printer's report
        Edit edit;
        const char *source, *sent; // the two lines' values; nothing sent without them
    } rows[] = {
        {"built-in 9 over flash font 9", 54, 9, 1, pick(9), "RFONT", "9"},
        {"the flash default picked again", 54, 9, 1, pick(54), nullptr, nullptr},
        {"a listing place picked by its font", 54, 54, 0, pick(54), nullptr, nullptr},
        {"a flash font over a built-in one", 54, 3, 0, pick(54), "FFONT", "9"},
        {"a number alone is built in", 54, 9, 1, number(5), "RFONT", "5"},
        {"the same number alone", 54, 9, 1, number(9), nullptr, nullptr},
        {"built-in over an unlisted default", 54, 7, 1, pick(0), "RFONT", "0"},
        {"OEM: flash over a Hebrew face", 68, 60, 0, pick(69), "FFONT", "42"},
        {"OEM: its last built-in face", 68, 68, 0, pick(67), "RFONT", "67"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        PrinterSettings& r = ctx.store.reported;
        r.residentFontCount = row.resident, r.fontList = fonts, r.flashFontCount = 2;
        r.fontNumber = row.number, r.pclPageValue = row.flag;
        Lines want{kRes600};
        if (row.sent)
            want = {"@PJL DEFAULT FONTSOURCE = " + std::string(row.source),
                    "@PJL DEFAULT FONTNUMBER = " + std::string(row.sent), kRes600};
        EXPECT_EQ(LinesFor(row.edit), want);
    }
}

TEST_F(UploadTest, PersonalityTwelveIsEpsonOrIbm) {
    const std::string d = "@PJL DEFAULT ";
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.personality = 12, s.epsonIbm = 1; }),
              (Lines{d + "PERSONALITY = IBM", kRes600}));
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.personality = 12; }),
              (Lines{d + "PERSONALITY = EPSON", kRes600}));
    ctx.store.reported.personality = 12;
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.epsonIbm = 1; }), (Lines{d + "PERSONALITY = IBM", kRes600}));
    ctx.store.reported.epsonIbm = 1;
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.personality = 3; }), (Lines{d + "PERSONALITY = SMART", kRes600}));
}

TEST_F(UploadTest, ModelSwitchesChooseTheTables) {
    const std::string d = "@PJL DEFAULT ";
    auto edit = [](PrinterSettings& s) { s.jamRecovery = 0, s.altitude = 2, s.paperType = 11, s.resolution = 0; };
    ctx.store.reported.jamRecovery = 1;
    Config("[Common]\nSTRING=KALOR\n[Config]\nAltiPlain=1\n[JOB]\nCOTTON=1\n");
    EXPECT_EQ(LinesFor(edit), (Lines{d + "ALTITUDE = HIGHER", d + "JAMRECOVERY = FAST", d + "PAPERTYPE = COTTON",
                                     d + "RESOLUTION = 300"}));
    // The brand word is compared exactly; the switches count only as "1".
    Config("[Common]\nSTRING=kalor\n[Config]\nAltiPlain=1 \n[JOB]\nCOTTON=yes\n");
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.jamRecovery = 0, s.paperType = 11; }),
              (Lines{d + "JAMRECOVERY = OFF", d + "PAPERTYPE = LETTERHEAD", kRes600}));
    // The standard altitude table has two entries: 2 is outside it.
    Config("[Common]\n");
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.altitude = 1; }), (Lines{d + "ALTITUDE = HIGH", kRes600}));
}

TEST_F(UploadTest, ResolutionRules) {
    const std::string d = "@PJL DEFAULT ";
    ctx.store.reported.resolution = 7;  // changes nothing: the line goes out every time
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.resolution = 2; }), (Lines{d + "RESOLUTION = DRAFT"}));
    Config("[Common]\nSTRING=KALOR\n");
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.resolution = 3; }), (Lines{d + "RESOLUTION = DRAFT"}));
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.resolution = 1; }), (Lines{d + "RESOLUTION = 600"}));

    Config("[Printing]\n1200_BEST=1\n");
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.resolution = 1; }),
              (Lines{d + "RESOLUTION = 600", d + "IMAGEQUALITY = 1"}));
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.resolution = 0; }),
              (Lines{d + "RESOLUTION = 600", d + "IMAGEQUALITY = 0"}));
    EXPECT_EQ(ctx.store.edited.resolution, 1);  // the draft entry now reads as the normal one
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.resolution = 2; }), (Lines{d + "RESOLUTION = 1200"}));
    // The best-quality rule is the upload's own; the OEM brand keeps the full table.
    Config("[Common]\nSTRING=KALOR\n[Printing]\n1200_BEST=1\n");
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.resolution = 0; }), (Lines{d + "RESOLUTION = 300"}));
}

// Every front end loads the record the same way, with or without a Printing page: for each brand
// and quality switch, an unchanged Send gives the printer back the resolution it reported, and the
// quality list shows the entry of that resolution.
TEST_F(UploadTest, AnUnchangedSendReturnsTheReportedResolutionOnEveryQualityList) {
    struct Row {
        const char* config;
        uint8_t code, economode; // as the printer reports them (300, 600, 1200, draft = 0..3)
        int position;            // the quality list entry shown
        Lines sent;              // the resolution lines of an unchanged Send
    };
    const std::string r = "@PJL DEFAULT RESOLUTION = ", iq = "@PJL DEFAULT IMAGEQUALITY = ";
    const char* standard = "";
    const char* draft = "[Printing]\n1200_DRAFT=1\n";
    const char* best = "[Printing]\n1200_BEST=1\n";
    const char* kalor = "[Common]\nSTRING=KALOR\n";
    const char* kalorDraft = "[Common]\nSTRING=KALOR\n[Printing]\n1200_DRAFT=1\n";
    const char* kalorBest = "[Common]\nSTRING=KALOR\n[Printing]\n1200_BEST=1\n";
    const Row rows[] = {
        // standard brand, list 600 / 1200
        {standard, 1, 0, 0, {r + "600"}}, {standard, 2, 0, 1, {r + "1200"}}, {standard, 0, 0, 0, {r + "600"}},
        // list 600 / 1200 / draft; 600 with toner save shows as draft
        {draft, 1, 0, 0, {r + "600"}}, {draft, 2, 0, 1, {r + "1200"}}, {draft, 3, 0, 2, {r + "DRAFT"}},
        {draft, 1, 1, 2, {r + "600"}},
        // list 600 draft / 1200 normal / 1200 best
        {best, 0, 0, 0, {r + "600", iq + "0"}}, {best, 1, 0, 1, {r + "600", iq + "1"}},
        {best, 2, 0, 2, {r + "1200"}},
        // the OEM brand's lists start at 300
        {kalor, 0, 0, 0, {r + "300"}}, {kalor, 1, 0, 1, {r + "600"}}, {kalor, 2, 0, 2, {r + "1200"}},
        {kalorDraft, 1, 0, 1, {r + "600"}}, {kalorDraft, 3, 0, 3, {r + "DRAFT"}}, {kalorDraft, 1, 1, 3, {r + "600"}},
        {kalorBest, 1, 0, 1, {r + "600"}}, {kalorBest, 2, 0, 2, {r + "1200"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.config) + " code " + std::to_string(row.code) + " economode " +
                     std::to_string(row.economode));
        Config(row.config);
        ctx.replyBuffer.fill(0);
        const std::vector<uint8_t> record = {0x00, 0x01, 0x02, 13, 1, row.economode, 53, 1, row.code, 0xC6, 4, 0, 0, 0, 0, 0xFF, 0x00};
        std::copy(record.begin(), record.end(), ctx.replyBuffer.begin());
        ASSERT_TRUE(LoadSettingsRecord(ctx));
        EXPECT_EQ(ctx.store.edited, ctx.store.reported);
        const ResolutionRules rules = ResolutionRules::FromConfig(ctx);
        EXPECT_EQ(QualityPosition(rules, ctx.store.edited), row.position);
        EXPECT_EQ(ComposeSettingsLines(ctx), row.sent);
        // Picking the entry shown stores the same field again.
        PrinterSettings picked = ctx.store.reported;
        ApplyQualityPosition(rules, picked, row.position);
        if (row.economode == 0) {
            EXPECT_EQ(picked.resolution, ctx.store.reported.resolution);
        }
    }
}

TEST_F(UploadTest, AValueOutsideItsTableLosesOnlyItsOwnLine) {
    const std::string d = "@PJL DEFAULT ";
    ctx.store.paperChanged = true;
    auto fonts = std::make_shared<std::vector<FlashFontEntry>>(1);
    ctx.store.reported.fontList = fonts;
    ctx.store.reported.flashFontCount = 1;
    const Lines lines = LinesFor([](PrinterSettings& s) {
        s.paper = 23;         // one past the paper names
        s.copies = 2;         // still sent
        s.powerSave = 9;      // no such time: neither ON nor a time goes out
        s.personality = 13;   // past the personalities and the EPSON/IBM spelling
        s.fontNumber = 55;    // flash font 1 of 1 listed
        s.symSet = 50;
        s.autoCont = 2;
        s.ksc5895Font = 300;  // 16-bit field
        s.epsonPitch = 255;
        s.resolution = 255;   // a printer that reported 0 and was decremented below zero
    });
    EXPECT_EQ(lines, (Lines{d + "COPIES = 2"}));
    const std::string debug = DebugText();
    for (const char* var : {"PAPER value 23", "POWERSAVE value 9", "PERSONALITY value 13", "FONTNUMBER value 55",
                            "SYMSET value 50", "AUTOCONT value 2", "KSC5895FONT value 300", "EPSONPITCH value 255",
                            "RESOLUTION value 255"})
        EXPECT_NE(debug.find("[TAV] UploadSettings: " + std::string(var)), std::string::npos) << var << "\n" << debug;
    EXPECT_NE(debug.find("line left out"), std::string::npos);

    // A printer that reports 0 on the short list: the page shows the first entry and Send
    // carries it, never the 255 a plain decrement would leave.
    ctx.store.paperChanged = false;
    ctx.store.reported.resolution = 0;
    ConvertLoadedResolution(ResolutionRules{}, ctx.store.reported);
    ctx.store.edited = ctx.store.reported;
    EXPECT_EQ(QualityPosition(ResolutionRules{}, ctx.store.edited), 0);
    EXPECT_EQ(ctx.store.edited.resolution, 0);
    EXPECT_EQ(ComposeSettingsLines(ctx), Lines{kRes600});
}

TEST_F(UploadTest, FlashSymbolSetGoesOutOnlyAsOneWord) {
    const std::string d = "@PJL DEFAULT ";
    ctx.store.useFlashSymSet = true;
    ctx.store.flashSymSet = "19U";
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.symSet = 4; }), (Lines{d + "SYMSET = 19U", kRes600}));
    // Text from the printer's listing that would start a new command is not sent.
    ctx.store.flashSymSet = "8U\r\n@PJL INITIALIZE";
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.symSet = 4, s.copies = 1; }), (Lines{d + "COPIES = 1", kRes600}));
    ctx.store.flashSymSet.clear();
    EXPECT_EQ(LinesFor([](PrinterSettings& s) { s.symSet = 4; }), (Lines{kRes600}));
    EXPECT_NE(DebugText().find("SYMSET value from the flash font"), std::string::npos);
}

TEST_F(UploadTest, NumbersIgnoreTheProcessLocale) {
    // A desktop session may set a locale with a decimal comma; the printer reads only points.
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    const bool haveComma = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "fr_FR.UTF-8");
    const Lines lines = LinesFor([](PrinterSettings& s) { s.pitch = 1714, s.marginUnit = 1, s.topMargin = 3; });
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(lines, (Lines{"@PJL DEFAULT TOPMARGIN = 0.3", "@PJL DEFAULT PITCH = 17.14", kRes600}))
        << (haveComma ? "with a decimal-comma locale" : "no decimal-comma locale installed here");
}

TEST_F(UploadTest, DebugConfirmationShowsTheJobAndNoSendsNothing) {
    BindFake();
    ctx.cfg.debugMsg = 1;
    ctx.store.edited.copies = 4;
    const std::string job = Job({"@PJL DEFAULT COPIES = 4", kRes600});
    EXPECT_EQ(UploadSettings(ctx), 0);  // nothing scripted: a question answers No
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].caption, "PJL Data");
    EXPECT_EQ(ui.Messages()[0].text, job);
    EXPECT_EQ(ui.Messages()[0].buttons, MsgButtons::YesNo);
    EXPECT_TRUE(dev->Written().empty());
    EXPECT_EQ(monitor.log, "");

    ui.answers.push_back(MsgResult::Yes);
    dev->QueueRead(std::string("\x00\x01\x02\xff\x00", 5));
    EXPECT_EQ(UploadSettings(ctx), 1);
    EXPECT_EQ(Bytes(dev->Written()), job);
}

TEST_F(UploadTest, FailedExchangesReturnZeroAndAlwaysResume) {
    BindFake();
    ctx.cfg.debugMsg = 1;
    ui.answers = {MsgResult::Yes, MsgResult::Yes, MsgResult::Yes};
    // No reply.
    EXPECT_EQ(UploadSettings(ctx), 0);
    EXPECT_EQ(monitor.log, "PR");
    EXPECT_EQ(dev->Held(), 0);
    EXPECT_NE(DebugText().find("[TAV] ReadSetting Error"), std::string::npos);
    // The device cannot be opened: nothing written, no wait.
    dev->Reset();
    ui.Clear();
    dev->Set("open", 0);
    EXPECT_EQ(UploadSettings(ctx), 0);
    EXPECT_EQ(monitor.log, "PRPR");
    EXPECT_TRUE(ui.Waits().empty());
    // A job cut short is a failed write: no wait for a reply that cannot come.
    dev->Reset();
    ui.Clear();
    dev->Set("writeShort", 5);
    dev->QueueRead(std::string("\x00\x01\x02\xff\x00", 5));
    EXPECT_EQ(UploadSettings(ctx), 0);
    EXPECT_EQ(monitor.log, "PRPRPR");
    EXPECT_TRUE(ui.Waits().empty());
}

namespace {
// A library whose port is free for the write and busy after it.
int g_acquires = 0;
int BusyAfterFirst(int) { return ++g_acquires == 1 ? 1 : 0; }
int ReleaseOk(int) { return 1; }
int OpenOk(int, int, int, int, const char*) { return 1; }
int CloseOk(int) { return 1; }
int WriteAll(const void*, uint32_t length, uint32_t* written) {
    *written = length;
    return 1;
}
int ReadNothing(void*, uint32_t, uint32_t* received) {
    *received = 0;
    return 0;
}
}  // namespace

TEST_F(UploadTest, PortBusyAfterTheWriteShowsTheBusyMessage) {
    home.Write("lang.ini", "[COMMON]\nIDS_STRING107=The port is busy.\n");
    ctx.cfg.langFilePath = home.dir + "lang.ini";
    auto lib = std::make_shared<TableLibrary>();
    lib->Set("PortAcquire", &BusyAfterFirst);
    lib->Set("PortRelease", &ReleaseOk);
    lib->Set("DeviceOpen", &OpenOk);
    lib->Set("DeviceClose", &CloseOk);
    lib->Set("DeviceWrite", &WriteAll);
    lib->Set("DeviceRead", &ReadNothing);
    ctx.link.Bind(lib, lib);
    g_acquires = 0;
    EXPECT_EQ(UploadSettings(ctx), 0);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "The port is busy.");
    EXPECT_EQ(monitor.log, "PR");
    EXPECT_EQ(ui.Waits(), (std::vector<unsigned>{1000, 1500}));
}

TEST_F(UploadTest, RoundTripMakesBothInstancesEqualAndTheSecondSendCarriesOnlyResolution) {
    BindFake();
    // The printer at 600 dpi (its code 1), auto continue off.
    const std::vector<uint8_t> before = {0x00, 0x01, 0x02, 53, 1, 1, 12, 1, 0, 0xC6, 4, 0, 0, 0, 0, 0xFF, 0x00};
    std::copy(before.begin(), before.end(), ctx.replyBuffer.begin());
    ASSERT_TRUE(LoadSettingsRecord(ctx));
    EXPECT_EQ(ctx.store.edited.resolution, 0); // the short list's 600
    ctx.store.edited.autoCont = 1;

    const std::vector<uint8_t> after = {0x00, 0x01, 0x02, 53, 1, 1, 12, 1, 1, 0xC6, 4, 0, 0, 0, 0, 0xFF, 0x00};
    dev->QueueRead(after);
    ASSERT_EQ(UploadSettings(ctx), 1);
    EXPECT_EQ(Bytes(dev->Written()), Job({"@PJL DEFAULT AUTOCONT = ON ", kRes600}));
    ASSERT_TRUE(LoadSettingsRecord(ctx));
    EXPECT_EQ(ctx.store.edited, ctx.store.reported);
    EXPECT_EQ(ctx.store.reported.autoCont, 1);

    dev->Reset();
    dev->QueueRead(after);
    ASSERT_EQ(UploadSettings(ctx), 1);
    EXPECT_EQ(Bytes(dev->Written()), Job({kRes600}));
}
