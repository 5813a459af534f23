#include "editor/EditorWrapOption.h"

#include <algorithm>

#include "platform/ShiftJis.h"

namespace editor {

bool WrapSetHolds(std::string_view set, std::string_view ch) {
    if (ch.empty()) return false;
    for (size_t i = 0; i < set.size();) {
        const size_t n = platform::IsLeadByte(static_cast<unsigned char>(set[i])) && i + 1 < set.size() ? 2 : 1;
        if (set.substr(i, n) == ch) return true;
        i += n;
    }
    return false;
}

TEditorWrapOption::TEditorWrapOption()
    : followStr_(platform::Utf8ToSjis("、。，．・？！゛゜ヽヾゝゞ々ー）］｝」』!),.:;?]}｡｣､･ｰﾞﾟ")),
      leadStr_(platform::Utf8ToSjis("（［｛「『([{｢")),
      punctuationStr_(platform::Utf8ToSjis("、。，．,.｡､")) {}

void TEditorWrapOption::SetWrapByte(int v) { Set(wrapByte_, std::clamp(v, kMinWrapByte, kMaxWrapByte)); }

void TEditorWrapOption::Assign(const TEditorWrapOption& source) {
    if (&source == this) return;
    followRetMark_ = source.followRetMark_;
    followPunctuation_ = source.followPunctuation_;
    followStr_ = source.followStr_;
    leading_ = source.leading_;
    leadStr_ = source.leadStr_;
    punctuationStr_ = source.punctuationStr_;
    wordBreak_ = source.wordBreak_;
    wrapByte_ = source.wrapByte_;
    Changed();
}

}  // namespace editor
