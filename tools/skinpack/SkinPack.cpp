#include "tools/skinpack/SkinPack.h"

#include <cstdint>
#include <limits>
#include <set>
#include <stdexcept>

namespace skinpack {

namespace {

void PutI32(Bytes& out, int64_t v) {
    const uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(u >> (8 * i)));
}

std::string Lowered(const std::string& s) {
    std::string l = s;
    for (char& c : l)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return l;
}

}  // namespace

Bytes SkinContainer(const std::vector<TSkinEntry>& entries, const std::array<uint8_t, 8>& reserved) {
    if (entries.size() > static_cast<size_t>(MaxEntries))
        throw std::invalid_argument("a skin holds at most 1001 entries, not " + std::to_string(entries.size()));
    std::string names;
    std::set<std::string> seen;
    int64_t total = 0;
    for (const TSkinEntry& e : entries) {
        if (e.Name.find_first_of("\r\n") != std::string::npos)
            throw std::invalid_argument("entry name with a line break: " + e.Name);
        if (!seen.insert(Lowered(e.Name)).second) throw std::invalid_argument("entry named twice: " + e.Name);
        names += e.Name;
        names += "\r\n";
        total += static_cast<int64_t>(e.Data.size());
    }
    const int64_t size = 16 + static_cast<int64_t>(names.size()) + 4 * static_cast<int64_t>(entries.size()) + total;
    if (size > std::numeric_limits<int32_t>::max()) throw std::invalid_argument("skin container past 2 GiB");

    Bytes out;
    out.reserve(static_cast<size_t>(size));
    PutI32(out, ContainerTag);
    PutI32(out, static_cast<int64_t>(names.size()));
    out.insert(out.end(), reserved.begin(), reserved.end());
    out.insert(out.end(), names.begin(), names.end());
    for (const TSkinEntry& e : entries) PutI32(out, static_cast<int64_t>(e.Data.size()));
    for (const TSkinEntry& e : entries) out.insert(out.end(), e.Data.begin(), e.Data.end());
    return out;
}

Bytes SkinPackage(const Bytes& container) {
    if (container.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
        throw std::invalid_argument("skin container past 2 GiB");
    Bytes out;
    PutI32(out, static_cast<int64_t>(container.size()));
    const Bytes coded = LzhCompress(container);
    out.insert(out.end(), coded.begin(), coded.end());
    return out;
}

std::string EntryNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace skinpack
