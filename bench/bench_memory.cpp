// Peak memory of the row store on generated Shift-JIS text: loading, a
// replace-all of 200,000 occurrences made as the find-and-replace command
// makes it (one ReplaceOccurrences), and word wrap
// on at 80 columns. Each case runs in a process of its own, since a peak
// (VmHWM) only ever grows.
//   bench_memory                 10 and 100 MB, every case
//   bench_memory --sizes=10,200  the sizes given
//   bench_memory CASE MB FILE    one case (run by the above)
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "BenchData.h"
#include "editor/Editor.h"
#include "editor/EditorScreenStrings.h"
#include "editor/EditorWrapOption.h"

namespace {

constexpr int kHits = 200000;
constexpr std::string_view kFind = "KEYWORD";
constexpr std::string_view kReplacement = "REPLACED_WORD";

double MiB(int64_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

// About `mb` MB of CR LF lines of 20-80 bytes, half with double-byte text,
// kHits of them holding kFind once.
std::string MakeText(int mb) {
    const size_t size = static_cast<size_t>(mb) * 1000 * 1000;
    const size_t lines = size / 52;
    const size_t every = std::max<size_t>(1, lines / kHits);
    std::string out;
    out.reserve(size + 128);
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 8) & 0xFFFF; };
    int hits = 0;
    for (size_t i = 0; out.size() < size; ++i) {
        out.append(next() % 4, '\t');
        const size_t length = 20 + next() % 60;
        const size_t start = out.size();
        if (i % every == 0 && hits < kHits) {
            out += kFind;
            out += ' ';
            ++hits;
        }
        const bool wide = next() % 2 == 0;
        while (out.size() - start < length) {
            if (wide) {
                out += static_cast<char>(0x88 + next() % 8);  // kanji
                out += static_cast<char>(0x9F + next() % 90);
            } else {
                out += static_cast<char>('a' + next() % 26);
                if (next() % 6 == 0) out += ' ';
            }
        }
        out += "\r\n";
    }
    return out;
}

std::string DataFile(int mb) {
    const char* dir = std::getenv("VKB_BENCH_DATA");
    std::string base = dir && *dir ? dir : "/tmp/vkb-bench";
    std::string mkdir = "mkdir -p '" + base + "'";
    if (std::system(mkdir.c_str()) != 0) std::exit(2);
    std::string path = base + "/memory-" + std::to_string(mb) + "mb.txt";
    if (std::ifstream(path).good()) return path;
    const std::string text = MakeText(mb);
    std::ofstream(path + ".part", std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
    std::rename((path + ".part").c_str(), path.c_str());
    return path;
}

using Clock = std::chrono::steady_clock;
double Since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

int RunCase(const std::string& which, int mb, const std::string& path) {
    const int64_t base = bench::PeakRss();
    editor::TEditor ed;
    ed.SetVisibleRows(40);
    ed.SetVisibleColumns(100);
    editor::TEditorWrapOption wrap;
    wrap.SetWrapByte(80);
    ed.SetWrapOption(wrap);
    editor::TEditorScreenStrings& store = ed.Store();
    Clock::time_point t = Clock::now();
    store.LoadFromFile(path);
    const double load = Since(t);
    const int64_t fileBytes = store.TextLength();
    const double fileMb = static_cast<double>(fileBytes) / 1e6;
    const int64_t loaded = bench::PeakRss();
    double seconds = load;
    int64_t after = bench::CurrentRss();
    size_t hits = 0;
    double undone = 0;
    int64_t undoneRss = 0, replacePeak = 0, undoPeak = 0;
    if (which == "replace") {
        t = Clock::now();
        std::vector<int64_t> at;
        for (int r = 0, n = store.Count(); r < n; ++r) {
            const std::string_view row = store.Text(r);
            for (size_t p = row.find(kFind); p != std::string_view::npos; p = row.find(kFind, p + kFind.size()))
                at.push_back(store.RowOffset(r) + static_cast<int64_t>(p));
        }
        hits = at.size();
        // As the replace-all command makes it.
        store.ReplaceOccurrences(at, kFind, kReplacement);
        std::vector<int64_t>().swap(at);
        seconds = Since(t);
        after = bench::CurrentRss();
        // One undo step takes it back, and one redo makes it again; their
        // peak is their own (the high-water mark starts over).
        replacePeak = bench::PeakRss();
        std::ofstream("/proc/self/clear_refs") << "5";
        t = Clock::now();
        store.Undo();
        undone = Since(t);
        undoneRss = bench::CurrentRss();
        store.Redo();
        undoPeak = bench::PeakRss();
    } else if (which == "wrap") {
        t = Clock::now();
        ed.SetWordWrap(true);
        seconds = Since(t);
        after = bench::CurrentRss();
    }
    const int64_t peak = replacePeak ? replacePeak : bench::PeakRss();
    std::printf("%-8s %4d MB %9zu rows  time %7.3f s (load %6.3f s)  peak %7.1f MiB = %5.2f MiB/MB"
                "  (load peak %5.2f, over base %5.2f)  after %7.1f MiB%s\n",
                which.c_str(), mb, static_cast<size_t>(store.Count()), seconds, load, MiB(peak),
                MiB(peak) / fileMb, MiB(loaded) / fileMb, MiB(peak - base) / fileMb, MiB(after),
                hits ? (" hits " + std::to_string(hits) + " (undo " + std::to_string(undone).substr(0, 5) + " s, after it " +
                        std::to_string(static_cast<int>(MiB(undoneRss))) + " MiB; undo and redo peak " +
                        std::to_string(MiB(undoPeak) / fileMb).substr(0, 4) + " MiB/MB)")
                           .c_str()
                     : "");
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4) return RunCase(argv[1], std::atoi(argv[2]), argv[3]);
    std::vector<int> sizes{10, 100};
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--sizes=", 8) != 0) continue;  // benchmark flags are for the others
        sizes.clear();
        for (const char* p = argv[i] + 8; *p;) {
            sizes.push_back(std::atoi(p));
            p = std::strchr(p, ',');
            if (!p) break;
            ++p;
        }
    }
    for (int mb : sizes) {
        const std::string path = DataFile(mb);
        for (const char* which : {"load", "replace", "wrap"}) {
            const pid_t pid = fork();
            if (pid == 0) {
                execl("/proc/self/exe", argv[0], which, std::to_string(mb).c_str(), path.c_str(),
                      static_cast<char*>(nullptr));
                _exit(127);
            }
            int status = 0;
            waitpid(pid, &status, 0);
            if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
                std::fprintf(stderr, "%s %d MB failed\n", which, mb);
                return 1;
            }
        }
    }
    return 0;
}
