#include "TransferCheck.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>

#include "commands/CommandPayloads.h"
#include "commands/RegisterText.h"
#include "commands/SetFrequencyCommand.h"
#include "planning/DividerLimits.h"
#include "planning/PllSettings.h"
#include "readback/ConfigReport.h"

namespace tarnwell::soak {

namespace {

template <typename Control>
Control& control(frmMain& window, const char* name) {
    auto* found = window.findChild<Control*>(QString::fromLatin1(name));
    if (!found) {
        std::fprintf(stderr, "the window has no control named %s\n", name);
        std::abort();
    }
    return *found;
}

std::string boxText(frmMain& window, const char* name) {
    return control<QLineEdit>(window, name).text().toStdString();
}

std::string hex(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
        text += ' ';
    }
    return text;
}

// Command 4 from the boxes: they must already be clamped, and each field must carry its box's
// value, less the field's offset, rounded half to even.
std::optional<FeatureReport> expectedSetFrequency(const FeatureTransfer& transfer, frmMain& window,
                                                  NumberLocale locale,
                                                  std::vector<std::string>& problems) {
    PllBoxTexts texts;
    for (const DividerLimit& limit : kDividerLimits)
        texts[std::size_t(limit.box)] = boxText(window, std::string(limit.name).c_str());
    PllBoxTexts clamped = texts;
    clampDividers(clamped, locale);
    if (clamped != texts)
        problems.push_back("command 4 sent from boxes that were not clamped");

    const auto value = [&](PllBox box, double offset) {
        return roundHalfEven(parseNumber(texts[std::size_t(box)], locale).value_or(NAN) - offset) +
               offset;
    };
    if (transfer.bytes.size() < 21)
        return std::nullopt;
    const PllSettings sent = decodePllSettings(std::span<const std::uint8_t, kPllSettingsSize>(
        transfer.bytes.data() + 2, kPllSettingsSize));
    const auto bw = parseNumber(boxText(window, "BW"), locale);
    const bool carriesTheBoxes =
        sent.gps == value(PllBox::GPS, 0) && sent.n31 == value(PllBox::N31, 1) &&
        sent.n2hs == value(PllBox::N2_HS, 4) && sent.n2ls == value(PllBox::N2_LS, 1) &&
        sent.n1hs == value(PllBox::N1_HS, 4) && sent.nc1ls == value(PllBox::NC1_LS, 1) &&
        sent.nc2ls == value(PllBox::NC2_LS, 1) &&
        int(sent.phaseIndex) == control<QComboBox>(window, "PhaseBox").currentIndex() && bw &&
        sent.bw == roundHalfEven(*bw);
    if (!carriesTheBoxes)
        return std::nullopt;
    PllSettingsBytes record;
    std::copy_n(transfer.bytes.begin() + 2, kPllSettingsSize, record.begin());
    return setFrequencyReport(record, transfer.featureReportLength);
}

std::optional<FeatureReport> expectedReport(CommandCode code, const FeatureTransfer& transfer,
                                            frmMain& window, NumberLocale locale,
                                            std::vector<std::string>& problems) {
    const std::size_t length = transfer.featureReportLength;
    switch (code) {
        case CommandCode::CmdOutputEnable:
            return outputEnableReport(control<QCheckBox>(window, "OUT1EN").isChecked(),
                                      control<QCheckBox>(window, "OUT2EN").isChecked(), length);
        case CommandCode::CmdIdentify: {
            // Which output is being identified is the window's own state; the byte must name one.
            const std::uint8_t selection = transfer.bytes.size() > 2 ? transfer.bytes[2] : 0xFF;
            if (selection > 2)
                return std::nullopt;
            return identifyReport(IdentifySelection(selection), length);
        }
        case CommandCode::CmdDriveStrength:
            return driveStrengthReport(control<QComboBox>(window, "Enc1").currentIndex(), length);
        case CommandCode::CmdSetFrequency:
            return expectedSetFrequency(transfer, window, locale, problems);
        case CommandCode::CmdWriteRegister: {
            const auto reg = registerByteFromText(boxText(window, "REG"), locale);
            const auto data = registerByteFromText(boxText(window, "DATA"), locale);
            if (!reg || !data)
                return std::nullopt;
            return writeRegisterReport(*reg, *data, length);
        }
        case CommandCode::CmdSleep:
            return sleepReport(length);
    }
    return std::nullopt;
}

}  // namespace

std::vector<std::string> transferProblems(const FeatureTransfer& transfer, frmMain& window,
                                          NumberLocale locale) {
    std::vector<std::string> problems;
    const std::vector<std::uint8_t>& bytes = transfer.bytes;
    if (transfer.openDevices != 1)
        problems.push_back("a transfer while " + std::to_string(transfer.openDevices) +
                           " clocks are open");
    if (bytes.size() != transfer.featureReportLength)
        problems.push_back("a report of " + std::to_string(bytes.size()) +
                           " bytes to a device whose feature reports have " +
                           std::to_string(transfer.featureReportLength));
    if (bytes.empty())
        return problems;

    if (transfer.direction == FeatureTransfer::Direction::Get) {
        if (!std::ranges::all_of(bytes, [](std::uint8_t b) { return b == 0; }))
            problems.push_back("a configuration read with bytes set: " + hex(bytes));
        if (bytes.size() < kConfigReportMinimumLength)
            problems.push_back("a configuration read from a device whose reports cannot hold it");
        return problems;
    }

    if (!window.commandGateOpen())
        problems.push_back("a report sent with the gate closed: " + hex(bytes));
    const std::optional<CommandCode> code =
        bytes.size() > 1 && bytes[0] == 0 ? commandCodeFromByte(bytes[1]) : std::nullopt;
    if (!code) {
        problems.push_back("a report that is no command: " + hex(bytes));
        return problems;
    }
    const std::optional<FeatureReport> expected =
        expectedReport(*code, transfer, window, locale, problems);
    if (expected != bytes)
        problems.push_back("command " + std::to_string(int(*code)) + " says " + hex(bytes) +
                           "where the window shows " + (expected ? hex(*expected) : "no command"));
    return problems;
}

}  // namespace tarnwell::soak
