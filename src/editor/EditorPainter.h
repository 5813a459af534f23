// Paints an editor's visible rows: the background and each row's text in the
// plain text colour, TABs expanded to their tab stops.
#pragma once

#include "editor/Canvas.h"

namespace editor {

class TEditor;

class TEditorPainter {
public:
    TEditorPainter(const TEditor& editor, const TPaintMetrics& metrics) : editor_(editor), m_(metrics) {}

    // `area` is the text area in view coordinates; `firstColumn` the
    // leftmost visible column; `caretOn` the blink phase.
    void Paint(Canvas& canvas, const TRect& area, int firstColumn, bool caretOn) const;
    // Rows that fit in a text area of this height.
    int VisibleRows(int height) const;
    // The widest row in columns, for the horizontal scroll range.
    int MaxColumns() const;

private:
    const TEditor& editor_;
    TPaintMetrics m_;
};

}  // namespace editor
