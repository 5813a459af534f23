// Qt views of the define and execkey references: they show the forms' rows
// and forward choices; the forms hold every rule.
#pragma once

#include <QDialog>

#include "reference/DefineView.h"
#include "reference/ExecKey.h"

class QCheckBox;
class QComboBox;
class QTreeWidget;

namespace gui {

class DefineViewDialog : public QDialog {
    Q_OBJECT
public:
    DefineViewDialog(reference::TDefineViewForm& form, QWidget* parent);
    void reject() override;

private:
    void FillRows(int select);
    int SelectedRow() const;

    reference::TDefineViewForm& form_;
    QComboBox* kinds_;
    QTreeWidget* list_;
};

class ExecKeyDialog : public QDialog {
    Q_OBJECT
public:
    ExecKeyDialog(reference::TExecKeyForm& form, QWidget* parent);
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillRows(int select);
    int SelectedRow() const;

    reference::TExecKeyForm& form_;
    QTreeWidget* list_;
    QCheckBox* check_;
};

}  // namespace gui
