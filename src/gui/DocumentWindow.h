// The view of a document window (TMDIChild): the editor above a status bar
// of five panels, and the popup menu.
#pragma once

#include <QLabel>
#include <QListView>
#include <QWidget>
#include <array>
#include <memory>

namespace app {
class TIncSearch;
class TMDIChild;
}

namespace gui {

class EditorWidget;
class IncSearchBar;
class CompletionModel;

class DocumentWindow : public QWidget {
    Q_OBJECT
public:
    explicit DocumentWindow(app::TMDIChild& form, QWidget* parent = nullptr);
    ~DocumentWindow() override;

    app::TMDIChild* Form() const { return form_; }
    EditorWidget* Editor() const { return editor_; }
    QString PanelText(int i) const { return panels_[static_cast<size_t>(i)]->text(); }
    // The form goes away before this window does.
    void Detach();
    void Refresh();
    // Opens the incremental search bar (Ctrl+Shift+F) and focuses it.
    void OpenIncSearch();
    IncSearchBar* SearchBar() const { return searchBar_; }
    // Ctrl+Space's list and the hint beside its selected name.
    QListView* CompletionList() const { return completionList_; }
    QLabel* CompletionHint() const { return completionHint_; }

private:
    void ShowPopup(const QPoint& globalPos);
    void UpdateHint();
    void UpdateCompletion();

    app::TMDIChild* form_;
    EditorWidget* editor_;
    std::unique_ptr<app::TIncSearch> search_;
    IncSearchBar* searchBar_ = nullptr;
    std::array<QLabel*, 5> panels_{};
    QLabel* hint_ = nullptr;  // the yellow keyword hint, a tool-tip window
    // Tool-tip windows too: the keys stay with the editor, which types into
    // the word while the list narrows.
    QListView* completionList_ = nullptr;
    CompletionModel* completionModel_ = nullptr;
    QLabel* completionHint_ = nullptr;
};

}  // namespace gui
