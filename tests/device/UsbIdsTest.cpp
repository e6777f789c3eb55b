#include <gtest/gtest.h>

#include "device/UsbIds.h"
#include "sim/VirtualClockBackend.h"

using namespace tarnwell;

namespace {

constexpr UsbId kOther{0x1234, 0xabcd};

TEST(UsbIds, ParsesHexPairsAndListsOnlyClocksWithThem) {
    EXPECT_EQ(parseUsbId(" 1234:ABCD "), kOther);
    EXPECT_EQ(parseUsbId("4d8:f"), (UsbId{0x04d8, 0x000f}));
    for (const char* bad : {"", "1234", "12345:1", "1234:", ":1", "0x12:34", "12:3g", "1:2:3"})
        EXPECT_FALSE(parseUsbId(bad)) << bad;
    EXPECT_EQ(usbIdText(UsbId{0x4d8, 0xf}), "04d8:000f");

    VirtualClockBackend backend;
    backend.setListsEveryDevice(true);
    backend.addClock(VirtualClockDescription{.serial = u"A"});
    backend.addClock(
        VirtualClockDescription{.vendorId = 0x1234, .productId = 0xabcd, .serial = u"B"});
    backend.addClock(VirtualClockDescription{.vendorId = 0x1234, .serial = u"C"});
    std::vector<std::u16string> serials;
    for (const HidDeviceInfo& info : enumerateClocks(backend, {kOther, defaultUsbIds().front()}))
        serials.push_back(*info.serial);
    EXPECT_EQ(serials, (std::vector<std::u16string>{u"B", u"A"}));
}

}  // namespace
