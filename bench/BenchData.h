// Deterministic Shift-JIS source-like test data for the benchmarks.
#pragma once

#include <cstdint>
#include <string>

namespace editor {
class TEditor;
}

namespace bench {

// About 100 MB in about two million CR LF lines: code lines of 20-80 bytes
// with TABs, about half with double-byte text, some empty lines, and a few
// lines of 64 KB to 1 MB. The same bytes every time.
std::string MakeSourceText();

// Writes MakeSourceText() once per machine into the bench data folder and
// returns its path.
std::string SourceFile();

// A folder of 1,000 files of about 100 KB each (MakeSourceText() cut at
// line ends), ten subfolders of 100 ".R" files, written once per machine
// beside SourceFile(); returns the folder.
std::string FindTree();

// About 10 MB of the source text with exactly 200,000 "foo", at most one a line.
std::string TenMegabytesWithFoo();

// Peak resident memory of this process in bytes (VmHWM), and the current one.
int64_t PeakRss();
int64_t CurrentRss();

// One editor holding SourceFile(), loaded on first use and kept (40 rows
// by 100 columns shown).
editor::TEditor& LoadedSourceEditor();

// The colouring of a source window (comments, strings, reserved words, hex
// numbers), line numbers and the end marks.
void ConfigureSourceEditor(editor::TEditor& ed);

}  // namespace bench
