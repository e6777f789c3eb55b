#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "CtlCommand.h"
#include "PlanCommand.h"
#include "common/NumberText.h"
#include "planning/ClockLimits.h"
#include "planning/NearestExact.h"

namespace {

using namespace tarnwell;
using ::testing::HasSubstr;

std::string range(std::int64_t lowest, std::int64_t highest) {
    return std::to_string(lowest) + ".." + std::to_string(highest);
}

// The help texts tell the limits the code enforces.
TEST(HelpText, ShowsTheClocksNumbers) {
    std::ostringstream out;
    std::ostringstream err;
    const std::vector<std::string_view> help{"--help"};
    ASSERT_EQ(plan::runPlan(help, out, err), 0);
    const std::string reach = std::to_string(static_cast<int>(kNearestExactReach * 100)) + "%";
    const WholeFrequencyRange reachable = reachableWholeFrequencies();
    EXPECT_THAT(out.str(), HasSubstr(reach + " of HZ"));
    EXPECT_THAT(out.str(), HasSubstr(formatNumber(reachable.lowest) + " to " +
                                     formatNumber(reachable.highest) + " Hz"));

    const std::string ctl(ctl::ctlHelpText());
    for (const std::string& limit :
         {"GPS " + range(kGpsMin, kGpsMax), "N31 " + range(kN31Min, kN31Max),
          "N2_HS " + range(kN2HsMin, kN2HsMax), "N1_HS " + range(kN1HsMin, kN1HsMax),
          "N2_LS even, " + range(kLowSpeedDividerMin, kN2LsMax),
          "NC2_LS even, " + range(kLowSpeedDividerMin, kNcMax), reach + " of HZ"})
        EXPECT_THAT(ctl, HasSubstr(limit));
    for (const std::string_view drive : kDriveStrengthTexts)
        EXPECT_THAT(ctl, HasSubstr(drive));
}

}  // namespace
