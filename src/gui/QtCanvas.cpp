#include "QtCanvas.h"

#include <QGlyphRun>
#include <QImage>

#include "Fonts.h"
#include "platform/ShiftJis.h"
#include "QtUi.h"

namespace gui {

void QtCanvas::FillRect(const editor::TRect& r, editor::TColor color) {
    p_.fillRect(QRect(r.left, r.top, r.Width(), r.Height()), ToQColor(color));
}

namespace {

// The UTF-16 character of one Shift-JIS character (0 when none).
QChar CharOf(std::string_view bytes) {
    const unsigned char c = static_cast<unsigned char>(bytes[0]);
    if (bytes.size() == 1) {
        if (c >= 0x20 && c < 0x7F) return QChar(c);
        if (c >= 0xA1 && c <= 0xDF) return QChar(static_cast<char16_t>(0xFF61 + (c - 0xA1)));  // half-width katakana
        return QChar();
    }
    const QString s = Q(platform::SjisToUtf8(bytes));
    return s.size() == 1 ? s.at(0) : QChar();
}

}  // namespace

void QtCanvas::TextRun(int x, int y, std::string_view bytes, int cellWidth, editor::TColor color, uint8_t style) {
    QFont font = font_;
    font.setBold(style & editor::fsBold);
    font.setItalic(style & editor::fsItalic);
    font.setUnderline(style & editor::fsUnderline);
    font.setStrikeOut(style & editor::fsStrikeOut);
    p_.setFont(font);
    p_.setPen(ToQColor(color));
    const int baseline = y + ascent_;
    // Plain text goes out as one glyph run with every glyph at its cell;
    // styled text (which may need a synthesised face) and characters the
    // font lacks are placed one by one, with the toolkit's fallbacks.
    const bool plain = style == 0 && rawFont_.isValid();
    QString chars;
    QList<QPointF> positions;
    size_t i = 0;
    while (i < bytes.size()) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        const size_t len = platform::IsLeadByte(c) && i + 1 < bytes.size() ? 2 : 1;
        const int cx = x + static_cast<int>(i) * cellWidth;
        const QChar ch = c == ' ' ? QChar() : CharOf(bytes.substr(i, len));
        i += len;
        if (ch.isNull()) continue;  // blanks and control codes show nothing
        if (plain && rawFont_.supportsCharacter(ch)) {
            chars += ch;
            positions.append(QPointF(cx, baseline));
        } else {
            p_.drawText(cx, baseline, QString(ch));
        }
    }
    if (chars.isEmpty()) return;
    QGlyphRun run;
    run.setRawFont(rawFont_);
    run.setGlyphIndexes(rawFont_.glyphIndexesForString(chars));
    run.setPositions(positions);
    p_.drawGlyphRun(QPointF(0, 0), run);
}

void QtCanvas::ClipTextRun(int x, int y, std::string_view bytes, int cellWidth, editor::TColor color, uint8_t style,
                           const editor::TRect& clip) {
    p_.save();
    p_.setClipRect(QRect(clip.left, clip.top, clip.Width(), clip.Height()), Qt::IntersectClip);
    TextRun(x, y, bytes, cellWidth, color, style);
    p_.restore();
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
