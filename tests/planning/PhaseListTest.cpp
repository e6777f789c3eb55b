#include "planning/PhaseList.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace tarnwell;
using ::testing::ElementsAre;

TEST(PhaseList, StepsAreWholeTurnsDividedByTheDivider) {
    const std::vector<std::string> by48 = phaseEntries("48");
    ASSERT_EQ(by48.size(), 48u);
    EXPECT_THAT(std::vector(by48.begin(), by48.begin() + 3), ElementsAre("0", "7.5", "15"));
    EXPECT_EQ(by48.back(), "352.5");

    const std::vector<std::string> by14 = phaseEntries("14");
    ASSERT_EQ(by14.size(), 14u);
    EXPECT_EQ(by14[1], "25.71");   // 2571.43 hundredths
    EXPECT_EQ(by14[6], "154.29");  // 15428.57 hundredths

    const std::vector<std::string> by1000 = phaseEntries("1000");
    ASSERT_EQ(by1000.size(), 256u);
    EXPECT_EQ(by1000.back(), "91.8");

    EXPECT_EQ(phaseEntries("8")[1], "45");
    EXPECT_EQ(phaseEntries("16", NumberLocale{','})[1], "22,5");
}

TEST(PhaseList, OddTextsGiveASoundList) {
    EXPECT_THAT(phaseEntries(""), ElementsAre());
    EXPECT_THAT(phaseEntries("abc"), ElementsAre());
    EXPECT_THAT(phaseEntries("0"), ElementsAre("0"));
    EXPECT_THAT(phaseEntries("0.3"), ElementsAre("0"));
    EXPECT_THAT(phaseEntries("-12"), ElementsAre("0"));
    EXPECT_THAT(phaseEntries("1"), ElementsAre("0"));
    EXPECT_THAT(phaseEntries("2"), ElementsAre("0", "180"));
    EXPECT_EQ(phaseEntries("1E300").size(), 256u);
    // 2.5 gives m = 2 (1.5 rounds to 2) steps over N = 2 (2.5 rounds to 2).
    EXPECT_THAT(phaseEntries("2.5"), ElementsAre("0", "180", "360"));
}
