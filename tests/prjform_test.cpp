// The project settings dialog's list rules and drops, and New project,
// Modify project and Append to project through the main window.
#include <gtest/gtest.h>

#include "FakeUi.h"
#include "MainFormFixture.h"
#include "TestFiles.h"
#include "project/PrjForm.h"

using app::ActionId;
using project::EntryList;
using project::TPrjForm;
using Strings = std::vector<std::string>;

TEST(PrjFormLists, BareNamesForTheFolderFieldSortedWithoutDuplicates) {
    FakeUi ui;
    project::ProjectModel model;
    TPrjForm f(model, ui, "/prog/");
    struct Case { std::string folder, path; bool added; } cases[] = {
        {"/d/src/", "/d/src/m.R", true},    // bare name
        {"/d/src/", "/D/SRC/M.r", false},   // the same bare name, other case
        {"/d/src", "/d/src/b.R", true},     // a typed folder lacks its "/"
        {"", "/d/src/Z.R", true},           // no folder: the full path
        {"/e/", "/d/src/z.r", false},       // the same full path, other case
        {"/e/", "/d/src/a.R", true},
    };
    for (const Case& c : cases) {
        f.folderName = c.folder;
        EXPECT_EQ(f.AddByRule(true, c.path), c.added) << c.folder << " " << c.path;
    }
    EXPECT_EQ(f.Sources(), (Strings{"/d/src/a.R", "/d/src/Z.R", "b.R", "m.R"}));

    // Drops: only .R on the sources (by the same rule), only .RO on the
    // objects with the full path, a name already held by path or bare name
    // never twice.
    f.folderName = "/d/src/";
    f.SetLists({}, {"lib.RO"});
    f.ListBoxRDrop({"/d/src/x.H", "/d/src/x.r", "/d/src/y.RO", "/d/src/X.R"});
    f.ListBoxRODrop({"/d/src/lib.ro", "/d/o/k.RO", "/d/o/k.RO", "/d/o/k.R", "/d/o/K.ro"});
    EXPECT_EQ(f.Sources(), Strings{"x.r"});
    EXPECT_EQ(f.Objects(), (Strings{"/d/o/k.RO", "lib.RO"}));

    // Delete takes every selected row; New clears all but the folder.
    f.SetLists({"c", "B", "a", "d"}, {});
    EXPECT_EQ(f.Sources(), (Strings{"a", "B", "c", "d"}));
    f.Button3Click({3, 0, 3, 9});
    EXPECT_EQ(f.Sources(), (Strings{"B", "c"}));
    f.prjName = "n", f.rxName = "x.RX";
    f.ClearForNew();
    EXPECT_EQ(f.prjName + f.rxName + f.folderName, "/d/src/");
    EXPECT_TRUE(f.Sources().empty());

    // The buttons' dialogs.
    ui.openResults = {FakeUi::Chose({"/d/src/q.RO", "/f/r.RO"}, 2), FakeUi::Chose({"/out/new.RX"}),
                      FakeUi::Chose({"/out/new.RX"})};
    f.Button2Click();
    EXPECT_EQ(f.Objects(), (Strings{"/f/r.RO", "q.RO"}));
    const platform::FileDialogOptions& add = ui.openRequests[0];  // the extension follows the chosen filter
    EXPECT_EQ(add.onTypeChange(1) + "|" + add.onTypeChange(2) + "|" + add.onTypeChange(3), "R|RO|");
    // The executable's dialog starts in the open project's source folder,
    // else (a new project) in the folder field's.
    f.Button6Click();
    EXPECT_EQ(f.rxName, "/out/new.RX");
    EXPECT_FALSE(ui.openRequests[1].mustExist);
    model.name = "p", model.sourceFolder = "/m/";
    f.Button6Click();
    EXPECT_EQ(ui.openRequests[1].initialDir + " " + ui.openRequests[2].initialDir, "/d/src/ /m/");
    ui.folderAnswers = {"/new/src"};
    f.Button5Click();
    f.Button5Click();  // cancelled: kept
    EXPECT_EQ(f.folderName, "/new/src/");
}

namespace {

class PrjCommands : public MainFormFixture {
protected:
    struct View : NullMainView {
        std::function<bool(TPrjForm&)> dialog;
        bool RunPrjForm(TPrjForm& form) override { return dialog && dialog(form); }
    } view;
    TempDir other;
    void TearDown() override {
        if (form) form->SetView(nullptr);
    }

    Strings Captions() const {
        Strings out;
        for (auto& c : form->Children()) out.push_back(c->Caption());
        return out;
    }
    std::string ProjectFile(const std::string& name, const std::string& sources) const {
        return dir.Write(name, "[PROJECT]\r\nName=p\r\nRX=" + dir.File("p.RX") + "\r\n[R]\r\nDIR=" + dir.path() +
                                   "/\r\n" + sources + "[DOC]\r\nDOCCNT=1\r\nDOC01=notes.txt\r\n");
    }
};

}  // namespace

TEST_F(PrjCommands, NewProjectChecksItsInputAndWritesTheFile) {
    dir.Write("m.r", "m\r\n");
    Start({ProjectFile("old.PRJ", "RCNT=1\r\nr01=m.r\r\n")});
    form->SetView(&view);
    form->PrjForm().folderName = dir.path() + "/";
    const std::string prj = dir.File("new.PRJ");

    // Missing input keeps the dialog open with "入力エラー"; cancelling then
    // leaves no project and no file. The old project was closed and saved.
    view.dialog = [&](TPrjForm& f) {
        EXPECT_TRUE(f.prjName.empty() && f.Sources().empty());
        EXPECT_EQ(f.folderName, dir.path() + "/");
        EXPECT_FALSE(f.OkClick());
        f.prjName = "n";
        EXPECT_FALSE(f.OkClick());
        f.rxName = "n.RX";
        EXPECT_FALSE(f.OkClick());  // still no source
        return false;
    };
    ui.saveResults = {FakeUi::Chose({prj})};
    form->Execute(ActionId::ProjectNew);
    EXPECT_EQ(ui.messages, Strings(3, "入力エラー"));
    EXPECT_FALSE(std::filesystem::exists(prj));
    EXPECT_FALSE(form->Project().IsOpen());
    EXPECT_TRUE(form->Children().empty());
    EXPECT_NE(TempDir::Read(dir.File("old.PRJ")).find("DOC01=notes.txt"), std::string::npos);

    view.dialog = [&](TPrjForm& f) {
        f.prjName = "n";
        f.rxName = "/x/n.RX";
        f.folderName = dir.path();  // typed without its "/"
        for (const std::string& p : {dir.File("m.r"), dir.File("b.r"), other.File("z.r")}) f.AddByRule(true, p);
        f.ListBoxRODrop({other.File("k.RO")});
        return f.OkClick();
    };
    ui.saveResults = {FakeUi::Chose({prj})};
    form->Execute(ActionId::ProjectNew);
    EXPECT_EQ(TempDir::Read(prj), "[PROJECT]\r\nName=n\r\nRX=/x/n.RX\r\n\r\n[R]\r\nDIR=" + dir.path() +
                                      "/\r\nRCNT=3\r\nr01=" + other.File("z.r") +
                                      "\r\nr02=b.r\r\nr03=m.r\r\n\r\n[RI]\r\nINSTALL=\r\n\r\n[RO]\r\nROCNT=1\r\nro01=" +
                                      other.File("k.RO") + "\r\n\r\n[DOC]\r\nDOCCNT=0\r\n\r\n[REF]\r\nREFCNT=0\r\n");
    // Only the source that exists gets a window; then the project window.
    EXPECT_EQ(Captions(), (Strings{dir.File("m.r"), "n"}));
    EXPECT_EQ(form->Caption(), "VeskC Builder - n");
    for (ActionId id : {ActionId::AppendPrj, ActionId::ProjectMake, ActionId::ProjectWindowFront})
        EXPECT_TRUE(form->Enabled(id)) << int(id);
}

TEST_F(PrjCommands, ModifySortsSavesAndReopensEverything) {
    const std::string a = dir.Write("a.r", "a\r\n"), b = dir.Write("b.r", "b\r\n");
    Start();
    form->SetView(&view);
    form->Execute(ActionId::ProjectModify);
    EXPECT_EQ(ui.messages, Strings{"プロジェクトが選択されていません"});

    const std::string prj = ProjectFile("p.PRJ", "RCNT=2\r\nr01=b.r\r\nr02=a.r\r\n");
    ui.openResults = {FakeUi::Chose({prj})};
    form->Execute(ActionId::ProjectOpen);
    EXPECT_EQ(Captions(), (Strings{b, a, "p"}));
    Doc(1)->Editor1().Lines().Add("unsaved");
    view.dialog = [&](TPrjForm& f) {
        EXPECT_EQ(f.Sources(), (Strings{"a.r", "b.r"}));
        EXPECT_EQ(f.rxName, dir.File("p.RX"));
        return false;
    };
    form->Execute(ActionId::ProjectModify);  // Cancel: nothing changes
    EXPECT_EQ(form->Project().List(EntryList::Sources), (Strings{"b.r", "a.r"}));

    view.dialog = [&](TPrjForm& f) {
        f.prjName = "q";
        return f.OkClick();
    };
    form->Execute(ActionId::ProjectModify);
    EXPECT_EQ(TempDir::Read(a), "a\r\nunsaved\r\n");
    EXPECT_NE(TempDir::Read(prj).find("Name=q\r\n"), std::string::npos);
    EXPECT_NE(TempDir::Read(prj).find("RCNT=2\r\nr01=a.r\r\nr02=b.r\r\n"), std::string::npos);
    EXPECT_NE(TempDir::Read(prj).find("DOC01=notes.txt"), std::string::npos);  // what the dialog does not show stays
    EXPECT_EQ(Captions(), (Strings{a, b, "q"}));
    EXPECT_EQ(form->Caption(), "VeskC Builder - q");
    EXPECT_EQ(form->Project().List(EntryList::Documents), Strings{"notes.txt"});
}

TEST_F(PrjCommands, AppendTakesTheActiveDocumentOnce) {
    const std::string prj = ProjectFile("p.PRJ", "RCNT=1\r\nr01=x.r\r\n");
    const std::string inFolder = dir.Write("in.r", "i\r\n"), x = dir.Write("x.r", "x\r\n");
    const std::string elsewhere = other.Write("x.r", "o\r\n");
    Start({prj});
    auto append = [&](const std::string& path, const char* edit = nullptr) {
        if (path.empty()) form->Execute(ActionId::FileNew1);
        else form->OpenDocumentWindow(path);
        if (edit) form->ActiveDocument()->Editor1().Lines().Add(edit);
        form->Execute(ActionId::AppendPrj);
        return form->Project().List(EntryList::Sources);
    };
    EXPECT_EQ(append(""), Strings{"x.r"});  // untitled: nothing
    EXPECT_EQ(append(x), Strings{"x.r"});   // already there as a bare name
    EXPECT_EQ(append(inFolder), (Strings{"x.r", "in.r"}));
    EXPECT_EQ(append(inFolder), (Strings{"x.r", "in.r"}));
    // Same bare name, but another folder: the full path.
    EXPECT_EQ(append(elsewhere, "saved"), (Strings{"x.r", "in.r", elsewhere}));
    EXPECT_EQ(TempDir::Read(elsewhere), "o\r\nsaved\r\n");
    EXPECT_EQ(form->ProjectWindow()->ChildCount(project::ProjectCategory::Sources), 3);
}
