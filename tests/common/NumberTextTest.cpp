#include "common/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using tarnwell::formatNumber;
using tarnwell::NumberLocale;
using tarnwell::parseNumber;

TEST(NumberText, WritesTheGeneralForm) {
    EXPECT_EQ(formatNumber(10000000), "10000000");
    EXPECT_EQ(formatNumber(10000000.0 * 46 / 6), "76666666.6666667");
    EXPECT_EQ(formatNumber(5.28), "5.28");
    EXPECT_EQ(formatNumber(91.8), "91.8");
    EXPECT_EQ(formatNumber(2571.0 / 100), "25.71");
    EXPECT_EQ(formatNumber(0.5), "0.5");
    EXPECT_EQ(formatNumber(-12.25), "-12.25");
    EXPECT_EQ(formatNumber(0.0), "0");
    EXPECT_EQ(formatNumber(-0.0), "0");
    EXPECT_EQ(formatNumber(0.0001), "0.0001");
    EXPECT_EQ(formatNumber(999999999999999.0), "999999999999999");
}

TEST(NumberText, UsesTheExponentFormOutsideFifteenDigits) {
    EXPECT_EQ(formatNumber(1e15), "1E+15");
    EXPECT_EQ(formatNumber(1.5e20), "1.5E+20");
    EXPECT_EQ(formatNumber(0.00001), "1E-05");
    EXPECT_EQ(formatNumber(-2.5e-7), "-2.5E-07");
    // Rounded up, the largest double would read back as infinity: it is written rounded down.
    EXPECT_EQ(formatNumber(1.7976931348623157e308), "1.79769313486231E+308");
    EXPECT_EQ(formatNumber(-1.7976931348623157e308), "-1.79769313486231E+308");
    EXPECT_TRUE(parseNumber(formatNumber(1.7976931348623157e308)));
    EXPECT_EQ(formatNumber(1.79769313486231e308), "1.79769313486231E+308");
}

TEST(NumberText, WritesAndReadsTheLocaleDecimalSeparator) {
    const NumberLocale comma{','};
    EXPECT_EQ(formatNumber(5.28, comma), "5,28");
    EXPECT_EQ(formatNumber(1.5e20, comma), "1,5E+20");
    EXPECT_EQ(parseNumber("5,28", comma), 5.28);
    EXPECT_FALSE(parseNumber("5.28", comma));
    EXPECT_FALSE(parseNumber("5,28"));
    // Typed grouping is read in the locale's form only, and never written.
    const NumberLocale english{'.', ","};
    const NumberLocale german{',', "."};
    EXPECT_EQ(parseNumber("10,000,000", english), 10000000.0);
    EXPECT_EQ(parseNumber("51,234", english), 51234.0);
    EXPECT_EQ(parseNumber("-1,234.5", english), -1234.5);
    EXPECT_EQ(parseNumber("10.000.000", german), 10000000.0);
    EXPECT_EQ(parseNumber("51,234", german), 51.234);
    EXPECT_EQ(parseNumber("1\u202f000", NumberLocale{',', "\u202f"}), 1000.0);
    for (const char* text : {"51,23", "1,0000", ",000", "1,,000", "1,000,", "1234,567", "1.5,000"})
        EXPECT_FALSE(parseNumber(text, english)) << '"' << text << '"';
    EXPECT_FALSE(parseNumber("10,000,000"));
    EXPECT_EQ(formatNumber(10000000, english), "10000000");
    EXPECT_EQ(tarnwell::formatGrouped(10000000, english), "10,000,000");
    EXPECT_EQ(tarnwell::formatGrouped(10000000, german), "10.000.000");
    EXPECT_EQ(tarnwell::formatGrouped(-1234.5, english), "-1,234.5");
    EXPECT_EQ(tarnwell::formatGrouped(123, english), "123");
}

TEST(NumberText, ReadsDecimalNumbers) {
    EXPECT_EQ(parseNumber("10000000"), 10000000.0);
    EXPECT_EQ(parseNumber("  12.5 "), 12.5);
    EXPECT_EQ(parseNumber("+3"), 3.0);
    EXPECT_EQ(parseNumber("-0.25"), -0.25);
    EXPECT_EQ(parseNumber("1E7"), 1e7);
    EXPECT_EQ(parseNumber("1e-3"), 0.001);
    EXPECT_EQ(parseNumber(".5"), 0.5);
    EXPECT_EQ(parseNumber("5."), 5.0);
    EXPECT_EQ(parseNumber("10000000.0"), 10000000.0);
}

TEST(NumberText, RefusesWhatIsNotANumber) {
    for (const char* text :
         {"",     " ",   "abc", "1,5",      "1.2.3", "e5",  "1e", "1e+", "--1",   "+-1",
          "0x10", "inf", "nan", "Infinity", "1 2",   "12a", ".",  "-",   "1e400", "1_000"})
        EXPECT_FALSE(parseNumber(text)) << '"' << text << '"';
}

TEST(NumberText, ReadsBackWhatItWrites) {
    std::mt19937_64 random(12345);
    std::uniform_real_distribution<double> exponent(-30, 30);
    std::uniform_real_distribution<double> unit(-1, 1);
    for (const NumberLocale& locale : {NumberLocale{'.'}, NumberLocale{','}}) {
        for (int n = 0; n < 20000; ++n) {
            const double value = unit(random) * std::pow(10.0, exponent(random));
            const std::string text = formatNumber(value, locale);
            const auto back = parseNumber(text, locale);
            ASSERT_TRUE(back) << text;
            EXPECT_EQ(formatNumber(*back, locale), text);
            EXPECT_NEAR(*back, value, std::abs(value) * 1e-14);
        }
    }
}

TEST(NumberText, Rounds) {
    using tarnwell::intPart;
    using tarnwell::roundHalfEven;
    using tarnwell::roundHalfUp;
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(-0.5), 0);
    EXPECT_EQ(roundHalfEven(-1.5), -2);
    EXPECT_EQ(roundHalfEven(12.5), 12);
    EXPECT_EQ(roundHalfEven(13.5), 14);
    EXPECT_EQ(roundHalfEven(2.5000001), 3);
    EXPECT_EQ(roundHalfUp(2.5), 3);
    EXPECT_EQ(roundHalfUp(2571.428), 2571);
    EXPECT_EQ(roundHalfUp(0.49999999999999994), 0);
    EXPECT_EQ(intPart(5.9999), 5);
    EXPECT_EQ(intPart(-0.5), -1);
}
