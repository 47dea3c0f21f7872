// tavctl as a user runs it: the built program, a program folder written here, and the stand-in
// device library answering from a script and logging what reached it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include <unistd.h>

#include "FakeDev.h"
#include "RunProgram.h"

using tavtest::ProgramResult;
using tavtest::ReadFileText;

namespace {
const std::string kUel = "\x1b%-12345X";
const std::string kQueryJob = kUel + "@PJL\r\n@PJL INFO PRINTER = ALL\r\n" + kUel;

// One record entry: index, length, big-endian value of that many bytes.
void Entry(std::vector<uint8_t>& r, uint8_t index, unsigned width, uint32_t value) {
    r.push_back(index);
    r.push_back(static_cast<uint8_t>(width));
    for (int shift = 8 * (static_cast<int>(width) - 1); shift >= 0; shift -= 8)
        r.push_back(static_cast<uint8_t>(value >> shift));
}

struct Fields {
    uint8_t paper = 0, autoCont = 0, duplex = 0, resolution = 1;
    uint16_t copies = 1;
};

std::vector<uint8_t> Record(const Fields& f) {
    std::vector<uint8_t> r;
    Entry(r, 0, 1, f.paper);
    Entry(r, 2, 2, f.copies);
    Entry(r, 7, 1, f.duplex);
    Entry(r, 12, 1, f.autoCont);
    Entry(r, 53, 1, f.resolution);
    Entry(r, 198, 4, 0x20000080);
    Entry(r, 255, 0, 0);
    return r;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
    std::string s;
    char b[3];
    for (uint8_t v : bytes) {
        std::snprintf(b, sizeof b, "%02x", v);
        s += b;
    }
    return s;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        out.push_back(text.substr(start, nl - start));
    if (start < text.size()) out.push_back(text.substr(start));
    return out;
}

using Waits = std::vector<unsigned>;
// Start-up's settings query gives the printer 2 s to answer before every command's own exchange.
const Waits kStartupWaits = {2000};

std::string Job(const std::vector<std::string>& lines) {
    std::string job = kUel + "@PJL\r\n";
    for (const auto& l : lines) job += l + "\r\n";
    return job + "@PJL INFO PRINTER = ALL\r\n" + kUel;
}

class TavctlTest : public ::testing::Test {
protected:
    void SetUp() override {
        home.Write("comtav.ini", "[Common]\nDeviceID=s\n[TAB]\nPrinting=1\n");
        home.Write("langinfo.ini", "[Config]\nEN=English\n[English]\nSTR_FILE=lang.ini\n");
        home.Write("lang.ini",
                   "[ABOUT]\nIDL_APPNAME_P=Quorvex Panel\n[STRING]\nIDS_NOT_RESPOND=The printer does not respond.\n"
                   "IDS_ERRORSTRING=The printer reported an error.\nIDS_SENT_NOREAD=Sent, but not read back.\n"
                   "[COMMON]\nIDS_STRING107=The port is busy.\n");
    }
    void Script(const std::vector<std::vector<uint8_t>>& replies) {
        std::string text;
        for (const auto& r : replies) text += Hex(r) + "\n";
        home.Write("reads.txt", text);
    }
    ProgramResult Run(const std::vector<std::string>& args, const std::string& program = TAVCTL_PATH,
                      std::map<std::string, std::string> env = {}) {
        env.insert({{"WINTAV32_HOME", home.dir},
                    {"XDG_RUNTIME_DIR", home.dir},
                    {"TAV_REGISTRY_LM", home.dir + "lm.ini"},
                    {"TAV_REGISTRY_CU", home.dir + "cu.ini"},
                    {"TAV_DEBUG_FILE", home.dir + "debug.txt"},
                    {"FAKEDEV_READS", home.dir + "reads.txt"},
                    {"FAKEDEV_LOG", home.dir + "device.log"},
                    {"FAKEDEV_WRITTEN", home.dir + "written.bin"},
                    {"TAV_SYSFS_ROOT", home.dir + "sys"},
                    {"TAV_USBLP_ROOT", home.dir + "dev"}});
        return tavtest::RunProgram(program, args, env, home.dir);
    }
    std::string Written() const { return ReadFileText(home.dir + "written.bin"); }
    std::string DeviceLog() const { return ReadFileText(home.dir + "device.log"); }

    tavtest::FakeHome home;
};
}  // namespace

TEST_F(TavctlTest, HelpForTheProgramAndEachCommand) {
    ProgramResult r = Run({"--help"}, TAVCTL_SHIPPED_PATH);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("Usage: tavctl [OPTIONS] COMMAND [ARGS]\n", 0), 0u) << r.out;
    EXPECT_EQ(Run({"-h"}).out, r.out);
    EXPECT_EQ(Run({"--version"}).out.rfind("tavctl ", 0), 0u);
    for (const char* command : {"query", "set", "default", "check", "test-print"}) {
        r = Run({command, "--help"});
        EXPECT_EQ(r.status, 0) << command;
        EXPECT_EQ(r.out.rfind(std::string("Usage: tavctl [OPTIONS] ") + command, 0), 0u) << r.out;
    }
    // set --help lists the keywords the model's tables give, and tavctl's own names.
    r = Run({"set", "--help"});
    EXPECT_NE(r.out.find("\n  AUTOCONT: OFF ON\n"), std::string::npos);
    EXPECT_NE(r.out.find("\n  RESOLUTION: 600 1200 DRAFT\n"), std::string::npos);
    EXPECT_NE(r.out.find("\n  MARGINUNIT "), std::string::npos);
    home.Write("comtav.ini", "[Common]\nSTRING=KALOR\n");
    r = Run({"set", "--help"});
    EXPECT_NE(r.out.find("\n  RESOLUTION: 300 600 1200 DRAFT\n"), std::string::npos);
    EXPECT_NE(r.out.find("\n  JAMRECOVERY: FAST FULL OFF\n"), std::string::npos);
    EXPECT_TRUE(DeviceLog().empty());  // help never loads the device library

    // After "--" a word that looks like an option is the command's own: here a file name.
    Script({Record({})});
    const std::string odd = "--odd-" + std::to_string(getpid()) + ".ini"; // in the test's own folder
    r = Run({"backup", "--", odd});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(ReadFileText(odd).find("[Settings]"), std::string::npos);
    std::remove(odd.c_str());
}

TEST_F(TavctlTest, UsageErrorsAndRefusedInputSendNothing) {
    Script({Record({})});
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "no command given"},
        {{"frobnicate"}, "unknown command \"frobnicate\""},
        {{"--verbose", "query"}, "unknown option --verbose"},
        {{"--home"}, "--home needs a value"},
        {{"--wait", "soon", "query"}, "--wait takes 0 to 3600 seconds, not \"soon\""},
        {{"--wait=3601", "query"}, "--wait takes 0 to 3600 seconds, not \"3601\""},
        {{"--device=", "query"}, "--device needs a value"},
        {{"query", "--bogus"}, "unexpected \"--bogus\" for query"},
        {{"set"}, "set needs at least one NAME=VALUE"},
        {{"set", "COPIES=2", "FOO=1"}, "unknown setting \"FOO\""},
        {{"set", "AUTOCONT=MAYBE"}, "\"MAYBE\" is not a value of AUTOCONT"},
        {{"set", "AUTOCONT"}, "\"AUTOCONT\" is not NAME=VALUE"},
        {{"set", "COPIES="}, "COPIES needs a value"},
        {{"set", "DUPLEX=3"}, "\"3\" is not a keyword of DUPLEX (#3 sets the stored number"},
        {{"set", "PAPER=#256"}, "PAPER takes 0 to 255, not 256"},
        {{"set", "COPIES=65536"}, "COPIES takes 0 to 65535, not 65536"},
        {{"set", "COPIES=-1"}, "\"-1\" is not a value of COPIES"},
        {{"set", "RESOLUTION=300"}, "\"300\" is not a keyword of RESOLUTION"},
        {{"test-print"}, "test-print needs a page name"},
        {{"test-print", "CONFIG\r\n@PJL INITIALIZE"}, "\"CONFIG\\r\\n@PJL INITIALIZE\" is not a page name"},
        {{"test-print", "CONFIG", "DEMO"}, "unexpected \"DEMO\" for test-print"},
    };
    for (const auto& [args, message] : cases) {
        const ProgramResult r = Run(args);
        std::string shown;
        for (const auto& a : args) shown += a + " ";
        EXPECT_EQ(r.status, 2) << shown;
        EXPECT_NE(r.err.find("tavctl: " + message), std::string::npos) << shown << "\n" << r.err;
        EXPECT_TRUE(r.out.empty()) << shown;
    }
    EXPECT_TRUE(DeviceLog().empty());
    EXPECT_TRUE(Written().empty());
}

// A value outside the pages' range is refused once the printer's record is known (the margins
// hang on its paper and unit), and nothing but the start-up query goes out.
TEST_F(TavctlTest, ValuesOutsideThePagesRangesAreRefused) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"COPIES=0", "COPIES takes 1 to 999, not 0"},
        {"PITCH=12", "PITCH takes 44 to 9999 (0.44 to 99.99 characters per inch), not 12"},
        {"PTSIZE=4000", "PTSIZE takes 16 to 3999 (4.00 to 999.75 points), not 4000"},
        {"DUPLEX=#3", "DUPLEX takes 0 to 2, not 3"},  // past its list: the upload could not spell it
        {"PAPER=#23", "PAPER takes 0 to 22, not 23"},
        {"FONTNUMBER=54", "FONTNUMBER takes 0 to 53, not 54"},
        {"CUSTOMWIDTH=100", "the custom size goes to the printer only with PAPER=CUSTOM (the paper would be A4)"},
        {"DENSITY=3", "DENSITY takes 0 to 2, not 3"},
        {"TOPMARGIN=251", "TOPMARGIN takes 0 to 250 mm, not 251"},  // A4 portrait
        {"KSC5895PTSIZE=400", "KSC5895PTSIZE takes 16 to 399 (4.00 to 99.75 points), not 400"},
        {"TIMEOUT=301", "TIMEOUT takes 0 to 300 seconds, not 301"},  // no JOB/LimitTime here
        {"FORMLINES=4", "FORMLINES takes 5 to 128 lines, not 4"},
        {"EPSONFORMLINE=129", "EPSONFORMLINE takes 0 to 128 lines, not 129"},
        {"KSSMZOOM=201", "KSSMZOOM takes 50 to 200 %, not 201"},
        {"KSMODE=100", "KSMODE takes 0 to 99, not 100"},
    };
    Fields a4;
    a4.paper = 2;
    for (const auto& [arg, message] : cases) {
        home.Write("written.bin", "");
        Script({Record(a4)});
        const ProgramResult r = Run({"set", arg});
        EXPECT_EQ(r.status, 2) << arg;
        EXPECT_EQ(r.err, "tavctl: " + message + "\ntavctl: nothing sent\n") << arg;
        EXPECT_EQ(Written(), kQueryJob) << arg;
    }
    // Landscape swaps the limits, as the page does; the custom size has its own.
    Script({Record(a4)});
    EXPECT_EQ(Run({"set", "ORIENTATION=LANDSCAPE", "TOPMARGIN=200"}).err,
              "tavctl: TOPMARGIN takes 0 to 164 mm, not 200\ntavctl: nothing sent\n");
    Script({Record(a4)});
    EXPECT_EQ(Run({"set", "PAPER=CUSTOM", "CUSTOMHEIGHT=400"}).err,
              "tavctl: CUSTOMHEIGHT takes 127 to 356 mm, not 400\ntavctl: nothing sent\n");
    // A printer that cannot be reached: what is wrong without it is still a usage error.
    Script({});
    const ProgramResult r = Run({"set", "COPIES=0", "TOPMARGIN=251"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "Quorvex Panel: The printer does not respond.\n"
                     "tavctl: COPIES takes 1 to 999, not 0\ntavctl: nothing sent\n");
}

TEST_F(TavctlTest, APrinterThatDoesNotAnswerGivesStatusOneAndTheMessage) {
    Script({});
    ProgramResult r = Run({"query"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Quorvex Panel: The printer does not respond.\n");
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(Written(), kQueryJob);  // the settings query and nothing after it
    EXPECT_EQ(r.waits, kStartupWaits);

    // It answers the start-up query but not the upload's read-back: the settings went out.
    home.Write("written.bin", "");
    Script({Record({})});
    r = Run({"set", "COPIES=2"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Quorvex Panel: Sent, but not read back.\n");
    EXPECT_EQ(Written(), kQueryJob + Job({"@PJL DEFAULT COPIES = 2", "@PJL DEFAULT RESOLUTION = 600"}));
    EXPECT_EQ(r.waits, (Waits{2000, 1000, 1500}));  // the read-back was given its time before it failed
}

TEST_F(TavctlTest, MissingDeviceLibraryIsReported) {
    std::remove((home.dir + "libqvdevm.so").c_str());
    // A copy of the program away from the build's own libraries, which its run path would find.
    std::filesystem::create_directory(home.dir + "alone");
    std::filesystem::copy_file(TAVCTL_SHIPPED_PATH, home.dir + "alone/tavctl");
    const ProgramResult r = Run({"query"}, home.dir + "alone/tavctl");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("tavctl: cannot load the device library libqvdevm.so"), std::string::npos) << r.err;
}

TEST_F(TavctlTest, QueryListsTheReportedSettings) {
    Fields f;
    f.paper = 2, f.copies = 3, f.autoCont = 1;
    const std::vector<uint8_t> record = Record(f);
    Script({record});
    ProgramResult r = Run({"query"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 98u);
    EXPECT_EQ(r.waits, kStartupWaits);
    EXPECT_EQ(lines[0], "PAPER=A4");
    EXPECT_EQ(lines[1], "INTRAY1SIZE=LETTER");
    EXPECT_EQ(lines[2], "COPIES=3");
    auto has = [&](const std::string& l) { return std::find(lines.begin(), lines.end(), l) != lines.end(); };
    EXPECT_TRUE(has("AUTOCONT=ON"));
    EXPECT_TRUE(has("RESOLUTION=600"));
    EXPECT_TRUE(has("FEATUREFLAGS=0x20000080"));
    EXPECT_EQ(Written(), kQueryJob);

    Script({record});
    r = Run({"query", "--raw"});
    ASSERT_EQ(r.status, 0);
    const std::vector<std::string> raw = Lines(r.out);
    ASSERT_EQ(raw.size(), 98u + 3u) << r.out;  // 23 bytes up to the end mark: three rows of eight
    EXPECT_EQ(raw[98], "0000: 00 01 02 02 02 00 03 07 ........");
    EXPECT_EQ(raw[99], "0x08: 01 00 0C 01 01 35 01 01 .....5..");
    EXPECT_EQ(raw[100], "0x10: C6 04 20 00 00 80 FF 00 .. ....");
}

TEST_F(TavctlTest, SetSendsTheEditsAndPrintsWhatChanged) {
    Fields after;
    after.paper = 1, after.autoCont = 1, after.duplex = 2;
    Script({Record({}), Record(after)});
    const ProgramResult r = Run({"set", "PAPER=legal", "AUTOCONT=ON", "DUPLEX=SHORTEDGE", "COPIES=#1", "--show-job"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string job = Job({"@PJL DEFAULT PAPER = LEGAL", "@PJL DEFAULT DUPLEX = ON",
                                 "@PJL DEFAULT BINDING = SHORTEDGE", "@PJL DEFAULT AUTOCONT = ON ",
                                 "@PJL DEFAULT RESOLUTION = 600"});
    EXPECT_EQ(Written(), kQueryJob + job);
    EXPECT_EQ(r.out,
              "\\e%-12345X@PJL\\r\\n@PJL DEFAULT PAPER = LEGAL\\r\\n@PJL DEFAULT DUPLEX = ON\\r\\n"
              "@PJL DEFAULT BINDING = SHORTEDGE\\r\\n@PJL DEFAULT AUTOCONT = ON \\r\\n"
              "@PJL DEFAULT RESOLUTION = 600\\r\\n@PJL INFO PRINTER = ALL\\r\\n\\e%-12345X\n"
              "PAPER=LEGAL\nDUPLEX=SHORTEDGE\nAUTOCONT=ON\n");
    EXPECT_TRUE(r.err.empty()) << r.err;
    // The printer gets 2.5 s to store the values before its record is read back.
    EXPECT_EQ(r.waits, (Waits{2000, 1000, 1500}));
}

TEST_F(TavctlTest, ResolutionKeywordsAndTheCustomSize) {
    Script({Record({}), Record({})});
    ProgramResult r = Run({"set", "RESOLUTION=1200", "PAPER=CUSTOM", "CUSTOMWIDTH=100"});
    ASSERT_EQ(r.status, 3) << r.err;
    // The custom size line goes with the custom paper and carries both edges, the height as reported.
    EXPECT_EQ(Written(), kQueryJob + Job({"@PJL DEFAULT PAPER = CUSTOM", "@PJL DEFAULT PAPER = OTHERS WIDTH =100 HEIGHT=0",
                                          "@PJL DEFAULT RESOLUTION = 1200"}));
    // This printer kept its values: the exchange worked, but the script hears which were not taken.
    EXPECT_EQ(r.err, "tavctl: the printer did not take RESOLUTION=1200\n"
                     "tavctl: the printer did not take PAPER=CUSTOM\n"
                     "tavctl: the printer did not take CUSTOMWIDTH=100\n");
    EXPECT_TRUE(r.out.empty());
    // The OEM brand spells the printer's codes in full and does not shift them.
    home.Write("comtav.ini", "[Common]\nSTRING=KALOR\n[TAB]\nPrinting=1\n");
    home.Write("written.bin", "");
    Fields seven;
    seven.copies = 7;
    Script({Record({}), Record(seven)});
    r = Run({"set", "COPIES=7"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Written(), kQueryJob + Job({"@PJL DEFAULT COPIES = 7", "@PJL DEFAULT RESOLUTION = 600"}));
}

TEST_F(TavctlTest, DebugShowsTheJobAndSendsOnlyOnYes) {
    Script({Record({}), Record({})});
    ProgramResult r = Run({"--debug", "set", "COPIES=2"});
    EXPECT_EQ(r.status, 2);  // declined: the user's choice, not a printer failure
    EXPECT_NE(r.err.find("tavctl: nothing sent\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Printer data: Index 0(1) = 0\t"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("PJL Data: \\e%-12345X@PJL\\r\n@PJL DEFAULT COPIES = 2\\r\n@PJL DEFAULT RESOLUTION = 600"
                         "\\r\n@PJL INFO PRINTER = ALL\\r\n\\e%-12345X [No]\n"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(Written(), kQueryJob);
    EXPECT_NE(ReadFileText(home.dir + "debug.txt").find("[TAV] ReadSettings bRet : "), std::string::npos);

    home.Write("written.bin", "");
    Fields two;
    two.copies = 2;
    Script({Record({}), Record(two)});
    r = Run({"set", "COPIES=2", "--debug", "--yes"});  // the options after the command
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("[Yes]"), std::string::npos);
    EXPECT_EQ(Written(), kQueryJob + Job({"@PJL DEFAULT COPIES = 2", "@PJL DEFAULT RESOLUTION = 600"}));
}

TEST_F(TavctlTest, DeviceOptionOverridesTheConfiguredName) {
    Script({Record({})});
    const ProgramResult r = Run({"--device=tcp://127.0.0.1:9", "query"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(DeviceLog().find("DeviceOpen(2,4,0,0,tcp://127.0.0.1:9)"), std::string::npos) << DeviceLog();
    EXPECT_EQ(DeviceLog().find("DeviceOpen(2,4,0,0,s)"), std::string::npos);

    // A name past the library's limit is refused whole, before anything is opened.
    const ProgramResult tooLong = Run({"--device", "tcp://" + std::string(250, 'h'), "query"});
    EXPECT_EQ(tooLong.status, 2);
    EXPECT_NE(tooLong.err.find("longer than 255 characters"), std::string::npos) << tooLong.err;
}

TEST_F(TavctlTest, DefaultAndCheck) {
    Fields factory;
    factory.copies = 1, factory.autoCont = 1;
    Fields now;
    now.copies = 5;
    Script({Record(now), Record(factory)});
    ProgramResult r = Run({"default"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Written(), kQueryJob + kUel + "@PJL\r\n@PJL INITIALIZE\r\n@PJL INFO PRINTER = ALL\r\n" + kUel);
    EXPECT_EQ(r.out, "COPIES=1\nAUTOCONT=ON\n");
    EXPECT_EQ(r.waits, (Waits{2000, 4000}));  // the printer resets itself before it reports

    home.Write("written.bin", "");
    const std::vector<uint8_t> report = {0x00, 0x00, 23, 3, '1', '2', '3', 5, 2, 'x', 'x', 25, 4, '9', 0x1B, '9', '9',
                                         48, 1, '7', 255, 0};
    Script({Record({}), report});
    r = Run({"check"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Written(), kQueryJob + kUel + "@PJL\r\n@PJL INFO INFORMATION=ALL\r\n" + kUel);
    EXPECT_EQ(r.out, "ITEM23=123\nITEM25=9\\e99\nITEM48=7\n");
    EXPECT_EQ(r.waits, (Waits{2000, 2000}));
    Script({Record({}), report});
    r = Run({"check", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "{\"ITEM23\": \"123\", \"ITEM25\": \"9\\u001b99\", \"ITEM48\": \"7\"}\n");

    home.Write("written.bin", "");
    Script({Record({})});
    r = Run({"check"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Quorvex Panel: The printer does not respond.\n");
    EXPECT_EQ(r.waits, (Waits{2000, 2000}));
}

TEST_F(TavctlTest, TestPrintSendsTheNamedPage) {
    // A page the model's configuration does not list is refused before anything is opened.
    ProgramResult r = Run({"test-print", "CONFIG"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "tavctl: CONFIG is not a page this model lists (none)\n");
    EXPECT_TRUE(DeviceLog().empty());

    home.Write("comtav.ini", "[Common]\nDeviceID=s\n[TAB]\nPrinting=1\n[TEST]\nSelfTest=1\nMenuMAP=1\n");
    EXPECT_EQ(Run({"test-print", "DEMO"}).err, "tavctl: DEMO is not a page this model lists (CONFIG, MENUMAP)\n");
    Script({Record({})});
    r = Run({"test-print", "CONFIG"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Written(), kQueryJob + kUel + "@PJL\r\n@PJL TEST PRINT = CONFIG\r\n" + kUel);
    // The page is sent, then the program stays with the printer while it prints.
    EXPECT_EQ(r.waits, (Waits{2000, 1000, 10000}));
}

// The messages follow the locale a script runs under where the user has chosen no language; the
// whole machine's choice (Korean here) yields to it.
TEST_F(TavctlTest, MessagesFollowTheLocaleWhereTheUserChoseNoLanguage) {
    home.Write("langinfo.ini", "[Config]\nEN=English\nKR=Korean\n[English]\nSTR_FILE=lang.ini\n[Korean]\nSTR_FILE=kr.ini\n");
    home.Write("kr.ini", "[ABOUT]\nIDL_APPNAME_P=패널\n[STRING]\nIDS_NOT_RESPOND=응답 없음\n");
    home.Write("lm.ini", "[Software\\QVPrint]\nZkCntCode=KR\n");
    for (const auto& [lcAll, lang, said] : {std::tuple{"C", "ko_KR.UTF-8", "Quorvex Panel: The printer does not respond.\n"},
                                            {"", "ko_KR.UTF-8", "패널: 응답 없음\n"}, {"", "", "패널: 응답 없음\n"}}) {
        Script({});
        EXPECT_EQ(Run({"query"}, TAVCTL_PATH, {{"LC_ALL", lcAll}, {"LC_MESSAGES", ""}, {"LANG", lang}}).err, said) << lcAll;
    }
}

TEST_F(TavctlTest, AProgramFolderWithoutLanguageFilesStillWorks) {
    // No langinfo.ini: said once, and the messages go out without their texts.
    std::remove((home.dir + "langinfo.ini").c_str());
    Script({});
    ProgramResult r = Run({"query"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "wintav32: The language file " + home.dir +
                         " cannot be read. Reinstall the program or check langinfo.ini. Messages have no text.\n"
                         "tavctl: (the language file has no text for this message)\n");
    Script({Record({})});
    r = Run({"query"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("FEATUREFLAGS=0x20000080\n"), std::string::npos);
}

// devices reads sysfs only, as the window's printer choice does: printer-class interfaces with
// their usblp node and IEEE 1284 ID, other interfaces left out, a serial that could not be typed
// back left out of the name, a device's control characters dropped.
TEST_F(TavctlTest, DevicesListsThePrinterInterfacesOfSysfs) {
    const std::string usb = "sys/bus/usb/devices/";
    std::filesystem::create_directories(home.dir + usb + "1-1:1.0/usbmisc/lp0");
    std::filesystem::create_directories(home.dir + usb + "1-1:1.1");
    std::filesystem::create_directories(home.dir + usb + "2-1:1.0");
    std::filesystem::create_directories(home.dir + usb + "1-1");
    std::filesystem::create_directories(home.dir + usb + "2-1");
    home.Write(usb + "1-1/idVendor", "04e8\n");
    home.Write(usb + "1-1/idProduct", "3301\n");
    home.Write(usb + "1-1/serial", "ABC123\n");
    home.Write(usb + "1-1:1.0/bInterfaceClass", "07\n");
    home.Write(usb + "1-1:1.0/bInterfaceSubClass", "01\n");
    home.Write(usb + "1-1:1.0/ieee1284_id", "MFG:Quorvex;MDL:ML-2250;CMD:PJL;\n");
    home.Write(usb + "1-1:1.1/bInterfaceClass", "03\n");
    home.Write(usb + "1-1:1.1/bInterfaceSubClass", "01\n");
    home.Write(usb + "2-1/idVendor", "1234\n");
    home.Write(usb + "2-1/idProduct", "abcd\n");
    home.Write(usb + "2-1/serial", "A B\n");
    home.Write(usb + "2-1/manufacturer", "Quorvex\n");
    home.Write(usb + "2-1/product", "CL-\x1b" "500\n");
    home.Write(usb + "2-1:1.0/bInterfaceClass", "07\n");
    home.Write(usb + "2-1:1.0/bInterfaceSubClass", "01\n");
    std::filesystem::create_directories(home.dir + "dev");
    std::filesystem::create_symlink("/dev/null", home.dir + "dev/lp0");  // a character device to find
    ProgramResult r = Run({"devices", "--probe", "127.0.0.1:1"});  // a closed loopback port
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "usb:04e8:3301:ABC123\tusblp\t" + home.dir + "dev/lp0\tMFG:Quorvex;MDL:ML-2250;CMD:PJL;\n"
                     "usb:1234:abcd\tusb\t-\tMFG:Quorvex;MDL:CL-500;\n");
    r = Run({"devices", "--json"});
    EXPECT_EQ(r.out.rfind("[{\"name\": \"usb:04e8:3301:ABC123\", \"kind\": \"usblp\", ", 0), 0u) << r.out;
    EXPECT_EQ(Run({"devices", "--probe"}).status, 2);
    EXPECT_TRUE(DeviceLog().empty());
}

// Every sub-command group starts through the same launcher and so reads the profile --model
// names: a profile without the group's page refuses it before anything is opened; one with the
// page lets it reach the printer (which does not answer here).
TEST_F(TavctlTest, SubCommandsHonourTheModelOption) {
    for (const char* model : {"bare", "full"}) std::filesystem::create_directories(home.dir + "models/" + model);
    home.Write("models/bare/comtav.ini", "[TAB]\nPrinting=1\n");
    home.Write("models/full/comtav.ini", "[TAB]\nPrinting=1\nDOWNLOAD=1\nPS3=1\nFMU=1\nFirmWare=1\n");
    home.Write("fw.hd", "firmware");
    const std::vector<std::pair<std::vector<std::string>, std::string>> groups = {
        {{"flash", "list"}, "flash: this model does not show the flash fonts and macros page (TAB/DOWNLOAD) in "},
        {{"psforms", "list"}, "psforms: this model does not show a PostScript page (TAB/PS3 or PS3/FONT_FORM) in "},
        {{"psflash", "format"}, "psflash: this model does not show a PostScript page"},
        {{"psfs", "info"}, "psfs: this model does not show the PostScript file system page (TAB/FMU) in "},
        {{"firmware", home.dir + "fw.hd"}, "firmware: this model does not show the firmware page (TAB/FirmWare) in "},
    };
    for (const auto& [command, refusal] : groups) {
        std::vector<std::string> args = {"--yes", "--model", "bare"};
        args.insert(args.end(), command.begin(), command.end());
        home.Write("device.log", "");
        ProgramResult r = Run(args);
        EXPECT_EQ(r.status, 2) << command[0];
        EXPECT_EQ(r.err.rfind("tavctl: " + refusal, 0), 0u) << r.err;
        EXPECT_NE(r.err.find(home.dir + "models/bare/comtav.ini; nothing sent\n"), std::string::npos) << r.err;
        EXPECT_TRUE(DeviceLog().empty()) << command[0];
        // The home's own configuration shows no such page either; the full profile does.
        args[2] = "full";
        Script({});
        r = Run(args);
        EXPECT_EQ(r.status, 1) << command[0];
        EXPECT_EQ(r.err, "Quorvex Panel: The printer does not respond.\n") << command[0];
        EXPECT_NE(DeviceLog().find("DeviceOpen("), std::string::npos) << command[0];
        args.erase(args.begin() + 1, args.begin() + 3);
        EXPECT_EQ(Run(args).status, 2) << command[0];
        // Each group's help names the launcher's options, --model among them.
        EXPECT_NE(Run({command[0], "--help"}).out.find("--home DIR, --model NAME, --device NAME"), std::string::npos)
            << command[0];
    }
}
