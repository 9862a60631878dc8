// TExpressPack: the package index that setup and uninstall share. setup loads
// it from the end of its own program file and installs; uninstall loads it
// from uninstall001.dat beside itself and removes what was installed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "classlib/Component.h"
#include "classlib/SysUtils.h"
#include "common/RecordHead.h"

class TExpressPack : public TObject {
public:
    TExpressPack();
    ~TExpressPack() override;

    // True when the file ends in a valid head and its four tables were read;
    // false on a wrong magic. Tables outside the file raise EReadError before
    // anything is allocated; a file that cannot be opened raises EFOpenError.
    bool LoadFromFile(const std::string& fileName);
    // Checks the loaded package before the wizard: every path stays below its
    // root, roots are known, captions and paths fit the Program Manager macros,
    // and every file's data lies inside the package file. Empty when fine, else
    // a text naming the first bad record.
    std::string CheckPackage() const;

    std::string GetProgramName() const;
    std::string GetAuthor() const;
    std::string GetEmail() const;
    std::string GetWebSite() const;
    int GetStepCount() const { return FStepTotal; }
    // Stores the folder with one trailing backslash removed.
    bool SetInstallDir(const std::string& dir);
    const std::string& GetInstallDir() const { return FInstallDir; }
    void SetOnStep(TSetupEvent event) { FOnStep = std::move(event); }
    const std::string& GetPackageFileName() const { return FPackageFile; }

    const TPackHead& Head() const { return FHead; }
    const std::vector<TPackFileRec>& FileRecords() const { return FFiles; }
    const std::vector<TPackDirRec>& DirRecords() const { return FDirs; }
    const std::vector<TPackLinkRec>& LinkRecords() const { return FLinks; }
    const std::vector<TPackRegRec>& RegRecords() const { return FRegs; }

    // Run after every step's event so that a progress display repaints; the
    // programs set it to the application's ProcessMessages. Unset, the thread's
    // waiting messages are dispatched directly.
    std::function<void()> OnProcessMessages;

    // --- install
    // The steps in order, then the installation record. A run that fails
    // undoes what it changed, the last change first (what was there before
    // stays), writes no record and raises its error saying so.
    void Install();
    void CreateDirectories();
    void CopyFiles();
    void WriteRegistry();
    void CreateGroups();
    void SaveUninstallData();

    // Folder of a root keyword, with the subfolder appended. An unknown root or
    // a root folder that cannot be found raises an exception: a path is never
    // built from an empty root.
    std::string GetFolder(const std::string& root, const std::string& subFolder) const;
    std::string GetFilePath(const std::string& root, const std::string& subFolder, const std::string& fileName) const;
    std::string ExpandInstallDir(const std::string& text) const;
    void SetScreenSaver(const std::string& path);
    void SetWallpaper(const std::string& path);
    // The Active Desktop wallpaper now.
    std::string CurrentWallpaper() const;

    // --- uninstall
    // The four steps in order. What cannot be removed (a file in use, a
    // wallpaper the desktop will not clear, any error of a step) is noted and
    // the run goes on; the uninstall entry and uninstall001.dat go last and
    // only when nothing was left, so that the uninstaller can be run again.
    // Then raises EUninstallIncomplete naming what was left.
    void Uninstall();
    void DeleteGroups();
    void DeleteRegistry();
    void DeleteFiles();
    void DeleteDirectories();
    // What the last removal could not remove, in the order met.
    const std::vector<std::string>& LeftBehind() const { return FLeft; }

private:
    // Counts the step, reports it (the text is built only when someone listens)
    // and lets pending messages through.
    void Step(const std::function<std::string()>& text);
    void PumpMessages();

    int FStepTotal = 0;
    int FStepCounter = 0;
    TPackHead FHead{};
    std::vector<TPackDirRec> FDirs;
    std::vector<TPackLinkRec> FLinks;
    std::vector<TPackFileRec> FFiles;
    std::vector<TPackRegRec> FRegs;
    std::string FPackageFile;
    TSetupEvent FOnStep;
    std::string FInstallDir;
    // During Install: what the run changed, for its undo.
    class TInstallUndo* FUndo = nullptr;
    // During Uninstall: errors are noted in FLeft instead of ending the run.
    bool FUninstalling = false;
    std::vector<std::string> FLeft;
    void Attempt(const std::string& what, const std::function<void()>& step);
    void DeleteUninstallEntry();
    void DeleteRecordFile();
    // Before the install writes anything: every path fits and every Start-menu
    // item can be named in its macro.
    void CheckInstallPaths() const;
};

// An uninstall run that left something behind; the message says what.
class EUninstallIncomplete : public Exception {
public:
    using Exception::Exception;
};

// Writes delme.bat into the temp folder, naming the uninstaller `exePath` and
// the install folder `installDir` by full paths, and starts it hidden. The
// batch waits until the uninstaller's file is gone, removes the folder when it
// is empty and deletes itself. False when the batch could not be written or started.
bool StartSelfRemoval(const std::string& exePath, const std::string& installDir);
