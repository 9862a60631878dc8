// Create Installer with a 64 MiB movie against copying the same files with CopyFileA: the
// movie beside the program, then the setup program, the page, the movie and the uninstaller
// into the installer's folder. Prints the figures; asserts nothing.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "builder/Main.h"
#include "classlib/Classes.h"
#include "classlib/Registry.h"

namespace {

constexpr uint32_t kMovieSize = 64u << 20;

// A plain movie (not muted, so copied as it is): the header and noise-like bytes, written in
// pieces so that the bench's own memory stays small.
void WriteMovie(const std::string& path) {
    TFileStream s(path, fmCreate);
    const uint8_t head[8] = {'F',
                             'W',
                             'S',
                             6,
                             uint8_t(kMovieSize),
                             uint8_t(kMovieSize >> 8),
                             uint8_t(kMovieSize >> 16),
                             uint8_t(kMovieSize >> 24)};
    s.WriteBuffer(head, 8);
    std::vector<uint8_t> piece(1 << 20);
    for (uint32_t done = 8; done < kMovieSize;) {
        const uint32_t n = std::min<uint32_t>(uint32_t(piece.size()), kMovieSize - done);
        for (size_t i = 0; i < n; i += 64) piece[i] = uint8_t((done + i) * 2654435761u >> 24);
        s.WriteBuffer(piece.data(), n);
        done += n;
    }
}

double Seconds(const std::function<void()>& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

std::string ExeDir() {
    char buf[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, buf, MAX_PATH);
    return std::filesystem::path(buf).parent_path().string() + "\\";
}

uint64_t FileSize(const std::string& path) {
    std::error_code ec;
    return std::filesystem::file_size(path, ec);
}

}  // namespace

int main() {
    Application->Initialize();
    {
        // No last project and no sample: the window starts from its definition.
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        if (reg.OpenKey(BuilderRegKey, true)) {
            reg.WriteString("Quest2", "");
            reg.WriteBool("Quest1", false);
        }
    }
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "dp_bench_builder";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "copies");
    const std::string movie = (dir / "big.swf").string();
    WriteMovie(movie);

    TfrmMain* form = NewForm<TfrmMain>(Application);
    form->edtWallpaperName->SetText("Bench");
    form->edtFlashfileName->SetText(movie);
    const std::string besideProgram = ExeDir() + "big.swf";
    const std::string page = ExeDir() + "Bench.html";
    const std::string installer = (dir / "Bench Setup.exe").string();

    // The page is written by the first run; setup.exe and uninstall.exe lie beside the
    // bench as the builder's resources were made from them.
    form->BuildInstaller(installer);
    const std::string copiedMovie = ExeDir() + "copied.swf";
    const std::string copySources[] = {ExeDir() + "setup.exe", page, copiedMovie, ExeDir() + "uninstall.exe"};

    double bestCopy = 1e9, bestBuild = 1e9;
    // Every round writes new files on both sides, none over an old one.
    for (int round = 0; round < 5; ++round) {
        DeleteFileA(besideProgram.c_str());
        DeleteFileA(page.c_str());
        DeleteFileA(installer.c_str());
        bestBuild = std::min(bestBuild, Seconds([&] { form->BuildInstaller(installer); }));

        const std::filesystem::path copies = dir / "copies";
        std::filesystem::remove_all(copies);
        std::filesystem::create_directories(copies);
        DeleteFileA(copiedMovie.c_str());
        bestCopy =
            std::min(bestCopy, Seconds([&] {
                         CopyFileA(movie.c_str(), copiedMovie.c_str(), FALSE);
                         // The movie beside the program as the builder puts it, then what the installer holds.
                         for (const std::string& source : copySources)
                             CopyFileA(source.c_str(),
                                       (copies / std::filesystem::path(source).filename()).string().c_str(), FALSE);
                     }));
    }
    PROCESS_MEMORY_COUNTERS pmc{};
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    const double mib = FileSize(installer) / 1048576.0;
    std::printf("installer: %.1f MiB (movie %u MiB)\n", mib, kMovieSize >> 20);
    std::printf("CopyFileA of the same files: %.3f s\n", bestCopy);
    std::printf("Create Installer:            %.3f s\n", bestBuild);
    std::printf("Create Installer / copying: %.2fx time\n", bestBuild / bestCopy);
    std::printf("peak working set: %.1f MiB\n", pmc.PeakWorkingSetSize / 1048576.0);
    form->Free();
    DeleteFileA(besideProgram.c_str());
    DeleteFileA(copiedMovie.c_str());
    DeleteFileA(page.c_str());
    std::filesystem::remove_all(dir);
    return 0;
}
