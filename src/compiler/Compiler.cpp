#include "compiler/Compiler.h"

#include <signal.h>

#include <chrono>

#include "platform/Path.h"

namespace compiler {

namespace {

using platform::ExtractFileName;
using platform::ExtractFilePath;
using platform::UpperCase;

CompilerCommand Make(const std::string& compilerFolder, const std::string& shown, std::vector<std::string> args,
                     const std::string& workDir) {
    CompilerCommand c;
    c.commandLine = CompilerPrefix(compilerFolder) + shown;
    c.spec.program = FindCompiler(compilerFolder);
    if (c.spec.program.empty()) c.spec.program = CompilerPrefix(compilerFolder) + kCompilerName;
    c.spec.args = std::move(args);
    // The whole environment of the compiler: its folder as the search path.
    c.spec.env = {"PATH=" + compilerFolder};
    c.spec.workDir = workDir;
    return c;
}

}  // namespace

std::string CompilerPrefix(const std::string& compilerFolder) {
    if (!compilerFolder.empty() && compilerFolder.back() == '/') return compilerFolder;
    return compilerFolder + "/";
}

std::string FindCompiler(const std::string& compilerFolder) {
    if (compilerFolder.empty()) return {};
    return platform::FindFileInFolder(compilerFolder, kCompilerName).value_or(std::string());
}

CompilerCommand CompileOnlyCommand(const std::string& compilerFolder, const std::string& source) {
    std::string name = ExtractFileName(source);
    CompilerCommand c = Make(compilerFolder, "VKC.exe -c " + name, {"-c", name}, ExtractFilePath(source));
    c.currentDrive = true;
    return c;
}

CompilerCommand CompileLinkCommand(const std::string& compilerFolder, const std::string& source) {
    std::string name = ExtractFileName(source);
    return Make(compilerFolder, "VKC " + name, {name}, ExtractFilePath(source));
}

CompilerCommand QuickMakeCommand(const std::string& compilerFolder, const std::string& output,
                                 const std::string& firstSourceFolder, const std::vector<std::string>& sources) {
    std::string outFolder = ExtractFilePath(output);
    // The working folder is compared in upper case but used as it is: an
    // upper-cased path need not exist here.
    std::string upperWork = UpperCase(outFolder);
    std::string out = firstSourceFolder == outFolder ? ExtractFileName(output) : output;
    std::string shown = "VKC -o " + out;
    std::vector<std::string> args = {"-o", out};
    for (const std::string& src : sources) {
        std::string entry = UpperCase(ExtractFilePath(src)) == upperWork ? ExtractFileName(src) : src;
        shown += " " + entry;
        args.push_back(entry);
    }
    return Make(compilerFolder, shown, std::move(args), outFolder);
}

CompilerCommand ProjectMakeCommand(const std::string& compilerFolder, const std::string& executable,
                                   const std::string& dir, const std::vector<std::string>& sources,
                                   const std::vector<std::string>& objects) {
    std::string out = UpperCase(ExtractFilePath(executable)) == UpperCase(dir) ? ExtractFileName(executable) : executable;
    std::string shown = "VKC -o " + out + " ";
    std::vector<std::string> args = {"-o", out};
    auto add = [&](const std::string& entry) {
        std::string e = ExtractFilePath(entry) == dir ? ExtractFileName(entry) : entry;
        shown += e + " ";
        args.push_back(e);
    };
    for (const std::string& s : sources)
        if (UpperCase(platform::ExtractFileExt(s)) != ".H") add(s);
    for (const std::string& o : objects) add(o);
    return Make(compilerFolder, shown, std::move(args), dir);
}

CompilerCommand ForPlatform(CompilerCommand command, const std::string& wine, const platform::EnvLookup& env) {
    if (!platform::IsWindowsProgram(command.spec.program)) return command;
    std::string found = platform::FindWine(wine, env);
    command.cannotRun = platform::WineMissingMessage(command.spec.program, found);
    if (!command.cannotRun.empty()) return command;
    const std::string prefix = platform::WinePrefix(env);
    command.preparesWine = platform::WinePrefixNeedsSetup(prefix);
    command.spec = platform::ThroughWine(command.spec, found, platform::WineDrives::Read(prefix), env,
                                         command.currentDrive);
    return command;
}

CompilerRun RunCompiler(const CompilerCommand& command, platform::Ui& ui, const bool* stop, size_t limit) {
    struct Busy {
        platform::Ui& ui;
        explicit Busy(platform::Ui& u) : ui(u) { ui.SetBusy(true); }
        ~Busy() { ui.SetBusy(false); }
    } busy(ui);

    CompilerRun run;
    if (!command.cannotRun.empty()) {
        run.end = CompilerRun::End::NotStarted;
        run.error = command.cannotRun;
        return run;
    }
    platform::ChildProcess child;
    if (!child.Start(command.spec, &run.error)) {
        run.end = CompilerRun::End::NotStarted;
        return run;
    }
    using Clock = std::chrono::steady_clock;
    // Reads are cut into slices so that the user interface gets its turn
    // between them, however fast the compiler writes.
    constexpr int kWaitMs = 10;
    constexpr int kSliceMs = 25;
    bool ending = false;  // the group was told to go
    Clock::time_point killAt;
    auto endGroup = [&] {
        ending = true;
        killAt = Clock::now() + std::chrono::milliseconds(kStopGraceMs);
        child.SignalGroup(SIGTERM);
    };
    for (;;) {
        bool open = child.Read(run.output, kWaitMs, kSliceMs, limit);
        ui.ProcessEvents();
        if (!ending) {
            if (run.output.size() >= limit) {
                run.end = CompilerRun::End::CutOff;
                endGroup();
            } else if (stop && *stop) {
                run.end = CompilerRun::End::Stopped;
                endGroup();
            } else if (child.LeaderExited()) {
                // Anything it left running in the background goes with it.
                endGroup();
            }
            continue;
        }
        if (!open && child.LeaderExited()) break;
        if (Clock::now() >= killAt) {
            child.SignalGroup(SIGKILL);
            // What the killed writers left behind. A writer that left the
            // group could hold the pipe for ever: it gets a short while only.
            auto giveUp = Clock::now() + std::chrono::milliseconds(200);
            while (child.Read(run.output, kWaitMs, kSliceMs, limit) && Clock::now() < giveUp) ui.ProcessEvents();
            break;
        }
    }
    child.Reap();
    return run;
}

std::string CompilerRunNotice(const CompilerCommand& command, const CompilerRun& run) {
    switch (run.end) {
        case CompilerRun::End::Finished: return {};
        case CompilerRun::End::Stopped: return "*** コンパイルを中止しました ***";
        case CompilerRun::End::CutOff:
            return "*** 出力が " + std::to_string(run.output.size()) +
                   " バイトを超えたため、以降を打ち切ってコンパイラを止めました ***";
        case CompilerRun::End::NotStarted:
            if (!command.cannotRun.empty()) return command.cannotRun;
            return command.commandLine + " を起動できません: " + run.error;
    }
    return {};
}

}  // namespace compiler
