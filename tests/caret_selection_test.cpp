// The caret of the editor: column maps, the rules that keep the caret on
// valid columns, the selection in normal and box mode, the edit-control
// queries and the mouse.
#include <gtest/gtest.h>

#include <string>

#include "EditorCommandUtil.h"

using namespace editor;

namespace {

// A pixel point inside a cell, on the same cell for the exact and the nearest rule.
int X(int col) { return 4 + col * 8 + 1; }
int Y(int row) { return 4 + row * 16 + 2; }

}  // namespace

TEST(ColumnMap, KindsPerColumnAndMeasures) {
    struct Case { int tab; std::string text, map; } cases[] = {
        {4, "\tx", "23331"},
        {4, "ab\tc", "11231"},      // a TAB fills only to its stop
        {4, "abcd\t", "11112333"},  // a TAB on a stop spans a whole width
        {8, "\t", "23333333"},
        {4, "a\x82\xa0" "b", "1451"},
        {4, "a_1 (;\xA1\xB1\xFD", "111222212"},  // letters, digits, "_" and kana are no delimiters
        {4, "@[`{~\x7F\x80", "2222222"},
    };
    for (const Case& c : cases) {
        TEditor ed;
        ed.SetTabWidth(c.tab);
        Load(ed, c.text);
        EXPECT_EQ(ed.ColumnMap(0), c.map) << c.text;
        EXPECT_EQ(ed.EndColumn(0), static_cast<int>(c.map.size())) << c.text;
    }
    TMeasure m;
    m.tabWidth = 4;
    EXPECT_EQ(IndentWidth("  \tx", m), 4);
    EXPECT_EQ(IndentWidth("\x81\x40x", m), 2);  // a full-width space counts 2
    EXPECT_EQ(IndentWidth("", m), -1);
    EXPECT_EQ(ExpandTabs("a\tb\x82\xa0\t", m), "a   b\x82\xa0 ");
    // The map stops at 1000 columns, but never inside a double-byte character.
    const std::string a999(999, 'a'), kana = "\x82\xa0";
    for (auto [text, size] : {std::pair{a999 + kana + "b", 1001}, {"a" + a999 + kana, 1000}, {a999 + "b" + kana, 1000}}) {
        TEditor ed;
        Load(ed, text);
        EXPECT_EQ(ed.ColumnMap(0).size(), static_cast<size_t>(size)) << text.size();
        if (size == 1001) EXPECT_EQ(ed.ColumnMap(0).substr(998), "145");
    }
    TEditor ed;
    ed.SetTabWidth(4);
    Load(ed, "\tab");
    EXPECT_EQ(ed.ByteIndex(0, 2), 0);  // inside the TAB: the TAB's byte
    EXPECT_EQ(ed.ByteIndex(0, 9), 3);  // limited to the text
    EXPECT_EQ(ed.CaretOffset(0, 0, 9), 6);  // not limited: the blanks an insertion adds count
}

// The quick measure (runs between TABs counted whole) against the column
// map built a byte at a time: lead bytes before a TAB, at the end, in runs.
TEST(ColumnMap, QuickWidthAgreesWithTheMap) {
    const char bytes[] = {'\t', '\t', 'a', ' ', '\x82', '\x88', '\xE0', '\xA0', '\x40', '\x81'};
    uint32_t seed = 7;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 8) & 0xFFFF; };
    for (int k = 0; k < 4000; ++k) {
        std::string text(next() % 40, ' ');
        for (char& c : text) c = bytes[next() % sizeof bytes];
        TMeasure m;
        m.tabWidth = 2 + static_cast<int>(next() % 7);
        m.wrapWidth = k % 2 ? 0 : 5 + static_cast<int>(next() % 40);
        const int full = static_cast<int>(BuildColumnMap(text, m).size());
        const int limit = m.wrapWidth ? m.wrapWidth : 1 + static_cast<int>(next() % 120);
        ASSERT_EQ(TextWidthUpTo(text, limit, m), std::min(full, limit)) << k << " " << text.size();
        if (!m.wrapWidth) ASSERT_EQ(TextWidth(text, m), full) << k;
    }
}

TEST(Caret, TabSpaceCountIsClampedToAnEvenWidth) {
    for (auto [in, out] : {std::pair{3, 2}, {9, 8}, {1, 2}, {5, 4}, {7, 6}, {-4, 2}, {8, 8}}) {
        TEditor ed;
        ed.SetTabWidth(in);
        EXPECT_EQ(ed.TabWidth(), out) << in;
    }
}

TEST(Caret, StaysOffFillColumnsAndSecondHalves) {
    TEditor ed;
    ed.SetTabWidth(4);
    Load(ed, "\tx\r\nabcde\x82\xa0z\r\n" + std::string(999, 'a') + "\x82\xa0");
    ed.KeyDown(vkRight, {}, false);
    EXPECT_EQ(ed.Col(), 4);  // rightward over the TAB's fill
    ed.SetCol(3);
    EXPECT_EQ(ed.Col(), 0);  // leftward back to the TAB
    ed.SetRowCol(1, 5);
    ed.SetCol(6);
    EXPECT_EQ(ed.Col(), 7);
    ed.SetCol(6);
    EXPECT_EQ(ed.Col(), 5);
    ed.SetRowCol(1, 0);
    ed.SetRowCol(1, 6);  // a direct place on a second half steps back
    EXPECT_EQ(ed.Col(), 5);
    ed.SetRowCol(2, 5000);
    EXPECT_EQ(ed.Col(), 1001);  // after a double-byte character at columns 999-1000
    ed.SetRowCol(1, 5000);
    EXPECT_EQ(ed.Col(), 1000);
    // So without FreeCaret: End, Right and Shift+Right step over the whole character.
    for (const std::string& after : {std::string(), std::string("bcd")}) {
        TEditor doc;
        doc.SetCaret(DocumentCaret());
        Load(doc, std::string(999, 'a') + "\x82\xa0" + after);
        doc.KeyDown(vkEnd, {}, false);
        EXPECT_EQ(doc.Col(), 1001) << after;
        doc.SetRowCol(0, 999);
        doc.KeyDown(vkRight, {}, false);
        EXPECT_EQ(doc.Col(), 1001) << after;
        doc.SetRowCol(0, 999);
        doc.KeyDown(vkRight, {true, false, false}, false);
        EXPECT_EQ(doc.SelectedText(), "\x82\xa0") << after;
        doc.ClearSelection();
        doc.SetRowCol(0, 1001);
        doc.InsertText("Z");
        EXPECT_EQ(doc.RowText(0).substr(999), "\x82\xa0Z" + after);
    }
}

TEST(Caret, VerticalMovesWithoutFreeCaret) {
    const std::string text = std::string(30, 'a') + "\r\nabcde\r\n" + std::string(30, 'b');
    struct Case { bool keep, freeRow; int second, third; } cases[] = {
        {true, false, 5, 20}, {false, false, 5, 5}, {false, true, 20, 20}};
    for (const Case& k : cases) {
        TEditor ed;
        TEditorCaret c = DocumentCaret();
        c.keepCaret = k.keep;
        c.freeRow = k.freeRow;
        ed.SetCaret(c);
        Load(ed, text);
        ed.SetRowCol(0, 20);
        ed.KeyDown(vkDown, {}, false);
        EXPECT_EQ(ed.Col(), k.second) << k.keep << k.freeRow;
        ed.KeyDown(vkDown, {}, false);
        EXPECT_EQ(ed.Col(), k.third) << k.keep << k.freeRow;
        ed.SetCol(40);  // beyond the end without FreeCaret
        EXPECT_EQ(ed.Col(), 30);
    }
}

TEST(Caret, RowLimits) {
    TEditor empty, open, closed;
    empty.SetRow(5);
    EXPECT_EQ(empty.Row(), 0);
    Load(open, "a\r\n");
    open.SetRow(5);
    EXPECT_EQ(open.Row(), 1);  // the empty place after a final line break
    Load(closed, "a");
    closed.SetRow(1);
    EXPECT_EQ(closed.Row(), 0);
    closed.SetCaretOffset(0, 100);  // offsets beyond the text stop on the end-of-text row
    EXPECT_TRUE(CaretAt(closed, 0, 1));
}

TEST(Selection, NormalModeTextLengthAndOffsets) {
    TEditor ed;
    Load(ed, "abcd\r\nef\r\ngh");
    Select(ed, 0, 2, 2, 0);
    EXPECT_EQ(ed.SelectionBytes().endByte, -1);
    EXPECT_EQ(ed.SelectedText(), "cd\r\nef\r\n");
    EXPECT_EQ(ed.SelLength(), 8);
    EXPECT_TRUE(ed.IsInSelection(1, 0));
    EXPECT_FALSE(ed.IsInSelection(0, 1));
    EXPECT_FALSE(ed.IsInSelection(2, 0));
    Select(ed, 2, 1, 0, 3);  // the anchor below the caret
    int64_t s = 0, e = 0;
    ed.GetSel(&s, &e);
    EXPECT_EQ(ed.SelectedText(), "d\r\nef\r\ng");
    EXPECT_EQ(s, 3);
    EXPECT_EQ(e, 11);
    ed.DeleteSelection();
    EXPECT_EQ(Rows(ed), "[abch]E");
    EXPECT_TRUE(CaretAt(ed, 0, 3));
    EXPECT_FALSE(ed.Marked());
}

TEST(Selection, BoxModeUsesCharactersFirstColumns) {
    TEditor ed;
    Load(ed, "abcd\r\n\x82\xa0xy\r\n");
    ed.SetSelectionMode(smBox);
    Select(ed, 0, 1, 1, 3);
    EXPECT_EQ(ed.SelectedText(), "bc\r\nx\r\n");
    EXPECT_EQ(ed.SelLength(), 7);
    EXPECT_FALSE(ed.IsInSelection(1, 1));  // second half of a character starting left of the box
    EXPECT_TRUE(ed.IsInSelection(1, 2));
    ed.DeleteSelection();
    EXPECT_EQ(Rows(ed), "[ad]L[\x82\xa0y]L");
    EXPECT_TRUE(CaretAt(ed, 0, 1));

    Load(ed, "ab\r\nabcdefghijkl");  // the box starts right of its top row's end
    Select(ed, 0, 5, 1, 8);
    ed.DeleteSelection();
    EXPECT_EQ(Rows(ed), "[ab]L[abcdeijkl]E");
    EXPECT_TRUE(CaretAt(ed, 0, 5));
}

TEST(Selection, SetSelStartLengthAndSelectAll) {
    TEditor ed;
    ed.SetCol(7);
    ed.SetSel(0, 0);  // an empty text: its start, not the old column
    ed.SetSelText("x");
    EXPECT_EQ(Rows(ed), "[x]E");

    Load(ed, "abcd\r\nef\r\ngh");
    ed.SetSel(7, 2);
    EXPECT_EQ(ed.SelectedText(), "cd\r\ne");
    EXPECT_EQ(ed.SelStart(), 2);
    ed.SetSelLength(4);  // re-measured from the selection's start
    EXPECT_EQ(ed.SelectedText(), "cd\r\n");
    ed.SetSelLength(0);
    EXPECT_FALSE(ed.Marked());
    EXPECT_TRUE(CaretAt(ed, 0, 2));
    ed.SetSel(0, -1);
    EXPECT_EQ(ed.SelLength(), ed.TextLength());
    ed.SetSelStart(100);
    EXPECT_TRUE(CaretAt(ed, 2, 2));
    ed.SetSelectionMode(smBox);
    ed.SetSel(0, 3);  // a length switches box mode off
    EXPECT_EQ(ed.SelectionMode(), smNormal);
    EXPECT_EQ(ed.SelectedText(), "abc");
}

TEST(Selection, EditControlQueries) {
    TEditor open, closed;
    Load(open, "ab\r\ncd\r\n");
    for (auto [offset, row] : {std::pair<int64_t, int>{3, 0}, {4, 1}, {7, 1}, {8, 2}, {50, 2}})
        EXPECT_EQ(open.LineFromChar(offset), row) << offset;
    Load(closed, "ab\r\ncdef");
    EXPECT_EQ(closed.LineFromChar(50), 1);
    EXPECT_EQ(closed.LineIndex(1), 4);
    EXPECT_EQ(closed.LineIndex(2), -1);
    EXPECT_EQ(closed.LineLength(5), 4);
    Select(closed, 0, 1, 1, 1);
    EXPECT_EQ(closed.LineFromChar(-1), 0);
    EXPECT_EQ(closed.LineLength(-1), 4 + 1 - 0 - 1);  // the unselected bytes of the two rows
    EXPECT_EQ(closed.GetLine(0, 1), "a");
    int row = -1;
    EXPECT_EQ(closed.CharFromPos(X(1), Y(1), &row), 5);
    EXPECT_EQ(closed.CharFromPos(X(10), Y(0), &row), 2);  // beyond a row's end: that row's end
    EXPECT_EQ(row, 0);
    EXPECT_EQ(closed.CharFromPos(900, Y(0), &row), -1);
}

TEST(Mouse, PressMoveReleaseSelects) {
    TEditor ed;
    Load(ed, "hello world\r\nfoo");
    ed.MouseDown(TMouseButton::Left, X(1), Y(0), {});
    ed.MouseMove(X(2), Y(1), true, {});
    ed.MouseUp(TMouseButton::Left, X(2), Y(1), {});
    EXPECT_EQ(ed.SelectedText(), "ello world\r\nfo");
    ed.MouseDown(TMouseButton::Left, X(5), Y(1), {.shift = true});  // Shift extends from the anchor
    ed.MouseUp(TMouseButton::Left, X(5), Y(1), {});
    EXPECT_EQ(ed.SelectedText(), "ello world\r\nfoo");
    ed.MouseDown(TMouseButton::Left, X(4), Y(1), {});  // outside the selection: a new anchor
    ed.MouseMove(X(4) + 1, Y(1), true, {});  // less than half a cell: still only anchored
    EXPECT_FALSE(ed.Selected());
}

TEST(Mouse, ClickInsideTheSelectionClearsItWithoutMoving) {
    TEditor ed;
    Load(ed, "abcdef\r\na\x82\xa0" "b");
    Select(ed, 0, 0, 0, 6);
    ed.MouseDown(TMouseButton::Left, X(3), Y(0), {});
    EXPECT_EQ(ed.DragState(), 1);
    ed.MouseMove(X(3) + 2, Y(0), true, {});  // an armed drag: the selection does not follow
    EXPECT_EQ(ed.SelectedText(), "abcdef");
    ed.MouseUp(TMouseButton::Left, X(3) + 2, Y(0), {});
    EXPECT_FALSE(ed.Marked());
    EXPECT_TRUE(CaretAt(ed, 0, 3));
    EXPECT_EQ(ed.DragState(), 0);

    Select(ed, 1, 0, 1, 4);  // a click on a second half: the caret on the character
    ed.MouseDown(TMouseButton::Left, X(2), Y(1), {});
    ed.MouseUp(TMouseButton::Left, X(2), Y(1), {});
    ed.InsertText("x");
    EXPECT_EQ(ed.RowText(1), "ax\x82\xa0" "b");
}

TEST(Mouse, DragAndDrop) {
    struct Case {
        const char* name;
        int fromRow, fromCol, toRow, toCol;  // the selection
        int dropRow, dropCol;
        TKeyState keys;
        std::string rows;
        int changes, row, col;
    } cases[] = {
        {"move down", 0, 0, 0, 3, 1, 3, {}, "[ def]L[xyzabc]L[\x82\xa0q]E", 1, 1, 6},
        {"back inside", 0, 0, 0, 3, 0, 0, {}, "[abc def]L[xyz]L[\x82\xa0q]E", 0, 0, 0},
        {"copy", 0, 0, 0, 3, 1, 3, {.ctrl = true}, "[abc def]L[xyzabc]L[\x82\xa0q]E", 1, 1, 6},
        {"beyond the end", 0, 0, 0, 3, 1, 5, {}, "[ def]L[xyz  abc]L[\x82\xa0q]E", 1, 1, 8},
        {"on a second half", 0, 0, 0, 3, 2, 1, {}, "[ def]L[xyz]L[abc\x82\xa0q]E", 1, 2, 3},
        {"up beyond the end", 1, 0, 1, 3, 0, 9, {}, "[abc def  xyz]L[]L[\x82\xa0q]E", 1, 0, 12},
        {"over rows", 0, 4, 1, 1, 2, 2, {}, "[abc yz]L[\x82\xa0" "def]L[xq]E", 1, 2, 1},
    };
    for (const Case& c : cases) {
        TEditor ed;
        Load(ed, "abc def\r\nxyz\r\n\x82\xa0q");
        int changes = 0;
        CountChanges(ed, &changes);
        Select(ed, c.fromRow, c.fromCol, c.toRow, c.toCol);
        ed.MouseDown(TMouseButton::Left, X(c.fromCol + 1), Y(c.fromRow), {});
        ed.MouseMove(X(c.dropCol), Y(c.dropRow), true, c.keys);
        EXPECT_EQ(ed.DragState(), 2) << c.name;
        ed.MouseUp(TMouseButton::Left, X(c.dropCol), Y(c.dropRow), c.keys);
        EXPECT_EQ(Rows(ed), c.rows) << c.name;
        EXPECT_EQ(changes, c.changes) << c.name;  // a move is one change
        EXPECT_TRUE(CaretAt(ed, c.row, c.col)) << c.name;
        EXPECT_FALSE(ed.Marked()) << c.name;
    }
}

TEST(Mouse, RowSelectionInTheLeftMargin) {
    TEditor ed;
    Load(ed, "one\r\ntwo\r\nthree\r\nend");
    ed.MouseDown(TMouseButton::Left, 1, Y(1), {});
    EXPECT_EQ(ed.SelectedText(), "two\r\n");
    EXPECT_TRUE(CaretAt(ed, 1, 0));
    ed.MouseMove(1, Y(2), true, {});
    EXPECT_EQ(ed.SelectedText(), "two\r\nthree\r\n");
    ed.MouseMove(1, Y(0), true, {});  // upward: from the row under the pointer to after the first row
    EXPECT_EQ(ed.SelectedText(), "one\r\ntwo\r\n");
    ed.MouseMove(1, Y(3), true, {});
    EXPECT_EQ(ed.SelectedText(), "two\r\nthree\r\nend");
    ed.MouseUp(TMouseButton::Left, 1, Y(3), {});
    ed.MouseDown(TMouseButton::Left, 1, Y(3), {});  // the end-of-text row: its text only
    EXPECT_EQ(ed.SelectedText(), "end");
    EXPECT_TRUE(CaretAt(ed, 3, 0));
}
