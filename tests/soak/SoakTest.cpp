#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "HeapInUse.h"
#include "OffscreenApplication.h"
#include "SoakRun.h"

namespace tarnwell::soak {
namespace {

// A few thousand events in every test run; TARNWELL_SOAK_EVENTS=100000 for the long run, and
// TARNWELL_SOAK_SEED to repeat or vary a run.
constexpr std::uint64_t kDefaultEvents = 3000;
constexpr std::uint64_t kDefaultSeed = 20261208;
// How much the heap may grow from the return to the starting state halfway through a run to the
// last one. Caches fill in the first half (Qt's glyphs and layouts, list models at their
// largest), though a table of theirs may still double once later in a short run; growth
// beyond that is a leak. Over 100000 events the heap stays within a few kilobytes.
constexpr std::size_t kAllowedHeapGrowth = 512 << 10;
// Returns to the starting state, where the heap is measured, every so many events.
constexpr std::uint64_t kCheckpoints = 10;

std::uint64_t environmentNumber(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::strtoull(text, nullptr, 10) : fallback;
}

void printFigures(const SoakRun& run, std::uint64_t seed, double seconds,
                  const std::vector<std::size_t>& heapAtCheckpoints) {
    const SoakFigures& figures = run.figures();
    std::printf("soak: %zu events, seed %llu, %.1f s\n", run.eventCount(),
                static_cast<unsigned long long>(seed), seconds);
    for (const auto& [kind, count] : figures.events)
        std::printf("  event %-28s %zu\n", kind.c_str(), count);
    for (const auto& [kind, count] : figures.faults)
        std::printf("  fault %-28s %zu\n", kind.c_str(), count);
    for (const auto& [code, count] : figures.commandsSent)
        std::printf("  command %d sent and checked      %zu\n", code, count);
    std::printf("  configuration reads checked      %zu\n", figures.configurationReads);
    std::printf("  warnings shown                   %zu\n", figures.warningsShown);
    std::printf("  heap at each return to the start:");
    for (const std::size_t bytes : heapAtCheckpoints)
        std::printf(" %zu", bytes);
    std::printf("\n");
}

// The window on four virtual clocks through a long random sequence of ticks, unplugs and
// replugs, device faults, serial-number picks, searches, programming, commands, paging and
// typing: no report goes out with the gate closed or with a byte the controls do not say, no
// handler fails, memory stays flat, and once the clocks are back the window shows exactly what
// a freshly started one shows.
TEST(Soak, WindowHoldsItsPromisesThroughARandomSequence) {
    testing::ensureOffscreenApplication();
    const std::uint64_t seed = environmentNumber("TARNWELL_SOAK_SEED", kDefaultSeed);
    const std::uint64_t events = environmentNumber("TARNWELL_SOAK_EVENTS", kDefaultEvents);
    const auto started = std::chrono::steady_clock::now();

    SoakRun run(seed);
    // The last return to the start leaves a tenth of the run before the final comparison.
    const std::uint64_t checkpointEvery = std::max<std::uint64_t>(events / kCheckpoints, 1);
    std::vector<std::size_t> heapAtCheckpoints;
    for (std::uint64_t n = 1; n <= events && run.figures().problems.empty(); ++n) {
        run.step();
        if (n % checkpointEvery == 0 && n < events) {
            run.returnToStart();
            heapAtCheckpoints.push_back(heapInUse());
        }
    }
    ASSERT_THAT(run.figures().problems, ::testing::IsEmpty()) << "seed " << seed;
    ASSERT_THAT(heapAtCheckpoints, ::testing::Not(::testing::IsEmpty()));
    const std::size_t heapHalfway = heapAtCheckpoints[heapAtCheckpoints.size() / 2];
    EXPECT_LT(heapAtCheckpoints.back(), heapHalfway + kAllowedHeapGrowth);

    run.settle();
    const auto [soaked, fresh] = run.compareWithFreshWindow();
    for (const auto& [control, shown] : fresh)
        EXPECT_EQ(soaked.at(control).toStdString(), shown.toStdString()) << control.toStdString();
    EXPECT_THAT(run.figures().problems, ::testing::IsEmpty()) << "seed " << seed;

    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - started;
    printFigures(run, seed, seconds.count(), heapAtCheckpoints);
}

}  // namespace
}  // namespace tarnwell::soak
