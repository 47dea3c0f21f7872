#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "platform/Ini.h"

using namespace tav;

namespace {
struct TempIni {
    explicit TempIni(const std::string& text) {
        // CTest runs every case in a process of its own, in parallel: the pid keeps files apart.
        path = (std::filesystem::temp_directory_path() /
                ("initest-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".ini"))
                   .string();
        std::ofstream(path, std::ios::binary) << text;
    }
    ~TempIni() { std::filesystem::remove(path); }
    std::string path;
    static inline int counter = 0;
};
}  // namespace

TEST(Ini, SectionsAndKeysIgnoreCaseValuesKeepIt) {
    TempIni f("[Common]\nDeviceID=tcp://Printer:9100\n[TAB]\nPrinting=1\n");
    EXPECT_EQ(ReadIniString(f.path, "COMMON", "deviceid", "s"), "tcp://Printer:9100");
    EXPECT_EQ(ReadIniString(f.path, "common", "DEVICEID", "s"), "tcp://Printer:9100");
    EXPECT_TRUE(ReadIniFlag(f.path, "tab", "PRINTING"));
}

TEST(Ini, MissingKeySectionOrFileGivesTheDefault) {
    TempIni f("[A]\nx=1\n");
    EXPECT_EQ(ReadIniString(f.path, "A", "y", "dflt"), "dflt");
    EXPECT_EQ(ReadIniString(f.path, "B", "x", "dflt"), "dflt");
    EXPECT_EQ(ReadIniString("/nonexistent/dir/x.ini", "A", "x", "dflt"), "dflt");
    EXPECT_EQ(GetPrivateProfileInt("A", "y", 42, f.path), 42);
    EXPECT_EQ(GetPrivateProfileInt("A", "x", 42, "/nonexistent/x.ini"), 42);
    EXPECT_FALSE(ReadIniFlag("/nonexistent/x.ini", "A", "x"));
}

TEST(Ini, ValueIsCutToBufferSizeMinusOne) {
    TempIni f("[A]\nk=abcdefghij\n");
    char buf[5] = {'#', '#', '#', '#', '#'};
    EXPECT_EQ(GetPrivateProfileString("A", "k", "", buf, sizeof buf, f.path), 4u);
    EXPECT_STREQ(buf, "abcd");
    char one[1] = {'#'};
    EXPECT_EQ(GetPrivateProfileString("A", "k", "", one, 1, f.path), 0u);
    EXPECT_EQ(one[0], '\0');
    // Default is cut the same way.
    EXPECT_EQ(ReadIniString(f.path, "A", "none", "123456789", 3), "123");
    // A flag read with its 5-character buffer: "10000" is cut to "1000", not "1".
    TempIni g("[A]\nf=10000\ng=1\n");
    EXPECT_FALSE(ReadIniFlag(g.path, "A", "f"));
    EXPECT_TRUE(ReadIniFlag(g.path, "A", "g"));
}

TEST(Ini, BlanksQuotesAndComments) {
    TempIni f("; leading comment\n[ A ]\n  key  =  \"quoted value\"  \n;key2=hidden\nhalf=\"open\nsingle='x'\n"
              "inner=a;b\n");
    EXPECT_EQ(ReadIniString(f.path, "A", "key", ""), "quoted value");
    EXPECT_EQ(ReadIniString(f.path, "A", "key2", "none"), "none");
    EXPECT_EQ(ReadIniString(f.path, "A", "half", ""), "\"open");
    EXPECT_EQ(ReadIniString(f.path, "A", "single", ""), "x");
    EXPECT_EQ(ReadIniString(f.path, "A", "inner", ""), "a;b");
}

TEST(Ini, BlanksAroundRequestedNamesDoNotCount) {
    TempIni f("[Color]\nCalibration =1\n");
    EXPECT_TRUE(ReadIniFlag(f.path, "Color", "Calibration "));
    EXPECT_TRUE(ReadIniFlag(f.path, " Color", "Calibration"));
    EXPECT_FALSE(ReadIniFlag(f.path, "Color", "Calibratio"));
}

TEST(Ini, LineEndsBomAndNoFinalNewline) {
    TempIni crlf("\xEF\xBB\xBF[Config]\r\nEN=English\r\nKR=Korean");
    EXPECT_EQ(ReadIniString(crlf.path, "Config", "EN", ""), "English");
    EXPECT_EQ(ReadIniString(crlf.path, "Config", "KR", ""), "Korean");
}

TEST(Ini, FirstOfDuplicateSectionsAndKeysWins) {
    TempIni f("[A]\nk=first\nk=second\n[B]\nk=b\n[a]\nk=third\nonly=later\n");
    EXPECT_EQ(ReadIniString(f.path, "A", "k", ""), "first");
    EXPECT_EQ(ReadIniString(f.path, "A", "only", "none"), "none");
    EXPECT_EQ(ReadIniString(f.path, "B", "k", ""), "b");
}

TEST(Ini, IntegersTakeTheLeadingNumber) {
    TempIni f("[A]\na=12abc\nb=-7\nc=abc\nd=99999999999\ne= 5 \n");
    EXPECT_EQ(GetPrivateProfileInt("A", "a", 0, f.path), 12);
    EXPECT_EQ(GetPrivateProfileInt("A", "b", 0, f.path), -7);
    EXPECT_EQ(GetPrivateProfileInt("A", "c", 3, f.path), 3);
    EXPECT_EQ(GetPrivateProfileInt("A", "d", 0, f.path), 0x7FFFFFFF);
    EXPECT_EQ(GetPrivateProfileInt("A", "e", 0, f.path), 5);
}

TEST(Ini, SurvivesBinaryGarbageAndHugeLines) {
    std::string garbage;
    for (int i = 0; i < 70000; ++i) garbage += static_cast<char>((i * 7919) & 0xFF);
    TempIni f(garbage + "\n[Z]\nk=v\n");
    EXPECT_EQ(ReadIniString(f.path, "Z", "k", ""), "v");

    std::string big(1 << 20, 'x');
    TempIni g("[A]\nbig=" + big + "\nafter=ok\n");
    EXPECT_EQ(ReadIniString(g.path, "A", "big", "", 255), std::string(255, 'x'));
    EXPECT_EQ(ReadIniString(g.path, "A", "after", ""), "ok");

    TempIni h(std::string("[A]\nk=v\0w\n", 10));
    EXPECT_EQ(ReadIniString(h.path, "A", "k", "").substr(0, 1), "v");
}

TEST(StrEqual, ComparesEveryByteAndTheLength) {
    EXPECT_TRUE(StrEqual("KALOR", "KALOR"));
    EXPECT_FALSE(StrEqual("kalor", "KALOR"));
    EXPECT_FALSE(StrEqual("KALOR ", "KALOR"));
    EXPECT_FALSE(StrEqual("KALO", "KALOR"));
    EXPECT_FALSE(StrEqual(static_cast<const char*>(nullptr), "1"));
    EXPECT_TRUE(StrEqual(std::string_view("1"), std::string_view("1")));
}

TEST(Utf8, WellFormedOnlyWithoutOverlongsSurrogatesOrCutSequences) {
    const std::pair<const char*, bool> rows[] = {
        {"plain", true},          {"\xED\x95\x9C\xEA\xB8\x80", true}, {"\xF0\x9F\x98\x80", true},
        {"Gr\xFC\xDF", false},    {"\xC0\xAF", false},                {"\xE0\x80\xAF", false},
        {"\xED\xA0\x80", false},  {"\xF4\x90\x80\x80", false},        {"\xED\x95", false},
        {"\x80", false},
    };
    for (const auto& [text, ok] : rows)
        EXPECT_EQ(IsValidUtf8(text), ok) << text;
}
