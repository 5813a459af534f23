#include "app/Templates.h"

#include "platform/ShiftJis.h"

namespace app {

namespace {

// The title of a header line, or empty when the line is no header. A "]"
// that is the second byte of a double-byte character does not count.
std::string_view HeaderTitle(std::string_view line) {
    if (line.empty() || line[0] != '[') return {};
    for (size_t i = 1; i < line.size(); ++i) {
        if (platform::IsLeadByte(static_cast<unsigned char>(line[i]))) {
            ++i;
        } else if (line[i] == ']') {
            return i >= 2 ? line.substr(0, i + 1) : std::string_view{};
        }
    }
    return {};
}

}  // namespace

std::vector<std::string> SplitTextLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::vector<TTemplate> ParseTemplates(std::string_view bytes) {
    std::vector<TTemplate> list;
    bool inTemplate = false;
    for (std::string& line : SplitTextLines(bytes)) {
        if (line.empty()) continue;
        std::string_view title = HeaderTitle(line);
        if (!title.empty()) {
            list.push_back({std::string(title), {}});
            inTemplate = true;
        } else if (inTemplate) {
            list.back().lines.push_back(std::move(line));
        }
    }
    return list;
}

std::string AppendTemplateBytes(std::string_view existing, const TTemplate& tpl) {
    std::string out(existing);
    if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += "\r\n";
    out += tpl.title + "\r\n";
    for (const std::string& line : tpl.lines) out += line + "\r\n";
    return out;
}

const TTemplate* FindTemplate(const std::vector<TTemplate>& list, std::string_view title) {
    for (const TTemplate& t : list)
        if (t.title == title) return &t;
    return nullptr;
}

}  // namespace app
