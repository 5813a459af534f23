// The main window's commands around the project settings dialog and the
// install information wizard: New project, Modify project, creating and
// editing install information files.
#include <string>

#include "app/MainForm.h"
#include "platform/Path.h"

namespace app {

namespace {

void Error(platform::Ui& ui, const std::string& text) {
    ui.MessageBox(text, "エラー", platform::MsgKind::Error, platform::MsgButtons::Ok);
}

}  // namespace

void TMainForm::ProjectNewExecute() {
    platform::FileDialogOptions o;
    o.title = "ﾌﾟﾛｼﾞｪｸﾄを保存";
    o.filter = "ﾌﾟﾛｼﾞｪｸﾄ(*.PRJ)|*.PRJ";
    o.defaultExt = "prj";
    o.initialDir = settings_.projectFolder.empty() ? programFolder_ : settings_.projectFolder;
    platform::FileDialogResult r = ui_.SaveDialog(o);
    if (!r.accepted || r.files.empty()) return;
    const std::string path = r.files.front();
    // The file is written over through the INI layer, which keeps what it
    // read: something that is no readable file is refused before anything closes.
    if (platform::PathExists(path)) {
        try {
            if (!platform::FileExists(path)) throw std::runtime_error("通常のファイルではありません。");
            platform::IniFile probe;
            probe.LoadFromFile(path);
            // Its keys would be added to a file of another kind.
            if (!project::IsProjectFile(probe)) throw std::runtime_error("プロジェクトファイルではありません。");
        } catch (const std::exception& e) {
            Error(ui_, "プロジェクトファイルに書き込めません。\n" + path + "\n" + e.what());
            return;
        }
    }
    if (project_.IsOpen()) {
        ProjectCloseExecute();
        if (project_.IsOpen()) return;  // the user kept it open
    }
    prjForm_.ClearForNew();
    prjForm_.requireInput = true;
    if (!view_ || !view_->RunPrjForm(prjForm_)) return;

    settings_.projectFolder = platform::ExtractFilePath(path);
    project_.projectFile = path;
    project_.name = prjForm_.prjName;
    project_.executable = prjForm_.rxName;
    project_.sourceFolder = prjForm_.folderName;
    project_.installInfo.clear();
    project_.SetList(project::EntryList::Sources, prjForm_.Sources());
    project_.SetList(project::EntryList::Objects, prjForm_.Objects());
    project_.SetList(project::EntryList::Documents, {});
    project_.SetList(project::EntryList::References, {});
    // Sources still to be written get no window yet.
    for (const std::string& entry : prjForm_.Sources()) {
        const std::string source = project_.ResolveSourcePath(entry);
        if (!platform::IsWindowsPath(source) && platform::FileExists(source)) OpenDocumentWindow(source);
    }
    if (std::optional<std::string> error = SaveProject(path))
        Error(ui_, "プロジェクトファイルを保存できません。\n" + path + "\n" + *error);
    caption_ = std::string(kAppTitle) + " - " + project_.name;
    SetProjectCommands(true);
    if (children_.size() > 1) quickMakeEnabled_ = QuickMakeRuleHolds();
    CreateProjectWindow();
    NotifyState();
}

void TMainForm::ProjectModifyExecute() {
    if (!project_.IsOpen()) {
        ShowMessage("プロジェクトが選択されていません");
        return;
    }
    prjForm_.prjName = project_.name;
    prjForm_.rxName = project_.executable;
    prjForm_.folderName = project_.sourceFolder;
    prjForm_.SetLists(project_.List(project::EntryList::Sources), project_.List(project::EntryList::Objects));
    prjForm_.requireInput = false;
    if (!view_ || !view_->RunPrjForm(prjForm_)) return;

    project_.name = prjForm_.prjName;
    project_.executable = prjForm_.rxName;
    project_.sourceFolder = prjForm_.folderName;
    project_.SetList(project::EntryList::Sources, prjForm_.Sources());
    project_.SetList(project::EntryList::Objects, prjForm_.Objects());
    const std::string path = project_.projectFile;
    // The project is read back from its file: a file that was not written
    // would give back the old project, so the changes stay in memory instead.
    if (std::optional<std::string> error = SaveProject(path)) {
        Error(ui_, "プロジェクトファイルを保存できません。\n" + path + "\n" + *error);
        return;
    }
    if (!CloseAllChildren()) return;
    OpenProjectFile(path);
}

void TMainForm::RiCreateExecute() {
    project::TRiWizForm wizard(project_, ui_, programFolder_);
    if (view_) view_->RunRiWiz(wizard);
}

void TMainForm::RiEditExecute() {
    platform::FileDialogOptions o;
    o.title = "編集するｲﾝｽﾄｰﾙ情報ﾌｧｲﾙの選択";
    o.filter = "(*.RI)|*.RI";
    o.defaultExt = "RI";
    o.initialDir = project_.IsOpen() ? project_.SourceDir() : programFolder_;
    if (o.initialDir.empty()) o.initialDir = programFolder_;
    platform::FileDialogResult r = ui_.OpenDialog(o);
    if (!r.accepted || r.files.empty()) return;
    const std::string path = r.files.front();
    for (auto& child : children_) {
        if (child->Kind() == ChildKind::Document && child->Caption() == path) {
            ShowMessage("既にエディタでオープン中です");
            return;
        }
    }
    OpenDocumentWindow(path);
}

}  // namespace app
