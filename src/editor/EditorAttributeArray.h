// The walker that word wrap moves over a line's column map. Positions are
// 1-based columns; the byte index is the 1-based index of the byte under the
// position (a TAB's fill columns share the TAB's byte). A terminating '0'
// follows the map, so walking forward stops one column past its end.
#pragma once

#include <string>
#include <string_view>
#include <utility>

namespace editor {

class TEditorAttributeArray {
public:
    void Init(std::string_view text, std::string map) {
        text_ = text;
        map_ = std::move(map);
        map_ += '0';
        position_ = 0;
        byteIndex_ = 0;
        kind_ = ' ';
        Next();
    }

    void Next() {
        if (kind_ == '0') return;
        ++position_;
        kind_ = map_[static_cast<size_t>(position_ - 1)];
        if (kind_ != '3') ++byteIndex_;
    }
    void Prev() {
        if (position_ < 2) return;
        const char left = kind_;
        --position_;
        kind_ = map_[static_cast<size_t>(position_ - 1)];
        if (left != '3') --byteIndex_;
    }
    void MoveTo(int c) {
        while (position_ < c && kind_ != '0') Next();
        while (position_ > 1 && position_ > c) Prev();
    }
    // Steps over a whole double-byte character.
    void StepBack() {
        Prev();
        if (kind_ == '4') Prev();
    }

    // The character under the position: both bytes of a double-byte
    // character, the TAB of a fill column, nothing past the end.
    std::string_view Char() const { return CharAt(kind_, byteIndex_); }
    // The character under the next column (the position does not change).
    std::string_view NextChar() const {
        if (kind_ == '0') return {};
        const char kind = map_[static_cast<size_t>(position_)];
        return CharAt(kind, kind == '3' ? byteIndex_ : byteIndex_ + 1);
    }

    int Length() const { return static_cast<int>(map_.size()) - 1; }
    int Position() const { return position_; }
    int ByteIndex() const { return byteIndex_; }
    char Kind() const { return kind_; }

private:
    std::string_view CharAt(char kind, int byteIndex) const {
        if (kind == '0' || byteIndex < 1) return {};
        size_t first = static_cast<size_t>(byteIndex - 1);
        size_t length = 1;
        if (kind == '4') length = 2;
        else if (kind == '5' && first > 0) first -= 1, length = 2;
        if (first >= text_.size()) return {};
        return text_.substr(first, length);
    }

    std::string_view text_;
    std::string map_;
    int position_ = 0;
    int byteIndex_ = 0;
    char kind_ = ' ';
};

}  // namespace editor
