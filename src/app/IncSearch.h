// The incremental search bar of a document window: its pattern, option
// boxes and state. Typing searches forward from where the bar was opened
// (or from the last hit the user stepped to); Next and Previous step from
// the current hit. Hits are shown by the editor's HitStyle.
#pragma once

#include <functional>
#include <string>

#include "editor/Editor.h"

namespace app {

class TIncSearch {
public:
    enum class TState { Idle, Found, NotFound, Unencodable };
    struct TOptionBox {
        editor::TSearchOptions bit;
        const char* caption;  // UTF-8, with its mnemonic
    };
    static constexpr TOptionBox kBoxes[] = {
        {editor::soMatchCase, "大文字と小文字を区別(&M)"},
        {editor::soWholeWord, "単語単位(&U)"},
        {editor::soIgnoreWidth, "全角と半角を同一視(&Z)"},
        {editor::soIgnoreBlank, "空白を無視(&B)"},
        {editor::soIgnoreLineBreak, "改行を無視(&L)"},
    };
    static constexpr const char* kLabel = "検索(&N):";

    explicit TIncSearch(editor::TEditor& ed) : ed_(ed) {}

    bool Visible() const { return visible_; }
    // Shows the bar; a selection within one row becomes the pattern.
    void Open();
    // Hides the bar; the hit stays.
    void Close();

    const std::string& Pattern() const { return pattern_; }  // UTF-8
    void SetPattern(const std::string& utf8);
    bool Option(editor::TSearchOptions bit) const { return (options_ & bit) != 0; }
    void SetOption(editor::TSearchOptions bit, bool on);
    editor::TSearchOptions Options() const { return options_; }
    void Next() { Step(true); }
    void Previous() { Step(false); }

    TState State() const { return state_; }
    // What the bar says about the state (UTF-8), empty when all is well.
    std::string Message() const;

    std::function<void()> OnChanged;

private:
    // Searches forward from the origin again (the pattern or an option changed).
    void Research();
    void Step(bool down);
    bool Encode();
    void Changed() {
        if (OnChanged) OnChanged();
    }

    editor::TEditor& ed_;
    bool visible_ = false;
    std::string pattern_, sjis_, unencodable_;
    editor::TSearchOptions options_ = 0;
    int64_t origin_ = 0;
    TState state_ = TState::Idle;
};

}  // namespace app
