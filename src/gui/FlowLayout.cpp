#include "FlowLayout.h"

#include <QWidget>
#include <algorithm>

namespace gui {

FlowLayout::~FlowLayout() {
    while (QLayoutItem* item = takeAt(0)) delete item;
}

QSize FlowLayout::sizeHint() const {
    // One row when there is room for it.
    int width = 0, height = 0;
    for (QLayoutItem* item : items_) {
        if (item->isEmpty()) continue;
        QSize s = item->sizeHint();
        width += (width ? spacing_ : 0) + s.width();
        height = std::max(height, s.height());
    }
    QMargins m = contentsMargins();
    return QSize(width + m.left() + m.right(), height + m.top() + m.bottom());
}

QSize FlowLayout::minimumSize() const {
    QSize size;
    for (QLayoutItem* item : items_) size = size.expandedTo(item->minimumSize());
    QMargins m = contentsMargins();
    return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

int FlowLayout::Arrange(const QRect& rect, bool apply) const {
    QMargins m = contentsMargins();
    QRect area = rect.adjusted(m.left(), m.top(), -m.right(), -m.bottom());
    int x = area.x(), y = area.y(), rowHeight = 0;
    for (QLayoutItem* item : items_) {
        if (item->isEmpty()) continue;
        QSize s = item->sizeHint();
        if (x > area.x() && x + s.width() > area.right() + 1) {
            x = area.x();
            y += rowHeight + spacing_ / 2;
            rowHeight = 0;
        }
        if (apply) item->setGeometry(QRect(QPoint(x, y), s));
        x += s.width() + spacing_;
        rowHeight = std::max(rowHeight, s.height());
    }
    return y + rowHeight - rect.y() + m.bottom();
}

}  // namespace gui
