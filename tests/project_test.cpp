// The main window's project commands through the scripted Ui: open and close,
// the command-line project, what is saved when, bad project files, and
// project make.
#include <gtest/gtest.h>

#include <filesystem>

#include "MainFormFixture.h"

using app::ActionId;
using platform::MsgAnswer;
using project::EntryList;

namespace {

// `dir` is the program folder; projects and their sources lie in `src`.
class ProjectTest : public MainFormFixture {
protected:
    TempDir src;

    // A project in `src` whose sources are `entries`.
    std::string WriteProject(const std::string& file, const std::string& name, std::vector<std::string> entries) {
        std::string text = "[PROJECT]\r\nName=" + name + "\r\nRX=" + src.File(name + ".RX") + "\r\n[R]\r\nDIR=" +
                           src.path() + "/\r\nRCNT=" + std::to_string(entries.size()) + "\r\n";
        for (size_t i = 0; i < entries.size(); ++i) text += "r0" + std::to_string(i + 1) + "=" + entries[i] + "\r\n";
        return src.Write(file, text);
    }
    void Open(const std::string& prj) {
        ui.openResults.push_back(FakeUi::Chose({prj}));
        form->Execute(ActionId::ProjectOpen);
    }
    // The captions of the windows other than the project window.
    std::vector<std::string> Captions() const {
        std::vector<std::string> out;
        for (auto& c : form->Children())
            if (c->Kind() != forms::ChildKind::Project) out.push_back(c->Caption());
        return out;
    }
    bool ProjectCommandsEnabled() const {
        bool a = form->Enabled(ActionId::AppendPrj), m = form->Enabled(ActionId::ProjectMake),
             w = form->Enabled(ActionId::ProjectWindowFront);
        EXPECT_TRUE(a == m && m == w);
        return a;
    }
};

}  // namespace

TEST_F(ProjectTest, OpenShowsSourcesInOrderAndCloseUndoesIt) {
    std::string b = src.Write("b.r", "b\r\n");
    TempDir elsewhere;
    std::string a = elsewhere.Write("a.r", "a\r\n");
    std::string prj = WriteProject("p.PRJ", "p", {"b.r", a, "new.r"});
    Start();
    EXPECT_FALSE(ProjectCommandsEnabled());
    Open(prj);
    EXPECT_EQ(ui.openRequests.back().initialDir, dir.path() + "/");
    EXPECT_EQ(Captions(), (std::vector<std::string>{b, a, src.File("new.r")}));
    EXPECT_EQ(form->Caption(), "VeskC Builder - p");
    EXPECT_TRUE(ProjectCommandsEnabled());
    EXPECT_TRUE(form->QuickMakeEnabled());
    EXPECT_EQ(form->ProjectOpenInitialDir(), src.path() + "/");

    // A bare recent-file name belongs to the source folder.
    form->AddRecentFile("x.r");
    EXPECT_EQ(form->RecentFiles().front(), src.File("x.r"));

    form->Execute(ActionId::ProjectClose);
    EXPECT_TRUE(form->Children().empty());
    EXPECT_EQ(form->Caption(), "VeskC Builder");
    EXPECT_FALSE(ProjectCommandsEnabled());
    EXPECT_FALSE(form->Project().IsOpen());
    EXPECT_TRUE(form->Project().List(EntryList::Sources).empty());
    EXPECT_EQ(form->Project().projectFile, prj);
    EXPECT_FALSE(std::filesystem::exists(src.File("new.r")));  // unchanged: not saved
    form->Execute(ActionId::ProjectClose);  // a second close does nothing
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ProjectTest, OpeningAnotherProjectSavesTheFirstBeforeReadingTheSecond) {
    std::string a = src.Write("a.r", "a\r\n"), b = src.Write("b.r", "b\r\n"), loose = src.Write("c.r", "c\r\n");
    std::string p1 = WriteProject("p1.PRJ", "one", {"a.r"});
    std::string p2 = WriteProject("p2.PRJ", "two", {"b.r"});
    Start({loose});
    Doc(0)->Editor1().Lines().Add("c2");
    Open(p1);  // every window goes first, changed ones saved without a question
    EXPECT_EQ(Captions(), std::vector<std::string>{a});
    EXPECT_EQ(TempDir::Read(loose), "c\r\nc2\r\n");

    Doc(0)->Editor1().Lines().Add("a2");
    form->Project().Add(EntryList::Documents, "notes.txt");
    // A document that cannot be saved (changed on disk; the user will not
    // overwrite it) stops the open: nothing is lost, the first project stays.
    src.Write("a.r", "other program\r\n");
    ui.answers = {MsgAnswer::No};
    Open(p2);
    EXPECT_EQ(form->Caption(), "VeskC Builder - one");
    EXPECT_EQ(Captions(), std::vector<std::string>{a});
    EXPECT_EQ(TempDir::Read(a), "other program\r\n");

    ui.answers = {MsgAnswer::Yes};
    Open(p2);
    EXPECT_EQ(TempDir::Read(a), "a\r\na2\r\n");
    EXPECT_NE(TempDir::Read(p1).find("[DOC]\r\nDOCCNT=1\r\nDOC01=notes.txt\r\n"), std::string::npos);
    EXPECT_EQ(Captions(), std::vector<std::string>{b});
    EXPECT_EQ(form->Caption(), "VeskC Builder - two");
    EXPECT_EQ(form->Project().List(EntryList::Documents).size(), 0u);
}

TEST_F(ProjectTest, ExitNeverSavesAWindowTheUserChoseToDrop) {
    std::string a = src.Write("a.r", "a\r\n"), b = src.Write("b.r", "b\r\n");
    std::string prj = WriteProject("p.PRJ", "p", {"a.r", "b.r"});
    Start({prj});
    Doc(0)->Editor1().Lines().Add("dropped");
    form->Project().Add(EntryList::References, "http://example.com/");
    ui.answers = {MsgAnswer::Yes};  // close without saving
    ASSERT_TRUE(form->FormCloseQuery());
    form->FormDestroy();
    EXPECT_EQ(TempDir::Read(a), "a\r\n");
    EXPECT_EQ(TempDir::Read(b), "b\r\n");
    EXPECT_NE(TempDir::Read(prj).find("REF01=http://example.com/"), std::string::npos);
    EXPECT_EQ(ui.messages, std::vector<std::string>{"保存せずに閉じますか?"});
    EXPECT_NE(TempDir::Read(dir.File("VKBUILD.INI")).find("PRJ=" + dir.path() + "/\r\n"), std::string::npos);
}

TEST_F(ProjectTest, TheFirstProjectOnTheCommandLineWinsWhenItExists) {
    std::string a = src.Write("a.r", "a\r\n"), loose = src.Write("c.r", "c\r\n");
    std::string prj = WriteProject("p.prj", "p", {"a.r"});
    struct Case { std::vector<std::string> args, windows; std::string caption; } cases[] = {
        {{loose, prj}, {a}, "VeskC Builder - p"},
        {{src.File("missing.PRJ"), prj, loose}, {loose}, "VeskC Builder"},
        {{loose}, {loose}, "VeskC Builder"},
    };
    for (const Case& c : cases) {
        Start(c.args);
        EXPECT_EQ(Captions(), c.windows) << c.args.front();
        EXPECT_EQ(form->Caption(), c.caption);
        EXPECT_EQ(ProjectCommandsEnabled(), c.caption != "VeskC Builder");
        form->FormActivate();  // only the first activation opens anything
        EXPECT_EQ(Captions(), c.windows);
        form.reset();
    }
}

TEST_F(ProjectTest, BadProjectFilesOpenWithWhatCanBeRead) {
    src.Write("a.r", "a\r\n");
    const std::string folder = "[R]\r\nDIR=" + src.path() + "/\r\n";
    struct Case { const char* name; std::string text; std::vector<std::string> windows; std::string projectName;
                  bool warned; } cases[] = {
        {"empty.PRJ", "", {}, "empty", false},
        {"huge.PRJ", "[PROJECT]\r\nName=h\r\n" + folder + "RCNT=999999999\r\nr01=a.r\r\n", {src.File("a.r")}, "h", true},
        {"neg.PRJ", folder + "RCNT=-5\r\nr01=a.r\r\n[RO]\r\nROCNT=x\r\n", {}, "neg", true},
        // Windows paths lead below the project's folder (told in one message);
        // a UNC path names no file here and is refused.
        {"win.PRJ",
         "[PROJECT]\r\nName=w\r\n[R]\r\nDIR=D:\\work\\src\\\r\nRCNT=5\r\nr01=main.R\r\nr02=E:\\lib\\util.R\r\n"
         "r03=\\x\\a.R\r\nr04=" + src.File("a.r") + "\r\nr05=\\\\srv\\s\\b.R\r\n",
         {src.File("work/src/main.R"), src.File("lib/util.R"), src.File("x/a.R"), src.File("a.r")}, "w", true},
        {"junk.PRJ", std::string("\x00\xff\r\n[R]\r\nRCNT=1\r\nr01=", 21) + src.File("a.r") + "\r\n\x1a",
         {src.File("a.r")}, "junk", false},
    };
    Start();
    for (const Case& c : cases) {
        std::string prj = src.Write(c.name, c.text);
        ui.messages.clear();
        Open(prj);
        EXPECT_EQ(Captions(), c.windows) << c.name;
        EXPECT_EQ(form->Project().name, c.projectName) << c.name;
        EXPECT_EQ(form->Caption(), "VeskC Builder - " + c.projectName) << c.name;
        EXPECT_EQ(!ui.messages.empty(), c.warned) << c.name;
        form->Execute(ActionId::ProjectClose);
        EXPECT_FALSE(form->Project().IsOpen());
    }
    // Saving a Windows-path project gives its paths back as they were.
    EXPECT_NE(TempDir::Read(src.File("win.PRJ")).find("DIR=D:\\work\\src\\\r\nRCNT=5\r\nr01=main.R\r\n"),
              std::string::npos);
    ui.messages.clear();
    Open(src.File("win.PRJ"));
    ASSERT_EQ(ui.messages.size(), 2u);
    for (const char* path : {"D:\\work\\src\\", "E:\\lib\\util.R", "\\x\\a.R"})
        EXPECT_NE(ui.messages[0].find("Windows のパス " + std::string(path) + " を "), std::string::npos) << path;
    EXPECT_NE(ui.messages[1].find("\\\\srv\\s\\b.R を開けません: Windows のパスです"), std::string::npos);
    // What is not a file, or not a project, is refused before anything is
    // closed, and left as it is.
    std::filesystem::create_directory(src.File("dir.PRJ"));
    std::string binary;
    for (int i = 0; i < 1024; ++i) binary += static_cast<char>(i * 37 % 251);
    const std::string notProject = src.Write("binary.PRJ", binary);
    for (const std::string& bad : {src.File("dir.PRJ"), notProject}) {
        Open(src.File("huge.PRJ"));
        ui.messages.clear();
        Open(bad);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(form->Caption(), "VeskC Builder - h");
        EXPECT_EQ(Captions().size(), 1u);
    }
    EXPECT_EQ(ui.messages.front(), notProject + " はプロジェクトファイルではありません");
    EXPECT_EQ(TempDir::Read(notProject), binary);
    form.reset();
    Start({notProject});
    EXPECT_EQ(ui.messages.back(), notProject + " はプロジェクトファイルではありません");
    EXPECT_EQ(form->Caption(), "VeskC Builder");
}

// Closing a project rewrites only what changed: foreign lines keep their bytes
// and line ends, entries their Shift-JIS bytes; what Shift-JIS cannot hold is
// never saved as "?".
TEST_F(ProjectTest, AProjectFileKeepsWhatTheProgramDidNotChange) {
    const std::string file = "; mine\n[PROJECT]\nName=p\nRX=p.RX\rOdd=\x01\xff\x80\n[R]\r\nDIR=" + src.path() +
                             "/\r\nRCNT=2\r\nr01=\x80\xA0.R\r\nr02=\x87\x90\xFD.R\n[RI]\nINSTALL=\n[RO]\nROCNT=0\n"
                             "[DOC]\nDOCCNT=1\nDOC01=\x95\x5C\x80.txt\n[REF]\nREFCNT=0";
    const std::string prj = src.Write("p.PRJ", file);
    Start();
    Open(prj);
    form->Execute(ActionId::ProjectClose);
    EXPECT_TRUE(TempDir::Read(prj) == file) << TempDir::Read(prj);
    EXPECT_TRUE(ui.messages.empty());

    Open(prj);
    form->Project().Add(EntryList::References, "\xF0\x9F\x98\x80");  // no Shift-JIS code
    for (MsgAnswer answer : {MsgAnswer::No, MsgAnswer::Yes}) {
        ui.messages.clear();
        ui.answers = {answer};
        form->Execute(ActionId::ProjectClose);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_NE(ui.messages[0].find("REF/REF01"), std::string::npos);
        EXPECT_NE(ui.messages[0].find("保存せずにプロジェクトを閉じますか?"), std::string::npos);
        EXPECT_EQ(form->Project().IsOpen(), answer == MsgAnswer::No);
        EXPECT_TRUE(TempDir::Read(prj) == file);
    }
}

TEST_F(ProjectTest, AProjectFileThatCannotBeWrittenIsReported) {
    TempDir gone;
    const std::string prj = gone.File("sub/p.PRJ");
    auto openThenRemoveItsFolder = [&] {
        std::filesystem::create_directory(gone.File("sub"));
        gone.Write("sub/p.PRJ", "[PROJECT]\r\nName=p\r\n");
        Open(prj);
        std::filesystem::remove_all(gone.File("sub"));
    };
    Start();
    openThenRemoveItsFolder();
    ui.answers = {MsgAnswer::No};  // keep the project open
    form->Execute(ActionId::ProjectClose);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("プロジェクトファイルを保存できません。\n" + prj), std::string::npos);
    EXPECT_TRUE(form->Project().IsOpen());
    ui.answers = {MsgAnswer::Yes};
    form->Execute(ActionId::ProjectClose);
    EXPECT_FALSE(form->Project().IsOpen());
    // At exit there is no keeping it open: it is only reported.
    openThenRemoveItsFolder();
    ui.messages.clear();
    form->FormDestroy();
    ASSERT_FALSE(ui.messages.empty());
    EXPECT_NE(ui.messages[0].find("プロジェクトファイルを保存できません。"), std::string::npos);
}

TEST_F(ProjectTest, ProjectMakeBuildsTheProjectInItsFolder) {
    TempDir compiler;
    std::filesystem::copy_file(VKC_STANDIN, compiler.File("VKC.EXE"));
    dir.Write("VKBUILD.INI", "[VKC]\r\nPATH=" + compiler.path() + "\r\n");
    src.Write("a.r", "int main()\r\n{\r\n\treturn 0;\r\n}\r\n");
    src.Write("defs.h", "#define X 1\r\n");
    Start();
    form->MakeExecute();  // no project: nothing
    EXPECT_TRUE(form->Children().empty());
    Open(WriteProject("p.PRJ", "p", {"a.r", "defs.h"}));
    form->Execute(ActionId::ProjectMake);
    ASSERT_EQ(form->Children().size(), 4u);  // two sources, the project window, the output
    auto* msg = dynamic_cast<compiler::TMsgForm*>(form->Children().back().get());
    ASSERT_NE(msg, nullptr);
    EXPECT_EQ(msg->Items().back(), "0 error(s), 0 warning(s)");
    EXPECT_TRUE(std::filesystem::exists(src.File("p.RX")));
}
