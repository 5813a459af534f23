#include "Application.h"

#include <QMessageBox>
#include <cstdio>
#include <exception>
#include <new>

#include "QtUi.h"
#include "app/MainForm.h"

namespace gui {

std::string InternalErrorText(const std::string& what) { return "内部エラーが発生しました: " + what; }

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc&) {
        Report("メモリが足りません");
    } catch (const std::exception& e) {
        Report(e.what());
    } catch (...) {
        Report("不明な例外");
    }
    return false;
}

void Application::Report(const std::string& what) {
    ++errors_;
    const std::string text = InternalErrorText(what);
    std::fprintf(stderr, "vkbuilder: %s\n", text.c_str());
    // A fault while the report is up (its own event loop runs) goes to
    // stderr only, so reports never pile up.
    if (reporting_) return;
    reporting_ = true;
    if (onInternalError) {
        onInternalError(text);
    } else {
        QMessageBox::critical(activeWindow(), Q(app::kAppTitle), Q(text));
    }
    reporting_ = false;
}

}  // namespace gui
