#include "editor/EditorFountain.h"

#include <algorithm>

namespace editor {

EFountainBracketError::EFountainBracketError()
    : std::runtime_error("TFountainBracketCollection\r\nYou can not add item over " +
                         std::to_string(TFountain::kMaxBrackets)) {}

namespace {

bool Same(const TFountainColor& a, const TFountainColor& b) {
    return a.bkColor == b.bkColor && a.color == b.color && a.style == b.style;
}

bool SameBrackets(const std::vector<TFountainBracketItem>& a, const std::vector<TFountainBracketItem>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.leftBracket == y.leftBracket && x.rightBracket == y.rightBracket && Same(x.itemColor, y.itemColor);
    });
}

}  // namespace

void TFountain::SetBrackets(TFountainBracketCollection items) {
    if (items.size() > static_cast<size_t>(kMaxBrackets)) throw EFountainBracketError();
    if (SameBrackets(items, brackets_)) return;
    brackets_ = std::move(items);
    Changed();
}

void TFountain::AddBracket(TFountainBracketItem item) {
    if (brackets_.size() >= static_cast<size_t>(kMaxBrackets)) throw EFountainBracketError();
    brackets_.push_back(std::move(item));
    Changed();
}

void TFountain::SetReserve(const TFountainColor& c) {
    if (Same(c, reserve_)) return;
    reserve_ = c;
    Changed();
}

void TFountain::SetReserveWordList(std::vector<std::string> words) {
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    if (words == words_) return;
    words_ = std::move(words);
    Changed();
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
    const TEditorColors& o = colors_;
    bool same = Same(c.ank, o.ank) && Same(c.comment, o.comment) && Same(c.dbcs, o.dbcs) && Same(c.hit, o.hit) &&
                Same(c.integer, o.integer) && Same(c.mail, o.mail) && Same(c.select, o.select) && Same(c.str, o.str) &&
                Same(c.symbol, o.symbol) && Same(c.url, o.url);
    BeginUpdate();
    if (!same) {
        colors_ = c;
        Changed();
    }
    SetReserve(c.reserve);
    EndUpdate();
}

void TEditorFountain::SetCommenter(std::string s) {
    if (s == commenter_) return;
    commenter_ = std::move(s);
    Changed();
}

void TEditorFountain::SetControlCode(bool on) {
    if (on == controlCode_) return;
    controlCode_ = on;
    Changed();
}

void TEditorFountain::SetHexPrefix(std::string s) {
    if (s == hexPrefix_) return;
    hexPrefix_ = std::move(s);
    Changed();
}

void TEditorFountain::SetMail(bool on) {
    if (on == mail_) return;
    mail_ = on;
    Changed();
}

void TEditorFountain::SetQuotation(std::string s) {
    if (s.size() > 1) s.resize(1);
    if (s == quotation_) return;
    quotation_ = std::move(s);
    Changed();
}

void TEditorFountain::SetUrl(bool on) {
    if (on == url_) return;
    url_ = on;
    Changed();
}

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
