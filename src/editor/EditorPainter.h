// Paints the editor: the corner, the ruler, the left bar with line numbers,
// the image bar, and the text rows token by token in their colours, with the
// selection, the row-end marks, "[EOF]" and the caret-row underline. All of
// it on the cell grid, onto a Canvas.
#pragma once

#include <string_view>

#include "editor/Canvas.h"

namespace editor {

class TEditor;

class TEditorPainter {
public:
    explicit TEditorPainter(TEditor& editor);

    // Paints what lies in `clip` (view coordinates); `caretOn` is the blink phase.
    void Paint(Canvas& canvas, const TRect& clip, bool caretOn);

    // The pixel digit font of the ruler and the image bar: 5 × 9 pixels,
    // "1" 3 pixels wide. Returns the width drawn.
    static int DrawDigit(Canvas& canvas, int x, int y, int digit, TColor color);
    // The pixels of the digit that lie inside `clip`.
    static int DrawDigitIn(Canvas& canvas, int x, int y, int digit, TColor color, const TRect& clip);

private:
    void PaintCorner(Canvas& canvas);
    void PaintRuler(Canvas& canvas, const TRect& clip);
    void PaintLeftbar(Canvas& canvas, int first, int last);
    void PaintImagebar(Canvas& canvas, int first, int last);
    struct TRowLayout;
    void PaintTextRow(Canvas& canvas, int row, int y, const TRect& clip);
    // One piece of a row, in the normal or the selection colours.
    void RowPaint(Canvas& canvas, const TRowLayout& row, const TRect& rect, bool selected);
    // A text run on the cell grid inside `clip`; the underline style is
    // drawn as a dotted line over `back`.
    void Run(Canvas& canvas, int x, int y, std::string_view bytes, TColor color, TColor back, uint8_t style,
             const TRect& clip);
    void PaintEndRow(Canvas& canvas, int row, int y, const TRect& clip);
    void PaintCaret(Canvas& canvas, bool caretOn);
    void ReturnMark(Canvas& canvas, int x, int y, TColor c);
    void WrapMark(Canvas& canvas, int x, int y, TColor c);
    void HideMark(Canvas& canvas, int x, int y, TColor c);
    void EofMark(Canvas& canvas, int x, int y, const TRect& clip);

    TEditor& ed_;
    const TPaintMetrics& m_;
    TColor back_;   // the editor's Color
    TColor fore_;   // the font colour
};

}  // namespace editor
