#include "Fonts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPalette>

#include "QtUi.h"

namespace gui {

QFont EditorFont(const std::string& face, int points) {
    QString family = Q(face);
    const QStringList installed = QFontDatabase::families();
    if (!installed.contains(family)) {
        family.clear();
        for (const char* candidate : {"IPAGothic", "IPAゴシック", "Noto Sans Mono CJK JP", "VL Gothic", "TakaoGothic",
                                      "Noto Sans CJK JP"}) {
            if (installed.contains(QString::fromUtf8(candidate))) {
                family = QString::fromUtf8(candidate);
                break;
            }
        }
    }
    QFont font = family.isEmpty() ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QFont(family);
    font.setPointSize(points > 0 ? points : 10);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

bool JapaneseFontInstalled() { return !QFontDatabase::families(QFontDatabase::Japanese).isEmpty(); }

QColor ToQColor(editor::TColor color) {
    uint32_t v = static_cast<uint32_t>(color);
    if (v & 0x80000000u) {
        const QPalette pal = QApplication::palette();
        switch (v & 0xFF) {
            case 5: return pal.color(QPalette::Base);        // window
            case 8: return pal.color(QPalette::Text);        // window text
            case 15: return pal.color(QPalette::Button);     // button face
            case 18: return pal.color(QPalette::ButtonText);
            default: return pal.color(QPalette::WindowText);
        }
    }
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>((v >> 16) & 0xFF));
}

}  // namespace gui
