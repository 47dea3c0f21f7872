// Streaming SHA-256, so print and firmware data of any size can be fingerprinted in the log
// without keeping it.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tavsim {

class Sha256 {
public:
    Sha256();
    void Update(const uint8_t* data, size_t len);
    std::array<uint8_t, 32> Finish();  // the object is reset afterwards
    std::string FinishHex();
    static std::string HexOf(const uint8_t* data, size_t len);
    // Whether the CPU's SHA instructions are used; tests switch them off to check the plain code.
    static bool Accelerated();
    static bool SetAccelerated(bool on);  // returns the resulting state

private:
    void Reset();
    void Block(const uint8_t* p);
    void Blocks(const uint8_t* p, size_t blocks);
    uint32_t m_h[8];
    uint8_t m_buf[64];
    size_t m_bufLen;
    uint64_t m_total;
};

}  // namespace tavsim
