#include "editor/EditorPainter.h"

#include <algorithm>

#include "editor/Editor.h"

namespace editor {

namespace {

TColor TextColor(const TEditor& ed) {
    TColor c = ed.Properties().view.colors.ank.color;
    return c == clNone ? ed.Properties().font.color : c;
}

TColor Background(const TEditor& ed) {
    TColor c = ed.Properties().view.colors.ank.bkColor;
    return c == clNone ? clWhite : c;
}

}  // namespace

int TEditorPainter::VisibleRows(int height) const {
    int rows = (height - m_.topMargin) / std::max(1, m_.rowHeight);
    return std::max(1, rows);
}

int TEditorPainter::MaxColumns() const {
    int widest = 0;
    // Measuring every row of a huge file on each layout would stall: rows
    // longer in bytes than the widest so far are the only candidates.
    for (int r = 0; r < editor_.RowCount(); ++r) {
        std::string_view text = editor_.RowText(r);
        if (static_cast<int>(text.size()) * editor_.TabWidth() <= widest) continue;
        widest = std::max(widest, editor_.TextWidth(text));
    }
    return widest;
}

void TEditorPainter::Paint(Canvas& canvas, const TRect& area, int firstColumn) const {
    canvas.FillRect(area, Background(editor_));
    const TColor color = TextColor(editor_);
    const int tab = editor_.TabWidth();
    const int x0 = area.left + m_.leftMargin - firstColumn * m_.cellWidth;
    int y = area.top + m_.topMargin;
    for (int r = editor_.TopRow(); r < editor_.RowCount() && y < area.bottom; ++r, y += m_.rowHeight) {
        std::string_view text = editor_.RowText(r);
        // Runs of bytes between TABs, each placed at its column.
        int col = 0;
        size_t start = 0;
        for (size_t i = 0; i <= text.size(); ++i) {
            if (i < text.size() && text[i] != '\t') continue;
            if (i > start) {
                int runCols = static_cast<int>(i - start);
                int right = x0 + (col + runCols) * m_.cellWidth;
                if (right > area.left && x0 + col * m_.cellWidth < area.right)
                    canvas.TextRun(x0 + col * m_.cellWidth, y, text.substr(start, i - start), m_.cellWidth, color, 0);
                col += runCols;
            }
            if (i < text.size()) col += tab - col % tab;
            start = i + 1;
        }
    }
    // The caret: a bar before its column while the editor has the focus.
    int caretRow = editor_.Row() - editor_.TopRow();
    if (editor_.Focused() && caretRow >= 0) {
        int cy = area.top + m_.topMargin + caretRow * m_.rowHeight;
        int cx = x0 + editor_.Col() * m_.cellWidth;
        if (cy < area.bottom && cx >= area.left && cx < area.right) {
            canvas.Line(cx, cy, cx, cy + m_.rowHeight - 1, color);
            canvas.Line(cx + 1, cy, cx + 1, cy + m_.rowHeight - 1, color);
        }
    }
}

}  // namespace editor
