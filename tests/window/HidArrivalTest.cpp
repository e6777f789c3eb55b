// On Windows the window looks for clocks when Windows announces a HID interface arriving or
// leaving, not by enumerating at every tick. The announcement is delivered here as Windows does,
// as WM_DEVICECHANGE to the watch's window.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

// windows.h first, the others need its types.
// clang-format off
#include <windows.h>
#include <dbt.h>
extern "C" {
#include <hidsdi.h>
}
// clang-format on

#include "OffscreenApplication.h"
#include "hid/HidArrivalWatch.h"
#include "sim/ForwardingBackend.h"
#include "sim/VirtualClockBackend.h"
#include "window/frmMain.h"

namespace tarnwell::testing {
namespace {

// Virtual clocks whose comings and goings are told by the watch, as the hidapi backend's are.
class AnnouncedClocks final : public ForwardingBackend {
public:
    AnnouncedClocks(HidBackend& clocks, HidArrivalWatch& watch)
        : ForwardingBackend(clocks), watch_(watch) {}
    bool notifiesChanges() const override { return true; }
    int changeDescriptor() const override { return -1; }
    bool takeChanges() override { return watch_.takeChanges(); }

protected:
    std::unique_ptr<HidDevice> wrap(const std::string&,
                                    std::unique_ptr<HidDevice> device) override {
        return device;
    }

private:
    HidArrivalWatch& watch_;
};

void announce(HidArrivalWatch& watch, WPARAM event, const GUID& interfaceClass) {
    DEV_BROADCAST_DEVICEINTERFACE_W announced{};
    announced.dbcc_size = sizeof(announced);
    announced.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    announced.dbcc_classguid = interfaceClass;
    SendMessageW(watch.window(), WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&announced));
}

TEST(HidArrival, AnnouncedHidInterfacesMakeTheWindowLookForClocksOnceEach) {
    ensureOffscreenApplication();
    const auto watch = HidArrivalWatch::start();
    ASSERT_NE(watch, nullptr);
    VirtualClockBackend clocks;
    AnnouncedClocks backend(clocks, *watch);
    frmMain window(
        backend, [](std::chrono::milliseconds) {}, [](QWidget&, const QString&, const QString&) {});
    const std::chrono::steady_clock::time_point now{std::chrono::hours(1)};
    window.setClock([&now] { return now; });  // no safety rescan while time stands still
    window.Form_Load();
    const auto listingsInATick = [&] {
        const std::size_t before = clocks.enumerationCount();
        window.Timer_Timer();
        return clocks.enumerationCount() - before;
    };
    EXPECT_EQ(listingsInATick(), 0u);

    GUID hid;
    HidD_GetHidGuid(&hid);
    constexpr GUID kVolumeClass = {
        0x53f5630d, 0xb6bf, 0x11d0, {0x94, 0xf2, 0x00, 0xa0, 0xc9, 0x1e, 0xfb, 0x8b}};
    clocks.addClock();
    announce(*watch, DBT_DEVICEARRIVAL, kVolumeClass);
    announce(*watch, DBT_DEVICEQUERYREMOVE, hid);
    EXPECT_EQ(listingsInATick(), 0u);  // neither a HID interface nor a change
    EXPECT_FALSE(window.deviceOpen());

    announce(*watch, DBT_DEVICEARRIVAL, hid);
    EXPECT_GT(listingsInATick(), 0u);
    EXPECT_TRUE(window.deviceOpen());
    EXPECT_EQ(listingsInATick(), 0u);

    announce(*watch, DBT_DEVICEREMOVECOMPLETE, hid);
    EXPECT_GT(listingsInATick(), 0u);
    EXPECT_EQ(listingsInATick(), 0u);
}

}  // namespace
}  // namespace tarnwell::testing
