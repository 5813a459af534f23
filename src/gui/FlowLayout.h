// A layout that puts its widgets left to right and starts a new row where
// the next one would not fit, so that nothing is clipped in a narrow window.
#pragma once

#include <QLayout>
#include <QList>

namespace gui {

class FlowLayout : public QLayout {
public:
    explicit FlowLayout(int spacing = 6) : spacing_(spacing) { setContentsMargins(0, 0, 0, 0); }
    ~FlowLayout() override;

    void addItem(QLayoutItem* item) override { items_.append(item); }
    int count() const override { return static_cast<int>(items_.size()); }
    QLayoutItem* itemAt(int index) const override { return items_.value(index); }
    QLayoutItem* takeAt(int index) override {
        return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
    }
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return Arrange(QRect(0, 0, width, 0), false); }
    void setGeometry(const QRect& rect) override {
        QLayout::setGeometry(rect);
        Arrange(rect, true);
    }
    QSize sizeHint() const override;
    QSize minimumSize() const override;

private:
    // The height the items take in `rect`'s width; places them when `apply`.
    int Arrange(const QRect& rect, bool apply) const;

    QList<QLayoutItem*> items_;
    int spacing_;
};

}  // namespace gui
