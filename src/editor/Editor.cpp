#include "editor/Editor.h"

#include <algorithm>

#include "platform/ShiftJis.h"

namespace editor {

TEditor::TEditor()
    : store_(TEditorScreenStrings::Create(this)), lines_(std::make_unique<TEditorStrings>(*this)) {}

TEditor::~TEditor() {
    if (store_) store_->RemoveEditor(this);
}

std::string_view TEditor::RowText(int row) const {
    if (row < 0 || row >= store_->Count()) return {};
    return store_->Text(row);
}

TRowAttribute TEditor::RowAttribute(int row) const {
    if (row < 0 || row >= store_->Count()) return raEndOfText;
    return store_->GetRowAttribute(row);
}

void TEditor::SetRowCol(int row, int col) {
    row = row < 0 ? 0 : row;
    col = col < 0 ? 0 : col;
    if (row == row_ && col == col_) return;
    row_ = row;
    col_ = col;
    if (OnCaretMoved) OnCaretMoved(*this);
}

void TEditor::SetTopRow(int row) {
    int limit = std::max(0, RowCount() - 1);
    row = std::clamp(row, 0, limit);
    if (row == topRow_) return;
    topRow_ = row;
    if (OnScroll) OnScroll(*this);
}

void TEditor::ScrollLines(int delta) { SetTopRow(topRow_ + delta); }

void TEditor::ShareLines(TEditor& other) {
    if (other.store_ == store_) return;
    ClearSelection();
    store_->RemoveEditor(this);
    store_ = other.store_;
    store_->AddEditor(this);
    ClampToRows();
    TextReset();
}

void TEditor::StringsChanged() {
    if (!store_->LastChange().valid) return;
    modified_ = true;
    if (OnChange) OnChange(*this);
}

void TEditor::ClampToRows() {
    int rows = store_->Count();
    int limit = rows > 0 && store_->GetRowAttribute(rows - 1) == raEndOfText ? rows - 1 : rows;
    if (row_ > limit) SetRowCol(limit, col_);
    if (topRow_ > limit) topRow_ = limit;
}

int TEditor::TextWidth(std::string_view bytes) const {
    int col = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == '\t') {
            col += tabWidth_ - col % tabWidth_;
        } else if (platform::IsLeadByte(c) && i + 1 < bytes.size()) {
            col += 2;
            ++i;
        } else {
            ++col;
        }
    }
    return col;
}

void TEditor::SetCaretOffset(int baseRow, int64_t offset) {
    int rows = store_->Count();
    baseRow = std::clamp(baseRow, 0, rows);
    int64_t target = store_->RowOffset(baseRow) + std::max<int64_t>(offset, 0);
    int row = store_->RowOfOffset(target);
    if (row >= rows) {
        if (rows > 0 && store_->GetRowAttribute(rows - 1) == raEndOfText) {
            row = rows - 1;  // the walk stops on the end-of-text row
        } else {
            SetRowCol(rows, 0);
            return;
        }
    }
    std::string_view text = store_->Text(row);
    int64_t index = target - store_->RowOffset(row);
    if (index > static_cast<int64_t>(text.size())) index = static_cast<int64_t>(text.size());
    SetRowCol(row, TextWidth(text.substr(0, static_cast<size_t>(index))));
}

int64_t TEditor::CaretOffset(int baseRow, int row, int col) const {
    int rows = store_->Count();
    baseRow = std::clamp(baseRow, 0, rows);
    row = std::clamp(row, 0, rows);
    std::string_view text = RowText(row);
    // Byte index of the column: fill columns of a TAB do not count, columns
    // past the end count as the blanks an insertion there would add.
    int64_t index = 0;
    int width = 0;
    size_t i = 0;
    while (i < text.size() && width < col) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        int w = c == '\t' ? tabWidth_ - width % tabWidth_ : (platform::IsLeadByte(c) && i + 1 < text.size() ? 2 : 1);
        if (width + w > col && c == '\t') break;
        width += w;
        size_t step = w == 2 && c != '\t' ? 2 : 1;
        i += step;
        index += static_cast<int64_t>(step);
    }
    if (i >= text.size() && width < col) index += col - width;
    return store_->RowOffset(row) - store_->RowOffset(baseRow) + index;
}

}  // namespace editor
