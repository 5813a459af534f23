#include "platform/IniFile.h"

#include <cerrno>
#include <cstdint>
#include <stdexcept>

#include "platform/FileIO.h"

namespace platform {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

bool IsQuoted(std::string_view s) { return s.size() >= 2 && IsQuote(s.front()) && s.front() == s.back(); }

// Offset of `ch` in s at a character boundary (never the second byte of a
// double-byte character), or npos.
size_t FindCharDbcs(std::string_view s, char ch) {
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == ch) return i;
        if (IsLeadByte(static_cast<unsigned char>(s[i]))) ++i;
    }
    return std::string_view::npos;
}

struct ParsedLine {
    enum Kind { kBlank, kComment, kHeader, kKey } kind = kBlank;
    std::string_view name;   // section or key name, trimmed
    bool hasValue = false;   // the key line has "="
    std::string_view value;  // trimmed and unquoted
};

ParsedLine Parse(std::string_view line) {
    ParsedLine p;
    std::string_view rest = Trim(line);
    if (rest.empty()) return p;
    if (rest.front() == ';') {
        p.kind = ParsedLine::kComment;
    } else if (rest.front() == '[') {
        p.kind = ParsedLine::kHeader;
        rest.remove_prefix(1);
        p.name = Trim(rest.substr(0, FindCharDbcs(rest, ']')));
    } else {
        p.kind = ParsedLine::kKey;
        size_t eq = rest.find('=');  // "=" (0x3D) is never the second byte of a character
        p.name = Trim(rest.substr(0, eq));
        if (eq != std::string_view::npos) {
            p.hasValue = true;
            p.value = Trim(rest.substr(eq + 1));
            if (IsQuoted(p.value)) p.value = p.value.substr(1, p.value.size() - 2);
        }
    }
    return p;
}

constexpr std::string_view kCrLf = "\r\n";

// The lines and, for each, the line end that follows it.
std::vector<std::pair<std::string, std::string>> SplitLines(std::string_view bytes) {
    std::vector<std::pair<std::string, std::string>> lines;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c != '\r' && c != '\n') continue;
        size_t end = i;
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        lines.emplace_back(bytes.substr(start, end - start), bytes.substr(end, i + 1 - end));
        start = i + 1;
    }
    if (start < bytes.size()) lines.emplace_back(bytes.substr(start), "");
    return lines;
}

bool ParseInteger(std::string_view s, int* out) {
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (!s.empty() && s.front() == '$') {
        base = 16;
        s.remove_prefix(1);
    } else if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    if (s.empty()) return false;
    const int64_t limit = negative ? int64_t{INT32_MAX} + 1 : int64_t{INT32_MAX};
    int64_t n = 0;
    for (char c : s) {
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return false;
        n = n * base + digit;
        if (n > limit) return false;
    }
    *out = static_cast<int>(negative ? -n : n);
    return true;
}

std::string FormatValue(std::string_view raw) {
    std::string v(raw);
    for (char& c : v)
        if (c == '\r' || c == '\n') c = ' ';
    bool needsQuotes = (!v.empty() && (IsBlank(v.front()) || IsBlank(v.back()))) || IsQuoted(v);
    return needsQuotes ? '"' + v + '"' : v;
}

void CheckName(std::string_view name, bool isSection) {
    const char* problem = nullptr;
    if (name.find_first_of("\r\n") != std::string_view::npos) problem = "contains a line break";
    else if (Trim(name).size() != name.size()) problem = "has blanks at an end";
    else if (isSection && FindCharDbcs(name, ']') != std::string_view::npos) problem = "contains \"]\"";
    else if (!isSection && name.find('=') != std::string_view::npos) problem = "contains \"=\"";
    else if (!isSection && !name.empty() && (name.front() == '[' || name.front() == ';'))
        problem = "starts with \"[\" or \";\"";
    if (problem)
        throw std::invalid_argument(std::string("INI ") + (isSection ? "section" : "key") + " name \"" +
                                    SjisToUtf8(name) + "\" " + problem);
}

}  // namespace

void IniFile::LoadFromFile(const std::string& path) {
    std::string bytes;
    try {
        bytes = ReadWholeFile(path);
    } catch (const FileError& e) {
        if (e.error() != ENOENT) throw;
    }
    LoadFromBytes(bytes);
}

void IniFile::LoadFromBytes(std::string_view bytes) {
    blocks_.assign(1, Block{});
    sections_.clear();
    modified_ = false;
    for (auto& [line, end] : SplitLines(bytes)) {
        ParsedLine p = Parse(line);
        if (p.kind == ParsedLine::kHeader) {
            Block block;
            block.name = p.name;
            sections_.emplace(AnsiUpperCase(p.name), blocks_.size());
            blocks_.push_back(std::move(block));
        } else if (p.kind == ParsedLine::kKey && blocks_.size() > 1) {
            blocks_.back().keys.emplace(AnsiUpperCase(p.name), blocks_.back().lines.size());
        }
        blocks_.back().lines.push_back(std::move(line));
        blocks_.back().ends.push_back(std::move(end));
    }
}

bool IniFile::Blank() const {
    for (const Block& b : blocks_)
        for (const std::string& line : b.lines)
            if (Parse(line).kind != ParsedLine::kBlank) return false;
    return true;
}

std::string IniFile::ToBytes() const {
    size_t size = 0;
    for (const Block& b : blocks_)
        for (const std::string& line : b.lines) size += line.size() + 2;
    std::string out;
    out.reserve(size);
    for (const Block& b : blocks_) {
        for (size_t i = 0; i < b.lines.size(); ++i) {
            // A last line without an end that no longer is last gets one.
            if (!out.empty() && !out.ends_with('\r') && !out.ends_with('\n')) out += kCrLf;
            out += b.lines[i];
            out += b.ends[i];
        }
    }
    return out;
}

void IniFile::SaveToFile(const std::string& path) const { WriteFileSafely(path, ToBytes()); }

const IniFile::Block* IniFile::FindSection(std::string_view section) const {
    auto it = sections_.find(AnsiUpperCase(section));
    return it == sections_.end() ? nullptr : &blocks_[it->second];
}

const std::string* IniFile::FindKeyLine(std::string_view section, std::string_view key) const {
    const Block* block = FindSection(section);
    if (!block) return nullptr;
    auto it = block->keys.find(AnsiUpperCase(key));
    return it == block->keys.end() ? nullptr : &block->lines[it->second];
}

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
    if (const std::string* line = FindKeyLine(section, key)) {
        ParsedLine p = Parse(*line);
        if (p.hasValue) return std::string(p.value);
    }
    return std::string(def);
}

std::string IniFile::ReadText(std::string_view section, std::string_view key, std::string_view defUtf8) const {
    if (const std::string* line = FindKeyLine(section, key)) {
        ParsedLine p = Parse(*line);
        if (p.hasValue) return SjisToUtf8(p.value);
    }
    return std::string(defUtf8);
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
    int n;
    if (const std::string* line = FindKeyLine(section, key)) {
        ParsedLine p = Parse(*line);
        if (p.hasValue && ParseInteger(p.value, &n)) return n;
    }
    return def;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool IniFile::SectionExists(std::string_view section) const { return FindSection(section) != nullptr; }

bool IniFile::ValueExists(std::string_view section, std::string_view key) const {
    return FindKeyLine(section, key) != nullptr;
}

std::vector<std::string> IniFile::ReadSection(std::string_view section) const {
    std::vector<std::string> names;
    const Block* block = FindSection(section);
    if (!block) return names;
    for (size_t i = 1; i < block->lines.size(); ++i) {
        ParsedLine p = Parse(block->lines[i]);
        if (p.kind == ParsedLine::kKey && block->keys.at(AnsiUpperCase(p.name)) == i) names.emplace_back(p.name);
    }
    return names;
}

std::vector<std::string> IniFile::ReadSections() const {
    std::vector<std::string> names;
    for (size_t i = 1; i < blocks_.size(); ++i)
        if (sections_.at(AnsiUpperCase(blocks_[i].name)) == i) names.push_back(blocks_[i].name);
    return names;
}

IniFile::Block& IniFile::SectionForWrite(std::string_view section) {
    if (blocks_.empty()) blocks_.emplace_back();
    auto it = sections_.find(AnsiUpperCase(section));
    if (it != sections_.end()) return blocks_[it->second];

    // Only the leading block can have no lines, and then it is the whole file.
    Block& last = blocks_.back();
    if (!last.lines.empty() && Parse(last.lines.back()).kind != ParsedLine::kBlank) {
        last.lines.emplace_back();
        last.ends.emplace_back(kCrLf);
    }
    Block block;
    block.name = section;
    block.lines.push_back('[' + std::string(section) + ']');
    block.ends.emplace_back(kCrLf);
    sections_.emplace(AnsiUpperCase(section), blocks_.size());
    blocks_.push_back(std::move(block));
    return blocks_.back();
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view rawValue) {
    CheckName(section, true);
    CheckName(key, false);
    std::string value = FormatValue(rawValue);
    Block& block = SectionForWrite(section);
    std::string upperKey = AnsiUpperCase(key);
    auto it = block.keys.find(upperKey);
    if (it != block.keys.end()) {
        std::string& line = block.lines[it->second];
        std::string written = std::string(Parse(line).name) + '=' + value;
        // A line that already says exactly this stays as it is, line end and all.
        if (written != line) {
            line = std::move(written);
            block.ends[it->second] = kCrLf;
        }
    } else {
        size_t pos = block.lines.size();
        while (pos > 1 && Parse(block.lines[pos - 1]).kind == ParsedLine::kBlank) --pos;
        // Only blank lines move down, so the recorded key lines stay valid.
        block.lines.insert(block.lines.begin() + static_cast<std::ptrdiff_t>(pos), std::string(key) + '=' + value);
        block.ends.insert(block.ends.begin() + static_cast<std::ptrdiff_t>(pos), std::string(kCrLf));
        block.keys.emplace(std::move(upperKey), pos);
    }
    modified_ = true;
}

EncodeResult IniFile::WriteText(std::string_view section, std::string_view key, std::string_view utf8Value) {
    EncodeResult r = EncodeSjis(utf8Value);
    WriteString(section, key, r.bytes);
    return r;
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

}  // namespace platform
