// Sun and moon times: one place and day with everything the moon window shows for it,
// and the month of a printed solunar table.

#include "moon/Solunar.h"
#include "moon/SolunarTable.h"

#include <benchmark/benchmark.h>

namespace {

const tf::solunar::Place &oslo()
{
    static const tf::solunar::Place place{59.91, 10.75, QTimeZone("Europe/Oslo")};
    return place;
}

void BM_SolunarDay(benchmark::State &state)
{
    // A different day each time, across the years, so no two calls see the same sky.
    QDate day(2026, 1, 1);
    for ([[maybe_unused]] auto _ : state) {
        benchmark::DoNotOptimize(tf::solunar::computeDay(oslo(), day));
        day = day.year() < 2100 ? day.addDays(37) : QDate(1900, 1, 1);
    }
}
BENCHMARK(BM_SolunarDay);

void BM_SolunarMonth(benchmark::State &state)
{
    QDate month(2026, 1, 1);
    for ([[maybe_unused]] auto _ : state) {
        benchmark::DoNotOptimize(tf::solunar::computeMonth(oslo(), month));
        month = month.year() < 2100 ? month.addMonths(7) : QDate(1900, 1, 1);
    }
}
BENCHMARK(BM_SolunarMonth)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
