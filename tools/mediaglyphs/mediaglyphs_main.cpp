// mediaglyphs <folder>: writes the 27 media button pictures as BMP files and
// mediaglyphs.rc, the resource script that names them (by full path).
#include <cstdio>
#include <fstream>
#include <string>

#include "classlib/BmpFile.h"
#include "tools/mediaglyphs/MediaGlyphs.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mediaglyphs <folder>\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::ofstream rc(dir + "/mediaglyphs.rc", std::ios::binary);
    for (const mediaglyphs::TGlyph& g : mediaglyphs::DrawGlyphs()) {
        const std::vector<uint8_t> bmp = WriteBmp24(mediaglyphs::GlyphWidth, mediaglyphs::GlyphHeight, g.Pixels.data());
        const std::string file = dir + "/" + g.Name + ".bmp";
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", file.c_str());
            return 1;
        }
        rc << g.Name << " BITMAP \"" << file << "\"\n";
    }
    if (!rc) {
        std::fprintf(stderr, "cannot write %s/mediaglyphs.rc\n", dir.c_str());
        return 1;
    }
    return 0;
}
