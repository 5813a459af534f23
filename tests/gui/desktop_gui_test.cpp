// The real main window offscreen, as a desktop user meets it: Japanese
// standard buttons, the program's icon, toolbar texts, the first start's
// size, the message window's place and keys that move between windows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>

#include "Desktop.h"
#include "FakeUi.h"
#include "MainWindow.h"
#include "MsgWindow.h"
#include "TestFiles.h"
#include "app/MainForm.h"
#include "platform/IniFile.h"

using app::ActionId;

namespace {

struct Program {
    FakeUi ui;
    app::TMainForm form;
    gui::MainWindow window;
    Program(const std::string& folder, std::vector<std::string> args)
        : form(ui, folder, std::move(args)), window(form, ui) {
        form.FormCreate();
        window.ApplySettings();
        window.show();
        form.FormActivate();
        QApplication::processEvents();
    }
};

void CtrlKey(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::ControlModifier) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(w, &press);
}

}  // namespace

TEST(DesktopView, JapaneseStandardButtonsIconAndToolbarTexts) {
    ASSERT_TRUE(gui::LoadQtTranslations(*qApp)) << "qt6-translations-l10n is not installed";
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_TRUE(box.button(QMessageBox::Yes)->text().startsWith(QString::fromUtf8("はい")));
    EXPECT_TRUE(box.button(QMessageBox::Cancel)->text().startsWith(QString::fromUtf8("キャンセル")));

    // The SVG drawing renders (the toolkit's SVG support is installed).
    QImage icon = gui::ProgramIcon().pixmap(32, 32).toImage();
    ASSERT_FALSE(icon.isNull());
    EXPECT_NE(icon.pixelColor(16, 16), icon.pixelColor(0, 0));

    TempDir dir;
    Program p(dir.path(), {});
    QToolBar* bar = p.window.findChild<QToolBar*>("Toolbar971");
    ASSERT_NE(bar, nullptr);
    auto* cut = qobject_cast<QToolButton*>(bar->widgetForAction(p.window.ActionFor(ActionId::EditCut1)));
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(cut->text(), QString::fromUtf8("切り取り"));
    EXPECT_EQ(p.window.ActionFor(ActionId::EditCut1)->text(), QString::fromUtf8("切り取り(&T)"));
    QAction* close = p.window.ActionFor(ActionId::FileClose1);
    EXPECT_EQ(close->text(), QString::fromUtf8("閉じる(&C)"));
    EXPECT_EQ(close->shortcut(), QKeySequence("Ctrl+F4"));
}

TEST(DesktopView, FirstStartTakesTwoThirdsOfTheScreenAndTheFileKeepsIt) {
    TempDir dir;
    QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QRect first;
    {
        Program p(dir.path(), {});
        first = p.window.geometry();
        EXPECT_NEAR(first.width(), screen.width() * 2 / 3, 1);
        EXPECT_NEAR(first.height(), screen.height() * 2 / 3, 1);
        EXPECT_NEAR(first.center().x(), screen.center().x(), 2);
        p.window.close();
    }
    platform::IniFile ini;
    ini.LoadFromFile(dir.File("VKBUILD.INI"));
    EXPECT_EQ(ini.ReadInteger("POS", "WIDTH", 0), first.width());
    EXPECT_EQ(ini.ReadInteger("POS", "Left", 0), first.x());
    // Stored values hold from then on, made to fit the screen.
    dir.Write("VKBUILD.INI", "[POS]\r\nTOP=20\r\nLeft=30\r\nHEIGHT=300\r\nWIDTH=99999\r\n");
    Program again(dir.path(), {});
    EXPECT_EQ(again.window.geometry().height(), 300);
    EXPECT_EQ(again.window.geometry().width(), screen.width());
}

TEST(DesktopView, MessageWindowTakesTheLowerThirdAndKeysMoveBetweenWindows) {
    TempDir dir, compiler;
    std::filesystem::copy_file(VKC_STANDIN, compiler.File("VKC.EXE"));
    dir.Write("VKBUILD.INI", "[VKC]\r\nPATH=" + compiler.path() + "\r\n");
    std::string file = dir.Write("m.r", "int f()\r\n{\r\n\tint a = 1\r\n\treturn a;\r\n}\r\n");
    Program p(dir.path(), {file});
    QMdiSubWindow* doc = p.window.MdiArea()->subWindowList().front();
    doc->showMaximized();
    p.window.ActionFor(ActionId::Link)->trigger();
    QApplication::processEvents();
    auto subs = p.window.MdiArea()->subWindowList();
    ASSERT_EQ(subs.size(), 2);
    QMdiSubWindow* msg = subs.back();
    QRect area = p.window.MdiArea()->viewport()->rect();
    EXPECT_EQ(msg->geometry(), QRect(0, area.height() - area.height() / 3, area.width(), area.height() / 3));
    EXPECT_FALSE(doc->isMaximized());
    EXPECT_LE(doc->geometry().bottom(), msg->geometry().top());  // the compiled window stays in view

    // F8 selects the error line and jumps to it as Enter does.
    p.window.ActionFor(ActionId::NextError)->trigger();
    auto* list = qobject_cast<gui::MsgWindow*>(msg->widget())->List();
    EXPECT_TRUE(list->currentIndex().data().toString().startsWith("m.r(3) : error"));
    p.ui.FireTimers();
    QApplication::processEvents();
    EXPECT_EQ(p.window.MdiArea()->activeSubWindow(), doc);
    EXPECT_EQ(p.form.ActiveDocument()->Editor1().Row(), 2);

    // Ctrl+Tab from inside the message list, and back with Ctrl+Shift+Tab.
    p.window.MdiArea()->setActiveSubWindow(msg);
    CtrlKey(list, Qt::Key_Tab);
    EXPECT_EQ(p.window.MdiArea()->activeSubWindow(), doc);
    CtrlKey(doc->widget(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(p.window.MdiArea()->activeSubWindow(), msg);
}
