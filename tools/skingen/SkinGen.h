// The builder's own stored skin: a brushed-metal look drawn at build time,
// its ini text, and the package that the main window's skin component holds.
// Plain C++ plus zlib (for the contact sheet), so Windows builds can compile it
// for the host.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/skinpack/SkinPack.h"

namespace skingen {

using skinpack::Bytes;

// Pixels as 0x00RRGGBB, rows from the top.
struct TImage {
    int Width = 0;
    int Height = 0;
    std::vector<uint32_t> Pixels;

    TImage() = default;
    TImage(int w, int h, uint32_t fill = 0);
    uint32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
    // Outside the image: ignored, so shapes may run over a frame's edge.
    void Set(int x, int y, uint32_t c);
};

// The transparent colour of every element drawn with Trans = 1, and of the
// parts that the keyed painters (caption buttons, check and radio glyphs,
// scroll-bar parts, up-down halves, track-bar thumbs) leave out.
constexpr uint32_t Magenta = 0xFF00FF;

struct TSkinBitmap {
    std::string Name;  // entry name, capitals kept
    TImage Image;
};

constexpr const char* SkinIniName = "satin-steel.ini";
// 0-based place of the ini text among the entries (the 32nd name).
constexpr int SkinIniPlace = 31;
constexpr int SkinBitmapCount = 35;
constexpr const char* PackageName = "driftpane.skn";
constexpr const char* SkinStreamName = "driftpane.skinstream";
constexpr const char* SheetName = "skin-sheet.png";

// The 35 bitmaps in entry order (the ini text goes between the 31st and 32nd).
std::vector<TSkinBitmap> DrawSkinBitmaps();
// The ini text, CR LF line ends.
std::string SkinIniText();

// A 24-bit bottom-up Windows bitmap file (BITMAPFILEHEADER + BITMAPINFOHEADER).
Bytes BmpBytes(const TImage& image);

// The 36 entries in package order: bitmaps as BMP files, the ini text 32nd.
std::vector<skinpack::TSkinEntry> SkinEntries(const std::vector<TSkinBitmap>& bitmaps);
// The 8 head bytes nobody reads; ours say who wrote the container.
const std::array<uint8_t, 8>& ContainerMark();
// The package of those entries.
Bytes SkinPackageBytes(const std::vector<TSkinBitmap>& bitmaps);
// What a stored "SkinStream" property holds: the package's length as a
// little-endian 32-bit number, then the package.
Bytes SkinStreamBytes(const Bytes& package);

// Every bitmap scaled by `scale`, in rows on a neutral background, with a gap
// between them; magenta stays magenta so the transparent parts show.
TImage ContactSheet(const std::vector<TSkinBitmap>& bitmaps, int scale = 2);
// An 8-bit RGB PNG file. Raises std::runtime_error when zlib fails.
Bytes PngBytes(const TImage& image);

}  // namespace skingen
