// Qt views of the environment options dialog and the two customization
// dialogs. They show their form's fields, write every edit back at once and
// call the form's handlers; OK and Cancel only close (the main form takes
// the values afterwards).
#pragma once

#include <QDialog>
#include <array>

#include "app/Cust.h"
#include "app/VkbOpt.h"

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTreeView;

namespace gui {

class ColorGrid;

// Created once and reused: the folder tree keeps where the user was.
class VKBOptDialog : public QDialog {
    Q_OBJECT
public:
    VKBOptDialog(app::TVKBOptForm& form, QWidget* parent);
    // Shows the form's fields as the command filled them.
    void Load();

private:
    void ShowFields();
    void EnablePlomar();

    app::TVKBOptForm& form_;
    QTabWidget* pages_;
    QLineEdit* edit2_;
    QTreeView* tree_;
    QFileSystemModel* folders_;
    QLineEdit* edit1_;
    QLabel* static2_;
    QLabel* static3_;
    QRadioButton* korvane_;
    QRadioButton* tessal_;
    QLabel* label4_;
    QLineEdit* edit3_;
    QLineEdit* editWine_;
    QPushButton* button6_;
    QCheckBox* restore_;
    bool treeShown_ = false;
};

class CustDialog : public QDialog {
    Q_OBJECT
public:
    CustDialog(app::TCustForm& form, QWidget* parent);

private:
    void UpdateSample();

    app::TCustForm& form_;
    QComboBox* fonts_;
    QComboBox* sizes_;
    QLabel* sample_;
    std::array<ColorGrid*, app::TCustForm::kColorPages> grids_{};
    QSpinBox* wrapWidth_;
};

class PrjCustDialog : public QDialog {
    Q_OBJECT
public:
    PrjCustDialog(app::TPrjCustForm& form, QWidget* parent);

private:
    app::TPrjCustForm& form_;
};

// The installed font faces, as the customization forms list them.
std::vector<app::TFontFace> InstalledFontFaces();

}  // namespace gui
