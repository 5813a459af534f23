// Forming the compiler's command lines, environments and working folders,
// and running it with its output captured.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Process.h"
#include "platform/Ui.h"

namespace build {

constexpr const char* kCompilerName = "VKC.EXE";

// What one build runs. `commandLine` is the line as a user would read it
// (paths unquoted); the process itself gets `spec`'s argument vector.
struct CompilerCommand {
    std::string commandLine;
    platform::ProcessSpec spec;
};

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

// Runs the command with the busy cursor on, keeping the user interface live
// and the pipe drained; returns everything the compiler wrote, or nothing
// when it could not be started. `abort` is checked between polls: when it
// turns true the compiler is ended and what it wrote so far is returned.
std::optional<std::string> RunCompiler(const CompilerCommand& command, platform::Ui& ui, const bool* abort = nullptr);

}  // namespace build
