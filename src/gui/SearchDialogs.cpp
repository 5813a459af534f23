#include "SearchDialogs.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "QtUi.h"
#include "SingleLine.h"
#include "editor/Editor.h"

namespace gui {

namespace {

QString T(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QLineEdit* LabelledEdit(QWidget* parent, QGridLayout* grid, int row, std::string_view label) {
    auto* edit = new QLineEdit(parent);
    auto* caption = new QLabel(T(label), parent);
    caption->setBuddy(edit);
    grid->addWidget(caption, row, 0);
    grid->addWidget(edit, row, 1);
    return edit;
}

QPushButton* Button(QWidget* parent, QVBoxLayout* column, std::string_view caption) {
    auto* b = new QPushButton(T(caption), parent);
    b->setAutoDefault(false);
    column->addWidget(b);
    return b;
}

void Focus(QLineEdit* edit) {
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
}

}  // namespace

// ---- Find ------------------------------------------------------------------------

FindDialog::FindDialog(app::TFindDialog& form, QWidget* parent) : QDialog(parent), form_(form) {
    setWindowTitle(T("検索"));
    setModal(false);
    auto* outer = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    auto* grid = new QGridLayout;
    find_ = LabelledEdit(this, grid, 0, "検索する文字列(&N):");
    left->addLayout(grid);
    auto* direction = new QGroupBox(T("検索する方向"), this);
    auto* radios = new QHBoxLayout(direction);
    up_ = new QRadioButton(T("上へ(&U)"), direction);
    down_ = new QRadioButton(T("下へ(&D)"), direction);
    radios->addWidget(up_);
    radios->addWidget(down_);
    left->addWidget(direction, 0, Qt::AlignRight);
    left->addStretch(1);
    outer->addLayout(left, 1);
    auto* buttons = new QVBoxLayout;
    next_ = Button(this, buttons, "次を検索(&F)");
    next_->setDefault(true);
    QPushButton* cancel = Button(this, buttons, "キャンセル");
    buttons->addStretch(1);
    outer->addLayout(buttons);

    connect(find_, &QLineEdit::textEdited, this, [this](const QString& t) {
        form_.findText = S(t);
        Update();
    });
    connect(down_, &QRadioButton::toggled, this, [this](bool on) { form_.down = on; });
    connect(next_, &QPushButton::clicked, this, [this] { form_.FindClick(); });
    connect(cancel, &QPushButton::clicked, this, &FindDialog::reject);
    form_.SetView(this);
    SingleLineFields(this);
}

FindDialog::~FindDialog() { form_.SetView(nullptr); }

void FindDialog::Update() { next_->setEnabled(form_.CanFind()); }

void FindDialog::ShowDialog() {
    find_->setText(Q(form_.findText));
    (form_.down ? down_ : up_)->setChecked(true);
    Update();
    show();
    raise();
    activateWindow();
    Focus(find_);
}

void FindDialog::CloseDialog() {
    if (!isVisible()) return;
    hide();
    if (onClosed) onClosed();
}

void FindDialog::reject() { form_.CloseDialog(); }

// ---- Replace -----------------------------------------------------------------------

ReplaceDialog::ReplaceDialog(app::TReplaceDialog& form, QWidget* parent) : QDialog(parent), form_(form) {
    setWindowTitle(T("置換"));
    setModal(false);
    auto* outer = new QHBoxLayout(this);
    auto* grid = new QGridLayout;
    find_ = LabelledEdit(this, grid, 0, "検索する文字列(&N):");
    replace_ = LabelledEdit(this, grid, 1, "置換後の文字列(&P):");
    grid->setRowStretch(2, 1);
    outer->addLayout(grid, 1);
    auto* buttons = new QVBoxLayout;
    next_ = Button(this, buttons, "次を検索(&F)");
    next_->setDefault(true);
    one_ = Button(this, buttons, "置換して次に(&R)");
    all_ = Button(this, buttons, "すべて置換(&A)");
    QPushButton* cancel = Button(this, buttons, "キャンセル");
    buttons->addStretch(1);
    outer->addLayout(buttons);
    // Tab goes from the find text to the replacement, then to the buttons.
    setTabOrder(find_, replace_);
    setTabOrder(replace_, next_);

    connect(find_, &QLineEdit::textEdited, this, [this](const QString& t) {
        form_.findText = S(t);
        Update();
    });
    connect(replace_, &QLineEdit::textEdited, this, [this](const QString& t) { form_.replaceText = S(t); });
    connect(next_, &QPushButton::clicked, this, [this] { form_.FindClick(); });
    connect(one_, &QPushButton::clicked, this, [this] { form_.ReplaceClick(); });
    connect(all_, &QPushButton::clicked, this, [this] { form_.ReplaceAllClick(); });
    connect(cancel, &QPushButton::clicked, this, &ReplaceDialog::reject);
    form_.SetView(this);
    SingleLineFields(this);
}

ReplaceDialog::~ReplaceDialog() { form_.SetView(nullptr); }

void ReplaceDialog::Update() {
    const bool can = form_.CanFind();
    next_->setEnabled(can);
    one_->setEnabled(can);
    all_->setEnabled(can);
}

void ReplaceDialog::ShowDialog() {
    find_->setText(Q(form_.findText));
    replace_->setText(Q(form_.replaceText));
    Update();
    show();
    raise();
    activateWindow();
    Focus(find_);
}

void ReplaceDialog::CloseDialog() {
    if (!isVisible()) return;
    hide();
    if (onClosed) onClosed();
}

void ReplaceDialog::reject() { form_.CloseDialog(); }

// ---- Jump to line ------------------------------------------------------------------

NumJumpDialog::NumJumpDialog(app::TNumJmp& form, QWidget* parent) : QDialog(parent), form_(form) {
    // Fixed border, a caption but no caption-bar buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(T(app::TNumJmp::kCaption));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(T(app::TNumJmp::kLabel), this);
    edit_ = new QLineEdit(Q(form.number), this);
    edit_->setToolTip(T(app::TNumJmp::kHint));
    edit_->setAlignment(Qt::AlignRight);
    label->setBuddy(edit_);
    layout->addWidget(label);
    layout->addWidget(edit_);
    auto* row = new QHBoxLayout;
    ok_ = new QPushButton(T(app::TNumJmp::kOk), this);
    auto* cancel = new QPushButton(T(app::TNumJmp::kCancel), this);
    ok_->setDefault(true);
    row->addStretch(1);
    row->addWidget(ok_);
    row->addWidget(cancel);
    layout->addLayout(row);
    connect(ok_, &QPushButton::clicked, this, &NumJumpDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &NumJumpDialog::reject);
    edit_->installEventFilter(this);
    setFixedSize(sizeHint());
    // The preset number is selected, so that typing replaces it.
    edit_->setFocus(Qt::OtherFocusReason);
    edit_->selectAll();
    SingleLineFields(this);
}

bool NumJumpDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        int vk = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ? editor::vkReturn : 0;
        if (vk && app::TNumJmp::SaNumEdit1KeyDown(vk)) {
            ok_->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void NumJumpDialog::accept() {
    form_.number = S(edit_->text());
    QDialog::accept();
}

}  // namespace gui
