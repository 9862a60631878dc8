#include "setup/DataExpress.h"

#include <windows.h>
#include <wininet.h>
#include <shlobj.h>

#include <cstring>

#include "classlib/Classes.h"
#include "classlib/DdeMan.h"
#include "classlib/IniFiles.h"
#include "classlib/Registry.h"
#include "classlib/SysUtils.h"
#include "classlib/WinSys.h"
#include "common/uCustomModule.h"
#include "setup/DataExpressCore.h"
#include "setup/InstallPath.h"
#include "setup/InstallUndo.h"
#include "setup/SetupMessages.h"

namespace {

constexpr const char* UninstallKey = "\\software\\microsoft\\windows\\currentversion\\uninstall\\";
constexpr const char* UninstallDataName = "uninstall001.dat";
constexpr const char* UninstallerName = "Uninstall.exe";

// The shell's Active Desktop object.
const CLSID kClsidActiveDesktop = {0x75048700, 0xEF1F, 0x11D0, {0x98, 0x88, 0x00, 0x60, 0x97, 0xDE, 0xAC, 0xF9}};
const IID kIidActiveDesktop = {0xF490EB00, 0x1240, 0x11D1, {0x98, 0x88, 0x00, 0x60, 0x97, 0xDE, 0xAC, 0xF9}};

// Stored root keys are 32-bit; the predefined handles are sign-extended on 64-bit Windows.
HKEY RootKeyOf(uint32_t stored) { return reinterpret_cast<HKEY>(static_cast<intptr_t>(static_cast<int32_t>(stored))); }

TPackIndex IndexOf(const TPackHead& head, const std::vector<TPackFileRec>& files, const std::vector<TPackDirRec>& dirs,
                   const std::vector<TPackLinkRec>& links, const std::vector<TPackRegRec>& regs) {
    TPackIndex index;
    index.Head = head;
    index.Files = files;
    index.Dirs = dirs;
    index.Links = links;
    index.Regs = regs;
    return index;
}

// Program Manager by its full path, never looked up by name from the current folder.
std::string ProgmanCommand() {
    const std::string win = GetWindowsDir();
    const std::string sys = GetSystemDir();
    std::string path;
    if (!win.empty() && FileExists(win + "\\progman.exe"))
        path = win + "\\progman.exe";
    else if (!sys.empty() && FileExists(sys + "\\progman.exe"))
        path = sys + "\\progman.exe";
    else
        path = (win.empty() ? sys : win) + "\\progman.exe";
    return "\"" + path + "\"";
}

bool SendMacro(TDdeClientConv& conv, const std::string& macro) {
    // Macros travel as NUL-terminated texts of at most 1023 characters.
    if (macro.size() > 1023) return false;
    char buf[1024];
    std::memcpy(buf, macro.c_str(), macro.size() + 1);
    return conv.ExecuteMacro(buf, false);
}

void OpenProgman(TDdeClientConv& conv) {
    conv.ConnectMode = ddeManual;
    conv.ServiceApplication = ProgmanCommand();
    conv.SetLink("ProgMan", "ProgMan");
}

// Program Manager's groups, one per line of its "Groups" item.
bool HasGroup(const std::string& groups, const std::string& caption) {
    size_t pos = 0;
    while (pos < groups.size()) {
        size_t end = groups.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = groups.size();
        if (SameText(groups.substr(pos, end - pos), caption)) return true;
        pos = end + 1;
    }
    return false;
}

// The shell keeps a group as a folder of the user's or the common Start-menu
// programs: a second view for when Program Manager lists no groups.
bool GroupFolderExists(const std::string& caption) {
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
        char buf[MAX_PATH] = {};
        if (SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, buf)) &&
            DirExists(std::string(buf) + "\\" + caption))
            return true;
    }
    return false;
}

void DeleteGroupAgain(const std::string& caption) {
    TDdeClientConv conv;
    OpenProgman(conv);
    if (!conv.OpenLink()) return;
    SendMacro(conv, DeleteGroupMacro(caption));
    conv.CloseLink();
}

// A file of the run, created or replaced; when it cannot be, the error says why.
TFileStream CreateTarget(const std::string& path) {
    try {
        return TFileStream(path, fmCreate);
    } catch (const EFCreateError& e) {
        const std::string cause = SystemCause(e.ErrorCode);
        throw EFCreateError(cause.empty() ? e.Message() : e.Message() + ". " + cause, e.ErrorCode);
    }
}

// Which level of the folder could not be made, and why: the first missing one, tried again.
std::string FolderFailure(const std::string& folder) {
    std::string missing = folder;
    for (std::string parent = ExtractFileDir(missing); !parent.empty() && parent != missing && !DirExists(parent);
         parent = ExtractFileDir(parent))
        missing = parent;
    std::string cause;
    if (FileExists(missing)) {
        cause = "A file of the name " + missing + " is in the way.";
    } else if (CreateDirectoryA(missing.c_str(), nullptr)) {
        RemoveDirectoryA(missing.c_str());
    } else {
        cause = SystemCause(GetLastError());
    }
    return "Cannot create directory " + folder + "." + (cause.empty() ? std::string() : " " + cause);
}

// Said after the error of a run that failed: nothing of it stays.
constexpr const char* SInstallUndone = "\r\n\r\nSetup has undone its changes; nothing was installed.";
constexpr const char* SChooseAnotherFolder = "\r\n\r\nNothing was installed. Please choose another destination folder.";

constexpr size_t MaxFilePath = MAX_PATH - 1;

[[noreturn]] void PathTooLong(const std::string& path, size_t max) {
    throw Exception(Format("The path %s is too long: Windows takes at most %d characters.", path.c_str(), int(max)) +
                    SChooseAnotherFolder);
}

}  // namespace

TExpressPack::TExpressPack() = default;
TExpressPack::~TExpressPack() = default;

bool TExpressPack::LoadFromFile(const std::string& fileName) {
    FPackageFile = fileName;
    TFileStream s(fileName, fmOpenRead | fmShareDenyNone);
    TPackIndex index;
    if (!LoadPackIndex(s, index)) return false;
    FStepTotal = static_cast<int>(index.StepCount());
    FHead = index.Head;
    FFiles = std::move(index.Files);
    FDirs = std::move(index.Dirs);
    FLinks = std::move(index.Links);
    FRegs = std::move(index.Regs);
    return true;
}

std::string TExpressPack::CheckPackage() const {
    const int64_t size = FileSizeByName(FPackageFile);
    const uint64_t limit = size >= static_cast<int64_t>(PackHeadSize) ? static_cast<uint64_t>(size) - PackHeadSize : 0;
    return CheckPackIndex(IndexOf(FHead, FFiles, FDirs, FLinks, FRegs), limit);
}

std::string TExpressPack::GetProgramName() const { return GetPackText(FHead.ProgramName); }
std::string TExpressPack::GetAuthor() const { return GetPackText(FHead.Author); }
std::string TExpressPack::GetEmail() const { return GetPackText(FHead.Email); }
std::string TExpressPack::GetWebSite() const { return GetPackText(FHead.Website); }

bool TExpressPack::SetInstallDir(const std::string& dir) {
    FInstallDir = StripOneTrailingBackslash(dir);
    return true;
}

void TExpressPack::PumpMessages() {
    if (OnProcessMessages) {
        OnProcessMessages();
        return;
    }
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave the quit request for the program's own loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void TExpressPack::Step(const std::function<std::string()>& text) {
    ++FStepCounter;
    if (FOnStep) FOnStep(this, FStepCounter, text());
    PumpMessages();
}

std::string TExpressPack::GetFolder(const std::string& root, const std::string& subFolder) const {
    std::string folder;
    if (root == RootInstallDir)
        folder = FInstallDir;
    else if (root == RootWindowsDir)
        folder = GetWindowsDir();
    else if (root == RootSystem32Dir)
        folder = GetSystemDir();
    else
        throw Exception("Unknown root folder \"" + root + "\"");
    if (folder.empty()) throw Exception("The folder of \"" + root + "\" is not known");
    return JoinSubFolder(folder, subFolder);
}

std::string TExpressPack::GetFilePath(const std::string& root, const std::string& subFolder,
                                      const std::string& fileName) const {
    return GetFolder(root, subFolder) + "\\" + fileName;
}

std::string TExpressPack::ExpandInstallDir(const std::string& text) const {
    return ReplaceFirstInstallDir(text, FInstallDir);
}

// ---------------------------------------------------------------------------
// Install

void TExpressPack::CheckInstallPaths() const {
    for (const TPackDirRec& rec : FDirs) {
        const std::string folder = GetFolder(GetPackText(rec.Root), GetPackText(rec.SubFolder));
        if (folder.size() > kMaxFolderPath) PathTooLong(folder, kMaxFolderPath);
    }
    for (const TPackFileRec& rec : FFiles) {
        const std::string path =
            GetFilePath(GetPackText(rec.Root), GetPackText(rec.SubFolder), GetPackText(rec.FileName));
        if (path.size() > MaxFilePath) PathTooLong(path, MaxFilePath);
    }
    const std::string record = FInstallDir + "\\" + UninstallDataName;
    if (record.size() > MaxFilePath) PathTooLong(record, MaxFilePath);
    for (const TPackLinkRec& rec : FLinks) {
        if (rec.Kind != lkAddItem) continue;
        const std::string path =
            GetFilePath(GetPackText(rec.Root), GetPackText(rec.SubFolder), GetPackText(rec.FileName));
        if (!IsDdeSafeText(path))
            throw Exception("The Start-menu item for " + path +
                            " cannot be made: a Program Manager command cannot carry double quotes or control "
                            "characters." +
                            SChooseAnotherFolder);
    }
}

void TExpressPack::Install() {
    FStepCounter = 0;
    // Refused before anything is written: nothing to undo.
    CheckInstallPaths();
    // A run that fails leaves nothing behind: no record, no files, no entries
    // that nothing could remove. What was there before stays as it was.
    TInstallUndo undo;
    FUndo = &undo;
    try {
        CreateDirectories();
        CopyFiles();
        WriteRegistry();
        CreateGroups();
        SaveUninstallData();
    } catch (Exception& e) {
        FUndo = nullptr;
        undo.Undo();
        e.SetMessage(e.Message() + SInstallUndone);
        throw;
    } catch (...) {
        FUndo = nullptr;
        undo.Undo();
        throw;
    }
    FUndo = nullptr;
    undo.Commit();
}

void TExpressPack::CreateDirectories() {
    for (const TPackDirRec& rec : FDirs) {
        const std::string folder = GetFolder(GetPackText(rec.Root), GetPackText(rec.SubFolder));
        if (!DirExists(folder)) {
            if (FUndo) FUndo->FolderCreating(folder);
            ForceDir(folder);
            // Reported only once it is there: the run stops at the folder that failed.
            if (!DirExists(folder)) throw EInOutError(FolderFailure(folder));
        }
        Step([&] { return "Create directory " + folder; });
    }
}

void TExpressPack::CopyFiles() {
    TFileStream src(FPackageFile, fmOpenRead | fmShareDenyNone);
    const int64_t srcSize = src.Size();
    for (const TPackFileRec& rec : FFiles) {
        const std::string target =
            GetFilePath(GetPackText(rec.Root), GetPackText(rec.SubFolder), GetPackText(rec.FileName));
        if (static_cast<int64_t>(rec.Offset) + static_cast<int64_t>(rec.Size) > srcSize)
            throw EReadError(SDamagedInstaller);
        if (FUndo) FUndo->FileWriting(target);
        {
            TFileStream dst = CreateTarget(target);
            // In the stream's fixed pieces, whatever the file's size (a count of 0 would mean
            // the whole package).
            src.SetPosition(rec.Offset);
            try {
                if (rec.Size != 0) dst.CopyFrom(src, rec.Size);
            } catch (const EWriteError& e) {
                throw EWriteError(WriteFailure(target, e.ErrorCode));
            } catch (const EReadError&) {
                throw EReadError(SDamagedInstaller);
            }
        }
        Step([&] { return "Copy file " + target; });
    }
}

void TExpressPack::WriteRegistry() {
    const std::string name = GetProgramName();
    {
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        const std::string key = UninstallKey + name;
        if (FUndo) {
            FUndo->RegistryValueWriting(HKEY_LOCAL_MACHINE, key, "DisplayName");
            FUndo->RegistryValueWriting(HKEY_LOCAL_MACHINE, key, "UninstallString");
        }
        if (!reg.OpenKey(key, true)) throw ERegistryException(Format(SRegCreateFailed, key.c_str()));
        reg.WriteString("DisplayName", name);
        const std::string uninstaller = FInstallDir + "\\" + UninstallerName;
        const std::string shortForm = ExtractShortPathName(uninstaller);
        // A long path with blanks must be quoted to be started as a command line.
        reg.WriteString("UninstallString", shortForm.empty() ? "\"" + uninstaller + "\"" : shortForm);
        reg.CloseKey();
    }
    TRegistry reg;
    for (const TPackRegRec& rec : FRegs) {
        reg.CloseKey();
        reg.SetRootKey(RootKeyOf(rec.RootKey));
        const std::string key = GetPackText(rec.KeyPath);
        if (FUndo) FUndo->RegistryValueWriting(RootKeyOf(rec.RootKey), key, GetPackText(rec.ValueName));
        if (!reg.OpenKey(key, true)) throw ERegistryException(Format(SRegCreateFailed, key.c_str()));
        reg.WriteString(GetPackText(rec.ValueName), ExpandInstallDir(GetPackText(rec.ValueText)));
    }
    reg.CloseKey();
}

void TExpressPack::CreateGroups() {
    TDdeClientConv conv;
    OpenProgman(conv);
    if (!conv.OpenLink()) return;
    // A group made by this run goes again when the run fails; one there before stays.
    const std::string groups = FUndo ? conv.RequestData("Groups") : std::string();
    for (const TPackLinkRec& rec : FLinks) {
        switch (rec.Kind) {
            case lkCreateGroup: {
                const std::string caption = GetPackText(rec.Caption);
                if (IsLinkCaption(caption)) {
                    if (FUndo && !HasGroup(groups, caption) && !GroupFolderExists(caption))
                        FUndo->Add([caption] { DeleteGroupAgain(caption); });
                    SendMacro(conv, CreateGroupMacro(caption));
                    // Program Manager works asynchronously: give the group time before its items.
                    Sleep(1000);
                }
                break;
            }
            case lkAddItem: {
                const std::string path =
                    GetFilePath(GetPackText(rec.Root), GetPackText(rec.SubFolder), GetPackText(rec.FileName));
                const std::string caption = GetPackText(rec.Caption);
                // The install folder was checked before the run (CheckInstallPaths).
                if (IsDdeSafeText(path) && IsLinkCaption(caption)) SendMacro(conv, AddItemMacro(path, caption));
                break;
            }
            case lkScreenSaver: {
                SetScreenSaver(
                    GetFilePath(GetPackText(rec.Root), GetPackText(rec.SubFolder), GetPackText(rec.FileName)));
                const std::string sys = GetSystemDir();
                if (!sys.empty())
                    ExecCommandLine("\"" + sys + "\\rundll32.exe\" shell32.dll,Control_RunDLL desk.cpl,,1", SW_RESTORE);
                break;
            }
            case lkWallpaper: {
                const std::string path =
                    GetFilePath(GetPackText(rec.Root), GetPackText(rec.SubFolder), GetPackText(rec.FileName));
                if (FUndo) {
                    const std::string old = CurrentWallpaper();
                    FUndo->Add([this, old] { SetWallpaper(old); });
                }
                SetWallpaper(path);
                break;
            }
            default: break;
        }
        Step([] { return std::string("Create group"); });
    }
    conv.CloseLink();
}

void TExpressPack::SaveUninstallData() {
    const std::string path = FInstallDir + "\\" + UninstallDataName;
    if (FUndo) FUndo->FileWriting(path);
    TFileStream s = CreateTarget(path);
    try {
        WriteUninstallData(s, IndexOf(FHead, FFiles, FDirs, FLinks, FRegs));
    } catch (const EWriteError& e) {
        throw EWriteError(WriteFailure(path, e.ErrorCode));
    }
}

void TExpressPack::SetScreenSaver(const std::string& path) {
    const int code = GetWinVersion();
    const std::string shortForm = ExtractShortPathName(path);
    // No short form means no file: leave the user's setting as it is.
    if (shortForm.empty()) return;
    if (code >= 1 && code <= 5) {
        char win[257];
        const UINT n = GetWindowsDirectoryA(win, 256);
        if (n == 0 || n >= 256) return;
        win[n] = '\0';
        TIniFile ini(std::string(win) + "\\system.ini");
        if (FUndo) FUndo->IniValueWriting(ini.FileName(), "boot", "SCRNSAVE.EXE");
        ini.WriteString("boot", "SCRNSAVE.EXE", shortForm);
    } else if (code >= 6 && code <= 8) {
        try {
            TRegistry reg;
            reg.SetRootKey(HKEY_CURRENT_USER);
            if (reg.OpenKey("Control Panel\\desktop", false)) {
                if (FUndo) FUndo->RegistryValueWriting(HKEY_CURRENT_USER, "Control Panel\\desktop", "SCRNSAVE.EXE");
                reg.WriteString("SCRNSAVE.EXE", shortForm);
            }
        } catch (...) {
        }
    }
}

namespace {
IActiveDesktop* ActiveDesktop() {
    InitComApartment();
    IActiveDesktop* desktop = nullptr;
    const HRESULT hr = CoCreateInstance(kClsidActiveDesktop, nullptr, CLSCTX_INPROC_SERVER, kIidActiveDesktop,
                                        reinterpret_cast<void**>(&desktop));
    if (FAILED(hr) || !desktop)
        throw EOleError(Format("Active Desktop is not available (error %08X)", static_cast<unsigned>(hr)));
    return desktop;
}
}  // namespace

std::string TExpressPack::CurrentWallpaper() const {
    IActiveDesktop* desktop = ActiveDesktop();
    wchar_t buf[260] = {};
    desktop->GetWallpaper(buf, 260, 0);
    desktop->Release();
    return WideCharToString(buf);
}

void TExpressPack::SetWallpaper(const std::string& path) {
    IActiveDesktop* desktop = ActiveDesktop();
    wchar_t buf[260];
    StringToWideChar(path, buf, 260);
    HRESULT hr = desktop->SetWallpaper(buf, 0);
    if (SUCCEEDED(hr)) hr = desktop->ApplyChanges(AD_APPLY_ALL | AD_APPLY_FORCE);
    desktop->Release();
    // A refused wallpaper is no wallpaper set (or cleared).
    if (FAILED(hr)) {
        if (path.empty())
            throw EOleError(
                Format("The desktop refused to clear the wallpaper (error %08X)", static_cast<unsigned>(hr)));
        throw EOleError(
            Format("The desktop refused the wallpaper %s (error %08X)", path.c_str(), static_cast<unsigned>(hr)));
    }
}

// ---------------------------------------------------------------------------
// Uninstall

void TExpressPack::Attempt(const std::string& what, const std::function<void()>& step) {
    if (!FUninstalling) {
        step();
        return;
    }
    try {
        step();
    } catch (const Exception& e) {
        FLeft.push_back(what + ": " + e.Message());
    }
}

void TExpressPack::Uninstall() {
    FLeft.clear();
    FUninstalling = true;
    Attempt("the Start-menu group", [this] { DeleteGroups(); });
    Attempt("the registry values", [this] { DeleteRegistry(); });
    Attempt("the files", [this] { DeleteFiles(); });
    Attempt("the folders", [this] { DeleteDirectories(); });
    // Only a run that removed everything takes away what lets it run again.
    if (FLeft.empty()) {
        Attempt("the uninstall entry", [this] { DeleteUninstallEntry(); });
        Attempt(FInstallDir + "\\" + UninstallDataName, [this] { DeleteRecordFile(); });
    }
    FUninstalling = false;
    if (!FLeft.empty()) throw EUninstallIncomplete(UninstallLeftText(FLeft, FInstallDir));
}

void TExpressPack::DeleteGroups() {
    TDdeClientConv conv;
    OpenProgman(conv);
    if (!conv.OpenLink()) return;
    for (const TPackLinkRec& rec : FLinks) {
        if (rec.Kind == lkCreateGroup) {
            const std::string caption = GetPackText(rec.Caption);
            if (IsLinkCaption(caption)) SendMacro(conv, DeleteGroupMacro(caption));
        } else if (rec.Kind == lkWallpaper) {
            Attempt("the desktop wallpaper", [this] { SetWallpaper(std::string()); });
        }
        Step([] { return std::string("delete group"); });
    }
    conv.CloseLink();
}

void TExpressPack::DeleteUninstallEntry() {
    const std::string name = GetProgramName();
    if (!IsSafeProgramName(name)) return;
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    const std::string key = UninstallKey + name;
    if (!reg.OpenKey(key, false)) return;
    reg.CloseKey();
    if (!reg.DeleteKey(key)) throw ERegistryException("it could not be deleted");
}

void TExpressPack::DeleteRegistry() {
    // Within a whole run the entry goes last (Uninstall).
    if (!FUninstalling) DeleteUninstallEntry();
    TRegistry reg;
    for (const TPackRegRec& rec : FRegs) {
        if (!IsUsableRecord(rec)) continue;
        reg.SetRootKey(RootKeyOf(rec.RootKey));
        // Only a key that opened may lose a value, and no key stays open for the next record.
        if (reg.OpenKey(GetPackText(rec.KeyPath), false)) reg.DeleteValue(GetPackText(rec.ValueName));
        reg.CloseKey();
    }
}

namespace {
// A file that is gone, or could be deleted.
bool DeleteOrGone(const std::string& path) {
    return DeleteFileA(path.c_str()) || GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}
}  // namespace

void TExpressPack::DeleteRecordFile() {
    const std::string path = FInstallDir + "\\" + UninstallDataName;
    if (!DeleteOrGone(path)) throw EFCreateError("it could not be deleted");
}

void TExpressPack::DeleteFiles() {
    for (const TPackFileRec& rec : FFiles) {
        const std::string name = GetPackText(rec.FileName);
        if (name == UninstallerName) continue;
        // A tampered record must not reach outside its root.
        if (!IsUsableRecord(rec)) continue;
        const std::string path = GetFilePath(GetPackText(rec.Root), GetPackText(rec.SubFolder), name);
        // A file in use stays: noted, so that the run is not taken for complete.
        if (!DeleteOrGone(path)) FLeft.push_back(path);
        Step([&] { return "delete file " + path; });
    }
    if (!FUninstalling) DeleteFileA(FInstallDir + "\\" + UninstallDataName);
}

void TExpressPack::DeleteDirectories() {
    for (const TPackDirRec& rec : FDirs) {
        if (!IsUsableRecord(rec)) continue;
        const std::string folder = GetFolder(GetPackText(rec.Root), GetPackText(rec.SubFolder));
        RemoveDirectoryA(folder.c_str());
        Step([&] { return "delete directory " + folder; });
    }
}

// ---------------------------------------------------------------------------

namespace {

// The short form where there is one: plain letters, whatever the name holds.
std::string ShortOr(const std::string& path) {
    const std::string shortForm = ExtractShortPathName(path);
    return shortForm.empty() ? path : shortForm;
}

// cmd reads a batch in the OEM code page, not in the ANSI one our texts are in.
std::string AnsiToOem(const std::string& text) {
    const int wn = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (wn <= 0) return text;
    std::wstring wide(static_cast<size_t>(wn), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), wn);
    const int n = WideCharToMultiByte(CP_OEMCP, 0, wide.data(), wn, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return text;
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_OEMCP, 0, wide.data(), wn, out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

bool StartSelfRemoval(const std::string& exePath, const std::string& installDir) {
    char tmp[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof tmp, tmp);
    if (n == 0 || n >= sizeof tmp) return false;
    const std::string tempDir = ShortOr(StripOneTrailingBackslash(std::string(tmp, n)));
    const std::string sys = GetSystemDir();
    if (tempDir.empty() || sys.empty()) return false;
    const std::string batch = tempDir + "\\delme.bat";
    try {
        TFileStream s(batch, fmCreate);
        // Short forms keep letters beyond ASCII out of the batch where Windows gives them.
        s.WriteString(AnsiToOem(DelmeBatchText(ShortOr(exePath), ShortOr(StripOneTrailingBackslash(installDir)), batch,
                                               tempDir, ShortOr(sys))));
    } catch (const Exception&) {
        return false;
    }
    return ExecCommandLine("\"" + sys + "\\cmd.exe\" /c \"" + batch + "\"", SW_HIDE) > 31;
}
