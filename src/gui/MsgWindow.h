// The message window's view: the compiler's lines in a list backed by a
// model over the form's items, so that megabytes of output list at once.
#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <QWidget>

namespace compiler {
class TMsgForm;
}

namespace gui {

class MsgListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit MsgListModel(compiler::TMsgForm& form, QObject* parent = nullptr) : QAbstractListModel(parent), form_(&form) {}
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    void Detach();
    void Reset();

private:
    compiler::TMsgForm* form_;
};

class MsgWindow : public QWidget {
    Q_OBJECT
public:
    explicit MsgWindow(compiler::TMsgForm& form, QWidget* parent = nullptr);
    QListView* List() const { return list_; }
    void Detach();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    compiler::TMsgForm* form_;
    MsgListModel* model_;
    QListView* list_;
};

}  // namespace gui
