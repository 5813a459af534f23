#include "reference/DefineView.h"

#include <algorithm>
#include <climits>
#include <exception>

#include "editor/Editor.h"
#include "platform/FileIO.h"
#include "platform/IniFile.h"
#include "platform/Path.h"
#include "reference/ListSort.h"

namespace reference {

namespace {

std::string_view TrimBlanks(std::string_view s) {
    size_t a = s.find_first_not_of(" \t");
    if (a == std::string_view::npos) return {};
    size_t b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
}

// A corrupt or hostile CNT must not make a list that fills the memory:
// no kind lists more rows than this, whatever the keys say.
constexpr int kMaxRows = 100000;

}  // namespace

std::string DefineListPath(const std::string& programFolder, int targetHost) {
    return platform::ResolveFixedFile(programFolder, targetHost == 1 ? "DefineTW.Txt" : "Define.Txt");
}

bool ParseDefineValue(std::string_view text, long long* value) {
    std::string_view s = TrimBlanks(text);
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    } else if (s.size() > 1 && s[0] == '$') {
        base = 16;
        s.remove_prefix(1);
    }
    if (s.empty()) return false;
    unsigned long long v = 0;
    for (char c : s) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        if (v > (ULLONG_MAX - static_cast<unsigned>(d)) / static_cast<unsigned>(base)) return false;
        v = v * static_cast<unsigned>(base) + static_cast<unsigned>(d);
    }
    // Hexadecimal constants such as 0xFFFFFFFF keep their unsigned value.
    if (v > static_cast<unsigned long long>(LLONG_MAX)) return false;
    *value = negative ? -static_cast<long long>(v) : static_cast<long long>(v);
    return true;
}

bool TDefineViewForm::LoadList(platform::IniFile& ini) {
    // Read afresh on every use: the list may be edited while the program runs.
    if (!platform::FileExists(path_)) return false;
    try {
        ini.LoadFromFile(path_);
    } catch (const std::exception& e) {
        ui_.MessageBox("ファイルを読み込めません。\n" + std::string(e.what()), "エラー", platform::MsgKind::Error,
                       platform::MsgButtons::Ok);
        return false;
    }
    return true;
}

bool TDefineViewForm::FormShow(const std::string& programFolder, int targetHost) {
    kinds_.clear();
    rows_.clear();
    result_.clear();
    path_ = DefineListPath(programFolder, targetHost);
    platform::IniFile ini;
    if (!LoadList(ini)) return false;
    kinds_ = ini.ReadSections();
    return true;
}

bool TDefineViewForm::KindChange(int index) {
    rows_.clear();
    if (index < 0 || index >= static_cast<int>(kinds_.size())) return true;
    platform::IniFile ini;
    if (!LoadList(ini)) return false;
    const std::string& kind = kinds_[static_cast<size_t>(index)];
    const int n = std::min(ini.ReadInteger(kind, "CNT", 0), kMaxRows);
    if (n > 0) rows_.reserve(static_cast<size_t>(n));
    for (int i = 1; i <= n; ++i) {
        std::string k = std::to_string(i);
        Row row;
        row.name = ini.ReadString(kind, "N" + k, "");
        row.value = std::string(TrimBlanks(ini.ReadString(kind, "V" + k, "")));
        if (row.value.empty()) row.value = kMissingValue;
        row.description = ini.ReadString(kind, "D" + k, "");
        rows_.push_back(std::move(row));
    }
    return true;
}

void TDefineViewForm::ColumnClick(int column, int* selected) {
    if (column == 0) {
        SortByFlag(rows_, sortFlags_[0],
                   [](const Row& a, const Row& b) { return CompareTextSjis(a.name, b.name) < 0; }, selected);
    } else if (column == 1) {
        // Values that are no integer ("???", expressions) come after the
        // numbers in ascending order, ordered by their text.
        SortByFlag(
            rows_, sortFlags_[1],
            [](const Row& a, const Row& b) {
                long long x = 0, y = 0;
                bool nx = ParseDefineValue(a.value, &x), ny = ParseDefineValue(b.value, &y);
                if (nx != ny) return nx;
                if (nx) return x < y;
                return CompareTextSjis(a.value, b.value) < 0;
            },
            selected);
    }
}

void TDefineViewForm::RowDoubleClick(int row) {
    if (row >= 0 && row < static_cast<int>(rows_.size())) result_ = rows_[static_cast<size_t>(row)].name;
}

void TDefineViewForm::OkClick(int selectedRow) {
    result_.clear();
    RowDoubleClick(selectedRow);
}

void TDefineViewForm::CopyName(int selectedRow) {
    if (selectedRow < 0 || selectedRow >= static_cast<int>(rows_.size())) return;
    ui_.SetClipboardText(platform::DecodeSjis(rows_[static_cast<size_t>(selectedRow)].name).text, false);
}

void InsertDefineName(editor::TEditor& ed, std::string_view name) {
    if (name.empty()) return;
    editor::TEditorStrings& lines = ed.Lines();
    int row = std::min(ed.Row(), ed.RowCount());
    int line = ed.WordWrap() ? ed.Store().LinesBefore(row) : row;
    if (line >= lines.Count()) {
        // The caret below the last line: the name becomes a line of its own.
        int first = ed.RowCount();
        lines.Add(name);
        ed.SetCaretOffset(first, 0);
        return;
    }
    int first = lines.FirstRow(line);
    // The caret's byte within its line: wrapped rows of a line join without
    // a break between them.
    size_t byte = 0;
    for (int r = first; r < row; ++r) byte += ed.RowText(r).size();
    byte += static_cast<size_t>(ed.ByteIndex(row, ed.Col()));
    std::string text = lines.Get(line);
    byte = std::min(byte, text.size());
    text.insert(byte, name);
    // One replacement of the line: a single step to undo.
    lines.Put(line, text);
    ed.SetCaretOffset(first, static_cast<int64_t>(byte));
}

}  // namespace reference
