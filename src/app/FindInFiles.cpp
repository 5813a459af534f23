#include "app/FindInFiles.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "editor/EditorScreenStrings.h"
#include "platform/FileIO.h"
#include "platform/ShiftJis.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define VK_AVX2_COUNT 1
#endif

namespace app {

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// "*" and "?" against a whole name; ASCII case ignored.
bool Wildcard(std::string_view pat, std::string_view name) {
    size_t p = 0, n = 0, star = std::string_view::npos, mark = 0;
    while (n < name.size()) {
        if (p < pat.size() && (pat[p] == '?' || Upper(pat[p]) == Upper(name[n]))) {
            ++p;
            ++n;
        } else if (p < pat.size() && pat[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pat.size() && pat[p] == '*') ++p;
    return p == pat.size();
}

constexpr size_t kReasonsKept = 5;

// Eight bytes at a time: hit lines are mostly plain ASCII code.
bool AsciiWord(const char* p) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    return (w & 0x8080808080808080ull) == 0;
}

void BlankTabsAndNuls(char* p, size_t n) {
    constexpr uint64_t kOnes = 0x0101010101010101ull, kHigh = 0x8080808080808080ull;
    auto fix = [](char& c) {
        if (c == '\t' || c == '\0') c = ' ';
    };
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        const uint64_t t = w ^ (kOnes * '\t');
        // A byte of 0 (in w or in t) sets its high bit here, maybe with a false one after it.
        if (((w - kOnes) & ~w & kHigh) | ((t - kOnes) & ~t & kHigh))
            for (size_t k = i; k < i + 8; ++k) fix(p[k]);
    }
    for (; i < n; ++i) fix(p[i]);
}

// Hit lines are mostly code with a few Japanese words: each character is
// looked up in a table made once from the decoder itself, so the result is
// the decoder's. A line with a byte the table lacks (unmapped, or a lead
// byte at its end) goes to the decoder whole, which marks what it cannot read.
class TSjisTable {
public:
    TSjisTable() {
        for (unsigned b = 0x80; b <= 0xFF; ++b)
            if (!platform::IsLeadByte(static_cast<unsigned char>(b))) Put(single_[b - 0x80], std::string(1, static_cast<char>(b)));
        for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
            if (!platform::IsLeadByte(static_cast<unsigned char>(lead))) continue;
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail)
                Put(pair_[(lead - 0x80) * kTrails + (trail - 0x40)],
                    std::string{static_cast<char>(lead), static_cast<char>(trail)});
        }
    }
    // Writes `bytes` as UTF-8 at `o`, which has room for three bytes each
    // and four more, with TABs and NULs as blanks (NULs only an open
    // document's text still holds); the end of what it wrote, or null when
    // the decoder must do it.
    char* Write(std::string_view bytes, char* o) const {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
        const auto* end = p + bytes.size();
        [[maybe_unused]] const auto* ascii = p;  // from here on each byte was written as itself
#if defined(__SSE2__)
        const __m128i tab = _mm_set1_epi8('\t'), blank = _mm_set1_epi8(' '), zero = _mm_setzero_si128();
#endif
        while (p < end) {
#if defined(__SSE2__)
            // Code is mostly ASCII: sixteen bytes at a time while they are.
            // The last few of a line are read as the last sixteen, those
            // before them written again as they were, when they were single
            // ASCII bytes too.
            const auto* from = end - p >= 16 ? p : end - ascii >= 16 ? end - 16 : nullptr;
            if (from) {
                const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
                if (!_mm_movemask_epi8(b)) {
                    const __m128i blanked = _mm_or_si128(_mm_cmpeq_epi8(b, tab), _mm_cmpeq_epi8(b, zero));
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(o - (p - from)),
                                     _mm_or_si128(_mm_andnot_si128(blanked, b), _mm_and_si128(blanked, blank)));
                    o += from + 16 - p;
                    p = from + 16;
                    continue;
                }
            }
#endif
            const unsigned char c = *p;
            if (c < 0x80) {
                *o++ = c == '\t' || c == 0 ? ' ' : static_cast<char>(c);
                ++p;
                continue;
            }
            const Code* code;
            if (platform::IsLeadByte(c)) {
                if (p + 1 >= end || p[1] < 0x40 || p[1] > 0xFC) return nullptr;
                code = &pair_[(c - 0x80) * kTrails + (p[1] - 0x40)];
                p += 2;
            } else {
                code = &single_[c - 0x80];
                ++p;
            }
            if (!code->size) return nullptr;
            std::memcpy(o, code->utf8, 4);
            o += code->size;
            ascii = p;
        }
        return o;
    }

private:
    static constexpr unsigned kTrails = 0xFC - 0x40 + 1;
    struct Code {
        char utf8[4] = {};
        unsigned char size = 0;  // 0: not in the table
    };
    static void Put(Code& code, const std::string& sjis) {
        platform::DecodeResult r = platform::DecodeSjis(sjis);
        if (r.ok() && !r.text.empty() && r.text.size() <= 4) {
            std::memcpy(code.utf8, r.text.data(), r.text.size());
            code.size = static_cast<unsigned char>(r.text.size());
        }
    }
    Code single_[0x80];
    Code pair_[0x80 * kTrails];
};

const TSjisTable& SjisTable() {
    static const TSjisTable table;
    return table;
}

}  // namespace

bool MatchesFilePatterns(std::string_view name, std::string_view patterns) {
    bool any = false;
    size_t i = 0;
    while (i < patterns.size()) {
        size_t j = patterns.find_first_of(";, \t", i);
        if (j == std::string_view::npos) j = patterns.size();
        if (j > i) {
            any = true;
            if (Wildcard(patterns.substr(i, j - i), name)) return true;
        }
        i = j + 1;
    }
    return !any;
}

std::vector<std::string> ListFolderFiles(const std::string& folder, std::string_view patterns, bool subfolders,
                                         size_t* unreadableFolders) {
    namespace fs = std::filesystem;
    std::vector<std::string> files;
    std::vector<fs::path> pending{fs::path(folder)};
    while (!pending.empty()) {
        fs::path dir = std::move(pending.back());
        pending.pop_back();
        std::error_code ec;
        fs::directory_iterator it(dir, ec), end;
        if (ec) {
            if (unreadableFolders) ++*unreadableFolders;
            continue;
        }
        std::vector<std::string> names, dirs;
        for (; it != end; it.increment(ec)) {
            if (ec) break;
            const fs::directory_entry& e = *it;
            std::error_code sec;
            if (e.is_symlink(sec)) {
                // A link to a file is searched; one to a folder could loop.
                if (e.is_regular_file(sec) && MatchesFilePatterns(e.path().filename().string(), patterns))
                    names.push_back(e.path().string());
                continue;
            }
            if (e.is_directory(sec)) {
                if (subfolders) dirs.push_back(e.path().string());
            } else if (e.is_regular_file(sec) && MatchesFilePatterns(e.path().filename().string(), patterns)) {
                names.push_back(e.path().string());
            }
        }
        if (ec && unreadableFolders) ++*unreadableFolders;
        std::sort(names.begin(), names.end());
        std::sort(dirs.begin(), dirs.end());
        files.insert(files.end(), names.begin(), names.end());
        // Subfolders in name order: the stack takes them last first.
        for (auto d = dirs.rbegin(); d != dirs.rend(); ++d) pending.emplace_back(*d);
    }
    return files;
}

TNeedle MatchNeedle(std::string_view pattern, editor::TSearchOptions options) {
    using namespace editor;
    if (pattern.empty() || (options & (soIgnoreWidth | soIgnoreBlank | soIgnoreLineBreak))) return {};
    if (options & soMatchCase) return {std::string(pattern), false};
    // Without case, ASCII letters match in either case, and double-byte
    // letters with a small and a capital form match bytes unlike their own.
    // Without either the case changes nothing.
    bool letters = false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const auto b = static_cast<unsigned char>(pattern[i]);
        if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z')) letters = true;
        if (platform::IsLeadByte(b) && i + 1 < pattern.size()) {
            const unsigned c = b << 8 | static_cast<unsigned char>(pattern[++i]);
            if (FoldCase(static_cast<TSearchChar>(c)) != c) return {};
            if ((c >= 0x8260 && c <= 0x8279) || (c >= 0x839F && c <= 0x83B6) || (c >= 0x8440 && c <= 0x8460) ||
                (c >= 0x8754 && c <= 0x875D))
                return {};
        }
    }
    return {std::string(pattern), letters};
}

size_t TNeedle::Find(std::string_view text, size_t from) const {
    if (from >= text.size() || bytes.size() > text.size() - from) return std::string_view::npos;
    const char* base = text.data();
    auto fold = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; };
#if defined(__SSE2__)
    // Sixteen places at a time, each with the needle's first and last byte
    // where they belong (a letter's case told by its 0x20 bit when ignored);
    // only those places are compared whole.
    if (bytes.size() > 1) {
        const size_t k = bytes.size() - 1;
        auto probe = [&](unsigned char c, __m128i* value, __m128i* caseBit) {
            const bool letter = foldAscii && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'));
            *caseBit = _mm_set1_epi8(static_cast<char>(letter ? 0x20 : 0));
            *value = _mm_set1_epi8(static_cast<char>(letter ? c | 0x20 : c));
        };
        __m128i firstValue, firstBit, lastValue, lastBit;
        probe(static_cast<unsigned char>(bytes[0]), &firstValue, &firstBit);
        probe(static_cast<unsigned char>(bytes[k]), &lastValue, &lastBit);
        auto whole = [&](const char* at) {
            if (!foldAscii) return std::memcmp(at + 1, bytes.data() + 1, k - 1) == 0;
            for (size_t j = 1; j < k; ++j)
                if (fold(static_cast<unsigned char>(at[j])) != fold(static_cast<unsigned char>(bytes[j]))) return false;
            return true;
        };
        for (; from + k + 16 <= text.size(); from += 16) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + from));
            const __m128i z = _mm_loadu_si128(reinterpret_cast<const __m128i*>(base + from + k));
            unsigned places = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(
                _mm_cmpeq_epi8(_mm_or_si128(a, firstBit), firstValue), _mm_cmpeq_epi8(_mm_or_si128(z, lastBit), lastValue))));
            for (; places; places &= places - 1) {
                const size_t at = from + static_cast<size_t>(std::countr_zero(places));
                if (whole(base + at)) return at;
            }
        }
        if (bytes.size() > text.size() - from) return std::string_view::npos;
    }
#endif
    if (!foldAscii) {
        const void* at = ::memmem(base + from, text.size() - from, bytes.data(), bytes.size());
        return at ? static_cast<size_t>(static_cast<const char*>(at) - base) : std::string_view::npos;
    }
    // Both cases of the first byte by memchr, the rest compared folded.
    const unsigned char first = static_cast<unsigned char>(bytes[0]);
    const unsigned char other = first >= 'a' && first <= 'z' ? first - 32 : first >= 'A' && first <= 'Z' ? first + 32 : first;
    const size_t last = text.size() - bytes.size();
    const char* a = nullptr;
    const char* b = nullptr;
    for (size_t i = from; i <= last;) {
        if (!a || static_cast<size_t>(a - base) < i) {
            a = static_cast<const char*>(std::memchr(base + i, first, last + 1 - i));
            if (!a) a = base + text.size();
        }
        if (other == first) {
            b = a;
        } else if (!b || static_cast<size_t>(b - base) < i) {
            b = static_cast<const char*>(std::memchr(base + i, other, last + 1 - i));
            if (!b) b = base + text.size();
        }
        const size_t k = static_cast<size_t>(std::min(a, b) - base);
        if (k > last) return std::string_view::npos;
        size_t j = 1;
        while (j < bytes.size() && fold(static_cast<unsigned char>(base[k + j])) == fold(static_cast<unsigned char>(bytes[j]))) ++j;
        if (j == bytes.size()) return k;
        i = k + 1;
    }
    return std::string_view::npos;
}

namespace detail {

bool StartsCharacter(std::string_view text, size_t from, size_t at) {
    size_t i = from;
    while (i < at) {
        if (i + 8 <= at && AsciiWord(text.data() + i)) i += 8;
        else i += platform::IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    }
    return i == at;
}

bool StartsCharacterInLine(std::string_view text, size_t lineStart, size_t at) {
    size_t from = at;
    while (from > lineStart && platform::IsLeadByte(static_cast<unsigned char>(text[from - 1]))) --from;
    return StartsCharacter(text, from, at);
}

#if defined(VK_AVX2_COUNT)
// As the SSE2 loop below, 32 bytes at a time, on processors that have AVX2.
__attribute__((target("avx2"))) size_t CountLineBreaks32(const char* s, size_t n, size_t to, size_t& i,
                                                         size_t* lineStart) {
    const __m256i lf = _mm256_set1_epi8('\n'), cr = _mm256_set1_epi8('\r'), zero = _mm256_setzero_si256();
    size_t count = 0, lastBlock = 0;
    uint32_t lastEnds = 0;
    while (i + 32 <= to && i + 33 <= n) {
        __m256i lanes = zero;
        for (int k = 0; k < 255 && i + 32 <= to && i + 33 <= n; ++k, i += 32) {
            const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
            const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + 1));
            const __m256i ends = _mm256_or_si256(_mm256_cmpeq_epi8(b, lf),
                                                 _mm256_andnot_si256(_mm256_cmpeq_epi8(next, lf), _mm256_cmpeq_epi8(b, cr)));
            lanes = _mm256_sub_epi8(lanes, ends);
            const auto mask = static_cast<uint32_t>(_mm256_movemask_epi8(ends));
            lastBlock = mask ? i : lastBlock;
            lastEnds = mask ? mask : lastEnds;
        }
        const __m256i sums = _mm256_sad_epu8(lanes, zero);
        count += static_cast<size_t>(_mm256_extract_epi64(sums, 0) + _mm256_extract_epi64(sums, 1) +
                                     _mm256_extract_epi64(sums, 2) + _mm256_extract_epi64(sums, 3));
    }
    if (lastEnds) *lineStart = lastBlock + static_cast<size_t>(std::bit_width(lastEnds));
    return count;
}
#endif

size_t CountLineBreaks(std::string_view text, size_t from, size_t to, size_t* lineStart) {
    // A break ends at an LF, or at a CR without an LF after it.
    const char* s = text.data();
    const size_t n = text.size();
    size_t count = 0, i = from;
    *lineStart = from;
#if defined(VK_AVX2_COUNT)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) count += CountLineBreaks32(s, n, to, i, lineStart);
#endif
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r'), zero = _mm_setzero_si128();
    size_t lastBlock = 0;
    unsigned lastEnds = 0;
    // Sixteen bytes at a time, with the byte after them readable too; each
    // byte lane counts its breaks, summed before it could pass 255.
    while (i + 16 <= to && i + 17 <= n) {
        __m128i lanes = zero;
        for (int k = 0; k < 255 && i + 16 <= to && i + 17 <= n; ++k, i += 16) {
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
            const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 1));
            const __m128i ends =
                _mm_or_si128(_mm_cmpeq_epi8(b, lf), _mm_andnot_si128(_mm_cmpeq_epi8(next, lf), _mm_cmpeq_epi8(b, cr)));
            lanes = _mm_sub_epi8(lanes, ends);
            const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(ends));
            lastBlock = mask ? i : lastBlock;
            lastEnds = mask ? mask : lastEnds;
        }
        const __m128i sums = _mm_sad_epu8(lanes, zero);
        count += static_cast<size_t>(_mm_cvtsi128_si32(sums)) + static_cast<size_t>(_mm_extract_epi16(sums, 4));
    }
    if (lastEnds) *lineStart = lastBlock + static_cast<size_t>(std::bit_width(lastEnds));
#endif
    for (; i < to; ++i) {
        if (s[i] == '\n' || (s[i] == '\r' && (i + 1 == n || s[i + 1] != '\n'))) {
            ++count;
            *lineStart = i + 1;
        }
    }
    return count;
}

size_t LineEnd(std::string_view text, size_t from) {
    const char* p = text.data() + from;
    const size_t n = text.size() - from;
    const void* lf = std::memchr(p, '\n', n);
    const size_t span = lf ? static_cast<size_t>(static_cast<const char*>(lf) - p) : n;
    // A lone CR ends a line too; a CR before the LF is its line break's.
    const void* cr = span ? std::memchr(p, '\r', span) : nullptr;
    return from + (cr ? static_cast<size_t>(static_cast<const char*>(cr) - p) : span);
}

}  // namespace detail

TFindInFiles::TFindInFiles(std::string_view pattern, editor::TSearchOptions options, std::vector<TFileToSearch> files,
                           TFindLimits limits)
    : pattern_(pattern, static_cast<editor::TSearchOptions>(options | editor::soDown)),
      needle_(MatchNeedle(pattern, options)),
      files_(std::move(files)),
      limits_(limits) {}

void TFindInFiles::Step(compiler::MessageLines& out, size_t maxFiles, std::chrono::steady_clock::duration budget) {
    const auto until = std::chrono::steady_clock::now() + budget;
    for (size_t done = 0; !Done() && done < maxFiles; ++done) {
        SearchFile(files_[next_++], out);
        if (std::chrono::steady_clock::now() >= until) break;
    }
}

void TFindInFiles::SearchFile(const TFileToSearch& file, compiler::MessageLines& out) {
    if (file.text) {
        SearchText(file.path, *file.text, out);
        return;
    }
    std::optional<std::pair<char*, size_t>> bytes;
    try {
        bytes = reader_.Read(file.path, limits_.maxFileBytes);
    } catch (const platform::FileError& e) {
        ++skippedUnreadable_;
        if (reasons_.size() < kReasonsKept) reasons_.push_back(e.what());
        return;
    }
    if (!bytes) {
        ++skippedLarge_;
        return;
    }
    auto [data, size] = *bytes;
    if (std::memchr(data, 0, std::min(size, limits_.binaryProbeBytes))) {
        ++skippedBinary_;
        return;
    }
    // As a document window would hold it: the end-of-file mark and NULs further on.
    editor::PrepareFileText(data, &size);
    SearchText(file.path, std::string_view(data, size), out);
}

void TFindInFiles::SearchText(const std::string& path, std::string_view text, compiler::MessageLines& out) {
    size_t found = 0;
    const TSjisTable& table = SjisTable();
    ForEachHitLine(text, pattern_, needle_, [&](long number, std::string_view bytes) {
        ++found;
        // Cut as the list shows it, on a whole character.
        if (bytes.size() > compiler::kListedBytes) {
            size_t cut = compiler::kListedBytes;
            if (platform::IsTrailByteAt(bytes, cut)) --cut;
            bytes = bytes.substr(0, cut);
        }
        // Straight into the listing: "path(number) : " and the text as UTF-8.
        char* const begin = out.BeginLine(path.size() + 24 + bytes.size() * 3 + 4);
        char* o = begin;
        std::memcpy(o, path.data(), path.size());
        o += path.size();
        *o++ = '(';
        o = std::to_chars(o, o + 20, number).ptr;
        std::memcpy(o, ") : ", 4);
        o += 4;
        char* const textAt = o;
        if (!(o = table.Write(bytes, textAt))) {
            // What the table lacks the decoder marks, the line made aside.
            std::string line(begin, textAt);
            line += platform::DecodeSjis(bytes).text;
            BlankTabsAndNuls(line.data() + (textAt - begin), line.size() - static_cast<size_t>(textAt - begin));
            out.push_back(line);
            return;
        }
        out.EndLine(static_cast<size_t>(o - begin));
    });
    if (found) ++filesWithHits_;
    hits_ += found;
}

std::vector<std::string> TFindInFiles::SummaryLines() const {
    std::vector<std::string> lines;
    std::string skipped;
    auto add = [&](size_t n, const char* what) {
        if (n) skipped += (skipped.empty() ? "" : "、") + std::string(what) + " " + std::to_string(n);
    };
    add(skippedBinary_, "バイナリ");
    add(skippedLarge_, "大きすぎる");
    add(skippedUnreadable_, "読めない");
    if (!skipped.empty()) lines.push_back("飛ばしたファイル: " + skipped);
    for (const std::string& r : reasons_) lines.push_back("  " + r);
    if (!Done())
        lines.push_back("中止しました (" + std::to_string(next_) + "/" + std::to_string(files_.size()) +
                        " 個のファイルを検索)");
    lines.push_back(std::to_string(filesWithHits_) + " 個のファイルで " + std::to_string(hits_) + " 件見つかりました");
    return lines;
}

std::string TFindInFiles::Progress() const {
    return "ファイルから検索中... " + std::to_string(next_) + "/" + std::to_string(files_.size()) + " (" +
           std::to_string(hits_) + " 件, Ctrl+Breakで中止)";
}

}  // namespace app
