#include "QtCanvas.h"

#include <QImage>

#include "Fonts.h"
#include "platform/ShiftJis.h"
#include "QtUi.h"

namespace gui {

void QtCanvas::FillRect(const editor::TRect& r, editor::TColor color) {
    p_.fillRect(QRect(r.left, r.top, r.Width(), r.Height()), ToQColor(color));
}

void QtCanvas::TextRun(int x, int y, std::string_view bytes, int cellWidth, editor::TColor color, uint8_t style) {
    QFont font = font_;
    font.setBold(style & editor::fsBold);
    font.setItalic(style & editor::fsItalic);
    font.setUnderline(style & editor::fsUnderline);
    font.setStrikeOut(style & editor::fsStrikeOut);
    p_.setFont(font);
    p_.setPen(ToQColor(color));
    // Each character goes to its own cell so that the grid holds whatever
    // widths the font gives its glyphs.
    size_t i = 0;
    while (i < bytes.size()) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        size_t len = platform::IsLeadByte(c) && i + 1 < bytes.size() ? 2 : 1;
        int cx = x + static_cast<int>(i) * cellWidth;
        bool control = c < 0x20 || c == 0x7F;
        if (!control) p_.drawText(cx, y + ascent_, Q(platform::SjisToUtf8(bytes.substr(i, len))));
        i += len;
    }
}

void QtCanvas::DottedLine(int x1, int x2, int y, editor::TColor on, editor::TColor off) {
    if (x2 <= x1) return;
    // A two-pixel pattern laid from x1.
    QImage pattern(2, 1, QImage::Format_RGB32);
    pattern.setPixelColor(0, 0, ToQColor(on));
    pattern.setPixelColor(1, 0, ToQColor(off));
    QBrush brush(pattern);
    brush.setTransform(QTransform::fromTranslate(x1, y));
    p_.fillRect(QRect(x1, y, x2 - x1, 1), brush);
}

void QtCanvas::Line(int x1, int y1, int x2, int y2, editor::TColor color) {
    p_.setPen(ToQColor(color));
    p_.drawLine(x1, y1, x2, y2);
}

}  // namespace gui
