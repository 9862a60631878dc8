// A fresh folder under the system temp folder for one test, removed afterwards.
#pragma once

#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // The folder, without a trailing delimiter.
    const std::string& Path() const { return m_path; }
    // name inside the folder, joined with '\\' (the file layer accepts it natively too).
    std::string File(const std::string& name) const;

private:
    std::string m_path;
};

// Whole file as bytes ("" when it cannot be read); and writing bytes, replacing.
std::string ReadAll(const std::string& name);
void WriteAll(const std::string& name, const std::string& bytes);
