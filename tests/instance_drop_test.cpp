// The application shell's two small components and the folder chooser:
// single instance (one component, what a later copy does, leftovers of a
// crash, two real processes), file drop (hooking, accepting, delivering,
// chained hooks, freed windows, the main window's drop).
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>

#include "FakeUi.h"
#include "TestFiles.h"
#include "forms/BrowseFolder.h"
#include "forms/FileDrop.h"
#include "app/MainForm.h"
#include "app/SingleInstance.h"
#include "platform/Process.h"

using forms::TDropWindow;
using forms::TFileDrop;
using app::TSingleInstance;
using platform::InstanceLock;

namespace {

template <class F>
std::string Thrown(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(nothing thrown)";
}

struct Window : TDropWindow {
    std::vector<bool> acceptLog;
    void AcceptFilesChanged(bool accept) override { acceptLog.push_back(accept); }
};

struct Drops {
    std::vector<std::string> log;
    TFileDrop::TFileDropEvent Handler(std::string who) {
        return [this, who](TFileDrop&, int count, int x, int y, const std::vector<std::string>& paths) {
            std::string s = who + " " + std::to_string(count) + " @" + std::to_string(x) + "," + std::to_string(y);
            for (const std::string& p : paths) s += " " + p;
            log.push_back(s);
        };
    }
};

// A program started with its standard output read as it comes.
struct Probe {
    platform::ChildProcess child;
    std::string out;
    Probe(const std::string& folder, int action, std::vector<std::string> files = {},
          std::vector<std::string> env = {}, std::string workDir = {}) {
        std::string error;
        files.insert(files.begin(), {folder, std::to_string(action)});
        EXPECT_TRUE(child.Start({INSTANCE_PROBE, files, std::move(env), std::move(workDir)}, &error)) << error;
    }
    bool WaitFor(const std::string& text) {
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (out.find(text) == std::string::npos && std::chrono::steady_clock::now() < end)
            if (!child.Read(out, 50, 50, 4096) && out.find(text) == std::string::npos) return false;
        return out.find(text) != std::string::npos;
    }
    // The exit code once it ended by itself, within a few seconds.
    int Ended() {
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!child.LeaderExited() && std::chrono::steady_clock::now() < end) child.Read(out, 20, 20, 4096);
        if (!child.LeaderExited()) return -1;
        while (child.Read(out, 0, 20, 4096)) {
        }
        child.Reap();
        return WIFEXITED(child.ExitStatus()) ? WEXITSTATUS(child.ExitStatus()) : -2;
    }
};

}  // namespace

TEST(SingleInstance, OnlyOneComponentAtATime) {
    auto first = std::make_unique<TSingleInstance>();
    EXPECT_EQ(Thrown([] { TSingleInstance second; }), "Only single component allowed");
    first.reset();
    EXPECT_EQ(Thrown([] { TSingleInstance again; }), "(nothing thrown)");
}

TEST(SingleInstance, FirstCopyAnswersAndLeftoversOfACrashDoNotBlock) {
    TempDir dir;
    // A lock file and a socket nobody listens on, as a killed copy leaves them.
    dir.Write("Ident9738.lock", "");
    int s = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::string sock = dir.File("Ident9738.sock");
    std::strcpy(addr.sun_path, sock.c_str());
    ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    close(s);

    int activations = 0;
    auto first = std::make_unique<TSingleInstance>();
    app::ConfigureForMainForm(*first);
    first->Folder = dir.path();
    first->OnDuplicate = [](TSingleInstance&) { ADD_FAILURE() << "the first copy is no duplicate"; };
    first->OnActivate = [&] { ++activations; };
    ASSERT_TRUE(first->Loaded());
    EXPECT_TRUE(first->IsFirst());
    EXPECT_GE(first->RequestFd(), 0);

    InstanceLock later, otherName;
    ASSERT_EQ(later.Acquire("Ident9738", dir.path()), InstanceLock::Result::Duplicate);
    EXPECT_EQ(otherName.Acquire("Ident9739", dir.path()), InstanceLock::Result::First);
    // A client that connects and stays silent holds nothing up: the request
    // after it is served, with its files, and serving never waits.
    std::vector<std::vector<std::string>> opened;
    first->OnOpenFiles = [&](const std::vector<std::string>& files) { opened.push_back(files); };
    int silent = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un to{};
    to.sun_family = AF_UNIX;
    std::strcpy(to.sun_path, sock.c_str());
    ASSERT_EQ(connect(silent, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
    const std::vector<std::string> files{"/a b/c.r", "/x/line\nbreak.h", "/日本/語.R"};
    EXPECT_TRUE(later.SendActivate());
    EXPECT_TRUE(later.SendActivate(2000, files));
    auto start = std::chrono::steady_clock::now();
    for (int waited = 0; activations < 2 && waited < 100; ++waited) {
        pollfd p{first->RequestFd(), POLLIN, 0};
        poll(&p, 1, 50);
        first->ServeRequests();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
    EXPECT_EQ(activations, 2);
    EXPECT_EQ(opened, (std::vector<std::vector<std::string>>{files}));
    close(silent);

    first.reset();  // the lock goes with the component
    EXPECT_FALSE(std::filesystem::exists(sock));
    EXPECT_EQ(later.Acquire("Ident9738", dir.path()), InstanceLock::Result::First);
}

TEST(SingleInstance, SecondProcessEndsAtOnceAndTheFirstIsAskedForward) {
    TempDir dir;
    auto first = std::make_unique<Probe>(dir.path(), app::diActivateFirst);
    ASSERT_TRUE(first->WaitFor("first\n")) << first->out;
    struct Row {
        app::TDupInstAction action;
        int status;
        std::string out;
    };
    for (const Row& row : {Row{app::diException, 4, "duplicate\nすでに起動されています\n"},
                           Row{app::diTerminate, 3, "duplicate\n"},
                           Row{app::diActivateFirst, 3, "duplicate\n"}}) {
        Probe later(dir.path(), row.action, {"/x/a b.r", "/y/\xC3\xA7.h"});
        EXPECT_EQ(later.Ended(), row.status) << row.action;
        EXPECT_EQ(later.out, row.out);
    }
    // Only the last one asked: an earlier request would have ended the first
    // copy and made a later one first.
    EXPECT_EQ(first->Ended(), 0);
    EXPECT_EQ(first->out, "first\nactivated\nopen /x/a b.r\nopen /y/\xC3\xA7.h\n");
}

TEST(SingleInstance, EachDesktopSessionHasItsCopyAndGetsItsOwnFilesMadeAbsolute) {
    TempDir dir;
    std::filesystem::create_directories(dir.File("work/sub"));
    const std::string work = std::filesystem::canonical(dir.File("work")).string();
    auto session = [&](const char* display) {
        return std::vector<std::string>{"XDG_RUNTIME_DIR=" + dir.path(), std::string("DISPLAY=") + display};
    };
    // One user, two displays: two first copies side by side.
    Probe local("-", app::diActivateFirst, {}, session(":81"));
    Probe remote("-", app::diActivateFirst, {}, session(":82.0"));
    ASSERT_TRUE(local.WaitFor("first\n")) << local.out;
    ASSERT_TRUE(remote.WaitFor("first\n")) << remote.out;
    // A start on one display reaches that display's copy only, with the
    // paths as its own working folder names them.
    // A display's screen number makes no session of its own.
    Probe later("-", app::diActivateFirst, {"a b.r", "./sub/../c.h", "sub//d.R", "/abs/e.r"}, session(":82"), work);
    EXPECT_EQ(later.Ended(), 3);
    EXPECT_EQ(remote.Ended(), 0);
    EXPECT_EQ(remote.out, "first\nactivated\nopen " + work + "/a b.r\nopen " + work + "/c.h\nopen " + work +
                              "/sub/d.R\nopen /abs/e.r\n");
    EXPECT_FALSE(local.child.LeaderExited());
    Probe other("-", app::diActivateFirst, {}, session(":81"));
    EXPECT_EQ(other.Ended(), 3);
    EXPECT_EQ(local.Ended(), 0);
    EXPECT_EQ(local.out, "first\nactivated\n");
}

TEST(FileDrop, HooksTheControlOrElseTheOwner) {
    EXPECT_EQ(Thrown([] { TFileDrop(nullptr).Loaded(); }), "Invalidate Window Handle in FileDrop");

    Window form, list, tree;
    TFileDrop drop(&form);
    drop.SetControl(&list);
    EXPECT_EQ(list.Hook(), nullptr);  // nothing before the owner has loaded
    drop.Loaded();
    EXPECT_EQ(list.Hook(), &drop);
    EXPECT_EQ(form.Hook(), nullptr);
    drop.SetControl(&tree);  // moves: the old window is as it was before
    EXPECT_EQ(list.Hook(), nullptr);
    EXPECT_EQ(list.acceptLog, (std::vector<bool>{true, false}));
    EXPECT_EQ(tree.Hook(), &drop);
    drop.SetControl(nullptr);
    EXPECT_EQ(tree.Hook(), nullptr);
    EXPECT_EQ(form.Hook(), &drop);
    EXPECT_TRUE(form.AcceptsFiles());
}

TEST(FileDrop, OneEventPerDropWhileAccepting) {
    Window form;
    Drops drops;
    TFileDrop drop(&form);
    drop.Loaded();
    EXPECT_TRUE(form.DeliverDrop(1, 2, {"/a.r"}));  // no handler: released unread
    drop.OnFileDrop = drops.Handler("drop");
    EXPECT_TRUE(form.DeliverDrop(10, 20, {"/x/a.r", "/x/b c.R", "/y/c.h"}));
    drop.SetAccept(false);
    EXPECT_FALSE(form.AcceptsFiles());
    EXPECT_FALSE(form.DeliverDrop(10, 20, {"/x/a.r"}));
    drop.SetAccept(true);
    EXPECT_TRUE(form.DeliverDrop(3, 4, {"/d.r"}));
    EXPECT_EQ(drops.log, (std::vector<std::string>{"drop 3 @10,20 /x/a.r /x/b c.R /y/c.h", "drop 1 @3,4 /d.r"}));

    std::string reported;
    drop.OnFileDrop = [](TFileDrop&, int, int, int, const std::vector<std::string>&) {
        throw std::runtime_error("handler failed");
    };
    drop.OnException = [&](const std::exception& e) { reported = e.what(); };
    EXPECT_TRUE(form.DeliverDrop(0, 0, {"/a.r"}));
    EXPECT_EQ(reported, "handler failed");
}

TEST(FileDrop, ChainedHooksAndFreedWindows) {
    Window form;
    Drops drops;
    auto lower = std::make_unique<TFileDrop>(&form);
    TFileDrop upper(&form);
    lower->OnFileDrop = drops.Handler("lower");
    upper.OnFileDrop = drops.Handler("upper");
    lower->Loaded();
    upper.Loaded();
    form.DeliverDrop(0, 0, {"/1"});
    lower.reset();  // leaves the chain without cutting off the one above
    form.DeliverDrop(0, 0, {"/2"});
    EXPECT_EQ(drops.log, (std::vector<std::string>{"upper 1 @0,0 /1", "upper 1 @0,0 /2"}));
    upper.SetControl(nullptr);
    EXPECT_EQ(form.Hook(), &upper);

    auto list = std::make_unique<Window>();
    upper.SetControl(list.get());
    EXPECT_EQ(form.Hook(), nullptr);
    EXPECT_FALSE(form.AcceptsFiles());
    list.reset();  // the control is freed: no control, no accepting
    EXPECT_EQ(upper.Control(), nullptr);
    EXPECT_EQ(upper.Hooked(), nullptr);
    EXPECT_FALSE(upper.Accept());
}

TEST(FileDrop, MainWindowOpensDroppedSourcesInOrder) {
    TempDir dir;
    FakeUi ui;
    app::TMainForm form(ui, dir.path(), {});
    form.FormCreate();
    form.FormActivate();
    Window window;
    form.HookFileDrop(&window);
    std::string a = dir.Write("a.R", "alpha");
    std::string b = dir.Write("b.h", "beta");
    std::filesystem::create_directory(dir.File("folder.r"));
    EXPECT_TRUE(window.AcceptsFiles());
    window.DeliverDrop(5, 6, {dir.Write("notes.txt", "x"), b, dir.File("missing.r"), dir.File("folder.r"), a, b});
    ASSERT_EQ(form.Children().size(), 2u);
    EXPECT_EQ(form.Children()[0]->Caption(), b);
    EXPECT_EQ(form.Children()[1]->Caption(), a);
    EXPECT_TRUE(ui.messages.empty());
}

TEST(BrowseForFolder, EndsInOneSlashAndIsEmptyOnCancel) {
    const std::pair<std::optional<std::string>, std::string> rows[] = {
        {"/home/user/src", "/home/user/src/"}, {"/", "/"}, {"/mnt/d/", "/mnt/d/"}, {std::nullopt, ""}, {"", ""}};
    for (const auto& [chosen, expected] : rows) {
        FakeUi ui;
        ui.folderAnswers.push_back(chosen);
        EXPECT_EQ(forms::BrowseForFolder(ui), expected);
        ASSERT_EQ(ui.folderRequests.size(), 1u);
        EXPECT_EQ(ui.folderRequests[0], (std::pair<std::string, std::string>{"フォルダの選択", "/"}));
    }
}
