// The real main window offscreen, as a desktop user meets it: Japanese
// standard buttons, the icon, toolbar texts, the first start's size, the
// message window's place and the keys that move between windows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QToolBar>
#include <QTimer>
#include <QToolButton>
#include <stdexcept>

#include "Application.h"
#include "Desktop.h"
#include "MsgWindow.h"
#include "ShownMainWindow.h"

using app::ActionId;

TEST(DesktopView, JapaneseButtonsIconToolbarTextsAndTheMessageWindowsPlace) {
    ASSERT_TRUE(gui::LoadQtTranslations(*qApp)) << "qt6-translations-l10n is not installed";
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes);
    EXPECT_TRUE(box.button(QMessageBox::Yes)->text().startsWith(QString::fromUtf8("はい")));
    QImage icon = gui::ProgramIcon().pixmap(32, 32).toImage();  // the SVG renders
    ASSERT_FALSE(icon.isNull());
    EXPECT_NE(icon.pixelColor(16, 16), icon.pixelColor(0, 0));

    TempDir dir, compiler;
    UseStandInCompiler(dir, compiler);  // no window place yet
    Program p(dir.path(), {dir.Write("m.r", "int f()\r\n{\r\n\tint a = 1\r\n\treturn a;\r\n}\r\n")});
    gui::MainWindow& window = p.window;
    QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_NEAR(window.geometry().width(), screen.width() * 2 / 3, 1);
    EXPECT_NEAR(window.geometry().center().y(), screen.center().y(), 2);
    auto* cut = qobject_cast<QToolButton*>(
        window.findChild<QToolBar*>("Toolbar971")->widgetForAction(window.ActionFor(ActionId::EditCut1)));
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(cut->text(), QString::fromUtf8("切り取り"));

    QMdiSubWindow* doc = window.MdiArea()->subWindowList().front();
    doc->showMaximized();
    window.ActionFor(ActionId::Link)->trigger();
    QApplication::processEvents();
    QMdiSubWindow* msg = window.MdiArea()->subWindowList().back();
    QRect area = window.MdiArea()->viewport()->rect();
    EXPECT_EQ(msg->geometry(), QRect(0, area.height() - area.height() / 3, area.width(), area.height() / 3));
    EXPECT_FALSE(doc->isMaximized());
    EXPECT_LE(doc->geometry().bottom(), msg->geometry().top());  // the compiled window stays in view
    window.ActionFor(ActionId::NextError)->trigger();
    auto* list = qobject_cast<gui::MsgWindow*>(msg->widget())->List();
    EXPECT_TRUE(list->currentIndex().data().toString().startsWith("m.r(3) : error"));

    // Ctrl+Tab from inside the message list, back with Ctrl+Shift+Tab.
    window.MdiArea()->setActiveSubWindow(msg);
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::ControlModifier);
    QApplication::sendEvent(list, &tab);
    EXPECT_EQ(window.MdiArea()->activeSubWindow(), doc);
    QKeyEvent back(QEvent::KeyPress, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QApplication::sendEvent(doc->widget(), &back);
    EXPECT_EQ(window.MdiArea()->activeSubWindow(), msg);
}

TEST(DesktopView, ClosingTheActiveWindowGoesBackToTheOneUsedBefore) {
    TempDir dir, compiler;
    UseStandInCompiler(dir, compiler);
    std::string a = dir.Write("a.r", "int f()\r\n{\r\n\treturn 1\r\n}\r\n");
    std::string b = dir.Write("b.r", "int g()\r\n{\r\n\treturn 2\r\n}\r\n");
    Program p(dir.path(), {a, b});
    gui::MainWindow& window = p.window;
    app::TMainForm& form = p.form;
    QList<QMdiSubWindow*> docs = window.MdiArea()->subWindowList(QMdiArea::CreationOrder);
    ASSERT_EQ(docs.size(), 2);
    // Compiled from b, the later window: the next one created would be a.
    window.MdiArea()->setActiveSubWindow(docs[1]);
    window.ActionFor(ActionId::Link)->trigger();
    QApplication::processEvents();
    ASSERT_EQ(window.MdiArea()->subWindowList().size(), 3);
    ASSERT_EQ(form.ActiveChild(), static_cast<forms::TMdiChildForm*>(form.MessageWindow()));
    window.ActionFor(ActionId::FileClose1)->trigger();
    QApplication::processEvents();
    EXPECT_EQ(window.MdiArea()->activeSubWindow(), docs[1]);
    ASSERT_NE(form.ActiveDocument(), nullptr);
    EXPECT_EQ(form.ActiveDocument()->Caption(), b);
}

// A fault that escapes a timer or an event handler is reported once and the
// program goes on: the editor still takes keys afterwards.
TEST(DesktopView, AFaultInATimerOrAHandlerIsReportedAndTheProgramGoesOn) {
    TempDir dir;
    std::string a = dir.Write("a.r", "x\r\n");
    Program p(dir.path(), {a});
    auto* application = static_cast<gui::Application*>(QCoreApplication::instance());
    std::vector<std::string> shown;
    application->onInternalError = [&shown](const std::string& text) { shown.push_back(text); };
    struct Throwing : QWidget {
        void keyPressEvent(QKeyEvent*) override { throw std::out_of_range("key handler"); }
    } widget;
    QTimer::singleShot(0, [] { throw std::runtime_error("timer"); });
    QTimer::singleShot(0, [] { throw std::bad_alloc(); });
    QApplication::processEvents();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    QApplication::sendEvent(&widget, &key);
    application->onInternalError = nullptr;
    EXPECT_EQ(shown, (std::vector<std::string>{"内部エラーが発生しました: timer", "内部エラーが発生しました: メモリが足りません",
                                               "内部エラーが発生しました: key handler"}));
    QWidget* editor = p.window.MdiArea()->subWindowList().front()->widget()->focusProxy();
    ASSERT_NE(editor, nullptr);
    QKeyEvent typed(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier, "z");
    QApplication::sendEvent(editor, &typed);
    EXPECT_EQ(p.form.ActiveDocument()->Editor1().Lines().GetTextStr(), "zx\r\n");
}
