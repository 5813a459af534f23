#include "platform/ShiftJis.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;
using platform::DecodeSjis;
using platform::EncodeSjis;

namespace {

const std::string kFffd = "\xEF\xBF\xBD";

struct Pair {
    std::string utf8, sjis;
};

TEST(ShiftJis, RoundTripsEveryKindOfCharacter) {
    const Pair cases[] = {
        {"plain ASCII ~`{}", "plain ASCII ~`{}"},
        {"C:\\dir\\", "C:\\dir\\"},                        // 0x5C stays a backslash
        {"表示", "\x95\x5C\x8E\xA6"},                      // second byte 0x5C
        {"ソフト能力", "\x83\x5C\x83t\x83g\x94\x5C\x97\xCD"},  // ASCII-looking second bytes
        {"アヂＢａ", "\x83\x41\x83\x61\x82\x61\x82\x81"},
        {"ｱｲｳﾟ", "\xB1\xB2\xB3\xDF"},                      // half-width katakana: one byte each
        {"①ⅰ髙～", "\x87\x40\xFA\x40\xFB\xFC\x81\x60"},    // NEC and IBM extensions
        {"\xEE\x80\x80", "\xF0\x40"},                      // user-defined area -> private use
        {"a\0表\0"s, "a\0\x95\x5C\0"s},                    // NUL does not end the text
    };
    for (const Pair& c : cases) {
        auto enc = EncodeSjis(c.utf8);
        EXPECT_TRUE(enc.ok()) << c.utf8;
        EXPECT_EQ(enc.bytes, c.sjis) << c.utf8;
        auto dec = DecodeSjis(c.sjis);
        EXPECT_TRUE(dec.ok()) << c.utf8;
        EXPECT_EQ(dec.text, c.utf8);
    }
}

TEST(ShiftJis, JapaneseVariantsEncodeToTheirCodePageCell) {
    // Text typed on other systems uses the JIS spellings; they must not be lost.
    EXPECT_EQ(EncodeSjis("〜‖−¥").bytes, "\x81\x60\x81\x61\x81\x7C\x5C");
    EXPECT_EQ(DecodeSjis("\x81\x60").text, "～");
}

TEST(ShiftJis, DecodeReportsAndResyncsOnMalformedInput) {
    struct Case {
        std::string in, text;
        size_t bad, firstBad;
    } cases[] = {
        {"A\x81", "A" + kFffd, 1, 1},                                // lead byte at the end
        {"\x81\x7F" "B", kFffd + "\x7F" "B", 1, 0},                  // lead + out-of-range byte
        {"x\x81\nY", "x" + kFffd + "\nY", 1, 1},                     // line break survives
        {"\x95\x5C\x88\x41" "C", "表" + kFffd + "C", 1, 2},         // unmapped pair: one U+FFFD
        {"\x80\xA0\xFD\xFF", kFffd + kFffd + kFffd + kFffd, 4, 0},   // no character, no lead
        {"\x81\x81\x81", "＝" + kFffd, 1, 2},                        // pairs from the start
    };
    for (const Case& c : cases) {
        auto r = DecodeSjis(c.in);
        EXPECT_EQ(r.text, c.text) << c.text;
        EXPECT_EQ(r.badCount, c.bad) << c.text;
        EXPECT_EQ(r.firstBadOffset, c.firstBad) << c.text;
        EXPECT_FALSE(r.ok());
    }
}

TEST(ShiftJis, EncodeReportsEachDistinctFailureOnce) {
    struct Case {
        std::string in, bytes;
        size_t bad;
        std::string unconvertible;
    } cases[] = {
        {"üa😀𠮷ü", "?a???", 4, "ü😀𠮷"},
        {"a\xFF" "b\xFE", "a?b?", 2, kFffd},                 // invalid bytes
        {"\xE3\x81" "a", "?a", 1, kFffd},                     // truncated sequence
        {"表\xE3\x81", "\x95\x5C?", 1, kFffd},                // truncated at the end
        {"\xC0\xAF", "??", 2, kFffd},                         // overlong
        {"\xED\xA0\x80", "???", 3, kFffd},                    // surrogate
        {"\xFF😀\xFEé", "????", 4, kFffd + "😀é"},
    };
    for (const Case& c : cases) {
        auto r = EncodeSjis(c.in);
        EXPECT_EQ(r.bytes, c.bytes) << c.unconvertible;
        EXPECT_EQ(r.badCount, c.bad) << c.unconvertible;
        EXPECT_EQ(r.unconvertible, c.unconvertible);
    }
}

TEST(ShiftJis, LargeTextRoundTripsAndLocatesLateErrors) {
    const std::string unitUtf8 = "int 表示 = 0; // ｶﾀｶﾅｶﾀｶﾅ ソース\r\n";
    const std::string unitSjis = platform::Utf8ToSjis(unitUtf8);
    std::string utf8, sjis;
    while (sjis.size() < (4u << 20)) {
        utf8 += unitUtf8;
        sjis += unitSjis;
    }
    auto enc = EncodeSjis(utf8);
    ASSERT_TRUE(enc.ok());
    EXPECT_EQ(enc.bytes, sjis);
    const size_t badAt = sjis.size();
    sjis += "\x88\x41\xB6\xC0";  // unmapped pair, then ｶﾀ
    auto dec = DecodeSjis(sjis);
    EXPECT_EQ(dec.badCount, 1u);
    EXPECT_EQ(dec.firstBadOffset, badAt);
    EXPECT_TRUE(dec.text == utf8 + kFffd + "ｶﾀ");
}

TEST(ShiftJis, DoubleByteCharactersAreNeverSplit) {
    const std::string s = "a\x95\x5C\x83\x61\x81";  // a 表 ヂ + lone lead byte
    const bool trail[] = {false, false, true, false, true, false, false};
    for (size_t pos = 0; pos < std::size(trail); ++pos) EXPECT_EQ(platform::IsTrailByteAt(s, pos), trail[pos]) << pos;
    EXPECT_FALSE(platform::IsTrailByteAt("\x81\x81\x81", 2));
    // ヂ is 0x83 0x61: upper-casing its second byte would turn it into ア (0x83 0x41).
    EXPECT_EQ(platform::AnsiUpperCase("abc\x83\x61z\x82\x61\xB1q\x81"), "ABC\x83\x61Z\x82\x61\xB1Q\x81");
    struct Case {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"Section", "SECTION", true}, {"\x95\x5Cx", "\x95\x5CX", true}, {"\xB1" "a", "\xB1" "A", true},
        {"\x83\x61", "\x83\x41", false}, {"abc", "abcd", false},      {"", "", true},
    };
    for (const Case& c : cases) EXPECT_EQ(platform::AnsiSameText(c.a, c.b), c.same) << c.a << " " << c.b;
}

}  // namespace
