#pragma once

// The clocks' state in Prometheus' text exposition format, for scrapers and for the node
// exporter's textfile collector.

#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "readback/InputReport.h"

namespace tarnwell::ctl {

// A metrics file kept by --watch is rewritten at least this often, so that its timestamp shows it
// is kept.
inline constexpr std::chrono::milliseconds kTextfileRefresh{30000};
// How often the clocks are looked at while the file is kept: a clock that stops answering shows
// as failed within this and one request's answer limit.
inline constexpr std::chrono::milliseconds kMetricsPoll{250};

// One attached clock as a scrape sees it.
struct ClockMetrics {
    std::string serial;
    std::optional<std::string> failure;  // why it could not be opened or read; then nothing below
    InputStatus status;
    std::string firmware;
    double out1Hz = 0;
    double referenceHz = 0;
};

// Every metric with HELP and TYPE lines, grouped by metric. With `written`, a timestamp gauge
// of when the text was made, so that a file nobody rewrites any more shows as stale.
std::string prometheusText(std::span<const ClockMetrics> clocks,
                           std::optional<std::chrono::system_clock::time_point> written = {});

// Why a clock asked for with -s has no metrics of its own.
inline constexpr std::string_view kNotAttached = "not attached";

// The clocks, and with `serial` that clock as not attached (up 0, with the reason) when it is
// not among them, so that a scrape shows it down rather than nothing.
std::vector<ClockMetrics> withAbsentClock(std::vector<ClockMetrics> clocks,
                                          const std::optional<std::string>& serial);

}  // namespace tarnwell::ctl
