// Replace-all in the row store: every occurrence is replaced where it lies,
// line by line, and the undo record keeps the places, not the text. A
// replace-all over a text of hundreds of megabytes thus costs the lines it
// changes, not copies of the whole text.
#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "editor/EditorScreenStrings.h"
#include "platform/Memory.h"

namespace editor {

namespace {

// A replace-all of at least this many places rebuilds its rows into new
// blocks of about this many bytes each.
constexpr size_t kManyPlaces = 1000;
constexpr size_t kWindowBytes = 1 << 20;

bool HoldsBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// The text as rows hold it: CR, LF and CR LF are CR LF, NUL is a blank.
std::string AsRowText(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' || s[i] == '\n') {
            out += "\r\n";
            if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
        } else {
            out += s[i] == '\0' ? ' ' : s[i];
        }
    }
    return out;
}

// Sets a flag for the extent of a scope, whatever way it is left.
class FlagScope {
public:
    FlagScope(bool& flag, bool value) : flag_(flag), old_(flag) { flag_ = value; }
    ~FlagScope() { flag_ = old_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
    bool old_;
};

}  // namespace

std::string TEditorScreenStrings::TextBetween(int64_t from, int64_t to) const {
    std::string out;
    from = std::max<int64_t>(from, 0);
    to = std::min(to, TextLength());
    if (to <= from) return out;
    out.reserve(static_cast<size_t>(to - from));
    int row = RowOfOffset(from);
    for (int64_t offset = RowOffset(row); row < Count() && offset < to; ++row) {
        const std::string_view text = Text(row);
        const int64_t length = static_cast<int64_t>(text.size());
        const int64_t a = std::max<int64_t>(from - offset, 0);
        const int64_t b = std::min<int64_t>(to - offset, length);
        if (a < b) out.append(text.substr(static_cast<size_t>(a), static_cast<size_t>(b - a)));
        if (AttributeOf(row) == raLineBreak) {
            for (int64_t i = std::max(a, length); i < std::min<int64_t>(to - offset, length + 2); ++i)
                out += i == length ? '\r' : '\n';
            offset += 2;
        }
        offset += length;
    }
    return out;
}

void TEditorScreenStrings::ReplaceSpans(const std::vector<int64_t>& at, std::string_view find,
                                        std::string_view with, std::vector<int64_t>& done) {
    const int64_t m = static_cast<int64_t>(find.size());
    const int64_t grow = static_cast<int64_t>(with.size()) - m;
    // Without word wrap, and when neither text holds a line break, each
    // occurrence lies in one row, which is changed in place.
    const bool inRows = !wordWrap_ && !HoldsBreak(find) && !HoldsBreak(with);
    FlagScope bulk(bulk_, true);
    FlagScope quiet(recording_, false);
    done.reserve(done.size() + at.size());  // grown by doubling, a list of millions would be held twice
    const int countBefore = Count();
    int firstRow = -1, endRow = 0, rescanEnd = 0;  // rows changed and rescanned
    int64_t delta = 0;  // how far the replacements so far moved the text after them
    int64_t next = 0;   // no occurrence starts before this (old offsets)
    std::string built;
    auto noteRows = [&](int from, int to, int rescanned) {
        if (firstRow < 0 || from < firstRow) firstRow = from;
        endRow = to;
        rescanEnd = std::max(rescanEnd, from + rescanned);
    };
    auto noteReplaceRows = [&] { noteRows(lastChange_.startRow, lastChange_.startRow + lastChange_.insertedRows,
                                          lastChange_.rescannedRows); };
    // Replaces the occurrences from place i on that begin in `old`, the
    // text at `start`, up to `limit` bytes of it; they go into `built`.
    auto gather = [&](size_t& i, std::string_view old, int64_t start, size_t limit, size_t* first, size_t* end) {
        const size_t from = i, before = done.size();
        for (; i < at.size(); ++i) {
            if (at[i] < next) continue;
            const int64_t p = at[i] + delta - start;
            if (p > static_cast<int64_t>(limit) && i != from) break;
            const size_t q = static_cast<size_t>(p);
            if (p > static_cast<int64_t>(limit) || q + find.size() > old.size() ||
                old.compare(q, find.size(), find) != 0)
                continue;
            if (done.size() == before) *first = *end = q;
            built.append(old, *end, q - *end);
            done.push_back(start + static_cast<int64_t>(*first + built.size()));
            built.append(with);
            *end = q + find.size();
            next = at[i] + m;
        }
        return done.size() - before;
    };
    // Many places in rows: the rows from a place's on are rebuilt a window
    // at a time into a block of their own, and the pages of the old block
    // that they leave are given back, so that the text is held about once
    // however many rows change. That needs the rows that point into each
    // block to do so in row order: then no other row uses those pages.
    struct Span {
        const char* begin;
        const char* end;
        const char* last;  // end of the last row text seen in it
    };
    std::vector<Span> blocks;
    Span* lastBlock = nullptr;  // rows in a row mostly lie in one block
    auto blockOf = [&](const Row& row) -> Span* {
        if (row.length == 0 || OwnsText(row)) return nullptr;
        const char* text = TextOf(row);
        if (lastBlock && text >= lastBlock->begin && text < lastBlock->end) return lastBlock;
        auto it = std::upper_bound(blocks.begin(), blocks.end(), text,
                                   [](const char* p, const Span& b) { return p < b.begin; });
        if (it == blocks.begin()) return nullptr;
        --it;
        return text < it->end ? lastBlock = &*it : nullptr;
    };
    bool windowed = inRows && at.size() >= kManyPlaces;
    if (windowed) {
        for (const Block& b : blocks_) blocks.push_back({b.data.get(), b.data.get() + b.size, nullptr});
        std::sort(blocks.begin(), blocks.end(), [](const Span& a, const Span& b) { return a.begin < b.begin; });
        for (size_t r = 0; r < rows_.size() && windowed; ++r) {
            const Row& row = rows_[r];
            if (Span* b = blockOf(row)) {
                if (b->last && TextOf(row) < b->last) windowed = false;
                b->last = TextOf(row) + row.length;
            }
        }
    }
    // Every row moves, a window at a time, into one new block (its pages
    // are only taken as they are written), in place of the old one.
    char* out = nullptr;
    const char* newBlock = nullptr;
    int moved = 0;  // rows before this are in the new block
    auto noteWindow = [&](size_t& i) {
        const int row = moved;
        if (!newBlock) {
            const size_t room = static_cast<size_t>(TextLength()) +
                                (at.size() - i) * static_cast<size_t>(std::max<int64_t>(grow, 0));
            std::unique_ptr<char[]> block(new char[std::max<size_t>(room, 1)]);
            out = block.get();
            newBlock = out;
            AdoptBlock(std::move(block), room);
            BaseBlock(newBlock);
        }
        int r1 = row;
        size_t bytes = 0;
        while (r1 < Count() && bytes < kWindowBytes) bytes += rows_[static_cast<size_t>(r1++)].length;
        moved = r1;
        struct Left {
            Span* block;
            const char* lo;
            const char* hi;
        };
        std::vector<Left> left;  // what the window's rows leave of each block
        bool emptiedLast = false;
        int64_t rowStart = RowOffset(row);
        for (int r = row; r < r1; ++r) {
            Row& cur = rows_[static_cast<size_t>(r)];
            const std::string_view text(cur.length ? TextOf(cur) : nullptr, cur.length);
            char* const begin = out;
            size_t first = 0, end = 0, made = 0;
            for (; i < at.size(); ++i) {
                if (at[i] < next) continue;
                const int64_t p = at[i] + delta - rowStart;
                if (p > static_cast<int64_t>(text.size()) + 1) break;
                const size_t q = static_cast<size_t>(p);
                if (q + find.size() > text.size() || text.compare(q, find.size(), find) != 0) continue;
                if (made++ == 0) first = q;
                std::memcpy(out, text.data() + end, q - end);
                out += q - end;
                done.push_back(rowStart + (out - begin));
                if (!with.empty()) std::memcpy(out, with.data(), with.size());
                out += with.size();
                end = q + find.size();
                next = at[i] + m;
            }
            if (text.size() > end) std::memcpy(out, text.data() + end, text.size() - end);
            out += text.size() - end;
            const size_t length = static_cast<size_t>(out - begin);
            if (made > 0 && Watched()) {
                // Published before the row changes, as every edit is.
                const size_t tail = text.size() - end;
                TellEditing(rowStart + static_cast<int64_t>(first), static_cast<int64_t>(end - first),
                           std::string_view(begin + first, length - first - tail));
            }
            if (Span* b = blockOf(cur)) {
                if (left.empty() || left.back().block != b) left.push_back({b, TextOf(cur), TextOf(cur)});
                left.back().hi = TextOf(cur) + cur.length;
            }
            FreeText(cur);  // an owned text goes; a block's stays until its pages go
            SetRowText(cur, length ? begin : nullptr, length, false);
            DropSideIfEmpty(r);
            if (made > 0) {
                Adjust(static_cast<size_t>(r), static_cast<int64_t>(length) - static_cast<int64_t>(text.size()), 0);
                ++rawChanges_;
                RowTextChanged(r, 1);
                noteRows(r, r + 1, 1 + (r + 1 < Count() ? RescanEdited(r + 1) : 0));
                delta += static_cast<int64_t>(made) * grow;
                emptiedLast = length == 0 && r + 1 == Count() && AttributeOf(r) == raEndOfText;
            }
            rowStart += static_cast<int64_t>(length) + BreakLength(AttributeOf(r));
        }
        // A window's rows in a block lie between lo and hi, and no other row
        // does (the rows are in order): the pages in between are free.
        for (const Left& l : left) platform::ReleasePages(const_cast<char*>(l.lo), const_cast<char*>(l.hi));
        if (emptiedLast) {
            // An emptied last row without a line break goes, as in ReplaceBytes.
            ReplaceRows(r1 - 1, 1, std::string_view());
            noteReplaceRows();
            moved = Count();
        }
    };
    for (size_t i = 0; i < at.size();) {
        if (at[i] < next) {
            ++i;
            continue;
        }
        const int64_t total = TextLength();
        const int64_t h = at[i] + delta;
        if (h < 0 || h > total) break;
        const int row = RowOfOffset(h);
        built.clear();
        size_t first = 0, end = 0;
        if (windowed && row < Count()) {
            noteWindow(i);
            continue;
        }
        if (inRows && row < Count()) {
            // The occurrences in this row, replaced in one edit of the bytes
            // from the first to the end of the last.
            const int64_t rowStart = RowOffset(row);
            const std::string_view text = Text(row);
            const size_t made = gather(i, text, rowStart, text.size() + 1, &first, &end);
            if (made == 0) continue;
            if (AttributeOf(row) == raEndOfText && built.empty() && end - first == text.size()) {
                // An emptied last row without a line break goes, as in ReplaceBytes.
                ReplaceRows(row, 1, std::string_view());
                noteReplaceRows();
            } else {
                noteRows(row, row + 1, EditRowInPlace(row, first, end - first, built));
            }
            delta += static_cast<int64_t>(made) * grow;
            continue;
        }
        // The lines the occurrence touches, with those of the occurrences
        // that begin in them, are rebuilt by one ReplaceRows.
        int startRow = Count(), lastRow = Count() - 1;
        int64_t clusterEnd = total;
        if (row < Count()) {
            startRow = FirstRowOfLine(row);
            lastRow = LastRowOfLine(row);
            clusterEnd = std::min(RowOffset(lastRow + 1), total);
            for (size_t j = i; j < at.size() && at[j] + delta < clusterEnd; ++j) {
                const int64_t last = std::min(at[j] + delta + std::max<int64_t>(m, 1) - 1, total - 1);
                const int r = RowOfOffset(std::max<int64_t>(last, 0));
                if (r < Count() && LastRowOfLine(r) > lastRow) {
                    lastRow = LastRowOfLine(r);
                    clusterEnd = std::min(RowOffset(lastRow + 1), total);
                }
            }
        }
        const int64_t start = RowOffset(startRow);
        const std::string old = TextBetween(start, clusterEnd);
        // A place at the cluster's end is the next line's, unless the text ends there.
        const size_t limit = clusterEnd == total ? old.size() : old.size() - 1;
        const size_t made = gather(i, old, start, limit, &first, &end);
        if (made == 0) continue;
        built.insert(0, old, 0, first);
        built.append(old, end, std::string::npos);
        ReplaceRows(startRow, lastRow - startRow + 1, built);
        noteReplaceRows();
        delta += static_cast<int64_t>(made) * grow;
    }
    if (newBlock) {
        for (size_t i = at.size(); moved < Count();) noteWindow(i);  // the rows after the last place
        DropBlocksBut(newBlock);  // every row's text is in it now
    }
    if (firstRow >= 0) {
        const int tail = std::max(0, Count() - endRow);
        lastChange_ = {firstRow, countBefore - firstRow - tail, Count() - firstRow - tail,
                       std::max(0, rescanEnd - firstRow), true};
    }
}

size_t TEditorScreenStrings::ReplaceOccurrences(const std::vector<int64_t>& at, std::string_view find,
                                                std::string_view given) {
    if (at.empty()) return 0;
    // The undo record counts the bytes the replacement takes in the text.
    const std::string replacement = AsRowText(given);
    BeginUpdate();
    TUndoData* record = nullptr;
    std::vector<int64_t> unrecorded;
    const uint64_t changesBefore = rawChanges_;
    size_t made = 0;
    try {
        record = undo_->NewRecord();
        std::vector<int64_t>& done = record ? record->spans : unrecorded;
        if (record) {
            record->startRow = RowOfOffset(at.front());
            record->oldText.assign(find);
            record->newLength = static_cast<int64_t>(replacement.size());
        }
        ReplaceSpans(at, find, replacement, done);
        made = done.size();
        if (made == 0) undo_->Withdraw(record);
        else undo_->Settled();
    } catch (...) {
        // The places replaced before the failure keep their record; nothing
        // replaced, nothing recorded.
        if (rawChanges_ == changesBefore) undo_->Withdraw(record);
        else undo_->Settled();
        EndUpdate();
        throw;
    }
    EndUpdate();
    return made;
}

}  // namespace editor
