#include "editor/EditorPopupMenu.h"

#include <optional>

#include "editor/Editor.h"

namespace editor {

namespace {

using C = TEditorPopupCommand;

TEditorPopupItem Item(C command, std::string caption, std::string shortcut = {}, int key = 0, bool disabled = true) {
    TEditorPopupItem item;
    item.command = command;
    item.caption = std::move(caption);
    item.shortcut = std::move(shortcut);
    item.key = key;
    item.ctrl = key != 0;
    item.enabled = !disabled;
    return item;
}

TEditorPopupItem Separator() { return Item(C::Separator, "-", {}, 0, false); }

TEditorPopupItem MarkSubmenu(std::string caption, C command, bool shift) {
    TEditorPopupItem menu = Item(C::Submenu, std::move(caption), {}, 0, false);
    for (int n = 0; n <= 9; ++n) {
        const std::string digit(1, static_cast<char>('0' + n));
        TEditorPopupItem item = Item(command, digit, (shift ? "Shift+Ctrl+" : "Ctrl+") + digit, '0' + n, false);
        item.shift = shift;
        item.tag = n;
        menu.items.push_back(std::move(item));
    }
    return menu;
}

template <typename F>
void ForEach(std::vector<TEditorPopupItem>& items, F f) {
    for (TEditorPopupItem& item : items) {
        f(item);
        ForEach(item.items, f);
    }
}

}  // namespace

TEditorPopupMenu::TEditorPopupMenu(TEditor& editor) : editor_(editor) {
    items_.push_back(MarkSubmenu("マーク設定", C::SetMark, true));
    items_.push_back(MarkSubmenu("マークジャンプ", C::JumpMark, false));
    items_.push_back(Separator());
    items_.push_back(Item(C::Undo, "元に戻す(&U)", "Ctrl+Z", 'Z'));
    items_.push_back(Item(C::Redo, "やり直し(&R)", "Ctrl+A", 'A'));
    items_.push_back(Separator());
    items_.push_back(Item(C::Cut, "切り取り(&T)", "Ctrl+X", 'X'));
    items_.push_back(Item(C::Copy, "コピー(&C)", "Ctrl+C", 'C'));
    items_.push_back(Item(C::Paste, "貼り付け(&P)", "Ctrl+V", 'V'));
    items_.push_back(Item(C::BoxPaste, "Box貼り付け(&B)", "Ctrl+B", 'B'));
    items_.push_back(Item(C::Delete, "削除(&D)"));
    items_.push_back(Separator());
    items_.push_back(Item(C::SelectAll, "すべて選択(&A)"));
    items_.push_back(Separator());
    items_.push_back(Item(C::BoxSelectionMode, "Box選択モード(&K)", "Ctrl+K", 'K', false));
}

void TEditorPopupMenu::Update() {
    TEditor& ed = editor_;
    const bool writable = !ed.ReadOnly();
    const bool selected = ed.SelLength() > 0;
    const bool clipText = ed.Clipboard() && ed.Clipboard()->HasText();
    const TRowMarks inUse = ed.MarksInUse();
    ForEach(items_, [&](TEditorPopupItem& item) {
        switch (item.command) {
            case C::Undo: item.enabled = ed.CanUndo() && writable; break;
            case C::Redo: item.enabled = ed.CanRedo() && writable; break;
            case C::Cut:
            case C::Delete: item.enabled = selected && writable; break;
            case C::Copy: item.enabled = selected; break;
            case C::Paste:
            case C::BoxPaste: item.enabled = clipText && writable; break;
            case C::SelectAll: item.enabled = ed.TextLength() > 0; break;
            case C::BoxSelectionMode: item.checked = ed.SelectionMode() == smBox; break;
            case C::SetMark:
            case C::JumpMark: item.checked = (inUse >> item.tag) & 1; break;
            default: break;
        }
    });
}

TEditorPopupItem* TEditorPopupMenu::Find(int key, const TKeyState& keys) {
    if (keys.alt || !keys.ctrl) return nullptr;
    TEditorPopupItem* found = nullptr;
    ForEach(items_, [&](TEditorPopupItem& item) {
        if (!found && item.key == key && item.shift == keys.shift) found = &item;
    });
    return found;
}

bool TEditorPopupMenu::IsShortcutKey(int key, const TKeyState& keys) {
    if (keys.alt || !keys.ctrl) return false;
    if (key >= '0' && key <= '9') return true;
    return !keys.shift && (key == 'Z' || key == 'A' || key == 'X' || key == 'C' || key == 'V' || key == 'B' || key == 'K');
}

bool TEditorPopupMenu::ShortcutKey(int key, const TKeyState& keys) {
    TEditorPopupItem* item = Find(key, keys);
    if (!item) return false;
    Update();
    if (item->enabled) Click(*item);
    return true;
}

void TEditorPopupMenu::Click(const TEditorPopupItem& item) {
    TEditor& ed = editor_;
    switch (item.command) {
        case C::SetMark: ed.ToggleRowMark(ed.Row(), item.tag); break;
        case C::JumpMark: ed.GotoRowMark(item.tag); break;
        case C::Undo: ed.Undo(); break;
        case C::Redo: ed.Redo(); break;
        case C::Cut: ed.CutToClipboard(); break;
        case C::Copy: ed.CopyToClipboard(); break;
        case C::Paste: ed.PasteFromClipboard(); break;
        case C::BoxPaste:
            if (TEditorClipboard* clipboard = ed.Clipboard()) {
                bool box = false;
                if (std::optional<std::string> text = clipboard->GetText(&box)) ed.BoxPaste(*text);
            }
            break;
        case C::Delete: ed.DeleteSelection(); break;
        case C::SelectAll: ed.SelectAll(); break;
        case C::BoxSelectionMode: ed.SetSelectionMode(ed.SelectionMode() == smBox ? smNormal : smBox); break;
        default: break;
    }
}

}  // namespace editor
