// Find in files over 1,000 Shift-JIS files of about 100 KB (the walk, the
// reading and the matching, hit lines made as the listing gets them), and
// Ctrl+Space on a two-million-line document: the word index built at load,
// and the time from the key to the list.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "BenchData.h"
#include "QuietUi.h"
#include "app/Childwin.h"
#include "app/FindInFiles.h"
#include "app/MainForm.h"
#include "platform/FileIO.h"

namespace {

void Search(benchmark::State& state, const char* pattern, editor::TSearchOptions options) {
    const std::string tree = bench::FindTree();
    size_t hits = 0, files = 0;
    for (auto _ : state) {
        std::vector<app::TFileToSearch> list;
        for (std::string& p : app::ListFolderFiles(tree, "*.R;*.H", true)) list.push_back({std::move(p), {}});
        files = list.size();
        app::TFindInFiles search(pattern, options, std::move(list));
        compiler::MessageLines out;
        while (!search.Done()) search.Step(out);
        hits = search.Hits();
        benchmark::DoNotOptimize(out.size());
    }
    state.counters["files"] = static_cast<double>(files);
    state.counters["hits"] = static_cast<double>(hits);
}

// A plain word on about one line in four, matched with case.
void BM_FindInFiles_PlainMatchCase(benchmark::State& state) { Search(state, "execkey", editor::soMatchCase); }
// A rarer one: a few hundred lines in the tree.
void BM_FindInFiles_PlainRare(benchmark::State& state) { Search(state, "0x1F buffer", editor::soMatchCase); }
// A double-byte word whose second byte is 0x5C (表示), exact bytes.
void BM_FindInFiles_Kanji(benchmark::State& state) { Search(state, "\x95\x5C\x8E\xA6", 0); }
// Letters without case: every line goes through the engine.
void BM_FindInFiles_IgnoreCase(benchmark::State& state) { Search(state, "EXECKEY", 0); }
// Half-width and full-width alike (ＥＸＥＣＫＥＹ finds execkey).
void BM_FindInFiles_IgnoreWidth(benchmark::State& state) {
    Search(state, "\x82\x64\x82\x77\x82\x64\x82\x62\x82\x6A\x82\x64\x82\x78", editor::soIgnoreWidth);
}

BENCHMARK(BM_FindInFiles_PlainMatchCase)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FindInFiles_PlainRare)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FindInFiles_Kanji)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FindInFiles_IgnoreCase)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FindInFiles_IgnoreWidth)->Unit(benchmark::kMillisecond)->Iterations(3);

// The big file open in a document window of the main form, whose words
// the completion lists read.
// A file of 100,000 lines "ident_<n> = value_<n>;" beside the big one.
std::string NamesFile() {
    const std::string path = bench::SourceFile() + ".names.r";
    if (!std::filesystem::exists(path)) {
        std::string text;
        for (int i = 0; i < 100000; ++i)
            text += "ident_" + std::to_string(i) + " = value_" + std::to_string(i) + ";\r\n";
        platform::WriteFileSafely(path, text);
    }
    return path;
}

struct Window {
    bench::QuietUi ui;
    app::TMainForm main{ui, "/tmp", {}};
    app::TMDIChild& doc;
    Window() : doc(*main.OpenDocumentWindow(bench::SourceFile())) {}
};

Window& Loaded() {
    static std::unique_ptr<Window> w = std::make_unique<Window>();
    return *w;
}

// The index counts every word of the text once, when it is loaded.
void BM_WordIndex_Load2MLines(benchmark::State& state) {
    Window& w = Loaded();
    for (auto _ : state) {
        w.doc.Words().TextReset();
        benchmark::DoNotOptimize(w.doc.Words().Words().size());
    }
    state.counters["words"] = static_cast<double>(w.doc.Words().Words().size());
}
BENCHMARK(BM_WordIndex_Load2MLines)->Unit(benchmark::kMillisecond)->Iterations(2);

// Ctrl+Space after `prefix` typed on a new last line of the 2-million-line
// text: the word before the caret, the candidates from every source, ordered.
void TimeCtrlSpace(benchmark::State& state, Window& w, const std::string& prefix) {
    editor::TEditor& ed = w.doc.Editor1();
    ed.SetSelStart(ed.Store().TextLength());
    for (unsigned char c : "\r\n" + prefix) ed.CharMessage(c, {}, std::nullopt, nullptr);
    editor::TKeyState ctrl;
    ctrl.ctrl = true;
    size_t listed = 0;
    for (auto _ : state) {
        w.doc.Editor1KeyDown(' ', ctrl);
        listed = w.doc.Completion().Items().size();
        w.doc.Completion().Close();
    }
    state.counters["listed"] = static_cast<double>(listed);
}

void BM_Completion_CtrlSpace2MLines(benchmark::State& state) { TimeCtrlSpace(state, Loaded(), "in"); }
BENCHMARK(BM_Completion_CtrlSpace2MLines)->Unit(benchmark::kMillisecond);

// The same with a second document of 100,000 lines holding 200,000
// distinct words, 100,000 of which begin with the prefix typed.
void BM_Completion_CtrlSpaceManyWords(benchmark::State& state) {
    Window& w = Loaded();
    static app::TMDIChild* names = w.main.OpenDocumentWindow(NamesFile());
    if (!names) {
        state.SkipWithError("no second document");
        return;
    }
    TimeCtrlSpace(state, w, "val");
}
BENCHMARK(BM_Completion_CtrlSpaceManyWords)->Unit(benchmark::kMillisecond);

// Typing in the middle of the big text: the index takes the line out and
// back in. The same word grows with every key (the first), or words of
// five letters with a blank between them and a line break after 60 keys,
// as a user types (the second).
void TypeIn(benchmark::State& state, bool likeAUser) {
    Window& w = Loaded();
    editor::TEditor& ed = w.doc.Editor1();
    // Apart from each other: the grown word would slow the words' line.
    ed.SetSelStart(ed.Store().TextLength() / (likeAUser ? 3 : 2));
    int typed = 0;
    for (auto _ : state) {
        const int k = typed++;
        if (!likeAUser) ed.CharMessage('x', {}, std::nullopt, nullptr);
        else if (k % 60 == 59) ed.CharMessage('\r', {}, std::nullopt, nullptr);
        else ed.CharMessage(k % 6 == 5 ? ' ' : static_cast<unsigned char>('a' + k % 26), {}, std::nullopt, nullptr);
        benchmark::DoNotOptimize(w.doc.Words().Words().size());
    }
}
void BM_WordIndex_TypeIn2MLines(benchmark::State& state) { TypeIn(state, false); }
BENCHMARK(BM_WordIndex_TypeIn2MLines)->Unit(benchmark::kMicrosecond)->Iterations(20000);
void BM_WordIndex_TypeWords2MLines(benchmark::State& state) { TypeIn(state, true); }
BENCHMARK(BM_WordIndex_TypeWords2MLines)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
