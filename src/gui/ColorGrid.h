// A grid of the 16 basic colours with one foreground and one background
// choice. Left click or the arrow keys move the foreground, right click or
// Shift with the arrow keys the background. A strip below the cells shows
// the colours in effect, also one that is none of the 16.
#pragma once

#include <QWidget>

#include "app/Cust.h"

namespace gui {

class ColorGrid : public QWidget {
    Q_OBJECT
public:
    explicit ColorGrid(QWidget* parent = nullptr);

    void SetChoice(const app::TColorChoice& choice);
    const app::TColorChoice& Choice() const { return choice_; }
    QSize sizeHint() const override;

signals:
    void changed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QRect CellRect(int index) const;
    QRect StripRect() const;
    int CellAt(const QPoint& p) const;

    app::TColorChoice choice_;
};

}  // namespace gui
