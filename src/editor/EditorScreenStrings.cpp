#include "editor/EditorScreenStrings.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

#include "editor/Editor.h"
#include "editor/EditorAttributeArray.h"
#include "editor/EditorParser.h"
#include "platform/FileIO.h"
#include "platform/Memory.h"

namespace editor {

namespace {

constexpr std::string_view kCrLf = "\r\n";

// Next CR or LF at or after p, or end; eight bytes at a time.
const char* FindBreak(const char* p, const char* end) {
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    constexpr uint64_t kHigh = 0x8080808080808080ull;
    while (end - p >= 8) {
        uint64_t v;
        std::memcpy(&v, p, 8);
        uint64_t lf = v ^ (kOnes * '\n');
        uint64_t cr = v ^ (kOnes * '\r');
        if ((((lf - kOnes) & ~lf) | ((cr - kOnes) & ~cr)) & kHigh) break;
        p += 8;
    }
    while (p < end && *p != '\r' && *p != '\n') ++p;
    return p;
}

// Calls row(begin, length) for each line; the last call has ended = false
// when text follows the last line break.
template <typename RowFn>
size_t ForEachLine(const char* begin, const char* end, RowFn row) {
    size_t rows = 0;
    const char* p = begin;
    while (p < end) {
        const char* q = FindBreak(p, end);
        if (q == end) {
            row(p, static_cast<size_t>(q - p), false);
            ++rows;
            break;
        }
        row(p, static_cast<size_t>(q - p), true);
        ++rows;
        if (*q == '\r' && q + 1 < end && q[1] == '\n') ++q;
        p = q + 1;
    }
    return rows;
}

size_t BlankOutNuls(char* begin, char* end) {
    size_t count = 0;
    for (char* p = begin; p < end;) {
        p = static_cast<char*>(std::memchr(p, 0, static_cast<size_t>(end - p)));
        if (!p) break;
        *p++ = ' ';
        ++count;
    }
    return count;
}

// Cuts one line (no line break in it) into screen rows of at most W columns
// by the wrap options; row(piece, attribute) is called for each, every row
// raWrapped but the last, which is raLineBreak. The column map of each
// piece stops at W + 3 columns, so a long line costs per row. When
// stopAt(p) says so for a row about to begin at p, the row before ends
// raWrapped and false is returned.
template <typename RowFn, typename StopFn>
bool WrapLine(std::string_view line, const TMeasure& m, const TEditorWrapOption& o, RowFn row, StopFn stopAt) {
    const int w = m.wrapWidth;
    std::string map = BuildColumnMap(line, m);
    if (w <= 0 || static_cast<int>(map.size()) < w) {
        row(line, raLineBreak);
        return true;
    }
    // The last piece is held back: an exact fit with FollowRetMark makes
    // it the line's last row.
    std::string_view pending;
    bool held = false;
    auto emit = [&](std::string_view piece) {
        if (held) row(pending, raWrapped);
        pending = piece;
        held = true;
    };
    const int wordFloor = w / 3;
    const int leadFloor = (w / 5) * 4;
    std::string_view rest = line;
    TEditorAttributeArray a;
    a.Init(rest, std::move(map));
    a.MoveTo(w);
    for (;;) {
        if (a.Kind() == '0') {
            if (!rest.empty()) {
                emit(rest);
            } else if (!o.FollowRetMark()) {
                emit(std::string_view());
            }
            row(pending, raLineBreak);
            return true;
        }
        if (a.Kind() == '4') {
            a.Prev();  // the character goes to the next row whole
        } else if (o.WordBreak() && a.Length() > w) {
            while (a.Kind() != '2' && a.Kind() != '3' && a.Kind() != '5' && a.Position() > wordFloor) a.StepBack();
        }
        if (o.FollowPunctuation()) {
            while (a.Position() < w + 2 && WrapSetHolds(o.PunctuationStr(), a.NextChar())) {
                a.Next();
                if (a.Kind() == '4') a.Next();
            }
        }
        if (o.Leading() && a.Position() < a.Length()) {
            while (a.Position() > leadFloor && WrapSetHolds(o.LeadStr(), a.Char())) a.StepBack();
            if (a.Position() + 1 < a.Length() && WrapSetHolds(o.FollowStr(), a.NextChar())) {
                std::string_view next = a.NextChar(), here = a.Char();
                while (a.Position() > leadFloor &&
                       (WrapSetHolds(o.LeadStr(), here) || WrapSetHolds(o.FollowStr(), next))) {
                    a.StepBack();
                    next = here;
                    here = a.Char();
                }
            }
        }
        const size_t n = std::min(rest.size(), static_cast<size_t>(std::max(1, a.ByteIndex())));
        emit(rest.substr(0, n));
        rest.remove_prefix(n);
        if (!rest.empty() && stopAt(rest.data())) {
            row(pending, raWrapped);
            return false;
        }
        a.Init(rest, BuildColumnMap(rest, m));
        a.MoveTo(w);
    }
}

template <typename RowFn>
void WrapLine(std::string_view line, const TMeasure& m, const TEditorWrapOption& o, RowFn row) {
    WrapLine(line, m, o, row, [](const char*) { return false; });
}

// A heap copy owned by the row that gets it.
const char* OwnedCopy(std::string_view s) {
    if (s.empty()) return nullptr;
    char* copy = static_cast<char*>(std::malloc(s.size()));
    if (!copy) throw std::bad_alloc();
    std::memcpy(copy, s.data(), s.size());
    return copy;
}

}  // namespace

TEditorScreenStrings* TEditorScreenStrings::Create(TEditor* owner) {
    auto* store = new TEditorScreenStrings(owner);
    store->undo_ = store->CreateUndoObject();
    store->wrapOption_ = store->CreateWrapOption();
    store->wrapOption_->OnChange = [store](TNotifyPersistent&) {
        if (store->wordWrap_) store->Rewrap();
    };
    return store;
}

TEditorScreenStrings::TEditorScreenStrings(TEditor* owner) {
    if (owner) editors_.push_back(owner);
}

TEditorScreenStrings::~TEditorScreenStrings() = default;

std::unique_ptr<TEditorUndoObj> TEditorScreenStrings::CreateUndoObject() {
    return std::make_unique<TEditorUndoObj>(*this);
}

std::unique_ptr<TEditorWrapOption> TEditorScreenStrings::CreateWrapOption() {
    return std::make_unique<TEditorWrapOption>();
}

void TEditorScreenStrings::AddEditor(TEditor* editor) {
    if (std::find(editors_.begin(), editors_.end(), editor) == editors_.end()) editors_.push_back(editor);
}

void TEditorScreenStrings::RemoveEditor(TEditor* editor) {
    auto it = std::find(editors_.begin(), editors_.end(), editor);
    if (it == editors_.end()) return;
    editors_.erase(it);
    if (editors_.empty()) delete this;
}

TEditor* TEditorScreenStrings::FocusedEditor() const {
    for (TEditor* e : editors_)
        if (e->Focused()) return e;
    return Owner();
}

int TEditorScreenStrings::FirstRowOfLine(int row) const {
    if (row > Count()) return row;
    while (row > 0 && AttributeOf(row - 1) == raWrapped) --row;
    return row;
}

int TEditorScreenStrings::LastRowOfLine(int row) const {
    if (row < 0) return row;
    while (row < Count() - 1 && AttributeOf(row) == raWrapped) ++row;
    return row;
}

TGathered TEditorScreenStrings::GatherText(int row, int n) const {
    TGathered g;
    if (row < 0 || row >= Count() || n == 0 || n < -1) return g;
    int last = n == -1 ? LastRowOfLine(row) : std::min(row + n - 1, Count() - 1);
    int64_t total = SpanBytes(row, last + 1);
    if (AttributeOf(last) == raEndOfText) total -= 1;
    g.text.reserve(static_cast<size_t>(total));
    for (int r = row; r <= last; ++r) {
        g.text += Text(r);
        if (AttributeOf(r) == raLineBreak) g.text += kCrLf;
    }
    g.lastAttribute = AttributeOf(last);
    g.rows = last - row + 1;
    return g;
}

namespace {

// The bytes rows [row, row + n) hold in the whole text.
int64_t RowBytes(const TEditorStringList& s, int row, int n) {
    if (n <= 0) return 0;
    int64_t bytes = s.SpanBytes(row, row + n);
    // The end-of-text row counts one in row offsets but holds no break.
    if (s.GetRowAttribute(row + n - 1) == raEndOfText) bytes -= 1;
    return bytes;
}

}  // namespace

void TEditorScreenStrings::TellEditing(int64_t offset, int64_t removed, std::string_view inserted) {
    if (OnTextEdit) OnTextEdit(offset, removed, inserted);
    for (TTextWatcher* w : watchers_) w->TextEditing(offset, removed, inserted);
}

void TEditorScreenStrings::TellReset() {
    if (OnTextReset) OnTextReset();
    for (TTextWatcher* w : watchers_) w->TextReset();
}

TRowMarks TEditorScreenStrings::DeleteRows(int row, int n) {
    if (row < 0 || row >= Count() || n <= 0) return 0;
    n = std::min(n, Count() - row);
    if (Watched()) TellEditing(RowOffset(row), RowBytes(*this, row, n), {});
    TRowMarks marks = 0;
    for (int r = row; r < row + n; ++r) marks |= GetMarks(r);
    Changing();
    DeleteRowsRaw(row, n);
    ++rawChanges_;
    Changed();
    return marks;
}

void TEditorScreenStrings::ReplaceRowRange(int a, int n, TEditorStringList& list) {
    const int k = list.Count();
    if (Watched()) {
        std::string inserted;
        for (int i = 0; i < k; ++i) {
            inserted += list.Text(i);
            if (list.GetRowAttribute(i) == raLineBreak) inserted += kCrLf;
        }
        TellEditing(RowOffset(a), RowBytes(*this, a, n), inserted);
    }
    std::vector<TRowMarks> marks(static_cast<size_t>(k), 0);
    Changing();
    if (k > n) {
        if (n >= 1) {
            // A line break typed at the start of a marked line carries the mark down.
            TEditor* focused = FocusedEditor();
            bool atColumn0 = focused && focused->Col() == 0;
            marks[atColumn0 ? k - n : 0] |= GetMarks(a);
            for (int i = 1; i < n; ++i) marks[i + k - n] |= GetMarks(a + i);
        }
        InsertRowsRaw(a + n, k - n);
    } else if (k < n) {
        TRowMarks removed = 0;
        for (int r = a; r < a + n - k; ++r) removed |= GetMarks(r);
        DeleteRowsRaw(a, n - k);
        for (int i = 0; i < k; ++i) marks[i] = GetMarks(a + i);
        if (k == 0) ExcludeMarks(removed);
        else marks[0] |= removed;
    } else {
        for (int i = 0; i < k; ++i) marks[i] = GetMarks(a + i);
    }
    ++rawChanges_;  // from here on the rows are changing
    for (int i = 0; i < k; ++i) {
        TakeRow(a + i, list, i);
        SetMarks(a + i, marks[i]);
    }
    Changed();
}

TMeasure TEditorScreenStrings::WrapMeasure() const {
    TMeasure m;
    if (const TEditor* owner = Owner()) m = owner->Measure();
    m.wrapWidth = wordWrap_ ? wrapOption_->WrapByte() : 0;
    return m;
}

void TEditorScreenStrings::SplitText(std::string_view text, TEditorStringList& list) {
    SplitTextUntil(text, list, [](const char*) { return false; });
}

bool TEditorScreenStrings::SplitTextUntil(std::string_view text, TEditorStringList& list,
                                          const std::function<bool(const char*)>& stopAt) {
    bool whole = true;
    list.BeginUpdate();
    list.Clear();
    if (text.empty()) {
        list.InsertRowsRaw(0, 1);
    } else {
        // Count first so that the list is sized once (wrapped lines add rows).
        size_t lines = ForEachLine(text.data(), text.data() + text.size(), [](const char*, size_t, bool) {});
        list.SetCapacity(static_cast<int>(lines));
        const TMeasure m = WrapMeasure();
        std::string copy;
        ForEachLine(text.data(), text.data() + text.size(), [&](const char* p, size_t len, bool) {
            if (!whole || (p != text.data() && stopAt(p))) {
                whole = false;
                return;
            }
            std::string_view line(p, len);
            const bool nul = line.find('\0') != std::string_view::npos;
            if (nul) {
                // Row text never holds NUL: it would end the row for the scanner and painter.
                copy.assign(line);
                std::replace(copy.begin(), copy.end(), '\0', ' ');
                line = copy;
            }
            auto add = [&](std::string_view piece, TRowAttribute attribute) {
                const int i = list.Count();
                list.InsertRowsRaw(i, 1);
                list.SetTextRaw(i, piece);
                if (attribute != raLineBreak) list.SetStateARaw(i, attribute);
            };
            // Stop points are places in `text`; a copy maps back to them.
            auto stop = [&](const char* q) { return stopAt(nul ? p + (q - copy.data()) : q); };
            // Most lines fit: they need no column map.
            if (m.wrapWidth <= 0 || TextWidthUpTo(line, m.wrapWidth, m) < m.wrapWidth) add(line, raLineBreak);
            else whole = WrapLine(line, m, *wrapOption_, add, stop);
        });
    }
    list.EndUpdate();
    return whole;
}

bool TEditorScreenStrings::SplitTextBefore(std::string_view text, int next, TEditorStringList& list) {
    // Only the first W + 3 columns after a row's start decide its cut, so
    // that much of the rows that follow is enough to see.
    const size_t window = static_cast<size_t>(WrapMeasure().wrapWidth + 3);
    std::string whole(text);
    for (int r = next; r < Count() && whole.size() < text.size() + window; ++r) {
        whole += Text(r);
        if (AttributeOf(r) != raWrapped) break;
    }
    const char* join = whole.data() + text.size();
    return !SplitTextUntil(whole, list, [join](const char* p) { return p == join; });
}

int TEditorScreenStrings::CountRows(std::string_view line) {
    const TMeasure m = WrapMeasure();
    if (m.wrapWidth <= 0 || TextWidthUpTo(line, m.wrapWidth, m) < m.wrapWidth) return 1;
    int rows = 0;
    WrapLine(line, m, *wrapOption_, [&](std::string_view, TRowAttribute) { ++rows; });
    return rows;
}

std::string_view TEditorScreenStrings::LineOfRows(int first, int last, std::string& joined) const {
    const Row& head = rows_[static_cast<size_t>(first)];
    std::string_view text = Text(first);
    if (first == last) return text;
    // Rows cut from one block of text lie end to end: no copy is needed.
    bool adjacent = !OwnsText(head);
    for (int r = first + 1; adjacent && r <= last; ++r) {
        const Row& prev = rows_[static_cast<size_t>(r - 1)];
        const Row& row = rows_[static_cast<size_t>(r)];
        if (row.length == 0) continue;
        adjacent = !OwnsText(row) && prev.length > 0 && TextOf(row) == TextOf(prev) + prev.length;
        if (adjacent) text = std::string_view(text.data(), static_cast<size_t>(TextOf(row) + row.length - text.data()));
    }
    if (adjacent && text.data() != nullptr) return text;
    joined.clear();
    for (int r = first; r <= last; ++r) joined += Text(r);
    return joined;
}

void TEditorScreenStrings::WrapAll() {
    const int count = Count();
    if (count == 0) return;
    for (TEditor* e : editors_) e->ClearSelection();
    const TMeasure m = WrapMeasure();
    const int w = m.wrapWidth;
    const TEditorWrapOption& o = *wrapOption_;
    const TRowAttribute lastAttribute = AttributeOf(count - 1);

    // Pass 1: the rows of every line, each line measured once. The pieces
    // of the lines that wrap are kept as [length..., rows] so that pass 2
    // reads them back to front without cutting again.
    std::vector<uint32_t> cuts;
    std::vector<bool> fits;
    fits.reserve(static_cast<size_t>(LineCount()));
    size_t total = 0;
    // Whether no line's new rows begin before its old ones: then the rows
    // are rebuilt in their own array, from the last line to the first.
    bool inPlace = true;
    std::string joined;
    for (int r = 0; r < count;) {
        const int e = LastRowOfLine(r);
        const std::string_view line = LineOfRows(r, e, joined);
        if (total < static_cast<size_t>(r)) inPlace = false;
        fits.push_back(TextWidthUpTo(line, w, m) < w);
        if (fits.back()) {
            ++total;
        } else {
            uint32_t pieces = 0;
            WrapLine(line, m, o, [&](std::string_view piece, TRowAttribute) {
                cuts.push_back(static_cast<uint32_t>(piece.size()));
                ++pieces;
            });
            cuts.push_back(pieces);
            total += pieces;
        }
        r = e + 1;
    }
    if (total > 0x7FFFFFFF) throw std::length_error("too many rows");

    // The rows a line becomes, from its old rows r..e and its text; a
    // piece that lies in a loaded block points into it, others are copied.
    // Marks stay on the rows they were on, the rest go to the last.
    std::vector<Row> made;
    auto build = [&](int r, int e, bool fit, const uint32_t* lengths, int pieces) {
        made.clear();
        if (fit && r == e) {
            // A line of one row that fits stays that row (the common case).
            Row to = rows_[static_cast<size_t>(r)];
            rows_[static_cast<size_t>(r)] = Row{};
            to.stateA = static_cast<uint32_t>(raLineBreak);
            made.push_back(to);
            return;
        }
        auto marksOf = [this](int g) { return MarksOf(rows_[static_cast<size_t>(g)]); };
        TRowMarks all = 0;
        for (int g = r; g <= e; ++g) all |= marksOf(g);
        const std::string_view line = LineOfRows(r, e, joined);
        if (fit) {
            Row to{};
            {
                const bool inBlock = line.data() != joined.data();
                const char* text = inBlock ? line.data() : OwnedCopy(line);
                SetRowText(to, text, line.size(), text && !inBlock);
            }
            to.stateA = static_cast<uint32_t>(raLineBreak);
            SetMarksRaw(to, all);
            made.push_back(to);
        } else {
            const bool inBlock = !OwnsText(rows_[static_cast<size_t>(r)]) && line.data() != joined.data();
            const int oldRows = e - r + 1;
            size_t at = 0;
            for (int i = 0; i < pieces; ++i) {
                const std::string_view piece = line.substr(at, lengths[i]);
                at += piece.size();
                Row to{};
                const char* text = inBlock ? (piece.empty() ? nullptr : piece.data()) : OwnedCopy(piece);
                SetRowText(to, text, piece.size(), text && !inBlock);
                to.stateA = static_cast<uint32_t>(i + 1 < pieces ? raWrapped : raLineBreak);
                TRowMarks marks = i < oldRows ? marksOf(r + i) : 0;
                if (i + 1 == pieces)
                    for (int g = r + pieces; g <= e; ++g) marks |= marksOf(g);
                SetMarksRaw(to, marks);
                made.push_back(to);
            }
        }
        // The old rows go once the new ones hold their texts.
        for (int g = r; g <= e; ++g) FreeRow(rows_[static_cast<size_t>(g)]);
    };

    // Pass 2, from the last line to the first. In place, the array grows to
    // the new count (in its own memory where the allocator can) and each
    // line's rows are written from the end, never over rows of a line still
    // to come; otherwise (a re-split that makes some lines fewer rows) the
    // rows are built beside the old ones.
    SplitVector<Row> fresh;
    SplitVector<Row>& to = inPlace ? rows_ : fresh;
    if (inPlace) {
        rows_.SetCapacity(std::max(total, static_cast<size_t>(count)));
        if (total > static_cast<size_t>(count))
            rows_.InsertZeroed(static_cast<size_t>(count), total - static_cast<size_t>(count));
    } else {
        fresh.SetCapacity(total);
        fresh.InsertZeroed(0, total);
    }
    size_t k = total, c = cuts.size(), l = fits.size();
    for (int e = count - 1; e >= 0;) {
        const int r = FirstRowOfLine(e);
        const bool fit = fits[--l];
        int pieces = 1;
        const uint32_t* lengths = nullptr;
        if (!fit) {
            pieces = static_cast<int>(cuts[--c]);
            c -= static_cast<size_t>(pieces);
            lengths = cuts.data() + c;
        }
        build(r, e, fit, lengths, pieces);
        for (size_t i = made.size(); i-- > 0;) to[--k] = made[i];
        e = r - 1;
    }
    if (inPlace && total < static_cast<size_t>(count)) rows_.Erase(total, static_cast<size_t>(count) - total);
    to[total - 1].stateA = static_cast<uint32_t>(lastAttribute == raWrapped ? raEndOfText : lastAttribute);
    AdoptRows(std::move(fresh));
}

void TEditorScreenStrings::UnwrapAll() {
    const int count = Count();
    if (count == 0) return;
    for (TEditor* e : editors_) e->ClearSelection();
    const TRowAttribute lastAttribute = AttributeOf(count - 1);
    std::string joined;
    size_t k = 0;  // rows are compacted to the front: k <= r
    for (int r = 0; r < count;) {
        const int e = LastRowOfLine(r);
        Row row;
        if (r == e) {
            row = rows_[static_cast<size_t>(r)];
            rows_[static_cast<size_t>(r)] = Row{};
        } else {
            TRowMarks all = 0;
            for (int g = r; g <= e; ++g) all |= GetMarks(g);
            const std::string_view line = LineOfRows(r, e, joined);
            const bool inBlock = line.data() != joined.data();
            row = Row{};
            const char* text = inBlock ? line.data() : OwnedCopy(line);
            SetRowText(row, text, line.size(), text && !inBlock);
            SetMarksRaw(row, all);
            for (int g = r; g <= e; ++g) FreeRow(rows_[static_cast<size_t>(g)]);
        }
        row.stateA = static_cast<uint32_t>(raLineBreak);
        rows_[k++] = row;
        r = e + 1;
    }
    rows_[k - 1].stateA = static_cast<uint32_t>(lastAttribute == raWrapped ? raEndOfText : lastAttribute);
    rows_.Erase(k, rows_.size() - k);
    AdoptRows(SplitVector<Row>());
}

void TEditorScreenStrings::AdoptRows(SplitVector<Row> fresh) {
    if (!fresh.empty() || rows_.empty()) {
        for (size_t i = 0; i < rows_.size(); ++i) FreeRow(rows_[i]);
        rows_ = std::move(fresh);
    }
    // The colouring state and kept scans start over (the caller's FullScan).
    scans_.clear();
    computedRows_ = 0;
    RebuildOffsets();
}

int TEditorScreenStrings::FirstRowReaching(int s, int a) const {
    // A row's cut depends on the first W + 3 columns from its start (the
    // column map stops there), so every earlier row of the line whose
    // window reaches row a may be cut differently once a changes: e.g. a
    // line break typed into a line of short word-broken rows lets the row
    // two above hold the rest. Rows are re-split from the first of those.
    // Widths only grow when a row is prefixed, so the first row whose
    // window ends before row a has no earlier row that reaches it.
    const TMeasure m = WrapMeasure();
    const int window = m.wrapWidth + 3;
    std::string joined;
    for (int r = s; r < a && r < Count(); ++r) joined += Text(r);
    while (s > 0 && AttributeOf(s - 1) == raWrapped) {
        std::string before(Text(s - 1));
        // Each byte is at least one column: a window never holds more bytes.
        before.append(joined, 0, std::min(joined.size(), static_cast<size_t>(window)));
        if (TextWidthUpTo(before, window, m) >= window) break;
        joined = std::move(before);
        --s;
    }
    return s;
}

void TEditorScreenStrings::ReplaceRows(int a, int n, std::string_view t) {
    const int count = Count();
    if (a < 0 || n < 0 || a + n - 1 > count - 1 || (n == 0 && t.empty())) return;

    int s = std::max(FirstRowOfLine(a), a - 1);
    // Text inserted after an unterminated last row joins it: the end-of-text
    // row must stay the last one.
    if (n == 0 && a == count && count > 0 && AttributeOf(count - 1) == raEndOfText) s = count - 1;
    if (wordWrap_) s = FirstRowReaching(s, a);
    int e0 = a + n - 1;
    int e = LastRowOfLine(e0);
    if (t.empty() && n > 0 && a == s && e0 < e && e == count - 1 && AttributeOf(e) == raEndOfText) {
        // Deleting a last line's rows but the empty row that an exact fit
        // adds after them would leave that row as an empty last line that
        // the text does not have: it goes with them.
        bool empty = true;
        for (int r = e0 + 1; r <= e && empty; ++r) empty = Text(r).empty();
        if (empty) {
            e0 = e;
            n = e - a + 1;
        }
    }

    BeginUpdate();
    // A failure (no memory) before the rows change leaves the text and the
    // histories as they were; the record of the change goes with it.
    TUndoData* pending = nullptr;
    const uint64_t changesBefore = rawChanges_;
    try {
    if (a == s && e == e0 && t.empty() && n > 0) {
        TGathered g = GatherText(a, n);
        if (TUndoData* u = recording_ ? undo_->NewRecord() : nullptr) {
            u->startRow = a;
            u->oldText = std::move(g.text);
            u->lastAttribute = g.lastAttribute;
            pending = u;
        }
        TRowMarks m = DeleteRows(a, n);
        undo_->Settled();
        if (Count() == 0) ExcludeMarks(m);
        else {
            int target = std::min(a, Count() - 1);
            SetMarks(target, GetMarks(target) | m);
        }
        int c = RescanEdited(a);
        lastChange_ = {a, n, 0, c, true};
    } else {
        TRowAttribute last;
        if (e0 < e) {
            last = AttributeOf(e);
        } else if (e + 1 < Count()) {
            // A text without a final line break joins the next line, so rebuild it too.
            e = LastRowOfLine(e + 1);
            last = AttributeOf(e);
        } else {
            bool endsWithBreak = !t.empty() && (t.back() == '\n' || t.back() == '\r');
            last = endsWithBreak ? raLineBreak : raEndOfText;
        }

        std::string whole;
        whole.reserve(static_cast<size_t>(SpanBytes(s, a)) + t.size() + static_cast<size_t>(SpanBytes(e0 + 1, e + 1)));
        for (int r = s; r < a; ++r) {
            whole += Text(r);
            if (AttributeOf(r) == raLineBreak) whole += kCrLf;
        }
        whole += t;
        const size_t tail = whole.size();
        for (int r = e0 + 1; r <= e; ++r) {
            whole += Text(r);
            if (AttributeOf(r) == raLineBreak) whole += kCrLf;
        }
        // Text put before the empty last row that an exact fit adds: when it
        // ends with a line break, nothing follows the break and the text
        // ends with it, so the break must stay.
        if (last == raEndOfText && !whole.empty() && (whole.back() == '\n' || whole.back() == '\r'))
            last = raLineBreak;

        TEditorStringList list;
        if (wordWrap_ && e0 < e) {
            // A row that would begin where an old continuation row after the
            // edit began is that row again, and so are the rows after it:
            // splitting stops there and they stay. (Lines after the edited
            // one are rebuilt whole, as without word wrap.)
            std::vector<std::pair<size_t, int>> starts;  // place in `whole`, row
            size_t at = tail;
            for (int r = e0 + 1; r <= e; ++r) {
                if (r > 0 && AttributeOf(r - 1) == raWrapped) starts.emplace_back(at, r);
                at += Text(r).size() + (AttributeOf(r) == raLineBreak ? 2 : 0);
            }
            int keptFrom = -1;
            const bool wholeSplit = SplitTextUntil(whole, list, [&](const char* p) {
                const size_t place = static_cast<size_t>(p - whole.data());
                auto it = std::lower_bound(starts.begin(), starts.end(), std::make_pair(place, 0));
                if (it == starts.end() || it->first != place) return false;
                keptFrom = it->second;
                return true;
            });
            if (wholeSplit) list.SetRowAttribute(list.Count() - 1, last);
            else e = keptFrom - 1;
        } else {
            SplitText(whole, list);
            list.SetRowAttribute(list.Count() - 1, last);
        }
        // The rows hold their own copies now: the joined text goes before
        // the undo record gathers the old one (on a replace-all each is as
        // large as the text).
        std::string().swap(whole);
        TGathered g = GatherText(s, e - s + 1);
        TUndoData* u = recording_ ? undo_->NewRecord() : nullptr;
        if (u) {
            u->startRow = s;
            u->oldText = std::move(g.text);
            u->lastAttribute = g.lastAttribute;
            pending = u;
        }
        const int oldRows = e - s + 1;
        const int newRows = list.Count();
        if (u) u->insertedRows = newRows;
        ReplaceRowRange(s, oldRows, list);
        undo_->Settled();
        int c = RescanEdited(s);
        lastChange_ = {s, oldRows, newRows, c, true};
    }
    } catch (...) {
        // Rows already changed keep their record: undo must still fit them.
        if (rawChanges_ == changesBefore) undo_->Withdraw(pending);
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TEditorScreenStrings::ReplaceBytes(int row, int start, int end, std::string_view t) {
    if (row < 0 || row >= Count()) return;
    const int length = static_cast<int>(Text(row).size());
    start = std::clamp(start, 0, length);
    end = std::clamp(end, start, length);
    if (start == end && t.empty()) return;
    const TRowAttribute attribute = AttributeOf(row);
    if (wordWrap_ || (attribute == raEndOfText && t.empty() && end - start == length)) {
        // A line is split into rows again, and an emptied last row without a
        // line break goes: the whole row is replaced.
        std::string whole(Text(row).substr(0, static_cast<size_t>(start)));
        whole += t;
        whole += Text(row).substr(static_cast<size_t>(end));
        if (attribute == raLineBreak) whole += kCrLf;
        ReplaceRows(row, 1, whole);
        return;
    }
    BeginUpdate();
    TUndoData* pending = nullptr;
    const uint64_t changesBefore = rawChanges_;
    try {
        std::string old(Text(row).substr(static_cast<size_t>(start), static_cast<size_t>(end - start)));
        if (TUndoData* u = undo_->NewRecord()) {
            u->startRow = row;
            u->insertedRows = 1;
            u->lastAttribute = attribute;
            u->inRow = true;
            u->byteStart = start;
            u->newLength = static_cast<int64_t>(t.size());
            u->oldText = std::move(old);
            pending = u;
        }
        const int c = EditRowInPlace(row, static_cast<size_t>(start), static_cast<size_t>(end - start), t);
        undo_->Settled();
        lastChange_ = {row, 1, 1, c, true};
    } catch (...) {
        // Rows already changed keep their record: undo must still fit them.
        if (rawChanges_ == changesBefore) undo_->Withdraw(pending);
        EndUpdate();
        throw;
    }
    EndUpdate();
}

int TEditorScreenStrings::EditRowInPlace(int row, size_t start, size_t length, std::string_view t) {
    // The row's kept scan follows the edit instead of going with the old text.
    if (Watched()) TellEditing(RowOffset(row) + static_cast<int64_t>(start), static_cast<int64_t>(length), t);
    auto scan = scans_.extract(row);
    ReplaceBytesRaw(row, start, length, t);
    ++rawChanges_;
    if (!scan.empty()) {
        scan.mapped()->Edit(start, length, t.size());
        scans_.insert(std::move(scan));
    }
    // The row's own state comes from the rows above and stays; the rows
    // below follow from its text.
    return 1 + (row + 1 < Count() ? RescanEdited(row + 1) : 0);
}

// ---- Colouring state -------------------------------------------------------------

namespace {

int ScanLimit(const TEditorScreenStrings& s, int from) {
    const TEditor* owner = s.Owner();
    if (!owner || owner->Properties().speed.initBracketsFull) return s.Count() - 1;
    return std::min(s.Count() - 1, from + 2 * owner->VisibleRows());
}

}  // namespace

int TEditorScreenStrings::RescanEdited(int row) {
    // In a change of many lines, rows whose states were never computed need
    // none now: scanning up to each edit would scan the whole text.
    if (bulk_ && row >= computedRows_) return 0;
    return Rescan(row, true);
}

void TEditorScreenStrings::RowsInserted(int at, int count) {
    if (computedRows_ > at) computedRows_ += count;
    MoveScans(at, 0, count);
}

void TEditorScreenStrings::RowsDeleted(int at, int count) {
    if (computedRows_ > at) computedRows_ = std::max(at, computedRows_ - count);
    MoveScans(at, count, 0);
}

void TEditorScreenStrings::RowTextChanged(int at, int count) {
    scans_.erase(scans_.lower_bound(at), scans_.lower_bound(at + count));
}

void TEditorScreenStrings::MoveScans(int at, int removed, int inserted) {
    if (scans_.empty() || scans_.rbegin()->first < at) return;
    std::map<int, std::unique_ptr<TRowScan>> moved;
    for (auto& [row, scan] : scans_) {
        if (row < at) moved.emplace_hint(moved.end(), row, std::move(scan));
        else if (row >= at + removed) moved.emplace_hint(moved.end(), row - removed + inserted, std::move(scan));
    }
    scans_ = std::move(moved);
}

void TEditorScreenStrings::SetLongRowScan(size_t longRow, size_t spacing) {
    longRow_ = std::max<size_t>(longRow, 1);
    scanSpacing_ = std::max<size_t>(spacing, 1);
    scans_.clear();
}

void TEditorScreenStrings::ScanRow(TFountainParser& parser, int n, TRowState& state) {
    ++scannedRows_;
    const std::string_view text = Text(n);
    // A wrapped row is scanned with the next one, and a token carried into
    // the row is not what the kept points start from.
    const bool line = AttributeOf(n) != raWrapped || n + 1 == Count();
    if (text.size() < longRow_ || wordWrap_ || !line || state.startToken != 0 || state.remain != 0) {
        parser.ScanRow(n, *this, state);
        return;
    }
    std::unique_ptr<TRowScan>& scan = scans_[n];
    if (!scan) scan = std::make_unique<TRowScan>();
    state.bracketIndex = parser.ScanLongRow(text, state.bracketIndex, *scan, scanSpacing_);
}

bool TEditorScreenStrings::StateComputed(int row) const {
    return row >= 0 && row < computedRows_ && row < Count() && GetBracketIndex(row) != -2;
}

void TEditorScreenStrings::EnsureState(int row) {
    if (row >= 0 && row < Count() && !StateComputed(row)) Rescan(row, false);
}

void TEditorScreenStrings::FullScan() {
    computedRows_ = 0;
    scans_.clear();  // the rules may have changed
    const TEditor* owner = Owner();
    if (!owner || Count() == 0) return;
    const int limit = ScanLimit(*this, owner->TopRow());
    TEditorParser parser(&owner->ActiveFountain());
    TRowState state;
    for (int n = 0; n <= limit; ++n) {
        state.prevAttribute = n > 0 ? AttributeOf(n - 1) : raLineBreak;
        StoreRowState(*this, n, state);
        if (n + 1 == Count()) break;  // no row below needs the state after the last one
        ScanRow(parser, n, state);
    }
    computedRows_ = limit + 1;
}

int TEditorScreenStrings::Rescan(int r, bool notify) {
    const TEditor* owner = Owner();
    const int count = Count();
    if (!owner || count == 0) return 0;
    r = std::clamp(r, 0, count - 1);
    TEditorParser parser(&owner->ActiveFountain());
    TRowState state;
    int n = 0;
    for (int g = std::min(r, computedRows_) - 1; g >= 0; --g) {
        if (GetBracketIndex(g) == -2) continue;
        state = LoadRowState(*this, g);
        ScanRow(parser, g, state);
        n = g + 1;
        break;
    }
    const int limit = std::max(r, ScanLimit(*this, r));
    int changed = 0;
    bool agreed = false;
    for (; n <= limit; ++n) {
        state.prevAttribute = n > 0 ? AttributeOf(n - 1) : raLineBreak;
        if (StateComputed(n) && LoadRowState(*this, n) == state) {
            agreed = true;  // everything below is still right
            break;
        }
        StoreRowState(*this, n, state);
        if (notify) {
            ++changed;
            for (TEditor* e : editors_) e->PaintRow(n);
        }
        if (n + 1 == count) {
            ++n;  // no row below needs the state after the last one
            break;
        }
        ScanRow(parser, n, state);
    }
    if (!agreed) computedRows_ = n;
    return changed;
}

bool TEditorScreenStrings::ScanSome(std::chrono::nanoseconds budget) {
    const TEditor* owner = Owner();
    const int count = Count();
    if (!owner || computedRows_ >= count) return false;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const Clock::time_point until = start + budget;
    TEditorParser parser(&owner->ActiveFountain());
    TRowState state;
    int n = computedRows_;
    size_t bytes = 0;  // scanned in this slice
    if (n > 0) {
        // The last computed row, scanned for the state of the next one (a
        // long row the last slice left for this one).
        state = LoadRowState(*this, n - 1);
        ScanRow(parser, n - 1, state);
        bytes = Text(n - 1).size();
    }
    // The clock is read every few rows and before every long row; a long
    // row whose scan would run past the budget, at the pace of the slice so
    // far, is left for the next slice (which always scans it).
    constexpr size_t kLongRow = 16 * 1024;
    size_t sinceCheck = 0;
    for (int k = 0; n < count; ++n, ++k) {
        state.prevAttribute = n > 0 ? AttributeOf(n - 1) : raLineBreak;
        if (LoadRowState(*this, n) != state) {
            StoreRowState(*this, n, state);
            for (TEditor* e : editors_) e->PaintRow(n);
        }
        if (n + 1 == count) continue;  // no row below needs the state after the last one
        const size_t length = Text(n).size();
        if (k % 16 == 15 || sinceCheck > 4 * kLongRow || length > kLongRow) {
            const Clock::time_point now = Clock::now();
            const auto pace = (now - start) / static_cast<int64_t>(bytes + 1);
            if (now >= until || (length > kLongRow && now + pace * static_cast<int64_t>(length) > until)) {
                ++n;  // this row's state is done; the scan of its text is not
                break;
            }
            sinceCheck = 0;
        }
        ScanRow(parser, n, state);
        bytes += length;
        sinceCheck += length;
    }
    computedRows_ = n;
    return computedRows_ < count;
}

void TEditorScreenStrings::Clear() {
    for (TEditor* e : editors_) e->ClearSelection();
    undo_->Clear();
    lastChange_ = {0, Count(), 0, 0, true};
    TEditorStringList::Clear();
    lastChange_ = {};
    computedRows_ = 0;
    for (TEditor* e : editors_) {
        e->SetRowCol(0, 0);
        e->SetTopRow(0);
    }
    marksInUse_ = 0;
    TellReset();
}

void TEditorScreenStrings::EndUpdate() {
    bool outermost = UpdateCount() == 1;
    TEditorStringList::EndUpdate();
    if (!outermost) return;
    lastChange_ = {};
    for (TEditor* e : editors_) e->ClampToRows();
}

void TEditorScreenStrings::Changed() {
    TEditorStringList::Changed();
    if (UpdateCount() != 0) return;
    std::vector<TEditor*> editors = editors_;
    for (TEditor* e : editors) e->StringsChanged();
}

void TEditorScreenStrings::SetWordWrap(bool on) {
    if (on == wordWrap_) return;
    wordWrap_ = on;
    Rewrap();
}

void TEditorScreenStrings::Rewrap() {
    undo_->Clear();
    if (wordWrap_) WrapAll();
    else UnwrapAll();
    FullScan();
    for (TEditor* e : editors_) {
        e->TextReset();
        e->ClampToRows();
        e->SetCol(0);
    }
}

int64_t TEditorScreenStrings::TextLength() const {
    int n = Count();
    if (n == 0) return 0;
    return RowOffset(n) - (AttributeOf(n - 1) == raEndOfText ? 1 : 0);
}

std::string TEditorScreenStrings::GetText() const {
    std::string out;
    out.resize(static_cast<size_t>(TextLength()));
    char* p = out.data();
    for (int r = 0, n = Count(); r < n; ++r) {
        std::string_view row = Text(r);
        if (!row.empty()) std::memcpy(p, row.data(), row.size());
        p += row.size();
        if (AttributeOf(r) == raLineBreak) {
            *p++ = '\r';
            *p++ = '\n';
        }
    }
    return out;
}

void TEditorScreenStrings::BuildRowsFromBuffer(std::unique_ptr<char[]> buffer, size_t size) {
    char* const begin = buffer.get();
    const char* end = begin + size;
    size_t text = 0;
    const size_t rows = ForEachLine(begin, end, [&](const char*, size_t len, bool) { text += len; });
    if (rows == 0) return;
    if (rows > 0x7FFFFFFF) throw std::length_error("too many lines");
    AdoptBlock(std::move(buffer), size);
    ReserveRowsForLoad(rows);
    // The lines move down over their line breaks, which the rows do not
    // keep. Near the end, where the row records have taken about as much as
    // the line breaks held, the pages left behind are given back, so that
    // the text is held once, without its line breaks (given back earlier,
    // the pages would only be taken again as the lines move down).
    constexpr size_t kReleaseEvery = size_t{1} << 20;
    const size_t gap = size - text;
    char* to = begin;
    const char* released = begin;
    size_t made = 0;
    bool lastEnded = true;
    Row batch[1024];
    size_t inBatch = 0;
    ForEachLine(begin, end, [&](const char* p, size_t len, bool ended) {
        if (to != p && len) std::memmove(to, p, len);
        Row& r = batch[inBatch++];
        r = Row{};
        SetRowText(r, to, len, false);
        to += len;
        lastEnded = ended;
        if (inBatch == std::size(batch)) {
            AddRowsForLoad(batch, inBatch);
            made += inBatch;
            inBatch = 0;
            if (p - released >= static_cast<ptrdiff_t>(kReleaseEvery) && (rows - made) * sizeof(Row) < gap) {
                platform::ReleasePages(to, const_cast<char*>(p));
                released = p;
            }
        }
    });
    AddRowsForLoad(batch, inBatch);
    platform::ReleasePages(to, const_cast<char*>(end));
    if (!lastEnded) SetStateARaw(static_cast<int>(rows) - 1, raEndOfText);
    RebuildOffsets();
}

TLoadReport TEditorScreenStrings::ReplaceAll(const std::function<platform::FileBlock()>& source, bool eofByteEnds) {
    TLoadReport report;
    BeginUpdate();
    try {
        Clear();
        platform::FileBlock block = source();
        char* begin = block.data.get();
        size_t size = block.size;
        if (eofByteEnds) {
            report = PrepareFileText(begin, &size);
        } else {
            report.nulBytes = BlankOutNuls(begin, begin + size);
        }
        report.stamp = block.stamp;
        BuildRowsFromBuffer(std::move(block.data), size);
        if (wordWrap_) WrapAll();
        FullScan();
        for (TEditor* e : editors_) e->TextReset();
        TellReset();
    } catch (...) {
        ClearRaw();
        EndUpdate();
        throw;
    }
    EndUpdate();
    return report;
}

TLoadReport PrepareFileText(char* begin, size_t* size) {
    size_t end = *size;
    while (end > 0 && (begin[end - 1] == '\r' || begin[end - 1] == '\n')) --end;
    if (end > 0 && begin[end - 1] == 0x1A) *size = end - 1;
    TLoadReport report;
    report.nulBytes = BlankOutNuls(begin, begin + *size);
    return report;
}

TLoadReport TEditorScreenStrings::LoadFromFile(const std::string& path) {
    return ReplaceAll([&] { return platform::ReadFileBlock(path); }, true);
}

TLoadReport TEditorScreenStrings::SetText(std::string_view text) {
    return ReplaceAll(
        [&] {
            platform::FileBlock copy;
            copy.data.reset(new char[text.size() + 1]);
            if (!text.empty()) std::memcpy(copy.data.get(), text.data(), text.size());
            copy.size = text.size();
            return copy;
        },
        false);
}

platform::FileStamp TEditorScreenStrings::SaveToFile(const std::string& path) const {
    platform::SafeFileWriter out(path, TextLength());
    for (int r = 0, n = Count(); r < n; ++r) {
        out.Write(Text(r));
        if (AttributeOf(r) == raLineBreak) out.Write(kCrLf);
    }
    return out.Commit();
}

}  // namespace editor
