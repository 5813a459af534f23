// The main form and document windows through the scripted Ui: settings file,
// recent files, untitled names, saving, closing, the command line and the
// quick-make rule.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "FakeUi.h"
#include "MainFormFixture.h"
#include "TestFiles.h"
#include "app/MainForm.h"
#include "app/MdiLayout.h"
#include "platform/IniFile.h"
#include "platform/Wine.h"

using app::ActionId;
using app::TMainForm;
using app::TMDIChild;
using platform::MsgAnswer;

namespace {

class MainFormTest : public MainFormFixture {
protected:
    std::string Settings() const { return TempDir::Read(dir.File("VKBUILD.INI")); }
    TMDIChild* Doc(size_t i) const { return dynamic_cast<TMDIChild*>(form->Children().at(i).get()); }
};

// Keeps the process's current folder inside a test.
struct InFolder {
    explicit InFolder(const std::string& path) {
        if (::getcwd(old, sizeof old) == nullptr) old[0] = 0;
        if (::chdir(path.c_str()) != 0) ADD_FAILURE() << "chdir";
    }
    ~InFolder() {
        if (old[0] && ::chdir(old) != 0) ADD_FAILURE() << "chdir back";
    }
    char old[4096];
};

}  // namespace

TEST_F(MainFormTest, MissingSettingsGiveDefaultsAndExitWritesEveryKeyInOrder) {
    Start();
    const app::TSettings& s = form->Settings();
    EXPECT_EQ(s.left, 1);
    EXPECT_EQ(s.top, 1);
    EXPECT_EQ(s.width, 600);
    EXPECT_EQ(s.height, 400);
    EXPECT_EQ(s.fontName, "ＭＳ ゴシック");
    EXPECT_EQ(form->Caption(), "VeskC Builder");
    form->FormDestroy();
    std::string folder = dir.path() + "/";
    std::string expected =
        "[VKC]\r\nPATH=\r\nHELP=\r\nKEYDEF=\r\nCHECK=0\r\n\r\n"
        "[POS]\r\nTOP=1\r\nLeft=1\r\nHEIGHT=400\r\nWIDTH=600\r\n\r\n"
        "[Folder]\r\nSRC=" + folder + "\r\nPRJ=" + folder + "\r\n\r\n"
        "[EDIT]\r\nFONTSIZE=13\r\nTABSIZE=4\r\nFONTNAME=\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E\r\n"
        "EdtColor=0\r\nEdtBkColor=16777215\r\nSelColor=16777215\r\nSelBkColor=16711680\r\nCmnColor=255\r\n"
        "CmnBkColor=16777215\r\nRsvColor=16711680\r\nRsvBkColor=16777215\r\nSymColor=128\r\nSymBkColor=16777215\r\n"
        "WordWrap=0\r\nWordWrapByte=80\r\nRULER=0\r\nLOWNUM=0\r\n\r\n"
        "[PRJW]\r\nFONTNAME=\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E\r\nFONTSIZE=9\r\n"
        "FONTCOLOR=-2147483640\r\nFONTBKCOLOR=-2147483643\r\n\r\n"
        "[FILES]\r\nRECENT01=\r\nRECENT02=\r\nRECENT03=\r\nRECENT04=\r\nRECENT05=\r\n"
        "POS01=\r\nPOS02=\r\nPOS03=\r\nPOS04=\r\nPOS05=\r\n\r\n"
        "[TARGET]\r\nVKTW=0\r\n\r\n[OPT]\r\nWHEEL=1\r\nPlomar=\r\nRestoreSession=0\r\n";
    std::string written = Settings();
    ASSERT_GE(written.size(), expected.size());
    EXPECT_EQ(written.substr(0, expected.size()), expected);
    // The toolbar sections follow the settings.
    EXPECT_NE(written.find("[Toolbar971]", expected.size()), std::string::npos);
    EXPECT_NE(written.find("[Toolbar972]", expected.size()), std::string::npos);
    ASSERT_FALSE(ui.helpCalls.empty());
    EXPECT_EQ(ui.helpCalls.back().rfind("quit ", 0), 0u);
}

TEST_F(MainFormTest, GarbageSettingsStartWithDefaults) {
    const char garbage[] = "\x00\xff\n[POS]\nTOP=abc\nWIDTH=12x\nLeft=-7\n[EDIT\nFONTSIZE=\x81\n[FILES]\n"
                           "RECENT01=/a.r\nRECENT02=\nRECENT03=/c.r\n\x1a\x00garbage";
    dir.Write("VKBUILD.INI", std::string(garbage, sizeof garbage - 1));
    Start();
    const app::TSettings& s = form->Settings();
    EXPECT_EQ(s.top, 1);
    EXPECT_EQ(s.width, 600);
    EXPECT_EQ(s.left, -7);
    EXPECT_EQ(s.fontSize, 13);
    EXPECT_EQ(s.recentFiles, std::vector<std::string>{"/a.r"});  // stops at the first empty entry
    form->FormDestroy();
    platform::IniFile ini;
    ini.LoadFromFile(dir.File("VKBUILD.INI"));
    EXPECT_EQ(ini.ReadInteger("POS", "TOP", -1), 1);
    EXPECT_EQ(ini.ReadString("FILES", "RECENT02", "x"), "");
}

TEST_F(MainFormTest, OutOfRangeFontSizeBecomes13OnceAWindowOpens) {
    dir.Write("VKBUILD.INI", "[EDIT]\r\nFONTSIZE=40\r\n");
    Start();
    EXPECT_EQ(form->Settings().fontSize, 40);
    form->Execute(ActionId::FileNew1);
    EXPECT_EQ(Doc(0)->Editor1().Properties().font.size, 13);
    form->FormDestroy();
    platform::IniFile ini;
    ini.LoadFromFile(dir.File("VKBUILD.INI"));
    EXPECT_EQ(ini.ReadInteger("EDIT", "FONTSIZE", 0), 13);
}

TEST_F(MainFormTest, RecentFilesSkipUntitledConfigAndInstallInfoAndKeepFive) {
    Start();
    for (const char* p : {"/w/1.r", "/w/2.r", "/w/3.r", "/w/4.r", "/w/5.r", "/w/6.r"}) form->AddRecentFile(p);
    form->AddRecentFile("NONAME3");
    form->AddRecentFile("/w/vkc.cfg");
    form->AddRecentFile("/w/setup.ri");
    EXPECT_EQ(form->RecentFiles(), (std::vector<std::string>{"/w/6.r", "/w/5.r", "/w/4.r", "/w/3.r", "/w/2.r"}));
    form->AddRecentFile("/w/3.r");
    EXPECT_EQ(form->RecentFiles(), (std::vector<std::string>{"/w/3.r", "/w/6.r", "/w/5.r", "/w/4.r", "/w/2.r"}));
    form->AddRecentFile("/w/3.R");  // another spelling is another file
    EXPECT_EQ(form->RecentFiles().front(), "/w/3.R");
}

TEST_F(MainFormTest, RecentFileThatIsGoneAsksBeforeOpeningAnEmptyWindow) {
    std::string gone = dir.File("gone.r");
    dir.Write("VKBUILD.INI", "[FILES]\r\nRECENT01=" + gone + "\r\n");
    Start();
    ui.answers = {MsgAnswer::No};
    form->RecentFileClick(0);
    EXPECT_TRUE(form->Children().empty());
    EXPECT_EQ(ui.messages.back(), gone + "が見つかりません。新規作成しますか？");
    ui.answers = {MsgAnswer::Yes};
    form->RecentFileClick(0);
    ASSERT_EQ(form->Children().size(), 1u);
    EXPECT_EQ(Doc(0)->Caption(), gone);
    EXPECT_EQ(Doc(0)->Editor1().RowCount(), 0);
    form->RecentFileClick(0);  // already open: nothing
    EXPECT_EQ(form->Children().size(), 1u);
}

TEST_F(MainFormTest, UntitledNamesCountUpAndAvoidFilesInTheCurrentFolder) {
    InFolder here(dir.path());
    dir.Write("NONAME1", "taken");
    Start();
    form->Execute(ActionId::FileNew1);
    form->Execute(ActionId::FileNew1);
    EXPECT_EQ(Doc(0)->Caption(), "NONAME1(2)");
    EXPECT_EQ(Doc(1)->Caption(), "NONAME2");
    EXPECT_TRUE(form->RecentFiles().empty());
}

TEST_F(MainFormTest, CommandLineOpensExistingSourcesInOrder) {
    std::string a = dir.Write("a.R", "alpha\r\n");
    std::string b = dir.Write("b.h", "beta");
    std::string prj = dir.File("missing.prj");
    std::string txt = dir.Write("notes.txt", "x");
    Start({prj, b, dir.File("missing.r"), txt, a});
    ASSERT_EQ(form->Children().size(), 2u);
    EXPECT_EQ(Doc(0)->Caption(), b);
    EXPECT_EQ(Doc(1)->Caption(), a);
    EXPECT_EQ(Doc(1)->Panel(1), "   1 Lines");
    EXPECT_FALSE(Doc(1)->DocumentChanged());
    EXPECT_EQ(form->RecentFiles(), (std::vector<std::string>{a, b}));
    form->FormActivate();  // later activations open nothing again
    EXPECT_EQ(form->Children().size(), 2u);
    // Files a later start hands over open by the same rule, each once.
    std::string c = dir.Write("c.r", "");
    form->OpenCommandLineFiles({txt, a, c, prj});
    ASSERT_EQ(form->Children().size(), 3u);
    EXPECT_EQ(Doc(2)->Caption(), c);
}

TEST_F(MainFormTest, QuickMakeNeedsTwoSourceWindows) {
    std::string a = dir.Write("a.r", "");
    std::string h = dir.Write("h.h", "");
    Start({a, h});
    EXPECT_FALSE(form->QuickMakeEnabled());
    std::string b = dir.Write("b.R", "");
    form->OpenDocumentWindow(b);
    form->FormActivate();  // activation only ever enables
    EXPECT_TRUE(form->QuickMakeEnabled());
    ASSERT_TRUE(form->CloseChild(*form->Children().back()));
    EXPECT_TRUE(form->QuickMakeEnabled());
    EXPECT_TRUE(ui.TimerPending(10));  // closing enabled Timer3, which disables it
    ui.FireTimers();
    EXPECT_FALSE(form->QuickMakeEnabled());
}

TEST_F(MainFormTest, SavingUntitledAsksForANameButOnlySaveAsTouchesRecentFiles) {
    InFolder here(dir.path());
    Start();
    form->Execute(ActionId::FileNew1);
    TMDIChild* doc = Doc(0);
    doc->Editor1().Lines().Add("text");
    EXPECT_TRUE(doc->DocumentChanged());
    std::string target = dir.File("saved.r");
    ui.saveResults = {FakeUi::Chose({target})};
    form->Execute(ActionId::FileSave1);
    EXPECT_EQ(doc->Caption(), target);
    EXPECT_EQ(TempDir::Read(target), "text\r\n");
    EXPECT_FALSE(doc->DocumentChanged());
    EXPECT_TRUE(form->RecentFiles().empty());
    EXPECT_EQ(ui.saveRequests.back().defaultExt, "r");
    EXPECT_EQ(ui.saveRequests.back().onTypeChange(2), "h");
    EXPECT_EQ(ui.saveRequests.back().onTypeChange(3), "");

    std::string other = dir.File("other.r");
    ui.saveResults = {FakeUi::Chose({other})};
    form->Execute(ActionId::FileSaveAs1);
    EXPECT_EQ(doc->Caption(), other);
    EXPECT_EQ(form->RecentFiles(), std::vector<std::string>{other});
}

TEST_F(MainFormTest, FailedSaveKeepsTextFlagAndOldFile) {
    std::string path = dir.Write("keep.r", "old\r\n");
    Start({path});
    TMDIChild* doc = Doc(0);
    doc->Editor1().Lines().Add("more");
    // A folder where the file should be: the rename over it fails.
    std::string blocked = dir.File("blocked.r");
    std::filesystem::create_directory(blocked);
    std::filesystem::create_directory(blocked + "/inside");
    ui.saveResults = {FakeUi::Chose({blocked})};
    form->Execute(ActionId::FileSaveAs1);
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages.back().rfind("ファイルを保存できません。", 0), 0u);
    EXPECT_EQ(doc->Caption(), path);  // still the file it was
    EXPECT_TRUE(doc->DocumentChanged());
    EXPECT_EQ(doc->Editor1().Lines().GetTextStr(), "old\r\nmore\r\n");
    EXPECT_EQ(TempDir::Read(path), "old\r\n");
}

TEST_F(MainFormTest, SaveWithAnotherKindOfChildActiveExplains) {
    Start();
    form->Execute(ActionId::FileSave1);  // no child: nothing at all
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MainFormTest, ClosingAChangedWindowAsksAndNoKeepsIt) {
    std::string path = dir.Write("c.r", "x\r\n");
    Start({path});
    TMDIChild* doc = Doc(0);
    EXPECT_TRUE(form->CloseChild(*doc));  // unchanged: no question
    EXPECT_TRUE(ui.messages.empty());
    doc = form->OpenDocumentWindow(path);
    doc->Editor1().Lines().Add("y");
    ui.answers = {MsgAnswer::No};
    EXPECT_FALSE(form->CloseChild(*doc));
    EXPECT_EQ(ui.messages.back(), "保存せずに閉じますか?");
    EXPECT_EQ(form->Children().size(), 1u);
    EXPECT_EQ(doc->Editor1().Lines().GetTextStr(), "x\r\ny\r\n");
    ui.answers = {MsgAnswer::Yes};
    EXPECT_TRUE(form->CloseChild(*doc));
    EXPECT_TRUE(form->Children().empty());
}

TEST_F(MainFormTest, ExitAsksEveryChangedWindowAndAnyNoCancels) {
    std::string a = dir.Write("a.r", "a\r\n"), b = dir.Write("b.r", "b\r\n");
    Start({a, b});
    Doc(0)->Editor1().Lines().Add("1");
    Doc(1)->Editor1().Lines().Add("2");
    ui.answers = {MsgAnswer::Yes, MsgAnswer::No};
    EXPECT_FALSE(form->FormCloseQuery());
    EXPECT_FALSE(Doc(0)->DiscardConfirmed());  // the exit did not happen
    ui.answers = {MsgAnswer::Yes, MsgAnswer::Yes};
    EXPECT_TRUE(form->FormCloseQuery());
    EXPECT_TRUE(Doc(0)->DiscardConfirmed());
    EXPECT_TRUE(Doc(1)->DiscardConfirmed());
    EXPECT_EQ(TempDir::Read(a), "a\r\n");
}

TEST_F(MainFormTest, FilesThatAreNotValidShiftJisSaveBackByteForByte) {
    std::string bytes("\x81\x7f\xff\xa0\x82\r\n\x95\x5c\x83", 10);
    std::string path = dir.Write("bad.r", bytes);
    Start({path});
    ASSERT_TRUE(form->ActiveDocument());
    form->Execute(ActionId::FileSave1);
    EXPECT_EQ(TempDir::Read(path), bytes);
}

TEST_F(MainFormTest, UnreadableFileOpensNoWindow) {
    // A file that opens but cannot be read (this process's memory at offset 0).
    std::string path = dir.File("unreadable.r");
    std::filesystem::create_symlink("/proc/self/mem", path);
    Start();
    EXPECT_EQ(form->OpenDocumentWindow(path), nullptr);
    EXPECT_TRUE(form->Children().empty());
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(form->RecentFiles().empty());
}

TEST_F(MainFormTest, InsertFileAtCaretLinePutsTheFileBeforeTheCaretLine) {
    std::string path = dir.Write("doc.r", "one\r\ntwo\r\n");
    std::string part = dir.Write("part.h", "p1\np2");
    Start({path});
    TMDIChild* doc = Doc(0);
    doc->Editor1().SetRowCol(1, 0);
    ui.openResults = {FakeUi::Chose({part})};
    form->Execute(ActionId::InsertFileAtCaretLine);
    EXPECT_EQ(doc->Editor1().Lines().GetTextStr(), "one\r\np1\r\np2\r\n\r\ntwo\r\n");
    EXPECT_EQ(ui.openRequests.back().title, "読み込むファイルの指定");
    EXPECT_EQ(ui.openRequests.back().initialDir, dir.path() + "/");
    EXPECT_TRUE(doc->DocumentChanged());
    EXPECT_EQ(doc->Panel(1), "   5 Lines");
}

TEST_F(MainFormTest, WheelScrollsByLineOrByPage) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += "line\r\n";
    std::string path = dir.Write("long.r", text);
    Start({path});
    TMDIChild* doc = Doc(0);
    doc->Editor1().SetVisibleRows(20);
    doc->MouseWheel(-120);
    EXPECT_EQ(doc->Editor1().TopRow(), 1);
    form->Settings().wheelByLine = false;
    doc->MouseWheel(-120);
    EXPECT_EQ(doc->Editor1().TopRow(), 21);
    doc->MouseWheel(120);
    EXPECT_EQ(doc->Editor1().TopRow(), 1);
}

TEST_F(MainFormTest, KeywordListFallsBackToKorvanesForTessal) {
    dir.Write("VKBUILD.INI", "[TARGET]\r\nVKTW=1\r\n");
    dir.Write("VKLIBHLP.TXT", "");
    Start();
    EXPECT_EQ(form->KeywordListFile(), dir.File("VKLIBHLP.TXT"));
    EXPECT_TRUE(form->Enabled(ActionId::FileNew1));
    EXPECT_FALSE(form->Visible(ActionId::TemplateAdd));  // no Template.TXT
}

TEST_F(MainFormTest, CaretPanelFollowsTheCaretOnlyWhileFocused) {
    std::string text = "abc\r\ndef\r\n";
    for (int i = 0; i < 100001; ++i) text += "\r\n";
    std::string path = dir.Write("p.r", text);
    Start({path});
    TMDIChild* doc = Doc(0);
    doc->Editor1().SetRowCol(1, 2);
    EXPECT_EQ(doc->Panel(0), "");
    doc->SetEditorFocused(true);
    EXPECT_EQ(doc->Panel(0), "    2:  3");
    doc->Editor1().SetRowCol(100000, 0);  // line 100001 does not fit the panel
    EXPECT_EQ(doc->Panel(0), "    2:  3");
    doc->Editor1().SetRowCol(99998, 0);
    EXPECT_EQ(doc->Panel(0), "99999:  1");
}

TEST_F(MainFormTest, SettingsThatCouldNotBeReadOrWrittenAreNeverReplaced) {
    // Unreadable (a read error): a warning at start, one note at exit, the file untouched.
    std::string ini = dir.File("VKBUILD.INI");
    std::filesystem::create_symlink("/proc/self/mem", ini);
    Start();
    ASSERT_EQ(ui.messages.size(), 1u);
    form->FormDestroy();
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].rfind("設定ファイルを読み込めなかったため、設定は保存しませんでした。", 0), 0u);
    EXPECT_TRUE(std::filesystem::is_symlink(ini));

    // Read-only: read at start, not replaced at exit, and the user is told.
    std::filesystem::remove(ini);
    dir.Write("VKBUILD.INI", "[VKC]\r\nPATH=/my/vkc\r\n");
    ::chmod(ini.c_str(), 0444);
    ui.messages.clear();
    Start();
    EXPECT_EQ(form->Settings().compilerFolder, "/my/vkc");
    form->FormDestroy();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].rfind("設定ファイルを保存できません。", 0), 0u);
    EXPECT_EQ(TempDir::Read(ini), "[VKC]\r\nPATH=/my/vkc\r\n");
}

TEST_F(MainFormTest, SavingKeepsTheCaretScrollSelectionAndMarks) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += "line " + std::to_string(i) + "\r\n";
    text += std::string(100, 'w') + "\r\n";
    std::string path = dir.Write("k.r", text);
    for (bool wrap : {false, true}) {
        Start({path});
        form->Settings().wordWrap = wrap;
        form->Settings().wordWrapByte = 40;
        TMDIChild* doc = Doc(0);
        doc->Configure(form->Settings());
        editor::TEditor& ed = doc->Editor1();
        // Marks on the third row of a wrapped line and on its first.
        const int marked = ed.Lines().FirstRow(100) + (wrap ? 2 : 0);
        ed.PutRowMark(marked, 2);
        ed.PutRowMark(ed.Lines().FirstRow(100), 12);
        ed.SetVisibleRows(20);
        ed.SetTopRow(40);
        ed.SetRowCol(50, 4);
        ed.InsertText("x");
        ed.StartSelection();
        ed.SetRowCol(52, 2);
        ed.Extend();
        std::string selected = ed.SelectedText();
        ASSERT_FALSE(selected.empty());
        form->Execute(ActionId::FileSave1);
        EXPECT_FALSE(doc->DocumentChanged());
        EXPECT_EQ(std::tuple(ed.Row(), ed.Col(), ed.TopRow()), std::tuple(52, 2, 40)) << "wrap " << wrap;
        EXPECT_EQ(ed.SelectedText(), selected);  // still selected, the same text
        EXPECT_EQ(ed.FindRowMark(2), marked) << "wrap " << wrap;
        EXPECT_EQ(ed.FindRowMark(12), ed.Lines().FirstRow(100)) << "wrap " << wrap;
        EXPECT_EQ(ed.MarksInUse(), (1u << 2) | (1u << 12));
        ed.ClearSelection();
        ed.InsertText("y");  // lands where the caret was left
        EXPECT_EQ(ed.Lines().Get(52), "liyne 52");
        form->Execute(ActionId::FileClose1);
        ui.answers = {MsgAnswer::Yes};
        form->FormCloseQuery();
        form.reset();
        dir.Write("k.r", text);
    }
}

TEST_F(MainFormTest, AFileChangedOrRemovedByAnotherProgramIsOverwrittenOnlyWhenTheUserSays) {
    const std::string mine = "mine\r\n";
    std::string path = dir.Write("ext.r", mine);
    Start({path});
    TMDIChild* doc = Doc(0);
    doc->Editor1().Lines().Add("edit");
    form->Execute(ActionId::FileSave1);  // unchanged on disk: no question
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(TempDir::Read(path), "mine\r\nedit\r\n");

    const char* changed = "\nは他のプログラムによって変更されています。上書きしますか?";
    const char* removed = "\nは他のプログラムによって削除または移動されています。保存しますか?";
    struct Case { std::function<void()> outside; const char* asked; bool absentAtOpen = false; } cases[] = {
        {[&] { dir.Write("ext.r", "theirs\r\n"); }, changed},
        {[&] { dir.Write("ext.r", "theirs\r\n"); }, changed, true},  // none when the window opened
        {[&] {  // replaced by another file of the same size and time
             std::string o = dir.Write("o.r", TempDir::Read(path));
             std::filesystem::last_write_time(o, std::filesystem::last_write_time(path));
             std::filesystem::rename(o, path);
         }, changed},
        {[&] { std::filesystem::remove(path); }, removed},
    };
    for (auto& c : cases) {
        for (MsgAnswer answer : {MsgAnswer::No, MsgAnswer::Yes}) {
            dir.Write("ext.r", mine);
            form->CloseChild(*doc);
            if (c.absentAtOpen) std::filesystem::remove(path);
            doc = form->OpenDocumentWindow(path);
            doc->Editor1().Lines().Add("more");
            const std::string text = doc->Editor1().Lines().GetTextStr();
            c.outside();
            std::string before = std::filesystem::exists(path) ? TempDir::Read(path) : "(none)";
            ui.messages.clear();
            ui.answers = {answer, MsgAnswer::Yes};
            form->Execute(ActionId::FileSave1);
            ASSERT_FALSE(ui.messages.empty());
            EXPECT_EQ(ui.messages[0], path + c.asked);
            std::string after = std::filesystem::exists(path) ? TempDir::Read(path) : "(none)";
            EXPECT_EQ(after, answer == MsgAnswer::Yes ? text : before);
            EXPECT_EQ(doc->DocumentChanged(), answer == MsgAnswer::No);
        }
    }
}

TEST_F(MainFormTest, AFileOpensInOneWindowOnlyAndOnlyRegularFilesOpen) {
    std::string path = dir.Write("one.r", "x\r\n");
    std::string alias = dir.File("alias.r");
    std::filesystem::create_symlink(path, alias);
    std::string fifo = dir.File("pipe.r");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    Start({path});
    TMDIChild* first = Doc(0);
    form->FileNew1Execute();
    EXPECT_EQ(form->OpenDocumentWindow(path), first);
    EXPECT_EQ(form->OpenDocumentWindow(alias), first);
    EXPECT_EQ(form->ActiveChild(), first);
    EXPECT_EQ(form->Children().size(), 2u);

    EXPECT_EQ(form->OpenDocumentWindow(fifo), nullptr);  // refused at once, not waited on
    EXPECT_EQ(form->Children().size(), 2u);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("通常のファイルではない"), std::string::npos);

    ui.openResults = {FakeUi::Chose({fifo})};
    form->ChildActivated(first);
    form->Execute(ActionId::InsertFileAtCaretLine);
    EXPECT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(first->Editor1().Lines().GetTextStr(), "x\r\n");
}

TEST_F(MainFormTest, InsertFileFollowsTheOpeningRulesForEndOfFileAndNulBytes) {
    std::string path = dir.Write("doc.r", "one\r\n");
    std::string part = dir.Write("part.h", std::string("a\x1A" "b\0c\r\n\x1A\r\n", 10));
    Start({path});
    ui.openResults = {FakeUi::Chose({part})};
    form->Execute(ActionId::InsertFileAtCaretLine);
    EXPECT_EQ(Doc(0)->Editor1().Lines().GetTextStr(), "a\x1A" "b c\r\n\r\none\r\n");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("NUL文字が 1 個"), std::string::npos);
}

TEST(WindowPlace, StoredGeometryFitsTheScreensThatExist) {
    using app::TWindowRect;
    const std::vector<TWindowRect> two = {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
    struct Case { TWindowRect stored, fitted; } cases[] = {
        {{100, 50, 800, 600}, {100, 50, 800, 600}},              // fits: unchanged
        {{99999, 1, 600, 400}, {1320, 1, 600, 400}},             // off every screen: onto the first
        {{1, 1, 100000, 400}, {0, 1, 1920, 400}},                // wider than the screen
        {{2000, 900, 600, 400}, {2000, 624, 600, 400}},          // mostly on the second: pulled onto it
        {{-50, -20, 10, 10}, {0, 0, 200, 150}},                  // too small and off the edge
        {{1800, 10, 600, 400}, {1920, 10, 600, 400}},            // overlaps the second more
    };
    for (const auto& c : cases) EXPECT_EQ(app::FitWindowToScreens(c.stored, two), c.fitted) << c.stored.left;
    EXPECT_EQ(app::FitWindowToScreens({5, 5, 10, 10}, {}), (TWindowRect{5, 5, 200, 150}));
}

// Child windows: every place lies inside the client area at a usable size,
// tiles cover it without overlap, cascades never shrink below the minimum.
TEST(WindowPlace, ChildWindowsOpenAndArrangeInsideTheArea) {
    using app::TWindowRect;
    const app::TMdiMetrics m;  // step 24, minimum 320 x 160
    auto inside = [](const TWindowRect& r, const TWindowRect& a) {
        return r.left >= 0 && r.top >= 0 && r.left + r.width <= a.width && r.top + r.height <= a.height;
    };
    for (TWindowRect area : {TWindowRect{0, 0, 1000, 600}, TWindowRect{0, 0, 500, 300}, TWindowRect{0, 0, 200, 100}}) {
        const bool roomy = area.width >= m.minWidth && area.height >= m.minHeight;
        for (int i = 0; i < 40; ++i) {
            TWindowRect r = app::NewChildPlace(i, area, m);
            EXPECT_TRUE(inside(r, area)) << area.width << " new " << i;
            if (roomy) {
                EXPECT_GE(r.width, m.minWidth);
            }
        }
        for (int n : {1, 2, 5, 13}) {
            for (const TWindowRect& r : app::CascadePlaces(n, area, m)) {
                EXPECT_TRUE(inside(r, area)) << area.width << " cascade " << n;
                if (roomy) {
                    EXPECT_TRUE(r.width >= m.minWidth && r.height >= m.minHeight) << n;
                }
            }
            for (bool horizontal : {true, false}) {
                auto tiles = app::TilePlaces(n, horizontal, area, m);
                ASSERT_EQ(tiles.size(), static_cast<size_t>(n));
                long covered = 0;
                for (size_t a = 0; a < tiles.size(); ++a) {
                    EXPECT_TRUE(inside(tiles[a], area)) << n << horizontal;
                    covered += long{tiles[a].width} * tiles[a].height;
                    for (size_t b = a + 1; b < tiles.size(); ++b)
                        EXPECT_TRUE(tiles[a].left + tiles[a].width <= tiles[b].left ||
                                    tiles[b].left + tiles[b].width <= tiles[a].left ||
                                    tiles[a].top + tiles[a].height <= tiles[b].top ||
                                    tiles[b].top + tiles[b].height <= tiles[a].top) << n << horizontal << a << b;
                }
                EXPECT_EQ(covered, long{area.width} * area.height) << n << horizontal;
            }
        }
    }
    // Side by side while each keeps the minimum width, then in rows.
    auto vertical = app::TilePlaces(5, false, {0, 0, 1000, 600}, m);
    EXPECT_EQ(vertical[0], (TWindowRect{0, 0, 333, 300}));
    EXPECT_EQ(vertical[3], (TWindowRect{0, 300, 500, 300}));
    EXPECT_EQ(app::TilePlaces(2, false, {0, 0, 1000, 600}, m)[1], (TWindowRect{500, 0, 500, 600}));
    // New windows step down and right, and start over before leaving the area.
    EXPECT_EQ(app::NewChildPlace(1, {0, 0, 900, 600}, m), (TWindowRect{24, 24, 600, 400}));
    EXPECT_EQ(app::NewChildPlace(9, {0, 0, 900, 600}, m), (TWindowRect{0, 0, 600, 400}));
}

// The Edit commands follow what the active document can undo and redo, the
// view hears when that changes, and panel 3 tells a typed change ("(変更有り)")
// from an Undo command ("変更有り"); saving leaves nothing to undo.
TEST_F(MainFormTest, UndoAndRedoCommandsFollowTheDocumentAndPanel3) {
    struct CountingView : NullMainView {
        int states = 0;
        void StateChanged() override { ++states; }
    } view;
    Start({dir.Write("u.r", "abc\r\n")});
    form->SetView(&view);
    TMDIChild* doc = Doc(0);
    editor::TEditor& ed = doc->Editor1();
    auto commands = [&] {
        return std::pair(form->Enabled(ActionId::EditUndo), form->Enabled(ActionId::EditRedo));
    };
    EXPECT_EQ(commands(), std::pair(false, false));
    ed.SetRowCol(0, 3);
    int before = view.states;
    ed.InsertText("d");
    ed.InsertText("e");
    EXPECT_EQ(view.states, before + 1);  // only when the answer changes
    EXPECT_EQ(commands(), std::pair(true, false));
    EXPECT_EQ(doc->Panel(3), "(変更有り)");
    form->Execute(ActionId::EditUndo);
    EXPECT_EQ(ed.Lines().Get(0), "abcd");
    EXPECT_EQ(doc->Panel(3), "変更有り");
    EXPECT_EQ(commands(), std::pair(true, true));
    // The editor's own shortcut (Ctrl+Z) is the editor's undo.
    before = view.states;
    ed.ShortcutKey('Z', {false, true, false});
    EXPECT_EQ(ed.Lines().Get(0), "abc");
    EXPECT_EQ(doc->Panel(3), "");
    EXPECT_EQ(commands(), std::pair(false, true));
    EXPECT_EQ(view.states, before + 1);
    EXPECT_TRUE(doc->DocumentChanged());  // undo never clears the changed flag
    ed.ShortcutKey('A', {false, true, false});  // the editor's redo
    EXPECT_EQ(ed.Lines().Get(0), "abcd");
    form->Execute(ActionId::EditRedo);
    EXPECT_EQ(ed.Lines().Get(0), "abcde");
    EXPECT_EQ(commands(), std::pair(true, false));
    form->Execute(ActionId::EditUndo);
    form->Execute(ActionId::FileSave1);
    EXPECT_EQ(commands(), std::pair(false, false));
    EXPECT_EQ(doc->Panel(3), "");
    form->SetView(nullptr);
}

TEST_F(MainFormTest, ProgramHelpIsItsHlpFileElseTheShippedHtml) {
    const std::string base = dir.path() + "/vkcore_tests";  // this program's name
    struct Case { std::vector<std::string> files; std::string opened; } cases[] = {
        {{}, base + ".HLP"},  // missing: the viewer names the file it looked for
        {{"vkcore_tests.html"}, base + ".html"},
    };
    for (const Case& c : cases) {
        for (const std::string& f : c.files) dir.Write(f, "help");
        ui.helpCalls.clear();
        Start();
        form->AppMessage(TMainForm::Key::F1);
        EXPECT_EQ(ui.helpCalls, std::vector<std::string>{"contents " + c.opened});
        form.reset();
    }
    // A .HLP file goes to wine's help viewer (here a stand-in for wine that
    // notes what it was asked), which ends when the program does.
    const std::string hlp = dir.Write("VKCORE_TESTS.hlp", "help");
    const std::string noted = dir.File("viewer.txt");
    const std::string wine = dir.Write("fakewine", "#!/bin/sh\nprintf '%s\\n' \"$$ $*\" > " + noted + ".part\nmv " + noted +
                                                       ".part " + noted + "\nexec sleep 30\n");
    ::chmod(wine.c_str(), 0755);
    dir.Write("VKBUILD.INI", "[OPT]\r\nWINE=" + wine + "\r\n");
    ui.helpCalls.clear();
    Start();
    form->AppMessage(TMainForm::Key::F1);
    for (int i = 0; i < 200 && !std::filesystem::exists(noted); ++i) ::usleep(10000);
    const std::string args = TempDir::Read(noted);
    EXPECT_TRUE(ui.helpCalls.empty());
    EXPECT_NE(args.find(" winhlp32.exe " + *platform::WineDrives::Default().ToWindows(hlp)), std::string::npos) << args;
    const pid_t viewer = std::atoi(args.c_str());
    ASSERT_GT(viewer, 0);
    EXPECT_EQ(::kill(viewer, 0), 0);
    form->FormDestroy();
    EXPECT_NE(::kill(viewer, 0), 0);  // ended and reaped
    form.reset();
    // Without wine: what to install.
    dir.Write("VKBUILD.INI", "[OPT]\r\nWINE=/nonexistent/wine\r\n");
    Start();
    ui.messages.clear();
    form->AppMessage(TMainForm::Key::F1);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0],
              "VKCORE_TESTS.hlp は Windows のヘルプファイルです。wine をインストールしてください (apt-get install wine)");
}

TEST_F(MainFormTest, CtrlDeleteAndCtrlBackspaceChangeOnlyTheCaretLine) {
    // As the view delivers them: the window's key handling, then the
    // editor's key-down when the window passed the key on.
    struct Case { const char* text; int row, col, key; const char* after; int caretCol; } cases[] = {
        {"abcdef\r\nlast", 1, 2, editor::vkDelete, "abcdef\r\nla", 2},  // no line break added
        {"abcdef\r\nlast\r\n", 1, 2, editor::vkDelete, "abcdef\r\nla\r\n", 2},
        {"abcdef\r\nlast", 1, 0, editor::vkDelete, "abcdef\r\n", 0},
        {"abcdef\r\nlast", 0, 3, editor::vkDelete, "abc\r\nlast", 3},
        {"only", 0, 1, editor::vkDelete, "o", 1},
        {"x\x95\x5c\"a\r\n  indented line", 1, 2, editor::vkBack, "x\x95\x5c\"a\r\nindented line", 0},
        {"x\x95\x5c\"a\r\n  last\r\n", 1, 4, editor::vkBack, "x\x95\x5c\"a\r\nst\r\n", 0},
    };
    std::string path = dir.Write("k.r", "");
    Start({path});
    editor::TEditor& ed = Doc(0)->Editor1();
    for (const Case& c : cases) {
        ed.Lines().SetTextStr(c.text);
        ed.SetRowCol(c.row, c.col);
        const editor::TKeyState ctrl{.ctrl = true};
        if (!Doc(0)->Editor1KeyDown(c.key, ctrl)) ed.KeyDown(c.key, ctrl, false);
        EXPECT_EQ(ed.Lines().GetTextStr(), c.after) << c.text << " " << c.key;
        EXPECT_EQ(std::pair(ed.Row(), ed.Col()), std::pair(c.row, c.caretCol)) << c.text << " " << c.key;
    }
    // With word wrap on, rows are screen rows: the whole line's part after
    // or before the caret goes, and no other line changes.
    editor::TEditorWrapOption wrap;
    wrap.SetWrapByte(20);
    ed.SetWrapOption(wrap);
    ed.SetWordWrap(true);
    const std::string line(50, 'a');  // rows of 20, 20 and 10
    struct Wrapped { int row, col, key; std::string after; int caretRow, caretCol; } wrapped[] = {
        {1, 5, editor::vkDelete, "top\r\n" + std::string(5, 'a') + "\r\nend", 1, 5},
        {2, 3, editor::vkDelete, "top\r\n" + std::string(23, 'a') + "\r\nend", 2, 3},
        {3, 5, editor::vkBack, "top\r\n" + std::string(5, 'a') + "\r\nend", 1, 0},
        {4, 2, editor::vkDelete, "top\r\n" + line + "\r\nen", 4, 2},
    };
    for (const Wrapped& c : wrapped) {
        ed.Lines().SetTextStr("top\r\n" + line + "\r\nend");
        ASSERT_EQ(ed.RowCount(), 5);
        ed.SetRowCol(c.row, c.col);
        const editor::TKeyState ctrl{.ctrl = true};
        if (!Doc(0)->Editor1KeyDown(c.key, ctrl)) ed.KeyDown(c.key, ctrl, false);
        EXPECT_EQ(ed.Lines().GetTextStr(), c.after) << c.row << " " << c.key;
        EXPECT_EQ(std::pair(ed.Row(), ed.Col()), std::pair(c.caretRow, c.caretCol)) << c.row << " " << c.key;
    }
}

TEST_F(MainFormTest, FilesChangedByAnotherProgramAreReloadedAskedAboutOrReportedOnActivation) {
    const std::string mine = "one\r\ntwo\r\nthree\r\n";
    const std::string theirs = "ONE\r\nTWO\r\nTHREE\r\nfour\r\n";
    std::string path = dir.Write("ext.r", mine);
    Start({path});
    const std::string reloaded = "ディスク上で変更されたため再読み込みしました";
    const std::string asked = path + "\nは他のプログラムによって変更されました。再読み込みしますか? (いいえ: 編集中の内容を残します)";
    const std::string gone = path + "\nは他のプログラムによって削除または移動されました。編集中の内容はそのまま残します。";
    auto modify = [&] { dir.Write("ext.r", theirs); };
    auto replace = [&] {  // another file of the same size and time renamed over it
        std::string o = dir.Write("o.r", "ONE\r\nTWO\r\nTHREE\r\n");
        std::filesystem::last_write_time(o, std::filesystem::last_write_time(path));
        std::filesystem::rename(o, path);
    };
    auto remove = [&] { std::filesystem::remove(path); };
    auto nothing = [] {};
    enum Result { Kept, Reloaded };
    struct Case {
        bool edited;
        std::function<void()> outside;
        MsgAnswer answer;
        const std::string* message;  // nullptr: no box
        Result result;
        bool changedAfter;
    } cases[] = {
        {false, modify, MsgAnswer::Yes, nullptr, Reloaded, false},
        {false, replace, MsgAnswer::Yes, nullptr, Reloaded, false},
        {false, remove, MsgAnswer::Ok, &gone, Kept, true},
        {false, nothing, MsgAnswer::Yes, nullptr, Kept, false},
        {true, modify, MsgAnswer::Yes, &asked, Reloaded, false},
        {true, modify, MsgAnswer::No, &asked, Kept, true},
        {true, replace, MsgAnswer::Yes, &asked, Reloaded, false},
        {true, replace, MsgAnswer::No, &asked, Kept, true},
        {true, remove, MsgAnswer::Ok, &gone, Kept, true},
        {true, nothing, MsgAnswer::Yes, nullptr, Kept, true},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(i);
        dir.Write("ext.r", mine);
        ui.answers.assign(4, MsgAnswer::Yes);  // closing without saving
        while (!form->Children().empty()) form->CloseChild(*form->Children().back());
        TMDIChild* doc = form->OpenDocumentWindow(path);
        editor::TEditor& ed = doc->Editor1();
        if (c.edited) ed.Lines().Put(1, "edited");
        const std::string before = ed.Lines().GetTextStr();
        const std::string disk = (c.outside(), std::filesystem::exists(path) ? TempDir::Read(path) : "");
        ui.messages.clear();
        ui.answers = {c.answer};
        form->FormActivate();
        EXPECT_EQ(ui.messages, c.message ? std::vector<std::string>{*c.message} : std::vector<std::string>{});
        EXPECT_EQ(ed.Lines().GetTextStr(), c.result == Reloaded ? disk : before);
        EXPECT_EQ(doc->DocumentChanged(), c.changedAfter);
        EXPECT_EQ(doc->Panel(4), c.result == Reloaded ? reloaded : "");
        // Told once: activating again (the program or the window) says nothing more.
        ui.messages.clear();
        form->FormActivate();
        form->ChildActivated(doc);
        EXPECT_TRUE(ui.messages.empty());
        if (c.result == Reloaded) {
            // The reload is one undo step.
            form->Execute(ActionId::EditUndo);
            EXPECT_EQ(ed.Lines().GetTextStr(), before);
            EXPECT_TRUE(doc->DocumentChanged());
        }
        if (c.edited && c.answer == MsgAnswer::No) {
            // Kept: the save still asks before it overwrites their version.
            ui.answers = {MsgAnswer::No};
            form->Execute(ActionId::FileSave1);
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_EQ(ui.messages[0], path + "\nは他のプログラムによって変更されています。上書きしますか?");
            EXPECT_EQ(TempDir::Read(path), disk);
        }
    }
}

TEST_F(MainFormTest, AReloadKeepsCaretTopRowAndMarksWhereTheirRowsStillExist) {
    std::string text;
    for (int i = 0; i < 30; ++i) text += "line " + std::to_string(i) + "\r\n";
    std::string path = dir.Write("ext.r", text);
    Start({path});
    editor::TEditor& ed = Doc(0)->Editor1();
    ed.SetVisibleRows(10);
    ed.SetRowMarks(3, 1 << 1);
    ed.SetRowMarks(25, 1 << 2);
    ed.SetTopRow(2);
    ed.SetRowCol(5, 4);
    std::string shorter;
    for (int i = 0; i < 20; ++i) shorter += "LINE " + std::to_string(i) + "\r\n";
    dir.Write("ext.r", shorter);
    form->ChildActivated(Doc(0));
    EXPECT_EQ(ed.Lines().Get(5), "LINE 5");
    EXPECT_EQ(ed.TopRow(), 2);
    EXPECT_EQ(ed.Row(), 5);
    EXPECT_EQ(ed.Col(), 4);
    EXPECT_EQ(ed.RowMarks(3), editor::TRowMarks{1 << 1});
    EXPECT_EQ(ed.MarksInUse(), editor::TRowMarks{1 << 1});  // row 25 is gone, and its mark with it
}

TEST_F(MainFormTest, ManyChangedFilesGiveOneQuestionAndNoSecondWhileItIsOpen) {
    std::vector<std::string> paths;
    for (const char* name : {"a.r", "b.r", "c.r", "d.r"}) paths.push_back(dir.Write(name, "old\r\n"));
    Start(paths);
    for (size_t i : {0u, 1u, 3u}) Doc(i)->Editor1().Lines().Add("mine");
    for (const char* name : {"a.r", "b.r", "c.r", "d.r"}) dir.Write(name, "newer\r\n");
    int nested = 0;
    ui.onMessage = [&](const std::string&) {
        // Changed again while the question is open, and activated again.
        ++nested;
        for (const char* name : {"a.r", "b.r"}) dir.Write(name, "newest\r\n");
        form->FormActivate();
        form->ChildActivated(Doc(0));
    };
    ui.answers = {MsgAnswer::No};
    form->FormActivate();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(ui.messages[0], paths[0] + "\n" + paths[1] + "\n" + paths[3] +
                                  "\nは他のプログラムによって変更されました。再読み込みしますか? (いいえ: 編集中の内容を残します)");
    EXPECT_EQ(Doc(2)->Editor1().Lines().GetTextStr(), "newer\r\n");  // unedited: read again without asking
    EXPECT_EQ(Doc(0)->Editor1().Lines().GetTextStr(), "old\r\nmine\r\n");
    // The answer covered the changes made while it was open.
    ui.onMessage = nullptr;
    ui.messages.clear();
    form->FormActivate();
    EXPECT_TRUE(ui.messages.empty());
    // A later change asks again.
    dir.Write("a.r", "latest!\r\n");
    ui.answers = {MsgAnswer::Yes};
    form->FormActivate();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(Doc(0)->Editor1().Lines().GetTextStr(), "latest!\r\n");
    EXPECT_EQ(form->WatchedFiles(), paths);
}

TEST_F(MainFormTest, ZoomChangesOneWindowsFontWithinTheDialogsSizesOnly) {
    std::string a = dir.Write("a.r", "x\r\n"), b = dir.Write("b.r", "y\r\n");
    Start({a, b});
    struct Case { int steps; int size; } cases[] = {{1, 14}, {-2, 12}, {-10, 8}, {-1, 8}, {30, 32}, {1, 32}, {-19, 13}};
    for (const Case& c : cases) {
        Doc(0)->Zoom(c.steps);
        EXPECT_EQ(Doc(0)->Editor1().Properties().font.size, c.size);
        EXPECT_EQ(Doc(0)->Panel(4), "ﾌｫﾝﾄｻｲｽﾞ " + std::to_string(c.size));
    }
    Doc(0)->Zoom(3);
    EXPECT_EQ(Doc(1)->Editor1().Properties().font.size, 13);
    EXPECT_EQ(form->Settings().fontSize, 13);
}
