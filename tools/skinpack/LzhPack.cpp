#include "tools/skinpack/LzhPack.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>

namespace skinpack {

namespace {

constexpr int T = 2 * LzhSymbols - 1;
constexpr int R = T - 1;
constexpr int MaxFreq = 0x8000;

// A complete prefix code ends on the all-ones byte.
static_assert(p_code[63] == 0xFF && p_len[63] == 8 && p_code[0] == 0 && p_len[0] == 3);

}  // namespace

// ---------------------------------------------------------------------------
// TLzhWriter: the same tree as the decoder's, walked from the leaf up.

TLzhWriter::TLzhWriter() {
    for (int i = 0; i < LzhSymbols; ++i) {
        m_freq[i] = 1;
        m_son[i] = static_cast<uint16_t>(i + T);
        m_prnt[i + T] = static_cast<uint16_t>(i);
    }
    for (int i = 0, j = LzhSymbols; j <= R; i += 2, ++j) {
        m_freq[j] = static_cast<uint16_t>(m_freq[i] + m_freq[i + 1]);
        m_son[j] = static_cast<uint16_t>(i);
        m_prnt[i] = m_prnt[i + 1] = static_cast<uint16_t>(j);
    }
    m_freq[T] = 0xFFFF;
    m_prnt[R] = 0;
}

void TLzhWriter::PutBits(int count, uint32_t bits) {
    for (int i = count - 1; i >= 0; --i) {
        m_acc = (m_acc << 1) | ((bits >> i) & 1u);
        if (++m_accBits == 8) {
            m_out.push_back(static_cast<uint8_t>(m_acc));
            m_acc = 0;
            m_accBits = 0;
        }
    }
}

void TLzhWriter::PutChar(int symbol) {
    if (symbol < 0 || symbol >= LzhSymbols) throw std::out_of_range("LZH symbol out of range");
    // Codes can grow past 16 bits on skewed input, so the path is kept bit by bit.
    uint8_t path[T];
    int depth = 0;
    for (int k = m_prnt[symbol + T]; k != R; k = m_prnt[k]) path[depth++] = static_cast<uint8_t>(k & 1);
    for (int i = depth - 1; i >= 0; --i) PutBits(1, path[i]);
    m_longest = std::max(m_longest, depth);
    Update(symbol);
}

void TLzhWriter::PutPosition(int position) {
    if (position < 0 || position >= LzhRing) throw std::out_of_range("LZH position out of range");
    const int upper = position >> 6;
    PutBits(p_len[upper], static_cast<uint32_t>(p_code[upper] >> (8 - p_len[upper])));
    PutBits(6, static_cast<uint32_t>(position & 0x3F));
}

Bytes TLzhWriter::Finish() {
    m_fill = 0;
    if (m_accBits > 0) {
        m_fill = 8 - m_accBits;
        PutBits(m_fill, 0);
    }
    return m_out;
}

void TLzhWriter::Reconst() {
    int j = 0;
    for (int i = 0; i < T; ++i) {
        if (m_son[i] >= T) {
            m_freq[j] = static_cast<uint16_t>((m_freq[i] + 1) / 2);
            m_son[j] = m_son[i];
            ++j;
        }
    }
    for (int i = 0, node = LzhSymbols; node < T; i += 2, ++node) {
        const unsigned f = m_freq[i] + m_freq[i + 1];
        int k = node;
        while (f < m_freq[k - 1]) --k;
        for (int m = node; m > k; --m) {
            m_freq[m] = m_freq[m - 1];
            m_son[m] = m_son[m - 1];
        }
        m_freq[k] = static_cast<uint16_t>(f);
        m_son[k] = static_cast<uint16_t>(i);
    }
    for (int i = 0; i < T; ++i) {
        const int k = m_son[i];
        m_prnt[k] = static_cast<uint16_t>(i);
        if (k < T) m_prnt[k + 1] = static_cast<uint16_t>(i);
    }
}

void TLzhWriter::Update(int symbol) {
    if (m_freq[R] == MaxFreq) Reconst();
    int c = m_prnt[symbol + T];
    do {
        const unsigned k = ++m_freq[c];
        if (k > m_freq[c + 1]) {
            int l = c + 1;
            while (k > m_freq[l + 1]) ++l;
            m_freq[c] = m_freq[l];
            m_freq[l] = static_cast<uint16_t>(k);
            const int i = m_son[c];
            const int j = m_son[l];
            m_son[l] = static_cast<uint16_t>(i);
            m_son[c] = static_cast<uint16_t>(j);
            m_prnt[i] = static_cast<uint16_t>(l);
            if (i < T) m_prnt[i + 1] = static_cast<uint16_t>(l);
            m_prnt[j] = static_cast<uint16_t>(c);
            if (j < T) m_prnt[j + 1] = static_cast<uint16_t>(c);
            c = l;
        }
        c = m_prnt[c];
    } while (c != 0);
}

// ---------------------------------------------------------------------------
// LzhCompress

namespace {

// Matches reach back at most this far, as in the classic coder's window.
constexpr int MaxDistance = LzhRing - LzhLookahead;
constexpr int HashBits = 15;
constexpr int32_t NoPos = -1;

uint32_t Hash3(const uint8_t* p) {
    return ((static_cast<uint32_t>(p[0]) << 10) ^ (static_cast<uint32_t>(p[1]) << 5) ^ p[2]) & ((1u << HashBits) - 1);
}

}  // namespace

Bytes LzhCompress(const uint8_t* data, size_t size, int* fillBits) {
    // The history as the decoder sees it: the ring's spaces, then the data. Positions
    // are never taken from before the spaces, where the ring holds nothing yet.
    Bytes hist(LzhStart + size, ' ');
    if (size) std::memcpy(hist.data() + LzhStart, data, size);
    const size_t end = hist.size();
    std::vector<int32_t> head(size_t{1} << HashBits, NoPos);
    std::vector<int32_t> prev(end, NoPos);
    size_t inserted = 0;  // positions below this are in the chains
    auto insertUpTo = [&](size_t limit) {
        for (; inserted < limit && inserted + 3 <= end; ++inserted) {
            const uint32_t h = Hash3(&hist[inserted]);
            prev[inserted] = head[h];
            head[h] = static_cast<int32_t>(inserted);
        }
        inserted = std::max(inserted, limit);
    };

    TLzhWriter w;
    size_t cur = LzhStart;
    while (cur < end) {
        insertUpTo(cur);
        const int maxLen = static_cast<int>(std::min<size_t>(LzhLookahead, end - cur));
        int best = 0;
        size_t bestDist = 0;
        if (maxLen > LzhThreshold) {
            for (int32_t p = head[Hash3(&hist[cur])]; p != NoPos && cur - static_cast<size_t>(p) <= MaxDistance;
                 p = prev[p]) {
                // The source may run into the bytes being matched, as the decoder's copy does.
                int len = 0;
                while (len < maxLen && hist[p + len] == hist[cur + len]) ++len;
                if (len > best) {
                    best = len;
                    bestDist = cur - static_cast<size_t>(p);
                    if (best == maxLen) break;
                }
            }
        }
        if (best > LzhThreshold) {
            w.PutChar(255 - LzhThreshold + best);
            w.PutPosition(static_cast<int>(bestDist - 1));
            cur += static_cast<size_t>(best);
        } else {
            w.PutChar(hist[cur]);
            ++cur;
        }
    }
    Bytes coded = w.Finish();
    if (fillBits) *fillBits = w.FillBits();
    return coded;
}

}  // namespace skinpack
