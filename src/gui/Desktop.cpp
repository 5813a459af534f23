#include "Desktop.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

// The resource lives in a static library: nothing would link it in unasked.
static void InitProgramResources() { Q_INIT_RESOURCE(program); }

namespace gui {

bool LoadQtTranslations(QCoreApplication& app) {
    // The program's own captions are Japanese whatever the locale, so the
    // toolkit's must be too.
    auto* translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), "qtbase", "_",
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

QIcon ProgramIcon() {
    InitProgramResources();
    return QIcon(QStringLiteral(":/vkbuilder.svg"));
}

}  // namespace gui
