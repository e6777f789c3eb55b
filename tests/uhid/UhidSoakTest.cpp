// The window and tarnwell-ctl's metrics loop together against clocks on the kernel's HID stack
// through a seeded random mix of faults. About two minutes in every VM run;
// TARNWELL_UHID_SOAK_SECONDS for a long one (scripts/uhid-vm/soak.sh), TARNWELL_UHID_SOAK_SEED
// to repeat or vary one.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "OffscreenApplication.h"
#include "UhidSoakRun.h"

namespace tarnwell::uhidsoak {
namespace {

using namespace std::chrono_literals;

constexpr std::uint64_t kDefaultSeconds = 120;
constexpr std::uint64_t kDefaultSeed = 20261209;
// Returns to the starting state, where the commands are checked and the heap is measured.
constexpr auto kCheckpointEvery = 20s;
// Qt's caches fill early on; growth beyond this from halfway to the end is a leak.
constexpr std::size_t kAllowedHeapGrowth = 512 << 10;
constexpr long kAllowedCtlGrowthKiB = 1024;

std::uint64_t environmentNumber(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::strtoull(text, nullptr, 10) : fallback;
}

void printFigures(const UhidSoakRun& run, std::uint64_t seed, double seconds) {
    const UhidSoakFigures& f = run.figures();
    std::printf("uhid-soak: %zu events, seed %llu, %.0f s\n", run.eventCount(),
                static_cast<unsigned long long>(seed), seconds);
    for (const auto& [kind, count] : f.events)
        std::printf("  event %-30s %zu\n", kind.c_str(), count);
    std::printf("  problems %zu\n", f.problemCount);
    std::printf("  commands received byte for byte %zu, reported failed %zu\n", f.commandsMatched,
                f.commandsFailed);
    std::printf(
        "  longest block of the window's event loop %lld ms (besides VM stalls of up to "
        "%lld ms)\n",
        static_cast<long long>(f.longestBlock.count()),
        static_cast<long long>(f.longestMachineStall.count()));
    std::printf("  slowest agreement: window %lld ms, textfile %lld ms\n",
                static_cast<long long>(f.slowestWindowAgreement.count()),
                static_cast<long long>(f.slowestTextfileAgreement.count()));
    std::printf("  window heap at each return to the start:");
    for (const std::size_t bytes : f.heap)
        std::printf(" %zu", bytes);
    std::printf("\n  tarnwell-ctl resident KiB:");
    for (const long kib : f.ctlResidentKiB)
        std::printf(" %ld", kib);
    if (f.ctlStop)
        std::printf("\n  tarnwell-ctl ended %lld ms after SIGTERM",
                    static_cast<long long>(f.ctlStop->count()));
    std::printf("\n");
}

// No crash or hang, the window's event loop never blocked beyond its bound, every command
// received byte for byte or reported failed, the window with the clocks within 2 s of each
// change and the textfile within 3 s, memory flat, and the metrics loop still ends promptly.
TEST(UhidSoak, WindowAndMetricsHoldTheirPromisesThroughFaults) {
    if (!uhidclock::uhidAvailable())
        GTEST_SKIP() << "needs /dev/uhid: runs inside the VM of scripts/uhid-vm/run.sh";
    testing::ensureOffscreenApplication();
    const std::uint64_t seed = environmentNumber("TARNWELL_UHID_SOAK_SEED", kDefaultSeed);
    const auto duration =
        std::chrono::seconds(environmentNumber("TARNWELL_UHID_SOAK_SECONDS", kDefaultSeconds));
    const char* const temporary = std::getenv("TMPDIR");
    const std::string textfile =
        std::string(temporary ? temporary : "/tmp") + "/tarnwell-soak.prom";

    const auto started = std::chrono::steady_clock::now();
    UhidSoakRun run(seed, textfile);
    ASSERT_EQ(run.startFailure(), "");
    auto nextCheckpoint = started + kCheckpointEvery;
    // A long run goes on past a problem, so that its figures cover all of it.
    while (std::chrono::steady_clock::now() - started < duration &&
           (run.figures().problems.empty() || duration.count() > std::int64_t(kDefaultSeconds))) {
        run.step();
        if (std::chrono::steady_clock::now() >= nextCheckpoint) {
            run.returnToStart();
            nextCheckpoint += kCheckpointEvery;
        }
    }
    run.returnToStart();
    run.finish();
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - started;
    printFigures(run, seed, seconds.count());

    EXPECT_THAT(run.figures().problems, ::testing::IsEmpty()) << "seed " << seed;
    const auto& heap = run.figures().heap;
    ASSERT_GE(heap.size(), 2u);
    EXPECT_LT(heap.back(), heap[heap.size() / 2] + kAllowedHeapGrowth);
    const auto& ctl = run.figures().ctlResidentKiB;
    EXPECT_LT(ctl.back(), ctl[ctl.size() / 2] + kAllowedCtlGrowthKiB);
}

}  // namespace
}  // namespace tarnwell::uhidsoak
