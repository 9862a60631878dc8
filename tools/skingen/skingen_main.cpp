// skingen: draws the builder's stored skin.
//   skingen OUTDIR
// Writes OUTDIR/driftpane.skn (the package), OUTDIR/driftpane.skinstream (the
// same bytes behind the 32-bit length a stored "SkinStream" holds),
// OUTDIR/skin-sheet.png (every bitmap at twice its size, for people to look at)
// and the package's entries as files under OUTDIR/driftpane-skin/.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <exception>
#include <string>

#include "tools/skingen/SkinGen.h"

namespace {

bool MakeDir(const std::string& dir) {
    if (mkdir(dir.c_str(), 0755) == 0 || errno == EEXIST) return true;
    std::fprintf(stderr, "skingen: cannot create %s\n", dir.c_str());
    return false;
}

bool WriteFile(const std::string& name, const skingen::Bytes& data) {
    FILE* f = std::fopen(name.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "skingen: cannot create %s\n", name.c_str());
        return false;
    }
    bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "skingen: cannot write %s\n", name.c_str());
        std::remove(name.c_str());
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: skingen OUTDIR\n");
        return 2;
    }
    try {
        const std::string out = argv[1];
        const std::string parts = out + "/driftpane-skin";
        if (!MakeDir(out) || !MakeDir(parts)) return 1;
        const auto bitmaps = skingen::DrawSkinBitmaps();
        for (const auto& e : skingen::SkinEntries(bitmaps))
            if (!WriteFile(parts + "/" + e.Name, e.Data)) return 1;
        const skingen::Bytes package = skingen::SkinPackageBytes(bitmaps);
        if (!WriteFile(out + "/" + skingen::PackageName, package)) return 1;
        if (!WriteFile(out + "/" + skingen::SkinStreamName, skingen::SkinStreamBytes(package))) return 1;
        return WriteFile(out + "/" + skingen::SheetName, skingen::PngBytes(skingen::ContactSheet(bitmaps))) ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "skingen: %s\n", e.what());
        return 1;
    }
}
