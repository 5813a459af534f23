// The main window's view: an MDI frame with the menu bar, the two dockable
// toolbars and a status bar showing the long hints, plus a panel while a
// build runs. It shows a TMainForm and forwards every user action to it.
#pragma once

#include <QFileSystemWatcher>
#include <QMainWindow>
#include <QTimer>
#include <QMdiSubWindow>
#include <map>

#include "app/MainForm.h"
#include "app/MdiLayout.h"

class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;

namespace gui {

class QtUi;
class TAboutBox;
class DocumentWindow;
class FindDialog;
class ReplaceDialog;
class VKBOptDialog;

// An MDI child frame whose close box asks the form first.
class ChildSubWindow : public QMdiSubWindow {
    Q_OBJECT
public:
    ChildSubWindow(app::TMainForm& main, forms::TMdiChildForm& form);
    forms::TMdiChildForm* Form() const { return form_; }
    void Detach() { form_ = nullptr; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    app::TMainForm& main_;
    forms::TMdiChildForm* form_;
};

class MainWindow : public QMainWindow, public app::TMainFormView {
    Q_OBJECT
public:
    MainWindow(app::TMainForm& form, platform::Ui& ui);
    ~MainWindow() override;

    // Window placement and toolbar layout from the settings read at start.
    void ApplySettings();

    QMdiArea* MdiArea() const { return mdi_; }
    QAction* ActionFor(app::ActionId id) const { return actions_.at(id); }
    DocumentWindow* DocumentViewOf(forms::TMdiChildForm* form) const;
    QMenu* RecentMenu() const { return recentMenu_; }

    // TMainFormView
    void ChildAdded(forms::TMdiChildForm& child) override;
    void ChildRemoving(forms::TMdiChildForm& child) override;
    void ActivateChild(forms::TMdiChildForm& child) override;
    void StateChanged() override;
    void CloseMainWindow() override;
    void WindowCommand(app::ActionId id) override;
    void ShowAbout() override;
    bool RunNumJump(app::TNumJmp& dialog) override;
    void RunDefineView(reference::TDefineViewForm& form) override;
    void RunExecKey(reference::TExecKeyForm& form) override;
    bool RunPrjForm(project::TPrjForm& form) override;
    // Runs a dialog centred over this window (sized to its contents first),
    // then gives the keyboard back to the active editor; true on OK.
    bool RunModal(QDialog& view, bool fitContents = true);
    bool RunRiWiz(project::TRiWizForm& form) override;
    bool RunOptions(app::TVKBOptForm& form) override;
    bool RunCustomize(app::TCustForm& form) override;
    bool RunProjectCustomize(app::TPrjCustForm& form) override;
    void RunFindInFiles(app::TFindInFilesForm& form) override;
    std::vector<app::TFontFace> InstalledFonts() const override;
    void ProjectLookChanged() override;

    FindDialog* FindDialogView() const { return find_; }
    ReplaceDialog* ReplaceDialogView() const { return replace_; }
    // Another start of the program asked this copy to come forward.
    void BringToFront();
    // Files a later start handed over, opened as a command line's.
    void OpenForwarded(const std::vector<std::string>& files);
    // The keyboard goes back to the active document's editor.
    void FocusActiveEditor();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenus();
    void BuildToolbars();
    void RebuildWindowMenu();
    void CaptureLayout();
    void Arrange(app::ActionId id);  // cascade or tile
    void KeepChildrenInside();
    app::TMdiMetrics Metrics() const;
    QMdiSubWindow* MessageSubWindow() const;
    void PlaceMessageWindow(QMdiSubWindow* sub);
    // Watches the files the documents show; a change seen while this
    // window is active is looked at at once, others on activation.
    void SyncWatcher();

    app::TMainForm& form_;
    platform::Ui& ui_;
    QMdiArea* mdi_ = nullptr;
    std::vector<std::string> forwarded_;
    bool forwardPending_ = false;
    TAboutBox* about_ = nullptr;
    FindDialog* find_ = nullptr;
    ReplaceDialog* replace_ = nullptr;
    VKBOptDialog* options_ = nullptr;  // reused: its folder tree keeps its place
    std::map<app::ActionId, QAction*> actions_;
    QMenu* recentMenu_ = nullptr;
    QMenu* templateMenu_ = nullptr;
    QAction* templateSeparator_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    std::vector<QAction*> windowListActions_;
    std::map<std::string, QToolBar*> toolbars_;
    std::map<forms::TMdiChildForm*, ChildSubWindow*> subWindows_;
    QLabel* buildPanel_ = nullptr;
    bool closing_ = false;
    QFileSystemWatcher* watcher_ = nullptr;
    QTimer* diskTimer_ = nullptr;  // lets a burst of changes settle first
};

}  // namespace gui
