// A per-user, per-name lock that tells the first running copy of a program
// from later ones, and a local socket through which a later copy can ask
// the first to come forward. POSIX only: flock on a lock file plus a Unix
// domain socket beside it, both in a folder only this user can enter.
#pragma once

#include <string>

namespace platform {

class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // The folder the lock and socket live in: $XDG_RUNTIME_DIR when it names
    // a folder, else a private folder under /tmp named with the user id.
    static std::string DefaultFolder();

    enum class Result { First, Duplicate, Unavailable };
    // Takes the lock `name` in `folder` (DefaultFolder() when empty). First:
    // this copy holds it and listens for requests. Duplicate: another live
    // copy holds it. Unavailable: the folder or lock could not be used (the
    // reason is in Error()); the caller should carry on as the first copy.
    Result Acquire(const std::string& name, const std::string& folder = {});

    // Duplicate copy: asks the holder to come forward. Waits briefly for a
    // holder that has the lock but is not listening yet; false when no
    // holder answered.
    bool SendActivate(int waitMs = 2000) const;

    // First copy: the descriptor to watch for readability, or -1.
    int ListenFd() const { return listenFd_; }
    // First copy: accepts the pending connections; returns how many asked
    // for activation.
    int TakeRequests();

    // Lets go of the lock and removes the socket (first copy only).
    void Release();

    const std::string& Error() const { return error_; }
    const std::string& SocketPath() const { return socketPath_; }

private:
    int lockFd_ = -1;
    int listenFd_ = -1;
    std::string socketPath_;
    std::string error_;
};

}  // namespace platform
