#include "setup/DataExpressCore.h"

#include <cstring>

#include "classlib/SysUtils.h"
#include "common/WallpaperName.h"

namespace {

constexpr const char* InstallDirTag = "{InstallDir}";

bool HasControlChar(const std::string& s) {
    for (unsigned char c : s)
        if (c < 32 || c == 127) return true;
    return false;
}

bool TableFits(uint32_t offset, uint32_t count, size_t recSize, uint64_t limit) {
    return static_cast<uint64_t>(offset) + static_cast<uint64_t>(count) * recSize <= limit;
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// '%' would be expanded inside a batch file, even between quotes.
std::string BatchPath(const std::string& s) { return Quoted(StringReplace(s, "%", "%%", rfReplaceAll)); }

bool LinkUsesFile(uint8_t kind) { return kind == lkAddItem || kind == lkScreenSaver || kind == lkWallpaper; }

}  // namespace

bool LoadPackIndex(TStream& s, TPackIndex& index) {
    index = TPackIndex();
    const int64_t size = s.Size();
    if (size < static_cast<int64_t>(PackHeadSize)) throw EReadError();
    TPackHead head;
    if (!ReadPackHeadAtEnd(s, head)) return false;
    const uint64_t limit = static_cast<uint64_t>(size) - PackHeadSize;
    if (!TableFits(head.FileOffset, head.FileCount, PackFileRecSize, limit) ||
        !TableFits(head.DirOffset, head.DirCount, PackDirRecSize, limit) ||
        !TableFits(head.LinkOffset, head.LinkCount, PackLinkRecSize, limit) ||
        !TableFits(head.RegOffset, head.RegCount, PackRegRecSize, limit))
        throw EReadError();
    TPackIndex got;
    got.Head = head;
    ReadPackTable(s, head.FileOffset, head.FileCount, got.Files);
    ReadPackTable(s, head.DirOffset, head.DirCount, got.Dirs);
    ReadPackTable(s, head.LinkOffset, head.LinkCount, got.Links);
    ReadPackTable(s, head.RegOffset, head.RegCount, got.Regs);
    index = std::move(got);
    return true;
}

bool IsRootKeyword(const std::string& root) {
    return root == RootInstallDir || root == RootWindowsDir || root == RootSystem32Dir;
}

bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name == "." || name == ".." || HasControlChar(name)) return false;
    return name.find_first_of("\\/:") == std::string::npos;
}

bool IsRelativeSubFolder(const std::string& sub) {
    if (sub.empty()) return true;
    if (HasControlChar(sub) || sub.find_first_of("/:") != std::string::npos) return false;
    size_t start = 0;
    while (true) {
        const size_t end = sub.find('\\', start);
        const std::string part = sub.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (part.empty() || part == "." || part == "..") return false;
        if (end == std::string::npos) return true;
        start = end + 1;
    }
}

bool IsDdeSafeText(const std::string& text) { return !HasControlChar(text) && text.find('"') == std::string::npos; }

bool IsLinkCaption(const std::string& caption) { return IsPlainFileName(caption) && IsDdeSafeText(caption); }

std::string CreateGroupMacro(const std::string& caption) {
    return "[CreateGroup(" + Quoted(caption) + "," + Quoted(caption) + ")]";
}

std::string AddItemMacro(const std::string& path, const std::string& caption) {
    return "[AddItem(" + Quoted(path) + "," + Quoted(caption) + ")]";
}

std::string DeleteGroupMacro(const std::string& caption) { return "[DeleteGroup(" + Quoted(caption) + ")]"; }

bool IsPredefinedRootKey(uint32_t key) { return key >= 0x80000000u && key <= 0x80000006u; }

bool IsSafeProgramName(const std::string& name) {
    return !name.empty() && !HasControlChar(name) && name.find('\\') == std::string::npos;
}

bool IsUsableRecord(const TPackFileRec& rec) {
    return IsRootKeyword(GetPackText(rec.Root)) && IsRelativeSubFolder(GetPackText(rec.SubFolder)) &&
           IsPlainFileName(GetPackText(rec.FileName));
}

bool IsUsableRecord(const TPackDirRec& rec) {
    return IsRootKeyword(GetPackText(rec.Root)) && IsRelativeSubFolder(GetPackText(rec.SubFolder));
}

bool IsUsableRecord(const TPackLinkRec& rec) {
    if (rec.Kind == lkCreateGroup) return IsLinkCaption(GetPackText(rec.Caption));
    if (!LinkUsesFile(rec.Kind)) return true;
    const std::string sub = GetPackText(rec.SubFolder);
    const std::string name = GetPackText(rec.FileName);
    if (!IsRootKeyword(GetPackText(rec.Root)) || !IsRelativeSubFolder(sub) || !IsPlainFileName(name)) return false;
    if (rec.Kind == lkAddItem)
        return IsLinkCaption(GetPackText(rec.Caption)) && IsDdeSafeText(sub) && IsDdeSafeText(name);
    return true;
}

bool IsUsableRecord(const TPackRegRec& rec) { return IsPredefinedRootKey(rec.RootKey); }

std::string CheckPackIndex(const TPackIndex& index, uint64_t dataLimit) {
    // The builder's rule, so that what it refuses setup refuses with the same words.
    const std::string problem = WallpaperNameProblem(GetPackText(index.Head.ProgramName));
    if (!problem.empty()) return problem;
    for (size_t i = 0; i < index.Files.size(); ++i) {
        const TPackFileRec& r = index.Files[i];
        const std::string what =
            "file record " + IntToStr(static_cast<int64_t>(i + 1)) + " (\"" + GetPackText(r.FileName) + "\")";
        if (!IsRootKeyword(GetPackText(r.Root))) return what + ": unknown root \"" + GetPackText(r.Root) + "\"";
        if (!IsRelativeSubFolder(GetPackText(r.SubFolder)))
            return what + ": subfolder \"" + GetPackText(r.SubFolder) + "\" leaves its root";
        if (!IsPlainFileName(GetPackText(r.FileName))) return what + ": not a plain file name";
        if (static_cast<uint64_t>(r.Offset) + r.Size > dataLimit) return what + ": data outside the package";
    }
    for (size_t i = 0; i < index.Dirs.size(); ++i) {
        const TPackDirRec& r = index.Dirs[i];
        const std::string what =
            "folder record " + IntToStr(static_cast<int64_t>(i + 1)) + " (\"" + GetPackText(r.SubFolder) + "\")";
        if (!IsRootKeyword(GetPackText(r.Root))) return what + ": unknown root \"" + GetPackText(r.Root) + "\"";
        if (!IsRelativeSubFolder(GetPackText(r.SubFolder))) return what + ": subfolder leaves its root";
    }
    for (size_t i = 0; i < index.Links.size(); ++i) {
        const TPackLinkRec& r = index.Links[i];
        if (IsUsableRecord(r)) continue;
        return "link record " + IntToStr(static_cast<int64_t>(i + 1)) + " (\"" + GetPackText(r.Caption) + "\", \"" +
               GetPackText(r.FileName) + "\"): unusable root, path or caption";
    }
    for (size_t i = 0; i < index.Regs.size(); ++i) {
        const TPackRegRec& r = index.Regs[i];
        if (IsUsableRecord(r)) continue;
        return "registry record " + IntToStr(static_cast<int64_t>(i + 1)) + " (\"" + GetPackText(r.KeyPath) +
               "\"): unknown root key";
    }
    return std::string();
}

std::string StripOneTrailingBackslash(const std::string& dir) {
    if (!dir.empty() && dir.back() == '\\') return dir.substr(0, dir.size() - 1);
    return dir;
}

std::string ReplaceFirstInstallDir(const std::string& text, const std::string& dir) {
    const size_t at = text.find(InstallDirTag);
    if (at == std::string::npos) return text;
    std::string out = text;
    out.replace(at, std::strlen(InstallDirTag), dir);
    return out;
}

std::string JoinSubFolder(const std::string& folder, const std::string& sub) {
    return sub.empty() ? folder : folder + "\\" + sub;
}

void WriteUninstallData(TStream& s, const TPackIndex& index) {
    TPackHead head = NewPackHead();
    SetPackText(head.ProgramName, GetPackText(index.Head.ProgramName));
    const int64_t base = s.Position();
    head.FileCount = static_cast<uint32_t>(index.Files.size());
    head.FileOffset = static_cast<uint32_t>(s.Position() - base);
    WritePackTable(s, index.Files);
    head.DirCount = static_cast<uint32_t>(index.Dirs.size());
    head.DirOffset = static_cast<uint32_t>(s.Position() - base);
    WritePackTable(s, index.Dirs);
    head.LinkCount = static_cast<uint32_t>(index.Links.size());
    head.LinkOffset = static_cast<uint32_t>(s.Position() - base);
    WritePackTable(s, index.Links);
    head.RegCount = static_cast<uint32_t>(index.Regs.size());
    head.RegOffset = static_cast<uint32_t>(s.Position() - base);
    WritePackTable(s, index.Regs);
    WritePackRecord(s, head);
}

std::string UninstallLeftText(const std::vector<std::string>& left, const std::string& installDir) {
    std::string t = "Uninstall could not remove everything. Still on this computer:\r\n";
    for (const std::string& item : left) t += "    " + item + "\r\n";
    t += "\r\nUninstall.exe and its record stay in " + StripOneTrailingBackslash(installDir) +
         ": close the programs that use these files, then run Uninstall again.";
    return t;
}

std::string DelmeBatchText(const std::string& exePath, const std::string& installDir, const std::string& batchPath,
                           const std::string& tempDir, const std::string& systemDir) {
    const std::string dir = StripOneTrailingBackslash(installDir);
    const std::string exe = BatchPath(exePath);
    // Lines, not a loop: bounded whatever the interpreter makes of a counter.
    const std::string pause = BatchPath(StripOneTrailingBackslash(systemDir) + "\\ping.exe") + " -n 2 127.0.0.1 >nul";
    std::string t;
    t += "@echo off\r\n";
    for (int i = 0; i < DelmeTries; ++i) {
        t += "if exist " + exe + " del " + exe + "\r\n";
        if (i + 1 < DelmeTries) t += "if exist " + exe + " " + pause + "\r\n";
    }
    // Out of the folder first: a folder that is some process's current one stays.
    t += "cd /d " + BatchPath(tempDir) + "\r\n";
    t += "rd " + BatchPath(dir) + "\r\n";
    t += "del " + BatchPath(batchPath) + "\r\n";
    return t;
}
