#include "reference/KeywordList.h"

#include <filesystem>
#include <system_error>

#include "platform/FileIO.h"
#include "platform/Path.h"
#include "platform/ShiftJis.h"

namespace reference {

KeywordLoadReport TKeywordList::Load(const std::string& path) {
    entries_.clear();
    KeywordLoadReport report;
    if (!platform::FileExists(path)) {
        report.missing = true;
        return report;
    }
    std::error_code ec;
    auto size = std::filesystem::file_size(path, ec);
    if (!ec && size > kKeywordFileLimit) {
        report.error = path + " は大きすぎます (" + std::to_string(size / (1024 * 1024)) + " MB)。キーワードリストを読み込みません。";
        return report;
    }
    std::string bytes;
    try {
        bytes = platform::ReadWholeFile(path);
    } catch (const std::exception& e) {
        report.error = path + " を読み込めません。\n" + e.what();
        return report;
    }
    if (bytes.size() > kKeywordFileLimit) {  // grew while being read
        report.error = path + " は大きすぎます。キーワードリストを読み込みません。";
        return report;
    }
    return Parse(bytes);
}

KeywordLoadReport TKeywordList::Parse(std::string_view bytes) {
    entries_.clear();
    KeywordLoadReport report;
    size_t lineNo = 0;
    size_t i = 0;
    while (i < bytes.size()) {
        size_t j = bytes.find_first_of("\r\n", i);
        if (j == std::string_view::npos) j = bytes.size();
        std::string_view line = bytes.substr(i, j - i);
        if (j < bytes.size() && bytes[j] == '\r' && j + 1 < bytes.size() && bytes[j + 1] == '\n') ++j;
        i = j + 1;
        ++lineNo;

        if (line.empty() || line.front() == ';') continue;
        size_t bang = line.find('!');
        if (bang == std::string_view::npos) continue;
        // "!" and "#" lie below 0x40, so they are never a Shift-JIS trail
        // byte: a byte search cannot split a double-byte character.
        std::string text;
        std::string_view rest = line.substr(bang + 1);
        for (size_t k = 0; k < rest.size(); ++k) {
            if (rest[k] == '#' && k + 1 < rest.size() && rest[k + 1] == '#') {
                text += "\r\n";
                ++k;
            } else {
                text += rest[k];
            }
        }
        platform::DecodeResult decoded = platform::DecodeSjis(text);
        if (!decoded.ok() && report.badLines++ == 0) report.firstBadLine = lineNo;
        entries_.push_back({std::string(line.substr(0, bang)), std::move(decoded.text)});
    }
    return report;
}

const std::string& TKeywordList::Lookup(std::string_view word) const {
    static const std::string kNone;
    for (const KeywordEntry& e : entries_)
        if (e.key == word) return e.text;
    return kNone;
}

std::string KeywordListPath(const std::string& programFolder, int targetHost) {
    if (targetHost != 0) {
        if (auto tw = platform::FindFileInFolder(programFolder, "TWLIBHLP.TXT")) return *tw;
    }
    return platform::ResolveFixedFile(programFolder, "VKLIBHLP.TXT");
}

std::string IncludeFolder(std::string_view compilerFolder) {
    if (compilerFolder.empty()) return {};
    size_t slash = compilerFolder.rfind('/');
    if (slash == std::string_view::npos) return "include";
    return std::string(compilerFolder.substr(0, slash)) + "/include";
}

bool HelpViewerShows(std::string_view path) {
    const std::string ext = platform::UpperCase(platform::ExtractFileExt(path));
    return ext == ".TXT" || ext == ".HTM" || ext == ".HTML" || ext == ".MD";
}

std::string OneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t k = 0; k < text.size(); ++k) {
        if (text[k] == '\r' && k + 1 < text.size() && text[k + 1] == '\n') ++k;
        out += (text[k] == '\r' || text[k] == '\n') ? ' ' : text[k];
    }
    return out;
}

}  // namespace reference
