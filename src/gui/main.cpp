// Program entry: the application, the main form and its window.
#include <QApplication>
#include <QFileInfo>
#include <QTimer>

#include "MainWindow.h"
#include "QtUi.h"
#include "app/Main.h"
#include "platform/Path.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(app::kAppTitle));

    // Command-line paths become absolute: captions are full paths.
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(gui::S(QFileInfo(QString::fromLocal8Bit(argv[i])).absoluteFilePath()));

    gui::QtUi ui;
    app::TMainForm form(ui, platform::ProgramFolder(), args);
    gui::MainWindow window(form, ui);
    form.FormCreate();
    window.ApplySettings();
    window.show();
    // Activation may not be reported by every window system at start.
    QTimer::singleShot(0, &window, [&form] { form.FormActivate(); });
    return app.exec();
}
