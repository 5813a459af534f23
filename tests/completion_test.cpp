// Completion: the documents' word index through edits and undo, the
// candidates' sources and order, and the list's keys, insertion and undo.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "EditorCommandUtil.h"
#include "MainFormFixture.h"
#include "app/Completion.h"

namespace {

using app::TCompletionItem;
using app::TWordIndex;

// The counts, checking on the way that the ordered view holds the same words.
std::map<std::string, uint32_t> Counted(TWordIndex& index) {
    std::vector<std::string_view> order = index.Sorted();
    std::map<std::string, uint32_t> counted(index.Words().begin(), index.Words().end());
    std::vector<std::string_view> expected;
    for (const auto& [word, n] : counted) expected.push_back(word);
    std::sort(expected.begin(), expected.end(), app::LessNoCase);
    EXPECT_EQ(std::vector<std::string>(order.begin(), order.end()), std::vector<std::string>(expected.begin(), expected.end()));
    return counted;
}

// The candidates from ordered views of the same words, as the window asks for them.
std::vector<TCompletionItem> FromSorted(std::string_view prefix, app::TCompletionSources sources,
                                        std::vector<std::vector<std::string_view>>& keep) {
    keep.clear();
    for (const TWordIndex::TWords* words : sources.documents) {
        keep.emplace_back();
        for (const auto& [w, n] : *words) keep.back().push_back(w);
        std::sort(keep.back().begin(), keep.back().end(), app::LessNoCase);
    }
    sources.sortedDocuments.clear();
    for (const auto& k : keep) sources.sortedDocuments.push_back(&k);
    sources.documents.clear();
    return app::CompletionCandidates(prefix, sources);
}

void Type(editor::TEditor& ed, const std::string& s) {
    for (unsigned char c : s) ed.CharMessage(c, {}, std::nullopt, nullptr);
}

TEST(CompletionWords, FollowEditsAsAFreshScanSeesThem) {
    editor::TEditor ed;
    // ア (83 41) and 表 (95 5C) end in bytes that look like ASCII.
    Load(ed, "int show_a;\r\nshow_a(\x83\x41xy);\r\n9ab \x95\\_cd\r\n");
    TWordIndex index(ed.Store());
    EXPECT_EQ(Counted(index), (std::map<std::string, uint32_t>{{"int", 1}, {"show_a", 2}, {"xy", 1}, {"_cd", 1}}));

    auto fresh = [&] {
        editor::TEditor copy;
        Load(copy, ed.GetText());
        TWordIndex again(copy.Store());
        return Counted(again);
    };
    // Typing inside a word, a line break splitting one, a selection over
    // lines replaced, with word wrap on, and undoing it all.
    ed.SetSelStart(8);
    Type(ed, "XY");
    EXPECT_EQ(Counted(index), fresh());
    ed.SetSelStart(3);
    Type(ed, "\r");
    EXPECT_EQ(Counted(index), fresh());
    ed.SetSelStart(2);
    ed.SetSelLength(20);
    ed.SetSelText("lo\r\nng_name");
    EXPECT_EQ(Counted(index), fresh());
    ed.SetWordWrap(true);
    ed.SetSelStart(0);
    Type(ed, "abcdefghijklmnopqrstuvwxyz_abcdefghijklmnopqrstuvwxyz_abcdefghijklmnopqrstuvwxyz_abcdefghij");
    EXPECT_EQ(Counted(index), fresh());
    // Enough new words at once that the order is made afresh, and taken out again.
    std::string many;
    for (int i = 0; i < 5000; ++i) many += "w" + std::to_string(i) + " ";
    ed.SetSelText(many);
    EXPECT_EQ(Counted(index), fresh());
    ed.Undo();
    EXPECT_EQ(Counted(index), fresh());
    while (ed.CanUndo()) ed.Undo();
    EXPECT_EQ(Counted(index), fresh());
    // Keys at random places, the counts read after each and the order now
    // and then: words typed, split, joined, taken out and typed again.
    Load(ed, "ab cd ab " + std::string(300, 'q') + " zz\r\nx_y zz\r\n");  // a word wrap cuts
    uint32_t seed = 7;
    auto next = [&](uint32_t n) { return ((seed = seed * 1103515245u + 12345u) >> 16) % n; };
    for (int key = 0; key < 300; ++key) {
        ed.SetSelStart(next(static_cast<uint32_t>(ed.TextLength() + 1)));
        switch (next(6)) {
            case 0: ed.Backspace(); break;
            case 1: ed.DeleteKey(); break;
            case 2: ed.Enter(false); break;
            case 3: ed.InsertText(" "); break;
            default: ed.InsertText(std::string(1, "abcz_"[next(5)]));
        }
        const std::map<std::string, uint32_t> now(index.Words().begin(), index.Words().end());
        if (key % 10 == 9) EXPECT_EQ(Counted(index), fresh()) << key;
        else EXPECT_EQ(now, fresh()) << key;
    }
    ed.SetText("reset text");
    EXPECT_EQ(Counted(index), (std::map<std::string, uint32_t>{{"reset", 1}, {"text", 1}}));
    // A replace-all of enough places to rebuild its rows in blocks, and its undo.
    std::string lines;
    std::vector<int64_t> at;
    for (int i = 0; i < 1500; ++i) {
        at.push_back(static_cast<int64_t>(lines.size()));
        lines += "show_a x" + std::to_string(i) + "\r\n";
    }
    ed.SetWordWrap(false);
    Load(ed, lines);
    EXPECT_EQ(ed.Store().ReplaceOccurrences(at, "show_a", "shown_b"), at.size());
    EXPECT_EQ(Counted(index), fresh());
    ed.Undo();
    EXPECT_EQ(Counted(index), fresh());
}

TEST(CompletionCandidates, PrefixFirstThenContainsEachOnce) {
    TWordIndex::TWords a{{"show_", 1}, {"Show_Dialog", 2}, {"my_show_x", 1}, {"other", 1}};
    TWordIndex::TWords b{{"show_message", 1}, {"SHOW_zz", 1}};
    app::TCompletionSources sources;
    sources.named = {{"show_message", "void show_message(char *s)"}, {"SHOW_MAX", "#define SHOW_MAX 9"}, {"if", ""}};
    sources.documents = {&a, &b};
    std::vector<std::string> words, hints;
    for (const TCompletionItem& i : app::CompletionCandidates("show_", sources)) {
        words.push_back(i.word);
        hints.push_back(i.hint);
    }
    // "show_" itself is the word being typed.
    EXPECT_EQ(words, (std::vector<std::string>{"Show_Dialog", "SHOW_MAX", "show_message", "SHOW_zz", "my_show_x"}));
    std::vector<std::vector<std::string_view>> keep;
    EXPECT_EQ(FromSorted("show_", sources, keep), app::CompletionCandidates("show_", sources));
    EXPECT_EQ(FromSorted("ow", sources, keep), app::CompletionCandidates("ow", sources));
    EXPECT_EQ(hints[2], "void show_message(char *s)");  // the hint list's entry wins over the document word
    // Nothing typed: the names the program knows, not every word of the text.
    EXPECT_EQ(app::CompletionCandidates("", sources).size(), 3u);
    // A trail byte is never where a match starts: ア is 83 41.
    TWordIndex::TWords kana{{"x\x83\x41" "B", 1}};
    sources.documents = {&kana};
    EXPECT_TRUE(app::CompletionCandidates("AB", sources).empty());
    EXPECT_TRUE(FromSorted("AB", sources, keep).empty());
    // A full list holds kMaxCandidates names, each once though two texts
    // have them, those beginning with the prefix first.
    TWordIndex::TWords many, same;
    for (int i = 0; i < 3000; ++i) many.emplace("ab" + std::to_string(10000 + i), 1);
    for (int i = 0; i < 3000; ++i) many.emplace("x_ab" + std::to_string(i), 1);
    same = many;
    sources.documents = {&many, &same};
    for (const auto& list : {app::CompletionCandidates("AB", sources), FromSorted("AB", sources, keep)}) {
        ASSERT_EQ(list.size(), app::kMaxCandidates);
        EXPECT_EQ(list.front().word, "ab10000");
        EXPECT_EQ(list.back().word, "ab11999");
    }
    for (auto& [w, n] : many) n = w[0] == 'a' ? 0 : n;
    std::erase_if(many, [](const auto& e) { return e.second == 0; });
    sources.documents = {&many};
    const auto contains = FromSorted("AB", sources, keep);
    EXPECT_EQ(contains, app::CompletionCandidates("AB", sources));
    ASSERT_EQ(contains.size(), app::kMaxCandidates);
    EXPECT_EQ(contains.front().word, "x_ab0");
}

TEST(CompletionList, KeysNarrowInsertAndUndo) {
    editor::TEditor ed;
    Load(ed, "x ");
    ed.SetSelStart(2);
    std::vector<TCompletionItem> names{{"show_alpha", "a"}, {"show_beta", "b"}, {"show_gamma", "c"}, {"other", ""}};
    int asked = 0;
    app::TCompletion c(ed, [&](std::string_view prefix) {
        ++asked;
        app::TCompletionSources s;
        s.named = names;
        return app::CompletionCandidates(prefix, s);
    });
    Type(ed, "sho");
    ASSERT_TRUE(c.Open());
    EXPECT_EQ(c.Items().size(), 3u);
    EXPECT_TRUE(c.KeyDown(editor::vkDown, 10));
    EXPECT_TRUE(c.KeyDown(editor::vkNext, 10));  // a page down stops at the last
    EXPECT_EQ(c.Selected(), 2);
    EXPECT_TRUE(c.KeyDown(editor::vkPrior, 10));
    EXPECT_EQ(c.Selected(), 0);
    EXPECT_FALSE(c.KeyDown('A', 10));
    // Typing narrows; the caret leaving the word closes.
    Type(ed, "w_b");
    c.Update();
    ASSERT_TRUE(c.Visible());
    ASSERT_EQ(c.Items().size(), 1u);
    c.KeyDown(editor::vkTab, 10);
    EXPECT_FALSE(c.Visible());
    EXPECT_EQ(ed.GetText(), "x show_beta");
    ed.Undo();
    EXPECT_EQ(ed.GetText(), "x show_b");

    // One candidate goes in at once; none beeps.
    ed.SetSelStart(ed.GetText().size());
    Type(ed, " oth");
    EXPECT_TRUE(c.Open());
    EXPECT_FALSE(c.Visible());
    EXPECT_EQ(ed.GetText(), "x show_b other");
    bool beeped = false;
    c.OnBeep = [&] { beeped = true; };
    Type(ed, " zz");
    EXPECT_FALSE(c.Open());
    EXPECT_TRUE(beeped);
    // Escape closes; so does a caret moved out of the word.
    Type(ed, "\b\bsh");
    ASSERT_TRUE(c.Open());
    EXPECT_TRUE(c.KeyDown(27, 10));
    EXPECT_FALSE(c.Visible());
    ASSERT_TRUE(c.Open());
    ed.SetSelStart(0);
    c.Update();
    EXPECT_FALSE(c.Visible());
    EXPECT_GT(asked, 0);
}

class CompletionCommand : public MainFormFixture {};

TEST_F(CompletionCommand, CtrlSpaceOffersKeywordsWithHints) {
    dir.Write("VKLIBHLP.TXT", "show_message!void show_message(char *s)##shows s\r\nshow_dialog!int show_dialog()\r\n");
    const std::string a = dir.Write("a.R", "int counter;\r\n");
    const std::string b = dir.Write("b.R", "show_window_local();\r\n");
    Start();
    ASSERT_TRUE(form->OpenDocumentWindow(b));
    ASSERT_TRUE(form->OpenDocumentWindow(a));
    app::TMDIChild* doc = form->ActiveDocument();
    editor::TEditor& ed = doc->Editor1();
    ed.SetSelStart(static_cast<int64_t>(ed.GetText().size()));
    Type(ed, "show_");
    editor::TKeyState ctrl;
    ctrl.ctrl = true;
    ASSERT_TRUE(doc->Editor1KeyDown(' ', ctrl));
    app::TCompletion& c = doc->Completion();
    ASSERT_TRUE(c.Visible());
    std::vector<std::string> words;
    for (const TCompletionItem& i : c.Items()) words.push_back(i.word);
    EXPECT_EQ(words, (std::vector<std::string>{"show_dialog", "show_message", "show_window_local"}));
    c.Move(1);
    EXPECT_EQ(c.Items()[1].hint, "void show_message(char *s)\r\nshows s");
    ASSERT_TRUE(doc->Editor1KeyDown(editor::vkReturn, {}));
    EXPECT_EQ(ed.GetText(), "int counter;\r\nshow_message");
    // The new word is offered at once in the other document.
    doc = dynamic_cast<app::TMDIChild*>(form->Children()[0].get());
    doc->Editor1().SetSelStart(static_cast<int64_t>(doc->Editor1().GetText().size()));
    Type(doc->Editor1(), "show_m");
    doc->Editor1KeyDown(' ', ctrl);  // one candidate: in at once
    EXPECT_EQ(doc->Editor1().GetText(), "show_window_local();\r\nshow_message");
    EXPECT_TRUE(doc->Hint().visible);  // a library name shows its hint
    Type(doc->Editor1(), " cou");
    doc->Editor1KeyDown(' ', ctrl);
    EXPECT_EQ(doc->Editor1().GetText(), "show_window_local();\r\nshow_message counter");
}

}  // namespace
