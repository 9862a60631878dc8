// The BMP reader on arbitrary bytes, as a file and as a packed DIB: whatever it accepts has the
// shape it promises, lies inside the input, and every pixel byte can be read.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cstdlib>

#include "classlib/BmpFile.h"

namespace {
void Check(bool ok) {
    if (!ok) std::abort();
}

void CheckImage(const TDibImage& dib, size_t size) {
    Check(dib.Width > 0 && dib.Height > 0 && dib.Width <= kMaxBmpDimension && dib.Height <= kMaxBmpDimension);
    Check(dib.BitCount == 1 || dib.BitCount == 4 || dib.BitCount == 8 || dib.BitCount == 16 || dib.BitCount == 24 ||
          dib.BitCount == 32);
    Check(!dib.Rgb565 || dib.BitCount == 16);
    Check(dib.Stride == DibStride(dib.Width, dib.BitCount));
    Check(dib.Bits.size() == size_t(dib.Stride) * size_t(dib.Height));
    Check(dib.Colours.size() == (dib.BitCount <= 8 ? size_t(1) << dib.BitCount : 0));
    Check(dib.End <= size);
    // Reads every byte, so the sanitizers see any that were never written; in pieces through
    // memcpy, which they check whole, rather than byte by byte in this unoptimised build.
    static uint8_t piece[1 << 16];
    unsigned sum = 0;
    for (size_t at = 0; at < dib.Bits.size(); at += sizeof piece) {
        const size_t n = std::min(sizeof piece, dib.Bits.size() - at);
        std::memcpy(piece, dib.Bits.data() + at, n);
        sum += piece[n - 1];
    }
    volatile unsigned keep = sum;
    (void)keep;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TDibImage file;
    if (ReadBmpFile(data, size, file) == TBmpResult::Ok) CheckImage(file, size);
    TDibImage packed;
    if (ReadPackedDib(data, size, packed) == TBmpResult::Ok) CheckImage(packed, size);
    return 0;
}
