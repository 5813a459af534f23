#include "app/IncSearch.h"

#include "platform/ShiftJis.h"

namespace app {

void TIncSearch::Open() {
    origin_ = ed_.SelStart();
    if (ed_.Selected() && ed_.SelectionBytes().startRow == ed_.SelectionBytes().endRow &&
        ed_.SelectionMode() == editor::smNormal) {
        pattern_ = platform::SjisToUtf8(ed_.SelectedText());
        Encode();
        state_ = state_ == TState::Unencodable ? state_ : TState::Found;
    }
    visible_ = true;
    Changed();
}

void TIncSearch::Close() {
    visible_ = false;
    Changed();
}

bool TIncSearch::Encode() {
    platform::EncodeResult r = platform::EncodeSjis(pattern_);
    sjis_ = std::move(r.bytes);
    unencodable_ = r.unconvertible;
    if (!r.ok()) state_ = TState::Unencodable;
    return r.ok();
}

void TIncSearch::SetPattern(const std::string& utf8) {
    if (utf8 == pattern_) return;
    pattern_ = utf8;
    Research();
}

void TIncSearch::SetOption(editor::TSearchOptions bit, bool on) {
    const editor::TSearchOptions o = on ? (options_ | bit) : (options_ & ~bit);
    if (o == options_) return;
    options_ = static_cast<editor::TSearchOptions>(o);
    Research();
}

void TIncSearch::Research() {
    if (!Encode()) {
        Changed();  // the pattern stays as typed; nothing is searched
        return;
    }
    // Back to the origin, so that a longer pattern can match where the shorter one did.
    ed_.SetSelStart(origin_);
    if (sjis_.empty()) state_ = TState::Idle;
    else state_ = ed_.Search(sjis_, options_ | editor::soDown) ? TState::Found : TState::NotFound;
    Changed();
}

void TIncSearch::Step(bool down) {
    if (sjis_.empty() || state_ == TState::Unencodable) return;
    const editor::TSearchOptions o = down ? (options_ | editor::soDown) : options_;
    if (ed_.Search(sjis_, static_cast<editor::TSearchOptions>(o))) {
        state_ = TState::Found;
        origin_ = ed_.SelStart();  // typing goes on from the hit stepped to
    } else {
        state_ = TState::NotFound;
    }
    Changed();
}

std::string TIncSearch::Message() const {
    switch (state_) {
        case TState::NotFound: return pattern_ + "が見つかりません";
        case TState::Unencodable: return "Shift-JISにない文字: " + unencodable_;
        default: return {};
    }
}

}  // namespace app
