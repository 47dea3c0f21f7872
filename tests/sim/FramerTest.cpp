// Splitting the host's byte stream at UEL, whatever the chunks it arrives in.
#include <gtest/gtest.h>

#include <random>

#include "Framer.h"
#include "Printer.h"
#include "Profile.h"

using namespace tavsim;

namespace {
const std::string U = "\x1b%-12345X";

struct Seen {
    std::string kind;
    std::string bytes;
    uint64_t size;
    bool complete;
    std::string sha;
    bool operator==(const Seen&) const = default;
};

std::vector<Seen> Collect(std::vector<Segment>& segs) {
    std::vector<Seen> out;
    for (auto& s : segs)
        out.push_back({s.kind == Segment::Kind::Job ? "job" : "data", std::string(s.bytes.begin(), s.bytes.end()),
                       s.size, s.complete, s.sha256});
    return out;
}

std::vector<Seen> FeedChunks(const std::string& stream, const std::vector<size_t>& cuts) {
    Framer f;
    std::vector<Segment> segs;
    size_t pos = 0;
    for (size_t c : cuts) {
        f.Feed(reinterpret_cast<const uint8_t*>(stream.data()) + pos, c - pos, segs);
        pos = c;
    }
    f.Feed(reinterpret_cast<const uint8_t*>(stream.data()) + pos, stream.size() - pos, segs);
    f.Finish(segs);
    return Collect(segs);
}

// Print data with a near-UEL in it, a download header sent without a leading UEL, two UELs in a row.
const std::string kStream = U + "@PJL\r\n@PJL INFO PRINTER = ALL\r\n" + U +  //
                            "raw \x1b%-1234 print\x1b" + U +                  //
                            "@PJL\r\n@PJL INFO STATUS\r\n" + U +             //
                            "@PJL FSDOWNLOADFONT\r\n\x1b*c5Dfontbytes" + U +  //
                            U + U + "@PJL\r\n" + U +                         //
                            "tail data";
}  // namespace

TEST(Framer, JobsDataAndHeadlessJobs) {
    auto seen = FeedChunks(kStream, {});
    ASSERT_EQ(seen.size(), 7u);
    EXPECT_EQ(seen[0].kind, "job");
    EXPECT_EQ(seen[0].bytes, U + "@PJL\r\n@PJL INFO PRINTER = ALL\r\n" + U);
    EXPECT_EQ(seen[0].bytes.size(), 49u);
    EXPECT_EQ(seen[1].kind, "data");
    EXPECT_EQ(seen[1].bytes, "raw \x1b%-1234 print\x1b");
    EXPECT_EQ(seen[1].size, 18u);
    EXPECT_EQ(seen[2].bytes, U + "@PJL\r\n@PJL INFO STATUS\r\n" + U);
    EXPECT_EQ(seen[3].kind, "job");
    EXPECT_EQ(seen[3].bytes, "@PJL FSDOWNLOADFONT\r\n\x1b*c5Dfontbytes" + U);
    EXPECT_EQ(seen[4].bytes, U);  // the first of two UELs in a row stands alone
    EXPECT_EQ(seen[5].bytes, U + "@PJL\r\n" + U);
    EXPECT_EQ(seen[6].kind, "data");
    EXPECT_EQ(seen[6].bytes, "tail data");
    for (const auto& s : seen) EXPECT_TRUE(s.complete);
}

TEST(Framer, AnyChunkingGivesTheSameSegments) {
    const auto whole = FeedChunks(kStream, {});
    for (size_t cut = 1; cut < kStream.size(); ++cut) ASSERT_EQ(FeedChunks(kStream, {cut}), whole) << cut;
    for (size_t a = 1; a < kStream.size(); a += 3)
        for (size_t b = a + 1; b < kStream.size(); b += 5) ASSERT_EQ(FeedChunks(kStream, {a, b}), whole) << a << "," << b;
    std::vector<size_t> bytewise;
    for (size_t i = 1; i < kStream.size(); ++i) bytewise.push_back(i);
    EXPECT_EQ(FeedChunks(kStream, bytewise), whole);
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<size_t> cuts;
        for (size_t i = 1; i < kStream.size(); ++i)
            if (rng() % 4 == 0) cuts.push_back(i);
        ASSERT_EQ(FeedChunks(kStream, cuts), whole) << round;
    }
}

TEST(Framer, OpenJobAndPartialUelAtTheEnd) {
    auto seen = FeedChunks(U + "@PJL\r\n@PJL INFO ST" + "\x1b%-12", {});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_FALSE(seen[0].complete);
    EXPECT_EQ(seen[0].bytes, U + "@PJL\r\n@PJL INFO ST\x1b%-12");
    seen = FeedChunks(std::string("abc") + "\x1b%-123", {});
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].kind, "data");
    EXPECT_EQ(seen[0].bytes, "abc\x1b%-123");
}

TEST(Framer, QuietGapEndsADataRunButNotAJob) {
    Framer f;
    std::vector<Segment> segs;
    std::string a = "firmware part one";
    f.Feed(reinterpret_cast<const uint8_t*>(a.data()), a.size(), segs);
    f.Quiet(segs);
    ASSERT_EQ(segs.size(), 1u);
    EXPECT_EQ(segs[0].size, a.size());
    segs.clear();
    std::string j = U + "@PJL\r\n";
    f.Feed(reinterpret_cast<const uint8_t*>(j.data()), j.size(), segs);
    f.Quiet(segs);
    EXPECT_TRUE(segs.empty());
    f.Feed(reinterpret_cast<const uint8_t*>(U.data()), U.size(), segs);
    ASSERT_EQ(segs.size(), 1u);
    EXPECT_EQ(std::string(segs[0].bytes.begin(), segs[0].bytes.end()), j + U);
}

TEST(Framer, LargeDataIsClippedForTheLogButCountedAndHashedWhole) {
    Framer f(16);
    std::vector<Segment> segs;
    std::string data(100000, 'a');
    f.Feed(reinterpret_cast<const uint8_t*>(data.data()), data.size(), segs);
    f.Finish(segs);
    ASSERT_EQ(segs.size(), 1u);
    EXPECT_EQ(segs[0].size, 100000u);
    EXPECT_EQ(segs[0].bytes.size(), 16u);
    EXPECT_TRUE(segs[0].clipped);
    Sha256 h;
    h.Update(reinterpret_cast<const uint8_t*>(data.data()), data.size());
    EXPECT_EQ(segs[0].sha256, h.FinishHex());
}

TEST(Framer, RandomStreamsLoseNoByteAndRunWithoutHarm) {
    // Every byte received ends up in exactly one segment, and no job text upsets the printer.
    Profile p;
    std::string error;
    ASSERT_TRUE(ParseProfile(IniFile::Parse("[FlashFonts]\nA = 1, 2, X, 8U\n"), p, error)) << error;
    Printer printer(p);
    std::mt19937 rng(11);
    const std::string pieces[] = {U, "@PJL ", "DEFAULT ", "= ", "=", "INFO PRINTER", "ENGINE NUX_BUTTON=", "\r\n",
                                  "\x1b", "\x1b%-12", "PAPER", "WIDEA4", "ON ", "-3", "99999999999999999999", "\n"};
    for (int round = 0; round < 300; ++round) {
        std::string stream;
        for (int k = int(rng() % 40); k > 0; --k) {
            if (rng() % 3 == 0) stream += char(rng() % 256);
            else stream += pieces[rng() % std::size(pieces)];
        }
        Framer f(1 << 20);
        std::vector<Segment> segs;
        size_t pos = 0;
        while (pos < stream.size()) {
            size_t n = std::min<size_t>(1 + rng() % 7, stream.size() - pos);
            f.Feed(reinterpret_cast<const uint8_t*>(stream.data()) + pos, n, segs);
            pos += n;
        }
        f.Finish(segs);
        std::string joined;
        for (const auto& s : segs) {
            joined.append(s.bytes.begin(), s.bytes.end());
            EXPECT_EQ(s.size, s.bytes.size());
            if (s.kind == Segment::Kind::Job) {
                JobResult r = printer.RunJob(s.bytes);
                for (const auto& reply : r.replies) EXPECT_FALSE(reply.bytes.empty());
            }
        }
        ASSERT_EQ(joined, stream) << round;
    }
}
