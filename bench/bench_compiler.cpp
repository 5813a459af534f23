// A compiler that writes 20 MB: time to run it through RunCompiler with the
// pipe drained, and time from its end to the message window's lines.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "compiler/Compiler.h"
#include "compiler/Msg.h"
#include "QuietUi.h"

namespace {

using bench::QuietUi;

std::filesystem::path Folder() {
    auto dir = std::filesystem::temp_directory_path() / "vkb-bench-compiler";
    std::filesystem::create_directories(dir);
    std::filesystem::copy_file(VKC_STANDIN, dir / "VKC.EXE", std::filesystem::copy_options::overwrite_existing);
    std::ofstream(dir / "VKC.CFG") << "flood=20000000\r\n";
    std::ofstream(dir / "f.r") << "int x;\r\n";
    return dir;
}

void BM_RunCompilerFlood(benchmark::State& state) {
    auto dir = Folder();
    QuietUi ui;
    size_t bytes = 0;
    for (auto _ : state) {
        auto out = compiler::RunCompiler(compiler::CompileLinkCommand(dir.string(), (dir / "f.r").string()), ui);
        bytes = out.output.size();
    }
    state.counters["output_MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["ui_polls"] = ui.events;
}
BENCHMARK(BM_RunCompilerFlood)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ListLinesOf20MB(benchmark::State& state) {
    auto dir = Folder();
    QuietUi ui;
    auto out = compiler::RunCompiler(compiler::CompileLinkCommand(dir.string(), (dir / "f.r").string()), ui);
    size_t lines = 0;
    for (auto _ : state) lines = compiler::CompilerOutputLines(out.output).size();
    state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_ListLinesOf20MB)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
