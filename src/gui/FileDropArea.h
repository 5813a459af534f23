// The Qt side of a window that takes dropped files: watches one widget's
// drag and drop events and hands drops of local files to the component
// that hooked it. Owned by the widget, so it goes with it.
#pragma once

#include <QObject>
#include <QPointer>

#include "forms/FileDrop.h"

class QWidget;

namespace gui {

class FileDropArea : public QObject, public forms::TDropWindow {
    Q_OBJECT
public:
    explicit FileDropArea(QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void AcceptFilesChanged(bool accept) override;

private:
    QPointer<QWidget> widget_;
};

}  // namespace gui
