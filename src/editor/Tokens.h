// Token kinds and the character table shared by the plain token scanner and
// the colouring scanner: how a token that starts with a given byte extends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace editor {

enum TTokenKind : uint8_t {
    tokEnd = 0, tokSymbol = 1, tokInteger = 3, tokFloat = 4, tokBracket = 6, tokComment = 7, tokReserve = 8,
    tokTab = 9, tokAnk = 11, tokDbcsSymbol = 12, tokDbcsDigit = 14, tokDbcsAlpha = 15, tokHiragana = 16,
    tokKatakana = 17, tokKanji = 18, tokKanaSymbol = 19, tokKana = 20, tokUrl = 21, tokMail = 22, tokHex = 23,
    tokSingleQuote = 24, tokDoubleQuote = 25, tokString = 26, tokControlCode = 27, tokHexControlCode = 28,
};

// The token that starts at `pos` by the character table alone; `end` is
// where it stops. Blanks (space, full-width space are symbols) are tokens
// of their own kind here; callers skip what they do not count.
TTokenKind CharTableToken(std::string_view text, size_t pos, size_t& end);

}  // namespace editor
