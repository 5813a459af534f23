#include "app/Session.h"

#include <sys/stat.h>

#include <algorithm>

#include "platform/FileIO.h"
#include "platform/IniFile.h"

namespace app {

namespace {

constexpr const char* kSection = "SESSION";

std::string FileKey(size_t i) { return "File" + std::to_string(i + 1); }

}  // namespace

std::string SessionFile() {
    std::string folder = platform::StateFolder("");
    return folder.empty() ? folder : folder + "session.ini";
}

TSession ReadSession(const std::string& file) {
    platform::IniFile ini;
    ini.LoadFromFile(file);
    TSession s;
    s.project = ini.ReadString(kSection, "Project", "");
    if (s.project.rfind('/', 0) != 0) s.project.clear();
    // An entry that is not a place loses that window only. However many
    // the file claims, no more are looked for than a user could have open.
    const int count = std::clamp(ini.ReadInteger(kSection, "Files", 0), 0, 10000);
    std::vector<int> kept;  // the written index's place in `documents`, or -1
    for (int i = 0; i < count; ++i) {
        auto place = ParsePlace(ini.ReadString(kSection, FileKey(static_cast<size_t>(i)), ""));
        kept.push_back(place ? static_cast<int>(s.documents.size()) : -1);
        if (place) s.documents.push_back({place->first, place->second});
    }
    auto keptBefore = [&](int n) {
        return static_cast<int>(std::count_if(kept.begin(), kept.begin() + std::clamp(n, 0, count), [](int k) { return k >= 0; }));
    };
    s.projectAt = s.project.empty() ? 0 : keptBefore(ini.ReadInteger(kSection, "ProjectAt", 0));
    const int active = ini.ReadInteger(kSection, "Active", -1);
    if (active == TSession::kProjectActive && !s.project.empty()) s.active = active;
    else if (active >= 0 && active < count) s.active = kept[static_cast<size_t>(active)];
    return s;
}

void WriteSession(const std::string& file, const TSession& s) {
    platform::IniFile ini;
    ini.WriteString(kSection, "Project", s.project);
    ini.WriteInteger(kSection, "ProjectAt", s.projectAt);
    ini.WriteInteger(kSection, "Active", s.active);
    ini.WriteInteger(kSection, "Files", static_cast<int>(s.documents.size()));
    for (size_t i = 0; i < s.documents.size(); ++i)
        ini.WriteString(kSection, FileKey(i), FormatPlace(s.documents[i].path, s.documents[i].place));
    ini.SaveToFile(file);
    // It names the user's files: for the user alone, as the folder is.
    ::chmod(file.c_str(), 0600);
}

}  // namespace app
