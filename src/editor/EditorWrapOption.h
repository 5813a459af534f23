// The word-wrap options (the editor's WrapOption). The strings are
// Shift-JIS; a double-byte character in them matches only a whole
// double-byte character of the text.
#pragma once

#include <string>
#include <string_view>

#include "editor/NotifyPersistent.h"

namespace editor {

// Whether `ch` (one character of the text) is one of the characters of
// `set`; both are Shift-JIS and are compared character by character, so a
// trail byte never matches a single-byte character.
bool WrapSetHolds(std::string_view set, std::string_view ch);

class TEditorWrapOption : public TNotifyPersistent {
public:
    static constexpr int kMinWrapByte = 20;
    static constexpr int kMaxWrapByte = 250;

    TEditorWrapOption();

    bool FollowRetMark() const { return followRetMark_; }
    void SetFollowRetMark(bool v) { Set(followRetMark_, v); }
    bool FollowPunctuation() const { return followPunctuation_; }
    void SetFollowPunctuation(bool v) { Set(followPunctuation_, v); }
    const std::string& FollowStr() const { return followStr_; }
    void SetFollowStr(const std::string& v) { Set(followStr_, v); }
    bool Leading() const { return leading_; }
    void SetLeading(bool v) { Set(leading_, v); }
    const std::string& LeadStr() const { return leadStr_; }
    void SetLeadStr(const std::string& v) { Set(leadStr_, v); }
    const std::string& PunctuationStr() const { return punctuationStr_; }
    void SetPunctuationStr(const std::string& v) { Set(punctuationStr_, v); }
    bool WordBreak() const { return wordBreak_; }
    void SetWordBreak(bool v) { Set(wordBreak_, v); }
    int WrapByte() const { return wrapByte_; }
    // Limited to 20..250, never refused.
    void SetWrapByte(int v);

    // Copies all eight values and notifies once.
    void Assign(const TEditorWrapOption& source);

private:
    template <typename T>
    void Set(T& field, const T& value) {
        if (field == value) return;
        field = value;
        Changed();
    }

    bool followRetMark_ = false;
    bool followPunctuation_ = false;
    std::string followStr_;
    bool leading_ = false;
    std::string leadStr_;
    std::string punctuationStr_;
    bool wordBreak_ = false;
    int wrapByte_ = 80;
};

}  // namespace editor
