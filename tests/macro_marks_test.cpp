// Keyboard macros, row marks and the editor's popup menu.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "EditorCommandUtil.h"
#include "EditorTestUtil.h"
#include "MainFormFixture.h"
#include "app/Childwin.h"
#include "editor/Editor.h"
#include "editor/MessageList.h"

using editor::TKeyState;
using editor::TMessageList;
using Log = std::vector<std::string>;

namespace {

TKeyState Mods(bool shift, bool ctrl, bool alt = false) {
    TKeyState k;
    k.shift = shift, k.ctrl = ctrl, k.alt = alt;
    return k;
}

// A window that logs what reaches it and consumes the notifications it is told to.
struct FakeTarget : editor::TMacroTarget {
    std::vector<std::string> log;
    std::vector<uint16_t> consumes;  // notified keys taken as shortcuts
    std::function<void()> onSend;
    intptr_t SendMacroMessage(uint32_t m, uint16_t w, uint32_t, const TKeyState& k) override {
        log.push_back(std::to_string(m) + ":" + std::to_string(w) + (k.shift ? "S" : "") + (k.ctrl ? "C" : "") +
                      (k.alt ? "A" : ""));
        if (onSend) onSend();
        return m == editor::mmKeyDownNotify && std::find(consumes.begin(), consumes.end(), w) != consumes.end();
    }
    // What the window's procedure shows the recorder, as typing does.
    void Type(uint32_t m, uint32_t w, TKeyState k = {}) { Observe(m, w, 0, k); }
};

std::string Entry(uint32_t m, int w, const char* mods = "") { return std::to_string(m) + ":" + std::to_string(w) + mods; }

// The recorder's list in the form of Entry; a key state other than 0x80 shows as "?".
std::vector<std::string> Recorded(const TMessageList& list) {
    std::vector<std::string> out;
    auto state = [](uint8_t s, const char* down) { return s == 0 ? "" : s == 0x80 ? down : "?"; };
    for (const editor::TMessageRecord& r : list.Records())
        out.push_back(Entry(r.message, r.wParam) + state(r.shiftState, "S") + state(r.controlState, "C"));
    return out;
}

}  // namespace

TEST(KeyboardMacro, RecordsThreeKindsWithModifiersAndSkipsTheRepeatOfInputMethodChars) {
    FakeTarget t;
    TMessageList list(&t);
    list.StartRecord();
    ASSERT_EQ(list.State(), TMessageList::msRecording);
    t.Type(editor::mmKeyDownNotify, 'A', Mods(true, false));
    t.Type(editor::mmCharNotify, 'A', Mods(true, false));
    t.Type(editor::mmImeChar, 0x82A0);
    t.Type(editor::mmCharNotify, 0x82);  // the repeat of the input-method character
    t.Type(editor::mmCharNotify, 'b');
    t.Type(editor::mmKeyDown, 'X');      // plain messages are not recorded
    t.Type(editor::mmKeyDownNotify, 'Z', Mods(false, true));
    // Nothing with Alt: a record keeps no Alt, so Ctrl+Alt+Z would play as Ctrl+Z.
    t.Type(editor::mmKeyDownNotify, 'Z', Mods(false, true, true));
    t.Type(editor::mmKeyDownNotify, 'I', Mods(true, true, true));
    t.Type(editor::mmCharNotify, 8, Mods(false, false, true));
    list.StopRecord();
    t.Type(editor::mmCharNotify, 'c');  // after the recording
    EXPECT_EQ(Recorded(list), (Log{Entry(editor::mmKeyDownNotify, 'A', "S"), Entry(editor::mmCharNotify, 'A', "S"),
                                   Entry(editor::mmImeChar, 0x82A0), Entry(editor::mmCharNotify, 'b'),
                                   Entry(editor::mmKeyDownNotify, 'Z', "C")}));
}

TEST(KeyboardMacro, PlaysNotificationsThenPlainMessagesUnlessConsumed) {
    FakeTarget t;
    TMessageList list(&t);
    int pumped = 0;
    list.ProcessMessages = [&] { ++pumped; };
    list.StartRecord();
    t.Type(editor::mmKeyDownNotify, 'V', Mods(false, true));  // a shortcut: consumed
    t.Type(editor::mmKeyDownNotify, 'Q', Mods(true, true));
    t.Type(editor::mmCharNotify, 'q');
    t.Type(editor::mmImeChar, 0x88A0);
    list.StopRecord();
    t.consumes = {'V'};
    list.Play();
    EXPECT_EQ(t.log, (Log{Entry(editor::mmKeyDownNotify, 'V', "C"),
                                               Entry(editor::mmKeyDownNotify, 'Q', "SC"),
                                               Entry(editor::mmKeyDown, 'Q', "SC"), Entry(editor::mmCharNotify, 'q'),
                                               Entry(editor::mmChar, 'q'), Entry(editor::mmImeChar, 0x88A0)}));
    EXPECT_EQ(pumped, 4);
    EXPECT_EQ(list.State(), TMessageList::msStopped);
    // The macro stays and plays again.
    t.log.clear();
    list.Play();
    EXPECT_EQ(t.log.size(), 6u);
}

TEST(KeyboardMacro, StateRulesInterruptionAndATargetThatGoesAway) {
    FakeTarget t, other;
    TMessageList list;
    list.StartRecord();  // no target
    EXPECT_EQ(list.State(), TMessageList::msIdle);
    list.SetTarget(&t);
    list.Play();  // idle: nothing
    EXPECT_TRUE(t.log.empty());

    // Moving the target while recording keeps what was recorded.
    list.StartRecord();
    t.Type(editor::mmCharNotify, 'a');
    list.SetTarget(&other);
    t.Type(editor::mmCharNotify, 'x');  // no longer observed
    other.Type(editor::mmCharNotify, 'b');
    list.Play();  // recording: nothing
    EXPECT_TRUE(other.log.empty());
    list.StopRecord();
    EXPECT_EQ(Recorded(list), (Log{Entry(editor::mmCharNotify, 'a'), Entry(editor::mmCharNotify, 'b')}));

    // A stop while playing ends after the current message and says so.
    int interrupted = 0;
    list.OnInterrupted = [&] { ++interrupted; };
    bool stopped = false;
    other.onSend = [&] {
        if (std::exchange(stopped, true)) return;
        list.StartRecord();  // ignored while playing
        list.StopPlay();
    };
    list.Play();
    EXPECT_EQ(interrupted, 1);
    EXPECT_EQ(other.log.size(), 2u);  // the first record's notification and its plain message
    EXPECT_EQ(list.State(), TMessageList::msStopped);
    EXPECT_EQ(list.Records().size(), 2u);

    // No target cancels a recording.
    other.onSend = nullptr;
    list.StartRecord();
    other.Type(editor::mmCharNotify, 'z');
    list.SetTarget(nullptr);
    EXPECT_EQ(list.State(), TMessageList::msIdle);
    EXPECT_TRUE(list.Records().empty());

    // A target that goes away stops playback and leaves the recorder.
    auto gone = std::make_unique<FakeTarget>();
    list.SetTarget(gone.get());
    list.StartRecord();
    gone->Type(editor::mmCharNotify, 'a');
    gone->Type(editor::mmCharNotify, 'b');
    list.StopRecord();
    gone->onSend = [&] { gone.reset(); };  // the first key closes the window
    list.Play();
    EXPECT_EQ(list.Target(), nullptr);
    EXPECT_EQ(interrupted, 2);
    EXPECT_EQ(list.State(), TMessageList::msStopped);
}

TEST_F(MainFormFixture, AltMAndAltLDriveTheRecorderWithPanelTexts) {
    std::string path = dir.Write("a.r", "x\r\n");
    Start({path});
    app::TMDIChild* doc = Doc();
    FakeTarget t;
    doc->Editor1().SetMacroTarget(&t);
    doc->SetEditorFocused(true);
    TMessageList& macro = form->MessageList();
    EXPECT_EQ(macro.Target(), &t);
    EXPECT_TRUE(app::TMDIChild::TakesKey('M', Mods(false, false, true)));
    EXPECT_TRUE(doc->Editor1KeyDown('M', Mods(false, false, true)));
    EXPECT_EQ(doc->Panel(4), "ｷｰﾎﾞｰﾄﾞﾏｸﾛ記録開始");
    t.Type(editor::mmCharNotify, 'k');
    doc->Editor1KeyDown('M', Mods(false, false, true));
    EXPECT_EQ(doc->Panel(4), "ｷｰﾎﾞｰﾄﾞﾏｸﾛ記録終了");
    EXPECT_EQ(macro.State(), TMessageList::msStopped);
    doc->Editor1KeyDown('L', Mods(false, false, true));
    EXPECT_EQ(doc->Panel(4), "ｷｰﾎﾞｰﾄﾞﾏｸﾛを実行しました");
    EXPECT_EQ(t.log, (Log{Entry(editor::mmCharNotify, 'k'), Entry(editor::mmChar, 'k')}));
    // Interrupted playback tells the user.
    t.onSend = [&] { macro.StopPlay(); };
    doc->Editor1KeyDown('L', Mods(false, false, true));
    EXPECT_EQ(ui.messages.back(), "ｷｰﾎﾞｰﾄﾞﾏｸﾛ の実行が中断されました。");
    doc->Editor1().SetMacroTarget(nullptr);
}

// ---- Row marks ------------------------------------------------------------

TEST(RowMarks, FollowEditsOfTheRowsAroundThem) {
    struct Case {
        const char* what;
        std::function<void(editor::TEditor&)> edit;
        int row;  // where mark 5, set on row 2 ("c"), stands afterwards
    };
    const std::vector<Case> cases = {
        {"line inserted above", [](editor::TEditor& ed) { ed.SetRowCol(0, 0), ed.InsertText("new\r\n"); }, 3},
        {"line deleted above", [](editor::TEditor& ed) { ed.DeleteRow(1); }, 1},
        {"line break at the start of the marked line",
         [](editor::TEditor& ed) { ed.SetRowCol(2, 0), ed.InsertText("\r\n"); }, 3},
        {"typing in the marked line", [](editor::TEditor& ed) { ed.SetRowCol(2, 1), ed.InsertText("zz"); }, 2},
        {"line deleted below", [](editor::TEditor& ed) { ed.DeleteRow(3); }, 2},
    };
    for (const Case& c : cases) {
        editor::TEditor ed;
        ed.SetText("a\r\nb\r\nc\r\nd\r\n");
        ed.PutRowMark(2, 5);
        c.edit(ed);
        EXPECT_EQ(ed.FindRowMark(5), c.row) << c.what << " " << Rows(ed);
        EXPECT_EQ(ed.RowMarks(c.row), 1u << 5) << c.what;
    }
}

// Numbered marks move, unnumbered ones (10..15) stand on many rows; a jump
// scrolls only for a row out of sight.
TEST(RowMarks, NumberedMarksMoveUnnumberedOnesStackToggleAndJump) {
    editor::TEditor ed;
    std::string text;
    for (int i = 0; i < 200; ++i) text += "row\r\n";
    ed.SetText(text);
    ed.SetVisibleRows(20);
    ed.PutRowMark(4, 3), ed.PutRowMark(10, 3);
    EXPECT_EQ(ed.RowMarks(4), 0u);
    EXPECT_EQ(ed.RowMarks(10), 1u << 3);
    ed.PutRowMark(1, 12), ed.PutRowMark(2, 12);
    EXPECT_EQ(ed.RowMarks(1) & ed.RowMarks(2), 1u << 12);
    ed.ToggleRowMark(10, 3);
    EXPECT_EQ(ed.FindRowMark(3), -1);
    EXPECT_EQ(ed.MarksInUse(), 1u << 12);
    ed.PutRowMark(999, 4);  // no such row: nothing
    ed.DeleteRowMark(-1, 12);
    EXPECT_EQ(ed.MarksInUse(), 1u << 12);
    EXPECT_EQ(ed.RowMarks(999), 0u);

    ed.PutRowMark(15, 1), ed.PutRowMark(150, 2);
    ed.GotoRowMark(1);
    EXPECT_EQ(std::pair(ed.TopRow(), ed.Row()), std::pair(0, 15));
    ed.GotoRowMark(2);
    EXPECT_EQ(std::pair(ed.TopRow(), ed.Row()), std::pair(140, 150));
    ed.GotoRowMark(7);  // on no row
    EXPECT_EQ(ed.Row(), 150);
}

// ---- The editor's popup menu -----------------------------------------------

TEST(EditorPopupMenu, EnablementShortcutsAndMarkChecks) {
    editor::TEditor ed;
    FakeClipboard clip;
    clip.text = "p";
    ed.SetClipboard(&clip);
    ed.SetText("abc\r\ndef\r\n");
    ed.SelectAll(), ed.InsertText("x"), ed.SelectAll();  // something to undo, all selected
    editor::TEditorPopupMenu& menu = ed.PopupMenu();
    auto enabled = [&](editor::TEditorPopupCommand c) {
        for (const editor::TEditorPopupItem& item : menu.Items())
            if (item.command == c) return item.enabled;
        ADD_FAILURE();
        return false;
    };
    using C = editor::TEditorPopupCommand;
    const std::vector<C> writing = {C::Undo, C::Cut, C::Paste, C::BoxPaste, C::Delete};
    menu.Update();
    for (C c : writing) EXPECT_TRUE(enabled(c)) << static_cast<int>(c);
    ed.SetReadOnly(true);
    ed.SelectAll();
    menu.Update();
    for (C c : writing) EXPECT_FALSE(enabled(c)) << static_cast<int>(c);
    EXPECT_TRUE(enabled(C::Copy) && enabled(C::SelectAll));
    // A disabled item's shortcut is consumed and does nothing.
    EXPECT_TRUE(ed.ShortcutKey('V', Mods(false, true)));
    EXPECT_EQ(ed.GetText(), "x");
    EXPECT_FALSE(ed.ShortcutKey('V', Mods(false, true, true)));  // with Alt: not a shortcut
    ed.SetReadOnly(false);

    // Shift+Ctrl+digit toggles the caret row's mark, Ctrl+digit jumps, the submenus check it.
    ed.SetText("a\r\nb\r\nc\r\n");
    ed.SetRowCol(2, 0);
    EXPECT_TRUE(ed.ShortcutKey('3', Mods(true, true)));
    EXPECT_EQ(ed.RowMarks(2), 1u << 3);
    menu.Update();
    EXPECT_TRUE(menu.Items()[0].items[3].checked);
    EXPECT_FALSE(menu.Items()[1].items[2].checked);
    ed.SetRowCol(0, 0);
    EXPECT_TRUE(ed.ShortcutKey('3', Mods(false, true)));
    EXPECT_EQ(ed.Row(), 2);
    ed.ShortcutKey('3', Mods(true, true));
    EXPECT_EQ(ed.MarksInUse(), 0u);
}

// ---- A build's messages as marks in the documents ----------------------------

TEST_F(MainFormFixture, BuildMessagesMarkTheirRowsFollowEditsAndGoWithTheMessageWindow) {
    std::string a = dir.Write("a.r", "l1\r\nl2\r\nl3\r\nl4\r\n");
    std::string b = dir.Write("b.r", "m1\r\n");
    Start({a, b});
    editor::TEditor& ed = Doc(0)->Editor1();
    compiler::TMsgForm* msg = form->ShowCompilerOutput(
        "a.r(2) : error: first\n" "a.r(4) : warning: second\n" "a.r(2) : warning: third\n" "a.r(99) : error: gone\n"
        "b.r(1) : warning: other file\n" "no target line\n");
    auto marks = [&](editor::TEditor& e) {
        std::string s;
        for (int r = 0; r < e.RowCount(); ++r)
            s += (e.RowMarks(r) >> editor::kErrorRowMark) & 1 ? 'E' : (e.RowMarks(r) >> editor::kWarningRowMark) & 1 ? 'W' : '.';
        return s;
    };
    EXPECT_EQ(marks(ed), ".E.W");  // the error wins on row 2; line 99 does not exist
    EXPECT_EQ(marks(Doc(1)->Editor1()), "W");
    EXPECT_EQ(Doc(0)->BuildMessagesAt(1), "a.r(2) : error: first\na.r(2) : warning: third");
    EXPECT_EQ(Doc(0)->BuildMessagesAt(0), "");
    // An edit above moves the marks and their messages.
    ed.SetRowCol(0, 0);
    ed.InsertText("new\r\n");
    EXPECT_EQ(marks(ed), "..E.W");
    EXPECT_EQ(Doc(0)->BuildMessagesAt(4), "a.r(4) : warning: second");
    // The next listing replaces them; closing its window clears them.
    compiler::TMsgForm* next = form->ShowCompilerOutput("a.r(1) : error: again\n");
    EXPECT_EQ(marks(ed), "E....");
    EXPECT_EQ(marks(Doc(1)->Editor1()), ".");
    form->CloseChild(*msg);  // an older listing: the marks stay
    EXPECT_EQ(marks(ed), "E....");
    form->CloseChild(*next);
    EXPECT_EQ(marks(ed), ".....");
    EXPECT_EQ(ed.MarksInUse(), 0u);
}

TEST_F(MainFormFixture, BuildMessagesOfJoinedMarkedRowsStayWithTheirRows) {
    // Deleting a marked line, or the lines between marked ones, joins their
    // marks on one row: that row shows all their messages, the others keep
    // their own (told apart by the kinds the marks show).
    const std::string m2 = "a.r(2) : error: first", m3 = "a.r(3) : warning: second",
                      m4 = "a.r(4) : warning: third", m6 = "a.r(6) : error: fourth";
    struct Case {
        const char* edit;
        std::function<void(editor::TEditor&)> apply;
        std::vector<std::pair<std::string, std::string>> tips;  // row text, its tooltip
    } cases[] = {
        {"Ctrl+Y on line 2", [](editor::TEditor& ed) { ed.DeleteRow(1); },
         {{"l3", m2 + "\n" + m3}, {"l4", m4}, {"l5", ""}, {"l6", m6}}},
        {"lines 2 and 3 selected and deleted",
         [](editor::TEditor& ed) {
             ed.SetSelStart(4);
             ed.SetSelLength(8);
             ed.DeleteSelection();
         },
         {{"l4", m2 + "\n" + m3 + "\n" + m4}, {"l6", m6}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.edit);
        Start({dir.Write("a.r", "l1\r\nl2\r\nl3\r\nl4\r\nl5\r\nl6\r\nl7\r\n")});
        editor::TEditor& ed = Doc(0)->Editor1();
        form->ShowCompilerOutput(m2 + "\n" + m3 + "\n" + m4 + "\n" + m6 + "\n");
        c.apply(ed);
        for (const auto& [text, tip] : c.tips) {
            int r = 0;
            while (r < ed.RowCount() && ed.Store().Get(r) != text) ++r;
            EXPECT_EQ(Doc(0)->BuildMessagesAt(r), tip) << text;
        }
    }
}
