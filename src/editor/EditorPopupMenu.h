// TEditorPopupMenu: the editor's own context menu, created with every
// editor. Its shortcuts are offered each key before the editor's key
// handling and the window's shortcuts, even where a window shows a menu of
// its own on the right button.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace editor {

class TEditor;
struct TKeyState;

enum class TEditorPopupCommand {
    SetMark, JumpMark, Undo, Redo, Cut, Copy, Paste, BoxPaste, Delete, SelectAll, BoxSelectionMode, Separator, Submenu
};

struct TEditorPopupItem {
    TEditorPopupCommand command = TEditorPopupCommand::Separator;
    std::string caption;   // "-" for a separator
    std::string shortcut;  // key text, "" for none
    int key = 0;           // virtual key of the shortcut, 0 for none
    bool shift = false, ctrl = false;
    int tag = 0;           // the digit of a mark item
    bool enabled = true;
    bool checked = false;
    std::vector<TEditorPopupItem> items;  // a submenu's
};

class TEditorPopupMenu {
public:
    explicit TEditorPopupMenu(TEditor& editor);

    TEditor& Editor() const { return editor_; }
    const std::vector<TEditorPopupItem>& Items() const { return items_; }
    // Brings enablement and check marks up to date (as the menu opens).
    void Update();
    // A key equal to an item's shortcut acts when the item is enabled and
    // is consumed either way: true then.
    bool ShortcutKey(int key, const TKeyState& keys);
    static bool IsShortcutKey(int key, const TKeyState& keys);
    void Click(const TEditorPopupItem& item);
    // Whether the editor's window shows this menu on the right button.
    bool AutoPopup() const { return autoPopup_; }
    void SetAutoPopup(bool on) { autoPopup_ = on; }

private:
    TEditorPopupItem* Find(int key, const TKeyState& keys);

    TEditor& editor_;
    std::vector<TEditorPopupItem> items_;
    bool autoPopup_ = true;
};

}  // namespace editor
