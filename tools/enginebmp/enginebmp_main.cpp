// enginebmp: draws the skin engine's own bitmaps.
//   enginebmp OUTDIR
// Writes OUTDIR/<name>.bmp for each, then OUTDIR/SkinEngine.rc, the resource script that links
// them into a program; the script comes last, so its presence means the bitmaps are all there.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "classlib/BmpFile.h"
#include "tools/enginebmp/EngineBitmaps.h"

namespace {

bool WriteFile(const std::string& name, const std::vector<uint8_t>& data) {
    FILE* f = std::fopen(name.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "enginebmp: cannot create %s\n", name.c_str());
        return false;
    }
    bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "enginebmp: cannot write %s\n", name.c_str());
        std::remove(name.c_str());
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: enginebmp OUTDIR\n");
        return 2;
    }
    try {
        const std::string out = argv[1];
        const auto bitmaps = enginebmp::EngineBitmaps();
        for (const auto& b : bitmaps)
            if (!WriteFile(out + "/" + b.Name + ".bmp", WriteBmp24(b.Width, b.Height, b.Pixels.data()))) return 1;
        const std::string rc = enginebmp::ResourceScript(bitmaps, out);
        return WriteFile(out + "/SkinEngine.rc", std::vector<uint8_t>(rc.begin(), rc.end())) ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "enginebmp: %s\n", e.what());
        return 1;
    }
}
