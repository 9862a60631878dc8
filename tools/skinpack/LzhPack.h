// The LZHUF coder, encoding side: LZSS over a 4096-byte ring whose literals
// and match lengths go through the adaptive Huffman tree and whose match
// positions go through the fixed position code. Plain C++ (no class library),
// so Windows builds can compile it for the host.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace skinpack {

using Bytes = std::vector<uint8_t>;

constexpr int LzhRing = 4096;
constexpr int LzhLookahead = 60;
constexpr int LzhThreshold = 2;
constexpr int LzhSymbols = 256 - LzhThreshold + LzhLookahead;  // 314
// The ring starts as this many spaces; the first byte goes after them.
constexpr int LzhStart = LzhRing - LzhLookahead;

// The fixed code for the upper 6 bits of a match position: upper values 0..63
// have codes of 3 (1 value), 4 (3), 5 (8), 6 (12), 7 (24) and 8 bits (16),
// handed out canonically in value order, from all zeros.
struct TPositionCode {
    std::array<uint8_t, 64> len{};   // bits of the code
    std::array<uint8_t, 64> code{};  // the code, left-aligned in 8 bits
};

constexpr TPositionCode MakePositionCode() {
    constexpr int codesOfLength[9] = {0, 0, 0, 1, 3, 8, 12, 24, 16};
    TPositionCode pc;
    int value = 0;
    unsigned code = 0;
    int prevLen = 3;
    for (int len = 3; len <= 8; ++len) {
        for (int n = 0; n < codesOfLength[len]; ++n, ++value) {
            code <<= (len - prevLen);
            prevLen = len;
            pc.len[value] = static_cast<uint8_t>(len);
            pc.code[value] = static_cast<uint8_t>(code << (8 - len));
            ++code;
        }
    }
    return pc;
}

inline constexpr std::array<uint8_t, 64> p_len = MakePositionCode().len;
inline constexpr std::array<uint8_t, 64> p_code = MakePositionCode().code;

// Writes coded symbols one by one. A symbol below 256 is a literal byte;
// 256 + k is a match of k + 3 bytes, to be followed by PutPosition.
class TLzhWriter {
public:
    TLzhWriter();
    // 0 <= symbol < LzhSymbols.
    void PutChar(int symbol);
    // 0 <= position < LzhRing: the match starts position + 1 bytes back.
    void PutPosition(int position);
    // The coded bytes; the last byte's unused low bits are 0.
    Bytes Finish();
    // After Finish: how many low bits of the last byte are fill.
    int FillBits() const { return m_fill; }
    // The longest Huffman code written so far, in bits.
    int LongestCode() const { return m_longest; }

private:
    void PutBits(int count, uint32_t bits);
    void Update(int symbol);
    void Reconst();

    uint16_t m_freq[2 * LzhSymbols];
    uint16_t m_prnt[3 * LzhSymbols - 1];
    uint16_t m_son[2 * LzhSymbols - 1];
    Bytes m_out;
    uint32_t m_acc = 0;
    int m_accBits = 0;
    int m_fill = 0;
    int m_longest = 0;
};

// The coded form of data (without the size that a package puts in front).
// fillBits, when given, receives how many low bits of the last byte are fill.
Bytes LzhCompress(const uint8_t* data, size_t size, int* fillBits = nullptr);
inline Bytes LzhCompress(const Bytes& data) { return LzhCompress(data.data(), data.size()); }

}  // namespace skinpack
