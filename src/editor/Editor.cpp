#include "editor/Editor.h"

#include <algorithm>

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

void TEditor::ShareLines(TEditor& other) {
    if (other.store_ == store_) return;
    ClearSelection();
    store_->RemoveEditor(this);
    store_ = other.store_;
    store_->AddEditor(this);
    ClampToRows();
    TextReset();
}

void TEditor::SetCaret(const TEditorCaret& caret) {
    props_.caret = caret;
    props_.caret.tabSpaceCount = TEditorCaret::ClampTabSpaceCount(caret.tabSpaceCount);
    Normalise(false, -1);
    Invalidate();
}

void TEditor::SetTabWidth(int width) {
    TEditorCaret c = props_.caret;
    c.tabSpaceCount = width;
    SetCaret(c);
}

void TEditor::SetReadOnly(bool on) {
    if (dragState_ != 0) return;  // not while a drag and drop runs
    props_.readOnly = on;
}

TMeasure TEditor::Measure() const {
    TMeasure m;
    m.tabWidth = props_.caret.tabSpaceCount;
    m.wrapWidth = WordWrap() ? store_->WrapOption().WrapByte() : 0;
    m.delimiters = &Delimiters();
    return m;
}

std::string TEditor::ColumnMap(int row) const { return BuildColumnMap(RowText(row), Measure()); }

int TEditor::EndColumn(int row) const {
    if (row < 0 || row >= RowCount()) return 0;
    return TextWidth(RowText(row));
}

int TEditor::ByteIndex(int row, int col) const {
    std::string_view text = RowText(row);
    if (text.empty()) return 0;
    return ByteIndexOfColumn(BuildColumnMap(text, Measure()), static_cast<int>(text.size()), col);
}

void TEditor::StringsChanged() {
    Invalidate();
    if (!store_->LastChange().valid) return;
    modified_ = true;
    if (OnChange) OnChange(*this);
}

void TEditor::TextReset() {
    Invalidate();
}

void TEditor::Invalidate() {
    if (OnInvalidate) OnInvalidate(*this);
}

int TEditor::MaxCaretRow() const {
    int rows = store_->Count();
    return rows > 0 && store_->GetRowAttribute(rows - 1) == raEndOfText ? rows - 1 : rows;
}

void TEditor::ClampToRows() {
    int limit = MaxCaretRow();
    if (row_ > limit) {
        row_ = limit;
        Normalise(true, -1);
    }
    if (topRow_ > limit) topRow_ = limit;
}

void TEditor::SetTopRow(int row) {
    int limit = std::max(0, RowCount() - 1);
    row = std::clamp(row, 0, limit);
    if (row == topRow_) return;
    topRow_ = row;
    if (OnScroll) OnScroll(*this);
    Invalidate();
}

void TEditor::SetLeftColumn(int col) {
    col = std::clamp(col, 0, kMaxMapColumns + 1);
    if (col == leftCol_) return;
    leftCol_ = col;
    if (OnScroll) OnScroll(*this);
    Invalidate();
}

void TEditor::ScrollLines(int delta) { SetTopRow(topRow_ + delta); }

void TEditor::ScrollCaretIntoView() {
    if (row_ < topRow_) SetTopRow(row_);
    else if (row_ >= topRow_ + visibleRows_) SetTopRow(row_ - visibleRows_ + 1);
    if (col_ < leftCol_) SetLeftColumn(col_);
    else if (col_ >= leftCol_ + visibleCols_) SetLeftColumn(col_ - visibleCols_ + 1);
}

void TEditor::SetFocused(bool focused) {
    if (focused_ == focused) return;
    focused_ = focused;
    if (focused) RefreshCaret();
    else Invalidate();
}

}  // namespace editor
