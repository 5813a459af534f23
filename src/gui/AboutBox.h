// TAboutBox: the version information dialog.
#pragma once

#include <QDialog>

namespace gui {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
};

}  // namespace gui
