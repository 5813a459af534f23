// The settings kept in VKBUILD.INI (beside the program, see SettingsFileFor):
// read once at start, changed in memory by the dialogs, written once at
// exit. Strings are UTF-8 here and Shift-JIS in the file.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/IniFile.h"

namespace app {

// System colours have the top bit set (written as negative decimals).
constexpr int32_t kClWindowText = static_cast<int32_t>(0x80000008);
constexpr int32_t kClWindow = static_cast<int32_t>(0x80000005);
extern const char* const kDefaultFontName;  // "ＭＳ ゴシック"
constexpr int kRecentFileCount = 5;

// Where the user was in a file: the caret's row and column and the top row,
// as the status bar counts them (0-based here).
struct TFilePlace {
    int row = 0, col = 0, topRow = 0;
    bool operator==(const TFilePlace&) const = default;
};
// "row,col,top,path": how a place is stored beside the file it belongs to.
std::string FormatPlace(const std::string& path, const TFilePlace& place);
// nullopt for anything that is not such a text with an absolute path and
// numbers from 0 up.
std::optional<std::pair<std::string, TFilePlace>> ParsePlace(std::string_view text);

struct TSettings {
    // VKC
    std::string compilerFolder;  // PATH
    std::string helpFile;        // HELP
    std::string keyDefFile;      // KEYDEF
    bool execKeyComment = false; // CHECK
    // POS
    int top = 1, left = 1, height = 400, width = 600;
    // Folder
    std::string sourceFolder;   // SRC
    std::string projectFolder;  // PRJ
    // EDIT
    int fontSize = 13;
    int tabSize = 4;
    std::string fontName = kDefaultFontName;
    int32_t edtColor = 0, edtBkColor = 0xFFFFFF;
    int32_t selColor = 0xFFFFFF, selBkColor = 0xFF0000;
    int32_t cmnColor = 0x0000FF, cmnBkColor = 0xFFFFFF;
    int32_t rsvColor = 0xFF0000, rsvBkColor = 0xFFFFFF;
    int32_t symColor = 0x000080, symBkColor = 0xFFFFFF;
    bool wordWrap = false;
    int wordWrapByte = 80;
    bool ruler = false;
    bool lineNumbers = false;  // LOWNUM
    // PRJW
    std::string projectFontName = kDefaultFontName;
    int projectFontSize = 9;
    int32_t projectFontColor = kClWindowText, projectFontBkColor = kClWindow;
    // FILES
    std::vector<std::string> recentFiles;
    // Where each of those files was when its window last closed, in keys of
    // their own (POS01...) so that the RECENT keys stay as older copies read
    // them; matched by path, not by number, since such a copy may reorder
    // the list without knowing of them.
    std::map<std::string, TFilePlace> recentPlaces;
    // TARGET
    int targetHost = 0;  // VKTW: 0 Korvane, 1 Tessal
    // OPT
    bool wheelByLine = true;  // WHEEL
    std::string plomarPath;
    bool restoreSession = false;  // RestoreSession: reopen the last session's files
    std::string wineCommand;  // WINE: empty is "wine" on PATH

    // Paths a settings file from Windows holds as drive paths are used in
    // their local form (platform::ResolveWindowsPath, the program folder as
    // base); a value still equal to that local form is written back as it
    // was stored. Local form -> stored text.
    std::map<std::string, std::string> storedWindowsPaths;

    // Missing or unreadable values take their defaults; the folders default
    // to `programFolder`.
    void Read(const platform::IniFile& ini, const std::string& programFolder);
    // Every key in the file's order; FILES always gets its five keys.
    // Returns the keys ("SECTION/KEY") whose text lost characters that
    // Shift-JIS cannot hold, so the caller can tell the user.
    std::vector<std::string> Write(platform::IniFile& ini) const;
};

// The layout of one dockable toolbar, in its own section of the settings file.
struct TToolbarLayout {
    int rev = 1;
    bool visible = true;
    std::string dockedTo = "TopDock";  // TopDock, BottomDock, LeftDock, RightDock; empty when floating
    std::string lastDock = "TopDock";
    int dockRow = 0;
    int dockPos = 0;
    int floatLeft = 0;
    int floatTop = 0;

    void Read(const platform::IniFile& ini, const std::string& section);
    void Write(platform::IniFile& ini, const std::string& section) const;
};

// A window's place on the desktop, in pixels.
struct TWindowRect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const TWindowRect&) const = default;
};
// The stored main-window place made to fit the screens that exist now:
// kept where it overlaps a screen most (else moved to the first screen),
// no larger than that screen and wholly on it; at least `minimum` in size.
TWindowRect FitWindowToScreens(TWindowRect window, const std::vector<TWindowRect>& screens,
                               TWindowRect minimum = {0, 0, 200, 150});

// Where the program keeps a file of its own that it writes (the templates,
// the settings file): beside the program when that folder may be written,
// otherwise (an install under /usr or /opt) in `configHome`/VeskCBuilder/,
// where `configHome` is $XDG_CONFIG_HOME when that is an absolute path, else
// $HOME/.config. Found there ignoring case, as files beside the program are.
std::string WritableFileFor(const std::string& programFolder, std::string_view name, bool programFolderWritable,
                            const char* xdgConfigHome, const char* home);
// The same for this process: the folder's writability and the environment.
std::string WritableFileFor(const std::string& programFolder, std::string_view name);

// Where the settings file lives: beside the program when a settings file is
// there, otherwise where WritableFileFor puts it.
std::string SettingsFileFor(const std::string& programFolder, bool programFolderWritable,
                            const char* xdgConfigHome, const char* home);
// The same for this process: the folder's writability and the environment.
std::string SettingsFileFor(const std::string& programFolder);

// The main window's place on a first start (no settings file): two thirds
// of the screen's available area, centred on it.
TWindowRect FirstStartPlace(const TWindowRect& screen);

}  // namespace app
