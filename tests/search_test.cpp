// The Search menu: byte matching, find and replace on a document window,
// the matching bracket, the dialogs' commands and the jump to a line.
#include <gtest/gtest.h>

#include <random>

#include "FakeUi.h"
#include "MainFormFixture.h"
#include "TestFiles.h"
#include "app/MainForm.h"
#include "app/Search.h"
#include "platform/ShiftJis.h"

using app::ActionId;
using app::TMDIChild;
constexpr size_t npos = std::string_view::npos;
using Range = std::pair<int64_t, int64_t>;

namespace {

class SearchTest : public ::testing::Test {
protected:
    TempDir dir;
    FakeUi ui;
    std::unique_ptr<app::TMainForm> form;
    TMDIChild* doc = nullptr;

    // A document window holding `text` with [start, start + length) selected.
    editor::TEditor& Open(std::string_view text, int64_t start = 0, int64_t length = 0, bool wrap = false) {
        form = std::make_unique<app::TMainForm>(ui, dir.path(), std::vector<std::string>{});
        form->FormCreate();
        form->FileNew1Execute();
        doc = form->ActiveDocument();
        editor::TEditor& ed = doc->Editor1();
        ed.SetWordWrap(wrap);
        ed.Lines().SetText(text);
        ed.SetVisibleRows(9);
        ed.SetSelStart(start);
        ed.SetSelLength(length);
        return ed;
    }
    editor::TEditor& Ed() { return doc->Editor1(); }
    Range Sel() { return {Ed().SelStart(), Ed().SelLength()}; }
};

struct ViewAnswering : NullMainView {
    std::string number;
    bool ok = true;
    app::TNumJmp shown;
    bool RunNumJump(app::TNumJmp& d) override {
        shown = d;
        d.number = number;
        return ok;
    }
};

}  // namespace

// Matching is exact bytes, starts on a character, and stops at a NUL;
// upwards it finds the last occurrence, overlapping ones included.
TEST(SearchMatching, FirstAndLastOccurrence) {
    struct Case {
        std::string text, pattern;
        size_t first, last;
    } cases[] = {
        {"abab", "ab", 0, 2},
        {"aaaa", "aa", 0, 2},                          // overlapping
        {"\x88\x9f\x88\x9f", "\x9f\x88", npos, npos},  // second byte + first byte: never matched
        {"\x88\x9f" "a\x9f", "\x9f", 3, 3},            // the lone 0x9F, not the second byte
        {"\x83\x41" "A", "A", 2, 2},                   // "ア" ends with 0x41
        {"\x81\x81\x81", "\x81", 0, 2},                // a lead byte at the end stands alone
        {"ab\0ab", "ab", 0, 0},                        // a NUL ends the text
        {"x\0ab", "ab", npos, npos},
        {"abc", "", npos, npos},
        {"ab", "abc", npos, npos},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(app::FindFirstOccurrence(c.text, c.pattern), c.first);
        EXPECT_EQ(app::FindLastOccurrence(c.text, c.pattern), c.last);
    }
    std::string nul("ab\0ab", 5);
    EXPECT_EQ(app::FindFirstOccurrence(nul, "ab", 1), npos);
    EXPECT_EQ(app::FindLastOccurrence(nul, "ab"), 0u);
}

// The editor's text is searched a piece of whole lines at a time, wrapped or
// not: the results equal the matching on the joined text, also across the
// pieces' edges and for patterns holding a line break.
TEST(SearchMatching, EditorTextAgreesWithTheJoinedText) {
    std::mt19937 rng(7);
    const char* atoms[] = {"a", "b", "ab", "\x88\x9f", "\x82\xa0", "\x9f", " ", "\r\n", "\r\n"};
    std::string text;
    while (text.size() < 700000) text += atoms[rng() % 9];
    text += "\x88";
    for (bool wrap : {false, true}) {
        editor::TEditor ed;
        ed.SetWordWrap(wrap);
        ed.Lines().SetText(text);
        const std::string joined = ed.GetText();
        ASSERT_EQ(app::TextRange(ed, 0, ed.TextLength()), joined);
        for (std::string p : {"ab\x9f", "b\r\na", "\x9f\x88", "\x88", "aab b"}) {
            SCOPED_TRACE(p);
            for (int64_t from : {int64_t{0}, int64_t{262143}, int64_t{350001}, ed.TextLength() - 1}) {
                size_t want = app::FindFirstOccurrence(joined, p, static_cast<size_t>(from));
                auto got = app::FindInText(ed, p, from);
                EXPECT_EQ(got.value_or(-1), want == npos ? -1 : static_cast<int64_t>(want));
                size_t back = app::FindLastOccurrence(std::string_view(joined).substr(0, static_cast<size_t>(from)), p);
                EXPECT_EQ(app::FindLastInText(ed, p, from).value_or(-1), back == npos ? -1 : static_cast<int64_t>(back));
            }
            std::vector<int64_t> all;
            for (size_t q = app::FindFirstOccurrence(joined, p); q != npos;
                 q = app::FindFirstOccurrence(joined, p, q + p.size()))
                all.push_back(static_cast<int64_t>(q));
            EXPECT_EQ(app::FindAllInText(ed, p, 0), all);
        }
    }
}

// What find next and find upwards select, starting from the selection; a
// miss tells the user and keeps the selection.
TEST_F(SearchTest, FindStartsAfterOrBeforeTheSelection) {
    struct Case { const char* text; int64_t start, length; bool forward; const char* pattern; bool found;
                  Range selected; } cases[] = {
        {"abc abc abc", 0, 3, true, "abc", true, {4, 3}},   // the selected one is skipped
        {"abab", 2, 2, false, "ab", true, {0, 2}},          // upwards from the second
        {"x\r\nfoo\r\nfoo", 4, 0, true, "foo", true, {8, 3}},
        {"aaa", 3, 0, false, "aa", true, {1, 2}},           // overlapping: the last start
        {"a\x82\xa0" "a", 0, 0, true, "\x82\xa0", true, {1, 2}},
        {"abc", 0, 0, false, "abc", false, {0, 0}},        // nothing before offset 0
        {"abc abd", 1, 2, true, "abd!", false, {1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Open(c.text, c.start, c.length);
        ui.messages.clear();
        EXPECT_EQ(c.forward ? doc->FindForward(c.pattern) : doc->FindBackward(c.pattern), c.found);
        EXPECT_EQ(Sel(), c.selected);
        using V = std::vector<std::string>;
        EXPECT_EQ(ui.messages, (c.found ? V{} : V{std::string(c.pattern) + "が見つかりません"}));
    }
}

// A hit is brought into view with a third of the window above it.
TEST_F(SearchTest, HitIsShownAThirdDownTheWindow) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += i == 60 ? "hit\r\n" : "line\r\n";
    Open(text);
    doc->FindForward("hit");
    EXPECT_EQ(Ed().Row(), 60);
    EXPECT_EQ(Ed().TopRow(), 60 - 9 / 3);
    Ed().SetSelStart(6);
    doc->FindBackward("line");
    EXPECT_EQ(Ed().TopRow(), 0);
}

// Replace one or all: the selected occurrence is never replaced; replace-all
// searches on after each inserted replacement; one undo takes either back,
// also of thousands of replacements in wrapped lines.
TEST_F(SearchTest, ReplaceOneOrAllAndUndo) {
    std::string wrapped, wrappedResult;
    for (int i = 0; i < 300; ++i) {
        wrapped += "xx foo yy foo zz foo ww foo vv foo uu foo tt foo ss foo rr foo qq foo pp foo oo foo\r\n";
        wrappedResult += "xx bar yy bar zz bar ww bar vv bar uu bar tt bar ss bar rr bar qq bar pp bar oo bar\r\n";
    }
    struct Case { std::string text; int64_t start, length; bool all; const char *find, *replacement; std::string result;
                  Range selected; const char* panel; bool wrap = false; } cases[] = {
        {"aaa", 0, 0, true, "a", "aa", "aaaaaa", {4, 2}, "3個の変換を行いました"},
        {"ab ab ab", 0, 2, false, "ab", "X", "ab X ab", {3, 1}, ""},
        {"ab ab ab", 0, 2, true, "ab", "", "ab  ", {4, 0}, "2個の変換を行いました"},
        {"foo\r\nx foo\r\nfoo", 0, 0, true, "foo", "fooo", "fooo\r\nx fooo\r\nfooo", {14, 4}, "3個の変換を行いました"},
        {"a\r\nb\r\na", 0, 0, true, "\r\nb", "", "a\r\na", {1, 0}, "1個の変換を行いました"},
        {wrapped, 0, 0, true, "foo", "bar", wrappedResult, {-1, -1}, "3600個の変換を行いました", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 20));
        Open(c.text, c.start, c.length, c.wrap);
        EXPECT_TRUE(doc->ReplaceText(c.find, c.replacement, c.all));
        EXPECT_EQ(Ed().GetText(), c.result);
        if (c.selected.first >= 0) EXPECT_EQ(Sel(), c.selected);  // -1: not checked
        EXPECT_EQ(doc->Panel(4), c.panel);
        EXPECT_TRUE(doc->DocumentChanged());
        form->Execute(ActionId::EditUndo);
        EXPECT_EQ(Ed().GetText(), c.text);
        EXPECT_FALSE(Ed().CanUndo());
    }
    Open("abc", 0, 3);
    EXPECT_FALSE(doc->ReplaceText("abc", "x", true));
    EXPECT_EQ(Ed().GetText(), "abc");
}

// The bracket at the caret and its partner, counting depth; a byte that is
// the second byte of a double-byte character is no bracket.
TEST_F(SearchTest, MatchingBracket) {
    // moved -1: no partner, a message; -2: no bracket at the caret, nothing happens.
    struct Case { const char* text; int64_t caret, moved; } cases[] = {
        {"(a)", 2, 0}, {"{x\r\n{y}\r\n}", 0, 9}, {"{x\r\n{y}\r\n}", 9, 0}, {"((a)", 0, -1}, {"a(b)", 0, -2},
        {"(a{b)c}", 0, 4},     // braces do not disturb the count
        {"(\x83{)", 0, 3},     // "ボ": its second byte 0x7B is skipped
        {"(\x83}\x83{)", 0, 5},
        {"(\x8e\x9a)", 0, 3},  // "字" ends in a lead-byte value: ")" still counts
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Open(c.text, c.caret);
        ui.messages.clear();
        EXPECT_EQ(doc->PopupEnabled(app::PopupItem::Bracket), c.moved != -2);
        doc->PopupClick(app::PopupItem::Bracket);
        EXPECT_EQ(Ed().SelStart(), c.moved >= 0 ? c.moved : c.caret);
        EXPECT_EQ(ui.messages.size(), c.moved == -1 ? 1u : 0u);
        EXPECT_EQ(doc->Panel(4), "");
    }
}

// The Search menu's commands through the main window: dialogs close after
// their action, F3 and Shift+F3 reuse the find dialog's text, dialog text
// that Shift-JIS cannot hold is reported, nothing happens without a document.
TEST_F(SearchTest, MainWindowCommands) {
    Open(platform::Utf8ToSjis("あいう あいう あいう"));
    app::TFindDialog& find = form->FindDialog1();
    form->Execute(ActionId::SearchFindNext);  // no text yet: nothing
    EXPECT_EQ(Sel(), (Range{0, 0}));
    form->Execute(ActionId::SearchFind);
    EXPECT_TRUE(find.Visible());
    EXPECT_TRUE(find.down);
    find.findText = "あいう";
    find.FindClick();
    EXPECT_FALSE(find.Visible());
    EXPECT_EQ(Sel(), (Range{0, 6}));
    form->Execute(ActionId::SearchFindNext);
    EXPECT_EQ(Sel(), (Range{7, 6}));
    form->Execute(ActionId::SearchFindPrev);
    EXPECT_EQ(Sel(), (Range{0, 6}));

    app::TReplaceDialog& replace = form->ReplaceDialog1();
    form->Execute(ActionId::SearchReplace);
    replace.findText = "あいう";
    replace.replaceText = "\xf0\x9f\x98\x80";  // no Shift-JIS for it
    replace.ReplaceAllClick();
    EXPECT_TRUE(replace.Visible());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("\xf0\x9f\x98\x80"), std::string::npos);
    replace.replaceText = "え";
    replace.ReplaceAllClick();
    EXPECT_FALSE(replace.Visible());
    EXPECT_EQ(platform::SjisToUtf8(Ed().GetText()), "あいう え え");

    ui.answers = {platform::MsgAnswer::Yes};
    ASSERT_TRUE(form->CloseChild(*doc));
    EXPECT_FALSE(form->Enabled(ActionId::SearchFind));
    find.findText = "x";
    find.FindClick();  // no document: nothing, no crash
}

TEST_F(SearchTest, JumpToLine) {
    Open("1\r\n2\r\n3\r\n4\r\n5", 3, 0);
    ViewAnswering view;
    form->SetView(&view);
    struct Case { const char* entered; int row; } cases[] = {  // row -1: refused with a message
       {"4", 3}, {" 2 ", 1}, {"0", 0}, {"99", 4}, {"-7", 0}, {"abc", -1}, {"", -1}, {"99999999999", -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entered);
        Ed().SetRowCol(2, 0);
        Ed().SetSelLength(1);
        ui.messages.clear();
        view.number = c.entered;
        form->Execute(ActionId::SearchJump);
        EXPECT_EQ(view.shown.number, "3");  // the caret's line, from 1
        EXPECT_EQ(Ed().Row(), c.row < 0 ? 2 : c.row);
        EXPECT_EQ(ui.messages.size(), c.row < 0 ? 1u : 0u);
        if (c.row >= 0) EXPECT_FALSE(Ed().Marked());
    }
    form->SetView(nullptr);

    app::TNumJmp d;
    d.width = 101, d.height = 50;
    d.PlaceOver({10, 20, 600, 401});
    EXPECT_EQ(std::make_pair(d.left, d.top), std::make_pair(10 + 249, 20 + 175));
    d.PlaceOver({0, 0, 50, 30});  // smaller than the dialog: truncated towards zero
    EXPECT_EQ(std::make_pair(d.left, d.top), std::make_pair(-25, -10));
}
