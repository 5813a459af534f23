// The search engine: byte class map, candidate loop, word starts, skipped
// blanks and line breaks, and the character comparison.
#include "editor/EditorSearch.h"

#include "editor/Editor.h"
#include "platform/ShiftJis.h"

namespace editor {

namespace {

// Full-width forms of 0x20-0x7E. The quotes become the right quotation
// marks, the backslash the yen sign and the tilde the overline, as the
// Japanese code page shows those bytes.
constexpr TSearchChar kAsciiWide[0x5F] = {
    0x8140, 0x8149, 0x8168, 0x8194, 0x8190, 0x8193, 0x8195, 0x8166, 0x8169, 0x816A, 0x8196, 0x817B, 0x8143, 0x817C,
    0x8144, 0x815E, 0x824F, 0x8250, 0x8251, 0x8252, 0x8253, 0x8254, 0x8255, 0x8256, 0x8257, 0x8258, 0x8146, 0x8147,
    0x8183, 0x8181, 0x8184, 0x8148, 0x8197, 0x8260, 0x8261, 0x8262, 0x8263, 0x8264, 0x8265, 0x8266, 0x8267, 0x8268,
    0x8269, 0x826A, 0x826B, 0x826C, 0x826D, 0x826E, 0x826F, 0x8270, 0x8271, 0x8272, 0x8273, 0x8274, 0x8275, 0x8276,
    0x8277, 0x8278, 0x8279, 0x816D, 0x818F, 0x816E, 0x814F, 0x8151, 0x814D, 0x8281, 0x8282, 0x8283, 0x8284, 0x8285,
    0x8286, 0x8287, 0x8288, 0x8289, 0x828A, 0x828B, 0x828C, 0x828D, 0x828E, 0x828F, 0x8290, 0x8291, 0x8292, 0x8293,
    0x8294, 0x8295, 0x8296, 0x8297, 0x8298, 0x8299, 0x829A, 0x816F, 0x8162, 0x8170, 0x8150,
};

// Full-width forms of the half-width katakana block 0xA1-0xDF.
constexpr TSearchChar kKanaWide[0x3F] = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342, 0x8344, 0x8346, 0x8348, 0x8383, 0x8385, 0x8387,
    0x8362, 0x815B, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A, 0x834C, 0x834E, 0x8350, 0x8352, 0x8354, 0x8356,
    0x8358, 0x835A, 0x835C, 0x835E, 0x8360, 0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C, 0x836D, 0x836E,
    0x8371, 0x8374, 0x8377, 0x837A, 0x837D, 0x837E, 0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389, 0x838A,
    0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B,
};

// Delimiters for whole words: 0x00-0x2F, 0x3A-0x40, 0x5B-0x60 (the
// underscore too), 0x7B-0x80, 0xA0-0xA5, 0xFD-0xFF.
constexpr bool IsDelimiterByte(unsigned char b) {
    return b <= 0x2F || (b >= 0x3A && b <= 0x40) || (b >= 0x5B && b <= 0x60) || (b >= 0x7B && b <= 0x80) ||
           (b >= 0xA0 && b <= 0xA5) || b >= 0xFD;
}

TSearchChar Upper(TSearchChar c) { return c >= 'a' && c <= 'z' ? static_cast<TSearchChar>(c - 'a' + 'A') : c; }

// The key of a single-byte character (with the byte after it, -1 at the end).
TSearchChar SingleKey(unsigned char b, int next, TSearchOptions o, int* used) {
    *used = 1;
    TSearchChar c = (o & soIgnoreWidth) ? FullWidthChar(b, next, used) : b;
    if (!(o & soMatchCase)) c = c < 0x100 ? Upper(c) : FoldCase(c);
    return c;
}

TSearchChar DoubleKey(unsigned char lead, unsigned char trail, TSearchOptions o) {
    const auto c = static_cast<TSearchChar>(lead << 8 | trail);
    return (o & soMatchCase) ? c : FoldCase(c);
}

void BuildClasses(std::string_view s, std::vector<uint8_t>& cls) {
    cls.resize(s.size());
    const size_t n = s.size();
    for (size_t i = 0; i < n;) {
        if (platform::IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < n) {
            cls[i] = 1, cls[i + 1] = 2;
            i += 2;
        } else {
            cls[i++] = 0;
        }
    }
}

}  // namespace

TSearchChar FullWidthChar(unsigned char b, int next, int* used) {
    *used = 1;
    if (b >= 0x20 && b <= 0x7E) return kAsciiWide[b - 0x20];
    if (b < 0xA1 || b > 0xDF) return b;
    TSearchChar c = kKanaWide[b - 0xA1];
    // A voicing mark joins a kana that has the voiced or semi-voiced form.
    if (next == 0xDE && (b == 0xB3 || (b >= 0xB6 && b <= 0xC4) || (b >= 0xCA && b <= 0xCE))) {
        *used = 2;
        return b == 0xB3 ? 0x8394 : static_cast<TSearchChar>(c + 1);
    }
    if (next == 0xDF && b >= 0xCA && b <= 0xCE) {
        *used = 2;
        return static_cast<TSearchChar>(c + 2);
    }
    return c;
}

TSearchChar FoldCase(TSearchChar c) {
    const unsigned lead = c >> 8, t = c & 0xFF;
    if (lead == 0x82 && t >= 0x81 && t <= 0x9A) return static_cast<TSearchChar>(c - 0x21);  // Latin
    if (lead == 0x83 && t >= 0xBF && t <= 0xD6) return static_cast<TSearchChar>(c - 0x20);  // Greek
    if (lead == 0x84 && t >= 0x70 && t <= 0x91 && t != 0x7F)                             // Cyrillic
        return static_cast<TSearchChar>(c - (t < 0x7F ? 0x30 : 0x31));
    // Small Roman numerals, in both code page cells that hold them.
    if (lead == 0xEE && t >= 0xEF && t <= 0xF8) return static_cast<TSearchChar>(0x8754 + (t - 0xEF));
    if (lead == 0xFA && t >= 0x40 && t <= 0x49) return static_cast<TSearchChar>(0x8754 + (t - 0x40));
    return c;
}

TSearchPattern::TSearchPattern(std::string_view pattern, TSearchOptions options) : options_(options) {
    // The pattern is read by the same rules as the text, so that both sides
    // fold and widen alike.
    std::vector<uint8_t> cls;
    BuildClasses(pattern, cls);
    patternBytes_ = pattern.size();
    for (size_t i = 0; i < pattern.size();) {
        size_t len = 0;
        chars_.push_back(CharAt(pattern, i, &len, cls.data()));
        i += len;
    }
    if (chars_.empty()) return;
    const TSearchChar first = chars_[0];
    for (int b = 0; b < 256; ++b) {
        const auto ub = static_cast<unsigned char>(b);
        int used = 0;
        firstSingle_[b] = SingleKey(ub, -1, options_, &used) == first || SingleKey(ub, 0xDE, options_, &used) == first ||
                          SingleKey(ub, 0xDF, options_, &used) == first;
        if (platform::IsLeadByte(ub))
            for (int t = 0; t < 256 && !firstLead_[b]; ++t)
                firstLead_[b] = DoubleKey(ub, static_cast<unsigned char>(t), options_) == first;
    }
}

TSearchChar TSearchPattern::CharAt(std::string_view s, size_t i, size_t* len, const uint8_t* cls) const {
    const auto b = static_cast<unsigned char>(s[i]);
    if (cls[i] == kLead) {
        *len = 2;
        return DoubleKey(b, static_cast<unsigned char>(s[i + 1]), options_);
    }
    int used = 1;
    const int next = i + 1 < s.size() ? static_cast<unsigned char>(s[i + 1]) : -1;
    const TSearchChar c = SingleKey(b, next, options_, &used);
    *len = static_cast<size_t>(used);
    return c;
}

bool TSearchPattern::WordByteAt(std::string_view text, size_t i) const {
    // A double-byte character is a word character as a whole: its second
    // byte may look like a delimiter.
    if (classes_[i] != kSingle) return true;
    return !IsDelimiterByte(static_cast<unsigned char>(text[i]));
}

bool TSearchPattern::WordStart(std::string_view text, size_t k) const {
    return WordByteAt(text, k) && (k == 0 || !WordByteAt(text, k - 1));
}

TSearchPattern::TMatch TSearchPattern::MatchAt(std::string_view text, size_t k, size_t* length,
                                               bool textGoesOn) const {
    const size_t n = text.size();
    const uint8_t* cls = classes_.data();
    size_t ti = k;
    for (size_t pi = 0; pi < chars_.size();) {
        if (ti >= n) return textGoesOn ? TMatch::RanOut : TMatch::No;
        size_t len = 0;
        if (CharAt(text, ti, &len, cls) == chars_[pi]) {
            ti += len;
            ++pi;
            continue;
        }
        // Blanks and line breaks may be skipped once a character matched.
        if (pi == 0) return TMatch::No;
        const auto b = static_cast<unsigned char>(text[ti]);
        if (cls[ti] == kSingle && (((options_ & soIgnoreLineBreak) && (b == '\r' || b == '\n')) ||
                                   ((options_ & soIgnoreBlank) && (b == '\t' || b == ' ')))) {
            ++ti;
        } else if (cls[ti] == kLead && (options_ & soIgnoreBlank) && b == 0x81 && text[ti + 1] == 0x40) {
            ti += 2;
        } else {
            return TMatch::No;
        }
    }
    // The end of the text ends a word as a delimiter does; what follows a
    // piece decides it.
    if (options_ & soWholeWord) {
        if (ti >= n && textGoesOn) return TMatch::RanOut;
        if (ti < n && WordByteAt(text, ti)) return TMatch::No;
    }
    *length = ti - k;
    return TMatch::Yes;
}

bool TSearchPattern::Find(std::string_view text, TSearchPos& pos) const {
    return Find(text, pos, false) == TFindResult::Found;
}

TFindResult TSearchPattern::Find(std::string_view text, TSearchPos& pos, bool textGoesOn) const {
    const auto n = static_cast<int64_t>(text.size());
    if (chars_.empty() || n == 0) return TFindResult::NotFound;
    int64_t s = pos.offset;
    if (s < 0 || s > n || pos.length < 0) return TFindResult::NotFound;
    BuildClasses(text, classes_);
    const uint8_t* cls = classes_.data();
    const bool wide = options_ & soIgnoreWidth;
    // Fewest text bytes a match covers.
    const auto need = static_cast<int64_t>(wide ? chars_.size() : patternBytes_);

    auto candidate = [&](int64_t k, TSearchPos& out) {
        const auto i = static_cast<size_t>(k);
        const auto b = static_cast<unsigned char>(text[i]);
        if (!(cls[i] == kLead ? firstLead_[b] : firstSingle_[b])) return TFindResult::NotFound;
        if ((options_ & soWholeWord) && !WordStart(text, i)) return TFindResult::NotFound;
        size_t len = 0;
        switch (MatchAt(text, i, &len, textGoesOn)) {
        case TMatch::No:
            return TFindResult::NotFound;
        case TMatch::RanOut:
            out = {k, 0};
            return TFindResult::NeedMore;
        case TMatch::Yes:
            break;
        }
        out = {k, static_cast<int64_t>(len)};
        return TFindResult::Found;
    };

    if (options_ & soDown) {
        s += pos.length;  // after the selection or previous hit
        if (s < n && cls[s] == kTrail) ++s;
        // Where the text goes on, a start too late for the pattern to fit
        // is tried too: it runs out, and the caller goes on from there.
        const int64_t last = textGoesOn ? n - 1 : n - need;
        for (int64_t k = s; k <= last; ++k) {
            if (cls[k] == kTrail) continue;
            if (TFindResult r = candidate(k, pos); r != TFindResult::NotFound) return r;
        }
        return TFindResult::NotFound;
    }
    // Backward: the latest start from which the pattern still fits before s.
    if (wide) {
        for (size_t c = 0; c < chars_.size(); ++c) {
            if (--s < 0) return TFindResult::NotFound;
            if (cls[s] == kTrail) {
                --s;
            } else if (s > 0 && cls[s] == kSingle && cls[s - 1] == kSingle) {
                // A voicing mark that joins the kana before it is one character with it.
                int used = 1;
                FullWidthChar(static_cast<unsigned char>(text[s - 1]), static_cast<unsigned char>(text[s]), &used);
                if (used == 2) --s;
            }
        }
    } else {
        s -= static_cast<int64_t>(patternBytes_);
    }
    if (s < 0) return TFindResult::NotFound;
    if (s < n && cls[s] == kTrail) --s;
    for (int64_t k = s; k >= 0; --k) {
        if (cls[k] == kTrail) continue;
        if (TFindResult r = candidate(k, pos); r != TFindResult::NotFound) return r;
    }
    return TFindResult::NotFound;
}

bool FindInBuffer(std::string_view text, TSearchPos& pos, std::string_view pattern, TSearchOptions options) {
    if (pattern.empty() || text.empty()) return false;
    return TSearchPattern(pattern, options).Find(text, pos);
}

// ---- The control's search ---------------------------------------------------

namespace {

// Chunks grow by whole rows until they pass this many bytes, so memory
// stays bounded on long texts. A start that the rows after a chunk decide
// is tried again in the next chunk, or in a longer one, so a match that
// spans any number of rows lies whole in some chunk.
constexpr size_t kChunkBytes = 8191;

}  // namespace

void TEditor::SetHitStyle(THitStyle style) {
    if (Marked()) ClearSelection();
    props_.hitStyle = style;
}

void TEditor::ShowHit(int baseRow, const TSearchPos& hit) {
    const bool wasUpdating = updating_;
    updating_ = true;
    if (Marked()) ClearSelection();
    selMode_ = smNormal;
    SetCaretOffset(baseRow, hit.offset);
    StartSelection();
    SetCaretOffset(baseRow, hit.offset + hit.length);
    Extend();
    if (props_.hitStyle != hsSelect && selState_ == sstSelected) {
        selState_ = sstHit;
        SelectionChanged();
    }
    if (props_.hitStyle == hsCaret && selState_ == sstHit) {
        // The caret goes back to the hit's start and covers it as a block.
        SetCaretOffset(baseRow, hit.offset);
        hitLength_ = hit.length;
    }
    updating_ = wasUpdating;
    if (!updating_) RefreshCaret();
}

bool TEditor::Search(std::string_view pattern, TSearchOptions options) {
    const int rows = RowCount();
    if (pattern.empty() || rows == 0) return false;
    const TSearchPattern prepared(pattern, options);
    auto rowBytes = [&](int r) { return RowText(r).size() + (RowAttribute(r) == raLineBreak ? 2 : 0); };
    auto append = [&](std::string& chunk, int r) {
        chunk.append(RowText(r));
        if (RowAttribute(r) == raLineBreak) chunk.append("\r\n");
    };
    std::string chunk;
    chunk.reserve(2 * kChunkBytes);

    if (options & soDown) {
        // From the end of the selection or hit, else from the caret.
        int row = Marked() ? selBytes_.endRow : row_;
        int64_t offset = Marked() ? selBytes_.endByte + 1 : SelectionCaretByte();
        size_t limit = kChunkBytes;
        while (row < rows) {
            chunk.clear();
            int next = row;
            while (next < rows && (next == row || chunk.size() <= limit)) append(chunk, next++);
            TSearchPos pos{offset, 0};
            const TFindResult found = prepared.Find(chunk, pos, next < rows);
            if (found == TFindResult::Found) {
                ShowHit(row, pos);
                return true;
            }
            if (next >= rows) return false;
            if (found == TFindResult::NotFound) {
                row = next;  // every start in this chunk was decided
                offset = 0;
                limit = kChunkBytes;
                continue;
            }
            // The next chunk begins with the row of the first start that the
            // rows after this chunk decide; a start in this chunk's first row
            // needs a longer chunk.
            int first = row;
            int64_t start = 0;
            while (first + 1 < next && start + static_cast<int64_t>(rowBytes(first)) <= pos.offset)
                start += static_cast<int64_t>(rowBytes(first++));
            if (first == row) limit = 2 * chunk.size();
            else limit = kChunkBytes;
            row = first;
            offset = pos.offset - start;
        }
        return false;
    }

    // Backward from the start of the selection or hit, else from the caret.
    int row = Marked() ? selBytes_.startRow : row_;
    int64_t offset = Marked() ? selBytes_.startByte : SelectionCaretByte();
    if (row >= rows) {
        row = rows - 1;
        offset = static_cast<int64_t>(rowBytes(row));
    }
    for (;;) {
        int first = row;
        size_t size = rowBytes(row);
        while (first > 0 && size <= kChunkBytes) {
            --first;
            size += rowBytes(first);
            offset += static_cast<int64_t>(rowBytes(first));
        }
        chunk.clear();
        for (int r = first; r <= row; ++r) append(chunk, r);
        // A match may run on past the chunk's last row: rows are added
        // after it until each start is decided.
        int last = row;
        for (;;) {
            TSearchPos pos{offset, 0};
            const TFindResult found = prepared.Find(chunk, pos, last + 1 < rows);
            if (found == TFindResult::Found) {
                ShowHit(first, pos);
                return true;
            }
            if (found == TFindResult::NotFound) break;
            const size_t grown = chunk.size() + std::max(kChunkBytes, chunk.size());
            do append(chunk, ++last);
            while (last + 1 < rows && chunk.size() <= grown);
        }
        if (first == 0) return false;
        row = first < row ? first : row - 1;
        offset = static_cast<int64_t>(rowBytes(row));
    }
}

}  // namespace editor
