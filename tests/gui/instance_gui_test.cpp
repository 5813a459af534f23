// The real program's single-instance start and the main window's file drop.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QUrl>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "QtUi.h"
#include "ShownMainWindow.h"
#include "platform/Process.h"

extern char** environ;

namespace {

// The program with a lock folder of its own, so that a copy the user runs
// on this machine neither blocks it nor is asked forward by it.
struct Copy {
    platform::ChildProcess child;
    Copy(const std::string& runtimeDir, const std::vector<std::string>& args) {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            std::string entry = *e;
            if (entry.rfind("XDG_RUNTIME_DIR=", 0) != 0 && entry.rfind("QT_QPA_PLATFORM=", 0) != 0)
                env.push_back(entry);
        }
        env.push_back("XDG_RUNTIME_DIR=" + runtimeDir);
        env.push_back("QT_QPA_PLATFORM=offscreen");
        std::string error;
        EXPECT_TRUE(child.Start({VKBUILDER, args, env, {}}, &error)) << error;
    }
    // Whether it ends by itself within `ms`.
    bool EndsWithin(int ms) {
        std::string out;
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!child.LeaderExited() && std::chrono::steady_clock::now() < end) child.Read(out, 20, 20, 1 << 16);
        return child.LeaderExited();
    }
    void Kill() {
        child.SignalGroup(SIGKILL);
        child.Reap();
    }
};

// Waits for a copy to answer there; a socket left by a killed copy refuses.
bool Listens(const std::string& path) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    for (int i = 0; i < 500; ++i) {
        int s = socket(AF_UNIX, SOCK_STREAM, 0);
        bool ok = connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
        close(s);
        if (ok) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

}  // namespace

TEST(SingleInstanceProgram, SecondStartEndsAtOnceAndAKilledCopyDoesNotBlock) {
    TempDir runtime;
    std::string sock = runtime.File("Ident9738.sock");
    Copy first(runtime.path(), {});
    ASSERT_TRUE(Listens(sock));  // it holds the lock and listens

    Copy second(runtime.path(), {runtime.Write("b.r", "")});
    ASSERT_TRUE(second.EndsWithin(10000));
    second.child.Reap();
    EXPECT_TRUE(WIFEXITED(second.child.ExitStatus()));
    EXPECT_EQ(WEXITSTATUS(second.child.ExitStatus()), 0);
    EXPECT_FALSE(first.EndsWithin(300));

    first.Kill();  // no clean exit: lock file and socket stay behind
    ASSERT_TRUE(std::filesystem::exists(sock));
    Copy third(runtime.path(), {});
    EXPECT_TRUE(Listens(sock));  // the new copy answers in the old one's place
    EXPECT_FALSE(third.EndsWithin(300));
    third.Kill();
}

TEST(MainWindowDrop, LocalSourceFilesDroppedAnywhereOpenInOrder) {
    TempDir dir;
    Program p(dir.path(), {});
    gui::MainWindow& window = p.window;
    EXPECT_TRUE(window.acceptDrops());

    std::string a = dir.Write("a.r", "alpha");
    std::string h = dir.Write("x.H", "");
    QMimeData data;
    data.setUrls({QUrl("https://example.com/y.r"), QUrl::fromLocalFile(gui::Q(h)),
                  QUrl::fromLocalFile(gui::Q(dir.Write("n.txt", ""))), QUrl::fromLocalFile(gui::Q(a))});
    QPoint at(window.width() / 2, window.height() / 2);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    EXPECT_TRUE(drop.isAccepted());
    QApplication::processEvents();
    QStringList titles;
    for (QMdiSubWindow* sub : window.MdiArea()->subWindowList()) titles << sub->windowTitle();
    EXPECT_EQ(titles, (QStringList{gui::Q(h), gui::Q(a)}));

    QMimeData remote;
    remote.setUrls({QUrl("https://example.com/y.r")});
    QDragEnterEvent refused(at, Qt::CopyAction, &remote, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &refused);
    EXPECT_FALSE(refused.isAccepted());
}
