// The editor's Search over the ~100 MB, ~2 million line text, forward
// and backward through the whole text for a pattern that is not there
// (the worst case: every chunk built and scanned), with width and case
// ignored and with plain options; FindInBuffer over the text in one piece
// for comparison.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "BenchData.h"
#include "editor/Editor.h"
#include "platform/ShiftJis.h"

using namespace editor;

namespace {

TEditor& Loaded() { return bench::LoadedSourceEditor(); }

// Starts with a letter that is frequent in the text, so most candidates
// get past the first character.
const std::string kAbsent = platform::Utf8ToSjis("ｅｎｄＸ（漢字）");

TSearchOptions Options(const benchmark::State& state) {
    return static_cast<TSearchOptions>(state.range(0) ? soIgnoreWidth : soMatchCase);
}

void BM_SearchForward(benchmark::State& state) {
    TEditor& ed = Loaded();
    for (auto _ : state) {
        ed.SetRowCol(0, 0);
        if (ed.Search(kAbsent, soDown | Options(state))) state.SkipWithError("found");
    }
    state.SetBytesProcessed(state.iterations() * ed.TextLength());
    state.SetLabel(state.range(0) ? "soIgnoreWidth" : "soMatchCase");
}
BENCHMARK(BM_SearchForward)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SearchBackward(benchmark::State& state) {
    TEditor& ed = Loaded();
    for (auto _ : state) {
        ed.SetRowCol(ed.RowCount(), 0);
        if (ed.Search(kAbsent, Options(state))) state.SkipWithError("found");
    }
    state.SetBytesProcessed(state.iterations() * ed.TextLength());
    state.SetLabel(state.range(0) ? "soIgnoreWidth" : "soMatchCase");
}
BENCHMARK(BM_SearchBackward)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FindInBufferWhole(benchmark::State& state) {
    static const std::string text = bench::MakeSourceText();
    for (auto _ : state) {
        TSearchPos pos{0, 0};
        if (FindInBuffer(text, pos, kAbsent, soDown | Options(state))) state.SkipWithError("found");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
    state.SetLabel(state.range(0) ? "soIgnoreWidth" : "soMatchCase");
}
BENCHMARK(BM_FindInBufferWhole)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
