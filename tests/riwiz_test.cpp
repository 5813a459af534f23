// The install information wizard: the file byte for byte, step numbering,
// the file buttons, what OK refuses, attaching to the project, and the
// main window's create and edit commands.
#include <gtest/gtest.h>

#include <filesystem>

#include "FakeUi.h"
#include "MainFormFixture.h"
#include "TestFiles.h"
#include "project/RiWiz.h"

using project::TRiWizForm;
constexpr project::ProjectCategory Install = project::ProjectCategory::InstallInfo;

TEST(RiWizFile, WrittenLineByLineInShiftJisWithCrLf) {
    struct Case { const char* name; std::function<void(TRiWizForm&)> fill; std::string bytes; };
    const std::string head = "[INSTALL]\r\nVERSION=\r\nTITLE=\r\nFILENAME=\r\nARG=\r\nLOGFILENAME=\r\nDEFAULT=EXECUTE\r\n"
                             "NOLOGIN=1\r\nACCESS=0\r\n";
    const Case cases[] = {
        {"example",
         [](TRiWizForm& f) {
             f.version = "1.00", f.title = "Sample", f.fileName = "sample.RX";
             f.copyText = "sample.RX";
             f.stepText = "[STEP1]\nCAPTION=Welcome\nINPUT=TITLE";
         },
         "[INSTALL]\r\nVERSION=1.00\r\nTITLE=Sample\r\nFILENAME=sample.RX\r\nARG=\r\nLOGFILENAME=\r\nDEFAULT=EXECUTE\r\n"
         "NOLOGIN=1\r\nACCESS=0\r\nCopy1=sample.RX\r\n\r\n[STEP1]\r\nCAPTION=Welcome\r\nINPUT=TITLE\r\n"},
        {"initial state: no copy lines, the empty line and nothing after it", [](TRiWizForm&) {}, head + "\r\n"},
        {"empty copy lines kept; a final line break adds none; steps unchanged",
         [](TRiWizForm& f) {
             f.copyText = "a.RX\n\nc.TXT\n";
             f.stepText = "  x = y \n\n[STEP2]";
         },
         head + "Copy1=a.RX\r\nCopy2=\r\nCopy3=c.TXT\r\n\r\n  x = y \r\n\r\n[STEP2]\r\n"},
        {"choices by index; Japanese text as Shift-JIS",
         [](TRiWizForm& f) { f.title = "表示", f.defaultAction = 3, f.noLogin = 0, f.access = 1; },
         "[INSTALL]\r\nVERSION=\r\nTITLE=\x95\x5c\x8e\xa6\r\nFILENAME=\r\nARG=\r\nLOGFILENAME=\r\nDEFAULT=EDIT\r\n"
         "NOLOGIN=0\r\nACCESS=1\r\n\r\n"},
        {"line breaks pasted into a single-line field are blanks",
         [](TRiWizForm& f) { f.version = "1.0\n[STEP9]", f.title = "a\r\nb\rc", f.logFileName = "\n"; },
         "[INSTALL]\r\nVERSION=1.0 [STEP9]\r\nTITLE=a b c\r\nFILENAME=\r\nARG=\r\nLOGFILENAME= \r\n"
         "DEFAULT=EXECUTE\r\nNOLOGIN=1\r\nACCESS=0\r\n\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        FakeUi ui;
        project::ProjectModel model;
        TRiWizForm f(model, ui, dir.path() + "/");
        c.fill(f);
        f.output = dir.File("out.RI");
        ASSERT_TRUE(f.OkClick());
        EXPECT_EQ(TempDir::Read(f.output), c.bytes);
        EXPECT_EQ(ui.messages, std::vector<std::string>{f.output + "に出力しました"});
    }
}

TEST(RiWizStep, NumberedFromTheLastHeadingWithANumber) {
    struct Case { std::string before; int next; } cases[] = {
        {"", 1},
        {"CAPTION=x", 1},
        {"[STEP1]\n[step3]\n[STEP2]", 3},  // the last, not the largest
        {"[STEP4]\n[STEPx]\n[STEP]\n[STEP-1]", 5},  // headings without a number do not count
        {"[STEP7]\n [STEP9]\n[STEP9] ", 8},  // nor lines with blanks outside the brackets
        {"[STEP1]\r\n[STEP12]\r", 13},
        {"[STEP99999999999]", 1},
    };
    for (const Case& c : cases) {
        FakeUi ui;
        project::ProjectModel model;
        TRiWizForm f(model, ui, "/prog/");
        f.stepText = c.before;
        f.AddStepClick();
        std::vector<std::string> lines = project::MemoLines(c.before);
        lines.insert(lines.end(), {"", "[STEP" + std::to_string(c.next) + "]", "CAPTION=", "INPUT="});
        EXPECT_EQ(project::MemoLines(f.stepText), lines) << c.before;
    }
}

TEST(RiWizButtons, DialogsFillTheFieldsAndOkRefusesWithoutLosingInput) {
    TempDir src;
    FakeUi ui;
    project::ProjectModel model;
    TRiWizForm closed(model, ui, "/prog/");
    EXPECT_FALSE(closed.AddToProjectEnabled());
    EXPECT_EQ(closed.StartFolder(), "/prog/");

    model.name = "p";
    model.sourceFolder = src.path() + "/";
    model.installInfo = "/old/old.RI";
    TRiWizForm f(model, ui, "/prog/");
    EXPECT_TRUE(f.AddToProjectEnabled());
    EXPECT_FALSE(f.addToProject);

    ui.openResults = {FakeUi::Chose({"/x/y/plug.RX"}), FakeUi::Chose({"/x/readme.txt"}),
                      FakeUi::Chose({"/x/data.dll"})};
    f.BrowseClick();
    f.AddCopyClick();
    f.AddCopyClick();
    f.AddCopyClick();  // cancelled: nothing
    EXPECT_EQ(f.fileName, "plug.RX");
    EXPECT_EQ(f.copyText, "readme.txt\ndata.dll");
    for (const platform::FileDialogOptions& o : ui.openRequests) EXPECT_EQ(o.initialDir, src.path() + "/");
    ui.saveResults = {FakeUi::Chose({src.File("a.RI")})};
    f.OutputClick();
    EXPECT_EQ(f.output, src.File("a.RI"));

    // Refused: the user is told, the wizard stays open with its input, and
    // neither disk nor project changes.
    f.addToProject = true;
    std::filesystem::create_directory(src.File("dir.RI"));
    struct Refusal { std::string output, title; bool outputField; } refusals[] = {
        {"", "t", true}, {src.File("dir.RI"), "t", true}, {src.File("a.RI"), "😀", false}};
    for (const Refusal& r : refusals) {
        ui.messages.clear();
        f.output = r.output;
        f.title = r.title;
        EXPECT_FALSE(f.OkClick()) << r.output;
        EXPECT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(f.OutputNeedsFix(), r.outputField);
        EXPECT_EQ(f.copyText, "readme.txt\ndata.dll");
    }
    EXPECT_FALSE(std::filesystem::exists(src.File("a.RI")));
    EXPECT_EQ(model.installInfo, "/old/old.RI");

    // A bare name lies in the start folder; the project's entry is replaced.
    f.output = "b.RI";
    f.title = "t";
    ASSERT_TRUE(f.OkClick());
    EXPECT_EQ(f.Written(), src.File("b.RI"));
    EXPECT_EQ(model.installInfo, src.File("b.RI"));
    EXPECT_NE(TempDir::Read(src.File("b.RI")).find("Copy2=data.dll\r\n\r\n"), std::string::npos);
}

namespace {

class RiCommands : public MainFormFixture {
protected:
    struct View : NullMainView {
        std::function<bool(project::TRiWizForm&)> wizard;
        bool RunRiWiz(project::TRiWizForm& form) override { return wizard && wizard(form); }
    } view;
    void TearDown() override {
        if (form) form->SetView(nullptr);
    }
};

}  // namespace

TEST_F(RiCommands, InstallWizardAttachesToTheProjectWindowAndEditOpensOnce) {
    dir.Write("a.r", "a\r\n");
    Start({dir.Write("p.PRJ", "[PROJECT]\r\nName=p\r\n[R]\r\nDIR=" + dir.path() + "/\r\nRCNT=1\r\nr01=a.r\r\n"
                                       "[RI]\r\nINSTALL=" + dir.File("old.RI") + "\r\n")});
    form->SetView(&view);
    project::TProjectViewForm* window = form->ProjectWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(window->ChildCount(Install), 1);
    view.wizard = [&](TRiWizForm& f) {
        f.output = dir.File("new.RI");
        f.addToProject = true;
        return f.OkClick();
    };
    // Double-clicking the empty category starts the wizard too.
    window->Select(project::ProjectNode{Install, 0});
    window->Delete1Click();
    window->Select(project::ProjectNode{Install, -1});
    window->DblClick(project::ProjectNode{Install, -1});
    EXPECT_EQ(window->Text({Install, 0}), dir.File("new.RI"));
    EXPECT_EQ(window->ChildCount(Install), 1);
    EXPECT_EQ(form->Project().installInfo, dir.File("new.RI"));

    // Edit: opened once in a window, never a recent file; a second time only says so.
    const size_t windows = form->Children().size();
    const std::vector<std::string> recent = form->RecentFiles();
    for (int i = 0; i < 2; ++i) {
        ui.messages.clear();
        ui.openResults = {FakeUi::Chose({dir.File("new.RI")})};
        form->Execute(app::ActionId::RiEdit);
        EXPECT_EQ(ui.openRequests.back().initialDir, dir.path() + "/");
        EXPECT_EQ(form->Children().size(), windows + 1);
        EXPECT_EQ(ui.messages, i ? std::vector<std::string>{"既にエディタでオープン中です"} : std::vector<std::string>{});
    }
    EXPECT_EQ(form->RecentFiles(), recent);
}
