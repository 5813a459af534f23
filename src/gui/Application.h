// The program's application object: an exception that escapes an event
// handler, a command or a timer is reported and the program goes on, so one
// fault never takes every unsaved window with it.
#pragma once

#include <QApplication>
#include <functional>
#include <string>

namespace gui {

class Application : public QApplication {
public:
    Application(int& argc, char** argv) : QApplication(argc, argv) {}

    bool notify(QObject* receiver, QEvent* event) override;

    // Tells the user; by default a message box (stderr while one is shown).
    std::function<void(const std::string& message)> onInternalError;
    int InternalErrors() const { return errors_; }

private:
    void Report(const std::string& what);
    int errors_ = 0;
    bool reporting_ = false;
};

// "内部エラーが発生しました: " and what failed.
std::string InternalErrorText(const std::string& what);

}  // namespace gui
