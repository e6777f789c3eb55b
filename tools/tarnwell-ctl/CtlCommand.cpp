#include "CtlCommand.h"

#include <algorithm>
#include <thread>
#include <vector>

#include "CtlRun.h"
#include "CtlText.h"
#include "device/UsbIdSettings.h"
#include "readback/IdentityText.h"

#ifndef TARNWELL_VERSION
#define TARNWELL_VERSION "unknown"
#endif

namespace tarnwell::ctl {

int Run::resolveSerial() {
    std::vector<std::string> serials;
    for (const HidDeviceInfo& info : enumerateClocks(backend_, ids_)) {
        if (info.serial)
            serials.push_back(identityText(*info.serial));
    }
    std::vector<std::string> distinct;
    for (const std::string& serial : serials) {
        if (std::find(distinct.begin(), distinct.end(), serial) == distinct.end())
            distinct.push_back(serial);
    }
    if (!args_.serial) {
        if (distinct.empty())
            return fail(kExitNoSuchClock, "no clock attached");
        if (distinct.size() > 1) {
            return fail(kExitUsage, "several clocks attached; pick one with -s SERIAL: " +
                                        terminalText(utf8FromLatin1(joined(distinct))));
        }
        serial_ = distinct.front();
    } else {
        serial_ = std::string(*args_.serial);
    }
    const auto count = std::count(serials.begin(), serials.end(), serial_);
    if (count == 0) {
        return fail(kExitNoSuchClock,
                    "no clock with serial " + terminalText(*args_.serial) +
                        (distinct.empty()
                             ? "; none attached"
                             : "; attached: " + terminalText(utf8FromLatin1(joined(distinct)))));
    }
    if (count > 1) {
        note(std::to_string(count) + " clocks have serial " +
             terminalText(utf8FromLatin1(serial_)) +
             "; using the first listed, as the window does");
    }
    return kExitDone;
}

int Run::openClock() {
    if (const int status = resolveSerial())
        return status;
    clock_ = openFirstClock(backend_, ids_, [this](const HidDeviceInfo& info) {
        return info.serial && identityText(*info.serial) == serial_;
    });
    if (clock_.device) {
        answerInTime();
        return kExitDone;
    }
    const std::string who = "clock " + terminalText(utf8FromLatin1(serial_));
    if (!clock_.failure)
        return fail(kExitNoSuchClock, who + " was unplugged before it could be opened");
    return fail(kExitCannotOpen, "cannot open " + who + ": " + failureText(*clock_.failure) + " (" +
                                     fixText(*clock_.failure, clock_.info) + ")");
}

int Run::readConfiguration(std::optional<DeviceConfiguration>& configuration, const char* step) {
    configuration = tarnwell::readConfiguration(*clock_.device, pause());
    if (const int status = failIfUnanswered(step))
        return status;
    if (!configuration)
        return fail(kExitDeviceError, std::string(step) + ": reading the configuration failed");
    return kExitDone;
}

int Run::send(const ReportBuilder& build, const std::string& step) {
    switch (sendCommandReport(*clock_.device, build)) {
        case SendResult::Sent:
            return kExitDone;
        case SendResult::DoesNotFit:
            return fail(kExitDeviceError,
                        step + ": the clock's reports are too short for the command (" +
                            std::to_string(clock_.device->featureReportLength()) + " bytes)");
        case SendResult::Failed:
            if (const int status = failIfUnanswered(step))
                return status;
            break;
    }
    return fail(kExitDeviceError, step + ": sending failed");
}

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
            [] { return std::chrono::system_clock::now(); }, sleep, std::move(interrupted)};
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
