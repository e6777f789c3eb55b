#include "MetricsCommand.h"

#include <algorithm>

#include "PrometheusMetrics.h"
#include "TerminalText.h"
#include "WatchedClocks.h"
#include "hostio/FileReplace.h"

namespace tarnwell::ctl {

using namespace std::chrono_literals;

namespace {

// An interruption ends a pause within this.
constexpr auto kRestSlice = 100ms;

// Sleeps in short slices, so that an interruption ends the pause at once; false then.
bool rest(const CtlTime& time, std::chrono::milliseconds span) {
    for (auto left = span; left > 0ms; left -= kRestSlice) {
        if (time.interrupted())
            return false;
        time.sleep(std::min(left, kRestSlice));
    }
    return !time.interrupted();
}

// Exit status 3 when the clock of -s was not attached.
int failIfAbsent(CommandContext& c, const std::vector<ClockMetrics>& clocks) {
    for (const ClockMetrics& clock : clocks)
        if (clock.failure == kNotAttached)
            return c.fail(kExitNoSuchClock, "no clock with serial " + terminalText(clock.serial) +
                                                " attached; its metrics say so");
    return kExitDone;
}

}  // namespace

int metricsCommand(CommandContext& c) {
    const std::optional<std::string>& textfile = c.options.textfile;
    const bool watch = c.options.watch;
    if (!textfile && watch)
        return c.fail(kExitUsage, "--watch with --prometheus needs --textfile PATH");
    WatchedClocks clocks(c.backend, c.ids, c.time, c.deadline, c.options.serial);
    // With --watch, --timeout bounds each look at the clocks.
    const auto look = [&] {
        c.deadline.startFrom(c.options.timeout);
        const std::chrono::milliseconds statusWait =
            c.deadline.set() ? c.deadline.stepLimit(std::chrono::milliseconds::max())
                             : kDefaultStatusTimeout;
        return withAbsentClock(clocks.look(statusWait), c.options.serial);
    };
    // A clock that failed is in the metrics, not in the exit status: a scrape or a timer then
    // tells a failed clock from a failed program, as exporters do.
    if (!textfile) {
        const std::vector<ClockMetrics> once = look();
        c.writer.writeText(prometheusText(once));
        return failIfAbsent(c, once);
    }
    std::vector<ClockMetrics> looked;
    std::string written;
    std::optional<std::chrono::steady_clock::time_point> writtenAt;
    do {
        looked = look();
        // A look cut short by the end of the watch says nothing about the clocks.
        if (watch && c.time.interrupted())
            break;
        const std::string text = prometheusText(looked);
        if (text != written || !writtenAt || c.time.now() - *writtenAt >= kTextfileRefresh) {
            std::string error;
            // The clocks' part alone decides whether anything changed; the stamp says when.
            if (!replaceFile(*textfile, text + prometheusText({}, c.time.wallClock()), error))
                return c.fail(kExitDeviceError, error);
            if (!writtenAt && c.time.tellService)
                c.time.tellService("READY=1");
            written = text;
            writtenAt = c.time.now();
        }
        // A loop that stops coming here is restarted by systemd's watchdog.
        if (c.time.tellService)
            c.time.tellService("WATCHDOG=1");
    } while (watch && rest(c.time, kMetricsPoll));
    return watch ? kExitDone : failIfAbsent(c, looked);
}

}  // namespace tarnwell::ctl
