// Loading, checking and saving configurations: a full image, files growing to
// 64 MiB (load time should grow linearly), and the heap peak of a 64 MiB load.
//
// `data_bench --peak-rss` instead loads one 64 MiB file in this fresh process
// and prints the growth of its resident set (getrusage ru_maxrss).
#include "core/data/CConfigCheck.h"
#include "core/data/CConfigCompare.h"
#include "core/data/CConfiguration.h"
#include "core/data/CQARNCfgDoc.h"
#include "core/data/CRecordList.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <new>
#include <string>

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

// Every heap allocation is counted, so that a benchmark can read the peak.
namespace {
std::atomic<long long> g_heapBytes{0};
std::atomic<long long> g_heapPeak{0};
}  // namespace

void* operator new(std::size_t size) {
    void* p = std::malloc(size != 0 ? size : 1);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    const long long now = g_heapBytes += static_cast<long long>(malloc_usable_size(p));
    long long peak = g_heapPeak.load(std::memory_order_relaxed);
    while (now > peak && !g_heapPeak.compare_exchange_weak(peak, now)) {
    }
    return p;
}

void operator delete(void* p) noexcept {
    if (p != nullptr) {
        g_heapBytes -= static_cast<long long>(malloc_usable_size(p));
        std::free(p);
    }
}

void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}

namespace {

constexpr long long kMiB = 1024LL * 1024;

const std::string& ScratchDir() {
    // Never destroyed, so that the exit handler can still read it.
    static const std::string* dir = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tovrik-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        std::atexit([] { std::filesystem::remove_all(ScratchDir()); });
        return new std::string(pattern);
    }();
    return *dir;
}

// A configuration of about 'bytes' bytes: a header, 80-byte S3 lines, an end line.
std::string MakeConfig(long long bytes) {
    static std::map<long long, std::string> made;
    auto& path = made[bytes];
    if (!path.empty()) {
        return path;
    }
    path = ScratchDir() + "/config-" + std::to_string(bytes) + ".s19";
    std::ofstream out(path, std::ios::binary);
    out << "S01E00005141524E2D34204346472056322E31342053495445203031313720C5\r\n";
    char line[96];
    const auto lines = static_cast<unsigned long long>((bytes - 82) / 80);
    for (unsigned long long n = 0; n < lines; ++n) {
        const auto address = static_cast<unsigned>(n * 32);
        std::snprintf(line, sizeof line, "S325%08X%016llX%016llX%016llX%016llX%02X\r\n", address,
                      n * 0x9E3779B97F4A7C15ULL, ~n * 0x2545F4914F6CDD1DULL, n * 3ULL,
                      n ^ 0xFFFF0000FFFFULL, static_cast<unsigned>(n & 0xFF));
        out << line;
    }
    out << "S70500000000FA\r\n";
    return path;
}

void Load(CQARNCfgDoc& doc, const std::string& path, benchmark::State& state) {
    if (const std::error_code error = doc.OnOpenDocument(path)) {
        state.SkipWithError(error.message().c_str());
    }
}

void BM_LoadFullConfig(benchmark::State& state) {
    CQARNCfgDoc doc;
    for (auto _ : state) {
        Load(doc, TOVRIK_SAMPLE_S19, state);
    }
    state.counters["records"] = static_cast<double>(g_recordList.GetCount());
    state.SetBytesProcessed(state.iterations() * doc.m_nFileSize);
}
BENCHMARK(BM_LoadFullConfig)->Unit(benchmark::kMicrosecond);

// The check that runs at every open, download and end of an upload.
void BM_CheckFullConfig(benchmark::State& state) {
    CQARNCfgDoc doc;
    Load(doc, TOVRIK_SAMPLE_S19, state);
    bool bWhole = false;
    for (auto _ : state) {
        const CConfigCheck check(doc);
        bWhole = check.IsWhole();
        benchmark::DoNotOptimize(bWhole);
    }
    if (!bWhole) {
        state.SkipWithError("the sample is not whole");
    }
    state.counters["records"] = static_cast<double>(g_recordList.GetCount());
    state.SetBytesProcessed(state.iterations() * doc.m_nFileSize);
}
BENCHMARK(BM_CheckFullConfig)->Unit(benchmark::kMicrosecond);

// Includes the fsync and the rename that make a save safe.
void BM_SaveFullConfig(benchmark::State& state) {
    CQARNCfgDoc doc;
    Load(doc, TOVRIK_SAMPLE_S19, state);
    const std::string out = ScratchDir() + "/saved.s19";
    for (auto _ : state) {
        if (const std::error_code error = doc.OnSaveDocument(out)) {
            state.SkipWithError(error.message().c_str());
        }
    }
    state.SetBytesProcessed(state.iterations() * doc.m_nFileSize);
}
BENCHMARK(BM_SaveFullConfig)->Unit(benchmark::kMicrosecond);

// The sample against itself (identical: every line is looked at), and against
// a changed copy: another header, one byte changed, one line gone.
void BM_CompareFullConfigs(benchmark::State& state) {
    CConfiguration first;
    CConfiguration second;
    std::string copy = TOVRIK_SAMPLE_S19;
    if (state.range(0) != 0) {
        std::ifstream in(TOVRIK_SAMPLE_S19, std::ios::binary);
        copy = ScratchDir() + "/changed.s19";
        std::ofstream out(copy, std::ios::binary);
        std::string line;
        for (int n = 1; std::getline(in, line); ++n) {
            if (n == 1) {
                line.replace(line.find("3134"), 4, "3135");  // V2.14 becomes V2.15
            } else if (n == 2000) {
                line[20] = line[20] == '0' ? '1' : '0';
            } else if (n == 1200) {
                continue;
            }
            out << line << '\n';
        }
    }
    if (first.Load(TOVRIK_SAMPLE_S19) || second.Load(copy)) {
        state.SkipWithError("cannot load the configurations");
        return;
    }
    std::size_t differences = 0;
    for (auto _ : state) {
        const CConfigCompare compare(first, second);
        differences = compare.Differences().size();
        benchmark::DoNotOptimize(differences);
    }
    state.counters["differences"] = static_cast<double>(differences);
}
BENCHMARK(BM_CompareFullConfigs)->ArgName("changed")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_LoadBySize(benchmark::State& state) {
    const std::string path = MakeConfig(state.range(0));
    CQARNCfgDoc doc;
    for (auto _ : state) {
        Load(doc, path, state);
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadBySize)
    ->RangeMultiplier(4)
    ->Range(64LL * 1024, 64 * kMiB)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// Heap in use at the worst moment of a 64 MiB load, per byte of the file.
void BM_LoadPeakHeap64MiB(benchmark::State& state) {
    const std::string path = MakeConfig(64 * kMiB);
    for (auto _ : state) {
        CQARNCfgDoc doc;
        const long long before = g_heapBytes;
        g_heapPeak = before;
        Load(doc, path, state);
        state.counters["peak_per_file_byte"] =
            static_cast<double>(g_heapPeak - before) / doc.m_nFileSize;
        state.counters["peak_MiB"] = static_cast<double>(g_heapPeak - before) / kMiB;
    }
}
BENCHMARK(BM_LoadPeakHeap64MiB)->Iterations(1)->Unit(benchmark::kMillisecond);

long MaxRssKiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int PeakRss() {
    const std::string path = MakeConfig(64 * kMiB);
    const long before = MaxRssKiB();
    CQARNCfgDoc doc;
    if (const std::error_code error = doc.OnOpenDocument(path)) {
        std::fprintf(stderr, "%s\n", error.message().c_str());
        return 1;
    }
    const double grown = static_cast<double>(MaxRssKiB() - before) * 1024;
    std::printf("64 MiB load: %zu records, resident set grew %.1f MiB = %.2f x file size\n",
                g_recordList.GetCount(), grown / kMiB, grown / doc.m_nFileSize);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--peak-rss") == 0) {
        return PeakRss();
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
