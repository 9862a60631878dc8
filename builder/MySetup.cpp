// The installer writer.
#include "builder/MySetup.h"

#include <algorithm>
#include <memory>

#include "classlib/Graphics.h"
#include "classlib/PathIdentity.h"
#include "classlib/SysUtils.h"

DP_PUBLISHED(TMySetup){
    DP_PROP_STR(ProgramName, ProgramName, SetProgramName),
    DP_PROP_EVENT(OnStep, OnStep, SetOnStepEvent),
};

namespace {

[[noreturn]] void TooLarge(uint64_t size) {
    throw EWriteError(Format("The installer would be %llu bytes long; an installer cannot pass 4 GB.",
                             static_cast<unsigned long long>(size)));
}

// The target's current size as a 32-bit offset.
uint32_t Offset32(TStream& target, uint64_t following) {
    const int64_t pos = target.Size();
    if (pos < 0) throw EWriteError();
    if (static_cast<uint64_t>(pos) + following > MaxInstallerSize) TooLarge(static_cast<uint64_t>(pos) + following);
    return static_cast<uint32_t>(pos);
}

}  // namespace

std::string InstallerTempName(const std::string& target) { return target + ".writing"; }

TMySetup::TMySetup(TComponent* owner) : TComponent(owner), FHead(NewPackHead()) {}

TMySetup::~TMySetup() = default;

void TMySetup::SetProgramName(const std::string& text) { FProgramName = text; }

void TMySetup::SetOnStep(TSetupEvent event) { FOnStep = TSetupStepEvent(std::move(event)); }

void TMySetup::SetOnStepEvent(TSetupStepEvent event) { FOnStep = std::move(event); }

void TMySetup::AddFile(const std::string& source, const std::string& root, const std::string& subFolder) {
    TPackFileRec rec{};
    SetPackText(rec.FileName, source == UninstallMarker ? std::string("Uninstall.exe") : ExtractFileName(source));
    SetPackText(rec.Root, root);
    SetPackText(rec.SubFolder, subFolder);
    FFiles.push_back(rec);
    FSources.Add(source);
}

void TMySetup::AddLink(uint8_t kind, const std::string& root, const std::string& subFolder, const std::string& fileName,
                       const std::string& caption) {
    TPackLinkRec rec{};
    rec.Kind = kind;
    SetPackText(rec.Root, root);
    SetPackText(rec.SubFolder, subFolder);
    SetPackText(rec.FileName, fileName);
    SetPackText(rec.Caption, caption);
    FLinks.push_back(rec);
}

void TMySetup::AddDirectory(const std::string& root, const std::string& subFolder) {
    TPackDirRec rec{};
    SetPackText(rec.Root, root);
    SetPackText(rec.SubFolder, subFolder);
    FDirs.push_back(rec);
}

void TMySetup::AddUninstaller() {
    AddFile(UninstallMarker, RootInstallDir, "");
    AddLink(lkAddItem, RootInstallDir, "", "Uninstall.exe", "Uninstall");
}

void TMySetup::SetAuthor(const std::string& text) { SetPackText(FHead.Author, text); }
void TMySetup::SetEmail(const std::string& text) { SetPackText(FHead.Email, text); }
void TMySetup::SetWebsite(const std::string& text) { SetPackText(FHead.Website, text); }

void TMySetup::DoStep(int step, const std::string& text) {
    if (FOnStep) FOnStep(this, step, text);
}

TMySetup::TResourceBytes TMySetup::LoadExeResource(const char* name) const {
    HMODULE module = FResourceModule ? FResourceModule : GetModuleHandleA(nullptr);
    HRSRC res = FindResourceA(module, name, "EXEFILE");
    if (!res) throw EResNotFound(Format(SResNotFound, name));
    HGLOBAL mem = LoadResource(module, res);
    const void* data = mem ? LockResource(mem) : nullptr;
    const DWORD size = SizeofResource(module, res);
    if (!data && size != 0) throw EResNotFound(Format(SResNotFound, name));
    return {data, static_cast<uint32_t>(size)};
}

bool TMySetup::CheckSources(const std::string& target) {
    uint64_t total = LoadExeResource("SETUP").Size;
    for (int i = 0; i < FSources.Count(); ++i) {
        const std::string source = FSources[i];
        if (source == UninstallMarker) {
            total += LoadExeResource("UNINSTALL").Size;
            continue;
        }
        if (!FileExists(source)) {
            FErrorText = Format("The file %s does not exist, so the installer was not written.", source.c_str());
            return false;
        }
        // Creating the target first would destroy the very file it should store.
        if (SameFileName(source, target)) {
            FErrorText = Format("The installer cannot be written over %s, which it is to contain.", source.c_str());
            return false;
        }
        const int64_t size = FileSizeByName(source);
        if (size < 0) {
            FErrorText = Format("The file %s cannot be read, so the installer was not written.", source.c_str());
            return false;
        }
        total += static_cast<uint64_t>(size);
        if (total > MaxInstallerSize) break;
    }
    total += FFiles.size() * PackFileRecSize + FDirs.size() * PackDirRecSize + FLinks.size() * PackLinkRecSize +
             FRegs.size() * PackRegRecSize + PackHeadSize;
    if (total > MaxInstallerSize) {
        FErrorText = Format("The installer would be larger than 4 GB (%llu bytes or more), which it cannot be.",
                            static_cast<unsigned long long>(total));
        return false;
    }
    return true;
}

bool TMySetup::CreateSetup(const std::string& target) {
    FErrorText.clear();
    const TResourceBytes setup = LoadExeResource("SETUP");
    AddUninstaller();
    if (!CheckSources(target)) return false;

    // The installer is written beside the target and takes its place only when complete:
    // a failed write leaves an older installer as it was.
    const std::string temp = InstallerTempName(target);
    std::string message;
    bool created = false;
    try {
        TFileStream out(temp, fmCreate);
        created = true;
        out.WriteBuffer(setup.Data, setup.Size);
        message = WritePackage(out);
    } catch (Exception& e) {
        if (created) DeleteFile(temp);
        // A temporary file that cannot be created is the target that cannot be.
        e.SetMessage(Format("The installer %s was not written: %s", target.c_str(),
                            StringReplace(e.Message(), temp, target, rfReplaceAll).c_str()));
        throw;
    } catch (...) {
        if (created) DeleteFile(temp);
        throw;
    }
    if (message != "OK") {
        // A file that went away since the check: no half installer stays.
        DeleteFile(temp);
        return false;
    }
    if (!ReplaceFileWith(temp, target)) {
        DeleteFile(temp);
        throw EFCreateError(Format("The installer %s was not written: %s", target.c_str(),
                                   Format(SFCreateError, target.c_str()).c_str()));
    }
    return true;
}

std::string TMySetup::WritePackage(TStream& target) {
    std::string message = "OK";
    int step = 0;
    for (int i = 0; i < FSources.Count(); ++i) {
        const std::string source = FSources[i];
        TPackFileRec& rec = FFiles[static_cast<size_t>(i)];
        if (source == UninstallMarker) {
            const TResourceBytes uninstall = LoadExeResource("UNINSTALL");
            rec.Offset = Offset32(target, uninstall.Size);
            rec.Size = uninstall.Size;
            target.WriteBuffer(uninstall.Data, uninstall.Size);
            DoStep(++step, "Install file");
            continue;
        }
        if (!FileExists(source)) {
            FErrorText = Format("The file %s does not exist, so the installer was not written.", source.c_str());
            message = "FileNotExit";
            break;
        }
        TFileStream in(source, fmOpenRead | fmShareDenyWrite);
        const int64_t size = in.Size();
        if (size < 0) throw EReadError();
        rec.Offset = Offset32(target, static_cast<uint64_t>(size));
        rec.Size = static_cast<uint32_t>(size);
        target.CopyFrom(in, size);
        DoStep(++step, "Add file:" + source);
    }
    if (message != "OK") return message;

    FHead.FileOffset = Offset32(target, FFiles.size() * PackFileRecSize);
    FHead.FileCount = static_cast<uint32_t>(FFiles.size());
    WritePackTable(target, FFiles);
    DoStep(++step, "Save index");

    FHead.DirOffset = Offset32(target, FDirs.size() * PackDirRecSize);
    FHead.DirCount = static_cast<uint32_t>(FDirs.size());
    WritePackTable(target, FDirs);
    DoStep(++step, "Save directory");

    FHead.LinkOffset = Offset32(target, FLinks.size() * PackLinkRecSize);
    FHead.LinkCount = static_cast<uint32_t>(FLinks.size());
    WritePackTable(target, FLinks);
    DoStep(++step, "Save group");

    FHead.RegOffset = Offset32(target, FRegs.size() * PackRegRecSize);
    FHead.RegCount = static_cast<uint32_t>(FRegs.size());
    WritePackTable(target, FRegs);
    DoStep(++step, "Save Reg");

    Offset32(target, PackHeadSize);
    SetPackText(FHead.ProgramName, FProgramName);
    WritePackRecord(target, FHead);
    DoStep(++step, "Create index");
    return message;
}
