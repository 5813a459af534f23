// The keyword hint list (parsing, file choice, lookup), the hint and help
// gestures of a document window, and the help commands.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "FakeUi.h"
#include "MainFormFixture.h"
#include "TestFiles.h"
#include "app/MainForm.h"
#include "reference/KeywordList.h"

using app::ActionId;
using app::TMainForm;
using app::TMDIChild;
using reference::TKeywordList;

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

Entries Parsed(std::string_view bytes, reference::KeywordLoadReport* report = nullptr) {
    TKeywordList list;
    reference::KeywordLoadReport r = list.Parse(bytes);
    if (report) *report = r;
    Entries out;
    for (const auto& e : list.Entries()) out.emplace_back(e.key, e.text);
    return out;
}

// Line rules: skipped lines, the first "!" splits, "##" is a line break,
// duplicates and file order are kept, any line ending counts.
TEST(KeywordListParse, LineRules) {
    struct Case {
        const char* file;
        Entries want;
    } cases[] = {
        {"; comment\r\nlstrlen!int lstrlen(char *s)##returns the length of s\r\n",
         {{"lstrlen", "int lstrlen(char *s)\r\nreturns the length of s"}}},
        {"a!b!c\r\n", {{"a", "b!c"}}},
        {"k!x##y##\r\n", {{"k", "x\r\ny\r\n"}}},
        {"k!###\r\n", {{"k", "\r\n#"}}},
        {"!empty key\r\n", {{"", "empty key"}}},
        {"\r\n;c!d\r\nno bang\r\n ;x!y\r\n", {{" ;x", "y"}}},
        {"f!1\r\nf!2\r\ng!\r\n", {{"f", "1"}, {"f", "2"}, {"g", ""}}},
        {"a!1\nb!2\rc!3", {{"a", "1"}, {"b", "2"}, {"c", "3"}}},
        // Shift-JIS: the key stays in bytes, the text becomes UTF-8.
        {"\x95\xB6!\x95\xB6\x8E\x9A##x\r\n", {{"\x95\xB6", "文字\r\nx"}}},
    };
    for (const Case& c : cases) EXPECT_EQ(Parsed(c.file), c.want) << c.file;
    // Undecodable bytes are counted and shown, not dropped.
    reference::KeywordLoadReport r;
    Entries e = Parsed("ok!fine\r\nbad!x\xFFy\r\nworse!\x80\r\n", &r);
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[1].second, "x\xEF\xBF\xBDy");
    EXPECT_EQ(std::pair(r.badLines, r.firstBadLine), std::pair(size_t{2}, size_t{2}));
}

TEST(KeywordListLoad, MissingUnreadableAndHugeFilesLeaveTheListEmpty) {
    TempDir dir;
    std::string huge = dir.Write("huge.txt", "a!b\r\n"), locked = dir.Write("locked.txt", "a!b\r\n");
    ASSERT_EQ(::truncate(huge.c_str(), static_cast<off_t>(reference::kKeywordFileLimit + 1)), 0);
    ::chmod(locked.c_str(), 0);
    for (const std::string& file : {dir.File("none.txt"), huge, locked}) {
        if (file == locked && ::geteuid() == 0) continue;  // root reads it anyway
        TKeywordList list;
        list.Parse("a!b");
        auto r = list.Load(file);
        EXPECT_EQ(r.missing, file == dir.File("none.txt")) << file;
        EXPECT_EQ(r.error.empty(), r.missing) << file;
        if (!r.missing) {
            EXPECT_NE(r.error.find(std::filesystem::path(file).filename().string()), std::string::npos);
        }
        EXPECT_TRUE(list.Entries().empty()) << file;
    }
    EXPECT_EQ(std::filesystem::file_size(huge), reference::kKeywordFileLimit + 1);  // untouched
}

TEST(KeywordListLookup, ExactCaseSensitiveFirstMatch) {
    TKeywordList list;
    list.Parse("Print!upper\r\nprint!first\r\nprint!second\r\n!nothing\r\n");
    const std::pair<const char*, const char*> cases[] = {
        {"print", "first"}, {"Print", "upper"}, {"PRINT", ""}, {"prin", ""}, {"print ", ""}};
    for (const auto& [word, text] : cases) EXPECT_EQ(list.Lookup(word), text) << word;
}

// Tessal's list only when targeting Tessal and it exists; names ignore case.
TEST(KeywordListPath, TargetChoiceAndFallback) {
    struct Case { std::vector<const char*> files; int target; const char* want; } cases[] = {
        {{"VKLIBHLP.TXT", "TWLIBHLP.TXT"}, 0, "VKLIBHLP.TXT"},
        {{"VKLIBHLP.TXT", "TWLIBHLP.TXT"}, 1, "TWLIBHLP.TXT"},
        {{"VKLIBHLP.TXT"}, 1, "VKLIBHLP.TXT"},
        {{"TWLIBHLP.TXT"}, 0, "VKLIBHLP.TXT"},
        {{"vklibhlp.txt", "twlibhlp.txt"}, 1, "twlibhlp.txt"},
        {{"vklibhlp.txt"}, 1, "vklibhlp.txt"},
        {{}, 1, "VKLIBHLP.TXT"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        for (const char* f : c.files) dir.Write(f, "");
        EXPECT_EQ(reference::KeywordListPath(dir.path(), c.target), dir.File(c.want)) << c.target << " " << c.want;
    }
}

TEST(IncludeFolder, BesideTheCompilerFolder) {
    struct Case { const char *compiler, *want; } cases[] = {
        {"/kit/bin", "/kit/include"}, {"/kit/bin/", "/kit/bin/include"}, {"/bin", "/include"},
        {"kit/bin", "kit/include"},   {"vkc", "include"},                {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(reference::IncludeFolder(c.compiler), c.want) << c.compiler;
}

using HelpTest = MainFormFixture;

TEST_F(HelpTest, TargetChangesReloadTheListAndTheSameTargetDoesNot) {
    dir.Write("VKLIBHLP.TXT", "f!korvane\r\n");
    dir.Write("TWLIBHLP.TXT", "f!tessal\r\n");
    Start();
    EXPECT_EQ(form->Lookup("f"), "korvane");
    form->SetTargetHost(1);
    EXPECT_EQ(form->Lookup("f"), "tessal");
    dir.Write("TWLIBHLP.TXT", "f!changed\r\n");
    form->SetTargetHost(1);
    EXPECT_EQ(form->Lookup("f"), "tessal");
    form->SetTargetHost(0);
    EXPECT_EQ(form->Lookup("f"), "korvane");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(HelpTest, ABrokenListIsReportedOnceAndStillUsed) {
    const std::string tail = " Shift-JIS で読めない文字があります。";
    struct Case { std::string file, where; } cases[] = {
        {"f!ok\r\ng!\x80\r\n", " の 2 行目に"},
        {"f!ok\r\ng!\x80\r\nh!\xFD\r\n", " の 2 行目ほか 1 行に"},
        {"f!ok\r\ng!\x80\r\nh!\xFD\r\ni!\xFD\r\n", " の 2 行目ほか 2 行に"},
    };
    for (const Case& c : cases) {
        const std::string list = dir.Write("VKLIBHLP.TXT", c.file);
        ui.messages.clear();
        Start();
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].substr(0, ui.messages[0].find('\n')), list + c.where + tail);
        EXPECT_EQ(form->Lookup("f"), "ok");
    }
}

// Ctrl+F1 and Ctrl+right button show the hint and panel 4; a release or a
// caret move hides it; a word without a hint shows nothing.
TEST_F(HelpTest, KeywordHintGestures) {
    dir.Write("VKLIBHLP.TXT", "print!void print(string s)##prints s\r\n");
    Start({dir.Write("a.r", "x = print(y);\r\n")});
    TMDIChild* doc = Doc(0);
    doc->SetEditorFocused(true);
    editor::TEditor& ed = doc->Editor1();
    int changes = 0;
    doc->OnHintChanged = [&] { ++changes; };

    ed.SetRowCol(0, 1);  // on "x": no hint
    EXPECT_TRUE(doc->Editor1KeyDown(112, {.ctrl = true}));
    EXPECT_FALSE(doc->Hint().visible);
    EXPECT_EQ(doc->Panel(4), "");

    ed.SetRowCol(0, 6);
    EXPECT_TRUE(doc->Editor1KeyDown(112, {.ctrl = true}));
    EXPECT_TRUE(doc->Hint().visible);
    EXPECT_FALSE(doc->Hint().atMouse);
    EXPECT_EQ(doc->Hint().text, "void print(string s)\r\nprints s");
    EXPECT_EQ(doc->Panel(4), "void print(string s) prints s");
    ed.SetRowCol(0, 7);
    EXPECT_FALSE(doc->Hint().visible);

    // At the mouse: the word under the pointer, not the caret's.
    ed.SetRowCol(0, 0);
    const editor::TPaintMetrics& m = ed.Metrics();
    int x = m.leftMargin + 6 * m.cellWidth + 1, y = ed.RowTop(0) + 1;
    EXPECT_TRUE(doc->Editor1MouseDown(editor::TMouseButton::Right, x, y, {.ctrl = true}));
    EXPECT_TRUE(doc->Hint().visible);
    EXPECT_TRUE(doc->Hint().atMouse);
    doc->Editor1MouseUp();
    EXPECT_FALSE(doc->Hint().visible);
    EXPECT_EQ(changes, 4);
    EXPECT_FALSE(doc->Editor1MouseDown(editor::TMouseButton::Right, x, y, {}));  // the popup menu's
}

TEST_F(HelpTest, ShiftGesturesAskTheRightHelpFile) {
    std::string kit = dir.Write("kit.html", "<p>print</p>");
    dir.Write("VKBUILD.INI", "[VKC]\r\nHELP=" + kit + "\r\n");
    Start({dir.Write("a.r", "x = print(y);\r\n")});
    TMDIChild* doc = Doc(0);
    editor::TEditor& ed = doc->Editor1();
    ed.SetRowCol(0, 6);
    doc->Editor1MouseDown(editor::TMouseButton::Left, 0, 0, {.shift = true});
    ed.SelectTokenAt(0, 0);  // "x": the selection wins over the caret's token
    EXPECT_TRUE(doc->Editor1KeyDown(112, {.shift = true}));
    ASSERT_EQ(ui.helpCalls.size(), 2u);
    EXPECT_EQ(ui.helpCalls[0], "keyword " + kit + " print");
    EXPECT_EQ(ui.helpCalls[1], "keyword " + form->HelpFile() + " x");

    // A missing kit help file: Shift+click does nothing at all.
    form->Settings().helpFile = dir.File("gone.html");
    doc->Editor1MouseDown(editor::TMouseButton::Left, 0, 0, {.shift = true});
    EXPECT_EQ(ui.helpCalls.size(), 2u);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(HelpTest, HelpCommandsAndTheirMessages) {
    Start();
    form->Execute(ActionId::Contents);
    EXPECT_TRUE(form->AppMessage(TMainForm::Key::F1));
    EXPECT_EQ(ui.helpCalls, (std::vector<std::string>{"contents " + form->HelpFile(), "contents " + form->HelpFile()}));

    // A desktop that takes no file leaves it to the built-in viewer where
    // that can show it.
    ui.helpCalls.clear();
    const std::string noHandler = " を開くプログラムがありません。";
    // (help file, the desktop takes it?, message, handed to the desktop?, to the viewer?)
    struct Case { std::string help; bool desktop; std::string message; bool opened, viewer; } cases[] = {
        {"", true, "VKDK ヘルプが設定されていません", false, false},
        {dir.File("missing.pdf"), true, "VKDK ヘルプファイルが見つかりません", false, false},
        {dir.Write("kit.pdf", "%PDF"), true, "", true, false},
        {dir.File("kit.pdf"), false, dir.File("kit.pdf") + noHandler, true, false},
        {dir.Write("kit.HTML", "<p>x</p>"), false, "", true, true},
        {dir.Write("kit.md", "# x"), false, "", true, true},
        {dir.File("kit.md"), true, "", true, false},
    };
    for (const Case& c : cases) {
        form->Settings().helpFile = c.help;
        ui.desktopSucceeds = c.desktop;
        ui.messages.clear(), ui.desktopOpened.clear(), ui.helpCalls.clear();
        form->Execute(ActionId::VKDKH1);
        EXPECT_TRUE(form->AppMessage(TMainForm::Key::F2));
        using V = std::vector<std::string>;
        EXPECT_EQ(ui.desktopOpened, (c.opened ? V{c.help, c.help} : V{})) << c.help;
        EXPECT_EQ(ui.messages, (c.message.empty() ? V{} : V{c.message, c.message})) << c.help;
        EXPECT_EQ(ui.helpCalls, (c.viewer ? V{"contents " + c.help, "contents " + c.help} : V{})) << c.help;
    }
}

TEST_F(HelpTest, IncludeOpenStartsInTheIncludeFolderAndRestoresTheOldOne) {
    dir.Write("VKBUILD.INI", "[VKC]\r\nPATH=/kit/bin\r\n[Folder]\r\nSRC=/src\r\n");
    Start();
    std::string src = dir.Write("h.h", "");
    ui.openResults.push_back(FakeUi::Chose({src}));
    form->Execute(ActionId::VKDKQSDKincludeI1);
    ASSERT_EQ(ui.openRequests.size(), 1u);
    EXPECT_EQ(ui.openRequests[0].initialDir, "/kit/include");
    EXPECT_EQ(form->Children().size(), 1u);
    EXPECT_EQ(form->OpenDialogInitialDir(), "/src");
}

}  // namespace
