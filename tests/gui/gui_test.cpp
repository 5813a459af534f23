// The real main window, offscreen: command-line files in document windows,
// captions, status panels, menus, saving, toolbar layout.
#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QWheelEvent>
#include <chrono>

#include "DocumentWindow.h"
#include "EditorWidget.h"
#include "MsgWindow.h"
#include "QtUi.h"
#include "ShownMainWindow.h"

using app::ActionId;

TEST(MainWindowView, OpensCommandLineFilesWithCaptionsAndPanels) {
    TempDir dir;
    // "表示" ends in a 0x5C trail byte.
    std::string path = dir.Write("a.r", "// \x95\x5c\x8e\xa6\r\nint x;\r\n");
    Program p(dir.path(), {path});
    EXPECT_EQ(p.window.windowTitle(), QString("VeskC Builder"));
    ASSERT_EQ(p.window.MdiArea()->subWindowList().size(), 1);
    QMdiSubWindow* sub = p.window.MdiArea()->subWindowList().front();
    EXPECT_EQ(sub->windowTitle(), gui::Q(path));
    auto* doc = qobject_cast<gui::DocumentWindow*>(sub->widget());
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->PanelText(1), QString("   2 Lines"));
    EXPECT_EQ(doc->PanelText(2), QString::fromUtf8("挿入"));
    EXPECT_EQ(doc->Editor()->Editor()->RowText(0), "// \x95\x5c\x8e\xa6");
}

// A click on the client area where no window is brings the project window forward.
TEST(MainWindowView, ClickOnTheEmptyClientAreaRaisesTheProjectWindow) {
    TempDir dir;
    const std::string source = dir.Write("a.r", "a\r\n");
    const std::string prj = dir.Write("p.PRJ", "[PROJECT]\r\nName=p\r\n[R]\r\nDIR=" + dir.path() + "/\r\nRCNT=0\r\n");
    Program p(dir.path(), {prj});
    p.window.resize(1600, 1200);
    QApplication::processEvents();
    p.form.OpenDocumentWindow(source);
    QApplication::processEvents();
    ASSERT_NE(p.form.ActiveChild(), p.form.ProjectWindow());
    QWidget* area = p.window.MdiArea()->viewport();
    auto click = [&](QPoint at) {
        QMouseEvent press(QEvent::MouseButtonPress, at, area->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
        QApplication::sendEvent(area->childAt(at) ? area->childAt(at) : area, &press);
        QApplication::processEvents();
    };
    const QPoint onDocument = p.window.MdiArea()->activeSubWindow()->geometry().center();
    click(onDocument);
    EXPECT_NE(p.form.ActiveChild(), p.form.ProjectWindow());
    QPoint empty(-1, -1);
    for (int y = area->height() - 5; y > 0 && empty.x() < 0; y -= 20)
        for (int x = area->width() - 5; x > 0 && empty.x() < 0; x -= 20)
            if (!area->childAt(x, y)) empty = QPoint(x, y);
    ASSERT_GE(empty.x(), 0);
    click(empty);
    EXPECT_EQ(p.form.ActiveChild(), p.form.ProjectWindow());
}

TEST(MainWindowView, MenuBarHasTheCommandsWithShortcutsAndEnabling) {
    TempDir dir;
    Program p(dir.path(), {});
    QStringList titles;
    for (QAction* a : p.window.menuBar()->actions()) titles << a->text();
    EXPECT_EQ(titles, (QStringList{QString::fromUtf8("ファイル(&F)"), QString::fromUtf8("編集(&E)"),
                                   QString::fromUtf8("検索(&S)"), QString::fromUtf8("コンパイル(&C)"),
                                   QString::fromUtf8("プロジェクト(&P)"), QString::fromUtf8("オプション(&O)"),
                                   QString::fromUtf8("ウィンドウ(&W)"), QString::fromUtf8("ヘルプ(&H)")}));
    QAction* newAction = p.window.ActionFor(ActionId::FileNew1);
    EXPECT_EQ(newAction->text(), QString::fromUtf8("新規作成(&N)"));
    EXPECT_EQ(newAction->shortcut(), QKeySequence("Ctrl+N"));
    EXPECT_EQ(newAction->statusTip(), QString::fromUtf8("新しいｿｰｽﾌｧｲﾙを作成"));
    EXPECT_TRUE(newAction->isEnabled());
    EXPECT_FALSE(p.window.ActionFor(ActionId::QuickMake)->isEnabled());
    EXPECT_FALSE(p.window.ActionFor(ActionId::FileClose1)->isEnabled());  // no child yet
    newAction->trigger();
    EXPECT_TRUE(p.window.ActionFor(ActionId::FileClose1)->isEnabled());
    EXPECT_EQ(p.window.findChildren<QToolBar*>().size(), 2);
}

TEST(MainWindowView, SaveWritesTheEditedTextWithCrLf) {
    TempDir dir;
    std::string path = dir.Write("s.r", "first\nsecond");
    Program p(dir.path(), {path});
    auto* docForm = p.form.ActiveDocument();
    ASSERT_NE(docForm, nullptr);
    docForm->Editor1().Lines().Add("third");
    p.window.ActionFor(ActionId::FileSave1)->trigger();
    EXPECT_EQ(TempDir::Read(path), "first\r\nsecond\r\nthird");
    auto* doc = p.window.DocumentViewOf(docForm);
    EXPECT_EQ(doc->PanelText(3), QString());
}

TEST(MainWindowView, RecentFilesMenuListsPathsAndReopens) {
    TempDir dir;
    std::string a = dir.Write("a&b.r", "x");
    Program p(dir.path(), {a});
    QList<QAction*> items = p.window.RecentMenu()->actions();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items.front()->text(), gui::Q(a).replace("&", "&&"));
    p.window.ActionFor(ActionId::FileClose1)->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(p.window.MdiArea()->subWindowList().isEmpty());
    p.window.RecentMenu()->actions().front()->trigger();
    ASSERT_EQ(p.window.MdiArea()->subWindowList().size(), 1);
}

TEST(MainWindowView, ToolbarLayoutIsRestoredAndWrittenBack) {
    TempDir dir;
    dir.Write("VKBUILD.INI", "[Toolbar972]\r\nVisible=0\r\nDockedTo=BottomDock\r\n");
    {
        Program p(dir.path(), {});
        QToolBar* tools = p.window.findChild<QToolBar*>("Toolbar972");
        ASSERT_NE(tools, nullptr);
        EXPECT_EQ(p.window.toolBarArea(tools), Qt::BottomToolBarArea);
        EXPECT_TRUE(tools->isHidden());
        p.window.close();
    }
    std::string ini = TempDir::Read(dir.File("VKBUILD.INI"));
    EXPECT_NE(ini.find("[Toolbar972]\r\nVisible=0\r\nDockedTo=BottomDock"), std::string::npos) << ini;
    EXPECT_NE(ini.find("[Toolbar971]"), std::string::npos);
}

TEST(MainWindowView, ClosingTheMainWindowRespectsTheDocumentsAnswer) {
    TempDir dir;
    std::string path = dir.Write("c.r", "x\r\n");
    Program p(dir.path(), {path});
    p.form.ActiveDocument()->Editor1().Lines().Add("changed");
    p.ui.answers = {platform::MsgAnswer::No};
    EXPECT_FALSE(p.window.close());
    EXPECT_EQ(p.form.Children().size(), 1u);
    p.ui.answers = {platform::MsgAnswer::Yes};
    EXPECT_TRUE(p.window.close());
    EXPECT_EQ(TempDir::Read(path), "x\r\n");
}

TEST(MainWindowView, CompileListsMessagesAndDoubleClickJumps) {
    TempDir dir, compiler;
    UseStandInCompiler(dir, compiler);
    std::string file = dir.Write("m.r", "int f()\r\n{\r\n\tint a = 1\r\n\treturn a;\r\n}\r\n");
    Program p(dir.path(), {file});
    p.window.ActionFor(ActionId::Link)->trigger();
    QApplication::processEvents();
    auto subs = p.window.MdiArea()->subWindowList();
    ASSERT_EQ(subs.size(), 2);
    auto* msg = qobject_cast<gui::MsgWindow*>(subs.back()->widget());
    ASSERT_NE(msg, nullptr);
    EXPECT_EQ(subs.back()->windowTitle(), QString("Message"));
    QAbstractItemModel* model = msg->List()->model();
    int target = -1;
    for (int r = 0; r < model->rowCount(); ++r)
        if (model->index(r, 0).data().toString().startsWith("m.r(3) : error")) target = r;
    ASSERT_GE(target, 0);
    QModelIndex index = model->index(target, 0);
    msg->List()->setCurrentIndex(index);
    emit msg->List()->doubleClicked(index);
    ASSERT_TRUE(p.ui.TimerPending(70));
    p.ui.FireTimers();
    QApplication::processEvents();
    EXPECT_EQ(p.window.MdiArea()->activeSubWindow(), subs.front());
    EXPECT_EQ(p.form.ActiveDocument()->Editor1().Row(), 2);

    // The focused new list has a current first line but nothing selected:
    // F8 goes to the first message, Shift+F8 to the last.
    for (ActionId id : {ActionId::NextError, ActionId::PrevError}) {
        compiler::TMsgForm* form = p.form.ShowCompilerOutput("m.r(1) : error: a\nm.r(2) : error: b\nm.r(3) : error: c\n");
        QApplication::processEvents();
        auto* view = qobject_cast<gui::MsgWindow*>(p.window.MdiArea()->subWindowList().back()->widget());
        ASSERT_NE(view, nullptr);
        view->List()->setFocus();
        QApplication::processEvents();
        p.window.ActionFor(id)->trigger();
        EXPECT_EQ(form->Selected(), id == ActionId::NextError ? 0 : 2);
        EXPECT_EQ(view->List()->currentIndex().row(), form->Selected());
    }
}

namespace {
// File > New, and the new document's window.
gui::DocumentWindow* NewDocument(Program& p) {
    p.window.ActionFor(ActionId::FileNew1)->trigger();
    QApplication::processEvents();
    return p.window.DocumentViewOf(p.form.ActiveChild());
}
}  // namespace

TEST(MainWindowView, TypingInputMethodAndRefusedCharacters) {
    TempDir dir;
    Program p(dir.path(), {});
    gui::DocumentWindow* doc = NewDocument(p);
    ASSERT_NE(doc, nullptr);
    gui::EditorWidget* ed = doc->Editor();
    for (QChar c : QString("int x;")) Key(ed, c.unicode(), Qt::NoModifier, QString(c));
    Key(ed, Qt::Key_Return);
    QInputMethodEvent ime;
    ime.setCommitString(QString::fromUtf8("日本語"));
    QApplication::sendEvent(ed, &ime);
    EXPECT_EQ(p.form.ActiveDocument()->Editor1().Lines().GetTextStr(), "int x;\r\n\x93\xfa\x96\x7b\x8c\xea");
    Key(ed, 0xFC, Qt::NoModifier, QString::fromUtf8("ü"));  // not in Shift-JIS
    EXPECT_EQ(p.form.ActiveDocument()->Editor1().Lines().GetTextStr(), "int x;\r\n\x93\xfa\x96\x7b\x8c\xea");
    EXPECT_TRUE(doc->PanelText(4).contains(QString::fromUtf8("ü")));
    EXPECT_TRUE(p.form.ActiveDocument()->DocumentChanged());
    // Shift+Home selects, Ctrl+X cuts through the editor's own shortcut.
    Key(ed, Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_TRUE(p.form.ActiveDocument()->Editor1().Selected());
    Key(ed, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(p.form.ActiveDocument()->Editor1().Lines().GetTextStr(), "int x;\r\n");
    EXPECT_EQ(p.ui.clipboard, "日本語");
}

TEST(MainWindowView, DocumentWindowShowsColouredTokensAndLineNumbers) {
    TempDir dir;
    dir.Write("VKBUILD.INI", "[EDIT]\r\nLOWNUM=1\r\nRULER=1\r\n");
    std::string file = dir.Write("c.r", "int x; // note\r\n/* open\r\nstill */ y\r\n");
    Program p(dir.path(), {file});
    auto* doc = p.window.DocumentViewOf(p.form.ActiveChild());
    ASSERT_NE(doc, nullptr);
    gui::EditorWidget* ed = doc->Editor();
    ed->resize(500, 300);
    QApplication::processEvents();
    QImage shot = ed->viewport()->grab().toImage();
    const editor::TPaintMetrics& m = p.form.ActiveDocument()->Editor1().Metrics();
    EXPECT_GT(m.leftbarWidth, 0);  // line numbers shown
    EXPECT_GT(m.rulerHeight, 0);
    // Counts pixels of a colour family inside the cells [c0, c1) of a row.
    auto count = [&](int row, int c0, int c1, auto pred) {
        int n = 0;
        for (int y = m.topMargin + row * m.rowHeight; y < m.topMargin + (row + 1) * m.rowHeight; ++y)
            for (int x = m.leftMargin + c0 * m.cellWidth; x < m.leftMargin + c1 * m.cellWidth; ++x)
                if (pred(shot.pixelColor(x, y))) ++n;
        return n;
    };
    auto blue = [](QColor c) { return c.blue() > 150 && c.red() < 80 && c.green() < 80; };
    auto red = [](QColor c) { return c.red() > 150 && c.blue() < 80 && c.green() < 80; };
    EXPECT_GT(count(0, 0, 3, blue), 0);   // "int" is a reserved word
    EXPECT_EQ(count(0, 0, 3, red), 0);
    EXPECT_GT(count(0, 7, 14, red), 0);   // the line comment
    EXPECT_GT(count(2, 0, 8, red), 0);    // the block comment goes on into the third line
    EXPECT_EQ(count(2, 9, 10, red), 0);   // and ends before "y"
}

TEST(MainWindowView, ScrollingAndEditingLeaveNoStalePixels) {
    // What the window shows after scrolls that move pixels and partial
    // repaints must equal a full repaint of the same state.
    TempDir dir;
    dir.Write("VKBUILD.INI", "[EDIT]\r\nLOWNUM=1\r\nRULER=1\r\n");
    std::string text;
    for (int i = 0; i < 120; ++i) {
        text += i % 7 == 0 ? "/* block\r\n   comment */ int x;\r\n" : "int v" + std::to_string(i) + " = \"s\"; // n\r\n";
        if (i % 11 == 0) text += std::string(150, 'w') + "\r\n";
        if (i % 3 == 1) {
            // Double-byte characters at odd and at even columns.
            std::string line = i % 2 ? "x" : "";
            for (int k = 0; k < 60; ++k) line += "\x93\xfa\x96\x7b\x8c\xea";  // 日本語
            text += line + "\r\n";
        }
    }
    std::string file = dir.Write("s.r", text);
    Program p(dir.path(), {file});
    auto* doc = p.window.DocumentViewOf(p.form.ActiveChild());
    ASSERT_NE(doc, nullptr);
    gui::EditorWidget* ed = doc->Editor();
    doc->resize(520, 360);
    ed->setFocus();
    QApplication::processEvents();
    QWidget* top = ed->window();
    auto same = [&](const char* step) {
        QApplication::processEvents();
        const QPoint at = ed->viewport()->mapTo(top, QPoint(0, 0));
        const QSize size = ed->viewport()->size();
        QImage shown = top->screen()->grabWindow(top->winId(), at.x(), at.y(), size.width(), size.height()).toImage();
        QImage fresh = ed->viewport()->grab().toImage();
        shown = shown.convertToFormat(QImage::Format_RGB32);
        fresh = fresh.convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(shown.size(), fresh.size()) << step;
        int differ = 0;
        for (int y = 0; y < fresh.height(); ++y)
            for (int x = 0; x < fresh.width(); ++x)
                if (shown.pixel(x, y) != fresh.pixel(x, y)) ++differ;
        EXPECT_EQ(differ, 0) << step;
    };
    same("opened");
    Key(ed, Qt::Key_PageDown);
    same("page down");
    for (int i = 0; i < 30; ++i) Key(ed, Qt::Key_Down);
    same("down to scroll by rows");
    for (QChar c : QString("/* x")) Key(ed, c.unicode(), Qt::NoModifier, QString(c));
    same("typed a comment start");
    Key(ed, Qt::Key_Return);
    same("line inserted");
    Key(ed, Qt::Key_Backspace);
    Key(ed, Qt::Key_Backspace);
    same("lines joined");
    // Edits in the middle of rows: the text right of the caret moves.
    Key(ed, Qt::Key_Down);
    Key(ed, Qt::Key_Home);
    for (int i = 0; i < 3; ++i) Key(ed, Qt::Key_Right);
    Key(ed, Qt::Key_Return);
    same("row split in the middle");
    Key(ed, Qt::Key_Backspace);
    same("rows joined in the middle");
    Key(ed, Qt::Key_Delete);
    same("character deleted in the middle");
    Key(ed, 'q', Qt::NoModifier, "q");
    same("character typed in the middle");
    Key(ed, Qt::Key_Down, Qt::ShiftModifier);
    Key(ed, Qt::Key_Down, Qt::ShiftModifier);
    same("selection extended");
    Key(ed, Qt::Key_Up);
    same("selection cleared");
    Key(ed, Qt::Key_End);
    for (int i = 0; i < 90; ++i) Key(ed, Qt::Key_Right);
    same("scrolled sideways");
    Key(ed, Qt::Key_Home);
    same("back to the left");
    ed->verticalScrollBar()->setValue(5);
    same("scroll bar moved");
    ed->verticalScrollBar()->setValue(ed->verticalScrollBar()->value() + 3);
    same("scroll bar moved by three rows");
    Key(ed, Qt::Key_PageUp);
    Key(ed, Qt::Key_PageUp);
    same("page up to the top");
    // Sideways through double-byte text: what a scroll uncovers starts or
    // ends inside characters.
    for (int v : {1, 2, 3, 5, 4, 1, 0, 7, 6}) {
        ed->horizontalScrollBar()->setValue(v);
        same(("scrolled sideways to column " + std::to_string(v)).c_str());
    }
}

TEST(MainWindowView, CtrlBreakStopsABuildThatTheStatusBarAnnounces) {
    TempDir dir, compiler;
    UseStandInCompiler(dir, compiler, "sleep=10000\r\n");
    std::string file = dir.Write("s.r", "int x;\r\n");
    // While the compiler runs: read the status bar, then press Ctrl+Break as
    // X11 delivers it (key 0, the Break key symbol) to whatever has the focus.
    struct PressingUi : FakeUi {
        gui::MainWindow* window = nullptr;
        QStringList panels;
        void ProcessEvents() override {
            QApplication::processEvents();
            if (++processEventsCalls != 10 || !window) return;
            for (QLabel* l : window->statusBar()->findChildren<QLabel*>())
                if (l->isVisible()) panels << l->text();
            QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
            QKeyEvent press(QEvent::KeyPress, 0, Qt::ControlModifier, 0, 0xff6b, 0);
            QApplication::sendEvent(target, &press);
        }
    } ui;
    Program p(dir.path(), {file}, &ui);
    gui::MainWindow& window = p.window;
    ui.window = &window;
    EXPECT_FALSE(window.ActionFor(ActionId::CompileStop)->isEnabled());
    EXPECT_TRUE(window.ActionFor(ActionId::CompileStop)->text().endsWith("\tCtrl+Break"));
    auto start = std::chrono::steady_clock::now();
    window.ActionFor(ActionId::Link)->trigger();
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 3.0);
    EXPECT_TRUE(ui.panels.contains(QString::fromUtf8("コンパイル中... (Ctrl+Breakで中止)")));
    auto* msg = qobject_cast<gui::MsgWindow*>(window.MdiArea()->subWindowList().back()->widget());
    ASSERT_NE(msg, nullptr);
    QAbstractItemModel* model = msg->List()->model();
    EXPECT_EQ(model->index(model->rowCount() - 1, 0).data().toString(), QString::fromUtf8("*** コンパイルを中止しました ***"));
    for (QLabel* l : window.statusBar()->findChildren<QLabel*>()) EXPECT_FALSE(l->isVisible() && !l->text().isEmpty());

    // A megabyte line is listed cut; the item itself stays whole.
    p.form.ShowCompilerOutput("long(1) : warning: " + std::string(1 << 20, 'x'));
    msg = qobject_cast<gui::MsgWindow*>(window.MdiArea()->subWindowList().back()->widget());
    ASSERT_NE(msg, nullptr);
    QString shown = msg->List()->model()->index(0, 0).data().toString();
    EXPECT_EQ(shown.size(), 4097);
    EXPECT_TRUE(shown.endsWith(QString::fromUtf8("…")));
}

TEST(MainWindowView, KeyboardMacroReplaysTypingAndDigitKeysSetAndJumpToMarks) {
    TempDir dir;
    Program p(dir.path(), {});
    gui::DocumentWindow* doc = NewDocument(p);
    ASSERT_NE(doc, nullptr);
    gui::EditorWidget* ed = doc->Editor();
    ed->setFocus();
    QApplication::processEvents();
    const editor::TEditor& text = p.form.ActiveDocument()->Editor1();
    Key(ed, Qt::Key_M, Qt::AltModifier);
    EXPECT_EQ(doc->PanelText(4), QString::fromUtf8("ｷｰﾎﾞｰﾄﾞﾏｸﾛ記録開始"));
    Key(ed, Qt::Key_A, Qt::NoModifier, "a");
    QInputMethodEvent ime;
    ime.setCommitString(QString::fromUtf8("日本"));
    QApplication::sendEvent(ed, &ime);
    Key(ed, Qt::Key_Home, Qt::ShiftModifier);
    Key(ed, Qt::Key_C, Qt::ControlModifier);  // the editor's copy: consumed, played once
    Key(ed, Qt::Key_End);
    Key(ed, Qt::Key_X, Qt::AltModifier);  // a menu key: not recorded
    Key(ed, Qt::Key_V, Qt::ControlModifier);
    Key(ed, Qt::Key_Return);
    // Redo here; recorded without its Alt it would play as an undo.
    Key(ed, Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
    Key(ed, Qt::Key_M, Qt::AltModifier);
    EXPECT_EQ(doc->PanelText(4), QString::fromUtf8("ｷｰﾎﾞｰﾄﾞﾏｸﾛ記録終了"));
    const std::string once = "a\x93\xfa\x96\x7b" "a\x93\xfa\x96\x7b\r\n";
    EXPECT_EQ(text.Lines().GetTextStr(), once);
    Key(ed, Qt::Key_L, Qt::AltModifier);
    EXPECT_EQ(doc->PanelText(4), QString::fromUtf8("ｷｰﾎﾞｰﾄﾞﾏｸﾛを実行しました"));
    EXPECT_EQ(text.Lines().GetTextStr(), once + once);

    // Shift+Ctrl+3 arrives as "#" with the digit's key code; Ctrl+3 jumps back.
    QKeyEvent setMark(QEvent::KeyPress, Qt::Key_NumberSign, Qt::ShiftModifier | Qt::ControlModifier, 12, 0x23, 0, "#");
    Key(ed, Qt::Key_Up);
    QApplication::sendEvent(ed, &setMark);
    EXPECT_EQ(text.RowMarks(1), 1u << 3);
    Key(ed, Qt::Key_Up);
    Key(ed, Qt::Key_Return);  // the marked row moves down
    QKeyEvent jump(QEvent::KeyPress, Qt::Key_3, Qt::ControlModifier, "3");
    QApplication::sendEvent(ed, &jump);
    EXPECT_EQ(text.Row(), 2);
}

TEST(MainWindowView, KeysWithCtrlOrAltSendTheEditorNoControlCharacters) {
    TempDir dir;
    Program p(dir.path(), {});
    gui::DocumentWindow* doc = NewDocument(p);
    ASSERT_NE(doc, nullptr);
    gui::EditorWidget* ed = doc->Editor();
    editor::TEditor& text = p.form.ActiveDocument()->Editor1();
    // "表" ends in a 0x5C trail byte.
    const std::string two = "x\x95\x5c\"a\r\n  indented line";
    struct Case { int key; Qt::KeyboardModifiers mods; std::string after; } cases[] = {
        // The window's Ctrl+Backspace removes the first bytes; no Backspace joins the lines.
        {Qt::Key_Backspace, Qt::ControlModifier, "x\x95\x5c\"a\r\nindented line"},
        {Qt::Key_Return, Qt::ControlModifier, two},  // no line split
        {Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier, two},
        {Qt::Key_Backspace, Qt::AltModifier, two},
        {Qt::Key_Return, Qt::AltModifier, two},
        {Qt::Key_Backspace, Qt::ShiftModifier, "x\x95\x5c\"a\r\nindented line"},  // un-indents
    };
    for (const Case& c : cases) {
        text.Lines().SetTextStr(two);
        text.SetRowCol(1, 2);
        Key(ed, c.key, c.mods);
        EXPECT_EQ(text.Lines().GetTextStr(), c.after) << c.key << " " << c.mods;
    }
}

TEST(MainWindowView, ShiftF10OpensTheDocumentPopupAtTheCaret) {
    TempDir dir;
    std::string file = dir.Write("p.r", "int x;\r\nint y;\r\n");
    Program p(dir.path(), {file});
    auto* doc = p.window.DocumentViewOf(p.form.ActiveChild());
    ASSERT_NE(doc, nullptr);
    gui::EditorWidget* ed = doc->Editor();
    ed->setFocus();
    QApplication::processEvents();
    p.form.ActiveDocument()->Editor1().SetRowCol(1, 3);
    QStringList items;
    QPoint shownAt;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        shownAt = menu->pos();
        for (QAction* a : menu->actions()) items << a->text();
        menu->close();
    });
    Key(ed, Qt::Key_F10, Qt::ShiftModifier);
    QApplication::processEvents();  // the check runs here if no menu ran its own loop
    EXPECT_TRUE(items.contains(QString::fromUtf8("ｲﾝﾃﾞﾝﾄ(&I)"))) << items.join("|").toStdString();
    const editor::TEditor& e = p.form.ActiveDocument()->Editor1();
    const QPoint caret = ed->viewport()->mapToGlobal(QPoint(e.Metrics().leftMargin + 3 * e.Metrics().cellWidth, e.RowTop(1)));
    EXPECT_LE((shownAt - caret).manhattanLength(), 2 * e.Metrics().rowHeight) << shownAt.x() << "," << shownAt.y();
}

TEST(MainWindowView, CtrlWheelAndCtrlPlusMinusZoomTheDocumentWindow) {
    TempDir dir;
    Program p(dir.path(), {});
    gui::DocumentWindow* doc = NewDocument(p);
    ASSERT_NE(doc, nullptr);
    gui::EditorWidget* ed = doc->Editor();
    auto size = [&] { return p.form.ActiveDocument()->Editor1().Properties().font.size; };
    auto wheel = [&](int delta) {
        const QPointF at(20, 20);
        QWheelEvent e(at, ed->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(ed->viewport(), &e);
    };
    const int before = QFontMetrics(ed->TextFont()).height();
    wheel(120);
    EXPECT_EQ(size(), 14);
    wheel(60);  // half a notch: nothing yet
    EXPECT_EQ(size(), 14);
    wheel(60);
    EXPECT_EQ(size(), 15);
    EXPECT_GT(QFontMetrics(ed->TextFont()).height(), before);
    EXPECT_EQ(doc->PanelText(4), QString::fromUtf8("ﾌｫﾝﾄｻｲｽﾞ 15"));
    Key(ed, Qt::Key_Minus, Qt::ControlModifier, "-");
    Key(ed, Qt::Key_Minus, Qt::ControlModifier, "-");
    EXPECT_EQ(size(), 13);
    Key(ed, Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier, "+");
    Key(ed, Qt::Key_Equal, Qt::ControlModifier, "=");
    EXPECT_EQ(size(), 15);
    wheel(-120 * 20);
    EXPECT_EQ(size(), 8);
    EXPECT_EQ(p.form.ActiveDocument()->Editor1().Lines().GetTextStr(), "");  // the keys typed nothing
    EXPECT_EQ(p.form.Settings().fontSize, 13);
}
