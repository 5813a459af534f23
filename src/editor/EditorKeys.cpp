// Keys: caret movement (with Shift extending the selection), word movement,
// and the character messages that type text.
#include <algorithm>

#include "editor/Editor.h"
#include "editor/EditorParser.h"
#include "editor/Tokens.h"

namespace editor {

void TEditor::KeyDown(int key, const TKeyState& keys, bool repeat) {
    keyRepeat_ = repeat;
    switch (key) {
        case vkPrior: case vkNext: case vkHome: case vkEnd: case vkLeft: case vkRight: case vkUp: case vkDown:
            CaretKey(key, keys, repeat);
            break;
        case vkDelete:
            if (!props_.readOnly) DeleteKey();
            break;
        default:
            break;
    }
}

void TEditor::KeyUp(int) { keyRepeat_ = false; }

void TEditor::CaretKey(int key, const TKeyState& keys, bool repeat) {
    if (keys.shift && !Selected()) StartSelection();
    else if (!keys.shift && Marked()) ClearSelection();

    const TEditorSpeed& speed = props_.speed;
    switch (key) {
        case vkPrior:
        case vkNext: {
            int step = ((visibleRows_ - 1) / 2) * (repeat ? speed.pageVerticalRangeAc : speed.pageVerticalRange);
            step = std::max(1, step);
            if (key == vkPrior) {
                if (topRow_ == 0) {
                    SetRowCol(0, col_);
                    break;
                }
                int newTop = std::max(0, topRow_ - step);
                int moved = topRow_ - newTop;
                BeginNoCaret();
                SetTopRow(newTop);
                SetRow(std::max(0, row_ - moved));
                EndNoCaret();
            } else {
                if (RowAttribute(topRow_) == raEndOfText && topRow_ < RowCount()) break;
                int newTop = std::min(RowCount(), topRow_ + step);
                int moved = newTop - topRow_;
                BeginNoCaret();
                SetTopRow(std::min(newTop, std::max(0, RowCount() - 1)));
                SetRow(row_ + moved);
                EndNoCaret();
            }
            break;
        }
        case vkHome:
            if (keys.ctrl) SetRowCol(0, 0);
            else SetCol(0);
            break;
        case vkEnd:
            if (keys.ctrl) SetRow(RowCount());
            SetCol(row_ >= RowCount() ? 0 : EndColumn(row_));
            break;
        case vkLeft:
            if (keys.ctrl) {
                WordLeft();
            } else if (col_ == 0) {
                if (row_ > 0 && (props_.caret.nextLine || RowAttribute(row_ - 1) == raWrapped))
                    SetRowCol(row_ - 1, EndColumn(row_ - 1));
            } else {
                SetCol(col_ - 1);
            }
            break;
        case vkRight:
            if (keys.ctrl) {
                WordRight();
            } else {
                int before = col_;
                SetCol(col_ + 1);
                if (col_ == before && row_ < RowCount() && RowAttribute(row_) != raEndOfText &&
                    (props_.caret.nextLine || RowAttribute(row_) == raWrapped))
                    SetRowCol(row_ + 1, 0);
            }
            break;
        case vkUp:
        case vkDown: {
            bool up = key == vkUp;
            int v = 1;
            if (repeat && ((up && row_ == topRow_) || (!up && row_ == topRow_ + visibleRows_ - 1)))
                v = std::max(1, speed.caretVerticalAc);
            if (keys.ctrl) {
                ScrollLines(up ? -v : v);
                if (row_ < topRow_ || row_ >= topRow_ + visibleRows_) SetRow(up ? row_ - v : row_ + v);
            } else if (up) {
                if (row_ > 0) SetRow(row_ - v);
            } else if (!(RowAttribute(row_) == raEndOfText && row_ < RowCount())) {
                SetRow(row_ + v);
            }
            break;
        }
        default:
            break;
    }
    if (keys.shift) Extend();
}

namespace {

// Word starts of a row: the starts of the colouring scanner's tokens from
// an empty state, single-byte symbols left out; columns of the TAB-expanded
// text (blanks are never tokens).
std::vector<int> WordStarts(std::string_view expanded, const TEditorFountain& fountain) {
    std::vector<int> starts;
    TEditorParser parser(&fountain);
    parser.Init(expanded, TRowState{});
    for (TTokenKind k = parser.NextToken(); k != tokEnd; k = parser.NextToken())
        if (k != tokSymbol) starts.push_back(static_cast<int>(parser.TokenStart()));
    return starts;
}

}  // namespace

void TEditor::WordRight() {
    int row = row_, col = col_;
    if (col >= EndColumn(row) && row < RowCount()) {
        if (row + 1 > MaxCaretRow()) return;
        ++row;
        col = -1;
    }
    const TMeasure m = Measure();
    // Only the columns the caret can reach count: a word start beyond them
    // puts the caret at the limit as the row's end does.
    std::string expanded = ExpandTabs(ColumnsPrefix(RowText(row), kBeyondCaret), m);
    int target = -1;
    for (int s : WordStarts(expanded, ActiveFountain())) {
        if (s > col) {
            target = s;
            break;
        }
    }
    if (target < 0) {
        if (RowAttribute(row) == raWrapped && row < RowCount()) {
            row += 1;
            target = 0;
        } else {
            target = static_cast<int>(expanded.size());
        }
    }
    if (row != row_ || target != col_) SetRowCol(row, target);
}

void TEditor::WordLeft() {
    int row = row_, col = col_;
    if (col == 0) {
        if (row == 0) return;
        --row;
        col = EndColumn(row);
        if (RowAttribute(row) == raLineBreak) {
            SetRowCol(row, col);
            return;
        }
    }
    const TMeasure m = Measure();
    std::string expanded = ExpandTabs(ColumnsPrefix(RowText(row), kBeyondCaret), m);
    int target = -1;
    for (int s : WordStarts(expanded, ActiveFountain()))
        if (s < col) target = s;
    if (target < 0) target = row > 0 ? EndColumn(row - 1) : 0, row = row > 0 ? row - 1 : 0;
    if (row != row_ || target != col_) SetRowCol(row, target);
}

void TEditor::CharMessage(unsigned char c, const TKeyState& keys, std::optional<unsigned char> next, bool* consumedNext) {
    if (consumedNext) *consumedNext = false;
    switch (c) {
        case 8:
            if (!props_.readOnly) Backspace();
            return;
        case 9:
            if (!props_.readOnly && props_.wantTabs && !keys.shift && !keys.ctrl) Tab();
            return;
        case 13:
            if (!props_.readOnly) Enter(keys.shift);
            return;
        default:
            break;
    }
    if (c >= 0x81 && c <= 0x9F) {
        // A lead byte whose trail byte is the next queued character.
        if (!next || *next < 0x40) return;
        if (consumedNext) *consumedNext = true;
        if (pendingIme_ > 0) {
            pendingIme_ = std::max(0, pendingIme_ - 2);
        } else if (!props_.readOnly) {
            char pair[2] = {static_cast<char>(c), static_cast<char>(*next)};
            InsertText(std::string_view(pair, 2));
        }
        return;
    }
    if ((c >= 0x20 && c <= 0x7E) || c >= 0xA0) {
        if (pendingIme_ > 0) {
            --pendingIme_;
        } else if (!props_.readOnly) {
            char one = static_cast<char>(c);
            InsertText(std::string_view(&one, 1));
        }
    }
}

void TEditor::CompositionResult(std::string_view sjis) {
    if (props_.readOnly || sjis.empty()) return;
    pendingIme_ = static_cast<int>(sjis.size());
    InsertText(sjis);
}

}  // namespace editor
