#include "ProjectWindow.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "FileDropArea.h"
#include "Fonts.h"
#include "QtUi.h"
#include "SingleLine.h"
#include "app/Actions.h"
#include "app/Settings.h"

namespace gui {

using project::ProjectCategory;
using project::ProjectNode;

namespace {

// The image list: one picture per category.
QIcon CategoryIcon(int category) {
    static constexpr QStyle::StandardPixmap kPixmaps[project::kCategoryCount] = {
        QStyle::SP_FileIcon,           QStyle::SP_DriveHDIcon,         QStyle::SP_FileDialogDetailedView,
        QStyle::SP_FileDialogInfoView, QStyle::SP_FileDialogContentsView, QStyle::SP_ComputerIcon};
    return QApplication::style()->standardIcon(kPixmaps[category]);
}

QIcon MenuIcon(const std::string& name) {
    QStyle* s = QApplication::style();
    if (name == "VeskC1") return CategoryIcon(0);
    if (name == "Object1") return CategoryIcon(1);
    if (name == "Install") return CategoryIcon(2);
    if (name == "N2") return CategoryIcon(3);
    if (name == "N3") return CategoryIcon(4);
    if (name == "Delete1") return s->standardIcon(QStyle::SP_TrashIcon);
    if (name == "Property2") return s->standardIcon(QStyle::SP_MessageBoxInformation);
    return {};
}

}  // namespace

RefDocDialog::RefDocDialog(project::TRefDocForm& form, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), form_(form) {
    setWindowTitle(Q(form.caption));
    auto* layout = new QVBoxLayout(this);
    auto* prompt = new QLabel(Q(form.prompt), this);
    edit_ = new QLineEdit(Q(form.text), this);
    prompt->setBuddy(edit_);
    edit_->setMinimumWidth(360);
    auto* row = new QHBoxLayout;
    row->addWidget(edit_, 1);
    auto* browse = new QPushButton(QString::fromUtf8("ﾌｧｲﾙ参照"), this);
    browse->setAutoDefault(false);
    row->addWidget(browse);
    layout->addWidget(prompt);
    layout->addLayout(row);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        form_.text = S(edit_->text());
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(browse, &QPushButton::clicked, this, [this] {
        form_.text = S(edit_->text());
        form_.Button1Click();
        edit_->setText(Q(form_.text));
        edit_->setFocus();
    });
    edit_->setFocus();
    SingleLineFields(this);
}

ProjectWindow::ProjectWindow(project::TProjectViewForm& form, const app::TSettings& settings, QWidget* parent)
    : QWidget(parent), form_(&form) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    tree_ = new QTreeWidget(this);
    tree_->setHeaderHidden(true);
    tree_->setColumnCount(1);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setContextMenuPolicy(Qt::DefaultContextMenu);
    ApplyLook(settings);
    const std::string_view hint = project::kProjectTreeHint;
    tree_->setToolTip(Q(std::string(app::ShortHint(hint))));
    tree_->setStatusTip(Q(std::string(app::LongHint(hint))));
    for (int c = 0; c < project::kCategoryCount; ++c) {
        auto* root = new QTreeWidgetItem(tree_, QStringList(Q(project::CategoryLabel(static_cast<ProjectCategory>(c)))));
        root->setIcon(0, CategoryIcon(c));
    }
    layout->addWidget(tree_);
    setFocusProxy(tree_);
    tree_->installEventFilter(this);
    tree_->viewport()->installEventFilter(this);

    drop_ = new FileDropArea(tree_->viewport());
    form.NodeAt = [this](int x, int y) { return NodeOf(tree_->itemAt(x, y)); };
    form.HookFileDrop(drop_);
    form.RunEntryDialog = [this](project::TRefDocForm& entry) {
        RefDocDialog dialog(entry, window());
        return dialog.exec() == QDialog::Accepted;
    };

    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (form_ && !rebuilding_) form_->Select(NodeOf(current));
    });
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (!form_) return;
        if (std::optional<ProjectNode> node = NodeOf(item)) {
            form_->Select(node);
            form_->DblClick(*node);
        }
    });
    form.OnChanged = [this] { Rebuild(); };
    Rebuild();
    tree_->setCurrentItem(tree_->topLevelItem(0));
}

void ProjectWindow::Detach() {
    if (form_) {
        form_->OnChanged = nullptr;
        form_->NodeAt = nullptr;
        form_->RunEntryDialog = nullptr;
        form_->HookFileDrop(nullptr);
    }
    form_ = nullptr;
}

std::optional<ProjectNode> ProjectWindow::NodeOf(QTreeWidgetItem* item) const {
    if (!item) return std::nullopt;
    if (QTreeWidgetItem* parent = item->parent())
        return ProjectNode{static_cast<ProjectCategory>(tree_->indexOfTopLevelItem(parent)), parent->indexOfChild(item)};
    return ProjectNode{static_cast<ProjectCategory>(tree_->indexOfTopLevelItem(item)), -1};
}

QTreeWidgetItem* ProjectWindow::ItemOf(const ProjectNode& node) const {
    QTreeWidgetItem* root = tree_->topLevelItem(static_cast<int>(node.category));
    if (!root || node.IsRoot()) return root;
    return root->child(node.child);
}

void ProjectWindow::Rebuild() {
    if (!form_) return;
    rebuilding_ = true;
    if (QWidget* frame = parentWidget()) frame->setWindowTitle(Q(form_->Caption()));
    for (int c = 0; c < project::kCategoryCount; ++c) {
        QTreeWidgetItem* root = tree_->topLevelItem(c);
        const auto category = static_cast<ProjectCategory>(c);
        const int count = form_->ChildCount(category);
        // Reuse items so that the tree keeps its scroll position.
        while (root->childCount() > count) delete root->takeChild(root->childCount() - 1);
        for (int i = 0; i < count; ++i) {
            QTreeWidgetItem* item = i < root->childCount() ? root->child(i) : new QTreeWidgetItem(root);
            item->setText(0, Q(form_->Text(ProjectNode{category, i})));
            item->setIcon(0, CategoryIcon(c));
        }
    }
    if (std::optional<ProjectNode> sel = form_->Selected()) tree_->setCurrentItem(ItemOf(*sel));
    rebuilding_ = false;
    form_->Select(NodeOf(tree_->currentItem()));
}

void ProjectWindow::ShowPopup(const QPoint& globalPos) {
    if (!form_) return;
    QMenu menu(tree_);
    QMenu* add = nullptr;
    for (const project::ProjectMenuItem& item : project::ProjectMenuItems()) {
        QMenu* into = item.level == 1 && add ? add : &menu;
        const std::string name = item.name;
        if (name.empty()) {
            into->addSeparator();
            continue;
        }
        if (name == "N1") {
            add = menu.addMenu(Q(item.caption));
            add->setStatusTip(Q(item.hint));
            add->menuAction()->setStatusTip(Q(item.hint));
            continue;
        }
        QAction* a = into->addAction(MenuIcon(name), Q(item.caption));
        a->setStatusTip(Q(item.hint));
        project::TProjectViewForm* f = form_;
        if (name == "VeskC1") connect(a, &QAction::triggered, [f] { f->AddSource(); });
        if (name == "Object1") connect(a, &QAction::triggered, [f] { f->AddObject(); });
        if (name == "Install") connect(a, &QAction::triggered, [f] { f->ChooseInstallInfo(); });
        if (name == "N2") connect(a, &QAction::triggered, [f] { f->AddDocument(); });
        if (name == "N3") connect(a, &QAction::triggered, [f] { f->AddReference(); });
        if (name == "Delete1") {
            a->setEnabled(form_->DeleteEnabled());
            connect(a, &QAction::triggered, [f] { f->Delete1Click(); });
        }
        if (name == "Property2") connect(a, &QAction::triggered, [f] { f->Property2Click(); });
        if (name == "N4") connect(a, &QAction::triggered, [f] { f->N4Click(); });
    }
    menu.exec(globalPos);
}

void ProjectWindow::ApplyLook(const app::TSettings& settings) {
    tree_->setFont(EditorFont(settings.projectFontName, settings.projectFontSize));
    QPalette pal = tree_->palette();
    pal.setColor(QPalette::Text, ToQColor(settings.projectFontColor));
    pal.setColor(QPalette::Base, ToQColor(settings.projectFontBkColor));
    tree_->setPalette(pal);
}

bool ProjectWindow::eventFilter(QObject* watched, QEvent* event) {
    if (!form_) return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::ContextMenu && (watched == tree_ || watched == tree_->viewport())) {
        auto* e = static_cast<QContextMenuEvent*>(event);
        QPoint at = e->globalPos();
        // From the keyboard the menu opens beside the selected node.
        if (e->reason() == QContextMenuEvent::Keyboard) {
            if (QTreeWidgetItem* current = tree_->currentItem())
                at = tree_->viewport()->mapToGlobal(tree_->visualItemRect(current).bottomLeft());
        }
        ShowPopup(at);
        return true;
    }
    if (watched == tree_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        using K = project::TProjectViewForm::Key;
        std::optional<K> k;
        if (key->key() == Qt::Key_Insert) k = K::Insert;
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) k = K::Enter;
        if (key->key() == Qt::Key_Delete) k = K::Delete;
        if (!k) return QWidget::eventFilter(watched, event);
        form_->Select(NodeOf(tree_->currentItem()));
        using R = project::TProjectViewForm::KeyResult;
        R r = form_->KeyDown(*k, key->modifiers() & Qt::ShiftModifier);
        QTreeWidgetItem* current = tree_->currentItem();
        if (r == R::ExpandAll && current) tree_->expandRecursively(tree_->indexFromItem(current));
        if (r == R::CollapseAll && current) {
            std::vector<QTreeWidgetItem*> stack{current};
            while (!stack.empty()) {
                QTreeWidgetItem* it = stack.back();
                stack.pop_back();
                it->setExpanded(false);
                for (int i = 0; i < it->childCount(); ++i) stack.push_back(it->child(i));
            }
        }
        return r != R::NotHandled;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace gui
