#include "app/Settings.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "platform/Path.h"
#include "platform/Wine.h"

namespace app {

const char* const kDefaultFontName = "ＭＳ ゴシック";

namespace {

std::string NumberedKey(const char* prefix, int index) {
    char key[16];
    std::snprintf(key, sizeof key, "%s%.2d", prefix, index);
    return key;
}
std::string RecentKey(int index) { return NumberedKey("RECENT", index); }
std::string PlaceKey(int index) { return NumberedKey("POS", index); }

// A decimal number from 0 up to INT_MAX, ending at `stop`.
std::optional<int> Count(std::string_view& text, char stop) {
    size_t end = text.find(stop);
    if (end == 0 || end == std::string_view::npos || end > 10) return std::nullopt;
    int64_t n = 0;
    for (char c : text.substr(0, end)) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    if (n > INT32_MAX) return std::nullopt;
    text.remove_prefix(end + 1);
    return static_cast<int>(n);
}

}  // namespace

namespace {

// One key of the file: where it lives and which member holds it, in the
// order the file lists them.
struct Key {
    const char* section;
    const char* name;
    std::string TSettings::*text = nullptr;
    int TSettings::*integer = nullptr;
    int32_t TSettings::*colour = nullptr;
    bool TSettings::*flag = nullptr;
};

Key Text(const char* s, const char* k, std::string TSettings::*m) { return {s, k, m}; }
Key Int(const char* s, const char* k, int TSettings::*m) { return {s, k, nullptr, m}; }
Key Colour(const char* s, const char* k, int32_t TSettings::*m) { return {s, k, nullptr, nullptr, m}; }
Key Flag(const char* s, const char* k, bool TSettings::*m) { return {s, k, nullptr, nullptr, nullptr, m}; }

// Everything but the recent files, which are five numbered keys.
const std::vector<Key>& KeysBeforeFiles() {
    static const std::vector<Key> keys = {
        Text("VKC", "PATH", &TSettings::compilerFolder),
        Text("VKC", "HELP", &TSettings::helpFile),
        Text("VKC", "KEYDEF", &TSettings::keyDefFile),
        Flag("VKC", "CHECK", &TSettings::execKeyComment),
        Int("POS", "TOP", &TSettings::top),
        Int("POS", "Left", &TSettings::left),
        Int("POS", "HEIGHT", &TSettings::height),
        Int("POS", "WIDTH", &TSettings::width),
        Text("Folder", "SRC", &TSettings::sourceFolder),
        Text("Folder", "PRJ", &TSettings::projectFolder),
        Int("EDIT", "FONTSIZE", &TSettings::fontSize),
        Int("EDIT", "TABSIZE", &TSettings::tabSize),
        Text("EDIT", "FONTNAME", &TSettings::fontName),
        Colour("EDIT", "EdtColor", &TSettings::edtColor),
        Colour("EDIT", "EdtBkColor", &TSettings::edtBkColor),
        Colour("EDIT", "SelColor", &TSettings::selColor),
        Colour("EDIT", "SelBkColor", &TSettings::selBkColor),
        Colour("EDIT", "CmnColor", &TSettings::cmnColor),
        Colour("EDIT", "CmnBkColor", &TSettings::cmnBkColor),
        Colour("EDIT", "RsvColor", &TSettings::rsvColor),
        Colour("EDIT", "RsvBkColor", &TSettings::rsvBkColor),
        Colour("EDIT", "SymColor", &TSettings::symColor),
        Colour("EDIT", "SymBkColor", &TSettings::symBkColor),
        Flag("EDIT", "WordWrap", &TSettings::wordWrap),
        Int("EDIT", "WordWrapByte", &TSettings::wordWrapByte),
        Flag("EDIT", "RULER", &TSettings::ruler),
        Flag("EDIT", "LOWNUM", &TSettings::lineNumbers),
        Text("PRJW", "FONTNAME", &TSettings::projectFontName),
        Int("PRJW", "FONTSIZE", &TSettings::projectFontSize),
        Colour("PRJW", "FONTCOLOR", &TSettings::projectFontColor),
        Colour("PRJW", "FONTBKCOLOR", &TSettings::projectFontBkColor),
    };
    return keys;
}

const std::vector<Key>& KeysAfterFiles() {
    static const std::vector<Key> keys = {
        Int("TARGET", "VKTW", &TSettings::targetHost),
        Flag("OPT", "WHEEL", &TSettings::wheelByLine),
        Text("OPT", "Plomar", &TSettings::plomarPath),
        Flag("OPT", "RestoreSession", &TSettings::restoreSession),
        Text("OPT", "WINE", &TSettings::wineCommand),
    };
    return keys;
}

// The member's current value is the default for reading.
void ReadKey(const platform::IniFile& ini, const Key& k, TSettings& s) {
    if (k.text) s.*k.text = ini.ReadText(k.section, k.name, s.*k.text);
    if (k.integer) s.*k.integer = ini.ReadInteger(k.section, k.name, s.*k.integer);
    if (k.colour) s.*k.colour = ini.ReadInteger(k.section, k.name, s.*k.colour);
    if (k.flag) s.*k.flag = ini.ReadBool(k.section, k.name, s.*k.flag);
}

void WriteKey(platform::IniFile& ini, const Key& k, const TSettings& s, std::vector<std::string>& lossy) {
    if (k.text && !ini.WriteText(k.section, k.name, s.*k.text).ok())
        lossy.push_back(std::string(k.section) + "/" + k.name);
    if (k.integer) ini.WriteInteger(k.section, k.name, s.*k.integer);
    if (k.colour) ini.WriteInteger(k.section, k.name, s.*k.colour);
    if (k.flag) ini.WriteBool(k.section, k.name, s.*k.flag);
}

}  // namespace

void TSettings::Read(const platform::IniFile& ini, const std::string& programFolder) {
    *this = TSettings{};
    sourceFolder = projectFolder = programFolder;
    for (const Key& k : KeysBeforeFiles()) ReadKey(ini, k, *this);
    for (const Key& k : KeysAfterFiles()) ReadKey(ini, k, *this);
    if (fontName.empty()) fontName = kDefaultFontName;

    // The list stops at the first empty or missing entry.
    for (int i = 1; i <= kRecentFileCount; ++i) {
        std::string path = ini.ReadText("FILES", RecentKey(i), "");
        if (path.empty()) break;
        recentFiles.push_back(path);
    }
    for (int i = 1; i <= kRecentFileCount; ++i) {
        auto place = ParsePlace(ini.ReadText("FILES", PlaceKey(i), ""));
        if (place && std::find(recentFiles.begin(), recentFiles.end(), place->first) != recentFiles.end())
            recentPlaces.insert(*place);
    }

    std::optional<platform::WineDrives> drives;
    auto local = [&](std::string& value) {
        if (value.empty() || !platform::IsWindowsPath(value)) return;
        if (!drives) drives = platform::WineDrives::Read(platform::WinePrefix(platform::ProcessEnvironment()));
        std::optional<std::string> path = platform::ResolveWindowsPath(value, programFolder, *drives);
        if (!path) return;
        storedWindowsPaths[*path] = value;
        value = *path;
    };
    for (std::string* value : {&compilerFolder, &helpFile, &keyDefFile, &plomarPath, &sourceFolder, &projectFolder})
        local(*value);
    for (std::string& path : recentFiles) local(path);
}

std::vector<std::string> TSettings::Write(platform::IniFile& ini) const {
    if (!storedWindowsPaths.empty()) {
        TSettings stored = *this;
        stored.storedWindowsPaths.clear();
        auto back = [&](std::string& value) {
            auto it = storedWindowsPaths.find(value);
            if (it != storedWindowsPaths.end()) value = it->second;
        };
        for (std::string* value : {&stored.compilerFolder, &stored.helpFile, &stored.keyDefFile, &stored.plomarPath,
                                   &stored.sourceFolder, &stored.projectFolder})
            back(*value);
        for (std::string& path : stored.recentFiles) back(path);
        return stored.Write(ini);
    }
    std::vector<std::string> lossy;
    for (const Key& k : KeysBeforeFiles()) WriteKey(ini, k, *this, lossy);
    for (int i = 1; i <= kRecentFileCount; ++i) {
        size_t n = static_cast<size_t>(i - 1);
        if (!ini.WriteText("FILES", RecentKey(i), n < recentFiles.size() ? recentFiles[n] : std::string()).ok())
            lossy.push_back("FILES/" + RecentKey(i));
    }
    // Every key, so that no place is left from an earlier list; a path that
    // Shift-JIS cannot hold was reported with its RECENT key.
    for (int i = 1; i <= kRecentFileCount; ++i) {
        size_t n = static_cast<size_t>(i - 1);
        auto place = n < recentFiles.size() ? recentPlaces.find(recentFiles[n]) : recentPlaces.end();
        ini.WriteText("FILES", PlaceKey(i), place != recentPlaces.end() ? FormatPlace(place->first, place->second) : "");
    }
    for (const Key& k : KeysAfterFiles()) WriteKey(ini, k, *this, lossy);
    return lossy;
}

std::string FormatPlace(const std::string& path, const TFilePlace& p) {
    return std::to_string(p.row) + "," + std::to_string(p.col) + "," + std::to_string(p.topRow) + "," + path;
}

std::optional<std::pair<std::string, TFilePlace>> ParsePlace(std::string_view text) {
    TFilePlace p;
    std::optional<int> row = Count(text, ','), col = row ? Count(text, ',') : std::nullopt,
                       top = col ? Count(text, ',') : std::nullopt;
    if (!top || text.empty() || text.front() != '/') return std::nullopt;
    p.row = *row;
    p.col = *col;
    p.topRow = *top;
    return std::make_pair(std::string(text), p);
}

void TToolbarLayout::Read(const platform::IniFile& ini, const std::string& section) {
    rev = ini.ReadInteger(section, "Rev", rev);
    visible = ini.ReadBool(section, "Visible", visible);
    dockedTo = ini.ReadText(section, "DockedTo", dockedTo);
    lastDock = ini.ReadText(section, "LastDock", lastDock);
    dockRow = ini.ReadInteger(section, "DockRow", dockRow);
    dockPos = ini.ReadInteger(section, "DockPos", dockPos);
    floatLeft = ini.ReadInteger(section, "FloatLeft", floatLeft);
    floatTop = ini.ReadInteger(section, "FloatTop", floatTop);
}

void TToolbarLayout::Write(platform::IniFile& ini, const std::string& section) const {
    ini.WriteInteger(section, "Rev", rev);
    ini.WriteBool(section, "Visible", visible);
    ini.WriteText(section, "DockedTo", dockedTo);
    ini.WriteText(section, "LastDock", lastDock);
    ini.WriteInteger(section, "DockRow", dockRow);
    ini.WriteInteger(section, "DockPos", dockPos);
    ini.WriteInteger(section, "FloatLeft", floatLeft);
    ini.WriteInteger(section, "FloatTop", floatTop);
}

TWindowRect FitWindowToScreens(TWindowRect w, const std::vector<TWindowRect>& screens, TWindowRect minimum) {
    w.width = std::max(w.width, minimum.width);
    w.height = std::max(w.height, minimum.height);
    if (screens.empty()) return w;
    auto overlap = [&](const TWindowRect& s) {
        int64_t dx = std::min<int64_t>(int64_t{w.left} + w.width, int64_t{s.left} + s.width) - std::max(w.left, s.left);
        int64_t dy = std::min<int64_t>(int64_t{w.top} + w.height, int64_t{s.top} + s.height) - std::max(w.top, s.top);
        return dx > 0 && dy > 0 ? dx * dy : 0;
    };
    const TWindowRect* best = &screens.front();
    int64_t bestArea = overlap(*best);
    for (const TWindowRect& s : screens)
        if (int64_t a = overlap(s); a > bestArea) best = &s, bestArea = a;
    const TWindowRect& s = *best;
    w.width = std::min(w.width, s.width);
    w.height = std::min(w.height, s.height);
    w.left = std::clamp(w.left, s.left, s.left + s.width - w.width);
    w.top = std::clamp(w.top, s.top, s.top + s.height - w.height);
    return w;
}

std::string WritableFileFor(const std::string& programFolder, std::string_view name, bool programFolderWritable,
                            const char* xdgConfigHome, const char* home) {
    // A relative XDG_CONFIG_HOME counts as unset, as XDG base directories say.
    bool haveConfig = xdgConfigHome && xdgConfigHome[0] == '/';
    bool haveHome = home && home[0] != '\0';
    // With neither there is nowhere better: the write says why it failed.
    if (programFolderWritable || (!haveConfig && !haveHome)) return platform::ResolveFixedFile(programFolder, name);
    std::string config = haveConfig ? std::string(xdgConfigHome) : platform::JoinPath(home, ".config");
    return platform::ResolveFixedFile(platform::JoinPath(config, "VeskCBuilder"), name);
}

std::string WritableFileFor(const std::string& programFolder, std::string_view name) {
    bool writable = ::access(programFolder.c_str(), W_OK | X_OK) == 0;
    return WritableFileFor(programFolder, name, writable, std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

std::string SettingsFileFor(const std::string& programFolder, bool programFolderWritable, const char* xdgConfigHome,
                            const char* home) {
    constexpr const char* kName = "VKBUILD.INI";
    if (std::optional<std::string> beside = platform::FindFileInFolder(programFolder, kName)) return *beside;
    return WritableFileFor(programFolder, kName, programFolderWritable, xdgConfigHome, home);
}

std::string SettingsFileFor(const std::string& programFolder) {
    bool writable = ::access(programFolder.c_str(), W_OK | X_OK) == 0;
    return SettingsFileFor(programFolder, writable, std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

TWindowRect FirstStartPlace(const TWindowRect& screen) {
    int width = screen.width * 2 / 3;
    int height = screen.height * 2 / 3;
    return {screen.left + (screen.width - width) / 2, screen.top + (screen.height - height) / 2, width, height};
}

}  // namespace app
