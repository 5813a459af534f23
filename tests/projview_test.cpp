// The project window's rules through the scripted Ui: drops per category,
// the Add commands' duplicate and bare-name rules, removal, the properties
// text, double click and keys, and the main window's deferred open.
#include <gtest/gtest.h>

#include "FakeUi.h"
#include "TestFiles.h"
#include "app/MainForm.h"
#include "project/ProjView.h"

using project::EntryList;
using project::ProjectCategory;
using project::ProjectNode;
using project::TProjectViewForm;
using Cat = ProjectCategory;
using Key = TProjectViewForm::Key;
using Lists = std::vector<std::vector<std::string>>;  // sources, objects, documents, references

namespace {

struct ViewFixture {
    TempDir dir;
    FakeUi ui;
    project::ProjectModel model;
    std::unique_ptr<TProjectViewForm> view;
    std::vector<project::TRefDocForm> dialogs;  // what each entry dialog was set to
    std::optional<std::string> typed;           // nullopt: Cancel
    std::vector<std::pair<std::string, int>> opened;
    int wizards = 0;

    explicit ViewFixture(const Lists& lists = {{}, {}, {}, {}}, std::string installInfo = "") {
        model.name = "p";
        model.executable = "p.RX";
        model.sourceFolder = dir.path() + "/";
        for (size_t i = 0; i < lists.size(); ++i)
            for (const std::string& e : lists[i]) model.Add(project::kEntryLists[i], e);
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
    Lists Now() const {
        Lists out;
        for (EntryList l : project::kEntryLists) out.push_back(model.List(l));
        return out;
    }
};

}  // namespace

TEST(ProjectViewDrop, EachCategoryTakesItsTypesOnceAndTheTargetIsTheNodesRoot) {
    struct Case {
        const char* name;
        Lists before;
        std::string installBefore;
        std::optional<ProjectNode> target;
        std::vector<std::string> dropped;  // "@" stands for the source folder
        Lists after;
        std::string installAfter;
    };
    const std::vector<Case> cases = {
        {"three .R, one already a bare source", {{"b.r"}, {}, {}, {}}, "", ProjectNode{Cat::Sources},
         {"@a.R", "@B.R", "/x/c.r"}, {{"b.r", "a.R", "/x/c.r"}, {}, {}, {}}, ""},
        {"source types only", {}, "", ProjectNode{Cat::Sources, -1}, {"/x/a.c", "/x/b.CPP", "/x/o.RO", "/x/t.txt"},
         {{"/x/a.c", "/x/b.CPP"}, {}, {}, {}}, ""},
        {".RO on objects' child, once", {{}, {"/y/z.ro"}, {}, {}}, "", ProjectNode{Cat::Objects, 0},
         {"/x/o.RO", "/X/O.ro", "/x/a.r"}, {{}, {"/y/z.ro", "/x/o.RO"}, {}, {}}, ""},
        {"documents ignore case", {{}, {}, {"/d/Read.txt"}, {}}, "", ProjectNode{Cat::Documents},
         {"/D/READ.TXT", "/d/prog.exe"}, {{}, {}, {"/d/Read.txt", "/d/prog.exe"}, {}}, ""},
        {"references take anything", {}, "", ProjectNode{Cat::References, -1}, {"/r/a.pdf"},
         {{}, {}, {}, {"/r/a.pdf"}}, ""},
        {"install info: first .RI only", {}, "", ProjectNode{Cat::InstallInfo}, {"/i/one.ri", "/i/two.RI"},
         {{}, {}, {}, {}}, "/i/one.ri"},
        {"install info: first must be .RI", {}, "", ProjectNode{Cat::InstallInfo}, {"/i/a.txt", "/i/two.RI"},
         {{}, {}, {}, {}}, ""},
        {"install info: already set", {}, "/i/old.ri", ProjectNode{Cat::InstallInfo, 0}, {"/i/new.ri"},
         {{}, {}, {}, {}}, "/i/old.ri"},
        {"executable ignores", {}, "", ProjectNode{Cat::Executable, 0}, {"/x/a.r", "/x/p.RX"}, {{}, {}, {}, {}}, ""},
        {"no node under the point", {}, "", std::nullopt, {"/x/a.r"}, {{}, {}, {}, {}}, ""},
    };
    for (const Case& c : cases) {
        Lists before = c.before;
        before.resize(4);
        ViewFixture f(before, c.installBefore);
        f.view->NodeAt = [&](int x, int y) {
            EXPECT_EQ(x, 7);
            EXPECT_EQ(y, 9);
            return c.target;
        };
        std::vector<std::string> paths;
        for (std::string p : c.dropped) paths.push_back(p[0] == '@' ? f.model.sourceFolder + p.substr(1) : p);
        f.view->FileDrop1FileDrop(7, 9, paths);
        EXPECT_EQ(f.Now(), c.after) << c.name;
        EXPECT_EQ(f.model.installInfo, c.installAfter) << c.name;
    }
}

TEST(ProjectViewAdd, DuplicatesBareNamesAndTheDialogEachCommandSets) {
    struct Case {
        const char* name;
        void (TProjectViewForm::*command)();
        Lists before;
        std::optional<std::string> typed;  // "@" stands for the source folder
        Lists after;
    };
    const std::vector<Case> cases = {
        {"cancel", &TProjectViewForm::AddSource, {}, std::nullopt, {{}, {}, {}, {}}},
        {"empty text", &TProjectViewForm::AddSource, {}, "", {{}, {}, {}, {}}},
        {"source in the source folder is stored bare", &TProjectViewForm::AddSource, {}, "@n.r", {{"n.r"}, {}, {}, {}}},
        {"missing file: case counts", &TProjectViewForm::AddSource, {{"/x/A.r"}, {}, {}, {}}, "/x/a.r",
         {{"/x/A.r", "/x/a.r"}, {}, {}, {}}},
        {"existing file: case does not count", &TProjectViewForm::AddSource, {{"@EXISTS.R"}, {}, {}, {}}, "@exists.r",
         {{"@EXISTS.R"}, {}, {}, {}}},
        {"object stored bare is found by its path", &TProjectViewForm::AddObject, {{}, {"o.ro"}, {}, {}}, "@o.ro",
         {{}, {"o.ro"}, {}, {}}},
        {"document: case never counts", &TProjectViewForm::AddDocument, {{}, {}, {"/d/A.TXT"}, {}}, "/d/a.txt",
         {{}, {}, {"/d/A.TXT"}, {}}},
        {"document keeps its folder", &TProjectViewForm::AddDocument, {}, "@d.txt", {{}, {}, {"@d.txt"}, {}}},
        {"reference: a URL", &TProjectViewForm::AddReference, {{}, {}, {}, {"http://a/"}}, "http://A/",
         {{}, {}, {}, {"http://a/", "http://A/"}}},
    };
    for (const Case& c : cases) {
        ViewFixture f;
        f.dir.Write("exists.r", "");
        auto at = [&](std::string s) { return !s.empty() && s[0] == '@' ? f.model.sourceFolder + s.substr(1) : s; };
        Lists before = c.before, after = c.after;
        before.resize(4);
        for (size_t i = 0; i < 4; ++i) {
            for (std::string& e : before[i]) f.model.Add(project::kEntryLists[i], at(e));
            for (std::string& e : after[i]) e = at(e);
        }
        if (c.typed) f.typed = at(*c.typed);
        (f.view.get()->*c.command)();
        EXPECT_EQ(f.Now(), after) << c.name;
    }

    // Captions, prompts and filters; the browse button starts in the source folder.
    ViewFixture f;
    f.typed = std::nullopt;
    f.view->AddSource();
    f.view->AddObject();
    f.view->ChooseInstallInfo();
    f.view->AddDocument();
    f.view->AddReference();
    ASSERT_EQ(f.dialogs.size(), 5u);
    const std::vector<std::vector<std::string>> expected = {
        {"VeskCｿｰｽの追加", "追加するVeskCﾌｧｲﾙ名", "VeskCｿｰｽ|*.r;*.h;*.c;*.cpp|全てのﾌｧｲﾙ|*.*||", ""},
        {"ｺﾝﾊﾟｲﾙ済みｵﾌﾞｼﾞｪｸﾄの追加", "追加するｺﾝﾊﾟｲﾙ済みｵﾌﾞｼﾞｪｸﾄのﾌｧｲﾙ名", "VeskCｵﾌﾞｼﾞｪｸﾄ|*.ro|全てのﾌｧｲﾙ|*.*||", ""},
        {"ｲﾝｽﾄｰﾙ情報ﾌｧｲﾙの選択", "追加するｲﾝｽﾄｰﾙ情報ﾌｧｲﾙのﾌｧｲﾙ名", "ｲﾝｽﾄｰﾙ情報ﾌｧｲﾙ|*.ri|全てのﾌｧｲﾙ|*.*||", "ri"},
        {"ﾄﾞｷｭﾒﾝﾄの追加", "ﾄﾞｷｭﾒﾝﾄとして追加するﾌｧｲﾙ名", "ﾃｷｽﾄﾌｧｲﾙ|*.txt|HTML|*.htm;*.html|全てのﾌｧｲﾙ|*.*||", ""},
        {"資料の追加", "資料として追加するURL文字列またはﾌｧｲﾙ名", "ﾃｷｽﾄﾌｧｲﾙ|*.txt|HTML|*.htm;*.html|全てのﾌｧｲﾙ|*.*||", ""},
    };
    for (size_t i = 0; i < expected.size(); ++i) {
        const project::TRefDocForm& d = f.dialogs[i];
        EXPECT_EQ((std::vector<std::string>{d.caption, d.prompt, d.filter, d.defaultExt}), expected[i]);
    }
    project::TRefDocForm browse = f.dialogs[0];
    f.ui.openResults.push_back(FakeUi::Chose({"/picked/x.r"}));
    browse.Button1Click();
    EXPECT_EQ(browse.text, "/picked/x.r");
    EXPECT_EQ(f.ui.openRequests.back().initialDir, f.model.sourceFolder);
    browse.sourceFolder.clear();
    browse.Button1Click();  // cancelled: the text stays
    EXPECT_EQ(browse.text, "/picked/x.r");
    EXPECT_EQ(f.ui.openRequests.back().initialDir, "/prog/");
}

TEST(ProjectViewAdd, ChoosingTheInstallFileSetsOrReplacesIt) {
    for (std::string before : {"", "/i/old.ri"}) {
        ViewFixture f({{}, {}, {}, {}}, before);
        f.typed = "/i/new.ri";
        f.view->ChooseInstallInfo();
        EXPECT_EQ(f.model.installInfo, "/i/new.ri");
        EXPECT_EQ(f.view->ChildCount(Cat::InstallInfo), 1);
        EXPECT_EQ(f.view->Text({Cat::InstallInfo, 0}), "/i/new.ri");
    }
}

TEST(ProjectViewRemove, PopupTakesTheFirstEqualEntryTheDeleteKeyEveryOne) {
    struct Case {
        ProjectNode node;
        bool key;
        bool enabled;
        Lists after;
        std::string install;
    };
    const Lists start = {{"a.r", "b.r", "a.r"}, {"o.ro"}, {"d", "d"}, {"r"}};
    const std::vector<Case> cases = {
        {{Cat::Sources, 2}, false, true, {{"b.r", "a.r"}, {"o.ro"}, {"d", "d"}, {"r"}}, "i.ri"},
        {{Cat::Sources, 0}, true, true, {{"b.r"}, {"o.ro"}, {"d", "d"}, {"r"}}, "i.ri"},
        {{Cat::Documents, 1}, true, true, {{"a.r", "b.r", "a.r"}, {"o.ro"}, {}, {"r"}}, "i.ri"},
        {{Cat::InstallInfo, 0}, false, true, start, ""},
        {{Cat::InstallInfo, 0}, true, true, start, ""},
        {{Cat::Sources, -1}, false, false, start, "i.ri"},
        {{Cat::Sources, -1}, true, false, start, "i.ri"},
        {{Cat::Executable, 0}, false, false, start, "i.ri"},
        {{Cat::Executable, 0}, true, false, start, "i.ri"},
    };
    for (const Case& c : cases) {
        ViewFixture f(start, "i.ri");
        f.view->Select(c.node);
        EXPECT_EQ(f.view->DeleteEnabled(), c.enabled);
        if (c.key)
            f.view->KeyDown(Key::Delete, false);
        else
            f.view->Delete1Click();
        EXPECT_EQ(f.Now(), c.after);
        EXPECT_EQ(f.model.installInfo, c.install);
        EXPECT_EQ(f.model.executable, "p.RX");
    }
}

TEST(ProjectViewProperties, ListsEveryGroupEvenWhenEmpty) {
    ViewFixture empty;
    EXPECT_EQ(empty.view->PropertiesText(),
              "p のプロパティ\r\n\r\n実行ファイル  : p.RX\r\nｲﾝｽﾄｰﾙ情報ﾌｧｲﾙ: \r\nソースフォルダ: " + empty.model.sourceFolder +
                  "\r\n\r\nVeskCソース\r\n\r\nｺﾝﾊﾟｲﾙ済ｵﾌﾞｼﾞｪｸﾄ\r\n\r\nﾄﾞｷｭﾒﾝﾄ\r\n\r\n資料");
    ViewFixture full({{"a.r", "b.h"}, {"o.ro"}, {"d.txt"}, {"http://x/"}}, "i.ri");
    full.view->Property2Click();
    ASSERT_EQ(full.ui.messages.size(), 1u);
    EXPECT_EQ(full.ui.messages[0], "p のプロパティ\r\n\r\n実行ファイル  : p.RX\r\nｲﾝｽﾄｰﾙ情報ﾌｧｲﾙ: i.ri\r\nソースフォルダ: " +
                                       full.model.sourceFolder +
                                       "\r\n\r\nVeskCソース\r\n  a.r\r\n  b.h\r\n\r\nｺﾝﾊﾟｲﾙ済ｵﾌﾞｼﾞｪｸﾄ\r\n  o.ro\r\n\r\n"
                                       "ﾄﾞｷｭﾒﾝﾄ\r\n  d.txt\r\n\r\n資料\r\n  http://x/");
}

TEST(ProjectViewOpen, DoubleClickAndKeysByCategory) {
    ViewFixture f({{"a.r", "/abs/b.h"}, {"o.ro"}, {}, {"nifty:x"}}, "i.ri");
    const std::string dir = f.model.sourceFolder;
    struct Case {
        ProjectNode node;
        std::vector<std::pair<std::string, int>> opened;
    };
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
    // Insert on the same root asks for the file instead; on Executable nothing.
    g.view->Select(ProjectNode{Cat::InstallInfo});
    g.view->KeyDown(Key::Insert, false);
    g.view->Select(ProjectNode{Cat::Executable});
    g.view->KeyDown(Key::Insert, false);
    g.view->DblClick({Cat::Executable, 0});
    ASSERT_EQ(g.dialogs.size(), 1u);
    EXPECT_EQ(g.dialogs[0].caption, "ｲﾝｽﾄｰﾙ情報ﾌｧｲﾙの選択");
    EXPECT_EQ(g.view->Text({Cat::Executable, 0}), "p.RX");
}

TEST(ProjectViewMain, OpenCreatesTheWindowAndTimer2OpensByCategory) {
    TempDir program, src;
    FakeUi ui;
    app::TMainForm form(ui, program.path(), {});
    form.FormCreate();
    form.FormActivate();
    src.Write("a.r", "a\r\n");
    src.Write("i.ri", "\r\n");
    std::string prj = src.Write("p.PRJ", "[PROJECT]\r\nName=p\r\nRX=p.RX\r\n[R]\r\nDIR=" + src.path() +
                                             "/\r\nRCNT=1\r\nr01=a.r\r\n[RI]\r\nINSTALL=" + src.File("i.ri") +
                                             "\r\n[DOC]\r\nDOCCNT=2\r\nDOC01=/d/run.exe\r\nDOC02=/d/read.TXT\r\n"
                                             "[REF]\r\nREFCNT=2\r\nREF01=nifty:msg\r\nREF02=NIFTY:msg\r\n");
    ui.openResults.push_back(FakeUi::Chose({prj}));
    form.Execute(app::ActionId::ProjectOpen);
    TProjectViewForm* w = form.ProjectWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Caption(), "p");
    EXPECT_EQ(form.ActiveChild(), w);

    struct Case {
        ProjectNode node;
        size_t children;  // after the timer
        std::string desktop, automation;
        bool told;
    };
    const std::vector<Case> cases = {
        {{Cat::Sources, 0}, 2, "", "", false},  // already open: brought forward
        {{Cat::InstallInfo, 0}, 3, "", "", false},
        {{Cat::InstallInfo, 0}, 3, "", "", false},
        {{Cat::Documents, 0}, 3, "", "", false},
        {{Cat::Documents, 1}, 3, "/d/read.TXT", "", false},
        {{Cat::References, 0}, 3, "", "Korvane.Application OpenMessage nifty:msg", true},
        {{Cat::References, 1}, 3, "NIFTY:msg", "", false},
    };
    for (const Case& c : cases) {
        ui.desktopOpened.clear();
        ui.automationCalls.clear();
        ui.messages.clear();
        w->DblClick(c.node);
        EXPECT_TRUE(ui.TimerPending(50));
        ui.FireTimers();
        EXPECT_FALSE(ui.TimerPending(50));
        EXPECT_EQ(form.Children().size(), c.children);
        EXPECT_EQ(ui.desktopOpened, c.desktop.empty() ? std::vector<std::string>{} : std::vector{c.desktop});
        EXPECT_EQ(ui.automationCalls, c.automation.empty() ? std::vector<std::string>{} : std::vector{c.automation});
        EXPECT_EQ(ui.messages.size(), c.told ? 1u : 0u);
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
