#include <QApplication>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "HeapInUse.h"
#include "SoakRun.h"

namespace tarnwell::soak {
namespace {

// A few thousand events in every test run; TARNWELL_SOAK_EVENTS=100000 for the long run, and
// TARNWELL_SOAK_SEED to repeat or vary a run.
#ifdef TARNWELL_SOAK_SHORT
constexpr std::uint64_t kDefaultEvents = 1000;  // the sanitizers slow every event down
#else
constexpr std::uint64_t kDefaultEvents = 3000;
#endif
constexpr std::uint64_t kDefaultSeed = 20261208;
// Heap the window may settle into after the first events (caches, lists at their largest)
// before growth counts as a leak.
constexpr std::size_t kAllowedHeapGrowth = 4 << 20;

std::uint64_t environmentNumber(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::strtoull(text, nullptr, 10) : fallback;
}

void ensureApplication() {
    if (QApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "tarnwell-soak";
    static char* argv[] = {name, nullptr};
    static auto* application = new QApplication(argc, argv);
    Q_UNUSED(application);
}

void printFigures(const SoakRun& run, std::uint64_t seed, double seconds,
                  std::size_t heapAfterWarmUp, std::size_t heapAtEnd) {
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
    std::printf("  heap after warm-up %zu bytes, at end %zu bytes\n", heapAfterWarmUp, heapAtEnd);
}

// The window on four virtual clocks through a long random sequence of ticks, unplugs and
// replugs, device faults, serial-number picks, searches, programming, commands, paging and
// typing: no report goes out with the gate closed or with a byte the controls do not say, no
// handler fails, memory stays flat, and once the clocks are back the window shows exactly what
// a freshly started one shows.
TEST(Soak, WindowHoldsItsPromisesThroughARandomSequence) {
    ensureApplication();
    const std::uint64_t seed = environmentNumber("TARNWELL_SOAK_SEED", kDefaultSeed);
    const std::uint64_t events = environmentNumber("TARNWELL_SOAK_EVENTS", kDefaultEvents);
    const auto started = std::chrono::steady_clock::now();

    SoakRun run(seed);
    const std::uint64_t warmUp = std::min<std::uint64_t>(events / 10, 2000);
    std::size_t heapAfterWarmUp = heapInUse();
    for (std::uint64_t n = 0; n < events && run.figures().problems.empty(); ++n) {
        run.step();
        if (n + 1 == warmUp)
            heapAfterWarmUp = heapInUse();
    }
    const std::size_t heapAtEnd = heapInUse();
    ASSERT_THAT(run.figures().problems, ::testing::IsEmpty()) << "seed " << seed;

    const auto [soaked, fresh] = run.settleAndCompare();
    for (const auto& [control, shown] : fresh)
        EXPECT_EQ(soaked.at(control).toStdString(), shown.toStdString()) << control.toStdString();
    EXPECT_THAT(run.figures().problems, ::testing::IsEmpty()) << "seed " << seed;
    EXPECT_LT(heapAtEnd, heapAfterWarmUp + kAllowedHeapGrowth);

    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - started;
    printFigures(run, seed, seconds.count(), heapAfterWarmUp, heapAtEnd);
}

}  // namespace
}  // namespace tarnwell::soak
