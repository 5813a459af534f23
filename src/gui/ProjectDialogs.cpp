#include "ProjectDialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "FileDropArea.h"
#include "QtUi.h"
#include "SingleLine.h"

namespace gui {

namespace {

QString T(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QPushButton* Button(QWidget* parent, std::string_view caption, std::string_view hint = {}) {
    auto* b = new QPushButton(T(caption), parent);
    b->setAutoDefault(false);
    if (!hint.empty()) b->setToolTip(T(hint));
    return b;
}

QLabel* Label(QWidget* parent, std::string_view caption, QWidget* buddy) {
    auto* l = new QLabel(T(caption), parent);
    l->setBuddy(buddy);
    return l;
}

void Focus(QWidget* w) {
    w->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->selectAll();
}

std::vector<int> SelectedRows(const QListWidget* list) {
    std::vector<int> rows;
    for (QListWidgetItem* item : list->selectedItems()) rows.push_back(list->row(item));
    return rows;
}

}  // namespace

// ---- Project settings ----------------------------------------------------------

using project::TPrjForm;

PrjDialog::PrjDialog(TPrjForm& form, QWidget* parent) : QDialog(parent), form_(form) {
    setWindowTitle(T(TPrjForm::kCaption));
    auto* grid = new QGridLayout(this);
    int row = 0;
    auto line = [&](const TPrjForm::Control& c, QLineEdit*& edit, const TPrjForm::Control* button,
                    void (TPrjForm::*handler)()) {
        edit = new QLineEdit(this);
        edit->setToolTip(T(c.hint));
        edit->setMinimumWidth(360);
        grid->addWidget(Label(this, c.label, edit), row, 0);
        grid->addWidget(edit, row, 1);
        if (button) {
            QPushButton* b = Button(this, button->label, button->hint);
            grid->addWidget(b, row, 2);
            connect(b, &QPushButton::clicked, this, [this, handler] { Run(handler); });
        }
        ++row;
    };
    line(TPrjForm::kPrjName, name_, nullptr, nullptr);
    line(TPrjForm::kRXName, rx_, &TPrjForm::kButton6, &TPrjForm::Button6Click);
    line(TPrjForm::kFolderName, folder_, &TPrjForm::kButton5, &TPrjForm::Button5Click);

    auto list = [&](const TPrjForm::Control& c, QListWidget*& widget, const TPrjForm::Control& add,
                    void (TPrjForm::*addHandler)(), const TPrjForm::Control& del, bool sources) {
        widget = new QListWidget(this);
        widget->setSelectionMode(QAbstractItemView::ExtendedSelection);
        widget->setToolTip(T(c.hint));
        widget->setMinimumHeight(110);
        widget->installEventFilter(this);
        grid->addWidget(Label(this, c.label, widget), row, 0, Qt::AlignTop);
        grid->addWidget(widget, row, 1);
        auto* buttons = new QVBoxLayout;
        QPushButton* a = Button(this, add.label, add.hint);
        QPushButton* d = Button(this, del.label, del.hint);
        buttons->addWidget(a);
        buttons->addWidget(d);
        buttons->addStretch(1);
        grid->addLayout(buttons, row, 2);
        connect(a, &QPushButton::clicked, this, [this, addHandler] { Run(addHandler); });
        connect(d, &QPushButton::clicked, this, [this, sources] { DeleteSelected(sources); });
        ++row;
    };
    list(TPrjForm::kListR, sources_, TPrjForm::kButton1, &TPrjForm::Button1Click, TPrjForm::kButton3, true);
    list(TPrjForm::kListRO, objects_, TPrjForm::kButton2, &TPrjForm::Button2Click, TPrjForm::kButton4, false);

    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    box->button(QDialogButtonBox::Ok)->setToolTip(T(TPrjForm::kOkHint));
    grid->addWidget(box, row, 0, 1, 3);
    connect(box, &QDialogButtonBox::accepted, this, &PrjDialog::Ok);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);

    // The fields reach the form as they are typed: a drop goes by the folder
    // field as it stands, and a cancelled dialog keeps what was typed for
    // its next use, as the form's other state does.
    auto follow = [this](QLineEdit* edit, std::string TPrjForm::*field) {
        connect(edit, &QLineEdit::textChanged, this, [this, field](const QString& text) { form_.*field = S(text); });
    };
    follow(name_, &TPrjForm::prjName);
    follow(rx_, &TPrjForm::rxName);
    follow(folder_, &TPrjForm::folderName);
    form_.HookFileDrops(new FileDropArea(sources_->viewport()), new FileDropArea(objects_->viewport()));
    form_.OnListsChanged = [this] { ShowLists(); };
    Push();
    Focus(name_);
    SingleLineFields(this);
}

PrjDialog::~PrjDialog() {
    form_.OnListsChanged = nullptr;
    form_.HookFileDrops(nullptr, nullptr);
}

void PrjDialog::Pull() {
    form_.prjName = S(name_->text());
    form_.rxName = S(rx_->text());
    form_.folderName = S(folder_->text());
}

void PrjDialog::Push() {
    name_->setText(Q(form_.prjName));
    rx_->setText(Q(form_.rxName));
    folder_->setText(Q(form_.folderName));
    ShowLists();
}

void PrjDialog::ShowLists() {
    auto fill = [](QListWidget* w, const std::vector<std::string>& entries) {
        w->clear();
        for (const std::string& e : entries) w->addItem(Q(e));
    };
    fill(sources_, form_.Sources());
    fill(objects_, form_.Objects());
}

void PrjDialog::Run(void (TPrjForm::*handler)()) {
    QWidget* focus = focusWidget();
    Pull();
    (form_.*handler)();
    Push();
    if (focus) focus->setFocus(Qt::OtherFocusReason);
}

void PrjDialog::DeleteSelected(bool sources) {
    QListWidget* list = sources ? sources_ : objects_;
    const int current = list->currentRow();
    Pull();
    if (sources) form_.Button3Click(SelectedRows(list));
    else form_.Button4Click(SelectedRows(list));
    Push();
    if (list->count()) list->setCurrentRow(std::min(current, list->count() - 1));
    list->setFocus(Qt::OtherFocusReason);
}

void PrjDialog::Ok() {
    Pull();
    const TPrjForm::Field missing = form_.Missing();
    if (!form_.OkClick()) {
        switch (missing) {
            case TPrjForm::Field::Name: Focus(name_); break;
            case TPrjForm::Field::Executable: Focus(rx_); break;
            case TPrjForm::Field::Sources: Focus(sources_); break;
            case TPrjForm::Field::None: break;
        }
        return;
    }
    Push();
    accept();
}

bool PrjDialog::eventFilter(QObject* watched, QEvent* event) {
    // In a list, Insert adds and Delete removes, as the buttons beside it do.
    if ((watched == sources_ || watched == objects_) && event->type() == QEvent::KeyPress) {
        const bool sources = watched == sources_;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier && key->key() == Qt::Key_Delete) {
            DeleteSelected(sources);
            return true;
        }
        if (key->modifiers() == Qt::NoModifier && key->key() == Qt::Key_Insert) {
            Run(sources ? &TPrjForm::Button1Click : &TPrjForm::Button2Click);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ---- Install information wizard -----------------------------------------------

using project::TRiWizForm;

RiWizDialog::RiWizDialog(TRiWizForm& form, QWidget* parent) : QDialog(parent), form_(form) {
    setWindowTitle(T(TRiWizForm::kCaption));
    auto* outer = new QVBoxLayout(this);
    pages_ = new QTabWidget(this);
    outer->addWidget(pages_);

    // INSTALL
    auto* install = new QWidget(pages_);
    auto* grid = new QGridLayout(install);
    for (int i = 0; i < 5; ++i) {
        edits_[i] = new QLineEdit(install);
        grid->addWidget(Label(install, TRiWizForm::kEditLabels[i], edits_[i]), i, 0);
        grid->addWidget(edits_[i], i, 1);
    }
    QPushButton* browse = Button(install, TRiWizForm::kBrowse);
    grid->addWidget(browse, 2, 2);
    // Tab reaches the button beside File&Name right after that field.
    setTabOrder(edits_[2], browse);
    setTabOrder(browse, edits_[3]);
    default_ = new QComboBox(install);
    for (std::string_view a : TRiWizForm::kDefaultActions) default_->addItem(T(a));
    grid->addWidget(Label(install, TRiWizForm::kDefaultLabel, default_), 5, 0);
    grid->addWidget(default_, 5, 1);
    auto radios = [&](std::string_view caption, const std::string_view (&items)[2], QButtonGroup*& group, int row) {
        auto* box = new QGroupBox(T(caption), install);
        auto* layout = new QHBoxLayout(box);
        group = new QButtonGroup(box);
        for (int i = 0; i < 2; ++i) {
            auto* r = new QRadioButton(T(items[i]), box);
            group->addButton(r, i);
            layout->addWidget(r);
        }
        grid->addWidget(box, row, 0, 1, 3);
    };
    radios(TRiWizForm::kLoginCaption, TRiWizForm::kLoginItems, login_, 6);
    radios(TRiWizForm::kAccessCaption, TRiWizForm::kAccessItems, access_, 7);
    edits_[5] = new QLineEdit(install);
    grid->addWidget(Label(install, TRiWizForm::kEditLabels[5], edits_[5]), 8, 0);
    grid->addWidget(edits_[5], 8, 1);
    QPushButton* output = Button(install, TRiWizForm::kChooseOutput);
    grid->addWidget(output, 8, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(9, 1);
    pages_->addTab(install, T(TRiWizForm::kPages[0].caption));

    // COPY
    auto* copyPage = new QWidget(pages_);
    auto* copyLayout = new QGridLayout(copyPage);
    copy_ = new QPlainTextEdit(copyPage);
    copy_->setTabChangesFocus(true);
    copy_->setLineWrapMode(QPlainTextEdit::NoWrap);
    QPushButton* addCopy = Button(copyPage, TRiWizForm::kAddCopy, TRiWizForm::kAddCopyHint);
    copyLayout->addWidget(Label(copyPage, TRiWizForm::kCopyLabel, copy_), 0, 0, Qt::AlignTop);
    copyLayout->addWidget(copy_, 0, 1, 2, 1);
    copyLayout->addWidget(addCopy, 0, 2);
    copyLayout->setRowStretch(1, 1);
    pages_->addTab(copyPage, T(TRiWizForm::kPages[1].caption));

    // Step
    auto* stepPage = new QWidget(pages_);
    auto* stepLayout = new QVBoxLayout(stepPage);
    QStringList guide;
    for (std::string_view g : TRiWizForm::kGuide) guide << T(g);
    auto* guideLabel = new QLabel(guide.join('\n'), stepPage);
    guideLabel->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    guideLabel->setTextFormat(Qt::PlainText);
    stepLayout->addWidget(guideLabel);
    steps_ = new QPlainTextEdit(stepPage);
    steps_->setTabChangesFocus(true);
    steps_->setLineWrapMode(QPlainTextEdit::NoWrap);
    steps_->setToolTip(T(TRiWizForm::kStepHint));
    stepLayout->addWidget(steps_, 1);
    auto* stepButtons = new QHBoxLayout;
    QPushButton* addStep = Button(stepPage, TRiWizForm::kAddStep, TRiWizForm::kAddStepHint);
    stepButtons->addStretch(1);
    stepButtons->addWidget(addStep);
    stepLayout->addLayout(stepButtons);
    pages_->addTab(stepPage, T(TRiWizForm::kPages[2].caption));
    for (int i = 0; i < 3; ++i) pages_->setTabToolTip(i, T(TRiWizForm::kPages[i].hint));

    auto* bottom = new QHBoxLayout;
    add_ = new QCheckBox(T(TRiWizForm::kAddToProject), this);
    bottom->addWidget(add_, 1);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    bottom->addWidget(box);
    outer->addLayout(bottom);
    resize(560, 460);

    connect(browse, &QPushButton::clicked, this, [this] { Run(&TRiWizForm::BrowseClick, edits_[2]); });
    connect(output, &QPushButton::clicked, this, [this] { Run(&TRiWizForm::OutputClick, edits_[5]); });
    connect(addCopy, &QPushButton::clicked, this, [this] { Run(&TRiWizForm::AddCopyClick, copy_); });
    connect(addStep, &QPushButton::clicked, this, [this] { Run(&TRiWizForm::AddStepClick, steps_); });
    connect(box, &QDialogButtonBox::accepted, this, &RiWizDialog::Ok);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);

    Push();
    Focus(edits_[0]);
    SingleLineFields(this);
}

void RiWizDialog::Pull() {
    std::string* fields[6] = {&form_.version, &form_.title, &form_.fileName, &form_.arg, &form_.logFileName,
                              &form_.output};
    for (int i = 0; i < 6; ++i) *fields[i] = S(edits_[i]->text());
    form_.defaultAction = default_->currentIndex();
    form_.noLogin = login_->checkedId();
    form_.access = access_->checkedId();
    form_.copyText = S(copy_->toPlainText());
    form_.stepText = S(steps_->toPlainText());
    form_.addToProject = add_->isEnabled() && add_->isChecked();
}

void RiWizDialog::Push() {
    const std::string* fields[6] = {&form_.version, &form_.title, &form_.fileName, &form_.arg, &form_.logFileName,
                                    &form_.output};
    for (int i = 0; i < 6; ++i) edits_[i]->setText(Q(*fields[i]));
    default_->setCurrentIndex(form_.defaultAction);
    if (QAbstractButton* b = login_->button(form_.noLogin)) b->setChecked(true);
    if (QAbstractButton* b = access_->button(form_.access)) b->setChecked(true);
    if (S(copy_->toPlainText()) != form_.copyText) copy_->setPlainText(Q(form_.copyText));
    if (S(steps_->toPlainText()) != form_.stepText) steps_->setPlainText(Q(form_.stepText));
    add_->setEnabled(form_.AddToProjectEnabled());
    add_->setChecked(form_.addToProject);
}

void RiWizDialog::Run(void (TRiWizForm::*handler)(), QWidget* focusAfter) {
    Pull();
    (form_.*handler)();
    Push();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(focusAfter)) memo->moveCursor(QTextCursor::End);
    focusAfter->setFocus(Qt::OtherFocusReason);
}

void RiWizDialog::Ok() {
    Pull();
    if (form_.OkClick()) {
        accept();
        return;
    }
    if (form_.OutputNeedsFix()) {
        pages_->setCurrentIndex(0);
        Focus(edits_[5]);
    }
}

}  // namespace gui
