#include "ControlProtocol.h"

#include <gtest/gtest.h>

namespace tarnwell::uhidclock {
namespace {

template <typename Expected>
Expected parsedAs(std::string_view line) {
    const ParsedRequest parsed = parseRequest(line);
    EXPECT_TRUE(parsed.request.has_value()) << line << ": " << parsed.error;
    if (!parsed.request || !std::holds_alternative<Expected>(*parsed.request)) {
        ADD_FAILURE() << line << " parsed as another request";
        return {};
    }
    return std::get<Expected>(*parsed.request);
}

TEST(ControlProtocol, ParsesEveryRequestWithItsArguments) {
    const AddClock plain = parsedAs<AddClock>("add TW-1");
    EXPECT_EQ(plain.serial, "TW-1");
    EXPECT_EQ(plain.featureReportLength, 65u);
    EXPECT_EQ(plain.inputReportLength, 9u);
    EXPECT_EQ(plain.topLevelCollections, 1u);

    const AddClock sized = parsedAs<AddClock>("  add\tTW-2 4096 2 8\r\n");
    EXPECT_EQ(sized.serial, "TW-2");
    EXPECT_EQ(sized.featureReportLength, 4096u);
    EXPECT_EQ(sized.inputReportLength, 2u);
    EXPECT_EQ(sized.topLevelCollections, 8u);

    const SetStatus status = parsedAs<SetStatus>("status TW-1 255 3");
    EXPECT_EQ(status.serial, "TW-1");
    EXPECT_EQ(status.signalLossCount, 255);
    EXPECT_EQ(status.statusBits, 3);

    EXPECT_EQ(parsedAs<Unplug>("unplug A").serial, "A");
    EXPECT_EQ(parsedAs<Plug>("plug B").serial, "B");
    EXPECT_EQ(parsedAs<SendInput>("send-input C").serial, "C");
    EXPECT_EQ(parsedAs<ReadLog>("log D").serial, "D");
    EXPECT_EQ(parsedAs<ClearLog>("clear-log E").serial, "E");

    EXPECT_EQ(parsedAs<Stall>("stall F").duration, std::nullopt);
    EXPECT_EQ(parsedAs<Stall>("stall F 2500").duration, std::chrono::milliseconds(2500));
    EXPECT_EQ(parsedAs<Resume>("resume F").serial, "F");
    EXPECT_EQ(parsedAs<SendRawInput>("send-raw-input G 00ff").bytes,
              (std::vector<std::uint8_t>{0x00, 0xFF}));
    EXPECT_EQ(parsedAs<AnswerConfiguration>("answer-config H 0a").bytes,
              std::vector<std::uint8_t>{0x0A});
    EXPECT_EQ(parsedAs<AnswerConfiguration>("answer-config H -").bytes, std::nullopt);
}

TEST(ControlProtocol, RefusesMalformedRequestsWithAReason) {
    for (const char* line : {"",
                             "   ",
                             "plugin A",
                             "add",
                             "add A 65",
                             "add A 1 9",
                             "add A 65 1",
                             "add A 4097 9",
                             "add A 65x 9",
                             "add A -1 9",
                             "add A 65 9 0",
                             "add A 65 9 9",
                             "add A 65 9 1 1",
                             "status A 1",
                             "status A 256 0",
                             "status A 0 256",
                             "status A +1 0",
                             "unplug",
                             "unplug A B",
                             "log",
                             "send-input A B",
                             "stall A -1",
                             "stall A 1 2",
                             "resume",
                             "send-raw-input G",
                             "send-raw-input G 0",
                             "send-raw-input G 0g",
                             "answer-config H",
                             "answer-config H 00 -"}) {
        const ParsedRequest parsed = parseRequest(line);
        EXPECT_FALSE(parsed.request.has_value()) << '"' << line << '"';
        EXPECT_FALSE(parsed.error.empty()) << '"' << line << '"';
    }
}

TEST(ControlProtocol, LogLinesCarryEveryByteBothWays) {
    const LoggedReport report{"set-feature", {0x00, 0x04, 0xA5, 0xFF, 0x10}};
    EXPECT_EQ(formatLogLine(report), "set-feature 0004a5ff10");
    EXPECT_EQ(parseLogLine(formatLogLine(report)), report);

    const LoggedReport empty{"get-input", {}};
    EXPECT_EQ(parseLogLine(formatLogLine(empty)), empty);

    for (const char* line :
         {"", "set-feature", " 0004", "set-feature 000", "set-feature 0g", "set-feature 00 04"}) {
        EXPECT_FALSE(parseLogLine(line).has_value()) << '"' << line << '"';
    }
}

}  // namespace
}  // namespace tarnwell::uhidclock
