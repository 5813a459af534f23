// TDefineViewForm: the define reference. It lists the library header's named
// constants of one kind from the list file beside the program and yields the
// chosen name, which InsertDefineName puts into a document at the caret.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/IniFile.h"
#include "platform/Ui.h"

namespace editor {
class TEditor;
}

namespace reference {

// The list file of the target host (0 Korvane, 1 Tessal) in `programFolder`,
// found ignoring ASCII case; its canonical spelling when absent.
std::string DefineListPath(const std::string& programFolder, int targetHost);

// Integer reading for the value sort: optional sign, then decimal digits or
// hexadecimal digits after "0x", "0X" or "$", blanks around allowed.
bool ParseDefineValue(std::string_view text, long long* value);

class TDefineViewForm {
public:
    static constexpr std::string_view kCaption = "VKLIB.H 定数定義ビュー";
    static constexpr std::string_view kKindLabel = "種別(&S)";
    static constexpr std::string_view kKindHint = "定数定義種別の選択";
    static constexpr std::string_view kListLabel = "define定数(&D)";
    static constexpr std::string_view kListHint = "定数定義一覧|定数定義一覧 定義をCtrl+Cでクリップボードに複写します";
    static constexpr std::string_view kNote[3] = {"定数リストから選択してマウスでダブルクリ",
                                                  "ックするか選択状態でOKボタンで、エディタ",
                                                  "画面に選択された定義が挿入されます"};
    static constexpr std::string_view kOk = "&OK";
    static constexpr std::string_view kClose = "閉じる";
    static constexpr std::string_view kColumns[3] = {"定義", "値", "意味"};
    static constexpr int kColumnWidths[3] = {120, 36, 480};
    static constexpr std::string_view kMissingValue = "???";

    // Texts are Shift-JIS bytes as in the file: names go into documents.
    struct Row {
        std::string name, value, description;
    };

    explicit TDefineViewForm(platform::Ui& ui) : ui_(ui) {}

    // The list's column widths as the view last showed them: the designed
    // ones at first, then what the user dragged them to, for the program's
    // life. The view never shows the value column narrower than its values.
    int columnWidths[3] = {kColumnWidths[0], kColumnWidths[1], kColumnWidths[2]};

    // Empties the form and lists the kinds; false when the list file is
    // missing (the window then closes at once) or cannot be read (after
    // telling the user).
    bool FormShow(const std::string& programFolder, int targetHost);
    // Lists the constants of kind `index`; false when the file is gone.
    bool KindChange(int index);
    // Sorts by column 0 (name) or 1 (value); `selected` follows its row.
    void ColumnClick(int column, int* selected = nullptr);

    void RowDoubleClick(int row);
    void OkClick(int selectedRow);
    void CloseClick() { result_.clear(); }
    // Ctrl+C in the list: the row's name onto the clipboard.
    void CopyName(int selectedRow);

    const std::vector<std::string>& Kinds() const { return kinds_; }  // Shift-JIS
    const std::vector<Row>& Rows() const { return rows_; }
    const std::string& Result() const { return result_; }
    // Next click on the name / value heading sorts ascending when true.
    bool SortFlag(int column) const { return sortFlags_[column == 1 ? 1 : 0]; }

private:
    // Reads the list file into `ini`; false (after telling the user why it
    // could not be read) when it is missing or unreadable.
    bool LoadList(platform::IniFile& ini);

    platform::Ui& ui_;
    std::string path_;
    std::vector<std::string> kinds_;
    std::vector<Row> rows_;
    std::string result_;
    // The form lives as long as the program: these flags span its uses.
    bool sortFlags_[2] = {false, false};
};

// Puts `name` into the caret's line before the caret column (at the end for
// a column past it) as one edit, the caret left in front of the name.
void InsertDefineName(editor::TEditor& editor, std::string_view name);

}  // namespace reference
