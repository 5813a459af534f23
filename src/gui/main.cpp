// Program entry: the application, the main form and its window.
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>

#include "Application.h"
#include "Desktop.h"
#include "Fonts.h"
#include "MainWindow.h"
#include "QtUi.h"
#include "app/MainForm.h"
#include "app/Recovery.h"
#include "app/Session.h"
#include "app/SingleInstance.h"
#include "platform/Path.h"

int main(int argc, char** argv) {
    gui::Application app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(app::kAppTitle));
    QApplication::setDesktopFileName(QStringLiteral("vkbuilder"));
    QApplication::setWindowIcon(gui::ProgramIcon());
    gui::LoadQtTranslations(app);
    gui::QtUi ui;
    app.onInternalError = [&ui](const std::string& text) {
        ui.MessageBox(text, app::kAppTitle, platform::MsgKind::Error, platform::MsgButtons::Ok);
    };

    // The main window's single-instance component acts once the form has
    // loaded, before anything is read or opened: a later copy ends here.
    // Command-line paths become absolute: captions are full paths, and a
    // copy already running gets them as this one sees them.
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(platform::AbsolutePath(argv[i]));

    app::TSingleInstance instance;
    app::ConfigureForMainForm(instance);
    instance.Files = args;
    try {
        if (!instance.Loaded()) return 0;
    } catch (const app::ESingleInstance& e) {
        ui.MessageBox(e.what(), app::kAppTitle, platform::MsgKind::Error, platform::MsgButtons::Ok);
        return 1;
    }
    if (!instance.LockError().empty())
        std::fprintf(stderr, "vkbuilder: running without the single-instance lock: %s\n",
                     instance.LockError().c_str());

    app::TMainForm form(ui, platform::ProgramFolder(), args);
    form.SetRecoveryFolder(app::RecoveryFolder());
    form.SetSessionFile(app::SessionFile());
    gui::MainWindow window(form, ui);
    instance.OnActivate = [&window] { window.BringToFront(); };
    instance.OnOpenFiles = [&window](const std::vector<std::string>& files) { window.OpenForwarded(files); };
    QSocketNotifier requests(instance.RequestFd(), QSocketNotifier::Read);
    requests.setEnabled(instance.RequestFd() >= 0);
    QObject::connect(&requests, &QSocketNotifier::activated, [&instance] { instance.ServeRequests(); });
    form.FormCreate();
    window.ApplySettings();
    window.show();
    // Activation may not be reported by every window system at start.
    QTimer::singleShot(0, &window, [&form] { form.FormActivate(); });
    if (!gui::JapaneseFontInstalled()) {
        std::fprintf(stderr, "vkbuilder: %s\n", gui::kNoJapaneseFont);
        QTimer::singleShot(0, &window, [&ui] {
            ui.MessageBox(gui::kNoJapaneseFont, app::kAppTitle, platform::MsgKind::Warning, platform::MsgButtons::Ok);
        });
    }
    return app.exec();
}
