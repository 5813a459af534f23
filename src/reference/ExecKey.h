// TExecKeyForm: the execkey reference. It lists the keys of the development
// kit's key definition file and yields an execkey() call line to insert.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Ui.h"

namespace editor {
class TEditor;
}

namespace reference {

struct KeyEntry {
    std::string key, description;  // Shift-JIS bytes as in the file
};

// The entries of a key definition file's bytes, in file order. A line with
// no TAB is a key without a description.
std::vector<KeyEntry> ParseKeyDefinitions(std::string_view bytes);

class TExecKeyForm {
public:
    static constexpr std::string_view kCaption = "ExecKey";
    static constexpr std::string_view kColumns[2] = {"KEY", "内容"};
    static constexpr int kColumnWidths[2] = {160, 250};
    static constexpr std::string_view kListHint =
        "項目を選択してEnterｷｰ押下、またはﾀﾞﾌﾞﾙｸﾘｯｸするとｴﾃﾞｨﾀに書き込まれます";
    static constexpr std::string_view kCheckCaption = "「内容」をコメントとして一緒に挿入(&I)";
    static constexpr std::string_view kCheckHint =
        "ﾀﾞﾌﾞﾙｸﾘｯｸでKeyとともに「内容」をｺﾒﾝﾄにしてｴﾃﾞｨﾀに書き込みます";
    static constexpr std::string_view kClose = "閉じる";
    static constexpr std::string_view kCloseHint = "閉じる";
    static constexpr std::string_view kTessalMessage = "tessal エージェントではexeckey()で実行可能なコマンドは不明です";

    explicit TExecKeyForm(platform::Ui& ui) : ui_(ui) {}

    // Fills the list from the file; false when it is missing (silently) or
    // cannot be read (after telling the user).
    bool FormShow(const std::string& keyDefPath);
    // Sorts by column 0 (key) or 1 (description); `selected` follows its row.
    void ColumnClick(int column, int* selected = nullptr);

    // True when the window is to close (a row was selected).
    bool RowDoubleClick(int selectedRow);
    bool EnterKey(int selectedRow);
    void EscapeKey() { result_.clear(); }

    bool commentChecked = false;  // the check box

    const std::vector<KeyEntry>& Rows() const { return rows_; }
    const std::string& Result() const { return result_; }  // Shift-JIS
    bool SortFlag(int column) const { return sortFlags_[column == 1 ? 1 : 0]; }

private:
    bool Choose(int selectedRow, bool quoted);

    platform::Ui& ui_;
    std::vector<KeyEntry> rows_;
    std::string result_;
    bool sortFlags_[2] = {true, true};
};

// Inserts `line` as a new line at the caret's line; the lines from there on
// move down.
void InsertLineAtCaret(editor::TEditor& editor, std::string_view line);

}  // namespace reference
