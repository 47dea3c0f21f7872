// The manager's protocol against a scripted printer: fixed records, the retry, listing limits,
// the jobs byte for byte, and the helpers the page and tavctl show numbers and names with.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "ScriptedDevice.h"
#include "storage/FmuProtocol.h"
#include "RecordingUiHost.h"

using namespace tav;
using tavtest::ScriptedDevice;
using tavtest::TempFile;

namespace {

const std::string kUel = "\x1b%-12345X";

std::string Num16(long long v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%16lld", v);
    return buf;
}

// A count record: the echo, padding up to the count field, then count and listing size.
std::string InfoRecord(const std::string& query, bool disk, long long count, long long size) {
    std::string r = "@PJL " + query + "\r\n";
    r.resize(disk ? 28 : 29, '.');
    return r + Num16(count) + Num16(size) + (disk ? "\f" : "\r\n");
}

std::string Listing(const std::vector<std::string>& lines, size_t size) {
    std::string l;
    for (const std::string& line : lines)
        l += line + "\n";
    l += "\f";
    l.resize(size, ' ');
    return l;
}

struct FmuFixture : ::testing::Test {
    void SetUp() override { dev.Bind(ctx); }
    size_t Messages() const { return ui.Messages().size(); }
    ScriptedDevice dev;
    RecordingUiHost ui;
    AppContext ctx{ui};
    FmuLog log;
    FmuProtocol fmu{ctx, log};
};

} // namespace

TEST(FmuHelpers, NumbersNamesAndListings) {
    EXPECT_EQ(FormatThousands(0), "0");
    EXPECT_EQ(FormatThousands(999), "999");
    EXPECT_EQ(FormatThousands(1000), "1,000");
    EXPECT_EQ(FormatThousands(1234567), "1,234,567");
    EXPECT_EQ(FormatThousands(18446744073709551615ull), "18,446,744,073,709,551,615");

    auto num = [](const std::string& s) {
        return ParseFieldNumber(reinterpret_cast<const uint8_t*>(s.data()), s.size());
    };
    EXPECT_EQ(num("   1234\f"), 1234);
    EXPECT_EQ(num("12 34"), 12);
    EXPECT_EQ(num("  -20481"), -20481);
    EXPECT_EQ(num("        "), 0);
    EXPECT_EQ(num("99999999999999999999999"), INT64_MAX);

    EXPECT_EQ(PsStringEscape("Times-Roman"), "Times-Roman");
    EXPECT_EQ(PsStringEscape("a(b)c\\d"), "a\\(b\\)c\\\\d");
    EXPECT_EQ(PsStringEscape(") deletefile\r\n(x"), "\\) deletefile\\015\\012\\(x");
    EXPECT_EQ(PsStringEscape("\xc3\xa9\x7f"), "\\303\\251\\177");

    const std::string listing = "@PJL FSPSDIRLIST NAME=\"0:/RESOURCE/fonts\"\r\n"
                                ". TYPE=DIR\r\n"
                                "Courier TYPE=FILE SIZE=40960\r\n"
                                "Courier TYPE=DIR\r\n"
                                "NoBlanksTYPE=FILE SIZE=1\r\n"
                                "Sans Serif TYPE=FILE SIZE=2\r\n"
                                "Mid\fLine TYPE=FILE SIZE=3\r\n"
                                "\fAfter TYPE=FILE SIZE=4\r\n";
    const auto* p = reinterpret_cast<const uint8_t*>(listing.data());
    const std::vector<FmuFileEntry> want = {
        {"Courier", FMU_DATA_FORM}, {"Sans Serif", FMU_DATA_FORM}, {"Mid\fLine", FMU_DATA_FORM}};
    EXPECT_EQ(ParseDirListing(p, listing.size(), FMU_DATA_FORM), want);
    // Without a form feed or a final line end the buffer's end closes the last line.
    const std::string cut = "A TYPE=FILE SIZE=1\nB TYPE=FILE S";
    EXPECT_EQ(ParseDirListing(reinterpret_cast<const uint8_t*>(cut.data()), cut.size(), FMU_DATA_FONT),
              (std::vector<FmuFileEntry>{{"A", FMU_DATA_FONT}, {"B", FMU_DATA_FONT}}));
}

TEST(FmuHelpers, ProgramsNameTheFileInTheTargetsFolder) {
    EXPECT_EQ(DeleteProgram(FMU_SELECTED_TARGET_HDD, FMU_DATA_FONT, "Courier"),
              kUel + "\r\n%!PS\r\n(%disk0%fonts/Courier) deletefile\r\n" + kUel);
    EXPECT_EQ(DeleteProgram(FMU_SELECTED_TARGET_DIMM, FMU_DATA_FORM, "a) pop (b"),
              kUel + "\r\n%!PS\r\n(%disk1%forms/a\\) pop \\(b) deletefile\r\n" + kUel);
    const std::string rx = ReceivingProgram(FMU_SELECTED_TARGET_HDD, FMU_DATA_FONT, "Courier");
    EXPECT_EQ(rx.rfind(kUel +
                           "\r\n%!PS\r\n(%disk0%fonts/Courier)\r\ndup { deletefile } stopped { pop } if\r\n"
                           "(w) file /fd exch def\r\n",
                       0),
              0u);
    EXPECT_EQ(rx.substr(rx.size() - 13), "} bind loop\r\n");
    EXPECT_EQ(ReceivingProgram(FMU_SELECTED_TARGET_DIMM, FMU_DATA_FORM, "My(Form)")
                  .find("(%disk1%forms/My\\(Form\\))"),
              kUel.size() + 8);
}

TEST_F(FmuFixture, CheckSystemReadsTheStorageByte) {
    const std::string echo = "@PJL INQUIRE PSFILESYS\r\n";
    struct Case {
        std::string reply;
        int result;
        FmuReply understood; // "none" is an answer; another byte or another echo is not this reply
    } cases[] = {
        {echo + "1\f", 1, FmuReply::Ok},
        {echo + "2\f", 2, FmuReply::Ok},
        {echo + "3\f", 3, FmuReply::Ok},
        {echo + "0\f", 0, FmuReply::Ok},
        {echo + "9\f", 0, FmuReply::NotUnderstood},
        {echo + "x\f", 0, FmuReply::NotUnderstood},
        {"@PJL INQUIRE PSFILESYX\r\n3\f", 0, FmuReply::NotUnderstood},
    };
    for (const Case& c : cases) {
        dev.reads = {c.reply};
        EXPECT_EQ(fmu.CheckSystem(), c.result) << c.reply;
        EXPECT_EQ(fmu.LastReply(), c.understood) << c.reply;
    }
    const std::string job = kUel + "@PJL\r\n@PJL INQUIRE PSFILESYS\r\n" + kUel;
    EXPECT_EQ(dev.taken.substr(0, job.size()), job);
    EXPECT_EQ(Messages(), 0u);
    EXPECT_EQ(ui.waitCursorDepth, 0);

    // A reply in two pieces is read on until whole; one still short after a silence is
    // completed by the retry read, after its wait.
    ui.Clear();
    dev.reads = {echo.substr(0, 10), echo.substr(10) + "3\f"};
    EXPECT_EQ(fmu.CheckSystem(), 3);
    EXPECT_EQ(ui.Waits(), (std::vector<unsigned>{1000}));
    ui.Clear();
    dev.reads = {echo.substr(0, 10), "", "", echo.substr(10) + "3\f"};
    EXPECT_EQ(fmu.CheckSystem(), 3);
    EXPECT_EQ(ui.Waits(), (std::vector<unsigned>{1000, 2000}));

    // Still short after the retry: the printer error box and 0. Its rest, late, belongs to it:
    // the next question reads and drops it before it writes, and gets its own answer.
    dev.reads = {echo};
    EXPECT_EQ(fmu.CheckSystem(), 0);
    EXPECT_EQ(Messages(), 1u);
    dev.reads = {"2\f", echo + "1\f"};
    EXPECT_EQ(fmu.CheckSystem(), 1);

    // A write the printer takes short: the box, and nothing read.
    dev.accept = {5};
    dev.reads = {echo + "3\f"};
    EXPECT_EQ(fmu.CheckSystem(), 0);
    EXPECT_EQ(Messages(), 2u);
}

TEST_F(FmuFixture, ListingSizesOutsideTheirLimitsFailWithoutReading) {
    struct Case {
        long long size;
        int result;
        bool listingAsked;
    } cases[] = {{44, 0, false}, {45, 1, true}, {20480, 1, true}, {20481, 0, false}, {-1, 0, false}};
    for (const Case& c : cases) {
        dev.taken.clear();
        std::vector<FmuFileEntry> list;
        dev.reads = {InfoRecord("INQUIRE PSFNTINFO", false, 1, c.size)};
        if (c.size > 0)
            dev.reads.push_back(Listing({"Courier TYPE=FILE SIZE=1"}, static_cast<size_t>(c.size)));
        EXPECT_EQ(fmu.LoadFontListFromDevice(list), c.result) << c.size;
        EXPECT_EQ(dev.taken.find("FSPSDIRLIST") != std::string::npos, c.listingAsked) << c.size;
        EXPECT_EQ(list.size(), static_cast<size_t>(c.result)) << c.size;
        dev.reads.clear();
    }
    EXPECT_EQ(Messages(), 0u);
}

TEST_F(FmuFixture, ListsAppendToWhatIsThereAndAZeroCountAddsNothing) {
    fmu.SetTarget(FMU_SELECTED_TARGET_HDD);
    std::vector<FmuFileEntry> list = {{"Old", FMU_DATA_FONT}};
    dev.reads = {
        InfoRecord("INQUIRE PSFRMINFO", true, 2, 100),
        Listing({"@PJL FSPSDIRLIST", "Invoice TYPE=FILE SIZE=48213", "Letter TYPE=FILE SIZE=1"}, 100)};
    ASSERT_EQ(fmu.LoadFormListFromDevice(list), 1);
    EXPECT_EQ(list, (std::vector<FmuFileEntry>{
                        {"Old", FMU_DATA_FONT}, {"Invoice", FMU_DATA_FORM}, {"Letter", FMU_DATA_FORM}}));
    EXPECT_NE(dev.taken.find(kUel + "@PJL\r\n@PJL FSPSDIRLIST NAME=\"0:/RESOURCE/forms\"\r\n" + kUel),
              std::string::npos);

    dev.reads = {InfoRecord("INQUIRE PSFRMINFO", true, 0, 100), Listing({"Ghost TYPE=FILE SIZE=1"}, 100)};
    ASSERT_EQ(fmu.LoadFormListFromDevice(list), 1);
    EXPECT_EQ(list.size(), 3u);

    // A listing cut short keeps its whole lines and says it is incomplete; one whose form feed came
    // is whole, however much of its padding is missing.
    const std::string lines = Listing({"@PJL FSPSDIRLIST", "Memo TYPE=FILE SIZE=1", "Receipt TYPE=FILE SIZE=2"}, 100);
    struct Cut {
        size_t bytes;
        size_t entries;
        bool complete;
    } cuts[] = {{lines.find("Receipt") + 3, 1, false}, {lines.find('\f') + 1, 2, true}};
    bool restOwed = false;
    for (const Cut& c : cuts) {
        std::vector<FmuFileEntry> got;
        dev.reads = {InfoRecord("INQUIRE PSFRMINFO", true, 2, 100), lines.substr(0, c.bytes)};
        // The rest of a listing cut short is owed: the next question first reads it, and the
        // printer sends nothing (to both tries of the link's read).
        if (restOwed) dev.reads.insert(dev.reads.begin(), {"", ""});
        restOwed = !c.complete;
        ASSERT_EQ(fmu.LoadFormListFromDevice(got), 1) << c.bytes;
        EXPECT_EQ(got.size(), c.entries) << c.bytes;
        EXPECT_EQ(fmu.LastListingComplete(), c.complete) << c.bytes;
    }
    // Bytes with no entry and no form feed are no listing, and neither is a count out of range.
    std::vector<FmuFileEntry> none;
    dev.reads = {InfoRecord("INQUIRE PSFRMINFO", true, 2, 100), std::string(100, 'x')};
    EXPECT_EQ(fmu.LoadFormListFromDevice(none), 0);
    EXPECT_EQ(fmu.LastReply(), FmuReply::NotUnderstood);

    // The form count query on the hard disk answers a failed read with the printer box.
    dev.reads = {"short"};
    EXPECT_EQ(fmu.LoadFormListFromDevice(list), 0);
    EXPECT_EQ(Messages(), 1u);
    dev.reads = {"short"};
    EXPECT_EQ(fmu.LoadFontListFromDevice(list), 0);
    EXPECT_EQ(Messages(), 1u);
}

TEST_F(FmuFixture, SizesAreCheckedAgainstTheirEcho) {
    std::string mem = "@PJL INQUIRE PSDIMMSIZE\r\n" + Num16(1000000) + Num16(250000) + "\f";
    dev.reads = {mem};
    FmuSizes sizes;
    ASSERT_TRUE(fmu.QuerySizes(sizes, true));
    EXPECT_EQ(sizes.totalKb, 1000000u);
    EXPECT_EQ(sizes.freeKb, 250000u);
    EXPECT_EQ(ui.Waits().back(), 2000u);

    dev.reads = {mem};
    EXPECT_EQ(fmu.GetSysAvailableMemory(), 250000u);

    // The disk's record is one byte shorter and answers its own query only.
    fmu.SetTarget(FMU_SELECTED_TARGET_HDD);
    dev.reads = {mem.substr(0, 57)};
    EXPECT_EQ(fmu.GetSysAvailableMemory(), 0u);
    EXPECT_EQ(fmu.LastReply(), FmuReply::NotUnderstood);
    EXPECT_EQ(Messages(), 0u);
    dev.reads = {"@PJL INQUIRE PSHDDSIZE\r\n" + Num16(19535040) + Num16(-5) + "\f"};
    ASSERT_TRUE(fmu.QuerySizes(sizes, true));
    EXPECT_EQ(sizes.freeKb, 0u);
    EXPECT_NE(dev.taken.find("@PJL INQUIRE PSHDDSIZE\r\n"), std::string::npos);
}

TEST_F(FmuFixture, DownloadAndDeleteReportWhatReachedThePrinter) {
    TempFile form("form body", "form.ps");
    fmu.SetTarget(FMU_SELECTED_TARGET_HDD);
    ASSERT_EQ(fmu.DownloadFormToDevice(form.path, "Invoice"), 1);
    EXPECT_EQ(dev.taken,
              ReceivingProgram(FMU_SELECTED_TARGET_HDD, FMU_DATA_FORM, "Invoice") + "form body" + kUel);
    EXPECT_EQ(fmu.DownloadFontToDevice("/nonexistent/font.pfa", "X"), 0);

    dev.taken.clear();
    dev.writeCalls.clear();
    EXPECT_EQ(fmu.DeleteFileOnDevice("Courier", FMU_DATA_FONT), 1);
    EXPECT_EQ(dev.taken, kUel + "\r\n%!PS\r\n(%disk0%fonts/Courier) deletefile\r\n" + kUel);
    EXPECT_EQ(dev.writeCalls.size(), 1u);
    dev.accept = {10};
    EXPECT_EQ(fmu.DeleteFileOnDevice("Courier", FMU_DATA_FONT), 0);
    // A listed name that would reach outside the folder, or that the page would have to cut, is
    // never sent.
    dev.taken.clear();
    for (const std::string& name : {std::string("../forms/Invoice"), std::string(".."), std::string(260, 'n')})
        EXPECT_EQ(fmu.DeleteFileOnDevice(name, FMU_DATA_FONT), 0) << name;
    EXPECT_EQ(dev.taken, "");

    dev.taken.clear();
    EXPECT_EQ(fmu.SendStorageReport(), 1);
    EXPECT_EQ(dev.taken, kUel + "@PJL\r\n@PJL TEST PRINT = PSFSFONT\r\n" + kUel);
}

TEST(FmuLogSwitch, RegistryValueTurnsTheTraceOnAndOff) {
    const std::string reg = "/tmp/tavfmu-reg-" + std::to_string(::getpid()) + ".ini";
    const std::string out = "/tmp/tavfmu-log-" + std::to_string(::getpid()) + ".txt";
    ::setenv("TAV_REGISTRY_LM", reg.c_str(), 1);
    ::setenv("TAV_DEBUG_FILE", out.c_str(), 1);
    auto write = [&](const std::string& text) { std::ofstream(reg) << text; };
    auto logged = [&] {
        std::ifstream in(out);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    FmuLog log;
    log("[FMU] before %d\n", 1);
    write("[SOFTWARE\\Quorvex\\TAV]\nLogFMU=0x1\n");
    log.ReadSwitch();
    EXPECT_TRUE(log.On());
    log("[FMU] F-Test / name = %s\n", "%s%n"); // outside text is an argument, never the format
    write("[SOFTWARE\\Quorvex\\TAV]\nOther=1\n");
    log.ReadSwitch();
    EXPECT_TRUE(log.On()); // a missing value leaves the switch as it was
    write("[SOFTWARE\\Quorvex\\TAV]\nLogFMU=0\n");
    log.ReadSwitch();
    EXPECT_FALSE(log.On());
    log("[FMU] after\n");
    EXPECT_EQ(logged(), "[FMU] F-Test / name = %s%n\n");
    std::remove(reg.c_str());
    std::remove(out.c_str());
}
