#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "ClockSession.h"
#include "CtlCommand.h"
#include "PlanCommand.h"
#include "PrometheusMetrics.h"
#include "device/TimedDevice.h"
#include "planning/ClockLimits.h"
#include "planning/DividerSearch.h"
#include "planning/NearestExact.h"
#include "readback/DriveStrengthTexts.h"

namespace {

using namespace tarnwell;
using ::testing::HasSubstr;

double seconds(std::chrono::milliseconds span) {
    return std::chrono::duration<double>(span).count();
}

// The help texts tell the limits and waits the code enforces: each number the help states where
// the pattern finds it is the code's.
TEST(HelpText, StatesTheNumbersTheCodeUses) {
    std::ostringstream out;
    std::ostringstream err;
    const std::vector<std::string_view> help{"--help"};
    ASSERT_EQ(plan::runPlan(help, out, err), 0);
    const std::string plan = out.str();
    const std::string ctl(ctl::ctlHelpText());
    const WholeFrequencyRange reachable = reachableWholeFrequencies();
    const double reach = kNearestExactReach * 100;

    struct Row {
        const std::string& help;
        std::string pattern;  // one group per number
        std::vector<double> numbers;
    };
    const std::vector<Row> rows = {
        {plan, R"(([\d.]+)% of HZ)", {reach}},
        {plan, R"(reaches ([\d.]+) to ([\d.]+) Hz)", {reachable.lowest, reachable.highest}},
        {plan, R"(not a number of at least ([\d.]+))", {kLowestWantedFrequency}},
        {ctl, R"(([\d.]+)% of HZ)", {reach}},
        {ctl, R"(GPS (\d+)\.\.(\d+))", {kGpsMin, kGpsMax}},
        {ctl, R"(N31 (\d+)\.\.(\d+))", {kN31Min, kN31Max}},
        {ctl, R"(N2_HS (\d+)\.\.(\d+))", {kN2HsMin, kN2HsMax}},
        {ctl, R"(N1_HS (\d+)\.\.(\d+))", {kN1HsMin, kN1HsMax}},
        {ctl, R"(N2_LS even, (\d+)\.\.(\d+))", {kLowSpeedDividerMin, kN2LsMax}},
        {ctl, R"(NC2_LS even, (\d+)\.\.(\d+))", {kLowSpeedDividerMin, kNcMax}},
        {ctl, R"(request\s+to the clock may take ([\d.]+) s)", {seconds(kClockAnswerTimeout)}},
        {ctl, R"(status waits ([\d.]+) s)", {seconds(ctl::kDefaultStatusTimeout)}},
        {ctl, R"(at least every ([\d.]+) s)", {seconds(ctl::kTextfileRefresh)}},
        {ctl, R"(looked at every ([\d.]+) s)", {seconds(ctl::kMetricsPoll)}},
    };
    for (const Row& row : rows) {
        std::smatch found;
        ASSERT_TRUE(std::regex_search(row.help, found, std::regex(row.pattern))) << row.pattern;
        ASSERT_EQ(found.size(), row.numbers.size() + 1) << row.pattern;
        for (std::size_t i = 0; i < row.numbers.size(); ++i)
            EXPECT_EQ(std::stod(found[i + 1].str()), row.numbers[i]) << row.pattern;
    }
    for (const std::string_view drive : kDriveStrengthTexts)
        EXPECT_THAT(ctl, HasSubstr(drive));
}

}  // namespace
