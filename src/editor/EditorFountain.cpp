#include "editor/EditorFountain.h"

#include <algorithm>

namespace editor {

EFountainBracketError::EFountainBracketError()
    : std::runtime_error("TFountainBracketCollection\r\nYou can not add item over " +
                         std::to_string(TFountain::kMaxBrackets)) {}

void TFountain::SetBrackets(TFountainBracketCollection items) {
    if (items.size() > static_cast<size_t>(kMaxBrackets)) throw EFountainBracketError();
    Assign(brackets_, std::move(items));
}

void TFountain::AddBracket(TFountainBracketItem item) {
    if (brackets_.size() >= static_cast<size_t>(kMaxBrackets)) throw EFountainBracketError();
    brackets_.push_back(std::move(item));
    Changed();
}

void TFountain::SetReserve(const TFountainColor& c) { Assign(reserve_, c); }

void TFountain::SetReserveWordList(std::vector<std::string> words) {
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    Assign(words_, std::move(words));
}

bool TFountain::IsReserveWord(std::string_view word) const {
    return std::binary_search(words_.begin(), words_.end(), word,
                              [](std::string_view a, std::string_view b) { return a < b; });
}

TFountain::~TFountain() {
    auto copy = std::move(listeners_);
    listeners_.clear();
    for (Subscriber& s : copy)
        if (s.destroyed) s.destroyed();
}

int TFountain::Subscribe(Listener l, Listener destroyed) {
    listeners_.push_back({nextListener_, std::move(l), std::move(destroyed)});
    return nextListener_++;
}

void TFountain::Unsubscribe(int id) {
    listeners_.erase(std::remove_if(listeners_.begin(), listeners_.end(), [id](auto& s) { return s.id == id; }),
                     listeners_.end());
}

void TFountain::EndUpdate() {
    if (updating_ > 0 && --updating_ == 0 && pending_) Changed();
}

void TFountain::Changed() {
    if (updating_ > 0) {
        pending_ = true;
        return;
    }
    pending_ = false;
    auto copy = listeners_;
    for (Subscriber& s : copy)
        if (s.changed) s.changed();
}

TEditorFountain::TEditorFountain() {
    colors_.select = {0x800000, clWhite, 0};  // white on navy
}

void TEditorFountain::SetColors(const TEditorColors& c) {
    BeginUpdate();
    Assign(colors_, c);
    SetReserve(c.reserve);  // the fountain's own record
    EndUpdate();
}

void TEditorFountain::SetCommenter(std::string s) { Assign(commenter_, std::move(s)); }

void TEditorFountain::SetControlCode(bool on) { Assign(controlCode_, on); }

void TEditorFountain::SetHexPrefix(std::string s) { Assign(hexPrefix_, std::move(s)); }

void TEditorFountain::SetMail(bool on) { Assign(mail_, on); }

void TEditorFountain::SetQuotation(std::string s) {
    if (s.size() > 1) s.resize(1);
    Assign(quotation_, std::move(s));
}

void TEditorFountain::SetUrl(bool on) { Assign(url_, on); }

void TEditorFountain::SetBracketsBkColor(TColor c) {
    TFountainBracketCollection items = Brackets();
    for (TFountainBracketItem& b : items) b.itemColor.bkColor = c;
    SetBrackets(std::move(items));
}

void TEditorFountain::SetBracketsColor(TColor c) {
    TFountainBracketCollection items = Brackets();
    for (TFountainBracketItem& b : items) b.itemColor.color = c;
    SetBrackets(std::move(items));
}

void TEditorFountain::SetBracketsStyle(uint8_t style) {
    TFountainBracketCollection items = Brackets();
    for (TFountainBracketItem& b : items) b.itemColor.style = style;
    SetBrackets(std::move(items));
}

bool TEditorFountain::AnyItalic() const {
    auto italic = [](const TFountainColor& c) { return (c.style & fsItalic) != 0; };
    const TEditorColors& c = colors_;
    if (italic(Reserve())) return true;
    for (const TFountainColor* r : {&c.ank, &c.comment, &c.dbcs, &c.hit, &c.integer, &c.mail, &c.select, &c.str,
                                    &c.symbol, &c.url})
        if (italic(*r)) return true;
    for (const TFountainBracketItem& b : Brackets())
        if (italic(b.itemColor)) return true;
    return false;
}

}  // namespace editor
