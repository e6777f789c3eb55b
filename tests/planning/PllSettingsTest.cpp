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

const PllBoxValues kExample{.gps = 10000000,
                            .n31 = 1000,
                            .n2hs = 10,
                            .n2ls = 51234,
                            .n1hs = 5,
                            .nc1ls = 100,
                            .nc2ls = 200,
                            .phaseIndex = 0,
                            .bw = 3};

// The example with one value changed, encoded; a refused record must carry no bytes.
template <typename Change>
PllEncoding encodeChanged(Change change) {
    PllBoxValues values = kExample;
    change(values);
    PllEncoding encoding = encodePllSettings(values);
    if (!encoding) {
        EXPECT_THAT(encoding.bytes, Each(0));
    }
    return encoding;
}

template <typename Change>
std::vector<int> bytesAt(std::size_t first, std::size_t count, Change change) {
    const PllEncoding encoding = encodeChanged(change);
    EXPECT_TRUE(encoding);
    return {encoding.bytes.begin() + first, encoding.bytes.begin() + first + count};
}

std::vector<int> n31Bytes(double n31) {
    return bytesAt(3, 3, [=](auto& v) { v.n31 = n31; });
}

}  // namespace

TEST(PllSettings, EncodesEachFieldLittleEndianLessItsOffset) {
    EXPECT_THAT(encodePllSettings(kExample).bytes,
                ElementsAre(0x80, 0x96, 0x98, 0xE7, 0x03, 0x00, 0x06, 0x21, 0xC8, 0x00, 0x01, 0x63,
                            0x00, 0x00, 0xC7, 0x00, 0x00, 0x00, 0x03));
    EXPECT_THAT(n31Bytes(524288), ElementsAre(0xFF, 0xFF, 0x07));
    EXPECT_THAT(n31Bytes(1), ElementsAre(0x00, 0x00, 0x00));
    EXPECT_THAT(bytesAt(7, 3, [](auto& v) { v.n2ls = 1048576; }), ElementsAre(0xFF, 0xFF, 0x0F));
    EXPECT_THAT(bytesAt(6, 1, [](auto& v) { v.n2hs = 11; }), ElementsAre(0x07));
    EXPECT_THAT(bytesAt(6, 1, [](auto& v) { v.n2hs = 4; }), ElementsAre(0x00));
    EXPECT_THAT(bytesAt(17, 2, [](auto& v) { v.phaseIndex = 255, v.bw = 15; }),
                ElementsAre(0xFF, 0x0F));
}

TEST(PllSettings, RoundsFractionsHalfToEven) {
    EXPECT_THAT(n31Bytes(2.5), ElementsAre(0x02, 0x00, 0x00));      // 1.5 -> 2
    EXPECT_THAT(n31Bytes(3.5), ElementsAre(0x02, 0x00, 0x00));      // 2.5 -> 2
    EXPECT_THAT(n31Bytes(257.5), ElementsAre(0x00, 0x01, 0x00));    // 256.5 -> 256
    EXPECT_THAT(n31Bytes(65537.3), ElementsAre(0x00, 0x00, 0x01));  // 65536.3 -> 65536
    // A low byte that rounds up to 256 carries instead of being refused.
    EXPECT_THAT(n31Bytes(256.5), ElementsAre(0x00, 0x01, 0x00));    // 255.5 -> 256
    EXPECT_THAT(n31Bytes(65536.7), ElementsAre(0x00, 0x00, 0x01));  // 65535.7 -> 65536
    EXPECT_THAT(bytesAt(18, 1, [](auto& v) { v.bw = 254.5; }), ElementsAre(254));
    EXPECT_THAT(bytesAt(18, 1, [](auto& v) { v.bw = -0.4; }), ElementsAre(0));
}

TEST(PllSettings, RefusesAValueItsFieldCannotHold) {
    auto refused = [](auto change) { return encodeChanged(change).refusal; };
    const auto outOfRange = [](PllField field) {
        return std::optional<PllRefusal>({field, PllRule::OutOfRange});
    };
    EXPECT_EQ(refused([](auto& v) { v.gps = 16777215.5; }), outOfRange(PllField::GPS));
    EXPECT_EQ(refused([](auto& v) { v.gps = std::nan(""); }), outOfRange(PllField::GPS));
    EXPECT_EQ(refused([](auto& v) { v.n2ls = 0; }), outOfRange(PllField::N2_LS));
    EXPECT_EQ(refused([](auto& v) { v.nc2ls = INFINITY; }), outOfRange(PllField::NC2_LS));
    EXPECT_EQ(refused([](auto& v) { v.n1hs = 3; }), outOfRange(PllField::N1_HS));
    EXPECT_EQ(refused([](auto& v) { v.n2hs = 260; }), outOfRange(PllField::N2_HS));
    EXPECT_EQ(refused([](auto& v) { v.phaseIndex = -1; }),
              (PllRefusal{PllField::PhaseIndex, PllRule::NothingSelected}));
    EXPECT_EQ(refused([](auto& v) { v.phaseIndex = 256; }), outOfRange(PllField::PhaseIndex));
    EXPECT_EQ(refused([](auto& v) { v.bw = 255.5; }), outOfRange(PllField::BW));
    // The first in record order.
    EXPECT_EQ(refused([](auto& v) { v.bw = 300, v.n31 = 0; }), outOfRange(PllField::N31));
    EXPECT_THAT(bytesAt(0, 3, [](auto& v) { v.gps = 16777215; }), ElementsAre(0xFF, 0xFF, 0xFF));
}

TEST(PllSettings, DecodesWhatItEncodes) {
    EXPECT_EQ(decodePllSettings(encodePllSettings(kExample).bytes),
              (PllSettings{10000000, 1000, 10, 51234, 5, 100, 200, 0, 3}));
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
        const PllSettings s{draw(1, 10000000),
                            draw(1, 1u << 19),
                            draw(4, 11),
                            draw(1, 1u << 19) * 2,
                            draw(4, 11),
                            draw(1, 1u << 19) * 2,
                            draw(1, 1u << 19) * 2,
                            std::uint8_t(draw(0, 255)),
                            std::uint8_t(draw(0, 255))};
        const PllEncoding encoding = encodePllSettings(
            {double(s.gps), double(s.n31), double(s.n2hs), double(s.n2ls), double(s.n1hs),
             double(s.nc1ls), double(s.nc2ls), s.phaseIndex, double(s.bw)});
        ASSERT_TRUE(encoding);
        ASSERT_EQ(decodePllSettings(encoding.bytes), s) << trial;
    }
}
