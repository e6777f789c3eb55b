#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tarnwell::uhidclock {

// The line protocol on the simulator's control socket. A request is one line; the reply is zero or
// more data lines followed by "ok" or "error: <why>".
//   add SERIAL [FEATURE_LENGTH INPUT_LENGTH [COLLECTIONS]]
//                                               create and plug in another clock
//   unplug SERIAL | plug SERIAL                 remove it from the bus / put it back
//   status SERIAL LOSS_COUNT STATUS_BITS        what its next input reports carry
//   send-input SERIAL                           send one input report now, besides the periodic
//                                               ones
//   log SERIAL                                  one data line per report it received
//   clear-log SERIAL                            forget them
//   stall SERIAL [MS]                           hold back the answers to feature requests and stop
//                                               input reports, for MS milliseconds or until resumed
//   resume SERIAL                               answer what was held back, in order, and go on
//   send-raw-input SERIAL HEX                   send these bytes as one input report now, whatever
//                                               their length or sense
//   answer-config SERIAL HEX|-                  answer the next configuration request with these
//                                               bytes (report-ID byte first) instead of the
//                                               configuration, or with a refusal (-)
// Lengths count the report-ID byte, as the host's report lengths do. COLLECTIONS above 1 adds
// empty top-level collections, which hidapi lists as further entries of the same path.

inline constexpr std::size_t kDefaultFeatureReportLength = 65;
inline constexpr std::size_t kDefaultInputReportLength = 9;
// The kernel carries at most this many bytes per report.
inline constexpr std::size_t kMaximumReportLength = 4096;
inline constexpr std::size_t kMaximumTopLevelCollections = 8;

struct AddClock {
    std::string serial;
    std::size_t featureReportLength = kDefaultFeatureReportLength;
    std::size_t inputReportLength = kDefaultInputReportLength;
    std::size_t topLevelCollections = 1;
};
struct Unplug {
    std::string serial;
};
struct Plug {
    std::string serial;
};
struct SetStatus {
    std::string serial;
    std::uint8_t signalLossCount = 0;
    std::uint8_t statusBits = 0;
};
struct SendInput {
    std::string serial;
};
struct ReadLog {
    std::string serial;
};
struct ClearLog {
    std::string serial;
};
struct Stall {
    std::string serial;
    std::optional<std::chrono::milliseconds> duration;  // nothing: until resumed
};
struct Resume {
    std::string serial;
};
struct SendRawInput {
    std::string serial;
    std::vector<std::uint8_t> bytes;
};
struct AnswerConfiguration {
    std::string serial;
    std::optional<std::vector<std::uint8_t>> bytes;  // nothing: refused
};

using Request = std::variant<AddClock, Unplug, Plug, SetStatus, SendInput, ReadLog, ClearLog, Stall,
                             Resume, SendRawInput, AnswerConfiguration>;

struct ParsedRequest {
    std::optional<Request> request;
    std::string error;  // set when request is empty
};

ParsedRequest parseRequest(std::string_view line);

// One report the clock received from the host (or, for a get, the bytes it answered with).
struct LoggedReport {
    std::string kind;  // "set-feature", "get-feature", "output", ...
    std::vector<std::uint8_t> bytes;
    friend bool operator==(const LoggedReport&, const LoggedReport&) = default;
};

std::string formatLogLine(const LoggedReport& report);
std::optional<LoggedReport> parseLogLine(std::string_view line);

inline constexpr std::string_view kReplyOk = "ok";
inline constexpr std::string_view kReplyErrorPrefix = "error: ";

}  // namespace tarnwell::uhidclock
