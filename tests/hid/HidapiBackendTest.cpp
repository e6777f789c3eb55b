#include "hid/HidapiBackend.h"

#include <gtest/gtest.h>

#include "device/FeatureReport.h"
#ifdef __linux__
#include "hid/HidrawDescriptor.h"
#endif

using namespace tarnwell;

// Runs on the machine's real HID stack, where no clock is attached.
TEST(HidapiBackend, FindsAndOpensNothingWithoutAClock) {
    HidapiBackend backend;
    ASSERT_TRUE(backend.available());
    EXPECT_TRUE(backend.enumerate(DeviceVendorId, DeviceProductId).empty());
    EXPECT_FALSE(backend.open("/dev/hidraw-that-does-not-exist"));
#ifdef __linux__
    EXPECT_EQ(backend.open("/dev/hidraw-that-does-not-exist").failure, OpenFailure::Gone);
#endif
    EXPECT_FALSE(backend.open(""));

    // A second backend shares the library session; the first still works after it is gone.
    { HidapiBackend other; }
    EXPECT_TRUE(backend.enumerate(DeviceVendorId, DeviceProductId).empty());
}

#ifdef __linux__
TEST(HidrawDescriptor, RefusesWhatIsNoHidrawNode) {
    EXPECT_FALSE(readHidrawReportDescriptor("/dev/hidraw-that-does-not-exist"));
    EXPECT_FALSE(readHidrawReportDescriptor("/dev/null"));
}
#endif
