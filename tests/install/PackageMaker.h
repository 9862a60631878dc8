// Builds installer packages for the tests with the package records' own
// writer: a stub program, the stored files' data, the four tables and the head.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "common/RecordHead.h"

struct TestFile {
    std::string Name, Root, Sub, Data;
};

struct TestPackage {
    std::string ProgramName = "Drift Test";
    std::string Author = "An Author", Email = "a@b.c", WebSite = "http://example.org";
    std::vector<TestFile> Files;
    std::vector<TPackDirRec> Dirs;
    std::vector<TPackLinkRec> Links;
    std::vector<TPackRegRec> Regs;
};

inline TPackDirRec MakeDir(const std::string& root, const std::string& sub) {
    TPackDirRec r{};
    SetPackText(r.Root, root);
    SetPackText(r.SubFolder, sub);
    return r;
}

inline TPackLinkRec MakeLink(uint8_t kind, const std::string& root, const std::string& sub, const std::string& file,
                             const std::string& caption) {
    TPackLinkRec r{};
    r.Kind = kind;
    SetPackText(r.Root, root);
    SetPackText(r.SubFolder, sub);
    SetPackText(r.FileName, file);
    SetPackText(r.Caption, caption);
    return r;
}

inline TPackRegRec MakeReg(uint32_t root, const std::string& key, const std::string& name, const std::string& text) {
    TPackRegRec r{};
    r.RootKey = root;
    SetPackText(r.KeyPath, key);
    SetPackText(r.ValueName, name);
    SetPackText(r.ValueText, text);
    return r;
}

// The file records as the package stores them, data offsets counted from the
// start of stub + data.
inline std::vector<TPackFileRec> FileRecords(const TestPackage& p, uint32_t stubSize) {
    std::vector<TPackFileRec> recs;
    uint32_t at = stubSize;
    for (const TestFile& f : p.Files) {
        TPackFileRec r{};
        SetPackText(r.FileName, f.Name);
        SetPackText(r.Root, f.Root);
        SetPackText(r.SubFolder, f.Sub);
        r.Offset = at;
        r.Size = static_cast<uint32_t>(f.Data.size());
        at += r.Size;
        recs.push_back(r);
    }
    return recs;
}

// stub + data + files, folders, links, registry + head.
inline std::string BuildPackage(const std::string& stub, const TestPackage& p) {
    TStringStream s;
    s.WriteString(stub);
    for (const TestFile& f : p.Files) s.WriteString(f.Data);
    TPackHead head = NewPackHead();
    SetPackText(head.ProgramName, p.ProgramName);
    SetPackText(head.Author, p.Author);
    SetPackText(head.Email, p.Email);
    SetPackText(head.Website, p.WebSite);
    head.FileCount = static_cast<uint32_t>(p.Files.size());
    head.FileOffset = static_cast<uint32_t>(s.Position());
    WritePackTable(s, FileRecords(p, static_cast<uint32_t>(stub.size())));
    head.DirCount = static_cast<uint32_t>(p.Dirs.size());
    head.DirOffset = static_cast<uint32_t>(s.Position());
    WritePackTable(s, p.Dirs);
    head.LinkCount = static_cast<uint32_t>(p.Links.size());
    head.LinkOffset = static_cast<uint32_t>(s.Position());
    WritePackTable(s, p.Links);
    head.RegCount = static_cast<uint32_t>(p.Regs.size());
    head.RegOffset = static_cast<uint32_t>(s.Position());
    WritePackTable(s, p.Regs);
    WritePackRecord(s, head);
    return s.DataString();
}

inline uint32_t GetU32(const std::string& b, size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(b[at])) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24);
}

inline void PutU32(std::string& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// The installation record expected for a package, laid out by hand: tables
// from offset 0, then a head with only the magic, the program name, the four
// counts and the four offsets set.
inline std::string ExpectedUninstallData(const TestPackage& p, uint32_t stubSize) {
    TStringStream s;
    WritePackTable(s, FileRecords(p, stubSize));
    const uint32_t dirAt = static_cast<uint32_t>(s.Position());
    WritePackTable(s, p.Dirs);
    const uint32_t linkAt = static_cast<uint32_t>(s.Position());
    WritePackTable(s, p.Links);
    const uint32_t regAt = static_cast<uint32_t>(s.Position());
    WritePackTable(s, p.Regs);
    std::string head(PackHeadSize, '\0');
    head.replace(0, 3, "zem");
    head.replace(4, p.ProgramName.size(), p.ProgramName);
    PutU32(head, 520, static_cast<uint32_t>(p.Regs.size()));
    PutU32(head, 524, regAt);
    PutU32(head, 528, static_cast<uint32_t>(p.Files.size()));
    PutU32(head, 532, 0);
    PutU32(head, 536, static_cast<uint32_t>(p.Links.size()));
    PutU32(head, 540, linkAt);
    PutU32(head, 544, static_cast<uint32_t>(p.Dirs.size()));
    PutU32(head, 548, dirAt);
    return s.DataString() + head;
}
