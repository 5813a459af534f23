#include "editor/EditorUndo.h"

#include <functional>

#include <algorithm>

#include "editor/Editor.h"
#include "editor/EditorScreenStrings.h"

namespace editor {

TUndoData* TUndoDataList::Add(std::unique_ptr<TUndoData> record) {
    items_.push_back(std::move(record));
    return items_.back().get();
}

std::unique_ptr<TUndoData> TUndoDataList::TakeLast() {
    std::unique_ptr<TUndoData> last = std::move(items_.back());
    items_.pop_back();
    return last;
}

void TUndoDataList::Delete(int i) { items_.erase(items_.begin() + i); }

void TEditorUndoObj::SetListMax(int value) {
    listMax_ = std::max(64, value);
    while (undoList_.Count() > listMax_) undoList_.Delete(0);
}

TUndoData* TEditorUndoObj::NewRecord() {
    auto record = std::make_unique<TUndoData>();
    if (const TEditor* focused = store_.FocusedEditor()) {
        record->caretRow = focused->Row();
        record->caretCol = focused->Col();
    }
    TUndoData* r = undoList_.Add(std::move(record));
    while (undoList_.Count() > listMax_) undoList_.Delete(0);
    // A new change makes what was undone impossible to redo; the steps are
    // kept aside until the change is made, in case it fails.
    if (!busy_) {
        setAside_ = std::move(redoList_);
        redoList_ = TUndoDataList();
    }
    return r;
}

void TEditorUndoObj::PushRedo(std::unique_ptr<TUndoData> record) { redoList_.Add(std::move(record)); }

void TEditorUndoObj::Clear() {
    redoList_.Clear();
    undoList_.Clear();
}

TEditorUndoObj::TReplaced TEditorUndoObj::Replay(const TUndoData& r) {
    TEditorScreenStrings& s = store_;
    const int a = r.startRow;
    TReplaced now;
    if (!r.spans.empty()) {
        // A replace-all: the same text stands at every place, and the old
        // one goes back in each; the places of the old text make the inverse.
        const int64_t at = r.spans.front();
        now.text = s.TextBetween(at, at + r.newLength);
        now.lastAttribute = r.lastAttribute;
        s.ReplaceSpans(r.spans, now.text, r.oldText, now.spans);
        return now;
    }
    if (r.inRow) {
        // Only the bytes the edit replaced travel.
        const size_t start = static_cast<size_t>(r.byteStart);
        const size_t length = static_cast<size_t>(r.newLength);
        now.text.assign(s.Text(a).substr(start, length));
        now.lastAttribute = r.lastAttribute;
        now.inserted = 1;
        const int c = s.EditRowInPlace(a, start, length, r.oldText);
        s.lastChange_ = {a, 1, 1, c, true};
        return now;
    }
    int m = 0;
    if (r.insertedRows > 0) {
        TGathered g = s.GatherText(a, r.insertedRows);
        now.text = std::move(g.text);
        now.lastAttribute = g.lastAttribute;
        m = g.rows;
    }
    if (r.lastAttribute == raNone) {
        // The change only inserted rows: they go, and their marks stay on
        // the row that follows, as for any deletion of whole lines.
        const TRowMarks marks = s.DeleteRows(a, m);
        if (s.Count() == 0) {
            s.ExcludeMarks(marks);
        } else {
            const int target = std::min(a, s.Count() - 1);
            s.SetMarks(target, s.GetMarks(target) | marks);
        }
    } else {
        TEditorStringList list;
        bool split = false;
        if (r.lastAttribute == raWrapped && a + m < s.Count()) {
            // The old text ends inside a line that the rows after it go on
            // with. Split alone, its last rows could be cut otherwise (a
            // rest that fits in a row is not cut at all), so it is split
            // with those rows in view, as when they were made.
            split = s.SplitTextBefore(r.oldText, a + m, list);
            if (!split) {
                // The rows after it do not line up: the rest of the line is
                // rebuilt with it, and the inverse record covers that too.
                const int last = s.LastRowOfLine(a + m);
                const TGathered rest = s.GatherText(a + m, last - a - m + 1);
                TGathered g = s.GatherText(a, last - a + 1);
                now.text = std::move(g.text);
                now.lastAttribute = g.lastAttribute;
                m = g.rows;
                s.SplitText(r.oldText + rest.text, list);
                list.SetRowAttribute(list.Count() - 1, rest.lastAttribute);
                split = true;
            }
        }
        if (!split) {
            s.SplitText(r.oldText, list);
            // A wrapped last row that ended exactly at a row's width leaves
            // an empty row after it that is no row of the old text.
            if (r.lastAttribute == raWrapped && list.Count() > 0 && list.Text(list.Count() - 1).empty())
                list.Delete(list.Count() - 1);
            if (list.Count() > 0) list.SetRowAttribute(list.Count() - 1, r.lastAttribute);
        }
        now.inserted = list.Count();
        s.ReplaceRowRange(a, m, list);
    }
    const int c = s.Rescan(a, true);
    s.lastChange_ = {a, m, now.inserted, c, true};
    return now;
}

void TEditorUndoObj::Invert(TUndoData& r, TReplaced&& now) {
    if (r.inRow || !r.spans.empty()) r.newLength = static_cast<int64_t>(r.oldText.size());
    r.spans = std::move(now.spans);
    r.insertedRows = now.inserted;
    r.lastAttribute = now.lastAttribute;
    r.oldText = std::move(now.text);
}

void TEditorUndoObj::ReplayOrRestore(std::unique_ptr<TUndoData>& taken, TUndoDataList& from, TEditor* focused,
                                     const std::function<void()>& replay) {
    const uint64_t before = store_.rawChanges_;
    try {
        replay();
    } catch (...) {
        // Failed before the rows changed: the step waits on its list again.
        // Failed half-way: the text is what it became, and no record fits
        // it any longer, so both histories go.
        if (store_.rawChanges_ == before) {
            from.Add(std::move(taken));
        } else {
            Clear();
        }
        store_.EndUpdate();
        if (focused) focused->EndNoCaret();
        throw;
    }
}

void TEditorUndoObj::Undo() {
    if (undoList_.Empty()) return;
    // The record leaves its list before the editors hear of the change, so
    // that what they ask (CanUndo, CanRedo) is already true of the result.
    std::unique_ptr<TUndoData> taken = undoList_.TakeLast();
    TUndoData& r = *taken;
    TEditor* focused = store_.FocusedEditor();
    if (focused) focused->BeginNoCaret();
    store_.BeginUpdate();
    const int32_t row = r.caretRow;
    const int32_t col = r.caretCol;
    ReplayOrRestore(taken, undoList_, focused, [&] { Invert(r, Replay(r)); });
    // Redoing puts the caret back where it is now, after the undone change.
    if (focused) {
        r.caretRow = focused->Row();
        r.caretCol = focused->Col();
    }
    PushRedo(std::move(taken));
    store_.EndUpdate();
    if (focused) {
        focused->SetRow(row);
        focused->SetCol(col);
        focused->EndNoCaret();
    }
}

void TEditorUndoObj::Redo() {
    if (redoList_.Empty()) return;
    std::unique_ptr<TUndoData> taken = redoList_.TakeLast();
    TUndoData& r = *taken;
    TEditor* focused = store_.FocusedEditor();
    if (focused) focused->BeginNoCaret();
    store_.BeginUpdate();
    TReplaced now;
    ReplayOrRestore(taken, redoList_, focused, [&] { now = Replay(r); });
    // The inverse is an ordinary undo record, made without emptying the
    // redo list that the rest of the redone steps are still on.
    busy_ = true;
    TUndoData* inverse = NewRecord();
    busy_ = false;
    inverse->startRow = r.startRow;
    inverse->inRow = r.inRow;
    inverse->byteStart = r.byteStart;
    inverse->newLength = static_cast<int64_t>(r.oldText.size());
    inverse->insertedRows = now.inserted;
    inverse->lastAttribute = now.lastAttribute;
    inverse->oldText = std::move(now.text);
    inverse->spans = std::move(now.spans);
    store_.EndUpdate();
    if (focused) {
        focused->SetRow(r.caretRow);
        focused->SetCol(r.caretCol);
        focused->EndNoCaret();
    }
}

}  // namespace editor
