// Package head and table reader on arbitrary bytes: it must never read,
// allocate or write outside the input, and what it accepts must be consistent.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "classlib/Classes.h"
#include "classlib/SysUtils.h"
#include "common/RecordHead.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

template <class Rec>
void CheckTable(const uint8_t* data, size_t size, uint32_t offset, uint32_t count, size_t recSize,
                const std::vector<Rec>& recs, void (*encode)(const Rec&, uint8_t*)) {
    Check(recs.size() == count);
    Check(static_cast<uint64_t>(offset) + static_cast<uint64_t>(count) * recSize <= size);
    // Every record is exactly the bytes it was read from.
    std::vector<uint8_t> buf(recSize);
    for (size_t i = 0; i < recs.size(); ++i) {
        encode(recs[i], buf.data());
        Check(std::memcmp(buf.data(), data + offset + i * recSize, recSize) == 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream s;
    if (size) s.WriteBuffer(data, static_cast<int64_t>(size));
    TPackIndex index;
    bool loaded = false;
    try {
        loaded = ReadPackIndex(s, index);
    } catch (const EReadError&) {
        Check(size < PackHeadSize || index.StepCount() == 0);
        return 0;
    }
    Check(size >= PackHeadSize);
    const uint8_t* head = data + size - PackHeadSize;
    const bool magic = std::memcmp(head, "zem", 4) == 0;
    Check(loaded == magic);
    if (!loaded) {
        Check(index.StepCount() == 0);
        return 0;
    }
    uint8_t buf[PackHeadSize];
    EncodePackHead(index.Head, buf);
    Check(std::memcmp(buf, head, PackHeadSize) == 0);
    const TPackHead& h = index.Head;
    CheckTable(data, size, h.FileOffset, h.FileCount, PackFileRecSize, index.Files, EncodePackFileRec);
    CheckTable(data, size, h.DirOffset, h.DirCount, PackDirRecSize, index.Dirs, EncodePackDirRec);
    CheckTable(data, size, h.LinkOffset, h.LinkCount, PackLinkRecSize, index.Links, EncodePackLinkRec);
    CheckTable(data, size, h.RegOffset, h.RegCount, PackRegRecSize, index.Regs, EncodePackRegRec);
    // Texts taken out of the fields stay inside them.
    Check(GetPackText(h.ProgramName).size() <= sizeof h.ProgramName);
    for (const TPackLinkRec& l : index.Links) Check(GetPackText(l.Caption).size() <= sizeof l.Caption);
    return 0;
}
