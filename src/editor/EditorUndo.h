// Undo records and the undo object that every row store owns.
#pragma once

#include <cstdint>
#include <string>

#include "editor/RowStringList.h"

namespace editor {

class TEditorScreenStrings;

struct TUndoData {
    int32_t caretRow = 0;
    int32_t caretCol = 0;
    int32_t startRow = -1;      // first row the change rebuilt
    int32_t insertedRows = 0;   // rows the change put in place from startRow
    TRowAttribute lastAttribute = raNone;  // of the last removed row
    std::string oldText;        // the removed rows, CR LF after raLineBreak rows
};

// The undo and redo lists of a row store. This base keeps no history:
// NewRecord returns null, so the store records nothing and both lists stay
// empty.
class TEditorUndoObj {
public:
    explicit TEditorUndoObj(TEditorScreenStrings& store) : store_(store) {}
    virtual ~TEditorUndoObj() = default;

    virtual TUndoData* NewRecord() { return nullptr; }
    virtual bool CanRedo() const { return false; }
    virtual bool CanUndo() const { return false; }
    virtual void Redo() {}
    virtual void Undo() {}
    virtual void Clear() {}

    int ListMax() const { return listMax_; }
    void SetListMax(int value) { listMax_ = value < 64 ? 64 : value; }

protected:
    TEditorScreenStrings& store_;

private:
    int listMax_ = 64;
};

}  // namespace editor
