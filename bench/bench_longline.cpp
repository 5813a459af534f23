// Keys and repaints on one 20 MB line, the whole text: typing, Backspace,
// Delete and Ctrl+Right at column 500, each followed by painting what it
// invalidated into an offscreen image, and one repaint of the whole window.
// The same keys on a 20 MB line with short rows below it, whose states
// follow from the long row's end state.
// Each should cost what it touches near the caret and on screen, not the
// row's length; the memory counters show whether anything grows per key.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <memory>
#include <string>

#include "BenchData.h"
#include "ImageWindow.h"
#include "Fonts.h"
#include "QtBenchMain.h"
#include "QtCanvas.h"
#include "editor/Editor.h"
#include "editor/EditorPainter.h"

using editor::TEditor;

namespace {

constexpr size_t kLineBytes = 20u << 20;

// Source-like bytes without a line break: code, TABs, comments, strings and
// double-byte text. A "//" comment ends the scan of the row where it starts,
// so `lineComments` off makes the scanner go over all of it.
std::string LongLine(bool lineComments = true) {
    static const char* const pieces[] = {
        "int value = 42; ", "\t", "/* a comment */ ", "s = \"text\"; ", "\x93\xfa\x96\x7b\x8c\xea ",
        "while (x < 0x1F) ", "// not to the end ", "return y; ",
    };
    static const char* const noLineComment = "if (a[i] > 9) ";
    std::string s;
    s.reserve(kLineBytes + 64);
    for (size_t i = 0; s.size() < kLineBytes; ++i) {
        const size_t k = (i * 7 + i / 3) % 8;
        s += k == 6 && !lineComments ? noLineComment : pieces[k];
    }
    s.resize(kLineBytes);
    return s;
}

void Configure(TEditor& ed) {
    bench::ConfigureSourceEditor(ed);
    editor::TEditorMarks marks = ed.Properties().marks;
    marks.hideMark = {editor::clGray, true};
    ed.SetMarks(marks);
    ed.SetFocused(true);
}


std::unique_ptr<TEditor> MakeEditor(const std::string& text) {
    auto e = std::make_unique<TEditor>();
    Configure(*e);
    e->RecomputeMetrics(16, 8, 0, 0);
    const editor::TPaintMetrics& m = e->Metrics();
    e->RecomputeMetrics(16, 8, m.leftMargin + 120 * 8 + 4, m.topMargin + 60 * m.rowHeight + 5);
    e->Lines().SetTextStr(text);
    return e;
}

TEditor& Loaded() {
    static std::unique_ptr<TEditor> ed = MakeEditor(LongLine());
    return *ed;
}

// A long line that is scanned to its end, followed by a few short rows.
TEditor& LoadedAboveRows() {
    static std::unique_ptr<TEditor> ed = MakeEditor(LongLine(false) + "\r\nint a = 1;\r\n/* below */\r\nreturn a;\r\n");
    return *ed;
}

enum Op { kType, kBackspace, kDelete, kCtrlRight };

void RunKeys(benchmark::State& state, TEditor& ed) {
    bench::ImageWindow window(ed);
    const Op op = static_cast<Op>(state.range(0));
    ed.SetRowCol(0, 500);
    int64_t keys = 0;
    const int64_t rssBefore = bench::CurrentRss();
    for (auto _ : state) {
        state.PauseTiming();
        ed.SetRowCol(0, 500);
        window.UpdateNow();
        state.ResumeTiming();
        switch (op) {
            case kType: ed.CharMessage('x', {}, std::nullopt, nullptr); break;
            case kBackspace: ed.CharMessage(8, {}, std::nullopt, nullptr); break;
            case kDelete: ed.KeyDown(editor::vkDelete, {}, false); break;
            case kCtrlRight: ed.KeyDown(editor::vkRight, {false, true, false}, false); break;
        }
        window.UpdateNow();
        ++keys;
    }
    const int64_t grown = bench::CurrentRss() - rssBefore;
    state.counters["rss_growth_bytes_per_key"] = static_cast<double>(grown) / static_cast<double>(keys);
    state.counters["line_bytes"] = static_cast<double>(ed.RowText(0).size());
    static const char* const names[] = {"typing", "Backspace", "Delete", "Ctrl+Right"};
    state.SetLabel(names[op]);
}

void BM_LongLineKey(benchmark::State& state) { RunKeys(state, Loaded()); }
BENCHMARK(BM_LongLineKey)
    ->Arg(kType)->Arg(kBackspace)->Arg(kDelete)->Arg(kCtrlRight)
    ->Unit(benchmark::kMicrosecond)->MinTime(0.2)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_LongLineAboveRowsKey(benchmark::State& state) { RunKeys(state, LoadedAboveRows()); }
BENCHMARK(BM_LongLineAboveRowsKey)
    ->Arg(kType)->Arg(kBackspace)->Arg(kDelete)
    ->Unit(benchmark::kMicrosecond)->MinTime(0.2)->Repetitions(9)->ReportAggregatesOnly(true);

// The whole 120 × 60-cell window painted once, the long row at the top.
void BM_LongLineRepaint(benchmark::State& state) {
    TEditor& ed = Loaded();
    bench::ImageWindow window(ed);
    ed.SetRowCol(0, 500);
    for (auto _ : state) window.PaintAll();
}
BENCHMARK(BM_LongLineRepaint)->Unit(benchmark::kMicrosecond)->MinTime(0.2)->Repetitions(9)->ReportAggregatesOnly(true);

// A caret blink: the caret's cells invalidated and painted.
void BM_LongLineCaretBlink(benchmark::State& state) {
    TEditor& ed = Loaded();
    bench::ImageWindow window(ed);
    ed.SetRowCol(0, 500);
    for (auto _ : state) {
        ed.InvalidateCaret();
        window.UpdateNow();
    }
}
BENCHMARK(BM_LongLineCaretBlink)->Unit(benchmark::kMicrosecond)->MinTime(0.2)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace

VKB_QT_BENCHMARK_MAIN()
