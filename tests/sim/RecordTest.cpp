// The settings record as the simulator encodes it, against bytes written out by hand.
#include <gtest/gtest.h>

#include "Printer.h"
#include "Profile.h"
#include "Settings.h"

using namespace tavsim;
using Bytes = std::vector<uint8_t>;

namespace {
// A state that reports only the given indices, so a vector stays short enough to write by hand.
SettingsState Only(std::initializer_list<uint8_t> indices) {
    SettingsState s;
    s.omitted.set();
    for (uint8_t i : indices) s.omitted.reset(i);
    return s;
}
}  // namespace

TEST(Record, HeaderEntriesAtTheirWidthsAndClosingEntry) {
    SettingsState s = Only({0, 2, 198});
    s.value[0] = 5;
    s.value[2] = 3;
    s.value[198] = 0x20000080;
    EXPECT_EQ(EncodeRecord(s), (Bytes{0x01, 0x00, 0x0f,                    // header: marker, length 15
                                      0x00, 0x01, 0x05,                    // paper size 5
                                      0x02, 0x02, 0x00, 0x03,              // copies 3, two bytes
                                      0xc6, 0x04, 0x20, 0x00, 0x00, 0x80,  // capability word
                                      0xff, 0x00}));
}

TEST(Record, OddWidthsAndKeptFields) {
    SettingsState s = Only({46, 51, 91, 199});
    s.value[46] = 0x0b;        // one byte in the record though the store holds two
    s.value[51] = 0xdeadbeef;  // four bytes, no field behind it
    s.value[91] = 0x012c;
    s.value[199] = 7;
    EXPECT_EQ(EncodeRecord(s), (Bytes{0x01, 0x00, 0x15, 0x2e, 0x01, 0x0b, 0x33, 0x04, 0xde, 0xad, 0xbe, 0xef,
                                      0x5b, 0x02, 0x01, 0x2c, 0xc7, 0x04, 0x00, 0x00, 0x00, 0x07, 0xff, 0x00}));
}

TEST(Record, RawEntriesUnknownIndexAndOtherTerminators) {
    SettingsState s = Only({20, 22});
    s.value[20] = 1;
    s.value[22] = 2;
    s.raw.push_back(RawEntry{21, {0x03, 0xaa, 0xbb, 0xcc}});  // unknown index: five bytes in all
    s.endIndex = 200;
    EXPECT_EQ(EncodeRecord(s),
              (Bytes{0x01, 0x00, 0x0d, 0x14, 0x01, 0x01, 0x15, 0x03, 0xaa, 0xbb, 0xcc, 0x16, 0x01, 0x02, 0xc8, 0x00}));

    // A raw entry replaces a known one, so a wrong length byte can be produced on purpose.
    s = Only({2});
    s.value[2] = 9;
    s.raw.push_back(RawEntry{2, {0x01, 0x00, 0x03}});
    s.endIndex = 0;  // and no closing entry: the record runs out
    EXPECT_EQ(EncodeRecord(s), (Bytes{0x01, 0x00, 0x04, 0x02, 0x01, 0x00, 0x03}));
}

TEST(Record, ProfileRecordIsWellFormed) {
    for (const char* name : {"color-ps", "mono-pcl"}) {
        SCOPED_TRACE(name);
        Profile p;
        std::string error;
        ASSERT_TRUE(LoadProfile(std::string(TAVSIM_SOURCE_PROFILES) + "/" + name + ".ini", p, error)) << error;
        Bytes r = EncodeRecord(p.factory);
        ASSERT_GE(r.size(), 5u);
        EXPECT_NE(r[0], 0);
        EXPECT_EQ(size_t(r[1] << 8 | r[2]), r.size() - 3);
        // Walk by the length bytes: ascending indices, index 0 before byte 100, widths as fixed, the
        // closing entry last, and the whole record inside the 4096-byte reply buffer.
        size_t p0 = 3;
        int last = -1;
        bool closed = false;
        uint32_t flags = 0;
        while (p0 + 1 < r.size()) {
            uint8_t idx = r[p0], len = r[p0 + 1];
            EXPECT_GT(int(idx), last);
            last = idx;
            if (idx == 0) {
                EXPECT_LT(p0, 100u);
            }
            if (idx >= 200) {
                closed = true;
                EXPECT_EQ(p0 + 2 + len, r.size());
                break;
            }
            const FieldDef* f = FindField(idx);
            ASSERT_NE(f, nullptr) << int(idx);
            EXPECT_EQ(len, f->width) << int(idx);
            if (idx == 198)
                flags = uint32_t(r[p0 + 2]) << 24 | uint32_t(r[p0 + 3]) << 16 | uint32_t(r[p0 + 4]) << 8 | r[p0 + 5];
            p0 += 2 + len;
        }
        EXPECT_TRUE(closed);
        EXPECT_LT(r.size(), 4096u);
        EXPECT_EQ(flags, p.factory.value[198]);
    }
}

TEST(Record, ProfileErrorsAreClear) {
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"[Settings]\nPAPER = 300\n", "[Settings] PAPER (line 2): not a number that fits 1 byte(s)"},
        {"[Settings]\nNOSUCH = 1\n", "[Settings] NOSUCH (line 2): no such settings field"},
        {"[Record]\nEnd = 150\n", "[Record] End must be 0 (none) or 200 to 255"},
        {"[RawEntries]\n21 = 0x03\n", "[RawEntries] 21 (line 2): expected hex bytes (length byte first)"},
        {"[FlashFonts]\nF = 1, 2, A name that is far too long, 8U\n", "[FlashFonts] F (line 2): typeface longer than 20 characters"},
        {"[NuxMenu]\nItems = A\n[NuxMenu/A]\nValues = X, Y\nValue = Z\n", "[NuxMenu/A] Value \"Z\" is not one of its Values"},
    };
    for (const auto& c : cases) {
        Profile p;
        std::string error;
        EXPECT_FALSE(ParseProfile(IniFile::Parse(c.text), p, error)) << c.text;
        EXPECT_EQ(error, c.message);
    }
}
