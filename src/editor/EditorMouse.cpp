// The mouse: placing the caret, selecting by dragging, selecting rows in the
// left margin, and moving or copying the selection by drag and drop.
#include <algorithm>
#include <optional>
#include <cstdlib>

#include "editor/Editor.h"
#include "editor/EditorParser.h"
#include "editor/Tokens.h"

namespace editor {

void TEditor::PositionFromPoint(int x, int y, bool nearest, int* col, int* row) const {
    const int w = std::max(1, metrics_.cellWidth);
    const int h = std::max(1, metrics_.rowHeight);
    const int L = metrics_.leftMargin, T = metrics_.topMargin;
    if (x < L) x = x + 1 - w;
    int c = nearest ? (x - L + w / 2 - 1) / w + leftCol_ : (x - L) / w + leftCol_;
    if (col) *col = std::max(0, c);
    if (row) *row = (y - T) / h + topRow_;
}

void TEditor::MouseDown(TMouseButton button, int x, int y, const TKeyState& keys) {
    if (button != TMouseButton::Left) return;
    leftDown_ = true;
    int col = 0, row = 0;
    if (keys.shift) {
        if (!Selected()) StartSelection();
        PositionFromPoint(x, y, true, &col, &row);
        SetRowCol(std::max(0, row), col);
        Extend();
        return;
    }
    pressX_ = x;
    pressY_ = y;
    const TEditorCaret& c = props_.caret;
    bool dragAllowed = !props_.readOnly && Selected() && selMode_ == smNormal && c.selMove;
    if (dragAllowed && x >= metrics_.leftMargin) {
        PositionFromPoint(x, y, false, &col, &row);
        if (IsInSelection(row, col)) {
            // The caret shows the press place (on a character's first column,
            // since a release without a drag leaves it there); the selection
            // stays for the drag.
            SetRowCol(row, col);
            if (c.selDragMode == dmAutomatic) dragState_ = 1;
            return;
        }
    }
    PositionFromPoint(x, y, true, &col, &row);
    if (x < metrics_.leftMargin && c.rowSelect) {
        SelectRow(std::max(0, row));
        return;
    }
    BeginNoCaret();
    if (Marked()) ClearSelection();
    SetRowCol(std::max(0, row), col);
    StartSelection();
    EndNoCaret();
}

void TEditor::MouseMove(int x, int y, bool leftDown, const TKeyState& keys) {
    const int half = std::max(1, metrics_.cellWidth / 2);
    int col = 0, row = 0;
    if (leftDown && dragState_ == 1) {
        // An armed drag has ended the ordinary tracking: the selection stays.
        if (std::abs(x - pressX_) < half && std::abs(y - pressY_) < half) return;
        dragState_ = 2;
    }
    if (leftDown && dragState_ == 2) {
        cursor_ = keys.ctrl ? TCursorKind::DragCopy : TCursorKind::Drag;
        PositionFromPoint(x, y, false, &col, &row);
        if (y < metrics_.topMargin) row = std::max(0, topRow_ - 1);
        row_ = std::clamp(row, 0, MaxCaretRow());
        col_ = col;
        ScrollCaretIntoView();
        Invalidate();
        return;
    }
    if (leftDown && leftDown_) {
        PositionFromPoint(x, y, true, &col, &row);
        if (y < metrics_.topMargin) row = std::max(0, topRow_ - 1);
        row = std::max(0, row);
        if (rowSelecting_) {
            ExtendRowSelection(row);
            return;
        }
        SetRowCol(row, col);
        if (Selected()) {
            UpdateSelection();
        } else if (selState_ == sstAnchored &&
                   (std::abs(x - pressX_) >= half || std::abs(y - pressY_) >= half)) {
            Extend();
        }
        return;
    }
    // No button: the cursor kind by area.
    TCursorKind kind = TCursorKind::Default;
    if (x < metrics_.leftMargin) {
        kind = TCursorKind::LeftMargin;
    } else if (y < metrics_.topMargin) {
        kind = TCursorKind::TopMargin;
    } else if (!props_.readOnly && Selected() && selMode_ == smNormal && props_.caret.selMove) {
        PositionFromPoint(x, y, true, &col, &row);
        if (IsInSelection(row, col)) kind = TCursorKind::InSelection;
    }
    if (props_.caret.autoCursor) cursor_ = kind;
}

void TEditor::MouseUp(TMouseButton button, int x, int y, const TKeyState& keys) {
    if (button != TMouseButton::Left) return;
    leftDown_ = false;
    if (dragState_ == 2) {
        Drop(x, y, keys.ctrl);
    } else if (dragState_ == 1) {
        dragState_ = 0;
        cursor_ = TCursorKind::Default;
        ClearSelection();
        RefreshCaret();
    }
    rowSelecting_ = false;
}

void TEditor::Drop(int x, int y, bool copy) {
    dragState_ = 0;
    cursor_ = TCursorKind::Default;
    int col = 0, row = 0;
    PositionFromPoint(x, y, false, &col, &row);
    if (y < metrics_.topMargin) row = std::max(0, topRow_ - 1);
    row = std::clamp(row, 0, MaxCaretRow());
    // Never between the two bytes of a character.
    if (const std::string map = ColumnMap(row); col > 0 && col < static_cast<int>(map.size()) && map[col] == '5') --col;
    bool outside = x < 0 || y < 0 || (clientWidth_ > 0 && x >= clientWidth_) || (clientHeight_ > 0 && y >= clientHeight_);
    if (outside || IsInSelection(row, col) || props_.readOnly) {
        ClearSelection();
        RefreshCaret();
        return;
    }
    if (copy) {
        std::string text = SelectedText();
        ClearSelection();
        SetRowCol(row, col);
        InsertText(text);
        return;
    }
    // Move: the rows from the earlier of the selection start and the drop
    // place to the later one are rebuilt as one text, so the move is one change.
    std::string moved = SelectedText();
    const TByteRange sel = selBytes_;
    const int dropByte = UnlimitedByteIndexOfColumn(ColumnMap(row), col);
    int first = std::min(sel.startRow, row);
    int last = std::max(std::min(sel.endRow, RowCount() - 1), std::min(row, RowCount() - 1));
    if (last < first) last = first;
    const int64_t base = store_->RowOffset(first);
    int64_t selFrom = store_->RowOffset(sel.startRow) + sel.startByte - base;
    // The block of rows as text, the drop row padded with blanks up to the drop place.
    std::string block;
    int64_t dropAt = 0;
    for (int r = first; r <= last && r < RowCount(); ++r) {
        std::string text(RowText(r));
        if (r == row) {
            if (static_cast<int>(text.size()) < dropByte) {
                size_t pad = static_cast<size_t>(dropByte) - text.size();
                text.append(pad, ' ');
                if (row < sel.startRow) selFrom += static_cast<int64_t>(pad);  // the blanks come before the selection
            }
            dropAt = static_cast<int64_t>(block.size()) + dropByte;
        }
        block += text;
        if (RowAttribute(r) == raLineBreak) block += "\r\n";
    }
    if (row >= RowCount()) dropAt = static_cast<int64_t>(block.size());
    const int64_t selTo = selFrom + static_cast<int64_t>(moved.size());
    std::string result;
    int64_t caretAt = 0;
    if (dropAt <= selFrom) {
        result = block.substr(0, static_cast<size_t>(dropAt)) + moved +
                 block.substr(static_cast<size_t>(dropAt), static_cast<size_t>(selFrom - dropAt)) +
                 block.substr(static_cast<size_t>(selTo));
        caretAt = dropAt + static_cast<int64_t>(moved.size());
    } else {
        result = block.substr(0, static_cast<size_t>(selFrom)) +
                 block.substr(static_cast<size_t>(selTo), static_cast<size_t>(dropAt - selTo)) + moved +
                 block.substr(static_cast<size_t>(dropAt));
        caretAt = dropAt;
    }
    int baseRow = std::max(store_->FirstRowOfLine(first), first - 1);
    int64_t offsetFromBaseRow = store_->SpanBytes(baseRow, first) + caretAt;
    ClearSelection();
    BeginNoCaret();
    store_->ReplaceRows(first, std::min(last, RowCount() - 1) - first + 1, result);
    SetCaretOffset(baseRow, offsetFromBaseRow);
    EndNoCaret();
}

TToken TEditor::TokenAt(int row, int col, bool useFountain) const {
    TToken result;
    if (row < 0 || row >= RowCount()) return result;
    // The whole line, its rows joined; the offset counts the rows before.
    int first = store_->FirstRowOfLine(row), last = store_->LastRowOfLine(row);
    std::string line;
    size_t offset = 0;
    for (int r = first; r <= last; ++r) {
        if (r == row) offset = line.size() + static_cast<size_t>(ByteIndex(row, col));
        line += RowText(r);
    }
    TRowState state = useFountain ? LoadRowState(*store_, first) : TRowState{};
    state.bracketIndex = -2;  // no bracket opens
    state.startToken = 0;
    state.remain = 0;
    TTokenParser plain;
    std::optional<TEditorParser> coloured;
    if (useFountain) coloured.emplace(&ActiveFountain());
    TFountainParser& parser = coloured ? static_cast<TFountainParser&>(*coloured) : plain;
    parser.Init(line, state);
    for (TTokenKind k = parser.NextToken(); k != tokEnd; k = parser.NextToken()) {
        size_t s = parser.TokenStart(), e = s + parser.TokenLength();
        if (offset >= s && offset < e) {
            result.text.assign(parser.TokenText());
            result.kind = k;
            result.row = first;
            result.start = static_cast<int>(s);
            result.end = static_cast<int>(e);
            return result;
        }
        if (s > offset) break;
    }
    return result;
}

void TEditor::SelectTokenAt(int row, int col) {
    TToken t = TokenAt(row, col, false);
    if (t.text.empty()) return;
    if (Marked()) ClearSelection();
    selMode_ = smNormal;
    // Token bytes count from the line's first row; place by text offset.
    int64_t base = store_->RowOffset(t.row);
    SetCaretOffset(0, base + t.start);
    StartSelection();
    SetCaretOffset(0, base + t.end);
    Extend();
}

std::string TEditor::TokenAtCaret(bool useFountain) const { return TokenAt(row_, col_, useFountain).text; }

}  // namespace editor
