#include "MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

#include "AboutBox.h"
#include "DocumentWindow.h"
#include "FileDropArea.h"
#include "MsgWindow.h"
#include "ProjectDialogs.h"
#include "OptionsDialogs.h"
#include "ProjectWindow.h"
#include "QtUi.h"
#include "ReferenceDialogs.h"
#include "SearchDialogs.h"
#include "EditorWidget.h"
#include "app/MdiLayout.h"
#include "platform/ShiftJis.h"

namespace gui {

using app::ActionId;

namespace {

QString Caption(std::string_view s) { return Q(std::string(s)); }

QString EscapeAmpersands(QString s) { return s.replace('&', "&&"); }

Qt::ToolBarArea AreaOf(const std::string& dock) {
    if (dock == "BottomDock") return Qt::BottomToolBarArea;
    if (dock == "LeftDock") return Qt::LeftToolBarArea;
    if (dock == "RightDock") return Qt::RightToolBarArea;
    return Qt::TopToolBarArea;
}

std::string DockName(Qt::ToolBarArea area) {
    switch (area) {
        case Qt::BottomToolBarArea: return "BottomDock";
        case Qt::LeftToolBarArea: return "LeftDock";
        case Qt::RightToolBarArea: return "RightDock";
        default: return "TopDock";
    }
}

QIcon IconFor(ActionId id, QStyle* style) {
    switch (id) {
        case ActionId::FileNew1: return style->standardIcon(QStyle::SP_FileIcon);
        case ActionId::FileOpen1: return style->standardIcon(QStyle::SP_DialogOpenButton);
        case ActionId::FileSave1: return style->standardIcon(QStyle::SP_DialogSaveButton);
        case ActionId::ProjectOpen: return style->standardIcon(QStyle::SP_DirOpenIcon);
        case ActionId::EditUndo: return style->standardIcon(QStyle::SP_ArrowBack);
        case ActionId::EditRedo: return style->standardIcon(QStyle::SP_ArrowForward);
        case ActionId::Compile: return style->standardIcon(QStyle::SP_MediaPlay);
        case ActionId::Link: return style->standardIcon(QStyle::SP_MediaSeekForward);
        case ActionId::ProjectMake: return style->standardIcon(QStyle::SP_MediaSkipForward);
        case ActionId::SearchFind: return style->standardIcon(QStyle::SP_FileDialogContentsView);
        case ActionId::Contents: return style->standardIcon(QStyle::SP_DialogHelpButton);
        case ActionId::VKDKH1: return style->standardIcon(QStyle::SP_MessageBoxQuestion);
        case ActionId::WindowCascade: return style->standardIcon(QStyle::SP_TitleBarNormalButton);
        case ActionId::ProjectWindowFront: return style->standardIcon(QStyle::SP_FileDialogDetailedView);
        default: return {};
    }
}

}  // namespace

ChildSubWindow::ChildSubWindow(app::TMainForm& main, forms::TMdiChildForm& form)
    : main_(main), form_(&form) {
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void ChildSubWindow::closeEvent(QCloseEvent* event) {
    if (!form_) {
        event->accept();
        return;
    }
    // The form decides; when it agrees, ChildRemoving has already detached
    // this frame and scheduled its deletion.
    if (main_.CloseChild(*form_)) event->accept();
    else event->ignore();
}

MainWindow::MainWindow(app::TMainForm& form, platform::Ui& ui) : form_(form), ui_(ui) {
    setWindowTitle(Q(form.Caption()));
    mdi_ = new QMdiArea(this);
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setActivationOrder(QMdiArea::CreationOrder);
    mdi_->installEventFilter(this);
    mdi_->viewport()->installEventFilter(this);
    mdi_->setFocusPolicy(Qt::StrongFocus);
    setCentralWidget(mdi_);
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
        auto* child = qobject_cast<ChildSubWindow*>(w);
        form_.ChildActivated(child ? child->Form() : nullptr);
    });
    watcher_ = new QFileSystemWatcher(this);
    diskTimer_ = new QTimer(this);
    diskTimer_->setSingleShot(true);
    diskTimer_->setInterval(300);
    connect(watcher_, &QFileSystemWatcher::fileChanged, diskTimer_, qOverload<>(&QTimer::start));
    connect(diskTimer_, &QTimer::timeout, this, [this] {
        if (isActiveWindow() && !QApplication::activeModalWidget()) form_.CheckFilesOnDisk();
    });
    statusBar()->showMessage(QString());
    buildPanel_ = new QLabel(this);
    statusBar()->addPermanentWidget(buildPanel_);
    buildPanel_->hide();
    BuildMenus();
    BuildToolbars();
    about_ = new TAboutBox(this);
    find_ = new FindDialog(form_.FindDialog1(), this);
    replace_ = new ReplaceDialog(form_.ReplaceDialog1(), this);
    find_->onClosed = replace_->onClosed = [this] { FocusActiveEditor(); };
    options_ = new VKBOptDialog(form_.VKBOptForm(), this);
    if (auto* qtUi = dynamic_cast<QtUi*>(&ui_)) qtUi->SetParent(this);
    form_.SetView(this);
    form_.HookFileDrop(new FileDropArea(this));
    // Ctrl+Break must reach the form wherever the focus is, also while a
    // build waits for the compiler.
    qApp->installEventFilter(this);
}

void MainWindow::BringToFront() {
    if (isMinimized()) setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
    // A dialog open in this copy is where the user was working.
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != this) {
        modal->raise();
        modal->activateWindow();
    }
}

void MainWindow::OpenForwarded(const std::vector<std::string>& files) {
    forwarded_.insert(forwarded_.end(), files.begin(), files.end());
    // A dialog that is open, or a build that is running, finishes first:
    // the files open once the user is back in the main window.
    if (QApplication::activeModalWidget() || form_.Building()) {
        if (!forwardPending_) {
            forwardPending_ = true;
            QTimer::singleShot(200, this, [this] {
                forwardPending_ = false;
                OpenForwarded({});
            });
        }
        return;
    }
    std::vector<std::string> paths;
    paths.swap(forwarded_);
    if (!paths.empty()) form_.OpenCommandLineFiles(paths);
    FocusActiveEditor();
}

MainWindow::~MainWindow() {
    // The MDI area outlives this body and reports activations while its
    // windows go: nobody here may hear them.
    mdi_->disconnect(this);
    qApp->removeEventFilter(this);
    form_.SetView(nullptr);
    form_.HookFileDrop(nullptr);
    delete find_;
    delete replace_;
    for (auto& [form, sub] : subWindows_) {
        if (auto* doc = qobject_cast<DocumentWindow*>(sub->widget())) doc->Detach();
        if (auto* msg = qobject_cast<MsgWindow*>(sub->widget())) msg->Detach();
        if (auto* prj = qobject_cast<ProjectWindow*>(sub->widget())) prj->Detach();
        sub->Detach();
    }
}

void MainWindow::BuildMenus() {
    for (int i = 0; i < static_cast<int>(ActionId::Count); ++i) {
        auto id = static_cast<ActionId>(i);
        const app::ActionInfo& info = app::Action(id);
        auto* a = new QAction(Caption(info.caption), this);
        a->setIconText(Q(app::ButtonText(info.caption)));
        QKeySequence keys(Caption(info.shortcut));
        if (!keys.isEmpty() && keys[0].key() != Qt::Key_unknown) a->setShortcut(keys);
        // A key the toolkit cannot name (Ctrl+Break) is caught by eventFilter;
        // the menu still shows it.
        else if (!info.shortcut.empty()) a->setText(Caption(info.caption) + '\t' + Caption(info.shortcut));
        a->setStatusTip(Caption(app::LongHint(info.hint)));
        a->setToolTip(Caption(app::ShortHint(info.hint)));
        connect(a, &QAction::triggered, this, [this, id] { form_.Execute(id); });
        addAction(a);  // shortcuts work wherever the focus is
        actions_[id] = a;
    }
    for (const app::Menu& m : app::MenuBar()) {
        QMenu* menu = menuBar()->addMenu(Caption(m.caption));
        for (const app::MenuEntry& e : m.entries) {
            switch (e.kind) {
                case app::EntryKind::Action: menu->addAction(actions_[e.action]); break;
                case app::EntryKind::Separator: {
                    QAction* sep = menu->addSeparator();
                    // The separator above the template items hides with them.
                    if (&e + 1 != m.entries.data() + m.entries.size() && (&e + 1)->kind == app::EntryKind::Templates)
                        templateSeparator_ = sep;
                    break;
                }
                case app::EntryKind::RecentFiles: recentMenu_ = menu->addMenu(Caption(e.caption)); break;
                case app::EntryKind::Templates: templateMenu_ = menu->addMenu(Caption(e.caption)); break;
                case app::EntryKind::ChildWindows:
                    windowMenu_ = menu;
                    connect(menu, &QMenu::aboutToShow, this, &MainWindow::RebuildWindowMenu);
                    break;
            }
        }
    }
}

void MainWindow::BuildToolbars() {
    for (const app::Toolbar& bar : app::Toolbars()) {
        auto* tb = new QToolBar(Caption(bar.caption), this);
        tb->setObjectName(Caption(bar.name));
        for (ActionId id : bar.buttons) {
            if (id == ActionId::Count) {
                tb->addSeparator();
                continue;
            }
            QAction* a = actions_[id];
            // Buttons share the command but some carry their own hint.
            std::string_view hint = app::ToolbarHint(id);
            QIcon icon = IconFor(id, style());
            if (!icon.isNull()) a->setIcon(icon);
            tb->addAction(a);
            if (QWidget* button = tb->widgetForAction(a)) {
                button->setToolTip(Caption(app::ShortHint(hint)));
                button->setStatusTip(Caption(app::LongHint(hint)));
            }
        }
        tb->setToolButtonStyle(Qt::ToolButtonIconOnly);
        for (QAction* a : tb->actions())
            if (a->icon().isNull() && !a->isSeparator())
                if (QWidget* w = tb->widgetForAction(a))
                    if (auto* button = qobject_cast<QToolButton*>(w)) button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        toolbars_[std::string(bar.name)] = tb;
        addToolBar(Qt::TopToolBarArea, tb);
    }
}

void MainWindow::ApplySettings() {
    const app::TSettings& s = form_.Settings();
    std::vector<app::TWindowRect> screens;
    for (QScreen* screen : QGuiApplication::screens()) {
        QRect a = screen->availableGeometry();
        screens.push_back({a.x(), a.y(), a.width(), a.height()});
    }
    app::TWindowRect g = app::FitWindowToScreens({s.left, s.top, s.width, s.height}, screens);
    // A first start gets a useful size, not the small default corner window;
    // the file written at exit then keeps it.
    if (!form_.WindowPlaceStored() && QGuiApplication::primaryScreen()) {
        QRect a = QGuiApplication::primaryScreen()->availableGeometry();
        g = app::FirstStartPlace({a.x(), a.y(), a.width(), a.height()});
    }
    setGeometry(g.left, g.top, g.width, g.height);

    // Toolbars by dock, row and position.
    std::vector<std::pair<const app::TToolbarLayout*, QToolBar*>> order;
    for (auto& [name, tb] : toolbars_) {
        removeToolBar(tb);
        order.emplace_back(&form_.ToolbarLayout(name), tb);
    }
    std::stable_sort(order.begin(), order.end(), [](auto& a, auto& b) {
        if (a.first->dockRow != b.first->dockRow) return a.first->dockRow < b.first->dockRow;
        return a.first->dockPos < b.first->dockPos;
    });
    std::map<Qt::ToolBarArea, int> lastRow;
    for (auto& [layout, tb] : order) {
        Qt::ToolBarArea area = AreaOf(layout->dockedTo.empty() ? layout->lastDock : layout->dockedTo);
        auto it = lastRow.find(area);
        if (it != lastRow.end() && it->second != layout->dockRow) addToolBarBreak(area);
        lastRow[area] = layout->dockRow;
        addToolBar(area, tb);
        tb->setVisible(layout->visible);
    }
    StateChanged();
}

void MainWindow::CaptureLayout() {
    app::TSettings& s = form_.Settings();
    QRect g = geometry();
    s.left = g.x();
    s.top = g.y();
    s.width = g.width();
    s.height = g.height();
    for (auto& [name, tb] : toolbars_) {
        app::TToolbarLayout& l = form_.ToolbarLayout(name);
        Qt::ToolBarArea area = toolBarArea(tb);
        bool vertical = area == Qt::LeftToolBarArea || area == Qt::RightToolBarArea;
        l.visible = !tb->isHidden();
        if (tb->isFloating()) {
            l.dockedTo.clear();
            l.floatLeft = tb->x();
            l.floatTop = tb->y();
        } else {
            l.dockedTo = DockName(area);
            l.lastDock = l.dockedTo;
        }
        // Rows are the distinct offsets across the dock among its toolbars.
        std::vector<int> rows;
        for (auto& [other, otb] : toolbars_)
            if (toolBarArea(otb) == area) rows.push_back(vertical ? otb->x() : otb->y());
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        l.dockRow = static_cast<int>(std::find(rows.begin(), rows.end(), vertical ? tb->x() : tb->y()) - rows.begin());
        l.dockPos = vertical ? tb->y() : tb->x();
    }
}

DocumentWindow* MainWindow::DocumentViewOf(forms::TMdiChildForm* form) const {
    auto it = subWindows_.find(form);
    return it == subWindows_.end() ? nullptr : qobject_cast<DocumentWindow*>(it->second->widget());
}

namespace {
app::TWindowRect ToRect(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }
void SetPlace(QMdiSubWindow* w, const app::TWindowRect& r) { w->setGeometry(r.left, r.top, r.width, r.height); }

// Moves `w` up, and shrinks it when it must, so that it ends above `top`.
void KeepAbove(QMdiSubWindow* w, int top) {
    if (w->isMinimized()) return;
    QRect g = w->geometry();
    int height = std::min(g.height(), top);
    w->setGeometry(g.x(), std::max(0, std::min(g.y(), top - height)), g.width(), height);
}
}  // namespace

void MainWindow::ChildAdded(forms::TMdiChildForm& child) {
    auto* sub = new ChildSubWindow(form_, child);
    if (auto* doc = dynamic_cast<app::TMDIChild*>(&child)) {
        sub->setWidget(new DocumentWindow(*doc, sub));
    } else if (auto* msg = dynamic_cast<compiler::TMsgForm*>(&child)) {
        sub->setWidget(new MsgWindow(*msg, sub));
    } else if (auto* prj = dynamic_cast<project::TProjectViewForm*>(&child)) {
        sub->setWidget(new ProjectWindow(*prj, form_.Settings(), sub));
    }
    sub->setWindowTitle(Q(child.Caption()));
    subWindows_[&child] = sub;
    if (child.Kind() == forms::ChildKind::Message) {
        PlaceMessageWindow(sub);
    } else {
        // The area's own placement looks for free room and may put the
        // window half outside; each new one cascades from the top left.
        int index = 0;
        for (QMdiSubWindow* w : mdi_->subWindowList())
            if (w->isVisible() && !w->isMinimized() && w != MessageSubWindow()) ++index;
        mdi_->addSubWindow(sub);
        SetPlace(sub, app::NewChildPlace(index, ToRect(mdi_->viewport()->rect()), Metrics()));
    }
    sub->show();
    // A window opened from a message stays clear of the message list.
    auto msg = subWindows_.find(form_.MessageWindow());
    if (msg != subWindows_.end() && msg->second != sub && !msg->second->isMinimized()) KeepAbove(sub, msg->second->y());
    mdi_->setActiveSubWindow(sub);
    if (sub->widget()) sub->widget()->setFocus();
}

void MainWindow::PlaceMessageWindow(QMdiSubWindow* sub) {
    // The lower third, full width; the other windows give way, so it never
    // hides the line a message names.
    QRect area = mdi_->viewport()->rect();
    int top = area.height() - area.height() / 3;
    for (QMdiSubWindow* w : mdi_->subWindowList()) {
        if (w->isMaximized()) {
            w->showNormal();
            w->setGeometry(0, 0, area.width(), top);
        }
        KeepAbove(w, top);
    }
    mdi_->addSubWindow(sub);
    sub->setGeometry(0, top, area.width(), area.height() - top);
}

void MainWindow::ChildRemoving(forms::TMdiChildForm& child) {
    auto it = subWindows_.find(&child);
    if (it == subWindows_.end()) return;
    ChildSubWindow* sub = it->second;
    subWindows_.erase(it);
    // Closing the active window returns to the one used before it (as the
    // MDI windows of other programs do), not to the next one created:
    // closing the message window goes back to the source compiled.
    QList<QMdiSubWindow*> recent;
    if (mdi_->activeSubWindow() == sub) {
        recent = mdi_->subWindowList(QMdiArea::ActivationHistoryOrder);
        recent.removeAll(sub);
    }
    if (auto* doc = qobject_cast<DocumentWindow*>(sub->widget())) doc->Detach();
    if (auto* msg = qobject_cast<MsgWindow*>(sub->widget())) msg->Detach();
    if (auto* prj = qobject_cast<ProjectWindow*>(sub->widget())) prj->Detach();
    sub->Detach();
    sub->hide();
    mdi_->removeSubWindow(sub);
    sub->deleteLater();
    for (auto w = recent.rbegin(); w != recent.rend(); ++w) {
        if ((*w)->isVisible() && !(*w)->isMinimized()) {
            mdi_->setActiveSubWindow(*w);
            break;
        }
    }
}

void MainWindow::ActivateChild(forms::TMdiChildForm& child) {
    auto it = subWindows_.find(&child);
    if (it == subWindows_.end()) return;
    if (it->second->isMinimized() || it->second->isMaximized()) it->second->showNormal();
    mdi_->setActiveSubWindow(it->second);
}

void MainWindow::SyncWatcher() {
    QStringList wanted;
    for (const std::string& f : form_.WatchedFiles()) wanted << Q(f);
    const QStringList watched = watcher_->files();
    QStringList gone, added;
    for (const QString& f : watched)
        if (!wanted.contains(f)) gone << f;
    // A file replaced by rename or removed is dropped by the watcher: it
    // comes back once it exists again.
    for (const QString& f : wanted)
        if (!watched.contains(f) && QFileInfo::exists(f)) added << f;
    if (!gone.isEmpty()) watcher_->removePaths(gone);
    if (!added.isEmpty()) watcher_->addPaths(added);
}

void MainWindow::StateChanged() {
    setWindowTitle(Q(form_.Caption()));
    SyncWatcher();
    for (auto& [id, a] : actions_) {
        a->setEnabled(form_.Enabled(id));
        a->setVisible(form_.Visible(id));
    }
    if (recentMenu_) {
        recentMenu_->clear();
        const auto& files = form_.RecentFiles();
        for (size_t i = 0; i < files.size() && i < app::kRecentFileCount; ++i) {
            QAction* a = recentMenu_->addAction(EscapeAmpersands(Q(files[i])));
            connect(a, &QAction::triggered, this, [this, i] { form_.RecentFileClick(i); });
        }
        recentMenu_->setEnabled(!files.empty());
    }
    if (templateMenu_) {
        bool shown = form_.TemplatesAvailable();
        templateMenu_->menuAction()->setVisible(shown);
        templateMenu_->setEnabled(shown);
        if (templateSeparator_) templateSeparator_->setVisible(shown);
        // Items are only ever added, so new ones go at the end.
        const auto& list = form_.Templates();
        for (size_t i = static_cast<size_t>(templateMenu_->actions().size()); i < list.size(); ++i) {
            std::string title = list[i].title;
            QAction* a = templateMenu_->addAction(EscapeAmpersands(Q(platform::SjisToUtf8(title))));
            connect(a, &QAction::triggered, this, [this, title] { form_.TemplateClick(title); });
        }
    }
    for (auto& [childForm, sub] : subWindows_) sub->setWindowTitle(Q(childForm->Caption()));
    std::string build = form_.BuildStatus();
    if (build.empty()) build = form_.FindStatus();
    buildPanel_->setText(Q(build));
    buildPanel_->setVisible(!build.empty());
}

void MainWindow::RebuildWindowMenu() {
    for (QAction* a : windowListActions_) {
        windowMenu_->removeAction(a);
        a->deleteLater();
    }
    windowListActions_.clear();
    const auto& children = form_.Children();
    if (children.empty()) return;
    windowListActions_.push_back(windowMenu_->addSeparator());
    int n = 1;
    for (const auto& child : children) {
        QString label = (n < 10 ? QString("&%1 ").arg(n) : QString("%1 ").arg(n)) + EscapeAmpersands(Q(child->Caption()));
        QAction* a = windowMenu_->addAction(label);
        a->setCheckable(true);
        a->setChecked(child.get() == form_.ActiveChild());
        forms::TMdiChildForm* target = child.get();
        connect(a, &QAction::triggered, this, [this, target] { ActivateChild(*target); });
        windowListActions_.push_back(a);
        ++n;
    }
}

app::TMdiMetrics MainWindow::Metrics() const {
    app::TMdiMetrics m;
    m.step = style()->pixelMetric(QStyle::PM_TitleBarHeight) + 2 * style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
    // No narrower than what a child needs to show its status panels whole.
    for (QMdiSubWindow* w : mdi_->subWindowList()) {
        QSize need = w->minimumSizeHint();
        m.minWidth = std::max(m.minWidth, need.width());
        m.minHeight = std::max(m.minHeight, need.height());
    }
    return m;
}

QMdiSubWindow* MainWindow::MessageSubWindow() const {
    auto it = subWindows_.find(form_.MessageWindow());
    return it == subWindows_.end() ? nullptr : it->second;
}

void MainWindow::Arrange(ActionId id) {
    std::vector<QMdiSubWindow*> shown;
    for (QMdiSubWindow* w : mdi_->subWindowList(QMdiArea::CreationOrder))
        if (w->isVisible() && !w->isMinimized()) shown.push_back(w);
    if (shown.empty()) return;
    for (QMdiSubWindow* w : shown) w->showNormal();
    const int n = static_cast<int>(shown.size());
    const app::TWindowRect area = ToRect(mdi_->viewport()->rect());
    const std::vector<app::TWindowRect> places = id == ActionId::WindowCascade
                                                     ? app::CascadePlaces(n, area, Metrics())
                                                     : app::TilePlaces(n, id == ActionId::WindowTileHorizontal, area, Metrics());
    for (int i = 0; i < n; ++i) {
        SetPlace(shown[static_cast<size_t>(i)], places[static_cast<size_t>(i)]);
        if (id == ActionId::WindowCascade) shown[static_cast<size_t>(i)]->raise();
    }
}

void MainWindow::KeepChildrenInside() {
    const app::TWindowRect area = ToRect(mdi_->viewport()->rect());
    if (area.width <= 0 || area.height <= 0) return;
    const app::TMdiMetrics m = Metrics();
    for (QMdiSubWindow* w : mdi_->subWindowList()) {
        if (w->isMinimized() || w->isMaximized() || !w->isVisible()) continue;
        app::TWindowRect now = ToRect(w->geometry());
        app::TWindowRect fit = app::FitInside(now, area, m);
        if (!(fit == now)) SetPlace(w, fit);
    }
}

void MainWindow::WindowCommand(ActionId id) {
    switch (id) {
        case ActionId::WindowCascade:
        case ActionId::WindowTileHorizontal:
        case ActionId::WindowTileVertical: Arrange(id); break;
        case ActionId::WindowMinimizeAll:
            for (QMdiSubWindow* w : mdi_->subWindowList()) w->showMinimized();
            break;
        case ActionId::WindowArrange: {
            int x = 0;
            QRect area = mdi_->viewport()->rect();
            for (QMdiSubWindow* w : mdi_->subWindowList(QMdiArea::CreationOrder)) {
                if (!w->isMinimized()) continue;
                w->move(x, area.height() - w->height());
                x += w->width();
            }
            break;
        }
        default: break;
    }
}

void MainWindow::ShowAbout() { about_->exec(); }

void MainWindow::FocusActiveEditor() {
    activateWindow();
    if (DocumentWindow* doc = DocumentViewOf(form_.ActiveChild())) doc->Editor()->setFocus(Qt::OtherFocusReason);
}

bool MainWindow::RunNumJump(app::TNumJmp& dialog) {
    NumJumpDialog view(dialog, this);
    dialog.width = view.width();
    dialog.height = view.height();
    QRect main = frameGeometry();
    dialog.PlaceOver({main.x(), main.y(), main.width(), main.height()});
    view.move(dialog.left, dialog.top);
    const bool ok = view.exec() == QDialog::Accepted;
    FocusActiveEditor();
    return ok;
}

namespace {
// Centres `dialog` on `main`'s frame.
void CentreOver(QDialog& dialog, const QRect& main) {
    dialog.move(main.x() + (main.width() - dialog.width()) / 2, main.y() + (main.height() - dialog.height()) / 2);
}
}  // namespace

void MainWindow::RunFindInFiles(app::TFindInFilesForm& form) {
    FindInFilesDialog view(form, this);
    view.adjustSize();
    CentreOver(view, frameGeometry());
    const bool ran = view.exec() == QDialog::Accepted;
    // After a search its listing has the focus, so Enter jumps to a hit.
    auto sub = subWindows_.find(form_.ActiveChild());
    if (ran && sub != subWindows_.end() && form_.ActiveChild()->Kind() == forms::ChildKind::Message) {
        mdi_->setActiveSubWindow(sub->second);
        if (sub->second->widget()) sub->second->widget()->setFocus(Qt::OtherFocusReason);
    } else {
        FocusActiveEditor();
    }
}

void MainWindow::RunDefineView(reference::TDefineViewForm& form) {
    DefineViewDialog view(form, this);
    CentreOver(view, frameGeometry());
    view.exec();
    FocusActiveEditor();
}

void MainWindow::RunExecKey(reference::TExecKeyForm& form) {
    ExecKeyDialog view(form, this);
    CentreOver(view, frameGeometry());
    view.exec();
    FocusActiveEditor();
}

bool MainWindow::RunModal(QDialog& view, bool fitContents) {
    if (fitContents) view.adjustSize();
    CentreOver(view, frameGeometry());
    const bool ok = view.exec() == QDialog::Accepted;
    FocusActiveEditor();
    return ok;
}

bool MainWindow::RunPrjForm(project::TPrjForm& form) {
    PrjDialog view(form, this);
    return RunModal(view);
}

bool MainWindow::RunOptions(app::TVKBOptForm&) {
    options_->Load();
    return RunModal(*options_);
}

bool MainWindow::RunCustomize(app::TCustForm& form) {
    CustDialog view(form, this);
    return RunModal(view);
}

bool MainWindow::RunRiWiz(project::TRiWizForm& form) {
    RiWizDialog view(form, this);
    return RunModal(view, false);
}

bool MainWindow::RunProjectCustomize(app::TPrjCustForm& form) {
    PrjCustDialog view(form, this);
    view.adjustSize();
    CentreOver(view, frameGeometry());
    const bool ok = view.exec() == QDialog::Accepted;
    // Back where the command came from: the project window's tree, or the editor.
    if (auto* prj = qobject_cast<ProjectWindow*>(mdi_->activeSubWindow() ? mdi_->activeSubWindow()->widget() : nullptr)) {
        activateWindow();
        prj->Tree()->setFocus(Qt::OtherFocusReason);
    } else {
        FocusActiveEditor();
    }
    return ok;
}

std::vector<app::TFontFace> MainWindow::InstalledFonts() const { return InstalledFontFaces(); }

void MainWindow::ProjectLookChanged() {
    for (auto& [child, sub] : subWindows_)
        if (auto* prj = qobject_cast<ProjectWindow*>(sub->widget())) prj->ApplyLook(form_.Settings());
}

void MainWindow::CloseMainWindow() { close(); }

void MainWindow::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    if (!form_.FormCloseQuery()) {
        event->ignore();
        return;
    }
    closing_ = true;
    CaptureLayout();
    form_.FormDestroy();
    event->accept();
}

bool MainWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) form_.FormActivate();
    return QMainWindow::event(event);
}

namespace {

// Ctrl+Break, or Ctrl+Pause. Qt under X11 names neither with Ctrl held (key
// 0): the X key symbols Break and Pause tell them.
bool IsStopKey(const QKeyEvent* key) {
    if (!(key->modifiers() & Qt::ControlModifier)) return false;
    constexpr quint32 kXkBreak = 0xff6b;
    constexpr quint32 kXkPause = 0xff13;
    quint32 sym = key->nativeVirtualKey();
    return key->key() == Qt::Key_Pause || sym == kXkBreak || sym == kXkPause;
}

}  // namespace

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && IsStopKey(static_cast<QKeyEvent*>(event)) &&
        form_.Enabled(ActionId::CompileStop)) {
        form_.Execute(ActionId::CompileStop);
        return true;
    }
    if (event->type() == QEvent::KeyPress && IsStopKey(static_cast<QKeyEvent*>(event)) && form_.FindingInFiles()) {
        form_.FindInFilesStop();
        return true;
    }
    // Ctrl+Tab and Ctrl+Shift+Tab go through the children from wherever the
    // focus is in this window: the list and the editor would take the key.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() & Qt::ControlModifier) && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)) {
            form_.CycleChildren(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
    }
    // Windows placed before the area had its size, or left outside when it
    // shrank, come back inside it.
    if (watched == mdi_->viewport() && event->type() == QEvent::Resize) KeepChildrenInside();
    // A click on the empty client area (not on a child window inside it).
    if (watched == mdi_->viewport() && event->type() == QEvent::MouseButtonPress &&
        !mdi_->viewport()->childAt(static_cast<QMouseEvent*>(event)->position().toPoint()))
        form_.FormClick();
    // F1 and F2 pressed while the MDI client area itself has the focus.
    if ((watched == mdi_ || watched == mdi_->viewport()) && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        app::TMainForm::Key k = key->key() == Qt::Key_F1   ? app::TMainForm::Key::F1
                                : key->key() == Qt::Key_F2 ? app::TMainForm::Key::F2
                                                           : app::TMainForm::Key::Other;
        if (form_.AppMessage(k)) return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace gui
