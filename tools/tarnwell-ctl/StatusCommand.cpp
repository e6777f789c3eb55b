// status: the clock's next status report, or with --watch every change until interrupted.

#include "Commands.h"
#include "MetricsCommand.h"
#include "StatusText.h"
#include "TerminalText.h"

namespace tarnwell::ctl {

int statusCommand(CommandContext& c) {
    if (c.options.prometheus || c.options.textfile)
        return metricsCommand(c);
    // With --timeout, a report may take all of it.
    const std::chrono::milliseconds timeout =
        c.deadline.set() ? c.deadline.stepLimit(std::chrono::milliseconds::max())
                         : kDefaultStatusTimeout;
    if (const int status = c.openClock())
        return status;
    InputStatus last;
    if (const int status = c.check(c.session.waitForStatus(timeout, false, last)))
        return status;
    const auto statusJson = [&c](const InputStatus& status) {
        Json object = {{"serial", c.serial()}};
        addStatusJson(object, status);
        return object;
    };
    if (!c.options.watch) {
        c.writer.write(statusJson(last), terminalText(c.serial()) + ": " + statusLine(last) + '\n');
        return kExitDone;
    }

    // A line for each change (with --json, JSON Lines).
    const auto show = [&c, &statusJson](const InputStatus& status) {
        const std::string when = timestamp(c.time.wallClock());
        Json line = {{"time", when}};
        line.update(statusJson(status));
        c.writer.write(line, when + "  " + statusLine(status) + '\n');
    };
    show(last);
    // A watch lasts until interrupted: --timeout was for its first report.
    c.deadline.startFrom(std::nullopt);
    // Also ends when nothing can be written any more: the exit status then says so.
    while (!c.time.interrupted() && c.writer.writable()) {
        c.time.sleep(kStatusPoll);
        std::optional<InputStatus> now;
        if (const StepResult failed = c.session.newestStatus(now))
            return c.time.interrupted() ? kExitDone : c.fail(*failed);
        if (now && !(*now == last)) {
            last = *now;
            show(last);
        }
    }
    return kExitDone;
}

}  // namespace tarnwell::ctl
