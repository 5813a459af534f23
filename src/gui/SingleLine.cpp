#include "SingleLine.h"

#include <QLineEdit>
#include <QValidator>

namespace gui {

namespace {

// The line edit hands every change to its validator, which may rewrite it.
class SingleLineValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override {
        if (!input.contains(QLatin1Char('\r')) && !input.contains(QLatin1Char('\n'))) return Acceptable;
        QString out;
        out.reserve(input.size());
        int newPos = pos;
        for (int i = 0; i < input.size(); ++i) {
            QChar c = input[i];
            if (c == QLatin1Char('\r') && i + 1 < input.size() && input[i + 1] == QLatin1Char('\n')) {
                if (i + 1 < pos) --newPos;  // CR LF is one break, one blank
                ++i;
            }
            out += c == QLatin1Char('\r') || c == QLatin1Char('\n') ? QChar(' ') : c;
        }
        input = out;
        pos = newPos;
        return Acceptable;
    }
};

}  // namespace

void SingleLine(QLineEdit* edit) {
    if (!edit->validator()) edit->setValidator(new SingleLineValidator(edit));
}

void SingleLineFields(QWidget* root) {
    for (QLineEdit* edit : root->findChildren<QLineEdit*>()) SingleLine(edit);
}

}  // namespace gui
