#include "platform/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace platform {

namespace {

// What the child reports through the error pipe before it dies.
struct StartFailure {
    int step;  // 0: exec, 1: chdir
    int error;
};

void WriteAll(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        p += n;
        size -= static_cast<size_t>(n);
    }
}

}  // namespace

ChildProcess::~ChildProcess() {
    if (!reaped_) {
        SignalGroup(SIGKILL);
        Reap();
    }
    if (pipe_ >= 0) ::close(pipe_);
}

bool ChildProcess::Start(const ProcessSpec& spec, std::string* error) {
    auto fail = [&](const std::string& reason) {
        if (error) *error = reason;
        return false;
    };
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return fail(std::strerror(errno));
    // Closed by a successful exec; otherwise it carries the child's errno.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        int e = errno;
        ::close(out[0]);
        ::close(out[1]);
        return fail(std::strerror(e));
    }

    // Everything the child needs is made before the fork: after it, a
    // threaded parent's child may call only async-signal-safe functions.
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(spec.program.c_str()));
    for (const std::string& a : spec.args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : spec.env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    const char* dir = spec.workDir.empty() ? nullptr : spec.workDir.c_str();
    int null = spec.outputToNull ? ::open("/dev/null", O_WRONLY | O_CLOEXEC) : -1;

    pid_t pid = ::fork();
    if (pid == 0) {
        ::setpgid(0, 0);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        struct sigaction dfl {};
        dfl.sa_handler = SIG_DFL;
        ::sigaction(SIGPIPE, &dfl, nullptr);  // a writer whose reader went dies
        ::dup2(null >= 0 ? null : out[1], STDOUT_FILENO);  // dup2 clears CLOEXEC on the copy
        StartFailure f{0, 0};
        if (dir && ::chdir(dir) != 0) {
            f = {1, errno};
        } else {
            ::execve(argv[0], argv.data(), envp.data());
            f = {0, errno};
        }
        WriteAll(report[1], &f, sizeof f);
        ::_exit(127);
    }
    int forkError = errno;
    if (null >= 0) ::close(null);
    ::close(out[1]);
    ::close(report[1]);
    if (pid < 0) {
        ::close(out[0]);
        ::close(report[0]);
        return fail(std::strerror(forkError));
    }
    // Also here, so the group exists before anything signals it.
    ::setpgid(pid, pid);

    StartFailure f{};
    size_t got = 0;
    while (got < sizeof f) {
        ssize_t n = ::read(report[0], reinterpret_cast<char*>(&f) + got, sizeof f - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    ::close(report[0]);
    if (got == sizeof f) {
        int status;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        ::close(out[0]);
        std::string reason = std::strerror(f.error);
        return fail(f.step == 1 ? spec.workDir + ": " + reason : reason);
    }
    pid_ = pid;
    reaped_ = false;
    status_ = 0;
    pipe_ = out[0];
    ::fcntl(pipe_, F_SETFL, ::fcntl(pipe_, F_GETFL) | O_NONBLOCK);
    return true;
}

bool ChildProcess::Read(std::string& out, int waitMs, int budgetMs, size_t limit) {
    if (pipe_ < 0) {
        if (waitMs > 0) ::usleep(static_cast<useconds_t>(waitMs) * 1000);
        return false;
    }
    pollfd p{pipe_, POLLIN, 0};
    if (::poll(&p, 1, waitMs) <= 0) return true;
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(budgetMs);
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(pipe_, buf, sizeof buf);
        if (n > 0) {
            size_t keep = out.size() < limit ? std::min(static_cast<size_t>(n), limit - out.size()) : 0;
            out.append(buf, keep);
            if (std::chrono::steady_clock::now() >= until) return true;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return true;  // EAGAIN: nothing more for now
        ::close(pipe_);          // end of file
        pipe_ = -1;
        return false;
    }
}

bool ChildProcess::LeaderExited() {
    if (reaped_) return true;
    siginfo_t info{};
    while (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) < 0) {
        if (errno != EINTR) return true;
    }
    return info.si_pid != 0;
}

void ChildProcess::SignalGroup(int sig) {
    if (!reaped_) ::kill(-pid_, sig);
}

void ChildProcess::Reap() {
    if (!reaped_) {
        int status = 0;
        pid_t r;
        do {
            r = ::waitpid(pid_, &status, 0);
        } while (r < 0 && errno == EINTR);
        status_ = status;
        reaped_ = true;
    }
    if (pipe_ >= 0) {
        ::close(pipe_);
        pipe_ = -1;
    }
}

}  // namespace platform
