#include <gtest/gtest.h>

#include "Sha256.h"

using tavsim::Sha256;

namespace {
std::string Hash(const std::string& s) {
    Sha256 h;
    h.Update(reinterpret_cast<const uint8_t*>(s.data()), s.size());
    return h.FinishHex();
}

void KnownVectors() {
    EXPECT_EQ(Hash(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Hash("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Hash("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(Hash("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrs"
                   "mnopqrstnopqrstu"),
              "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1");
    EXPECT_EQ(Hash(std::string(1000000, 'a')), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

void PiecesOfAnySize() {
    std::string text;
    for (int i = 0; i < 300; ++i) text += char('A' + i % 26);
    const std::string whole = Hash(text);
    for (size_t step : {1u, 3u, 55u, 56u, 63u, 64u, 65u, 127u, 200u}) {
        Sha256 h;
        for (size_t p = 0; p < text.size(); p += step)
            h.Update(reinterpret_cast<const uint8_t*>(text.data()) + p, std::min(step, text.size() - p));
        EXPECT_EQ(h.FinishHex(), whole) << step;
    }
    // Finishing resets: the same object hashes a new message from scratch.
    Sha256 h;
    h.Update(reinterpret_cast<const uint8_t*>("x"), 1);
    h.FinishHex();
    EXPECT_EQ(h.FinishHex(), Hash(""));
}
}  // namespace

TEST(Sha256, KnownVectorsAndPiecesWithAndWithoutTheCpuInstructions) {
    const bool accelerated = Sha256::Accelerated();
    Sha256::SetAccelerated(false);
    EXPECT_FALSE(Sha256::Accelerated());
    KnownVectors();
    PiecesOfAnySize();
    // The same again with the CPU's SHA instructions where it has them.
    Sha256::SetAccelerated(true);
    KnownVectors();
    PiecesOfAnySize();
    Sha256::SetAccelerated(accelerated);
}
