#include "planning/Output2List.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>

using namespace tarnwell;
using ::testing::ElementsAre;

namespace {

std::pair<int, int> shownRange(int page, int pageCount, int lastIndex) {
    const Out2PageRange range = out2PageRange(page, pageCount, lastIndex);
    if (range.count == 0)
        return {-1, -1};
    return {range.first, range.first + range.count - 1};
}

}  // namespace

TEST(Output2List, EntriesAreOutputOneTimesTheRatioOfDividers) {
    EXPECT_THAT(out2Texts(10000000, 46, 2, 1), ElementsAre("76666666.6666667"));

    const std::vector<std::string> texts = out2Texts(10000000, 48, 0, 24);
    ASSERT_EQ(texts.size(), 24u);
    EXPECT_THAT(std::vector(texts.begin(), texts.begin() + 4),
                ElementsAre("240000000", "120000000", "80000000", "60000000"));
    EXPECT_EQ(texts.back(), "10000000");
    EXPECT_THAT(out2Texts(10000000, 48, 0, 0), ElementsAre());
    EXPECT_THAT(out2Texts(10000000, 48, 0, -3), ElementsAre());
    EXPECT_EQ(out2DividerForIndex(0), 2);
    EXPECT_EQ(out2DividerForIndex(32700), 65402);
    EXPECT_EQ(out2DividerForIndex(INT_MAX), INT_MAX);  // saturates rather than overflow
}

TEST(Output2List, ReadbackListEndsAtTheRoundedDividerAndIsCapped) {
    EXPECT_EQ(out2ReadbackLastIndex(1), 0);  // -0.5 rounds to 0
    EXPECT_EQ(out2ReadbackLastIndex(3), 0);
    EXPECT_EQ(out2ReadbackLastIndex(5), 2);
    EXPECT_EQ(out2ReadbackLastIndex(7), 2);
    EXPECT_EQ(out2ReadbackLastIndex(9), 4);
    EXPECT_EQ(out2ReadbackLastIndex(65402), 32700);
    EXPECT_EQ(out2ReadbackLastIndex(1e6), 32700);
    EXPECT_LT(out2ReadbackLastIndex(-4), 0);
    EXPECT_LT(out2ReadbackLastIndex(std::nan("")), 0);
}

TEST(Output2List, SelectionNamesAnEntryThatExists) {
    // Odd dividers read from a clock land on an even neighbour: 3 -> 2, 5 and 7 -> 6, 9 -> 10.
    for (auto [nc2, divider] : {std::pair{1, 2}, {3, 2}, {5, 6}, {7, 6}, {9, 10}, {48, 48}}) {
        const int count = out2ReadbackLastIndex(nc2) + 1;
        EXPECT_EQ(out2DividerForIndex(out2SelectionIndex(nc2, count)), divider) << nc2;
    }
    EXPECT_EQ(out2SelectionIndex(65402, 32701), 32700);
    EXPECT_EQ(out2SelectionIndex(8, 3), 2);  // d = 3 is past the list: the last entry
    EXPECT_EQ(out2SelectionIndex(5, 2), 1);  // d = 1.5 is inside, but rounds to 2, past the end
    EXPECT_EQ(out2SelectionIndex(-10, 5), 0);
    EXPECT_EQ(out2SelectionIndex(std::nan(""), 5), 0);
    EXPECT_EQ(out2SelectionIndex(48, 0), -1);
}

TEST(Output2List, PagesCoverEveryValueAndShareTheirBoundaries) {
    EXPECT_EQ(out2PageCount(24), 1);
    EXPECT_EQ(out2PageCount(32700), 1);
    EXPECT_EQ(out2PageCount(32701), 2);
    EXPECT_EQ(out2PageCount(65400), 2);  // 2.5 rounds to 2
    EXPECT_EQ(out2PageCount(98100), 4);  // 3.5 rounds to 4

    EXPECT_EQ(shownRange(0, 1, 23), std::pair(0, 23));
    EXPECT_EQ(shownRange(0, 2, 32701), std::pair(0, 32700));
    EXPECT_EQ(shownRange(1, 2, 32701), std::pair(32699, 32701));
    EXPECT_EQ(shownRange(1, 2, 65400), std::pair(32699, 65400));
    EXPECT_EQ(shownRange(1, 4, 98100), std::pair(32700, 65400));
    EXPECT_EQ(shownRange(2, 4, 98100), std::pair(65400, 98100));
    EXPECT_EQ(shownRange(3, 4, 98100), std::pair(98099, 98100));
    EXPECT_EQ(shownRange(-1, 4, 98100), std::pair(-1, -1));
    EXPECT_EQ(shownRange(4, 4, 98100), std::pair(-1, -1));
    EXPECT_EQ(shownRange(0, 1, -1), std::pair(-1, -1));

    // Across the whole divider range, every value is on a page and no page runs past the end.
    for (int last = 32701; last <= 1048576 / 2 - 1; last += 997) {
        const int pages = out2PageCount(last);
        int covered = -1;
        for (int page = 0; page < pages; ++page) {
            const auto [first, end] = shownRange(page, pages, last);
            ASSERT_LE(first, covered + 1) << last << " page " << page;
            ASSERT_LE(end - first + 1, kOut2PageEntries + 1);
            covered = std::max(covered, end);
        }
        ASSERT_EQ(covered, last) << last;
    }
}

TEST(Output2List, FindsTheEarliestPageShowingAValue) {
    EXPECT_EQ(out2PageShowing(23, 1, 23), 0);
    EXPECT_EQ(out2PageShowing(32700, 2, 32701), 0);  // shared by pages 0 and 1
    EXPECT_EQ(out2PageShowing(32701, 2, 32701), 1);
    EXPECT_EQ(out2PageShowing(65400, 4, 98100), 1);
    EXPECT_EQ(out2PageShowing(65401, 4, 98100), 2);
    EXPECT_EQ(out2PageShowing(98100, 4, 98100), 2);  // the last page only repeats it
    EXPECT_EQ(out2PageShowing(98101, 4, 98100), -1);
    EXPECT_EQ(out2PageShowing(-1, 4, 98100), -1);
    EXPECT_EQ(out2PageShowing(5, 0, 98100), -1);
}
