#include "build/Compiler.h"

#include "platform/Path.h"

namespace build {

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
    return Make(compilerFolder, "VKC.exe -c " + name, {"-c", name}, ExtractFilePath(source));
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

std::optional<std::string> RunCompiler(const CompilerCommand& command, platform::Ui& ui, const bool* abort) {
    struct Busy {
        platform::Ui& ui;
        explicit Busy(platform::Ui& u) : ui(u) { ui.SetBusy(true); }
        ~Busy() { ui.SetBusy(false); }
    } busy(ui);

    platform::ChildProcess child;
    if (!child.Start(command.spec, nullptr)) return std::nullopt;
    std::string output;
    // Reading while waiting keeps the pipe from filling and stopping the compiler.
    while (child.Pump(output, 10)) {
        ui.ProcessEvents();
        if (abort && *abort) {
            child.Terminate();
            break;
        }
    }
    child.Drain(output, 200);
    return output;
}

}  // namespace build
