#include "winsys_test_util.h"

#include <cstdio>
#include <vector>

namespace winsys_test {

std::string RunTag() {
    static const std::string tag =
        std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount() % 100000);
    return tag;
}

TempFolder::TempFolder() {
    static int counter = 0;
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    m_path = std::string(temp) + "dp_winsys_" + RunTag() + "_" + std::to_string(++counter);
    CreateDirectoryA(m_path.c_str(), nullptr);
}

TempFolder::~TempFolder() { RemoveTree(m_path); }

std::string ReadWholeFile(const std::string& path) {
    std::string data;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0) data.append(buf, n);
        std::fclose(f);
    }
    return data;
}

void WriteWholeFile(const std::string& path, const std::string& data) {
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data.data(), 1, data.size(), f);
        std::fclose(f);
    }
}

bool FileThere(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderThere(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = fd.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = path + "\\" + name;
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(path.c_str());
}

bool WaitFor(const std::function<bool()>& pred, DWORD limitMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (pred()) return true;
        if (GetTickCount() - start > limitMs) return pred();
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(50);
    }
}

std::string ProgramFolder() {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s = path;
    return s.substr(0, s.find_last_of('\\'));
}

std::string ProbePath() { return ProgramFolder() + "\\winsys_probe.exe"; }

}  // namespace winsys_test
