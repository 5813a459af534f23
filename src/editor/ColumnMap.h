// The column map of a row: one kind per display column. '1' a single-byte
// character, '2' a single-byte delimiter, '3' a fill column after a TAB,
// '4' and '5' the two columns of a double-byte character. Caret columns,
// selections, word wrap and painting all measure with it.
#pragma once

#include <algorithm>
#include <bitset>
#include <string>
#include <string_view>

namespace editor {

using TDelimiters = std::bitset<256>;

// The editor's delimiter set: control characters, blanks and ASCII
// punctuation, a few half-width kana punctuation bytes, 0xFD-0xFF.
const TDelimiters& DefaultDelimiters();

constexpr int kMaxMapColumns = 1000;
// A column beyond every place the caret can take (1000, or 1001 after a
// double-byte character across the limit): widths measured for the caret
// stop here, so that a long row costs no more than what can be shown.
constexpr int kBeyondCaret = kMaxMapColumns + 2;

// How rows are measured: the tab width t and, with word wrap on, the wrap
// width W (0 when off); a TAB never runs past a wrap column.
struct TMeasure {
    int tabWidth = 8;
    int wrapWidth = 0;
    const TDelimiters* delimiters = &DefaultDelimiters();

    // Columns a TAB at column `col` spans, its own included.
    int TabSpan(int col) const;
};

// The map of `text`; it stops at 1000 columns (1001 when a double-byte
// character starts on column 999; W + 3 with word wrap).
std::string BuildColumnMap(std::string_view text, const TMeasure& m);

// Byte index of column c: c minus the fill columns among 0..c, limited to
// the text length. Columns beyond the map count one byte each.
int ByteIndexOfColumn(const std::string& map, int textLength, int col);
// Same, not limited to the text: a column past the end counts the blanks an
// insertion there adds.
int UnlimitedByteIndexOfColumn(const std::string& map, int col);

int TextWidth(std::string_view text, const TMeasure& m);
// min(TextWidth(text), limit), looking at no more than `limit` bytes.
int TextWidthUpTo(std::string_view text, int limit, const TMeasure& m);
// The bytes of `text` that make up its first `cols` columns, and the
// character that reaches into them last (so a double-byte character is
// never cut).
inline std::string_view ColumnsPrefix(std::string_view text, int cols) {
    const size_t n = cols < 0 ? 0 : static_cast<size_t>(cols) + 1;
    return text.substr(0, std::min(text.size(), n));
}
// Leading blanks in columns (space 1, full-width space 2, TAB to its stop);
// -1 for empty text.
int IndentWidth(std::string_view text, const TMeasure& m);
std::string ExpandTabs(std::string_view text, const TMeasure& m);

// The column where byte `index` starts (the TextWidth of the bytes before it).
inline int ColumnOfByte(std::string_view text, int index, const TMeasure& m) {
    if (index < 0) index = 0;
    if (static_cast<size_t>(index) > text.size()) index = static_cast<int>(text.size());
    return TextWidth(text.substr(0, static_cast<size_t>(index)), m);
}

}  // namespace editor
