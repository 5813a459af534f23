// Recovery journals: the cost per typed key and of a replace-all of 200,000
// hits in 10 MB with and without a journal, the journal's size after 10,000
// keys, and recovering a 100 MB text with 10,000 journalled edits.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "BenchData.h"
#include "QuietUi.h"
#include "app/Childwin.h"
#include "app/MainForm.h"
#include "app/Recovery.h"
#include "platform/JournalWriter.h"

namespace {

std::string JournalFolder() {
    static const std::string folder = [] {
        std::string f = std::filesystem::temp_directory_path().string() + "/vkb-bench-journal-" + std::to_string(getpid()) + "/";
        std::filesystem::create_directories(f);
        return f;
    }();
    return folder;
}

struct Window {
    bench::QuietUi ui;
    app::TMainForm main{ui, "/tmp", {}};
    std::unique_ptr<app::TMDIChild> doc;
    explicit Window(bool journal) {
        if (journal) main.SetRecoveryFolder(JournalFolder());
        doc = std::make_unique<app::TMDIChild>(main, ui);
        doc->Configure(main.Settings());
        doc->Editor1().SetVisibleRows(40);
        doc->Editor1().SetVisibleColumns(100);
    }
    ~Window() { doc->Journal().Discard(); }
};

void BM_TypedKey(benchmark::State& state) {
    static const std::string text = bench::TenMegabytesWithFoo();
    Window w(state.range(0) != 0);
    editor::TEditor& ed = w.doc->Editor1();
    ed.Lines().SetText(text);
    ed.SetRowCol(1000, 4);
    int typed = 0;
    for (auto _ : state) {
        ed.CharMessage(static_cast<unsigned char>('a' + typed % 26), {}, std::nullopt, nullptr);
        if (++typed % 60 == 0) ed.CharMessage('\r', {}, std::nullopt, nullptr);
    }
    w.doc->Journal().Flush();
    state.SetLabel(state.range(0) ? "journalled" : "no journal");
}
BENCHMARK(BM_TypedKey)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->Iterations(10000)->Repetitions(3)->ReportAggregatesOnly(true);

void BM_JournalSizeAfter10000Keys(benchmark::State& state) {
    for (auto _ : state) {
        Window w(true);
        editor::TEditor& ed = w.doc->Editor1();
        ed.Lines().SetText("int main()\r\n{\r\n}\r\n");
        ed.SetRowCol(1, 1);
        for (int i = 0; i < 10000; ++i) ed.CharMessage(i % 50 == 49 ? '\r' : static_cast<unsigned char>('a' + i % 26), {}, std::nullopt, nullptr);
        w.doc->Journal().Flush();
        state.counters["journal_bytes"] = static_cast<double>(std::filesystem::file_size(w.doc->Journal().Path()));
        state.counters["text_bytes"] = static_cast<double>(ed.TextLength());
    }
}
BENCHMARK(BM_JournalSizeAfter10000Keys)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ReplaceAllFoo(benchmark::State& state) {
    static const std::string text = bench::TenMegabytesWithFoo();
    Window w(state.range(0) != 0);
    editor::TEditor& ed = w.doc->Editor1();
    for (auto _ : state) {
        state.PauseTiming();
        ed.Lines().SetText(text);
        ed.SetSelStart(0);
        state.ResumeTiming();
        w.doc->ReplaceText("foo", "fooo", true);
    }
    state.SetLabel(state.range(0) ? "journalled" : "no journal");
}
BENCHMARK(BM_ReplaceAllFoo)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true);

void BM_Recover100MbWith10000Edits(benchmark::State& state) {
    const std::string folder = JournalFolder() + "recover/";
    std::filesystem::create_directories(folder);
    {
        std::string base = bench::MakeSourceText();
        platform::JournalWriter writer(folder + "big.vkj", {"/x/big.r", false, std::nullopt, 0}, base);
        std::mt19937 rng(3);
        uint64_t length = base.size();
        for (int i = 0; i < 10000; ++i) {
            platform::JournalEdit e{rng() % length, rng() % 3, std::string(rng() % 4, 'q')};
            if (e.offset + e.removed > length) e.removed = 0;
            length = length - e.removed + e.inserted.size();
            writer.Append(e);
        }
        writer.Flush();
    }
    for (auto _ : state) {
        auto found = app::FindRecoverable(folder);
        if (found.size() != 1) state.SkipWithError("not recovered");
        benchmark::DoNotOptimize(found);
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_Recover100MbWith10000Edits)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
