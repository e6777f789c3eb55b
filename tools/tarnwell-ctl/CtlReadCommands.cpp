// The commands that only read: list, show and status.

#include <algorithm>
#include <cmath>

#include "ClockListing.h"
#include "CtlRun.h"
#include "CtlText.h"
#include "readback/IdentityText.h"
#include "readback/ShownConfiguration.h"

namespace tarnwell::ctl {

int Run::list() {
    std::vector<ListedClock> clocks;
    if (const int status = check(listClocks(backend_, ids_, time_, deadline_, clocks)))
        return status;
    Json array = Json::array();
    for (const ListedClock& clock : clocks) {
        const std::optional<std::string> serial = shown(clock.serial);
        const std::optional<std::string> manufacturer = shown(clock.identity.manufacturer);
        const std::optional<std::string> product = shown(clock.identity.product);
        const bool canOpen = !clock.refusal;
        // The window shows the firmware only with the manufacturer's string.
        const std::optional<std::string> firmware =
            manufacturer ? std::optional(firmwareText(clock.info.releaseNumber)) : std::nullopt;
        if (args_.json) {
            array.push_back(
                {{"serial", jsonOrNull(serial)},
                 {"manufacturer", jsonOrNull(manufacturer)},
                 {"product", jsonOrNull(product)},
                 {"firmware", jsonOrNull(firmware)},
                 {"path", clock.info.path},
                 {"can_open", canOpen},
                 {"open_failure", canOpen ? Json(nullptr) : Json(clock.refusal->reason)},
                 {"fix", canOpen ? Json(nullptr) : Json(clock.refusal->fix)}});
            continue;
        }
        out_ << terminalText(serial.value_or("(serial unreadable)")) << '\n';
        if (canOpen) {
            out_ << "  manufacturer  " << terminalText(manufacturer.value_or("(unreadable)"))
                 << '\n'
                 << "  product       " << terminalText(product.value_or("(unreadable)")) << '\n'
                 << "  firmware      " << firmware.value_or("(unknown)") << '\n';
        }
        out_ << "  path          " << terminalText(clock.info.path) << '\n';
        if (canOpen)
            out_ << "  access        yes\n";
        else
            out_ << "  access        no: " << clock.refusal->reason
                 << "; fix: " << clock.refusal->fix << '\n';
    }
    if (args_.json)
        emit(Json{{"clocks", std::move(array)}});
    else if (clocks.empty())
        out_ << "no clock attached\n";
    return kExitDone;
}

int Run::show() {
    if (const int status = openClock())
        return status;
    ClockIdentity identity;
    if (const int status = check(session_.readIdentity(identity)))
        return status;
    std::optional<DeviceConfiguration> configuration;
    if (const int status = readConfiguration(configuration, "show"))
        return status;

    // What the window's readback shows for this configuration.
    const PllSettings& pll = configuration->pll;
    const ShownConfiguration shownConfig = shownConfiguration(*configuration, kDot);
    const std::string& out1Text = shownConfig.out1Text;
    // NC1_LS is a number, so the phase list holds at least the unshifted entry.
    const std::string& phaseText =
        shownConfig.phaseTexts[static_cast<std::size_t>(shownConfig.phaseSelected)];
    const std::optional<std::string> out2Text = shownConfig.selectedOut2();
    const double nc2Shown = shownConfig.nc2Shown;
    const double f3 = shownConfig.f3Hz;
    const double fosc = shownConfig.foscGHz;
    const std::optional<std::string> manufacturer = shown(identity.manufacturer);
    const std::optional<std::string> firmware =
        manufacturer ? std::optional(firmwareText(session_.info().releaseNumber)) : std::nullopt;
    const std::string drive(shownConfig.driveText);

    if (args_.json) {
        Json document = {{"serial", utf8FromLatin1(serial())},
                         {"manufacturer", jsonOrNull(manufacturer)},
                         {"product", jsonOrNull(shown(identity.product))},
                         {"firmware", jsonOrNull(firmware)},
                         {"out1_enabled", configuration->output1Enabled},
                         {"out2_enabled", configuration->output2Enabled},
                         {"drive_strength", drive}};
        Setting asShown{pll, {}, out1Text, out2Text, phaseText};
        asShown.values.nc2ls = static_cast<std::uint32_t>(nc2Shown);
        addSetting(document, asShown);
        emit(document);
        return kExitDone;
    }
    const auto onOff = [](bool on) { return on ? "enabled" : "disabled"; };
    out_ << "Serial number     " << terminalText(utf8FromLatin1(serial())) << '\n'
         << "Manufacturer      " << terminalText(manufacturer.value_or("(unreadable)")) << '\n'
         << "Product           " << terminalText(shown(identity.product).value_or("(unreadable)"))
         << '\n'
         << "Firmware          " << firmware.value_or("(unknown)") << '\n'
         << "Output 1          " << onOff(configuration->output1Enabled) << '\n'
         << "Output 2          " << onOff(configuration->output2Enabled) << '\n'
         << "Drive strength    " << drive << '\n'
         << "GPS reference     " << pll.gps << " Hz\n"
         << "N31               " << pll.n31 << '\n'
         << "N2_HS             " << pll.n2hs << '\n'
         << "N2_LS             " << pll.n2ls << '\n'
         << "N1_HS             " << pll.n1hs << '\n'
         << "NC1_LS            " << pll.nc1ls << '\n'
         << "NC2_LS            " << formatNumber(nc2Shown, kDot) << '\n'
         << "Phase shift       " << phaseText << " degrees (step " << int{pll.phaseIndex} << ")\n"
         << "BW                " << int{pll.bw} << '\n'
         << "Output 1          " << out1Text << " Hz\n"
         << "F3                " << formatNumber(f3, kDot) << " Hz\n"
         << "Fosc              " << formatNumber(fosc, kDot) << " GHz\n"
         << "Output 2          " << out2Text.value_or("-") << " Hz\n";
    return kExitDone;
}

int Run::status() {
    // With --timeout, a report may take all of it.
    if (args_.has("--prometheus") || args_.value("--textfile"))
        return metrics();
    const std::chrono::milliseconds timeout =
        deadline_.set() ? deadline_.stepLimit(std::chrono::milliseconds::max())
                        : kDefaultStatusTimeout;
    if (const int status = openClock())
        return status;
    InputStatus last;
    if (const int status = waitForStatus(timeout, false, last))
        return status;
    const auto statusJson = [this](const InputStatus& status) {
        Json object = {{"serial", utf8FromLatin1(serial())}};
        addStatusJson(object, status);
        return object;
    };
    if (!args_.has("--watch")) {
        if (args_.json)
            emit(statusJson(last));
        else
            out_ << terminalText(utf8FromLatin1(serial())) << ": " << statusLine(last) << '\n';
        return kExitDone;
    }

    // A line for each change, written out as it happens: a reader sees it at once, and an
    // interrupted watch leaves only whole lines behind (with --json, JSON Lines).
    const auto show = [this, &statusJson](const InputStatus& status) {
        const std::string when = timestamp(time_.wallClock());
        if (args_.json) {
            Json line = {{"time", when}};
            line.update(statusJson(status));
            emit(line);
        } else {
            out_ << when << "  " << statusLine(status) << std::endl;
        }
    };
    show(last);
    // A watch lasts until interrupted: --timeout was for its first report.
    deadline_.startFrom(std::nullopt);
    // Also ends when nothing can be written any more: the exit status then says so.
    while (!time_.interrupted() && out_) {
        time_.sleep(kStatusPoll);
        std::optional<InputStatus> now;
        if (const StepResult failed = session_.newestStatus(now))
            return time_.interrupted() ? kExitDone : fail(*failed);
        if (now && !(*now == last)) {
            last = *now;
            show(last);
        }
    }
    return kExitDone;
}

}  // namespace tarnwell::ctl
