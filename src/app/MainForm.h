// TMainForm: the main window's state and commands, without the toolkit. It
// owns the settings, the MDI children (in creation order), the recent-file
// list and the three timers; a view (the Qt main window, or nothing in
// tests) shows it and forwards the user's actions.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Actions.h"
#include "app/Childwin.h"
#include "app/Clipboard.h"
#include "app/Cust.h"
#include "app/FindInFiles.h"
#include "forms/FileDrop.h"
#include "forms/MdiChildForm.h"
#include "app/NumJump.h"
#include "app/Search.h"
#include "app/Session.h"
#include "app/Settings.h"
#include "app/Templates.h"
#include "app/Timer.h"
#include "app/VkbOpt.h"
#include "compiler/Compiler.h"
#include "editor/MessageList.h"
#include "compiler/Msg.h"
#include "platform/Ui.h"
#include "project/PrjForm.h"
#include "project/ProjView.h"
#include "project/ProjectModel.h"
#include "project/RiWiz.h"
#include "reference/DefineView.h"
#include "reference/ExecKey.h"
#include "reference/KeywordList.h"

namespace app {

// The shared window pieces live below the subsystems; the shell names them as its own.
using forms::TMdiChildForm;
using forms::ChildKind;
using forms::TFileDrop;
using forms::TDropWindow;

extern const char* const kAppTitle;  // "VeskC Builder"

// What the logic asks of the window that shows it.
class TMainFormView {
public:
    virtual ~TMainFormView() = default;
    virtual void ChildAdded(TMdiChildForm& child) = 0;     // show and activate it
    virtual void ChildRemoving(TMdiChildForm& child) = 0;  // its window goes now
    virtual void ActivateChild(TMdiChildForm& child) = 0;
    virtual void StateChanged() = 0;  // caption, enabling, recent files
    virtual void CloseMainWindow() = 0;  // close as the close box does
    virtual void WindowCommand(ActionId id) = 0;  // cascade, tile, minimise, arrange
    virtual void ShowAbout() = 0;
    // Shows the jump-to-line dialog modally (placed with PlaceOver over the
    // main window); true on OK.
    virtual bool RunNumJump(TNumJmp& /*dialog*/) { return false; }
    // Show the reference windows modally (centred on the main window, the
    // form already filled); their result is in the form afterwards.
    virtual void RunDefineView(reference::TDefineViewForm& /*form*/) {}
    virtual void RunExecKey(reference::TExecKeyForm& /*form*/) {}
    // Show the project settings dialog and the install information wizard
    // modally, centred on the main window; their OK runs the form's OkClick
    // and closes only when it agrees. True when closed with OK.
    virtual bool RunPrjForm(project::TPrjForm& /*form*/) { return false; }
    virtual bool RunRiWiz(project::TRiWizForm& /*form*/) { return false; }
    // The options and customization dialogs, modal and centred on the main
    // window; true on OK. The view keeps the form's fields up to date.
    virtual bool RunOptions(TVKBOptForm& /*form*/) { return false; }
    virtual bool RunCustomize(TCustForm& /*form*/) { return false; }
    virtual bool RunProjectCustomize(TPrjCustForm& /*form*/) { return false; }
    // The find-in-files dialog, modal; it stays up while the search runs
    // (OnStart) and closes when that ends, or on Esc before it starts.
    virtual void RunFindInFiles(TFindInFilesForm& /*form*/) {}
    virtual std::vector<TFontFace> InstalledFonts() const { return {}; }
    // The project window's font or colours changed in the settings.
    virtual void ProjectLookChanged() {}
};

// An entry of the project window waiting to be opened by Timer2: a path
// and the category index of the node it came from.
struct PendingOpen {
    std::string path;
    int category = -1;
};

class TMainForm {
public:
    TMainForm(platform::Ui& ui, std::string programFolder, std::vector<std::string> commandLine);
    ~TMainForm();
    TMainForm(const TMainForm&) = delete;
    TMainForm& operator=(const TMainForm&) = delete;

    void SetView(TMainFormView* view) { view_ = view; }

    void FormCreate();
    void FormActivate();
    // Opens what a command line names: the first existing ".PRJ", else every
    // existing ".R" and ".H" in order (the first start's own command line,
    // and the files a later start hands over).
    void OpenCommandLineFiles(const std::vector<std::string>& paths);
    // Asks every child's close query in MDI order; false cancels the exit.
    bool FormCloseQuery();
    void FormDestroy();

    TSettings& Settings() { return settings_; }
    // The keyboard macro recorder of the whole run; its target follows the
    // focused document editor.
    editor::TMessageList& MessageList() { return messageList_; }
    // The message window whose messages the documents' build marks show.
    const compiler::TMsgForm* MarkedListing() const { return markersFrom_; }
    const std::string& ProgramFolder() const { return programFolder_; }
    // Where document windows keep their recovery journals; "" (the default)
    // keeps none. Set before the first activation, which offers what a
    // crash left there.
    void SetRecoveryFolder(std::string folder) { recoveryFolder_ = std::move(folder); }
    const std::string& RecoveryFolderPath() const { return recoveryFolder_; }
    // Offers the texts of journals that no running copy holds.
    void OfferRecovery();
    // Where the last session is kept (SessionFile()); "" (the default) keeps
    // none. Set before the first activation, which reopens it when the
    // setting says so and the command line names nothing.
    void SetSessionFile(std::string file) { sessionFile_ = std::move(file); }
    // What is open now, as the next start would reopen it: the project,
    // the documents that have a file, the active window.
    TSession CurrentSession() const;
    // Opens what `session` names in its order and goes where the user was;
    // what no longer exists is listed once.
    void RestoreSession(const TSession& session);
    // The settings file chosen at start (SettingsFileFor).
    std::string SettingsPath() const;
    // Whether it held the main window's place; without one (a first start)
    // the view places the window itself.
    bool WindowPlaceStored() const { return windowPlaceStored_; }
    std::string HelpFile() const { return helpFile_; }
    const std::string& Caption() const { return caption_; }
    TToolbarLayout& ToolbarLayout(const std::string& name) { return toolbars_[name]; }

    // MDI children in creation order, and the active one.
    const std::vector<std::unique_ptr<TMdiChildForm>>& Children() const { return children_; }
    TMdiChildForm* ActiveChild() const { return active_; }
    TMDIChild* ActiveDocument() const;
    // A document window becoming active looks at its file on disk.
    void ChildActivated(TMdiChildForm* child);
    // Files other programs changed (MainDisk.cpp): a document without
    // unsaved changes is read again, the user is asked once about those with
    // changes (one question for all of them) and told once of files gone.
    // `only` limits the look to one window; nullptr looks at every one.
    void CheckFilesOnDisk(TMDIChild* only = nullptr);
    // The files worth watching for such changes: those the document windows
    // read or wrote (no untitled window, nothing a build writes).
    std::vector<std::string> WatchedFiles() const;
    // Ctrl+Tab / Ctrl+Shift+Tab: activates the child after (before) the
    // active one in MDI order, round the ends.
    void CycleChildren(bool forward);
    // Runs the child's close query; true when it closed.
    bool CloseChild(TMdiChildForm& child);

    // A file already open in a document window brings that window forward
    // instead; a path that names no regular file is refused with a message.
    TMDIChild* OpenDocumentWindow(const std::string& path);
    // The document window showing the file `path` names (the same caption,
    // or the same file on disk through another name); nullptr when none.
    TMDIChild* DocumentShowing(const std::string& path) const;

    bool Enabled(ActionId id) const;
    bool Visible(ActionId id) const;
    // Whether the document can undo or redo changed: the Edit commands follow
    // when it is the active window.
    void UndoStateChanged(const TMDIChild& doc);
    void Execute(ActionId id);

    const std::vector<std::string>& RecentFiles() const { return settings_.recentFiles; }
    void AddRecentFile(const std::string& path);
    void RecentFileClick(size_t index);

    // Templates submenu: shown only when the template file exists.
    bool TemplatesAvailable() const { return templatesAvailable_; }
    // The templates in menu order (titles are the captions, Shift-JIS).
    const std::vector<TTemplate>& Templates() const { return templates_; }
    // A template item chosen: the first template with that caption goes in
    // before the caret's line of the active document.
    void TemplateClick(std::string_view caption);
    // Adds the clipboard's text (the selection, when there is one) as a
    // template under a title the user enters, and appends it to the file.
    void A1Click();
    const std::string& KeywordListFile() const { return keywordListFile_; }

    // The names Ctrl+Space offers in `ed` for `prefix` (Shift-JIS): the
    // keyword hints, the define reference, `ed`'s reserved words and the
    // words of every open document (MainCompletion.cpp).
    std::vector<TCompletionItem> CompletionCandidates(std::string_view prefix, editor::TEditor& ed);

    // Help (MainHelp.cpp). The keyword hint list of the target host, read at
    // start and again whenever the target changes.
    const reference::TKeywordList& Keywords() const { return keywords_; }
    void LoadKeywordList();
    // Sets the target host (0 Korvane, 1 Tessal); a change reloads the list.
    void SetTargetHost(int host);
    // The hint text for a Shift-JIS word; empty when none.
    const std::string& Lookup(std::string_view word) const { return keywords_.Lookup(word); }
    // The development kit help at a keyword (Shift-JIS word): only when its
    // file exists and the word is not empty.
    void KeywordHelp(std::string_view word);
    // The program's help at a keyword (Shift+F1).
    void ProgramHelpKeyword(std::string_view word);
    void ContentsExecute();
    void VKDKH1Execute();
    void VKDKQSDKincludeI1Execute();

    // A key pressed while no child window has the focus; true when handled.
    enum class Key { F1, F2, Other };
    bool AppMessage(Key key);
    void FormClick();

    // Files dropped on the main window arrive through `window` (MainDrop.cpp).
    void HookFileDrop(TDropWindow* window);
    TFileDrop* FileDrop1() const { return fileDrop1_.get(); }
    // The ".R" and ".H" files among them that exist open in document
    // windows, in the order dropped.
    void FileDrop1FileDrop(TFileDrop& sender, int count, int x, int y, const std::vector<std::string>& paths);

    TTimer& Timer1() { return timer1_; }
    TTimer& Timer2() { return timer2_; }
    TTimer& Timer3() { return timer3_; }
    bool QuickMakeRuleHolds() const;
    bool QuickMakeEnabled() const { return quickMakeEnabled_; }

    // The open project (MainProject.cpp). A project is open while its name
    // is not empty.
    project::ProjectModel& Project() { return project_; }
    const project::ProjectModel& Project() const { return project_; }
    // Fills the model from `path` (projectFile set by the caller) and opens
    // its sources in order. A file that exists but cannot be read is
    // reported and changes nothing: false.
    bool LoadProject(const std::string& path);
    // Says once, in one box, where the project's Windows paths lead here.
    void TellWindowsPaths();
    // Writes the model to `path` through the INI layer; the reason when it
    // could not be written (nothing is told to the user here).
    std::optional<std::string> SaveProject(const std::string& path);
    // Closes the open project's windows (saving changed documents, except
    // those the user chose to drop at exit), writes its file and empties the
    // model. False when the project stays open: a document could not be
    // saved, or the file could not be written and the user kept it open.
    bool CloseProject();
    void ProjectOpenExecute();
    void ProjectCloseExecute();
    void ProjectWindowFrontExecute();
    // The project window (nullptr while none is open), and its creation for
    // the open model.
    project::TProjectViewForm* ProjectWindow() const;
    project::TProjectViewForm* CreateProjectWindow();
    const PendingOpen& PendingOpenRequest() const { return pendingOpen_; }
    // Adds the active document to the sources (bare name when it lies in
    // the source folder), saving it first.
    void AppendPrjExecute();
    // New project: the file chosen, the open project closed, the dialog
    // filled in; the project is written and opened (MainProjectSettings.cpp).
    void ProjectNewExecute();
    // Modify project: the dialog over the open project; the file is written,
    // every window closed and the project read back.
    void ProjectModifyExecute();
    project::TPrjForm& PrjForm() { return prjForm_; }
    // The install information wizard, and opening an .RI file for editing.
    void RiCreateExecute();
    void RiEditExecute();
    // Open project from the file's loading on: caption, enabling, quick make.
    bool OpenProjectFile(const std::string& path);
    const std::string& ProjectOpenInitialDir() const { return settings_.projectFolder; }

    // Build commands.
    void CompileExecute();
    void LinkExecute();
    void M1Click();
    void MakeExecute();
    bool Building() const { return building_; }
    // The status bar's build panel: what runs and how to stop it; empty
    // while nothing runs.
    std::string BuildStatus() const;
    // The same for a find in files.
    const std::string& FindStatus() const { return findStatus_; }
    // Lists compiler output in a new message window; a non-empty `notice`
    // becomes its last line.
    compiler::TMsgForm* ShowCompilerOutput(const std::string& output, const std::string& notice = {});
    // The stored jump request (Timer1 performs it).
    const compiler::JumpTarget& JumpRequest() const { return jump_; }
    // The newest message window; nullptr when none is open.
    compiler::TMsgForm* MessageWindow() const;
    // Next / previous error of the message window (F8, Shift+F8).
    void NextErrorExecute(bool forward);

    // Search menu (MainSearch.cpp). Each acts on the active document window
    // and does nothing while another kind of window is active.
    TFindDialog& FindDialog1() { return findDialog_; }
    TReplaceDialog& ReplaceDialog1() { return replaceDialog_; }
    void SearchFindExecute();
    void FindDialog1Find();
    void FindNext1Click();
    void FindBeforClick();
    void SearchReplaceExecute();
    void ReplaceDialog1Find();
    void ReplaceDialog1Replace(bool all);
    void J1Click();
    void K1Click();
    // Find in files (MainFindInFiles.cpp): the dialog preset for the open
    // project or the active document's folder; the search in slices, its
    // hits listed in a message window of their own and marked in the
    // documents; a stop keeps what was found.
    TFindInFilesForm& FindInFilesForm() { return findInFiles_; }
    void FindInFilesExecute();
    void FindInFilesStart();
    void FindInFilesStop() { stopFindInFiles_ = true; }
    bool FindingInFiles() const { return findingInFiles_; }
    // The files the dialog's scope names; nullopt (after telling the user)
    // when there are none to search.
    std::optional<std::vector<TFileToSearch>> FindInFilesTargets();
    // The newest find-in-files listing; nullptr when none is open.
    compiler::TMsgForm* HitsWindow() const;
    void ToolbarButton9722Click() { K1Click(); }

    // Help menu references: the chosen name or execkey() line goes into the
    // active document.
    reference::TDefineViewForm& DefineViewForm() { return defineView_; }
    reference::TExecKeyForm& ExecKeyForm() { return execKey_; }
    void DefineRefExecute();
    void ExecKeyRefExecute();

    // Options menu (MainOptions.cpp).
    TVKBOptForm& VKBOptForm() { return vkbOpt_; }
    TCustForm& CustForm() { return cust_; }
    void E1Click();
    bool PlomarEnabled() const { return plomarEnabled_; }
    void Plomar1Click();
    void C2Click();
    void S1Click();
    void P2Click();

    // File commands.
    void FileNew1Execute();
    void FileOpen1Execute();
    void FileSave1Execute();
    void FileSaveAs1Execute();
    // Save dialog: the default extension for the filter picked (1-based).
    static std::string SaveDialog1TypeChange(int filterIndex);
    const std::string& OpenDialogInitialDir() const { return openInitialDir_; }

private:
    void ShowMessage(const std::string& text);
    void NotifyState();
    void Timer1Timer();
    void Timer2Timer();
    void Timer3Timer();
    bool CompilerCheck();
    void CloseOldMessageWindow();
    // Marks the rows the message window's messages name in the open
    // documents; cleared with the window (MainMarkers.cpp).
    void PlaceBuildMarkers(const compiler::TMsgForm& msg);
    // The same for a find-in-files listing, with marks of their own kind.
    void PlaceHitMarks(const compiler::TMsgForm& hits, TMDIChild* only);
    void ClearHitMarks();
    void ClearBuildMarkers();
    // Marks the rows in the documents (or only in `only`) that the
    // messages name.
    void MarkDocuments(const compiler::TMsgForm& msg, TMDIChild* only);
    // The window a jump to `target` goes to; nullptr when none shows it.
    TMDIChild* JumpWindow(const compiler::JumpTarget& target) const;
    // The document windows in window order, with their captions.
    std::vector<TMDIChild*> DocumentWindows(std::vector<std::string>* captions) const;
    // The active document when it may be compiled; nullptr (after any
    // warning) otherwise.
    TMDIChild* CompilableDocument();
    void Run(const compiler::CompilerCommand& command);
    // Closes `child` after saving it when changed (never one the user chose
    // to drop); false, with the window left open, when it could not be saved.
    bool SaveAndCloseChild(TMdiChildForm& child);
    // Closes every child from the last to the first, saving changed
    // documents; the project window takes its project with it.
    bool CloseAllChildren();
    void SetProjectCommands(bool on);
    void RemoveChild(TMdiChildForm& child);
    // Keeps where the user was in the document for its next opening, when
    // its file is in the recent list.
    void RememberPlace(const TMDIChild& doc);
    // The first activation of a start without files: the session file,
    // when the setting says so.
    void RestoreLastSession();
    // At exit: the session goes to its file when the setting says so, and
    // is removed otherwise, so that turning the setting on later brings
    // back nothing stale.
    void StoreSession(const TSession& session);
    void StopTimersAndHelp();
    // A dialog's UTF-8 text as Shift-JIS; nullopt (after telling the user)
    // when Shift-JIS cannot hold it.
    std::optional<std::string> DocumentText(const std::string& utf8);
    platform::FileDialogOptions SaveDialogOptions() const;

    platform::Ui& ui_;
    TUiClipboard clipboard_{ui_};
    TMainFormView* view_ = nullptr;
    std::string programFolder_;
    std::string recoveryFolder_;
    std::string sessionFile_;
    std::vector<std::string> commandLine_;
    TSettings settings_;
    std::map<std::string, TToolbarLayout> toolbars_;
    std::string caption_;
    std::string helpFile_;
    // Windows help viewers (winhlp32 through wine) started for .HLP files;
    // ended when the program quits, as WinHelp's HELP_QUIT would.
    std::vector<std::unique_ptr<platform::ChildProcess>> winHelp_;
    // Shows a .HLP file with wine's help viewer; false for any other file.
    bool WinHelp(const std::string& file);
    std::string keywordListFile_;
    reference::TKeywordList keywords_;
    bool templatesAvailable_ = false;
    std::vector<TTemplate> templates_;
    void LoadTemplates();
    // Why the settings file could not be read at start; a file the program
    // could not read is never written over with what it did not see.
    std::string settingsUnreadable_;
    std::string settingsPath_;
    bool windowPlaceStored_ = true;

    std::vector<std::unique_ptr<TMdiChildForm>> children_;
    TMdiChildForm* active_ = nullptr;

    int untitledCounter_ = 0;
    bool firstActivation_ = true;
    bool quickMakeEnabled_ = false;
    bool plomarEnabled_ = false;
    std::string openInitialDir_;
    std::string openFileName_;

    project::ProjectModel project_;
    bool projectCommands_ = false;  // AppendPrj, ProjectMake, ProjectWindowFront
    // Made once: its fields keep their text from one use to the next.
    project::TPrjForm prjForm_{project_, ui_, programFolder_};
    bool exiting_ = false;
    bool checkingDisk_ = false;  // a question about changed files is open

    compiler::JumpTarget jump_;
    PendingOpen pendingOpen_;
    bool building_ = false;
    bool preparingWine_ = false;  // the running build waits for wine to make its prefix
    bool abortBuild_ = false;
    bool closeAfterBuild_ = false;

    TFindDialog findDialog_;
    editor::TMessageList messageList_;
    const compiler::TMsgForm* markersFrom_ = nullptr;  // the message window whose messages are marked
    TReplaceDialog replaceDialog_;
    TFindInFilesForm findInFiles_;
    bool findingInFiles_ = false;
    bool stopFindInFiles_ = false;
    std::string findStatus_;
    const compiler::TMsgForm* hitsFrom_ = nullptr;  // the listing whose hits are marked

    // Created once and reused: the define sort directions last the program's life.
    reference::TDefineViewForm defineView_{ui_};
    reference::TExecKeyForm execKey_{ui_};
    TVKBOptForm vkbOpt_{ui_};
    TCustForm cust_;

    TTimer timer1_;
    TTimer timer2_;
    TTimer timer3_;

    std::unique_ptr<TFileDrop> fileDrop1_;
};

}  // namespace app
