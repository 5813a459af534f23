// Painting a 120 × 60-cell window of coloured source (the core onto a
// canvas that only counts, and through QPainter into an offscreen image),
// and the colouring state work of typing inside a block comment at the top
// of the 2-million-line text and of loading it.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <memory>

#include "BenchData.h"
#include "Fonts.h"
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
    editor::TEditorViewInfo& v = ed.View();
    v.BeginUpdate();
    editor::TEditorColors c = v.Colors();
    c.comment = {editor::clWhite, editor::clRed, 0};
    c.reserve = {editor::clWhite, editor::clBlue, 0};
    c.symbol = {editor::clWhite, 0x800080, 0};
    v.SetColors(c);
    v.SetBrackets({{"/*", "*/", {editor::clWhite, editor::clRed, 0}}});
    v.SetCommenter("//");
    v.SetQuotation("\"");
    v.SetHexPrefix("0x;0X");
    ed.SetReserveWordList({"int", "if", "while", "return", "string", "for", "void"});
    v.EndUpdate();
    editor::TEditorLeftbar bar;
    bar.visible = true;
    ed.SetLeftbar(bar);
    editor::TEditorMarks marks;
    marks.eofMark = marks.retMark = marks.underline = {editor::clGray, true};
    ed.SetMarks(marks);
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
    for (auto _ : state) {
        QPainter p(&image);
        gui::QtCanvas canvas(p, font, 13);
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

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
