#include "platform/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace platform {

ChildProcess::~ChildProcess() {
    if (Running()) Terminate(200);
    if (pipe_ >= 0) ::close(pipe_);
}

bool ChildProcess::Start(const ProcessSpec& spec, std::string* error) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        if (error) *error = std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    if (!spec.workDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, spec.workDir.c_str());

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(spec.program.c_str()));
    for (const std::string& a : spec.args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : spec.env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    pid_t pid = -1;
    int rc = ::posix_spawn(&pid, spec.program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (rc != 0) {
        ::close(fds[0]);
        if (error) *error = std::strerror(rc);
        return false;
    }
    pid_ = pid;
    pipe_ = fds[0];
    ::fcntl(pipe_, F_SETFL, ::fcntl(pipe_, F_GETFL) | O_NONBLOCK);
    exited_ = false;
    return true;
}

bool ChildProcess::ReadAvailable(std::string& out) {
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(pipe_, buf, sizeof buf);
        if (n > 0) {
            out.append(buf, static_cast<size_t>(n));
            continue;
        }
        if (n == 0) return false;  // end of file
        if (errno == EINTR) continue;
        return true;  // EAGAIN: nothing more for now
    }
}

void ChildProcess::Reap(bool block) {
    if (pid_ <= 0 || exited_) return;
    int status = 0;
    pid_t r;
    do {
        r = ::waitpid(pid_, &status, block ? 0 : WNOHANG);
    } while (r < 0 && errno == EINTR);
    if (r == pid_ || (r < 0 && errno == ECHILD)) {
        exited_ = true;
        status_ = status;
    }
}

bool ChildProcess::Pump(std::string& out, int waitMs) {
    if (pipe_ >= 0) {
        pollfd p{pipe_, POLLIN, 0};
        if (::poll(&p, 1, waitMs) > 0) ReadAvailable(out);
    }
    Reap(false);
    return Running();
}

void ChildProcess::Drain(std::string& out, int quietMs) {
    if (pipe_ < 0) return;
    for (;;) {
        pollfd p{pipe_, POLLIN, 0};
        int r = ::poll(&p, 1, quietMs);
        if (r <= 0) break;  // silent: a grandchild may hold the pipe open
        if (!ReadAvailable(out)) break;
    }
    ::close(pipe_);
    pipe_ = -1;
}

void ChildProcess::Terminate(int graceMs) {
    if (!Running()) return;
    ::kill(pid_, SIGTERM);
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(graceMs);
    while (std::chrono::steady_clock::now() < until) {
        Reap(false);
        if (exited_) return;
        ::usleep(10000);
    }
    ::kill(pid_, SIGKILL);
    Reap(true);
}

}  // namespace platform
