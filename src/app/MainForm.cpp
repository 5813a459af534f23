#include "app/MainForm.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <climits>
#include <filesystem>
#include <thread>

#include "platform/FileIO.h"
#include "platform/IniFile.h"
#include "platform/Path.h"

namespace app {

const char* const kAppTitle = "VeskC Builder";

namespace {

constexpr const char* kOpenFilter =
    "VeskC ﾌｧｲﾙ(*.r,*.h)|*.R;*.H|VeskC ﾌｧｲﾙ(*.r)|*.R|VeskC ﾍｯﾀﾞﾌｧｲﾙ(*.H)|*.H|"
    "C/C++ ﾌｧｲﾙ(*.c,*.cpp,*.h,*.hpp)|*.C;*.CPP;*.H;*.HPP|全てのﾌｧｲﾙ|*.*";
constexpr const char* kSaveFilter = "VeskC ｿｰｽﾌｧｲﾙ(*.R)|*.R|VeskC ﾍｯﾀﾞﾌｧｲﾙ(*.H)|*.H|すべてのﾌｧｲﾙ(*.*)|*.*";


std::string UpperExt(const std::string& path) { return platform::UpperCase(platform::ExtractFileExt(path)); }

std::string CurrentFolder() {
    char buf[PATH_MAX];
    if (::getcwd(buf, sizeof buf)) return platform::IncludeTrailingPathDelimiter(buf);
    return "./";
}

// The program file's base name ("vkbuilder" for /x/vkbuilder).
std::string ProgramBaseName() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    std::string exe = n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string("vkbuilder");
    std::string name = platform::ExtractFileName(exe);
    return name.substr(0, name.size() - platform::ExtractFileExt(name).size());
}

}  // namespace

TMainForm::TMainForm(platform::Ui& ui, std::string programFolder, std::vector<std::string> commandLine)
    : ui_(ui),
      programFolder_(platform::IncludeTrailingPathDelimiter(programFolder)),
      commandLine_(std::move(commandLine)),
      caption_(kAppTitle),
      timer1_(ui, 70, [this] { Timer1Timer(); }),
      timer2_(ui, 50, [this] { Timer2Timer(); }),
      timer3_(ui, 10, [this] { Timer3Timer(); }) {
    findDialog_.OnFind = [this] { FindDialog1Find(); };
    replaceDialog_.OnFind = [this] { ReplaceDialog1Find(); };
    replaceDialog_.OnReplace = [this](bool all) { ReplaceDialog1Replace(all); };
    messageList_.ProcessMessages = [this] { ui_.ProcessEvents(); };
    messageList_.OnInterrupted = [this] {
        ui_.MessageBox("ｷｰﾎﾞｰﾄﾞﾏｸﾛ の実行が中断されました。", kAppTitle, platform::MsgKind::Information,
                       platform::MsgButtons::Ok);
    };
}

TMainForm::~TMainForm() {
    // Children go before the timers and the settings they refer to.
    active_ = nullptr;
    children_.clear();
}

std::string TMainForm::SettingsPath() const {
    return settingsPath_.empty() ? SettingsFileFor(programFolder_) : settingsPath_;
}

void TMainForm::ShowMessage(const std::string& text) {
    ui_.MessageBox(text, kAppTitle, platform::MsgKind::Information, platform::MsgButtons::Ok);
}

void TMainForm::NotifyState() {
    if (view_) view_->StateChanged();
}

void TMainForm::FormCreate() {
    untitledCounter_ = 0;
    firstActivation_ = true;
    settings_.recentFiles.clear();
    timer1_.SetEnabled(false);

    // The program's help: its ".HLP" file, or the HTML help shipped with it
    // on this platform; the missing ".HLP" is what a failure names.
    const std::string base = ProgramBaseName();
    helpFile_ = platform::FindFileInFolder(programFolder_, base + ".HLP")
                    .value_or(platform::FindFileInFolder(programFolder_, base + ".html")
                                  .value_or(programFolder_ + base + ".HLP"));

    // Chosen once: the file written at exit is the one read now.
    settingsPath_ = SettingsFileFor(programFolder_);
    platform::IniFile ini;
    settingsUnreadable_.clear();
    try {
        ini.LoadFromFile(SettingsPath());
    } catch (const std::exception& e) {
        settingsUnreadable_ = e.what();
        ui_.MessageBox("設定ファイルを読み込めません。既定の設定で起動します。\n" + std::string(e.what()), "警告",
                       platform::MsgKind::Warning, platform::MsgButtons::Ok);
    }
    settings_.Read(ini, programFolder_);
    openInitialDir_ = settings_.sourceFolder;
    // A file made by hand (or by `make run`) without a window place counts
    // as none for the place.
    windowPlaceStored_ = !settingsUnreadable_.empty() || ini.SectionExists("POS");

    plomarEnabled_ = settings_.targetHost != 0;

    for (const Toolbar& bar : Toolbars()) toolbars_[std::string(bar.name)].Read(ini, std::string(bar.name));

    LoadKeywordList();

    LoadTemplates();
    NotifyState();
}

void TMainForm::OpenCommandLineFiles(const std::vector<std::string>& paths) {
    // The first ".PRJ" parameter opens its project and nothing else;
    // without one (or when it is missing) the sources are opened.
    auto prj = std::find_if(paths.begin(), paths.end(), [](const std::string& arg) { return UpperExt(arg) == ".PRJ"; });
    if (prj != paths.end() && platform::FileExists(*prj) && OpenProjectFile(*prj)) return;
    for (const std::string& arg : paths) {
        std::string ext = UpperExt(arg);
        if ((ext == ".R" || ext == ".H") && platform::FileExists(arg)) OpenDocumentWindow(arg);
    }
}

void TMainForm::OfferRecovery() {
    if (recoveryFolder_.empty()) return;
    // A save in place that was cut off kept the whole old file: say where,
    // once (the copy stays for the user).
    std::string copies;
    for (const auto& [copy, file] : platform::LeftInPlaceCopies()) {
        std::string told = copy + "-told";
        if (::rename(copy.c_str(), told.c_str()) == 0) copies += "\n" + file + "\n    → " + told;
    }
    if (!copies.empty())
        ui_.MessageBox("前回、次のファイルの保存が途中で止まりました。保存前の内容を残しています:" + copies, "警告",
                       platform::MsgKind::Warning, platform::MsgButtons::Ok);
    RemoveOldKept(recoveryFolder_);
    std::vector<TRecoverable> found = FindRecoverable(recoveryFolder_);
    if (found.empty()) return;
    std::string list;
    for (const TRecoverable& r : found) list += "\n" + r.header.document;
    if (ui_.MessageBox("前回、保存されていない編集内容が残っています。復元しますか?\n" + list, "確認",
                       platform::MsgKind::Confirmation, platform::MsgButtons::YesNo) != platform::MsgAnswer::Yes) {
        std::string kept = KeepAside(recoveryFolder_, found);
        ui_.MessageBox("復元しなかった内容は 7 日間\n" + kept + "\nに残します。", "情報", platform::MsgKind::Information,
                       platform::MsgButtons::Ok);
        return;
    }
    std::string changedFiles;
    for (const TRecoverable& r : found) {
        // The text goes back on the file it was typed over only when that
        // file is still the one it was loaded from; otherwise into a window
        // of its own, and the user is told.
        bool onFile = false;
        if (!r.header.untitled && r.header.stamp) {
            std::optional<platform::FileStamp> now = platform::StampOf(r.header.document);
            onFile = now && *now == *r.header.stamp;
            if (!onFile && platform::FileExists(r.header.document)) changedFiles += "\n" + r.header.document;
        }
        TMDIChild* doc = nullptr;
        if (onFile || (!r.header.untitled && !platform::FileExists(r.header.document))) doc = OpenDocumentWindow(r.header.document);
        if (!doc) {
            FileNew1Execute();
            doc = ActiveDocument();
        }
        if (!doc) continue;
        doc->Editor1().Lines().SetTextStr(r.text);
        doc->Editor1Change();
        // Nothing to undo, but changed: the panel says so as for an undo.
        doc->SetPanel(3, "変更有り");
        doc->Journal().StartNow();
        doc->Journal().Flush();
        std::error_code ec;
        std::filesystem::remove(r.file, ec);
    }
    if (!changedFiles.empty())
        ui_.MessageBox("次のファイルは編集後に変更されていたため、復元した内容は名前のないウィンドウに開きました。" + changedFiles,
                       "情報", platform::MsgKind::Information, platform::MsgButtons::Ok);
}

void TMainForm::FormActivate() {
    if (firstActivation_) {
        firstActivation_ = false;  // a box shown while loading activates the window again
        OpenCommandLineFiles(commandLine_);
        if (commandLine_.empty()) RestoreLastSession();
        // After the session: a journal of a file it reopened goes into that window.
        OfferRecovery();
    }
    ui_.ProcessEvents();
    if (QuickMakeRuleHolds()) quickMakeEnabled_ = true;
    NotifyState();
    CheckFilesOnDisk();
}

bool TMainForm::FormCloseQuery() {
    if (findingInFiles_) {
        stopFindInFiles_ = true;
        closeAfterBuild_ = true;
        return false;
    }
    if (building_) {
        // The compiler is waited for inside this call stack: end it, and
        // close once the build has unwound.
        abortBuild_ = true;
        closeAfterBuild_ = true;
        return false;
    }
    std::vector<TMDIChild*> confirmed;
    for (auto& child : children_) {
        auto* doc = dynamic_cast<TMDIChild*>(child.get());
        bool wasChanged = doc && doc->DocumentChanged();
        if (!child->FormCloseQuery()) {
            for (TMDIChild* d : confirmed) d->SetDiscardConfirmed(false);
            return false;
        }
        if (wasChanged) {
            doc->SetDiscardConfirmed(true);
            confirmed.push_back(doc);
        }
    }
    return true;
}

void TMainForm::FormDestroy() {
    // Windows whose changes the user chose to drop are never saved by this
    // (DiscardConfirmed); a project file it cannot write is reported.
    exiting_ = true;
    // Taken before the project closes its windows.
    const TSession session = CurrentSession();
    for (auto& child : children_)
        if (auto* doc = dynamic_cast<TMDIChild*>(child.get())) RememberPlace(*doc);
    CloseProject();
    // A normal exit: every change left was saved or given up by the user.
    for (auto& child : children_)
        if (auto* doc = dynamic_cast<TMDIChild*>(child.get())) doc->Journal().Discard();

    platform::IniFile ini;
    std::string unreadable = settingsUnreadable_;
    if (unreadable.empty()) {
        // Read again: what other keys the file holds now is kept.
        try {
            ini.LoadFromFile(SettingsPath());
        } catch (const std::exception& e) {
            unreadable = e.what();
        }
    }
    if (!unreadable.empty()) {
        ui_.MessageBox("設定ファイルを読み込めなかったため、設定は保存しませんでした。\n" + unreadable, "警告",
                       platform::MsgKind::Warning, platform::MsgButtons::Ok);
        StopTimersAndHelp();
        return;
    }
    StoreSession(session);
    if (openInitialDir_.empty()) openInitialDir_ = programFolder_;
    settings_.sourceFolder = openInitialDir_;
    if (settings_.projectFolder.empty()) settings_.projectFolder = programFolder_;
    std::vector<std::string> lossy = settings_.Write(ini);
    for (const Toolbar& bar : Toolbars()) toolbars_[std::string(bar.name)].Write(ini, std::string(bar.name));
    try {
        // The user's configuration folder may not exist yet; a failure here
        // is reported by the save.
        std::error_code ignored;
        std::filesystem::create_directories(platform::ExtractFilePath(SettingsPath()), ignored);
        ini.SaveToFile(SettingsPath());
    } catch (const std::exception& e) {
        ui_.MessageBox("設定ファイルを保存できません。\n" + std::string(e.what()), "エラー", platform::MsgKind::Error,
                       platform::MsgButtons::Ok);
    }
    if (!lossy.empty()) {
        std::string keys;
        for (const std::string& k : lossy) keys += "\n" + k;
        ui_.MessageBox("次の設定にはShift-JISで表せない文字があり、\"?\" に置き換えて保存しました:" + keys, "警告",
                       platform::MsgKind::Warning, platform::MsgButtons::Ok);
    }

    StopTimersAndHelp();
}

void TMainForm::StopTimersAndHelp() {
    timer1_.SetEnabled(false);
    timer2_.SetEnabled(false);
    timer3_.SetEnabled(false);
    ui_.HelpQuit(helpFile_);
    // A viewer that does not go when asked is not waited for long.
    for (auto& viewer : winHelp_) viewer->SignalGroup(SIGTERM);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (auto& viewer : winHelp_) {
        while (!viewer->LeaderExited() && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!viewer->LeaderExited()) viewer->SignalGroup(SIGKILL);
        viewer->Reap();
    }
    winHelp_.clear();
}

TMDIChild* TMainForm::ActiveDocument() const { return dynamic_cast<TMDIChild*>(active_); }

void TMainForm::ChildActivated(TMdiChildForm* child) {
    active_ = child;
    NotifyState();
    if (TMDIChild* doc = ActiveDocument()) CheckFilesOnDisk(doc);
}

void TMainForm::CycleChildren(bool forward) {
    if (children_.empty()) return;
    const size_t n = children_.size();
    auto it = std::find_if(children_.begin(), children_.end(), [&](auto& c) { return c.get() == active_; });
    size_t i = it == children_.end() ? (forward ? n - 1 : 0) : static_cast<size_t>(it - children_.begin());
    active_ = children_[forward ? (i + 1) % n : (i + n - 1) % n].get();
    if (view_) view_->ActivateChild(*active_);
    NotifyState();
}

void TMainForm::RemoveChild(TMdiChildForm& child) {
    if (&child == markersFrom_) ClearBuildMarkers();
    if (auto* doc = dynamic_cast<TMDIChild*>(&child)) RememberPlace(*doc);
    if (&child == hitsFrom_) ClearHitMarks();
    if (view_) view_->ChildRemoving(child);
    if (active_ == &child) active_ = nullptr;
    auto it = std::find_if(children_.begin(), children_.end(), [&](auto& c) { return c.get() == &child; });
    if (it != children_.end()) children_.erase(it);
    NotifyState();
}

bool TMainForm::CloseChild(TMdiChildForm& child) {
    // Closing the project window closes its project; it stays only when
    // the project could not be closed (a document could not be saved).
    if (child.Kind() == ChildKind::Project) {
        if (!CloseProject()) return false;
        child.FormClose();
        RemoveChild(child);
        return true;
    }
    if (!child.FormCloseQuery()) return false;
    child.FormClose();
    RemoveChild(child);
    return true;
}

TMDIChild* TMainForm::DocumentShowing(const std::string& path) const {
    std::optional<platform::FileStamp> file = platform::StampOf(path);
    for (auto& child : children_) {
        auto* doc = dynamic_cast<TMDIChild*>(child.get());
        if (!doc) continue;
        if (doc->Caption() == path) return doc;
        if (!file || IsUntitled(doc->Caption())) continue;
        std::optional<platform::FileStamp> other = platform::StampOf(doc->Caption());
        if (other && other->device == file->device && other->inode == file->inode) return doc;
    }
    return nullptr;
}

TMDIChild* TMainForm::OpenDocumentWindow(const std::string& path) {
    if (TMDIChild* open = DocumentShowing(path)) {
        active_ = open;
        if (view_) view_->ActivateChild(*open);
        AddRecentFile(open->Caption());
        NotifyState();
        return open;
    }
    if (platform::PathExists(path) && !platform::FileExists(path)) {
        ui_.MessageBox(path + "\nは通常のファイルではないため開けません。", "エラー", platform::MsgKind::Error,
                       platform::MsgButtons::Ok);
        return nullptr;
    }
    auto owned = std::make_unique<TMDIChild>(*this, ui_);
    TMDIChild* doc = owned.get();
    doc->SetCaption(path);
    doc->Configure(settings_);
    doc->Editor1().SetClipboard(&clipboard_);
    children_.push_back(std::move(owned));
    active_ = doc;
    if (view_) view_->ChildAdded(*doc);

    if (!platform::FileExists(path)) {
        doc->BindToMissingFile();
    } else if (!doc->LoadDocument(path)) {
        // An empty window bound to a file it could not read would overwrite it on save.
        RemoveChild(*doc);
        return nullptr;
    } else if (auto place = settings_.recentPlaces.find(path); place != settings_.recentPlaces.end()) {
        doc->GoToPlace(place->second);
    }
    AddRecentFile(path);
    NotifyState();
    return doc;
}

void TMainForm::AddRecentFile(const std::string& path) {
    if (IsUntitled(path)) return;
    if (platform::UpperCase(platform::ExtractFileName(path)) == "VKC.CFG") return;
    if (UpperExt(path) == ".RI") return;
    // A bare name belongs to the open project's source folder.
    std::string full = path;
    if (platform::ExtractFilePath(path).empty() && project_.IsOpen()) full = project_.SourceDir() + path;
    std::vector<std::string>& list = settings_.recentFiles;
    auto it = std::find(list.begin(), list.end(), full);
    if (it != list.end()) list.erase(it);
    list.insert(list.begin(), full);
    if (list.size() > kRecentFileCount) list.resize(kRecentFileCount);
    // A file that left the list takes its place with it.
    std::erase_if(settings_.recentPlaces,
                  [&](const auto& entry) { return std::find(list.begin(), list.end(), entry.first) == list.end(); });
    NotifyState();
}

void TMainForm::RecentFileClick(size_t index) {
    if (index >= settings_.recentFiles.size()) return;
    std::string path = settings_.recentFiles[index];
    for (auto& child : children_)
        if (child->Kind() == ChildKind::Document && child->Caption() == path) return;
    if (!platform::FileExists(path)) {
        if (ui_.MessageBox(path + "が見つかりません。新規作成しますか？", "警告", platform::MsgKind::Warning,
                           platform::MsgButtons::YesNo) != platform::MsgAnswer::Yes)
            return;
    }
    openInitialDir_ = platform::ExtractFilePath(path);
    OpenDocumentWindow(path);
}

bool TMainForm::AppMessage(Key key) {
    switch (key) {
        case Key::F1:
            ContentsExecute();
            return true;
        case Key::F2:
            VKDKH1Execute();
            return true;
        default:
            return false;
    }
}

void TMainForm::FormClick() {
    if (project_.IsOpen()) ProjectWindowFrontExecute();
}

bool TMainForm::QuickMakeRuleHolds() const {
    if (children_.size() <= 1) return false;
    int sources = 0;
    for (auto& child : children_)
        if (child->Kind() == ChildKind::Document && UpperExt(child->Caption()) == ".R") ++sources;
    return sources >= 2;
}

void TMainForm::Timer3Timer() {
    timer3_.SetEnabled(false);
    quickMakeEnabled_ = QuickMakeRuleHolds();
    NotifyState();
}

bool TMainForm::Visible(ActionId id) const {
    if (id == ActionId::TemplateAdd) return templatesAvailable_;
    return true;
}

bool TMainForm::Enabled(ActionId id) const {
    switch (id) {
        case ActionId::FileNew1:
        case ActionId::FileOpen1:
        case ActionId::FileSave1:
        case ActionId::FileSaveAs1:
        case ActionId::FileExit1:
        case ActionId::HelpAbout1:
        case ActionId::Contents:
        case ActionId::VKDKH1:
        case ActionId::VKDKQSDKincludeI1:
            return true;
        case ActionId::FileClose1:
            return active_ != nullptr;
        case ActionId::Compile:
        case ActionId::Link:
            return !building_;
        case ActionId::QuickMake:
            return quickMakeEnabled_ && !building_;
        case ActionId::CompileStop:
            return building_;
        case ActionId::NextError:
        case ActionId::PrevError:
            return !building_ && MessageWindow() != nullptr;
        case ActionId::ProjectMake:
            return projectCommands_ && !building_;
        case ActionId::AppendPrj:
        case ActionId::ProjectWindowFront:
            return projectCommands_;
        case ActionId::ProjectOpen:
        case ActionId::ProjectClose:
        case ActionId::ProjectNew:
        case ActionId::ProjectModify:
            return !building_;
        case ActionId::RiCreate:
        case ActionId::RiEdit:
            return true;
        case ActionId::InsertFileAtCaretLine:
        case ActionId::EditCut1:
        case ActionId::EditCopy1:
        case ActionId::EditPaste1:
            return ActiveDocument() != nullptr;
        case ActionId::SearchInFiles:
            return !building_ && !findingInFiles_;
        case ActionId::SearchFind:
        case ActionId::SearchFindNext:
        case ActionId::SearchFindPrev:
        case ActionId::SearchReplace:
        case ActionId::SearchJump:
        case ActionId::SearchBracket:
            return ActiveDocument() != nullptr;
        case ActionId::EditUndo:
            return ActiveDocument() && ActiveDocument()->Editor1().CanUndo();
        case ActionId::EditRedo:
            return ActiveDocument() && ActiveDocument()->Editor1().CanRedo();
        case ActionId::WindowCascade:
        case ActionId::WindowTileHorizontal:
        case ActionId::WindowTileVertical:
        case ActionId::WindowMinimizeAll:
        case ActionId::WindowArrange:
            return !children_.empty();
        case ActionId::DefineRef:
        case ActionId::ExecKeyRef:
        case ActionId::EnvOptions:
        case ActionId::CfgEdit:
        case ActionId::EditorCustomize:
        case ActionId::ProjectWindowCustomize:
            return true;
        case ActionId::Plomar1:
            return plomarEnabled_;
        case ActionId::TemplateAdd:
            return templatesAvailable_;
        default:
            // Commands of the editor, search, build, project, options and
            // reference features are enabled as those features arrive.
            return false;
    }
}

void TMainForm::UndoStateChanged(const TMDIChild& doc) {
    if (ActiveDocument() == &doc) NotifyState();
}

void TMainForm::Execute(ActionId id) {
    if (!Enabled(id)) return;
    switch (id) {
        case ActionId::FileNew1: FileNew1Execute(); break;
        case ActionId::FileOpen1: FileOpen1Execute(); break;
        case ActionId::FileClose1:
            if (active_) CloseChild(*active_);
            break;
        case ActionId::FileSave1: FileSave1Execute(); break;
        case ActionId::FileSaveAs1: FileSaveAs1Execute(); break;
        case ActionId::FileExit1:
            if (view_) {
                view_->CloseMainWindow();
            } else if (FormCloseQuery()) {
                FormDestroy();
            }
            break;
        case ActionId::InsertFileAtCaretLine:
            if (TMDIChild* doc = ActiveDocument()) doc->InsertFileAtCaretLine();
            break;
        case ActionId::EditCut1:
            ActiveDocument()->Editor1().CutToClipboard();
            break;
        case ActionId::EditCopy1:
            ActiveDocument()->Editor1().CopyToClipboard();
            break;
        case ActionId::EditPaste1:
            ActiveDocument()->Editor1().PasteFromClipboard();
            break;
        case ActionId::EditUndo:
            if (TMDIChild* doc = ActiveDocument()) {
                doc->Editor1().Undo();
                doc->SetPanel(3, doc->Editor1().CanUndo() ? "変更有り" : "");
            }
            break;
        case ActionId::EditRedo:
            if (TMDIChild* doc = ActiveDocument()) doc->Editor1().Redo();
            break;
        case ActionId::SearchFind: SearchFindExecute(); break;
        case ActionId::SearchFindNext: FindNext1Click(); break;
        case ActionId::SearchFindPrev: FindBeforClick(); break;
        case ActionId::SearchReplace: SearchReplaceExecute(); break;
        case ActionId::SearchJump: J1Click(); break;
        case ActionId::SearchInFiles: FindInFilesExecute(); break;
        case ActionId::SearchBracket: ToolbarButton9722Click(); break;
        case ActionId::Compile: CompileExecute(); break;
        case ActionId::Link: LinkExecute(); break;
        case ActionId::QuickMake: M1Click(); break;
        case ActionId::ProjectMake: MakeExecute(); break;
        case ActionId::CompileStop: abortBuild_ = true; break;
        case ActionId::NextError: NextErrorExecute(true); break;
        case ActionId::PrevError: NextErrorExecute(false); break;
        case ActionId::AppendPrj: AppendPrjExecute(); break;
        case ActionId::ProjectOpen: ProjectOpenExecute(); break;
        case ActionId::ProjectClose: ProjectCloseExecute(); break;
        case ActionId::ProjectWindowFront: ProjectWindowFrontExecute(); break;
        case ActionId::ProjectNew: ProjectNewExecute(); break;
        case ActionId::ProjectModify: ProjectModifyExecute(); break;
        case ActionId::RiCreate: RiCreateExecute(); break;
        case ActionId::RiEdit: RiEditExecute(); break;
        case ActionId::DefineRef: DefineRefExecute(); break;
        case ActionId::TemplateAdd: A1Click(); break;
        case ActionId::ExecKeyRef: ExecKeyRefExecute(); break;
        case ActionId::EnvOptions: E1Click(); break;
        case ActionId::Plomar1: Plomar1Click(); break;
        case ActionId::CfgEdit: C2Click(); break;
        case ActionId::EditorCustomize: S1Click(); break;
        case ActionId::ProjectWindowCustomize: P2Click(); break;
        case ActionId::Contents: ContentsExecute(); break;
        case ActionId::VKDKH1: VKDKH1Execute(); break;
        case ActionId::VKDKQSDKincludeI1: VKDKQSDKincludeI1Execute(); break;
        case ActionId::HelpAbout1:
            if (view_) view_->ShowAbout();
            break;
        case ActionId::WindowCascade:
        case ActionId::WindowTileHorizontal:
        case ActionId::WindowTileVertical:
        case ActionId::WindowMinimizeAll:
        case ActionId::WindowArrange:
            if (view_) view_->WindowCommand(id);
            break;
        default:
            break;
    }
    NotifyState();
}

// ---------------------------------------------------------------------------
// Building

bool TMainForm::CompilerCheck() {
    while (compiler::FindCompiler(settings_.compilerFolder).empty()) {
        if (ui_.MessageBox("VKC.EXEへのパスが設定されていないか、VKC.EXEが見つかりません\r\n環境設定をここで行いますか？",
                           "エラー", platform::MsgKind::Error, platform::MsgButtons::YesNo) != platform::MsgAnswer::Yes)
            return false;
        E1Click();
    }
    return true;
}

void TMainForm::CloseOldMessageWindow() {
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        auto* msg = dynamic_cast<compiler::TMsgForm*>(it->get());
        if (msg && !msg->Hits()) {  // a find's listing stays
            CloseChild(**it);
            return;
        }
    }
}

TMDIChild* TMainForm::CompilableDocument() {
    TMDIChild* doc = ActiveDocument();
    if (!doc) return nullptr;
    std::string name = platform::ExtractFileName(doc->Caption());
    std::string upper = platform::UpperCase(name);
    std::string ext = UpperExt(name);
    if (upper == "VKC.CFG" || ext == ".RI" || ext == ".H") return nullptr;
    if (upper.compare(0, 6, "NONAME") == 0) {
        ui_.MessageBox("ファイルが保存されていません\r\n保存してから実行してください", "警告", platform::MsgKind::Warning,
                       platform::MsgButtons::Ok);
        return nullptr;
    }
    if (doc->DocumentChanged() && !doc->SaveDocument()) return nullptr;
    return doc;
}

void TMainForm::Run(const compiler::CompilerCommand& native) {
    const compiler::CompilerCommand command = compiler::ForPlatform(native, settings_.wineCommand);
    CloseOldMessageWindow();
    building_ = true;
    preparingWine_ = command.preparesWine;
    abortBuild_ = false;
    NotifyState();
    compiler::CompilerRun run = compiler::RunCompiler(command, ui_, &abortBuild_);
    building_ = false;
    preparingWine_ = false;
    if (closeAfterBuild_) {
        closeAfterBuild_ = false;
        NotifyState();
        if (view_) view_->CloseMainWindow();
        return;
    }
    compiler::TMsgForm* msg = ShowCompilerOutput(run.output, compiler::CompilerRunNotice(command, run));
    msg->SetFolder(command.spec.workDir.empty() ? CurrentFolder() : command.spec.workDir);
    NotifyState();
}

std::string TMainForm::BuildStatus() const {
    if (!building_) return "";
    // Making a wine prefix takes several seconds before the compiler starts.
    return preparingWine_ ? "wine を準備しています… (Ctrl+Breakで中止)" : "コンパイル中... (Ctrl+Breakで中止)";
}

void TMainForm::CompileExecute() {
    if (building_ || !CompilerCheck()) return;
    TMDIChild* doc = CompilableDocument();
    if (!doc) return;
    Run(compiler::CompileOnlyCommand(settings_.compilerFolder, doc->Caption()));
}

void TMainForm::LinkExecute() {
    if (building_ || !ActiveDocument() || !CompilerCheck()) return;
    TMDIChild* doc = CompilableDocument();
    if (!doc) return;
    Run(compiler::CompileLinkCommand(settings_.compilerFolder, doc->Caption()));
}

void TMainForm::M1Click() {
    if (building_) return;
    std::string firstFolder;
    std::vector<std::string> sources;
    for (auto& child : children_) {
        if (child->Kind() != ChildKind::Document || UpperExt(child->Caption()) != ".R") continue;
        if (sources.empty()) firstFolder = platform::ExtractFilePath(child->Caption());
        sources.push_back(child->Caption());
    }
    platform::FileDialogOptions o;
    o.title = "実行ファイル";
    o.filter = "RXファイル|*.RX||";
    o.filterIndex = 0;
    o.defaultExt = "RX";
    o.initialDir = firstFolder;
    platform::FileDialogResult r = ui_.SaveDialog(o);
    if (!r.accepted || r.files.empty()) return;
    if (!CompilerCheck()) return;
    Run(compiler::QuickMakeCommand(settings_.compilerFolder, r.files.front(), firstFolder, sources));
}

compiler::TMsgForm* TMainForm::ShowCompilerOutput(const std::string& output, const std::string& notice) {
    auto form = std::make_unique<compiler::TMsgForm>(ui_, [this](const compiler::JumpTarget& target) {
        jump_ = target;
        timer1_.SetEnabled(true);
    });
    compiler::TMsgForm* msg = form.get();
    msg->AddLines(compiler::CompilerOutputLines(output));
    if (!notice.empty()) {
        compiler::MessageLines last;
        last.push_back(notice);
        msg->AddLines(last);
    }
    children_.push_back(std::move(form));
    active_ = msg;
    PlaceBuildMarkers(*msg);
    if (view_) view_->ChildAdded(*msg);
    NotifyState();
    return msg;
}

TMDIChild* TMainForm::JumpWindow(const compiler::JumpTarget& target) const {
    std::vector<std::string> captions;
    std::vector<TMDIChild*> docs = DocumentWindows(&captions);
    if (target.exact) {
        // A hit names its file in full: only that file's window will do.
        for (size_t i = 0; i < docs.size(); ++i)
            if (captions[i] == target.file) return docs[i];
        return target.file.empty() || target.file[0] != '/' ? nullptr : DocumentShowing(target.file);
    }
    int found = compiler::FindJumpWindow(captions, target.file);
    return found >= 0 ? docs[static_cast<size_t>(found)] : nullptr;
}

compiler::TMsgForm* TMainForm::MessageWindow() const {
    for (auto it = children_.rbegin(); it != children_.rend(); ++it)
        if (auto* msg = dynamic_cast<compiler::TMsgForm*>(it->get())) return msg;
    return nullptr;
}

void TMainForm::NextErrorExecute(bool forward) {
    if (compiler::TMsgForm* msg = MessageWindow()) msg->SelectNextTarget(forward);
}

void TMainForm::Timer1Timer() {
    timer1_.SetEnabled(false);
    // A Windows compiler names files by drive paths (Z:\..., D:\...).
    compiler::JumpTarget target = jump_;
    target.file = compiler::LocalFileText(target.file);
    TMDIChild* doc = JumpWindow(target);
    if (!doc) {
        // A file no window shows is opened from the folder the build ran in.
        std::string path = compiler::JumpTargetPath(target);
        if (path.empty()) return;
        if (!platform::PathExists(path)) {
            ui_.MessageBox(path + "\nが見つかりません。", "エラー", platform::MsgKind::Error, platform::MsgButtons::Ok);
            return;
        }
        doc = OpenDocumentWindow(path);
        if (!doc) return;
        if (markersFrom_) MarkDocuments(*markersFrom_, doc);
        if (hitsFrom_) PlaceHitMarks(*hitsFrom_, doc);
    }
    editor::TEditor& ed = doc->Editor1();
    // Any 32-bit number may stand in a message: a wider type keeps line - 1
    // from overflowing, and lines before the first are line 1.
    const int64_t line = std::max<int64_t>(1, jump_.line);
    const int64_t last = std::max(0, ed.RowCount() - 1);
    // A line is its first row: with word wrap, rows run ahead of lines.
    const int64_t lines = ed.Store().LineCount();
    const int64_t row = line <= lines ? ed.Store().RowOfLine(static_cast<int>(line - 1)) : last;
    ed.SetRow(static_cast<int>(std::min(row, last)));
    ed.SetTopRow(static_cast<int>(std::clamp<int64_t>(row + 1 - ed.VisibleRows() / 3, 0, ed.RowCount())));
    active_ = doc;
    if (view_) view_->ActivateChild(*doc);
    NotifyState();
}

// ---------------------------------------------------------------------------
// Files

void TMainForm::FileNew1Execute() {
    ++untitledCounter_;
    std::string name = "NONAME" + std::to_string(untitledCounter_);
    std::string folder = CurrentFolder();
    if (platform::FileExists(folder + name)) {
        for (int n = 2;; ++n) {
            std::string candidate = name + "(" + std::to_string(n) + ")";
            if (!platform::FileExists(folder + candidate)) {
                name = candidate;
                break;
            }
        }
    }
    OpenDocumentWindow(name);
}

void TMainForm::FileOpen1Execute() {
    if (openInitialDir_.empty()) openInitialDir_ = platform::ExtractFilePath(openFileName_);
    platform::FileDialogOptions o;
    o.filter = kOpenFilter;
    o.initialDir = openInitialDir_;
    o.fileName.clear();
    o.defaultExt = "r";
    o.multiSelect = true;
    platform::FileDialogResult r = ui_.OpenDialog(o);
    if (!r.accepted || r.files.empty()) return;
    openFileName_ = r.files.front();
    for (const std::string& file : r.files) OpenDocumentWindow(file);
    openInitialDir_ = platform::ExtractFilePath(openFileName_);
    ui_.ProcessEvents();
    if (QuickMakeRuleHolds()) quickMakeEnabled_ = true;
}

std::string TMainForm::SaveDialog1TypeChange(int filterIndex) {
    switch (filterIndex) {
        case 1: return "r";
        case 2: return "h";
        default: return "";
    }
}

platform::FileDialogOptions TMainForm::SaveDialogOptions() const {
    platform::FileDialogOptions o;
    o.filter = kSaveFilter;
    o.defaultExt = "r";
    o.onTypeChange = &TMainForm::SaveDialog1TypeChange;
    return o;
}

void TMainForm::FileSave1Execute() {
    if (!active_) return;
    TMDIChild* doc = ActiveDocument();
    if (!doc) {
        ShowMessage("セーブするファイルの編集ウィンドウをアクティブにしてください！");
        return;
    }
    std::string before = doc->Caption();
    if (IsUntitled(before)) {
        platform::FileDialogResult r = ui_.SaveDialog(SaveDialogOptions());
        if (!r.accepted || r.files.empty()) return;
        doc->SetCaption(r.files.front());
    }
    if (!doc->SaveDocument()) {
        doc->SetCaption(before);  // still unsaved: keep the name it had
        return;
    }
    timer3_.SetEnabled(true);
}

void TMainForm::FileSaveAs1Execute() {
    TMDIChild* doc = ActiveDocument();
    if (!doc) return;
    platform::FileDialogOptions o = SaveDialogOptions();
    if (!IsUntitled(doc->Caption())) {
        o.initialDir = platform::ExtractFilePath(doc->Caption());
        o.fileName = platform::ExtractFileName(doc->Caption());
    }
    platform::FileDialogResult r = ui_.SaveDialog(o);
    if (!r.accepted || r.files.empty()) return;
    std::string before = doc->Caption();
    doc->SetCaption(r.files.front());
    if (!doc->SaveDocument()) {
        doc->SetCaption(before);
        return;
    }
    AddRecentFile(r.files.front());
}

}  // namespace app
