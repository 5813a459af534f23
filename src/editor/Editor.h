// TEditor: the text-editing control. It owns or shares a row store and
// holds the caret, the selection, the mouse state and the view geometry
// that the painting view reports; editing goes through the store's
// ReplaceRows. Parts: row access (Editor.cpp), caret (EditorCaret.cpp),
// selection and edit-control queries (EditorSelection.cpp), mouse
// (EditorMouse.cpp), keys (EditorKeys.cpp), editing commands
// (EditorEditing.cpp).
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "editor/Canvas.h"
#include "editor/ColumnMap.h"
#include "editor/EditorFountain.h"
#include "editor/EditorPopupMenu.h"
#include "editor/EditorProperties.h"
#include "editor/EditorScreenStrings.h"
#include "editor/EditorSearch.h"
#include "editor/EditorStrings.h"
#include "editor/Tokens.h"

namespace editor {

// Where clipboard text goes: Shift-JIS in and out; the implementation
// converts to and from the desktop's Unicode clipboard.
class TMacroTarget;

// Row marks that stand for a build's messages and for find-in-files hits,
// drawn in the left bar.
constexpr int kHitRowMark = 13;
constexpr int kErrorRowMark = 14;
constexpr int kWarningRowMark = 15;

class TEditorClipboard {
public:
    virtual ~TEditorClipboard() = default;
    // nullopt when there is no text, or text that could not be taken
    // (the implementation tells the user why).
    virtual std::optional<std::string> GetText(bool* box) = 0;
    virtual void SetText(std::string_view sjis, bool box) = 0;
    // Whether there is text to paste, without taking it.
    virtual bool HasText() = 0;
};

// What the editor asks of the window that shows it; rectangles in client
// pixels.
class TEditorWindow {
public:
    virtual ~TEditorWindow() = default;
    // Repaint `r` later.
    virtual void InvalidateRect(const TRect& r) = 0;
    // Move the pixels inside `area` by (dx, dy), keeping them inside it;
    // what is uncovered is repainted later.
    virtual void ScrollRect(const TRect& area, int dx, int dy) = 0;
    // Repaint what is invalid now.
    virtual void UpdateNow() = 0;
    // The scroll ranges or positions changed.
    virtual void ScrollBarsChanged() = 0;
    // Rows wait for their colouring states: call TEditor::UpdateStatesSlice
    // now and then, while the window is idle, until it returns false.
    virtual void StatesPending() {}
};

enum TSelectionState : uint8_t { sstNone = 0, sstAnchored = 1, sstSelected = 2, sstHit = 3 };
enum TSelectionMode : uint8_t { smNormal = 0, smBox = 1 };
enum class TCursorKind { Default, LeftMargin, TopMargin, InSelection, Drag, DragCopy };
enum class TMouseButton { Left, Right, Middle };

// Virtual key codes the key handling understands.
enum TVirtualKey : int {
    vkBack = 8, vkTab = 9, vkReturn = 13, vkPrior = 33, vkNext = 34, vkEnd = 35, vkHome = 36, vkLeft = 37,
    vkUp = 38, vkRight = 39, vkDown = 40, vkInsert = 45, vkDelete = 46,
};

struct TToken {
    std::string text;
    TTokenKind kind = tokEnd;
    int row = 0;             // first row of the token's line
    int start = 0, end = 0;  // bytes from the start of that line
};

struct TKeyState {
    bool shift = false, ctrl = false, alt = false;
};

class TEditor {
public:
    TEditor();
    virtual ~TEditor();
    TEditor(const TEditor&) = delete;
    TEditor& operator=(const TEditor&) = delete;

    // ---- Rows -------------------------------------------------------------
    TEditorScreenStrings& Store() { return *store_; }
    const TEditorScreenStrings& Store() const { return *store_; }
    TEditorStrings& Lines() { return *lines_; }
    const TEditorStrings& Lines() const { return *lines_; }
    int RowCount() const { return store_->Count(); }
    std::string_view RowText(int row) const;    // empty outside the store
    TRowAttribute RowAttribute(int row) const;  // raEndOfText outside the store
    // Shows `other`'s text from now on; the old store goes when no editor is left on it.
    void ShareLines(TEditor& other);
    bool WordWrap() const { return store_->WordWrap(); }
    void SetWordWrap(bool on) { store_->SetWordWrap(on); }
    TEditorWrapOption& WrapOption() { return store_->WrapOption(); }
    void SetWrapOption(const TEditorWrapOption& option) { store_->WrapOption().Assign(option); }

    // ---- Options ----------------------------------------------------------
    TEditorProperties& Properties() { return props_; }
    const TEditorProperties& Properties() const { return props_; }
    const TEditorCaret& Caret() const { return props_.caret; }
    // Copies the options (TabSpaceCount clamped) and refreshes the caret.
    void SetCaret(const TEditorCaret& caret);
    int TabWidth() const { return props_.caret.tabSpaceCount; }
    void SetTabWidth(int width);
    bool ReadOnly() const { return props_.readOnly; }
    void SetReadOnly(bool on);
    int UndoListMax() const { return store_->UndoObject().ListMax(); }
    void SetUndoListMax(int value) { store_->UndoObject().SetListMax(value); }
    void SetClipboard(TEditorClipboard* clipboard) { clipboard_ = clipboard; }
    TEditorClipboard* Clipboard() const { return clipboard_; }
    TEditorPopupMenu& PopupMenu() { return *popupMenu_; }
    // The window that keyboard macros record from and play into (its view).
    TMacroTarget* MacroTarget() const { return macroTarget_; }
    void SetMacroTarget(TMacroTarget* target) { macroTarget_ = target; }
    virtual const TDelimiters& Delimiters() const { return DefaultDelimiters(); }

    // ---- Colouring ----------------------------------------------------------
    // The editor's own colouring definition (its View).
    TEditorViewInfo& View() { return view_; }
    const TEditorViewInfo& View() const { return view_; }
    // An outside definition used instead of the View's when set.
    void SetFountain(TEditorFountain* fountain);
    const TEditorFountain& ActiveFountain() const { return fountain_ ? *fountain_ : view_.Fountain(); }
    // The View's reserved words; a list with other contents rescans every row.
    const std::vector<std::string>& ReserveWordList() const { return view_.Fountain().ReserveWordList(); }
    void SetReserveWordList(std::vector<std::string> words) { view_.Fountain().SetReserveWordList(std::move(words)); }
    // Raised after each piece of a row is drawn, with the row's text, where
    // its first cell lies, the row index, the piece and whether it is selected.
    std::function<void(TEditor&, Canvas&, std::string_view lineStr, int x, int y, int index, const TRect& rect,
                       bool selected)>
        OnDrawLine;
    // A colouring option changed: all row states are rescanned, then repainted.
    void FountainChanged();
    // A slice of the background work on the colouring states of the rows
    // below the computed ones (after loading, or an edit that changed the
    // state of rows below the screen): about `milliseconds` of it; true
    // while more remains. The window drives it (StatesPending).
    bool UpdateStatesSlice(int milliseconds);

    // ---- Measures ---------------------------------------------------------
    TMeasure Measure() const;
    std::string ColumnMap(int row) const;
    int TextWidth(std::string_view bytes) const { return editor::TextWidth(bytes, Measure()); }
    // The row's width in columns, at most kBeyondCaret; 0 outside the store.
    int EndColumn(int row) const;
    int ByteIndex(int row, int col) const;  // limited to the row's length

    // ---- Caret ------------------------------------------------------------
    int Row() const { return row_; }
    int Col() const { return col_; }
    void SetRow(int row);
    void SetCol(int col);
    void SetRowCol(int row, int col);
    // The caret at text offset `offset` counted from `baseRow`.
    void SetCaretOffset(int baseRow, int64_t offset);
    // Text offset of (row, column) from `baseRow`; a column past the end of
    // the row counts the blanks an insertion there adds.
    int64_t CaretOffset(int baseRow, int row, int col) const;
    bool Overwrite() const { return overwrite_; }
    void SetOverwrite(bool on);
    // Nesting caret hiding; caret moves are not refreshed while updating.
    void BeginNoCaret();
    void EndNoCaret();
    bool CaretVisible() const { return hideCount_ == 0; }
    // Nesting hiding of the caret row's underline.
    void BeginNoUnderline();
    void EndNoUnderline();
    bool UnderlineVisible() const;
    std::function<void(TEditor&)> OnCaretMoved;

    // ---- View geometry (told by the painting view) --------------------------
    void SetWindow(TEditorWindow* window) {
        window_ = window;
        AskForStates();
    }
    int TopRow() const { return topRow_; }
    // Scrolls so that `row` (0..RowCount) is the top row, moving the pixels
    // on screen and repainting what was uncovered.
    void SetTopRow(int row);
    int LeftColumn() const { return leftCol_; }
    void SetLeftColumn(int col);
    // Scroll bar moves: the top row within 0..MaxTopRow (with LockScroll the
    // caret row moves along), the left column within 0..1000 + half a screen.
    void ScrollBarTopRow(int row);
    void ScrollBarLeftColumn(int col);
    // Pixel row where `row` starts on screen.
    int RowTop(int row) const { return metrics_.topMargin + (row - topRow_) * metrics_.rowHeight; }
    // Repaint one row's text later; rows first..last at once.
    void PaintRow(int row);
    void PaintRows(int first, int last);
    // Moves the text (and image bar) from `row` down by `count` rows.
    void ScrollRowsBelow(int row, int count);
    std::function<void(TEditor&)> OnTopRowChange;
    std::function<void(TEditor&)> OnTopColChange;
    int VisibleRows() const { return visibleRows_; }
    void SetVisibleRows(int rows) { visibleRows_ = rows < 1 ? 1 : rows; }
    int VisibleColumns() const { return visibleCols_; }
    void SetVisibleColumns(int cols) { visibleCols_ = cols < 1 ? 1 : cols; }
    const TPaintMetrics& Metrics() const { return metrics_; }
    void SetMetrics(const TPaintMetrics& m) { metrics_ = m; }
    // Lays the window out from the font (text height with external leading,
    // average character width) and the viewport's size in pixels.
    void RecomputeMetrics(int fontHeight, int averageCharWidth, int width, int height);
    int ClientWidth() const { return clientWidth_; }
    int ClientHeight() const { return clientHeight_; }
    // Scroll ranges the view shows: top row 0..MaxTopRow, left column 0..MaxLeftColumn.
    int MaxTopRow() const { return RowCount(); }
    int MaxLeftColumn() const { return std::max(0, kMaxMapColumns - visibleCols_ / 2); }

    // Option objects; each setter limits the values, then relayouts and repaints.
    void SetMargin(const TEditorMargin& m);
    void SetLeftbar(const TEditorLeftbar& l);
    void SetRuler(const TEditorRuler& r);
    void SetImagebar(const TEditorImagebar& i);
    void SetMarks(const TEditorMarks& m);
    void SetSpeed(const TEditorSpeed& s);
    void SetColor(TColor c);
    void SetFont(const TEditorFont& f);
    void SetClientSize(int width, int height) { clientWidth_ = width, clientHeight_ = height; }
    void ScrollLines(int delta);
    void ScrollPages(int delta) { ScrollLines(delta * visibleRows_); }
    // Keeps the caret inside the window (scrolling as little as needed).
    void ScrollCaretIntoView();

    // ---- Selection ----------------------------------------------------------
    TSelectionState SelectionState() const { return selState_; }
    bool Selected() const { return selState_ == sstSelected; }
    bool Marked() const { return selState_ == sstSelected || selState_ == sstHit; }
    TSelectionMode SelectionMode() const { return selMode_; }
    void SetSelectionMode(TSelectionMode mode);
    void StartSelection();
    void Extend();
    void UpdateSelection();
    virtual void ClearSelection();
    std::string SelectedText() const;
    int64_t SelLength() const;
    int64_t SelStart() const;
    void SetSelStart(int64_t n);
    void SetSelLength(int64_t n);
    void SelectAll();
    bool IsInSelection(int row, int col) const;
    void SelectRow(int row);
    // Removes the selected text (one change).
    void DeleteSelection();
    // The rows left when the selection is cut out (insert positions set).
    void RemoveSelection(TEditorStringList& list) const;
    struct TByteRange { int startRow = 0, endRow = 0, startByte = 0, endByte = -1; };
    struct TColumnRange { int topRow = 0, bottomRow = 0, leftCol = 0, rightCol = 0; };
    const TByteRange& SelectionBytes() const { return selBytes_; }
    const TColumnRange& SelectionColumns() const { return selCols_; }
    std::function<void(TEditor&, TSelectionState)> OnSelectionChange;
    std::function<void(TEditor&)> OnSelectionModeChange;

    // ---- Search (EditorSearch.cpp) -------------------------------------------
    // Finds `pattern` (Shift-JIS) from the caret or the selection, forward
    // with soDown, else backward, without wrapping around; shows the hit
    // by HitStyle and scrolls it into view.
    bool Search(std::string_view pattern, TSearchOptions options);
    THitStyle HitStyle() const { return props_.hitStyle; }
    // Clears a selection or hit first.
    void SetHitStyle(THitStyle style);
    // The length of the hit shown as a block caret (hsCaret); 0 otherwise.
    int64_t HitLength() const { return hitLength_; }

    // ---- Edit-control queries (full-width results) --------------------------
    void GetSel(int64_t* start, int64_t* end) const;
    void SetSel(int64_t start, int64_t end);
    int LineFromChar(int64_t offset) const;
    int64_t LineIndex(int row) const;
    int64_t LineLength(int64_t offset) const;
    std::string GetLine(int row, size_t bufferSize) const;
    int LineCount() const { return RowCount(); }
    int FirstVisibleLine() const { return topRow_; }
    bool PosFromChar(int64_t offset, int* x, int* y) const;
    // -1 outside the client area; else the offset, and the row through `row`.
    int64_t CharFromPos(int x, int y, int* row) const;
    int64_t TextLength() const { return store_->TextLength(); }
    std::string GetText() const { return store_->GetText(); }
    bool Modified() const { return modified_; }
    void SetModified(bool modified) {
        if (!props_.readOnly) modified_ = modified;
    }
    // The editor's own modified-flag reset (load from the form, save).
    void ResetModified() { modified_ = false; }

    // ---- Mouse ----------------------------------------------------------------
    void PositionFromPoint(int x, int y, bool nearest, int* col, int* row) const;
    void MouseDown(TMouseButton button, int x, int y, const TKeyState& keys);
    void MouseMove(int x, int y, bool leftDown, const TKeyState& keys);
    void MouseUp(TMouseButton button, int x, int y, const TKeyState& keys);
    TCursorKind CursorKind() const { return cursor_; }
    int DragState() const { return dragState_; }
    // The token under (row, column), scanned over the row's whole line with
    // the colouring scanner or with the plain one (the character table only).
    TToken TokenAt(int row, int col, bool useFountain) const;
    // Selects the plain-scanner token there (double click).
    void SelectTokenAt(int row, int col);
    std::string TokenAtCaret(bool useFountain = false) const;

    // ---- Keys and typing --------------------------------------------------------
    void KeyDown(int key, const TKeyState& keys, bool repeat);
    void KeyUp(int key);
    // A character message: one byte; `next` is the byte of the following
    // character message when one is queued (for 0x81-0x9F lead bytes), and
    // `consumedNext` tells the caller it was taken.
    void CharMessage(unsigned char c, const TKeyState& keys, std::optional<unsigned char> next, bool* consumedNext);
    // An input-method result: inserted whole; its character messages that
    // may follow are then ignored.
    void CompositionResult(std::string_view sjis);
    // The shortcuts of the editor's own popup menu (row marks, undo, the
    // clipboard, box paste, box mode), offered each key first; true when
    // the key was one of them.
    bool ShortcutKey(int key, const TKeyState& keys) { return popupMenu_->ShortcutKey(key, keys); }
    // Whether `key` is one of those shortcuts (it must win over window menus).
    static bool IsShortcutKey(int key, const TKeyState& keys) { return TEditorPopupMenu::IsShortcutKey(key, keys); }
    int PendingImeBytes() const { return pendingIme_; }

    // ---- Row marks (EditorMarks.cpp) ---------------------------------------------
    // Marks 0..15 on screen rows; a numbered mark (0..9) stands on one row
    // at a time, so putting it moves it there.
    TRowMarks RowMarks(int row) const;  // empty for a row that does not exist
    void SetRowMarks(int row, TRowMarks marks);
    void PutRowMark(int row, int mark);
    void DeleteRowMark(int row, int mark);
    void ToggleRowMark(int row, int mark);
    // Moves the caret to the first row with the mark, scrolling it to about
    // half a window below the top when it is out of sight.
    void GotoRowMark(int mark);
    int FindRowMark(int mark) const;  // -1 when no row carries it
    TRowMarks MarksInUse() const { return store_->GetMarksInUse(); }

    // ---- Editing commands ---------------------------------------------------------
    void InsertText(std::string_view s);
    void SetSelText(std::string_view s);
    void BoxPaste(std::string_view s);
    void Tab();
    void Enter(bool shift);
    void Backspace();
    void DeleteKey();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    void IndentSelection();
    void UnindentSelection();
    void DeleteRow(int row);
    void Undo();
    void Redo();
    bool CanUndo() const { return store_->UndoObject().CanUndo(); }
    bool CanRedo() const { return store_->UndoObject().CanRedo(); }
    // Edit-control editing answers.
    void ReplaceSel(std::string_view s) { SetSelText(s); }
    void EmptyUndoBuffer();
    void SetText(std::string_view text);
    void Cut();
    void Copy();
    void Paste() { PasteFromClipboard(); }
    void Clear() { DeleteSelection(); }

    // ---- Where the user is ---------------------------------------------------------
    // Caret, scroll position, selection and row marks, kept across a
    // relayout that gives the same rows (the save's wrap round trip, which
    // would otherwise gather a line's marks on its first row).
    struct TViewState {
        int row = 0, col = 0, topRow = 0, leftCol = 0;
        TSelectionState selState = sstNone;
        TSelectionMode selMode = smNormal;
        int anchorRow = 0, anchorByte = 0, anchorCol = 0;
        TByteRange bytes;
        TColumnRange cols;
        int rows = 0;                                  // the row count then
        std::vector<std::pair<int, TRowMarks>> marks;  // the marked rows
    };
    TViewState SaveViewState() const;
    void RestoreViewState(const TViewState& state);

    // ---- Focus, change notification -------------------------------------------------
    bool Focused() const { return focused_; }
    void SetFocused(bool focused);
    std::function<void(TEditor&)> OnChange;

    // Called by the store after each notified change of its rows.
    virtual void StringsChanged();
    // Called by the store when the whole text was replaced (load, wrap switch).
    virtual void TextReset();
    // Keeps the caret and top row inside the text (store's EndUpdate).
    void ClampToRows();
    // Asks the view to repaint everything.
    void Invalidate();
    // Asks the view to repaint the caret, its ruler mark and its underline.
    void InvalidateCaret();

private:
    friend class TEditorScreenStrings;

    int MaxCaretRow() const;
    void Normalise(bool vertical, int direction);
    void Remember(bool vertical, int col);
    void RefreshCaret();
    int CaretByte() const { return ByteIndex(row_, col_); }
    // The caret's byte for selecting: the exact offset's byte when one is set.
    int SelectionCaretByte() const;
    int CaretUnlimitedByte() const;
    void MoveCaretTo(int row, int col, int direction, bool vertical);
    void SelectionChanged();
    void InvalidateRect(const TRect& r);
    void InvalidateCaretAt(int row, int col);
    void InvalidateUnderline(int row);
    // Rows [first, last] on screen, from x = `left` to the right edge.
    void InvalidateRows(int first, int last, int left);
    // Repaints after a change of the rows (the store's last change).
    void RepaintChange(const TLastChange& change);
    void ScrollBarsChanged();
    int ScreenRows() const;
    void ExtendRowSelection(int row);
    void Drop(int x, int y, bool copy);
    void CaretKey(int key, const TKeyState& keys, bool repeat);
    void WordRight();
    void WordLeft();
    // The text that replaces the selected rows when s takes the selection's
    // place; the rows, the base row and the offset of the insertion from it.
    std::string TextReplacingSelection(std::string_view s, int* first, int* taken, int* base, int64_t* start);

    TEditorScreenStrings* store_ = nullptr;
    std::unique_ptr<TEditorStrings> lines_;
    TEditorProperties props_;
    TEditorClipboard* clipboard_ = nullptr;
    std::unique_ptr<TEditorPopupMenu> popupMenu_;
    TMacroTarget* macroTarget_ = nullptr;
    TEditorViewInfo view_;
    TEditorFountain* fountain_ = nullptr;
    int viewListener_ = 0;
    int fountainListener_ = 0;

    // Caret.
    int row_ = 0;
    int col_ = 0;
    int rememberedCol_ = 0;
    bool remembered_ = false;
    bool overwrite_ = false;
    int hideCount_ = 0;
    int underlineHideCount_ = 0;
    int shownRow_ = 0, shownCol_ = 0;  // where the caret was last drawn
    bool updating_ = false;
    bool keyRepeat_ = false;
    int pendingIme_ = 0;

    // View.
    TEditorWindow* window_ = nullptr;
    int topRow_ = 0;
    int leftCol_ = 0;
    int visibleRows_ = 1;
    int visibleCols_ = 80;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    TPaintMetrics metrics_;
    int fontHeight_ = 16, averageCharWidth_ = 8;
    void Relayout();
    void LineCountChanged();
    // Tells the window when rows wait for their colouring states.
    void AskForStates();

    // Selection.
    TSelectionState selState_ = sstNone;
    // The text offset the caret stands for after SetSelStart or SetSelLength,
    // which may lie beyond the columns a caret can reach: selections start
    // and end there, not at the caret's column. Any caret move forgets it.
    int64_t exactOffset_ = -1;
    TSelectionMode selMode_ = smNormal;
    int anchorRow_ = 0, anchorByte_ = 0, anchorCol_ = 0;
    TByteRange selBytes_;
    TColumnRange selCols_;
    TColumnRange savedCols_;
    int64_t hitLength_ = 0;
    void ShowHit(int baseRow, const TSearchPos& hit);
    bool selShown_ = false;  // rows of the selection as last drawn
    int selShownTop_ = 0, selShownBottom_ = 0;

    // Mouse.
    bool leftDown_ = false;
    int dragState_ = 0;  // 0 none, 1 armed, 2 dragging
    int pressX_ = 0, pressY_ = 0;
    bool rowSelecting_ = false;
    int rowSelectFirst_ = 0;
    TCursorKind cursor_ = TCursorKind::Default;

    bool focused_ = false;
    bool modified_ = false;
};

}  // namespace editor
