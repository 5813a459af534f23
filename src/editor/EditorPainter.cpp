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
constexpr TColor kHitColour = 0xE08020;  // a blue apart from the build's red and yellow
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

// Pictures of the row marks 10..15, 7 × 9 pixels, each in its own colour.
struct TMarkPicture {
    TColor color;
    const char* rows[9];
};
const TMarkPicture kMarkPictures[6] = {
    {0x0000FF, {"..###..", ".#####.", "#######", "#######", "#######", ".#####.", "..###..", ".......", "......."}},
    {0x008000, {"#######", "#######", "##...##", "##...##", "##...##", "#######", "#######", ".......", "......."}},
    {0xFF0000, {"...#...", "..###..", "..###..", ".#####.", ".#####.", "#######", "#######", ".......", "......."}},
    {0x008080, {"...#...", "..###..", ".#####.", "#######", ".#####.", "..###..", "...#...", ".......", "......."}},
    {0x800080, {"#.....#", ".#...#.", "..#.#..", "...#...", "..#.#..", ".#...#.", "#.....#", ".......", "......."}},
    {0x0080FF, {"##.....", "####...", "######.", "#######", "######.", "####...", "##.....", ".......", "......."}},
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

// A run cut to the characters with a pixel inside `clip`; a character
// across its left or right edge is drawn clipped to it, so that text
// scrolled left never covers the left bar and a repaint of part of a row
// draws what a repaint of the whole row draws there.
void ClippedRun(Canvas& canvas, int x, int y, std::string_view bytes, int cw, TColor color, uint8_t style,
                const TRect& clip) {
    if (bytes.empty() || clip.right <= clip.left || cw <= 0) return;
    const int n = static_cast<int>(bytes.size());
    // Cells [from, to) have a pixel inside; widened to whole characters.
    int from = x < clip.left ? (clip.left - x) / cw : 0;
    int to = x < clip.right ? std::min(n, (clip.right - x + cw - 1) / cw) : 0;
    if (from >= to) return;
    if (platform::IsTrailByteAt(bytes, static_cast<size_t>(from))) --from;
    if (to < n && platform::IsTrailByteAt(bytes, static_cast<size_t>(to))) ++to;
    auto piece = [&](int a, int b) { return bytes.substr(static_cast<size_t>(a), static_cast<size_t>(b - a)); };
    int first = from, last = to;
    if (x + first * cw < clip.left) {
        const int len = platform::IsLeadByte(static_cast<unsigned char>(bytes[static_cast<size_t>(first)])) && first + 1 < n ? 2 : 1;
        canvas.ClipTextRun(x + first * cw, y, piece(first, first + len), cw, color, style, clip);
        first += len;
    }
    if (last > first && x + last * cw > clip.right) {
        int start = last - 1;
        if (start > first && platform::IsTrailByteAt(bytes, static_cast<size_t>(start))) --start;
        canvas.ClipTextRun(x + start * cw, y, piece(start, last), cw, color, style, clip);
        last = start;
    }
    if (last > first) canvas.TextRun(x + first * cw, y, piece(first, last), cw, color, style);
}

}  // namespace

TEditorPainter::TEditorPainter(TEditor& editor)
    : ed_(editor),
      m_(editor.Metrics()),
      back_(Or(editor.Properties().color, clWhite)),
      fore_(Or(editor.Properties().font.color, clBlack)) {}

int TEditorPainter::DrawDigit(Canvas& canvas, int x, int y, int digit, TColor color) {
    return DrawDigitIn(canvas, x, y, digit, color, {x, y, x + 5, y + 9});
}

int TEditorPainter::DrawDigitIn(Canvas& canvas, int x, int y, int digit, TColor color, const TRect& clip) {
    const char* const* rows = kDigitFont[digit % 10];
    int width = static_cast<int>(std::string_view(rows[0]).size());
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < width; ++c)
            if (rows[r][c] == '#' && x + c >= clip.left && x + c < clip.right && y + r >= clip.top && y + r < clip.bottom)
                canvas.FillRect({x + c, y + r, x + c + 1, y + r + 1}, color);
    return width;
}

void TEditorPainter::Paint(Canvas& canvas, const TRect& clip, bool caretOn) {
    const int H = ed_.ClientHeight() > 0 ? ed_.ClientHeight() : clip.bottom;
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
        int y = ed_.RowTop(r);
        if (r < ed_.RowCount()) PaintTextRow(canvas, r, y, clip);
        else PaintEndRow(canvas, r, y, clip);
    }
    // The caret row's underline.
    const TEditorMark& ul = ed_.Properties().marks.underline;
    if (ed_.UnderlineVisible()) {
        int y = ed_.RowTop(ed_.Row()) + m_.fontHeight;
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
    // The caret's column, marked in MarkColor; the numbers under the mark
    // show through it in the ruler's background colour.
    int cx = left + (ed_.Col() - ed_.LeftColumn()) * cw;
    if (cx >= left && cx < right) {
        const TRect mark{cx + 1, 1, cx + cw - 1, tickBottom};
        canvas.FillRect(mark, Or(r.markColor, fore_));
        // Numbers start at gauge starts at or left of the caret's column
        // and run on for a few cells.
        for (int col = ed_.Col() - ed_.Col() % G; col >= ed_.LeftColumn() && col > ed_.Col() - 8; col -= G) {
            const std::string digits = std::to_string(col);
            int dx = left + (col - ed_.LeftColumn()) * cw + 1;
            for (char d : digits) dx += DrawDigitIn(canvas, dx, 0, d - '0', bk, mark) + 1;
        }
    }
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
    // Line numbers need the count of lines before the first row shown;
    // without word wrap every row is a line.
    int line = std::min(first, rows);
    if (l.showNumberMode == nmLine && ed_.WordWrap()) line = ed_.Store().LinesBefore(std::min(first, rows));
    for (int r = first; r <= last; ++r) {
        int y = ed_.RowTop(r);
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
        // A build's message or a find's hit on this row: a square in the
        // bar's left margin, red or yellow for messages, blue for hits.
        const TRowMarks marks = r < rows ? ed_.Store().GetMarks(r) : 0;
        if (marks & ((1u << kErrorRowMark) | (1u << kWarningRowMark) | (1u << kHitRowMark))) {
            const int width = std::max(3, l.leftMargin - 2), height = std::max(3, m_.rowHeight - 4);
            const int top = y + (m_.rowHeight - height) / 2;
            const TColor colour = (marks & (1u << kErrorRowMark))     ? clRed
                                  : (marks & (1u << kWarningRowMark)) ? clYellow
                                                                      : kHitColour;
            canvas.FillRect({x0 + 1, top, x0 + 1 + width, top + height}, clGray);
            canvas.FillRect({x0 + 1, top, x0 + width, top + height - 1}, colour);
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
        int y = ed_.RowTop(r);
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
                const TMarkPicture& pic = kMarkPictures[n - 10];
                const int mx = x + p.imagebar.digitWidth;
                for (int py = 0; py < 9; ++py)
                    for (int px = 0; pic.rows[py][px]; ++px)
                        if (pic.rows[py][px] == '#') canvas.FillRect({mx + px, y + 2 + py, mx + px + 1, y + 3 + py}, pic.color);
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
    ClippedRun(canvas, x, y, "[EOF]", m_.cellWidth, Or(eof.color, fore_), 0, area);
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

// One row's text laid out, its tokens and where its end mark goes; shared
// by the pieces the selection splits the row into.
struct TEditorPainter::TRowLayout {
    int row = 0, y = 0, x0 = 0, bottom = 0;
    std::string_view text;
    std::string_view shown;     // the bytes of the cells that can be shown
    std::string display;        // TABs expanded
    std::vector<int> colOfByte;
    size_t cut = 0;             // cells drawn (1000, or 1001 for a straddling character)
    int width = 0;              // cells of the shown bytes (more than 1000 when the row goes on)
    bool hidden = false;        // scrolled out of sight to the left
    struct Token {
        int c0, c1;
        const TFountainColor* rec;
    };
    std::vector<Token> tokens;
};

void TEditorPainter::Run(Canvas& canvas, int x, int y, std::string_view bytes, TColor color, TColor back,
                         uint8_t style, const TRect& clip) {
    const int cw = m_.cellWidth;
    ClippedRun(canvas, x, y, bytes, cw, color, static_cast<uint8_t>(style & ~fsUnderline), clip);
    if (style & fsUnderline) {
        // A dotted underline instead of the font's, across the run's cells.
        int x1 = std::max(x, clip.left), x2 = std::min(x + static_cast<int>(bytes.size()) * cw, clip.right);
        int uy = y + m_.fontHeight - 1;
        if (uy >= clip.top && uy < clip.bottom && x2 > x1) {
            // The pattern starts with the run's first pixel.
            if ((x1 - x) % 2) {
                canvas.FillRect({x1, uy, x1 + 1, uy + 1}, back);
                ++x1;
            }
            canvas.DottedLine(x1, x2, uy, color, back);
        }
    }
}

void TEditorPainter::PaintTextRow(Canvas& canvas, int row, int y, const TRect& clip) {
    TEditorScreenStrings& store = ed_.Store();
    store.EnsureState(row);
    const int cw = m_.cellWidth;
    TRowLayout l;
    l.row = row;
    l.y = y;
    l.x0 = m_.leftMargin - ed_.LeftColumn() * cw;
    // With a selection the rows close the underline gap, so the selection
    // shows without stripes.
    l.bottom = y + m_.fontHeight + (ed_.Marked() ? m_.underlineMargin : 0);
    l.text = ed_.RowText(row);
    // Only the first 1000 cells of a row are ever shown: the bytes beyond
    // them are neither laid out nor coloured.
    l.shown = ColumnsPrefix(l.text, kBeyondCaret);
    {
        TLayout lay = Layout(l.shown, ed_.Measure());
        l.display = std::move(lay.display);
        l.colOfByte = std::move(lay.colOfByte);
    }
    l.cut = CutLength(l.display);
    l.width = static_cast<int>(l.display.size());
    l.hidden = static_cast<int>(l.text.size() + 5) * cw < ed_.LeftColumn() * cw;

    if (!l.hidden) {
        // The tokens with a colour record, up to the right edge of the clip.
        const TEditorFountain& fountain = ed_.ActiveFountain();
        TEditorParser parser(&fountain);
        std::string joined;
        std::string_view scan = l.text;
        if (ed_.RowAttribute(row) == raWrapped && row + 1 < ed_.RowCount()) {
            joined.assign(l.text);
            joined += ed_.RowText(row + 1);
            scan = joined;
        }
        // The scanner sees the row's first 64 KB (the shown bytes at least):
        // a token running on past the shown cells is followed no further, so
        // a long row costs no more, and only a token longer than that (a
        // 64 KB mail address, say) could be coloured otherwise.
        constexpr size_t kScanWindow = 64 * 1024;
        parser.Init(scan.substr(0, std::max(kScanWindow, l.shown.size())), LoadRowState(store, row));
        for (;;) {
            TTokenKind kind = parser.NextToken();
            if (kind == tokEnd || parser.TokenStart() >= l.shown.size()) break;
            size_t end = std::min(parser.TokenStart() + parser.TokenLength(), l.shown.size());
            int c0 = l.colOfByte[parser.TokenStart()];
            int c1 = std::min(l.colOfByte[end], static_cast<int>(l.cut));
            if (l.x0 + c0 * cw >= clip.right) break;
            if (c1 <= c0 || l.x0 + c1 * cw <= m_.leftMargin) continue;
            l.tokens.push_back({c0, c1, parser.TokenColor()});
        }
    }

    // The selection splits the row into pieces.
    const TRect full{m_.leftMargin, y, clip.right, l.bottom};
    auto piece = [&](int left, int right, bool selected) {
        TRect r = Intersect(Intersect({left, y, right, l.bottom}, full), clip);
        if (r.right > r.left && r.bottom > r.top) RowPaint(canvas, l, r, selected);
    };
    const int edgeRight = std::max(full.right, clip.right);
    if (!ed_.Marked() || row < ed_.SelectionColumns().topRow || row > ed_.SelectionColumns().bottomRow) {
        piece(full.left, edgeRight, false);
        return;
    }
    const TEditor::TColumnRange& c = ed_.SelectionColumns();
    const std::string map = ed_.ColumnMap(row);
    // A column inside a character (second half, TAB fill) moves to the next
    // character, so that characters are never split.
    auto X = [&](int col) {
        while (col < static_cast<int>(map.size()) && (map[static_cast<size_t>(col)] == '5' || map[static_cast<size_t>(col)] == '3'))
            ++col;
        return l.x0 + col * cw;
    };
    if (ed_.SelectionMode() == smBox || c.topRow == c.bottomRow) {
        int a = X(c.leftCol), b = X(c.rightCol);
        piece(full.left, a, false);
        piece(a, b, true);
        piece(b, edgeRight, false);
    } else if (row == c.topRow) {
        int a = X(c.leftCol);
        piece(full.left, a, false);
        piece(a, edgeRight, true);
    } else if (row == c.bottomRow) {
        int b = X(c.rightCol);
        piece(full.left, b, true);
        piece(b, edgeRight, false);
    } else {
        piece(full.left, edgeRight, true);
    }
}

void TEditorPainter::RowPaint(Canvas& canvas, const TRowLayout& l, const TRect& rect, bool selected) {
    const int cw = m_.cellWidth;
    const int y = l.y;
    const TEditorColors& colors = ed_.ActiveFountain().Colors();
    const TFountainColor& selRec = ed_.SelectionState() == sstHit ? colors.hit : colors.select;
    const TColor bk = selected ? Or(selRec.bkColor, fore_) : back_;
    const TColor fg = selected ? Or(selRec.color, back_) : fore_;
    const std::string_view display(l.display);

    // First pass: the whole row in the font's colour (italic: only the
    // background, every token follows).
    canvas.FillRect(rect, bk);
    if (!m_.italic && l.cut > 0) Run(canvas, l.x0, y, display.substr(0, l.cut), fg, bk, 0, rect);
    if (l.hidden) return;

    for (const TRowLayout::Token& t : l.tokens) {
        const int tx = l.x0 + t.c0 * cw, tr = l.x0 + t.c1 * cw;
        if (tx >= rect.right) break;
        if (tr <= rect.left) continue;
        const std::string_view bytes = display.substr(static_cast<size_t>(t.c0), static_cast<size_t>(t.c1 - t.c0));
        const uint8_t style = t.rec ? t.rec->style : 0;
        const TRect cell = Intersect({tx, y, tr, l.bottom}, rect);
        if (selected) {
            // The selection's colours; a token keeps only its style.
            if (m_.italic) {
                Run(canvas, tx, y, bytes, fg, bk, style, rect);
            } else if (style != 0) {
                canvas.FillRect(cell, bk);
                Run(canvas, tx, y, bytes, fg, bk, style, rect);
            }
            continue;
        }
        const TColor tbk = t.rec ? Or(t.rec->bkColor, back_) : back_;
        const TColor tfg = t.rec ? Or(t.rec->color, fore_) : fore_;
        if (!m_.italic) {
            if (tbk == back_ && tfg == fore_ && style == 0) continue;  // the first pass drew it
            canvas.FillRect(cell, tbk);
        } else if (tbk != back_) {
            canvas.FillRect(cell, tbk);  // else over the filled row, transparent
        }
        Run(canvas, tx, y, bytes, tfg, tbk, style, rect);
    }

    if (ed_.OnDrawLine) ed_.OnDrawLine(ed_, canvas, l.text, l.x0, y, l.row, rect, selected);

    // The row-end mark, drawn by the piece it falls in.
    const int rightLimit = m_.leftMargin + kMaxMapColumns * cw - ed_.LeftColumn() * cw;
    int c = std::min(l.x0 + l.width * cw, rightLimit);
    if (l.width > kMaxMapColumns && l.cut > static_cast<size_t>(kMaxMapColumns)) c = rightLimit + cw;
    if (c < rect.left || c >= rect.right) return;
    const TEditorMarks& marks = ed_.Properties().marks;
    if (l.width <= kMaxMapColumns) {
        TRowAttribute a = ed_.RowAttribute(l.row);
        if (a == raEndOfText) {
            EofMark(canvas, c, y, rect);
        } else if (a == raLineBreak && marks.retMark.visible) {
            ReturnMark(canvas, c, y, selected ? fg : Or(marks.retMark.color, fore_));
        } else if (a == raWrapped && marks.wrapMark.visible) {
            WrapMark(canvas, c, y, selected ? fg : Or(marks.wrapMark.color, fore_));
        }
    } else if (marks.hideMark.visible) {
        HideMark(canvas, c, y, selected ? fg : Or(marks.hideMark.color, fore_));
    }
}

void TEditorPainter::PaintCaret(Canvas& canvas, bool caretOn) {
    if (!caretOn || !ed_.Focused() || !ed_.CaretVisible() || ed_.Row() < ed_.TopRow()) return;
    const int cw = m_.cellWidth;
    int cy = ed_.RowTop(ed_.Row());
    int cx = m_.leftMargin + (ed_.Col() - ed_.LeftColumn()) * cw;
    if (cy >= ed_.ClientHeight() && ed_.ClientHeight() > 0) return;
    if (cx < m_.leftMargin || (ed_.ClientWidth() > 0 && cx >= ed_.ClientWidth())) return;
    std::string map = ed_.ColumnMap(ed_.Row());
    int col = ed_.Col();
    int w = std::max(1, cw - ed_.Properties().margin.character);
    if (col < static_cast<int>(map.size()) && map[static_cast<size_t>(col)] == '4') w *= 2;
    if (ed_.SelectionState() == sstHit && ed_.HitLength() > 0) {
        // A search hit shown as a block caret over the hit's cells, its
        // text drawn over it in the background's colour.
        const int64_t cells = std::min<int64_t>(ed_.HitLength(), kMaxMapColumns);
        const TRect block{cx, cy, cx + static_cast<int>(cells) * cw, cy + m_.fontHeight};
        canvas.FillRect(block, fore_);
        const std::string_view text = ed_.RowText(ed_.Row());
        const size_t byte = std::min(text.size(), static_cast<size_t>(ed_.ByteIndex(ed_.Row(), col)));
        const std::string_view hit = text.substr(byte, static_cast<size_t>(cells));
        if (hit.find('\t') == std::string_view::npos) canvas.ClipTextRun(cx, cy, hit, cw, back_, 0, block);
    } else if (ed_.Overwrite()) {
        // A block in the font's colour with the character under it drawn
        // over it in the background's, so that it stays readable.
        canvas.FillRect({cx, cy, cx + w, cy + m_.fontHeight}, fore_);
        const std::string_view text = ed_.RowText(ed_.Row());
        const int byte = ed_.ByteIndex(ed_.Row(), col);
        const char kind = col < static_cast<int>(map.size()) ? map[static_cast<size_t>(col)] : '\0';
        if ((kind == '1' || kind == '2' || kind == '4') && text[static_cast<size_t>(byte)] != '\t') {
            const size_t len = kind == '4' ? 2 : 1;
            canvas.ClipTextRun(cx, cy, text.substr(static_cast<size_t>(byte), len), cw, back_, 0,
                               {cx, cy, cx + w, cy + m_.fontHeight});
        }
    } else if (ed_.Caret().style == csBrief) {
        canvas.FillRect({cx, cy + m_.fontHeight - 2, cx + w, cy + m_.fontHeight}, fore_);
    } else {
        canvas.FillRect({cx, cy, cx + 2, cy + m_.fontHeight}, fore_);
    }
}

}  // namespace editor
