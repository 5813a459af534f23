// The build commands with the stand-in compiler built as a Windows program,
// run for real through wine in the build tree's prefix (WINEPREFIX is set by
// the test run): what each command lists, and the jumps from its messages.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "FakeUi.h"
#include "TestFiles.h"
#include "app/MainForm.h"
#include "platform/Wine.h"

using app::ActionId;

namespace {

const char* kBroken = "int f()\r\n{\r\n\tint a = 1\r\n\treturn a;\r\n}\r\n";
const char* kGood = "int g()\r\n{\r\n\treturn 2;\r\n}\r\n";

class WineBuildTest : public ::testing::Test {
protected:
    TempDir program, compiler, src, other;
    FakeUi ui;
    std::unique_ptr<app::TMainForm> form;

    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(VKC_WINDOWS_STANDIN))
            << "the Windows build of the stand-in is missing (x86_64-w64-mingw32-g++ not installed?)";
        ASSERT_FALSE(platform::FindWine("", platform::ProcessEnvironment()).empty()) << "wine is not installed";
        std::filesystem::copy_file(VKC_WINDOWS_STANDIN, compiler.File("VKC.EXE"));
    }
    void Start(std::vector<std::string> args, const std::string& config = "", const std::string& wine = "") {
        if (!config.empty()) compiler.Write("VKC.CFG", config);
        program.Write("VKBUILD.INI", "[VKC]\r\nPATH=" + compiler.path() + "\r\n[OPT]\r\nWINE=" + wine + "\r\n");
        form = std::make_unique<app::TMainForm>(ui, program.path(), std::move(args));
        form->FormCreate();
        form->FormActivate();
    }
    compiler::TMsgForm* Message() const {
        for (auto& c : form->Children())
            if (auto* m = dynamic_cast<compiler::TMsgForm*>(c.get())) return m;
        return nullptr;
    }
    std::vector<std::string> Items() const {
        std::vector<std::string> out;
        if (compiler::TMsgForm* m = Message())
            for (std::string_view s : m->Items()) out.emplace_back(s);
        return out;
    }
    // Jumps from the listed line `item`; the caption and row it reached.
    std::pair<std::string, int> JumpFrom(const std::string& item) {
        compiler::TMsgForm* m = Message();
        std::vector<std::string> items = Items();
        auto it = std::find(items.begin(), items.end(), item);
        if (!m || it == items.end()) return {"(not listed)", -1};
        m->SetSelected(static_cast<int>(it - items.begin()));
        m->ListBox1DblClick();
        ui.FireTimers();
        app::TMDIChild* doc = form->ActiveDocument();
        if (!doc) return {"(none)", -1};
        return {doc->Caption(), doc->Editor1().Row()};
    }
};

}  // namespace

TEST_F(WineBuildTest, CompileAndLinkListTheMessagesAndJumpToTheLine) {
    const std::string a = src.Write("a.r", kBroken);
    Start({a}, "sjis=1\r\ncrlf=1\r\n");
    // Compile only: Shift-JIS messages that a Windows program writes as
    // CR CR LF ("\r\n" in text mode) and CR LF.
    form->Execute(ActionId::Compile);
    std::vector<std::string> items = Items();
    ASSERT_EQ(items.size(), 3u) << (items.empty() ? "" : items.front());
    EXPECT_EQ(items[0], "VKC (stand-in) VeskC compiler");
    EXPECT_EQ(items[1], "a.r(3) : error: 文の終わりに ';' がありません");
    EXPECT_EQ(items[2], "エラー 1 個、警告 0 個");
    EXPECT_EQ(JumpFrom(items[1]), std::make_pair(a, 2));

    // Compile and link: the file as on disk (an unchanged window is not saved).
    src.Write("a.r", kGood);
    form->Execute(ActionId::Link);
    EXPECT_EQ(Items().back(), "エラー 0 個、警告 0 個");
    EXPECT_EQ(TempDir::Read(src.File("a.RX")), "VKC EXECUTABLE\r\na.r\r\n");
}

TEST_F(WineBuildTest, QuickMakeGivesAbsolutePathsInWindowsFormAndTheirMessagesJump) {
    const std::string a = src.Write("a.r", kGood);
    const std::string c = other.Write("c.r", kBroken);
    Start({a, c});
    ui.saveResults = {FakeUi::Chose({src.File("out.RX")})};
    form->Execute(ActionId::QuickMake);
    const std::string windowsC = *platform::WineDrives::Default().ToWindows(c);
    std::vector<std::string> items = Items();
    ASSERT_GE(items.size(), 2u);
    EXPECT_EQ(items[1], windowsC + "(3) : error: ';' expected at end of statement");
    EXPECT_EQ(JumpFrom(items[1]), std::make_pair(c, 2));

    other.Write("c.r", kGood);
    ui.saveResults = {FakeUi::Chose({src.File("out.RX")})};
    form->Execute(ActionId::QuickMake);  // the windows' files as on disk (not saved first)
    EXPECT_EQ(TempDir::Read(src.File("out.RX")), "VKC EXECUTABLE\r\na.r\r\n" + windowsC + "\r\n");
}

TEST_F(WineBuildTest, ProjectMakeFromAProjectBroughtFromWindows) {
    namespace fs = std::filesystem;
    fs::create_directories(src.File("work/src"));
    fs::create_directories(src.File("work/lib"));
    src.Write("work/src/main.R", kGood);
    src.Write("work/lib/util.R", kBroken);
    src.Write("work/src/o.RO", "VKC OBJECT\r\n");
    const std::string text =
        "[PROJECT]\r\nName=sample\r\nRX=D:\\work\\sample.RX\r\n[R]\r\nDIR=D:\\work\\src\\\r\n"
        "RCNT=2\r\nr01=main.R\r\nr02=E:\\lib\\util.R\r\n[RI]\r\nINSTALL=\r\n[RO]\r\nROCNT=1\r\n"
        "ro01=o.RO\r\n[DOC]\r\nDOCCNT=0\r\n[REF]\r\nREFCNT=0\r\n";
    const std::string prj = src.Write("work/sample.PRJ", text);
    Start({prj});
    ASSERT_TRUE(form->Project().IsOpen());
    form->Execute(ActionId::ProjectMake);
    const std::string util = src.File("work/lib/util.R");
    std::vector<std::string> items = Items();
    ASSERT_GE(items.size(), 2u);
    EXPECT_EQ(items[1], *platform::WineDrives::Default().ToWindows(util) + "(3) : error: ';' expected at end of statement");
    EXPECT_EQ(JumpFrom(items[1]), std::make_pair(util, 2));

    src.Write("work/lib/util.R", kGood);
    form->Execute(ActionId::ProjectMake);
    // RX lies outside DIR: given in full, as wine names it.
    EXPECT_EQ(TempDir::Read(src.File("work/sample.RX")),
              "VKC EXECUTABLE\r\nmain.R\r\n" + *platform::WineDrives::Default().ToWindows(util) + "\r\no.RO\r\n");
    // Closing writes the project back with every path as it was stored.
    form->Execute(ActionId::ProjectClose);
    EXPECT_FALSE(form->Project().IsOpen());
    EXPECT_EQ(TempDir::Read(prj), text);
}

TEST_F(WineBuildTest, StopEndsTheWindowsProgram) {
    struct StoppingUi : FakeUi {
        app::TMainForm* form = nullptr;
        void ProcessEvents() override {
            if (form && ++processEventsCalls == 100) form->Execute(ActionId::CompileStop);
        }
    } stopping;
    program.Write("VKBUILD.INI", "[VKC]\r\nPATH=" + compiler.path() + "\r\n");
    compiler.Write("VKC.CFG", "sleep=20000\r\n");
    auto f = std::make_unique<app::TMainForm>(stopping, program.path(), std::vector<std::string>{src.Write("s.r", kGood)});
    stopping.form = f.get();
    f->FormCreate();
    f->FormActivate();
    auto start = std::chrono::steady_clock::now();
    f->Execute(ActionId::Link);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 10.0);
    auto* msg = dynamic_cast<compiler::TMsgForm*>(f->Children().back().get());
    ASSERT_NE(msg, nullptr);
    EXPECT_EQ(std::string(msg->Items().back()), "*** コンパイルを中止しました ***");
}

TEST_F(WineBuildTest, WithoutWineTheListSaysWhatToInstall) {
    Start({src.Write("a.r", kGood)}, "", "/nonexistent/wine");
    form->Execute(ActionId::Link);
    EXPECT_EQ(Items(), std::vector<std::string>{
                           "VKC.EXE は Windows のプログラムです。wine をインストールしてください (apt-get install wine)"});
}
