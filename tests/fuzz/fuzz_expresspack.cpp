// The setup/uninstall package reader on arbitrary bytes: it must never read,
// allocate or write outside the input; what it accepts must be what the bytes
// hold, and its installation record must read back to the same tables.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "classlib/Classes.h"
#include "classlib/SysUtils.h"
#include "common/RecordHead.h"
#include "setup/DataExpressCore.h"
#include "setup/ProgramImage.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

bool Fits(uint32_t offset, uint32_t count, size_t recSize, uint64_t limit) {
    return static_cast<uint64_t>(offset) + static_cast<uint64_t>(count) * recSize <= limit;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream s;
    if (size) s.WriteBuffer(data, static_cast<int64_t>(size));
    // Where the program in front of a package ends: found from the bytes without reading past them.
    if (ProgramImageEnd(s) != 0) Check(size >= 64 && data[0] == 'M' && data[1] == 'Z');
    TPackIndex index;
    bool loaded = false;
    try {
        loaded = LoadPackIndex(s, index);
    } catch (const EReadError&) {
        Check(index.StepCount() == 0);
        return 0;
    }
    Check(size >= PackHeadSize);
    const uint8_t* head = data + size - PackHeadSize;
    Check(loaded == (std::memcmp(head, "zem", 4) == 0));
    if (!loaded) {
        Check(index.StepCount() == 0);
        return 0;
    }
    // Every table lies before the head.
    const TPackHead& h = index.Head;
    const uint64_t limit = size - PackHeadSize;
    Check(Fits(h.FileOffset, h.FileCount, PackFileRecSize, limit));
    Check(Fits(h.DirOffset, h.DirCount, PackDirRecSize, limit));
    Check(Fits(h.LinkOffset, h.LinkCount, PackLinkRecSize, limit));
    Check(Fits(h.RegOffset, h.RegCount, PackRegRecSize, limit));
    Check(index.Files.size() == h.FileCount && index.Dirs.size() == h.DirCount && index.Links.size() == h.LinkCount &&
          index.Regs.size() == h.RegCount);
    for (size_t i = 0; i < index.Files.size(); ++i) {
        uint8_t buf[PackFileRecSize];
        EncodePackFileRec(index.Files[i], buf);
        Check(std::memcmp(buf, data + h.FileOffset + i * PackFileRecSize, PackFileRecSize) == 0);
    }

    // An accepted package only names files below a known root, with data inside the package.
    const std::string problem = CheckPackIndex(index, limit);
    if (problem.empty()) {
        for (const TPackFileRec& r : index.Files) {
            Check(IsUsableRecord(r));
            Check(static_cast<uint64_t>(r.Offset) + r.Size <= limit);
            const std::string name = GetPackText(r.FileName);
            Check(name != ".." && name.find('\\') == std::string::npos);
        }
        for (const TPackDirRec& r : index.Dirs) Check(IsUsableRecord(r));
        for (const TPackLinkRec& r : index.Links) Check(IsUsableRecord(r));
    }

    // The installation record reads back to the same tables.
    TMemoryStream rec;
    WriteUninstallData(rec, index);
    TPackIndex back;
    Check(LoadPackIndex(rec, back));
    Check(back.StepCount() == index.StepCount());
    // The record's name keeps its terminator; an accepted package's name fits whole.
    const std::string name = GetPackText(h.ProgramName);
    Check(GetPackText(back.Head.ProgramName) == name.substr(0, sizeof h.ProgramName - 1));
    if (problem.empty()) Check(GetPackText(back.Head.ProgramName) == name);
    for (size_t i = 0; i < back.Links.size(); ++i)
        Check(std::memcmp(&back.Links[i].Kind, &index.Links[i].Kind, 1) == 0 &&
              GetPackText(back.Links[i].Caption) == GetPackText(index.Links[i].Caption));
    for (size_t i = 0; i < back.Regs.size(); ++i) Check(back.Regs[i].RootKey == index.Regs[i].RootKey);
    return 0;
}
