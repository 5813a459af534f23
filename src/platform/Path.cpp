#include "platform/Path.h"

#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace platform {

namespace {

size_t NameStart(std::string_view path) {
    size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? 0 : slash + 1;
}

// Offset of the extension's dot, or path.size() when the file name has none.
size_t ExtStart(std::string_view path) {
    size_t dot = path.rfind('.');
    return dot == std::string_view::npos || dot < NameStart(path) ? path.size() : dot;
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool StatIs(const std::string& path, mode_t type) {
    struct stat st{};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == type;
}

bool IsAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool HasDrive(std::string_view path) { return path.size() >= 2 && IsAsciiAlpha(path[0]) && path[1] == ':'; }

// The scheme of a URL ("http" of "http://x"), empty when `s` is none: a
// scheme has two characters at least, so "D:" is a drive.
std::string_view UrlScheme(std::string_view s) {
    size_t colon = s.find(':');
    if (colon == std::string_view::npos || colon < 2 || !IsAsciiAlpha(s[0])) return {};
    for (size_t i = 1; i < colon; ++i) {
        char c = s[i];
        if (!IsAsciiAlpha(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') return {};
    }
    return s.substr(0, colon);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = AsciiUpper(c);
    return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

// The local path of a "file:" URL; nullopt for another machine's file.
std::optional<std::string> FileUrlPath(std::string_view url) {
    std::string_view rest = url.substr(5);
    if (rest.substr(0, 2) == "//") {
        rest.remove_prefix(2);
        size_t slash = rest.find('/');
        std::string_view host = rest.substr(0, slash);
        if (!host.empty() && !SameText(host, "localhost")) return std::nullopt;
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
    }
    rest = rest.substr(0, rest.find_first_of("?#"));
    std::string path;
    for (size_t i = 0; i < rest.size(); ++i) {
        int hi, lo;
        if (rest[i] == '%' && i + 2 < rest.size() && (hi = HexDigit(rest[i + 1])) >= 0 &&
            (lo = HexDigit(rest[i + 2])) >= 0) {
            path += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else {
            path += rest[i];
        }
    }
    return path;
}

}  // namespace

bool IsWindowsPath(std::string_view path) { return HasDrive(path) || path.find('\\') != std::string_view::npos; }

bool IsWindowsAbsolutePath(std::string_view path) { return HasDrive(path) || (!path.empty() && path[0] == '\\'); }

bool StartsProgram(const std::string& target) {
    std::string path = target;
    if (std::string_view scheme = UrlScheme(target); !scheme.empty()) {
        if (SameText(scheme, "http") || SameText(scheme, "https") || SameText(scheme, "mailto")) return false;
        if (!SameText(scheme, "file")) return true;
        std::optional<std::string> local = FileUrlPath(target);
        if (!local) return true;
        path = *local;
    }
    const std::string ext = UpperCase(ExtractFileExt(path));
    for (const char* program : {".EXE", ".BAT", ".COM", ".PIF", ".DESKTOP"})
        if (ext == program) return true;
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH));
}

std::string ExtractFilePath(std::string_view path) { return std::string(path.substr(0, NameStart(path))); }

std::string ExtractFileName(std::string_view path) { return std::string(path.substr(NameStart(path))); }

std::string ExtractFileExt(std::string_view path) { return std::string(path.substr(ExtStart(path))); }

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
    std::string out(path.substr(0, ExtStart(path)));
    out.append(ext);
    return out;
}

std::string UpperCase(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = AsciiUpper(c);
    return out;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return true;
}

std::string IncludeTrailingPathDelimiter(std::string_view folder) {
    std::string out(folder);
    if (!out.empty() && out.back() != '/') out += '/';
    return out;
}

std::string ExcludeTrailingPathDelimiter(std::string_view folder) {
    size_t end = folder.size();
    while (end > 1 && folder[end - 1] == '/') --end;
    return std::string(folder.substr(0, end));
}

std::string AbsolutePath(std::string_view path, std::string_view folder) {
    std::string joined = !path.empty() && path.front() == '/' ? std::string(path) : JoinPath(folder, path);
    std::string out;
    bool up = false;
    for (size_t at = 0; at < joined.size();) {
        size_t end = joined.find('/', at);
        if (end == std::string::npos) end = joined.size();
        std::string_view part = std::string_view(joined).substr(at, end - at);
        at = end + 1;
        if (part.empty() || part == ".") continue;
        up = up || part == "..";
        out += '/';
        out += part;
    }
    if (out.empty()) return "/";
    if (!up) return out;
    const std::string name = ExtractFileName(out);
    const std::string parent = name == ".." ? out : ExtractFilePath(out);
    char resolved[PATH_MAX];
    if (!::realpath(parent.c_str(), resolved)) return out;
    return name == ".." ? std::string(resolved) : JoinPath(resolved, name);
}

std::string AbsolutePath(std::string_view path) {
    char buf[PATH_MAX];
    return AbsolutePath(path, ::getcwd(buf, sizeof buf) ? std::string_view(buf) : std::string_view("/"));
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    size_t skip = 0;
    while (skip < name.size() && name[skip] == '/') ++skip;
    name.remove_prefix(skip);
    if (folder.empty()) return std::string(name);
    std::string out = ExcludeTrailingPathDelimiter(folder);
    if (out != "/") out += '/';
    out.append(name);
    return out;
}

bool FileExists(const std::string& path) { return StatIs(path, S_IFREG); }

bool PathExists(const std::string& path) {
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0;
}

bool DirectoryExists(const std::string& path) { return StatIs(path, S_IFDIR); }

std::optional<std::string> FindFileInFolder(const std::string& folder, std::string_view name) {
    if (name.empty() || name.find('/') != std::string_view::npos) return std::nullopt;
    std::string exact = JoinPath(folder, name);
    if (FileExists(exact)) return exact;

    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return std::nullopt;
    std::vector<std::string> matches;
    while (const dirent* entry = ::readdir(dir)) {
        if (SameText(entry->d_name, name)) matches.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    // Directory order is arbitrary; byte order makes the choice repeatable.
    std::sort(matches.begin(), matches.end());
    for (const std::string& match : matches) {
        std::string path = JoinPath(folder, match);
        if (FileExists(path)) return path;
    }
    return std::nullopt;
}

std::string ResolveFixedFile(const std::string& folder, std::string_view name) {
    if (auto found = FindFileInFolder(folder, name)) return *found;
    return JoinPath(folder, name);
}

std::string ProgramFolder() {
    std::vector<char> buf(PATH_MAX);
    for (;;) {
        ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0) break;
        if (static_cast<size_t>(n) < buf.size()) {
            std::string exe(buf.data(), static_cast<size_t>(n));
            if (!exe.empty() && exe.front() == '/') return ExtractFilePath(exe);
            break;
        }
        buf.resize(buf.size() * 2);  // truncated: try again with more room
    }
    if (char* cwd = ::getcwd(nullptr, 0)) {
        std::string folder = IncludeTrailingPathDelimiter(cwd);
        ::free(cwd);
        return folder;
    }
    return "./";
}

}  // namespace platform
