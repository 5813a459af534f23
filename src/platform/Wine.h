// Windows programs (a VKC.EXE, Plomar, the help viewer) run here through
// wine, and files made on Windows name their files by drive paths. This is
// the one place where such paths meet this system's own: a Windows path is
// converted here at the boundary and never used as a file name elsewhere.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Process.h"

namespace platform {

// A file that starts with "MZ": a DOS or Windows executable.
bool IsWindowsProgram(const std::string& path);
// Whether such a program is a 32-bit one (its PE header names an i386 machine).
bool IsWindowsProgram32(const std::string& path);

// Looks an environment variable up; unset and empty are the same here.
using EnvLookup = std::function<std::string(const char* name)>;
EnvLookup ProcessEnvironment();

// The wine prefix in use: $WINEPREFIX, else ~/.wine.
std::string WinePrefix(const EnvLookup& env);
// Whether wine still has to create (or finish) the prefix on its next start.
bool WinePrefixNeedsSetup(const std::string& prefix);

// Where the drive letters of a prefix lead: its dosdevices links ("c:" ->
// "../drive_c", "z:" -> "/"). Folders end with "/"; a letter without a
// link has none.
class WineDrives {
public:
    static WineDrives Read(const std::string& prefix);
    // Just Z: as the root, what a fresh prefix always has.
    static WineDrives Default();

    void Map(char letter, std::string folder);
    const std::string& Folder(char letter) const;  // empty when unmapped

    // An absolute local path in the form a Windows program reads it: the
    // drive with the longest folder holding it ("Z:\home\u\a.R"); nullopt
    // when no drive covers it.
    std::optional<std::string> ToWindows(const std::string& localPath) const;
    // A Windows absolute path with a drive letter, through the mapping;
    // nullopt for an unmapped drive, a UNC path ("\\server\share") or a
    // path that is no absolute drive path. Relative names are not paths
    // of any drive.
    std::optional<std::string> ToLocal(const std::string& windowsPath) const;

private:
    std::array<std::string, 26> folders_;
};

// `path` when it exists, else the existing path whose names differ from it
// in ASCII letter case only (files made on Windows differ in case), taken
// name by name from the root; `path` itself when there is none.
std::string MatchPathCase(const std::string& path);

// A Windows path as one relative to a folder brought over from Windows:
// "D:\work\src\" with the project file in "/home/u/work/" gives
// "/home/u/work/src/": the longest tail of the Windows path's folders that
// starts with the name of one of `base`'s folders (compared ignoring case)
// is taken below that folder. nullopt when no folder name matches.
std::optional<std::string> RebaseWindowsPath(const std::string& windowsPath, const std::string& base);

// Where a Windows path in a file brought from Windows (a project, an install
// information file, the settings file) leads here, `base` being the folder
// of that file:
// 1. through the prefix's drive mapping, when its drive is mapped and the
//    file (or folder) is there;
// 2. else RebaseWindowsPath against `base`;
// 3. else below `base`, keeping the path below the drive ("E:\lib\u.R" with
//    base "/home/u/work/" is "/home/u/work/lib/u.R").
// Names are then matched to the disk ignoring letter case. A relative path
// with "\" gets "/" and is taken in `base`. nullopt for a UNC path
// ("\\server\share\..."), which names no file here.
std::optional<std::string> ResolveWindowsPath(const std::string& windowsPath, const std::string& base,
                                              const WineDrives& drives);

// A local path in Windows form for a file that keeps its paths so: below the
// folder that `windowsFolder` and `localFolder` (where it led) both stand
// for once their common last names are taken off ("D:\work\src\" and
// "/home/u/work/src/" stand for "D:\" and "/home/u/"), else through the
// drive mapping, else as it is.
std::string WindowsPathLike(const std::string& localPath, const std::string& windowsFolder,
                            const std::string& localFolder, const WineDrives& drives);

// A home folder shown as "~" ("/home/u/work/" -> "~/work/").
std::string HomeShortened(const std::string& path, const EnvLookup& env);

// The program that starts wine: the setting when it is not empty (a path,
// or a name looked up on PATH), else "wine" on PATH; empty when not found.
std::string FindWine(const std::string& setting, const EnvLookup& env);
// Whether that wine can run 32-bit programs: Debian's wine script needs its
// 32-bit loader (package wine32 from the i386 architecture) beside the
// 64-bit one; a wine that is itself a 32-bit program can.
bool WineRuns32Bit(const std::string& wine);

// The one-line message for a Windows program that cannot run here, with what
// to install; empty when it can run.
std::string WineMissingMessage(const std::string& program, const std::string& wine);

// How a Windows program is run: through `wine`, with every absolute local
// path among the arguments in Windows form. The environment keeps `spec`'s
// variables in Windows form (a "PATH=" entry becomes WINEPATH, and wine gets
// this process's PATH; with
// `currentDrive` the current-drive entry "=Z:=Z:\x\" names the working
// folder) and adds only what wine itself needs.
ProcessSpec ThroughWine(const ProcessSpec& spec, const std::string& wine, const WineDrives& drives,
                        const EnvLookup& env, bool currentDrive);

// A folder in Windows form with its trailing backslash ("Z:\home\u\"); the
// local path when no drive covers it.
std::string WindowsFolder(const std::string& localFolder, const WineDrives& drives);

}  // namespace platform
