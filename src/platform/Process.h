// A child process started from an argument vector (never through a shell),
// with its own environment and working folder, and its standard output on a
// pipe that the caller drains while it runs. Standard input and standard
// error are this process's own.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace platform {

struct ProcessSpec {
    std::string program;             // path of the executable
    std::vector<std::string> args;   // without the program name
    std::vector<std::string> env;    // "NAME=value" entries: the whole environment
    std::string workDir;             // empty: this process's current folder
};

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();  // ends a child that still runs
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // False (with the reason) when the program cannot be started.
    bool Start(const ProcessSpec& spec, std::string* error);
    // Reads what is there without blocking longer than `waitMs` for output;
    // returns whether the child still runs.
    bool Pump(std::string& out, int waitMs);
    // After the child ended: what is still in the pipe, up to its end. Stops
    // early if something else keeps the pipe open and stays silent for
    // `quietMs`.
    void Drain(std::string& out, int quietMs);
    // Ends the child: TERM, then KILL when it does not go within `graceMs`.
    void Terminate(int graceMs = 500);
    bool Running() const { return pid_ > 0 && !exited_; }
    int ExitStatus() const { return status_; }

private:
    bool ReadAvailable(std::string& out);
    void Reap(bool block);

    pid_t pid_ = -1;
    int pipe_ = -1;
    bool exited_ = false;
    int status_ = 0;
};

}  // namespace platform
