// The main window's build commands with the stand-in compiler: checks and
// skips, the message window, and the jump from a message to its line.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "FakeUi.h"
#include "TestFiles.h"
#include "app/MainForm.h"

using app::ActionId;
using platform::MsgAnswer;

namespace {

// The stand-in compiler with `config` in its own folder, named in the program folder's settings.
void InstallStandIn(TempDir& program, TempDir& compiler, const std::string& config = "") {
    std::filesystem::copy_file(VKC_STANDIN, compiler.File("VKC.EXE"));
    if (!config.empty()) compiler.Write("VKC.CFG", config);
    program.Write("VKBUILD.INI", "[VKC]\r\nPATH=" + compiler.path() + "\r\n");
}

// A started main form whose Ui is told the form first: its events act on it.
template <class U>
std::unique_ptr<app::TMainForm> StartWith(U& ui, TempDir& program, std::vector<std::string> args,
                                          app::TMainFormView* view = nullptr) {
    auto form = std::make_unique<app::TMainForm>(ui, program.path(), std::move(args));
    if (view) form->SetView(view);
    ui.form = form.get();
    form->FormCreate();
    form->FormActivate();
    return form;
}

class BuildTest : public ::testing::Test {
protected:
    TempDir program, compiler, src;
    FakeUi ui;
    std::unique_ptr<app::TMainForm> form;

    void Start(std::vector<std::string> args, bool withCompiler = true) {
        if (withCompiler) InstallStandIn(program, compiler);
        form = std::make_unique<app::TMainForm>(ui, program.path(), std::move(args));
        form->FormCreate();
        form->FormActivate();
    }
    std::vector<compiler::TMsgForm*> Messages() const {
        std::vector<compiler::TMsgForm*> out;
        for (auto& c : form->Children())
            if (auto* m = dynamic_cast<compiler::TMsgForm*>(c.get())) out.push_back(m);
        return out;
    }
};

const char* kBroken = "int f()\r\n{\r\n\tint a = 1\r\n\treturn a;\r\n}\r\n";

}  // namespace

TEST_F(BuildTest, MissingCompilerAsksAndNoEndsTheCommand) {
    std::string file = src.Write("a.r", kBroken);
    Start({file}, false);
    ui.answers = {MsgAnswer::No};
    form->Execute(ActionId::Link);
    EXPECT_EQ(ui.messages.back(),
              "VKC.EXEへのパスが設定されていないか、VKC.EXEが見つかりません\r\n環境設定をここで行いますか？");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(BuildTest, CompileListsTheMessagesAndJumpGoesToTheLine) {
    std::string file = src.Write("a.r", kBroken);
    Start({file});
    form->Execute(ActionId::Link);
    ASSERT_EQ(Messages().size(), 1u);
    compiler::TMsgForm* msg = Messages().front();
    EXPECT_EQ(msg->Caption(), "Message");
    const auto& items = msg->Items();
    auto it = std::find(items.begin(), items.end(), "a.r(3) : error: ';' expected at end of statement");
    ASSERT_NE(it, items.end());

    app::TMDIChild* doc = form->ActiveDocument();
    EXPECT_EQ(doc, nullptr);  // the message window is active now
    msg->SetSelected(static_cast<int>(it - items.begin()));
    msg->ListBox1DblClick();
    EXPECT_TRUE(ui.TimerPending(70));
    ui.FireTimers();
    doc = form->ActiveDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->Editor1().Row(), 2);

    // The next build replaces the message window.
    form->Execute(ActionId::Compile);
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_EQ(form->Children().size(), 2u);
}

TEST_F(BuildTest, JumpSetsTheTopRowAThirdOfTheWindowHigher) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += "int x" + std::to_string(i) + ";\r\n";
    std::string file = src.Write("long.r", text);
    Start({file});
    form->ActiveDocument()->Editor1().SetVisibleRows(30);
    compiler::TMsgForm* msg = form->ShowCompilerOutput("LONG.R(50) : warning: w\r\nlong.r(2) : error: e\r\n");
    msg->SetSelected(0);
    msg->ListBox1KeyDown(13);
    ui.FireTimers();
    editor::TEditor& ed = form->ActiveDocument()->Editor1();
    EXPECT_EQ(ed.Row(), 49);
    EXPECT_EQ(ed.TopRow(), 40);
    msg->SetSelected(1);
    msg->ListBox1DblClick();
    ui.FireTimers();
    EXPECT_EQ(ed.TopRow(), 0);

    // Numbers at the ends of the 32-bit range: lines before the first go to line 1.
    msg = form->ShowCompilerOutput("long.r(-2147483648) : error: e\nlong.r(2147483647) : error: e\nlong.r(0) : error: e\n");
    for (auto [item, row] : {std::pair(0, 0), std::pair(1, 99), std::pair(2, 0)}) {
        ed.SetRow(50);
        msg->SetSelected(item);
        msg->ListBox1DblClick();
        ui.FireTimers();
        EXPECT_EQ(ed.Row(), row) << item;
    }
}

TEST_F(BuildTest, MessagesWithoutTargetsOrWithBadNumbersDoNotJump) {
    Start({});
    compiler::TMsgForm* msg = form->ShowCompilerOutput("plain text\nx.r(abc) : error: e\n");
    msg->SetSelected(0);
    msg->ListBox1DblClick();
    EXPECT_FALSE(ui.TimerPending(70));
    msg->SetSelected(1);
    msg->ListBox1DblClick();
    EXPECT_FALSE(ui.TimerPending(70));
    EXPECT_EQ(ui.messages.back(), "'abc' は整数ではありません");
    msg->ListBox1KeyPress('C');
    EXPECT_EQ(ui.clipboard, "plain text\r\nx.r(abc) : error: e\r\n");
    compiler::TMsgForm* empty = form->ShowCompilerOutput("");
    empty->ListBox1KeyPress('c');
    EXPECT_EQ(ui.clipboard, "");
}

TEST_F(BuildTest, HeadersUntitledAndConfigurationAreNotCompiled) {
    std::string header = src.Write("defs.h", "int x;\r\n");
    Start({header});
    form->Execute(ActionId::Link);
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(ui.messages.empty());
    form->Execute(ActionId::FileNew1);
    form->Execute(ActionId::Compile);
    EXPECT_EQ(ui.messages.back(), "ファイルが保存されていません\r\n保存してから実行してください");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(BuildTest, AChangedDocumentIsSavedBeforeItCompiles) {
    std::string file = src.Write("c.r", "int f()\r\n{\r\n}\r\n");
    Start({file});
    form->ActiveDocument()->Editor1().Lines().Insert(2, "\treturn 1");
    form->Execute(ActionId::Compile);
    EXPECT_EQ(TempDir::Read(file), "int f()\r\n{\r\n\treturn 1\r\n}\r\n");
    ASSERT_EQ(Messages().size(), 1u);
    const auto& items = Messages().front()->Items();
    EXPECT_NE(std::find(items.begin(), items.end(), "c.r(3) : error: ';' expected at end of statement"), items.end());
}

TEST_F(BuildTest, QuickMakeLinksEverySourceWindowIntoTheChosenFile) {
    std::string a = src.Write("a.r", "int a()\r\n{\r\n\treturn 1;\r\n}\r\n");
    std::string b = src.Write("b.r", "int b()\r\n{\r\n\treturn 2;\r\n}\r\n");
    Start({a, b});
    EXPECT_TRUE(form->Enabled(ActionId::QuickMake));
    ui.saveResults = {FakeUi::Chose({src.File("out.RX")})};
    form->Execute(ActionId::QuickMake);
    EXPECT_EQ(ui.saveRequests.back().title, "実行ファイル");
    EXPECT_EQ(ui.saveRequests.back().initialDir, src.path() + "/");
    EXPECT_TRUE(std::filesystem::exists(src.File("out.RX")));
    EXPECT_EQ(TempDir::Read(src.File("out.RX")), "VKC EXECUTABLE\r\na.r\r\nb.r\r\n");
}

namespace {
struct RecordingView : app::TMainFormView {
    int closeRequests = 0;
    void ChildAdded(forms::TMdiChildForm&) override {}
    void ChildRemoving(forms::TMdiChildForm&) override {}
    void ActivateChild(forms::TMdiChildForm&) override {}
    void StateChanged() override {}
    void CloseMainWindow() override { ++closeRequests; }
    void WindowCommand(ActionId) override {}
    void ShowAbout() override {}
};

// Events processed while the compiler runs: the user closes the program.
struct ClosingUi : FakeUi {
    app::TMainForm* form = nullptr;
    bool asked = false;
    bool refused = false;
    void ProcessEvents() override {
        ++processEventsCalls;
        if (form && !asked && processEventsCalls > 5) {
            asked = true;
            refused = !form->FormCloseQuery();
        }
    }
};
}  // namespace

TEST(BuildWhileClosing, QuittingEndsTheCompilerAndClosesAfterwards) {
    TempDir program, compiler, src;
    InstallStandIn(program, compiler, "sleep=10000\r\n");
    ClosingUi ui;
    RecordingView view;
    auto owner = StartWith(ui, program, {src.Write("s.r", "int x;\r\n")}, &view);
    app::TMainForm& form = *owner;
    EXPECT_TRUE(form.Enabled(ActionId::Link));
    auto start = std::chrono::steady_clock::now();
    form.Execute(ActionId::Link);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_TRUE(ui.refused);  // the close waited for the build to unwind
    EXPECT_LT(seconds, 5.0);  // the compiler was ended, not waited for
    EXPECT_EQ(view.closeRequests, 1);
    EXPECT_FALSE(form.Building());
    EXPECT_TRUE(form.FormCloseQuery());
}

TEST(BuildWhileClosing, SecondBuildIsRefusedWhileOneRuns) {
    TempDir program, compiler, src;
    InstallStandIn(program, compiler, "sleep=300\r\n");
    struct ReenteringUi : FakeUi {
        app::TMainForm* form = nullptr;
        bool sawDisabled = false;
        void ProcessEvents() override {
            if (form && ++processEventsCalls == 3) {
                sawDisabled = !form->Enabled(ActionId::Link) && !form->Enabled(ActionId::Compile);
                form->Execute(ActionId::Link);  // ignored
            }
        }
    } ui;
    auto owner = StartWith(ui, program, {src.Write("s.r", "int x;\r\n")});
    app::TMainForm& form = *owner;
    form.Execute(ActionId::Link);
    EXPECT_TRUE(ui.sawDisabled);
    int messages = 0;
    for (auto& c : form.Children()) messages += c->Kind() == forms::ChildKind::Message;
    EXPECT_EQ(messages, 1);
}

// As the compiler writes them: file names in UTF-8, its own words in Shift-JIS.
TEST_F(BuildTest, JumpsReachTheWindowTheMessageNames) {
    std::string text;
    for (int i = 0; i < 50; ++i) text += "int x;\r\n";
    std::vector<std::string> files;
    for (const char* name : {"LONGNAME.R", "OTHERNAME.R", "合計テスト.r"}) files.push_back(src.Write(name, text));
    Start(files);
    compiler::TMsgForm* msg =
        form->ShowCompilerOutput("OTHERNAME.R(40) : error: e\r\n合計テスト.r(9) : error: \x95\x5c\x8e\xa6\r\n");
    EXPECT_EQ(msg->Items()[1], "合計テスト.r(9) : error: 表示");
    struct Case { int item; std::string window; int row; } cases[] = {{0, files[1], 39}, {1, files[2], 8}};
    for (const Case& c : cases) {
        msg->SetSelected(c.item);
        msg->ListBox1DblClick();
        ui.FireTimers();
        ASSERT_NE(form->ActiveDocument(), nullptr);
        EXPECT_EQ(form->ActiveDocument()->Caption(), c.window);
        EXPECT_EQ(form->ActiveDocument()->Editor1().Row(), c.row);
    }
}

TEST(BuildWhileClosing, StopEndsTheBuildAndSaysSoInTheList) {
    TempDir program, compiler, src;
    InstallStandIn(program, compiler, "sleep=10000\r\n");
    struct StoppingUi : FakeUi {
        app::TMainForm* form = nullptr;
        std::string status;
        bool stopEnabled = false;
        void ProcessEvents() override {
            if (!form || ++processEventsCalls != 10) return;
            status = form->BuildStatus();
            stopEnabled = form->Enabled(ActionId::CompileStop);
            form->Execute(ActionId::CompileStop);
        }
    } ui;
    auto form = StartWith(ui, program, {src.Write("s.r", "int x;\r\n")});
    EXPECT_FALSE(form->Enabled(ActionId::CompileStop));
    auto start = std::chrono::steady_clock::now();
    form->Execute(ActionId::Link);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 3.0);
    EXPECT_TRUE(ui.stopEnabled);
    EXPECT_EQ(ui.status, "コンパイル中... (Ctrl+Breakで中止)");
    EXPECT_EQ(form->BuildStatus(), "");
    auto* msg = dynamic_cast<compiler::TMsgForm*>(form->Children().back().get());
    ASSERT_NE(msg, nullptr);
    ASSERT_GE(msg->Items().size(), 2u);  // what it wrote, then the notice
    EXPECT_EQ(msg->Items().back(), "*** コンパイルを中止しました ***");
}

TEST_F(BuildTest, ACompilerThatCannotStartIsReportedInTheList) {
    compiler.Write("VKC.EXE", "#!/bin/sh\necho never\n");  // no execute bit
    program.Write("VKBUILD.INI", "[VKC]\r\nPATH=" + compiler.path() + "\r\n");
    Start({src.Write("a.r", kBroken)}, false);
    form->Execute(ActionId::Link);
    ASSERT_EQ(Messages().size(), 1u);
    const compiler::MessageLines& items = Messages().front()->Items();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0], compiler.path() + "/VKC a.r を起動できません: Permission denied");
}
