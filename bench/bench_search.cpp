// The Search menu through the document window's commands: find next from the
// top to the only hit at the end of the ~100 MB text, and replace-all of
// 200,000 occurrences of "foo" by "fooo" in a 10 MB text.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "BenchData.h"
#include "QuietUi.h"
#include "app/Childwin.h"
#include "app/MainForm.h"
#include "app/Search.h"

namespace {

struct Window {
    bench::QuietUi ui;
    app::TMainForm main{ui, "/tmp", {}};
    app::TMDIChild doc{main, ui};
    Window() {
        doc.Configure(main.Settings());
        doc.Editor1().SetVisibleRows(40);
        doc.Editor1().SetVisibleColumns(100);
    }
};

constexpr const char* kMarker = "ZZ_ONLY_AT_THE_END_ZZ";

void BM_FindNextToTheEnd(benchmark::State& state) {
    static std::unique_ptr<Window> w = [] {
        auto win = std::make_unique<Window>();
        win->doc.Editor1().Lines().LoadFromFile(bench::SourceFile());
        win->doc.Editor1().Lines().Add(std::string("    end(") + kMarker + ");");
        return win;
    }();
    editor::TEditor& ed = w->doc.Editor1();
    for (auto _ : state) {
        ed.SetSelStart(0);
        if (!w->doc.FindForward(kMarker)) state.SkipWithError("not found");
    }
    state.SetBytesProcessed(state.iterations() * ed.TextLength());
    state.counters["row"] = ed.Row();
}
BENCHMARK(BM_FindNextToTheEnd)->Unit(benchmark::kMillisecond)->Iterations(10)->Repetitions(3)->ReportAggregatesOnly(true);

void BM_ReplaceAllFoo(benchmark::State& state) {
    static const std::string text = bench::TenMegabytesWithFoo();
    Window w;
    editor::TEditor& ed = w.doc.Editor1();
    for (auto _ : state) {
        state.PauseTiming();
        ed.Lines().SetText(text);
        ed.SetSelStart(0);
        state.ResumeTiming();
        w.doc.ReplaceText("foo", "fooo", true);
    }
    state.SetLabel(w.doc.Panel(4));
    state.counters["MB"] = static_cast<double>(text.size()) / (1 << 20);
    state.counters["grown"] = static_cast<double>(ed.TextLength() - static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ReplaceAllFoo)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
