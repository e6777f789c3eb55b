#include "device/ClockDiscovery.h"

#include <gtest/gtest.h>

#include "sim/VirtualClockBackend.h"

using namespace tarnwell;

namespace {

// Lists every clock whatever ids are asked for, as a backend that does not filter would.
class UnfilteredBackend final : public HidBackend {
public:
    explicit UnfilteredBackend(VirtualClockBackend& clocks) : clocks_(clocks) {}
    std::vector<HidDeviceInfo> enumerate(std::uint16_t, std::uint16_t) override {
        std::vector<HidDeviceInfo> all;
        for (const auto& clock : clocks_.clocks()) {
            const VirtualClockDescription& d = clock->description();
            all.push_back({clock->path(), d.vendorId, d.productId, d.serial, d.releaseNumber});
        }
        return all;
    }
    OpenResult open(const std::string& path) override { return clocks_.open(path); }

private:
    VirtualClockBackend& clocks_;
};

VirtualClockDescription clockWithSerial(std::u16string serial) {
    VirtualClockDescription description;
    description.serial = std::move(serial);
    return description;
}

}  // namespace

TEST(ClockDiscovery, TriesEachOfOurClocksOnceAndSaysWhyItCannotBeOpened) {
    VirtualClockBackend clocks;
    VirtualClock& denied = clocks.addClock(clockWithSerial(u"D"));
    denied.refuseOpens(OpenFailure::PermissionDenied);
    VirtualClock& fine = clocks.addClock(clockWithSerial(u"F"));
    VirtualClockDescription foreign = clockWithSerial(u"X");
    foreign.vendorId = 0x0001;
    clocks.addClock(foreign);
    VirtualClock& busy = clocks.addClock(clockWithSerial(u"B"));
    busy.refuseOpens(OpenFailure::Busy);
    UnfilteredBackend backend(clocks);

    const std::vector<DiscoveredClock> found = discoverClocks(backend);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].info.serial, u"D");
    EXPECT_EQ(found[0].refusal, OpenFailure::PermissionDenied);
    EXPECT_TRUE(found[1].openable());
    EXPECT_EQ(found[2].refusal, OpenFailure::Busy);
    EXPECT_EQ(clocks.openCount(), 3u);
    EXPECT_EQ(fine.openHandleCount(), 0u);  // the trial open is closed again

    // A path open here is not tried again and counts as openable.
    const std::string open[] = {denied.path()};
    const std::vector<DiscoveredClock> again = discoverClocks(backend, open);
    EXPECT_TRUE(again.at(0).openable());
    EXPECT_EQ(again.at(2).refusal, OpenFailure::Busy);
    EXPECT_EQ(clocks.openCount(), 5u);
}
