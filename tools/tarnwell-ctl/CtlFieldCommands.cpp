// The commands for clocks nobody watches: apply and diff a saved configuration, the metrics, and
// the udev rule for the USB ids in force.

#include <algorithm>

#include "CtlRun.h"
#include "CtlText.h"
#include "PrometheusMetrics.h"
#include "SavedConfiguration.h"
#include "WatchedClocks.h"
#include "commands/CommandPayloads.h"
#include "host/UdevRule.h"
#include "hostio/FileReplace.h"
#include "hostio/RegularFile.h"
#include "hostio/SafeText.h"
#include "planning/PhaseList.h"
#include "planning/PllModel.h"

namespace tarnwell::ctl {

using namespace std::chrono_literals;

namespace {

// An interruption ends a pause within this.
constexpr auto kRestSlice = 100ms;

}  // namespace

int Run::readSaved(std::optional<SavedConfiguration>& saved) {
    const std::string path = terminalText(args_.positional[0]);
    FileRead file = readRegularFile(args_.positional[0], kSavedConfigurationLimit);
    if (file.outcome == FileRead::Outcome::Absent)
        file.reason = "no such file";
    if (!file.read())
        return fail(kExitUsage, "cannot read " + path + ": " + file.reason);
    if (deadline_.set() && deadline_.stepLimit(std::chrono::milliseconds::max()) <= 0ms)
        return fail(kExitDeviceError, "reading " + path + " took all of --timeout");
    SavedReading reading = readSavedConfiguration(file.text, path);
    if (!reading.saved)
        return fail(kExitUsage, reading.refusal);
    if (const int status = resolveSerial())
        return status;
    if (reading.saved->serial != utf8FromLatin1(serial()) && !args_.has("--any-serial")) {
        return fail(kExitUsage, path + ": serial is " + printable(reading.saved->serial) +
                                    ", the clock's is " + utf8FromLatin1(serial()) +
                                    "; --any-serial uses the file all the same");
    }
    saved = std::move(reading.saved);
    return kExitDone;
}

int Run::apply() {
    std::optional<SavedConfiguration> saved;
    if (const int status = readSaved(saved))
        return status;
    const DeviceConfiguration& wanted = saved->configuration;
    Setting setting;
    setting.values = wanted.pll;
    const PllEncoding encoding = encodePllSettings(pllValuesOf(wanted.pll));
    if (!encoding)
        return fail(kExitUsage, "the setting cannot be encoded");
    setting.bytes = encoding.bytes;
    setting.out1Text = formatNumber(output1Frequency(pllValuesOf(wanted.pll)), kDot);
    setting.out2Text = formatNumber(
        output1Frequency(pllValuesOf(wanted.pll)) * wanted.pll.nc1ls / wanted.pll.nc2ls, kDot);
    setting.phaseText =
        phaseEntries(formatNumber(wanted.pll.nc1ls, kDot), kDot).at(wanted.pll.phaseIndex);
    const std::string drive(kDriveTexts[static_cast<std::size_t>(wanted.driveIndex)]);
    Json document = {{"serial", utf8FromLatin1(serial())}, {"dry_run", args_.has("--dry-run")}};
    addSetting(document, setting);
    document["out1_enabled"] = wanted.output1Enabled;
    document["out2_enabled"] = wanted.output2Enabled;
    document["drive_strength"] = drive;
    const auto word = [](bool on) { return on ? "on" : "off"; };
    const auto describe = [&](const char* what) {
        out_ << what << ' ' << terminalText(utf8FromLatin1(serial())) << ": ";
        printSetting(setting);
        out_ << "output 1 " << word(wanted.output1Enabled) << ", output 2 "
             << word(wanted.output2Enabled) << ", drive strength " << drive << '\n';
    };
    if (args_.has("--dry-run")) {
        if (args_.json)
            emit(document);
        else
            describe("would apply to");
        return kExitDone;
    }

    if (const int status = openClock())
        return status;
    if (const int status = sendSetting(setting))
        return status;
    if (const int status = send(
            [&](std::size_t length) {
                return outputEnableReport(wanted.output1Enabled, wanted.output2Enabled, length);
            },
            "sending the output enables"))
        return status;
    if (const int status =
            send([&](std::size_t length) { return driveStrengthReport(wanted.driveIndex, length); },
                 "sending the drive strength"))
        return status;
    std::optional<DeviceConfiguration> readBack;
    if (const int status = readConfiguration(readBack, "reading the configuration back"))
        return status;
    const std::vector<std::string> differences = configurationDifferences(wanted, *readBack);
    if (!differences.empty()) {
        return fail(kExitReadbackDiffers,
                    "the clock reads back other values: " + joined(differences, "; "));
    }
    document["read_back"] = true;
    if (const auto waitLock = args_.duration("--wait-lock")) {
        InputStatus last;
        if (const int status = waitForStatus(*waitLock, true, last))
            return status;
        addStatusJson(document, last);
    }
    if (args_.json) {
        emit(document);
    } else {
        describe("applied to");
        out_ << "read back: the same\n";
    }
    return kExitDone;
}

int Run::diff() {
    std::optional<SavedConfiguration> saved;
    if (const int status = readSaved(saved))
        return status;
    if (const int status = openClock())
        return status;
    std::optional<DeviceConfiguration> now;
    if (const int status = readConfiguration(now, "diff"))
        return status;
    const std::vector<std::string> differences =
        configurationDifferences(saved->configuration, *now);
    if (args_.json) {
        emit({{"serial", utf8FromLatin1(serial())},
              {"file", args_.positional[0]},
              {"equal", differences.empty()},
              {"differences", differences}});
    } else if (differences.empty()) {
        out_ << terminalText(utf8FromLatin1(serial())) << ": as "
             << terminalText(args_.positional[0]) << '\n';
    } else {
        for (const std::string& difference : differences)
            out_ << terminalText(utf8FromLatin1(serial())) << ": " << difference << '\n';
    }
    return differences.empty() ? kExitDone : kExitDiffers;
}

int Run::udevRule() {
    const std::optional<std::string_view> group = args_.value("--group");
    const std::string rule = tarnwell::udevRule(ids_, group);
    if (args_.json) {
        Json ids = Json::array();
        for (const UsbId& id : ids_)
            ids.push_back(usbIdText(id));
        emit({{"usb_ids", ids}, {"rule", rule}});
    } else {
        out_ << rule;
    }
    return kExitDone;
}

bool Run::rest(std::chrono::milliseconds span) {
    for (auto left = span; left > 0ms; left -= kRestSlice) {
        if (time_.interrupted())
            return false;
        time_.sleep(std::min(left, kRestSlice));
    }
    return !time_.interrupted();
}

int Run::metrics() {
    const std::optional<std::string_view> textfile = args_.value("--textfile");
    if (!textfile && args_.has("--watch"))
        return fail(kExitUsage, "--watch with --prometheus needs --textfile PATH");
    WatchedClocks clocks(backend_, ids_, time_, deadline_, args_.serial);
    // With --watch, --timeout bounds each look at the clocks.
    const auto look = [&] {
        deadline_.startFrom(args_.duration("--timeout"));
        const std::chrono::milliseconds statusWait =
            deadline_.set() ? deadline_.stepLimit(std::chrono::milliseconds::max())
                            : kDefaultStatusTimeout;
        return withAbsentClock(clocks.look(statusWait), args_.serial);
    };
    // A clock that failed is in the metrics, not in the exit status: a scrape or a timer then
    // tells a failed clock from a failed program, as exporters do.
    if (!textfile) {
        const std::vector<ClockMetrics> once = look();
        out_ << prometheusText(once);
        return failIfAbsent(once);
    }
    const std::string path(*textfile);
    std::vector<ClockMetrics> looked;
    std::string written;
    std::optional<std::chrono::steady_clock::time_point> writtenAt;
    do {
        looked = look();
        // A look cut short by the end of the watch says nothing about the clocks.
        if (args_.has("--watch") && time_.interrupted())
            break;
        const std::string text = prometheusText(looked);
        if (text != written || !writtenAt || time_.now() - *writtenAt >= kTextfileRefresh) {
            std::string error;
            // The clocks' part alone decides whether anything changed; the stamp says when.
            if (!replaceFile(path, text + prometheusText({}, time_.wallClock()), error))
                return fail(kExitDeviceError, error);
            if (!writtenAt && time_.tellService)
                time_.tellService("READY=1");
            written = text;
            writtenAt = time_.now();
        }
        // A loop that stops coming here is restarted by systemd's watchdog.
        if (time_.tellService)
            time_.tellService("WATCHDOG=1");
    } while (args_.has("--watch") && rest(kMetricsPoll));
    return args_.has("--watch") ? kExitDone : failIfAbsent(looked);
}

int Run::failIfAbsent(const std::vector<ClockMetrics>& clocks) {
    for (const ClockMetrics& clock : clocks)
        if (clock.failure == kNotAttached)
            return fail(kExitNoSuchClock, "no clock with serial " + terminalText(clock.serial) +
                                              " attached; its metrics say so");
    return kExitDone;
}

}  // namespace tarnwell::ctl
