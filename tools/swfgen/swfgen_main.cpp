// swfgen: writes the sample movie and the movie fixtures.
//   swfgen sample FILE            the sample movie shipped beside the builder
//   swfgen fixtures DIR           each fixture as NAME.swf and, compressed, NAME_cws.swf
//   swfgen bulk LENGTH FILE [cws] a large movie of exactly LENGTH uncompressed bytes
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/swfgen/SwfPack.h"
#include "tools/swfgen/SwfWriter.h"

namespace {

bool WriteFile(const std::string& name, const swfgen::Bytes& data) {
    FILE* f = std::fopen(name.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "swfgen: cannot create %s\n", name.c_str());
        return false;
    }
    bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) std::fprintf(stderr, "swfgen: cannot write %s\n", name.c_str());
    return ok;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: swfgen sample FILE\n"
                 "       swfgen fixtures DIR\n"
                 "       swfgen bulk LENGTH FILE [cws]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::string cmd = argv[1];
    try {
        if (cmd == "sample" && argc == 3) return WriteFile(argv[2], swfgen::SampleMovie()) ? 0 : 1;
        if (cmd == "fixtures" && argc == 3) {
            const std::string dir = argv[2];
            for (const swfgen::Fixture& fx : swfgen::Fixtures()) {
                std::string stem = fx.name.substr(0, fx.name.size() - 4);
                if (!WriteFile(dir + "/" + fx.name, fx.fws) ||
                    !WriteFile(dir + "/" + stem + "_cws.swf", swfgen::Cws(fx.fws)))
                    return 1;
            }
            return 0;
        }
        if (cmd == "bulk" && (argc == 4 || (argc == 5 && std::strcmp(argv[4], "cws") == 0))) {
            unsigned long length = std::strtoul(argv[2], nullptr, 10);
            swfgen::Bytes movie = swfgen::BulkMovie(static_cast<uint32_t>(length));
            if (argc == 5) movie = swfgen::Cws(movie);
            return WriteFile(argv[3], movie) ? 0 : 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "swfgen: %s\n", e.what());
        return 1;
    }
    return Usage();
}
