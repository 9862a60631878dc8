// Shared helpers of the system-wrapper tests.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace winsys_test {

// A fresh folder under %TEMP%, removed with everything in it when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "\\" + name; }

private:
    std::string m_path;
};

// Whole file as bytes; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& data);
bool FileThere(const std::string& path);
bool FolderThere(const std::string& path);
void RemoveTree(const std::string& path);

// Polls pred, handling this thread's messages in between, until it holds or
// the limit has passed. The limit only bounds a hang; nothing is timed.
bool WaitFor(const std::function<bool()>& pred, DWORD limitMs = 20000);

// winsys_probe.exe beside the running test program.
std::string ProbePath();
std::string ProgramFolder();
// Unique text for names of this run.
std::string RunTag();

}  // namespace winsys_test
