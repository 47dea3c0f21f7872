// The Type 1 conversion and check: the text form byte for byte, every refusal, and a font made
// here going through both as the manager sends it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <filesystem>
#include <fstream>

#include "ScriptedDevice.h"
#include "Type1Fonts.h"
#include "platform/Platform.h"
#include "storage/Type1.h"

using namespace tav;
using tavtest::Pfb;
using tavtest::TempFile;

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Converted {
    int result;
    std::string out;  // the path handed back
    std::string text; // the file written, when the result is 1
};

Converted Convert(const std::string& bytes) {
    TempFile src(bytes, "font.pfb");
    char out[260] = {};
    Converted c{ConvertPfbToPfa(src.path.c_str(), out, sizeof out), out, {}};
    if (c.result) c.text = ReadAll(c.out);
    return c;
}

std::string Hex(size_t n, size_t from = 0) {
    static const char kHex[] = "0123456789abcdef";
    std::string s;
    for (size_t i = from; i < from + n; ++i) {
        s += kHex[(i & 0xFF) >> 4];
        s += kHex[i & 15];
    }
    return s;
}

std::string Bytes(size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s += static_cast<char>(i & 0xFF);
    return s;
}

struct Validated {
    int result;
    std::string name;
};

Validated Validate(const std::string& text, size_t capacity = 260) {
    TempFile f(text, "font.pfa");
    std::vector<char> name(capacity + 1, 'X');
    Validated v{ValidateFont(f.path.c_str(), name.data(), capacity), {}};
    if (v.result) v.name = name.data();
    return v;
}

} // namespace

TEST(Type1Convert, SegmentsBecomeTheTextForm) {
    // Text: CR and LF each become CR LF, so CR LF becomes two line breaks.
    Converted text = Convert(Pfb({{1, "%!PS\rline\nnext\r\n"}, {3, ""}}));
    ASSERT_EQ(text.result, 1);
    EXPECT_EQ(text.text, "%!PS\r\nline\r\nnext\r\n\r\n");
    EXPECT_EQ(text.out, PrivateTempFolder() + "fmutmp.pba");

    // 40 binary bytes: 64 digits, a line break, 16 digits; then a line break before the trailer.
    Converted bin = Convert(Pfb({{1, "head\r"}, {2, Bytes(40)}, {1, "tail"}, {3, ""}}));
    ASSERT_EQ(bin.result, 1);
    EXPECT_EQ(bin.text, "head\r\n" + Hex(32) + "\r\n" + Hex(8, 32) + "\r\ntail");

    // A second binary segment continues the count of the line it starts on.
    Converted two = Convert(Pfb({{2, Bytes(8)}, {2, Bytes(28)}}));
    ASSERT_EQ(two.result, 1);
    EXPECT_EQ(two.text, Hex(8) + Hex(24) + "\r\n" + Hex(4, 24));

    // Each conversion starts its lines afresh: the same input gives the same file again.
    EXPECT_EQ(Convert(Pfb({{1, "head\r"}, {2, Bytes(40)}, {1, "tail"}, {3, ""}})).text, bin.text);

    // An empty input is converted to an empty file.
    Converted empty = Convert("");
    EXPECT_EQ(empty.result, 1);
    EXPECT_EQ(empty.text, "");
}

TEST(Type1Convert, RefusesWhatIsNotAWholeSegmentedFont) {
    const std::string len100 = std::string("\x80\x02\x64\x00\x00\x00", 6);
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"not segmented", "%!PS-AdobeFont-1.0"},
        {"a segment of an unknown type", Pfb({{1, "a"}}) + std::string("\x80\x04\x01\x00\x00\x00x", 7)},
        {"a negative length", std::string("\x80\x01\xff\xff\xff\xff", 6) + "abc"},
        {"a length past the end of the file", len100 + Bytes(99)},
        {"a length cut short", std::string("\x80\x01\x05\x00", 4)},
        {"a marker without its type", Pfb({{1, "a"}}) + "\x80"},
        {"a later segment without its marker", Pfb({{1, "a"}}) + "x"},
    };
    for (const Case& c : cases) {
        TempFile src(c.bytes, "font.pfb");
        char out[260] = {};
        EXPECT_EQ(ConvertPfbToPfa(src.path.c_str(), out, sizeof out), 0) << c.what;
    }
    // Not segmented: the caller is handed the source back.
    TempFile plain("%!PS-AdobeFont-1.0", "plain.pfa");
    char out[260] = {};
    EXPECT_EQ(ConvertPfbToPfa(plain.path.c_str(), out, sizeof out), 0);
    EXPECT_EQ(std::string(out), plain.path);
    // A missing source and a buffer too small for the temporary path.
    EXPECT_EQ(ConvertPfbToPfa("/nonexistent/font.pfb", out, sizeof out), 0);
    TempFile good(Pfb({{1, "a"}, {3, ""}}), "good.pfb");
    char tiny[8] = {};
    EXPECT_EQ(ConvertPfbToPfa(good.path.c_str(), tiny, sizeof tiny), 0);
}

// A full disk or a file-size limit cuts the text form at some byte: the conversion then ends with
// 0 (the caller falls back to the source) and never writes past its buffer. Run in a child, where
// the limit cannot touch the test's own files; the child's status is 10 + the result.
TEST(Type1Convert, AFailedWriteEndsTheConversionWithZero) {
    TempFile src(Pfb({{1, "%!PS-AdobeFont-1.0: Cut\r"}, {2, Bytes(20000)}, {1, "tail\r"}, {3, ""}}), "cut.pfb");
    const std::string text = Convert(ReadAll(src.path)).text; // about 41000 bytes
    ASSERT_GT(text.size(), 40000u);
    struct Row {
        rlim_t limit;
        int result;
    } rows[] = {{0, 0}, {1, 0}, {8191, 0}, {8192, 0}, {8193, 0}, {24577, 0}, {text.size() - 1, 0}, {text.size(), 1}};
    for (const Row& row : rows) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of ending us
            const rlimit lim{row.limit, row.limit};
            ::setrlimit(RLIMIT_FSIZE, &lim);
            char out[260] = {};
            ::_exit(10 + ConvertPfbToPfa(src.path.c_str(), out, sizeof out));
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 10 + row.result)
            << "limit " << row.limit << ": status " << status;
    }
}

TEST(Type1Convert, NeverWritesThroughALinkPlantedAsTheTemporaryFile) {
    const std::string folder = PrivateTempFolder();
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    TempFile victim("untouched", "victim.txt");
    const std::string target = folder + "fmutmp.pba";
    std::filesystem::remove(target);
    std::filesystem::create_symlink(victim.path, target);
    TempFile src(Pfb({{1, "font"}, {3, ""}}), "font.pfb");
    char out[260] = {};
    EXPECT_EQ(ConvertPfbToPfa(src.path.c_str(), out, sizeof out), 0);
    EXPECT_EQ(ReadAll(victim.path), "untouched");
    std::filesystem::remove(target);
    ASSERT_EQ(ConvertPfbToPfa(src.path.c_str(), out, sizeof out), 1);
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(Type1Validate, FindsTheNameOrRefuses) {
    const std::string head = "%!PS-AdobeFont-1.0: X\n";
    struct Case {
        const char* what;
        std::string text;
        int result;
        std::string name;
    } cases[] = {
        {"blanks and tabs round the name", head + "/FontName   /Times-Roman \t def", 1, "Times-Roman"},
        {"name on its own line", head + "/FontName\n/Courier\ndef", 1, "Courier"},
        {"a name cut by a delimiter", head + "/FontName /My(Font) def", 0, ""},
        {"no def after the name", head + "/FontName /Times-Roman", 0, ""},
        {"a string instead of a name", head + "/FontName (Times-Roman) def", 0, ""},
        {"no /FontName", head + "/FullName (X) def", 0, ""},
        {"no %!PS-AdobeFont", "%!PS\n/FontName /X def", 0, ""},
        {"a zero byte before the markers", std::string("\x80\x01\x00\x00", 4) + head + "/FontName /X def", 0,
         ""},
        {"markers after the first zero byte", head + std::string(1, '\0') + "/FontName /X def", 0, ""},
    };
    for (const Case& c : cases) {
        Validated v = Validate(c.text);
        EXPECT_EQ(v.result, c.result) << c.what;
        EXPECT_EQ(v.name, c.name) << c.what;
    }
    // The name is cut to the caller's buffer.
    EXPECT_EQ(Validate(head + "/FontName /LongFontName def", 5).name, "Long");
    char name[260];
    EXPECT_EQ(ValidateFont("/nonexistent/font.pfa", name, sizeof name), 0);
}

TEST(Type1Validate, RefusesAFileTooLargeToReadWhole) {
    TempFile big("%!PS-AdobeFont-1.0\n/FontName /Big def\n", "big.pfa");
    ASSERT_EQ(::truncate(big.path.c_str(), static_cast<off_t>(kMaxFontFileBytes + 1)), 0);
    char name[260];
    EXPECT_EQ(ValidateFont(big.path.c_str(), name, sizeof name), 0);
}

TEST(Type1Font, ABinaryFontMadeHereIsConvertedAndAccepted) {
    Converted c = Convert(tavtest::MakePfb("Quill-Bold", 100));
    ASSERT_EQ(c.result, 1);
    char name[260];
    ASSERT_EQ(ValidateFont(c.out.c_str(), name, sizeof name), 1);
    EXPECT_STREQ(name, "Quill-Bold");
    // The body comes back as the text form held it, in lines of 64 digits.
    const std::string pfa = tavtest::MakePfa("Quill-Bold", 100);
    const size_t start = pfa.find("eexec\r") + 6;
    const std::string digits = pfa.substr(start, 200);
    EXPECT_NE(c.text.find(digits.substr(0, 64) + "\r\n" + digits.substr(64, 64) + "\r\n"), std::string::npos);
    // Unconverted, the binary font is searched only up to its first zero byte.
    TempFile raw(tavtest::MakePfb("Quill-Bold", 100), "raw.pfb");
    EXPECT_EQ(ValidateFont(raw.path.c_str(), name, sizeof name), 0);
}
