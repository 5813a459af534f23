// The open project: what goes into one plug-in executable, as held in memory
// and as stored in its .PRJ file (an INI file; strings are UTF-8 here and
// Shift-JIS in the file, and a value read from the file goes back in the bytes
// it was read as while its text stays as read). A non-empty `name` is what "a
// project is open" means everywhere.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/IniFile.h"
#include "platform/Wine.h"

namespace project {

// The four ordered lists of a project.
enum class EntryList { Sources, Objects, Documents, References };
constexpr EntryList kEntryLists[] = {EntryList::Sources, EntryList::Objects, EntryList::Documents,
                                     EntryList::References};

// Entries read per list at most, whatever count the file claims.
constexpr int kMaxEntriesRead = 99;

// The file's key of the 1-based entry `position` ("r01", "ro07", "DOC12",
// "REF100").
std::string EntryKey(EntryList list, int position);

// Whether `ini` can be a project file: it has one of the six sections or
// nothing but blank lines.
bool IsProjectFile(const platform::IniFile& ini);

class ProjectModel {
public:
    std::string projectFile;   // not stored: where the project is read from and written to
    std::string name;          // PROJECT Name
    std::string executable;    // PROJECT RX
    std::string sourceFolder;  // R DIR: normally ends with "/", kept as stored when it does not
    std::string installInfo;   // RI INSTALL; empty for none

    bool IsOpen() const { return !name.empty(); }

    // Entries keep the order in which they were read or added; a hand-edited
    // file may give duplicates or empty strings, which stay as they are.
    const std::vector<std::string>& List(EntryList list) const;

    // A path as the project means it: a relative one (a hand-written or
    // moved project file) lies beside the project file, not in whatever
    // folder the program was started from. A Windows path (a project brought
    // from Windows) leads where platform::ResolveWindowsPath says, the
    // project file's folder as its base; a UNC path stays as stored.
    std::string Resolve(const std::string& path) const;

    // The wine prefix's drive letters, for Windows paths in the file.
    platform::WineDrives drives = platform::WineDrives::Default();
    // The Windows paths resolved since the last call, each once, in the
    // order met, with where they led.
    std::vector<std::pair<std::string, std::string>> TakeWindowsPathsResolved();
    // `sourceFolder` resolved so; the project file's folder when it is empty.
    std::string SourceDir() const;
    // A source entry with a folder part (up to its last "/") is used as it
    // is, and so is a Windows absolute path; otherwise it lies in the source
    // folder, joined by plain concatenation.
    std::string ResolveSourcePath(const std::string& entry) const;
    // A path as a source or object entry stores it: the bare file name when
    // its folder equals `sourceFolder` ignoring ASCII case, else the path.
    std::string StoredForm(const std::string& path) const;
    // A full path as this project's file stores it: in Windows form when
    // `sourceFolder` is a Windows path (below the folder it stands for, else
    // through the drive mapping), so the file still works on Windows;
    // otherwise as it is.
    std::string StoredPath(const std::string& path) const;
    // Whether `list` holds `text` (ignoring ASCII case when asked). For
    // sources a bare entry also matches its path in `sourceFolder`.
    bool Contains(EntryList list, const std::string& text, bool ignoreCase) const;

    // Edits of the lists and of the whole model; each tells the listeners.
    void Add(EntryList list, const std::string& entry);
    // Removes the first entry equal to `text` byte for byte; false when none.
    bool RemoveFirst(EntryList list, const std::string& text);
    // Removes every entry equal to `text`; how many went.
    size_t RemoveAll(EntryList list, const std::string& text);
    void SetInstallInfo(const std::string& path);
    // Replaces a whole list.
    void SetList(EntryList list, std::vector<std::string> entries);
    // Empties every field but `projectFile`.
    void Clear();

    // Fills the model from a project file's contents (projectFile is left
    // alone). Missing keys read as empty, counts outside 0..99 are brought
    // into it. Returns what the user should hear about: counts that were not
    // usable as they stood.
    std::vector<std::string> Read(const platform::IniFile& ini);
    // The twelve writes in their order; keys beyond the counts are left in
    // place. A value still as read is written in the bytes it was read as.
    // Returns the keys ("SECTION/KEY") whose text Shift-JIS could not hold
    // (written with "?": the caller must not save them).
    std::vector<std::string> Write(platform::IniFile& ini) const;

    // Listeners run after every change made through the functions above;
    // whoever changes the fields directly calls NotifyChanged.
    using Listener = std::function<void()>;
    size_t Subscribe(Listener listener);
    void Unsubscribe(size_t id);
    void NotifyChanged();

private:
    std::vector<std::string>& MutableList(EntryList list);

    // The bytes of what Read found, by the text it gave: decoding may not
    // encode back (bytes that are no character, characters with two codes).
    // By key first, so an entry that stayed where it was keeps its own bytes.
    std::unordered_map<std::string, std::pair<std::string, std::string>> readByKey_;  // key -> text, bytes
    std::unordered_map<std::string, std::string> readByText_;                         // text -> bytes

    std::vector<std::string> sources_, objects_, documents_, references_;
    mutable std::vector<std::pair<std::string, std::string>> windowsResolved_;
    std::vector<std::pair<size_t, Listener>> listeners_;
    size_t nextListener_ = 1;
};

}  // namespace project
