#include "ColorGrid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

#include "Fonts.h"

namespace gui {

namespace {

constexpr int kColumns = 4;
constexpr int kCell = 32;
constexpr int kStrip = 24;

// Black or white, whichever reads on `c`.
QColor Contrast(const QColor& c) { return c.lightness() < 128 ? Qt::white : Qt::black; }

}  // namespace

ColorGrid::ColorGrid(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setToolTip(QString::fromUtf8("左ｸﾘｯｸ/矢印ｷｰ: 文字色　右ｸﾘｯｸ/Shift+矢印ｷｰ: 背景色"));
    setMinimumSize(sizeHint());
}

QSize ColorGrid::sizeHint() const { return {kColumns * kCell + 1, 4 * kCell + 4 + kStrip + 1}; }

void ColorGrid::SetChoice(const app::TColorChoice& choice) {
    choice_ = choice;
    update();
}

QRect ColorGrid::CellRect(int index) const {
    return {(index % kColumns) * kCell, (index / kColumns) * kCell, kCell, kCell};
}

QRect ColorGrid::StripRect() const { return {0, 4 * kCell + 4, kColumns * kCell, kStrip}; }

int ColorGrid::CellAt(const QPoint& p) const {
    for (int i = 0; i < 16; ++i)
        if (CellRect(i).contains(p)) return i;
    return -1;
}

void ColorGrid::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int fg = choice_.ForegroundIndex(), bg = choice_.BackgroundIndex();
    for (int i = 0; i < 16; ++i) {
        QRect r = CellRect(i);
        QColor c = ToQColor(app::kGridColors[static_cast<size_t>(i)]);
        p.fillRect(r, c);
        p.setPen(Qt::gray);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        QString mark = i == fg && i == bg ? "FB" : i == fg ? "FG" : i == bg ? "BG" : QString();
        if (!mark.isEmpty()) {
            p.setPen(Contrast(c));
            p.drawText(r, Qt::AlignCenter, mark);
        }
    }
    // The colours in effect: text on its background.
    QRect strip = StripRect();
    QColor back = ToQColor(choice_.Background());
    p.fillRect(strip, back);
    p.setPen(Qt::gray);
    p.drawRect(strip.adjusted(0, 0, -1, -1));
    p.setPen(ToQColor(choice_.Foreground()));
    // A colour without a cell is still what OK keeps: say so.
    QString text = QString::fromUtf8(fg < 0 || bg < 0 ? "16色以外の色" : "文字色/背景色");
    p.drawText(strip, Qt::AlignCenter, text);
    if (hasFocus()) {
        QStyleOptionFocusRect o;
        o.initFrom(this);
        o.rect = CellRect(fg >= 0 ? fg : 0).adjusted(2, 2, -2, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &o, &p, this);
    }
}

void ColorGrid::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    int cell = CellAt(event->position().toPoint());
    if (cell < 0) return;
    if (event->button() == Qt::LeftButton) choice_.SetForegroundIndex(cell);
    else if (event->button() == Qt::RightButton) choice_.SetBackgroundIndex(cell);
    else return;
    update();
    emit changed();
}

void ColorGrid::keyPressEvent(QKeyEvent* event) {
    int dx = 0, dy = 0;
    switch (event->key()) {
        case Qt::Key_Left: dx = -1; break;
        case Qt::Key_Right: dx = 1; break;
        case Qt::Key_Up: dy = -1; break;
        case Qt::Key_Down: dy = 1; break;
        default: QWidget::keyPressEvent(event); return;
    }
    const bool background = event->modifiers() & Qt::ShiftModifier;
    int index = background ? choice_.BackgroundIndex() : choice_.ForegroundIndex();
    if (index < 0) {
        index = 0;  // a colour outside the grid: start from the first cell
    } else {
        int col = (index % kColumns + dx + kColumns) % kColumns;
        int row = (index / kColumns + dy + 4) % 4;
        index = row * kColumns + col;
    }
    if (background) choice_.SetBackgroundIndex(index);
    else choice_.SetForegroundIndex(index);
    update();
    emit changed();
}

}  // namespace gui
