// TMsgForm: the message window listing one build's compiler output, from
// which a message jumps to the line it names.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/MdiChildForm.h"
#include "platform/Ui.h"

namespace build {

struct JumpTarget {
    std::string file;  // the text before "(", not trimmed
    long line = 0;
};

// "file(line) ... : ... warning|error ..." with each delimiter after the
// previous one. nullopt when the line is not a jump target; `badNumber` gets
// the text between the parentheses when the line is one but that text (even
// an empty one) is no integer.
std::optional<JumpTarget> ParseJumpTarget(const std::string& line,
                                          std::optional<std::string>* badNumber = nullptr);

// Splits compiler output into list lines: CR LF, CR or LF end a line, TAB
// becomes one blank, NUL becomes one blank. A line that is valid UTF-8 is
// kept as it is (file names as the file system spells them); any other is
// decoded from Shift-JIS, except a valid UTF-8 file name before its first "(".
std::vector<std::string> CompilerOutputLines(const std::string& output);

// Whether a document window captioned `caption` is the one a message's file
// text names: the caption's file name, cut to its last six characters,
// occurs in the text ignoring case.
bool CaptionMatches(const std::string& caption, const std::string& fileText);

// The window (index into `captions`, in window order) a jump to `fileText`
// goes to, -1 for none: the first whose file name is the text, else the
// first whose path ends in it, else the first that CaptionMatches; each
// ignoring case.
int FindJumpWindow(const std::vector<std::string>& captions, const std::string& fileText);

// An item as the list shows it: at most its first kListedBytes bytes (whole
// characters), then "…". Copying and jumping use the whole item.
constexpr size_t kListedBytes = 4096;
std::string ListedText(const std::string& item);

class TMsgForm : public app::TMdiChildForm {
public:
    static constexpr const char* kHint = "ダブルクリックまたはEnterキー押下で該当行番号にジャンプします";

    // `onJump` stores the request and starts the main window's Timer1.
    TMsgForm(platform::Ui& ui, std::function<void(const JumpTarget&)> onJump);

    const std::vector<std::string>& Items() const { return items_; }
    void AddLines(std::vector<std::string> lines);
    int Selected() const { return selected_; }
    void SetSelected(int index) { selected_ = index; }

    void ListBox1DblClick();
    void ListBox1KeyDown(int key);  // 13: Enter
    void ListBox1KeyPress(char c);  // "c"/"C": copy every line

private:
    platform::Ui& ui_;
    std::function<void(const JumpTarget&)> onJump_;
    std::vector<std::string> items_;
    int selected_ = -1;
};

}  // namespace build
