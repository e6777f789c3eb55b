// Divider search speed over a representative set of output-1 frequencies.
//
//   bench_divider_search                          the fast search
//   TARNWELL_BENCH_LITERAL=1 bench_divider_search  also the literal enumeration of the loops, once
//                                                  per frequency where it ends within a minute

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "DividerSearchOracle.h"
#include "common/NumberText.h"
#include "planning/DividerSearch.h"

namespace {

struct BenchFrequency {
    const char* kind;
    double hz;
    bool literalWithinAMinute;
};

const std::vector<BenchFrequency> kFrequencies = {
    {"round", 10000000, true},
    {"round", 25000000, true},
    {"round", 19200000, true},
    {"round", 156250000, true},
    {"round", 1000, true},
    {"audio", 44100, true},
    {"audio", 12288000, true},
    {"small", 400, true},
    {"small", 1234, true},
    {"large", 800000000, true},
    {"random", 94605842, true},
    {"random", 23599799, true},
    {"random", 7852241, true},
    // The slowest whole frequency found in sweeps of 300000: a prime just above 5 MHz.
    {"nosolution", 5052059, true},
    {"nosolution", 5000011, true},
    {"nosolution", 9999991, true},
    {"nosolution", 29999999, true},
    {"fractional", 12345678.9, true},
    {"fractional", 1234.5, true},
    {"fractional", 33333333.5, true},
    // The literal enumeration needs hours for these two: tens of thousands of NC values before
    // the answer, or before it runs out of them.
    {"fractional", 3211.5450344817773, false},
    {"fractional", 8694.3576741094512, false},
};

std::string nameOf(const char* search, const BenchFrequency& f) {
    return std::string(search) + "/" + f.kind + "/" + tarnwell::formatNumber(f.hz);
}

void runFast(benchmark::State& state, double hz) {
    for (auto _ : state)
        benchmark::DoNotOptimize(tarnwell::findDividers(hz));
}

void runLiteral(benchmark::State& state, double hz) {
    for (auto _ : state)
        benchmark::DoNotOptimize(tarnwell::reference::enumerateDividersLiterally(hz));
}

bool literalRequested() {
    const char* value = std::getenv("TARNWELL_BENCH_LITERAL");
    return value != nullptr && std::string(value) == "1";
}

const bool kRegistered = [] {
    for (const BenchFrequency& f : kFrequencies)
        benchmark::RegisterBenchmark(nameOf("findDividers", f).c_str(), runFast, f.hz)
            ->Unit(benchmark::kMicrosecond);
    if (literalRequested())
        for (const BenchFrequency& f : kFrequencies)
            if (f.literalWithinAMinute)
                benchmark::RegisterBenchmark(nameOf("literal", f).c_str(), runLiteral, f.hz)
                    ->Unit(benchmark::kMillisecond)
                    ->Iterations(1);
    return true;
}();

}  // namespace
