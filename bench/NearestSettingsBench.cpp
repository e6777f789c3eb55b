// What the tool offers when the divider search finds nothing: the nearest exact frequencies and the
// closest setting, on frequencies without an exact setting.
//
//   bench_nearest_settings                                   the named slow cases
//   TARNWELL_BENCH_SWEEP=N bench_nearest_settings            also N frequencies spread
//                                                           logarithmically over 1 kHz..800 MHz
//                                                           (whole and fractional), timing each
//                                                           once and reporting the slowest

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/NumberText.h"
#include "planning/ClosestSetting.h"
#include "planning/NearestExact.h"

namespace {

const std::vector<double> kFrequencies = {9999991,    5000011,    3333333.3333, 5052059,
                                          29999999,   99999989.5, 799999997,    1234.56789123,
                                          47123.0625, 12345678.9};

void nearest(benchmark::State& state, double hz) {
    for (auto _ : state)
        benchmark::DoNotOptimize(tarnwell::findNearestExact(hz));
}

void closest(benchmark::State& state, double hz) {
    for (auto _ : state)
        benchmark::DoNotOptimize(tarnwell::findClosestSetting(hz));
}

template <typename F>
double millis(F&& f) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// Once through a sweep, the slowest frequency of each kind; a benchmark so the figures land in
// the same report.
void sweep(benchmark::State& state, int count) {
    double worstNearest = 0, worstNearestHz = 0, worstClosest = 0, worstClosestHz = 0;
    for (auto _ : state) {
        for (int i = 0; i < count; ++i) {
            double hz = 1000 * std::pow(800000.0, (i + 0.5) / count);
            if (i % 2 == 0)
                hz = std::round(hz);
            if (tarnwell::findDividers(hz).outcome == tarnwell::SearchOutcome::Found)
                continue;
            const double n =
                millis([&] { benchmark::DoNotOptimize(tarnwell::findNearestExact(hz)); });
            const double c =
                millis([&] { benchmark::DoNotOptimize(tarnwell::findClosestSetting(hz)); });
            if (n > worstNearest) {
                worstNearest = n;
                worstNearestHz = hz;
            }
            if (c > worstClosest) {
                worstClosest = c;
                worstClosestHz = hz;
            }
        }
    }
    state.counters["nearest_worst_ms"] = worstNearest;
    state.counters["nearest_worst_hz"] = worstNearestHz;
    state.counters["closest_worst_ms"] = worstClosest;
    state.counters["closest_worst_hz"] = worstClosestHz;
}

const bool kRegistered = [] {
    for (const double hz : kFrequencies) {
        const std::string name = tarnwell::formatNumber(hz);
        benchmark::RegisterBenchmark(("nearestExact/" + name).c_str(), nearest, hz)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("closestSetting/" + name).c_str(), closest, hz)
            ->Unit(benchmark::kMillisecond);
    }
    if (const char* n = std::getenv("TARNWELL_BENCH_SWEEP"))
        benchmark::RegisterBenchmark("sweep", sweep, std::atoi(n))
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    return true;
}();

}  // namespace
