// Helpers of the model tests: a scratch folder and whole-file access.
#pragma once

#include <string>
#include <vector>

// A fresh folder under the system temp folder, removed with everything in it.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    // Path of name inside the folder ('\\' joined, as the runtime expects).
    std::string File(const std::string& name) const;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// Whole file as bytes; false when it cannot be read.
bool ReadWholeFile(const std::string& name, std::string& bytes);
std::string ReadWholeFile(const std::string& name);
void WriteWholeFile(const std::string& name, const std::string& bytes);

// Splits at CR LF only; true when the text ends with CR LF and holds no
// other line break.
bool SplitCrLfLines(const std::string& text, std::vector<std::string>& lines);

// A fixture from tests/data.
std::string DataFile(const std::string& relative);
