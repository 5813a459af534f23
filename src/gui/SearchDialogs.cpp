#include "SearchDialogs.h"

#include <QCheckBox>
#include <QFileDialog>
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
#include "app/IncSearch.h"
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

// ---- Find in files -----------------------------------------------------------------

FindInFilesDialog::FindInFilesDialog(app::TFindInFilesForm& form, QWidget* parent) : QDialog(parent), form_(form) {
    setWindowTitle(T(app::TFindInFilesForm::kCaption));
    auto* outer = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    auto* grid = new QGridLayout;
    text_ = LabelledEdit(this, grid, 0, "検索する文字列(&N):");
    text_->setText(T(form_.text));
    left->addLayout(grid);

    // The editor's search options, as the search bar offers them.
    auto* options = new QGroupBox(T("オプション"), this);
    auto* optionGrid = new QGridLayout(options);
    int n = 0;
    for (const app::TIncSearch::TOptionBox& box : app::TIncSearch::kBoxes) {
        auto* check = new QCheckBox(T(box.caption), options);
        check->setChecked(form_.options & box.bit);
        const editor::TSearchOptions bit = box.bit;
        connect(check, &QCheckBox::toggled, this, [this, bit](bool on) {
            form_.options = static_cast<editor::TSearchOptions>(on ? form_.options | bit : form_.options & ~bit);
        });
        optionGrid->addWidget(check, n / 2, n % 2);
        ++n;
    }
    left->addWidget(options);

    auto* where = new QGroupBox(T("検索する場所"), this);
    auto* whereGrid = new QGridLayout(where);
    project_ = new QRadioButton(T("プロジェクトのソースとヘッダ(&P)"), where);
    documents_ = new QRadioButton(T("開いているファイル(&O)"), where);
    inFolder_ = new QRadioButton(T("フォルダ(&D):"), where);
    folder_ = new QLineEdit(T(form_.folder), where);
    browse_ = new QPushButton(T("参照(&B)..."), where);
    browse_->setAutoDefault(false);
    auto* patternLabel = new QLabel(T("ファイルの種類(&T):"), where);
    patterns_ = new QLineEdit(T(form_.patterns), where);
    patternLabel->setBuddy(patterns_);
    subfolders_ = new QCheckBox(T("サブフォルダも検索(&S)"), where);
    subfolders_->setChecked(form_.subfolders);
    whereGrid->addWidget(project_, 0, 0, 1, 3);
    whereGrid->addWidget(documents_, 1, 0, 1, 3);
    whereGrid->addWidget(inFolder_, 2, 0);
    whereGrid->addWidget(folder_, 2, 1);
    whereGrid->addWidget(browse_, 2, 2);
    whereGrid->addWidget(patternLabel, 3, 0, Qt::AlignRight);
    whereGrid->addWidget(patterns_, 3, 1);
    whereGrid->addWidget(subfolders_, 4, 1);
    left->addWidget(where);
    progress_ = new QLabel(this);
    left->addWidget(progress_);
    left->addStretch(1);
    outer->addLayout(left, 1);

    auto* buttons = new QVBoxLayout;
    start_ = Button(this, buttons, "検索(&F)");
    start_->setDefault(true);
    QPushButton* cancel = Button(this, buttons, "キャンセル");
    buttons->addStretch(1);
    outer->addLayout(buttons);

    project_->setEnabled(form_.projectOpen);
    switch (form_.scope) {
        case app::TFindScope::fsProject: project_->setChecked(true); break;
        case app::TFindScope::fsOpenDocuments: documents_->setChecked(true); break;
        case app::TFindScope::fsFolder: inFolder_->setChecked(true); break;
    }
    auto scope = [this](app::TFindScope s) {
        return [this, s](bool on) {
            if (!on) return;
            form_.scope = s;
            Update();
        };
    };
    connect(project_, &QRadioButton::toggled, this, scope(app::TFindScope::fsProject));
    connect(documents_, &QRadioButton::toggled, this, scope(app::TFindScope::fsOpenDocuments));
    connect(inFolder_, &QRadioButton::toggled, this, scope(app::TFindScope::fsFolder));
    connect(text_, &QLineEdit::textEdited, this, [this](const QString& t) { form_.text = S(t); Update(); });
    connect(folder_, &QLineEdit::textEdited, this, [this](const QString& t) { form_.folder = S(t); });
    connect(patterns_, &QLineEdit::textEdited, this, [this](const QString& t) { form_.patterns = S(t); });
    connect(subfolders_, &QCheckBox::toggled, this, [this](bool on) { form_.subfolders = on; });
    connect(browse_, &QPushButton::clicked, this, [this] {
        QString dir = QFileDialog::getExistingDirectory(this, T("検索するフォルダ"), folder_->text());
        if (dir.isEmpty()) return;
        folder_->setText(dir);
        form_.folder = S(dir);
    });
    connect(start_, &QPushButton::clicked, this, &FindInFilesDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &FindInFilesDialog::reject);
    form_.OnProgress = [this] { progress_->setText(T(form_.progress)); };
    SingleLineFields(this);
    Update();
    Focus(text_);
}

FindInFilesDialog::~FindInFilesDialog() { form_.OnProgress = nullptr; }

void FindInFilesDialog::Update() {
    const bool folder = form_.scope == app::TFindScope::fsFolder, idle = !form_.running;
    folder_->setEnabled(folder && idle);
    browse_->setEnabled(folder && idle);
    patterns_->setEnabled(folder && idle);
    subfolders_->setEnabled(folder && idle);
    start_->setEnabled(idle && !form_.text.empty());
    text_->setReadOnly(!idle);
}

void FindInFilesDialog::accept() {
    if (form_.running || form_.text.empty() || !form_.OnStart) return;
    form_.running = true;  // the buttons show it from now on
    Update();
    progress_->setText(T("検索中... (Escで中止)"));
    form_.OnStart();
    Update();
    progress_->clear();
    // A search that could not start (nothing to search, a bad folder) leaves
    // the dialog up to put it right; one that ran closes it.
    if (form_.started) QDialog::accept();
    else Focus(text_);
}

void FindInFilesDialog::reject() {
    if (form_.running) {
        if (form_.OnStop) form_.OnStop();
        return;
    }
    QDialog::reject();
}

}  // namespace gui
