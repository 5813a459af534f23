// The editor's search: the full-width and case tables against the codec,
// the engine's edge cases, the engine against a slow reference on random
// Shift-JIS texts, and the control's chunked search with its hit styles.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "EditorCommandUtil.h"
#include "app/IncSearch.h"
#include "editor/EditorSearch.h"
#include "platform/ShiftJis.h"

using namespace editor;
using platform::SjisToUtf8;
using platform::Utf8ToSjis;

namespace {

std::string Bytes(TSearchChar c) {
    return c < 0x100 ? std::string(1, static_cast<char>(c)) : std::string{static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
}

std::u32string Decode(std::string_view utf8) {
    std::u32string out;
    for (size_t i = 0; i < utf8.size();) {
        auto b = static_cast<unsigned char>(utf8[i]);
        size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t c = len == 1 ? b : b & (0xFF >> (len + 1));
        for (size_t k = 1; k < len; ++k) c = c << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        out += c;
        i += len;
    }
    return out;
}

// The Shift-JIS bytes of one character.
std::string Encode(char32_t c) {
    std::string s;
    if (c < 0x80) s += static_cast<char>(c);
    else if (c < 0x800) s += static_cast<char>(0xC0 | c >> 6), s += static_cast<char>(0x80 | (c & 0x3F));
    else s += static_cast<char>(0xE0 | c >> 12), s += static_cast<char>(0x80 | (c >> 6 & 0x3F)), s += static_cast<char>(0x80 | (c & 0x3F));
    return Utf8ToSjis(s);
}

const char* kHalfKana = "｡｢｣､･ｦｧｨｩｪｫｬｭｮｯｰｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜﾝﾞﾟ";
const char* kFullKana = "。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン゛゜";

}  // namespace

// ---- Tables -------------------------------------------------------------------

TEST(SearchTables, FullWidthFormsAgreeWithTheCodec) {
    // ASCII: the full-width block, but for the four the code page shows differently.
    const std::string ascii = " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~";
    const std::u32string wide = Decode("　！”＃＄％＆’（）＊＋，－．／０１２３４５６７８９：；＜＝＞？＠ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ［￥］＾＿｀ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ｛｜｝￣");
    ASSERT_EQ(ascii.size(), wide.size());
    int used = 0;
    for (size_t i = 0; i < ascii.size(); ++i)
        EXPECT_EQ(Bytes(FullWidthChar(static_cast<unsigned char>(ascii[i]), -1, &used)), Encode(wide[i])) << ascii[i];
    const std::string half = Utf8ToSjis(kHalfKana);
    const std::u32string full = Decode(kFullKana);
    ASSERT_EQ(half.size(), full.size());
    for (size_t i = 0; i < half.size(); ++i)
        EXPECT_EQ(Bytes(FullWidthChar(static_cast<unsigned char>(half[i]), -1, &used)), Encode(full[i])) << i;
    // Voicing marks join only kana that have the voiced or semi-voiced form.
    struct Join { const char* pair; const char* form; int used; } joins[] = {
        {"ｶﾞ", "ガ", 2}, {"ﾄﾞ", "ド", 2}, {"ﾊﾞ", "バ", 2}, {"ﾎﾟ", "ポ", 2}, {"ｳﾞ", "ヴ", 2},
        {"ｶﾟ", "カ", 1}, {"ｱﾞ", "ア", 1}, {"ﾅﾞ", "ナ", 1}, {"ﾞﾞ", "゛", 1}, {"ｦﾞ", "ヲ", 1},
    };
    for (const Join& j : joins) {
        const std::string s = Utf8ToSjis(j.pair);
        TSearchChar c = FullWidthChar(static_cast<unsigned char>(s[0]), static_cast<unsigned char>(s[1]), &used);
        EXPECT_EQ(SjisToUtf8(Bytes(c)), j.form) << j.pair;
        EXPECT_EQ(used, j.used) << j.pair;
    }
    for (int b : {0x09, 0x0D, 0x7F, 0x80, 0xA0, 0xE0, 0xFD, 0xFF}) EXPECT_EQ(FullWidthChar(b, -1, &used), b);
}

TEST(SearchTables, CaseFoldingClasses) {
    struct Class { const char *lower, *upper; } classes[] = {
        {"ａｂｃｘｙｚ", "ＡＢＣＸＹＺ"},
        {"αβγπρσω", "ΑΒΓΠΡΣΩ"},
        {"абвеёжмнопюя", "АБВЕЁЖМНОПЮЯ"},
        {"ⅰⅱⅲⅳⅴⅵⅶⅷⅸⅹ", "ⅠⅡⅢⅣⅤⅥⅦⅧⅨⅩ"},
    };
    for (const Class& c : classes) {
        const std::u32string lower = Decode(c.lower), upper = Decode(c.upper);
        for (size_t i = 0; i < lower.size(); ++i) {
            const std::string l = Encode(lower[i]), u = Encode(upper[i]);
            auto key = [](const std::string& s) { return static_cast<TSearchChar>(static_cast<unsigned char>(s[0]) << 8 | static_cast<unsigned char>(s[1])); };
            EXPECT_EQ(FoldCase(key(l)), key(u)) << SjisToUtf8(l);
            EXPECT_EQ(FoldCase(key(u)), key(u)) << SjisToUtf8(u);
        }
    }
    // The other cell of the small Roman numerals meets the same capitals.
    EXPECT_EQ(FoldCase(0xEEF2), 0x8757);
    EXPECT_EQ(FoldCase(0xFA43), 0x8757);
    // Neighbours of the ranges stay.
    for (TSearchChar c : {0x8280, 0x829B, 0x83BE, 0x83D7, 0x846F, 0x847F, 0x8492, 0xEEEE, 0xEEF9, 0x8754})
        EXPECT_EQ(FoldCase(c), c);
}

// ---- Engine edge cases -------------------------------------------------------------

TEST(FindInBuffer, EdgeCasesByRule) {
    struct Case {
        const char* rule;
        std::string text;
        int64_t start, length;
        std::string pattern;
        TSearchOptions options;
        int64_t offset, found;  // offset -1: not found
    };
    const TSearchOptions d = soDown, mc = soMatchCase;
    const std::string kA = Utf8ToSjis("ア");  // 0x83 0x41: a trail byte equal to "A"
    const Case cases[] = {
        {"empty pattern", "abc", 0, 0, "", d, -1, 0},
        {"empty text", "", 0, 0, "a", d, -1, 0},
        {"start outside", "abc", 4, 0, "a", d, -1, 0},
        {"after the selection", "abcabc", 0, 3, "abc", d | mc, 3, 3},
        {"after the selection, none left", "abcabc", 3, 3, "abc", d | mc, -1, 0},
        {"backward before the start", "abcabc", 6, 0, "abc", mc, 3, 3},
        {"backward: a match may not run past the start", "abcabc", 5, 0, "abc", mc, 0, 3},
        {"trail byte never a start", kA + "a", 0, 0, "A", d | mc, -1, 0},
        {"trail byte never a start, ignoring case", kA + "A", 0, 0, "a", d, 2, 1},
        {"trail byte never a start, backward", kA, 2, 0, "A", mc, -1, 0},
        {"start inside a character moves past it", kA + kA, 1, 0, kA, d | mc, 2, 2},
        {"ignoring case", "xABc", 0, 0, "abC", d, 1, 3},
        {"matching case", "xABc", 0, 0, "abC", d | mc, -1, 0},
        {"underscore separates words", "foo_bar", 0, 0, "foo", d | soWholeWord, 0, 3},
        {"underscore separates words, second", "foo_bar", 0, 0, "bar", d | soWholeWord, 4, 3},
        {"inside a word", "foobar foo", 0, 0, "foo", d | soWholeWord, 7, 3},
        {"inside a word, backward", "foo foobar", 10, 0, "foo", soWholeWord, 0, 3},
        {"word ending at the text's end only", "xab", 0, 0, "ab", d | soWholeWord, -1, 0},
        {"double-byte letters are word characters", "\x83\x5C" "ab", 0, 0, "ab", d | soWholeWord, -1, 0},
        {"blank skipped", "a b", 0, 0, "ab", d | soIgnoreBlank, 0, 3},
        {"tab skipped", "a\t\tb", 0, 0, "ab", d | soIgnoreBlank, 0, 4},
        {"full-width space skipped", "a\x81\x40" "b", 0, 0, "ab", d | soIgnoreBlank, 0, 4},
        {"leading blank not skipped", " ab", 0, 0, "ab", d | soIgnoreBlank, 1, 2},
        {"blank not skipped without the option", "a b", 0, 0, "ab", d, -1, 0},
        {"line break skipped", "a\r\nb", 0, 0, "ab", d | soIgnoreLineBreak, 0, 4},
        {"line break is no blank", "a\r\nb", 0, 0, "ab", d | soIgnoreBlank, -1, 0},
        {"full-width capitals match half-width small", "xabc", 0, 0, Utf8ToSjis("ＡＢＣ"), d | soIgnoreWidth, 1, 3},
        {"width ignored, case kept", "xabc", 0, 0, Utf8ToSjis("ＡＢＣ"), d | soIgnoreWidth | mc, -1, 0},
        {"voiced kana matches kana and mark", Utf8ToSjis("ｱｶﾞ"), 0, 0, Utf8ToSjis("ガ"), d | soIgnoreWidth, 1, 2},
        {"kana and mark match the voiced kana", Utf8ToSjis("アガ"), 0, 0, Utf8ToSjis("ｶﾞ"), d | soIgnoreWidth, 2, 2},
        {"plain kana does not match a voiced one", Utf8ToSjis("ｶﾞ"), 0, 0, Utf8ToSjis("カ"), d | soIgnoreWidth, -1, 0},
        {"backward over a joined mark", Utf8ToSjis("ｶﾞｶﾞ"), 4, 0, Utf8ToSjis("ガ"), soIgnoreWidth, 2, 2},
        {"quotes and yen", "\"\\'~", 0, 0, Utf8ToSjis("”￥’￣"), d | soIgnoreWidth, 0, 4},
        {"full-width small matches capital", Utf8ToSjis("ａβя"), 0, 0, Utf8ToSjis("ＡΒЯ"), d, 0, 6},
        {"small Roman numeral", "\xEE\xF2", 0, 0, "\x87\x57", d, 0, 2},
        {"case folding needs no match case", Utf8ToSjis("ａ"), 0, 0, Utf8ToSjis("Ａ"), d | mc, -1, 0},
    };
    for (const Case& c : cases) {
        TSearchPos pos{c.start, c.length};
        const bool found = FindInBuffer(c.text, pos, c.pattern, c.options);
        EXPECT_EQ(found, c.offset >= 0) << c.rule;
        if (found && c.offset >= 0) {
            EXPECT_EQ(pos.offset, c.offset) << c.rule;
            EXPECT_EQ(pos.length, c.found) << c.rule;
        }
    }
}

// ---- Engine against a reference -------------------------------------------------------

namespace {

// The reference reads characters through Unicode: width and case are
// mapped on code points and encoded again, independently of the engine's
// byte tables. A character no rule changes keeps its bytes.
struct Reference {
    TSearchOptions o;

    static bool Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

    // Bytes of the character at i: a lead byte with a byte after it, a
    // half-width kana with the voicing mark that joins it (width ignored), or one byte.
    size_t Length(const std::string& t, size_t i, const std::vector<bool>& trail) const {
        if (Lead(static_cast<unsigned char>(t[i])) && i + 1 < t.size() && !trail[i]) return 2;
        if ((o & soIgnoreWidth) && i + 1 < t.size() && Joined(t.substr(i, 2)) != 0) return 2;
        return 1;
    }
    static char32_t Joined(const std::string& pair) {
        const std::u32string u = Decode(SjisToUtf8(pair));
        if (u.size() != 2) return 0;
        const std::u32string voiced = U"ｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾊﾋﾌﾍﾎ", semi = U"ﾊﾋﾌﾍﾎ";
        const char32_t base = Wide(u[0]);
        if (u[1] == U'ﾞ' && u[0] == U'ｳ') return U'ヴ';
        if (u[1] == U'ﾞ' && voiced.find(u[0]) != std::u32string::npos) return base + 1;
        if (u[1] == U'ﾟ' && semi.find(u[0]) != std::u32string::npos) return base + 2;
        return 0;
    }
    static char32_t Wide(char32_t c) {
        static const std::u32string half = Decode(kHalfKana), full = Decode(kFullKana);
        if (c == U'"') return U'”';
        if (c == U'\'') return U'’';
        if (c == U'\\') return U'￥';
        if (c == U'~') return U'￣';
        if (c == U' ') return U'　';
        if (c >= 0x21 && c <= 0x7E) return c - 0x21 + 0xFF01;
        if (size_t k = half.find(c); k != std::u32string::npos) return full[k];
        return c;
    }
    static char32_t Upper(char32_t c) {
        if ((c >= U'a' && c <= U'z') || (c >= U'ａ' && c <= U'ｚ')) return c - 0x20;
        if ((c >= U'α' && c <= U'ω' && c != U'ς') || (c >= U'а' && c <= U'я')) return c - 0x20;
        if (c == U'ё') return U'Ё';
        if (c >= U'ⅰ' && c <= U'ⅹ') return c - 0x10;
        return c;
    }
    std::string Key(const std::string& bytes) const {
        const std::u32string u = Decode(SjisToUtf8(bytes));
        char32_t c = u.size() == 2 ? Joined(bytes) : u.size() == 1 ? u[0] : 0;
        if (c == 0 || c == 0xFFFD) return bytes;
        const char32_t original = u.size() == 1 ? u[0] : 0;
        if ((o & soIgnoreWidth) && bytes.size() == 1) c = Wide(c);
        if (!(o & soMatchCase)) c = Upper(c);
        return c == original ? bytes : Encode(c);
    }
    static bool WordChar(const std::string& t, size_t i, const std::vector<bool>& trail) {
        if (trail[i] || (Lead(static_cast<unsigned char>(t[i])) && i + 1 < t.size())) return true;
        const std::string delimiters = std::string("\x00", 1) + "\x01\x02\x03\x04\x05\x06\x07\x08\t\n\x0B\x0C\r\x0E\x0F\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1A\x1B\x1C\x1D\x1E\x1F !\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~\x7F\x80\xA0\xA1\xA2\xA3\xA4\xA5\xFD\xFE\xFF";
        return delimiters.find(t[i]) == std::string::npos;
    }
    static std::vector<bool> Trails(const std::string& t) {
        std::vector<bool> trail(t.size() + 1, false);
        for (size_t i = 0; i < t.size(); ++i)
            if (!trail[i] && Lead(static_cast<unsigned char>(t[i])) && i + 1 < t.size()) trail[i + 1] = true;
        return trail;
    }

    bool Find(const std::string& text, TSearchPos& pos, const std::string& pattern) const {
        const int64_t n = static_cast<int64_t>(text.size());
        if (pattern.empty() || text.empty() || pos.offset < 0 || pos.offset > n || pos.length < 0) return false;
        const std::vector<bool> tt = Trails(text), pt = Trails(pattern);
        std::vector<std::string> keys;
        for (size_t i = 0; i < pattern.size();) {
            size_t len = Length(pattern, i, pt);
            keys.push_back(Key(pattern.substr(i, len)));
            i += len;
        }
        auto matchAt = [&](size_t k, int64_t* length) {
            if ((o & soWholeWord) && !(WordChar(text, k, tt) && (k == 0 || !WordChar(text, k - 1, tt)))) return false;
            size_t i = k;
            for (size_t p = 0; p < keys.size();) {
                if (i >= text.size()) return false;
                size_t len = Length(text, i, tt);
                if (Key(text.substr(i, len)) == keys[p]) {
                    i += len, ++p;
                    continue;
                }
                const std::string c = text.substr(i, len);
                const bool blank = c == " " || c == "\t" || c == "\x81\x40";
                if (p > 0 && (((o & soIgnoreBlank) && blank) || ((o & soIgnoreLineBreak) && (c == "\r" || c == "\n")))) {
                    i += len;
                    continue;
                }
                return false;
            }
            if ((o & soWholeWord) && i < text.size() && WordChar(text, i, tt)) return false;
            *length = static_cast<int64_t>(i - k);
            return true;
        };
        int64_t s = pos.offset;
        if (o & soDown) {
            s += pos.length;
            for (int64_t k = s; k < n; ++k)
                if (!tt[k] && matchAt(static_cast<size_t>(k), &pos.length)) return pos.offset = k, true;
            return false;
        }
        if (o & soIgnoreWidth) {
            for (size_t c = 0; c < keys.size() && s >= 0; ++c) {
                --s;
                if (s >= 0 && tt[s]) --s;
                else if (s > 0 && !tt[s - 1] && !Lead(static_cast<unsigned char>(text[s - 1])) && Joined(text.substr(s - 1, 2))) --s;
            }
        } else {
            s -= static_cast<int64_t>(pattern.size());
        }
        if (s < 0) return false;
        if (tt[s]) --s;
        for (int64_t k = s; k >= 0; --k)
            if (!tt[k] && matchAt(static_cast<size_t>(k), &pos.length)) return pos.offset = k, true;
        return false;
    }
};

}  // namespace

TEST(FindInBuffer, AgreesWithReferenceOnRandomTexts) {
    // Pieces chosen to meet every rule: letters of both cases and widths,
    // kana with voicing marks, blanks, line breaks, delimiters, double-byte
    // characters whose second byte looks like ASCII, bytes no character
    // uses, and both cells of a small Roman numeral.
    std::vector<std::string> pieces;
    for (const char* u : {"a", "b", "A", "B", "_", " ", "\t", "\r", "\n", ".", "\"", "\\", "~", "ｶ", "ﾞ", "ﾟ", "ﾊ", "ｳ",
                          "･", "Ａ", "ａ", "Ｂ", "ガ", "カ", "パ", "ヴ", "　", "．", "α", "Α", "я", "Я", "Ⅳ", "ア", "ソ",
                          "”", "￥", "゛"})
        pieces.push_back(Utf8ToSjis(u));
    for (const char* raw : {"\xEE\xF2", "\xFA\x43", "\x80", "\xA0", "\xFD", "\x82"}) pieces.push_back(raw);

    const TSearchOptions groups[] = {
        soMatchCase, 0, soIgnoreWidth, soIgnoreWidth | soMatchCase, soWholeWord, soWholeWord | soIgnoreWidth,
        soIgnoreBlank | soIgnoreLineBreak, soIgnoreBlank | soIgnoreWidth,
        soWholeWord | soIgnoreBlank | soIgnoreLineBreak | soIgnoreWidth,
    };
    std::mt19937 rng(12);
    auto pick = [&](size_t n) { return static_cast<size_t>(rng() % n); };
    for (TSearchOptions group : groups) {
        int found = 0, total = 0;
        for (int round = 0; round < 3000; ++round) {
            const TSearchOptions o = group | (round % 2 ? soDown : 0);
            std::string text;
            for (size_t k = pick(24); k > 0; --k) text += pieces[pick(pieces.size())];
            std::string pattern;
            if (!text.empty() && pick(3) != 0) {
                // Mostly a piece of the text, which may start or end inside a character.
                const size_t a = pick(text.size()), len = 1 + pick(5);
                pattern = text.substr(a, len);
            } else {
                for (size_t k = 1 + pick(3); k > 0; --k) pattern += pieces[pick(pieces.size())];
            }
            const int64_t n = static_cast<int64_t>(text.size());
            TSearchPos in{static_cast<int64_t>(pick(static_cast<size_t>(n) + 2)), static_cast<int64_t>(pick(3))};
            TSearchPos got = in, want = in;
            const bool g = FindInBuffer(text, got, pattern, o);
            const bool w = Reference{o}.Find(text, want, pattern);
            ++total;
            found += w;
            SCOPED_TRACE(testing::Message() << "options " << o << " text " << SjisToUtf8(text) << " pattern "
                                            << SjisToUtf8(pattern) << " at " << in.offset << "+" << in.length);
            ASSERT_EQ(g, w);
            if (g) {
                ASSERT_EQ(got.offset, want.offset);
                ASSERT_EQ(got.length, want.length);
            }
        }
        // The texts and patterns must make both outcomes common.
        EXPECT_GT(found, total / 100) << "options " << group;
        EXPECT_LT(found, total * 9 / 10) << "options " << group;
    }
}

// ---- The control's search -------------------------------------------------------------

TEST(EditorSearch, RepeatedSearchesVisitEveryOccurrenceAcrossChunks) {
    // Rows of varying length make matches fall on every chunk boundary;
    // with word wrap the rows are cut inside words, and matches across a
    // cut are found too.
    for (bool wrap : {false, true}) {
        std::string text;
        std::vector<int64_t> starts;
        for (int i = 0; i < 3000; ++i) {
            text += std::string(static_cast<size_t>(i % 37), 'x');
            starts.push_back(static_cast<int64_t>(text.size()));
            text += "needle" + std::string(static_cast<size_t>(i % 5), 'y') + "\r\n";
        }
        TEditor ed;
        Load(ed, text);
        if (wrap) {
            TEditorWrapOption w;
            w.SetWrapByte(20);
            ed.SetWrapOption(w);
            ed.SetWordWrap(true);
        }
        ed.SetRowCol(0, 0);
        std::vector<int64_t> forward;
        while (ed.Search("NEEDLE", soDown)) forward.push_back(ed.SelStart());
        EXPECT_EQ(forward, starts) << wrap;
        EXPECT_EQ(ed.SelectedText(), "needle");
        std::vector<int64_t> backward;
        ed.ClearSelection();
        ed.SetRowCol(ed.RowCount(), 0);
        while (ed.Search("needle", soMatchCase)) backward.push_back(ed.SelStart());
        std::reverse(backward.begin(), backward.end());
        EXPECT_EQ(backward, starts) << wrap;
    }
}

TEST(EditorSearch, MatchesOverSeveralRowsAtAChunkBoundaryAreFoundBothWays) {
    // A first line whose length puts the matched rows at the end of the
    // first chunk or just past it; "abcdef" spans three rows.
    const std::string tail = "ab\r\ncd\r\nef\r\nzz";
    struct Case { std::string before, pattern; int64_t at, length; } cases[] = {
        {std::string(100, 'x') + "\r\n", "abcdef", 102, 10},
        {std::string(8184, 'x') + "\r\n", "abcdef", 8186, 10},
        {std::string(8184, 'x') + "\r\n", "bcde", 8187, 8},
        {std::string(8186, 'x') + "\r\n", "abcdef", 8188, 10},
        {std::string(8189, 'x') + "\r\n", "bcde", 8192, 8},
        {std::string(4000, 'x') + "\r\n" + std::string(4181, 'x') + "\r\n", "abcdef", 8185, 10},
        // A match longer than a chunk: a line break on each of 6000 rows is skipped.
        {"x\r\na" + [] { std::string s; for (int i = 0; i < 6000; ++i) s += "\r\n"; return s; }(), "aab", 3, 12003},
    };
    for (const Case& c : cases) {
        for (bool down : {true, false}) {
            SCOPED_TRACE(std::to_string(c.before.size()) + " " + c.pattern + (down ? " forward" : " backward"));
            TEditor ed;
            Load(ed, c.before + tail);
            if (down) ed.SetRowCol(0, 0);
            else ed.SetRowCol(ed.RowCount() - 1, 2);
            ASSERT_TRUE(ed.Search(c.pattern, soIgnoreLineBreak | (down ? soDown : 0)));
            EXPECT_EQ(ed.SelStart(), c.at);
            EXPECT_EQ(ed.SelLength(), c.length);
        }
    }
}

TEST(EditorSearch, HitStyles) {
    struct Case { THitStyle style; TSelectionState state; int caretCol; int64_t hitLength; } cases[] = {
        {hsSelect, sstSelected, 4, 0},
        {hsDraw, sstHit, 4, 0},
        {hsCaret, sstHit, 2, 2},
    };
    for (const Case& c : cases) {
        TEditor ed;
        Load(ed, "x aaaa\r\nb aa");
        ed.SetHitStyle(c.style);
        ASSERT_TRUE(ed.Search("aa", soDown | soMatchCase));
        EXPECT_EQ(ed.SelectionState(), c.state) << c.style;
        EXPECT_EQ(ed.SelectionBytes().startByte, 2) << c.style;
        EXPECT_EQ(ed.Col(), c.caretCol) << c.style;
        EXPECT_EQ(ed.HitLength(), c.hitLength) << c.style;
        // The next search starts after the hit, not after the caret.
        ASSERT_TRUE(ed.Search("aa", soDown | soMatchCase));
        EXPECT_EQ(ed.SelectionBytes().startByte, 4) << c.style;
        ASSERT_TRUE(ed.Search("aa", soDown | soMatchCase));
        EXPECT_EQ(ed.SelectionBytes().startRow, 1) << c.style;
        EXPECT_FALSE(ed.Search("aa", soDown | soMatchCase)) << "no wrapping around";
        ASSERT_TRUE(ed.Search("aa", soMatchCase));
        EXPECT_EQ(ed.SelectionBytes().startRow, 0) << c.style;
        EXPECT_EQ(ed.SelectionBytes().startByte, 4) << c.style;
        // A caret key or a change of style clears the hit and its length.
        ed.KeyDown(vkRight, {}, false);
        EXPECT_EQ(ed.SelectionState(), sstNone);
        EXPECT_EQ(ed.HitLength(), 0);
        ASSERT_TRUE(ed.Search("aa", soDown));
        ed.SetHitStyle(hsSelect);
        EXPECT_EQ(ed.SelectionState(), sstNone);
    }
}

// ---- The document window's search bar -------------------------------------------------

TEST(IncSearch, TypingSteppingAndStates) {
    using S = app::TIncSearch::TState;
    TEditor ed;
    Load(ed, "ab abc\r\nABC abc");
    app::TIncSearch bar(ed);
    int changes = 0;
    bar.OnChanged = [&] { ++changes; };
    bar.Open();
    EXPECT_TRUE(bar.Visible());
    // Each keystroke searches again from where the bar was opened.
    bar.SetPattern("ab");
    EXPECT_EQ(ed.SelStart(), 0);
    bar.SetPattern("abc");
    EXPECT_EQ(ed.SelStart(), 3);
    EXPECT_EQ(bar.State(), S::Found);
    bar.Next();
    EXPECT_EQ(ed.SelStart(), 8);  // "ABC", case ignored
    bar.SetOption(soMatchCase, true);
    EXPECT_EQ(ed.SelStart(), 12);  // again from the hit stepped to, now with case
    bar.Next();
    EXPECT_EQ(bar.State(), S::NotFound);
    EXPECT_EQ(bar.Message(), "abcが見つかりません");
    EXPECT_EQ(ed.SelStart(), 12) << "the last hit stays";
    bar.Previous();
    EXPECT_EQ(ed.SelStart(), 3);
    // A pattern Shift-JIS cannot hold is kept and reported, and searches nothing.
    bar.SetPattern("abc€");
    EXPECT_EQ(bar.State(), S::Unencodable);
    EXPECT_EQ(bar.Pattern(), "abc€");
    EXPECT_EQ(bar.Message(), "Shift-JISにない文字: €");
    bar.Next();
    EXPECT_EQ(bar.State(), S::Unencodable);
    EXPECT_EQ(ed.SelStart(), 3);
    bar.Close();
    EXPECT_FALSE(bar.Visible());
    EXPECT_GT(changes, 8);
}
