#include "planning/PllSettings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

using namespace tarnwell;
using ::testing::Each;
using ::testing::ElementsAre;

namespace {

PllBoxValues example() {
    return {.gps = 10000000,
            .n31 = 1000,
            .n2hs = 10,
            .n2ls = 51234,
            .n1hs = 5,
            .nc1ls = 100,
            .nc2ls = 200,
            .phaseIndex = 0,
            .bw = 3};
}

std::vector<std::uint8_t> fieldBytes(const PllBoxValues& values, std::size_t first,
                                     std::size_t count) {
    const PllEncoding encoding = encodePllSettings(values);
    EXPECT_TRUE(encoding) << encoding.refusedField;
    return {encoding.bytes.begin() + first, encoding.bytes.begin() + first + count};
}

std::vector<std::uint8_t> n31Bytes(double n31) {
    PllBoxValues values = example();
    values.n31 = n31;
    return fieldBytes(values, 3, 3);
}

template <typename Change>
std::string refusalAfter(Change change) {
    PllBoxValues values = example();
    change(values);
    const PllEncoding encoding = encodePllSettings(values);
    EXPECT_THAT(encoding.bytes, Each(0)) << "a refused record carries no bytes";
    return encoding.refusedField;
}

PllBoxValues boxValuesOf(const PllSettings& s) {
    return {.gps = double(s.gps),
            .n31 = double(s.n31),
            .n2hs = double(s.n2hs),
            .n2ls = double(s.n2ls),
            .n1hs = double(s.n1hs),
            .nc1ls = double(s.nc1ls),
            .nc2ls = double(s.nc2ls),
            .phaseIndex = s.phaseIndex,
            .bw = double(s.bw)};
}

}  // namespace

TEST(PllSettings, EncodesEachFieldLittleEndianLessItsOffset) {
    const PllEncoding encoding = encodePllSettings(example());
    ASSERT_TRUE(encoding);
    EXPECT_THAT(encoding.bytes,
                ElementsAre(0x80, 0x96, 0x98, 0xE7, 0x03, 0x00, 0x06, 0x21, 0xC8, 0x00, 0x01, 0x63,
                            0x00, 0x00, 0xC7, 0x00, 0x00, 0x00, 0x03));
    EXPECT_THAT(n31Bytes(524288), ElementsAre(0xFF, 0xFF, 0x07));
    EXPECT_THAT(n31Bytes(1), ElementsAre(0x00, 0x00, 0x00));
    PllBoxValues values = example();
    values.n2ls = 1048576;
    EXPECT_THAT(fieldBytes(values, 7, 3), ElementsAre(0xFF, 0xFF, 0x0F));
    values.n2hs = 11;
    EXPECT_THAT(fieldBytes(values, 6, 1), ElementsAre(0x07));
    values.n2hs = 4;
    EXPECT_THAT(fieldBytes(values, 6, 1), ElementsAre(0x00));
    values.phaseIndex = 255;
    values.bw = 15;
    EXPECT_THAT(fieldBytes(values, 17, 2), ElementsAre(0xFF, 0x0F));
}

TEST(PllSettings, RoundsFractionsHalfToEvenOnlyInTheLowByte) {
    EXPECT_THAT(n31Bytes(2.5), ElementsAre(0x02, 0x00, 0x00));      // 1.5 -> 2
    EXPECT_THAT(n31Bytes(3.5), ElementsAre(0x02, 0x00, 0x00));      // 2.5 -> 2
    EXPECT_THAT(n31Bytes(257.5), ElementsAre(0x00, 0x01, 0x00));    // 256.5 -> 256
    EXPECT_THAT(n31Bytes(65537.3), ElementsAre(0x00, 0x00, 0x01));  // 65536.3 -> 65536
    PllBoxValues values = example();
    values.bw = 254.5;
    EXPECT_THAT(fieldBytes(values, 18, 1), ElementsAre(254));
    values.bw = -0.4;
    EXPECT_THAT(fieldBytes(values, 18, 1), ElementsAre(0));
}

TEST(PllSettings, RefusesAValueItsFieldCannotHold) {
    // The low byte would round up to 256 under a middle byte already taken.
    EXPECT_EQ(refusalAfter([](auto& v) { v.n31 = 256.5; }), "N31");
    EXPECT_EQ(refusalAfter([](auto& v) { v.n31 = 65536.7; }), "N31");
    EXPECT_EQ(refusalAfter([](auto& v) { v.gps = 16777215.6; }), "GPS");
    EXPECT_EQ(refusalAfter([](auto& v) { v.gps = 16777216; }), "GPS");
    EXPECT_EQ(refusalAfter([](auto& v) { v.gps = std::nan(""); }), "GPS");
    EXPECT_EQ(refusalAfter([](auto& v) { v.n2ls = 0; }), "N2_LS");
    EXPECT_EQ(refusalAfter([](auto& v) { v.nc1ls = -5e9; }), "NC1_LS");
    EXPECT_EQ(refusalAfter([](auto& v) { v.nc2ls = INFINITY; }), "NC2_LS");
    EXPECT_EQ(refusalAfter([](auto& v) { v.n2hs = 260; }), "N2_HS");
    EXPECT_EQ(refusalAfter([](auto& v) { v.n1hs = 3; }), "N1_HS");
    EXPECT_EQ(refusalAfter([](auto& v) { v.phaseIndex = 256; }), "PhaseBox");
    EXPECT_EQ(refusalAfter([](auto& v) { v.phaseIndex = -1; }), "PhaseBox");
    EXPECT_EQ(refusalAfter([](auto& v) { v.bw = 255.5; }), "BW");
    EXPECT_EQ(refusalAfter([](auto& v) { v.bw = -0.6; }), "BW");
    // The first field in record order is named.
    EXPECT_EQ(refusalAfter([](auto& v) { v.bw = 300, v.n31 = 0; }), "N31");

    PllBoxValues largest = example();
    largest.gps = 16777215;
    EXPECT_THAT(fieldBytes(largest, 0, 3), ElementsAre(0xFF, 0xFF, 0xFF));
}

TEST(PllSettings, DecodesWhatItEncodes) {
    const PllEncoding encoding = encodePllSettings(example());
    const PllSettings decoded = decodePllSettings(encoding.bytes);
    EXPECT_EQ(decoded, (PllSettings{10000000, 1000, 10, 51234, 5, 100, 200, 0, 3}));

    EXPECT_EQ(decodePllSettings(PllSettingsBytes{}), (PllSettings{0, 1, 4, 1, 4, 1, 1, 0, 0}));
    PllSettingsBytes full;
    full.fill(0xFF);
    EXPECT_EQ(decodePllSettings(full),
              (PllSettings{16777215, 16777216, 259, 16777216, 259, 16777216, 16777216, 255, 255}));

    std::mt19937 random(7);
    auto draw = [&](std::uint32_t low, std::uint32_t high) {
        return std::uniform_int_distribution<std::uint32_t>(low, high)(random);
    };
    for (int trial = 0; trial < 2000; ++trial) {
        const PllSettings settings{draw(0, 10000000),
                                   draw(1, 1u << 19),
                                   draw(4, 11),
                                   draw(1, 1u << 19) * 2,
                                   draw(4, 11),
                                   draw(1, 1u << 19) * 2,
                                   draw(1, 1u << 19) * 2,
                                   static_cast<std::uint8_t>(draw(0, 255)),
                                   static_cast<std::uint8_t>(draw(0, 255))};
        const PllEncoding again = encodePllSettings(boxValuesOf(settings));
        ASSERT_TRUE(again) << again.refusedField;
        ASSERT_EQ(decodePllSettings(again.bytes), settings) << trial;
    }
}
