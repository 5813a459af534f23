// Keys and editing commands of the editor: TAB, Enter with indentation,
// Backspace and Delete, overwrite typing, input-method results, the
// clipboard, box paste, indenting a selection, word and caret movement.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "EditorCommandUtil.h"

using namespace editor;

namespace {

void Type(TEditor& ed, unsigned char c, TKeyState keys = {}) { ed.CharMessage(c, keys, std::nullopt, nullptr); }

// A command on a text: the rows and the caret it must leave, and how many
// changes it makes.
struct Case {
    const char* name;
    std::string text;
    std::function<void(TEditor&)> run;  // places the caret, selects, runs the command
    std::string rows;
    int row, col;
    int changes = 1;
};

void Check(const std::vector<Case>& cases, const TEditorCaret& caret) {
    for (const Case& c : cases) {
        TEditor ed;
        ed.SetCaret(caret);
        Load(ed, c.text);
        int changes = 0;
        CountChanges(ed, &changes);
        c.run(ed);
        EXPECT_EQ(Rows(ed), c.rows) << c.name;
        EXPECT_TRUE(CaretAt(ed, c.row, c.col)) << c.name;
        EXPECT_EQ(changes, c.changes) << c.name;
    }
}

TEditorCaret WithTab(TEditorCaret c, int tab, bool inTab = false) {
    c.tabSpaceCount = tab;
    c.inTab = inTab;
    return c;
}

}  // namespace

TEST(Editing, TabAndEnter) {
    auto at = [](int row, int col, std::function<void(TEditor&)> then) {
        return [=](TEditor& ed) { ed.SetRowCol(row, col); then(ed); };
    };
    auto key = [](unsigned char c, TKeyState keys = {}) { return [=](TEditor& ed) { Type(ed, c, keys); }; };
    Check({
        {"soft tab", "abc", at(0, 3, key('\t')), "[abc ]E", 0, 4},
        {"ctrl tab", "abc", at(0, 3, key('\t', {.ctrl = true})), "[abc]E", 0, 3, 0},
        {"overwrite tab", "abcdef", at(0, 3, [](TEditor& ed) { ed.SetOverwrite(true); ed.Tab(); }), "[abcdef]E", 0, 4, 0},
        {"split", "    abc", at(0, 6, key('\r')), "[    ab]L[    c]E", 1, 4},
        {"split in the indent", "    ab\r\n    c", at(1, 2, key('\r')), "[    ab]L[  ]L[    c]E", 2, 2},
        {"empty row", "    x\r\n\r\nz", at(1, 0, key('\r')), "[    x]L[]L[    ]L[z]E", 2, 4},
        {"after the end", "a\r\n", at(1, 0, key('\r')), "[a]L[]L", 2, 0},
        {"selection", "abcd\r\nef", [](TEditor& ed) { Select(ed, 0, 1, 1, 0); Type(ed, '\r'); }, "[a]L[ef]E", 1, 0, 2},
        {"shift with a selection", "abcd",
         [](TEditor& ed) { Select(ed, 0, 1, 0, 3); Type(ed, '\r', {.shift = true}); }, "[abcd]E", 0, 3, 0},
        {"shift", "  abc\r\nd", at(0, 5, key('\r', {.shift = true})), "[  ]L[  abc]L[d]E", 0, 2},
    }, DocumentCaret());
    TEditorCaret hardTabs = DocumentCaret();
    hardTabs.softTab = false;
    hardTabs.tabIndent = true;
    Check({
        {"hard tab", "abc", at(0, 3, key('\t')), "[abc\t]E", 0, 4},  // a one-column TAB
        {"tab indent", "     x", at(0, 6, key('\r')), "[     x]L[\t\t ]E", 1, 5},
        {"empty editor", "", key('\r'), "[]L", 1, 0},
    }, hardTabs);
}

TEST(Editing, BackspaceAndDelete) {
    auto back = [](int row, int col) { return [=](TEditor& ed) { ed.SetRowCol(row, col); Type(ed, 8); }; };
    auto del = [](int row, int col) { return [=](TEditor& ed) { ed.SetRowCol(row, col); ed.KeyDown(vkDelete, {}, false); }; };
    const std::vector<Case> cases = {
        {"un-indent", "  y\r\n    x", back(1, 4), "[  y]L[  x]E", 1, 2},
        {"blank row", "  y\r\n      ", back(1, 6), "[  y]L[  ]E", 1, 2},
        {"TAB across the target", "  y\r\n\tx", back(1, 4), "[  y]L[  x]E", 1, 2},
        {"empty line above", "\r\n    x", back(1, 4), "[]L[x]E", 1, 0},
        {"ordinary", "  y\r\n    xz", back(1, 6), "[  y]L[    x]E", 1, 5},
        {"double-byte", "a\x82\xa0", back(0, 3), "[a]E", 0, 1},
        {"joins rows", "ab\r\ncd", back(1, 0), "[abcd]E", 0, 2},
        {"final break", "ab\r\n", back(1, 0), "[ab]E", 0, 2},
        {"row 0", "ab", back(0, 0), "[ab]E", 0, 0, 0},
        {"beyond the end", "ab", back(0, 5), "[ab]E", 0, 4, 0},
        {"after the last break", "    x\r\n", back(1, 8), "[    x]L", 1, 4, 0},
        {"padded join", "ab\r\ncd", del(0, 5), "[ab   cd]E", 0, 5},
        {"delete double-byte", "\x82\xa0z", del(0, 0), "[z]E", 0, 0},
        {"delete last break", "ab\r\n", del(0, 2), "[ab]E", 0, 2},
        {"delete at the end", "ab", del(0, 2), "[ab]E", 0, 2, 0},
        {"delete selection", "abcd\r\nef", [](TEditor& ed) { Select(ed, 0, 1, 1, 0); ed.KeyDown(vkDelete, {}, false); },
         "[aef]E", 0, 1},
    };
    Check(cases, WithTab({}, 4));
    Check({{"inside a TAB", "a\tb", back(0, 2), "[ab]E", 0, 1},
           {"blank inside a TAB", "  y\r\n\t\t", back(1, 6), "[  y]L[    ]E", 1, 2},
           {"delete inside a TAB", "a\tb", del(0, 2), "[ab]E", 0, 1}},
          WithTab({}, 4, true));
    TEditor empty;  // no rows: Backspace only moves the caret, Delete does nothing
    empty.SetCol(3);
    empty.Backspace();
    empty.DeleteKey();
    EXPECT_EQ(empty.Col(), 2);
    EXPECT_EQ(empty.RowCount(), 0);
}

TEST(Editing, TypingAndInsertingText) {
    auto over = [](int col, std::string s) {
        return [=](TEditor& ed) { ed.SetOverwrite(true); ed.SetCol(col); ed.InsertText(s); };
    };
    auto box = [](std::function<void(TEditor&)> then) {
        return [=](TEditor& ed) { ed.SetSelectionMode(smBox); Select(ed, 0, 4, 1, 6); then(ed); };
    };
    Check({
        {"overwrite a first half", "\x82\xa0z", over(0, "x"), "[x z]E", 0, 1},
        {"overwrite", "abc", over(1, "X"), "[aXc]E", 0, 2},
        {"overwrite past the end", "ab", over(1, "XYZ"), "[aXYZ]E", 0, 4},
        {"overwrite with a double-byte", "a\x82\xa0", over(0, "\x82\xa2"), "[\x82\xa2 ]E", 0, 2},
        {"type over a selection", "abcd\r\nef", [](TEditor& ed) { Select(ed, 0, 1, 1, 0); Type(ed, 'X'); }, "[aXef]E", 0, 2},
        {"empty editor", "", [](TEditor& ed) { ed.SetCol(2); ed.InsertText("x"); }, "[  x]E", 0, 3},
        {"text with breaks", "abc\r\nxyz", [](TEditor& ed) { ed.SetCol(1); ed.SetSelText("1\n2"); }, "[a1]L[2bc]L[xyz]E", 1, 1},
        {"text past the end", "xyz", [](TEditor& ed) { ed.SetCol(5); ed.SetSelText("!"); }, "[xyz  !]E", 0, 6},
        {"text over a selection", "abc\r\nxyz", [](TEditor& ed) { Select(ed, 0, 1, 1, 1); ed.SetSelText("-"); }, "[a-yz]E", 0, 2},
        // A box whose left column is right of its top row's end: that row is padded.
        {"type over a box", "ab\r\nabcdefgh", box([](TEditor& ed) { ed.InsertText("X"); }), "[ab  X]L[abcdgh]E", 0, 5},
        {"text over a box", "ab\r\nabcdefgh", box([](TEditor& ed) { ed.SetSelText("X"); }), "[ab  X]L[abcdgh]E", 0, 5},
    }, TEditorCaret());
}

TEST(Editing, BoxPaste) {
    auto paste = [](int row, int col, std::string s) {
        return [=](TEditor& ed) { ed.SetRowCol(row, col); ed.BoxPaste(s); };
    };
    Check({
        {"below the last row", "first\r\nlast", paste(1, 10, "A\r\nB\r\nC"), "[first]L[last      A]L[          B]L[          C]L", 3, 11},
        {"never inside a character", "ab\r\n\x82\xa0z", paste(0, 1, "X\r\nY\r\n"), "[aXb]L[\x82\xa0Yz]L", 1, 3},
        // The rows of a normal selection are gone: later lines go into the rows after it.
        {"over a normal selection", "abc\r\ndef\r\nghi", [](TEditor& ed) { Select(ed, 0, 1, 1, 1); ed.BoxPaste("X\r\nY"); },
         "[aXef]L[gYhi]L", 1, 2},
        {"over a box", "abcd\r\nefgh\r\nij", [](TEditor& ed) {
             ed.SetSelectionMode(smBox);
             Select(ed, 0, 1, 1, 3);
             ed.BoxPaste("X\r\nY\r\nZ");
         }, "[aXd]L[eYh]L[iZj]L", 2, 2},
    }, TEditorCaret());
}

TEST(Editing, InputMethodResultSwallowsItsCharacterMessages) {
    TEditor ed;
    Load(ed, "");
    ed.CompositionResult("\xE0\x40");
    Type(ed, 0xE0);
    Type(ed, 0x40);
    EXPECT_EQ(ed.PendingImeBytes(), 0);
    bool consumed = false;
    ed.CompositionResult("\x82\xa0");
    ed.CharMessage(0x82, {}, 0xA0, &consumed);  // a lead byte takes its trail byte along
    EXPECT_TRUE(consumed);
    Type(ed, 'a');
    ed.CharMessage(0x82, {}, 0xA2, &consumed);
    ed.CharMessage(0x82, {}, 0x20, &consumed);  // no trail byte: ignored
    EXPECT_FALSE(consumed);
    Type(ed, 0x7F);
    EXPECT_EQ(Rows(ed), "[\xE0\x40\x82\xa0" "a\x82\xa2]E");
}

TEST(Editing, Clipboard) {
    TEditor ed;
    FakeClipboard clip;
    ed.SetClipboard(&clip);
    Load(ed, "abcd\r\nefgh\r\nij");
    clip.text = "old";
    ed.Cut();  // nothing selected: the clipboard is emptied
    EXPECT_EQ(clip.text, std::optional<std::string>(""));
    ed.SetSelectionMode(smBox);
    Select(ed, 0, 1, 1, 3);
    ed.Copy();
    EXPECT_EQ(clip.text, std::optional<std::string>("bc\r\nfg\r\n"));
    EXPECT_TRUE(clip.box);
    ed.SetSelectionMode(smNormal);
    ed.SetSel(-1, 0);
    ed.SetRowCol(2, 2);
    ed.Paste();  // a box stays a box
    EXPECT_EQ(Rows(ed), "[abcd]L[efgh]L[ijbc]L[  fg]L");
    EXPECT_TRUE(CaretAt(ed, 3, 4));
    Select(ed, 0, 1, 0, 3);
    ed.Cut();
    EXPECT_EQ(clip.text, std::optional<std::string>("bc"));
    EXPECT_FALSE(clip.box);
    EXPECT_EQ(ed.RowText(0), "ad");
}

TEST(Editing, IndentSelectionIsOneChange) {
    TEditor ed;
    ed.SetTabWidth(4);
    Load(ed, "\tx\r\n  y\r\nz");
    int changes = 0;
    CountChanges(ed, &changes);
    Select(ed, 0, 0, 2, 0);  // ends at the start of row 2: that row is left alone
    ed.IndentSelection();
    EXPECT_EQ(Rows(ed), "[     x]L[   y]L[z]E");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(ed.SelectedText(), "     x\r\n   y\r\n");
    ed.UnindentSelection();
    ed.UnindentSelection();
    EXPECT_EQ(Rows(ed), "[   x]L[ y]L[z]E");
    EXPECT_EQ(changes, 3);
    Select(ed, 0, 3, 1, 1);  // a selection inside rows moves with their text
    ed.IndentSelection();
    EXPECT_EQ(ed.SelectedText(), "x\r\n  ");

    TEditor box;
    Load(box, "ab  cd\r\nef  gh\r\nij");
    box.SetSelectionMode(smBox);
    Select(box, 0, 2, 1, 4);
    box.IndentSelection();
    EXPECT_EQ(Rows(box), "[ab   cd]L[ef   gh]L[ij]E");
    box.UnindentSelection();
    box.UnindentSelection();
    EXPECT_EQ(Rows(box), "[ab cd]L[ef gh]L[ij]E");
}

TEST(Editing, DeleteRowAndReadOnly) {
    TEditor ed;
    Load(ed, "a\r\nb\r\nc");
    ed.SetRowCol(2, 1);
    ed.DeleteRow(1);
    EXPECT_EQ(Rows(ed), "[a]L[c]E");
    EXPECT_TRUE(CaretAt(ed, 1, 0));

    FakeClipboard clip;
    clip.text = "paste";
    ed.SetClipboard(&clip);
    ed.SetReadOnly(true);
    int changes = 0;
    CountChanges(ed, &changes);
    const std::function<void()> edits[] = {
        [&] { ed.InsertText("x"); }, [&] { ed.SetSelText("x"); }, [&] { ed.BoxPaste("x"); },
        [&] { ed.Enter(false); },    [&] { ed.Backspace(); },     [&] { ed.DeleteKey(); },
        [&] { Type(ed, 'x'); },      [&] { ed.Paste(); },         [&] { ed.DeleteRow(0); },
        [&] { ed.Tab(); },           [&] { ed.CompositionResult("x"); }, [&] { ed.SetText("new"); },
        [&] { Select(ed, 0, 0, 1, 1); ed.IndentSelection(); ed.UnindentSelection(); ed.Cut(); ed.DeleteSelection(); },
    };
    for (const auto& edit : edits) {
        ed.SetRowCol(1, 1);
        edit();
    }
    EXPECT_EQ(Rows(ed), "[a]L[c]E");
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(clip.text, std::optional<std::string>(""));  // a read-only cut empties the clipboard
    ed.KeyDown(vkUp, {}, false);  // caret keys still work
    EXPECT_EQ(ed.Row(), 0);
}

TEST(Editing, CaretKeys) {
    struct Key { const char* name; bool nextLine; int row, col, key; TKeyState keys; int toRow, toCol; } cases[] = {
        {"right wraps", true, 0, 3, vkRight, {}, 1, 0},
        {"right goes on", false, 0, 3, vkRight, {}, 0, 4},  // a free caret's column can always grow
        {"left wraps", true, 1, 0, vkLeft, {}, 0, 3},
        {"left stops", false, 1, 0, vkLeft, {}, 1, 0},
        {"end", false, 1, 0, vkEnd, {}, 1, 5},
        {"ctrl end", false, 0, 1, vkEnd, {.ctrl = true}, 2, 2},
        {"ctrl home", false, 2, 1, vkHome, {.ctrl = true}, 0, 0},
        {"down on the last row", false, 2, 1, vkDown, {}, 2, 1},
        {"up on row 0", false, 0, 2, vkUp, {}, 0, 2},
    };
    for (const Key& c : cases) {
        TEditor ed;
        TEditorCaret caret;
        caret.nextLine = c.nextLine;
        caret.freeCaret = !c.nextLine;
        ed.SetCaret(caret);
        Load(ed, "abc\r\ndefgh\r\nij");
        ed.SetRowCol(c.row, c.col);
        ed.KeyDown(c.key, c.keys, false);
        EXPECT_TRUE(CaretAt(ed, c.toRow, c.toCol)) << c.name;
    }
    TEditor ed;
    Load(ed, "abc\r\ndefgh\r\nij");
    ed.SetRowCol(0, 1);
    ed.KeyDown(vkDown, {.shift = true}, false);
    ed.KeyDown(vkRight, {.shift = true}, false);
    EXPECT_EQ(ed.SelectedText(), "bc\r\nde");
    ed.KeyDown(vkLeft, {}, false);  // an unshifted key ends the selection
    EXPECT_FALSE(ed.Marked());
    EXPECT_TRUE(CaretAt(ed, 1, 1));

}

TEST(Editing, WordMovement) {
    TEditor ed;
    Load(ed, "int count = 0;\r\nab");
    for (int col : {4, 12, 14}) {
        ed.KeyDown(vkRight, {.ctrl = true}, false);
        EXPECT_EQ(ed.Col(), col);
    }
    ed.KeyDown(vkRight, {.ctrl = true}, false);  // on to the next row's first word
    EXPECT_TRUE(CaretAt(ed, 1, 0));
    ed.KeyDown(vkLeft, {.ctrl = true}, false);  // stops at the end of a row with a line break
    EXPECT_TRUE(CaretAt(ed, 0, 14));
    for (int col : {12, 4, 0}) {
        ed.KeyDown(vkLeft, {.ctrl = true}, false);
        EXPECT_EQ(ed.Col(), col);
    }
    ed.KeyDown(vkRight, {.shift = true, .ctrl = true}, false);
    EXPECT_EQ(ed.SelectedText(), "int ");
}
