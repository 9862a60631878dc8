#include "setup/ProgramImage.h"

#include <algorithm>

#include "classlib/SysUtils.h"

namespace {

constexpr uint16_t kPe32 = 0x10b;
constexpr uint16_t kPe32Plus = 0x20b;
constexpr uint32_t kSecurityDirectory = 4;

uint32_t U32At(TStream& s, uint64_t pos) {
    s.SetPosition(static_cast<int64_t>(pos));
    return s.ReadU32();
}

uint16_t U16At(TStream& s, uint64_t pos) {
    s.SetPosition(static_cast<int64_t>(pos));
    return s.ReadU16();
}

}  // namespace

uint64_t ProgramImageEnd(TStream& s) {
    const int64_t size = s.Size();
    if (size < 64) return 0;
    try {
        if (U16At(s, 0) != 0x5A4D) return 0;  // "MZ"
        const uint64_t pe = U32At(s, 0x3C);
        if (pe + 24 > static_cast<uint64_t>(size) || U32At(s, pe) != 0x00004550) return 0;  // "PE\0\0"
        const uint64_t file = pe + 4;
        const uint16_t sections = U16At(s, file + 2);
        const uint32_t symbols = U32At(s, file + 8);
        const uint32_t symbolCount = U32At(s, file + 12);
        const uint16_t optionalSize = U16At(s, file + 16);
        const uint64_t optional = file + 20;
        const uint64_t table = optional + optionalSize;
        uint64_t end = table + static_cast<uint64_t>(sections) * 40;
        for (uint16_t i = 0; i < sections; ++i) {
            const uint64_t sec = table + static_cast<uint64_t>(i) * 40;
            const uint32_t rawSize = U32At(s, sec + 16);
            const uint32_t rawPos = U32At(s, sec + 20);
            if (rawSize) end = std::max(end, static_cast<uint64_t>(rawPos) + rawSize);
        }
        // A COFF symbol table, then its string table, whose first word is its size.
        if (symbols) {
            const uint64_t strings = static_cast<uint64_t>(symbols) + static_cast<uint64_t>(symbolCount) * 18;
            end = std::max(end, strings);
            if (strings + 4 <= static_cast<uint64_t>(size)) end = std::max(end, strings + U32At(s, strings));
        }
        // The certificate table is the one directory that gives a file position.
        if (optionalSize >= 2) {
            const uint16_t magic = U16At(s, optional);
            const uint64_t dirs = optional + (magic == kPe32Plus ? 112 : magic == kPe32 ? 96 : 0);
            if (dirs != optional && dirs + (kSecurityDirectory + 1) * 8 <= table) {
                const uint32_t count = U32At(s, dirs - 4);
                if (count > kSecurityDirectory) {
                    const uint32_t pos = U32At(s, dirs + kSecurityDirectory * 8);
                    const uint32_t len = U32At(s, dirs + kSecurityDirectory * 8 + 4);
                    if (pos && len) end = std::max(end, static_cast<uint64_t>(pos) + len);
                }
            }
        }
        return end;
    } catch (const EReadError&) {
        return 0;
    }
}
