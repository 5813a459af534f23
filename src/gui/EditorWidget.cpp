#include "EditorWidget.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

#include "Fonts.h"
#include "QtCanvas.h"
#include "editor/Editor.h"
#include "editor/EditorPainter.h"

namespace gui {

EditorWidget::EditorWidget(editor::TEditor* editor, QWidget* parent) : QAbstractScrollArea(parent), editor_(editor) {
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setCursor(Qt::IBeamCursor);
    Refresh();
}

void EditorWidget::Detach() {
    editor_ = nullptr;
    onWheel = nullptr;
    onFocus = nullptr;
    onContextMenu = nullptr;
}

void EditorWidget::ApplyFont() {
    const editor::TEditorFont& f = editor_->Properties().font;
    std::string key = f.name + "/" + std::to_string(f.size);
    if (key == fontKey_) return;
    fontKey_ = key;
    font_ = EditorFont(f.name, f.size);
    QFontMetrics fm(font_);
    metrics_.cellWidth = std::max(1, fm.horizontalAdvance(QLatin1Char('M')));
    metrics_.rowHeight = std::max(1, fm.height());
    ascent_ = fm.ascent();
    const editor::TEditorMargin& m = editor_->Properties().margin;
    metrics_.leftMargin = m.left;
    metrics_.topMargin = m.top;
}

void EditorWidget::Refresh() {
    if (!editor_) return;
    ApplyFont();
    const editor::TLastChange& change = editor_->Store().LastChange();
    editor::TEditorPainter painter(*editor_, metrics_);
    if (change.valid && measuredRows_ >= 0) {
        // Only the rebuilt rows can have widened the text.
        for (int r = change.startRow; r < change.startRow + change.insertedRows && r < editor_->RowCount(); ++r)
            maxColumns_ = std::max(maxColumns_, editor_->TextWidth(editor_->RowText(r)));
        measuredRows_ = editor_->RowCount();
    } else if (measuredRows_ != editor_->RowCount() || !change.valid) {
        maxColumns_ = painter.MaxColumns();
        measuredRows_ = editor_->RowCount();
    }
    UpdateScrollBars();
    viewport()->update();
}

void EditorWidget::UpdateScrollBars() {
    if (!editor_) return;
    editor::TEditorPainter painter(*editor_, metrics_);
    int rows = painter.VisibleRows(viewport()->height());
    editor_->SetVisibleRows(rows);
    syncing_ = true;
    verticalScrollBar()->setRange(0, std::max(0, editor_->RowCount() - 1));
    verticalScrollBar()->setPageStep(rows);
    verticalScrollBar()->setValue(editor_->TopRow());
    int cols = std::max(1, (viewport()->width() - metrics_.leftMargin) / metrics_.cellWidth);
    horizontalScrollBar()->setRange(0, std::max(0, maxColumns_ + 1 - cols));
    horizontalScrollBar()->setPageStep(cols);
    syncing_ = false;
}

void EditorWidget::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    if (!editor_) {
        p.fillRect(viewport()->rect(), palette().base());
        return;
    }
    QtCanvas canvas(p, font_, ascent_);
    editor::TEditorPainter painter(*editor_, metrics_);
    editor::TRect area{0, 0, viewport()->width(), viewport()->height()};
    painter.Paint(canvas, area, horizontalScrollBar()->value());
}

void EditorWidget::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void EditorWidget::wheelEvent(QWheelEvent* event) {
    int delta = event->angleDelta().y();
    if (delta != 0 && onWheel) {
        onWheel(delta);
        UpdateScrollBars();
        viewport()->update();
    }
    event->accept();
}

void EditorWidget::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    if (onFocus) onFocus(true);
}

void EditorWidget::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    if (onFocus) onFocus(false);
}

void EditorWidget::contextMenuEvent(QContextMenuEvent* event) {
    if (onContextMenu) onContextMenu(event->globalPos());
}

void EditorWidget::scrollContentsBy(int, int) {
    if (syncing_ || !editor_) return;
    editor_->SetTopRow(verticalScrollBar()->value());
    viewport()->update();
}

}  // namespace gui
