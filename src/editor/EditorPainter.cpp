#include "editor/EditorPainter.h"

#include <algorithm>

#include "editor/Editor.h"

namespace editor {

namespace {

TColor Or(TColor c, TColor fallback) { return c == clNone ? fallback : c; }

}  // namespace

int TEditorPainter::VisibleRows(int height) const {
    int rows = (height - m_.topMargin) / std::max(1, m_.rowHeight);
    return std::max(1, rows);
}

int TEditorPainter::MaxColumns() const {
    int widest = 0;
    // Rows longer in bytes than the widest so far are the only candidates,
    // so a huge file is not measured row by row on every layout.
    for (int r = 0; r < editor_.RowCount(); ++r) {
        std::string_view text = editor_.RowText(r);
        if (static_cast<int>(text.size()) * editor_.TabWidth() <= widest) continue;
        widest = std::max(widest, editor_.TextWidth(text));
    }
    return widest;
}

// The selected columns [from, to) of a row; empty when none.
static void SelectedColumns(const TEditor& ed, int row, int* from, int* to) {
    *from = *to = 0;
    if (!ed.Selected()) return;
    const TEditor::TColumnRange& c = ed.SelectionColumns();
    if (row < c.topRow || row > c.bottomRow) return;
    if (ed.SelectionMode() == smBox) {
        *from = c.leftCol;
        *to = c.rightCol;
        return;
    }
    *from = row == c.topRow ? c.leftCol : 0;
    // A selected line break shows as one more cell.
    *to = row == c.bottomRow ? c.rightCol : ed.EndColumn(row) + (ed.RowAttribute(row) == raLineBreak ? 1 : 0);
}

void TEditorPainter::Paint(Canvas& canvas, const TRect& area, int firstColumn, bool caretOn) const {
    const TEditorColors& colors = editor_.Properties().view.colors;
    const TColor fore = Or(colors.ank.color, editor_.Properties().font.color);
    const TColor back = Or(colors.ank.bkColor, clWhite);
    const TColor selFore = Or(colors.select.color, clWhite);
    const TColor selBack = Or(colors.select.bkColor, clBlue);
    canvas.FillRect(area, back);
    const int cw = m_.cellWidth;
    const int x0 = area.left + m_.leftMargin - firstColumn * cw;
    int y = area.top + m_.topMargin;
    for (int r = editor_.TopRow(); r < editor_.RowCount() && y < area.bottom; ++r, y += m_.rowHeight) {
        int selFrom = 0, selTo = 0;
        SelectedColumns(editor_, r, &selFrom, &selTo);
        if (selTo > selFrom)
            canvas.FillRect({x0 + selFrom * cw, y, x0 + selTo * cw, y + m_.rowHeight}, selBack);
        std::string_view text = editor_.RowText(r);
        // Runs of bytes between TABs, each placed at its column and split
        // where the selection starts and ends.
        int col = 0;
        size_t start = 0;
        for (size_t i = 0; i <= text.size(); ++i) {
            if (i < text.size() && text[i] != '\t') continue;
            int runCols = static_cast<int>(i - start);
            if (runCols > 0 && x0 + (col + runCols) * cw > area.left && x0 + col * cw < area.right) {
                int cuts[4] = {col, std::clamp(selFrom, col, col + runCols), std::clamp(selTo, col, col + runCols),
                               col + runCols};
                for (int k = 0; k < 3; ++k) {
                    if (cuts[k + 1] <= cuts[k]) continue;
                    bool selected = k == 1;
                    canvas.TextRun(x0 + cuts[k] * cw, y,
                                   text.substr(start + static_cast<size_t>(cuts[k] - col),
                                               static_cast<size_t>(cuts[k + 1] - cuts[k])),
                                   cw, selected ? selFore : fore, 0);
                }
            }
            col += runCols;
            if (i < text.size()) col += editor_.Measure().TabSpan(col);
            start = i + 1;
        }
    }
    // The caret: a bar, a low bar (csBrief) or a block (overwrite).
    int caretRow = editor_.Row() - editor_.TopRow();
    if (caretOn && editor_.Focused() && editor_.CaretVisible() && caretRow >= 0) {
        int cy = area.top + m_.topMargin + caretRow * m_.rowHeight;
        int cx = x0 + editor_.Col() * cw;
        if (cy < area.bottom && cx >= area.left && cx < area.right) {
            std::string map = editor_.ColumnMap(editor_.Row());
            int col = editor_.Col();
            int w = std::max(1, cw - editor_.Properties().margin.character);
            if (col < static_cast<int>(map.size()) && map[static_cast<size_t>(col)] == '4') w *= 2;
            if (editor_.Overwrite()) {
                canvas.FillRect({cx, cy, cx + w, cy + m_.rowHeight}, fore);
            } else if (editor_.Caret().style == csBrief) {
                canvas.FillRect({cx, cy + m_.rowHeight - 2, cx + w, cy + m_.rowHeight}, fore);
            } else {
                canvas.FillRect({cx, cy, cx + 2, cy + m_.rowHeight}, fore);
            }
        }
    }
}

}  // namespace editor
