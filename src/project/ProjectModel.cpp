#include "project/ProjectModel.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>

#include "platform/Path.h"

namespace project {

namespace {

struct ListKeys {
    const char* section;
    const char* countKey;
    const char* entryFormat;
};

ListKeys KeysOf(EntryList list) {
    switch (list) {
        case EntryList::Sources: return {"R", "RCNT", "r%.2d"};
        case EntryList::Objects: return {"RO", "ROCNT", "ro%.2d"};
        case EntryList::Documents: return {"DOC", "DOCCNT", "DOC%.2d"};
        case EntryList::References: break;
    }
    return {"REF", "REFCNT", "REF%.2d"};
}

std::string Where(std::string_view section, std::string_view key) {
    return "[" + std::string(section) + "] " + std::string(key);
}

// The count of a list, within 0..kMaxEntriesRead; `problems` hears of any
// value that had to be changed to get there.
int ReadCount(const platform::IniFile& ini, const ListKeys& k, std::vector<std::string>& problems) {
    std::string raw = ini.ReadString(k.section, k.countKey, "");
    if (raw.empty()) return 0;
    // Two defaults tell a number from text that is none.
    int n = ini.ReadInteger(k.section, k.countKey, 0);
    bool number = n == ini.ReadInteger(k.section, k.countKey, 1);
    bool huge = false;
    if (!number) {
        // Only a run of decimal digits too long for an integer is a count,
        // and a large one.
        std::string digits = raw[0] == '+' ? raw.substr(1) : raw;
        huge = !digits.empty() &&
               std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
    }
    std::string where = Where(k.section, k.countKey) + "=" + platform::SjisToUtf8(raw);
    if (!number && !huge) {
        problems.push_back(where + ": 件数として読めないため、項目を読み込みませんでした。");
        return 0;
    }
    if (n < 0) {
        problems.push_back(where + ": 負の件数のため、項目を読み込みませんでした。");
        return 0;
    }
    if (huge || n > kMaxEntriesRead) {
        problems.push_back(where + ": 最初の" + std::to_string(kMaxEntriesRead) + "件だけを読み込みました。");
        return kMaxEntriesRead;
    }
    return n;
}

}  // namespace

std::string EntryKey(EntryList list, int position) {
    char buf[32];
    std::snprintf(buf, sizeof buf, KeysOf(list).entryFormat, position);
    return buf;
}

bool IsProjectFile(const platform::IniFile& ini) {
    for (const char* section : {"PROJECT", "R", "RI", "RO", "DOC", "REF"})
        if (ini.SectionExists(section)) return true;
    return ini.Blank();
}

const std::vector<std::string>& ProjectModel::List(EntryList list) const {
    return const_cast<ProjectModel*>(this)->MutableList(list);
}

std::vector<std::string>& ProjectModel::MutableList(EntryList list) {
    switch (list) {
        case EntryList::Sources: return sources_;
        case EntryList::Objects: return objects_;
        case EntryList::Documents: return documents_;
        case EntryList::References: break;
    }
    return references_;
}

std::string ProjectModel::Resolve(const std::string& path) const {
    if (path.empty() || path.front() == '/' || projectFile.empty()) return path;
    if (platform::IsWindowsPath(path)) {
        std::optional<std::string> local =
            platform::ResolveWindowsPath(path, platform::ExtractFilePath(projectFile), drives);
        if (!local) return path;  // names no file here: as stored
        auto seen = [&](const auto& r) { return r.first == path; };
        if (std::none_of(windowsResolved_.begin(), windowsResolved_.end(), seen))
            windowsResolved_.emplace_back(path, *local);
        return *local;
    }
    return platform::ExtractFilePath(projectFile) + path;
}

std::vector<std::pair<std::string, std::string>> ProjectModel::TakeWindowsPathsResolved() {
    return std::exchange(windowsResolved_, {});
}

std::string ProjectModel::SourceDir() const {
    if (sourceFolder.empty() && !projectFile.empty()) return platform::ExtractFilePath(projectFile);
    return Resolve(sourceFolder);
}

std::string ProjectModel::ResolveSourcePath(const std::string& entry) const {
    if (!platform::ExtractFilePath(entry).empty() || platform::IsWindowsAbsolutePath(entry)) return Resolve(entry);
    if (platform::IsWindowsPath(entry)) {
        // "sub\a.R": below the source folder, as on Windows.
        std::string rel = entry;
        std::replace(rel.begin(), rel.end(), '\\', '/');
        return platform::MatchPathCase(SourceDir() + rel);
    }
    return SourceDir() + entry;
}

std::string ProjectModel::StoredForm(const std::string& path) const {
    std::string folder = platform::ExtractFilePath(path);
    if (!folder.empty() && (platform::SameText(folder, sourceFolder) || platform::SameText(folder, SourceDir())))
        return platform::ExtractFileName(path);
    return StoredPath(path);
}

std::string ProjectModel::StoredPath(const std::string& path) const {
    if (!platform::IsWindowsAbsolutePath(sourceFolder) || path.empty() || path.front() != '/') return path;
    return platform::WindowsPathLike(path, sourceFolder, SourceDir(), drives);
}

bool ProjectModel::Contains(EntryList list, const std::string& text, bool ignoreCase) const {
    auto same = [&](const std::string& a) { return ignoreCase ? platform::SameText(a, text) : a == text; };
    for (const std::string& e : List(list)) {
        if (same(e)) return true;
        if (list == EntryList::Sources && platform::ExtractFilePath(e).empty() && same(SourceDir() + e)) return true;
    }
    return false;
}

void ProjectModel::Add(EntryList list, const std::string& entry) {
    MutableList(list).push_back(entry);
    NotifyChanged();
}

bool ProjectModel::RemoveFirst(EntryList list, const std::string& text) {
    std::vector<std::string>& v = MutableList(list);
    auto it = std::find(v.begin(), v.end(), text);
    if (it == v.end()) return false;
    v.erase(it);
    NotifyChanged();
    return true;
}

size_t ProjectModel::RemoveAll(EntryList list, const std::string& text) {
    size_t n = std::erase(MutableList(list), text);
    if (n) NotifyChanged();
    return n;
}

void ProjectModel::SetInstallInfo(const std::string& path) {
    installInfo = path;
    NotifyChanged();
}

void ProjectModel::SetList(EntryList list, std::vector<std::string> entries) {
    MutableList(list) = std::move(entries);
    NotifyChanged();
}

void ProjectModel::Clear() {
    name.clear();
    executable.clear();
    sourceFolder.clear();
    installInfo.clear();
    for (EntryList l : kEntryLists) MutableList(l).clear();
    readByKey_.clear();
    readByText_.clear();
    NotifyChanged();
}

std::vector<std::string> ProjectModel::Read(const platform::IniFile& ini) {
    std::vector<std::string> problems;
    readByKey_.clear();
    readByText_.clear();
    auto read = [&](const char* section, const std::string& key) {
        std::string bytes = ini.ReadString(section, key, "");
        std::string text = platform::SjisToUtf8(bytes);
        readByText_.emplace(text, bytes);
        readByKey_[std::string(section) + "/" + key] = {text, std::move(bytes)};
        return text;
    };
    name = read("PROJECT", "Name");
    executable = read("PROJECT", "RX");
    for (EntryList l : kEntryLists) MutableList(l).clear();
    sourceFolder = read("R", "DIR");
    auto readList = [&](EntryList list) {
        ListKeys k = KeysOf(list);
        int n = ReadCount(ini, k, problems);
        std::vector<std::string>& v = MutableList(list);
        for (int i = 1; i <= n; ++i) v.push_back(read(k.section, EntryKey(list, i)));
    };
    readList(EntryList::Sources);
    readList(EntryList::Objects);
    installInfo = read("RI", "INSTALL");
    readList(EntryList::Documents);
    readList(EntryList::References);
    NotifyChanged();
    return problems;
}

std::vector<std::string> ProjectModel::Write(platform::IniFile& ini) const {
    std::vector<std::string> lossy;
    auto text = [&](const char* section, const std::string& key, const std::string& value) {
        const std::string where = std::string(section) + "/" + key;
        auto byKey = readByKey_.find(where);
        if (byKey != readByKey_.end() && byKey->second.first == value) {
            ini.WriteString(section, key, byKey->second.second);
        } else if (auto byText = readByText_.find(value); byText != readByText_.end()) {
            ini.WriteString(section, key, byText->second);
        } else if (!ini.WriteText(section, key, value).ok()) {
            lossy.push_back(where);
        }
    };
    auto list = [&](EntryList l) {
        ListKeys k = KeysOf(l);
        const std::vector<std::string>& v = List(l);
        ini.WriteInteger(k.section, k.countKey, static_cast<int>(v.size()));
        for (size_t i = 0; i < v.size(); ++i) text(k.section, EntryKey(l, static_cast<int>(i + 1)), v[i]);
    };
    text("PROJECT", "Name", name);
    text("PROJECT", "RX", executable);
    text("R", "DIR", sourceFolder);
    text("RI", "INSTALL", installInfo);
    for (EntryList l : kEntryLists) list(l);
    return lossy;
}

size_t ProjectModel::Subscribe(Listener listener) {
    listeners_.emplace_back(nextListener_, std::move(listener));
    return nextListener_++;
}

void ProjectModel::Unsubscribe(size_t id) {
    std::erase_if(listeners_, [id](const auto& l) { return l.first == id; });
}

void ProjectModel::NotifyChanged() {
    // A listener may unsubscribe while it runs.
    auto copy = listeners_;
    for (auto& [id, l] : copy) l();
}

}  // namespace project
