// TMDIChild: a document window editing one file with one editor. It holds
// the window's changed flag, its five status panels and its popup menu; the
// Qt view shows them and forwards the user's actions.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "forms/MdiChildForm.h"
#include "app/Completion.h"
#include "app/Recovery.h"
#include "app/Settings.h"
#include "editor/Editor.h"
#include "platform/FileIO.h"
#include "platform/Ui.h"

namespace app {

// The shared window pieces live below the subsystems; the shell names them as its own.
using forms::TMdiChildForm;
using forms::ChildKind;

class TMainForm;

// The document window's popup menu, in its order (separators omitted).
enum class PopupItem {
    Cut, Copy, Paste, Indent, Unindent, Bracket, Undo, Redo, InsertFile, Save, SaveAs, Customize,
    BoxSelection, LineNumbers, Ruler, Count
};
struct PopupItemInfo {
    PopupItem item;
    std::string_view caption;
    std::string_view shortcut;  // shown only
    bool inSaveSubmenu;
    bool separatorBefore;
};
const std::vector<PopupItemInfo>& PopupItems();
constexpr std::string_view kSaveSubmenuCaption = "保存(&V)";

// An untitled document's caption ("NONAME1", ...): no file of that name is its own.
inline bool IsUntitled(const std::string& caption) { return caption.compare(0, 6, "NONAME") == 0; }

class TMDIChild : public TMdiChildForm {
public:
    TMDIChild(TMainForm& main, platform::Ui& ui);
    ~TMDIChild() override;

    editor::TEditor& Editor1() { return *editor_; }
    const editor::TEditor& Editor1() const { return *editor_; }

    bool DocumentChanged() const { return changed_; }
    const std::string& Panel(int i) const { return panels_[static_cast<size_t>(i)]; }
    void SetPanel(int i, const std::string& text);

    // Applies the settings to the editor (font size rule, tabs, colours,
    // wrap, bars) and the document window's fixed editor configuration.
    void Configure(TSettings& settings);
    // The part of it the editor customization dialog changes: tabs, font,
    // colours, wrap, ruler and line numbers; applied to an open window too.
    void ApplySettings(const TSettings& settings);

    // Loads the file; on failure tells the user and returns false.
    bool LoadDocument(const std::string& path);
    // Saves to the caption's path; on failure tells the user, keeps the text
    // and the changed flag, and returns false. A file that another program
    // changed or removed since it was loaded or saved here is overwritten
    // only when the user says so.
    bool SaveDocument();
    // The file as this window last read or wrote it; nullopt for a window
    // whose file it never read or wrote.
    const std::optional<platform::FileStamp>& DiskStamp() const { return diskStamp_; }
    // The window was opened where no file is: a file found there at save
    // time was made by another program and is overwritten only when the
    // user says so.
    void BindToMissingFile() {
        diskStamp_.reset();
        stampPath_ = Caption();
        toldOfDisk_ = false;
    }

    // What another program did to the file since this window last read or
    // wrote it, leaving out what the user was already told of.
    enum class DiskChange { None, Modified, Gone };
    DiskChange PendingDiskChange() const;
    // The file as it is now counts as told: no further notice until it changes again.
    void DiskChangeTold();
    // Reads the file again as one undo step, keeping the caret, the top row
    // and the marks where their rows still exist; false (after telling the
    // user) when it cannot be read.
    bool ReloadFromDisk();
    // The file is gone: the text stays and counts as changed.
    void MarkFileGone();

    // Where the user is: the caret and the top row. Going there keeps both
    // inside the text as it is now.
    TFilePlace Place() const;
    void GoToPlace(const TFilePlace& place);

    // Ctrl+wheel, Ctrl++ and Ctrl+-: this window's font a size larger or
    // smaller, within the sizes the customization dialog offers; the stored
    // size stays as it is.
    void Zoom(int steps);

    bool FormCloseQuery() override;
    void FormClose() override;

    // The journal of this window's unsaved changes (inactive without a
    // recovery folder). The program's normal exit gives it up.
    TDocumentJournal& Journal() { return *journal_; }

    // Set when the user agreed to lose this window's changes at shut-down:
    // nothing may save it afterwards.
    bool DiscardConfirmed() const { return discardConfirmed_; }
    void SetDiscardConfirmed(bool on) { discardConfirmed_ = on; }

    void Editor1Change();
    void CaretMoved();
    // Ctrl+Space's list for the word before the caret, and the words of
    // this document that it and the other documents' lists offer.
    TCompletion& Completion() { return *completion_; }
    TWordIndex& Words() { return *words_; }
    // The document window's keys, before the editor's: true when consumed.
    bool Editor1KeyDown(int key, const editor::TKeyState& keys);
    // Whether Editor1KeyDown handles `key` (it must win over window menus).
    static bool TakesKey(int key, const editor::TKeyState& keys);
    // Alt+M starts or stops recording a keyboard macro, Alt+L plays it.
    void MacroKey(bool play);
    void Editor1DblClick();
    // Mouse presses in the editor after the editor's own handling (x, y in
    // the editor's pixels): Ctrl+right shows the keyword hint and is
    // consumed (no popup menu); Shift+left asks the development kit help.
    bool Editor1MouseDown(editor::TMouseButton button, int x, int y, const editor::TKeyState& keys);
    void Editor1MouseUp();

    // The keyword hint: shown by Ctrl+F1 (at the caret) and Ctrl+right
    // button (at the mouse), hidden by the next mouse release or caret move.
    struct THint {
        bool visible = false;
        bool atMouse = false;
        int x = 0, y = 0;  // the press point, for a hint at the mouse
        std::string text;  // UTF-8, lines separated by CR LF
    };
    const THint& Hint() const { return hint_; }
    // False (and nothing shown) when the word has no hint.
    bool ShowKeywordHint(std::string_view word, bool atMouse, int x = 0, int y = 0);
    void HideHint();
    std::function<void()> OnHintChanged;
    // A typed character that Shift-JIS cannot hold (UTF-8).
    void TypingRefused(const std::string& text);
    void SetEditorFocused(bool focused);
    // One wheel notch scrolls a line or a page, as the WHEEL setting says.
    void MouseWheel(int delta);
    void InsertFileAtCaretLine();

    // ---- Search menu (ChildwinSearch.cpp); texts are Shift-JIS -------------
    // Each reports what it did not find to the user and returns false.
    bool FindForward(std::string_view text);
    bool FindBackward(std::string_view text);
    bool ReplaceText(std::string_view find, std::string_view replacement, bool all);
    void FindMatchingBracket();
    // The byte at text offset `offset`; nullopt at or past the end.
    std::optional<char> ByteAt(int64_t offset) const;
    // Paints the status bar now, while a long command runs.
    std::function<void()> OnPaintStatusNow;

    // ---- A build's messages about this file (MainMarkers.cpp) ---------------
    struct TBuildMessage {
        long line = 0;  // 1-based, as the message names it
        bool error = false;
        size_t item = 0;  // the message's line in the marked listing
    };
    // Marks the rows the messages name; the marks follow edits.
    void SetBuildMessages(std::vector<TBuildMessage> messages);
    void ClearBuildMessages();
    // The rows of find-in-files hits (1-based lines), and clearing them.
    void MarkHitLines(const std::vector<long>& lines);
    void ClearHitMarks();
    // The messages about the row, one per line ("" for none).
    std::string BuildMessagesAt(int row) const;

    bool PopupEnabled(PopupItem item) const;
    bool PopupChecked(PopupItem item) const;
    void PopupClick(PopupItem item);

private:
    // Selects [start, start + length) and brings it into view.
    void SelectFound(int64_t start, int64_t length);
    void NotFound(std::string_view text);
    // Tells the main window when CanUndo or CanRedo changed.
    void CheckUndoState();

    TMainForm& main_;
    platform::Ui& ui_;
    std::unique_ptr<editor::TEditor> editor_;
    std::unique_ptr<TDocumentJournal> journal_;
    std::unique_ptr<TWordIndex> words_;  // goes before the editor and its store
    std::unique_ptr<TCompletion> completion_;
    std::array<std::string, 5> panels_;
    bool changed_ = false;
    bool discardConfirmed_ = false;
    bool canUndo_ = false;
    bool canRedo_ = false;
    std::optional<platform::FileStamp> diskStamp_;
    std::string stampPath_;  // the path diskStamp_ belongs to
    // The file's stamp when the user was last told of a change (nullopt: gone).
    bool toldOfDisk_ = false;
    std::optional<platform::FileStamp> toldStamp_;
    THint hint_;
    // Sorted by line; the marked rows, counted from the top, hold the
    // distinct lines in this order (a row where marks were joined, several).
    std::vector<TBuildMessage> buildMessages_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace app
