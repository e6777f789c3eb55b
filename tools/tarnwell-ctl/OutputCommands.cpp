// The commands that set one thing on the clock: outputs, identify, drive, sleep and
// write-register.

#include <algorithm>
#include <array>

#include "ArgumentNumbers.h"
#include "Commands.h"
#include "TerminalText.h"
#include "commands/CommandPayloads.h"
#include "commands/RegisterText.h"

namespace tarnwell::ctl {

int outputsCommand(CommandContext& c) {
    std::array<std::optional<bool>, 2> wanted = {c.options.out1Enabled, c.options.out2Enabled};
    if (!wanted[0] && !wanted[1])
        return c.fail(kExitUsage, "outputs needs --out1 on|off, --out2 on|off or both");
    if (const int status = c.openClock())
        return status;
    // Both outputs always go together: the one not given stays as the clock has it.
    if (!wanted[0] || !wanted[1]) {
        std::optional<DeviceConfiguration> now;
        if (const int status = c.check(c.session.readConfiguration(now, "reading the outputs")))
            return status;
        wanted[0] = wanted[0].value_or(now->output1Enabled);
        wanted[1] = wanted[1].value_or(now->output2Enabled);
    }
    const bool out1 = *wanted[0];
    const bool out2 = *wanted[1];
    if (const int status = c.check(c.session.send(
            [=](std::size_t length) { return outputEnableReport(out1, out2, length); },
            "sending the output enables")))
        return status;
    std::optional<DeviceConfiguration> after;
    if (const int status = c.check(c.session.readConfiguration(after, "reading the outputs back")))
        return status;
    if (after->output1Enabled != out1 || after->output2Enabled != out2)
        return c.fail(kExitReadbackDiffers, "the clock reads back other output enables");
    c.writer.write({{"serial", c.serial()}, {"out1_enabled", out1}, {"out2_enabled", out2}},
                   terminalText(c.serial()) + ": output 1 " + onOffText(out1) + ", output 2 " +
                       onOffText(out2) + '\n');
    return kExitDone;
}

int identifyCommand(CommandContext& c) {
    const std::string_view which = c.arguments[0];
    IdentifySelection selection = IdentifySelection::Off;
    std::string text = "off";
    if (which == "1") {
        selection = IdentifySelection::Output1;
        text = "output 1";
    } else if (which == "2") {
        selection = IdentifySelection::Output2;
        text = "output 2";
    } else if (which != "off") {
        return c.fail(kExitUsage, "identify needs 1, 2 or off, not " + quoted(which));
    }
    if (const int status = c.openClock())
        return status;
    if (const int status = c.check(c.session.send(
            [selection](std::size_t length) { return identifyReport(selection, length); },
            "sending identify")))
        return status;
    c.writer.write({{"serial", c.serial()}, {"identify", text}},
                   terminalText(c.serial()) + ": identify " + text + '\n');
    return kExitDone;
}

int driveCommand(CommandContext& c) {
    std::string text(c.arguments[0]);
    if (!text.ends_with("mA"))
        text += "mA";
    const auto found = std::find(kDriveTexts.begin(), kDriveTexts.end(), text);
    if (found == kDriveTexts.end()) {
        const std::vector<std::string> choices(kDriveTexts.begin(), kDriveTexts.end() - 1);
        return c.fail(kExitUsage, "drive needs " + joined(choices) + " or " +
                                      std::string(kDriveTexts.back()) + ", not " +
                                      ctl::quoted(c.arguments[0]));
    }
    const int index = static_cast<int>(found - kDriveTexts.begin());
    if (const int status = c.openClock())
        return status;
    if (const int status = c.check(c.session.send(
            [index](std::size_t length) { return driveStrengthReport(index, length); },
            "sending the drive strength")))
        return status;
    std::optional<DeviceConfiguration> after;
    if (const int status =
            c.check(c.session.readConfiguration(after, "reading the drive strength back")))
        return status;
    if (after->driveIndex != index) {
        return c.fail(kExitReadbackDiffers,
                      "the clock reads back drive strength " +
                          std::string(kDriveTexts[static_cast<std::size_t>(after->driveIndex)]));
    }
    c.writer.write({{"serial", c.serial()}, {"drive_strength", text}},
                   terminalText(c.serial()) + ": drive strength " + text + '\n');
    return kExitDone;
}

int sleepCommand(CommandContext& c) {
    if (const int status = c.openClock())
        return status;
    if (const int status = c.check(c.session.send(
            [](std::size_t length) { return sleepReport(length); }, "sending sleep")))
        return status;
    c.writer.write({{"serial", c.serial()}, {"sleep", true}},
                   terminalText(c.serial()) + ": sleep sent\n");
    return kExitDone;
}

int writeRegisterCommand(CommandContext& c) {
    std::array<std::uint8_t, 2> bytes{};
    const std::array<const char*, 2> names = {"REG", "VALUE"};
    for (std::size_t i = 0; i < 2; ++i) {
        // The window's rule for its register boxes, with a dot for decimals.
        const std::optional<std::uint8_t> byte = registerByteFromText(c.arguments[i], kDot);
        if (!byte) {
            return c.fail(kExitUsage, std::string(names[i]) +
                                          " must be a number from 0 to 255 (rounded half to even), "
                                          "not " +
                                          ctl::quoted(c.arguments[i]));
        }
        bytes[i] = *byte;
    }
    if (const int status = c.openClock())
        return status;
    if (const int status = c.check(c.session.send(
            [bytes](std::size_t length) { return writeRegisterReport(bytes[0], bytes[1], length); },
            "sending the register write")))
        return status;
    c.writer.write({{"serial", c.serial()}, {"register", bytes[0]}, {"value", bytes[1]}},
                   terminalText(c.serial()) + ": register " + std::to_string(bytes[0]) + " = " +
                       std::to_string(bytes[1]) + " sent\n");
    return kExitDone;
}

}  // namespace tarnwell::ctl
