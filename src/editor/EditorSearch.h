// The search engine of the editor control: finds a Shift-JIS pattern in a
// Shift-JIS text forward or backward, optionally ignoring letter case, the
// width of characters, blanks and line breaks, or matching whole words
// only. A match never starts or ends inside a double-byte character.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace editor {

using TSearchOptions = uint16_t;
enum : TSearchOptions {
    soDown = 0x0001,
    soMatchCase = 0x0002,
    soWholeWord = 0x0004,
    soIgnoreWidth = 0x0008,
    soIgnoreLineBreak = 0x0080,
    soIgnoreBlank = 0x0100,
};

// In: where the search starts and the length of the selection or previous
// hit there. Out: the match's offset and the text bytes it covers (skipped
// blanks and line breaks included).
struct TSearchPos {
    int64_t offset = 0;
    int64_t length = 0;
};

// A character as the comparison sees it: a single byte b is b, a
// double-byte character is lead << 8 | trail.
using TSearchChar = uint16_t;

// The full-width form of the single-byte character `b`; `next` is the byte
// after it (-1 at the end). `used` becomes 2 when a following voicing mark
// joined into the form. A byte with no full-width form is returned as is.
TSearchChar FullWidthChar(unsigned char b, int next, int* used);
// The capital form of a small full-width Latin, Greek or Cyrillic letter or
// a small Roman numeral; any other character as is.
TSearchChar FoldCase(TSearchChar c);

enum class TFindResult { NotFound, Found, NeedMore };

// A pattern prepared for a set of options, reusable over many texts.
class TSearchPattern {
public:
    TSearchPattern(std::string_view pattern, TSearchOptions options);
    bool Empty() const { return chars_.empty(); }
    TSearchOptions Options() const { return options_; }
    // Runs the engine over `text`; on success `pos` holds the match.
    bool Find(std::string_view text, TSearchPos& pos) const;
    // The same over a piece of a longer text that goes on after `text`:
    // a candidate whose outcome depends on the bytes after the piece stops
    // the search with NeedMore, `pos.offset` being that candidate (every
    // candidate before it, in the search's direction, matched nothing).
    TFindResult Find(std::string_view text, TSearchPos& pos, bool textGoesOn) const;

private:
    enum : uint8_t { kSingle = 0, kLead = 1, kTrail = 2 };
    enum class TMatch { No, Yes, RanOut };
    // The character at `i` as compared, and how many bytes it covers.
    TSearchChar CharAt(std::string_view s, size_t i, size_t* len, const uint8_t* cls) const;
    // RanOut: the text ended before the candidate was decided (only when
    // it goes on).
    TMatch MatchAt(std::string_view text, size_t k, size_t* len, bool textGoesOn) const;
    bool WordByteAt(std::string_view text, size_t i) const;
    bool WordStart(std::string_view text, size_t k) const;

    TSearchOptions options_;
    std::vector<TSearchChar> chars_;
    size_t patternBytes_ = 0;
    // Whether a text character beginning with the byte can equal the
    // pattern's first character (single byte, lead byte).
    std::array<bool, 256> firstSingle_{}, firstLead_{};
    mutable std::vector<uint8_t> classes_;  // the byte class map of the text searched
};

// The engine for one text: false when the pattern or the text is empty or
// nothing matches; else `pos` holds the match.
bool FindInBuffer(std::string_view text, TSearchPos& pos, std::string_view pattern, TSearchOptions options);

}  // namespace editor
