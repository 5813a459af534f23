// The main window's project commands: open, close, append, the project
// window button, and the three operations on the project file.
#include <optional>
#include <string>

#include "app/MainForm.h"
#include "platform/Path.h"
#include "platform/Wine.h"

namespace app {

namespace {

// Problems shown at most in one message; the rest are counted.
constexpr size_t kProblemsShown = 10;

std::string NotAProjectFile(const std::string& path) { return path + " はプロジェクトファイルではありません"; }

// A path written on Windows names no file here (it would become a file with
// backslashes in its name in the current folder).
std::string WindowsPathRefusal(const std::string& path) { return path + " を開けません: Windows のパスです"; }

// The file read for a project, or nullopt once the user has been told why it
// cannot be one.
std::optional<platform::IniFile> ReadProjectFile(platform::Ui& ui, const std::string& path) {
    platform::IniFile ini;
    try {
        ini.LoadFromFile(path);
    } catch (const std::exception& e) {
        ui.MessageBox("プロジェクトファイルを読み込めません。\n" + path + "\n" + e.what(), "エラー", platform::MsgKind::Error,
                      platform::MsgButtons::Ok);
        return std::nullopt;
    }
    if (!project::IsProjectFile(ini)) {
        ui.MessageBox(NotAProjectFile(path), "エラー", platform::MsgKind::Error, platform::MsgButtons::Ok);
        return std::nullopt;
    }
    return ini;
}

}  // namespace

bool TMainForm::LoadProject(const std::string& path) {
    std::optional<platform::IniFile> ini = ReadProjectFile(ui_, path);
    if (!ini) return false;
    project_.drives = platform::WineDrives::Read(platform::WinePrefix(platform::ProcessEnvironment()));
    project_.TakeWindowsPathsResolved();
    std::vector<std::string> problems = project_.Read(*ini);
    if (project_.name.empty()) {
        // Without a name the project would count as closed while its
        // windows are open, and its file would never be written again.
        std::string file = platform::ExtractFileName(path);
        project_.name = file.substr(0, file.size() - platform::ExtractFileExt(file).size());
        if (project_.name.empty()) project_.name = file;
        project_.NotifyChanged();
    }
    // A window refused (a folder, an unreadable file) says so itself.
    for (const std::string& entry : std::vector<std::string>(project_.List(project::EntryList::Sources))) {
        const std::string source = project_.ResolveSourcePath(entry);
        if (platform::IsWindowsPath(source))
            problems.push_back(WindowsPathRefusal(source));
        else
            OpenDocumentWindow(source);
    }
    TellWindowsPaths();
    if (!problems.empty()) {
        std::string text = path + " の次の項目は、書かれたとおりには使えません:";
        for (size_t i = 0; i < problems.size() && i < kProblemsShown; ++i) text += "\n" + problems[i];
        if (problems.size() > kProblemsShown)
            text += "\nほか " + std::to_string(problems.size() - kProblemsShown) + " 件";
        ui_.MessageBox(text, "警告", platform::MsgKind::Warning, platform::MsgButtons::Ok);
    }
    return true;
}

void TMainForm::TellWindowsPaths() {
    // Every Windows path of the project, resolved now, is told once.
    project_.SourceDir();
    project_.Resolve(project_.executable);
    project_.Resolve(project_.installInfo);
    for (project::EntryList list : project::kEntryLists)
        for (const std::string& e : project_.List(list))
            if (platform::IsWindowsAbsolutePath(e)) project_.Resolve(e);
    const auto resolved = project_.TakeWindowsPathsResolved();
    if (resolved.empty()) return;
    std::string text;
    const platform::EnvLookup env = platform::ProcessEnvironment();
    for (const auto& [windows, local] : resolved) {
        if (!text.empty()) text += "\n";
        text += "Windows のパス " + windows + " を " + platform::HomeShortened(local, env) + " として開きます";
    }
    ui_.MessageBox(text, kAppTitle, platform::MsgKind::Information, platform::MsgButtons::Ok);
}

std::optional<std::string> TMainForm::SaveProject(const std::string& path) {
    if (path.empty()) return std::string("プロジェクトファイルの名前がありません。");
    platform::IniFile ini;
    try {
        // Keys of other sections and stale entries stay as they are.
        ini.LoadFromFile(path);
    } catch (const std::exception& e) {
        // What could not be read is not written over.
        return std::string(e.what());
    }
    // Nor is a file that has become something else.
    if (!project::IsProjectFile(ini)) return NotAProjectFile(path);
    // Text that Shift-JIS cannot hold would be saved as "?": nothing is written.
    if (std::vector<std::string> lossy = project_.Write(ini); !lossy.empty()) {
        std::string text = "次の項目にはShift-JISで表せない文字があります:";
        for (const std::string& k : lossy) text += "\n" + k;
        return text;
    }
    try {
        ini.SaveToFile(path);
    } catch (const std::exception& e) {
        return std::string(e.what());
    }
    return std::nullopt;
}

bool TMainForm::SaveAndCloseChild(TMdiChildForm& child) {
    auto* doc = dynamic_cast<TMDIChild*>(&child);
    if (doc && doc->DocumentChanged() && !doc->DiscardConfirmed()) {
        std::string before = doc->Caption();
        if (IsUntitled(before)) {
            // An untitled document has no file yet: saving it under its
            // placeholder name would drop it into whatever the current folder is.
            platform::FileDialogResult r = ui_.SaveDialog(SaveDialogOptions());
            if (!r.accepted || r.files.empty()) return false;
            doc->SetCaption(r.files.front());
        }
        if (!doc->SaveDocument()) {
            doc->SetCaption(before);
            return false;
        }
    }
    child.FormClose();
    RemoveChild(child);
    return true;
}

bool TMainForm::CloseProject() {
    if (!project_.IsOpen()) return true;
    for (size_t i = children_.size(); i-- > 0;) {
        if (i >= children_.size()) continue;
        TMdiChildForm& child = *children_[i];
        if (child.Kind() == ChildKind::Project) continue;
        if (!SaveAndCloseChild(child)) return false;
    }
    if (std::optional<std::string> error = SaveProject(project_.projectFile)) {
        std::string text = "プロジェクトファイルを保存できません。\n" + project_.projectFile + "\n" + *error;
        if (exiting_) {
            ui_.MessageBox(text, "エラー", platform::MsgKind::Error, platform::MsgButtons::Ok);
        } else if (ui_.MessageBox(text + "\n\n保存せずにプロジェクトを閉じますか?", "エラー", platform::MsgKind::Error,
                                  platform::MsgButtons::YesNo) != platform::MsgAnswer::Yes) {
            return false;
        }
    }
    caption_ = kAppTitle;
    project_.Clear();
    SetProjectCommands(false);
    return true;
}

void TMainForm::SetProjectCommands(bool on) {
    projectCommands_ = on;
    NotifyState();
}

bool TMainForm::CloseAllChildren() {
    if (!CloseProject()) return false;
    while (!children_.empty()) {
        TMdiChildForm& child = *children_.back();
        if (child.Kind() == ChildKind::Project) {
            child.FormClose();
            RemoveChild(child);
        } else if (!SaveAndCloseChild(child)) {
            return false;
        }
    }
    return true;
}

bool TMainForm::OpenProjectFile(const std::string& path) {
    project_.projectFile = path;
    if (!LoadProject(path)) return false;
    caption_ = std::string(kAppTitle) + " - " + project_.name;
    SetProjectCommands(true);
    if (children_.size() > 1) quickMakeEnabled_ = QuickMakeRuleHolds();
    CreateProjectWindow();
    NotifyState();
    return true;
}

project::TProjectViewForm* TMainForm::ProjectWindow() const {
    for (auto& child : children_)
        if (auto* w = dynamic_cast<project::TProjectViewForm*>(child.get())) return w;
    return nullptr;
}

project::TProjectViewForm* TMainForm::CreateProjectWindow() {
    // Exactly one project window: a new one replaces the old without
    // closing the project.
    if (project::TProjectViewForm* old = ProjectWindow()) {
        old->FormClose();
        RemoveChild(*old);
    }
    auto owned = std::make_unique<project::TProjectViewForm>(project_, ui_, programFolder_);
    project::TProjectViewForm* w = owned.get();
    w->OnOpenRequest = [this](const std::string& path, int category) {
        pendingOpen_ = {path, category};
        timer2_.SetEnabled(true);
    };
    w->OnCustomize = [this] { Execute(ActionId::ProjectWindowCustomize); };
    w->OnInstallWizard = [this] { Execute(ActionId::RiCreate); };
    children_.push_back(std::move(owned));
    active_ = w;
    if (view_) view_->ChildAdded(*w);
    NotifyState();
    return w;
}

void TMainForm::Timer2Timer() {
    timer2_.SetEnabled(false);
    const PendingOpen request = pendingOpen_;
    auto refuse = [this](const std::string& text) {
        ui_.MessageBox(text, "エラー", platform::MsgKind::Error, platform::MsgButtons::Ok);
    };
    // A reference may be a "nifty:" text, which is no path.
    if (request.category != 4 && platform::IsWindowsPath(request.path)) {
        refuse(WindowsPathRefusal(request.path));
        return;
    }
    switch (request.category) {
        case 0:
        case 2:
            for (auto& child : children_) {
                if (child->Caption() != request.path) continue;
                if (request.category == 2 && child->Kind() != ChildKind::Document) continue;
                active_ = child.get();
                if (view_) view_->ActivateChild(*child);
                NotifyState();
                return;
            }
            OpenDocumentWindow(request.path);
            break;
        case 3:
        case 4: {
            if (request.category == 4 && request.path.compare(0, 6, "nifty:") == 0) {
                if (!ui_.HostAutomation("Korvane.Application", "OpenMessage", request.path))
                    ui_.MessageBox("Korvaneが利用できないため、次の資料を開けません。\n" + request.path, "エラー",
                                   platform::MsgKind::Error, platform::MsgButtons::Ok);
                break;
            }
            if (platform::IsWindowsPath(request.path)) {
                refuse(WindowsPathRefusal(request.path));
                break;
            }
            // Programs listed as documents or references are never started
            // from here: a project from someone else must not run anything.
            // A host reference in other letters ("NIFTY:") still goes to the
            // desktop, as such a reference always has.
            const bool hostReference = request.category == 4 && platform::SameText(request.path.substr(0, 6), "nifty:");
            if (!hostReference && platform::StartsProgram(request.path)) {
                refuse(request.path + "\nはプログラムを起動するため開きません。");
                break;
            }
            if (!ui_.OpenWithDesktop(request.path)) refuse(request.path + "\nを開くアプリケーションが見つかりません。");
            break;
        }
        default: break;
    }
}

void TMainForm::ProjectOpenExecute() {
    platform::FileDialogOptions o;
    o.title = "ﾌﾟﾛｼﾞｪｸﾄを開く";
    o.filter = "プロジェクト(*.PRJ)|*.PRJ";
    o.defaultExt = "PRJ";
    o.initialDir = settings_.projectFolder.empty() ? programFolder_ : settings_.projectFolder;
    o.fileName.clear();
    platform::FileDialogResult r = ui_.OpenDialog(o);
    if (!r.accepted || r.files.empty()) return;
    const std::string path = r.files.front();
    settings_.projectFolder = platform::ExtractFilePath(path);
    // Nothing is closed for a file that cannot be opened.
    if (platform::PathExists(path) && !platform::FileExists(path)) {
        ui_.MessageBox(path + "\nは通常のファイルではないため開けません。", "エラー", platform::MsgKind::Error,
                       platform::MsgButtons::Ok);
        return;
    }
    if (!ReadProjectFile(ui_, path)) return;
    if (!CloseAllChildren()) return;
    OpenProjectFile(path);
}

void TMainForm::ProjectCloseExecute() {
    for (auto& child : children_) {
        if (child->Kind() != ChildKind::Project) continue;
        TMdiChildForm& window = *child;
        if (!CloseProject()) return;
        window.FormClose();
        RemoveChild(window);
        break;
    }
    CloseProject();
}

void TMainForm::ProjectWindowFrontExecute() {
    for (auto& child : children_) {
        if (child->Kind() != ChildKind::Project) continue;
        active_ = child.get();
        if (view_) view_->ActivateChild(*child);
        NotifyState();
        return;
    }
}

void TMainForm::AppendPrjExecute() {
    TMDIChild* doc = ActiveDocument();
    if (!project_.IsOpen() || !doc || IsUntitled(doc->Caption())) return;
    const std::string path = doc->Caption();
    const std::string bare = platform::ExtractFileName(path);
    for (const std::string& e : project_.List(project::EntryList::Sources)) {
        if (platform::SameText(e, path)) return;
        // A bare entry is this document only when it names exactly this file.
        if (platform::SameText(e, bare) && (project_.sourceFolder + e == path || project_.SourceDir() + e == path))
            return;
    }
    if (!doc->SaveDocument()) return;
    const std::string folder = platform::ExtractFilePath(path);
    project_.Add(project::EntryList::Sources,
                 folder == project_.sourceFolder || folder == project_.SourceDir() ? bare : project_.StoredPath(path));
}

void TMainForm::MakeExecute() {
    if (building_ || !project_.IsOpen() || !CompilerCheck()) return;
    // Entries written on Windows name their files here by local paths, which
    // a Windows compiler gets back in its own form.
    auto local = [&](project::EntryList list) {
        std::vector<std::string> entries = project_.List(list);
        for (std::string& e : entries)
            if (platform::IsWindowsPath(e)) e = project_.ResolveSourcePath(e);
        return entries;
    };
    Run(compiler::ProjectMakeCommand(settings_.compilerFolder, project_.Resolve(project_.executable), project_.SourceDir(),
                                  local(project::EntryList::Sources), local(project::EntryList::Objects)));
}

}  // namespace app
