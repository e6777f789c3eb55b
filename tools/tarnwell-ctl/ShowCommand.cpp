// show: the clock's configuration as the window's readback shows it.

#include "ArgumentNumbers.h"
#include "Commands.h"
#include "ProgrammingSteps.h"
#include "TerminalText.h"
#include "readback/ShownConfiguration.h"

namespace tarnwell::ctl {

int showCommand(CommandContext& c) {
    if (const int status = c.openClock())
        return status;
    ClockIdentity identity;
    if (const int status = c.check(c.session.readIdentity(identity)))
        return status;
    std::optional<DeviceConfiguration> configuration;
    if (const int status = c.check(c.session.readConfiguration(configuration, "show")))
        return status;

    const PllSettings& pll = configuration->pll;
    const ShownConfiguration shownConfig = shownConfiguration(*configuration, kDot);
    // NC1_LS is a number, so the phase list holds at least the unshifted entry.
    const std::string& phaseText =
        shownConfig.phaseTexts[static_cast<std::size_t>(shownConfig.phaseSelected)];
    const std::optional<std::string> out2Text = shownConfig.selectedOut2();
    const std::optional<std::string> manufacturer = shown(identity.manufacturer);
    const std::optional<std::string> product = shown(identity.product);
    const std::optional<std::string> firmware =
        manufacturer ? std::optional(firmwareText(c.session.info().releaseNumber)) : std::nullopt;
    const std::string drive(shownConfig.driveText);

    Json document = {{"serial", c.serial()},
                     {"manufacturer", jsonOrNull(manufacturer)},
                     {"product", jsonOrNull(product)},
                     {"firmware", jsonOrNull(firmware)},
                     {"out1_enabled", configuration->output1Enabled},
                     {"out2_enabled", configuration->output2Enabled},
                     {"drive_strength", drive}};
    Setting asShown{pll, {}, shownConfig.out1Text, out2Text, phaseText};
    asShown.values.nc2ls = static_cast<std::uint32_t>(shownConfig.nc2Shown);
    addSetting(document, asShown);

    const auto onOff = [](bool on) { return on ? "enabled" : "disabled"; };
    const std::string text =
        "Serial number     " + terminalText(c.serial()) + "\nManufacturer      " +
        terminalText(manufacturer.value_or("(unreadable)")) + "\nProduct           " +
        terminalText(product.value_or("(unreadable)")) + "\nFirmware          " +
        firmware.value_or("(unknown)") + "\nOutput 1          " +
        onOff(configuration->output1Enabled) + "\nOutput 2          " +
        onOff(configuration->output2Enabled) + "\nDrive strength    " + drive +
        "\nGPS reference     " + std::to_string(pll.gps) + " Hz\nN31               " +
        std::to_string(pll.n31) + "\nN2_HS             " + std::to_string(pll.n2hs) +
        "\nN2_LS             " + std::to_string(pll.n2ls) + "\nN1_HS             " +
        std::to_string(pll.n1hs) + "\nNC1_LS            " + std::to_string(pll.nc1ls) +
        "\nNC2_LS            " + formatNumber(shownConfig.nc2Shown, kDot) + "\nPhase shift       " +
        phaseText + " degrees (step " + std::to_string(pll.phaseIndex) + ")\nBW                " +
        std::to_string(pll.bw) + "\nOutput 1          " + shownConfig.out1Text +
        " Hz\nF3                " + formatNumber(shownConfig.f3Hz, kDot) +
        " Hz\nFosc              " + formatNumber(shownConfig.foscGHz, kDot) +
        " GHz\nOutput 2          " + out2Text.value_or("-") + " Hz\n";
    c.writer.write(document, text);
    return kExitDone;
}

}  // namespace tarnwell::ctl
