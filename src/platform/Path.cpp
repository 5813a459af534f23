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

}  // namespace

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
