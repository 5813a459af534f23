// A per-user, per-name lock that tells the first running copy of a program
// from later ones, and a local socket through which a later copy can ask
// the first to come forward and open its files. POSIX only: flock on a lock
// file plus a Unix domain socket beside it, both in a folder only this user
// can enter. The first copy reads requests on a thread of its own, so a
// slow or silent client never holds up the caller.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace platform {

class InstanceLock {
public:
    InstanceLock();
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // The folder the lock and socket live in: $XDG_RUNTIME_DIR when it names
    // a folder, else a private folder under /tmp named with the user id.
    static std::string DefaultFolder();
    // The desktop session this process belongs to, for lock names: the
    // Wayland or X display name, made safe for a file name ("" without one).
    static std::string SessionName();

    enum class Result { First, Duplicate, Unavailable };
    // Takes the lock `name` in `folder` (DefaultFolder() when empty). First:
    // this copy holds it and listens for requests. Duplicate: another live
    // copy holds it. Unavailable: the folder or lock could not be used (the
    // reason is in Error()); the caller should carry on as the first copy.
    Result Acquire(const std::string& name, const std::string& folder = {});

    // Duplicate copy: asks the holder to come forward and open `files`.
    // Waits briefly for a holder that has the lock but is not listening
    // yet; false when no holder answered.
    bool SendActivate(int waitMs = 2000, const std::vector<std::string>& files = {}) const;

    struct Request {
        std::vector<std::string> files;
    };
    // First copy: the descriptor that becomes readable when requests wait, or -1.
    int ListenFd() const;
    // First copy: the requests that have come in whole since the last call;
    // never waits.
    std::vector<Request> TakeRequests();

    // Lets go of the lock and removes the socket (first copy only).
    void Release();

    const std::string& Error() const { return error_; }
    const std::string& SocketPath() const { return socketPath_; }

private:
    class Listener;
    int lockFd_ = -1;
    int listenFd_ = -1;
    std::unique_ptr<Listener> listener_;
    std::string socketPath_;
    std::string error_;
};

}  // namespace platform
