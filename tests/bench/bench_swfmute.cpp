// Muted copy of a 64 MiB movie, uncompressed and compressed, against a plain copy of the
// same file and against zlib inflating the same body from memory. Each case reports the peak
// of what it allocated; the ratios the copy is held to are printed at the end.
//   cmake --build <build> --target bench
// Meaningful numbers need a build without sanitizers (DP_SANITIZE=OFF, Release).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <zlib.h>

#include "builder/SwfMute.h"
#include "classlib/SysUtils.h"
#include "tools/swfgen/SwfPack.h"
#include "tools/swfgen/SwfWriter.h"

namespace {

constexpr uint32_t kMovieBytes = 64u * 1024 * 1024;

struct Movies {
    std::string dir, fws, cws, out;
    swfgen::Bytes compressedBody;  // the zlib stream after the CWS header
    size_t compressedFile = 0;
};

bool WriteFile(const std::string& name, const swfgen::Bytes& data) {
    FILE* f = std::fopen(name.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

Movies& TheMovies() {
    static Movies m = [] {
        Movies r;
        r.dir = std::string(DP_TEST_BIN_DIR) + "/bench_scratch";
        CreateDir(r.dir);
        r.fws = r.dir + "/bulk_fws.swf";
        r.cws = r.dir + "/bulk_cws.swf";
        r.out = r.dir + "/copy.swf";
        swfgen::Bytes fws = swfgen::BulkMovie(kMovieBytes, 42);
        swfgen::Bytes cws = swfgen::Cws(fws, 6);
        if (!WriteFile(r.fws, fws) || !WriteFile(r.cws, cws)) {
            std::fprintf(stderr, "cannot write the benchmark movies in %s\n", r.dir.c_str());
            std::exit(1);
        }
        r.compressedFile = cws.size();
        r.compressedBody.assign(cws.begin() + 8, cws.end());
        return r;
    }();
    return m;
}

// What the process has allocated (every malloc, so the copy's own buffers, zlib's state and
// the streams' pieces count alike) and its high-water mark. Resident memory would not do:
// buffers the heap hands out again from pages an earlier case touched never raise it.
std::atomic<int64_t> g_allocated{0};
std::atomic<int64_t> g_peak{0};

void Allocated(void* p) {
    if (!p) return;
    const int64_t now = g_allocated += static_cast<int64_t>(malloc_usable_size(p));
    int64_t peak = g_peak.load();
    while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
    }
}

void Freed(void* p) {
    if (p) g_allocated -= static_cast<int64_t>(malloc_usable_size(p));
}

struct PeakMemory {
    int64_t base;
    PeakMemory() : base(g_allocated.load()) { g_peak = base; }
    double GrowthKiB() const { return static_cast<double>(g_peak.load() - base) / 1024.0; }
};

void Report(benchmark::State& state, const PeakMemory& peak) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kMovieBytes);
    state.counters["peak_KiB"] = peak.GrowthKiB();
    state.counters["peak_x_movie"] = peak.GrowthKiB() / (kMovieBytes / 1024.0);
}

// Both copies write a new file each time: replacing a file the previous round wrote makes
// the file system flush it first (ext4 does so on truncate), which is no cost of the copy.
void FreshTarget(benchmark::State& state, const std::string& name) {
    state.PauseTiming();
    DeleteFile(name);
    state.ResumeTiming();
}

void BM_PlainCopy(benchmark::State& state, bool compressed) {
    Movies& m = TheMovies();
    const std::string& src = compressed ? m.cws : m.fws;
    PeakMemory peak;
    for (auto _ : state) {
        FreshTarget(state, m.out);
        CopyFileStream(src, m.out);
    }
    Report(state, peak);
    // Plain copies move the file's own bytes; count those for the compressed one.
    if (compressed)
        state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(m.compressedFile));
}

void BM_MutedCopy(benchmark::State& state, bool compressed) {
    Movies& m = TheMovies();
    const std::string& src = compressed ? m.cws : m.fws;
    PeakMemory peak;
    for (auto _ : state) {
        FreshTarget(state, m.out);
        bool noMovie = CopySwfMuted(src, m.out);
        benchmark::DoNotOptimize(noMovie);
    }
    Report(state, peak);
}

void BM_InflateAlone(benchmark::State& state) {
    Movies& m = TheMovies();
    PeakMemory peak;
    std::vector<uint8_t> out(kMovieBytes - 8);
    for (auto _ : state) {
        z_stream z{};
        inflateInit(&z);
        z.next_in = m.compressedBody.data();
        z.avail_in = static_cast<uInt>(m.compressedBody.size());
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        int rc = inflate(&z, Z_FINISH);
        inflateEnd(&z);
        if (rc != Z_STREAM_END || z.avail_out != 0) state.SkipWithError("inflate failed");
        benchmark::DoNotOptimize(out.data());
    }
    Report(state, peak);
}

BENCHMARK_CAPTURE(BM_PlainCopy, fws, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_MutedCopy, fws, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_PlainCopy, cws, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_MutedCopy, cws, true)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_InflateAlone)->Unit(benchmark::kMillisecond)->UseRealTime();

// Keeps each case's time per iteration and peak for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration || r.error_occurred) continue;
            times[r.benchmark_name()] = r.GetAdjustedRealTime();
            auto it = r.counters.find("peak_KiB");
            if (it != r.counters.end()) peaks[r.benchmark_name()] = it->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times, peaks;
};

}  // namespace

// glibc lets a program supply the allocator's entry points; these count and pass on.
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);

void* malloc(size_t n) {
    void* p = __libc_malloc(n);
    Allocated(p);
    return p;
}

void* calloc(size_t n, size_t size) {
    void* p = __libc_calloc(n, size);
    Allocated(p);
    return p;
}

void* realloc(void* old, size_t n) {
    Freed(old);
    void* p = __libc_realloc(old, n);
    Allocated(p ? p : (n ? old : nullptr));
    return p;
}

void free(void* p) {
    Freed(p);
    __libc_free(p);
}
}

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
#if defined(__SANITIZE_ADDRESS__) || (defined(__has_feature) && __has_feature(address_sanitizer))
    std::fprintf(stderr, "note: built with AddressSanitizer; times and memory are not those of a release build\n");
#endif
    TheMovies();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto t = [&](const char* n) { return reporter.times.count(n) ? reporter.times[n] : 0.0; };
    const double plainF = t("BM_PlainCopy/fws/real_time"), mutedF = t("BM_MutedCopy/fws/real_time");
    const double mutedC = t("BM_MutedCopy/cws/real_time"), inflate = t("BM_InflateAlone/real_time");
    std::printf("\ncompressed movie: %zu bytes for %u (%.2fx)\n", TheMovies().compressedFile, kMovieBytes,
                static_cast<double>(kMovieBytes) / TheMovies().compressedFile);
    if (plainF > 0 && mutedF > 0)
        std::printf("FWS muted copy throughput / plain copy throughput: %.2f (target >= 0.5)\n", plainF / mutedF);
    if (mutedC > 0 && inflate > 0)
        std::printf("CWS muted copy time / inflate alone: %.2f (target <= 1.3)\n", mutedC / inflate);
    for (const auto& [name, peak] : reporter.peaks)
        std::printf("peak allocated by %s: %.0f KiB, %.4fx the movie (target <= 2 for the muted copies)\n",
                    name.c_str(), peak, peak / (kMovieBytes / 1024.0));
    DeleteFile(TheMovies().out);
    benchmark::Shutdown();
    return 0;
}
