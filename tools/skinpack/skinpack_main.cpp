// skinpack: writes a skin package from a list of files.
//   skinpack OUT.skn FILE...
// Each file becomes one entry, in the order given, named by its file name as
// spelled on the command line (capitals kept, folders dropped).
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "tools/skinpack/SkinPack.h"

namespace {

bool ReadFile(const std::string& name, skinpack::Bytes& data) {
    FILE* f = std::fopen(name.c_str(), "rb");
    if (!f) {
        std::fprintf(stderr, "skinpack: cannot open %s\n", name.c_str());
        return false;
    }
    data.clear();
    unsigned char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    if (!ok) std::fprintf(stderr, "skinpack: cannot read %s\n", name.c_str());
    return ok;
}

bool WriteFile(const std::string& name, const skinpack::Bytes& data) {
    FILE* f = std::fopen(name.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "skinpack: cannot create %s\n", name.c_str());
        return false;
    }
    bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "skinpack: cannot write %s\n", name.c_str());
        std::remove(name.c_str());
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: skinpack OUT.skn FILE...\n");
        return 2;
    }
    try {
        std::vector<skinpack::TSkinEntry> entries;
        for (int i = 2; i < argc; ++i) {
            skinpack::TSkinEntry e;
            e.Name = skinpack::EntryNameOf(argv[i]);
            if (!ReadFile(argv[i], e.Data)) return 1;
            entries.push_back(std::move(e));
        }
        return WriteFile(argv[1], skinpack::SkinPackage(entries)) ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "skinpack: %s\n", e.what());
        return 1;
    }
}
