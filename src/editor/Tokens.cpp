#include "editor/Tokens.h"

namespace editor {

namespace {

bool Digit(unsigned char c) { return c >= '0' && c <= '9'; }
bool Alpha(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool LeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

unsigned char At(std::string_view t, size_t i) { return i < t.size() ? static_cast<unsigned char>(t[i]) : 0; }

// Runs of double-byte characters whose pair satisfies `ok`.
template <typename Ok>
size_t PairRun(std::string_view t, size_t i, Ok ok) {
    while (i + 1 < t.size() && ok(At(t, i), At(t, i + 1))) i += 2;
    return i;
}

bool ProlongedOrIteration(unsigned char a, unsigned char b) { return a == 0x81 && (b == 0x5B || b == 0x7C); }

size_t Number(std::string_view t, size_t i, TTokenKind& kind) {
    kind = tokInteger;
    while (Digit(At(t, i))) ++i;
    // A "." after the digits makes a float even when it is not taken.
    if (At(t, i) == '.') {
        kind = tokFloat;
        if (Digit(At(t, i + 1)) || At(t, i + 1) == 'E' || At(t, i + 1) == 'e') {
            ++i;
            while (Digit(At(t, i))) ++i;
        }
    }
    if (At(t, i) == 'E' || At(t, i) == 'e') {
        kind = tokFloat;
        ++i;
        if (At(t, i) == '+' || At(t, i) == '-') ++i;
        while (Digit(At(t, i))) ++i;
    }
    return i;
}

}  // namespace

TTokenKind CharTableToken(std::string_view t, size_t pos, size_t& end) {
    unsigned char c = At(t, pos);
    if (pos >= t.size() || c == 0 || c == '\r' || c == '\n') {
        end = pos;
        return tokEnd;
    }
    if (c == '\t') {
        end = pos + 1;
        return tokTab;
    }
    if (Digit(c)) {
        TTokenKind kind;
        end = Number(t, pos, kind);
        return kind;
    }
    if (Alpha(c)) {
        size_t i = pos;
        while (Alpha(At(t, i)) || Digit(At(t, i))) ++i;
        end = i;
        return tokAnk;
    }
    if (LeadByte(c)) {
        unsigned char d = At(t, pos + 1);
        if (pos + 1 >= t.size()) {
            end = pos + 1;
            return tokSymbol;
        }
        if (c == 0x81 || (c >= 0x84 && c <= 0x87)) {
            end = pos + 2;
            return tokDbcsSymbol;
        }
        if (c == 0x82 && d >= 0x4F && d <= 0x58) {
            end = PairRun(t, pos, [](unsigned char a, unsigned char b) {
                return (a == 0x82 && b >= 0x4F && b <= 0x58) || (a == 0x81 && (b == 0x43 || b == 0x44));
            });
            return tokDbcsDigit;
        }
        if (c == 0x82 && ((d >= 0x60 && d <= 0x79) || (d >= 0x81 && d <= 0x9A))) {
            end = PairRun(t, pos, [](unsigned char a, unsigned char b) {
                return a == 0x82 && ((b >= 0x60 && b <= 0x79) || (b >= 0x81 && b <= 0x9A));
            });
            return tokDbcsAlpha;
        }
        if (c == 0x82 && d >= 0x9F && d <= 0xF1) {
            end = PairRun(t, pos, [](unsigned char a, unsigned char b) {
                return (a == 0x82 && b >= 0x9F && b <= 0xF1) || ProlongedOrIteration(a, b);
            });
            return tokHiragana;
        }
        if (c == 0x83 && d >= 0x40 && d <= 0x96) {
            end = PairRun(t, pos, [](unsigned char a, unsigned char b) {
                return (a == 0x83 && b >= 0x40 && b <= 0x96) || ProlongedOrIteration(a, b);
            });
            return tokKatakana;
        }
        if (c == 0x82 || c == 0x83) {
            end = pos + 2;
            return tokDbcsSymbol;
        }
        // 0x88-0x9F, 0xE0-0xFC: kanji, a second byte above 0x3F taken with its lead.
        size_t i = pos;
        while (i < t.size()) {
            unsigned char a = At(t, i);
            if (!((a >= 0x88 && a <= 0x9F) || (a >= 0xE0 && a <= 0xFC))) break;
            i += (i + 1 < t.size() && At(t, i + 1) > 0x3F) ? 2 : 1;
        }
        end = i;
        return tokKanji;
    }
    if (c >= 0xA1 && c <= 0xA5) {
        end = pos + 1;
        return tokKanaSymbol;
    }
    if (c >= 0xA6 && c <= 0xDF) {
        size_t i = pos;
        while (At(t, i) >= 0xA6 && At(t, i) <= 0xDF && i < t.size()) ++i;
        end = i;
        return tokKana;
    }
    end = pos + 1;
    return tokSymbol;
}

}  // namespace editor
