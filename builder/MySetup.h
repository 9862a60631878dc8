// The installer writer: the setup program out of the builder's resources, then
// the stored files (the uninstall program among them), the file, folder, link
// and registry tables, and the package head as the file's last bytes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/Component.h"
#include "classlib/TypInfo.h"
#include "common/RecordHead.h"

// The published form of the progress event.
using TSetupStepEvent = TEvent<void(TObject* Sender, int Setupit, const std::string& Text)>;

// Stands for the uninstall program in the source list.
constexpr const char* UninstallMarker = "zemUninstall";

// Installer offsets are 32-bit: no installer may be larger than this.
constexpr uint64_t MaxInstallerSize = 0xFFFFFFFFull;

// Where CreateSetup writes before the installer takes the target's place.
std::string InstallerTempName(const std::string& target);

class TMySetup : public TComponent {
    DP_DECLARE_CLASS(TMySetup, TComponent)
public:
    explicit TMySetup(TComponent* owner);
    ~TMySetup() override;

    const std::string& ProgramName() const { return FProgramName; }
    void SetProgramName(const std::string& text);
    const TSetupStepEvent& OnStep() const { return FOnStep; }
    void SetOnStep(TSetupEvent event);
    void SetOnStepEvent(TSetupStepEvent event);

    // The module whose "SETUP" and "UNINSTALL" resources of type "EXEFILE" go
    // into the installer; null (the default) is the running program.
    void SetResourceModule(HMODULE module) { FResourceModule = module; }
    HMODULE ResourceModule() const { return FResourceModule; }

    void AddFile(const std::string& source, const std::string& root, const std::string& subFolder);
    void AddLink(uint8_t kind, const std::string& root, const std::string& subFolder, const std::string& fileName,
                 const std::string& caption);
    void AddDirectory(const std::string& root, const std::string& subFolder);
    void AddUninstaller();
    // Copied into the head at once (cut to the field's width).
    void SetAuthor(const std::string& text);
    void SetEmail(const std::string& text);
    void SetWebsite(const std::string& text);
    void DoStep(int step, const std::string& text);

    // True when the installer was written completely. It is written under
    // InstallerTempName(target) and replaces the target only once complete, so on
    // every failure an existing target stays as it was and the temporary file is
    // gone. False when a source file is missing, the target is one of the sources
    // or the installer would not fit 32-bit offsets; ErrorText() says why. Errors
    // while writing are raised again with the target named in their message.
    bool CreateSetup(const std::string& target);
    // "OK", or "FileNotExit" when a source file is missing.
    std::string WritePackage(TStream& target);
    // Why the last CreateSetup returned false; empty after a success.
    const std::string& ErrorText() const { return FErrorText; }

    // --- what has been collected (read by tests and callers)
    const TPackHead& Head() const { return FHead; }
    const std::vector<TPackFileRec>& FileRecords() const { return FFiles; }
    const std::vector<TPackDirRec>& DirRecords() const { return FDirs; }
    const std::vector<TPackLinkRec>& LinkRecords() const { return FLinks; }
    const TStringList& Sources() const { return FSources; }

private:
    struct TResourceBytes {
        const void* Data;
        uint32_t Size;
    };
    TResourceBytes LoadExeResource(const char* name) const;
    // The installer's size before anything is written; false with ErrorText set
    // when a source is missing or the size passes the 32-bit limit.
    bool CheckSources(const std::string& target);

    TPackHead FHead;
    std::vector<TPackDirRec> FDirs;
    std::vector<TPackFileRec> FFiles;
    std::vector<TPackLinkRec> FLinks;
    std::vector<TPackRegRec> FRegs;
    TStringList FSources;
    std::string FProgramName;
    TSetupStepEvent FOnStep;
    HMODULE FResourceModule = nullptr;
    std::string FErrorText;
};
