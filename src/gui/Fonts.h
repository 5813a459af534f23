// Font faces: a face that is not installed falls back to an installed
// Japanese monospace face; the setting keeps the name the user chose.
#pragma once

#include <QColor>
#include <QFont>
#include <string>

#include "editor/EditorProperties.h"

namespace gui {

QFont EditorFont(const std::string& face, int points);
// Whether any installed face can show Japanese text.
bool JapaneseFontInstalled();
// What a user without such a face is told at start. It says it in English
// too: without the font, the Japanese half shows as boxes.
inline constexpr const char* kNoJapaneseFont =
    "日本語を表示できるフォントがインストールされていません。fonts-ipafont-gothic をインストールしてください"
    " (apt-get install fonts-ipafont-gothic)。\n\n"
    "No font that can show Japanese is installed: install fonts-ipafont-gothic"
    " (apt-get install fonts-ipafont-gothic).";
// A stored colour value (0x00BBGGRR, or a system colour with the top bit set).
QColor ToQColor(editor::TColor color);

}  // namespace gui
