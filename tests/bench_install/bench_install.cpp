// Throughput of installing one 256 MiB stored file from a package against CopyFileA of the
// package, the two interleaved over many rounds (min, median and max of each and of their
// ratio), and the installer's peak memory. Prints the figures; asserts nothing.
//   bench_install [rounds]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

#include "classlib/Classes.h"
#include "common/RecordHead.h"
#include "setup/DataExpress.h"
#include "tests/bench_install/BenchSpread.h"

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

int main(int argc, char** argv) {
    // Rounds: enough that one slow flush of the file system does not decide the median.
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "dp_bench_install";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const std::string package = (dir / "package.exe").string();
    WritePackage(package);
    // CopyFileA copies the package itself: both sides read the same file, so neither finds
    // its source pushed out of the cache by the other's.
    const double packageBytes = static_cast<double>(std::filesystem::file_size(package));
    std::vector<double> copyTimes, installTimes, ratios;
    for (int round = 0; round < rounds; ++round) {
        // Every round writes new files on both sides, none over an old one, and the two take
        // turns at going first, so that neither always follows the other's writes.
        const std::string copied = (dir / ("copied" + std::to_string(round))).string();
        const std::filesystem::path target = dir / ("installed" + std::to_string(round));
        std::filesystem::create_directories(target);
        TExpressPack pack;
        pack.LoadFromFile(package);
        pack.SetInstallDir(target.string());
        double copy = 0, install = 0;
        // Each side's file goes as soon as it is timed: a file left dirty in the page cache would
        // make the side after it wait for its write-back (that alone moved the ratio from 0.4 to
        // 2.3 between rounds).
        auto doCopy = [&] {
            copy = Seconds([&] { CopyFileA(package.c_str(), copied.c_str(), FALSE); });
            DeleteFileA(copied.c_str());
        };
        auto doInstall = [&] {
            install = Seconds([&] { pack.CopyFiles(); });
            std::filesystem::remove_all(target);
        };
        if (round % 2) {
            doInstall();
            doCopy();
        } else {
            doCopy();
            doInstall();
        }
        copyTimes.push_back(copy);
        installTimes.push_back(install);
        // Throughputs: the copy moves the whole package, the install the stored file.
        ratios.push_back((kDataSize / install) / (packageBytes / copy));
    }
    PROCESS_MEMORY_COUNTERS pmc{};
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    const double mib = kDataSize / 1048576.0;
    const Spread c = SpreadOf(copyTimes), i = SpreadOf(installTimes), r = SpreadOf(ratios);
    std::printf("%d rounds, install and CopyFileA taking turns, %.0f MiB each (min / median / max)\n", rounds, mib);
    const double packageMib = packageBytes / 1048576.0;
    std::printf("CopyFileA:         %7.1f / %7.1f / %7.1f MiB/s\n", packageMib / c.max, packageMib / c.median,
                packageMib / c.min);
    std::printf("install CopyFiles: %7.1f / %7.1f / %7.1f MiB/s\n", mib / i.max, mib / i.median, mib / i.min);
    std::printf("install / CopyFileA throughput, per round: %.2f / %.2f / %.2f (target: median >= 1)\n", r.min,
                r.median, r.max);
    std::printf("peak working set: %.1f MiB (file %.0f MiB)\n", pmc.PeakWorkingSetSize / 1048576.0, mib);
    std::filesystem::remove_all(dir);
    return 0;
}
