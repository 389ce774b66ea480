// The cost of one moon phase instant, the unit every moon window redraw is built from.

#include "moon/MoonPhase.h"

#include <benchmark/benchmark.h>

namespace {

void BM_PhaseInstant(benchmark::State &state)
{
    // Walk through lunations and phase codes so no two calls see the same arguments.
    tf::MoonPhase::Lunation n = 953;
    tf::MoonPhase::PhaseCode p = 0;
    for ([[maybe_unused]] auto _ : state) {
        benchmark::DoNotOptimize(tf::MoonPhase::PhaseInstant(n, p));
        p = (p + 1) & 3;
        n = n < 2000 ? n + 1 : -2000;
    }
}
BENCHMARK(BM_PhaseInstant);

} // namespace

BENCHMARK_MAIN();
