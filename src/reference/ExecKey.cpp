#include "reference/ExecKey.h"

#include <algorithm>
#include <exception>

#include "editor/Editor.h"
#include "platform/FileIO.h"
#include "platform/Path.h"
#include "reference/ListSort.h"

namespace reference {

std::vector<KeyEntry> ParseKeyDefinitions(std::string_view bytes) {
    static constexpr std::string_view kRule = "========";
    static constexpr std::string_view kHeading = "キー定義";  // as Shift-JIS below
    static const std::string heading = platform::EncodeSjis(kHeading).bytes;
    std::vector<KeyEntry> entries;
    size_t i = 0;
    while (i < bytes.size()) {
        size_t j = bytes.find_first_of("\r\n", i);
        if (j == std::string_view::npos) j = bytes.size();
        std::string_view line = bytes.substr(i, j - i);
        i = j + 1;
        if (j < bytes.size() && bytes[j] == '\r' && i < bytes.size() && bytes[i] == '\n') ++i;
        if (line.empty() || line.starts_with(kRule) || line.starts_with(heading)) continue;
        KeyEntry e;
        size_t tab = line.find('\t');
        e.key = std::string(line.substr(0, tab));
        if (tab != std::string_view::npos) {
            size_t d = line.find_first_not_of('\t', tab);
            if (d != std::string_view::npos) e.description = std::string(line.substr(d));
        }
        entries.push_back(std::move(e));
    }
    return entries;
}

bool TExecKeyForm::FormShow(const std::string& keyDefPath) {
    rows_.clear();
    result_.clear();
    sortFlags_[0] = sortFlags_[1] = true;
    if (keyDefPath.empty() || !platform::FileExists(keyDefPath)) return false;
    try {
        rows_ = ParseKeyDefinitions(platform::ReadWholeFile(keyDefPath));
    } catch (const std::exception& e) {
        ui_.MessageBox("ファイルを読み込めません。\n" + std::string(e.what()), "エラー", platform::MsgKind::Error,
                       platform::MsgButtons::Ok);
        return false;
    }
    return true;
}

void TExecKeyForm::ColumnClick(int column, int* selected) {
    if (column == 0)
        SortByFlag(rows_, sortFlags_[0],
                   [](const KeyEntry& a, const KeyEntry& b) { return CompareTextSjis(a.key, b.key) < 0; }, selected);
    else if (column == 1)
        SortByFlag(
            rows_, sortFlags_[1],
            [](const KeyEntry& a, const KeyEntry& b) { return CompareTextSjis(a.description, b.description) < 0; },
            selected);
}

bool TExecKeyForm::Choose(int selectedRow, bool quoted) {
    if (selectedRow < 0 || selectedRow >= static_cast<int>(rows_.size())) return false;
    const KeyEntry& e = rows_[static_cast<size_t>(selectedRow)];
    result_ = quoted ? "execkey(\"" + e.key + "\");" : "execkey(" + e.key + ");";
    if (commentChecked) result_ += "  //" + e.description;
    return true;
}

bool TExecKeyForm::RowDoubleClick(int selectedRow) { return Choose(selectedRow, true); }
bool TExecKeyForm::EnterKey(int selectedRow) { return Choose(selectedRow, false); }

void InsertLineAtCaret(editor::TEditor& ed, std::string_view line) {
    int row = std::min(ed.Row(), ed.RowCount());
    int at = ed.WordWrap() ? ed.Store().LinesBefore(row) : row;
    ed.Lines().Insert(std::min(at, ed.Lines().Count()), line);
}

}  // namespace reference
