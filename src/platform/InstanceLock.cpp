#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace platform {
namespace {

constexpr char kActivate[] = "activate\n";

bool IsFolder(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A folder under /tmp is shared with every user: use it only when it is a
// real folder of ours that nobody else can enter, so no one can hold our
// lock or answer in our place.
bool PrivateFolder(const std::string& path, std::string& error) {
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid() ||
        (st.st_mode & 077) != 0) {
        error = path + ": not a private folder of this user";
        return false;
    }
    return true;
}

std::string FileName(const std::string& name) {
    std::string s = name.empty() ? std::string("instance") : name;
    for (char& c : s)
        if (c == '/') c = '_';
    return s;
}

bool FillAddress(const std::string& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size());
    return true;
}

}  // namespace

InstanceLock::~InstanceLock() { Release(); }

std::string InstanceLock::DefaultFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/' && IsFolder(runtime)) return runtime;
    return "/tmp/vkbuilder-" + std::to_string(geteuid());
}

InstanceLock::Result InstanceLock::Acquire(const std::string& name, const std::string& folder) {
    Release();
    error_.clear();
    std::string dir = folder.empty() ? DefaultFolder() : folder;
    bool shared = folder.empty() && dir.rfind("/tmp/", 0) == 0;
    if (shared ? !PrivateFolder(dir, error_) : !IsFolder(dir)) {
        if (error_.empty()) error_ = dir + ": no such folder";
        return Result::Unavailable;
    }
    if (dir.back() != '/') dir += '/';
    std::string base = dir + FileName(name);
    socketPath_ = base + ".sock";

    // The kernel drops a flock with the last descriptor, so a copy that
    // crashed leaves a lock file that no longer holds anyone back.
    std::string lockPath = base + ".lock";
    int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        error_ = lockPath + ": " + std::strerror(errno);
        return Result::Unavailable;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int err = errno;
        close(fd);
        if (err == EWOULDBLOCK) return Result::Duplicate;
        error_ = lockPath + ": " + std::strerror(err);
        return Result::Unavailable;
    }
    lockFd_ = fd;

    // Only the lock holder gets here, so a socket file left by a crashed
    // copy can be replaced safely.
    sockaddr_un addr;
    if (!FillAddress(socketPath_, addr)) {
        error_ = socketPath_ + ": path too long for a local socket";
        return Result::First;
    }
    unlink(socketPath_.c_str());
    int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (s < 0 || bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(s, 8) != 0) {
        error_ = socketPath_ + ": " + std::strerror(errno);
        if (s >= 0) close(s);
        return Result::First;
    }
    chmod(socketPath_.c_str(), 0600);
    listenFd_ = s;
    return Result::First;
}

bool InstanceLock::SendActivate(int waitMs) const {
    sockaddr_un addr;
    if (!FillAddress(socketPath_, addr)) return false;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (s < 0) return false;
        if (connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
            bool sent = send(s, kActivate, sizeof kActivate - 1, MSG_NOSIGNAL) == sizeof kActivate - 1;
            close(s);
            return sent;
        }
        close(s);
        // The holder takes the lock a moment before it listens.
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

int InstanceLock::TakeRequests() {
    int asked = 0;
    if (listenFd_ < 0) return 0;
    for (;;) {
        int c = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (c < 0) {
            if (errno == EINTR) continue;
            break;
        }
        // A request is written at once after connecting; a peer that stays
        // silent must not hold the window up for long.
        char buf[16] = {};
        size_t got = 0;
        pollfd p{c, POLLIN, 0};
        while (got < sizeof kActivate - 1 && poll(&p, 1, 500) > 0) {
            ssize_t n = read(c, buf + got, sizeof buf - 1 - got);
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        if (got >= sizeof kActivate - 1 && std::memcmp(buf, kActivate, sizeof kActivate - 1) == 0) ++asked;
        close(c);
    }
    return asked;
}

void InstanceLock::Release() {
    if (listenFd_ >= 0) {
        close(listenFd_);
        listenFd_ = -1;
        unlink(socketPath_.c_str());
    }
    if (lockFd_ >= 0) {
        // The lock file stays: removing it would let a waiting copy lock a
        // file that a newer copy has already replaced.
        close(lockFd_);
        lockFd_ = -1;
    }
}

}  // namespace platform
