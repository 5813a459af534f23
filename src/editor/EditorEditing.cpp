// Editing commands: typing, Enter, TAB, Backspace, Delete, the clipboard,
// box paste, indenting, deleting a row. Each is one ReplaceRows.
#include <algorithm>

#include "editor/Editor.h"
#include "platform/ShiftJis.h"

namespace editor {

namespace {

constexpr std::string_view kCrLf = "\r\n";

// A character of a row: its first byte, byte length and columns.
struct TChar {
    int byte = 0;
    int length = 0;
    int col = 0;
    int width = 0;
};

// The characters of a row with their columns.
std::vector<TChar> Chars(std::string_view text, const TMeasure& m) {
    std::vector<TChar> out;
    int col = 0;
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        int len = platform::IsLeadByte(c) && i + 1 < text.size() ? 2 : 1;
        int width = c == '\t' ? m.TabSpan(col) : len;
        out.push_back({static_cast<int>(i), len, col, width});
        col += width;
        i += static_cast<size_t>(len);
    }
    return out;
}

// The character covering column `col`; nullptr past the end.
const TChar* CharAt(const std::vector<TChar>& chars, int col) {
    for (const TChar& ch : chars)
        if (col >= ch.col && col < ch.col + ch.width) return &ch;
    return nullptr;
}

bool IsBlankAt(std::string_view text, size_t i, size_t* len) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == ' ' || c == '\t') {
        *len = 1;
        return true;
    }
    if (c == 0x81 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x40) {
        *len = 2;
        return true;
    }
    return false;
}

// Line breaks of any kind become CR LF, so that byte counts match the store.
std::string NormaliseBreaks(std::string_view s) {
    std::string out;
    out.reserve(s.size() + 8);
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r') {
            out += kCrLf;
            if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
        } else if (s[i] == '\n') {
            out += kCrLf;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::vector<std::string> SplitLines(std::string_view s) {
    std::vector<std::string> lines;
    size_t i = 0;
    while (i < s.size()) {
        size_t j = s.find_first_of("\r\n", i);
        if (j == std::string_view::npos) j = s.size();
        lines.emplace_back(s.substr(i, j - i));
        if (j < s.size() && s[j] == '\r' && j + 1 < s.size() && s[j + 1] == '\n') ++j;
        i = j + 1;
    }
    if (lines.empty()) lines.emplace_back();
    return lines;
}

// A box's left column may lie beyond the end of a row: text put there is
// preceded by the blanks that reach the column.
void PadToColumn(std::string& row, size_t& at, int col, const TMeasure& m) {
    if (at < row.size()) return;
    int width = TextWidth(row, m);
    if (width < col) row.append(static_cast<size_t>(col - width), ' ');
    at = row.size();
}

// Typing `s` (no line break) at byte k of a row as a change of that row
// alone: the bytes [*from, *to) it replaces and what replaces them. False
// when overwriting runs on into the next row of a wrapped line.
bool TypedInRow(std::string_view text, bool wrapped, bool overwrite, int k, std::string_view s, const TMeasure& m,
                int* from, int* to, std::string* piece) {
    const int length = static_cast<int>(text.size());
    if (k >= length) {
        // Past the end: blanks up to the caret first.
        *from = *to = length;
        piece->assign(static_cast<size_t>(k - length), ' ');
        piece->append(s);
        return true;
    }
    *from = *to = k;
    piece->assign(s);
    if (!overwrite) return true;
    // Overwrite length(s) columns; s's characters never take more than two
    // bytes each, so the characters near the caret are enough.
    const int need = static_cast<int>(s.size());
    const std::vector<TChar> chars = Chars(text.substr(0, static_cast<size_t>(k) + 2 * s.size() + 4), m);
    size_t idx = 0;
    while (idx < chars.size() && chars[idx].byte < k) ++idx;
    int covered = 0;
    bool splitHalf = false;
    while (covered < need) {
        if (idx >= chars.size()) {
            if (wrapped) return false;
            *to = length;
            break;
        }
        const TChar& ch = chars[idx++];
        const int w = ch.length == 2 ? 2 : 1;
        if (covered + w > need) splitHalf = true;  // half of a double-byte character stays
        covered += w;
        *to = ch.byte + ch.length;
    }
    if (splitHalf) *piece += ' ';
    return true;
}

bool HasBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

// ---- Typing ---------------------------------------------------------------------

std::string TEditor::TextReplacingSelection(std::string_view s, int* first, int* taken, int* base, int64_t* start) {
    // The selection cut out, s put where its first row had it.
    TEditorStringList list;
    RemoveSelection(list);
    std::string row0 = list.Get(0);
    size_t at = static_cast<size_t>(std::clamp(list.GetInsertPosition(0) - 1, 0, static_cast<int>(row0.size())));
    if (selMode_ == smBox) PadToColumn(row0, at, selCols_.leftCol, Measure());
    row0.insert(at, s);
    list.Put(0, row0);
    *first = selBytes_.startRow;
    *taken = std::min(selBytes_.endRow, RowCount() - 1) - *first + 1;
    *base = std::max(store_->FirstRowOfLine(selCols_.topRow), selCols_.topRow - 1);
    *start = CaretOffset(*base, selCols_.topRow, selCols_.leftCol);
    return list.JoinedText();
}

void TEditor::InsertText(std::string_view s) {
    if (props_.readOnly || s.empty()) return;
    int first = row_, taken = 0, B = 0;
    int64_t p = 0;
    std::string t;
    if (Selected()) {
        int64_t start = 0;
        t = TextReplacingSelection(s, &first, &taken, &B, &start);
        p = start + static_cast<int64_t>(s.size());
    } else {
        const int R = row_;
        B = std::max(store_->FirstRowOfLine(R), R - 1);
        p = CaretOffset(B, R, col_) + static_cast<int64_t>(s.size());
        const int k = CaretUnlimitedByte();
        int from = 0, to = 0;
        std::string piece;
        if (R < RowCount() && !HasBreak(s) &&
            TypedInRow(RowText(R), RowAttribute(R) == raWrapped, overwrite_, k, s, Measure(), &from, &to, &piece)) {
            // A change of the caret's row alone.
            if (Marked()) ClearSelection();
            BeginNoCaret();
            store_->ReplaceBytes(R, from, to, piece);
            SetCaretOffset(B, p);
            EndNoCaret();
            return;
        }
        if (R >= RowCount()) {
            t.assign(static_cast<size_t>(k), ' ');
            t += s;
        } else {
            std::string text(RowText(R));
            taken = 1;
            int last = R;
            if (k >= static_cast<int>(text.size())) {
                t = text;
                t.append(static_cast<size_t>(k) - text.size(), ' ');
                t += s;
            } else if (overwrite_) {
                // Overwrite length(s) columns; past the end of a wrapped row the
                // following rows of the line are taken too.
                const TMeasure m = Measure();
                std::string line = text;
                std::vector<TChar> chars = Chars(line, m);
                int covered = 0;
                size_t idx = 0;
                while (idx < chars.size() && chars[idx].byte < k) ++idx;
                const int need = static_cast<int>(s.size());
                int endByte = k;
                bool splitHalf = false;
                while (covered < need) {
                    if (idx >= chars.size()) {
                        if (RowAttribute(last) == raWrapped && last + 1 < RowCount()) {
                            ++last;
                            ++taken;
                            line += RowText(last);
                            chars = Chars(line, m);
                            continue;
                        }
                        endByte = static_cast<int>(line.size());
                        break;
                    }
                    const TChar& ch = chars[idx];
                    int w = ch.length == 2 ? 2 : 1;
                    if (covered + w > need) splitHalf = true;  // half of a double-byte character stays
                    covered += w;
                    endByte = ch.byte + ch.length;
                    ++idx;
                }
                t = line.substr(0, static_cast<size_t>(k));
                t += s;
                if (splitHalf) t += ' ';
                t += line.substr(std::min(static_cast<size_t>(endByte), line.size()));
            } else {
                t = text;
                t.insert(static_cast<size_t>(k), s);
            }
            if (RowAttribute(last) == raLineBreak) t += kCrLf;
        }
        first = R;
    }
    if (Marked()) ClearSelection();
    BeginNoCaret();
    store_->ReplaceRows(first, taken, t);
    SetCaretOffset(B, p);
    EndNoCaret();
}

void TEditor::SetSelText(std::string_view input) {
    if (props_.readOnly) return;
    if (input.empty()) {
        if (Selected()) DeleteSelection();
        return;
    }
    std::string s = NormaliseBreaks(input);
    int first = row_, taken = 0, B = 0;
    int64_t start = 0;
    std::string t;
    if (Selected()) {
        t = TextReplacingSelection(s, &first, &taken, &B, &start);
    } else {
        const int R = row_;
        B = std::max(store_->FirstRowOfLine(R), R - 1);
        start = CaretOffset(B, R, col_);
        const int k = CaretUnlimitedByte();
        std::string text(RowText(R));
        if (static_cast<int>(text.size()) < k) text.append(static_cast<size_t>(k) - text.size(), ' ');
        t = text.substr(0, static_cast<size_t>(k)) + s + text.substr(static_cast<size_t>(k));
        if (R < RowCount()) {
            taken = 1;
            if (RowAttribute(R) == raLineBreak) t += kCrLf;
        }
    }
    bool hide = s.find('\r') != std::string::npos;
    if (hide) BeginNoCaret();
    if (Marked()) ClearSelection();
    store_->ReplaceRows(first, taken, t);
    SetCaretOffset(B, start + static_cast<int64_t>(s.size()));
    if (hide) EndNoCaret();
}

void TEditor::Tab() {
    if (props_.readOnly) return;
    const int t = props_.caret.tabSpaceCount;
    int n = t - col_ % t;
    if (WordWrap()) {
        int w = store_->WrapOption().WrapByte();
        n = std::min(n, w - col_ % w);
    }
    if (overwrite_) SetCol(col_ + n);
    else if (props_.caret.softTab) InsertText(std::string(static_cast<size_t>(n), ' '));
    else InsertText("\t");
}

void TEditor::Enter(bool shift) {
    if (props_.readOnly) return;
    if (Selected()) {
        if (shift) return;
        DeleteSelection();
    }
    if (row_ >= RowCount()) {
        store_->ReplaceRows(RowCount(), 0, kCrLf);
        SetRowCol(RowCount(), 0);
        return;
    }
    if (overwrite_) {
        SetRowCol(row_ + 1, 0);
        return;
    }
    const int R = row_;
    const int F = store_->FirstRowOfLine(R);
    const TMeasure m = Measure();
    const TEditorCaret& c = props_.caret;
    int e = 0;
    if (c.autoIndent) {
        int f = IndentWidth(RowText(F), m);
        if (f >= 1) {
            e = (F == R && col_ < f) ? col_ : f;
        } else if (c.prevSpaceIndent && F == R && RowText(R).empty()) {
            for (int g = F - 1; g >= 0; --g) {
                if (g > 0 && RowAttribute(g - 1) == raWrapped) continue;  // only lines' first rows
                if (RowText(g).empty()) continue;
                e = std::max(0, IndentWidth(RowText(g), m));
                break;
            }
        }
    }
    std::string indent;
    if (c.tabIndent) {
        indent.assign(static_cast<size_t>(e / c.tabSpaceCount), '\t');
        indent.append(static_cast<size_t>(e % c.tabSpaceCount), ' ');
    } else {
        indent.assign(static_cast<size_t>(e), ' ');
    }
    if (shift) {
        BeginNoCaret();
        store_->ReplaceRows(F, 0, indent + std::string(kCrLf));
        SetCaretOffset(F, static_cast<int64_t>(indent.size()));
        EndNoCaret();
        return;
    }
    std::string text(RowText(R));
    const int k = std::min(ByteIndex(R, col_), static_cast<int>(text.size()));
    std::string t = text.substr(0, static_cast<size_t>(k)) + std::string(kCrLf) + indent + text.substr(static_cast<size_t>(k));
    if (RowAttribute(R) == raLineBreak) t += kCrLf;
    int mapLength = static_cast<int>(ColumnMap(R).size());
    int64_t offset = CaretOffset(F, R, std::min(mapLength, col_)) + static_cast<int64_t>(indent.size()) + 2;
    BeginNoCaret();
    store_->ReplaceRows(R, 1, t);
    SetCaretOffset(F, offset);
    EndNoCaret();
}

void TEditor::Backspace() {
    if (props_.readOnly) return;
    if (Selected()) {
        DeleteSelection();
        return;
    }
    if (RowCount() == 0) {
        SetCol(col_ - 1);
        return;
    }
    const int i = col_, R = row_;
    const std::string map = ColumnMap(R);
    const int k = UnlimitedByteIndexOfColumn(map, i);
    const TMeasure m = Measure();
    if (k < 1) {
        if (R == 0) return;
        const int D = R - 1;
        const int B = std::max(store_->FirstRowOfLine(D), R - 2);
        std::string d(RowText(D));
        if (RowAttribute(D) == raWrapped) {
            std::vector<TChar> chars = Chars(d, m);
            if (!chars.empty()) d.resize(static_cast<size_t>(chars.back().byte));
        }
        int64_t joint = store_->SpanBytes(B, D) + static_cast<int64_t>(d.size());
        BeginNoCaret();
        if (R >= RowCount()) {
            store_->ReplaceRows(D, 1, d);
        } else {
            std::string t = d + std::string(RowText(R));
            if (RowAttribute(R) == raLineBreak) t += kCrLf;
            store_->ReplaceRows(D, 2, t);
        }
        SetCaretOffset(B, joint);
        EndNoCaret();
        return;
    }
    // The empty place after a final line break is an empty row: with
    // BackSpaceUnIndent the column goes back to an indentation above.
    const std::string_view text = RowText(R);
    const int e = IndentWidth(text, m);
    bool allBlank = !text.empty();
    for (size_t j = 0; j < text.size();) {
        size_t len = 1;
        if (!IsBlankAt(text, j, &len)) {
            allBlank = false;
            break;
        }
        j += len;
    }
    const int B = std::max(store_->FirstRowOfLine(R), R - 1);
    // The characters up to the caret's column (a row may be far longer).
    const std::vector<TChar> chars = Chars(ColumnsPrefix(text, i + 2), m);
    if (!props_.caret.backSpaceUnIndent || (!text.empty() && !allBlank && i != e)) {
        if (i > EndColumn(R)) {
            SetCol(i - 1);
            return;
        }
        const TChar* ch = (i < static_cast<int>(map.size()) && map[static_cast<size_t>(i)] == '3') ? CharAt(chars, i)
                                                                                                      : CharAt(chars, i - 1);
        if (!ch) return;
        int64_t offset = store_->SpanBytes(B, R) + ch->byte;
        BeginNoCaret();
        store_->ReplaceBytes(R, ch->byte, ch->byte + ch->length, "");
        SetCaretOffset(B, offset);
        EndNoCaret();
        return;
    }
    // Un-indent: back to the indentation of the nearest row above that is
    // indented less than the caret.
    const int F = store_->FirstRowOfLine(R);
    int target = 0;
    for (int g = R - 1; g >= 0; --g) {
        int h = std::max(0, IndentWidth(RowText(g), m));
        bool pass = g <= F ? h >= i : (h == 0 || h >= i);
        if (!pass) {
            target = h < i ? h : 0;
            break;
        }
    }
    if (target < static_cast<int>(map.size())) {
        // The row's bytes before the caret become the indentation's.
        std::string head;
        for (const TChar& ch : chars) {
            if (ch.col + ch.width <= target) {
                head.append(text, static_cast<size_t>(ch.byte), static_cast<size_t>(ch.length));
                continue;
            }
            if (ch.col < target) head.append(static_cast<size_t>(target - ch.col), ' ');  // a straddling character
            break;
        }
        const TChar* at = CharAt(chars, i);
        size_t rest = static_cast<size_t>(k);
        if (at && text[static_cast<size_t>(at->byte)] == '\t' && i > at->col) {
            head.append(static_cast<size_t>(at->col + at->width - i), ' ');
            rest = static_cast<size_t>(at->byte + 1);
        }
        BeginNoCaret();
        store_->ReplaceBytes(R, 0, static_cast<int>(std::min(rest, text.size())), head);
        SetRowCol(std::min(R, MaxCaretRow()), target);
        EndNoCaret();
    } else {
        SetCol(target);
    }
}

void TEditor::DeleteKey() {
    if (props_.readOnly) return;
    if (Selected()) {
        DeleteSelection();
        return;
    }
    const int R = row_;
    if (R >= RowCount()) return;
    const std::string_view text = RowText(R);
    const std::string map = ColumnMap(R);
    const int k = UnlimitedByteIndexOfColumn(map, col_);
    const int B = std::max(store_->FirstRowOfLine(R), R - 1);
    if (k < static_cast<int>(text.size())) {
        // The characters up to the caret's column (a row may be far longer).
        const std::vector<TChar> chars = Chars(ColumnsPrefix(text, col_ + 2), Measure());
        const TChar* ch = CharAt(chars, col_);
        if (!ch) return;
        int64_t offset = store_->SpanBytes(B, R) + ch->byte;
        BeginNoCaret();
        store_->ReplaceBytes(R, ch->byte, ch->byte + ch->length, "");
        SetCaretOffset(B, offset);
        EndNoCaret();
        return;
    }
    if (RowAttribute(R) == raEndOfText) return;
    std::string padded = std::string(text) + std::string(static_cast<size_t>(k) - text.size(), ' ');
    const int keepRow = row_, keepCol = col_;
    BeginNoCaret();
    if (R == RowCount() - 1) {
        store_->ReplaceRows(R, 1, padded);
    } else {
        std::string t = padded + std::string(RowText(R + 1));
        if (RowAttribute(R + 1) == raLineBreak) t += kCrLf;
        store_->ReplaceRows(R, 2, t);
    }
    SetRowCol(keepRow, keepCol);
    EndNoCaret();
}

// ---- Clipboard --------------------------------------------------------------------

void TEditor::CopyToClipboard() {
    if (!Selected() || !clipboard_) return;
    clipboard_->SetText(SelectedText(), selMode_ == smBox);
}

void TEditor::CutToClipboard() {
    if (!Selected()) return;
    CopyToClipboard();
    DeleteSelection();
}

void TEditor::PasteFromClipboard() {
    if (!clipboard_ || props_.readOnly) return;
    bool box = false;
    std::optional<std::string> text = clipboard_->GetText(&box);
    if (!text) return;
    if (box) BoxPaste(*text);
    else SetSelText(*text);
}

void TEditor::Cut() {
    if (props_.readOnly || !Selected()) {
        if (clipboard_) clipboard_->SetText("", false);
        return;
    }
    CutToClipboard();
}

void TEditor::Copy() {
    if (Selected()) CopyToClipboard();
    else if (clipboard_) clipboard_->SetText("", false);
}

void TEditor::BoxPaste(std::string_view s) {
    if (props_.readOnly) return;
    if (s.empty()) {
        if (Selected()) DeleteSelection();
        return;
    }
    std::vector<std::string> lines = SplitLines(s);
    const int count = static_cast<int>(lines.size());
    const bool selected = Selected();
    const int start = selected ? selCols_.topRow : row_;
    const int c = (selected ? selCols_.leftCol : col_) + 1;  // 1-based

    TEditorStringList result;
    if (selected) RemoveSelection(result);
    // Lines beyond the rows the selection leaves go into the store rows after
    // it; a normal selection's rows are gone, so those rows are not reused.
    const int cut = result.Count();
    const int next = !selected || selMode_ == smBox ? start + cut : std::min(selBytes_.endRow, RowCount() - 1) + 1;
    int lastTaken = selected ? std::min(selBytes_.endRow, RowCount() - 1) : start - 1;
    if (count > cut) lastTaken = std::max(lastTaken, std::min(RowCount() - 1, next + count - cut - 1));
    const int taken = std::max(0, lastTaken - start + 1);
    const TMeasure m = Measure();
    int caretCol = 0;
    for (int j = 0; j < count; ++j) {
        const std::string& line = lines[static_cast<size_t>(j)];
        const int storeRow = next + j - cut;
        if (j < cut) {
            std::string row = result.Get(j);
            size_t at = std::min(static_cast<size_t>(std::max(0, result.GetInsertPosition(j) - 1)), row.size());
            PadToColumn(row, at, c - 1, m);
            row.insert(at, line);
            result.Put(j, row);
            caretCol = TextWidth(row.substr(0, at + line.size()));
        } else if (storeRow < RowCount()) {
            std::string row(RowText(storeRow));
            int width = editor::TextWidth(row, m);
            size_t at;
            if (width < c - 1) {
                row.append(static_cast<size_t>(c - 1 - width), ' ');
                at = row.size();
            } else {
                at = static_cast<size_t>(ByteIndex(storeRow, c - 1));
                // A double-byte character across the column stays whole, left of the piece.
                const std::string map = ColumnMap(storeRow);
                if (static_cast<size_t>(c - 1) < map.size() && map[static_cast<size_t>(c - 1)] == '5') ++at;
            }
            row.insert(at, line);
            int r = result.Add(row);
            result.SetRowAttribute(r, RowAttribute(storeRow));
            caretCol = editor::TextWidth(row.substr(0, at + line.size()), m);
        } else {
            std::string row(static_cast<size_t>(c - 1), ' ');
            row += line;
            result.Add(row);
            caretCol = editor::TextWidth(row, m);
        }
    }
    for (int r = 0; r < result.Count(); ++r)
        if (result.GetRowAttribute(r) == raEndOfText) result.SetRowAttribute(r, raLineBreak);
    std::string t = result.JoinedText();
    BeginNoCaret();
    if (Marked()) ClearSelection();
    store_->ReplaceRows(start, taken, t);
    SetRowCol(start + count - 1, caretCol);
    EndNoCaret();
}

// ---- Indenting --------------------------------------------------------------------

namespace {

// Width of a run of blanks from byte i (TABs expanded from column col).
int BlankRunWidth(std::string_view text, size_t i, int col, const TMeasure& m, size_t* end) {
    int width = 0;
    size_t len = 0;
    while (i < text.size() && IsBlankAt(text, i, &len)) {
        int w = text[i] == '\t' ? m.TabSpan(col + width) : static_cast<int>(len);
        width += w;
        i += len;
    }
    *end = i;
    return width;
}

size_t LeadingBlankBytes(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c <= 0x20) {
            ++i;
        } else if (c == 0x81 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x40) {
            i += 2;
        } else {
            break;
        }
    }
    return i;
}

}  // namespace

static void ReindentSelection(TEditor& ed, bool indent);

void TEditor::IndentSelection() { ReindentSelection(*this, true); }
void TEditor::UnindentSelection() { ReindentSelection(*this, false); }

// Shared by indent and un-indent: one ReplaceRows for all the rows, then the
// selection and the caret follow the text.
static void ReindentSelection(TEditor& ed, bool indent) {
    if (ed.ReadOnly() || !ed.Selected()) return;
    TEditorScreenStrings& store = ed.Store();
    const TMeasure m = ed.Measure();
    const bool box = ed.SelectionMode() == smBox;
    const TEditor::TByteRange b = ed.SelectionBytes();
    const TEditor::TColumnRange cols = ed.SelectionColumns();
    int first, last;
    if (box) {
        first = cols.topRow;
        last = std::min(cols.bottomRow, ed.RowCount() - 1);
    } else {
        first = b.startRow;
        last = std::min(b.endByte == -1 && b.endRow > b.startRow ? b.endRow - 1 : b.endRow, ed.RowCount() - 1);
    }
    if (last < first) return;
    const int w = ed.WordWrap() ? store.WrapOption().WrapByte() : 0;
    std::string t;
    std::vector<int> delta(static_cast<size_t>(last - first + 1), 0);
    bool changed = false;
    for (int r = first; r <= last; ++r) {
        std::string text(ed.RowText(r));
        bool wrappedAround = ed.RowAttribute(r) == raWrapped || (r > 0 && ed.RowAttribute(r - 1) == raWrapped);
        bool may;
        if (indent) {
            may = !ed.WordWrap() || (!wrappedAround && editor::TextWidth(" " + text, m) < w);
        } else {
            size_t len = 0;
            may = !text.empty() && IsBlankAt(text, 0, &len) && !wrappedAround;
        }
        if (may && !box) {
            int iw = editor::IndentWidth(text, m);
            if (!text.empty()) {
                int width = indent ? iw + 1 : iw - 1;
                std::string row(static_cast<size_t>(std::max(0, width)), ' ');
                row += text.substr(LeadingBlankBytes(text));
                delta[static_cast<size_t>(r - first)] = std::max(0, width) - iw;
                changed = changed || row != text;
                text = row;
            }
        } else if (box) {
            // At the box's left edge (a character straddling it is taken from
            // its start) the run of blanks grows or shrinks by one column.
            std::vector<TChar> chars = Chars(text, m);
            const TChar* edge = nullptr;
            for (const TChar& ch : chars) {
                if (ch.col + ch.width > cols.leftCol) {
                    edge = &ch;
                    break;
                }
            }
            size_t at = edge ? static_cast<size_t>(edge->byte) : text.size();
            int atCol = edge ? edge->col : editor::TextWidth(text, m);
            size_t runEnd = at;
            int run = BlankRunWidth(text, at, atCol, m, &runEnd);
            bool act = edge != nullptr && (indent || runEnd > at);
            if (act) {
                int width = indent ? run + 1 : run - 1;
                std::string row = text.substr(0, at) + std::string(static_cast<size_t>(std::max(0, width)), ' ') +
                                  text.substr(runEnd);
                delta[static_cast<size_t>(r - first)] = std::max(0, width) - run;
                changed = changed || row != text;
                text = row;
            }
        }
        t += text;
        if (ed.RowAttribute(r) == raLineBreak) t += kCrLf;
    }
    if (!changed) return;
    // Where the selection ends and the caret stands, moved with their rows.
    auto shift = [&](int row, int col) {
        if (row < first || row > last || col == 0) return col;
        int d = delta[static_cast<size_t>(row - first)];
        int newIndent = std::max(0, editor::IndentWidth(ed.RowText(row), m));
        return std::max(newIndent, col + d);
    };
    int aRow = cols.topRow, aCol = cols.leftCol, cRow = cols.bottomRow, cCol = cols.rightCol;
    bool caretAtTop = ed.Row() == cols.topRow && ed.Row() != cols.bottomRow;
    if (caretAtTop) std::swap(aRow, cRow), std::swap(aCol, cCol);
    ed.BeginNoCaret();
    ed.ClearSelection();
    store.ReplaceRows(first, last - first + 1, t);
    aCol = shift(aRow, aCol);
    cCol = shift(cRow, cCol);
    ed.SetRowCol(aRow, aCol);
    ed.StartSelection();
    ed.SetRowCol(cRow, cCol);
    ed.Extend();
    const TEditor::TByteRange& nb = ed.SelectionBytes();
    if (nb.startRow == nb.endRow && nb.startByte == nb.endByte + 1) ed.ClearSelection();
    ed.EndNoCaret();
}

// ---- Rows, undo, text -------------------------------------------------------------

void TEditor::DeleteRow(int r) {
    if (props_.readOnly || r < 0 || r >= RowCount()) return;
    if (Marked()) ClearSelection();
    BeginNoCaret();
    store_->ReplaceRows(r, 1, "");
    if (r > 0 && r - 1 < RowCount() && RowAttribute(r - 1) == raEndOfText && r >= RowCount())
        SetRowCol(r - 1, EndColumn(r - 1));
    else
        SetRowCol(r, 0);
    EndNoCaret();
}

void TEditor::Undo() {
    if (Marked()) ClearSelection();
    store_->Undo();
}

void TEditor::Redo() {
    if (Marked()) ClearSelection();
    store_->Redo();
}

void TEditor::EmptyUndoBuffer() {
    if (!props_.readOnly) store_->UndoObject().Clear();
}

void TEditor::SetText(std::string_view text) {
    if (!props_.readOnly) lines_->SetTextStr(text);
}

}  // namespace editor
