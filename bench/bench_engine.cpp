// Load throughput against a bare read plus iconv, and Advance in steady reading and at its worst;
// prints the Google Benchmark results, then a table of the figures beside their goals.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "novel_text.h"
#include "table.h"
#include "text_loader.h"

namespace {

const char kNovelPath[] = "novel_936.txt";
std::size_t gNovelBytes = 0;

void Load(benchmark::State& state) {
    ReadingCursor cursor;
    for (auto _ : state) {
        LoadTextFile(cursor, L"novel_936.txt");
        benchmark::DoNotOptimize(cursor.text.data());
    }
    if (cursor.text.size() < gNovelBytes / 2) state.SkipWithError("the novel did not load");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gNovelBytes));
}

// The least any loader must do: read the bytes and convert them once.
void ReadAndIconv(benchmark::State& state) {
    for (auto _ : state) {
        std::FILE* f = std::fopen(kNovelPath, "rb");
        std::string bytes(gNovelBytes, '\0');
        const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        iconv_t cd = iconv_open("UTF-16LE", "CP936");
        std::vector<char16_t> out(got + 1);
        char* in = bytes.data();
        std::size_t inLeft = got;
        char* outPtr = reinterpret_cast<char*>(out.data());
        std::size_t outLeft = out.size() * sizeof(char16_t);
        iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        iconv_close(cd);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gNovelBytes));
}

void AdvanceSteady(benchmark::State& state) {
    ReadingCursor cursor;
    LoadTextFile(cursor, L"novel_936.txt");
    for (auto _ : state) {
        Advance(cursor, 26);
        benchmark::DoNotOptimize(cursor.display.data());
    }
}

const ReadingText& EmptyLines() {
    static const ReadingText text(5'000'000, u'\n');
    return text;
}

// One call that has to pass over every line of a text with nothing to show.
void AdvanceOverEmptyLines(benchmark::State& state) {
    ReadingCursor cursor;
    cursor.text = EmptyLines();
    for (auto _ : state) {
        cursor.offset = 0;
        Advance(cursor, 13);
        benchmark::DoNotOptimize(cursor.display.data());
    }
}

void ScanOverEmptyLines(benchmark::State& state) {
    const ReadingText& text = EmptyLines();
    for (auto _ : state) benchmark::DoNotOptimize(std::find(text.begin(), text.end(), u'x'));
}

BENCHMARK(Load)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(ReadAndIconv)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(AdvanceSteady);
BENCHMARK(AdvanceOverEmptyLines)->Unit(benchmark::kMillisecond);
BENCHMARK(ScanOverEmptyLines)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's seconds per iteration for the table.
class Recorder : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> seconds;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.iterations > 0) seconds[run.run_name.function_name] = run.real_accumulated_time / run.iterations;
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    gNovelBytes = novel::WriteNovel(kNovelPath);
    benchmark::Initialize(&argc, argv);
    Recorder recorder;
    benchmark::RunSpecifiedBenchmarks(&recorder);
    auto& s = recorder.seconds;
    const double mb = gNovelBytes / 1e6;
    const double loadRatio = s["Load"] / s["ReadAndIconv"];
    const double worstRatio = s["AdvanceOverEmptyLines"] / s["ScanOverEmptyLines"];
    std::printf("\n");  // the console reporter leaves a colour reset at the start of the line
    table::Row("Load, 30 MB code page 936 (native)", table::Format("%.0f MB/s", mb / s["Load"]), "", true);
    table::Row("  bare read + iconv, same bytes", table::Format("%.0f MB/s", mb / s["ReadAndIconv"]), "", true);
    table::Row("  load time / (read + iconv)", table::Format("%.2fx", loadRatio), "<= 1.5x", loadRatio <= 1.5);
    table::Row("Advance, steady reading (26)", table::Format("%.0f ns/call", s["AdvanceSteady"] * 1e9), "", true);
    table::Row("Advance over 5,000,000 empty lines",
               table::Format("%.2f ms", s["AdvanceOverEmptyLines"] * 1e3), "", true);
    table::Row("  std::find over the same text", table::Format("%.2f ms", s["ScanOverEmptyLines"] * 1e3), "", true);
    table::Row("  worst Advance / plain scan", table::Format("%.1fx", worstRatio), "<= 10x", worstRatio <= 10);
    // For the Windows figure's ratio, read by scripts/bench.
    if (std::FILE* f = std::fopen("native_load_mbps", "w")) {
        std::fprintf(f, "%.1f\n", mb / s["Load"]);
        std::fclose(f);
    }
    benchmark::Shutdown();
    return 0;
}
