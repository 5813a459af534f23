#include "DocumentWindow.h"

#include <algorithm>

#include <QAbstractListModel>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QStyle>
#include <QShortcut>
#include <QStatusBar>
#include <QVBoxLayout>

#include "EditorWidget.h"
#include "IncSearchBar.h"
#include "QtUi.h"
#include "app/Childwin.h"
#include "app/IncSearch.h"
#include "platform/ShiftJis.h"

namespace gui {

class CompletionModel : public QAbstractListModel {
public:
    CompletionModel(app::TCompletion* completion, QObject* parent) : QAbstractListModel(parent), completion_(completion) {}
    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() || !completion_ ? 0 : static_cast<int>(completion_->Items().size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!completion_ || role != Qt::DisplayRole || index.row() < 0 || index.row() >= rowCount({})) return {};
        return Q(platform::SjisToUtf8(completion_->Items()[static_cast<size_t>(index.row())].word));
    }
    void Reset(app::TCompletion* completion) {
        beginResetModel();
        completion_ = completion;
        endResetModel();
    }

private:
    app::TCompletion* completion_;
};

DocumentWindow::DocumentWindow(app::TMDIChild& form, QWidget* parent) : QWidget(parent), form_(&form) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    editor_ = new EditorWidget(&form.Editor1(), this);
    layout->addWidget(editor_, 1);
    search_ = std::make_unique<app::TIncSearch>(form.Editor1());
    searchBar_ = new IncSearchBar(*search_, this);
    layout->addWidget(searchBar_);
    search_->OnChanged = [this] {
        searchBar_->Refresh();
        editor_->Refresh();
    };
    searchBar_->onClosed = [this] { editor_->setFocus(Qt::OtherFocusReason); };
    auto* open = new QShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+F")), this);
    open->setContext(Qt::WidgetWithChildrenShortcut);
    connect(open, &QShortcut::activated, this, [this] { OpenIncSearch(); });
    auto* status = new QStatusBar(this);
    status->setSizeGripEnabled(false);
    const int widths[5] = {64, 64, 50, 64, 50};
    for (int i = 0; i < 5; ++i) {
        auto* label = new QLabel(this);
        label->setMinimumWidth(widths[i]);
        if (i > 0) label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panels_[static_cast<size_t>(i)] = label;
        status->addWidget(label, i == 4 ? 1 : 0);
    }
    layout->addWidget(status);
    setFocusProxy(editor_);

    editor_->onWheel = [this](int delta) {
        if (form_) form_->MouseWheel(delta);
    };
    editor_->onZoom = [this](int steps) {
        if (form_) form_->Zoom(steps);
    };
    editor_->onFocus = [this](bool focused) {
        if (form_) form_->SetEditorFocused(focused);
    };
    editor_->onContextMenu = [this](const QPoint& pos) { ShowPopup(pos); };
    editor_->onKeyDown = [this](int key, const editor::TKeyState& keys) {
        return form_ ? form_->Editor1KeyDown(key, keys) : false;
    };
    editor_->takesKey = [](int key, const editor::TKeyState& keys) { return app::TMDIChild::TakesKey(key, keys); };
    editor_->onDoubleClick = [this] {
        if (form_) form_->Editor1DblClick();
    };
    editor_->onRefused = [this](const QString& text) {
        if (form_) form_->TypingRefused(S(text));
    };
    editor_->onBarToolTip = [this](int row) { return form_ ? Q(form_->BuildMessagesAt(row)) : QString(); };
    editor_->onMouseDown = [this](editor::TMouseButton button, int x, int y, const editor::TKeyState& keys) {
        return form_ ? form_->Editor1MouseDown(button, x, y, keys) : false;
    };
    editor_->onMouseUp = [this] {
        if (form_) form_->Editor1MouseUp();
    };
    hint_ = new QLabel(this, Qt::ToolTip);
    hint_->setTextFormat(Qt::PlainText);
    hint_->setWordWrap(true);
    hint_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    hint_->setStyleSheet("QLabel { background: #FFFF00; color: black; border: 1px solid black; padding: 1px 3px; }");
    form.OnHintChanged = [this] { UpdateHint(); };
    completionList_ = new QListView(this);
    completionList_->setWindowFlags(Qt::ToolTip);
    completionList_->setFocusPolicy(Qt::NoFocus);
    completionList_->setUniformItemSizes(true);
    completionList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    completionList_->setSelectionMode(QAbstractItemView::SingleSelection);
    completionModel_ = new CompletionModel(&form.Completion(), this);
    completionList_->setModel(completionModel_);
    completionHint_ = new QLabel(this, Qt::ToolTip);
    completionHint_->setTextFormat(Qt::PlainText);
    completionHint_->setWordWrap(true);
    completionHint_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    completionHint_->setStyleSheet(
        "QLabel { background: #FFFFE0; color: black; border: 1px solid gray; padding: 2px 4px; }");
    connect(completionList_, &QListView::clicked, this, [this](const QModelIndex& index) {
        if (!form_) return;
        form_->Completion().Move(index.row() - form_->Completion().Selected());
    });
    connect(completionList_, &QListView::doubleClicked, this, [this] {
        if (form_) form_->Completion().Insert();
    });
    form.Completion().OnChanged = [this] { UpdateCompletion(); };
    form.OnChanged = [this] { Refresh(); };
    form.OnPaintStatusNow = [this] { panels_[4]->repaint(); };
    Refresh();
}

DocumentWindow::~DocumentWindow() = default;

void DocumentWindow::OpenIncSearch() {
    if (!search_) return;
    search_->Open();
    searchBar_->FocusPattern();
}

void DocumentWindow::Detach() {
    if (form_) form_->OnChanged = form_->OnPaintStatusNow = form_->OnHintChanged = nullptr;
    if (form_) form_->Completion().OnChanged = nullptr;
    completionModel_->Reset(nullptr);
    completionList_->hide();
    completionHint_->hide();
    hint_->hide();
    // The bar works on the form's editor, which goes with the form.
    if (search_) {
        search_->OnChanged = nullptr;
        searchBar_->hide();
        delete searchBar_;
        searchBar_ = nullptr;
        search_.reset();
    }
    form_ = nullptr;
    editor_->Detach();
}

void DocumentWindow::Refresh() {
    if (!form_) return;
    setWindowTitle(Q(form_->Caption()));
    for (int i = 0; i < 5; ++i) panels_[static_cast<size_t>(i)]->setText(Q(form_->Panel(i)));
    editor_->Refresh();
}

void DocumentWindow::UpdateCompletion() {
    if (!form_ || !form_->Completion().Visible()) {
        completionList_->hide();
        completionHint_->hide();
        completionModel_->Reset(form_ ? &form_->Completion() : nullptr);
        return;
    }
    app::TCompletion& c = form_->Completion();
    completionModel_->Reset(&c);
    const QModelIndex current = completionModel_->index(c.Selected(), 0);
    completionList_->setCurrentIndex(current);
    completionList_->scrollTo(current);
    // Under the word being completed, kept on the screen.
    const QFontMetrics fm(completionList_->font());
    const int rows = std::min<int>(static_cast<int>(c.Items().size()), 12);
    int width = 160;
    for (int i = 0; i < std::min<int>(static_cast<int>(c.Items().size()), 200); ++i)
        width = std::max(width, fm.horizontalAdvance(completionModel_->data(completionModel_->index(i, 0), Qt::DisplayRole).toString()) + 32);
    width = std::min(width, 480);
    const int height = rows * (fm.height() + 2) + 6;
    QRect caret = static_cast<QWidget*>(editor_)->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    // Under the start of the word, so the names line up with what is typed.
    int wordX = 0, wordY = 0;
    if (form_->Editor1().PosFromChar(c.WordStart(), &wordX, &wordY) && wordX <= caret.left()) caret.moveLeft(wordX);
    QPoint at = editor_->viewport()->mapToGlobal(caret.bottomLeft() + QPoint(0, 2));
    if (QScreen* screen = QGuiApplication::screenAt(at)) {
        const QRect area = screen->availableGeometry();
        if (at.y() + height > area.bottom()) at.setY(editor_->viewport()->mapToGlobal(caret.topLeft()).y() - height - 2);
        at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - width)));
    }
    completionList_->setGeometry(at.x(), at.y(), width, height);
    completionList_->show();
    completionList_->raise();
    const std::string& hint = c.Items()[static_cast<size_t>(c.Selected())].hint;
    if (hint.empty()) {
        completionHint_->hide();
    } else {
        QString text = Q(hint);
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        completionHint_->setText(text);
        completionHint_->setMaximumWidth(420);
        completionHint_->adjustSize();
        // Level with the chosen name.
        const int row = completionList_->visualRect(current).top();
        completionHint_->move(at.x() + width + 2, at.y() + std::max(0, row));
        completionHint_->show();
        completionHint_->raise();
    }
}

void DocumentWindow::UpdateHint() {
    if (!form_ || !form_->Hint().visible) {
        hint_->hide();
        return;
    }
    const app::TMDIChild::THint& h = form_->Hint();
    QString text = Q(h.text);
    text.replace("\r\n", "\n");
    hint_->setFont(editor_->TextFont());
    // The text measured wrapped to the screen's width, then 6 wider and
    // 2 taller (plus the frame).
    QScreen* screen = editor_->screen();
    QRect avail = screen->availableGeometry();
    QRect r = QFontMetrics(hint_->font()).boundingRect(QRect(0, 0, avail.width(), 0),
                                                        Qt::TextWordWrap | Qt::TextExpandTabs, text);
    QSize size(r.width() + 6 + 8, r.height() + 2 + 4);
    QPoint at;
    if (h.atMouse) {
        int caption = style()->pixelMetric(QStyle::PM_TitleBarHeight);
        at = editor_->viewport()->mapToGlobal(QPoint(h.x, h.y)) + QPoint(16, caption - 6);
    } else {
        // Just below the caret, so the hinted word stays readable.
        const editor::TEditor& ed = form_->Editor1();
        const editor::TPaintMetrics& m = ed.Metrics();
        QPoint caret(m.leftMargin + (ed.Col() - ed.LeftColumn()) * m.cellWidth, ed.RowTop(ed.Row()) + m.rowHeight);
        at = editor_->viewport()->mapToGlobal(caret) + QPoint(16, 6);
    }
    // Kept wholly on the screen.
    size = size.boundedTo(avail.size());
    at.setX(std::clamp(at.x(), avail.left(), avail.right() + 1 - size.width()));
    at.setY(std::clamp(at.y(), avail.top(), avail.bottom() + 1 - size.height()));
    hint_->setText(text);
    hint_->setGeometry(QRect(at, size));
    hint_->show();
    hint_->raise();
}

void DocumentWindow::ShowPopup(const QPoint& globalPos) {
    if (!form_) return;
    form_->SetPanel(4, "");
    QMenu menu(this);
    QMenu* saveMenu = nullptr;
    for (const app::PopupItemInfo& info : app::PopupItems()) {
        QMenu* target = &menu;
        if (info.inSaveSubmenu) {
            if (!saveMenu) {
                menu.addSeparator();
                saveMenu = menu.addMenu(Q(std::string(app::kSaveSubmenuCaption)));
            }
            target = saveMenu;
        } else if (info.separatorBefore) {
            menu.addSeparator();
        }
        QAction* a = target->addAction(Q(std::string(info.caption)));
        if (!info.shortcut.empty()) a->setShortcut(QKeySequence(Q(std::string(info.shortcut))));
        a->setShortcutVisibleInContextMenu(true);
        a->setEnabled(form_->PopupEnabled(info.item));
        bool checkable = info.item == app::PopupItem::BoxSelection || info.item == app::PopupItem::LineNumbers ||
                         info.item == app::PopupItem::Ruler;
        a->setCheckable(checkable);
        if (checkable) a->setChecked(form_->PopupChecked(info.item));
        app::PopupItem item = info.item;
        connect(a, &QAction::triggered, this, [this, item] {
            if (form_) form_->PopupClick(item);
        });
    }
    menu.exec(globalPos);
}

}  // namespace gui
