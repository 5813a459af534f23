#include "IncSearchBar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "FlowLayout.h"
#include "QtUi.h"
#include "app/IncSearch.h"

namespace gui {

IncSearchBar::IncSearchBar(app::TIncSearch& form, QWidget* parent) : QWidget(parent), form_(form) {
    // The field and the state above, the option boxes below.
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(4, 2, 4, 2);
    rows->setSpacing(2);
    auto* top = new QHBoxLayout;
    auto* label = new QLabel(Q(app::TIncSearch::kLabel), this);
    pattern_ = new QLineEdit(this);
    pattern_->setMinimumWidth(200);
    label->setBuddy(pattern_);
    status_ = new QLabel(this);
    top->addWidget(label);
    top->addWidget(pattern_, 1);
    top->addWidget(status_, 1);
    rows->addLayout(top);
    // The boxes go onto more rows in a narrow window instead of being cut.
    auto* bottom = new FlowLayout(12);
    for (size_t i = 0; i < boxes_.size(); ++i) {
        const auto& box = app::TIncSearch::kBoxes[i];
        boxes_[i] = new QCheckBox(Q(box.caption), this);
        bottom->addWidget(boxes_[i]);
        const editor::TSearchOptions bit = box.bit;
        connect(boxes_[i], &QCheckBox::toggled, this, [this, bit](bool on) { form_.SetOption(bit, on); });
    }
    rows->addLayout(bottom);
    connect(pattern_, &QLineEdit::textEdited, this, [this](const QString& text) { form_.SetPattern(S(text)); });
    pattern_->installEventFilter(this);
    Refresh();
}

void IncSearchBar::Refresh() {
    if (S(pattern_->text()) != form_.Pattern()) pattern_->setText(Q(form_.Pattern()));
    for (size_t i = 0; i < boxes_.size(); ++i) {
        const bool on = form_.Option(app::TIncSearch::kBoxes[i].bit);
        if (boxes_[i]->isChecked() != on) {
            QSignalBlocker block(boxes_[i]);
            boxes_[i]->setChecked(on);
        }
    }
    const bool bad = form_.State() == app::TIncSearch::TState::NotFound ||
                     form_.State() == app::TIncSearch::TState::Unencodable;
    status_->setText(Q(form_.Message()));
    // The warning colours come from the palette so that typed text stays
    // readable in dark and light themes alike.
    QPalette field = palette();
    QPalette label = palette();
    if (bad) {
        const QColor base = field.color(QPalette::Base);
        const QColor alert = base.lightness() > 128 ? QColor(200, 0, 0) : QColor(255, 110, 110);
        auto mix = [](const QColor& a, const QColor& b, double t) {
            return QColor::fromRgbF(static_cast<float>(a.redF() * (1 - t) + b.redF() * t),
                                    static_cast<float>(a.greenF() * (1 - t) + b.greenF() * t),
                                    static_cast<float>(a.blueF() * (1 - t) + b.blueF() * t));
        };
        field.setColor(QPalette::Base, mix(base, alert, 0.18));
        label.setColor(QPalette::WindowText, alert);
    }
    pattern_->setPalette(field);
    status_->setPalette(label);
    setVisible(form_.Visible());
}

void IncSearchBar::FocusPattern() {
    pattern_->setFocus(Qt::ShortcutFocusReason);
    pattern_->selectAll();
}

bool IncSearchBar::eventFilter(QObject* watched, QEvent* event) {
    // Enter in the field steps instead of being taken by the field.
    if (watched == pattern_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            keyPressEvent(key);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void IncSearchBar::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (event->modifiers() & Qt::ShiftModifier) form_.Previous();
            else form_.Next();
            return;
        case Qt::Key_Escape:
            form_.Close();
            if (onClosed) onClosed();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

}  // namespace gui
