// main() of the benchmarks that need a QApplication: offscreen unless the
// environment says otherwise.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>

#define VKB_QT_BENCHMARK_MAIN()                                                          \
    int main(int argc, char** argv) {                                                    \
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1); \
        QApplication app(argc, argv);                                                    \
        benchmark::Initialize(&argc, argv);                                              \
        benchmark::RunSpecifiedBenchmarks();                                             \
        return 0;                                                                        \
    }
