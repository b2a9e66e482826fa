#pragma once

// What the studio benchmarks share: the window's accent, presenting a widget, memory figures of this
// process, waiting in the event loop, and their main().
#include "QuorKit/Design/QuorKeyboardAccess.h"
#include "QuorKit/Design/QuorProductPalette.h"

#include "Support/QuorTestSupport.h"

#include <QApplication>
#include <QByteArray>
#include <QColor>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <chrono>

namespace quor_bench {

inline QColor accent()
{
    return QuorProductPalettes::accentColor(QuorProductPalette::deepCoral);
}

// Lays out and paints what a window shows.
inline void present(QWidget& widget)
{
    widget.show();
    QCoreApplication::processEvents();
    benchmark::DoNotOptimize(widget.grab());
}

// A memory figure of this process's status, in MB: "VmRSS" (resident now), "VmHWM" (its peak).
inline double statusMegabytes(const QByteArray& field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':')) {
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toDouble() / 1024.0;
        }
    }
    return 0;
}

inline double residentMegabytes()
{
    return statusMegabytes("VmRSS");
}


inline void settle(std::chrono::milliseconds duration)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < duration.count()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

// Runs the event loop until `done` holds (or a minute passes).
template <typename Done>
inline void runUntil(Done done)
{
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < 60'000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

inline void resetPeakResident()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) {
        clear.write("5");
    }
}

// Runs the program's benchmarks in an isolated test environment, with the keyboard set up as the
// application sets it up: Tab follows the layouts, buttons join the Tab chain.
inline int runStudioBenchmarks(int argc, char** argv)
{
    quorIsolateTestEnvironment();
    qputenv("QUOR_ANIMATIONS", "0");
    QApplication app(argc, argv);
    QuorKeyboardAccess::install();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace quor_bench
