#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <stdexcept>
#include <mutex>
#include <thread>

namespace platform {
namespace {

// A request: this line, then each file's path ended by a NUL byte; the
// client closes its end when it has written all.
constexpr char kActivate[] = "activate\n";
constexpr size_t kActivateSize = sizeof kActivate - 1;
// A client that does not finish in this time, or writes more, is dropped.
constexpr int kClientMs = 2000;
constexpr size_t kRequestLimit = 1 << 20;

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

// Accepts clients and reads them all at once with poll, so that no client
// waits for another; whole requests are queued and the wake pipe is written.
class InstanceLock::Listener {
public:
    explicit Listener(int listenFd) : listenFd_(listenFd) {
        if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0 || pipe2(stop_, O_CLOEXEC | O_NONBLOCK) != 0)
            throw std::runtime_error(std::strerror(errno));
        thread_ = std::thread([this] { Run(); });
    }
    ~Listener() {
        char b = 0;
        (void)!write(stop_[1], &b, 1);
        thread_.join();
        for (int fd : {wake_[0], wake_[1], stop_[0], stop_[1]}) close(fd);
    }
    int WakeFd() const { return wake_[0]; }
    std::vector<Request> Take() {
        char buf[64];
        while (read(wake_[0], buf, sizeof buf) > 0) {
        }
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<Request> out(std::make_move_iterator(queue_.begin()), std::make_move_iterator(queue_.end()));
        queue_.clear();
        return out;
    }

private:
    struct Client {
        int fd;
        std::chrono::steady_clock::time_point deadline;
        std::string data;
    };

    void Run() {
        std::vector<Client> clients;
        for (;;) {
            std::vector<pollfd> fds{{stop_[0], POLLIN, 0}, {listenFd_, POLLIN, 0}};
            auto now = std::chrono::steady_clock::now();
            int timeout = -1;
            for (const Client& c : clients) {
                fds.push_back({c.fd, POLLIN, 0});
                auto left = std::chrono::duration_cast<std::chrono::milliseconds>(c.deadline - now).count();
                timeout = timeout < 0 ? static_cast<int>(std::max<long long>(left, 0))
                                      : std::min(timeout, static_cast<int>(std::max<long long>(left, 0)));
            }
            if (poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) break;
            if (fds[0].revents) break;
            if (fds[1].revents & POLLIN) {
                for (;;) {
                    int c = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
                    if (c < 0) break;
                    clients.push_back({c, std::chrono::steady_clock::now() + std::chrono::milliseconds(kClientMs), {}});
                }
            }
            now = std::chrono::steady_clock::now();
            for (size_t i = 0; i < clients.size();) {
                Client& c = clients[i];
                bool done = false, keep = true;
                short revents = i + 2 < fds.size() && fds[i + 2].fd == c.fd ? fds[i + 2].revents : 0;
                if (revents) {
                    char buf[4096];
                    for (;;) {
                        ssize_t n = read(c.fd, buf, sizeof buf);
                        if (n > 0) {
                            c.data.append(buf, static_cast<size_t>(n));
                            if (c.data.size() > kRequestLimit) keep = false;
                            if (!keep) break;
                            continue;
                        }
                        if (n == 0) done = true;
                        else if (errno != EAGAIN && errno != EINTR) keep = false;
                        break;
                    }
                }
                if (!done && now >= c.deadline) keep = false;
                if (done) Queue(c.data);
                if (done || !keep) {
                    close(c.fd);
                    clients.erase(clients.begin() + static_cast<std::ptrdiff_t>(i));
                    fds.erase(fds.begin() + static_cast<std::ptrdiff_t>(i) + 2);
                } else {
                    ++i;
                }
            }
        }
        for (const Client& c : clients) close(c.fd);
    }

    void Queue(const std::string& data) {
        if (data.compare(0, kActivateSize, kActivate) != 0) return;
        Request r;
        size_t pos = kActivateSize;
        for (size_t end; (end = data.find('\0', pos)) != std::string::npos; pos = end + 1)
            if (end > pos) r.files.push_back(data.substr(pos, end - pos));
        {
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.push_back(std::move(r));
        }
        char b = 1;
        (void)!write(wake_[1], &b, 1);
    }

    int listenFd_;
    int wake_[2] = {-1, -1};
    int stop_[2] = {-1, -1};
    std::mutex mutex_;
    std::deque<Request> queue_;
    std::thread thread_;
};

InstanceLock::InstanceLock() = default;
InstanceLock::~InstanceLock() { Release(); }

std::string InstanceLock::SessionName() {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* x = std::getenv("DISPLAY");
    std::string name = wayland && *wayland ? std::string("wl-") + wayland : x && *x ? std::string(x) : std::string();
    // ":0" and ":0.0" are one X display (a terminal often has the one, the
    // desktop's launcher the other): the screen number is no session.
    if (!(wayland && *wayland)) {
        size_t colon = name.rfind(':'), dot = name.rfind('.');
        if (colon != std::string::npos && dot != std::string::npos && dot > colon + 1 &&
            name.find_first_not_of("0123456789", dot + 1) == std::string::npos)
            name.erase(dot);
    }
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != ':' && c != '_') c = '_';
    return name;
}

int InstanceLock::ListenFd() const { return listener_ ? listener_->WakeFd() : -1; }

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
    try {
        listener_ = std::make_unique<Listener>(s);
    } catch (const std::exception& e) {
        error_ = socketPath_ + ": " + e.what();
    }
    return Result::First;
}

bool InstanceLock::SendActivate(int waitMs, const std::vector<std::string>& files) const {
    sockaddr_un addr;
    if (!FillAddress(socketPath_, addr)) return false;
    std::string request(kActivate, kActivateSize);
    for (const std::string& f : files) {
        request += f;
        request += '\0';
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (s < 0) return false;
        if (connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
            size_t sent = 0;
            while (sent < request.size()) {
                ssize_t n = send(s, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) break;
                sent += static_cast<size_t>(n);
            }
            close(s);
            return sent == request.size();
        }
        close(s);
        // The holder takes the lock a moment before it listens.
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

std::vector<InstanceLock::Request> InstanceLock::TakeRequests() {
    return listener_ ? listener_->Take() : std::vector<Request>{};
}

void InstanceLock::Release() {
    listener_.reset();
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
