#include "editor/ColumnMap.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/ShiftJis.h"

namespace editor {

const TDelimiters& DefaultDelimiters() {
    static const TDelimiters set = [] {
        TDelimiters d;
        auto range = [&](int a, int b) {
            for (int i = a; i <= b; ++i) d.set(static_cast<size_t>(i));
        };
        range(0x00, 0x2F);
        range(0x3A, 0x40);
        range(0x5B, 0x5E);
        range(0x60, 0x60);
        range(0x7B, 0x80);
        range(0xA0, 0xA5);
        range(0xFD, 0xFF);
        return d;
    }();
    return set;
}

namespace {
// TabSpan, inline for the loops below that measure every row split or painted.
inline int SpanOfTab(const TMeasure& m, int col) {
    const int t = std::max(1, m.tabWidth);
    int span = t - col % t;
    if (m.wrapWidth > 0) span = std::min(span, m.wrapWidth - col % m.wrapWidth);
    return std::max(1, span);
}
}  // namespace

int TMeasure::TabSpan(int col) const { return SpanOfTab(*this, col); }

namespace {
// Shift-JIS lead bytes, tested inline: the map is built for every row painted and split.
inline bool LeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
}  // namespace

std::string BuildColumnMap(std::string_view text, const TMeasure& m) {
    const size_t limit = m.wrapWidth > 0 ? static_cast<size_t>(m.wrapWidth + 3) : static_cast<size_t>(kMaxMapColumns);
    // Written through a pointer into room for the longest map (a TAB adds at
    // most a tab width of fill), then cut to length.
    const size_t tab = static_cast<size_t>(std::max(1, m.tabWidth));
    std::string map(std::min(limit, text.size() * std::max<size_t>(tab, 2)) + tab + 2, '\0');
    char* out = map.data();
    char* const end = out + limit;
    const TDelimiters& delimiters = *m.delimiters;
    for (size_t i = 0; i < text.size() && out < end; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (LeadByte(c) && i + 1 < text.size()) {
            out[0] = '4';
            out[1] = '5';
            out += 2;
            ++i;
        } else if (c == '\t') {
            const int col = static_cast<int>(out - map.data());
            *out++ = '2';
            const size_t fill = static_cast<size_t>(SpanOfTab(m, col) - 1);
            std::memset(out, '3', fill);
            out += fill;
        } else {
            *out++ = delimiters.test(c) ? '2' : '1';
        }
    }
    size_t size = std::min(static_cast<size_t>(out - map.data()), limit);
    // A double-byte character that starts on the last column keeps its
    // second half: the caret may stand after it (column 1001).
    if (m.wrapWidth <= 0 && size == limit && map[limit - 1] == '4') ++size;
    map.resize(size);
    return map;
}

int UnlimitedByteIndexOfColumn(const std::string& map, int col) {
    if (col <= 0) return 0;
    int fills = 0;
    int upto = std::min(col, static_cast<int>(map.size()) - 1);
    for (int i = 0; i <= upto; ++i)
        if (map[static_cast<size_t>(i)] == '3') ++fills;
    return col - fills;
}

int ByteIndexOfColumn(const std::string& map, int textLength, int col) {
    return std::min(textLength, UnlimitedByteIndexOfColumn(map, col));
}

int TextWidth(std::string_view text, const TMeasure& m) { return TextWidthUpTo(text, INT_MAX, m); }

int TextWidthUpTo(std::string_view text, int limit, const TMeasure& m) {
    // Between TABs every byte is a column: a double-byte character is two,
    // a lead byte at the end one. A TAB right after a lead byte is that
    // character's second byte, not a TAB.
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    int64_t col = 0;
    for (const char* p = begin; p < end && col < limit;) {
        if (*p == '\t') {
            col += SpanOfTab(m, static_cast<int>(col));
            ++p;
            continue;
        }
        const char* tab = static_cast<const char*>(std::memchr(p, '\t', static_cast<size_t>(end - p)));
        if (!tab) {
            col += end - p;
            break;
        }
        // p starts a character: the lead bytes just before the TAB pair off
        // from the last byte before them that cannot be a lead.
        size_t leads = 0;
        for (const char* q = tab; q > p && platform::IsLeadByte(static_cast<unsigned char>(q[-1])); --q) ++leads;
        const char* next = tab + (leads % 2);  // an odd run: the TAB is taken by the character before it
        col += next - p;
        p = next;
    }
    return static_cast<int>(std::min<int64_t>(col, limit));
}

int IndentWidth(std::string_view text, const TMeasure& m) {
    if (text.empty()) return -1;
    int col = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == ' ') {
            ++col;
        } else if (c == '\t') {
            col += m.TabSpan(col);
        } else if (c == 0x81 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x40) {
            col += 2;
            ++i;
        } else {
            break;
        }
    }
    return col;
}

std::string ExpandTabs(std::string_view text, const TMeasure& m) {
    std::string out;
    out.reserve(text.size() + 16);
    int col = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\t') {
            int span = m.TabSpan(col);
            out.append(static_cast<size_t>(span), ' ');
            col += span;
        } else if (platform::IsLeadByte(c) && i + 1 < text.size()) {
            out += text.substr(i, 2);
            col += 2;
            ++i;
        } else {
            out += static_cast<char>(c);
            ++col;
        }
    }
    return out;
}

}  // namespace editor
