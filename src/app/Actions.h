// The main window's commands: captions, shortcuts, two-part hints ("short|
// long": the short part is the tool tip, the long part goes to the status
// bar), and the layout of the menu bar and the two toolbars. Views build
// their menus from these tables; enabling and handlers live in TMainForm.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace app {

enum class ActionId {
    // File
    FileNew1, FileOpen1, FileClose1, FileSave1, FileSaveAs1, AppendPrj, VKDKQSDKincludeI1, FileExit1,
    // Edit
    EditCut1, EditCopy1, EditPaste1, EditUndo, EditRedo, TemplateAdd, InsertFileAtCaretLine,
    // Search
    SearchFind, SearchFindNext, SearchFindPrev, SearchReplace, SearchInFiles, SearchJump, SearchBracket,
    // Compile
    Compile, Link, QuickMake, ProjectMake, CompileStop, NextError, PrevError,
    // Project
    ProjectOpen, ProjectClose, ProjectModify, ProjectNew, RiCreate, RiEdit, ProjectWindowFront,
    // Options
    EnvOptions, Plomar1, CfgEdit, EditorCustomize, ProjectWindowCustomize,
    // Window
    WindowCascade, WindowTileHorizontal, WindowTileVertical, WindowMinimizeAll, WindowArrange,
    // Help
    Contents, VKDKH1, ExecKeyRef, DefineRef, HelpAbout1,
    Count
};

struct ActionInfo {
    ActionId id;
    std::string_view caption;   // with "&" accelerator marks
    std::string_view shortcut;  // "Ctrl+Shift+F9" style; empty for none
    std::string_view hint;      // "short|long"
};

const ActionInfo& Action(ActionId id);
std::string_view ShortHint(std::string_view hint);
// A caption as a toolbar button shows it: without its accelerator ("(&T)" at
// the end or a lone "&") and without a trailing "...".
std::string ButtonText(std::string_view caption);
std::string_view LongHint(std::string_view hint);

// Menu bar: a top-level menu is a caption and entries; an entry is an action,
// a separator, or a place the view fills from the form's lists.
enum class EntryKind { Action, Separator, RecentFiles, Templates, ChildWindows };
struct MenuEntry {
    EntryKind kind;
    ActionId action = ActionId::Count;
    std::string_view caption = {};  // submenu caption for RecentFiles / Templates
};
struct Menu {
    std::string_view caption;
    std::vector<MenuEntry> entries;
};
const std::vector<Menu>& MenuBar();

// Toolbars: a name, a caption, and actions (Count marks a separator).
struct Toolbar {
    std::string_view name;     // the settings section of its layout
    std::string_view caption;
    std::vector<ActionId> buttons;
};
const std::vector<Toolbar>& Toolbars();
// A button's hint; a few differ from their menu item's.
std::string_view ToolbarHint(ActionId id);

}  // namespace app
