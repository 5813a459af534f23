// Saving and reading files: which files may be written and how, what an
// interrupted save leaves, what is read. (Changed-on-disk stamps are checked
// through saving in the main form's tests.)
#include <gtest/gtest.h>

#include <cstdlib>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include "TestFiles.h"
#include "platform/FileIO.h"

using platform::SaveMethod;
using platform::SaveTarget;

namespace {

constexpr uid_t kNobody = 65534;

// Runs `body` in a child process, as an unprivileged user when this process
// is the superuser (which passes every permission check); its exit code.
int RunAsUser(const std::function<int()>& body) {
    pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) ::_exit(99);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int SaveExitCode(const std::string& path, const std::string& text) {
    try {
        platform::WriteFileSafely(path, text);
        return 0;
    } catch (const platform::FileError&) {
        return 1;
    }
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

struct stat StatOf(const std::string& path) {
    struct stat st{};
    ::stat(path.c_str(), &st);
    return st;
}

}  // namespace

TEST(SaveMethod, ChosenFromWhatTheRenameWouldChange) {
    struct Case { SaveTarget t; SaveMethod m; } cases[] = {
        {{false, true, true, true, true, 1}, SaveMethod::Replace},   // new file
        {{true, true, true, true, true, 1}, SaveMethod::Replace},    // own file, own folder
        {{true, true, false, true, true, 1}, SaveMethod::Refuse},    // read-only file
        {{true, false, true, true, true, 1}, SaveMethod::Refuse},    // pipe or device
        {{true, true, true, false, true, 1}, SaveMethod::InPlace},   // folder not writable
        {{true, true, true, true, true, 2}, SaveMethod::InPlace},    // hard links
        {{true, true, true, true, false, 1}, SaveMethod::InPlace},   // another owner
        {{true, true, false, false, false, 3}, SaveMethod::Refuse},
    };
    for (const auto& c : cases) EXPECT_EQ(platform::ChooseSaveMethod(c.t), c.m);
}

TEST(SafeFileWriter, AReadOnlyFileIsNeverReplaced) {
    TempDir dir;
    std::string path = dir.Write("ro.r", "old\r\n");
    ::chmod(path.c_str(), 0444);
    struct stat before = StatOf(path);
    EXPECT_THROW(platform::WriteFileSafely(path, "new\r\n"), platform::FileError);  // also as the superuser
    EXPECT_EQ(RunAsUser([&] { return SaveExitCode(path, "new\r\n"); }), 1);
    EXPECT_EQ(TempDir::Read(path), "old\r\n");
    struct stat after = StatOf(path);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"ro.r"});
}

TEST(SafeFileWriter, HardLinksAndOwnersSurviveBecauseTheFileIsWrittenInPlace) {
    TempDir dir;
    std::string path = dir.Write("a.r", "a long old text that is longer than the new one\r\n");
    std::string link = dir.File("b.r");
    ASSERT_EQ(::link(path.c_str(), link.c_str()), 0);
    ino_t inode = StatOf(path).st_ino;
    EXPECT_EQ(platform::SafeFileWriter(path).Method(), SaveMethod::InPlace);
    // A save in place that stops half-way leaves a whole copy of the old
    // file in the state folder, named for the file; a finished one leaves none.
    TempDir state;
    const char* oldState = std::getenv("XDG_STATE_HOME");
    std::string keptState = oldState ? oldState : "";
    ::setenv("XDG_STATE_HOME", state.path().c_str(), 1);
    {
        platform::SafeFileWriter cut(path, 1 << 21);
        cut.Write(std::string(1 << 21, 'n'));  // past the write buffer: the file is half rewritten
    }
    auto left = platform::LeftInPlaceCopies();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].second, path);
    EXPECT_EQ(TempDir::Read(left[0].first), "a long old text that is longer than the new one\r\n");
    ::unlink(left[0].first.c_str());
    // Killed during the write: the file is damaged, the copy is whole.
    const std::string damaged = TempDir::Read(path);
    if (::fork() == 0) {
        platform::SafeFileWriter w(path, 1 << 21);
        w.Write(std::string(1 << 21, 'k'));
        ::raise(SIGKILL);
    }
    ::wait(nullptr);
    left = platform::LeftInPlaceCopies();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(TempDir::Read(left[0].first), damaged);
    EXPECT_NE(TempDir::Read(path), damaged);
    ::unlink(left[0].first.c_str());
    platform::FileStamp stamp = platform::WriteFileSafely(path, "new\r\n");
    EXPECT_TRUE(platform::LeftInPlaceCopies().empty());
    if (oldState) ::setenv("XDG_STATE_HOME", keptState.c_str(), 1);
    else ::unsetenv("XDG_STATE_HOME");
    EXPECT_EQ(TempDir::Read(link), "new\r\n");  // truncated to the new length
    EXPECT_EQ(StatOf(path).st_ino, inode);
    EXPECT_EQ(platform::StampOf(path), stamp);

    // A writable file in a folder the user may not write, owned by someone else.
    std::string sub = dir.path() + "/locked";
    ::mkdir(sub.c_str(), 0755);
    std::string shared = sub + "/s.r";
    {
        std::ofstream(shared, std::ios::binary) << "old\r\n";
    }
    ::chmod(shared.c_str(), 0666);
    ::chmod(sub.c_str(), 0555);
    ::chmod(dir.path().c_str(), 0755);
    struct stat before = StatOf(shared);
    EXPECT_EQ(RunAsUser([&] { return SaveExitCode(shared, "by another user\r\n"); }), 0);
    ::chmod(sub.c_str(), 0755);
    EXPECT_EQ(TempDir::Read(shared), "by another user\r\n");
    struct stat after = StatOf(shared);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(Entries(sub), std::vector<std::string>{"s.r"});
}

TEST(SafeFileWriter, AReplacementKeepsTheModeAndAnInterruptedSaveLeavesNothing) {
    TempDir dir;
    std::string path = dir.Write("x.r", "old\r\n");
    ::chmod(path.c_str(), 0640);
    {
        platform::SafeFileWriter w(path);
        EXPECT_EQ(w.Method(), SaveMethod::Replace);
        w.Write(std::string(3 << 20, 'x'));
        EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"x.r"});  // nothing visible while writing
    }  // abandoned
    EXPECT_EQ(TempDir::Read(path), "old\r\n");

    // Killed half-way: no temporary file stays behind.
    pid_t pid = ::fork();
    if (pid == 0) {
        platform::SafeFileWriter w(path);
        w.Write(std::string(4 << 20, 'y'));
        ::raise(SIGKILL);
    }
    ::waitpid(pid, nullptr, 0);
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"x.r"});
    EXPECT_EQ(TempDir::Read(path), "old\r\n");

    platform::WriteFileSafely(path, "new\r\n");
    EXPECT_EQ(TempDir::Read(path), "new\r\n");
    EXPECT_EQ(StatOf(path).st_mode & 07777, 0640u);
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"x.r"});
}

TEST(ReadFile, OnlyRegularFilesAreRead) {
    TempDir dir;
    std::string fifo = dir.File("pipe.r");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    // Neither waits for a writer: both refuse at once.
    EXPECT_THROW(platform::ReadWholeFile(fifo), platform::FileError);
    EXPECT_THROW(platform::ReadFileBlock(fifo), platform::FileError);
    EXPECT_THROW(platform::ReadWholeFile("/dev/zero"), platform::FileError);
    EXPECT_THROW(platform::WriteFileSafely(fifo, "x"), platform::FileError);
}

// What the user is told: the file, the action and the reason, in Japanese;
// "read-only" only for a file that is.
TEST(FileError, ReasonsAreToldInJapanese) {
    TempDir dir;
    std::string fifo = dir.File("pipe.r");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    std::string ro = dir.Write("ro.r", "old\r\n");
    ::chmod(ro.c_str(), 0444);
    std::string theirs = dir.Write("theirs.r", "old\r\n");
    ::chmod(theirs.c_str(), 0644);
    ::chmod(dir.path().c_str(), 0755);
    auto message = [](const std::function<void()>& act) {
        try {
            act();
        } catch (const platform::FileError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    struct Case { const char* what; std::function<void()> act; std::string want; } cases[] = {
        {"missing", [&] { platform::ReadWholeFile(dir.File("none.r")); },
         dir.File("none.r") + " を開けません: ファイルまたはフォルダが見つかりません"},
        {"folder", [&] { platform::ReadWholeFile(dir.path()); }, dir.path() + " を読み込めません: フォルダです"},
        {"pipe", [&] { platform::ReadFileBlock(fifo); },
         fifo + " を読み込めません: 通常のファイルではありません (パイプ、デバイスまたはソケット)"},
        {"pipe saved", [&] { platform::WriteFileSafely(fifo, "x"); },
         fifo + " を保存できません: 通常のファイルではありません (パイプ、デバイスまたはソケット)"},
        {"missing folder", [&] { platform::WriteFileSafely(dir.File("no/a.r"), "x"); },
         dir.File("no/a.r") + " を作成できません: ファイルまたはフォルダが見つかりません"},
        {"read-only", [&] { platform::WriteFileSafely(ro, "x"); }, ro + " を保存できません: ファイルが読み取り専用です"},
    };
    for (const Case& c : cases) EXPECT_EQ(message(c.act), c.want) << c.what;

    // Another user's file is not read-only: the user lacks the permission.
    const std::string denied = theirs + " を保存できません: アクセスが許可されていません";
    EXPECT_EQ(RunAsUser([&] { return message([&] { platform::WriteFileSafely(theirs, "x"); }) == denied ? 0 : 1; }), 0);
    EXPECT_EQ(TempDir::Read(theirs), "old\r\n");
}
