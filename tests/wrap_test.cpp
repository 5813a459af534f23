// Word wrap: how lines are cut into screen rows, switching wrap on and off,
// and edits inside wrapped lines.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "EditorCommandUtil.h"
#include "editor/Editor.h"
#include "platform/ShiftJis.h"

using namespace editor;

namespace {

std::string Sjis(const char* utf8) { return platform::Utf8ToSjis(utf8); }
std::string Times(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

enum Opt { kNone = 0, kRetMark = 1, kWordBreak = 2, kPunct = 4, kLeading = 8 };

void Wrap(TEditor& ed, int w, int opts) {
    TEditorWrapOption o;
    o.SetWrapByte(w);
    o.SetFollowRetMark(opts & kRetMark);
    o.SetWordBreak(opts & kWordBreak);
    o.SetFollowPunctuation(opts & kPunct);
    o.SetLeading(opts & kLeading);
    ed.SetWrapOption(o);
    ed.SetWordWrap(true);
}

// Each row's width in columns and its attribute, e.g. "80W 0L".
std::string Layout(const TEditor& ed) {
    std::string out;
    for (int r = 0; r < ed.RowCount(); ++r) {
        if (r) out += ' ';
        out += std::to_string(ed.EndColumn(r));
        out += "LWEN"[ed.RowAttribute(r)];
    }
    return out;
}

}  // namespace

TEST(WordWrap, RowsAreCutByTheWrapRules) {
    const std::string a = "a", dbl = Sjis("あ"), maru = Sjis("。"), open = Sjis("「"), close = Sjis("」");
    struct Case {
        const char* rule;
        int opts;
        std::string line;
        const char* layout;
    } cases[] = {
        {"narrower than W: one row", kNone, Times(a, 79), "79L"},
        {"exact fit opens an empty row", kNone, Times(a, 80), "80W 0L"},
        {"exact fit keeps the break with FollowRetMark", kRetMark, Times(a, 80), "80L"},
        {"FollowRetMark only acts on an exact fit", kRetMark, Times(a, 100), "80W 20L"},
        {"double-byte at the wrap column moves down", kNone, Times(a, 79) + dbl + a, "79W 3L"},
        {"double-byte ending at the wrap column stays", kNone, Times(a, 78) + dbl + a, "80W 1L"},
        {"word break after the last delimiter", kWordBreak, Times(a, 70) + " " + Times(a, 20), "71W 20L"},
        {"one long word breaks at W div 3", kWordBreak, Times(a, 100), "26W 74L"},
        {"a row that fits exactly is not word-broken", kWordBreak, Times(a, 80), "80W 0L"},
        {"hanging full stop", kPunct, Times(dbl, 40) + maru + dbl, "82W 2L"},
        {"hanging needs FollowPunctuation", kNone, Times(dbl, 40) + maru + dbl, "80W 4L"},
        {"half-width period hangs", kPunct, Times(a, 80) + ".," + a, "82W 1L"},
        {"a row never ends with an opening bracket", kLeading, Times(a, 78) + open + Times(a, 10), "78W 12L"},
        {"a closing bracket never begins a row", kLeading, Times(a, 80) + close + Times(a, 5), "79W 8L"},
        {"opening brackets: not below (W div 5) * 4", kLeading, Times(open, 50), "64W 36L"},
        {"closing brackets: not below (W div 5) * 4", kLeading, Times(a, 60) + Times(close, 20), "64W 36L"},
        // "B" and "D" are the trail bytes of "。" and "．".
        {"a trail byte is no single-byte match", kPunct, Times(a, 80) + "BD" + Times(a, 3), "80W 5L"},
    };
    for (const Case& c : cases) {
        TEditor ed;
        Wrap(ed, 80, c.opts);
        ed.Lines().SetTextStr(c.line + "\r\n");
        EXPECT_EQ(Layout(ed), c.layout) << c.rule;
        EXPECT_EQ(ed.Lines().Count(), 1) << c.rule;
        EXPECT_EQ(ed.Lines().Get(0), c.line) << c.rule;
        EXPECT_EQ(ed.Store().CountRows(c.line), ed.RowCount()) << c.rule;
    }
}

TEST(WordWrap, TabsStopAtTheWrapColumn) {
    TEditor ed;
    Wrap(ed, 20, kNone);  // TAB stops every 8: the one at 17 would reach 24
    ed.Lines().SetTextStr(Times("a", 17) + "\tb\r\n");
    EXPECT_EQ(Layout(ed), "20W 1L");
    EXPECT_EQ(ed.ColumnMap(0), Times("1", 17) + "233");
    // The TAB key fills only up to the wrap column too.
    ed.Lines().SetTextStr(Times("a", 17) + "\r\n");
    TEditorCaret caret = ed.Properties().caret;
    caret.softTab = true;
    ed.SetCaret(caret);
    ed.SetRowCol(0, 17);
    ed.Tab();
    EXPECT_EQ(ed.Lines().Get(0), Times("a", 17) + "   ");
    // A new TAB width re-splits the rows as a fresh wrap would; the
    // histories, whose records name the old rows, are gone.
    std::string tabs;
    for (char c = 'a'; c <= 'p'; ++c) tabs += std::string(1, c) + (c < 'p' ? "\t" : "");
    ed.Lines().SetTextStr(tabs + "\r\nsecond\r\n");
    ed.SetRowCol(ed.RowCount() - 1, 0);
    ed.InsertText("Z");
    ed.SetRowCol(0, 0);
    ed.InsertText("ab");
    const std::string text = ed.Lines().GetTextStr();
    ed.SetTabWidth(2);
    TEditor fresh;
    fresh.SetTabWidth(2);
    Wrap(fresh, 20, kNone);
    fresh.Lines().SetTextStr(text);
    EXPECT_EQ(Rows(ed), Rows(fresh));
    EXPECT_FALSE(ed.CanUndo());
    for (int i = 0; i < 3; ++i) ed.Undo();
    EXPECT_EQ(ed.Lines().GetTextStr(), text);
}

TEST(WordWrap, SwitchingOnAndOffKeepsLinesAndMarks) {
    const std::string text = "short\r\n" + Times("word ", 50) + "\r\n" + Sjis("日本語") + "\r\nend";
    TEditor ed;
    ed.Lines().SetTextStr(text);
    TEditorScreenStrings& s = ed.Store();
    s.SetMarks(1, 1u << 3);
    s.SetMarks(3, 1u << 10);
    ed.InsertText("x");
    Wrap(ed, 80, kNone);
    EXPECT_FALSE(ed.CanUndo());  // switching empties the histories
    EXPECT_EQ(ed.Col(), 0);
    EXPECT_EQ(Layout(ed), "6L 80W 80W 80W 10L 6L 3E");
    EXPECT_EQ(s.GetMarks(1), 1u << 3);  // on the first row of its line
    EXPECT_EQ(s.GetMarks(6), 1u << 10);
    s.SetMarks(2, 1u << 4);  // a mark on a continuation row joins its line's
    ed.SetWordWrap(false);
    EXPECT_EQ(ed.Lines().GetTextStr(), "x" + text);
    EXPECT_EQ(Layout(ed), "6L 250L 6L 3E");
    const TRowMarks expected[] = {0, (1u << 3) | (1u << 4), 0, 1u << 10};
    for (int r = 0; r < 4; ++r) EXPECT_EQ(s.GetMarks(r), expected[r]) << r;
    // A new width re-splits at once.
    Wrap(ed, 100, kNone);
    EXPECT_EQ(Layout(ed), "6L 100W 100W 50L 6L 3E");
    ed.WrapOption().SetWrapByte(125);
    EXPECT_EQ(Layout(ed), "6L 125W 125W 0L 6L 3E");
    EXPECT_EQ(ed.Lines().Count(), 4);
    EXPECT_EQ(ed.Lines().FirstRow(2), 4);
}

TEST(WordWrap, EditsResplitLikeAFreshWrap) {
    // Random typing and deleting in wrapped paragraphs (every rule on) must
    // leave the rows a fresh wrap of the same text gives.
    const std::vector<std::string> pieces = {"a", "b ", "\t", Sjis("あ"), Sjis("。"), Sjis("「"), Sjis("」"), ".", "\r\n"};
    std::mt19937 rng(7);
    for (int opts : {int(kNone), kRetMark | kWordBreak | kPunct | kLeading, kWordBreak | kLeading}) {
        TEditor ed;
        Wrap(ed, 20, opts);
        std::string text;
        for (int i = 0; i < 300; ++i) text += pieces[rng() % (pieces.size() - 1)];
        ed.Lines().SetTextStr(text + "\r\n" + text);
        for (int step = 0; step < 300; ++step) {
            ed.SetRowCol(static_cast<int>(rng() % static_cast<unsigned>(ed.RowCount())), static_cast<int>(rng() % 22));
            if (rng() % 3 == 0) ed.Backspace();
            else ed.InsertText(pieces[rng() % pieces.size()]);
            TEditor fresh;
            Wrap(fresh, 20, opts);
            fresh.Lines().SetTextStr(ed.Lines().GetTextStr());
            ASSERT_EQ(Rows(ed), Rows(fresh)) << "options " << opts << ", step " << step;
        }
    }
}

// Edits that re-split only part of a wrapped line leave the rows a fresh
// wrap of the new text gives, and undo and redo give back the same rows.
TEST(WordWrap, PartialResplitsMatchAFreshWrapThroughUndoAndRedo) {
    struct Case {
        const char* what;
        std::string text;
        int opts;
        const char* before;
        int row, count;
        std::string put;
        const char* after;
        std::string afterText;
    } cases[] = {
        // Rows of 6 columns: the cuts of the rows above the edit look past it.
        {"a line break typed into short rows lets earlier rows join", Times("w", 40) + "\r\n", kWordBreak,
         "6W 6W 6W 6W 16L", 3, 0, "\r\n", "18L 6W 16L", Times("w", 18) + "\r\n" + Times("w", 22) + "\r\n"},
        // Re-splitting stops where the fifth row began; the old rows, split
        // without the rest of the line, would fit in fewer rows.
        {"an edit that stopped early", "abcdefg " + Times("z", 40) + "\r\n", kWordBreak, "8W 6W 6W 6W 6W 16L", 3, 1,
         "zzzzzz", "8W 6W 6W 6W 6W 16L", "abcdefg " + Times("z", 40) + "\r\n"},
        {"deleting the rows before an exact fit's empty last row leaves no empty line", "a\r\n" + Times("w", 20), kNone,
         "1L 20W 0E", 1, 1, "", "1L", "a\r\n"},
        {"a line break put before an exact fit's empty last row is kept", Times("w", 20), kNone, "20W 0E", 1, 0,
         "x\r\n", "20W 1L", Times("w", 20) + "x\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TEditor ed;
        ed.Lines().SetTextStr(c.text);
        Wrap(ed, 20, c.opts);
        ASSERT_EQ(Layout(ed), c.before);
        const std::string before = Rows(ed);
        ed.Store().ReplaceRows(c.row, c.count, c.put);
        EXPECT_EQ(Layout(ed), c.after);
        EXPECT_EQ(ed.Lines().GetTextStr(), c.afterText);
        TEditor fresh;
        Wrap(fresh, 20, c.opts);
        fresh.Lines().SetTextStr(c.afterText);
        const std::string after = Rows(fresh);
        EXPECT_EQ(Rows(ed), after);
        EXPECT_EQ(ed.Lines().Count(), fresh.Lines().Count());
        ed.Undo();
        EXPECT_EQ(Rows(ed), before);
        ed.Redo();
        EXPECT_EQ(Rows(ed), after);
    }
}
