// TSingleInstance: makes sure one copy of the program runs per user and
// desktop session. The first copy holds a lock named `UniqueName` and
// listens for requests; a later copy asks it to come forward and open the
// later copy's files (or fails, or just ends), and ends.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/InstanceLock.h"

namespace app {

enum TDupInstAction { diActivateFirst, diException, diTerminate };

extern const char* const kMainUniqueName;  // "Ident9738"

// The exception of diException, and of a second component in one program.
class ESingleInstance : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TSingleInstance {
public:
    // Fails with "Only single component allowed" while another exists.
    TSingleInstance();
    ~TSingleInstance();
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;

    std::string UniqueName;
    TDupInstAction DupInstAction = diActivateFirst;
    std::string ErrorMessage = "すでに起動されています";
    // Raised in a later copy before DupInstAction is carried out.
    std::function<void(TSingleInstance& sender)> OnDuplicate;
    // Raised in the first copy when a later copy asks it to come forward.
    std::function<void()> OnActivate;
    // Raised in the first copy, after OnActivate, with the files a later
    // copy was started with (absolute paths), when there are any.
    std::function<void(const std::vector<std::string>& files)> OnOpenFiles;
    // Where the lock lives; empty: the per-user default folder, with the
    // lock named for the desktop session as well.
    std::string Folder;
    // A later copy's files, handed to the first copy.
    std::vector<std::string> Files;

    // The owner has finished loading. True: this copy is the first and
    // carries on. False: this copy must end now (the first copy has been
    // asked to come forward for diActivateFirst). Throws ESingleInstance
    // with ErrorMessage for diException.
    bool Loaded();
    bool IsFirst() const { return first_; }
    // First copy: the descriptor to watch; call ServeRequests when readable.
    int RequestFd() const { return lock_.ListenFd(); }
    void ServeRequests();
    // Why the lock could not be used (the program then runs unguarded).
    const std::string& LockError() const { return lock_.Error(); }

private:
    platform::InstanceLock lock_;
    bool first_ = false;
};

// The main window's component: "Ident9738", diActivateFirst.
void ConfigureForMainForm(TSingleInstance& instance);

}  // namespace app
