// Work typed into the running program survives kill -9. A copy of the
// program (this test binary started again in its child mode, with the real
// window, keyboard path and journals) types into a named file, an untitled
// window and a 20 MB file, waits past the journals' write interval, writes
// what each window holds beside it and is killed; the next start gives
// every text back byte for byte.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "DocumentWindow.h"
#include "EditorWidget.h"
#include "ShownMainWindow.h"
#include "app/Actions.h"
#include "app/Childwin.h"
#include "app/Recovery.h"
#include "platform/Process.h"

extern char** environ;

using app::ActionId;

namespace {


// Japanese comes as an input method's text, the rest as keys.
void Type(QWidget* w, const QString& text) {
    for (QChar c : text) {
        if (c == '\r') {
            Key(w, Qt::Key_Return);
        } else if (c.unicode() >= 0x80) {
            QInputMethodEvent ime;
            ime.setCommitString(QString(c));
            QApplication::sendEvent(w, &ime);
        } else {
            Key(w, c.toUpper().unicode(), Qt::NoModifier, QString(c));
        }
    }
}

void Wait(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::string BigText() {
    std::string text;
    for (int i = 0; text.size() < (20u << 20); ++i)
        text += "line " + std::to_string(i) + " \x8A\xBF\x8E\x9A text to fill the file a little\r\n";
    return text;
}

}  // namespace

// The child: the program on `folder`'s a.r and big.r with its journals in
// $XDG_STATE_HOME, typing as a user does; never returns.
int RecoveryKillChild(const std::string& folder) {
    FakeUi ui;
    app::TMainForm form(ui, folder, {folder + "/a.r", folder + "/big.r"});
    form.SetRecoveryFolder(app::RecoveryFolder());
    gui::MainWindow window(form, ui);
    form.FormCreate();
    window.ApplySettings();
    window.show();
    form.FormActivate();
    QApplication::processEvents();
    auto editorOf = [&](app::TMdiChildForm* child) {
        gui::DocumentWindow* view = window.DocumentViewOf(child);
        view->Editor()->setFocus();
        QApplication::processEvents();
        return view->Editor();
    };
    auto* named = dynamic_cast<app::TMDIChild*>(form.Children()[0].get());
    auto* big = dynamic_cast<app::TMDIChild*>(form.Children()[1].get());

    form.ChildActivated(named);
    QWidget* ed = editorOf(named);
    named->Editor1().SetRowCol(1, 0);
    Type(ed, QString::fromUtf8("typed\rあ"));
    window.ActionFor(ActionId::EditUndo)->trigger();
    window.ActionFor(ActionId::EditRedo)->trigger();
    Key(ed, Qt::Key_Backspace);
    Type(ed, "x");

    form.ChildActivated(big);
    ed = editorOf(big);
    big->Editor1().SetRowCol(big->Editor1().Lines().Count() / 2, 3);
    Type(ed, "middle\r");
    big->Editor1().SetWordWrap(true);
    Key(ed, Qt::Key_Delete);
    window.ActionFor(ActionId::EditUndo)->trigger();
    window.ActionFor(ActionId::EditUndo)->trigger();
    window.ActionFor(ActionId::EditRedo)->trigger();
    big->Editor1().SetWordWrap(false);
    Type(ed, "end");

    window.ActionFor(ActionId::FileNew1)->trigger();
    QApplication::processEvents();
    ed = editorOf(form.ActiveChild());
    Type(ed, QString::fromUtf8("untitled\r日本"));

    for (auto& child : form.Children()) {
        auto* doc = dynamic_cast<app::TMDIChild*>(child.get());
        std::string name = doc == named ? "a" : doc == big ? "big" : "untitled";
        std::FILE* f = std::fopen((folder + "/expect-" + name).c_str(), "wb");
        std::string text = doc->Editor1().Lines().GetTextStr();
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    Wait(1100);  // past the journals' write interval: no flush asked for
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) Wait(1000);
}

TEST(RecoveryAfterKill, NamedUntitledAndA20MbFileComeBackByteForByte) {
    TempDir dir, state, runtime;
    dir.Write("a.r", "int f()\r\n{\r\n}\r\n");
    const std::string bigText = BigText();
    dir.Write("big.r", bigText);

    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        if (entry.rfind("XDG_", 0) != 0) env.push_back(entry);
    }
    env.push_back("XDG_STATE_HOME=" + state.path());
    env.push_back("XDG_RUNTIME_DIR=" + runtime.path());
    env.push_back("VKB_RECOVERY_CHILD=" + dir.path());
    platform::ChildProcess child;
    std::string error;
    ASSERT_TRUE(child.Start({std::filesystem::read_symlink("/proc/self/exe").string(), {}, env, {}}, &error)) << error;
    std::string out;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    while (out.find("ready\n") == std::string::npos && !child.LeaderExited() && std::chrono::steady_clock::now() < end)
        child.Read(out, 50, 50, 1 << 16);
    ASSERT_NE(out.find("ready\n"), std::string::npos) << out;
    child.SignalGroup(SIGKILL);
    child.Reap();
    ASSERT_TRUE(WIFSIGNALED(child.ExitStatus()));

    FakeUi ui;
    ui.answers = {platform::MsgAnswer::Yes};
    app::TMainForm form(ui, dir.path(), {});
    form.SetRecoveryFolder(state.path() + "/VeskCBuilder/recovery/");
    form.FormCreate();
    form.FormActivate();
    ASSERT_EQ(form.Children().size(), 3u);
    for (auto& c : form.Children()) {
        auto* doc = dynamic_cast<app::TMDIChild*>(c.get());
        std::string name = doc->Caption() == dir.File("a.r") ? "a" : doc->Caption() == dir.File("big.r") ? "big" : "untitled";
        const std::string expected = TempDir::Read(dir.File("expect-" + name));
        const std::string text = doc->Editor1().Lines().GetTextStr();
        EXPECT_EQ(text.size(), expected.size()) << name;
        EXPECT_TRUE(text == expected) << name;
        EXPECT_TRUE(doc->DocumentChanged()) << name;
        if (name != "untitled") EXPECT_NE(expected, TempDir::Read(dir.File(name + ".r"))) << "nothing was typed";
    }
    EXPECT_EQ(TempDir::Read(dir.File("a.r")), "int f()\r\n{\r\n}\r\n");
}
