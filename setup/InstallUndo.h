// TInstallUndo: what one install run changed on the machine, noted just before
// each change, so that a run that fails half-way can put everything back as it
// found it: undone in reverse order, files that were there before restored from
// copies kept aside until the run is through.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class TInstallUndo {
public:
    TInstallUndo() = default;
    // An undo that was neither run nor committed commits: nothing is lost.
    ~TInstallUndo();
    TInstallUndo(const TInstallUndo&) = delete;
    TInstallUndo& operator=(const TInstallUndo&) = delete;

    // Before the folder is forced: each of its folders missing now is removed
    // again (when empty), the innermost first.
    void FolderCreating(const std::string& folder);
    // Before the file is created or replaced: a new file is deleted again; a
    // file there already is copied aside now and copied back. Raises
    // EFCreateError when the copy cannot be made, before anything changed.
    void FileWriting(const std::string& path);
    // Before the value is written: keys missing now are deleted again (when
    // empty), a value there already gets its old type and data back, a new one
    // is deleted. key: from the root, with or without a leading backslash.
    void RegistryValueWriting(HKEY root, const std::string& key, const std::string& name);
    // Before an ini value is written: its old text comes back, or it goes.
    void IniValueWriting(const std::string& file, const std::string& section, const std::string& key);
    // Any other change, with its undo.
    void Add(std::function<void()> undo);

    // Runs every undo, the last change first; failures of single undos are
    // passed over so that the rest still run. Then drops the copies.
    void Undo();
    // The run is through: the copies kept aside are deleted.
    void Commit();

    size_t Count() const { return FUndos.size(); }

private:
    void DropBackups();

    std::vector<std::function<void()>> FUndos;
    std::vector<std::string> FBackups;
};
