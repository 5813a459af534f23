// editor::Canvas drawn with a QPainter.
#pragma once

#include <QFont>
#include <QPainter>
#include <QRawFont>

#include "editor/Canvas.h"

namespace gui {

class QtCanvas : public editor::Canvas {
public:
    // `raw` is `font` as QRawFont::fromFont gives it, made once per font by
    // the caller (making it is dearer than painting a row).
    QtCanvas(QPainter& painter, const QFont& font, const QRawFont& raw, int ascent)
        : p_(painter), font_(font), rawFont_(raw), ascent_(ascent) {}

    void FillRect(const editor::TRect& r, editor::TColor color) override;
    void TextRun(int x, int y, std::string_view bytes, int cellWidth, editor::TColor color, uint8_t style) override;
    void ClipTextRun(int x, int y, std::string_view bytes, int cellWidth, editor::TColor color, uint8_t style,
                     const editor::TRect& clip) override;
    void Line(int x1, int y1, int x2, int y2, editor::TColor color) override;
    void DottedLine(int x1, int x2, int y, editor::TColor on, editor::TColor off) override;

private:
    QPainter& p_;
    QFont font_;
    const QRawFont& rawFont_;
    int ascent_;
};

}  // namespace gui
