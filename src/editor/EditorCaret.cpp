// The caret: its row and column kept on valid places of the column map.
#include <algorithm>

#include "editor/Editor.h"

namespace editor {

namespace {

char KindAt(const std::string& map, int col) {
    return col >= 0 && col < static_cast<int>(map.size()) ? map[static_cast<size_t>(col)] : '\0';
}

}  // namespace

void TEditor::Remember(bool vertical, int col) {
    // Only the column from before the first of several vertical moves counts.
    if (!vertical || remembered_) return;
    rememberedCol_ = col;
    remembered_ = true;
}

void TEditor::Normalise(bool vertical, int d) {
    const TEditorCaret& c = props_.caret;
    exactOffset_ = -1;
    std::string map = ColumnMap(row_);
    const int b = static_cast<int>(map.size());
    if (!vertical) remembered_ = false;
    else if (remembered_) col_ = rememberedCol_;

    if (!c.freeCaret && col_ > b) {
        if (c.keepCaret) Remember(vertical, leftDown_ ? b : col_);
        if (!(vertical && c.freeRow && !leftDown_)) col_ = b;
    }
    if (KindAt(map, col_) == '5') {
        Remember(vertical, col_);
        col_ += d;
    }
    if (!c.inTab && KindAt(map, col_) == '3') {
        Remember(vertical, col_);
        while (KindAt(map, col_) == '3') col_ += d;
    }
    if (WordWrap() && col_ >= b) {
        const int w = store_->WrapOption().WrapByte();
        Remember(vertical, col_);
        if (RowAttribute(row_) == raWrapped && row_ < RowCount()) col_ = std::max(0, b - 1);
        else if (col_ >= w) col_ = std::max(b, w - 1);
        if (KindAt(map, col_) == '5') --col_;
        if (!c.inTab)
            while (KindAt(map, col_) == '3') --col_;
    }
    if (col_ > kMaxMapColumns) col_ = KindAt(map, kMaxMapColumns - 1) == '4' ? std::min(col_, kMaxMapColumns + 1) : kMaxMapColumns;
    if (col_ < 0) col_ = 0;
    if (!updating_) RefreshCaret();
}

void TEditor::RefreshCaret() {
    ScrollCaretIntoView();
    // Off where it was drawn, on where it is now (ruler mark and underline too).
    InvalidateCaretAt(shownRow_, shownCol_);
    shownRow_ = row_;
    shownCol_ = col_;
    InvalidateCaretAt(row_, col_);
    if (OnCaretMoved) OnCaretMoved(*this);
}

void TEditor::SetRow(int row) {
    exactOffset_ = -1;
    int rows = RowCount();
    if (row == row_ && row != rows) return;
    row = std::clamp(row, 0, rows);
    if (row == rows && rows > 0 && store_->GetRowAttribute(rows - 1) == raEndOfText) row = rows - 1;
    row_ = row;
    Normalise(true, -1);
}

void TEditor::SetCol(int col) {
    exactOffset_ = -1;
    int d = col > col_ ? 1 : -1;
    col_ = std::clamp(col, 0, kMaxMapColumns + 1);
    Normalise(false, d);
}

void TEditor::SetRowCol(int row, int col) {
    exactOffset_ = -1;
    if (row == row_ && col == col_) return;
    bool wasUpdating = updating_;
    updating_ = true;
    SetRow(row);
    std::string map = ColumnMap(row_);
    if (KindAt(map, col) == '5') --col;
    if (!props_.caret.inTab)
        while (col > 0 && KindAt(map, col) == '3') --col;
    SetCol(col);
    updating_ = wasUpdating;
    if (!updating_) RefreshCaret();
}

int TEditor::CaretUnlimitedByte() const { return UnlimitedByteIndexOfColumn(ColumnMap(row_), col_); }

void TEditor::SetCaretOffset(int baseRow, int64_t offset) {
    int rows = RowCount();
    baseRow = std::clamp(baseRow, 0, rows);
    int64_t target = store_->RowOffset(baseRow) + std::max<int64_t>(offset, 0);
    int row = store_->RowOfOffset(target);
    if (row >= rows) {
        if (rows > 0 && store_->GetRowAttribute(rows - 1) == raEndOfText) {
            row = rows - 1;  // the walk stops on the end-of-text row
        } else {
            SetRowCol(rows, 0);
            return;
        }
    }
    std::string_view text = RowText(row);
    int64_t index = std::min<int64_t>(target - store_->RowOffset(row), static_cast<int64_t>(text.size()));
    SetRowCol(row, TextWidthUpTo(text.substr(0, static_cast<size_t>(index)), kBeyondCaret, Measure()));
}

int64_t TEditor::CaretOffset(int baseRow, int row, int col) const {
    int rows = RowCount();
    baseRow = std::clamp(baseRow, 0, rows);
    row = std::clamp(row, 0, rows);
    return store_->SpanBytes(baseRow, row) + UnlimitedByteIndexOfColumn(ColumnMap(row), col);
}

void TEditor::SetOverwrite(bool on) {
    if (overwrite_ == on) return;
    overwrite_ = on;
    RefreshCaret();
}


}  // namespace editor
