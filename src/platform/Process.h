// A child process started from an argument vector (never through a shell),
// with its own environment and working folder, and its standard output on a
// pipe that the caller drains while it runs. Standard input and standard
// error are this process's own.
//
// The child leads a process group of its own, so that whatever it starts in
// the background can be ended with it. The group is signalled only while the
// leader is not yet reaped: until then its id cannot name anything else.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

struct ProcessSpec {
    std::string program;             // path of the executable
    std::vector<std::string> args;   // without the program name
    std::vector<std::string> env;    // "NAME=value" entries: the whole environment
    std::string workDir;             // empty: this process's current folder
    // Standard output to /dev/null instead of the pipe: a program that is
    // left running (a help viewer) must not fill a pipe nobody reads.
    bool outputToNull = false;
};

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();  // kills a group still there and reaps the leader
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // False, with the system's reason (that of the failed exec or chdir in
    // the child), when the program cannot be started.
    bool Start(const ProcessSpec& spec, std::string* error);

    // Waits up to `waitMs` for output, then reads for at most `budgetMs`,
    // appending to `out` while it is shorter than `limit` and dropping the
    // rest. Returns false once every writer has closed the pipe (then it
    // just waits `waitMs`).
    bool Read(std::string& out, int waitMs, int budgetMs, size_t limit);
    bool PipeOpen() const { return pipe_ >= 0; }

    // Whether the leader has ended; it stays unreaped (a zombie) until Reap.
    bool LeaderExited();
    // Sends `sig` to the whole group; nothing once the leader is reaped.
    void SignalGroup(int sig);
    // Waits for the leader and closes the pipe.
    void Reap();
    int ExitStatus() const { return status_; }

private:
    pid_t pid_ = -1;  // also the group's id
    int pipe_ = -1;
    bool reaped_ = true;
    int status_ = 0;
};

}  // namespace platform
