#pragma once

// The clocks' state in Prometheus' text exposition format, for scrapers and for the node
// exporter's textfile collector.

#include <chrono>
#include <optional>
#include <span>
#include <string>

#include "device/InputReport.h"

namespace tarnwell::ctl {

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

// Replaces the file's contents in one step: the text goes to a temporary file beside it, which
// is then renamed over it, so a reader never sees half a file. False (with `error` set) when the
// file could not be written.
bool replaceFile(const std::string& path, const std::string& text, std::string& error);

}  // namespace tarnwell::ctl
