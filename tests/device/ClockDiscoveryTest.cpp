#include "device/ClockDiscovery.h"

#include <gtest/gtest.h>

#include "sim/VirtualClockBackend.h"

using namespace tarnwell;

// Which clocks are refused, listed first and last, is the window's test; here: the trial opens.
TEST(ClockDiscovery, TriesEachClockOnceExceptThoseAlreadyOpenAndClosesItAgain) {
    VirtualClockBackend backend;
    VirtualClock& open = backend.addClock();
    VirtualClock& busy = backend.addClock();
    busy.refuseOpens(OpenFailure::Busy);
    open.refuseOpens(OpenFailure::PermissionDenied);  // would be, if it were tried

    const std::string alreadyOpen[] = {open.path()};
    const std::vector<DiscoveredClock> found =
        discoverClocks(backend, defaultUsbIds(), alreadyOpen);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_TRUE(found[0].openable());
    EXPECT_EQ(found[1].refusal, OpenFailure::Busy);
    EXPECT_EQ(backend.openCount(), 1u);

    busy.refuseOpens(std::nullopt);
    EXPECT_TRUE(discoverClocks(backend, defaultUsbIds()).at(1).openable());
    EXPECT_EQ(busy.openHandleCount(), 0u);
}
