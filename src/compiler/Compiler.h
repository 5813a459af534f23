// Forming the compiler's command lines, environments and working folders,
// and running it with its output captured.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/Process.h"
#include "platform/Ui.h"
#include "platform/Wine.h"

namespace compiler {

constexpr const char* kCompilerName = "VKC.EXE";

// What one build runs. `commandLine` is the line as a user would read it
// (paths unquoted); the process itself gets `spec`'s argument vector.
struct CompilerCommand {
    std::string commandLine;
    platform::ProcessSpec spec;
    // Compile only names the working folder in a current-drive variable,
    // which only a Windows compiler can read.
    bool currentDrive = false;
    // Set when the compiler cannot run here at all: the one line that says
    // why and what to install.
    std::string cannotRun;
    // The run goes through wine and wine still has to make its prefix.
    bool preparesWine = false;
};

// A Windows compiler (its file starts with "MZ") runs through wine: `wine`
// is the [OPT] WINE setting (empty: "wine" on PATH). A native one is given
// back as it is.
CompilerCommand ForPlatform(CompilerCommand command, const std::string& wine,
                            const platform::EnvLookup& env = platform::ProcessEnvironment());

// The compiler folder followed by "/" unless it already ends with one.
std::string CompilerPrefix(const std::string& compilerFolder);
// The compiler executable in the folder (any letter case); empty when the
// folder setting is empty or holds none.
std::string FindCompiler(const std::string& compilerFolder);

// Compile only: "<prefix>VKC.exe -c <name>" in the source's folder.
CompilerCommand CompileOnlyCommand(const std::string& compilerFolder, const std::string& source);
// Compile and link: "<prefix>VKC <name>" in the source's folder.
CompilerCommand CompileLinkCommand(const std::string& compilerFolder, const std::string& source);
// Quick make: "<prefix>VKC -o <output> <sources...>". `firstSourceFolder` is
// the folder of the first source window; `sources` are the captions of the
// source windows in window order.
CompilerCommand QuickMakeCommand(const std::string& compilerFolder, const std::string& output,
                                 const std::string& firstSourceFolder, const std::vector<std::string>& sources);
// Project make: "<prefix>VKC -o <output> <entries...> " in the project's
// source folder (`dir` ends with "/").
CompilerCommand ProjectMakeCommand(const std::string& compilerFolder, const std::string& executable,
                                   const std::string& dir, const std::vector<std::string>& sources,
                                   const std::vector<std::string>& objects);

// What one run of the compiler gave.
struct CompilerRun {
    enum class End {
        Finished,    // the compiler ended by itself
        Stopped,     // the user stopped it
        CutOff,      // it wrote more than the limit and was stopped
        NotStarted,  // it could not be started: `error` says why
    };
    End end = End::Finished;
    std::string output;  // what it wrote, at most the limit
    std::string error;
};

// Compiler output kept at most; a flood beyond it would only eat memory.
constexpr size_t kOutputLimit = size_t{64} << 20;
// How long a stopped compiler may take to go before it is killed.
constexpr int kStopGraceMs = 2000;

// Runs the command with the busy cursor on, reading its output and keeping
// the user interface serviced at least every 50 ms. When the compiler has
// exited, what it left in the pipe is read and the rest of its process group
// (background children holding the pipe) is ended. `stop` is looked at
// between reads: when it turns true the group is ended (TERM, KILL after
// kStopGraceMs) and what was written so far is kept.
CompilerRun RunCompiler(const CompilerCommand& command, platform::Ui& ui, const bool* stop = nullptr,
                        size_t limit = kOutputLimit);

// The line that closes a run's listing: why it ended early, or why it did
// not start; empty for a run that finished.
std::string CompilerRunNotice(const CompilerCommand& command, const CompilerRun& run);

}  // namespace compiler
