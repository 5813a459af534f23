// Find in files: the files a search covers (a folder walk, the project, the
// open documents), reading them as documents are read, and matching them
// line by line with the editor's search engine. The search goes in slices
// so the window stays live between them and a stop keeps what was found.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/Msg.h"
#include "editor/EditorSearch.h"
#include "platform/FileIO.h"

namespace app {

// Whether a file name matches one of the patterns ("*.R;*.H": separated by
// ";", "," or blanks, with "*" and "?"), ignoring ASCII case. No pattern
// matches every name.
bool MatchesFilePatterns(std::string_view name, std::string_view patterns);

// The regular files under `folder` whose names match, each folder's files
// in name order before its subfolders. Links to folders are not followed (a
// loop would never end); folders that cannot be read are counted.
std::vector<std::string> ListFolderFiles(const std::string& folder, std::string_view patterns, bool subfolders,
                                         size_t* unreadableFolders = nullptr);

// A file to search: its path as the results name it and, for an open
// document, its text as the editor holds it (Shift-JIS, unsaved edits
// included); without a text the file is read from the disk.
struct TFileToSearch {
    std::string path;
    std::optional<std::string> text;
};

// What a text may hold to be searched.
struct TFindLimits {
    size_t maxFileBytes = 64u << 20;
    size_t binaryProbeBytes = 8192;  // a NUL among the first bytes: a binary file
};

// The lines of `text` (CR LF, CR or LF end one) that hold a match of
// `pattern`, one call of `hit(line number from 1, line)` each, in order.
// With soIgnoreLineBreak a match may run over several lines: it counts for
// its first, and the search goes on after it. A non-empty `needle` is bytes
// that every match holds (MatchNeedle): lines without them are passed over
// at the speed of a byte search.
struct TNeedle;
template <class F>
void ForEachHitLine(std::string_view text, const editor::TSearchPattern& pattern, const TNeedle& needle, F&& hit);

// Bytes every match of a pattern holds, found by a plain byte search: the
// pattern itself, with ASCII letters in either case when case is ignored.
struct TNeedle {
    std::string bytes;
    bool foldAscii = false;
    bool Empty() const { return bytes.empty(); }
    // The first occurrence at or after `from`; npos when none.
    size_t Find(std::string_view text, size_t from) const;
};
// The needle for `pattern` under `options`; empty when no byte search can
// stand in for the engine (width, blanks or line breaks ignored, or letters
// with double-byte forms of the other case).
TNeedle MatchNeedle(std::string_view pattern, editor::TSearchOptions options);

// Where the find-in-files dialog searches.
enum class TFindScope { fsProject, fsOpenDocuments, fsFolder };

// The find-in-files dialog's fields, kept from one use to the next. The view
// shows them and calls OnStart for Enter (the search runs while the dialog
// stays up, showing `progress`) and OnStop for Esc while it runs.
struct TFindInFilesForm {
    static constexpr const char* kCaption = "ファイルから検索";
    static constexpr const char* kDefaultPatterns = "*.R;*.H";
    std::string text;  // UTF-8
    editor::TSearchOptions options = 0;
    TFindScope scope = TFindScope::fsFolder;
    bool projectOpen = false;  // the project scope is offered
    std::optional<bool> projectOpenBefore;  // at the last use: a change brings back the default scope
    std::string folder;
    std::string patterns = kDefaultPatterns;
    bool subfolders = true;

    bool running = false;
    bool started = false;  // the last OnStart ran a search (else it told the user why not)
    std::string progress;
    std::function<void()> OnStart, OnStop, OnProgress;
};

class TFindInFiles {
public:
    // `pattern` is Shift-JIS; soDown is implied.
    TFindInFiles(std::string_view pattern, editor::TSearchOptions options, std::vector<TFileToSearch> files,
                 TFindLimits limits = {});

    bool Done() const { return next_ >= files_.size(); }
    // Searches the next files, at most `maxFiles` of them, and stops after the
    // first file that ends past `budget`; a hit line each goes to `out`.
    void Step(compiler::MessageLines& out, size_t maxFiles = SIZE_MAX,
              std::chrono::steady_clock::duration budget = std::chrono::milliseconds(30));

    size_t FileCount() const { return files_.size(); }
    size_t FilesDone() const { return next_; }
    size_t FilesWithHits() const { return filesWithHits_; }
    size_t Hits() const { return hits_; }
    size_t SkippedBinary() const { return skippedBinary_; }
    size_t SkippedLarge() const { return skippedLarge_; }
    size_t SkippedUnreadable() const { return skippedUnreadable_; }
    const std::vector<std::string>& UnreadableReasons() const { return reasons_; }

    // The end of the listing: the files passed over and why, whether the
    // search was stopped, and last the counts.
    std::vector<std::string> SummaryLines() const;
    // The status bar while it runs.
    std::string Progress() const;

private:
    void SearchFile(const TFileToSearch& file, compiler::MessageLines& out);
    void SearchText(const std::string& path, std::string_view text, compiler::MessageLines& out);

    editor::TSearchPattern pattern_;
    TNeedle needle_;
    std::vector<TFileToSearch> files_;
    TFindLimits limits_;
    platform::FileReader reader_;  // one buffer for every file
    size_t next_ = 0;
    size_t filesWithHits_ = 0, hits_ = 0;
    size_t skippedBinary_ = 0, skippedLarge_ = 0, skippedUnreadable_ = 0;
    std::vector<std::string> reasons_;  // the first few unreadable files and why
};

// ---- template definition ----------------------------------------------------

namespace detail {
// The end of the line starting at `from` (the offset of its CR or LF, or
// the text's end).
size_t LineEnd(std::string_view text, size_t from);
// Whether the byte at `at` begins a character, reading from `from` (which does).
bool StartsCharacter(std::string_view text, size_t from, size_t at);
// The offset after the line break at `end` (CR LF counts as one).
inline size_t NextLineStart(std::string_view text, size_t end) {
    if (end >= text.size()) return text.size();
    return end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
}
// The line breaks in [from, to), where `from` starts a line; *lineStart
// gets the start of the line holding `to`.
size_t CountLineBreaks(std::string_view text, size_t from, size_t to, size_t* lineStart);
// Whether the byte at `at` begins a character of the line from `lineStart`:
// read from after the last byte before it that cannot lead a double-byte
// character (a character ends there, as one byte or as a trail byte), not
// from the line's start.
bool StartsCharacterInLine(std::string_view text, size_t lineStart, size_t at);
}  // namespace detail

template <class F>
void ForEachHitLine(std::string_view text, const editor::TSearchPattern& pattern, const TNeedle& needle, F&& hit) {
    if (pattern.Empty() || text.empty()) return;
    size_t start = 0;  // of the line being looked at
    long line = 1;
    auto advanceTo = [&](size_t offset) {  // moves `start` to the line holding offset
        for (;;) {
            size_t end = detail::LineEnd(text, start);
            if (offset <= end || end >= text.size()) return end;
            start = detail::NextLineStart(text, end);
            ++line;
        }
    };
    auto engineFinds = [&](std::string_view lineText) {
        editor::TSearchPos pos{0, 0};
        return pattern.Find(lineText, pos);
    };
    if (pattern.Options() & editor::soIgnoreLineBreak) {
        editor::TSearchPos pos{0, 0};
        while (start < text.size()) {
            std::string_view rest = text.substr(start);
            pos = {0, 0};
            if (!pattern.Find(rest, pos)) return;
            size_t end = advanceTo(start + static_cast<size_t>(pos.offset));
            hit(line, text.substr(start, end - start));
            // Past the match, from the start of the line it ends in.
            size_t after = start + static_cast<size_t>(pos.offset + pos.length);
            end = advanceTo(after > 0 ? after - 1 : 0);
            start = detail::NextLineStart(text, end);
            ++line;
        }
        return;
    }
    // A line holds no line break, so neither can a match within one.
    if (needle.Empty() || needle.bytes.find_first_of("\r\n") != std::string::npos) {
        while (start < text.size()) {
            const size_t end = detail::LineEnd(text, start);
            if (engineFinds(text.substr(start, end - start))) hit(line, text.substr(start, end - start));
            start = detail::NextLineStart(text, end);
            ++line;
        }
        return;
    }
    // From one occurrence of the needle to the next, the line breaks between
    // them are counted in one pass; the line of each is found once.
    // Exact bytes, or ASCII ones with letters of either case (no trail byte
    // among them to be read folded), without whole words: an occurrence that
    // starts a character is a match.
    const bool bytesDecide = (!needle.foldAscii || std::all_of(needle.bytes.begin(), needle.bytes.end(),
                                                               [](char c) { return !(c & 0x80); })) &&
                             !(pattern.Options() & editor::soWholeWord);
    while (start < text.size()) {
        const size_t at = needle.Find(text, start);
        if (at == std::string_view::npos) return;
        line += static_cast<long>(detail::CountLineBreaks(text, start, at, &start));
        const size_t end = detail::LineEnd(text, at);
        const std::string_view lineText = text.substr(start, end - start);
        bool found;
        if (!bytesDecide) {
            found = engineFinds(lineText);
        } else if (detail::StartsCharacterInLine(text, start, at)) {
            found = true;
        } else {
            // Inside a double-byte character: another occurrence on the line is tried by the engine.
            const size_t next = needle.Find(text, at + 1);
            if (next == std::string_view::npos) return;
            found = next <= end && engineFinds(lineText);
        }
        if (found) hit(line, lineText);
        start = detail::NextLineStart(text, end);
        ++line;
    }
}

}  // namespace app
