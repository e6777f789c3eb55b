#include "PrometheusMetrics.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "ArgumentNumbers.h"
#include "common/NumberText.h"
#include "hostio/SafeText.h"

namespace tarnwell::ctl {

namespace {

// Escaped as the exposition format says; a label value must be UTF-8.
std::string labelValue(const std::string& value) {
    std::string escaped;
    for (const char c : validUtf8(value)) {
        if (c == '\\' || c == '"')
            escaped += '\\';
        if (c == '\n')
            escaped += "\\n";
        else
            escaped += c;
    }
    return '"' + escaped + '"';
}

struct Family {
    const char* name;
    const char* help;
    // The sample's labels after serial, and its value; nothing when the clock has no such sample.
    std::function<std::optional<std::pair<std::string, double>>(const ClockMetrics&)> sample;
};

std::optional<std::pair<std::string, double>> whenRead(const ClockMetrics& c, double value) {
    if (c.failure)
        return std::nullopt;
    return std::pair{std::string(), value};
}

const Family kFamilies[] = {
    {"tarnwell_clock_up", "1 when the clock could be opened and its status read, else 0.",
     [](const ClockMetrics& c) {
         return std::optional(std::pair{std::string(), c.failure ? 0.0 : 1.0});
     }},
    {"tarnwell_clock_failure_info", "Why a clock could not be opened or read.",
     [](const ClockMetrics& c) -> std::optional<std::pair<std::string, double>> {
         if (!c.failure)
             return std::nullopt;
         return std::pair{",reason=" + labelValue(*c.failure), 1.0};
     }},
    {"tarnwell_gps_signal", "1 when the clock receives a GPS signal, else 0.",
     [](const ClockMetrics& c) { return whenRead(c, c.status.noGpsSignal ? 0 : 1); }},
    {"tarnwell_pll_locked", "1 when the clock's PLL is locked, else 0.",
     [](const ClockMetrics& c) { return whenRead(c, c.status.noPllLock ? 0 : 1); }},
    {"tarnwell_gps_signal_losses",
     "GPS signal losses the clock has counted (its own count, which wraps after 255).",
     [](const ClockMetrics& c) { return whenRead(c, c.status.signalLossCount); }},
    {"tarnwell_clock_info", "The clock's firmware, output-1 frequency and GPS reference.",
     [](const ClockMetrics& c) -> std::optional<std::pair<std::string, double>> {
         if (c.failure)
             return std::nullopt;
         return std::pair{",firmware=" + labelValue(c.firmware) +
                              ",out1_hz=" + labelValue(formatNumber(c.out1Hz, kDot)) +
                              ",reference_hz=" + labelValue(formatNumber(c.referenceHz, kDot)),
                          1.0};
     }},
};

}  // namespace

std::string prometheusText(std::span<const ClockMetrics> clocks,
                           std::optional<std::chrono::system_clock::time_point> written) {
    std::string text;
    for (const Family& family : kFamilies) {
        std::string samples;
        for (const ClockMetrics& clock : clocks) {
            if (const auto sample = family.sample(clock)) {
                samples += std::string(family.name) + "{serial=" + labelValue(clock.serial) +
                           sample->first + "} " + formatNumber(sample->second, kDot) + '\n';
            }
        }
        if (samples.empty())
            continue;
        text += std::string("# HELP ") + family.name + ' ' + family.help + '\n';
        text += std::string("# TYPE ") + family.name + " gauge\n" + samples;
    }
    if (written) {
        const auto seconds = std::chrono::duration<double>(written->time_since_epoch()).count();
        text +=
            "# HELP tarnwell_textfile_written_timestamp_seconds When tarnwell-ctl last wrote "
            "this file.\n"
            "# TYPE tarnwell_textfile_written_timestamp_seconds gauge\n"
            "tarnwell_textfile_written_timestamp_seconds " +
            formatNumber(std::floor(seconds), kDot) + '\n';
    }
    return text;
}

std::vector<ClockMetrics> withAbsentClock(std::vector<ClockMetrics> clocks,
                                          const std::optional<std::string>& serial) {
    const auto named = [&serial](const ClockMetrics& clock) { return clock.serial == *serial; };
    if (serial && std::ranges::none_of(clocks, named)) {
        ClockMetrics absent;
        absent.serial = *serial;
        absent.failure = std::string(kNotAttached);
        clocks.push_back(std::move(absent));
    }
    return clocks;
}

}  // namespace tarnwell::ctl
