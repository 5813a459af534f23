// Painting a document editor onto a recording canvas: the end mark, line
// numbers, the ruler, long rows, token colours, the selection and the
// option limits.
#include <gtest/gtest.h>

#include <string>

#include "DocumentEditor.h"
#include "RecordingCanvas.h"
#include "editor/EditorPainter.h"

using namespace editor;

namespace {

struct Painted {
    TEditor ed;
    RecordingCanvas canvas;

    explicit Painted(std::string_view text = {}) {
        ConfigureLikeDocument(ed);
        if (!text.empty()) ed.Lines().SetTextStr(text);
        Layout();
    }
    void Layout() { ed.RecomputeMetrics(16, 8, 800, 600); }
    void Paint() {
        canvas = {};
        TEditorPainter(ed).Paint(canvas, {0, 0, 800, 600}, true);
    }
    const TPaintMetrics& M() const { return ed.Metrics(); }
    // Top-left pixel of text cell (col, row) on the screen.
    int X(int col) const { return M().leftMargin + (col - ed.LeftColumn()) * M().cellWidth; }
    int Y(int row) const { return M().topMargin + (row - ed.TopRow()) * M().rowHeight; }
    // The number drawn in the left bar on screen row `row` ("" when none).
    std::string Number(int row) const {
        std::string out;
        for (const RecordingCanvas::Run* r : canvas.RunsStartingAt(M().imagebarWidth + ed.Properties().leftbar.leftMargin, Y(row)))
            out = r->text;
        return out;
    }
    bool EofAt(int col, int row) const {
        for (const RecordingCanvas::Run* r : canvas.RunsStartingAt(X(col), Y(row)))
            if (r->text == "[EOF]") return true;
        return false;
    }
    int EofCount() const { return static_cast<int>(canvas.RunsContaining("[EOF]").size()); }
    // The return mark's shaft at the end of `col` cells on `row`.
    bool ReturnMarkAt(int col, int row) const {
        const int h = M().fontHeight, d = std::max(1, h / 8), mid = X(col) + M().cellWidth / 2;
        return canvas.HasLine(mid, Y(row) + 2 * d, mid, Y(row) + h - 2 * d);
    }
};

}  // namespace

TEST(Painter, EndOfTextMarkAndItsNumber) {
    struct Case {
        const char* text;
        int eofCol, eofRow;
        const char* numbers[3];  // left bar on rows 0..2
        bool returnOnLastLine;
    } cases[] = {
        {"", 0, 0, {"   1", "", ""}, false},
        {"ab\r\ncd\r\n", 0, 2, {"   1", "   2", "   3"}, true},
        {"ab\r\ncd", 2, 1, {"   1", "   2", ""}, false},
    };
    for (const Case& c : cases) {
        Painted p(c.text);
        p.Paint();
        EXPECT_TRUE(p.EofAt(c.eofCol, c.eofRow)) << c.text;
        EXPECT_EQ(p.EofCount(), 1) << c.text;
        for (int r = 0; r < 3; ++r) EXPECT_EQ(p.Number(r), c.numbers[r]) << c.text << " row " << r;
        if (p.ed.RowCount() == 2) {
            EXPECT_TRUE(p.ReturnMarkAt(2, 0)) << c.text;
            EXPECT_EQ(p.ReturnMarkAt(2, 1), c.returnOnLastLine) << c.text;
        }
        auto eof = p.canvas.RunsContaining("[EOF]");
        ASSERT_FALSE(eof.empty());
        EXPECT_EQ(eof[0]->color, clGray);
    }
}

TEST(Painter, LineNumbersByRowOrByLine) {
    struct Case {
        TShowNumberMode mode;
        bool zeroBase, zeroLead;
        const char* numbers[5];
    } cases[] = {
        {nmRow, false, false, {"   1", "   2", "   3", "   4", ""}},
        {nmLine, false, false, {"   1", "", "   2", "   3", ""}},
        {nmRow, true, false, {"   0", "   1", "   2", "   3", ""}},
        {nmLine, false, true, {"0001", "", "0002", "0003", ""}},
        {nmLine, true, true, {"0000", "", "0001", "0002", ""}},
    };
    for (const Case& c : cases) {
        Painted p;
        // One line made of two rows, as word wrap leaves it (laid out by
        // hand once word wrap is on).
        p.ed.SetWordWrap(true);
        for (const char* row : {"abc", "def", "ghi"}) p.ed.Store().Add(row);
        p.ed.Store().SetRowAttribute(0, raWrapped);
        p.ed.Store().FullScan();
        TEditorLeftbar bar = p.ed.Properties().leftbar;
        bar.showNumberMode = c.mode;
        bar.zeroBase = c.zeroBase;
        bar.zeroLead = c.zeroLead;
        p.ed.SetLeftbar(bar);
        p.Paint();
        for (int r = 0; r < 5; ++r)
            EXPECT_EQ(p.Number(r), c.numbers[r]) << c.mode << c.zeroBase << c.zeroLead << " row " << r;
        EXPECT_TRUE(p.EofAt(0, 3));
    }
}

TEST(Painter, LeftBarWidensForTheTenThousandthNumber) {
    std::string text;
    for (int i = 0; i < 9998; ++i) text += "x\r\n";
    Painted p(text);
    EXPECT_EQ(p.M().digits, 4);  // the end row is number 9999
    const int narrow = p.M().leftMargin;
    p.ed.Store().ReplaceRows(9998, 0, "y\r\n");  // a line added: the end row becomes 10000
    EXPECT_EQ(p.M().digits, 5);
    EXPECT_EQ(p.M().leftMargin, narrow + p.M().cellWidth);
    p.ed.SetTopRow(9990);
    p.Paint();
    EXPECT_EQ(p.Number(9999), "10000");
    EXPECT_EQ(p.Number(9990), " 9991");
    EXPECT_EQ(p.canvas.CharAt(narrow + p.M().cellWidth, p.Y(9990)), 'x');
    // Gone again with the line.
    p.ed.Store().ReplaceRows(9998, 1, "");
    EXPECT_EQ(p.M().leftMargin, narrow);
}

TEST(Painter, RulerTicksNumbersAndGaugeRange) {
    struct Case {
        int asked, gauge;
    } cases[] = {{10, 10}, {9, 8}, {12, 10}, {8, 8}, {7, 8}};
    for (const Case& c : cases) {
        Painted p("abc\r\n");
        TEditorRuler r = p.ed.Properties().ruler;
        r.visible = true;
        r.gaugeRange = c.asked;
        p.ed.SetRuler(r);
        EXPECT_EQ(p.ed.Properties().ruler.gaugeRange, c.gauge) << c.asked;
        EXPECT_EQ(p.M().rulerHeight, 11);
        EXPECT_EQ(p.M().topMargin, 15);
        p.Paint();
        const int g = c.gauge, cw = p.M().cellWidth, x0 = p.M().leftMargin;
        const int bottom = p.M().rulerHeight - 3;
        EXPECT_TRUE(p.canvas.HasLine(x0, 0, x0, bottom)) << c.asked;
        EXPECT_TRUE(p.canvas.HasLine(x0 + g * cw, 0, x0 + g * cw, bottom)) << c.asked;
        EXPECT_TRUE(p.canvas.HasLine(x0 + g / 2 * cw, 3, x0 + g / 2 * cw, bottom)) << c.asked;
        EXPECT_TRUE(p.canvas.HasLine(x0 + cw, 6, x0 + cw, bottom)) << c.asked;
        // The number of the second gauge, one pixel right of its tick.
        RecordingCanvas digits;
        int dx = x0 + g * cw + 1;
        for (char d : std::to_string(g)) dx += TEditorPainter::DrawDigit(digits, dx, 0, d - '0', clBlack) + 1;
        EXPECT_TRUE(p.canvas.HasPixelsOf(digits, clWindowText)) << c.asked;
        // The text starts below the ruler.
        EXPECT_EQ(p.canvas.CharAt(x0, 15), 'a');
    }
}

TEST(Painter, RowsLongerThanAThousandBytes) {
    struct Case {
        std::string row;
        size_t cells;
    } cases[] = {
        {std::string(1200, 'a'), 1000},
        // A double-byte character across the limit is drawn whole.
        {std::string(999, 'a') + "\x82\xa0" + std::string(200, 'b'), 1001},
    };
    for (const Case& c : cases) {
        for (bool hideMark : {true, false}) {
            Painted p(c.row + "\r\n");
            TEditorMarks marks = p.ed.Properties().marks;
            marks.hideMark.visible = hideMark;
            p.ed.SetMarks(marks);
            p.ed.SetLeftColumn(2000);
            EXPECT_EQ(p.ed.LeftColumn(), 1000 - p.ed.VisibleColumns() / 2);
            p.Paint();
            // The text ends with cell 1000 (1001 with the character across the limit).
            int right = 0;
            for (const RecordingCanvas::Run& r : p.canvas.runs)
                if (r.y == p.Y(0)) right = std::max(right, r.Right());
            EXPECT_EQ(right, p.X(static_cast<int>(c.cells)));
            EXPECT_EQ(p.canvas.CharAt(p.X(999), p.Y(0)), c.row[999]);
            // The hide mark's ">" just right of the last cell drawn.
            const int w = p.M().cellWidth, e = std::max(2, w * 3 / 5), m = p.Y(0) + p.M().fontHeight / 2;
            const int x = p.X(static_cast<int>(c.cells));
            EXPECT_EQ(p.canvas.HasLine(x + w - e, m - e, x + w, m), hideMark) << c.cells;
            EXPECT_FALSE(p.ReturnMarkAt(static_cast<int>(c.cells), 0));
        }
    }
}

TEST(Painter, ReservedWordsCommentsAndStringsInTheirColours) {
    Painted p("return x; // note\r\n/* a\r\nb */ \"s\" + 1\r\n");
    p.Paint();
    struct Case {
        int col, row;
        TColor color;
    } cases[] = {
        {0, 0, clBlue},  {5, 0, clBlue},  {7, 0, clBlack}, {8, 0, clBlue},  {10, 0, clRed},
        {16, 0, clRed},  {0, 1, clRed},   {3, 1, clRed},   {0, 2, clRed},   {3, 2, clRed},
        {5, 2, clBlack}, {9, 2, kPurple}, {11, 2, clBlack},
    };
    for (const Case& c : cases)
        EXPECT_EQ(p.canvas.TextColorAt(p.X(c.col), p.Y(c.row)), c.color) << c.col << "," << c.row;
    EXPECT_EQ(p.canvas.CharAt(p.X(10), p.Y(0)), '/');
}

TEST(Painter, SelectionPiecesInTheSelectColours) {
    // Columns of a row that show the selection: selected text in white, its
    // background navy; blank cells past the text only by the background.
    auto selected = [](Painted& p, int row, int width) {
        std::string marks;
        for (int col = 0; col < width; ++col) {
            bool bk = p.canvas.FillAt(p.X(col) + 1, p.Y(row) + 1) == kNavy;
            auto fg = p.canvas.TextColorAt(p.X(col), p.Y(row));
            bool text = fg == clWhite;
            marks += bk && (text || !fg) ? 'S' : !bk && !text ? '.' : '?';
        }
        return marks;
    };
    struct Case {
        bool box;
        int row0, col0, row1, col1;
        const char* rows[3];
    } cases[] = {
        {false, 0, 1, 0, 4, {".SSS......", "..........", ".........."}},
        {false, 0, 2, 2, 3, {"..SSSSSSSS", "SSSSSSSSSS", "SSS......."}},
        {false, 2, 3, 0, 2, {"..SSSSSSSS", "SSSSSSSSSS", "SSS......."}},
        {true, 0, 1, 2, 3, {".SS.......", ".SS.......", ".SS......."}},
        {true, 2, 5, 0, 2, {"..SSS.....", "..SSS.....", "..SSS....."}},
    };
    for (const Case& c : cases) {
        Painted p("abcdef\r\nghijkl\r\nmnopqr\r\n");
        if (c.box) p.ed.SetSelectionMode(smBox);
        p.ed.SetRowCol(c.row0, c.col0);
        p.ed.StartSelection();
        p.ed.SetRowCol(c.row1, c.col1);
        p.ed.Extend();
        ASSERT_TRUE(p.ed.Selected());
        p.Paint();
        for (int r = 0; r < 3; ++r) EXPECT_EQ(selected(p, r, 10), c.rows[r]) << c.box << c.row0 << c.col0 << " row " << r;
    }
}

TEST(Painter, LayoutAndOptionLimits) {
    Painted p;
    // Left bar: no margin, four digits of 8 pixels, right margin 1, edge 2; then Margin.Left 4.
    EXPECT_EQ(p.M().leftbarWidth, 35);
    EXPECT_EQ(p.M().leftMargin, 39);
    EXPECT_EQ(p.M().rowHeight, 17);  // the underline takes a pixel row
    EXPECT_EQ(p.ed.VisibleRows(), (600 - 4 - 5) / 17);
    TEditor& ed = p.ed;
    ed.SetMargin({-5, 150, 101, 100});
    const TEditorMargin& m = ed.Properties().margin;
    EXPECT_EQ(std::vector<int>({m.character, m.left, m.line, m.top}), std::vector<int>({0, 100, 100, 100}));
    TEditorLeftbar bar;
    bar.column = 9;
    bar.leftMargin = -1;
    bar.rightMargin = 101;
    ed.SetLeftbar(bar);
    const TEditorLeftbar& l = ed.Properties().leftbar;
    EXPECT_EQ(std::vector<int>({l.column, l.leftMargin, l.rightMargin}), std::vector<int>({8, 0, 100}));
    bar.column = 0;
    ed.SetLeftbar(bar);
    EXPECT_EQ(l.column, 1);
    // Margin.Character widens every cell, Margin.Line every row.
    ed.SetMargin({3, 4, 2, 4});
    EXPECT_EQ(ed.Metrics().cellWidth, 11);
    EXPECT_EQ(ed.Metrics().rowHeight, 19);
}

TEST(Painter, TextScrolledLeftStaysOutOfTheLeftBar) {
    struct Case {
        const char* text;
        int leftCol;
    } cases[] = {{"abcdefghij\r\nxy\r\n", 3}, {"abc", 5}, {"\x82\xa0\x82\xa0\x82\xa0z\r\n", 1}, {"abc\r\n", 5}};
    for (const Case& c : cases) {
        Painted p(c.text);
        p.ed.SetLeftColumn(c.leftCol);
        p.Paint();
        const int left = p.M().leftMargin;
        for (const RecordingCanvas::Run& r : p.canvas.runs)
            if (r.color != clWindowText) {
                // A character across the edge is drawn clipped to the text area.
                EXPECT_GE(r.clip ? r.clip->left : r.x, left) << c.text << ": " << r.text;
            }
        for (const RecordingCanvas::Segment& s : p.canvas.lines)
            if (s.y1 != s.y2) {
                EXPECT_GE(std::min(s.x1, s.x2), left) << c.text;  // marks, not the underline
            }
        for (const RecordingCanvas::Fill& f : p.canvas.fills)
            if (f.color == clWhite && f.r.top >= p.Y(0) && f.r.Width() > 1) {
                EXPECT_GE(f.r.left, left) << c.text;
            }
        EXPECT_EQ(p.Number(0), "   1");
    }
    Painted p("abcdefghij\r\n");
    p.ed.SetLeftColumn(3);
    p.Paint();
    EXPECT_EQ(p.canvas.CharAt(p.X(3), p.Y(0)), 'd');
    EXPECT_TRUE(p.ReturnMarkAt(10, 0));
}

TEST(Painter, WrappedRowsKeepTokenColoursAndShowTheWrapMark) {
    Painted p;
    p.ed.SetWordWrap(true);
    for (const char* row : {"x = ret", "urn y /* a *", "/ b"}) p.ed.Store().Add(row);
    p.ed.Store().SetRowAttribute(0, raWrapped);
    p.ed.Store().SetRowAttribute(1, raWrapped);
    p.ed.Store().FullScan();
    p.Paint();
    struct Case {
        int col, row;
        TColor color;
    } cases[] = {{4, 0, clBlue}, {6, 0, clBlue}, {0, 1, clBlue}, {2, 1, clBlue}, {4, 1, clBlack},
                 {6, 1, clRed},  {11, 1, clRed}, {0, 2, clRed},  {2, 2, clBlack}};
    for (const Case& c : cases)
        EXPECT_EQ(p.canvas.TextColorAt(p.X(c.col), p.Y(c.row)), c.color) << c.col << "," << c.row;
    // The wrapped row's token is cut at the row's own end.
    EXPECT_EQ(p.canvas.RunAt(p.X(7), p.Y(0)), nullptr);
    const int w = p.M().cellWidth, e = std::max(2, w * 3 / 5), m = p.Y(0) + p.M().fontHeight / 2;
    EXPECT_TRUE(p.canvas.HasLine(p.X(7) + w, m - e, p.X(7) + w - e, m));
    EXPECT_FALSE(p.ReturnMarkAt(7, 0));
}

TEST(Painter, RowsPastTheScannedOnesAreBroughtUpToDateBeforeDrawing) {
    std::string text = "/* open\r\n";
    for (int i = 1; i < 1000; ++i) text += i == 600 ? "*/ x\r\n" : "int\r\n";
    Painted p(text);
    EXPECT_FALSE(p.ed.Store().StateComputed(500));
    p.ed.SetTopRow(590);
    p.Paint();
    EXPECT_EQ(p.canvas.TextColorAt(p.X(0), p.Y(599)), clRed);
    EXPECT_EQ(p.canvas.TextColorAt(p.X(1), p.Y(600)), clRed);
    EXPECT_EQ(p.canvas.TextColorAt(p.X(3), p.Y(600)), clBlack);
    EXPECT_EQ(p.canvas.TextColorAt(p.X(0), p.Y(601)), clBlue);
    // Closing the comment at the top recolours rows far below it too.
    p.ed.Store().ReplaceRows(0, 1, "// open\r\n");
    p.Paint();
    EXPECT_EQ(p.canvas.TextColorAt(p.X(0), p.Y(599)), clBlue);
}

TEST(Painter, TabsAndDoubleByteCharactersOnTheCellGrid) {
    Painted p("\tint \x8a\xbf\x8e\x9a=1\r\n");
    p.ed.SetTabWidth(4);
    p.Paint();
    EXPECT_EQ(p.canvas.TextColorAt(p.X(4), p.Y(0)), clBlue);      // "int" after the TAB stop
    EXPECT_EQ(p.canvas.CharAt(p.X(8), p.Y(0)), '\x8a');           // kanji: two cells each
    EXPECT_EQ(p.canvas.CharAt(p.X(10), p.Y(0)), '\x8e');
    EXPECT_EQ(p.canvas.TextColorAt(p.X(12), p.Y(0)), clBlue);     // "=" is reserved
    EXPECT_EQ(p.canvas.TextColorAt(p.X(13), p.Y(0)), clBlack);
    EXPECT_TRUE(p.ReturnMarkAt(14, 0));
}

TEST(Painter, PartialClipPaintsOnlyItsRowsAndTheCaretRowIsUnderlined) {
    Painted p("one\r\ntwo\r\nthree\r\nfour\r\n");
    p.ed.SetRowCol(2, 0);
    TEditorPainter(p.ed).Paint(p.canvas, {0, p.Y(2) + 5, 800, p.Y(2) + 10}, true);
    for (const RecordingCanvas::Run& r : p.canvas.runs) EXPECT_EQ(r.y, p.Y(2)) << r.text;
    EXPECT_EQ(p.canvas.CharAt(p.X(0), p.Y(2)), 't');
    EXPECT_EQ(p.Number(2), "   3");
    p.Paint();
    const int y = p.Y(2) + p.M().fontHeight;
    EXPECT_TRUE(p.canvas.HasLine(p.M().leftMargin, y, 800, y));
    // The left bar's raised edge: a white column, then a gray one.
    const int edge = p.M().leftbarWidth;
    EXPECT_EQ(p.canvas.FillAt(edge - 2, p.Y(0) + 1), clWhite);
    EXPECT_EQ(p.canvas.FillAt(edge - 1, p.Y(0) + 1), clGray);
    EXPECT_EQ(p.canvas.FillAt(1, p.Y(0) + 1), clBtnFace);
}

namespace {

// A document editor whose reserved words carry `style`.
void ReservedStyle(TEditor& ed, uint8_t style) {
    TEditorColors c = ed.View().Colors();
    c.reserve.style = style;
    ed.View().SetColors(c);
}

void Select(TEditor& ed, int row0, int col0, int row1, int col1) {
    ed.SetRowCol(row0, col0);
    ed.StartSelection();
    ed.SetRowCol(row1, col1);
    ed.Extend();
}

}  // namespace

TEST(Painter, SelectedTokensKeepOnlyTheirStyle) {
    Painted p("return x;\r\n");
    ReservedStyle(p.ed, fsBold);
    Select(p.ed, 0, 0, 0, 8);
    p.Paint();
    // Over the selection "return" is redrawn bold in the selection's text colour.
    const RecordingCanvas::Run* r = p.canvas.RunAt(p.X(0), p.Y(0));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->color, clWhite);
    EXPECT_EQ(r->style, fsBold);
    EXPECT_EQ(p.canvas.FillAt(p.X(2) + 1, p.Y(0) + 1), kNavy);
    // Outside it the reserved word's own colour.
    EXPECT_EQ(p.canvas.TextColorAt(p.X(8), p.Y(0)), clBlue);
    // Without a style of their own tokens are not drawn twice in the selection.
    Painted q("return x;\r\n");
    Select(q.ed, 0, 0, 0, 8);
    q.Paint();
    EXPECT_EQ(q.canvas.RunsStartingAt(q.X(0), q.Y(0)).size(), 1u);  // the selected piece's one pass
}

TEST(Painter, ItalicModeDrawsEveryTokenOverTheFilledRow) {
    Painted p("int x; // c\r\n");
    ReservedStyle(p.ed, fsItalic);
    EXPECT_TRUE(p.M().italic);
    p.Paint();
    // No plain pass of the whole row: each token is its own run.
    EXPECT_TRUE(p.canvas.RunsContaining("int x;").empty());
    const RecordingCanvas::Run* word = p.canvas.RunAt(p.X(0), p.Y(0));
    ASSERT_NE(word, nullptr);
    EXPECT_EQ(word->text, "int");
    EXPECT_EQ(word->style, fsItalic);
    EXPECT_EQ(p.canvas.TextColorAt(p.X(4), p.Y(0)), clBlack);  // default tokens too
    EXPECT_EQ(p.canvas.TextColorAt(p.X(7), p.Y(0)), clRed);
    // Back to normal mode once no record is italic.
    ReservedStyle(p.ed, 0);
    EXPECT_FALSE(p.M().italic);
    p.Paint();
    EXPECT_FALSE(p.canvas.RunsContaining("int x; // c").empty());
}

TEST(Painter, UnderlinedTokensGetADottedLineInsteadOfTheFontUnderline) {
    Painted p("return 1\r\n");
    ReservedStyle(p.ed, fsUnderline);
    p.Paint();
    const RecordingCanvas::Run* r = p.canvas.RunAt(p.X(0), p.Y(0));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->style & fsUnderline, 0);
    const int y = p.Y(0) + p.M().fontHeight - 1;
    // Font colour on the first pixel, then every other one, over the background.
    EXPECT_EQ(p.canvas.FillAt(p.X(0), y), clBlue);
    EXPECT_EQ(p.canvas.FillAt(p.X(0) + 1, y), clWhite);
    EXPECT_EQ(p.canvas.FillAt(p.X(0) + 2, y), clBlue);
    EXPECT_EQ(p.canvas.FillAt(p.X(6) - 1, y), clWhite);
    EXPECT_NE(p.canvas.FillAt(p.X(7), y), clBlue);  // "1" is not underlined
}

TEST(Painter, OnDrawLineFollowsEveryPieceAndTheEndMarkIsDrawnOnce) {
    struct Call {
        std::string line;
        int x, index;
        TRect rect;
        bool selected;
    };
    struct Case {
        int row0, col0, row1, col1;
        std::vector<bool> pieces;  // of row 0
        TColor returnMark;         // of row 0
    } cases[] = {
        {1, 0, 1, 0, {false}, clGray},                       // nothing selected on row 0
        {0, 1, 0, 3, {false, true, false}, clGray},          // the mark after the selection
        {0, 2, 1, 1, {false, true}, clWhite},                // the line break selected
    };
    for (const Case& c : cases) {
        Painted p("abcdef\r\nghi\r\n");
        std::vector<Call> calls;
        p.ed.OnDrawLine = [&](TEditor&, Canvas&, std::string_view line, int x, int, int index, const TRect& rect,
                              bool selected) { calls.push_back({std::string(line), x, index, rect, selected}); };
        if (c.row0 != c.row1 || c.col0 != c.col1) Select(p.ed, c.row0, c.col0, c.row1, c.col1);
        p.Paint();
        std::vector<bool> pieces;
        int right = p.M().leftMargin;
        for (const Call& k : calls) {
            if (k.index != 0) continue;
            EXPECT_EQ(k.line, "abcdef");
            EXPECT_EQ(k.x, p.X(0));
            EXPECT_EQ(k.rect.left, right);  // the pieces follow each other
            right = k.rect.right;
            pieces.push_back(k.selected);
        }
        EXPECT_EQ(pieces, c.pieces) << c.col0;
        EXPECT_EQ(right, 800);
        const int h = p.M().fontHeight, d = std::max(1, h / 8), mid = p.X(6) + p.M().cellWidth / 2;
        int marks = 0;
        for (const RecordingCanvas::Segment& s : p.canvas.lines)
            if (s.x1 == mid && s.y1 == p.Y(0) + 2 * d && s.x2 == mid && s.y2 == p.Y(0) + h - 2 * d) {
                ++marks;
                EXPECT_EQ(s.color, c.returnMark) << c.col0;
            }
        EXPECT_EQ(marks, 1) << c.col0;
    }
}

TEST(Painter, ImageBarShowsTheLowestDigitMarkAndTheLowestPictureMark) {
    Painted p("a\r\nb\r\n");
    p.ed.SetImagebar({8, 2, 8, 2, true});
    p.ed.Store().SetMarks(0, (1u << 3) | (1u << 5) | (1u << 12) | (1u << 14));
    p.ed.Store().SetMarks(1, 1u << 10);
    p.Paint();
    RecordingCanvas digit;
    TEditorPainter::DrawDigit(digit, 2, p.Y(0) + 2, 3, clBlack);
    EXPECT_TRUE(p.canvas.HasPixelsOf(digit, clBlack));
    RecordingCanvas five;
    TEditorPainter::DrawDigit(five, 2, p.Y(0) + 2, 5, clBlack);
    EXPECT_FALSE(p.canvas.HasPixelsOf(five, clBlack));
    // Picture 2 (mark 12) on row 0, picture 0 (mark 10) on row 1, each in its colour, right of the digits.
    auto colourIn = [&](int row, TColor color) {
        for (const RecordingCanvas::Fill& f : p.canvas.fills)
            if (f.color == color && f.r.left >= 10 && f.r.right <= 18 && f.r.top >= p.Y(row) && f.r.bottom <= p.Y(row + 1))
                return true;
        return false;
    };
    EXPECT_TRUE(colourIn(0, clBlue));
    EXPECT_FALSE(colourIn(0, 0x800080));
    EXPECT_TRUE(colourIn(1, clRed));
    // The text moves right by the bar's width.
    EXPECT_EQ(p.M().imagebarWidth, 20);
    EXPECT_EQ(p.canvas.CharAt(p.X(0), p.Y(0)), 'a');
    EXPECT_EQ(p.X(0), 20 + p.M().leftbarWidth + 4);
}

TEST(Painter, DoubleByteCharactersAcrossARepaintEdgeAreDrawnClipped) {
    // "日本語" after one byte: the characters start at odd columns.
    Painted p("x\x93\xfa\x96\x7b\x8c\xea\r\n");
    const int cw = p.M().cellWidth;
    // A repaint whose left edge cuts 日 (columns 1-2) in half, and whose
    // right edge cuts 語 (columns 5-6): both are drawn, clipped to it.
    const TRect clip{p.X(2), p.Y(0), p.X(6), p.Y(1)};
    p.canvas = {};
    TEditorPainter(p.ed).Paint(p.canvas, clip, false);
    auto shownAt = [&](int col) -> std::string {
        const RecordingCanvas::Run* r = p.canvas.RunAt(p.X(col), p.Y(0));
        if (!r) return "";
        const size_t i = static_cast<size_t>((p.X(col) - r->x) / cw);
        return r->text.substr(i, 1);
    };
    EXPECT_EQ(shownAt(2), "\xfa");  // the second half of 日, inside the repaint
    EXPECT_EQ(shownAt(5), "\x8c");  // the first half of 語
    for (const RecordingCanvas::Run& r : p.canvas.runs) {
        if (r.x < p.M().leftMargin && !r.clip) continue;  // the left bar's numbers
        const int from = r.clip ? std::max(r.x, r.clip->left) : r.x;
        const int to = r.clip ? std::min(r.Right(), r.clip->right) : r.Right();
        EXPECT_GE(from, clip.left) << r.text;
        EXPECT_LE(to, clip.right) << r.text;
    }
    // At the text area's edge after a sideways scroll of one column, the
    // character across it shows its second half.
    p.ed.SetLeftColumn(2);
    p.Paint();
    const RecordingCanvas::Run* edge = p.canvas.RunAt(p.M().leftMargin, p.Y(0));
    ASSERT_NE(edge, nullptr);
    ASSERT_TRUE(edge->clip.has_value());
    EXPECT_EQ(edge->clip->left, p.M().leftMargin);
    EXPECT_EQ(edge->text, "\x93\xfa");
    EXPECT_EQ(edge->x, p.M().leftMargin - cw);
}

TEST(Painter, OverwriteCaretShowsTheCharacterUnderIt) {
    Painted p("ab\x93\xfa\r\n");
    p.ed.SetFocused(true);
    p.ed.SetOverwrite(true);
    for (int col : {1, 2}) {
        p.ed.SetRowCol(0, col);
        p.Paint();
        const int cw = p.M().cellWidth;
        const int w = col == 2 ? 2 * cw : cw;
        // The block, then the character over it in the background's colour.
        const RecordingCanvas::Fill& block = p.canvas.fills.back();
        EXPECT_EQ(block.r.left, p.X(col));
        EXPECT_EQ(block.r.Width(), w);
        const RecordingCanvas::Run& over = p.canvas.runs.back();
        EXPECT_EQ(over.x, p.X(col));
        EXPECT_EQ(over.text, col == 1 ? "b" : "\x93\xfa");
        EXPECT_EQ(over.color, p.ed.Properties().color == clNone ? clWhite : p.ed.Properties().color);
        EXPECT_NE(over.color, block.color);
    }
}

TEST(Painter, RulerMarkShowsTheNumbersUnderItInTheBackgroundColour) {
    Painted p("0123456789012345678901234567890\r\n");
    TEditorRuler r = p.ed.Properties().ruler;
    r.visible = true;
    r.bkColor = clSilver;
    r.markColor = clBlack;
    p.ed.SetRuler(r);
    p.Layout();
    p.ed.SetRowCol(0, 20);  // the cell where "20" is written
    p.Paint();
    const int cx = p.X(20);
    // Pixels of the digit "2" inside the mark (its first column, 1 right of
    // the tick) end up in the ruler's background colour, not the mark's.
    int background = 0, mark = 0;
    for (int y = 1; y < 9; ++y) {
        for (int x = cx + 1; x < cx + p.M().cellWidth - 1; ++x) {
            std::optional<TColor> c = p.canvas.FillAt(x, y);
            if (c == clSilver) ++background;
            if (c == clBlack) ++mark;
        }
    }
    EXPECT_GT(background, 5);
    EXPECT_GT(mark, 5);
}
