// The views of the Search menu's dialogs: the modeless find and replace
// dialogs (shown and hidden by their forms) and the modal jump-to-line dialog.
#pragma once

#include <QDialog>
#include <functional>

#include "app/FindInFiles.h"
#include "app/NumJump.h"
#include "app/Search.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace gui {

class FindDialog : public QDialog, public app::TSearchDialogView {
    Q_OBJECT
public:
    FindDialog(app::TFindDialog& form, QWidget* parent);
    ~FindDialog() override;
    void ShowDialog() override;
    void CloseDialog() override;
    // Called after the dialog went away (the editor takes the focus back).
    std::function<void()> onClosed;
    QLineEdit* FindEdit() const { return find_; }

protected:
    void reject() override;

private:
    void Update();
    app::TFindDialog& form_;
    QLineEdit* find_;
    QRadioButton* up_;
    QRadioButton* down_;
    QPushButton* next_;
};

class ReplaceDialog : public QDialog, public app::TSearchDialogView {
    Q_OBJECT
public:
    ReplaceDialog(app::TReplaceDialog& form, QWidget* parent);
    ~ReplaceDialog() override;
    void ShowDialog() override;
    void CloseDialog() override;
    std::function<void()> onClosed;
    QLineEdit* FindEdit() const { return find_; }
    QLineEdit* ReplaceEdit() const { return replace_; }

protected:
    void reject() override;

private:
    void Update();
    app::TReplaceDialog& form_;
    QLineEdit* find_;
    QLineEdit* replace_;
    QPushButton* next_;
    QPushButton* one_;
    QPushButton* all_;
};

// TNumJmp's view; exec() shows it modally.
class NumJumpDialog : public QDialog {
    Q_OBJECT
public:
    NumJumpDialog(app::TNumJmp& form, QWidget* parent);
    QLineEdit* NumberEdit() const { return edit_; }
    QPushButton* OkButton() const { return ok_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void accept() override;

private:
    app::TNumJmp& form_;
    QLineEdit* edit_;
    QPushButton* ok_;
};

// The find-in-files dialog, modal; exec() returns when the search it
// started has ended, or at once on Esc before one started.
class FindInFilesDialog : public QDialog {
    Q_OBJECT
public:
    FindInFilesDialog(app::TFindInFilesForm& form, QWidget* parent);
    ~FindInFilesDialog() override;
    QLineEdit* TextEdit() const { return text_; }

protected:
    void accept() override;  // Enter: start
    void reject() override;  // Esc: stop a running search, else close

private:
    void Update();
    app::TFindInFilesForm& form_;
    QLineEdit* text_;
    QLineEdit* folder_;
    QLineEdit* patterns_;
    QCheckBox* subfolders_;
    QRadioButton* project_;
    QRadioButton* documents_;
    QRadioButton* inFolder_;
    QPushButton* browse_;
    QPushButton* start_;
    QLabel* progress_;
};

}  // namespace gui
