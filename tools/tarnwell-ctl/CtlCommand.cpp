#include "CtlCommand.h"

#include <thread>

#include "CtlRun.h"
#include "CtlText.h"
#include "host/UsbIdSettings.h"

#ifndef TARNWELL_VERSION
#define TARNWELL_VERSION "unknown"
#endif

namespace tarnwell::ctl {

int reportFailure(std::ostream& out, std::ostream& err, bool json, int status,
                  const std::string& message, std::string_view hint) {
    err << "tarnwell-ctl: " << message << hint << '\n';
    if (json)
        out << jsonText(Json{{"error", message}, {"exit_status", status}}) << std::endl;
    return status;
}

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
    if (parsed.help) {
        out << ctlHelpText();
        return kExitDone;
    }
    if (parsed.version) {
        out << "tarnwell-ctl " TARNWELL_VERSION "\n";
        return kExitDone;
    }
    if (!parsed.complaint.empty()) {
        return reportFailure(out, err, parsed.json, kExitUsage, terminalText(parsed.complaint),
                             "; see tarnwell-ctl --help");
    }
    const UsbIdsInForce ids = resolveUsbIds(parsed.usbIds, thisPlatform());
    // A rule for the build's ids would be installed for the wrong clocks.
    if (!ids.complaints.empty() && parsed.command == findCtlCommand("udev-rule"))
        return reportFailure(out, err, parsed.json, kExitUsage,
                             joined(ids.complaints, "; ") + "; no rule written");
    for (const std::string& complaint : ids.complaints)
        err << "tarnwell-ctl: " << complaint << fallbackNote() << '\n';
    return Run(parsed, ids.ids, backend, time, out, err).execute();
}

}  // namespace tarnwell::ctl
