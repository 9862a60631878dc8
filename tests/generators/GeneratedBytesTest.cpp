// The sample movie, the stored skin's bitmaps and the engine's own bitmaps are drawn by code at
// build time, on the host for the Windows builds and inside the test programs too. Whatever built
// them, the bytes are the same: each is hashed and compared with the digest of the committed
// generators. A change to a generator changes its digest here on purpose; a difference on one
// build alone is a fault.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "classlib/BmpFile.h"
#include "tools/enginebmp/EngineBitmaps.h"
#include "tools/skingen/SkinGen.h"
#include "tools/swfgen/SwfWriter.h"

namespace {

// FNV-1a, 64 bits: enough to tell two byte strings apart, and the same everywhere.
class Digest {
public:
    void Add(const std::vector<uint8_t>& bytes) {
        for (uint8_t b : bytes) h_ = (h_ ^ b) * 0x100000001B3ull;
        size_ += bytes.size();
    }
    std::string Text() const {
        char s[48];
        std::snprintf(s, sizeof s, "%016" PRIx64 "/%zu", h_, size_);
        return s;
    }

private:
    uint64_t h_ = 0xCBF29CE484222325ull;
    size_t size_ = 0;
};

TEST(GeneratedBytes, SampleMovieIsTheSameOnEveryBuild) {
    Digest d;
    d.Add(swfgen::SampleMovie());
    EXPECT_EQ(d.Text(), "5effa23ddd0c8879/34906");
}

TEST(GeneratedBytes, StoredSkinBitmapsAreTheSameOnEveryBuild) {
    Digest all;
    std::string each;  // which bitmap differs, for whoever reads a failure
    for (const auto& b : skingen::DrawSkinBitmaps()) {
        const auto bmp = skingen::BmpBytes(b.Image);
        Digest one;
        one.Add(bmp);
        all.Add(bmp);
        each += "\n  " + b.Name + " " + one.Text();
    }
    EXPECT_EQ(all.Text(), "f9e5623d76d1a911/156938") << each;
}

TEST(GeneratedBytes, EngineBitmapsAreTheSameOnEveryBuild) {
    Digest all;
    std::string each;
    for (const auto& b : enginebmp::EngineBitmaps()) {
        const auto bmp = WriteBmp24(b.Width, b.Height, b.Pixels.data());
        Digest one;
        one.Add(bmp);
        all.Add(bmp);
        each += "\n  " + b.Name + " " + one.Text();
    }
    EXPECT_EQ(all.Text(), "3dfaafb269c3dfe0/23328") << each;
}

}  // namespace
