// Scrolling and repainting: what of the window must be drawn again after a
// scroll, a caret move, a selection change or an edit. Scrolls move the
// pixels already on screen, so only what they uncover is painted.
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "editor/Editor.h"

namespace editor {

namespace {

constexpr int kUnknownSize = INT_MAX / 4;  // no size told yet: the whole window

int Right(const TEditor& e) { return e.ClientWidth() > 0 ? e.ClientWidth() : kUnknownSize; }
int Bottom(const TEditor& e) { return e.ClientHeight() > 0 ? e.ClientHeight() : kUnknownSize; }

}  // namespace

int TEditor::ScreenRows() const {
    // Rows with any pixel in the window: the margin below the whole rows
    // can hold more than one partly shown row.
    const int h = std::max(1, metrics_.rowHeight);
    if (clientHeight_ <= 0) return visibleRows_ + 1;
    return std::max(visibleRows_ + 1, (clientHeight_ - metrics_.topMargin + h - 1) / h);
}

void TEditor::InvalidateRect(const TRect& r) {
    if (window_ && r.right > r.left && r.bottom > r.top) window_->InvalidateRect(r);
}

void TEditor::Invalidate() {
    InvalidateRect({0, 0, Right(*this), Bottom(*this)});
}

void TEditor::ScrollBarsChanged() {
    if (window_) window_->ScrollBarsChanged();
}

void TEditor::InvalidateRows(int first, int last, int left) {
    if (!window_) return;
    first = std::max(first, topRow_);
    last = std::min(last, topRow_ + ScreenRows() - 1);  // partly shown rows too
    if (last < first) return;
    const int right = Right(*this);
    InvalidateRect({left, RowTop(first), right, RowTop(last + 1)});
}

void TEditor::InvalidateUnderline(int row) {
    if (!props_.marks.underline.visible || row < topRow_ || row >= topRow_ + ScreenRows()) return;
    const int y = RowTop(row) + metrics_.fontHeight;
    InvalidateRect({metrics_.leftMargin, y, Right(*this), y + 1});
}

void TEditor::InvalidateCaret() {
    if (row_ < topRow_ || row_ >= topRow_ + ScreenRows()) return;
    const int cw = metrics_.cellWidth;
    const int x = metrics_.leftMargin + (col_ - leftCol_) * cw;
    const int y = RowTop(row_);
    // Up to a double-width block, or the block of a search hit.
    const int cells = static_cast<int>(std::clamp<int64_t>(hitLength_, 2, kMaxMapColumns));
    InvalidateRect({std::max(x, metrics_.leftMargin), y, x + cells * cw + 1, y + metrics_.fontHeight});
}

void TEditor::InvalidateCaretAt(int row, int col) {
    if (!window_) return;
    const int cw = metrics_.cellWidth;
    const int x = metrics_.leftMargin + (col - leftCol_) * cw;
    if (row >= topRow_ && row < topRow_ + ScreenRows()) {
        const int y = RowTop(row);
        const int cells = static_cast<int>(std::clamp<int64_t>(hitLength_, 2, kMaxMapColumns));
        InvalidateRect({std::max(x, metrics_.leftMargin), y, x + cells * cw + 1, y + metrics_.fontHeight});
        InvalidateUnderline(row);
    }
    if (props_.ruler.visible && x >= metrics_.leftMargin) InvalidateRect({x, 0, x + cw + 1, metrics_.rulerHeight});
}

void TEditor::BeginNoCaret() {
    if (hideCount_++ == 0 && focused_) InvalidateCaret();
}

void TEditor::EndNoCaret() {
    if (hideCount_ > 0 && --hideCount_ == 0) InvalidateCaretAt(row_, col_);
}

bool TEditor::UnderlineVisible() const {
    return props_.marks.underline.visible && underlineHideCount_ == 0 && !Marked();
}

void TEditor::BeginNoUnderline() {
    if (underlineHideCount_++ == 0) InvalidateUnderline(row_);
}

void TEditor::EndNoUnderline() {
    if (underlineHideCount_ > 0 && --underlineHideCount_ == 0) InvalidateUnderline(row_);
}

void TEditor::PaintRow(int row) {
    if (row < topRow_ || row >= topRow_ + ScreenRows()) return;
    const int y = RowTop(row);
    InvalidateRect({metrics_.leftMargin, y, Right(*this), y + metrics_.rowHeight});
}

void TEditor::PaintRows(int first, int last) {
    InvalidateRows(std::min(first, last), std::max(first, last), 0);
    if (window_) window_->UpdateNow();
}

void TEditor::ScrollRowsBelow(int row, int count) {
    if (!window_) return;
    count = std::clamp(count, -ScreenRows(), ScreenRows());
    const int top = std::max(metrics_.topMargin, RowTop(row));
    const int bottom = Bottom(*this);
    if (count == 0 || top >= bottom) return;
    const int right = Right(*this);
    window_->ScrollRect({metrics_.leftMargin, top, right, bottom}, 0, count * metrics_.rowHeight);
    // The image bar's marks move with their rows; the left bar's numbers stay.
    if (props_.imagebar.visible)
        window_->ScrollRect({0, top, metrics_.imagebarWidth, bottom}, 0, count * metrics_.rowHeight);
}

void TEditor::RepaintChange(const TLastChange& change) {
    if (!window_) return;
    if (!change.valid) {
        Invalidate();
        return;
    }
    const int s = change.startRow, a = change.removedRows, b = change.insertedRows;
    if (std::abs(b - a) > visibleRows_) {
        Invalidate();
        return;
    }
    const int L = s + std::max(b, change.rescannedRows);
    const bool lIsRow = L < RowCount();
    InvalidateRows(s, lIsRow ? L - 1 : L, 0);
    if (a != b) {
        ScrollRowsBelow(L, b - a);
        // A caret drawn below the change moved with the pixels.
        if (shownRow_ >= L) InvalidateCaretAt(shownRow_ + b - a, shownCol_);
    }
    const TEditorLeftbar& bar = props_.leftbar;
    if (bar.visible && bar.showNumber &&
        (bar.showNumberMode == nmLine || (a != b && topRow_ + ScreenRows() >= RowCount() - std::max(0, b - a)))) {
        // Numbers past the end appear or go: the end was on screen before
        // the change or is now (partly shown bottom rows too).
        const int x = metrics_.imagebarWidth;
        const int first = std::max(s, topRow_), last = topRow_ + ScreenRows() - 1;
        if (last >= first)
            InvalidateRect({x, RowTop(first), x + metrics_.leftbarWidth, RowTop(last + 1)});
    }
}

void TEditor::SetTopRow(int row) {
    row = std::clamp(row, 0, RowCount());
    if (row == topRow_) return;
    const int shift = std::clamp(topRow_ - row, -ScreenRows(), ScreenRows());
    topRow_ = row;
    if (window_) {
        // The rows, the left bar and the image bar move together; the top
        // area (ruler) stays.
        const int right = Right(*this);
        const int bottom = Bottom(*this);
        window_->ScrollRect({0, metrics_.topMargin, right, bottom}, 0, shift * metrics_.rowHeight);
        window_->UpdateNow();
        window_->ScrollBarsChanged();
    }
    if (OnTopRowChange) OnTopRowChange(*this);
}

void TEditor::SetLeftColumn(int col) {
    col = std::clamp(col, 0, MaxLeftColumn());
    if (col == leftCol_) return;
    const int dx = (leftCol_ - col) * metrics_.cellWidth;
    leftCol_ = col;
    if (window_) {
        const int right = Right(*this);
        const int bottom = Bottom(*this);
        window_->ScrollRect({metrics_.leftMargin, 0, right, bottom}, dx, 0);
        // The ruler's caret mark stays with the caret's column, not the pixels.
        if (props_.ruler.visible) InvalidateRect({metrics_.leftMargin, 0, right, metrics_.rulerHeight});
        window_->UpdateNow();
        window_->ScrollBarsChanged();
    }
    if (OnTopColChange) OnTopColChange(*this);
}

void TEditor::ScrollBarTopRow(int row) {
    const int delta = std::clamp(row, 0, MaxTopRow()) - topRow_;
    if (delta == 0) return;
    SetTopRow(topRow_ + delta);
    if (props_.caret.lockScroll) SetRow(row_ + delta);
}

void TEditor::ScrollBarLeftColumn(int col) {
    SetLeftColumn(std::clamp(col, 0, kMaxMapColumns + visibleCols_ / 2));
}

void TEditor::ScrollLines(int delta) { SetTopRow(topRow_ + delta); }

void TEditor::ScrollCaretIntoView() {
    if (row_ < topRow_) SetTopRow(row_);
    else if (row_ >= topRow_ + visibleRows_) SetTopRow(row_ - visibleRows_ + 1);
    if (col_ < leftCol_) SetLeftColumn(col_);
    else if (col_ >= leftCol_ + visibleCols_) SetLeftColumn(col_ - visibleCols_ + 1);
}

}  // namespace editor
