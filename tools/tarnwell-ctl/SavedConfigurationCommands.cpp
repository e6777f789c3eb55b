// apply and diff: a configuration saved by show --json, programmed or compared.

#include "ArgumentNumbers.h"
#include "Commands.h"
#include "ProgrammingSteps.h"
#include "SavedConfiguration.h"
#include "TerminalText.h"
#include "commands/CommandPayloads.h"
#include "hostio/RegularFile.h"
#include "hostio/SafeText.h"
#include "planning/PhaseList.h"
#include "planning/PllModel.h"

namespace tarnwell::ctl {

using namespace std::chrono_literals;

namespace {

// The file of apply and diff, checked, with the clock resolved.
int readSaved(CommandContext& c, std::optional<SavedConfiguration>& saved) {
    const std::string path = terminalText(c.arguments[0]);
    FileRead file = readRegularFile(c.arguments[0], kSavedConfigurationLimit);
    if (file.outcome == FileRead::Outcome::Absent)
        file.reason = "no such file";
    if (!file.read())
        return c.fail(kExitUsage, "cannot read " + path + ": " + file.reason);
    if (c.deadline.set() && c.deadline.stepLimit(std::chrono::milliseconds::max()) <= 0ms)
        return c.fail(kExitDeviceError, "reading " + path + " took all of --timeout");
    SavedReading reading = readSavedConfiguration(file.text, path);
    if (!reading.saved)
        return c.fail(kExitUsage, reading.refusal);
    if (const int status = c.resolveSerial())
        return status;
    if (reading.saved->serial != c.serial() && !c.options.anySerial) {
        return c.fail(kExitUsage, path + ": serial is " + printable(reading.saved->serial) +
                                      ", the clock's is " + c.serial() +
                                      "; --any-serial uses the file all the same");
    }
    saved = std::move(reading.saved);
    return kExitDone;
}

}  // namespace

int applyCommand(CommandContext& c) {
    std::optional<SavedConfiguration> saved;
    if (const int status = readSaved(c, saved))
        return status;
    const DeviceConfiguration& wanted = saved->configuration;
    Setting setting;
    setting.values = wanted.pll;
    const PllEncoding encoding = encodePllSettings(pllValuesOf(wanted.pll));
    if (!encoding)
        return c.fail(kExitUsage, "the setting cannot be encoded");
    setting.bytes = encoding.bytes;
    setting.out1Text = formatNumber(output1Frequency(pllValuesOf(wanted.pll)), kDot);
    setting.out2Text = formatNumber(
        output1Frequency(pllValuesOf(wanted.pll)) * wanted.pll.nc1ls / wanted.pll.nc2ls, kDot);
    setting.phaseText =
        phaseEntries(formatNumber(wanted.pll.nc1ls, kDot), kDot).at(wanted.pll.phaseIndex);
    const std::string drive(kDriveTexts[static_cast<std::size_t>(wanted.driveIndex)]);
    Json document = {{"serial", c.serial()}, {"dry_run", c.options.dryRun}};
    addSetting(document, setting);
    document["out1_enabled"] = wanted.output1Enabled;
    document["out2_enabled"] = wanted.output2Enabled;
    document["drive_strength"] = drive;
    // Appended piece by piece: GCC 12 under mingw warns falsely (-Wrestrict) about a literal
    // followed by a temporary string.
    const auto describe = [&](const char* what) {
        std::string line(what);
        for (const std::string& piece :
             {std::string(" "), terminalText(c.serial()), std::string(": "), settingText(setting),
              std::string("output 1 "), onOffText(wanted.output1Enabled),
              std::string(", output 2 "), onOffText(wanted.output2Enabled),
              std::string(", drive strength "), drive, std::string("\n")})
            line += piece;
        return line;
    };
    if (c.options.dryRun) {
        c.writer.write(document, describe("would apply to"));
        return kExitDone;
    }

    if (const int status = c.openClock())
        return status;
    if (const int status = sendSetting(c, setting))
        return status;
    if (const int status = c.check(c.session.send(
            [&](std::size_t length) {
                return outputEnableReport(wanted.output1Enabled, wanted.output2Enabled, length);
            },
            "sending the output enables")))
        return status;
    if (const int status = c.check(c.session.send(
            [&](std::size_t length) { return driveStrengthReport(wanted.driveIndex, length); },
            "sending the drive strength")))
        return status;
    std::optional<DeviceConfiguration> readBack;
    if (const int status =
            c.check(c.session.readConfiguration(readBack, "reading the configuration back")))
        return status;
    const std::vector<std::string> differences = configurationDifferences(wanted, *readBack);
    if (!differences.empty()) {
        return c.fail(kExitReadbackDiffers,
                      "the clock reads back other values: " + joined(differences, "; "));
    }
    document["read_back"] = true;
    if (const int status = waitForLock(c, document))
        return status;
    c.writer.write(document, describe("applied to") + "read back: the same\n");
    return kExitDone;
}

int diffCommand(CommandContext& c) {
    std::optional<SavedConfiguration> saved;
    if (const int status = readSaved(c, saved))
        return status;
    if (const int status = c.openClock())
        return status;
    std::optional<DeviceConfiguration> now;
    if (const int status = c.check(c.session.readConfiguration(now, "diff")))
        return status;
    const std::vector<std::string> differences =
        configurationDifferences(saved->configuration, *now);
    std::string text;
    for (const std::string& difference : differences)
        text += terminalText(c.serial()) + ": " + difference + '\n';
    if (differences.empty())
        text = terminalText(c.serial()) + ": as " + terminalText(c.arguments[0]) + '\n';
    c.writer.write({{"serial", c.serial()},
                    {"file", c.arguments[0]},
                    {"equal", differences.empty()},
                    {"differences", differences}},
                   text);
    return differences.empty() ? kExitDone : kExitDiffers;
}

}  // namespace tarnwell::ctl
