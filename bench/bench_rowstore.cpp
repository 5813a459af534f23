// Row store benchmarks on a ~100 MB, ~2 million line Shift-JIS text:
// loading (against a plain vector-of-strings loader), peak memory of a load,
// saving (against one write), single edits at the middle and the end, and the
// text offset queries right after an edit.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "BenchData.h"
#include "editor/Editor.h"
#include "platform/FileIO.h"

using editor::TEditor;

namespace {

// The baseline: one read, a pre-reserved vector, one string per line.
std::vector<std::string> LoadVector(const std::string& path) {
    std::string all = platform::ReadWholeFile(path);
    size_t lines = 0;
    for (char c : all) lines += c == '\n';
    std::vector<std::string> rows;
    rows.reserve(lines + 1);
    size_t start = 0;
    while (start < all.size()) {
        size_t nl = all.find('\n', start);
        if (nl == std::string::npos) nl = all.size();
        size_t end = nl > start && all[nl - 1] == '\r' ? nl - 1 : nl;
        rows.emplace_back(all, start, end - start);
        start = nl + 1;
    }
    return rows;
}

TEditor& Loaded() {
    static std::unique_ptr<TEditor> editor = [] {
        auto ed = std::make_unique<TEditor>();
        ed->Lines().LoadFromFile(bench::SourceFile());
        return ed;
    }();
    return *editor;
}

std::string SelfPath() {
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return std::string(buf, n > 0 ? static_cast<size_t>(n) : 0);
}

int64_t FileSize(const std::string& path) {
    return static_cast<int64_t>(platform::ReadFileBlock(path).size);
}

void BM_LoadFromFile(benchmark::State& state) {
    std::string path = bench::SourceFile();
    for (auto _ : state) {
        TEditor ed;
        ed.Lines().LoadFromFile(path);
        benchmark::DoNotOptimize(ed.RowCount());
    }
    state.SetBytesProcessed(state.iterations() * FileSize(path));
}
BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_LoadVectorBaseline(benchmark::State& state) {
    std::string path = bench::SourceFile();
    for (auto _ : state) {
        auto rows = LoadVector(path);
        benchmark::DoNotOptimize(rows.size());
    }
    state.SetBytesProcessed(state.iterations() * FileSize(path));
}
BENCHMARK(BM_LoadVectorBaseline)->Unit(benchmark::kMillisecond)->Iterations(5);

// Peak memory of one load, measured in a fresh process so nothing else counts.
void BM_LoadPeakMemory(benchmark::State& state) {
    std::string path = bench::SourceFile();
    const char* kind = state.range(0) == 0 ? "store" : "vector";
    double peak = 0;
    for (auto _ : state) {
        std::string cmd = "'" + SelfPath() + "' --measure-load=" + std::string(kind) + " '" + path + "'";
        FILE* p = ::popen(cmd.c_str(), "r");
        long long bytes = 0;
        if (p && std::fscanf(p, "%lld", &bytes) == 1) peak = static_cast<double>(bytes);
        if (p) ::pclose(p);
    }
    double size = static_cast<double>(FileSize(path));
    state.counters["peak_MiB"] = peak / (1 << 20);
    state.counters["file_MiB"] = size / (1 << 20);
    state.counters["peak_per_file"] = peak / size;
    state.SetLabel(kind);
}
BENCHMARK(BM_LoadPeakMemory)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_SaveToFile(benchmark::State& state) {
    TEditor& ed = Loaded();
    std::string out = bench::SourceFile() + ".saved";
    for (auto _ : state) ed.Lines().SaveToFile(out);
    state.SetBytesProcessed(state.iterations() * ed.Store().TextLength());
    ::unlink(out.c_str());
}
BENCHMARK(BM_SaveToFile)->Unit(benchmark::kMillisecond)->Iterations(5);

// The baseline: the same bytes already joined, one write(), with and without fsync.
void BM_WriteOnceBaseline(benchmark::State& state) {
    std::string bytes = Loaded().Store().GetText();
    std::string out = bench::SourceFile() + ".plain";
    for (auto _ : state) {
        int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        benchmark::DoNotOptimize(n);
        if (state.range(0)) ::fsync(fd);
        ::close(fd);
    }
    state.SetLabel(state.range(0) ? "write+fsync" : "write");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
    ::unlink(out.c_str());
}
BENCHMARK(BM_WriteOnceBaseline)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

// A row of ordinary length at the middle or near the end.
int EditRow(benchmark::State& state) {
    TEditor& ed = Loaded();
    int rows = ed.RowCount();
    int r = state.range(0) == 0 ? rows / 2 : rows - 40;
    while (ed.RowText(r).size() < 10) ++r;
    return r;
}

// Each iteration makes two edits: the time per edit is half the reported time.
void SetPerEdit(benchmark::State& state, int editsPerIteration) {
    state.SetItemsProcessed(state.iterations() * editsPerIteration);
    state.SetLabel(state.range(0) == 0 ? "middle, 2 edits per iteration" : "end, 2 edits per iteration");
}

// A character typed into a row and taken out again.
void BM_EditTypeCharacter(benchmark::State& state) {
    TEditor& ed = Loaded();
    int r = EditRow(state);
    std::string row(ed.RowText(r));
    std::string typed = row.substr(0, 5) + "x" + row.substr(5) + "\r\n";
    std::string plain = row + "\r\n";
    for (auto _ : state) {
        ed.Store().ReplaceRows(r, 1, typed);
        ed.Store().ReplaceRows(r, 1, plain);
    }
    SetPerEdit(state, 2);
}
BENCHMARK(BM_EditTypeCharacter)->Arg(0)->Arg(1)->MinTime(0.2)->Repetitions(9)->ReportAggregatesOnly(true);

// A line break inserted (one row becomes two) and removed (two become one).
void BM_EditLineBreak(benchmark::State& state) {
    TEditor& ed = Loaded();
    int r = EditRow(state);
    std::string row(ed.RowText(r));
    std::string split = row.substr(0, 5) + "\r\n" + row.substr(5) + "\r\n";
    std::string left = row.substr(0, 5);
    for (auto _ : state) {
        ed.Store().ReplaceRows(r, 1, split);
        ed.Store().ReplaceRows(r, 1, left);  // no line break: joins the next row
    }
    SetPerEdit(state, 2);
}
BENCHMARK(BM_EditLineBreak)->Arg(0)->Arg(1)->MinTime(0.2)->Repetitions(9)->ReportAggregatesOnly(true);

// Offset queries near the end, each right after an edit in the middle.
void BM_OffsetQueryAfterEdit(benchmark::State& state) {
    TEditor& ed = Loaded();
    int mid = ed.RowCount() / 2;
    while (ed.RowText(mid).empty()) ++mid;
    std::string row(ed.RowText(mid));
    std::string variants[2] = {row + "y\r\n", row + "\r\n"};
    int k = 0;
    for (auto _ : state) {
        ed.Store().ReplaceRows(mid, 1, variants[k ^= 1]);
        int rows = ed.RowCount();
        auto t0 = std::chrono::steady_clock::now();
        if (state.range(0) == 0) {
            benchmark::DoNotOptimize(ed.Store().RowOffset(rows - 5));
        } else {
            benchmark::DoNotOptimize(ed.Store().RowOfOffset(ed.Store().TextLength() - 300));
        }
        auto t1 = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    }
    state.SetLabel(state.range(0) == 0 ? "offset of row" : "row of offset");
}
BENCHMARK(BM_OffsetQueryAfterEdit)
    ->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(200000)->Repetitions(9)
    ->ReportAggregatesOnly(true);

// Word wrap switched on (W = 80) over the loaded text: every row is laid out
// anew, against BM_LoadFromFile's time in the same binary.
void BM_WrapAll(benchmark::State& state) {
    std::string path = bench::SourceFile();
    int rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto ed = std::make_unique<TEditor>();
        ed->Lines().LoadFromFile(path);
        state.ResumeTiming();
        ed->SetWordWrap(true);
        state.PauseTiming();
        rows = ed->RowCount();
        ed.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
}
BENCHMARK(BM_WrapAll)->Unit(benchmark::kMillisecond)->Iterations(3);

// Word wrap switched off again: the wrapped rows joined into lines.
void BM_UnwrapAll(benchmark::State& state) {
    std::string path = bench::SourceFile();
    for (auto _ : state) {
        state.PauseTiming();
        auto ed = std::make_unique<TEditor>();
        ed->Lines().LoadFromFile(path);
        ed->SetWordWrap(true);
        state.ResumeTiming();
        ed->SetWordWrap(false);
        state.PauseTiming();
        ed.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_UnwrapAll)->Unit(benchmark::kMillisecond)->Iterations(3);

// Typing in the middle of a wrapped paragraph of 10,000 columns: each
// iteration is one keystroke, a character typed or taken out again.
void BM_TypeInWrappedParagraph(benchmark::State& state) {
    std::string paragraph;
    for (int i = 0; paragraph.size() < 10000; ++i) paragraph += i % 7 == 0 ? "\x93\xFC\x97\xCD " : "word ";
    paragraph.resize(10000);
    TEditor ed;
    ed.SetVisibleRows(40);
    ed.SetWordWrap(true);
    ed.Lines().SetTextStr("before\r\n" + paragraph + "\r\nafter\r\n");
    const int row = 1 + (ed.RowCount() - 3) / 2;
    ed.SetRowCol(row, 10);
    bool typed = false;
    for (auto _ : state) {
        if (typed) ed.Backspace();
        else ed.InsertText("x");
        typed = !typed;
    }
    state.counters["rows"] = ed.RowCount();
}
BENCHMARK(BM_TypeInWrappedParagraph)->Unit(benchmark::kMicrosecond)->MinTime(0.2)->Repetitions(9)
    ->ReportAggregatesOnly(true);

int MeasureLoad(const std::string& kind, const std::string& path) {
    int64_t before = bench::CurrentRss();
    size_t rows = 0;
    if (kind == "store") {
        TEditor ed;
        ed.Lines().LoadFromFile(path);
        rows = static_cast<size_t>(ed.RowCount());
    } else {
        rows = LoadVector(path).size();
    }
    std::printf("%lld %zu\n", static_cast<long long>(bench::PeakRss() - before), rows);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strncmp(argv[1], "--measure-load=", 15) == 0) return MeasureLoad(argv[1] + 15, argv[2]);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
