#include "MsgWindow.h"

#include <QKeyEvent>
#include <QVBoxLayout>

#include "Fonts.h"
#include "QtUi.h"
#include "compiler/Msg.h"

namespace gui {

int MsgListModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !form_) return 0;
    return static_cast<int>(form_->Items().size());
}

QVariant MsgListModel::data(const QModelIndex& index, int role) const {
    if (!form_ || role != Qt::DisplayRole || index.row() < 0 ||
        index.row() >= static_cast<int>(form_->Items().size()))
        return {};
    // A megabyte line laid out on every repaint would freeze the list.
    return Q(compiler::ListedText(form_->Items()[static_cast<size_t>(index.row())]));
}

void MsgListModel::Detach() {
    beginResetModel();
    form_ = nullptr;
    endResetModel();
}

void MsgListModel::Reset() {
    beginResetModel();
    endResetModel();
}

MsgWindow::MsgWindow(compiler::TMsgForm& form, QWidget* parent) : QWidget(parent), form_(&form) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    list_ = new QListView(this);
    model_ = new MsgListModel(form, this);
    list_->setModel(model_);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setUniformItemSizes(true);  // constant-time layout for huge outputs
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QFont font = EditorFont("ＭＳ ゴシック", 10);
    font.setPixelSize(13);
    list_->setFont(font);
    list_->setToolTip(QString::fromUtf8(compiler::TMsgForm::kHint));
    list_->setStatusTip(QString::fromUtf8(compiler::TMsgForm::kHint));
    list_->installEventFilter(this);
    layout->addWidget(list_);
    setFocusProxy(list_);
    setWindowTitle(Q(form.Caption()));

    // The selected line, not the current one: the list makes its first
    // line current when it gets the focus, with nothing selected.
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!form_) return;
        const QModelIndexList rows = list_->selectionModel()->selectedIndexes();
        form_->SetSelected(rows.isEmpty() ? -1 : rows.front().row());
    });
    connect(list_, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
        if (!form_) return;
        form_->SetSelected(index.row());
        form_->ListBox1DblClick();
    });
    form.OnChanged = [this] {
        // Lines arrive while a find in files runs: the user's place stays.
        const int selected = form_ ? form_->Selected() : -1;
        const int top = list_->indexAt(QPoint(0, 0)).row();
        model_->Reset();
        if (selected >= 0) {
            list_->setCurrentIndex(model_->index(selected, 0));
            if (top >= 0) list_->scrollTo(model_->index(top, 0), QAbstractItemView::PositionAtTop);
        }
    };
    form.OnSelected = [this](int row) {
        QModelIndex index = model_->index(row, 0);
        list_->setCurrentIndex(index);
        list_->scrollTo(index);
    };
}

void MsgWindow::Detach() {
    if (form_) form_->OnChanged = nullptr;
    if (form_) form_->OnSelected = nullptr;
    form_ = nullptr;
    model_->Detach();
}

bool MsgWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress && form_) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            form_->ListBox1KeyDown(13);
            return true;
        }
        QString text = key->text();
        if (text == "c" || text == "C") {
            form_->ListBox1KeyPress(text[0].toLatin1());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace gui
