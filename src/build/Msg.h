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
// previous one. nullopt when the line is not a jump target; `badNumber` is
// set when it is one but the text between the parentheses is no integer.
std::optional<JumpTarget> ParseJumpTarget(const std::string& line, std::string* badNumber = nullptr);

// Splits compiler output into list lines: CR LF, CR or LF end a line, TAB
// becomes one blank, NUL becomes one blank. Shift-JIS is decoded to UTF-8.
std::vector<std::string> CompilerOutputLines(const std::string& output);

// Whether a document window captioned `caption` is the one a message's file
// text names: the caption's file name, cut to its last six characters,
// occurs in the text ignoring case.
bool CaptionMatches(const std::string& caption, const std::string& fileText);

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
