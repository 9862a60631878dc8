// Throughput of installing one 256 MiB stored file from a package against CopyFileA of the
// same bytes, and the installer's peak memory. Prints the figures; asserts nothing.
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

#include "classlib/Classes.h"
#include "common/RecordHead.h"
#include "setup/DataExpress.h"

namespace {

constexpr uint32_t kStubSize = 4096;
constexpr uint32_t kDataSize = 256u << 20;

void WriteData(TStream& s) {
    std::vector<uint8_t> chunk(1 << 20);
    for (uint32_t done = 0; done < kDataSize; done += static_cast<uint32_t>(chunk.size())) {
        for (size_t i = 0; i < chunk.size(); i += 64) chunk[i] = static_cast<uint8_t>((done + i) * 2654435761u >> 24);
        s.WriteBuffer(chunk.data(), static_cast<int64_t>(chunk.size()));
    }
}

void WritePackage(const std::string& path) {
    TFileStream s(path, fmCreate);
    std::vector<uint8_t> stub(kStubSize, 0);
    s.WriteBuffer(stub.data(), kStubSize);
    WriteData(s);
    TPackFileRec file{};
    SetPackText(file.FileName, "big.bin");
    SetPackText(file.Root, "InstallDir");
    file.Offset = kStubSize;
    file.Size = kDataSize;
    TPackHead head = NewPackHead();
    SetPackText(head.ProgramName, "Bench");
    head.FileCount = 1;
    head.FileOffset = static_cast<uint32_t>(s.Position());
    WritePackTable(s, std::vector<TPackFileRec>{file});
    head.DirOffset = head.LinkOffset = head.RegOffset = static_cast<uint32_t>(s.Position());
    WritePackRecord(s, head);
}

double Seconds(const std::function<void()>& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

int main() {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "dp_bench_install";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string package = (dir / "package.exe").string();
    const std::string plain = (dir / "plain.bin").string();
    WritePackage(package);
    {
        TFileStream s(plain, fmCreate);
        WriteData(s);
    }
    double best_copy = 1e9, best_install = 1e9;
    for (int round = 0; round < 3; ++round) {
        const std::string copied = (dir / "copied.bin").string();
        DeleteFileA(copied.c_str());
        best_copy = std::min(best_copy, Seconds([&] { CopyFileA(plain.c_str(), copied.c_str(), FALSE); }));

        const std::string target = (dir / ("installed" + std::to_string(round))).string();
        TExpressPack pack;
        pack.LoadFromFile(package);
        pack.SetInstallDir(target);
        std::filesystem::create_directories(target);
        best_install = std::min(best_install, Seconds([&] { pack.CopyFiles(); }));
        std::filesystem::remove_all(target);
    }
    PROCESS_MEMORY_COUNTERS pmc{};
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    const double mib = kDataSize / 1048576.0;
    std::printf("CopyFileA:        %7.1f MiB/s (%.3f s)\n", mib / best_copy, best_copy);
    std::printf("install CopyFiles: %7.1f MiB/s (%.3f s)\n", mib / best_install, best_install);
    std::printf("install / CopyFileA throughput: %.2f\n", best_copy / best_install);
    std::printf("peak working set: %.1f MiB (file %.0f MiB)\n", pmc.PeakWorkingSetSize / 1048576.0, mib);
    std::filesystem::remove_all(dir);
    return 0;
}
