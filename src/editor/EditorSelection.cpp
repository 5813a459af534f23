// The selection in its two modes, the selected text and its offsets, and
// the edit-control queries.
#include <algorithm>

#include "editor/Editor.h"
#include "platform/ShiftJis.h"

namespace editor {

namespace {

constexpr std::string_view kCrLf = "\r\n";

char KindAt(const std::string& map, int col) {
    return col >= 0 && col < static_cast<int>(map.size()) ? map[static_cast<size_t>(col)] : '\0';
}

}  // namespace

void TEditor::SelectionChanged() {
    // Repaint the rows it covered and covers; the caret row's underline
    // comes and goes with it.
    const bool marked = Marked();
    if (selShown_ || marked) {
        int top = marked ? selCols_.topRow : selShownTop_;
        int bottom = marked ? selCols_.bottomRow : selShownBottom_;
        if (selShown_) top = std::min(top, selShownTop_), bottom = std::max(bottom, selShownBottom_);
        InvalidateRows(top, bottom, metrics_.leftMargin);
    }
    selShown_ = marked;
    selShownTop_ = selCols_.topRow;
    selShownBottom_ = selCols_.bottomRow;
    InvalidateUnderline(row_);
    if (OnSelectionChange) OnSelectionChange(*this, selState_);
}

int TEditor::SelectionCaretByte() const {
    const int length = static_cast<int>(RowText(row_).size());
    if (exactOffset_ < 0) return std::min(length, ByteIndex(row_, col_));
    return static_cast<int>(std::clamp<int64_t>(exactOffset_ - store_->RowOffset(row_), 0, length));
}

void TEditor::StartSelection() {
    if (Marked()) ClearSelection();
    if (RowCount() == 0 && row_ == 0 && store_->Count() == 0) {
        // With no rows there is nothing to select.
        return;
    }
    selState_ = sstAnchored;
    anchorRow_ = row_;
    anchorByte_ = SelectionCaretByte();
    anchorCol_ = selMode_ == smBox ? col_ : std::min(col_, EndColumn(row_));
    selBytes_ = {row_, row_, anchorByte_, anchorByte_ - 1};
    selCols_ = {row_, row_, anchorCol_, anchorCol_};
    savedCols_ = selCols_;
}

void TEditor::Extend() {
    if (selState_ == sstAnchored) selState_ = sstSelected;
    if (Marked()) UpdateSelection();
}

void TEditor::UpdateSelection() {
    if (!Marked()) return;
    savedCols_ = selCols_;
    const int A = anchorRow_, a = anchorByte_, ca = anchorCol_;
    const int R = row_, c = SelectionCaretByte(), cr = col_;
    selBytes_.startRow = std::min(A, R);
    selBytes_.endRow = std::max(A, R);
    if (A == R) {
        selBytes_.startByte = std::min(a, c);
        selBytes_.endByte = std::max(a, c) - 1;
    } else if (A < R) {
        selBytes_.startByte = a;
        selBytes_.endByte = c - 1;
    } else {
        selBytes_.startByte = c;
        selBytes_.endByte = a - 1;
    }
    selCols_.topRow = selBytes_.startRow;
    selCols_.bottomRow = selBytes_.endRow;
    if (selMode_ == smBox) {
        selCols_.leftCol = std::min(ca, cr);
        selCols_.rightCol = std::max(ca, cr);
    } else if (A == R) {
        selCols_.leftCol = std::min(std::min(ca, cr), EndColumn(R));
        selCols_.rightCol = std::min(std::max(ca, cr), EndColumn(R));
    } else if (A < R) {
        selCols_.leftCol = std::min(ca, EndColumn(A));
        selCols_.rightCol = std::min(cr, EndColumn(R));
    } else {
        selCols_.leftCol = std::min(cr, EndColumn(R));
        selCols_.rightCol = std::min(ca, EndColumn(A));
    }
    SelectionChanged();
}

void TEditor::ClearSelection() {
    if (selState_ == sstAnchored) {
        selState_ = sstNone;  // a bare anchor has nothing to repaint or announce
        return;
    }
    if (!Marked()) return;
    const bool blockCaret = selState_ == sstHit && hitLength_ > 0;
    if (blockCaret) InvalidateCaret();  // the block goes, the normal caret comes
    selState_ = sstNone;
    hitLength_ = 0;
    remembered_ = false;
    SelectionChanged();
}

void TEditor::SetSelectionMode(TSelectionMode mode) {
    if (mode == selMode_ || dragState_ != 0) return;
    selMode_ = mode;
    if (Selected()) {
        cursor_ = TCursorKind::Default;
        anchorCol_ = mode == smBox ? anchorCol_ : std::min(anchorCol_, EndColumn(anchorRow_));
        UpdateSelection();
    }
    if (OnSelectionModeChange) OnSelectionModeChange(*this);
}

std::string TEditor::SelectedText() const {
    if (!Selected()) return {};
    const TByteRange& b = selBytes_;
    if (selMode_ == smBox) {
        std::string out;
        const TMeasure m = Measure();
        for (int r = selCols_.topRow; r <= selCols_.bottomRow; ++r) {
            std::string_view text = RowText(r);
            int col = 0;
            for (size_t i = 0; i < text.size();) {
                unsigned char ch = static_cast<unsigned char>(text[i]);
                size_t len = platform::IsLeadByte(ch) && i + 1 < text.size() ? 2 : 1;
                int width = ch == '\t' ? m.TabSpan(col) : static_cast<int>(len);
                if (col >= selCols_.leftCol && col < selCols_.rightCol) out.append(text.substr(i, len));
                if (col >= selCols_.rightCol) break;
                col += width;
                i += len;
            }
            out += kCrLf;
        }
        return out;
    }
    if (b.startRow == b.endRow) {
        std::string_view text = RowText(b.startRow);
        int from = std::min<int>(b.startByte, static_cast<int>(text.size()));
        int to = std::min<int>(b.endByte + 1, static_cast<int>(text.size()));
        return to > from ? std::string(text.substr(static_cast<size_t>(from), static_cast<size_t>(to - from))) : std::string();
    }
    std::string out;
    int last = std::min(b.endRow, RowCount());
    out.reserve(static_cast<size_t>(std::max<int64_t>(0, store_->RowOffset(last) - store_->RowOffset(b.startRow))) +
                static_cast<size_t>(std::max(0, b.endByte + 1)));
    for (int r = b.startRow; r <= b.endRow && r < RowCount(); ++r) {
        std::string_view text = RowText(r);
        if (r == b.startRow) {
            out.append(text.substr(std::min(static_cast<size_t>(b.startByte), text.size())));
        } else if (r == b.endRow) {
            out.append(text.substr(0, std::min(static_cast<size_t>(std::max(0, b.endByte + 1)), text.size())));
            break;
        } else {
            out.append(text);
        }
        if (RowAttribute(r) == raLineBreak) out += kCrLf;
    }
    return out;
}

int64_t TEditor::SelLength() const {
    if (!Selected()) return 0;
    if (selBytes_.startRow == selBytes_.endRow && selMode_ == smNormal)
        return selBytes_.endByte - selBytes_.startByte + 1;
    return static_cast<int64_t>(SelectedText().size());
}

int64_t TEditor::SelStart() const {
    if (Marked()) return store_->RowOffset(selBytes_.startRow) + selBytes_.startByte;
    return store_->RowOffset(row_) + SelectionCaretByte();
}

void TEditor::SetSelStart(int64_t n) {
    if (Marked()) ClearSelection();
    // Every offset of an empty text is its start; a caret left beyond it
    // would pad the next insertion with blanks.
    if (n <= 0 || RowCount() == 0) {
        SetRowCol(0, 0);
        return;
    }
    SetCaretOffset(0, n);
    exactOffset_ = n;
}

void TEditor::SetSelLength(int64_t n) {
    if (RowCount() == 0) return;
    selMode_ = smNormal;
    bool wasUpdating = updating_;
    updating_ = true;
    if (Marked()) {
        const int64_t start = SelStart();
        SetRowCol(selCols_.topRow, selCols_.leftCol);
        exactOffset_ = start;
    }
    if (n > 0) {
        StartSelection();
        const int64_t start = store_->RowOffset(row_) + anchorByte_;
        SetCaretOffset(0, start + n);
        exactOffset_ = start + n;  // the end may lie beyond the caret's columns
        Extend();
    } else {
        ClearSelection();
    }
    updating_ = wasUpdating;
    if (!updating_) RefreshCaret();
}

void TEditor::SelectAll() {
    BeginNoCaret();
    SetSelStart(0);
    SetSelLength(TextLength());
    EndNoCaret();
}

bool TEditor::IsInSelection(int row, int col) const {
    if (!Selected() || row < selCols_.topRow || row > selCols_.bottomRow) return false;
    if (selMode_ == smBox) {
        std::string map = ColumnMap(row);
        while (col > 0 && (KindAt(map, col) == '5' || KindAt(map, col) == '3')) --col;  // the character's first column
        return col >= selCols_.leftCol && col < selCols_.rightCol;
    }
    if (row == selCols_.topRow && col < selCols_.leftCol) return false;
    if (row == selCols_.bottomRow && col >= selCols_.rightCol) return false;
    return true;
}

void TEditor::SelectRow(int row) {
    row = std::clamp(row, 0, MaxCaretRow());
    bool wasUpdating = updating_;
    updating_ = true;
    if (Marked()) ClearSelection();
    selMode_ = smNormal;
    if (RowAttribute(row) == raEndOfText && row < RowCount()) {
        SetRowCol(row, EndColumn(row));
        StartSelection();
        SetRowCol(row, 0);
        Extend();
    } else {
        SetRowCol(row, 0);
        StartSelection();
        SetRowCol(row + 1, 0);
        Extend();
        row_ = row;
        col_ = 0;
    }
    rowSelecting_ = true;
    rowSelectFirst_ = row;
    updating_ = wasUpdating;
    if (!updating_) RefreshCaret();
}

void TEditor::ExtendRowSelection(int row) {
    row = std::clamp(row, 0, MaxCaretRow());
    bool wasUpdating = updating_;
    updating_ = true;
    auto endOf = [&](int r) { return std::pair<int, int>{r + 1, 0}; };
    if (row >= rowSelectFirst_) {
        // Downward: from the start of the first row to the start of the row after the pointer's.
        anchorRow_ = rowSelectFirst_;
        anchorByte_ = 0;
        anchorCol_ = 0;
        auto [r, c] = endOf(row);
        if (RowAttribute(row) == raEndOfText && row < RowCount()) r = row, c = EndColumn(row);
        row_ = std::min(r, MaxCaretRow());
        col_ = row_ == r ? c : EndColumn(row_);
    } else {
        // Upward: from the start of the row under the pointer to the start of the row after the first.
        anchorRow_ = std::min(rowSelectFirst_ + 1, MaxCaretRow());
        anchorByte_ = 0;
        anchorCol_ = 0;
        if (anchorRow_ == rowSelectFirst_) {
            anchorCol_ = EndColumn(anchorRow_);
            anchorByte_ = static_cast<int>(RowText(anchorRow_).size());
        }
        row_ = row;
        col_ = 0;
    }
    exactOffset_ = -1;
    if (selState_ == sstAnchored || selState_ == sstNone) selState_ = sstSelected;
    UpdateSelection();
    updating_ = wasUpdating;
    if (!updating_) RefreshCaret();
}

void TEditor::RemoveSelection(TEditorStringList& list) const {
    list.BeginUpdate();
    list.Clear();
    const TByteRange& b = selBytes_;
    if (selMode_ == smBox) {
        const TMeasure m = Measure();
        for (int r = selCols_.topRow; r <= selCols_.bottomRow; ++r) {
            std::string_view text = RowText(r);
            std::string left, right;
            int insertAt = -1;
            int col = 0;
            size_t i = 0;
            for (; i < text.size();) {
                unsigned char ch = static_cast<unsigned char>(text[i]);
                size_t len = platform::IsLeadByte(ch) && i + 1 < text.size() ? 2 : 1;
                int width = ch == '\t' ? m.TabSpan(col) : static_cast<int>(len);
                if (col < selCols_.leftCol) {
                    left.append(text.substr(i, len));
                } else if (col < selCols_.rightCol) {
                    if (insertAt < 0) insertAt = static_cast<int>(i) + 1;
                } else {
                    right.append(text.substr(i, len));
                }
                col += width;
                i += len;
            }
            if (insertAt < 0) insertAt = static_cast<int>(left.size()) + 1;
            int row = list.Add(left + right);
            list.SetRowAttribute(row, r < RowCount() ? RowAttribute(r) : raEndOfText);
            list.SetInsertPosition(row, insertAt);
        }
    } else {
        std::string_view first = RowText(b.startRow);
        std::string text(first.substr(0, std::min(static_cast<size_t>(b.startByte), first.size())));
        TRowAttribute attr = raEndOfText;
        if (b.endRow < RowCount()) {
            std::string_view last = RowText(b.endRow);
            size_t from = static_cast<size_t>(std::max(0, b.endByte + 1));
            if (from < last.size()) text.append(last.substr(from));
            attr = RowAttribute(b.endRow);
        }
        int row = list.Add(text);
        list.SetRowAttribute(row, attr);
        list.SetInsertPosition(row, b.startByte + 1);
    }
    list.EndUpdate();
}

void TEditor::DeleteSelection() {
    if (!Selected() || props_.readOnly) return;
    TEditorStringList list;
    RemoveSelection(list);
    std::string t = list.JoinedText();
    const int startRow = selBytes_.startRow;
    const int endRow = selBytes_.endRow;
    int base = std::max(store_->FirstRowOfLine(startRow), startRow - 1);
    int64_t n = CaretOffset(base, selCols_.topRow, selCols_.leftCol);
    bool many = endRow > startRow;
    if (many) BeginNoCaret();
    ClearSelection();
    const bool box = selMode_ == smBox;
    const int topRow = selCols_.topRow, leftCol = selCols_.leftCol;
    store_->ReplaceRows(startRow, std::min(endRow, RowCount() - 1) - startRow + 1, t);
    // A box's left column may lie beyond the end of its top row, where an
    // offset would run on into the next row.
    if (box) SetRowCol(topRow, leftCol);
    else SetCaretOffset(base, n);
    if (many) EndNoCaret();
}

// ---- Edit-control queries -------------------------------------------------------

void TEditor::GetSel(int64_t* start, int64_t* end) const {
    int64_t s = SelStart();
    if (start) *start = s;
    if (end) *end = s + SelLength();
}

void TEditor::SetSel(int64_t start, int64_t end) {
    if (start == 0 && end == -1) {
        SelectAll();
    } else if (start == -1) {
        ClearSelection();
    } else {
        SetSelStart(std::min(start, end));
        SetSelLength(std::max(start, end) - std::min(start, end));
    }
}

int TEditor::LineFromChar(int64_t offset) const {
    if (offset == -1) return Marked() ? selBytes_.startRow : row_;
    int row = store_->RowOfOffset(offset);
    if (row >= RowCount() && RowCount() > 0 && RowAttribute(RowCount() - 1) == raEndOfText) row = RowCount() - 1;
    return row;
}

int64_t TEditor::LineIndex(int row) const {
    if (row == -1) row = row_;
    if (row < 0 || row >= RowCount()) return -1;
    return store_->RowOffset(row);
}

int64_t TEditor::LineLength(int64_t offset) const {
    if (offset == -1) {
        if (Marked())
            return static_cast<int64_t>(RowText(selBytes_.endRow).size()) + selBytes_.startByte - selBytes_.endByte - 1;
        return static_cast<int64_t>(RowText(row_).size());
    }
    return static_cast<int64_t>(RowText(LineFromChar(offset)).size());
}

std::string TEditor::GetLine(int row, size_t bufferSize) const {
    if (row < 0 || row >= RowCount()) return {};
    std::string_view text = RowText(row);
    return std::string(text.substr(0, std::min(bufferSize, text.size())));
}

bool TEditor::PosFromChar(int64_t offset, int* x, int* y) const {
    int row = LineFromChar(offset);
    int64_t index = offset - store_->RowOffset(std::min(row, RowCount()));
    std::string_view text = RowText(row);
    index = std::clamp<int64_t>(index, 0, static_cast<int64_t>(text.size()));
    int col = TextWidth(text.substr(0, static_cast<size_t>(index)));
    if (x) *x = metrics_.leftMargin + (col - leftCol_) * metrics_.cellWidth;
    if (y) *y = metrics_.topMargin + (row - topRow_) * metrics_.rowHeight;
    return true;
}

int64_t TEditor::CharFromPos(int x, int y, int* rowOut) const {
    if (x < 0 || y < 0 || x >= clientWidth_ || y >= clientHeight_) return -1;
    int col = 0, row = 0;
    PositionFromPoint(x, y, true, &col, &row);
    row = std::clamp(row, 0, RowCount());
    std::string map = ColumnMap(row);
    while (col > 0 && (KindAt(map, col) == '5' || KindAt(map, col) == '3')) --col;
    if (rowOut) *rowOut = row;
    // Past the end of a row the offset is the row's end, not a later row's.
    return store_->RowOffset(row) + ByteIndex(row, col);
}

}  // namespace editor
