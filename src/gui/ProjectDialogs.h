// Qt views of the project settings dialog and the install information
// wizard: they show the forms' fields, hand edits back before every button
// and leave every rule to the forms.
#pragma once

#include <QDialog>

#include "project/PrjForm.h"
#include "project/RiWiz.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QTabWidget;

namespace gui {

class FileDropArea;

class PrjDialog : public QDialog {
    Q_OBJECT
public:
    PrjDialog(project::TPrjForm& form, QWidget* parent);
    ~PrjDialog() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Pull();
    void Push();
    void ShowLists();
    void Run(void (project::TPrjForm::*handler)());
    void DeleteSelected(bool sources);
    void Ok();

    project::TPrjForm& form_;
    QLineEdit* name_;
    QLineEdit* rx_;
    QLineEdit* folder_;
    QListWidget* sources_;
    QListWidget* objects_;
};

class RiWizDialog : public QDialog {
    Q_OBJECT
public:
    RiWizDialog(project::TRiWizForm& form, QWidget* parent);

private:
    void Pull();
    void Push();
    void Run(void (project::TRiWizForm::*handler)(), QWidget* focusAfter);
    void Ok();

    project::TRiWizForm& form_;
    QTabWidget* pages_;
    QLineEdit* edits_[6];
    QComboBox* default_;
    QButtonGroup* login_;
    QButtonGroup* access_;
    QPlainTextEdit* copy_;
    QPlainTextEdit* steps_;
    QCheckBox* add_;
};

}  // namespace gui
