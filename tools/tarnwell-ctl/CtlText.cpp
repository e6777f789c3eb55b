#include "CtlText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "host/UdevRule.h"
#include "hostio/SafeText.h"
#include "readback/IdentityText.h"

namespace tarnwell::ctl {

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
    return text ? Json(*text) : Json(nullptr);
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

std::string fixText(OpenFailure failure, [[maybe_unused]] const HidDeviceInfo& clock) {
    switch (failure) {
        case OpenFailure::PermissionDenied:
#ifdef _WIN32
            return "give this user access to the clock's device, then unplug and replug it";
#else
            return permissionAdvice(permissionFactsHere(thisPlatform()),
                                    UsbId{clock.vendorId, clock.productId});
#endif
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

std::string secondsText(std::chrono::milliseconds span) {
    return formatNumber(static_cast<double>(span.count()) / 1000.0, kDot) + " s";
}

std::string quoted(std::string_view text) {
    return '"' + printable(text) + '"';
}

std::string terminalText(std::string_view text) {
    return printable(text, std::string::npos);
}

std::string joined(const std::vector<std::string>& texts, std::string_view separator) {
    std::string out;
    for (const std::string& text : texts) {
        if (!out.empty())
            out += separator;
        out += text;
    }
    return out;
}

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

std::string statusLine(const InputStatus& status) {
    return "signal loss count " + std::to_string(status.signalLossCount) + "; GPS signal " +
           (status.noGpsSignal ? "none" : "ok") + "; PLL lock " +
           (status.noPllLock ? "none" : "ok");
}

void addStatusJson(Json& object, const InputStatus& status) {
    object["signal_losses"] = status.signalLossCount;
    object["gps_signal"] = !status.noGpsSignal;
    object["pll_locked"] = !status.noPllLock;
}

}  // namespace tarnwell::ctl
