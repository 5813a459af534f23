// The row store of an editor: screen rows with their attributes, scanner
// state and marks, shared by every editor that shows the same text. All text
// changes go through ReplaceRows, which records undo, re-splits the touched
// lines, moves marks with the text and publishes one last-change record.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/ColumnMap.h"
#include "editor/EditorUndo.h"
#include "editor/EditorWrapOption.h"
#include "editor/RowStringList.h"
#include "platform/FileIO.h"

namespace editor {

class TEditor;
class TFountainParser;
struct TRowScan;
struct TRowState;

struct TLastChange {
    int32_t startRow = 0;
    int32_t removedRows = 0;
    int32_t insertedRows = 0;
    int32_t rescannedRows = 0;
    bool valid = false;
};

// What loading found that the caller should tell the user about.
struct TLoadReport {
    size_t nulBytes = 0;  // NUL bytes in the text, each loaded as a blank
    std::optional<platform::FileStamp> stamp;  // of the file read
};

// Makes a file's bytes the text they hold, in place: a 0x1A byte followed by
// nothing but line breaks ends the text (any other 0x1A is kept as text, so
// nothing is lost), and NUL bytes become blanks. `size` is cut accordingly.
TLoadReport PrepareFileText(char* begin, size_t* size);

// Something that follows the text besides the store's own hooks (a word
// index): told of every edit just before it happens, and of a whole new
// text just after it came.
class TTextWatcher {
public:
    virtual ~TTextWatcher() = default;
    virtual void TextEditing(int64_t offset, int64_t removed, std::string_view inserted) = 0;
    virtual void TextReset() = 0;
};

struct TGathered {
    std::string text;
    TRowAttribute lastAttribute = raNone;
    int rows = 0;
};

class TEditorScreenStrings : public TEditorStringList {
public:
    // Created by its first editor, which becomes the owner.
    static TEditorScreenStrings* Create(TEditor* owner);
    ~TEditorScreenStrings() override;

    // Editors. The store deletes itself when its last editor leaves.
    void AddEditor(TEditor* editor);
    void RemoveEditor(TEditor* editor);
    const std::vector<TEditor*>& Editors() const { return editors_; }
    TEditor* Owner() const { return editors_.empty() ? nullptr : editors_.front(); }
    TEditor* FocusedEditor() const;

    int FirstRowOfLine(int row) const;
    int LastRowOfLine(int row) const;
    // n = -1 gathers row to the end of its line.
    TGathered GatherText(int row, int n) const;
    TRowMarks DeleteRows(int row, int n);
    // Puts `list`'s rows in place of rows row..row+n-1; the list is consumed.
    void ReplaceRowRange(int row, int n, TEditorStringList& list);
    // The editing primitive: replaces n rows at `row` with `text`
    // (CR, LF or CR LF line breaks); n = 0 inserts.
    void ReplaceRows(int row, int n, std::string_view text);
    // Replaces bytes [start, end) of `row` with `text`, which holds no line
    // break: the row keeps its attribute, marks and colouring state, its
    // text is changed in place, and only the rows below it whose state
    // changes are rescanned. The change is published like ReplaceRows'.
    void ReplaceBytes(int row, int start, int end, std::string_view text);
    // A replace-all: `find` at each of `at` (ascending offsets of occurrences
    // that do not overlap) becomes `replacement`, as one change and one undo
    // step. The lines are changed one after another, so the text is never
    // copied whole, and the undo record keeps where the replacements are,
    // not the old text. An offset where `find` is not is left alone.
    // Returns how many were replaced.
    size_t ReplaceOccurrences(const std::vector<int64_t>& at, std::string_view find, std::string_view replacement);
    // Bytes [from, to) of the whole text (GetText's form).
    std::string TextBetween(int64_t from, int64_t to) const;

    void Clear() override;
    void EndUpdate() override;

    // Colouring state: FullScan starts over after the text or the colouring
    // rules changed; Rescan brings the states up to date after an edit at
    // `row` and returns how many rows changed. Both stop two screens down
    // (unless brackets are to be scanned in full); rows past the computed
    // ones are brought up to date when they are needed.
    virtual void FullScan();
    virtual int Rescan(int row, bool notify);
    // Whether the row's colouring state is up to date; EnsureState makes it so.
    bool StateComputed(int row) const;
    void EnsureState(int row);
    // Whether rows below the computed ones wait for their states.
    bool StatesPending() const { return computedRows_ < Count() && Owner(); }
    // Brings the states of the rows after the computed ones up to date, in
    // text order, for about `budget` (at least a few rows); true while rows
    // remain. Rows shown in an editor whose state changes are repainted.
    // What it computes equals a scan from the top.
    bool ScanSome(std::chrono::nanoseconds budget);
    // Rows of at least `longRow` bytes keep points of their scan about every
    // `spacing` bytes, so that an edit in one rescans from the point before
    // it to where the new tokens meet the old ones, not the whole row.
    void SetLongRowScan(size_t longRow, size_t spacing);
    // Rows the scanner went over since the count was reset (for measuring).
    int64_t ScannedRows() const { return scannedRows_; }
    void ResetScannedRows() { scannedRows_ = 0; }

    // Row splitting: SplitText cuts the text at line breaks into `list` and,
    // with word wrap on, each line into screen rows by the wrap options;
    // CountRows is how many rows a line makes.
    virtual void SplitText(std::string_view text, TEditorStringList& list);
    virtual int CountRows(std::string_view line);
    // SplitText that stops before a row that would begin at a place of
    // `text` for which stopAt is true (the rows from there on are known to
    // stay as they are); false when it stopped.
    bool SplitTextUntil(std::string_view text, TEditorStringList& list,
                        const std::function<bool(const char*)>& stopAt);

    // Splits `text`, a part of a line that row `next` goes on with, into
    // the rows it makes with that row after it. True when a row would begin
    // at `next`: then the rows are exactly those of `text`.
    bool SplitTextBefore(std::string_view text, int next, TEditorStringList& list);

    virtual void ExcludeMarks(TRowMarks marks) { marksInUse_ &= static_cast<TRowMarks>(~marks); }
    virtual void IncludeMarks(TRowMarks marks) { marksInUse_ |= marks; }
    virtual TRowMarks GetMarksInUse() const { return marksInUse_; }
    virtual void Redo() { undo_->Redo(); }
    virtual void Undo() { undo_->Undo(); }
    TEditorUndoObj& UndoObject() { return *undo_; }

    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool on);
    // The owner's TAB width changed. With word wrap on the rows are split
    // anew and, since they changed without a record, both histories are
    // emptied (as for a change of a wrap option).
    void TabWidthChanged() {
        if (wordWrap_) Rewrap();
    }
    TEditorWrapOption& WrapOption() { return *wrapOption_; }
    const TEditorWrapOption& WrapOption() const { return *wrapOption_; }

    const TLastChange& LastChange() const { return lastChange_; }

    // Every change of the text, as bytes of the whole text (GetText's form,
    // CR LF line breaks): `removed` bytes at `offset` became `inserted`.
    // Edits, undo and redo all come through here; word wrap does not, as it
    // changes rows, not text. OnTextReset: the whole text was replaced
    // (loaded, set, cleared).
    std::function<void(int64_t offset, int64_t removed, std::string_view inserted)> OnTextEdit;
    std::function<void()> OnTextReset;
    // Watchers are told after the hooks; each removes itself before it goes.
    void AddWatcher(TTextWatcher* w) { watchers_.push_back(w); }
    void RemoveWatcher(TTextWatcher* w) { std::erase(watchers_, w); }

    // The whole text: rows with CR LF after each raLineBreak row.
    std::string GetText() const;
    int64_t TextLength() const;
    // Replaces everything (no undo record, modified flags untouched).
    // NUL bytes become blanks and are counted in the report.
    TLoadReport SetText(std::string_view text);
    // Replaces everything with the file's text. On failure the store is
    // empty and the error (platform::FileError) reaches the caller.
    TLoadReport LoadFromFile(const std::string& path);
    // Saves GetText() (see platform::SafeFileWriter); throws
    // platform::FileError. Returns the stamp of the file written.
    platform::FileStamp SaveToFile(const std::string& path) const;

protected:
    explicit TEditorScreenStrings(TEditor* owner);
    void Changed() override;
    void RowsInserted(int at, int count) override;
    void RowsDeleted(int at, int count) override;
    void RowTextChanged(int at, int count) override;
    virtual std::unique_ptr<TEditorUndoObj> CreateUndoObject();
    virtual std::unique_ptr<TEditorWrapOption> CreateWrapOption();
    // Rebuild every row for word wrap on (WrapAll, also after an option
    // changed) or off (UnwrapAll, one row per line). Marks stay with their
    // lines; the colouring state is left to the caller's FullScan.
    virtual void WrapAll();
    virtual void UnwrapAll();
    // How rows are measured for splitting: the owner's tab width and, with
    // word wrap on, the wrap width.
    TMeasure WrapMeasure() const;

private:
    // Clear, then rows from the block `source` gives (loading never leaves
    // half a text behind: on failure the store is empty).
    TLoadReport ReplaceAll(const std::function<platform::FileBlock()>& source, bool eofByteEnds);
    void Rewrap();
    // The text of rows first..last as one line; `joined` holds it when the
    // rows do not lie end to end in memory.
    std::string_view LineOfRows(int first, int last, std::string& joined) const;
    // The rows become `fresh` (unless it is empty and rows remain: then the
    // rows were rebuilt in place); offsets and line counts are rebuilt.
    void AdoptRows(SplitVector<Row> fresh);
    void BuildRowsFromBuffer(std::unique_ptr<char[]> buffer, size_t size);
    // Replaces `length` bytes at `start` of `row` (no line break in `t`),
    // keeping the row's marks and state; returns the rows rescanned.
    int EditRowInPlace(int row, size_t start, size_t length, std::string_view t);
    // ReplaceOccurrences without a record: the new offsets of the places
    // replaced go to `done` as each is made, so that after a failure it
    // still says what was changed.
    void ReplaceSpans(const std::vector<int64_t>& at, std::string_view find, std::string_view replacement,
                      std::vector<int64_t>& done);
    // The first row from which an edit beginning at row a is re-split: s
    // or an earlier row of its line whose cut can depend on row a.
    int FirstRowReaching(int s, int a) const;
    // Undo replays records through the store's own primitives.
    friend class TEditorUndoObj;
    // `state` (the state at the start of row n) becomes the state at the
    // start of row n + 1; a long row's kept scan is used and kept up to date.
    void ScanRow(TFountainParser& parser, int n, TRowState& state);
    // Rescan(row, true) after an edit at `row`, unless a bulk change passes
    // rows whose states are not computed yet.
    int RescanEdited(int row);
    // Rows [at, at + removed) went and `inserted` rows came in their place.
    void MoveScans(int at, int removed, int inserted);

    // The hooks and watchers, in that order.
    void TellEditing(int64_t offset, int64_t removed, std::string_view inserted);
    void TellReset();
    bool Watched() const { return OnTextEdit || !watchers_.empty(); }

    std::vector<TEditor*> editors_;
    std::vector<TTextWatcher*> watchers_;
    TLastChange lastChange_;
    uint64_t rawChanges_ = 0;  // changes of the rows themselves, counted
    TRowMarks marksInUse_ = 0;
    std::unique_ptr<TEditorUndoObj> undo_;
    std::unique_ptr<TEditorWrapOption> wrapOption_;
    int computedRows_ = 0;  // rows below this have no computed state
    int64_t scannedRows_ = 0;
    std::map<int, std::unique_ptr<TRowScan>> scans_;  // by row
    size_t longRow_ = 64 * 1024;
    size_t scanSpacing_ = 16 * 1024;
    bool wordWrap_ = false;
    bool recording_ = true;  // ReplaceRows makes an undo record
    bool bulk_ = false;      // rows past the computed states are not rescanned per edit
};

}  // namespace editor
