// The define and execkey references: list files, sorting, the results and
// their insertion into the active document, through the main form.
#include <gtest/gtest.h>

#include <functional>

#include "FakeUi.h"
#include "MainFormFixture.h"
#include "TestFiles.h"
#include "app/MainForm.h"

using app::ActionId;
using app::TMainForm;
using app::TMDIChild;
using reference::TDefineViewForm;
using reference::TExecKeyForm;

namespace {

// Stands in for the modal windows: `pick` acts on the form as a user would.
struct RefView : NullMainView {
    std::function<void(TDefineViewForm&)> pickDefine = [](TDefineViewForm&) {};
    std::function<void(TExecKeyForm&)> pickKey = [](TExecKeyForm&) {};
    int shown = 0;
    void RunDefineView(TDefineViewForm& f) override { ++shown, pickDefine(f); }
    void RunExecKey(TExecKeyForm& f) override { ++shown, pickKey(f); }
};

class ReferenceTest : public MainFormFixture {
protected:
    RefView view;

    void Start(std::vector<std::string> args = {}) {
        MainFormFixture::Start(std::move(args));
        form->SetView(&view);
    }
    TMDIChild* Doc() const { return form->ActiveDocument(); }
    std::vector<std::string> Column(int c) const {
        std::vector<std::string> v;
        for (const auto& r : form->DefineViewForm().Rows()) v.push_back(c == 0 ? r.name : r.value);
        return v;
    }
};

const char* const kDefines =
    "[window style]\r\nCNT=2\r\nN1=WS_A\r\nV1=0x0001\r\nD1=first style\r\nN2=WS_B\r\nV2= 2\r\nD2=second style\r\n"
    "[values]\r\nCNT=7\r\nN1=nine\r\nV1=9\r\nN2=hex\r\nV2= 0x10 \r\nN3=blank\r\nV3=   \r\nN4=dollar\r\nV4=$A\r\n"
    "N5=neg\r\nV5=-3\r\nN6=Expr\r\nV6=1+1\r\nN7=upper\r\nV7=0XF\r\n"
    "[no count]\r\nN1=X\r\n[zero]\r\nCNT=0\r\n[negative]\r\nCNT=-2\r\nN1=X\r\n"
    "[gaps]\r\nCNT=2\r\nN2=second\r\n"
    "[huge]\r\nCNT=2147483647\r\nN2000000000=x\r\nN3=third\r\n";

}  // namespace

// The list file follows the target and is found ignoring case; kinds come in
// file order and nothing is listed until one is picked.
TEST_F(ReferenceTest, DefineFileFollowsTargetAndIgnoresCase) {
    dir.Write("define.TXT", "[korvane]\r\nCNT=0\r\n");
    dir.Write("DEFINETW.txt", "[tessal b]\r\n[tessal a]\r\n");
    Start();
    struct Case { int target; std::vector<std::string> kinds; } cases[] = {
        {0, {"korvane"}}, {1, {"tessal b", "tessal a"}}};
    for (const Case& c : cases) {
        form->Settings().targetHost = c.target;
        std::vector<std::string> kinds;
        view.pickDefine = [&](TDefineViewForm& f) { kinds = f.Kinds(); EXPECT_TRUE(f.Rows().empty()); };
        form->Execute(ActionId::DefineRef);
        EXPECT_EQ(kinds, c.kinds) << c.target;
    }
    // A missing file: the window never stays open.
    std::filesystem::remove(dir.File("DEFINETW.txt"));
    int before = view.shown;
    form->Execute(ActionId::DefineRef);
    EXPECT_EQ(view.shown, before);
}

// Rows from CNT and N/V/D: blanks trimmed from values, "???" for none, empty
// lists for a missing or non-positive count, missing keys empty.
TEST_F(ReferenceTest, DefineRowsOfAKind) {
    dir.Write("Define.Txt", kDefines);
    Start();
    TDefineViewForm& f = form->DefineViewForm();
    ASSERT_TRUE(f.FormShow(dir.path(), 0));
    struct Case { int kind; std::vector<std::string> names, values; } cases[] = {
        {0, {"WS_A", "WS_B"}, {"0x0001", "2"}},
        {1, {"nine", "hex", "blank", "dollar", "neg", "Expr", "upper"}, {"9", "0x10", "???", "$A", "-3", "1+1", "0XF"}},
        {2, {}, {}}, {3, {}, {}}, {4, {}, {}},
        {5, {"", "second"}, {"???", "???"}}};
    for (const Case& c : cases) {
        ASSERT_TRUE(f.KindChange(c.kind));
        EXPECT_EQ(Column(0), c.names) << c.kind;
        EXPECT_EQ(Column(1), c.values) << c.kind;
    }
    EXPECT_EQ(f.Rows()[0].description, "");
    // A count far past any sane list, with a key to match: the list stays
    // bounded, the keys within it listed.
    ASSERT_TRUE(f.KindChange(6));
    ASSERT_EQ(f.Rows().size(), 100000u);
    EXPECT_EQ(f.Rows()[2].name, "third");
    // The file gone meanwhile closes the window.
    std::filesystem::remove(dir.File("Define.Txt"));
    EXPECT_FALSE(f.KindChange(0));
}

// Value sort by integer (hex after 0x, 0X, $; signs) with non-integers after
// the numbers; the name sort ignores case. Each column's direction starts
// descending and carries over to the next use of the window; the selection
// follows its row.
TEST_F(ReferenceTest, DefineSortingDirectionsLastTheProgramsLife) {
    dir.Write("Define.Txt", kDefines);
    Start();
    TDefineViewForm& f = form->DefineViewForm();
    ASSERT_TRUE(f.FormShow(dir.path(), 0));
    ASSERT_TRUE(f.KindChange(1));
    int selected = 1;  // hex
    f.ColumnClick(1, &selected);
    EXPECT_EQ(Column(1), (std::vector<std::string>{"???", "1+1", "0x10", "0XF", "$A", "9", "-3"}));
    EXPECT_EQ(f.Rows()[static_cast<size_t>(selected)].name, "hex");
    f.ColumnClick(1, &selected);
    EXPECT_EQ(Column(1), (std::vector<std::string>{"-3", "9", "$A", "0XF", "0x10", "1+1", "???"}));
    f.ColumnClick(0);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"upper", "nine", "neg", "hex", "Expr", "dollar", "blank"}));
    f.ColumnClick(2);  // the description does not sort
    EXPECT_EQ(Column(0).front(), "upper");
    // Next use: the name column continues ascending, the value descending.
    ASSERT_TRUE(f.FormShow(dir.path(), 0));
    ASSERT_TRUE(f.KindChange(1));
    f.ColumnClick(0);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"blank", "dollar", "Expr", "hex", "neg", "nine", "upper"}));
    f.ColumnClick(1);
    EXPECT_EQ(Column(1).front(), "???");
}

// How the window closes decides the result; only a document window gets it,
// at the caret as one edit with the caret before the name.
TEST_F(ReferenceTest, DefineChoiceIsInsertedAtTheCaret) {
    dir.Write("Define.Txt", kDefines);
    std::string path = dir.Write("a.r", "abcdefgh\r\nxy\r\n");
    Start({path});
    editor::TEditor& ed = Doc()->Editor1();
    struct Case { std::function<void(TDefineViewForm&)> pick; int row, col; std::string line; int caretCol; } cases[] = {
        {[](TDefineViewForm& f) { f.KindChange(0), f.RowDoubleClick(0); }, 0, 4, "abcdWS_Aefgh", 4},
        {[](TDefineViewForm& f) { f.KindChange(0), f.OkClick(1); }, 0, 0, "WS_Babcdefgh", 0},
        {[](TDefineViewForm& f) { f.KindChange(0), f.OkClick(1); }, 1, 9, "xyWS_B", 2},  // past the end
        {[](TDefineViewForm& f) { f.KindChange(0), f.OkClick(-1); }, 0, 4, "abcdefgh", 4},
        {[](TDefineViewForm& f) { f.KindChange(0), f.RowDoubleClick(0), f.CloseClick(); }, 0, 4, "abcdefgh", 4},
    };
    for (const Case& c : cases) {
        view.pickDefine = c.pick;
        ed.SetRowCol(c.row, c.col);
        bool undoBefore = ed.CanUndo();
        const std::string before = ed.Lines().Get(c.row);
        form->Execute(ActionId::DefineRef);
        EXPECT_EQ(ed.Lines().Get(c.row), c.line);
        EXPECT_EQ(std::pair(ed.Row(), ed.Col()), std::pair(c.row, c.caretCol)) << c.line;
        if (c.line == before) continue;
        ed.Undo();  // a single step takes it back
        EXPECT_EQ(ed.Lines().Get(c.row), before);
        EXPECT_EQ(ed.CanUndo(), undoBefore);
    }
    // Ctrl+C copies the name and changes no result.
    TDefineViewForm& f = form->DefineViewForm();
    ASSERT_TRUE(f.FormShow(dir.path(), 0) && f.KindChange(0));
    f.CopyName(1);
    EXPECT_EQ(ui.clipboard, "WS_B");
    EXPECT_EQ(f.Result(), "");
}

// Skipped lines, the TAB split and a line without a TAB.
TEST(KeyDefinitions, LinesAndTabs) {
    std::string heading = platform::EncodeSjis("キー定義一覧").bytes;
    std::string text = heading + "\r\n========\r\n========more\r\n\r\n=======\tseven\r\nMENU\tmenu key\r\n"
                                 "UP\t\t\tup\tarrow\nLONE\r\nEMPTY\t\r\nX\tlast";
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    Pairs got;
    for (const auto& e : reference::ParseKeyDefinitions(text)) got.emplace_back(e.key, e.description);
    EXPECT_EQ(got, (Pairs{{"=======", "seven"}, {"MENU", "menu key"}, {"UP", "up\tarrow"}, {"LONE", ""}, {"EMPTY", ""},
                          {"X", "last"}}));
}

// The command: the Tessal message, silence without a file, the CHECK
// setting in and out, the two result forms, and the new line at the caret.
TEST_F(ReferenceTest, ExecKeyCommandAndResults) {
    std::string keys = dir.Write("KeyDef.Txt", "MENU\tmenu key\r\nback\tBack\r\nEND\t\r\n");
    std::string path = dir.Write("a.r", "one\r\ntwo\r\n");
    Start({path});
    editor::TEditor& ed = Doc()->Editor1();

    form->Settings().targetHost = 1;
    form->Execute(ActionId::ExecKeyRef);
    EXPECT_EQ(ui.messages.back(), "tessal エージェントではexeckey()で実行可能なコマンドは不明です");
    form->Settings().targetHost = 0;
    form->Settings().keyDefFile = dir.File("none.txt");
    size_t messages = ui.messages.size();
    form->Execute(ActionId::ExecKeyRef);
    EXPECT_EQ(view.shown, 0);
    EXPECT_EQ(ui.messages.size(), messages);
    form->Settings().keyDefFile = keys;

    // line: inserted before "two"; empty for none.
    struct Case { bool check; std::function<void(TExecKeyForm&)> pick; std::string line; } cases[] = {
        {true, [](TExecKeyForm& f) { EXPECT_TRUE(f.RowDoubleClick(0)); }, "execkey(\"MENU\");  //menu key"},
        {true, [](TExecKeyForm& f) { EXPECT_TRUE(f.EnterKey(0)); }, "execkey(MENU);  //menu key"},
        {true, [](TExecKeyForm& f) { EXPECT_TRUE(f.EnterKey(2)); }, "execkey(END);  //"},
        {false, [](TExecKeyForm& f) { f.commentChecked = true; EXPECT_TRUE(f.EnterKey(1)); }, "execkey(back);  //Back"},
        {false, [](TExecKeyForm& f) { EXPECT_TRUE(f.RowDoubleClick(1)); }, "execkey(\"back\");"},
        {false, [](TExecKeyForm& f) { EXPECT_FALSE(f.EnterKey(-1)); EXPECT_FALSE(f.RowDoubleClick(-1)); }, ""},
        {false, [](TExecKeyForm& f) { f.RowDoubleClick(0), f.EscapeKey(); }, ""},
    };
    for (const Case& c : cases) {
        ed.Lines().SetTextStr("one\r\ntwo\r\n");
        ed.SetRowCol(1, 2);
        form->Settings().execKeyComment = c.check;
        bool shownWith = !c.check, closedWith = !c.check;
        view.pickKey = [&](TExecKeyForm& f) { shownWith = f.commentChecked, c.pick(f), closedWith = f.commentChecked; };
        form->Execute(ActionId::ExecKeyRef);
        EXPECT_EQ(shownWith, c.check);
        EXPECT_EQ(form->Settings().execKeyComment, closedWith);
        std::string expected = c.line.empty() ? "one\r\ntwo\r\n" : "one\r\n" + c.line + "\r\ntwo\r\n";
        EXPECT_EQ(ed.Lines().GetTextStr(), expected);
    }
}

// Both flags are set on every show: the first click sorts ascending, the
// second descending, case ignored; the selection follows its row.
TEST_F(ReferenceTest, ExecKeySortRestartsAscending) {
    std::string keys = dir.Write("KeyDef.Txt", "b\tZ\r\nC\ty\r\na\tX\r\n");
    Start();
    TExecKeyForm& f = form->ExecKeyForm();
    auto keysOf = [&] {
        std::string s;
        for (const auto& e : f.Rows()) s += e.key;
        return s;
    };
    for (int use = 0; use < 2; ++use) {
        ASSERT_TRUE(f.FormShow(keys));
        EXPECT_EQ(keysOf(), "bCa");
        int selected = 0;
        f.ColumnClick(0, &selected);
        EXPECT_EQ(keysOf(), "abC");
        EXPECT_EQ(selected, 1);
        f.ColumnClick(0, &selected);
        EXPECT_EQ(keysOf(), "Cba");
        f.ColumnClick(1);
        EXPECT_EQ(keysOf(), "aCb");
    }
}
