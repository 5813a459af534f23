#include "editor/EditorPainter.h"

#include <algorithm>
#include <string>

#include "editor/Editor.h"
#include "editor/EditorParser.h"
#include "platform/ShiftJis.h"

namespace editor {

namespace {

TColor Or(TColor c, TColor fallback) { return c == clNone ? fallback : c; }

constexpr TColor kEdgeLight = clWhite;
constexpr TColor kEdgeDark = 0x808080;

// 5 × 9 digit pictures, one string of 9 rows per digit ('#' set).
const char* const kDigitFont[10][9] = {
    {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."},
    {".#.", "##.", ".#.", ".#.", ".#.", ".#.", ".#.", ".#.", "###"},
    {".###.", "#...#", "....#", "....#", "...#.", "..#..", ".#...", "#....", "#####"},
    {".###.", "#...#", "....#", "....#", "..##.", "....#", "....#", "#...#", ".###."},
    {"...#.", "..##.", ".#.#.", "#..#.", "#..#.", "#####", "...#.", "...#.", "...#."},
    {"#####", "#....", "#....", "####.", "....#", "....#", "....#", "#...#", ".###."},
    {".###.", "#....", "#....", "####.", "#...#", "#...#", "#...#", "#...#", ".###."},
    {"#####", "....#", "...#.", "...#.", "..#..", "..#..", ".#...", ".#...", ".#..."},
    {".###.", "#...#", "#...#", "#...#", ".###.", "#...#", "#...#", "#...#", ".###."},
    {".###.", "#...#", "#...#", "#...#", ".####", "....#", "....#", "....#", ".###."},
};

// Byte offsets of a row laid out on columns (TABs to their stops).
struct TLayout {
    std::string display;          // the row with TABs expanded
    std::vector<int> colOfByte;   // column where each byte starts; one more entry for the end
};

TLayout Layout(std::string_view text, const TMeasure& m) {
    TLayout l;
    l.colOfByte.resize(text.size() + 1, 0);
    int col = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        l.colOfByte[i] = col;
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\t') {
            int span = m.TabSpan(col);
            l.display.append(static_cast<size_t>(span), ' ');
            col += span;
        } else if (platform::IsLeadByte(c) && i + 1 < text.size()) {
            l.display += text.substr(i, 2);
            l.colOfByte[i + 1] = col + 1;
            col += 2;
            ++i;
        } else {
            l.display += static_cast<char>(c);
            ++col;
        }
    }
    l.colOfByte[text.size()] = col;
    return l;
}

// At most 1000 cells, 1001 when a double-byte character straddles the limit.
size_t CutLength(std::string_view s) {
    if (s.size() <= static_cast<size_t>(kMaxMapColumns)) return s.size();
    size_t n = kMaxMapColumns;
    if (platform::IsTrailByteAt(s, n)) ++n;  // byte 1000 is the second half of a character
    return n;
}

TRect Intersect(const TRect& a, const TRect& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

// The canvas does not clip: a run is cut to the cells that start inside
// [left, right), so that text scrolled left never covers the left bar. A
// double-byte character cut at the left is left out whole.
void ClippedRun(Canvas& canvas, int x, int y, std::string_view bytes, int cw, TColor color, uint8_t style, int left,
                int right) {
    if (bytes.empty() || right <= left || cw <= 0) return;
    size_t from = x < left ? static_cast<size_t>((left - x + cw - 1) / cw) : 0;
    if (from >= bytes.size()) return;
    if (from > 0 && platform::IsTrailByteAt(bytes, from)) ++from;
    size_t to = x < right ? static_cast<size_t>((right - x + cw - 1) / cw) : 0;
    if (to < bytes.size() && to > 0 && platform::IsTrailByteAt(bytes, to)) ++to;
    to = std::min(to, bytes.size());
    if (to <= from) return;
    canvas.TextRun(x + static_cast<int>(from) * cw, y, bytes.substr(from, to - from), cw, color, style);
}

}  // namespace

TEditorPainter::TEditorPainter(TEditor& editor)
    : ed_(editor),
      m_(editor.Metrics()),
      back_(Or(editor.Properties().color, clWhite)),
      fore_(Or(editor.Properties().font.color, clBlack)) {}

int TEditorPainter::DrawDigit(Canvas& canvas, int x, int y, int digit, TColor color) {
    const char* const* rows = kDigitFont[digit % 10];
    int width = static_cast<int>(std::string_view(rows[0]).size());
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < width; ++c)
            if (rows[r][c] == '#') canvas.FillRect({x + c, y + r, x + c + 1, y + r + 1}, color);
    return width;
}

void TEditorPainter::Paint(Canvas& canvas, const TRect& clip, bool caretOn) {
    const int W = ed_.ClientWidth() > 0 ? ed_.ClientWidth() : clip.right;
    const int H = ed_.ClientHeight() > 0 ? ed_.ClientHeight() : clip.bottom;
    (void)W;
    const int h = std::max(1, m_.rowHeight);
    // Rows touched by the clip, aligned to the grid.
    int top = std::max(clip.top, m_.topMargin);
    int first = (top - m_.topMargin) / h + ed_.TopRow();
    int last = first + (std::min(clip.bottom, H) - m_.topMargin - (first - ed_.TopRow()) * h + h - 1) / h - 1;
    last = std::max(first, last);

    if (clip.left < m_.leftMargin && clip.top < m_.topMargin) PaintCorner(canvas);
    if (ed_.Properties().ruler.visible && clip.top < m_.rulerHeight + ed_.Properties().margin.top) PaintRuler(canvas, clip);
    if (ed_.Properties().leftbar.visible) PaintLeftbar(canvas, first, last);
    if (ed_.Properties().imagebar.visible) PaintImagebar(canvas, first, last);
    // Gaps between rows and the margin show the background.
    canvas.FillRect(Intersect({m_.leftMargin - ed_.Properties().margin.left, m_.topMargin - ed_.Properties().margin.top,
                               clip.right, clip.bottom}, clip), back_);
    for (int r = first; r <= last; ++r) {
        int y = m_.topMargin + (r - ed_.TopRow()) * h;
        if (r < ed_.RowCount()) PaintTextRow(canvas, r, y, clip);
        else PaintEndRow(canvas, r, y, clip);
    }
    // The caret row's underline.
    const TEditorMark& ul = ed_.Properties().marks.underline;
    if (ul.visible && !ed_.Marked()) {
        int y = m_.topMargin + h * (ed_.Row() - ed_.TopRow()) + m_.fontHeight;
        if (y > m_.topMargin && y < H) canvas.Line(m_.leftMargin, y, clip.right, y, Or(ul.color, fore_));
    }
    PaintCaret(canvas, caretOn);
}

void TEditorPainter::PaintCorner(Canvas& canvas) {
    const TEditorProperties& p = ed_.Properties();
    canvas.FillRect({0, 0, m_.leftMargin, m_.topMargin}, back_);
    int barRight = 0;
    if (p.leftbar.visible && p.leftbar.edge) {
        barRight = m_.imagebarWidth + m_.leftbarWidth;
        canvas.FillRect({0, 0, barRight, m_.topMargin}, Or(p.leftbar.bkColor, back_));
        canvas.FillRect({barRight - 2, 0, barRight - 1, m_.topMargin}, kEdgeLight);
        canvas.FillRect({barRight - 1, 0, barRight, m_.topMargin}, kEdgeDark);
    }
    if (p.ruler.visible && p.ruler.edge) {
        int left = barRight;
        canvas.FillRect({left, 0, m_.leftMargin, m_.rulerHeight}, Or(p.ruler.bkColor, back_));
        canvas.Line(left, m_.rulerHeight - 2, m_.leftMargin, m_.rulerHeight - 2, kEdgeLight);
        canvas.Line(left, m_.rulerHeight - 1, m_.leftMargin, m_.rulerHeight - 1, kEdgeDark);
    }
}

void TEditorPainter::PaintRuler(Canvas& canvas, const TRect& clip) {
    const TEditorRuler& r = ed_.Properties().ruler;
    const int cw = m_.cellWidth;
    const int G = r.gaugeRange;
    const int left = m_.leftMargin;
    const int right = clip.right;
    const TColor bk = Or(r.bkColor, back_), fg = Or(r.color, fore_);
    const int tickBottom = m_.rulerHeight - (r.edge ? 3 : 2);
    canvas.FillRect({left, 0, right, m_.rulerHeight}, bk);
    for (int k = 0, x = left; x < right; ++k, x += cw) {
        int col = ed_.LeftColumn() + k;
        int y0 = col % G == 0 ? 0 : col % G == G / 2 ? 3 : 6;
        canvas.Line(x, y0, x, tickBottom, fg);
        if (col % G == 0) {
            std::string digits = std::to_string(col);
            int dx = x + 1;
            for (char d : digits) dx += DrawDigit(canvas, dx, 0, d - '0', fg) + 1;
        }
    }
    // The caret's column, marked in MarkColor.
    int cx = left + (ed_.Col() - ed_.LeftColumn()) * cw;
    if (cx >= left && cx < right) canvas.FillRect({cx + 1, 1, cx + cw - 1, tickBottom}, Or(r.markColor, fore_));
    if (r.edge) {
        canvas.Line(left, m_.rulerHeight - 2, right, m_.rulerHeight - 2, kEdgeLight);
        canvas.Line(left, m_.rulerHeight - 1, right, m_.rulerHeight - 1, kEdgeDark);
    } else {
        canvas.Line(left, m_.rulerHeight - 1, right, m_.rulerHeight - 1, fg);
    }
}

void TEditorPainter::PaintLeftbar(Canvas& canvas, int first, int last) {
    const TEditorLeftbar& l = ed_.Properties().leftbar;
    const int x0 = m_.imagebarWidth;
    const int x1 = x0 + m_.leftbarWidth;
    const TColor bk = Or(l.bkColor, back_), fg = Or(l.color, fore_);
    const int rows = ed_.RowCount();
    const bool lastHasBreak = rows == 0 || ed_.RowAttribute(rows - 1) != raEndOfText;
    // Line numbers need the count of lines before the first row shown.
    int line = 0;
    if (l.showNumberMode == nmLine) {
        for (int r = 0; r < first && r < rows; ++r)
            if (ed_.RowAttribute(r) != raWrapped) ++line;
    }
    for (int r = first; r <= last; ++r) {
        int y = m_.topMargin + (r - ed_.TopRow()) * m_.rowHeight;
        canvas.FillRect({x0, y, x1 - 2, y + m_.rowHeight}, bk);
        long long number = -1;
        if (r < rows) {
            if (l.showNumberMode == nmRow) {
                number = r;
            } else {
                bool continuation = r > 0 && ed_.RowAttribute(r - 1) == raWrapped;
                if (!continuation) number = line;
            }
        } else if (r == rows && lastHasBreak) {
            number = l.showNumberMode == nmRow ? r : line;
        }
        if (l.showNumberMode == nmLine && r < rows && ed_.RowAttribute(r) != raWrapped) ++line;
        if (l.showNumber && number >= 0) {
            std::string text = std::to_string(number + (l.zeroBase ? 0 : 1));
            if (static_cast<int>(text.size()) < m_.digits)
                text.insert(0, static_cast<size_t>(m_.digits) - text.size(), l.zeroLead ? '0' : ' ');
            canvas.TextRun(x0 + l.leftMargin, y, text, m_.cellWidth, fg, 0);
        }
        if (l.edge) {
            canvas.FillRect({x1 - 2, y, x1 - 1, y + m_.rowHeight}, kEdgeLight);
            canvas.FillRect({x1 - 1, y, x1, y + m_.rowHeight}, kEdgeDark);
        } else {
            canvas.FillRect({x1 - 2, y, x1 - 1, y + m_.rowHeight}, bk);
            canvas.FillRect({x1 - 1, y, x1, y + m_.rowHeight}, fg);
        }
    }
}

void TEditorPainter::PaintImagebar(Canvas& canvas, int first, int last) {
    const TEditorProperties& p = ed_.Properties();
    const TColor bk = p.leftbar.visible && p.leftbar.bkColor != clNone ? p.leftbar.bkColor : back_;
    for (int r = first; r <= last; ++r) {
        int y = m_.topMargin + (r - ed_.TopRow()) * m_.rowHeight;
        canvas.FillRect({0, y, m_.imagebarWidth, y + m_.rowHeight}, bk);
        if (r >= ed_.RowCount()) continue;
        TRowMarks marks = ed_.Store().GetMarks(r);
        int x = p.imagebar.leftMargin;
        for (int n = 0; n <= 9; ++n) {
            if (marks & (1u << n)) {
                DrawDigit(canvas, x, y + 2, n, fore_);
                break;
            }
        }
        for (int n = 10; n <= 15; ++n) {
            if (marks & (1u << n)) {
                int mx = x + p.imagebar.digitWidth;
                canvas.FillRect({mx, y + 3, mx + 6, y + 9}, 0x0000FF);  // a square per image mark
                break;
            }
        }
    }
}

void TEditorPainter::EofMark(Canvas& canvas, int x, int y, const TRect& clip) {
    const TEditorMark& eof = ed_.Properties().marks.eofMark;
    if (!eof.visible) return;
    const TRect area = Intersect({m_.leftMargin, y, clip.right, y + m_.fontHeight}, clip);
    TRect r = Intersect({x, y, x + 6 * m_.cellWidth, y + m_.fontHeight}, area);
    if (r.right <= r.left) return;
    canvas.FillRect(r, back_);
    ClippedRun(canvas, x, y, "[EOF]", m_.cellWidth, Or(eof.color, fore_), 0, area.left, area.right);
}

void TEditorPainter::ReturnMark(Canvas& canvas, int x, int y, TColor c) {
    const int h = m_.fontHeight, w = m_.cellWidth;
    int d = std::max(1, h / 8), f = std::max(d, 3), mid = x + w / 2;
    int bottom = y + h - 2 * d;
    canvas.Line(mid, y + 2 * d, mid, bottom, c);
    canvas.Line(mid, bottom, mid + f, bottom - f, c);
    canvas.Line(mid, bottom, mid - f, bottom - f, c);
}

void TEditorPainter::WrapMark(Canvas& canvas, int x, int y, TColor c) {
    const int w = m_.cellWidth;
    int e = std::max(2, w * 3 / 5), m = y + m_.fontHeight / 2;
    canvas.Line(x + w, m - e, x + w - e, m, c);
    canvas.Line(x + w - e, m, x + w + 1, m + e + 1, c);
}

void TEditorPainter::HideMark(Canvas& canvas, int x, int y, TColor c) {
    const int w = m_.cellWidth;
    int e = std::max(2, w * 3 / 5), m = y + m_.fontHeight / 2;
    canvas.Line(x + w - e, m - e, x + w, m, c);
    canvas.Line(x + w, m, x + w - e - 1, m + e + 1, c);
}

void TEditorPainter::PaintEndRow(Canvas& canvas, int row, int y, const TRect& clip) {
    TRect rect = Intersect({m_.leftMargin, y, clip.right, y + m_.rowHeight}, clip);
    if (rect.right > rect.left) canvas.FillRect(rect, back_);
    const int rows = ed_.RowCount();
    if (row == rows && (rows == 0 || ed_.RowAttribute(rows - 1) != raEndOfText))
        EofMark(canvas, m_.leftMargin - ed_.LeftColumn() * m_.cellWidth, y, clip);
}

void TEditorPainter::PaintTextRow(Canvas& canvas, int row, int y, const TRect& clip) {
    TEditorScreenStrings& store = ed_.Store();
    store.EnsureState(row);
    const int cw = m_.cellWidth;
    const int x0 = m_.leftMargin - ed_.LeftColumn() * cw;
    const int offset = ed_.LeftColumn() * cw;
    const TRect rowRect = Intersect({m_.leftMargin, y, clip.right, y + m_.fontHeight}, clip);
    if (rowRect.right <= rowRect.left) return;
    const std::string_view text = ed_.RowText(row);
    const TMeasure measure = ed_.Measure();
    const TLayout layout = Layout(text, measure);
    const size_t cut = CutLength(layout.display);
    const int width = static_cast<int>(layout.display.size());

    // Selected columns of this row; rows of a selection that goes on below
    // are selected to the right edge.
    int selFrom = 0, selTo = 0;
    bool selToEdge = false;
    if (ed_.Marked()) {
        const TEditor::TColumnRange& c = ed_.SelectionColumns();
        if (row >= c.topRow && row <= c.bottomRow) {
            if (ed_.SelectionMode() == smBox) {
                selFrom = c.leftCol;
                selTo = c.rightCol;
            } else {
                selFrom = row == c.topRow ? c.leftCol : 0;
                selToEdge = row != c.bottomRow;
                selTo = selToEdge ? std::max(width, selFrom) + 1 : c.rightCol;
            }
        }
    }

    // First pass: the whole row in the font's colour.
    canvas.FillRect(rowRect, back_);
    if (static_cast<int>(text.size() + 5) * cw < offset) return;  // scrolled out of sight
    const int rightLimit = m_.leftMargin + kMaxMapColumns * cw - offset;
    if (cut > 0)
        ClippedRun(canvas, x0, y, std::string_view(layout.display).substr(0, cut), cw, fore_, 0, rowRect.left,
                   rowRect.right);

    // Tokens whose colours differ from the defaults.
    const TEditorFountain& fountain = ed_.ActiveFountain();
    TEditorParser parser(&fountain);
    std::string joined;
    std::string_view scan = text;
    if (ed_.RowAttribute(row) == raWrapped && row + 1 < ed_.RowCount()) {
        joined.assign(text);
        joined += ed_.RowText(row + 1);
        scan = joined;
    }
    parser.Init(scan, LoadRowState(store, row));
    for (;;) {
        TTokenKind kind = parser.NextToken();
        if (kind == tokEnd || parser.TokenStart() >= text.size()) break;
        const TFountainColor* rec = parser.TokenColor();
        if (!rec) continue;
        TColor bk = Or(rec->bkColor, back_), fg = Or(rec->color, fore_);
        if (!m_.italic && bk == back_ && fg == fore_ && rec->style == 0) continue;
        size_t end = std::min(parser.TokenStart() + parser.TokenLength(), text.size());
        int c0 = layout.colOfByte[parser.TokenStart()], c1 = layout.colOfByte[end];
        c1 = std::min(c1, static_cast<int>(cut));
        if (c1 <= c0) continue;
        int tx = x0 + c0 * cw;
        if (tx >= rowRect.right) break;
        if (x0 + c1 * cw <= m_.leftMargin) continue;
        canvas.FillRect(Intersect({tx, y, x0 + c1 * cw, y + m_.fontHeight}, rowRect), bk);
        ClippedRun(canvas, tx, y,
                   std::string_view(layout.display).substr(static_cast<size_t>(c0), static_cast<size_t>(c1 - c0)), cw,
                   fg, rec->style, rowRect.left, rowRect.right);
    }

    // The selection over it.
    bool breakSelected = false;
    const TFountainColor& selRec = ed_.SelectionState() == sstHit ? fountain.Colors().hit : fountain.Colors().select;
    const TColor sfg = Or(selRec.color, back_);
    if (selTo > selFrom) {
        const TColor sbk = Or(selRec.bkColor, fore_);
        int from = std::min(selFrom, static_cast<int>(cut)), to = std::min(selTo, static_cast<int>(cut));
        const int selRight = selToEdge ? rowRect.right : x0 + selTo * cw;
        canvas.FillRect(Intersect({x0 + selFrom * cw, y, selRight, y + m_.fontHeight}, rowRect), sbk);
        int textTo = std::min(to, width);
        if (textTo > from)
            ClippedRun(canvas, x0 + from * cw, y,
                       std::string_view(layout.display).substr(static_cast<size_t>(from), static_cast<size_t>(textTo - from)),
                       cw, sfg, 0, rowRect.left, rowRect.right);
        breakSelected = selTo > width;
    }

    // The row-end mark.
    int c = std::min(x0 + width * cw, rightLimit);
    if (layout.display.size() > static_cast<size_t>(kMaxMapColumns) && cut > static_cast<size_t>(kMaxMapColumns))
        c = rightLimit + cw;
    if (c < rowRect.right && c >= m_.leftMargin) {
        const TEditorMarks& marks = ed_.Properties().marks;
        if (layout.display.size() <= static_cast<size_t>(kMaxMapColumns)) {
            TRowAttribute a = ed_.RowAttribute(row);
            if (a == raEndOfText) {
                EofMark(canvas, c, y, clip);
            } else if (a == raLineBreak && marks.retMark.visible) {
                ReturnMark(canvas, c, y, breakSelected ? sfg : Or(marks.retMark.color, fore_));
            } else if (a == raWrapped && marks.wrapMark.visible) {
                WrapMark(canvas, c, y, breakSelected ? sfg : Or(marks.wrapMark.color, fore_));
            }
        } else if (marks.hideMark.visible) {
            HideMark(canvas, c, y, Or(marks.hideMark.color, fore_));
        }
    }
}

void TEditorPainter::PaintCaret(Canvas& canvas, bool caretOn) {
    int caretRow = ed_.Row() - ed_.TopRow();
    if (!caretOn || !ed_.Focused() || !ed_.CaretVisible() || caretRow < 0) return;
    const int cw = m_.cellWidth;
    int cy = m_.topMargin + caretRow * m_.rowHeight;
    int cx = m_.leftMargin + (ed_.Col() - ed_.LeftColumn()) * cw;
    if (cy >= ed_.ClientHeight() && ed_.ClientHeight() > 0) return;
    if (cx < m_.leftMargin || (ed_.ClientWidth() > 0 && cx >= ed_.ClientWidth())) return;
    std::string map = ed_.ColumnMap(ed_.Row());
    int col = ed_.Col();
    int w = std::max(1, cw - ed_.Properties().margin.character);
    if (col < static_cast<int>(map.size()) && map[static_cast<size_t>(col)] == '4') w *= 2;
    if (ed_.Overwrite()) {
        canvas.FillRect({cx, cy, cx + w, cy + m_.fontHeight}, fore_);
    } else if (ed_.Caret().style == csBrief) {
        canvas.FillRect({cx, cy + m_.fontHeight - 2, cx + w, cy + m_.fontHeight}, fore_);
    } else {
        canvas.FillRect({cx, cy, cx + 2, cy + m_.fontHeight}, fore_);
    }
}

}  // namespace editor
