#include "ProgrammingSteps.h"

#include <vector>

#include "ArgumentNumbers.h"
#include "StatusText.h"
#include "TerminalText.h"
#include "commands/SetFrequencyCommand.h"
#include "planning/ExactFrequencies.h"
#include "planning/PllModel.h"

namespace tarnwell::ctl {

void addSetting(Json& document, const Setting& setting) {
    const PllSettings& v = setting.values;
    const ExactFrequencies exact =
        exactFrequencies({v.gps, v.n31, v.n2hs, v.n2ls, v.n1hs, v.nc1ls, v.nc2ls});
    const auto frequency = [](const Fraction& f) {
        return exactNumber(f.numerator, f.denominator);
    };
    document["GPS"] = v.gps;
    document["N31"] = v.n31;
    document["N2_HS"] = v.n2hs;
    document["N2_LS"] = v.n2ls;
    document["N1_HS"] = v.n1hs;
    document["NC1_LS"] = v.nc1ls;
    document["NC2_LS"] = v.nc2ls;
    document["phase_degrees"] = decimalNumber(setting.phaseText);
    document["phase_index"] = v.phaseIndex;
    document["BW"] = v.bw;
    document["out1_hz"] = frequency(exact.out1);
    document["out2_hz"] = setting.out2Text ? frequency(exact.out2) : Json(nullptr);
    document["f3_hz"] = frequency(exact.f3);
    document["fosc_hz"] = frequency(exact.fosc);
}

std::string settingText(const Setting& setting) {
    const PllSettings& v = setting.values;
    return "GPS=" + std::to_string(v.gps) + " N31=" + std::to_string(v.n31) +
           " N2_HS=" + std::to_string(v.n2hs) + " N2_LS=" + std::to_string(v.n2ls) +
           " N1_HS=" + std::to_string(v.n1hs) + " NC1_LS=" + std::to_string(v.nc1ls) +
           " NC2_LS=" + std::to_string(v.nc2ls) + " phase=" + setting.phaseText + " (step " +
           std::to_string(v.phaseIndex) + ") BW=" + std::to_string(v.bw) + "\noutput 1 " +
           setting.out1Text + " Hz, output 2 " + setting.out2Text.value_or("-") + " Hz, F3 " +
           formatNumber(f3Readout(pllValuesOf(v)), kDot) + " Hz, Fosc " +
           formatNumber(foscReadoutGHz(pllValuesOf(v)), kDot) + " GHz\n";
}

// Update reads its boxes again for the second copy; here nothing can change between the two, so
// both copies are the same report.
int sendSetting(CommandContext& c, const Setting& setting) {
    for (int pass = 1; pass <= kProgrammingPasses; ++pass) {
        const std::string step = "sending the setting (copy " + std::to_string(pass) + " of " +
                                 std::to_string(kProgrammingPasses) + ")";
        if (const int status = c.check(c.session.send(
                [&setting](std::size_t length) {
                    return setFrequencyReport(setting.bytes, length);
                },
                step)))
            return status;
    }
    return kExitDone;
}

int waitForLock(CommandContext& c, Json& document) {
    if (!c.options.waitLock)
        return kExitDone;
    InputStatus last;
    const std::chrono::milliseconds limit = c.deadline.stepLimit(*c.options.waitLock);
    if (const int status = c.check(c.session.waitForStatus(limit, true, last)))
        return status;
    addStatusJson(document, last);
    return kExitDone;
}

int programAndCheck(CommandContext& c, const Setting& setting, Json document) {
    if (const int status = sendSetting(c, setting))
        return status;
    std::optional<DeviceConfiguration> readBack;
    if (const int status =
            c.check(c.session.readConfiguration(readBack, "reading the setting back")))
        return status;
    const PllSettings& sent = setting.values;
    const PllSettings& got = readBack->pll;
    std::vector<std::string> differences;
    const auto compare = [&differences](const char* name, std::uint32_t a, std::uint32_t b) {
        if (a != b) {
            differences.push_back(std::string(name) + " sent " + std::to_string(a) +
                                  ", read back " + std::to_string(b));
        }
    };
    compare("GPS", sent.gps, got.gps);
    compare("N31", sent.n31, got.n31);
    compare("N2_HS", sent.n2hs, got.n2hs);
    compare("N2_LS", sent.n2ls, got.n2ls);
    compare("N1_HS", sent.n1hs, got.n1hs);
    compare("NC1_LS", sent.nc1ls, got.nc1ls);
    compare("NC2_LS", sent.nc2ls, got.nc2ls);
    compare("PhaseIndex", sent.phaseIndex, got.phaseIndex);
    compare("BW", sent.bw, got.bw);
    if (!differences.empty())
        return c.fail(kExitReadbackDiffers,
                      "the clock reads back other values: " + joined(differences, "; "));
    document["read_back"] = true;

    if (const int status = waitForLock(c, document))
        return status;
    c.writer.write(document, "programmed " + terminalText(c.serial()) + ": " +
                                 settingText(setting) + "read back: the same\n" +
                                 (c.options.waitLock ? "locked, with a GPS signal\n" : ""));
    return kExitDone;
}

}  // namespace tarnwell::ctl
