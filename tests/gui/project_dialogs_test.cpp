// The project settings dialog and the install information wizard, offscreen:
// where the keyboard starts, what the widgets hand to the forms, and OK that
// refuses keeping the dialog open with the keyboard on the field to fix; the
// define reference's list columns.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QHeaderView>
#include <QTreeWidget>

#include "FakeUi.h"
#include "FileDropArea.h"
#include "ProjectDialogs.h"
#include "ReferenceDialogs.h"
#include "TestFiles.h"

namespace {

// Shows the dialog; its line edits, the keyboard in the first.
QList<QLineEdit*> Show(QDialog& dialog) {
    dialog.show();
    QApplication::processEvents();
    QList<QLineEdit*> edits = dialog.findChildren<QLineEdit*>();
    EXPECT_EQ(QApplication::focusWidget(), edits.value(0));
    return edits;
}

void ClickOk(QDialog& dialog) {
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    QApplication::processEvents();
}

}  // namespace

TEST(ProjectDialogsView, WizardStartsAtVersionAndWritesWhatTheWidgetsHold) {
    TempDir dir;
    FakeUi ui;
    project::ProjectModel model;
    project::TRiWizForm form(model, ui, dir.path() + "/");
    gui::RiWizDialog dialog(form, nullptr);
    QList<QLineEdit*> edits = Show(dialog);
    ASSERT_EQ(edits.size(), 6);
    EXPECT_FALSE(dialog.findChild<QCheckBox*>()->isEnabled());
    QList<QRadioButton*> radios = dialog.findChildren<QRadioButton*>();
    ASSERT_EQ(radios.size(), 4);
    EXPECT_TRUE(radios[1]->isChecked() && radios[2]->isChecked());

    ClickOk(dialog);  // no output path: told, still open, keyboard on the path
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(QApplication::focusWidget(), edits[5]);
    // A single-line field holds one line, however the text comes in.
    QApplication::clipboard()->setText("2.0\r\n[STEP9]\n");
    edits[0]->paste();
    EXPECT_EQ(edits[0]->text(), "2.0 [STEP9] ");
    edits[1]->setText("a\rb");
    EXPECT_EQ(edits[1]->text(), "a b");
    edits[1]->clear();
    radios[0]->setChecked(true);
    radios[3]->setChecked(true);
    dialog.findChild<QComboBox*>()->setCurrentIndex(2);
    edits[5]->setText(QString::fromStdString(dir.File("x.RI")));
    ClickOk(dialog);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(TempDir::Read(dir.File("x.RI")),
              "[INSTALL]\r\nVERSION=2.0 [STEP9] \r\nTITLE=\r\nFILENAME=\r\nARG=\r\nLOGFILENAME=\r\nDEFAULT=OPEN\r\nNOLOGIN=0\r\n"
              "ACCESS=1\r\n\r\n");
}

TEST(ProjectDialogsView, SettingsDialogRefusesMissingInputAtTheFieldAndDeletesSelectedRows) {
    FakeUi ui;
    project::ProjectModel model;
    project::TPrjForm form(model, ui, "/prog/");
    form.requireInput = true;
    form.prjName = "p";
    form.SetLists({"b.R", "a.R", "c.R"}, {});
    gui::PrjDialog dialog(form, nullptr);
    QList<QLineEdit*> edits = Show(dialog);
    ASSERT_EQ(edits.size(), 3);
    ClickOk(dialog);  // no executable
    EXPECT_EQ(ui.messages, std::vector<std::string>{"入力エラー"});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(QApplication::focusWidget(), edits[1]);

    QListWidget* sources = dialog.findChildren<QListWidget*>().at(0);
    ASSERT_EQ(sources->count(), 3);
    EXPECT_EQ(sources->item(0)->text(), "a.R");
    sources->item(0)->setSelected(true);
    sources->item(2)->setSelected(true);
    sources->setFocus();
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(sources, &del);
    EXPECT_EQ(form.Sources(), std::vector<std::string>{"b.R"});
    edits[1]->setText("/x/p.RX");
    edits[2]->setText("/src");
    // A drop goes by the folder field as typed, before any button took it.
    sources->viewport()->findChild<gui::FileDropArea*>()->DeliverDrop(0, 0, {"/src/d.R"});
    EXPECT_EQ(form.Sources(), (std::vector<std::string>{"b.R", "d.R"}));
    ClickOk(dialog);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(form.rxName + " " + form.folderName, "/x/p.RX /src/");

    // Cancel keeps the typed text for the dialog's next use.
    gui::PrjDialog again(form, nullptr);
    Show(again).at(2)->setText("/other/");
    again.reject();
    EXPECT_EQ(form.folderName, "/other/");
}

// The value column keeps its designed width as the starting width but is
// never narrower than the kind's widest value; a width the user drags to
// holds for the next use of the window.
TEST(ReferenceDialogsView, DefineValueColumnShowsWholeValuesAndKeepsADraggedWidth) {
    TempDir dir;
    dir.Write("Define.Txt", "[k]\r\nCNT=2\r\nN1=A\r\nV1=0x7FFFFFFF\r\nN2=B\r\nV2=1\r\n");
    FakeUi ui;
    reference::TDefineViewForm form(ui);
    EXPECT_EQ(form.columnWidths[1], 36);
    for (int use = 0; use < 2; ++use) {
        ASSERT_TRUE(form.FormShow(dir.path(), 0));
        gui::DefineViewDialog dialog(form, nullptr);
        dialog.show();
        QApplication::processEvents();
        auto* list = dialog.findChild<QTreeWidget*>();
        if (use == 1) EXPECT_EQ(list->columnWidth(1), 150);
        dialog.findChild<QComboBox*>()->setCurrentIndex(0);
        QApplication::processEvents();
        ASSERT_EQ(list->topLevelItemCount(), 2);
        const int text = list->fontMetrics().horizontalAdvance(QStringLiteral("0x7FFFFFFF"));
        EXPECT_GT(list->columnWidth(1), text);
        if (use == 0) list->header()->resizeSection(1, 150);  // as a drag leaves it
        else EXPECT_EQ(list->columnWidth(1), 150);
        dialog.reject();
    }
    EXPECT_EQ(form.columnWidths[1], 150);
}
