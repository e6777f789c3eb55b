#include "ControlProtocol.h"

#include <charconv>

namespace tarnwell::uhidclock {
namespace {

std::vector<std::string_view> splitWords(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t pos = 0;
    while (true) {
        pos = line.find_first_not_of(" \t\r\n", pos);
        if (pos == std::string_view::npos) {
            return words;
        }
        const std::size_t end = line.find_first_of(" \t\r\n", pos);
        words.push_back(line.substr(pos, end - pos));
        if (end == std::string_view::npos) {
            return words;
        }
        pos = end;
    }
}

template <typename Number>
std::optional<Number> parseNumber(std::string_view word, Number minimum, Number maximum) {
    Number value{};
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size() || value < minimum ||
        value > maximum) {
        return std::nullopt;
    }
    return value;
}

ParsedRequest failure(std::string why) {
    return {std::nullopt, std::move(why)};
}

ParsedRequest parseAdd(const std::vector<std::string_view>& words) {
    if (words.size() == 2) {
        return {AddClock{std::string(words[1])}, {}};
    }
    if (words.size() != 4 && words.size() != 5) {
        return failure("usage: add SERIAL [FEATURE_LENGTH INPUT_LENGTH [COLLECTIONS]]");
    }
    const auto feature = parseNumber<std::size_t>(words[2], 2, kMaximumReportLength);
    const auto input = parseNumber<std::size_t>(words[3], 2, kMaximumReportLength);
    if (!feature || !input) {
        return failure("report lengths must be 2 to " + std::to_string(kMaximumReportLength));
    }
    const auto collections =
        words.size() == 5 ? parseNumber<std::size_t>(words[4], 1, kMaximumTopLevelCollections)
                          : std::optional<std::size_t>(1);
    if (!collections) {
        return failure("collections must be 1 to " + std::to_string(kMaximumTopLevelCollections));
    }
    return {AddClock{std::string(words[1]), *feature, *input, *collections}, {}};
}

ParsedRequest parseStatus(const std::vector<std::string_view>& words) {
    if (words.size() != 4) {
        return failure("usage: status SERIAL LOSS_COUNT STATUS_BITS");
    }
    const auto loss = parseNumber<unsigned>(words[2], 0, 255);
    const auto bits = parseNumber<unsigned>(words[3], 0, 255);
    if (!loss || !bits) {
        return failure("loss count and status bits must be 0 to 255");
    }
    return {SetStatus{std::string(words[1]), static_cast<std::uint8_t>(*loss),
                      static_cast<std::uint8_t>(*bits)},
            {}};
}

template <typename SerialOnly>
ParsedRequest parseSerialOnly(const std::vector<std::string_view>& words) {
    if (words.size() != 2) {
        return failure("usage: " + std::string(words[0]) + " SERIAL");
    }
    return {SerialOnly{std::string(words[1])}, {}};
}

ParsedRequest parseStall(const std::vector<std::string_view>& words) {
    if (words.size() == 2)
        return {Stall{std::string(words[1]), std::nullopt}, {}};
    // A day is far past anything uhid waits for.
    constexpr int kLongestStall = 24 * 60 * 60 * 1000;
    const auto duration =
        words.size() == 3 ? parseNumber<int>(words[2], 0, kLongestStall) : std::optional<int>();
    if (!duration)
        return failure("usage: stall SERIAL [MS], MS from 0 to " + std::to_string(kLongestStall));
    return {Stall{std::string(words[1]), std::chrono::milliseconds(*duration)}, {}};
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

std::optional<std::vector<std::uint8_t>> parseHex(std::string_view hex) {
    if (hex.size() % 2 != 0 || hex.size() / 2 > kMaximumReportLength) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = hexDigit(hex[i]);
        const int low = hexDigit(hex[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return bytes;
}

ParsedRequest parseRawInput(const std::vector<std::string_view>& words) {
    const auto bytes = words.size() == 3 ? parseHex(words[2]) : std::nullopt;
    if (!bytes || bytes->empty())
        return failure("usage: send-raw-input SERIAL HEX, 1 to " +
                       std::to_string(kMaximumReportLength) + " bytes in lower-case hex");
    return {SendRawInput{std::string(words[1]), *bytes}, {}};
}

ParsedRequest parseAnswerConfiguration(const std::vector<std::string_view>& words) {
    if (words.size() == 3 && words[2] == "-")
        return {AnswerConfiguration{std::string(words[1]), std::nullopt}, {}};
    const auto bytes = words.size() == 3 ? parseHex(words[2]) : std::nullopt;
    if (!bytes || bytes->empty())
        return failure("usage: answer-config SERIAL HEX|-, 1 to " +
                       std::to_string(kMaximumReportLength) + " bytes in lower-case hex");
    return {AnswerConfiguration{std::string(words[1]), *bytes}, {}};
}

}  // namespace

ParsedRequest parseRequest(std::string_view line) {
    const std::vector<std::string_view> words = splitWords(line);
    if (words.empty()) {
        return failure("empty request");
    }
    const std::string_view verb = words[0];
    if (verb == "add") {
        return parseAdd(words);
    }
    if (verb == "status") {
        return parseStatus(words);
    }
    if (verb == "unplug") {
        return parseSerialOnly<Unplug>(words);
    }
    if (verb == "plug") {
        return parseSerialOnly<Plug>(words);
    }
    if (verb == "send-input") {
        return parseSerialOnly<SendInput>(words);
    }
    if (verb == "log") {
        return parseSerialOnly<ReadLog>(words);
    }
    if (verb == "clear-log") {
        return parseSerialOnly<ClearLog>(words);
    }
    if (verb == "stall") {
        return parseStall(words);
    }
    if (verb == "resume") {
        return parseSerialOnly<Resume>(words);
    }
    if (verb == "send-raw-input") {
        return parseRawInput(words);
    }
    if (verb == "answer-config") {
        return parseAnswerConfiguration(words);
    }
    return failure("unknown request '" + std::string(verb) + "'");
}

std::string formatLogLine(const LoggedReport& report) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string line = report.kind + ' ';
    for (const std::uint8_t byte : report.bytes) {
        line += kDigits[byte >> 4];
        line += kDigits[byte & 0x0F];
    }
    return line;
}

std::optional<LoggedReport> parseLogLine(std::string_view line) {
    const std::size_t space = line.find(' ');
    if (space == 0 || space == std::string_view::npos) {
        return std::nullopt;
    }
    auto bytes = parseHex(line.substr(space + 1));
    if (!bytes) {
        return std::nullopt;
    }
    return LoggedReport{std::string(line.substr(0, space)), std::move(*bytes)};
}

}  // namespace tarnwell::uhidclock
