// TEditor: the text-editing control. For now it owns or shares a row store,
// exposes the line view, and holds the caret and top row that the store
// keeps inside the text.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "editor/EditorProperties.h"
#include "editor/EditorScreenStrings.h"
#include "editor/EditorStrings.h"

namespace editor {

class TEditor {
public:
    TEditor();
    virtual ~TEditor();
    TEditor(const TEditor&) = delete;
    TEditor& operator=(const TEditor&) = delete;

    TEditorScreenStrings& Store() { return *store_; }
    const TEditorScreenStrings& Store() const { return *store_; }
    TEditorStrings& Lines() { return *lines_; }
    const TEditorStrings& Lines() const { return *lines_; }

    int RowCount() const { return store_->Count(); }
    std::string_view RowText(int row) const;       // empty outside the store
    TRowAttribute RowAttribute(int row) const;     // raEndOfText outside the store

    // Shows `other`'s text from now on; the old store goes when no editor is left on it.
    void ShareLines(TEditor& other);

    bool WordWrap() const { return store_->WordWrap(); }
    void SetWordWrap(bool on) { store_->SetWordWrap(on); }
    TEditorWrapOption& WrapOption() { return store_->WrapOption(); }
    // Copies the values into the store's own option object.
    void SetWrapOption(const TEditorWrapOption& option) { store_->WrapOption().Assign(option); }

    // Caret: a row and a display column. OnCaretMoved follows each move.
    int Row() const { return row_; }
    int Col() const { return col_; }
    void SetRow(int row) { SetRowCol(row, col_); }
    void SetCol(int col) { SetRowCol(row_, col); }
    void SetRowCol(int row, int col);
    int TopRow() const { return topRow_; }
    void SetTopRow(int row);
    std::function<void(TEditor&)> OnCaretMoved;
    std::function<void(TEditor&)> OnScroll;

    // The caret at text offset `offset` counted from `baseRow`.
    void SetCaretOffset(int baseRow, int64_t offset);
    // Text offset of (row, column) counted from `baseRow`.
    int64_t CaretOffset(int baseRow, int row, int col) const;
    // Display columns of a row prefix: TABs run to the next tab stop.
    int TextWidth(std::string_view bytes) const;
    int TabWidth() const { return tabWidth_; }
    void SetTabWidth(int width) { tabWidth_ = width < 1 ? 1 : width; }

    // Option values (caret, font, colours, bars, ...).
    TEditorProperties& Properties() { return props_; }
    const TEditorProperties& Properties() const { return props_; }
    int UndoListMax() const { return store_->UndoObject().ListMax(); }
    void SetUndoListMax(int value) { store_->UndoObject().SetListMax(value); }

    // Vertical scrolling by rows; the view tells how many rows it shows.
    int VisibleRows() const { return visibleRows_; }
    void SetVisibleRows(int rows) { visibleRows_ = rows < 1 ? 1 : rows; }
    void ScrollLines(int delta);
    void ScrollPages(int delta) { ScrollLines(delta * visibleRows_); }

    bool Focused() const { return focused_; }
    void SetFocused(bool focused) { focused_ = focused; }

    bool Modified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }

    std::function<void(TEditor&)> OnChange;

    // Called by the store after each notified change of its rows.
    virtual void StringsChanged();
    // Called by the store when the whole text was replaced (load, wrap switch).
    virtual void TextReset() {}
    // Drops any selection; the store calls it before replacing everything.
    virtual void ClearSelection() {}
    // Keeps the caret and top row inside the text (store's EndUpdate).
    void ClampToRows();

private:
    friend class TEditorScreenStrings;

    TEditorScreenStrings* store_ = nullptr;
    std::unique_ptr<TEditorStrings> lines_;
    int row_ = 0;
    int col_ = 0;
    int topRow_ = 0;
    int tabWidth_ = 8;
    int visibleRows_ = 1;
    TEditorProperties props_;
    bool focused_ = false;
    bool modified_ = false;
};

}  // namespace editor
