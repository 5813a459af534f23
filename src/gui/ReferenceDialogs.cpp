#include "ReferenceDialogs.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/Actions.h"
#include "platform/ShiftJis.h"

namespace gui {

namespace {

QString T(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
// File texts are Shift-JIS.
QString Sjis(const std::string& s) { return QString::fromStdString(platform::DecodeSjis(s).text); }

QTreeWidget* ReportList(QWidget* parent, std::initializer_list<std::string_view> columns, const int* widths) {
    auto* list = new QTreeWidget(parent);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QStringList headers;
    for (std::string_view c : columns) headers << T(c);
    list->setHeaderLabels(headers);
    list->header()->setSectionsClickable(true);
    list->header()->setStretchLastSection(true);
    for (int i = 0; i < static_cast<int>(columns.size()); ++i) list->setColumnWidth(i, widths[i]);
    return list;
}

int SelectedIndex(const QTreeWidget* list) {
    QList<QTreeWidgetItem*> items = list->selectedItems();
    return items.isEmpty() ? -1 : list->indexOfTopLevelItem(items.front());
}

void Select(QTreeWidget* list, int row) {
    if (QTreeWidgetItem* item = row >= 0 ? list->topLevelItem(row) : nullptr) {
        list->setCurrentItem(item);
        list->scrollToItem(item);
    }
}

}  // namespace

// ---- Define reference ---------------------------------------------------------

using reference::TDefineViewForm;

DefineViewDialog::DefineViewDialog(TDefineViewForm& form, QWidget* parent) : QDialog(parent), form_(form) {
    setWindowTitle(T(TDefineViewForm::kCaption));
    auto* outer = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    kinds_ = new QComboBox(this);
    kinds_->setToolTip(T(TDefineViewForm::kKindHint));
    auto* kindLabel = new QLabel(T(TDefineViewForm::kKindLabel), this);
    kindLabel->setBuddy(kinds_);
    top->addWidget(kindLabel);
    top->addWidget(kinds_, 1);
    outer->addLayout(top);
    list_ = ReportList(this, {TDefineViewForm::kColumns[0], TDefineViewForm::kColumns[1], TDefineViewForm::kColumns[2]},
                       form_.columnWidths);
    list_->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    list_->setToolTip(T(app::ShortHint(TDefineViewForm::kListHint)));
    list_->setStatusTip(T(app::LongHint(TDefineViewForm::kListHint)));
    auto* listLabel = new QLabel(T(TDefineViewForm::kListLabel), this);
    listLabel->setBuddy(list_);
    outer->addWidget(listLabel);
    outer->addWidget(list_, 1);
    auto* bottom = new QHBoxLayout;
    auto* note = new QLabel(T(TDefineViewForm::kNote[0]) + "\n" + T(TDefineViewForm::kNote[1]) + "\n" +
                                T(TDefineViewForm::kNote[2]),
                            this);
    bottom->addWidget(note, 1);
    auto* ok = new QPushButton(T(TDefineViewForm::kOk), this);
    ok->setDefault(true);
    auto* close = new QPushButton(T(TDefineViewForm::kClose), this);
    close->setAutoDefault(false);
    bottom->addWidget(ok);
    bottom->addWidget(close);
    outer->addLayout(bottom);
    resize(700, 420);

    for (const std::string& k : form_.Kinds()) kinds_->addItem(Sjis(k));
    kinds_->setCurrentIndex(-1);  // nothing listed until a kind is picked
    connect(kinds_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0) return;
        if (!form_.KindChange(index)) {
            reject();
            return;
        }
        FillRows(-1);
    });
    connect(list_->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        int selected = SelectedRow();
        form_.ColumnClick(column, &selected);
        FillRows(selected);
    });
    connect(list_->header(), &QHeaderView::sectionResized, this, [this](int column, int, int width) {
        if (column >= 0 && column < 3) form_.columnWidths[column] = width;
    });
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int) {
        form_.RowDoubleClick(list_->indexOfTopLevelItem(item));
        accept();
    });
    connect(ok, &QPushButton::clicked, this, [this] {
        form_.OkClick(SelectedRow());
        accept();
    });
    connect(close, &QPushButton::clicked, this, &DefineViewDialog::reject);
    auto* copy = new QShortcut(QKeySequence::Copy, list_, nullptr, nullptr, Qt::WidgetShortcut);
    connect(copy, &QShortcut::activated, this, [this] { form_.CopyName(SelectedRow()); });
    kinds_->setFocus(Qt::OtherFocusReason);
}

void DefineViewDialog::reject() {
    form_.CloseClick();
    QDialog::reject();
}

int DefineViewDialog::SelectedRow() const { return SelectedIndex(list_); }

void DefineViewDialog::FillRows(int select) {
    list_->clear();
    QList<QTreeWidgetItem*> items;
    for (const TDefineViewForm::Row& r : form_.Rows()) {
        auto* item = new QTreeWidgetItem({Sjis(r.name), Sjis(r.value), Sjis(r.description)});
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        items << item;
    }
    list_->addTopLevelItems(items);
    // A value column narrower than its values shows them cut ("0x…"): widen
    // it to the widest value of the kind (the view's own hint counts only
    // the rows in sight).
    const QFontMetrics fm(list_->font());
    const int margin = 2 * (list_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list_) + 1) + 4;
    int widest = list_->header()->sectionSizeHint(1);
    for (const QTreeWidgetItem* item : items) widest = std::max(widest, fm.horizontalAdvance(item->text(1)) + margin);
    if (list_->columnWidth(1) < widest) list_->setColumnWidth(1, widest);
    Select(list_, select);
}

// ---- execkey reference ---------------------------------------------------------

using reference::TExecKeyForm;

ExecKeyDialog::ExecKeyDialog(TExecKeyForm& form, QWidget* parent) : QDialog(parent), form_(form) {
    setWindowTitle(T(TExecKeyForm::kCaption));
    auto* outer = new QVBoxLayout(this);
    list_ = ReportList(this, {TExecKeyForm::kColumns[0], TExecKeyForm::kColumns[1]}, TExecKeyForm::kColumnWidths);
    list_->setToolTip(T(TExecKeyForm::kListHint));
    list_->installEventFilter(this);
    outer->addWidget(list_, 1);
    auto* bottom = new QHBoxLayout;
    check_ = new QCheckBox(T(TExecKeyForm::kCheckCaption), this);
    check_->setToolTip(T(TExecKeyForm::kCheckHint));
    check_->setChecked(form_.commentChecked);
    bottom->addWidget(check_, 1);
    auto* close = new QPushButton(T(TExecKeyForm::kClose), this);
    close->setToolTip(T(TExecKeyForm::kCloseHint));
    close->setAutoDefault(false);
    bottom->addWidget(close);
    outer->addLayout(bottom);
    resize(450, 400);

    connect(check_, &QCheckBox::toggled, this, [this](bool on) { form_.commentChecked = on; });
    connect(list_->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        int selected = SelectedRow();
        form_.ColumnClick(column, &selected);
        FillRows(selected);
    });
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item, int) {
        if (form_.RowDoubleClick(list_->indexOfTopLevelItem(item))) accept();
    });
    // The close button leaves the result empty, as Escape does.
    connect(close, &QPushButton::clicked, this, &ExecKeyDialog::reject);
    FillRows(-1);
    list_->setFocus(Qt::OtherFocusReason);
}

bool ExecKeyDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && key->modifiers() == Qt::NoModifier) {
            if (form_.EnterKey(SelectedRow())) accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ExecKeyDialog::reject() {
    form_.EscapeKey();
    QDialog::reject();
}

int ExecKeyDialog::SelectedRow() const { return SelectedIndex(list_); }

void ExecKeyDialog::FillRows(int select) {
    list_->clear();
    QList<QTreeWidgetItem*> items;
    for (const reference::KeyEntry& e : form_.Rows()) items << new QTreeWidgetItem({Sjis(e.key), Sjis(e.description)});
    list_->addTopLevelItems(items);
    Select(list_, select);
}

}  // namespace gui
