#include "OptionsDialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>
#include <memory>

#include "ColorGrid.h"
#include "Fonts.h"
#include "QtUi.h"
#include "SingleLine.h"

namespace gui {

namespace {

QString T(const char* s) { return QString::fromUtf8(s); }

QPushButton* Button(const char* caption, const char* hint, QWidget* parent) {
    auto* b = new QPushButton(T(caption), parent);
    if (hint) b->setToolTip(T(hint));
    b->setAutoDefault(false);
    return b;
}

// A label with a mnemonic that moves the focus to `buddy`.
QLabel* Label(const char* caption, QWidget* buddy, QWidget* parent) {
    auto* l = new QLabel(T(caption), parent);
    l->setBuddy(buddy);
    return l;
}

QLabel* Sunken(QWidget* parent, const char* hint) {
    auto* l = new QLabel(parent);
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setMinimumWidth(360);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    l->setToolTip(T(hint));
    return l;
}

// OK and Cancel beside each other at the bottom right.
QHBoxLayout* OkCancel(QDialog* dialog, const char* ok, const char* okHint, const char* cancel, const char* cancelHint) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto* okButton = new QPushButton(T(ok), dialog);
    okButton->setDefault(true);
    if (okHint) okButton->setToolTip(T(okHint));
    auto* cancelButton = Button(cancel, cancelHint, dialog);
    row->addWidget(okButton);
    row->addWidget(cancelButton);
    QObject::connect(okButton, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancelButton, &QPushButton::clicked, dialog, &QDialog::reject);
    return row;
}

QComboBox* SizeList(const std::vector<int>& sizes, int index, QWidget* parent) {
    auto* box = new QComboBox(parent);
    for (int s : sizes) box->addItem(QString::number(s));
    box->setCurrentIndex(index);
    return box;
}

QComboBox* FontList(const app::TFontNameChoice& choice, QWidget* parent) {
    auto* box = new QComboBox(parent);
    for (const std::string& name : choice.Names()) box->addItem(Q(name));
    box->setCurrentIndex(choice.index);
    box->setMinimumWidth(220);
    return box;
}

}  // namespace

std::vector<app::TFontFace> InstalledFontFaces() {
    std::vector<app::TFontFace> faces;
    for (const QString& family : QFontDatabase::families()) {
        app::TFontFace f;
        f.name = S(family);
        // Japanese monospace faces declare "dual" spacing, not mono: their
        // narrow and wide Latin letters are measured instead.
        QFontMetrics m(QFont(family, 12));
        f.fixedPitch =
            QFontDatabase::isFixedPitch(family) || m.horizontalAdvance(QLatin1Char('i')) == m.horizontalAdvance(QLatin1Char('W'));
        f.japanese = QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese);
        faces.push_back(std::move(f));
    }
    return faces;
}

// ---- Environment options ----------------------------------------------------------

VKBOptDialog::VKBOptDialog(app::TVKBOptForm& form, QWidget* parent) : QDialog(parent), form_(form) {
    setWindowTitle(T(app::TVKBOptForm::kCaption));
    auto* outer = new QVBoxLayout(this);
    pages_ = new QTabWidget(this);
    outer->addWidget(pages_, 1);

    // The compiler folder: typed, or taken from the tree with "設定".
    auto* page1 = new QWidget(pages_);
    auto* g1 = new QGridLayout(page1);
    edit2_ = new QLineEdit(page1);
    g1->addWidget(Label("&VKC.EXEのパス", edit2_, page1), 0, 0);
    g1->addWidget(edit2_, 0, 1, 1, 2);
    folders_ = new QFileSystemModel(this);
    folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    folders_->setRootPath("/");
    tree_ = new QTreeView(page1);
    tree_->setModel(folders_);
    for (int c = 1; c < folders_->columnCount(); ++c) tree_->hideColumn(c);
    tree_->setHeaderHidden(true);
    tree_->setToolTip(T("フォルダの選択"));
    tree_->setMinimumSize(360, 220);
    g1->addWidget(tree_, 1, 0, 1, 3);
    edit1_ = new QLineEdit(page1);
    edit1_->setReadOnly(true);
    edit1_->setToolTip(T("「設定」で反映"));
    auto* button1 = Button("設定", "VKC.EXEのあるﾌｫﾙﾀﾞを設定", page1);
    g1->addWidget(edit1_, 2, 0, 1, 2);
    g1->addWidget(button1, 2, 2);
    pages_->addTab(page1, T("VKC.EXE のパス"));
    pages_->setTabToolTip(0, T("VKC.EXEのあるフォルダを設定"));

    auto filePage = [this](const char* caption, const char* hint, const char* label, const char* textHint,
                           QLabel*& text, QPushButton*& button) {
        auto* page = new QWidget(pages_);
        auto* v = new QVBoxLayout(page);
        text = Sunken(page, textHint);
        button = Button("設定", nullptr, page);
        v->addWidget(Label(label, button, page));
        auto* row = new QHBoxLayout;
        row->addWidget(text, 1);
        row->addWidget(button);
        v->addLayout(row);
        v->addStretch(1);
        int i = pages_->addTab(page, T(caption));
        pages_->setTabToolTip(i, T(hint));
    };
    QPushButton* button4 = nullptr;
    QPushButton* button5 = nullptr;
    filePage("VKDK ヘルプ", "VKDK ヘルプファイルの指定", "VKDK/QSDK ヘルプファイル(&H)",
             "現在設定されているVKDK ヘルプファイル", static2_, button4);
    filePage("KeyDef.Txt", "キー定義一覧ファイルの指定", "VKDK KeyDef.Txt(&D)", "現在設定されているキー定義一覧ファイル",
             static3_, button5);

    auto* page4 = new QWidget(pages_);
    auto* v4 = new QVBoxLayout(page4);
    auto* group = new QGroupBox(T("&Target ﾌﾟﾗｸﾞｲﾝ"), page4);
    group->setToolTip(T("作成するﾀｰｹﾞｯﾄﾌﾟﾗｸﾞｲﾝの指定(Korvane/Tessal用関数ﾍﾙﾌﾟﾌｧｲﾙの選択)"));
    auto* gv = new QVBoxLayout(group);
    korvane_ = new QRadioButton(T("&Korvane"), group);
    tessal_ = new QRadioButton(T("&Tessal"), group);
    gv->addWidget(korvane_);
    gv->addWidget(tessal_);
    v4->addWidget(group);
    edit3_ = new QLineEdit(page4);
    label4_ = Label("&Plomar の指定", edit3_, page4);
    button6_ = Button("参照", nullptr, page4);
    v4->addWidget(label4_);
    auto* row4 = new QHBoxLayout;
    row4->addWidget(edit3_, 1);
    row4->addWidget(button6_);
    v4->addLayout(row4);
    v4->addStretch(1);
    pages_->addTab(page4, T("TARGET"));
    pages_->setTabToolTip(3, T("作成するﾀｰｹﾞｯﾄﾌﾟﾗｸﾞｲﾝの指定"));

    // Beside the pages: it belongs to none of them.
    restore_ = new QCheckBox(T(app::TVKBOptForm::kRestoreSession), this);
    outer->addWidget(restore_);
    auto* page5 = new QWidget(pages_);
    auto* v5 = new QVBoxLayout(page5);
    editWine_ = new QLineEdit(page5);
    editWine_->setPlaceholderText(T("wine"));
    editWine_->setToolTip(T("Windows のプログラム (VKC.EXE、Plomar、.HLP ヘルプ) を動かす wine のコマンド。空欄なら PATH の wine"));
    v5->addWidget(Label("&Wine のコマンド", editWine_, page5));
    v5->addWidget(editWine_);
    v5->addStretch(1);
    pages_->addTab(page5, T("WINE"));
    pages_->setTabToolTip(4, T("Windows のプログラムを動かす wine の指定"));

    outer->addLayout(OkCancel(this, "&OK", "設定して閉じる", "&Cancel", "キャンセル"));

    connect(restore_, &QCheckBox::toggled, this, [this](bool on) { form_.RestoreSession = on; });
    connect(edit2_, &QLineEdit::textEdited, this, [this](const QString& t) { form_.Edit2 = S(t); });
    connect(edit3_, &QLineEdit::textEdited, this, [this](const QString& t) { form_.Edit3 = S(t); });
    connect(editWine_, &QLineEdit::textEdited, this, [this](const QString& t) { form_.EditWine = S(t); });
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& index) {
        form_.TreeChange(index.isValid() ? S(folders_->filePath(index)) : std::string());
        edit1_->setText(Q(form_.Edit1));
    });
    connect(button1, &QPushButton::clicked, this, [this] {
        form_.Button1Click();
        edit2_->setText(Q(form_.Edit2));
    });
    connect(button4, &QPushButton::clicked, this, [this] {
        form_.Button4Click();
        static2_->setText(Q(form_.StaticText2));
    });
    connect(button5, &QPushButton::clicked, this, [this] {
        form_.Button5Click();
        static3_->setText(Q(form_.StaticText3));
    });
    connect(button6_, &QPushButton::clicked, this, [this] {
        form_.Button6Click();
        edit3_->setText(Q(form_.Edit3));
    });
    connect(korvane_, &QRadioButton::toggled, this, [this](bool on) {
        if (on) form_.RadioGroup1 = 0;
        EnablePlomar();
    });
    connect(tessal_, &QRadioButton::toggled, this, [this](bool on) {
        if (on) form_.RadioGroup1 = 1;
        EnablePlomar();
    });
    SingleLineFields(this);
}

void VKBOptDialog::Load() {
    ShowFields();
    pages_->setCurrentIndex(0);
    edit2_->setFocus(Qt::OtherFocusReason);
    edit2_->selectAll();
    if (!treeShown_) {
        // The first time, the tree opens at the compiler's folder without
        // choosing it: only "設定" changes the path.
        treeShown_ = true;
        const QString target = Q(form_.Edit2.empty() ? std::string("/") : form_.Edit2);
        // The folders load in the background: follow the path as its parts arrive.
        auto follow = [this, target] {
            QModelIndex at = folders_->index(target);
            for (QModelIndex p = at.parent(); p.isValid(); p = p.parent()) tree_->expand(p);
            if (at.isValid()) tree_->scrollTo(at, QAbstractItemView::PositionAtCenter);
        };
        follow();
        if (!QFileInfo(target).isDir()) return;
        const QString parent = QFileInfo(target).path();
        auto conn = std::make_shared<QMetaObject::Connection>();
        *conn = connect(folders_, &QFileSystemModel::directoryLoaded, this, [follow, target, parent, conn](const QString& dir) {
            if (!target.startsWith(dir)) return;
            follow();
            if (dir == parent || dir == target) disconnect(*conn);
        });
    }
}

void VKBOptDialog::ShowFields() {
    edit1_->setText(Q(form_.Edit1));
    edit2_->setText(Q(form_.Edit2));
    static2_->setText(Q(form_.StaticText2));
    static3_->setText(Q(form_.StaticText3));
    (form_.RadioGroup1 == 1 ? tessal_ : korvane_)->setChecked(true);
    edit3_->setText(Q(form_.Edit3));
    restore_->setChecked(form_.RestoreSession);
    editWine_->setText(Q(form_.EditWine));
    EnablePlomar();
}

void VKBOptDialog::EnablePlomar() {
    const bool on = form_.PlomarEnabled();
    label4_->setEnabled(on);
    edit3_->setEnabled(on);
    button6_->setEnabled(on);
}

// ---- Editor customization ------------------------------------------------------------

CustDialog::CustDialog(app::TCustForm& form, QWidget* parent) : QDialog(parent), form_(form) {
    using app::TCustForm;
    setWindowTitle(T(TCustForm::kCaption));
    auto* outer = new QVBoxLayout(this);

    auto* top = new QGridLayout;
    fonts_ = FontList(form.font, this);
    sizes_ = SizeList(TCustForm::FontSizes(), form.sizeIndex, this);
    auto* tabs = new QComboBox(this);
    for (int t : TCustForm::TabSteps()) tabs->addItem(QString::number(t));
    tabs->setCurrentIndex(form.tabIndex);
    top->addWidget(Label("ﾌｫﾝﾄ(&F)", fonts_, this), 0, 0);
    top->addWidget(fonts_, 1, 0);
    top->addWidget(Label("ﾌｫﾝﾄｻｲｽﾞ(&S)", sizes_, this), 0, 1);
    top->addWidget(sizes_, 1, 1);
    top->addWidget(Label("&TabStep", tabs, this), 0, 2);
    top->addWidget(tabs, 1, 2);
    outer->addLayout(top);
    sample_ = new QLabel(T(TCustForm::kSample), this);
    sample_->setToolTip(T("ｴﾃﾞｨﾀ上でのﾌｫﾝﾄ"));
    sample_->setAutoFillBackground(true);
    sample_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    sample_->setMinimumHeight(48);
    sample_->setAlignment(Qt::AlignCenter);
    outer->addWidget(sample_);

    auto* pages = new QTabWidget(this);
    outer->addWidget(Label("表示色(&C)", pages, this));
    for (int i = 0; i < TCustForm::kColorPages; ++i) {
        auto* page = new QWidget(pages);
        auto* h = new QHBoxLayout(page);
        auto* grid = new ColorGrid(page);
        grid->SetChoice(form.colors[static_cast<size_t>(i)]);
        h->addWidget(grid);
        h->addStretch(1);
        grids_[static_cast<size_t>(i)] = grid;
        pages->addTab(page, T(TCustForm::kPageCaptions[static_cast<size_t>(i)]));
        pages->setTabToolTip(i, T(TCustForm::kPageHints[static_cast<size_t>(i)]));
        connect(grid, &ColorGrid::changed, this, [this, i, grid] {
            form_.colors[static_cast<size_t>(i)] = grid->Choice();
            if (i == TCustForm::pgText) UpdateSample();
        });
    }
    auto* other = new QWidget(pages);
    auto* ov = new QVBoxLayout(other);
    auto* wrap = new QCheckBox(T("&WordWrap"), other);
    wrap->setChecked(form.wordWrap);
    wrapWidth_ = new QSpinBox(other);
    wrapWidth_->setRange(TCustForm::kWrapMin, TCustForm::kWrapMax);
    wrapWidth_->setValue(form.wrapWidth);
    wrapWidth_->setEnabled(form.WrapWidthEnabled());
    auto* wrapRow = new QHBoxLayout;
    wrapRow->addWidget(wrap);
    wrapRow->addWidget(Label("折り返しﾊﾞｲﾄ数(&B)", wrapWidth_, other));
    wrapRow->addWidget(wrapWidth_);
    wrapRow->addStretch(1);
    ov->addLayout(wrapRow);
    auto* numbers = new QCheckBox(T("行番号の表示(&L)"), other);
    numbers->setChecked(form.lineNumbers);
    auto* ruler = new QCheckBox(T("ルーラーの表示(&O)"), other);
    ruler->setChecked(form.ruler);
    ov->addWidget(numbers);
    ov->addWidget(ruler);
    auto* wheel = new QGroupBox(T("ﾎｲｰﾙﾏｳｽ(&M)"), other);
    auto* wv = new QVBoxLayout(wheel);
    auto* byLine = new QRadioButton(T("&LINE UP/DOWN"), wheel);
    auto* byPage = new QRadioButton(T("&PAGE UP/DOWN"), wheel);
    wv->addWidget(byLine);
    wv->addWidget(byPage);
    (form.wheelByLine ? byLine : byPage)->setChecked(true);
    ov->addWidget(wheel);
    ov->addStretch(1);
    pages->addTab(other, T(TCustForm::kPageCaptions[TCustForm::kColorPages]));
    pages->setTabToolTip(TCustForm::kColorPages, T(TCustForm::kPageHints[TCustForm::kColorPages]));
    outer->addWidget(pages, 1);
    outer->addLayout(OkCancel(this, "OK", nullptr, "Cancel", nullptr));
    setMinimumWidth(480);

    connect(fonts_, &QComboBox::currentIndexChanged, this, [this](int i) {
        form_.font.index = i;
        UpdateSample();
    });
    connect(sizes_, &QComboBox::currentIndexChanged, this, [this](int i) {
        form_.sizeIndex = i;
        UpdateSample();
    });
    connect(tabs, &QComboBox::currentIndexChanged, this, [this](int i) { form_.tabIndex = i; });
    connect(wrap, &QCheckBox::toggled, this, [this](bool on) {
        form_.wordWrap = on;
        wrapWidth_->setEnabled(form_.WrapWidthEnabled());
    });
    connect(wrapWidth_, &QSpinBox::valueChanged, this, [this](int v) { form_.wrapWidth = v; });
    connect(numbers, &QCheckBox::toggled, this, [this](bool on) { form_.lineNumbers = on; });
    connect(ruler, &QCheckBox::toggled, this, [this](bool on) { form_.ruler = on; });
    connect(byLine, &QRadioButton::toggled, this, [this](bool on) { form_.wheelByLine = on; });
    pages->setCurrentIndex(form.page);
    connect(pages, &QTabWidget::currentChanged, this, [this](int i) { form_.page = i; });
    UpdateSample();
    fonts_->setFocus(Qt::OtherFocusReason);
    SingleLineFields(this);
}

void CustDialog::UpdateSample() {
    sample_->setFont(EditorFont(form_.font.Name(), form_.SampleSize()));
    QPalette pal = sample_->palette();
    const app::TColorChoice& text = form_.colors[app::TCustForm::pgText];
    pal.setColor(QPalette::WindowText, ToQColor(text.Foreground()));
    pal.setColor(QPalette::Window, ToQColor(text.Background()));
    sample_->setPalette(pal);
}

// ---- Project window customization ---------------------------------------------------------

PrjCustDialog::PrjCustDialog(app::TPrjCustForm& form, QWidget* parent) : QDialog(parent), form_(form) {
    setWindowTitle(T(app::TPrjCustForm::kCaption));
    auto* outer = new QVBoxLayout(this);
    auto* top = new QGridLayout;
    auto* fonts = FontList(form.font, this);
    auto* sizes = SizeList(app::TPrjCustForm::FontSizes(), form.sizeIndex, this);
    top->addWidget(Label("ﾌｫﾝﾄ(&F)", fonts, this), 0, 0);
    top->addWidget(fonts, 1, 0);
    top->addWidget(Label("ﾌｫﾝﾄｻｲｽﾞ(&S)", sizes, this), 0, 1);
    top->addWidget(sizes, 1, 1);
    outer->addLayout(top);
    auto* grid = new ColorGrid(this);
    grid->SetChoice(form.colors);
    outer->addWidget(Label("文字と背景色(&C)", grid, this));
    outer->addWidget(grid, 0, Qt::AlignLeft);
    outer->addLayout(OkCancel(this, "&OK", "設定", "&Cancel", "ｷｬﾝｾﾙ"));
    setMinimumWidth(380);

    connect(fonts, &QComboBox::currentIndexChanged, this, [this](int i) { form_.font.index = i; });
    connect(sizes, &QComboBox::currentIndexChanged, this, [this](int i) { form_.sizeIndex = i; });
    connect(grid, &ColorGrid::changed, this, [this, grid] { form_.colors = grid->Choice(); });
    fonts->setFocus(Qt::OtherFocusReason);
    SingleLineFields(this);
}

}  // namespace gui
