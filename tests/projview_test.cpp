// The project window's rules through the scripted Ui: drops per category,
// the Add commands' duplicate and bare-name rules, removal, the properties
// text, double click and keys, and the main window's deferred open.
#include <gtest/gtest.h>

#include <filesystem>

#include "MainFormFixture.h"
#include "project/ProjView.h"

using project::EntryList;
using project::ProjectCategory;
using project::ProjectNode;
using project::TProjectViewForm;
using Cat = ProjectCategory;
using Key = TProjectViewForm::Key;
using Lists = std::vector<std::vector<std::string>>;  // sources, objects, documents, references

namespace {

// A view over a model whose source folder is a temporary one; "@" at the
// start of a path in the tables below stands for that folder.
struct ViewFixture {
    TempDir dir;
    FakeUi ui;
    project::ProjectModel model;
    std::unique_ptr<TProjectViewForm> view;
    std::vector<project::TRefDocForm> dialogs;  // what each entry dialog was set to
    std::optional<std::string> typed;           // nullopt: Cancel
    std::vector<std::pair<std::string, int>> opened;
    int wizards = 0;

    explicit ViewFixture(Lists lists = {}, std::string installInfo = "") {
        model.name = "p";
        model.executable = "p.RX";
        model.sourceFolder = dir.path() + "/";
        lists.resize(4);
        for (size_t i = 0; i < 4; ++i)
            for (const std::string& e : lists[i]) model.Add(project::kEntryLists[i], At(e));
        model.installInfo = installInfo;
        view = std::make_unique<TProjectViewForm>(model, ui, "/prog/");
        view->RunEntryDialog = [this](project::TRefDocForm& d) {
            dialogs.push_back(d);
            if (typed) d.text = *typed;
            return typed.has_value();
        };
        view->OnOpenRequest = [this](const std::string& p, int c) { opened.emplace_back(p, c); };
        view->OnInstallWizard = [this] { ++wizards; };
    }
    std::string At(const std::string& s) const { return s.starts_with('@') ? model.sourceFolder + s.substr(1) : s; }
    Lists Expanded(Lists lists) const {
        lists.resize(4);
        for (auto& l : lists)
            for (std::string& e : l) e = At(e);
        return lists;
    }
    Lists Now() const {
        Lists out;
        for (EntryList l : project::kEntryLists) out.push_back(model.List(l));
        return out;
    }
};

}  // namespace

TEST(ProjectViewDrop, EachCategoryTakesItsTypesOnceAndTheTargetIsTheNodesRoot) {
    struct Case { const char* name; Lists before; std::string installBefore; std::optional<ProjectNode> target;
                  std::vector<std::string> dropped; Lists after; std::string installAfter; };
    const std::vector<Case> cases = {
        {"three .R, one already a bare source", {{"b.r"}}, "", ProjectNode{Cat::Sources},
         {"@a.R", "@B.R", "/x/c.r"}, {{"b.r", "a.R", "/x/c.r"}}, ""},
        {"source types only", {}, "", ProjectNode{Cat::Sources, -1}, {"/x/a.c", "/x/b.CPP", "/x/o.RO", "/x/t.txt"},
         {{"/x/a.c", "/x/b.CPP"}}, ""},
        {".RO on objects' child, once", {{}, {"/y/z.ro"}}, "", ProjectNode{Cat::Objects, 0},
         {"/x/o.RO", "/X/O.ro", "/x/a.r"}, {{}, {"/y/z.ro", "/x/o.RO"}}, ""},
        {"documents ignore case", {{}, {}, {"/d/Read.txt"}}, "", ProjectNode{Cat::Documents},
         {"/D/READ.TXT", "/d/prog.exe"}, {{}, {}, {"/d/Read.txt", "/d/prog.exe"}}, ""},
        {"references take anything", {}, "", ProjectNode{Cat::References, -1}, {"/r/a.pdf"},
         {{}, {}, {}, {"/r/a.pdf"}}, ""},
        {"install info: first .RI only", {}, "", ProjectNode{Cat::InstallInfo}, {"/i/one.ri", "/i/two.RI"}, {},
         "/i/one.ri"},
        {"install info: first must be .RI", {}, "", ProjectNode{Cat::InstallInfo}, {"/i/a.txt", "/i/two.RI"}, {}, ""},
        {"install info: already set", {}, "/i/old.ri", ProjectNode{Cat::InstallInfo, 0}, {"/i/new.ri"}, {},
         "/i/old.ri"},
        {"executable ignores", {}, "", ProjectNode{Cat::Executable, 0}, {"/x/a.r", "/x/p.RX"}, {}, ""},
        {"no node under the point", {}, "", std::nullopt, {"/x/a.r"}, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ViewFixture f(c.before, c.installBefore);
        f.view->NodeAt = [&](int x, int y) {
            EXPECT_EQ(std::pair(x, y), std::pair(7, 9));
            return c.target;
        };
        std::vector<std::string> paths;
        for (const std::string& p : c.dropped) paths.push_back(f.At(p));
        f.view->FileDrop1FileDrop(7, 9, paths);
        EXPECT_EQ(f.Now(), f.Expanded(c.after));
        EXPECT_EQ(f.model.installInfo, c.installAfter);
    }
}

TEST(ProjectViewAdd, DuplicatesBareNamesAndTheInstallFile) {
    struct Case { const char* name; void (TProjectViewForm::*command)(); Lists before; std::string installBefore;
                  std::optional<std::string> typed; Lists after; std::string installAfter; };
    const std::vector<Case> cases = {
        {"cancel", &TProjectViewForm::AddSource, {}, "", std::nullopt, {}, ""},
        {"empty text", &TProjectViewForm::AddSource, {}, "", "", {}, ""},
        {"source in the source folder is stored bare", &TProjectViewForm::AddSource, {}, "", "@n.r", {{"n.r"}}, ""},
        {"missing file: case counts", &TProjectViewForm::AddSource, {{"/x/A.r"}}, "", "/x/a.r", {{"/x/A.r", "/x/a.r"}},
         ""},
        {"existing file: case does not count", &TProjectViewForm::AddSource, {{"@EXISTS.R"}}, "", "@exists.r",
         {{"@EXISTS.R"}}, ""},
        {"object stored bare is found by its path", &TProjectViewForm::AddObject, {{}, {"o.ro"}}, "", "@o.ro",
         {{}, {"o.ro"}}, ""},
        {"document: case never counts", &TProjectViewForm::AddDocument, {{}, {}, {"/d/A.TXT"}}, "", "/d/a.txt",
         {{}, {}, {"/d/A.TXT"}}, ""},
        {"document keeps its folder", &TProjectViewForm::AddDocument, {}, "", "@d.txt", {{}, {}, {"@d.txt"}}, ""},
        {"reference: a URL", &TProjectViewForm::AddReference, {{}, {}, {}, {"http://a/"}}, "", "http://A/",
         {{}, {}, {}, {"http://a/", "http://A/"}}, ""},
        {"install file set", &TProjectViewForm::ChooseInstallInfo, {}, "", "/i/new.ri", {}, "/i/new.ri"},
        {"install file replaced", &TProjectViewForm::ChooseInstallInfo, {}, "/i/old.ri", "/i/new.ri", {}, "/i/new.ri"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ViewFixture f(c.before, c.installBefore);
        f.dir.Write("exists.r", "");
        if (c.typed) f.typed = f.At(*c.typed);
        (f.view.get()->*c.command)();
        EXPECT_EQ(f.Now(), f.Expanded(c.after));
        EXPECT_EQ(f.model.installInfo, c.installAfter);
        EXPECT_EQ(f.view->ChildCount(Cat::InstallInfo), c.installAfter.empty() ? 0 : 1);
        if (!c.installAfter.empty()) EXPECT_EQ(f.view->Text({Cat::InstallInfo, 0}), c.installAfter);
    }

    // The browse button starts in the source folder, else the program's; Cancel keeps the text.
    ViewFixture f;
    f.view->AddSource();
    ASSERT_EQ(f.dialogs.size(), 1u);
    project::TRefDocForm browse = f.dialogs[0];
    f.ui.openResults.push_back(FakeUi::Chose({"/picked/x.r"}));
    browse.Button1Click();
    EXPECT_EQ(browse.text, "/picked/x.r");
    EXPECT_EQ(f.ui.openRequests.back().initialDir, f.model.sourceFolder);
    browse.sourceFolder.clear();
    browse.Button1Click();
    EXPECT_EQ(browse.text, "/picked/x.r");
    EXPECT_EQ(f.ui.openRequests.back().initialDir, "/prog/");
}

TEST(ProjectViewRemove, PopupTakesTheFirstEqualEntryTheDeleteKeyEveryOne) {
    struct Case { ProjectNode node; bool enabled; Lists afterPopup, afterKey; std::string install; };
    const Lists start = {{"a.r", "b.r", "a.r"}, {"o.ro"}, {"d", "d"}, {"r"}};
    const std::vector<Case> cases = {
        {{Cat::Sources, 2}, true, {{"b.r", "a.r"}, {"o.ro"}, {"d", "d"}, {"r"}},
         {{"b.r"}, {"o.ro"}, {"d", "d"}, {"r"}}, "i.ri"},
        {{Cat::Documents, 1}, true, {{"a.r", "b.r", "a.r"}, {"o.ro"}, {"d"}, {"r"}},
         {{"a.r", "b.r", "a.r"}, {"o.ro"}, {}, {"r"}}, "i.ri"},
        {{Cat::InstallInfo, 0}, true, start, start, ""},
        {{Cat::Sources, -1}, false, start, start, "i.ri"},
        {{Cat::Executable, 0}, false, start, start, "i.ri"},
    };
    for (const Case& c : cases) {
        for (bool key : {false, true}) {
            SCOPED_TRACE(testing::Message() << int(c.node.category) << "/" << c.node.child << (key ? " key" : ""));
            ViewFixture f(start, "i.ri");
            f.view->Select(c.node);
            EXPECT_EQ(f.view->DeleteEnabled(), c.enabled);
            if (key)
                f.view->KeyDown(Key::Delete, false);
            else
                f.view->Delete1Click();
            EXPECT_EQ(f.Now(), key ? c.afterKey : c.afterPopup);
            EXPECT_EQ(f.model.installInfo, c.install);
            EXPECT_EQ(f.model.executable, "p.RX");
        }
    }
}

TEST(ProjectViewProperties, ListsEveryGroupEvenWhenEmpty) {
    ViewFixture empty;
    EXPECT_EQ(empty.view->PropertiesText(),
              "p のプロパティ\r\n\r\n実行ファイル  : p.RX\r\nｲﾝｽﾄｰﾙ情報ﾌｧｲﾙ: \r\nソースフォルダ: " + empty.model.sourceFolder +
                  "\r\n\r\nVeskCソース\r\n\r\nｺﾝﾊﾟｲﾙ済ｵﾌﾞｼﾞｪｸﾄ\r\n\r\nﾄﾞｷｭﾒﾝﾄ\r\n\r\n資料");
    ViewFixture full({{"a.r", "b.h"}, {"o.ro"}, {"d.txt"}, {"http://x/"}}, "i.ri");
    full.view->Property2Click();
    EXPECT_EQ(full.ui.messages, std::vector<std::string>{
        "p のプロパティ\r\n\r\n実行ファイル  : p.RX\r\nｲﾝｽﾄｰﾙ情報ﾌｧｲﾙ: i.ri\r\nソースフォルダ: " + full.model.sourceFolder +
        "\r\n\r\nVeskCソース\r\n  a.r\r\n  b.h\r\n\r\nｺﾝﾊﾟｲﾙ済ｵﾌﾞｼﾞｪｸﾄ\r\n  o.ro\r\n\r\n"
        "ﾄﾞｷｭﾒﾝﾄ\r\n  d.txt\r\n\r\n資料\r\n  http://x/"});
}

TEST(ProjectViewOpen, DoubleClickAndKeysByCategory) {
    ViewFixture f({{"a.r", "/abs/b.h"}, {"o.ro"}, {}, {"nifty:x"}}, "i.ri");
    const std::string dir = f.model.sourceFolder;
    struct Case { ProjectNode node; std::vector<std::pair<std::string, int>> opened; };
    const std::vector<Case> cases = {
        {{Cat::Sources, 0}, {{dir + "a.r", 0}}},     {{Cat::Sources, 1}, {{"/abs/b.h", 0}}},
        {{Cat::Objects, 0}, {}},                     {{Cat::InstallInfo, 0}, {{"i.ri", 2}}},
        {{Cat::References, 0}, {{"nifty:x", 4}}},    {{Cat::Executable, 0}, {}},
    };
    for (const Case& c : cases) {
        for (bool byKey : {false, true}) {
            f.opened.clear();
            f.view->Select(c.node);
            if (byKey)
                f.view->KeyDown(Key::Enter, false);
            else
                EXPECT_TRUE(f.view->DblClick(c.node));
            EXPECT_EQ(f.opened, c.opened);
        }
    }
    EXPECT_TRUE(f.dialogs.empty());

    // Roots: Enter expands or collapses; a double click adds only to an empty category.
    f.view->Select(ProjectNode{Cat::Sources});
    EXPECT_EQ(f.view->KeyDown(Key::Enter, false), TProjectViewForm::KeyResult::ExpandAll);
    EXPECT_EQ(f.view->KeyDown(Key::Enter, true), TProjectViewForm::KeyResult::CollapseAll);
    EXPECT_FALSE(f.view->DblClick({Cat::Sources}));
    EXPECT_TRUE(f.view->DblClick({Cat::Documents}));
    ASSERT_EQ(f.dialogs.size(), 1u);
    EXPECT_EQ(f.dialogs[0].caption, "ﾄﾞｷｭﾒﾝﾄの追加");

    ViewFixture g;
    EXPECT_TRUE(g.view->DblClick({Cat::InstallInfo}));
    EXPECT_EQ(g.wizards, 1);
    EXPECT_TRUE(g.dialogs.empty());
    // Insert on the same root asks for the file instead; on Executable and on
    // any child nothing.
    g.view->Select(ProjectNode{Cat::InstallInfo});
    g.view->KeyDown(Key::Insert, false);
    g.view->Select(ProjectNode{Cat::Executable});
    g.view->KeyDown(Key::Insert, false);
    g.view->Select(ProjectNode{Cat::Executable, 0});
    EXPECT_EQ(g.view->KeyDown(Key::Insert, false), TProjectViewForm::KeyResult::NotHandled);
    f.dialogs.clear();
    for (ProjectNode child : {ProjectNode{Cat::Sources, 0}, ProjectNode{Cat::Objects, 0}, ProjectNode{Cat::InstallInfo, 0}}) {
        f.view->Select(child);
        f.view->KeyDown(Key::Insert, false);
    }
    EXPECT_TRUE(f.dialogs.empty());
    g.view->DblClick({Cat::Executable, 0});
    ASSERT_EQ(g.dialogs.size(), 1u);
    EXPECT_EQ(g.dialogs[0].caption, "ｲﾝｽﾄｰﾙ情報ﾌｧｲﾙの選択");
    EXPECT_EQ(g.view->Text({Cat::Executable, 0}), "p.RX");
}

using ProjectViewMain = MainFormFixture;

TEST_F(ProjectViewMain, OpenCreatesTheWindowAndTimer2OpensByCategory) {
    TempDir src;
    Start();
    app::TMainForm& form = *this->form;
    src.Write("a.r", "a\r\n");
    src.Write("i.ri", "\r\n");
    const std::string tool = src.Write("notes", "#!/bin/sh\n");
    std::filesystem::permissions(tool, std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
    std::string prj = src.Write("p.PRJ", "[PROJECT]\r\nName=p\r\nRX=p.RX\r\n[R]\r\nDIR=" + src.path() +
                                             "/\r\nRCNT=2\r\nr01=a.r\r\nr02=\\\\srv\\x\\a.R\r\n[RI]\r\nINSTALL=" +
                                             src.File("i.ri") + "\r\n[DOC]\r\nDOCCNT=5\r\nDOC01=/d/run.exe\r\n"
                                             "DOC02=/d/read.TXT\r\nDOC03=notes\r\nDOC04=/d/app.Desktop\r\n"
                                             "DOC05=\\\\srv\\d\\x.txt\r\n[REF]\r\nREFCNT=5\r\nREF01=nifty:msg\r\n"
                                             "REF02=NIFTY:msg\r\nREF03=ssh://host/\r\nREF04=file://" + tool +
                                             "\r\nREF05=https://example.com/\r\n");
    ui.openResults.push_back(FakeUi::Chose({prj}));
    form.Execute(app::ActionId::ProjectOpen);
    EXPECT_NE(ui.messages.back().find("\\\\srv\\x\\a.R を開けません: Windows のパスです"), std::string::npos);
    TProjectViewForm* w = form.ProjectWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Caption(), "p");
    EXPECT_EQ(form.ActiveChild(), w);

    // Children after the timer; what went to the desktop or to the host.
    struct Case { ProjectNode node; size_t children; std::string desktop, automation; bool told; };
    const std::vector<Case> cases = {
        {{Cat::Sources, 0}, 2, "", "", false},  // already open: brought forward
        {{Cat::InstallInfo, 0}, 3, "", "", false},
        {{Cat::InstallInfo, 0}, 3, "", "", false},
        {{Cat::Sources, 1}, 3, "", "", true},  // a UNC path names no file here
        // Nothing that would start a program goes to the desktop's opener.
        {{Cat::Documents, 0}, 3, "", "", true},
        {{Cat::Documents, 1}, 3, "/d/read.TXT", "", false},
        {{Cat::Documents, 2}, 3, "", "", true},
        {{Cat::Documents, 3}, 3, "", "", true},
        {{Cat::Documents, 4}, 3, "", "", true},
        {{Cat::References, 0}, 3, "", "Korvane.Application OpenMessage nifty:msg", true},
        {{Cat::References, 1}, 3, "NIFTY:msg", "", false},
        {{Cat::References, 2}, 3, "", "", true},
        {{Cat::References, 3}, 3, "", "", true},
        {{Cat::References, 4}, 3, "https://example.com/", "", false},
    };
    auto one = [](const std::string& s) { return s.empty() ? std::vector<std::string>{} : std::vector{s}; };
    for (const Case& c : cases) {
        ui.desktopOpened.clear();
        ui.automationCalls.clear();
        ui.messages.clear();
        w->DblClick(c.node);
        EXPECT_TRUE(ui.TimerPending(50));
        ui.FireTimers();
        EXPECT_FALSE(ui.TimerPending(50));
        EXPECT_EQ(form.Children().size(), c.children);
        EXPECT_EQ(ui.desktopOpened, one(c.desktop));
        EXPECT_EQ(ui.automationCalls, one(c.automation));
        EXPECT_EQ(ui.messages.size(), c.told ? 1u : 0u) << w->Text(c.node);
    }
    EXPECT_EQ(form.ActiveChild()->Caption(), src.File("i.ri"));
    w->DblClick({Cat::Sources, 0});
    ui.FireTimers();
    EXPECT_EQ(form.ActiveChild()->Caption(), src.File("a.r"));

    // Entries edited in the window are saved when its close box closes the project.
    w->FileDrop1FileDrop(0, 0, {});
    w->NodeAt = [](int, int) { return ProjectNode{Cat::Objects}; };
    w->FileDrop1FileDrop(0, 0, {"/o/x.RO"});
    form.FormClick();
    EXPECT_EQ(form.ActiveChild(), w);
    ASSERT_TRUE(form.CloseChild(*w));
    EXPECT_EQ(form.ProjectWindow(), nullptr);
    EXPECT_FALSE(form.Project().IsOpen());
    EXPECT_EQ(form.Caption(), "VeskC Builder");
    EXPECT_NE(TempDir::Read(prj).find("ro01=/o/x.RO"), std::string::npos);
}
