// Skin package reader on arbitrary bytes: it must never read, allocate or
// write outside the package, a refusal must leave the reader as it was (the
// head aside for an older container), and what it accepts must be consistent.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/SysUtils.h"
#include "skin/SkinRead.h"
#include "tools/skinpack/SkinPack.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

using Bytes = std::vector<uint8_t>;

Bytes StreamBytes(TCustomMemoryStream& s) {
    const uint8_t* p = static_cast<const uint8_t*>(s.Memory());
    return p ? Bytes(p, p + s.Size()) : Bytes();
}

struct State {
    std::string names;
    int count;
    std::vector<int32_t> sizes;
    Bytes data;
    bool operator==(const State&) const = default;
};

State StateOf(TSkinReader& r) {
    return {r.Names.Text(), r.Count, std::vector<int32_t>(std::begin(r.Sizes), std::end(r.Sizes)), StreamBytes(r.Data)};
}

const Bytes& GoodPackage() {
    static const Bytes pkg = skinpack::SkinPackage(
        std::vector<skinpack::TSkinEntry>{{"Good.bmp", {'B', 'M', 1, 2}}, {"good.ini", {'[', 'x', ']'}}});
    return pkg;
}

int32_t I32At(const uint8_t* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                                (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A large accepted size only runs the same decoding loop for longer (over a
    // microsecond a byte in this build); 64 KiB still rebuilds the tree. Sizes
    // past the bound, refused before decoding, still go through.
    if (size >= 4) {
        const int32_t claimed = I32At(data);
        if (claimed > (1 << 16) && claimed <= SkinMaxUnpackedSize(static_cast<int64_t>(size) - 4)) return 0;
    }
    static int messages = 0;
    SkinMessageHook = [](const std::string&) { ++messages; };

    TSkinReader r;
    {
        TMemoryStream good;
        good.WriteBuffer(GoodPackage().data(), static_cast<int64_t>(GoodPackage().size()));
        Check(r.LoadFromStream(good));
    }
    const State before = StateOf(r);

    TMemoryStream s;
    if (size) s.WriteBuffer(data, static_cast<int64_t>(size));
    messages = 0;
    const bool loaded = r.LoadFromStream(s);
    if (!loaded) {
        Check(messages == 1);
        Check(StateOf(r) == before);
        return 0;
    }
    Check(messages == 0);
    Check(size >= 4);
    const int32_t n = I32At(data);
    Check(n >= 16 && n <= SkinMaxUnpackedSize(static_cast<int64_t>(size) - 4));
    Check(r.Head.Tag == SkinTag);
    Check(r.Count == r.Names.Count() && r.Count >= 0 && r.Count <= SkinMaxEntries);
    const int64_t dataStart = 16 + static_cast<int64_t>(r.Head.NameLength) + 4 * static_cast<int64_t>(r.Count);
    Check(r.Data.Size() == n - dataStart);
    int64_t total = 0;
    for (int i = 0; i < r.Count; ++i) {
        Check(r.Sizes[i] >= 0);
        total += r.Sizes[i];
    }
    for (int i = r.Count; i < SkinMaxEntries; ++i) Check(r.Sizes[i] == 0);
    Check(total <= r.Data.Size());

    // Each name's first entry comes back whole, from where the sizes put it.
    const Bytes all = StreamBytes(r.Data);
    TMemoryStream target;
    int64_t offset = 0;
    for (int i = 0; i < r.Count; ++i) {
        const std::string name = r.Names.Get(i);
        Check(LowerCase(name) == name);
        bool first = true;
        for (int j = 0; j < i && first; ++j) first = r.Names.Get(j) != name;
        if (first) {
            r.ReadEntry(name, target);
            Check(target.Size() == r.Sizes[i] && target.Position() == 0);
            Check(r.Sizes[i] == 0 ||
                  std::memcmp(target.Memory(), all.data() + offset, static_cast<size_t>(r.Sizes[i])) == 0);
        }
        offset += r.Sizes[i];
    }

    std::string found = "none";
    r.FindEntry(".ini", target, found);
    Check(found == "none" || Pos(".ini", found) > 0);
    if (r.Count > 0) {
        const std::string part = r.Names.Get(r.Count - 1).substr(0, 3);
        found = "none";
        r.FindEntry(part, target, found);
        Check(part.empty() ? found == "none" : Pos(part, found) > 0);
    }
    return 0;
}
