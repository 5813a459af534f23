// Font faces: a face that is not installed falls back to an installed
// Japanese monospace face; the setting keeps the name the user chose.
#pragma once

#include <QColor>
#include <QFont>
#include <string>

#include "editor/EditorProperties.h"

namespace gui {

QFont EditorFont(const std::string& face, int points);
// A stored colour value (0x00BBGGRR, or a system colour with the top bit set).
QColor ToQColor(editor::TColor color);

}  // namespace gui
