#include "platform/ShiftJis.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <stdexcept>
#include <unordered_set>

namespace platform {

namespace {

constexpr char kReplacementUtf8[] = "\xEF\xBF\xBD";  // U+FFFD

// One pair of descriptors per thread: opening them costs far more than a
// conversion of a short string, and iconv_t must not be shared between threads.
class Converters {
public:
    Converters() {
        toUtf8_ = ::iconv_open("UTF-8", "CP932");
        fromUtf8_ = ::iconv_open("CP932", "UTF-8");
    }
    ~Converters() {
        if (toUtf8_ != Invalid()) ::iconv_close(toUtf8_);
        if (fromUtf8_ != Invalid()) ::iconv_close(fromUtf8_);
    }
    Converters(const Converters&) = delete;
    Converters& operator=(const Converters&) = delete;

    iconv_t ToUtf8() { return Ready(toUtf8_); }
    iconv_t FromUtf8() { return Ready(fromUtf8_); }

private:
    static iconv_t Invalid() { return reinterpret_cast<iconv_t>(-1); }
    static iconv_t Ready(iconv_t cd) {
        if (cd == Invalid())
            throw std::runtime_error("The CP932 (Shift-JIS) converter of iconv is not available");
        ::iconv(cd, nullptr, nullptr, nullptr, nullptr);  // a previous call may have failed mid-way
        return cd;
    }
    iconv_t toUtf8_;
    iconv_t fromUtf8_;
};

Converters& ThreadConverters() {
    thread_local Converters converters;
    return converters;
}

bool IsAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Output buffer that iconv writes into directly.
class Sink {
public:
    explicit Sink(size_t initial) { buf_.resize(std::max<size_t>(initial, 16)); }
    char** Out() { return &out_; }
    size_t* Left() { return &left_; }
    void Begin() {
        out_ = buf_.data() + used_;
        left_ = buf_.size() - used_;
    }
    void End() { used_ = buf_.size() - left_; }
    void Grow(size_t atLeast) {
        buf_.resize(std::max(buf_.size() * 2, buf_.size() + atLeast));
    }
    void Append(std::string_view s) {
        if (buf_.size() - used_ < s.size()) Grow(s.size());
        std::copy(s.begin(), s.end(), buf_.begin() + static_cast<std::ptrdiff_t>(used_));
        used_ += s.size();
    }
    std::string Take() {
        buf_.resize(used_);
        return std::move(buf_);
    }

private:
    std::string buf_;
    size_t used_ = 0;
    char* out_ = nullptr;
    size_t left_ = 0;
};

// Runs iconv over `in` and calls onBad(offset) at each sequence it rejects;
// onBad writes its replacement into the sink and returns how many input bytes
// to skip.
template <typename OnBad>
void Convert(iconv_t cd, std::string_view in, Sink& sink, OnBad onBad) {
    char* src = const_cast<char*>(in.data());  // iconv's signature; it does not write
    size_t srcLeft = in.size();
    while (srcLeft > 0) {
        sink.Begin();
        size_t rc = ::iconv(cd, &src, &srcLeft, sink.Out(), sink.Left());
        int err = errno;
        sink.End();
        if (rc != static_cast<size_t>(-1)) break;
        if (err == E2BIG) {
            sink.Grow(srcLeft + 16);
        } else if (err == EILSEQ || err == EINVAL) {
            size_t skip = onBad(static_cast<size_t>(src - in.data()));
            src += skip;
            srcLeft -= skip;
        } else {
            throw std::runtime_error("Shift-JIS conversion failed unexpectedly");
        }
    }
}

// Length of the well-formed UTF-8 character at s[pos], or 0 when the bytes
// there are not one; in that case *bad is the maximal ill-formed prefix (at
// least 1), which is what one replacement covers.
bool IsTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Whether s[i] starts a double-byte character in the text model's sense.
bool StartsPair(std::string_view s, size_t i) {
    return i + 1 < s.size() && IsLeadByte(static_cast<unsigned char>(s[i]));
}

size_t Utf8CharLength(std::string_view s, size_t pos, size_t* bad) {
    auto at = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    unsigned char b0 = at(pos);
    size_t need;
    unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
    if (b0 < 0x80) return 1;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 3;
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F;  // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 4;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
    } else {
        *bad = 1;
        return 0;
    }
    size_t i = 1;
    for (; i < need && pos + i < s.size(); ++i) {
        unsigned char b = at(pos + i);
        unsigned char l = i == 1 ? lo : 0x80, h = i == 1 ? hi : 0xBF;
        if (b < l || b > h) break;
    }
    if (i == need) return need;
    *bad = i;
    return 0;
}

}  // namespace

bool IsTrailByteAt(std::string_view s, size_t pos) {
    if (pos >= s.size()) return false;
    size_t i = 0;
    while (i < pos) {
        if (StartsPair(s, i)) {
            if (i + 1 == pos) return true;
            i += 2;
        } else {
            ++i;
        }
    }
    return false;
}

DecodeResult DecodeSjis(std::string_view bytes) {
    DecodeResult result;
    if (IsAscii(bytes)) {  // code page 932 keeps 0x00-0x7F as ASCII, 0x5C and 0x7E included
        result.text.assign(bytes);
        return result;
    }
    Sink sink(bytes.size() + bytes.size() / 2);
    Convert(ThreadConverters().ToUtf8(), bytes, sink, [&](size_t offset) -> size_t {
        if (result.badCount++ == 0) result.firstBadOffset = offset;
        sink.Append(kReplacementUtf8);
        bool pair = IsLeadByte(static_cast<unsigned char>(bytes[offset])) && offset + 1 < bytes.size() &&
                    IsTrailByte(static_cast<unsigned char>(bytes[offset + 1]));
        return pair ? 2 : 1;
    });
    result.text = sink.Take();
    return result;
}

EncodeResult EncodeSjis(std::string_view utf8) {
    EncodeResult result;
    if (IsAscii(utf8)) {
        result.bytes.assign(utf8);
        return result;
    }
    Sink sink(utf8.size());
    std::unordered_set<std::string_view> seen;
    Convert(ThreadConverters().FromUtf8(), utf8, sink, [&](size_t offset) -> size_t {
        ++result.badCount;
        sink.Append("?");
        size_t bad = 0;
        size_t len = Utf8CharLength(utf8, offset, &bad);
        std::string_view failed = len ? utf8.substr(offset, len) : std::string_view(kReplacementUtf8);
        if (seen.insert(failed).second) result.unconvertible.append(failed);
        return len ? len : bad;
    });
    result.bytes = sink.Take();
    return result;
}

std::string SjisToUtf8(std::string_view bytes) { return DecodeSjis(bytes).text; }

std::string Utf8ToSjis(std::string_view utf8) { return EncodeSjis(utf8).bytes; }

std::string AnsiUpperCase(std::string_view sjis) {
    std::string out(sjis);
    for (size_t i = 0; i < out.size(); ++i) {
        auto b = static_cast<unsigned char>(out[i]);
        if (StartsPair(out, i)) {
            ++i;
        } else if (b >= 'a' && b <= 'z') {
            out[i] = static_cast<char>(b - 'a' + 'A');
        }
    }
    return out;
}

bool AnsiSameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    auto upper = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; };
    for (size_t i = 0; i < a.size(); ++i) {
        auto ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
        if (StartsPair(a, i)) {
            // Lead bytes are never letters, so both sides start a character here.
            if (ca != cb || a[i + 1] != b[i + 1]) return false;
            ++i;
        } else if (upper(ca) != upper(cb)) {
            return false;
        }
    }
    return true;
}

}  // namespace platform
