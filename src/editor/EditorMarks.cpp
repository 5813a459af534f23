// Row marks: bookmarks on screen rows. Marks 0-9 are numbered and stand on
// one row at a time; 10-15 may stand on many. The store moves them with
// the rows on every edit.
#include "editor/Editor.h"

namespace editor {

namespace {

bool NumberedMark(int mark) { return mark >= 0 && mark <= 9; }
bool ValidMark(int mark) { return mark >= 0 && mark < 16; }
TRowMarks Bit(int mark) { return static_cast<TRowMarks>(1u << mark); }

}  // namespace

TRowMarks TEditor::RowMarks(int row) const {
    if (row < 0 || row >= store_->Count()) return 0;
    return store_->GetMarks(row);
}

void TEditor::SetRowMarks(int row, TRowMarks marks) {
    if (row < 0 || row >= store_->Count()) return;
    const TRowMarks old = store_->GetMarks(row);
    if (old == marks) return;
    store_->IncludeMarks(static_cast<TRowMarks>(marks & ~old));
    store_->ExcludeMarks(static_cast<TRowMarks>(old & ~marks));
    store_->SetMarks(row, marks);
    // Every editor on this text shows the change in its image bar (and the
    // build's and the hits' marks in its left bar).
    const bool buildMarks = ((old ^ marks) >> kHitRowMark) != 0;
    for (TEditor* ed : store_->Editors()) {
        const bool image = ed->props_.imagebar.visible, left = buildMarks && ed->props_.leftbar.visible;
        if (!(image || left) || !ed->window_) continue;
        if (row < ed->topRow_ || row >= ed->topRow_ + ed->ScreenRows()) continue;
        const int y = ed->RowTop(row);
        const int right = left ? ed->metrics_.imagebarWidth + ed->metrics_.leftbarWidth : ed->metrics_.imagebarWidth;
        ed->window_->InvalidateRect({0, y, right, y + ed->metrics_.rowHeight});
        ed->window_->UpdateNow();
    }
}

int TEditor::FindRowMark(int mark) const {
    if (!ValidMark(mark) || !(store_->GetMarksInUse() & Bit(mark))) return -1;
    const int rows = store_->Count();
    for (int r = 0; r < rows; ++r)
        if (store_->GetMarks(r) & Bit(mark)) return r;
    return -1;
}

void TEditor::PutRowMark(int row, int mark) {
    if (!ValidMark(mark)) return;
    if (NumberedMark(mark)) {
        int old = FindRowMark(mark);
        if (old >= 0) SetRowMarks(old, static_cast<TRowMarks>(RowMarks(old) & ~Bit(mark)));
    }
    if (row >= 0 && row < store_->Count()) SetRowMarks(row, static_cast<TRowMarks>(RowMarks(row) | Bit(mark)));
}

void TEditor::DeleteRowMark(int row, int mark) {
    if (!ValidMark(mark) || row < 0 || row >= store_->Count()) return;
    SetRowMarks(row, static_cast<TRowMarks>(RowMarks(row) & ~Bit(mark)));
}

void TEditor::ToggleRowMark(int row, int mark) {
    if (!ValidMark(mark)) return;
    if (RowMarks(row) & Bit(mark)) DeleteRowMark(row, mark);
    else PutRowMark(row, mark);
}

void TEditor::GotoRowMark(int mark) {
    const int row = FindRowMark(mark);
    if (row < 0) return;
    if (row < topRow_ || row >= topRow_ + visibleRows_) SetTopRow(std::max(0, row - visibleRows_ / 2));
    SetRow(row);
}

}  // namespace editor
