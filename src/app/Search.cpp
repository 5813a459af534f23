#include "app/Search.h"

#include <algorithm>
#include <cstring>

#include "editor/Editor.h"
#include "platform/ShiftJis.h"

namespace app {

namespace {

// Whole lines are searched a piece at a time, so that a search of a large
// text neither copies it whole nor pays a call per line.
constexpr int64_t kChunk = 256 * 1024;

bool LeadValue(char c) { return platform::IsLeadByte(static_cast<unsigned char>(c)); }

// Whether byte q starts a character, given that byte `known` (<= q) does. A
// lead-byte value pairs with whatever byte follows it, and a byte that is no
// lead-byte value is never the first of a pair, so only the run of lead-byte
// values right before q decides.
bool StartsCharacter(const char* t, size_t known, size_t q) {
    size_t i = q;
    while (i > known && LeadValue(t[i - 1])) --i;
    return (q - i) % 2 == 0;
}

// The first occurrence starting on a character at or after `from` (which
// starts one) and ending by `limit`.
size_t ScanFirst(std::string_view t, std::string_view p, size_t from, size_t limit) {
    const size_t m = p.size();
    if (m == 0) return std::string_view::npos;
    size_t known = from;
    size_t pos = from;
    while (pos + m <= limit) {
        const void* hit = memmem(t.data() + pos, limit - pos, p.data(), m);
        if (!hit) break;
        const size_t q = static_cast<size_t>(static_cast<const char*>(hit) - t.data());
        if (StartsCharacter(t.data(), known, q)) return q;
        // q is the second byte of a character: the next byte starts one.
        known = pos = q + 1;
    }
    return std::string_view::npos;
}

size_t NulLimit(std::string_view t, size_t from) {
    if (from >= t.size()) return t.size();
    const void* nul = std::memchr(t.data() + from, 0, t.size() - from);
    return nul ? static_cast<size_t>(static_cast<const char*>(nul) - t.data()) : t.size();
}

bool SpansLines(std::string_view p) { return p.find_first_of("\r\n") != std::string_view::npos; }

const editor::TEditorScreenStrings& StoreOf(const editor::TEditor& ed) { return ed.Store(); }

// Offset where the line holding `offset` starts.
int64_t LineStart(const editor::TEditor& ed, int64_t offset) {
    const auto& s = StoreOf(ed);
    int row = std::min(s.RowOfOffset(offset), ed.RowCount() - 1);
    return s.RowOffset(s.FirstRowOfLine(std::max(row, 0)));
}

// Offset right after the line (and its line break) holding `offset`.
int64_t LineEnd(const editor::TEditor& ed, int64_t offset, int64_t total) {
    const auto& s = StoreOf(ed);
    int row = s.RowOfOffset(offset);
    if (row >= ed.RowCount()) return total;
    return std::min(s.RowOffset(s.LastRowOfLine(row) + 1), total);
}

// The offset of the first NUL before `end`, or `end`.
int64_t FirstNulBefore(const editor::TEditor& ed, int64_t end) {
    int64_t offset = 0;
    for (int r = 0, n = ed.RowCount(); r < n && offset < end; ++r) {
        std::string_view text = ed.RowText(r);
        if (const void* nul = std::memchr(text.data(), 0, text.size()))
            return std::min(end, offset + (static_cast<const char*>(nul) - text.data()));
        offset += static_cast<int64_t>(text.size()) + (ed.RowAttribute(r) == editor::raLineBreak ? 2 : 0);
    }
    return end;
}

}  // namespace

size_t FindFirstOccurrence(std::string_view text, std::string_view pattern, size_t from) {
    if (from > text.size()) return std::string_view::npos;
    return ScanFirst(text, pattern, from, NulLimit(text, from));
}

size_t FindLastOccurrence(std::string_view text, std::string_view pattern) {
    const size_t limit = NulLimit(text, 0);
    size_t last = std::string_view::npos;
    size_t from = 0;
    for (;;) {
        size_t q = ScanFirst(text, pattern, from, limit);
        if (q == std::string_view::npos) return last;
        last = q;
        // Drop through the occurrence's first character, both bytes of a double-byte one.
        from = q + (LeadValue(text[q]) && q + 1 < limit ? 2 : 1);
    }
}

std::string TextRange(const editor::TEditor& ed, int64_t from, int64_t to) {
    std::string out;
    const auto& s = StoreOf(ed);
    to = std::min(to, ed.TextLength());
    if (from < 0) from = 0;
    if (to <= from) return out;
    out.reserve(static_cast<size_t>(to - from));
    int row = s.RowOfOffset(from);
    int64_t offset = s.RowOffset(row);
    for (const int n = ed.RowCount(); row < n && offset < to; ++row) {
        std::string_view text = ed.RowText(row);
        const bool br = ed.RowAttribute(row) == editor::raLineBreak;
        const int64_t length = static_cast<int64_t>(text.size());
        const int64_t a = std::max<int64_t>(from - offset, 0);
        const int64_t b = std::min<int64_t>(to - offset, length);
        if (a < b) out.append(text.substr(static_cast<size_t>(a), static_cast<size_t>(b - a)));
        if (br) {
            static constexpr char kCrLf[] = "\r\n";
            for (int64_t i = std::max(a, length); i < std::min<int64_t>(to - offset, length + 2); ++i)
                out += kCrLf[i - length];
        }
        offset += length + (br ? 2 : 0);
    }
    return out;
}

namespace {

// Calls `hit` with each occurrence from `from` on, in order, until it returns
// false. The text is read in pieces that end with a line, so an occurrence
// without a line break never straddles two; each piece starts a character.
// After an occurrence the search goes on right after it: its end counts as
// the start of a character (where a replacement would leave the search).
template <typename Hit>
void ForEachInText(const editor::TEditor& ed, std::string_view pattern, int64_t from, Hit hit) {
    if (pattern.empty()) return;
    const int64_t total = ed.TextLength();
    const bool whole = SpansLines(pattern);
    for (int64_t pos = std::max<int64_t>(from, 0); pos < total;) {
        const int64_t end = whole ? total : LineEnd(ed, std::min(total, pos + kChunk) - 1, total);
        const std::string piece = TextRange(ed, pos, end);
        const size_t limit = NulLimit(piece, 0);
        for (size_t q = ScanFirst(piece, pattern, 0, limit); q != std::string_view::npos;
             q = ScanFirst(piece, pattern, q + pattern.size(), limit))
            if (!hit(pos + static_cast<int64_t>(q))) return;
        if (limit < piece.size()) break;
        pos = end;
    }
}

}  // namespace

std::optional<int64_t> FindInText(const editor::TEditor& ed, std::string_view pattern, int64_t from) {
    std::optional<int64_t> first;
    ForEachInText(ed, pattern, from, [&](int64_t at) {
        first = at;
        return false;
    });
    return first;
}

std::vector<int64_t> FindAllInText(const editor::TEditor& ed, std::string_view pattern, int64_t from) {
    std::vector<int64_t> hits;
    ForEachInText(ed, pattern, from, [&](int64_t at) {
        hits.push_back(at);
        return true;
    });
    return hits;
}

std::optional<int64_t> FindLastInText(const editor::TEditor& ed, std::string_view pattern, int64_t end) {
    if (pattern.empty()) return std::nullopt;
    end = FirstNulBefore(ed, std::min(end, ed.TextLength()));
    if (SpansLines(pattern)) {
        size_t q = FindLastOccurrence(TextRange(ed, 0, end), pattern);
        if (q == std::string_view::npos) return std::nullopt;
        return static_cast<int64_t>(q);
    }
    // Pieces of whole lines from the end backwards; the last piece that holds
    // an occurrence holds the last one.
    while (end > 0) {
        int64_t start = LineStart(ed, std::max<int64_t>(end - kChunk, 0));
        if (start >= end) start = LineStart(ed, end - 1);
        size_t q = FindLastOccurrence(TextRange(ed, start, end), pattern);
        if (q != std::string_view::npos) return start + static_cast<int64_t>(q);
        end = start;
    }
    return std::nullopt;
}

// ---- Dialogs --------------------------------------------------------------------

void TSearchDialogBase::Execute() {
    visible_ = true;
    if (view_) view_->ShowDialog();
}

void TSearchDialogBase::CloseDialog() {
    visible_ = false;
    if (view_) view_->CloseDialog();
}

void TSearchDialogBase::FindClick() {
    if (CanFind() && OnFind) OnFind();
}

void TReplaceDialog::ReplaceClick() {
    if (CanFind() && OnReplace) OnReplace(false);
}

void TReplaceDialog::ReplaceAllClick() {
    if (CanFind() && OnReplace) OnReplace(true);
}

}  // namespace app
