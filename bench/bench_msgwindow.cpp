// From a 20 MB compiler output to a painted message window: the lines are
// split and decoded, the window is created and drawn once (offscreen).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QListView>
#include <QPixmap>
#include <cstdlib>
#include <memory>
#include <string>

#include "MsgWindow.h"
#include "compiler/Msg.h"
#include "QtBenchMain.h"
#include "QuietUi.h"

namespace {

std::string FloodOutput() {
    std::string out;
    char line[160];
    for (long n = 1; out.size() < 20000000; ++n) {
        int len = std::snprintf(line, sizeof line,
                                "flood.r(%ld) : warning: flood line %ld of the stand-in compiler's test output\r\n", n, n);
        out.append(line, static_cast<size_t>(len));
    }
    return out;
}

// The output listed in a shown 600 × 400 message window.
struct ShownList {
    bench::QuietUi ui;
    compiler::TMsgForm form{ui, {}};
    std::unique_ptr<gui::MsgWindow> view;
    explicit ShownList(const std::string& output) {
        form.AddLines(compiler::CompilerOutputLines(output));
        view = std::make_unique<gui::MsgWindow>(form);
        view->resize(600, 400);
        view->show();
    }
    ~ShownList() { view->Detach(); }
};

void BM_MessageWindowOf20MB(benchmark::State& state) {
    std::string output = FloodOutput();
    size_t rows = 0;
    for (auto _ : state) {
        ShownList shown(output);
        gui::MsgWindow& window = *shown.view;
        QPixmap shot = window.grab();  // the first paint
        benchmark::DoNotOptimize(shot.width());
        rows = static_cast<size_t>(window.List()->model()->rowCount());
    }
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_MessageWindowOf20MB)->Unit(benchmark::kMillisecond)->Iterations(3);

// One line of `state.range(0)` MB among short ones: listed, painted, then
// the selection walks over it with the Down key, each step repainted.
void BM_MessageWindowWithOneLongLine(benchmark::State& state) {
    std::string output = "first(1) : warning: short\r\nlong(2) : warning: " +
                         std::string(static_cast<size_t>(state.range(0)) << 20, 'x') + "\r\nlast(3) : error: short\r\n";
    for (auto _ : state) {
        ShownList shown(output);
        gui::MsgWindow& window = *shown.view;
        QListView* list = window.List();
        list->setCurrentIndex(list->model()->index(0, 0));
        QPixmap shot = window.grab();
        for (int i = 0; i < 2; ++i) {
            QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
            QApplication::sendEvent(list, &down);
            shot = window.grab();
        }
        benchmark::DoNotOptimize(shot.width());
    }
}
BENCHMARK(BM_MessageWindowWithOneLongLine)->Arg(1)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

VKB_QT_BENCHMARK_MAIN()
