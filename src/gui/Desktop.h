// What makes the program fit the desktop it runs on: the toolkit's own
// texts in Japanese and the program's icon.
#pragma once

#include <QIcon>

class QCoreApplication;

namespace gui {

// Installs Qt's Japanese translations from the system's Qt translations
// folder, so that standard dialogs and buttons speak the program's language;
// false when they are not installed (Qt's English stays).
bool LoadQtTranslations(QCoreApplication& app);

// The program's own icon (built in), for every window.
QIcon ProgramIcon();

}  // namespace gui
