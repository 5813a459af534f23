// Editor operations on the ~100 MB, ~2 million line text: typing, Enter and
// Backspace at the middle and the end; SelectAll + SelectedText against one
// copy of the text; SetSelStart/SelStart near the end; copying a box; undo
// and redo of a paste of 100,000 lines.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>

#include "BenchData.h"
#include "editor/Editor.h"

using editor::TEditor;

namespace {

TEditor& Loaded() { return bench::LoadedSourceEditor(); }

int Row(benchmark::State& state) {
    TEditor& ed = Loaded();
    int r = state.range(0) == 0 ? ed.RowCount() / 2 : ed.RowCount() - 40;
    while (ed.RowText(r).size() < 12 || ed.RowText(r).find('\t') != std::string::npos) ++r;
    return r;
}

void Label(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * 2);
    state.SetLabel(state.range(0) == 0 ? "middle, 2 edits per iteration" : "end, 2 edits per iteration");
}

// A character typed and taken back with Backspace.
void BM_TypeAndBackspace(benchmark::State& state) {
    TEditor& ed = Loaded();
    int r = Row(state);
    for (auto _ : state) {
        ed.SetRowCol(r, 5);
        ed.InsertText("x");
        ed.Backspace();
    }
    Label(state);
}
BENCHMARK(BM_TypeAndBackspace)->Arg(0)->Arg(1)->MinTime(0.2)->Repetitions(7)->ReportAggregatesOnly(true);

// Enter splits a row, Backspace at the start of the new row joins it again.
void BM_EnterAndJoin(benchmark::State& state) {
    TEditor& ed = Loaded();
    int r = Row(state);
    for (auto _ : state) {
        ed.SetRowCol(r, 5);
        ed.Enter(false);
        ed.SetRowCol(r + 1, 0);
        ed.Backspace();
    }
    Label(state);
}
BENCHMARK(BM_EnterAndJoin)->Arg(0)->Arg(1)->MinTime(0.2)->Repetitions(7)->ReportAggregatesOnly(true);

void BM_SelectAllAndText(benchmark::State& state) {
    TEditor& ed = Loaded();
    size_t bytes = 0;
    for (auto _ : state) {
        ed.SelectAll();
        std::string text = ed.SelectedText();
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    ed.ClearSelection();
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_SelectAllAndText)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CopyTextOnceBaseline(benchmark::State& state) {
    std::string text = Loaded().GetText();
    for (auto _ : state) {
        std::string copy = text;
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_CopyTextOnceBaseline)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SelStartNearEnd(benchmark::State& state) {
    TEditor& ed = Loaded();
    int64_t target = ed.TextLength() - 1000;
    for (auto _ : state) {
        ed.SetSelStart(target);
        benchmark::DoNotOptimize(ed.SelStart());
    }
}
BENCHMARK(BM_SelStartNearEnd)->Unit(benchmark::kMicrosecond)->Repetitions(7)->ReportAggregatesOnly(true);

void BM_BoxCopy1000x40(benchmark::State& state) {
    TEditor& ed = Loaded();
    int r = ed.RowCount() / 3;
    size_t bytes = 0;
    for (auto _ : state) {
        ed.SetSelectionMode(editor::smBox);
        ed.SetRowCol(r, 2);
        ed.StartSelection();
        ed.SetRowCol(r + 999, 42);
        ed.Extend();
        bytes = ed.SelectedText().size();
        ed.ClearSelection();
        ed.SetSelectionMode(editor::smNormal);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_BoxCopy1000x40)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// A paste of 100,000 lines (about 5 MB of the text's own lines) into the
// middle and near the end, undone and redone: each is one record, so each
// costs the rows it puts back, not the text's two million. The manual time
// is one undo plus one redo; the counters give each alone.
void BM_UndoRedoPaste100k(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    TEditor& ed = Loaded();
    const int r = Row(state);
    const std::string pasted = ed.Store().GatherText(ed.RowCount() / 4, 100000).text;
    ed.SetRowCol(r, 5);
    ed.InsertText(pasted);
    const int rows = ed.RowCount();
    double undoSeconds = 0, redoSeconds = 0;
    for (auto _ : state) {
        const Clock::time_point t0 = Clock::now();
        ed.Undo();
        const Clock::time_point t1 = Clock::now();
        ed.Redo();
        const Clock::time_point t2 = Clock::now();
        undoSeconds += std::chrono::duration<double>(t1 - t0).count();
        redoSeconds += std::chrono::duration<double>(t2 - t1).count();
        state.SetIterationTime(std::chrono::duration<double>(t2 - t0).count());
    }
    if (ed.RowCount() != rows) state.SkipWithError("redo did not bring the paste back");
    ed.Undo();
    const double n = static_cast<double>(state.iterations());
    state.counters["undo_ms"] = undoSeconds * 1000 / n;
    state.counters["redo_ms"] = redoSeconds * 1000 / n;
    state.SetLabel(state.range(0) == 0 ? "middle" : "end");
}
BENCHMARK(BM_UndoRedoPaste100k)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
