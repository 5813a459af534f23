// Path rules of the program, mapped to POSIX paths (UTF-8, "/" separators).
//
// The folder part of a path runs up to and including its last "/"; the file
// name is the rest; the extension starts at the last "." of the file name, so
// a dot in a folder name never counts and a name without a dot has none.
// Names compare ignoring ASCII case, as a Windows user expects.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

std::string ExtractFilePath(std::string_view path);  // "a/b.c/d.txt" -> "a/b.c/"
std::string ExtractFileName(std::string_view path);  // "a/b.c/d.txt" -> "d.txt"
std::string ExtractFileExt(std::string_view path);   // "a/b.c/d.txt" -> ".txt"; "a/b.c/d" -> ""

// Replaces the extension (or appends one when there is none); ext includes
// its dot, and an empty ext removes the extension.
std::string ChangeFileExt(std::string_view path, std::string_view ext);

// ASCII letters only; bytes of multi-byte UTF-8 characters are left alone.
std::string UpperCase(std::string_view s);
bool SameText(std::string_view a, std::string_view b);

// "" stays "" (the current folder; making it "/" would mean the root).
std::string IncludeTrailingPathDelimiter(std::string_view folder);
// Removes every trailing "/", but the root "/" stays itself.
std::string ExcludeTrailingPathDelimiter(std::string_view folder);
// Exactly one "/" between folder and name; an empty folder gives name alone.
std::string JoinPath(std::string_view folder, std::string_view name);

// `path` made absolute against `folder` (itself absolute): "." and empty
// parts dropped; ".." resolved through the file system (realpath of the
// folder part), since a link before it decides where it leads, and kept as
// written when that folder does not exist.
std::string AbsolutePath(std::string_view path, std::string_view folder);
// The same against the process's working folder.
std::string AbsolutePath(std::string_view path);

// A path written on Windows: a drive ("D:") in front or a backslash anywhere.
// It names no file here, so it is never used as a file name.
bool IsWindowsPath(std::string_view path);
// Absolute on Windows: a drive letter ("D:") or a leading backslash.
bool IsWindowsAbsolutePath(std::string_view path);

// Whether handing `target` (a path or a URL) to the desktop's opener could
// start a program rather than show a document: Windows program extensions,
// .desktop launchers, executable files of any name, and URL schemes other
// than file, http, https and mailto (a file URL is judged by its file).
bool StartsProgram(const std::string& target);

bool FileExists(const std::string& path);       // a regular file, or a link to one
bool PathExists(const std::string& path);       // anything at all (links followed)
bool DirectoryExists(const std::string& path);  // a directory, or a link to one

// The path of the file called `name` in `folder`: the exact spelling when such
// a file exists, otherwise the one whose name equals it ignoring ASCII case
// (the first in byte order when several do, so the answer is deterministic).
// nullopt when there is none, when the folder is missing or unreadable, or
// when name is empty or contains "/".
std::optional<std::string> FindFileInFolder(const std::string& folder, std::string_view name);

// FindFileInFolder, else the path a new file of the canonical name gets.
std::string ResolveFixedFile(const std::string& folder, std::string_view name);

// The folder of the running executable, with a trailing "/"; the current
// folder when that cannot be determined.
std::string ProgramFolder();

}  // namespace platform
