#include "FileDropArea.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include "QtUi.h"

namespace gui {
namespace {

// Local files only, in the order the source lists them.
std::vector<std::string> LocalFiles(const QMimeData* data) {
    std::vector<std::string> paths;
    if (!data || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) paths.push_back(S(url.toLocalFile()));
    return paths;
}

}  // namespace

FileDropArea::FileDropArea(QWidget* widget) : QObject(widget), widget_(widget) {
    widget->installEventFilter(this);
}

void FileDropArea::AcceptFilesChanged(bool accept) {
    if (widget_) widget_->setAcceptDrops(accept);
}

bool FileDropArea::eventFilter(QObject* watched, QEvent* event) {
    if (watched != widget_) return false;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* e = static_cast<QDragMoveEvent*>(event);
        if (AcceptsFiles() && Hook() && !LocalFiles(e->mimeData()).empty())
            e->acceptProposedAction();
        else
            e->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* e = static_cast<QDropEvent*>(event);
        QPoint at = e->position().toPoint();
        if (DeliverDrop(at.x(), at.y(), LocalFiles(e->mimeData())))
            e->acceptProposedAction();
        else
            e->ignore();
        return true;
    }
    default:
        return false;
    }
}

}  // namespace gui
