// Single-line fields hold one line: a line break pasted or set into one
// becomes a blank, as in a single-line edit control, so that no value the
// program writes to a file can start a line of its own there.
#pragma once

class QLineEdit;
class QWidget;

namespace gui {

void SingleLine(QLineEdit* edit);
// Every line edit inside `root` that has no validator of its own (those
// refuse line breaks already).
void SingleLineFields(QWidget* root);

}  // namespace gui
