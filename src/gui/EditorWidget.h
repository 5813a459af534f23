// The editor control's window: hosts a TEditor, paints its rows through the
// editor's painter onto a QtCanvas, and scrolls.
#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <functional>

#include "editor/Canvas.h"

namespace editor {
class TEditor;
}

namespace gui {

class EditorWidget : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit EditorWidget(editor::TEditor* editor, QWidget* parent = nullptr);

    editor::TEditor* Editor() const { return editor_; }
    // The editor goes away before this widget does: stop using it.
    void Detach();
    // Re-reads font, text and scroll position after the editor changed.
    void Refresh();
    const editor::TPaintMetrics& Metrics() const { return metrics_; }
    const QFont& TextFont() const { return font_; }

    std::function<void(int delta)> onWheel;
    std::function<void(bool focused)> onFocus;
    std::function<void(const QPoint& globalPos)> onContextMenu;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void ApplyFont();
    void UpdateScrollBars();

    editor::TEditor* editor_;
    QFont font_;
    std::string fontKey_;
    editor::TPaintMetrics metrics_;
    int ascent_ = 12;
    int maxColumns_ = 0;
    int measuredRows_ = -1;
    bool syncing_ = false;
};

}  // namespace gui
