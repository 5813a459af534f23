#include "BenchData.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "editor/Editor.h"
#include "platform/FileIO.h"

namespace bench {

namespace {

class Lcg {
public:
    explicit Lcg(uint64_t seed) : s_(seed) {}
    uint32_t Next() {
        s_ = s_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(s_ >> 33);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }

private:
    uint64_t s_;
};

const char* const kWords[] = {"int", "if", "while", "return", "count", "index", "buffer", "execkey",
                              "(", ")", "{", "}", ";", "=", "+", "1", "0x1F", "\"text\"", "name", "->"};
// Double-byte words, some with a 0x5C or ASCII-letter second byte.
const char* const kKanji[] = {"\x95\x5C\x8E\xA6", "\x83\x5C\x81\x5B\x83\x58", "\x93\xFC\x97\xCD",
                              "\x83\x74\x83\x40\x83\x43\x83\x8B", "\x8F\x88\x97\x9D", "\x82\xa0\x82\xa2\x82\xa4"};

void AppendLine(std::string& out, Lcg& rng, int length, bool kanji) {
    size_t start = out.size();
    int tabs = rng.Below(4);
    out.append(static_cast<size_t>(tabs), '\t');
    while (static_cast<int>(out.size() - start) < length) {
        if (kanji && rng.Below(4) == 0) {
            out += kKanji[rng.Below(6)];
        } else {
            out += kWords[rng.Below(20)];
        }
        out += ' ';
    }
    out += "\r\n";
}

}  // namespace

std::string MakeSourceText() {
    Lcg rng(20261208);
    std::string out;
    out.reserve(104u << 20);
    const int lines = 2000000;
    const int longAt[] = {100000, 600000, 1100000, 1500000, 1900000};
    const int longSize[] = {64 << 10, 128 << 10, 256 << 10, 512 << 10, 1 << 20};
    for (int i = 0; i < lines; ++i) {
        bool isLong = false;
        for (int k = 0; k < 5; ++k) {
            if (longAt[k] == i) {
                AppendLine(out, rng, longSize[k], true);
                isLong = true;
            }
        }
        if (isLong) continue;
        if (rng.Below(100) < 8) {
            out += "\r\n";
            continue;
        }
        AppendLine(out, rng, 20 + rng.Below(61), rng.Below(2) == 0);
    }
    return out;
}

std::string SourceFile() {
    const char* dir = std::getenv("VKB_BENCH_DATA");
    std::filesystem::path folder = dir ? dir : (std::filesystem::temp_directory_path() / "vkb-bench");
    std::filesystem::create_directories(folder);
    std::filesystem::path file = folder / "source-v1.r";
    if (!std::filesystem::exists(file)) {
        platform::WriteFileSafely(file.string(), MakeSourceText());
    }
    return file.string();
}

std::string FindTree() {
    std::filesystem::path folder = std::filesystem::path(SourceFile()).parent_path() / "find-tree-v1";
    if (std::filesystem::exists(folder / "done")) return folder.string();
    const std::string text = MakeSourceText();
    size_t at = 0;
    for (int d = 0; d < 10; ++d) {
        std::filesystem::create_directories(folder / ("d" + std::to_string(d)));
        for (int f = 0; f < 100; ++f) {
            size_t end = std::min(text.size(), at + 100 * 1024);
            if (d == 9 && f == 99) end = text.size();
            end = text.find("\r\n", end);
            end = end == std::string::npos ? text.size() : end + 2;
            char name[16];
            std::snprintf(name, sizeof name, "f%03d.R", f);
            platform::WriteFileSafely((folder / ("d" + std::to_string(d)) / name).string(),
                                      std::string_view(text).substr(at, end - at));
            at = end;
        }
    }
    platform::WriteFileSafely((folder / "done").string(), "");
    return folder.string();
}

static int64_t StatusField(const char* name) {
    std::ifstream in("/proc/self/status");
    std::string key;
    while (in >> key) {
        if (key == name) {
            int64_t kb = 0;
            in >> kb;
            return kb * 1024;
        }
        std::getline(in, key);
    }
    return 0;
}

int64_t PeakRss() { return StatusField("VmHWM:"); }
int64_t CurrentRss() { return StatusField("VmRSS:"); }

editor::TEditor& LoadedSourceEditor() {
    static std::unique_ptr<editor::TEditor> editor = [] {
        auto ed = std::make_unique<editor::TEditor>();
        ed->Lines().LoadFromFile(SourceFile());
        ed->SetVisibleRows(40);
        ed->SetVisibleColumns(100);
        return ed;
    }();
    return *editor;
}

void ConfigureSourceEditor(editor::TEditor& ed) {
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

// About 10 MB of the source text with exactly 200,000 "foo", at most one a line.
std::string TenMegabytesWithFoo() {
    std::string source = MakeSourceText();
    std::string out;
    out.reserve(11u << 20);
    int placed = 0;
    size_t i = 0;
    while (i < source.size() && (out.size() < (10u << 20) || placed < 200000)) {
        size_t j = source.find("\r\n", i);
        j = j == std::string::npos ? source.size() : j + 2;
        std::string line = source.substr(i, j - i);
        for (size_t f = line.find("foo"); f != std::string::npos; f = line.find("foo", f)) line[f] = 'g';
        if (line.size() < 4096 && placed < 200000) {
            line.insert(0, "foo ");
            ++placed;
        }
        if (line.size() < 4096) out += line;
        i = j;
    }
    return out;
}

}  // namespace bench
