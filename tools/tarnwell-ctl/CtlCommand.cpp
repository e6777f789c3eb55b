#include "CtlCommand.h"

#include <thread>

#include "CommandContext.h"
#include "CtlArguments.h"
#include "TerminalText.h"
#include "host/UsbIdSettings.h"

#ifndef TARNWELL_VERSION
#define TARNWELL_VERSION "unknown"
#endif

namespace tarnwell::ctl {

CtlTime CtlTime::real(std::function<bool()> interrupted) {
    // A pause ends early on an interrupt, so that a watch ends at once.
    const auto sleep = [interrupted](std::chrono::milliseconds pause) {
        constexpr std::chrono::milliseconds kSlice{20};
        const auto end = std::chrono::steady_clock::now() + pause;
        for (auto now = std::chrono::steady_clock::now(); now < end && !interrupted();
             now = std::chrono::steady_clock::now())
            std::this_thread::sleep_for(
                std::min<std::chrono::steady_clock::duration>(kSlice, end - now));
    };
    return {[] { return std::chrono::steady_clock::now(); },
            [] { return std::chrono::system_clock::now(); },
            sleep,
            std::move(interrupted),
            {}};
}

int runCtl(std::span<const std::string_view> args, HidBackend& backend, const CtlTime& time,
           std::ostream& out, std::ostream& err) {
    const CtlArguments parsed = parseCtlArguments(args);
    const CtlOptions& options = parsed.options;
    ResultWriter writer(out, err, options.json);
    if (options.help) {
        out << ctlHelpText();
        return kExitDone;
    }
    if (options.version) {
        out << "tarnwell-ctl " TARNWELL_VERSION "\n";
        return kExitDone;
    }
    if (const OptionRefusal& complaint = parsed.complaint; !complaint.message.empty()) {
        if (!complaint.pointsToHelp)
            return writer.fail(kExitUsage, complaint.message);
        return writer.fail(kExitUsage, terminalText(complaint.message),
                           "; see tarnwell-ctl --help");
    }
    const UsbIdsInForce ids = resolveUsbIds(options.usbIds, thisPlatform());
    // A rule for the build's ids would be installed for the wrong clocks.
    if (!ids.complaints.empty() && parsed.command == findCtlCommand("udev-rule"))
        return writer.fail(kExitUsage, joined(ids.complaints, "; ") + "; no rule written");
    for (const std::string& complaint : ids.complaints)
        err << "tarnwell-ctl: " << complaint << fallbackNote() << '\n';
    CommandDeadline deadline(time);
    deadline.startFrom(options.timeout);
    ClockSession session(backend, ids.ids, time, deadline);
    CommandContext context{parsed.positional, options, ids.ids, backend, time,
                           deadline,          session, writer};
    return parsed.command->execute(context);
}

}  // namespace tarnwell::ctl
