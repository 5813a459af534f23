// Undo and redo: one step per change with the caret put back, the list
// limit, marks after undoing a deletion, edits inside long rows, and what
// leaves nothing to undo.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "EditorCommandUtil.h"
#include "TestFiles.h"
#include "editor/EditorParser.h"

using namespace editor;

namespace {

void Type(TEditor& ed, const std::string& s) {
    for (unsigned char c : s) ed.CharMessage(c, {}, std::nullopt, nullptr);
}

}  // namespace

TEST(Undo, EachChangeIsOneStepAndTheCaretFollows) {
    TEditor ed;
    Load(ed, "");
    Type(ed, "ab");
    ed.Undo();
    EXPECT_EQ(Rows(ed), "[a]E");
    EXPECT_TRUE(CaretAt(ed, 0, 1));
    ed.Undo();
    EXPECT_EQ(Rows(ed), "");
    EXPECT_TRUE(CaretAt(ed, 0, 0));
    EXPECT_FALSE(ed.CanUndo());
    ed.Undo();  // nothing left: nothing happens
    ed.Redo();
    ed.Redo();
    EXPECT_EQ(Rows(ed), "[ab]E");
    EXPECT_TRUE(CaretAt(ed, 0, 2));
    EXPECT_FALSE(ed.CanRedo());
    EXPECT_TRUE(ed.CanUndo());

    // A paste of three lines goes with one undo; the caret returns to where
    // the paste began, and redo puts the caret after the pasted text.
    Load(ed, "xy");
    ed.SetRowCol(0, 1);
    ed.InsertText("1\r\n2\r\n3\r\n");
    ASSERT_EQ(Rows(ed), "[x1]L[2]L[3]L[y]E");
    ed.Undo();
    EXPECT_EQ(Rows(ed), "[xy]E");
    EXPECT_TRUE(CaretAt(ed, 0, 1));
    EXPECT_FALSE(ed.CanUndo());
    ed.Redo();
    EXPECT_EQ(Rows(ed), "[x1]L[2]L[3]L[y]E");
    EXPECT_TRUE(CaretAt(ed, 3, 0));

    // A new change after an undo leaves nothing to redo; undo and redo clear
    // a selection and fire OnChange once each.
    ed.Undo();
    ASSERT_TRUE(ed.CanRedo());
    Type(ed, "z");
    EXPECT_FALSE(ed.CanRedo());
    ed.Redo();
    EXPECT_EQ(Rows(ed), "[xzy]E");
    Select(ed, 0, 0, 0, 2);
    int changes = 0;
    CountChanges(ed, &changes);
    ed.Undo();
    EXPECT_FALSE(ed.Selected());
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(ed.Modified());
}

TEST(Undo, TheListKeepsTheLastChangesUpToItsLimit) {
    struct Case {
        int set;     // UndoListMax written, 0 for none
        int limit;   // what it reads back
    };
    for (Case c : std::vector<Case>{{0, 64}, {10, 64}, {100, 100}}) {
        TEditor ed;
        Load(ed, "");
        if (c.set) ed.SetUndoListMax(c.set);
        EXPECT_EQ(ed.UndoListMax(), c.limit) << c.set;
        const std::string typed(70, 'k');
        Type(ed, typed);
        int steps = 0;
        while (ed.CanUndo()) {
            ed.Undo();
            ++steps;
        }
        EXPECT_EQ(steps, std::min(70, c.limit)) << c.set;
        EXPECT_EQ(ed.Lines().GetTextStr(), typed.substr(0, static_cast<size_t>(70 - steps))) << c.set;
    }
}

// Deleting whole lines moves their marks to the row below; undo brings the
// lines back unmarked and the marks stay where the deletion left them.
TEST(Undo, DeletedMarkedLinesComeBackAndTheirMarksStayBelow) {
    TEditor ed;
    Load(ed, "a\r\nb\r\nc\r\nd\r\n");
    TEditorScreenStrings& s = ed.Store();
    s.SetMarks(1, 1u << 1);
    s.SetMarks(2, 1u << 2);
    s.ReplaceRows(1, 2, "");
    ASSERT_EQ(Rows(ed), "[a]L[d]L");
    ASSERT_EQ(s.GetMarks(1), (1u << 1) | (1u << 2));
    ed.Undo();
    EXPECT_EQ(Rows(ed), "[a]L[b]L[c]L[d]L");
    EXPECT_EQ(s.GetMarks(1), 0);
    EXPECT_EQ(s.GetMarks(2), 0);
    EXPECT_EQ(s.GetMarks(3), (1u << 1) | (1u << 2));
    ed.Redo();
    EXPECT_EQ(Rows(ed), "[a]L[d]L");
    EXPECT_EQ(s.GetMarks(1), (1u << 1) | (1u << 2));
    // Undoing lines added at the end removes them; their marks move up.
    Load(ed, "a\r\n");
    ed.Lines().Add("x");
    s.SetMarks(1, 1u << 4);
    ed.Undo();
    EXPECT_EQ(Rows(ed), "[a]L");
    EXPECT_EQ(s.GetMarks(0), 1u << 4);
}

// Edits inside a long row are made in place; undoing and redoing them, mixed
// with a line break typed into the row, gives back every text on the way,
// the row's mark and colouring state included.
TEST(Undo, EditsInsideLongRowsAreUndoneAndRedone) {
    TEditor ed;
    TEditorViewInfo& v = ed.View();
    v.SetBrackets({{"/*", "*/", {clWhite, clRed, 0}}});
    v.SetQuotation("\"");
    ed.Store().SetLongRowScan(256, 16);
    std::string row;
    while (row.size() < 5000) row += "ab \"s\" x; ";
    Load(ed, row + "/*\r\ntail\r\n");
    ed.Store().SetMarks(0, 1u << 3);
    std::vector<std::string> texts{ed.Lines().GetTextStr()};
    const std::vector<std::function<void()>> edits = {
        [&] { ed.SetRowCol(0, 10); ed.InsertText("/*"); },
        [&] { ed.SetRowCol(0, 900); ed.KeyDown(vkDelete, {}, false); },
        [&] { ed.SetRowCol(0, 40); ed.InsertText("\x95\x5C\""); },
        [&] { ed.SetRowCol(0, 3000); ed.InsertText("\r\n"); },
        [&] { ed.SetRowCol(0, 12); ed.CharMessage(8, {}, std::nullopt, nullptr); },
    };
    for (const auto& edit : edits) {
        edit();
        texts.push_back(ed.Lines().GetTextStr());
    }
    ASSERT_NE(texts[1], texts[0]);
    auto statesRight = [&] {
        TEditor fresh;
        fresh.View().SetBrackets({{"/*", "*/", {clWhite, clRed, 0}}});
        fresh.View().SetQuotation("\"");
        fresh.Lines().SetTextStr(ed.Lines().GetTextStr());
        for (int r = 0; r < ed.RowCount(); ++r) {
            ed.Store().EnsureState(r);
            fresh.Store().EnsureState(r);
            if (!(LoadRowState(ed.Store(), r) == LoadRowState(fresh.Store(), r))) return false;
        }
        return true;
    };
    for (size_t i = texts.size() - 1; i > 0; --i) {
        ed.Undo();
        ASSERT_TRUE(ed.Lines().GetTextStr() == texts[i - 1]) << "undo to " << i - 1;
        EXPECT_TRUE(statesRight()) << "undo to " << i - 1;
    }
    EXPECT_EQ(ed.Store().GetMarks(0), 1u << 3);
    for (size_t i = 1; i < texts.size(); ++i) {
        ed.Redo();
        ASSERT_TRUE(ed.Lines().GetTextStr() == texts[i]) << "redo to " << i;
        EXPECT_TRUE(statesRight()) << "redo to " << i;
    }
}

// Whatever replaces the rows without a record leaves nothing to undo or
// redo; a read-only editor keeps its history against EM_EMPTYUNDOBUFFER.
TEST(Undo, ReloadingOrRelayingTheRowsEmptiesBothLists) {
    TempDir dir;
    const std::string file = dir.Write("f.r", "file\r\n");
    struct Case {
        const char* name;
        std::function<void(TEditor&)> run;
        bool emptied = true;
        bool wrapped = false;  // word wrap on before the changes
    };
    const std::vector<Case> cases = {
        {"load", [&](TEditor& ed) { ed.Lines().LoadFromFile(file); }},
        {"text", [](TEditor& ed) { ed.Lines().SetTextStr("t"); }},
        {"clear", [](TEditor& ed) { ed.Lines().Clear(); }},
        {"wrap on", [](TEditor& ed) { ed.SetWordWrap(true); }},
        {"wrap off", [](TEditor& ed) { ed.SetWordWrap(true); ed.SetWordWrap(false); }},
        // A wrap option changed while word wrap is on lays the rows out anew too.
        {"wrap option", [](TEditor& ed) {
             TEditorWrapOption option = ed.WrapOption();
             option.SetWrapByte(option.WrapByte() + 10);
             ed.SetWrapOption(option);
         }, true, true},
        // So does a TAB width change: wrapped rows are cut by it.
        {"TAB width", [](TEditor& ed) { ed.SetTabWidth(ed.TabWidth() == 2 ? 4 : 2); }, true, true},
        {"TAB width, no wrap", [](TEditor& ed) { ed.SetTabWidth(ed.TabWidth() == 2 ? 4 : 2); }, false},
        {"empty buffer", [](TEditor& ed) { ed.EmptyUndoBuffer(); }},
        {"empty buffer, read-only", [](TEditor& ed) { ed.Properties().readOnly = true; ed.EmptyUndoBuffer(); }, false},
    };
    for (const Case& c : cases) {
        TEditor ed;
        Load(ed, "x");
        if (c.wrapped) ed.SetWordWrap(true);
        Type(ed, "ab");
        ed.Undo();
        ASSERT_TRUE(ed.CanUndo() && ed.CanRedo());
        c.run(ed);
        EXPECT_EQ(ed.CanUndo(), !c.emptied) << c.name;
        EXPECT_EQ(ed.CanRedo(), !c.emptied) << c.name;
    }
}

// A failure injected where the rows are about to change (no memory, say)
// leaves the text and both histories as they were, for edits, undo and redo
// alike; the next steps then work as if it never happened.
TEST(Undo, AChangeThatFailsHalfWayLeavesTextAndHistoriesAsBefore) {
    TEditor ed;
    TEditorScreenStrings& s = ed.Store();
    ed.Lines().SetTextStr("alpha\r\nbeta\r\ngamma\r\n");
    s.ReplaceBytes(0, 5, 5, "1");
    s.ReplaceRows(1, 1, "BETA\r\nmore\r\n");
    s.Undo();
    const std::string text = s.GetText();
    struct Step { const char* what; std::function<void()> run; } steps[] = {
        {"typing in a row", [&] { s.ReplaceBytes(0, 0, 0, "x"); }},
        {"replacing rows", [&] { s.ReplaceRows(0, 2, "one line\r\n"); }},
        {"deleting rows", [&] { s.ReplaceRows(1, 1, ""); }},
        {"undo", [&] { s.Undo(); }},
        {"redo", [&] { s.Redo(); }},
    };
    for (const Step& step : steps) {
        const int undo = s.UndoObject().UndoCount(), redo = s.UndoObject().RedoCount();
        s.OnTextEdit = [](int64_t, int64_t, std::string_view) { throw std::bad_alloc(); };
        EXPECT_THROW(step.run(), std::bad_alloc) << step.what;
        s.OnTextEdit = nullptr;
        EXPECT_EQ(s.GetText(), text) << step.what;
        EXPECT_EQ(s.UndoObject().UndoCount(), undo) << step.what;
        EXPECT_EQ(s.UndoObject().RedoCount(), redo) << step.what;
        EXPECT_EQ(s.UpdateCount(), 0) << step.what;
    }
    s.Redo();
    EXPECT_EQ(s.GetText(), "alpha1\r\nBETA\r\nmore\r\ngamma\r\n");
    s.Undo();
    s.Undo();
    EXPECT_EQ(s.GetText(), "alpha\r\nbeta\r\ngamma\r\n");
}
