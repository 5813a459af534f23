// The view of a document window's incremental search bar (app::TIncSearch):
// the pattern field, the option boxes and the state. Enter steps to the
// next hit, Shift+Enter to the previous one, Esc closes the bar.
#pragma once

#include <QWidget>
#include <array>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace app {
class TIncSearch;
}

namespace gui {

class IncSearchBar : public QWidget {
    Q_OBJECT
public:
    IncSearchBar(app::TIncSearch& form, QWidget* parent = nullptr);
    // Shows the form's state.
    void Refresh();
    // Puts the focus into the pattern field, its text selected.
    void FocusPattern();
    // The bar was closed from the keyboard: the focus goes back.
    std::function<void()> onClosed;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    app::TIncSearch& form_;
    QLineEdit* pattern_;
    std::array<QCheckBox*, 5> boxes_{};
    QLabel* status_;
};

}  // namespace gui
