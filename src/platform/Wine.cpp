#include "platform/Wine.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/Path.h"

namespace platform {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::string ReadHead(const std::string& path, size_t n) {
    std::ifstream in(path, std::ios::binary);
    std::string s(n, '\0');
    in.read(s.data(), static_cast<std::streamsize>(n));
    s.resize(static_cast<size_t>(std::max<std::streamsize>(0, in.gcount())));
    return s;
}

// The names of a path, "." and ".." taken out as the folder tree reads them.
std::vector<std::string> Names(std::string_view path, char sep) {
    std::vector<std::string> names;
    size_t i = 0;
    while (i <= path.size()) {
        size_t j = path.find(sep, i);
        if (j == std::string_view::npos) j = path.size();
        std::string name(path.substr(i, j - i));
        if (name == "..") {
            if (!names.empty()) names.pop_back();
        } else if (!name.empty() && name != ".") {
            names.push_back(std::move(name));
        }
        i = j + 1;
    }
    return names;
}

std::string JoinNames(const std::vector<std::string>& names, size_t from, char sep, bool folder) {
    std::string s;
    for (size_t i = from; i < names.size(); ++i) {
        s += names[i];
        if (i + 1 < names.size() || folder) s += sep;
    }
    return s;
}

// "D:\x\y" -> letter 'd' and the names below the drive; nullopt when the
// path is not absolute on a drive.
struct DrivePath {
    char letter;
    std::vector<std::string> names;
    bool folder;  // ends with a separator
};

std::optional<DrivePath> SplitDrivePath(std::string_view path) {
    if (path.size() < 3 || !IsLetter(path[0]) || path[1] != ':' || (path[2] != '\\' && path[2] != '/'))
        return std::nullopt;
    std::string rest(path.substr(3));
    std::replace(rest.begin(), rest.end(), '/', '\\');
    return DrivePath{Lower(path[0]), Names(rest, '\\'), !rest.empty() && rest.back() == '\\'};
}

std::string SearchPath(const std::string& name, const EnvLookup& env) {
    if (name.find('/') != std::string::npos) return ::access(name.c_str(), X_OK) == 0 ? name : std::string();
    std::string path = env("PATH");
    if (path.empty()) path = "/usr/local/bin:/usr/bin:/bin";
    size_t i = 0;
    while (i <= path.size()) {
        size_t j = path.find(':', i);
        if (j == std::string::npos) j = path.size();
        std::string dir = path.substr(i, j - i);
        if (dir.empty()) dir = ".";
        std::string candidate = JoinPath(dir, name);
        if (FileExists(candidate) && ::access(candidate.c_str(), X_OK) == 0) return candidate;
        i = j + 1;
    }
    return {};
}

}  // namespace

bool IsWindowsProgram(const std::string& path) { return ReadHead(path, 2) == "MZ"; }

bool IsWindowsProgram32(const std::string& path) {
    std::string head = ReadHead(path, 4096);
    if (head.size() < 0x40 || head.compare(0, 2, "MZ") != 0) return false;
    auto u32 = [&](size_t at) {
        return static_cast<uint32_t>(static_cast<unsigned char>(head[at])) |
               static_cast<uint32_t>(static_cast<unsigned char>(head[at + 1])) << 8 |
               static_cast<uint32_t>(static_cast<unsigned char>(head[at + 2])) << 16 |
               static_cast<uint32_t>(static_cast<unsigned char>(head[at + 3])) << 24;
    };
    uint32_t pe = u32(0x3C);
    if (pe + 6 > head.size() || head.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return false;
    unsigned machine = static_cast<unsigned char>(head[pe + 4]) | static_cast<unsigned char>(head[pe + 5]) << 8;
    return machine == 0x14C;
}

EnvLookup ProcessEnvironment() {
    return [](const char* name) {
        const char* v = std::getenv(name);
        return v ? std::string(v) : std::string();
    };
}

std::string WinePrefix(const EnvLookup& env) {
    std::string prefix = env("WINEPREFIX");
    if (prefix.empty()) prefix = JoinPath(env("HOME"), ".wine");
    return IncludeTrailingPathDelimiter(prefix);
}

bool WinePrefixNeedsSetup(const std::string& prefix) {
    // wine writes system.reg last when it makes a prefix.
    return !FileExists(JoinPath(prefix, "system.reg"));
}

WineDrives WineDrives::Default() {
    WineDrives d;
    d.Map('z', "/");
    return d;
}

WineDrives WineDrives::Read(const std::string& prefix) {
    WineDrives d;
    const std::string dosdevices = JoinPath(prefix, "dosdevices");
    DIR* dir = ::opendir(dosdevices.c_str());
    if (!dir) return Default();
    while (const dirent* e = ::readdir(dir)) {
        std::string name = e->d_name;
        // "c:" is a drive; "c::" is the device under it, "com1" a port.
        if (name.size() != 2 || !IsLetter(name[0]) || name[1] != ':') continue;
        std::string link = JoinPath(dosdevices, name);
        std::vector<char> buf(4096);
        ssize_t n = ::readlink(link.c_str(), buf.data(), buf.size() - 1);
        if (n <= 0) continue;
        std::string target(buf.data(), static_cast<size_t>(n));
        if (target.front() != '/') target = IncludeTrailingPathDelimiter(dosdevices) + target;
        d.Map(name[0], target);
    }
    ::closedir(dir);
    return d;
}

void WineDrives::Map(char letter, std::string folder) {
    if (!IsLetter(letter)) return;
    // Kept without "." and "..", so that a path compares with it by its names.
    std::string normal = "/" + JoinNames(Names(folder, '/'), 0, '/', true);
    folders_[static_cast<size_t>(Lower(letter) - 'a')] = folder.empty() ? std::string() : normal;
}

const std::string& WineDrives::Folder(char letter) const {
    static const std::string none;
    return IsLetter(letter) ? folders_[static_cast<size_t>(Lower(letter) - 'a')] : none;
}

std::optional<std::string> WineDrives::ToWindows(const std::string& localPath) const {
    if (localPath.empty() || localPath.front() != '/') return std::nullopt;
    std::vector<std::string> names = Names(localPath, '/');
    bool folder = localPath.back() == '/';
    int best = -1;
    size_t bestDepth = 0;
    for (int i = 0; i < 26; ++i) {
        if (folders_[static_cast<size_t>(i)].empty()) continue;
        std::vector<std::string> root = Names(folders_[static_cast<size_t>(i)], '/');
        if (root.size() > names.size() || !std::equal(root.begin(), root.end(), names.begin())) continue;
        if (best < 0 || root.size() > bestDepth) {
            best = i;
            bestDepth = root.size();
        }
    }
    if (best < 0) return std::nullopt;
    std::string out;
    out += static_cast<char>('A' + best);
    out += ":\\";
    out += JoinNames(names, bestDepth, '\\', folder && names.size() > bestDepth);
    return out;
}

std::optional<std::string> WineDrives::ToLocal(const std::string& windowsPath) const {
    std::optional<DrivePath> p = SplitDrivePath(windowsPath);
    if (!p) return std::nullopt;
    const std::string& root = Folder(p->letter);
    if (root.empty()) return std::nullopt;
    return root + JoinNames(p->names, 0, '/', p->folder && !p->names.empty());
}

std::string MatchPathCase(const std::string& path) {
    if (path.empty() || path.front() != '/' || PathExists(path)) return path;
    std::vector<std::string> names = Names(path, '/');
    std::string at = "/";
    for (size_t i = 0; i < names.size(); ++i) {
        std::string next = at + names[i];
        if (!PathExists(next)) {
            DIR* dir = ::opendir(at.c_str());
            if (!dir) return path;
            std::vector<std::string> matches;
            while (const dirent* e = ::readdir(dir))
                if (SameText(e->d_name, names[i])) matches.emplace_back(e->d_name);
            ::closedir(dir);
            if (matches.empty()) return path;
            std::sort(matches.begin(), matches.end());  // the same choice every time
            next = at + matches.front();
        }
        at = next;
        if (i + 1 < names.size()) at += '/';
    }
    if (path.back() == '/' && at.back() != '/') at += '/';
    return at;
}

std::optional<std::string> RebaseWindowsPath(const std::string& windowsPath, const std::string& base) {
    std::optional<DrivePath> p = SplitDrivePath(windowsPath);
    if (!p || base.empty() || base.front() != '/') return std::nullopt;
    std::vector<std::string> baseNames = Names(base, '/');
    // The deepest of base's folders first: the project file most likely
    // stayed in the folder it had on Windows.
    for (size_t depth = baseNames.size(); depth > 0; --depth) {
        const std::string& name = baseNames[depth - 1];
        for (size_t k = p->names.size(); k > 0; --k) {
            if (!SameText(p->names[k - 1], name)) continue;
            if (k == p->names.size() && !p->folder) continue;  // the file itself is no folder
            std::string out = "/";
            for (size_t i = 0; i < depth; ++i) out += baseNames[i] + "/";
            std::vector<std::string> rest(p->names.begin() + static_cast<std::ptrdiff_t>(k), p->names.end());
            return out + JoinNames(rest, 0, '/', p->folder && !rest.empty());
        }
    }
    return std::nullopt;
}

std::optional<std::string> ResolveWindowsPath(const std::string& windowsPath, const std::string& base,
                                              const WineDrives& drives) {
    if (windowsPath.compare(0, 2, "\\\\") == 0 || windowsPath.compare(0, 2, "//") == 0) return std::nullopt;
    std::string folder = IncludeTrailingPathDelimiter(base);
    std::optional<DrivePath> p = SplitDrivePath(windowsPath);
    if (!p) {
        std::string rel = windowsPath;
        std::replace(rel.begin(), rel.end(), '\\', '/');
        // "\x\y": the root of the file's own drive, which here is its folder.
        while (!rel.empty() && rel.front() == '/') rel.erase(0, 1);
        return MatchPathCase(folder + rel);
    }
    if (std::optional<std::string> mapped = drives.ToLocal(windowsPath)) {
        std::string local = MatchPathCase(*mapped);
        if (PathExists(local)) return local;
    }
    if (std::optional<std::string> rebased = RebaseWindowsPath(windowsPath, folder)) return MatchPathCase(*rebased);
    return MatchPathCase(folder + JoinNames(p->names, 0, '/', p->folder && !p->names.empty()));
}

std::string WindowsPathLike(const std::string& localPath, const std::string& windowsFolder,
                            const std::string& localFolder, const WineDrives& drives) {
    std::string win = windowsFolder;
    std::replace(win.begin(), win.end(), '/', '\\');
    if (win.empty() || win.back() != '\\') win += '\\';
    std::string local = IncludeTrailingPathDelimiter(localFolder);
    while (win.size() > 1 && local.size() > 1) {
        size_t w = win.find_last_of('\\', win.size() - 2);
        size_t l = local.find_last_of('/', local.size() - 2);
        if (w == std::string::npos || l == std::string::npos || w < 2) break;
        if (!SameText(win.substr(w + 1, win.size() - w - 2), local.substr(l + 1, local.size() - l - 2))) break;
        win.resize(w + 1);
        local.resize(l + 1);
    }
    if (!local.empty() && local.front() == '/' && localPath.compare(0, local.size(), local) == 0) {
        std::string rest = localPath.substr(local.size());
        std::replace(rest.begin(), rest.end(), '/', '\\');
        return win + rest;
    }
    return drives.ToWindows(localPath).value_or(localPath);
}

std::string HomeShortened(const std::string& path, const EnvLookup& env) {
    std::string home = ExcludeTrailingPathDelimiter(env("HOME"));
    if (home.empty() || home == "/" || path.compare(0, home.size(), home) != 0) return path;
    if (path.size() > home.size() && path[home.size()] != '/') return path;
    return "~" + path.substr(home.size());
}

std::string FindWine(const std::string& setting, const EnvLookup& env) {
    return SearchPath(setting.empty() ? std::string("wine") : setting, env);
}

bool WineRuns32Bit(const std::string& wine) {
    std::string head = ReadHead(wine, 5);
    if (head.size() == 5 && head.compare(0, 4, "\x7F" "ELF") == 0) return head[4] == 1;  // ELFCLASS32
    if (head.compare(0, 2, "#!") == 0) {
        // Debian's wine script runs the 32-bit loader when it is there.
        std::ifstream in(wine, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        size_t at = text.find("wine32=");
        if (at == std::string::npos) return true;  // some other launcher: let it try
        size_t end = text.find_first_of("\r\n", at);
        std::string loader = text.substr(at + 7, end == std::string::npos ? std::string::npos : end - at - 7);
        return ::access(loader.c_str(), X_OK) == 0;
    }
    return true;
}

std::string WineMissingMessage(const std::string& program, const std::string& wine) {
    const std::string name = ExtractFileName(program);
    if (wine.empty())
        return name + " は Windows のプログラムです。wine をインストールしてください (apt-get install wine)";
    if (IsWindowsProgram32(program) && !WineRuns32Bit(wine))
        return name + " は 32 ビットの Windows のプログラムです。wine32 をインストールしてください "
                      "(dpkg --add-architecture i386 && apt-get update && apt-get install wine32:i386)";
    return {};
}

std::string WindowsFolder(const std::string& localFolder, const WineDrives& drives) {
    std::optional<std::string> w = drives.ToWindows(IncludeTrailingPathDelimiter(localFolder));
    if (!w) return localFolder;
    if (w->back() != '\\') *w += '\\';
    return *w;
}

ProcessSpec ThroughWine(const ProcessSpec& spec, const std::string& wine, const WineDrives& drives,
                        const EnvLookup& env, bool currentDrive) {
    ProcessSpec w;
    w.program = wine;
    w.workDir = spec.workDir;  // wine makes it the program's current folder
    w.outputToNull = spec.outputToNull;
    // The program by its local path: wine takes that and maps it itself.
    w.args.push_back(spec.program);
    for (const std::string& a : spec.args) {
        std::optional<std::string> converted = a.empty() || a.front() != '/' ? std::nullopt : drives.ToWindows(a);
        w.args.push_back(converted.value_or(a));
    }
    for (const std::string& e : spec.env) {
        if (e.compare(0, 5, "PATH=") == 0) {
            // wine builds the program's PATH from its registry and WINEPATH;
            // wine itself (a wrapper script, say) runs with this process's.
            w.env.push_back("WINEPATH=" + WindowsFolder(e.substr(5), drives));
            const std::string own = env("PATH");
            w.env.push_back(own.empty() ? e : "PATH=" + own);
            continue;
        }
        w.env.push_back(e);
    }
    if (currentDrive && !spec.workDir.empty()) {
        std::string folder = WindowsFolder(spec.workDir, drives);
        if (folder.size() >= 2 && folder[1] == ':') w.env.push_back("=" + folder.substr(0, 2) + "=" + folder);
    }
    // What wine itself needs besides the program's variables: HOME and
    // WINEPREFIX to find its prefix, the display and the runtime folder for
    // windows a program may open, and WINEDEBUG=-all so that wine's own
    // notes stay out of the way (they go to standard error in any case).
    for (const char* name : {"HOME", "WINEPREFIX", "DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"}) {
        std::string v = env(name);
        if (!v.empty()) w.env.push_back(std::string(name) + "=" + v);
    }
    w.env.push_back("WINEDEBUG=-all");
    return w;
}

}  // namespace platform
