// Skin packages, writing side: the container of named entries and the package
// around it (the container's size, then the container LZHUF-coded).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/skinpack/LzhPack.h"

namespace skinpack {

constexpr int32_t ContainerTag = 20000;
constexpr int MaxEntries = 1001;

struct TSkinEntry {
    std::string Name;  // written as given; the reader compares it lower-cased
    Bytes Data;
};

// Tag 20000, the name list's length, the 8 given bytes, the names each
// followed by CR LF, one size per entry, then the entries' bytes in order.
// Raises std::invalid_argument for a name holding CR or LF, two names that are
// equal once A-Z are lower-cased (the reader could only reach the first), more
// than 1001 entries, or a container past 2 GiB.
Bytes SkinContainer(const std::vector<TSkinEntry>& entries, const std::array<uint8_t, 8>& reserved = {});

// The container's size as a signed 32-bit number, then its coded bytes.
Bytes SkinPackage(const Bytes& container);

// A package of the given entries.
inline Bytes SkinPackage(const std::vector<TSkinEntry>& entries) { return SkinPackage(SkinContainer(entries)); }

// The entry name of a file argument: what follows its last "/" or "\".
std::string EntryNameOf(const std::string& path);

}  // namespace skinpack
