// Undo records and the undo object that every row store owns.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/RowStringList.h"

namespace editor {

class TEditor;

class TEditorScreenStrings;

// What rows held before a change. A record holds text, not an operation, so
// undoing and redoing are one algorithm: put the old text back and keep what
// was there as the record of the opposite direction.
struct TUndoData {
    int32_t caretRow = 0;
    int32_t caretCol = 0;
    int32_t startRow = -1;      // first row the change rebuilt
    int32_t insertedRows = 0;   // rows the change put in place from startRow
    TRowAttribute lastAttribute = raNone;  // of the last removed row
    std::string oldText;        // the removed rows, CR LF after raLineBreak rows

    // An edit inside one row (ReplaceBytes) keeps only the bytes it replaced:
    // bytes [byteStart, byteStart + newLength) of startRow were oldText. A
    // row of many megabytes is then not copied for every key typed into it.
    bool inRow = false;
    int64_t byteStart = 0;
    int64_t newLength = 0;

    // A replace-all keeps only where it replaced: at each of `spans`
    // (ascending offsets in the text after the change) newLength bytes
    // stand where oldText stood. A text of any size is one small record.
    std::vector<int64_t> spans;
};

// Owns its records, oldest first.
class TUndoDataList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }
    TUndoData& Items(int i) { return *items_[static_cast<size_t>(i)]; }
    TUndoData& Last() { return *items_.back(); }
    TUndoData* Add(std::unique_ptr<TUndoData> record);
    void Delete(int i);
    std::unique_ptr<TUndoData> TakeLast();
    void Clear() { items_.clear(); }

private:
    std::deque<std::unique_ptr<TUndoData>> items_;
};

// The undo and redo lists of a row store, shared by every editor that shows
// it. The store asks for a record before each change and fills it.
class TEditorUndoObj {
public:
    explicit TEditorUndoObj(TEditorScreenStrings& store) : store_(store) {}
    virtual ~TEditorUndoObj() = default;

    // A record for the change about to be made; the caller fills it.
    virtual TUndoData* NewRecord();
    // A change that failed before it was made takes its record back, and
    // the steps it would have made impossible to redo come back.
    void Withdraw(TUndoData* record) {
        if (!record || undoList_.Empty() || &undoList_.Last() != record) return;
        undoList_.TakeLast();
        if (redoList_.Empty()) redoList_ = std::move(setAside_);
        setAside_ = TUndoDataList();
    }
    // The change of the last record was made.
    void Settled() { setAside_.Clear(); }
    virtual bool CanRedo() const { return !redoList_.Empty(); }
    virtual bool CanUndo() const { return !undoList_.Empty(); }
    virtual void Redo();
    virtual void Undo();
    virtual void PushRedo(std::unique_ptr<TUndoData> record);
    virtual void Clear();

    int ListMax() const { return listMax_; }
    // Never below 64.
    void SetListMax(int value);
    int UndoCount() const { return undoList_.Count(); }
    int RedoCount() const { return redoList_.Count(); }

protected:
    TEditorScreenStrings& store_;

private:
    // Runs a step's replay; a failure puts the step back (nothing changed)
    // or empties the histories (the rows changed), and is passed on.
    TUndoDataList setAside_;  // the redo steps a change in progress dropped
    void ReplayOrRestore(std::unique_ptr<TUndoData>& taken, TUndoDataList& from, TEditor* focused,
                         const std::function<void()>& replay);
    // What a replay found in place of the record's old text.
    struct TReplaced {
        int inserted = 0;              // rows the old text made again
        TRowAttribute lastAttribute = raNone;
        std::string text;              // what was there
        std::vector<int64_t> spans;    // of a replace-all, where the old text went
    };
    // Puts `r`'s old text back and publishes the change; the store's update
    // is open and the caret hidden.
    TReplaced Replay(const TUndoData& r);
    // Turns `r` into the record that undoes the replay.
    static void Invert(TUndoData& r, TReplaced&& now);

    int listMax_ = 64;
    bool busy_ = false;  // a redo is recording its inverse
    TUndoDataList redoList_;
    TUndoDataList undoList_;
};

}  // namespace editor
