// The keyword hint list: one short explanation per library function, read
// from a Shift-JIS text file beside the program ("key!text" lines).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace reference {

struct KeywordEntry {
    std::string key;   // Shift-JIS bytes, compared with the editor's tokens as they are
    std::string text;  // UTF-8; "##" in the file became CR LF
};

// What loading found, for the one message the main window shows.
struct KeywordLoadReport {
    bool missing = false;   // no file: an empty list, and no message
    std::string error;      // the file could not be read (or is too large); UTF-8
    size_t badLines = 0;    // records whose text had bytes Shift-JIS cannot decode
    size_t firstBadLine = 0;  // 1-based
};

// Larger files are refused: a hint list is a few hundred lines, and reading
// an unrelated huge file at every start would stall the program.
constexpr size_t kKeywordFileLimit = 16 * 1024 * 1024;

class TKeywordList {
public:
    // Replaces the list with the records of `path`; on any failure the list
    // is empty. The file itself is never touched.
    KeywordLoadReport Load(const std::string& path);
    // Parses file bytes (lines end with CR LF, LF or CR).
    KeywordLoadReport Parse(std::string_view bytes);
    void Clear() { entries_.clear(); }

    // The text of the first record whose key equals `word` byte for byte;
    // empty when there is none.
    const std::string& Lookup(std::string_view word) const;
    const std::vector<KeywordEntry>& Entries() const { return entries_; }

private:
    std::vector<KeywordEntry> entries_;
};

// The list file for the target host (0 Korvane, otherwise Tessal):
// "TWLIBHLP.TXT" for Tessal when it exists, else "VKLIBHLP.TXT"; found in
// `programFolder` ignoring case.
std::string KeywordListPath(const std::string& programFolder, int targetHost);

// The development kit's include folder next to the compiler folder: the
// part before the last "/" followed by "/include" ("/kit/bin" gives
// "/kit/include", "/kit/bin/" gives "/kit/bin/include"). A folder without
// "/" is relative: its sibling is "include"; an empty one gives "".
std::string IncludeFolder(std::string_view compilerFolder);

// Whether the built-in help viewer shows the file (by its extension, in any
// letter case): plain text, HTML and Markdown.
bool HelpViewerShows(std::string_view path);
// The help file chooser's filter: the development kit's ".HLP" files first,
// then the files the built-in viewer shows.
constexpr std::string_view kHelpFileFilter =
    "ヘルプファイル(*.HLP)|*.HLP|ヘルプテキスト(*.TXT;*.HTM;*.HTML;*.MD)|*.TXT;*.HTM;*.HTML;*.MD";

// A hint text on one line, for a status panel: line breaks become spaces.
std::string OneLine(std::string_view text);

}  // namespace reference
