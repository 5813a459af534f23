#include "compiler/Msg.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/Path.h"
#include "platform/ShiftJis.h"

namespace compiler {

namespace {
constexpr size_t kLinesPerMark = 64;
constexpr size_t kBytesPerMark = 64 * 1024;
}  // namespace

MessageLines::Bytes::Bytes(const Bytes& other) {
    if (!other.size_) return;
    std::memcpy(Reserve(other.size_), other.data_, other.size_);
    size_ = other.size_;
}

MessageLines::Bytes::~Bytes() { std::free(data_); }

void MessageLines::Bytes::Swap(Bytes& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
}

char* MessageLines::Bytes::Reserve(size_t more) {
    if (capacity_ - size_ < more) {
        if (more > SIZE_MAX / 2 - size_) throw std::bad_alloc();
        const size_t want = std::max({capacity_ + capacity_ / 2, size_ + more, size_t{4096}});
        char* p = static_cast<char*>(std::realloc(data_, want));
        if (!p) throw std::bad_alloc();
        data_ = p;
        capacity_ = want;
    }
    return data_ + size_;
}

char* MessageLines::BeginLine(size_t bytes) { return text_.Reserve(bytes + 1); }

void MessageLines::EndLine(size_t written) {
    const size_t at = text_.size();
    if (marks_.empty() || count_ - marks_.back().line >= kLinesPerMark || at - marks_.back().offset >= kBytesPerMark)
        marks_.push_back({count_, at});
    char* p = text_.Reserve(written + 1);  // the room BeginLine made: nothing moves
    p[written] = '\n';
    text_.Grow(written + 1);
    ++count_;
}

void MessageLines::push_back(std::string_view line) {
    char* p = BeginLine(line.size());
    if (!line.empty()) std::memcpy(p, line.data(), line.size());
    EndLine(line.size());
}

size_t MessageLines::NextLine(size_t offset) const {
    const std::string_view text = text_.View();
    return static_cast<size_t>(static_cast<const char*>(std::memchr(text.data() + offset, '\n', text.size() - offset)) -
                               text.data()) + 1;
}

void MessageLines::append(const MessageLines& other) {
    for (std::string_view line : other) push_back(line);
}

MessageLines::const_iterator MessageLines::At(size_t i) const {
    if (i >= count_) return const_iterator(this, count_, text_.size());
    auto mark = std::upper_bound(marks_.begin(), marks_.end(), i, [](size_t n, const Mark& m) { return n < m.line; });
    --mark;
    size_t offset = mark->offset;
    for (size_t n = mark->line; n < i; ++n) offset = NextLine(offset);
    return const_iterator(this, i, offset);
}

std::string_view MessageLines::const_iterator::operator*() const {
    return lines_->text_.View().substr(offset_, lines_->NextLine(offset_) - 1 - offset_);
}

MessageLines::const_iterator& MessageLines::const_iterator::operator++() {
    offset_ = lines_->NextLine(offset_);
    ++index_;
    return *this;
}

std::optional<JumpTarget> ParseJumpTarget(const std::string& line, std::optional<std::string>* badNumber) {
    size_t p1 = line.find('(');
    if (p1 == std::string::npos) return std::nullopt;
    size_t p2 = line.find(')');
    if (p2 == std::string::npos || p2 <= p1) return std::nullopt;
    size_t p3 = line.find(": ");
    if (p3 == std::string::npos || p3 <= p2) return std::nullopt;
    size_t p4 = line.find("warning");
    if (p4 == std::string::npos) p4 = line.find("error");
    if (p4 == std::string::npos || p4 <= p3) return std::nullopt;

    std::string number = line.substr(p1 + 1, p2 - p1 - 1);
    // A decimal integer, optional sign, nothing else.
    const char* s = number.c_str();
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(s, &end, 10);
    bool ok = !number.empty() && end && *end == '\0' && errno == 0 && number.find_first_of(" \t") == std::string::npos &&
              value >= INT32_MIN && value <= INT32_MAX;
    if (!ok) {
        if (badNumber) *badNumber = number;
        return std::nullopt;
    }
    // The kind word is the first of the two after the ": ".
    size_t error = line.find("error", p3), warning = line.find("warning", p3);
    return JumpTarget{line.substr(0, p1), value, {}, error < warning};
}

namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
// Plain ASCII passes, and reads the same in Shift-JIS.
bool ValidUtf8(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        size_t n;
        unsigned lo = 0x80, hi = 0xBF;  // range of the second byte
        if (b >= 0xC2 && b <= 0xDF) n = 1;
        else if (b >= 0xE0 && b <= 0xEF) {
            n = 2;
            if (b == 0xE0) lo = 0xA0;
            if (b == 0xED) hi = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            n = 3;
            if (b == 0xF0) lo = 0x90;
            if (b == 0xF4) hi = 0x8F;
        } else {
            return false;
        }
        if (i + n >= s.size()) return false;
        for (size_t k = 1; k <= n; ++k) {
            auto c = static_cast<unsigned char>(s[i + k]);
            if (k == 1 ? (c < lo || c > hi) : (c < 0x80 || c > 0xBF)) return false;
        }
        i += n + 1;
    }
    return true;
}

// A line as UTF-8 when it is valid UTF-8, else as Shift-JIS. A message
// names its file as the file system spells it (UTF-8) while the compiler's
// own words may be Shift-JIS: the part before the first "(" (never a byte of
// a Shift-JIS character) is judged on its own then.
std::string DecodeLine(std::string_view raw) {
    if (ValidUtf8(raw)) return std::string(raw);
    size_t p = raw.find('(');
    if (p != std::string_view::npos && ValidUtf8(raw.substr(0, p)))
        return std::string(raw.substr(0, p)) + platform::SjisToUtf8(raw.substr(p));
    return platform::SjisToUtf8(raw);
}

}  // namespace

MessageLines CompilerOutputLines(const std::string& output) {
    MessageLines lines;
    size_t i = 0;
    // Lines are cut on the raw bytes: CR and LF are never part of a
    // Shift-JIS character, so each line is decoded on its own.
    while (i < output.size()) {
        size_t j = output.find_first_of("\r\n", i);
        if (j == std::string::npos) j = output.size();
        std::string_view raw(output.data() + i, j - i);
        std::string line = DecodeLine(raw);
        std::replace(line.begin(), line.end(), '\t', ' ');
        std::replace(line.begin(), line.end(), '\0', ' ');
        lines.push_back(line);
        // CR LF is one line end, and so is CR CR LF: what "\r\n" becomes
        // when a Windows program writes it to text-mode output.
        if (output.compare(j, 3, "\r\r\n") == 0) j += 2;
        else if (output.compare(j, 2, "\r\n") == 0) ++j;
        i = j + 1;
    }
    return lines;
}

namespace {

// The last n characters of a UTF-8 string.
std::string LastChars(const std::string& s, size_t n) {
    size_t count = 0;
    size_t i = s.size();
    while (i > 0 && count < n) {
        --i;
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) ++count;
    }
    return s.substr(i);
}

}  // namespace

bool CaptionMatches(const std::string& caption, const std::string& fileText) {
    std::string name = LastChars(platform::ExtractFileName(caption), 6);
    if (name.empty()) return false;
    return platform::UpperCase(fileText).find(platform::UpperCase(name)) != std::string::npos;
}

int FindJumpWindow(const std::vector<std::string>& captions, const std::string& fileText) {
    // The file text is not trimmed by the grammar; blanks around it name
    // nothing.
    size_t b = fileText.find_first_not_of(' ');
    size_t e = fileText.find_last_not_of(' ');
    std::string text = b == std::string::npos ? std::string() : platform::UpperCase(fileText.substr(b, e - b + 1));
    auto first = [&](auto&& matches) {
        for (size_t i = 0; i < captions.size(); ++i)
            if (matches(captions[i])) return static_cast<int>(i);
        return -1;
    };
    int found = -1;
    if (!text.empty()) {
        found = first([&](const std::string& c) { return platform::UpperCase(platform::ExtractFileName(c)) == text; });
        if (found < 0) {
            found = first([&](const std::string& c) {
                std::string path = platform::UpperCase(c);
                if (path.size() < text.size() || path.compare(path.size() - text.size(), text.size(), text) != 0)
                    return false;
                return path.size() == text.size() || text.front() == '/' || path[path.size() - text.size() - 1] == '/';
            });
        }
    }
    if (found < 0) found = first([&](const std::string& c) { return CaptionMatches(c, fileText); });
    return found;
}

std::optional<JumpTarget> ParseHitLine(std::string_view line) {
    for (size_t open = line.find('('); open != std::string_view::npos; open = line.find('(', open + 1)) {
        size_t i = open + 1;
        long number = 0;
        while (i < line.size() && line[i] >= '0' && line[i] <= '9' && i - open <= 10) number = number * 10 + (line[i++] - '0');
        if (i == open + 1 || line.substr(i, 4) != ") : ") continue;
        JumpTarget target;
        target.file = std::string(line.substr(0, open));
        target.line = number;
        target.exact = true;
        return target;
    }
    return std::nullopt;
}

std::string HitLine(std::string_view path, long line, std::string_view text) {
    std::string s;
    s.reserve(path.size() + text.size() + 16);
    s += path;
    s += '(';
    s += std::to_string(line);
    s += ") : ";
    s += text;
    return s;
}

std::string ListedText(std::string_view item) {
    if (item.size() <= kListedBytes) return std::string(item);
    size_t cut = kListedBytes;
    while (cut > 0 && (static_cast<unsigned char>(item[cut]) & 0xC0) == 0x80) --cut;  // whole characters
    return std::string(item.substr(0, cut)) + "…";
}

TMsgForm::TMsgForm(platform::Ui& ui, std::function<void(const JumpTarget&)> onJump)
    : TMdiChildForm(forms::ChildKind::Message), ui_(ui), onJump_(std::move(onJump)) {
    SetCaption("Message");
}

void TMsgForm::AddLines(const MessageLines& lines) {
    items_.append(lines);
    Changed();
}

void TMsgForm::ListBox1DblClick() {
    // One item can be selected: it counts only when it holds "(".
    if (selected_ < 0 || selected_ >= static_cast<int>(items_.size())) return;
    std::string item(items_[static_cast<size_t>(selected_)]);
    if (item.find('(') == std::string::npos) return;
    std::optional<std::string> bad;
    std::optional<JumpTarget> target = TargetAt(static_cast<size_t>(selected_), &bad);
    if (!target) {
        if (bad)
            ui_.MessageBox("'" + *bad + "' は整数ではありません", "エラー", platform::MsgKind::Error,
                           platform::MsgButtons::Ok);
        return;
    }
    target->folder = folder_;
    if (onJump_) onJump_(*target);
}

std::optional<JumpTarget> TMsgForm::TargetAt(size_t i, std::optional<std::string>* badNumber) const {
    if (i >= items_.size()) return std::nullopt;
    if (hits_) return ParseHitLine(items_[i]);
    return ParseJumpTarget(std::string(items_[i]), badNumber);
}

bool TMsgForm::SelectNextTarget(bool forward) {
    const long n = static_cast<long>(items_.size());
    auto isTarget = [&](long i) { return TargetAt(static_cast<size_t>(i)).has_value(); };
    long from = selected_ >= 0 && selected_ < n ? selected_ : (forward ? -1 : n);
    long found = -1;
    for (long i = from + (forward ? 1 : -1); i >= 0 && i < n && found < 0; i += forward ? 1 : -1)
        if (isTarget(i)) found = i;
    if (found < 0) {
        // Round the end: the selected line itself comes last.
        ui_.Beep();
        for (long k = 0; k < n && found < 0; ++k) {
            long i = forward ? k : n - 1 - k;
            if ((forward ? i > from : i < from)) break;
            if (isTarget(i)) found = i;
        }
        if (found < 0) return false;
    }
    selected_ = static_cast<int>(found);
    if (OnSelected) OnSelected(selected_);
    ListBox1KeyDown(13);
    return true;
}

std::string LocalFileText(const std::string& fileText, const platform::WineDrives& drives) {
    size_t b = fileText.find_first_not_of(' ');
    if (b == std::string::npos) return fileText;
    std::string file = fileText.substr(b, fileText.find_last_not_of(' ') - b + 1);
    if (!platform::IsWindowsPath(file) || file.compare(0, 2, "\\\\") == 0) return fileText;
    if (platform::IsWindowsAbsolutePath(file)) {
        std::optional<std::string> local = drives.ToLocal(file);
        return local ? platform::MatchPathCase(*local) : fileText;
    }
    std::replace(file.begin(), file.end(), '\\', '/');
    return file;
}

std::string LocalFileText(const std::string& fileText) {
    if (!platform::IsWindowsPath(fileText)) return fileText;
    return LocalFileText(fileText, platform::WineDrives::Read(platform::WinePrefix(platform::ProcessEnvironment())));
}

std::string JumpTargetPath(const JumpTarget& target) {
    size_t b = target.file.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    std::string file = target.file.substr(b, target.file.find_last_not_of(' ') - b + 1);
    if (file.front() == '/') return file;
    if (target.folder.empty()) return {};
    return platform::JoinPath(target.folder, file);
}

void TMsgForm::ListBox1KeyDown(int key) {
    if (key == 13) ListBox1DblClick();
}

void TMsgForm::ListBox1KeyPress(char c) {
    if (c != 'c' && c != 'C') return;
    std::string all;
    for (std::string_view item : items_) {
        all += item;
        all += "\r\n";
    }
    ui_.SetClipboardText(all, false);
}

}  // namespace compiler
