#include "CtlCommand.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ClockListing.h"
#include "CtlArguments.h"
#include "Json.h"
#include "SettingChoice.h"
#include "commands/CommandPayloads.h"
#include "common/NumberText.h"
#include "device/ClockExchange.h"
#include "planning/DividerLimits.h"
#include "planning/DividerSearch.h"
#include "planning/Output2List.h"
#include "planning/PhaseList.h"
#include "planning/PllModel.h"
#include "planning/SetFrequencyCommand.h"
#include "readback/ConfigurationRead.h"
#include "readback/IdentityText.h"

#ifndef TARNWELL_VERSION
#define TARNWELL_VERSION "unknown"
#endif

namespace tarnwell::ctl {

namespace {

using namespace std::chrono_literals;

// Command-line numbers use a dot whatever the locale.
constexpr NumberLocale kDot{'.'};
// The window refuses to search below 1 Hz; so does set.
constexpr double kLowestFrequency = 1.0;
constexpr auto kStatusPoll = 50ms;
constexpr auto kDefaultStatusTimeout = 2s;
// How many of the nearest choices a refusal lists.
constexpr std::size_t kNearestShown = 4;
constexpr std::array<std::string_view, 4> kDriveTexts = {"8mA", "16mA", "24mA", "32mA"};

// Identity strings arrive as Latin-1; the output is UTF-8.
std::string utf8FromLatin1(std::string_view latin1) {
    std::string utf8;
    for (const char c : latin1) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

std::optional<std::string> shown(const std::optional<std::string>& latin1) {
    if (!latin1)
        return std::nullopt;
    return utf8FromLatin1(*latin1);
}

Json jsonOrNull(const std::optional<std::string>& text) {
    return text ? Json(*text) : Json();
}

std::string firmwareText(std::uint16_t release) {
    std::string text = firmwareVersionText(release);
    // The window's caption starts with a blank; a script wants the version alone.
    if (!text.empty() && text.front() == ' ')
        text.erase(0, 1);
    return text;
}

std::string failureText(OpenFailure failure) {
    switch (failure) {
        case OpenFailure::Gone:
            return "it was unplugged";
        case OpenFailure::PermissionDenied:
            return "permission denied";
        case OpenFailure::Busy:
            return "another program holds it";
        case OpenFailure::Other:
            break;
    }
    return "the system refused to open it";
}

std::string fixText(OpenFailure failure) {
    switch (failure) {
        case OpenFailure::PermissionDenied:
            return "on Linux, install the udev rule 70-tarnwell.rules (see the README), then "
                   "unplug and replug the clock; or run as root";
        case OpenFailure::Busy:
            return "close the program that uses the clock";
        case OpenFailure::Gone:
            return "plug the clock in again";
        case OpenFailure::Other:
            break;
    }
    return "unplug and replug the clock";
}

std::optional<double> number(std::string_view text) {
    const std::optional<double> value = parseNumber(text, kDot);
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    return value;
}

std::optional<std::chrono::milliseconds> seconds(std::string_view text) {
    const std::optional<double> value = number(text);
    if (!value || *value < 0 || *value > 86400.0 * 365)
        return std::nullopt;
    return std::chrono::milliseconds(static_cast<std::int64_t>(std::llround(*value * 1000)));
}

std::string joined(const std::vector<std::string>& texts, std::string_view separator = ", ") {
    std::string out;
    for (const std::string& text : texts) {
        if (!out.empty())
            out += separator;
        out += text;
    }
    return out;
}

// The texts whose numbers lie nearest to the wanted one, nearest first.
std::vector<std::string> nearest(const std::vector<std::string>& texts, double wanted) {
    std::vector<std::string> sorted = texts;
    std::stable_sort(sorted.begin(), sorted.end(), [wanted](const auto& a, const auto& b) {
        return std::abs(parseNumber(a, kDot).value_or(0) - wanted) <
               std::abs(parseNumber(b, kDot).value_or(0) - wanted);
    });
    if (sorted.size() > kNearestShown)
        sorted.resize(kNearestShown);
    return sorted;
}

std::string timestamp(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const auto day = floor<days>(when);
    const year_month_day date{day};
    const hh_mm_ss time{floor<milliseconds>(when - day)};
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", int(date.year()),
                  unsigned(date.month()), unsigned(date.day()), int(time.hours().count()),
                  int(time.minutes().count()), int(time.seconds().count()),
                  int(time.subseconds().count()));
    return text;
}

// A setting ready to send, with what the window would show for it.
struct Setting {
    PllSettings values;
    PllSettingsBytes bytes{};
    std::string out1Text;
    std::optional<std::string> out2Text;
    std::optional<std::string> phaseText;
};

class Run {
public:
    Run(const CtlArguments& args, HidBackend& backend, const CtlTime& time, std::ostream& out,
        std::ostream& err)
        : args_(args), backend_(backend), time_(time), out_(out), err_(err) {}

    int execute();

private:
    int fail(int status, const std::string& message) {
        err_ << "tarnwell-ctl: " << message << '\n';
        if (args_.json)
            out_ << Json::object().set("error", message).set("exitStatus", status).text() << '\n';
        return status;
    }
    void note(const std::string& message) { err_ << "tarnwell-ctl: " << message << '\n'; }
    void emit(const Json& document) { out_ << document.text() << '\n'; }
    RequestPause pause() const { return time_.sleep; }

    int list();
    int show();
    int status();
    int set();
    int program();
    int outputs();
    int identify();
    int drive();
    int sleep();
    int writeRegister();

    // The serial of the clock to use, by the -s rules; an exit status when there is none.
    int resolveSerial();
    // Resolves and opens the clock into device_.
    int openClock();
    int readConfiguration(std::optional<DeviceConfiguration>& configuration, const char* step);
    int send(const ReportBuilder& build, const std::string& step);
    int sendSetting(const Setting& setting);
    int waitForStatus(std::chrono::milliseconds limit, bool needLock, InputStatus& last);
    int programAndCheck(const Setting& setting, Json document,
                        std::optional<std::chrono::milliseconds> waitLock);
    void addSetting(Json& document, const Setting& setting) const;
    void printSetting(const Setting& setting) const;

    const CtlArguments& args_;
    HidBackend& backend_;
    const CtlTime& time_;
    std::ostream& out_;
    std::ostream& err_;
    std::string serial_;
    OpenedClock clock_;
};

int Run::execute() {
    const std::string_view c = args_.command;
    if (c == "list")
        return list();
    if (c == "show")
        return show();
    if (c == "status")
        return status();
    if (c == "set")
        return set();
    if (c == "program")
        return program();
    if (c == "outputs")
        return outputs();
    if (c == "identify")
        return identify();
    if (c == "drive")
        return drive();
    if (c == "sleep")
        return sleep();
    return writeRegister();
}

int Run::resolveSerial() {
    std::vector<std::string> serials;
    for (const HidDeviceInfo& info : backend_.enumerate(DeviceVendorId, DeviceProductId)) {
        if (info.vendorId == DeviceVendorId && info.productId == DeviceProductId && info.serial)
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
                                        utf8FromLatin1(joined(distinct)));
        }
        serial_ = distinct.front();
    } else {
        serial_ = std::string(*args_.serial);
    }
    const auto count = std::count(serials.begin(), serials.end(), serial_);
    if (count == 0) {
        return fail(kExitNoSuchClock,
                    "no clock with serial " + std::string(*args_.serial) +
                        (distinct.empty() ? "; none attached"
                                          : "; attached: " + utf8FromLatin1(joined(distinct))));
    }
    if (count > 1) {
        note(std::to_string(count) + " clocks have serial " + utf8FromLatin1(serial_) +
             "; using the first listed, as the window does");
    }
    return kExitDone;
}

int Run::openClock() {
    if (const int status = resolveSerial())
        return status;
    clock_ = openFirstClock(backend_, [this](const HidDeviceInfo& info) {
        return info.serial && identityText(*info.serial) == serial_;
    });
    if (clock_.device)
        return kExitDone;
    const std::string who = "clock " + utf8FromLatin1(serial_);
    if (!clock_.failure)
        return fail(kExitNoSuchClock, who + " was unplugged before it could be opened");
    return fail(kExitCannotOpen, "cannot open " + who + ": " + failureText(*clock_.failure) + " (" +
                                     fixText(*clock_.failure) + ")");
}

int Run::readConfiguration(std::optional<DeviceConfiguration>& configuration, const char* step) {
    configuration = tarnwell::readConfiguration(*clock_.device, pause());
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
            break;
    }
    return fail(kExitDeviceError, step + ": sending failed");
}

int Run::list() {
    const std::vector<ListedClock> clocks = listClocks(backend_, pause());
    Json array = Json::array();
    for (const ListedClock& clock : clocks) {
        const std::optional<std::string> serial = shown(clock.serial);
        const std::optional<std::string> manufacturer = shown(clock.identity.manufacturer);
        const std::optional<std::string> product = shown(clock.identity.product);
        const bool canOpen = !clock.openFailure;
        // The window shows the firmware only with the manufacturer's string.
        const std::optional<std::string> firmware =
            manufacturer ? std::optional(firmwareText(clock.info.releaseNumber)) : std::nullopt;
        if (args_.json) {
            Json entry = Json::object();
            entry.set("SerNo", jsonOrNull(serial))
                .set("lblManuf", jsonOrNull(manufacturer))
                .set("lblProduct", jsonOrNull(product))
                .set("lblVersion", jsonOrNull(firmware))
                .set("path", clock.info.path)
                .set("canOpen", canOpen)
                .set("openFailure", canOpen ? Json() : Json(failureText(*clock.openFailure)))
                .set("fix", canOpen ? Json() : Json(fixText(*clock.openFailure)));
            array.push(std::move(entry));
            continue;
        }
        out_ << serial.value_or("(serial unreadable)") << '\n';
        if (canOpen) {
            out_ << "  manufacturer  " << manufacturer.value_or("(unreadable)") << '\n'
                 << "  product       " << product.value_or("(unreadable)") << '\n'
                 << "  firmware      " << firmware.value_or("(unknown)") << '\n';
        }
        out_ << "  path          " << clock.info.path << '\n';
        if (canOpen)
            out_ << "  access        yes\n";
        else
            out_ << "  access        no: " << failureText(*clock.openFailure)
                 << "; fix: " << fixText(*clock.openFailure) << '\n';
    }
    if (args_.json)
        emit(Json::object().set("clocks", std::move(array)));
    else if (clocks.empty())
        out_ << "no clock attached\n";
    return kExitDone;
}

int Run::show() {
    if (const int status = openClock())
        return status;
    const ClockIdentity identity = readIdentity(*clock_.device, pause());
    std::optional<DeviceConfiguration> configuration;
    if (const int status = readConfiguration(configuration, "show"))
        return status;

    // What the window's readback shows for this configuration.
    const PllSettings& pll = configuration->pll;
    const std::string out1Text = formatNumber(
        output1Frequency(pll.gps, pll.n31, pll.n2ls, pll.n2hs, pll.n1hs, pll.nc1ls), kDot);
    const std::vector<std::string> phases = phaseEntries(formatNumber(pll.nc1ls, kDot), kDot);
    const std::size_t phaseIndex = pll.phaseIndex < phases.size() ? pll.phaseIndex : 0;
    std::optional<std::string> phaseText;
    if (!phases.empty())
        phaseText = phases[phaseIndex];
    // The output-2 list's selection rewrites NC2_LS to the even divider of the entry shown.
    std::optional<std::string> out2Text;
    double nc2Shown = pll.nc2ls;
    const int entries = out2ReadbackLastIndex(pll.nc2ls) + 1;
    if (entries > 0) {
        const int selected = out2SelectionIndex(pll.nc2ls, entries);
        out2Text =
            out2Texts(parseNumber(out1Text, kDot).value_or(0), pll.nc1ls, selected, 1, kDot)[0];
        nc2Shown = out2DividerForIndex(selected);
    }
    const double f3 = f3Readout(pll.gps, pll.n31);
    const double fosc = foscReadoutGHz(pll.gps, pll.n31, pll.n2hs, pll.n2ls);
    const std::optional<std::string> manufacturer = shown(identity.manufacturer);
    const std::optional<std::string> firmware =
        manufacturer ? std::optional(firmwareText(clock_.info.releaseNumber)) : std::nullopt;
    const std::string drive(kDriveTexts[static_cast<std::size_t>(configuration->driveIndex)]);

    if (args_.json) {
        emit(Json::object()
                 .set("SerNo", utf8FromLatin1(serial_))
                 .set("lblManuf", jsonOrNull(manufacturer))
                 .set("lblProduct", jsonOrNull(shown(identity.product)))
                 .set("lblVersion", jsonOrNull(firmware))
                 .set("OUT1EN", configuration->output1Enabled)
                 .set("OUT2EN", configuration->output2Enabled)
                 .set("Enc1", drive)
                 .set("GPS", pll.gps)
                 .set("N31", pll.n31)
                 .set("N2_HS", pll.n2hs)
                 .set("N2_LS", pll.n2ls)
                 .set("N1_HS", pll.n1hs)
                 .set("NC1_LS", pll.nc1ls)
                 .set("NC2_LS", nc2Shown)
                 .set("PhaseBox", phaseText ? Json(*parseNumber(*phaseText, kDot)) : Json())
                 .set("PhaseIndex", pll.phaseIndex)
                 .set("BW", pll.bw)
                 .set("Out1Freq", *parseNumber(out1Text, kDot))
                 .set("F3lbl", f3)
                 .set("Fosclbl", fosc)
                 .set("OUT2", out2Text ? Json(*parseNumber(*out2Text, kDot)) : Json()));
        return kExitDone;
    }
    const auto onOff = [](bool on) { return on ? "enabled" : "disabled"; };
    out_ << "Serial number     " << utf8FromLatin1(serial_) << '\n'
         << "Manufacturer      " << manufacturer.value_or("(unreadable)") << '\n'
         << "Product           " << shown(identity.product).value_or("(unreadable)") << '\n'
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
         << "Phase shift       " << phaseText.value_or("-") << " degrees (step "
         << int{pll.phaseIndex} << ")\n"
         << "BW                " << int{pll.bw} << '\n'
         << "Output 1          " << out1Text << " Hz\n"
         << "F3                " << formatNumber(f3, kDot) << " Hz\n"
         << "Fosc              " << formatNumber(fosc, kDot) << " GHz\n"
         << "Output 2          " << out2Text.value_or("-") << " Hz\n";
    return kExitDone;
}

int Run::waitForStatus(std::chrono::milliseconds limit, bool needLock, InputStatus& last) {
    const auto deadline = time_.now() + limit;
    bool seen = false;
    for (;;) {
        const StatusRead read = readNewestStatus(*clock_.device);
        if (read.read == InputReadStatus::Error)
            return fail(kExitDeviceError, "reading the clock's status failed");
        if (read.status) {
            last = *read.status;
            seen = true;
            if (!needLock || (!last.noGpsSignal && !last.noPllLock))
                return kExitDone;
        }
        if (time_.now() >= deadline)
            break;
        time_.sleep(kStatusPoll);
    }
    if (!needLock || !seen) {
        const int status = needLock ? kExitNoLock : kExitDeviceError;
        return fail(status, "no status report came within " +
                                formatNumber(limit.count() / 1000.0, kDot) + " s");
    }
    return fail(kExitNoLock, std::string("no ") +
                                 (last.noPllLock && last.noGpsSignal ? "PLL lock and GPS signal"
                                  : last.noPllLock                   ? "PLL lock"
                                                                     : "GPS signal") +
                                 " within " + formatNumber(limit.count() / 1000.0, kDot) + " s");
}

std::string statusLine(const InputStatus& status) {
    return "signal loss count " + std::to_string(status.signalLossCount) + "; GPS signal " +
           (status.noGpsSignal ? "none" : "ok") + "; PLL lock " +
           (status.noPllLock ? "none" : "ok");
}

Json statusJson(Json object, const InputStatus& status) {
    object.set("SignalLossCount", status.signalLossCount)
        .set("LOS", status.noGpsSignal)
        .set("LOL", status.noPllLock);
    return object;
}

int Run::status() {
    std::chrono::milliseconds timeout = kDefaultStatusTimeout;
    if (const auto text = args_.value("--timeout")) {
        const auto limit = seconds(*text);
        if (!limit)
            return fail(kExitUsage, "--timeout needs seconds, not \"" + std::string(*text) + "\"");
        timeout = *limit;
    }
    if (const int status = openClock())
        return status;
    InputStatus last;
    if (const int status = waitForStatus(timeout, false, last))
        return status;
    if (!args_.has("--watch")) {
        if (args_.json)
            emit(statusJson(Json::object().set("SerNo", utf8FromLatin1(serial_)), last));
        else
            out_ << utf8FromLatin1(serial_) << ": " << statusLine(last) << '\n';
        return kExitDone;
    }

    // Streamed as it happens: one array, closed when the watch ends.
    auto show = [this, first = true](const InputStatus& status) mutable {
        const std::string when = timestamp(time_.wallClock());
        if (args_.json) {
            out_ << (first ? "[" : ",\n")
                 << statusJson(Json::object().set("time", when), status).text();
        } else {
            out_ << when << "  " << statusLine(status) << '\n';
        }
        out_.flush();
        first = false;
    };
    const auto endWatch = [this](int status) {
        if (args_.json)
            out_ << "]\n";
        return status;
    };
    show(last);
    while (!time_.interrupted()) {
        time_.sleep(kStatusPoll);
        const StatusRead read = readNewestStatus(*clock_.device);
        if (read.read == InputReadStatus::Error) {
            endWatch(0);
            err_ << "tarnwell-ctl: reading the clock's status failed\n";
            return kExitDeviceError;
        }
        if (read.status && !(*read.status == last)) {
            last = *read.status;
            show(last);
        }
    }
    return endWatch(kExitDone);
}

void Run::addSetting(Json& document, const Setting& setting) const {
    const PllSettings& v = setting.values;
    document.set("GPS", v.gps)
        .set("N31", v.n31)
        .set("N2_HS", v.n2hs)
        .set("N2_LS", v.n2ls)
        .set("N1_HS", v.n1hs)
        .set("NC1_LS", v.nc1ls)
        .set("NC2_LS", v.nc2ls)
        .set("PhaseBox", setting.phaseText ? Json(*parseNumber(*setting.phaseText, kDot)) : Json())
        .set("PhaseIndex", v.phaseIndex)
        .set("BW", v.bw)
        .set("Out1Freq", *parseNumber(setting.out1Text, kDot))
        .set("OUT2", setting.out2Text ? Json(*parseNumber(*setting.out2Text, kDot)) : Json())
        .set("F3lbl", f3Readout(v.gps, v.n31))
        .set("Fosclbl", foscReadoutGHz(v.gps, v.n31, v.n2hs, v.n2ls));
}

void Run::printSetting(const Setting& setting) const {
    const PllSettings& v = setting.values;
    out_ << "GPS=" << v.gps << " N31=" << v.n31 << " N2_HS=" << v.n2hs << " N2_LS=" << v.n2ls
         << " N1_HS=" << v.n1hs << " NC1_LS=" << v.nc1ls << " NC2_LS=" << v.nc2ls
         << " phase=" << setting.phaseText.value_or("-") << " (step " << int{v.phaseIndex}
         << ") BW=" << int{v.bw} << '\n'
         << "output 1 " << setting.out1Text << " Hz, output 2 " << setting.out2Text.value_or("-")
         << " Hz, F3 " << formatNumber(f3Readout(v.gps, v.n31), kDot) << " Hz, Fosc "
         << formatNumber(foscReadoutGHz(v.gps, v.n31, v.n2hs, v.n2ls), kDot) << " GHz\n";
}

// Command 4, twice, as Update sends it.
int Run::sendSetting(const Setting& setting) {
    for (int pass = 1; pass <= kProgrammingPasses; ++pass) {
        const std::string step = "sending the setting (copy " + std::to_string(pass) + " of " +
                                 std::to_string(kProgrammingPasses) + ")";
        if (const int status =
                send([&setting](
                         std::size_t length) { return setFrequencyReport(setting.bytes, length); },
                     step)) {
            return status;
        }
    }
    return kExitDone;
}

int Run::programAndCheck(const Setting& setting, Json document,
                         std::optional<std::chrono::milliseconds> waitLock) {
    if (const int status = sendSetting(setting))
        return status;
    std::optional<DeviceConfiguration> readBack;
    if (const int status = readConfiguration(readBack, "reading the setting back"))
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
        return fail(kExitReadbackDiffers,
                    "the clock reads back other values: " + joined(differences, "; "));
    document.set("readBack", true);

    if (waitLock) {
        InputStatus last;
        if (const int status = waitForStatus(*waitLock, true, last))
            return status;
        document = statusJson(std::move(document), last);
    }
    if (args_.json) {
        emit(document);
    } else {
        out_ << "programmed " << utf8FromLatin1(serial_) << ": ";
        printSetting(setting);
        out_ << "read back: the same\n";
        if (waitLock)
            out_ << "locked, with a GPS signal\n";
    }
    return kExitDone;
}

// The record as the window encodes it, or nothing when a field cannot be carried.
std::optional<PllSettingsBytes> encode(const PllSettings& v) {
    const PllEncoding encoding = encodePllSettings({double(v.gps), double(v.n31), double(v.n2hs),
                                                    double(v.n2ls), double(v.n1hs), double(v.nc1ls),
                                                    double(v.nc2ls), v.phaseIndex, double(v.bw)});
    if (!encoding)
        return std::nullopt;
    return encoding.bytes;
}

int Run::set() {
    const std::string_view hzText = args_.positional[0];
    const std::optional<double> hz = number(hzText);
    if (!hz || *hz < kLowestFrequency) {
        return fail(kExitUsage,
                    "\"" + std::string(hzText) + "\" is not a frequency in Hz of at least 1");
    }
    std::optional<double> out2Wanted;
    if (const auto text = args_.value("--out2")) {
        out2Wanted = number(*text);
        if (!out2Wanted || *out2Wanted <= 0)
            return fail(kExitUsage,
                        "--out2 needs a frequency in Hz, not \"" + std::string(*text) + "\"");
    }
    std::optional<double> phaseWanted;
    if (const auto text = args_.value("--phase")) {
        phaseWanted = number(*text);
        if (!phaseWanted)
            return fail(kExitUsage, "--phase needs degrees, not \"" + std::string(*text) + "\"");
    }
    std::optional<std::chrono::milliseconds> waitLock;
    if (const auto text = args_.value("--wait-lock")) {
        waitLock = seconds(*text);
        if (!waitLock)
            return fail(kExitUsage,
                        "--wait-lock needs seconds, not \"" + std::string(*text) + "\"");
    }

    if (args_.has("--nearest") && args_.has("--closest"))
        return fail(kExitUsage, "--nearest and --closest exclude each other");
    const InexactChoice inexact = args_.has("--nearest")   ? InexactChoice::NearestExact
                                  : args_.has("--closest") ? InexactChoice::Closest
                                                           : InexactChoice::None;
    const std::optional<ChosenSetting> chosen = chooseSetting(*hz, inexact);
    if (!chosen) {
        return fail(kExitNoExactSetting,
                    "no exact setting for " + std::string(hzText) + " Hz" +
                        (inexact == InexactChoice::NearestExact
                             ? " and none for a whole frequency within 1% of it"
                             : ""));
    }
    const DividerPlan& plan = chosen->plan;
    const double out1 = chosen->out1;

    Setting setting;
    setting.out1Text = formatNumber(out1, kDot);
    // Output 2's choices are those the window's list offers after this search.
    const int lastIndex = plan.nc / 2 - 1;
    std::vector<std::string> out2Choices = out2Texts(out1, plan.nc, 0, lastIndex + 1, kDot);
    int out2Index = lastIndex;
    if (out2Wanted) {
        const std::string wanted = formatNumber(*out2Wanted, kDot);
        const auto found = std::find(out2Choices.begin(), out2Choices.end(), wanted);
        if (found == out2Choices.end()) {
            return fail(kExitUsage, "output 2 cannot be " + std::string(*args_.value("--out2")) +
                                        " Hz with this setting; nearest choices: " +
                                        joined(nearest(out2Choices, *out2Wanted)));
        }
        out2Index = static_cast<int>(found - out2Choices.begin());
    }
    setting.out2Text = out2Choices[static_cast<std::size_t>(out2Index)];

    // The window offers phase shifts only when both outputs show the same frequency.
    const std::vector<std::string> phases = phaseEntries(formatNumber(plan.nc, kDot), kDot);
    std::size_t phaseIndex = 0;
    if (phaseWanted) {
        if (*setting.out2Text != setting.out1Text) {
            return fail(kExitUsage,
                        "--phase needs output 2 equal to output 1; the window offers no phase "
                        "shift otherwise");
        }
        const std::string wanted = formatNumber(*phaseWanted, kDot);
        const auto found = std::find(phases.begin(), phases.end(), wanted);
        if (found == phases.end()) {
            return fail(kExitUsage,
                        "no phase shift of " + std::string(*args_.value("--phase")) +
                            " degrees; nearest choices: " + joined(nearest(phases, *phaseWanted)));
        }
        phaseIndex = static_cast<std::size_t>(found - phases.begin());
    }
    if (!phases.empty())
        setting.phaseText = phases[phaseIndex];

    if (const int status = resolveSerial())
        return status;
    PllSettings& v = setting.values;
    v.gps = static_cast<std::uint32_t>(plan.reference);
    v.n31 = static_cast<std::uint32_t>(plan.n31);
    v.n2hs = static_cast<std::uint32_t>(plan.n2hs);
    v.n2ls = static_cast<std::uint32_t>(plan.n2ls);
    v.n1hs = static_cast<std::uint32_t>(plan.n1hs);
    v.nc1ls = static_cast<std::uint32_t>(plan.nc);
    v.nc2ls = static_cast<std::uint32_t>(out2DividerForIndex(out2Index));
    v.phaseIndex = static_cast<std::uint8_t>(phaseIndex);
    v.bw = static_cast<std::uint8_t>(bandwidthCodeForSerial(serial_));
    const std::optional<PllSettingsBytes> bytes = encode(v);
    if (!bytes)
        return fail(kExitUsage, "the setting cannot be encoded");
    setting.bytes = *bytes;

    Json document = Json::object();
    document.set("SerNo", utf8FromLatin1(serial_))
        .set("dryRun", args_.has("--dry-run"))
        .set("exact", chosen->exact);
    addSetting(document, setting);
    if (args_.has("--dry-run")) {
        if (args_.json) {
            emit(document);
        } else {
            out_ << "would program " << utf8FromLatin1(serial_) << ": ";
            printSetting(setting);
        }
        return kExitDone;
    }
    if (const int status = openClock())
        return status;
    return programAndCheck(setting, std::move(document), waitLock);
}

int Run::program() {
    PllBoxTexts texts;
    std::array<double, kPllBoxCount> given{};
    for (std::size_t i = 0; i < kPllBoxCount; ++i) {
        const std::string_view text = args_.positional[i];
        const std::optional<double> value = number(text);
        const std::string_view name = kDividerLimits[i].name;
        if (!value || *value != std::floor(*value)) {
            return fail(kExitUsage, std::string(name) + " must be a whole number, not \"" +
                                        std::string(text) + "\"");
        }
        given[i] = *value;
        texts[i] = std::string(text);
    }
    // A value is within its limits exactly when the window's clamp rule leaves it alone.
    clampDividers(texts, kDot);
    std::vector<std::string> changes;
    Json clamped = Json::array();
    std::array<double, kPllBoxCount> values = given;
    for (std::size_t i = 0; i < kPllBoxCount; ++i) {
        const double after = parseNumber(texts[i], kDot).value_or(given[i]);
        if (after == given[i])
            continue;
        const DividerLimit& limit = kDividerLimits[i];
        const std::string from = formatNumber(given[i], kDot);
        const std::string to = formatNumber(after, kDot);
        if (!args_.has("--clamp")) {
            return fail(kExitUsage,
                        std::string(limit.name) + " " + from + " is outside its limits (" +
                            formatNumber(limit.minimum, kDot) + " to " +
                            formatNumber(limit.maximum, kDot) + (limit.mustBeEven ? ", even" : "") +
                            "); --clamp would make it " + to);
        }
        values[i] = after;
        changes.push_back(std::string(limit.name) + " " + from + " -> " + to);
        clamped.push(Json::object()
                         .set("box", std::string(limit.name))
                         .set("from", given[i])
                         .set("to", after));
    }

    Setting setting;
    PllSettings& v = setting.values;
    v.gps = static_cast<std::uint32_t>(values[0]);
    v.n31 = static_cast<std::uint32_t>(values[1]);
    v.n2hs = static_cast<std::uint32_t>(values[2]);
    v.n2ls = static_cast<std::uint32_t>(values[3]);
    v.n1hs = static_cast<std::uint32_t>(values[4]);
    v.nc1ls = static_cast<std::uint32_t>(values[5]);
    v.nc2ls = static_cast<std::uint32_t>(values[6]);

    const std::vector<std::string> phases = phaseEntries(formatNumber(v.nc1ls, kDot), kDot);
    if (const auto text = args_.value("--phase")) {
        const std::optional<double> index = number(*text);
        if (!index || *index != std::floor(*index) || *index < 0 ||
            *index >= static_cast<double>(phases.size())) {
            return fail(kExitUsage, "--phase needs a step index from 0 to " +
                                        std::to_string(phases.size() - 1) + ", not \"" +
                                        std::string(*text) + "\"");
        }
        v.phaseIndex = static_cast<std::uint8_t>(*index);
    }
    setting.phaseText = phases.empty() ? std::nullopt : std::optional(phases[v.phaseIndex]);
    std::optional<std::chrono::milliseconds> waitLock;
    if (const auto text = args_.value("--wait-lock")) {
        waitLock = seconds(*text);
        if (!waitLock)
            return fail(kExitUsage,
                        "--wait-lock needs seconds, not \"" + std::string(*text) + "\"");
    }
    std::optional<double> bw;
    if (const auto text = args_.value("--bw")) {
        bw = number(*text);
        if (!bw || *bw != std::floor(*bw) || *bw < 0 || *bw > 255)
            return fail(kExitUsage, "--bw needs a whole number from 0 to 255, not \"" +
                                        std::string(*text) + "\"");
    }

    if (const int status = openClock())
        return status;
    v.bw = static_cast<std::uint8_t>(bw ? *bw : bandwidthCodeForSerial(serial_));
    const std::optional<PllSettingsBytes> bytes = encode(v);
    if (!bytes)
        return fail(kExitUsage, "the setting cannot be encoded");
    setting.bytes = *bytes;
    const double out1 = output1Frequency(v.gps, v.n31, v.n2ls, v.n2hs, v.n1hs, v.nc1ls);
    setting.out1Text = formatNumber(out1, kDot);
    // NC2_LS is even here, so it is an entry of the window's output-2 list.
    setting.out2Text = formatNumber(out2Value(out1, v.nc1ls, int(v.nc2ls / 2) - 1), kDot);

    for (const std::string& change : changes)
        note("clamped " + change);
    Json document = Json::object();
    document.set("SerNo", utf8FromLatin1(serial_));
    addSetting(document, setting);
    document.set("clamped", std::move(clamped));
    return programAndCheck(setting, std::move(document), waitLock);
}

std::optional<bool> onOff(std::string_view text) {
    if (text == "on")
        return true;
    if (text == "off")
        return false;
    return std::nullopt;
}

int Run::outputs() {
    std::array<std::optional<bool>, 2> wanted;
    const std::array<std::string_view, 2> names = {"--out1", "--out2"};
    for (std::size_t i = 0; i < 2; ++i) {
        if (const auto text = args_.value(names[i])) {
            wanted[i] = onOff(*text);
            if (!wanted[i]) {
                return fail(kExitUsage, std::string(names[i]) + " needs on or off, not \"" +
                                            std::string(*text) + "\"");
            }
        }
    }
    if (!wanted[0] && !wanted[1])
        return fail(kExitUsage, "outputs needs --out1 on|off, --out2 on|off or both");
    if (const int status = openClock())
        return status;
    // Both outputs always go together: the one not given stays as the clock has it.
    if (!wanted[0] || !wanted[1]) {
        std::optional<DeviceConfiguration> now;
        if (const int status = readConfiguration(now, "reading the outputs"))
            return status;
        wanted[0] = wanted[0].value_or(now->output1Enabled);
        wanted[1] = wanted[1].value_or(now->output2Enabled);
    }
    const bool out1 = *wanted[0];
    const bool out2 = *wanted[1];
    if (const int status =
            send([=](std::size_t length) { return outputEnableReport(out1, out2, length); },
                 "sending the output enables"))
        return status;
    std::optional<DeviceConfiguration> after;
    if (const int status = readConfiguration(after, "reading the outputs back"))
        return status;
    if (after->output1Enabled != out1 || after->output2Enabled != out2)
        return fail(kExitReadbackDiffers, "the clock reads back other output enables");
    const auto word = [](bool on) { return on ? "on" : "off"; };
    if (args_.json) {
        emit(Json::object()
                 .set("SerNo", utf8FromLatin1(serial_))
                 .set("OUT1EN", out1)
                 .set("OUT2EN", out2));
    } else {
        out_ << utf8FromLatin1(serial_) << ": output 1 " << word(out1) << ", output 2 "
             << word(out2) << '\n';
    }
    return kExitDone;
}

int Run::identify() {
    const std::string_view which = args_.positional[0];
    IdentifySelection selection = IdentifySelection::Off;
    std::string text = "off";
    if (which == "1") {
        selection = IdentifySelection::Output1;
        text = "output 1";
    } else if (which == "2") {
        selection = IdentifySelection::Output2;
        text = "output 2";
    } else if (which != "off") {
        return fail(kExitUsage, "identify needs 1, 2 or off, not \"" + std::string(which) + "\"");
    }
    if (const int status = openClock())
        return status;
    if (const int status =
            send([selection](std::size_t length) { return identifyReport(selection, length); },
                 "sending identify"))
        return status;
    if (args_.json)
        emit(Json::object().set("SerNo", utf8FromLatin1(serial_)).set("identify", text));
    else
        out_ << utf8FromLatin1(serial_) << ": identify " << text << '\n';
    return kExitDone;
}

int Run::drive() {
    std::string text(args_.positional[0]);
    if (!text.ends_with("mA"))
        text += "mA";
    const auto found = std::find(kDriveTexts.begin(), kDriveTexts.end(), text);
    if (found == kDriveTexts.end()) {
        return fail(kExitUsage, "drive needs 8mA, 16mA, 24mA or 32mA, not \"" +
                                    std::string(args_.positional[0]) + "\"");
    }
    const int index = static_cast<int>(found - kDriveTexts.begin());
    if (const int status = openClock())
        return status;
    if (const int status =
            send([index](std::size_t length) { return driveStrengthReport(index, length); },
                 "sending the drive strength"))
        return status;
    std::optional<DeviceConfiguration> after;
    if (const int status = readConfiguration(after, "reading the drive strength back"))
        return status;
    if (after->driveIndex != index) {
        return fail(kExitReadbackDiffers,
                    "the clock reads back drive strength " +
                        std::string(kDriveTexts[static_cast<std::size_t>(after->driveIndex)]));
    }
    if (args_.json)
        emit(Json::object().set("SerNo", utf8FromLatin1(serial_)).set("Enc1", text));
    else
        out_ << utf8FromLatin1(serial_) << ": drive strength " << text << '\n';
    return kExitDone;
}

int Run::sleep() {
    if (const int status = openClock())
        return status;
    if (const int status =
            send([](std::size_t length) { return sleepReport(length); }, "sending sleep"))
        return status;
    if (args_.json)
        emit(Json::object().set("SerNo", utf8FromLatin1(serial_)).set("sleep", true));
    else
        out_ << utf8FromLatin1(serial_) << ": sleep sent\n";
    return kExitDone;
}

int Run::writeRegister() {
    std::array<std::uint8_t, 2> bytes{};
    const std::array<const char*, 2> names = {"REG", "VALUE"};
    for (std::size_t i = 0; i < 2; ++i) {
        const std::optional<double> value = number(args_.positional[i]);
        if (!value || *value != std::floor(*value) || *value < 0 || *value > 255) {
            return fail(kExitUsage, std::string(names[i]) +
                                        " must be a whole number from 0 to 255, not \"" +
                                        std::string(args_.positional[i]) + "\"");
        }
        bytes[i] = static_cast<std::uint8_t>(*value);
    }
    if (const int status = openClock())
        return status;
    if (const int status = send(
            [bytes](std::size_t length) { return writeRegisterReport(bytes[0], bytes[1], length); },
            "sending the register write"))
        return status;
    if (args_.json) {
        emit(Json::object()
                 .set("SerNo", utf8FromLatin1(serial_))
                 .set("REG", bytes[0])
                 .set("DATA", bytes[1]));
    } else {
        out_ << utf8FromLatin1(serial_) << ": register " << int{bytes[0]} << " = " << int{bytes[1]}
             << " sent\n";
    }
    return kExitDone;
}

}  // namespace

CtlTime CtlTime::real(std::function<bool()> interrupted) {
    return {[] { return std::chrono::steady_clock::now(); },
            [] { return std::chrono::system_clock::now(); },
            [](std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); },
            std::move(interrupted)};
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
        err << "tarnwell-ctl: " << parsed.complaint << "; see tarnwell-ctl --help\n";
        if (parsed.json) {
            out << Json::object()
                       .set("error", parsed.complaint)
                       .set("exitStatus", int{kExitUsage})
                       .text()
                << '\n';
        }
        return kExitUsage;
    }
    return Run(parsed, backend, time, out, err).execute();
}

}  // namespace tarnwell::ctl
