// Shift-JIS (code page 932) <-> UTF-8 conversion and DBCS-aware byte helpers.
//
// Conversions never lose input silently: every byte sequence that cannot be
// decoded and every character that cannot be encoded is counted and reported,
// and leaves a visible replacement in the output.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// A byte that starts a double-byte character (0x81-0x9F, 0xE0-0xFC).
// Inline: the editor's measuring and wrapping loops ask it for every byte.
inline bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Whether s[pos] is the second byte of a double-byte character, found by
// scanning from the start of s. As everywhere in the text model, a lead byte
// and whatever byte follows it form one character that is never split; a
// lead byte at the very end of s stands alone.
bool IsTrailByteAt(std::string_view s, size_t pos);

struct DecodeResult {
    std::string text;                       // UTF-8
    size_t badCount = 0;                    // undecodable sequences, each now U+FFFD
    size_t firstBadOffset = std::string::npos;  // byte offset of the first one in the input
    bool ok() const { return badCount == 0; }
};

// Decodes Shift-JIS to UTF-8. NUL bytes pass through as U+0000. Resync rules:
// a lead byte with a trail-range byte after it that the code page does not map
// gives one U+FFFD for the pair; a lead byte followed by a non-trail byte or at
// the end, and a byte that is neither a character nor a lead byte (0x80, 0xA0,
// 0xFD-0xFF), gives one U+FFFD for that byte alone.
DecodeResult DecodeSjis(std::string_view bytes);

struct EncodeResult {
    std::string bytes;          // Shift-JIS
    size_t badCount = 0;        // characters and invalid UTF-8 sequences, each now "?"
    std::string unconvertible;  // UTF-8: each distinct failed character once, in order of
                                // first appearance; invalid UTF-8 input shows as U+FFFD
    bool ok() const { return badCount == 0; }
};

// Encodes UTF-8 to Shift-JIS. Characters with several Unicode spellings in
// Japanese use (U+301C and U+FF5E wave dash, U+2016 and U+2225, U+2212 and
// U+FF0D, U+00A5 yen and backslash, ...) map to their code page 932 cell as on
// Japanese Windows; decoding gives the code page's own spelling back.
EncodeResult EncodeSjis(std::string_view utf8);

// For callers that have already dealt with (or deliberately accept) the report.
std::string SjisToUtf8(std::string_view bytes);
std::string Utf8ToSjis(std::string_view utf8);

// Upper-cases the ASCII letters of Shift-JIS text, leaving both bytes of every
// double-byte character alone (their second byte may equal an ASCII letter).
std::string AnsiUpperCase(std::string_view sjis);

// Equal ignoring ASCII case; double-byte characters compare exactly.
bool AnsiSameText(std::string_view a, std::string_view b);

}  // namespace platform
