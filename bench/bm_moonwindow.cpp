// What one redraw of the moon window costs: the numbers and texts alone, and the whole
// window with its painting, offscreen. The window redraws once a second, so both must
// stay far below that.

#include "moon/MoonInfo.h"
#include "moon/frmMain.h"
#include "shell/QtPlatform.h"
#include "shell/Resources.h"

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QTimer>

#include <benchmark/benchmark.h>

namespace {

void BM_MoonInfo(benchmark::State &state)
{
    // Walk through the calendar by an odd step, alternating next and previous phases,
    // so no two redraws see the same instant.
    double s = 46364.0; // 8 December 2026
    bool previous = false;
    for ([[maybe_unused]] auto _ : state) {
        benchmark::DoNotOptimize(tf::computeMoonInfo(s, previous));
        s += 0.37;
        previous = !previous;
    }
}
BENCHMARK(BM_MoonInfo);

void BM_MoonWindowRedraw(benchmark::State &state)
{
    tf::frmMain window;
    window.load();
    window.findChild<QTimer *>("Timer1")->stop(); // the benchmark sets the pace
    window.show();
    QImage canvas(window.size(), QImage::Format_ARGB32_Premultiplied);
    auto *back = window.findChild<QPushButton *>("Command1");
    auto *forward = window.findChild<QPushButton *>("Command2");
    bool onward = true;
    for ([[maybe_unused]] auto _ : state) {
        // A month step as the user presses it, then every pixel of the window painted.
        (onward ? forward : back)->click();
        window.render(&canvas);
        onward = !onward;
    }
}
BENCHMARK(BM_MoonWindowRedraw)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    tf::initResources();
    tf::setPlatform(std::make_unique<tf::QtPlatform>()); // the real clock
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
