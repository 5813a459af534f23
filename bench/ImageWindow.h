// A window whose pixels live in an image: scrolls move them, and only what
// was invalidated is painted, as on screen. Shared by the painting benchmarks.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <QRegion>
#include <cstdlib>

#include "Fonts.h"
#include "QtCanvas.h"
#include "editor/Editor.h"
#include "editor/EditorPainter.h"

namespace bench {

class ImageWindow : public editor::TEditorWindow {
public:
    explicit ImageWindow(editor::TEditor& ed)
        : ed_(ed), image_(ed.ClientWidth(), ed.ClientHeight(), QImage::Format_RGB32),
          font_(gui::EditorFont("ＭＳ ゴシック", 10)) {
        ed.SetWindow(this);
        dirty_ = QRegion(image_.rect());
        UpdateNow();
    }
    ~ImageWindow() override { ed_.SetWindow(nullptr); }
    void InvalidateRect(const editor::TRect& r) override {
        dirty_ += QRect(r.left, r.top, r.Width(), r.Height()) & image_.rect();
    }
    void ScrollRect(const editor::TRect& area, int dx, int dy) override {
        QRect a = QRect(area.left, area.top, area.Width(), area.Height()) & image_.rect();
        if (a.isEmpty()) return;
        if (std::abs(dy) >= a.height() || std::abs(dx) >= a.width()) {
            dirty_ += a;
            return;
        }
        QImage copy = image_.copy(a);
        {
            QPainter p(&image_);
            p.setClipRect(a);
            p.drawImage(a.topLeft() + QPoint(dx, dy), copy);
        }
        dirty_ += QRegion(a) - QRegion(a.translated(dx, dy));
    }
    void UpdateNow() override {
        if (dirty_.isEmpty()) return;
        QPainter p(&image_);
        gui::QtCanvas canvas(p, font_, raw_, 13);
        editor::TEditorPainter painter(ed_);
        for (const QRect& b : dirty_) {
            p.setClipRect(b);
            pixels += static_cast<long>(b.width()) * b.height();
            painter.Paint(canvas, {b.left(), b.top(), b.right() + 1, b.bottom() + 1}, true);
        }
        dirty_ = QRegion();
    }
    void ScrollBarsChanged() override {}
    void PaintAll() {
        dirty_ = QRegion(image_.rect());
        UpdateNow();
    }
    long pixels = 0;  // painted so far

private:
    editor::TEditor& ed_;
    QImage image_;
    QFont font_;
    QRawFont raw_ = QRawFont::fromFont(font_);
    QRegion dirty_;
};

}  // namespace bench
