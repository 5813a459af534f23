// The few path and text services the stand-in compiler uses, for its build
// as a Windows program (x86_64-w64-mingw32): paths there take "\" as well as
// "/", drive letters, and the Windows code page functions instead of iconv.
#include <windows.h>

#include <string>
#include <string_view>

#include "platform/Path.h"
#include "platform/ShiftJis.h"

namespace platform {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }

size_t NameStart(std::string_view path) {
    for (size_t i = path.size(); i > 0; --i) {
        // A trail byte 0x5C of a double-byte character is no separator.
        if (!IsSeparator(path[i - 1])) continue;
        size_t lead = 0;
        bool inCharacter = false;
        while (lead < i - 1) {
            if (IsLeadByte(static_cast<unsigned char>(path[lead]))) {
                if (lead + 1 == i - 1) inCharacter = true;
                lead += 2;
            } else {
                ++lead;
            }
        }
        if (!inCharacter) return i;
    }
    return 0;
}

size_t ExtStart(std::string_view path) {
    size_t dot = path.rfind('.');
    return dot == std::string_view::npos || dot < NameStart(path) ? path.size() : dot;
}

std::wstring Wide(std::string_view s, UINT codePage) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

}  // namespace

std::string ExtractFilePath(std::string_view path) { return std::string(path.substr(0, NameStart(path))); }
std::string ExtractFileName(std::string_view path) { return std::string(path.substr(NameStart(path))); }
std::string ExtractFileExt(std::string_view path) { return std::string(path.substr(ExtStart(path))); }

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
    return std::string(path.substr(0, ExtStart(path))) + std::string(ext);
}

std::string UpperCase(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    if (folder.empty()) return std::string(name);
    std::string out(folder);
    if (!IsSeparator(out.back())) out += '\\';
    return out + std::string(name);
}

bool FileExists(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// The Windows file system ignores letter case by itself.
std::optional<std::string> FindFileInFolder(const std::string& folder, std::string_view name) {
    std::string path = JoinPath(folder, name);
    if (FileExists(path)) return path;
    return std::nullopt;
}

std::string ProgramFolder() {
    char buf[MAX_PATH * 4];
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    return ExtractFilePath(std::string_view(buf, n));
}

std::string Utf8ToSjis(std::string_view utf8) {
    std::wstring w = Wide(utf8, CP_UTF8);
    if (w.empty()) return {};
    int n = WideCharToMultiByte(932, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(932, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace platform
