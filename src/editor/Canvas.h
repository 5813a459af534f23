// The surface the editor paints on. The Qt view implements it with a
// QPainter; tests record the calls.
#pragma once

#include <string_view>

#include "editor/EditorProperties.h"

namespace editor {

struct TRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

class Canvas {
public:
    virtual ~Canvas() = default;
    virtual void FillRect(const TRect& r, TColor color) = 0;
    // Shift-JIS bytes laid on the cell grid from (x, y), the top of the row:
    // one cell of `cellWidth` per byte, so a double-byte character covers two.
    virtual void TextRun(int x, int y, std::string_view bytes, int cellWidth, TColor color, uint8_t style) = 0;
    // The same, showing only what lies inside `clip`: a character across
    // the edge of a repaint or of the text area. A canvas that cannot clip
    // draws the characters whole.
    virtual void ClipTextRun(int x, int y, std::string_view bytes, int cellWidth, TColor color, uint8_t style,
                             const TRect& clip) {
        (void)clip;
        TextRun(x, y, bytes, cellWidth, color, style);
    }
    virtual void Line(int x1, int y1, int x2, int y2, TColor color) = 0;
    // A one-pixel-high dotted line over [x1, x2): pixel x1 in `on`, the
    // next in `off`, and so on.
    virtual void DottedLine(int x1, int x2, int y, TColor on, TColor off) {
        if (x2 <= x1) return;
        FillRect({x1, y, x2, y + 1}, off);
        for (int x = x1; x < x2; x += 2) FillRect({x, y, x + 1, y + 1}, on);
    }
};

// The layout of the editor's window, recomputed from the font and the
// options. leftMargin and topMargin are the left and top areas: where the
// text area starts.
struct TPaintMetrics {
    int cellWidth = 8;
    int rowHeight = 16;
    int leftMargin = 4;
    int topMargin = 4;
    int fontHeight = 16;
    int underlineMargin = 0;
    int rulerHeight = 0;
    int imagebarWidth = 0;
    int leftbarWidth = 0;
    int digits = 4;
    bool italic = false;
};

}  // namespace editor
