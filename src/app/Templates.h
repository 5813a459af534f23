// Templates: named blocks of lines the user inserts from the Edit menu,
// kept in "Template.TXT" beside the program (Shift-JIS, CR LF).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace app {

// Title (with its brackets; also the menu caption) and body lines, Shift-JIS.
struct TTemplate {
    std::string title;
    std::vector<std::string> lines;
    bool operator==(const TTemplate&) const = default;
};

// Reads the file's bytes: a header starts with "[" and has its first "]" at
// position 3 or later; empty lines are skipped; lines before the first header
// are ignored.
std::vector<TTemplate> ParseTemplates(std::string_view bytes);

// Splits text at CR LF, CR or LF; a final line break ends the last line
// rather than starting an empty one.
std::vector<std::string> SplitTextLines(std::string_view text);

// The file's new contents with `tpl` appended: a CR LF first when `existing`
// does not end with a line break, then the title and each line with CR LF.
std::string AppendTemplateBytes(std::string_view existing, const TTemplate& tpl);

// The first template titled exactly `title`; nullptr when none.
const TTemplate* FindTemplate(const std::vector<TTemplate>& list, std::string_view title);

}  // namespace app
