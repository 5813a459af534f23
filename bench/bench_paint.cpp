// Painting a 120 × 60-cell window of coloured source (the core onto a
// canvas that only counts, and through QPainter into an offscreen image),
// and the colouring state work of typing inside a block comment at the top
// of the 2-million-line text and of loading it, and the states brought up
// to date in slices after such an edit.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>

#include "BenchData.h"
#include "ImageWindow.h"
#include "Fonts.h"
#include "QtBenchMain.h"
#include "QtCanvas.h"
#include "editor/Editor.h"
#include "editor/EditorPainter.h"

using editor::TEditor;

namespace {

class CountingCanvas : public editor::Canvas {
public:
    long calls = 0;
    void FillRect(const editor::TRect&, editor::TColor) override { ++calls; }
    void TextRun(int, int, std::string_view bytes, int, editor::TColor, uint8_t) override { calls += 1 + static_cast<long>(bytes.size() / 64); }
    void Line(int, int, int, int, editor::TColor) override { ++calls; }
};

void Configure(TEditor& ed) {
    bench::ConfigureSourceEditor(ed);
}

// A window showing 120 × 60 cells.
void Layout(TEditor& ed) {
    ed.RecomputeMetrics(16, 8, 0, 0);
    const editor::TPaintMetrics& m = ed.Metrics();
    ed.RecomputeMetrics(16, 8, m.leftMargin + 120 * 8 + 4, m.topMargin + 60 * m.rowHeight + 5);
}

TEditor& Loaded() {
    static std::unique_ptr<TEditor> ed = [] {
        auto e = std::make_unique<TEditor>();
        Configure(*e);
        Layout(*e);
        e->Lines().LoadFromFile(bench::SourceFile());
        return e;
    }();
    return *ed;
}

void BM_PaintWindowCore(benchmark::State& state) {
    TEditor& ed = Loaded();
    ed.SetTopRow(1000);
    CountingCanvas canvas;
    for (auto _ : state) {
        editor::TEditorPainter painter(ed);
        painter.Paint(canvas, {0, 0, ed.ClientWidth(), ed.ClientHeight()}, true);
    }
    state.counters["calls_per_paint"] = static_cast<double>(canvas.calls) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_PaintWindowCore)->Unit(benchmark::kMicrosecond)->Repetitions(7)->ReportAggregatesOnly(true);

void BM_PaintWindowQPainter(benchmark::State& state) {
    TEditor& ed = Loaded();
    ed.SetTopRow(1000);
    QImage image(ed.ClientWidth(), ed.ClientHeight(), QImage::Format_RGB32);
    QFont font = gui::EditorFont("ＭＳ ゴシック", 10);
    QRawFont raw = QRawFont::fromFont(font);
    for (auto _ : state) {
        QPainter p(&image);
        gui::QtCanvas canvas(p, font, raw, 13);
        editor::TEditorPainter painter(ed);
        painter.Paint(canvas, {0, 0, ed.ClientWidth(), ed.ClientHeight()}, true);
    }
}
BENCHMARK(BM_PaintWindowQPainter)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

// Typing "/*" and taking it back on the first row: the rows rescanned per edit.
void BM_TypeBlockCommentAtTop(benchmark::State& state) {
    TEditor& ed = Loaded();
    ed.SetVisibleRows(60);
    ed.SetTopRow(0);
    ed.Store().ResetScannedRows();
    long edits = 0;
    for (auto _ : state) {
        ed.SetRowCol(0, 0);
        ed.InsertText("/*");
        ed.Backspace();
        ed.Backspace();
        edits += 3;
    }
    state.counters["rows_scanned_per_edit"] =
        static_cast<double>(ed.Store().ScannedRows()) / static_cast<double>(edits);
}
BENCHMARK(BM_TypeBlockCommentAtTop)->Unit(benchmark::kMicrosecond)->Iterations(200);


// One row down, as the arrow key at the bottom of the window scrolls: the
// pixels move and the uncovered row is painted.
void BM_ScrollOneRowAndPaint(benchmark::State& state) {
    TEditor& ed = Loaded();
    ed.SetTopRow(1'000'000);
    bench::ImageWindow window(ed);
    window.pixels = 0;
    long steps = 0;
    for (auto _ : state) {
        ed.SetTopRow(ed.TopRow() + 1);
        window.UpdateNow();
        ++steps;
    }
    state.counters["pixels_painted_per_step"] = static_cast<double>(window.pixels) / static_cast<double>(steps);
    state.counters["window_pixels"] = ed.ClientWidth() * ed.ClientHeight();
}
BENCHMARK(BM_ScrollOneRowAndPaint)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

// A character typed and taken back, and a line broken and joined again, in
// the middle of the 2-million-line text, each followed by painting what it
// invalidated.
void BM_EditMiddleAndPaint(benchmark::State& state) {
    TEditor& ed = Loaded();
    ed.SetTopRow(1'000'000);
    ed.SetRowCol(1'000'020, 4);
    bench::ImageWindow window(ed);
    window.pixels = 0;
    long edits = 0;
    const bool lineBreak = state.range(0) != 0;
    for (auto _ : state) {
        if (lineBreak) ed.Enter(false);
        else ed.InsertText("x");
        window.UpdateNow();
        ed.Backspace();
        window.UpdateNow();
        edits += 2;
    }
    state.counters["pixels_painted_per_edit"] = static_cast<double>(window.pixels) / static_cast<double>(edits);
}
BENCHMARK(BM_EditMiddleAndPaint)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_LoadThenFullScanRows(benchmark::State& state) {
    TEditor ed;
    Configure(ed);
    Layout(ed);
    for (auto _ : state) {
        ed.Store().ResetScannedRows();
        ed.Lines().LoadFromFile(bench::SourceFile());
    }
    state.counters["rows_scanned"] = static_cast<double>(ed.Store().ScannedRows());
    state.counters["rows"] = ed.RowCount();
}
BENCHMARK(BM_LoadThenFullScanRows)->Unit(benchmark::kMillisecond)->Iterations(2);

// Ctrl+End right after loading: the colouring states of every row up to the
// last one are brought up to date once.
void BM_ColourStatesUpToTheLastRow(benchmark::State& state) {
    TEditor ed;
    Configure(ed);
    Layout(ed);
    ed.Lines().LoadFromFile(bench::SourceFile());
    for (auto _ : state) {
        state.PauseTiming();
        ed.Store().FullScan();
        state.ResumeTiming();
        ed.Store().EnsureState(ed.RowCount() - 1);
    }
    state.counters["rows"] = ed.RowCount();
}
BENCHMARK(BM_ColourStatesUpToTheLastRow)->Unit(benchmark::kMillisecond)->Iterations(3);

// A block comment opened on the first row changes the state of every row
// below; the states are then brought up to date in 10 ms slices, as the
// window does while idle. The time is from the edit until the states are
// complete; the counters give the longest slice and how many there were.
void BM_StatesInSlicesAfterAnEditAtTheTop(benchmark::State& state) {
    TEditor ed;
    Configure(ed);
    Layout(ed);
    ed.Lines().LoadFromFile(bench::SourceFile());
    while (ed.UpdateStatesSlice(1000)) {}
    using Clock = std::chrono::steady_clock;
    double longest = 0, slices = 0, jumpAfter = 0;
    bool open = false;
    for (auto _ : state) {
        ed.SetRowCol(0, 0);
        if (open) {
            ed.DeleteKey();
            ed.DeleteKey();
        } else {
            ed.InsertText("/*");
        }
        open = !open;
        for (bool more = true; more;) {
            const Clock::time_point t0 = Clock::now();
            more = ed.UpdateStatesSlice(10);
            longest = std::max(longest, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
            ++slices;
        }
        // Ctrl+End then finds the states done.
        const Clock::time_point t0 = Clock::now();
        ed.Store().EnsureState(ed.RowCount() - 1);
        jumpAfter = std::max(jumpAfter, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    state.counters["longest_slice_ms"] = longest;
    state.counters["slices_per_edit"] = slices / static_cast<double>(state.iterations());
    state.counters["ctrl_end_after_ms"] = jumpAfter;
    state.counters["rows"] = ed.RowCount();
}
BENCHMARK(BM_StatesInSlicesAfterAnEditAtTheTop)->Unit(benchmark::kMillisecond)->Iterations(4);

}  // namespace

VKB_QT_BENCHMARK_MAIN()
