#include "hid/HidapiBackend.h"

#include <gtest/gtest.h>

#include "device/FeatureReport.h"
#ifdef __linux__
#include "hid/HidrawDescriptor.h"
#endif
#ifdef _WIN32
#include <windows.h>

#include "hid/WindowsHidCaps.h"
#endif

using namespace tarnwell;

namespace {

// hidapi 0.13 on Windows will not start without cfgmgr32's CM_Get_Device_Interface_PropertyW,
// which every Windows since 8 has and Wine 8 does not: there, and only there, the test is skipped.
bool underWineWithoutHidapiNeeds() {
#ifdef _WIN32
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (ntdll == nullptr || GetProcAddress(ntdll, "wine_get_version") == nullptr) {
        return false;
    }
    const HMODULE cfgmgr32 = LoadLibraryW(L"cfgmgr32.dll");
    const bool lacking =
        cfgmgr32 == nullptr ||
        GetProcAddress(cfgmgr32, "CM_Get_Device_Interface_PropertyW") == nullptr;
    if (cfgmgr32 != nullptr) {
        FreeLibrary(cfgmgr32);
    }
    return lacking;
#else
    return false;
#endif
}

}  // namespace

// Runs on the machine's real HID stack, where no clock is attached.
TEST(HidapiBackend, FindsAndOpensNothingWithoutAClock) {
    HidapiBackend backend;
    if (!backend.available() && underWineWithoutHidapiNeeds()) {
        GTEST_SKIP() << "hidapi cannot start here: this Wine lacks CM_Get_Device_Interface_PropertyW";
    }
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

#ifdef _WIN32
TEST(WindowsHidCaps, RefusesWhatIsNoHidInterface) {
    EXPECT_FALSE(readWindowsReportLengths("\\\\?\\hid#that-does-not-exist"));
    EXPECT_FALSE(readWindowsReportLengths("NUL"));
}
#endif
