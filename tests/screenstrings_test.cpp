// The row store's editing primitive: ReplaceRows, the last-change record,
// marks following the text, editors attached to one store.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditorTestUtil.h"
#include "editor/Editor.h"

using namespace editor;

namespace {

struct ChangeLog {
    std::vector<TLastChange> changes;
    void Attach(TEditor& ed) {
        ed.OnChange = [this](TEditor& e) { changes.push_back(e.Store().LastChange()); };
    }
};

bool Same(const TLastChange& c, int s, int removed, int inserted) {
    return c.valid && c.startRow == s && c.removedRows == removed && c.insertedRows == inserted;
}

}  // namespace

TEST(ReplaceRows, TypingAndLineBreaksRebuildOnlyTheirLines) {
    TEditor ed;
    ed.Lines().SetTextStr("abc\r\ndef\r\nghi");
    ChangeLog log;
    log.Attach(ed);

    ed.Store().ReplaceRows(1, 1, "dXef\r\n");  // one typed character
    EXPECT_EQ(Rows(ed), "[abc]L[dXef]L[ghi]E");
    ed.Store().ReplaceRows(0, 1, "a\r\nbc\r\n");  // a line break typed inside row 0
    EXPECT_EQ(Rows(ed), "[a]L[bc]L[dXef]L[ghi]E");
    ed.Store().ReplaceRows(2, 1, "dXef");  // line break removed: the next line joins
    EXPECT_EQ(Rows(ed), "[a]L[bc]L[dXefghi]E");

    ASSERT_EQ(log.changes.size(), 3u);
    // The line after the replaced rows is always rebuilt too: the new text
    // might not end with a line break and then joins it.
    EXPECT_TRUE(Same(log.changes[0], 1, 2, 2));
    EXPECT_TRUE(Same(log.changes[1], 0, 2, 3));
    EXPECT_TRUE(Same(log.changes[2], 2, 2, 1));
    EXPECT_TRUE(ed.Modified());
    EXPECT_FALSE(ed.Store().LastChange().valid);  // cleared once the update ended
}

TEST(ReplaceRows, InsertionsJoinTheFollowingLineUnlessTheyEndWithABreak) {
    TEditor ed;
    ed.Lines().SetTextStr("one\r\ntwo\r\n");
    ed.Store().ReplaceRows(0, 0, "zero ");
    EXPECT_EQ(Rows(ed), "[zero one]L[two]L");
    ed.Store().ReplaceRows(1, 0, "1.5\r\n");
    EXPECT_EQ(Rows(ed), "[zero one]L[1.5]L[two]L");
    ed.Store().ReplaceRows(3, 0, "end");  // after a final line break
    EXPECT_EQ(Rows(ed), "[zero one]L[1.5]L[two]L[end]E");
    // After an unterminated last row, the text joins it instead of leaving an
    // end-of-text row in the middle.
    ed.Store().ReplaceRows(4, 0, "ing\r\nmore");
    EXPECT_EQ(Rows(ed), "[zero one]L[1.5]L[two]L[ending]L[more]E");
    // CR alone and LF alone are line breaks too, also at the very end.
    ed.Store().ReplaceRows(4, 1, "x\ry\nz\r");
    EXPECT_EQ(Rows(ed), "[zero one]L[1.5]L[two]L[ending]L[x]L[y]L[z]L");
    EXPECT_EQ(ed.Lines().GetTextStr(), "zero one\r\n1.5\r\ntwo\r\nending\r\nx\r\ny\r\nz\r\n");
}

TEST(ReplaceRows, OutOfRangeOrEmptyInsertDoesNothing) {
    TEditor ed;
    ed.Lines().SetTextStr("a\r\nb");
    ChangeLog log;
    log.Attach(ed);
    ed.Store().ReplaceRows(-1, 1, "x");
    ed.Store().ReplaceRows(1, 2, "x");
    ed.Store().ReplaceRows(3, 0, "x");
    ed.Store().ReplaceRows(1, 0, "");
    EXPECT_EQ(Rows(ed), "[a]L[b]E");
    EXPECT_TRUE(log.changes.empty());
    EXPECT_FALSE(ed.Modified());
}

TEST(ReplaceRows, DeletingWholeLinesMovesTheirMarksToTheNextRow) {
    TEditor ed;
    ed.Lines().SetTextStr("a\r\nb\r\nc\r\nd\r\n");
    TEditorScreenStrings& s = ed.Store();
    s.SetMarks(1, 1u << 3);
    s.SetMarks(2, 1u << 4);
    s.SetMarks(3, 1u << 0);
    s.IncludeMarks((1u << 3) | (1u << 4) | 1u);
    ChangeLog log;
    log.Attach(ed);
    s.ReplaceRows(1, 2, "");
    EXPECT_EQ(Rows(ed), "[a]L[d]L");
    EXPECT_EQ(s.GetMarks(1), (1u << 3) | (1u << 4) | 1u);
    ASSERT_EQ(log.changes.size(), 1u);
    EXPECT_TRUE(Same(log.changes[0], 1, 2, 0));

    // Deleting the last row gives its marks to the new last row.
    s.ReplaceRows(1, 1, "");
    EXPECT_EQ(Rows(ed), "[a]L");
    EXPECT_EQ(s.GetMarks(0), (1u << 3) | (1u << 4) | 1u);
    // Deleting the only row takes the marks out of use.
    s.ReplaceRows(0, 1, "");
    EXPECT_EQ(s.Count(), 0);
    EXPECT_EQ(s.GetMarksInUse(), 0);
}

TEST(ReplaceRows, ALineBreakAtColumnZeroCarriesTheMarkDown) {
    for (int col : {0, 2}) {
        TEditor ed;
        ed.Lines().SetTextStr("abc\r\nnext\r\n");
        TEditorScreenStrings& s = ed.Store();
        s.SetMarks(0, 1u << 5);
        ed.SetRowCol(0, col);
        s.ReplaceRows(0, 1, col == 0 ? "\r\nabc\r\n" : "ab\r\nc\r\n");
        EXPECT_EQ(s.GetMarks(col == 0 ? 1 : 0), 1u << 5) << "column " << col;
        EXPECT_EQ(s.GetMarks(col == 0 ? 0 : 1), 0) << "column " << col;
        EXPECT_EQ(s.GetMarks(2), 0);
    }
}

TEST(ReplaceRows, FewerNewRowsMergeTheRemovedMarksIntoTheFirst) {
    TEditor ed;
    ed.Lines().SetTextStr("a\r\nb\r\nc\r\n");
    TEditorScreenStrings& s = ed.Store();
    s.SetMarks(0, 1);
    s.SetMarks(1, 2);
    s.SetMarks(2, 4);
    s.ReplaceRows(0, 3, "xy\r\n");  // three rows become one
    EXPECT_EQ(Rows(ed), "[xy]L");
    EXPECT_EQ(s.GetMarks(0), 7);
}

TEST(ReplaceRows, InsideAWrappedLineTheRowBeforeIsRebuiltToo) {
    TEditor ed;
    TEditorScreenStrings& s = ed.Store();
    // A line shown as two rows (laid out by hand), then a normal line.
    s.SetWordWrap(true);
    s.Add("abcd");
    s.Add("efgh");
    s.Add("ij");
    s.SetRowAttribute(0, raWrapped);
    EXPECT_EQ(ed.Lines().Count(), 2);
    EXPECT_EQ(ed.Lines().Get(0), "abcdefgh");
    EXPECT_EQ(ed.Lines().FirstRow(1), 2);
    EXPECT_EQ(s.RowOffset(2), 10);  // no bytes between the two rows of the line

    ChangeLog log;
    log.Attach(ed);
    s.ReplaceRows(1, 1, "eXgh\r\n");
    ASSERT_EQ(log.changes.size(), 1u);
    EXPECT_TRUE(Same(log.changes[0], 0, 3, 2));  // started one row early
    EXPECT_EQ(Rows(ed), "[abcdeXgh]L[ij]L");
}

TEST(GatherText, JoinsRowsWithTheirBreaks) {
    TEditor ed;
    TEditorScreenStrings& s = ed.Store();
    s.Add("ab");
    s.Add("cd");
    s.Add("ef");
    s.SetRowAttribute(0, raWrapped);
    s.SetRowAttribute(2, raEndOfText);
    TGathered line = s.GatherText(0, -1);
    EXPECT_EQ(line.text, "abcd\r\n");
    EXPECT_EQ(line.rows, 2);
    EXPECT_EQ(line.lastAttribute, raLineBreak);
    TGathered all = s.GatherText(1, 5);
    EXPECT_EQ(all.text, "cd\r\nef");
    EXPECT_EQ(all.lastAttribute, raEndOfText);
    EXPECT_EQ(s.GatherText(3, 1).lastAttribute, raNone);
    EXPECT_EQ(s.GatherText(-1, 1).rows, 0);
    EXPECT_EQ(s.FirstRowOfLine(1), 0);
    EXPECT_EQ(s.LastRowOfLine(0), 1);
    EXPECT_EQ(s.FirstRowOfLine(3), 3);
}

TEST(RowStore, EndOfUpdateKeepsCaretAndTopRowInsideTheText) {
    TEditor ed;
    ed.Lines().SetTextStr("a\r\nb\r\nc\r\nd\r\n");
    ed.SetRowCol(4, 0);
    ed.SetTopRow(3);
    ed.Store().ReplaceRows(1, 3, "");
    EXPECT_EQ(ed.Row(), 1);  // the empty place after the final line break
    EXPECT_LE(ed.TopRow(), 1);
    ed.Lines().SetTextStr("x\r\ny");
    ed.SetRowCol(9, 0);
    ed.Store().ReplaceRows(0, 1, "z\r\n");
    EXPECT_EQ(ed.Row(), 1);  // unterminated last row: the caret stays on it
}

TEST(RowStore, ClearOutsideAnUpdateCountsAsAChange) {
    TEditor ed;
    ed.Lines().SetTextStr("a\r\nb\r\n");
    EXPECT_FALSE(ed.Modified());  // assigning the text is not an edit
    ChangeLog log;
    log.Attach(ed);
    ed.Store().SetMarks(0, 2);
    ed.Store().IncludeMarks(2);
    ed.SetRowCol(1, 1);
    ed.Lines().Clear();
    ASSERT_EQ(log.changes.size(), 1u);
    EXPECT_TRUE(Same(log.changes[0], 0, 2, 0));
    EXPECT_TRUE(ed.Modified());
    EXPECT_EQ(ed.Row(), 0);
    EXPECT_EQ(ed.Col(), 0);
    EXPECT_EQ(ed.Store().GetMarksInUse(), 0);
}

TEST(RowStore, SharedStoreLivesUntilItsLastEditorLeaves) {
    auto first = std::make_unique<TEditor>();
    TEditor second;
    first->Lines().SetTextStr("shared\r\n");
    second.ShareLines(*first);
    EXPECT_EQ(&first->Store(), &second.Store());
    EXPECT_EQ(second.Store().Owner(), first.get());
    ChangeLog a, b;
    a.Attach(*first);
    b.Attach(second);
    second.SetFocused(true);
    EXPECT_EQ(second.Store().FocusedEditor(), &second);
    second.Store().ReplaceRows(0, 1, "changed\r\n");
    EXPECT_EQ(a.changes.size(), 1u);  // both editors hear about the change
    EXPECT_EQ(b.changes.size(), 1u);
    first.reset();
    EXPECT_EQ(second.Lines().Get(0), "changed");
    EXPECT_EQ(second.Store().Owner(), &second);
}
