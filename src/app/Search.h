// Plain substring search for the Search menu: exact Shift-JIS bytes, a
// match never starts inside a double-byte character, a NUL ends the searched
// text. The find and replace dialogs' state lives here too; their Qt views
// only show it and forward the buttons.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace editor {
class TEditor;
}

namespace app {

// ---- Matching on one string -------------------------------------------------

// The first occurrence of `pattern` in `text` at or after `from`, where `from`
// counts as the start of a character; npos when none. Nothing at or after
// the first NUL at or after `from` is searched.
size_t FindFirstOccurrence(std::string_view text, std::string_view pattern, size_t from = 0);
// The start of the last occurrence of `pattern` in `text` (occurrences may
// overlap; a NUL ends the text); npos when none.
size_t FindLastOccurrence(std::string_view text, std::string_view pattern);

// ---- Matching on an editor's whole text (lines joined with CR LF) -----------

// As FindFirstOccurrence on the text from offset `from` on.
std::optional<int64_t> FindInText(const editor::TEditor& ed, std::string_view pattern, int64_t from);
// As FindLastOccurrence on the text before offset `end`.
std::optional<int64_t> FindLastInText(const editor::TEditor& ed, std::string_view pattern, int64_t end);
// The offsets a replace-all from `from` replaces: the first occurrence, then
// each first occurrence after the previous one's end, as if searched afresh
// in the text after each replacement.
std::vector<int64_t> FindAllInText(const editor::TEditor& ed, std::string_view pattern, int64_t from);
// The text between two offsets.
std::string TextRange(const editor::TEditor& ed, int64_t from, int64_t to);

// ---- The find and replace dialogs ------------------------------------------

// What a dialog asks of the window that shows it.
class TSearchDialogView {
public:
    virtual ~TSearchDialogView() = default;
    virtual void ShowDialog() = 0;   // show (or raise) it, the find text focused and selected
    virtual void CloseDialog() = 0;  // hide it; the document's editor gets the focus back
};

// What the find and replace dialogs share: the text to find, the view,
// showing and hiding, and Find Next.
class TSearchDialogBase {
public:
    std::string findText;  // UTF-8, kept between uses
    // The Find Next button; the owner acts on the text (and direction).
    std::function<void()> OnFind;

    void SetView(TSearchDialogView* view) { view_ = view; }
    bool Visible() const { return visible_; }
    void Execute();
    void CloseDialog();
    // Find Next is offered only for a text to find.
    bool CanFind() const { return !findText.empty(); }
    void FindClick();

private:
    TSearchDialogView* view_ = nullptr;
    bool visible_ = false;
};

// The platform's standard modeless find dialog (`FindDialog1`): down by
// default, no match-case or whole-word options.
class TFindDialog : public TSearchDialogBase {
public:
    bool down = true;
};

// The standard modeless replace dialog (`ReplaceDialog1`): no options, no direction.
class TReplaceDialog : public TSearchDialogBase {
public:
    std::string replaceText;  // UTF-8
    std::function<void(bool all)> OnReplace;

    void ReplaceClick();
    void ReplaceAllClick();
};

}  // namespace app
