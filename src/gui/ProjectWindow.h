// The project window's view: a two-level tree over TProjectViewForm, its
// popup menu, and the entry dialog of the Add commands. Every rule lives in
// the form; this only shows its state and forwards what the user does.
#pragma once

#include <QDialog>
#include <QTreeWidget>
#include <QWidget>
#include <optional>

#include "project/ProjView.h"

class QLineEdit;

namespace app {
struct TSettings;
}

namespace gui {

class FileDropArea;

// TRefDocForm shown modally, centred on its parent window.
class RefDocDialog : public QDialog {
    Q_OBJECT
public:
    RefDocDialog(project::TRefDocForm& form, QWidget* parent);

private:
    project::TRefDocForm& form_;
    QLineEdit* edit_;
};

class ProjectWindow : public QWidget {
    Q_OBJECT
public:
    ProjectWindow(project::TProjectViewForm& form, const app::TSettings& settings, QWidget* parent = nullptr);
    QTreeWidget* Tree() const { return tree_; }
    // The tree's font and colours from the settings.
    void ApplyLook(const app::TSettings& settings);
    void Detach();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Rebuild();
    std::optional<project::ProjectNode> NodeOf(QTreeWidgetItem* item) const;
    QTreeWidgetItem* ItemOf(const project::ProjectNode& node) const;
    void ShowPopup(const QPoint& globalPos);

    project::TProjectViewForm* form_;
    QTreeWidget* tree_;
    FileDropArea* drop_;
    bool rebuilding_ = false;
};

}  // namespace gui
