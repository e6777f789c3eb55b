#include "ToolJson.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tarnwell {
namespace {

TEST(ToolJson, WritesWhatIsNotFiniteAsNullAndEscapesControlCharacters) {
    const Json document = {{"nan", std::nan("")},
                           {"infinite", -std::numeric_limits<double>::infinity()},
                           {"text", "a\x01\n\"b\x7f"},
                           {"latin1", "\xe9"}};
    EXPECT_EQ(jsonText(document),
              R"({"nan":null,"infinite":null,"text":"a\u0001\n\"b)"
              "\x7f"
              R"(","latin1":")"
              "\xef\xbf\xbd"  // U+FFFD
              R"("})");
    EXPECT_TRUE(exactNumber(1, 0).is_null());
}

TEST(ToolJson, NumbersOnlyWhereADoubleHoldsTheValueExactly) {
    EXPECT_EQ(jsonText(exactNumber(20000000, 2)), "10000000");
    EXPECT_EQ(jsonText(exactNumber(-15, 2)), "-7.5");
    EXPECT_EQ(exactNumber(220999801099, 22100), "220999801099/22100");
    EXPECT_EQ(exactNumber(6, -9), "-2/3");
    constexpr std::int64_t kBeyondDoubles = (std::int64_t{1} << 53) + 1;
    EXPECT_EQ(exactNumber(kBeyondDoubles, 1), std::to_string(kBeyondDoubles) + "/1");
    EXPECT_EQ(exactNumber(kBeyondDoubles - 1, 1), kBeyondDoubles - 1);

    EXPECT_EQ(decimalNumber("7.5"), 7.5);
    EXPECT_EQ(decimalNumber("0"), 0);
    EXPECT_EQ(decimalNumber("25.71"), "25.71");
    EXPECT_EQ(decimalNumber("-0.1"), "-0.1");
}

}  // namespace
}  // namespace tarnwell
