#include "SimulatorBackend.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "commands/CommandPayloads.h"

namespace tarnwell::demo {
namespace {

struct Heard {
    const VirtualClock* clock;
    std::vector<std::uint8_t> bytes;
    bool accepted;
};

std::unique_ptr<HidDevice> openFirst(SimulatorBackend& backend) {
    const auto listed = backend.enumerate(DeviceVendorId, DeviceProductId);
    return listed.empty() ? nullptr : backend.open(listed.front().path).device;
}

TEST(SimulatorBackend, TellsEverySendAndFailsOnlyTheOneAskedFor) {
    VirtualClockBackend clocks;
    VirtualClock& clock = clocks.addClock();
    SimulatorBackend backend(clocks);
    std::vector<Heard> heard;
    backend.setSendListener([&heard](const SentReport& sent) {
        heard.push_back({&sent.clock, {sent.bytes.begin(), sent.bytes.end()}, sent.accepted});
    });
    const auto device = openFirst(backend);
    ASSERT_TRUE(device);
    const FeatureReport identify = *identifyReport(IdentifySelection::Output1, 65);

    backend.setNextSendFails(clock, true);
    EXPECT_FALSE(device->sendFeatureReport(identify));
    EXPECT_FALSE(backend.nextSendFails(clock));
    EXPECT_TRUE(device->sendFeatureReport(identify));
    EXPECT_EQ(clock.receivedReports().size(), 1u);
    // A report the clock itself refuses is told as not taken.
    EXPECT_FALSE(device->sendFeatureReport(std::vector<std::uint8_t>(64, 0)));
    clock.unplug();
    EXPECT_FALSE(device->sendFeatureReport(identify));

    ASSERT_EQ(heard.size(), 4u);
    EXPECT_EQ(heard[0].clock, &clock);
    EXPECT_EQ(heard[0].bytes, identify);
    EXPECT_EQ(
        (std::vector{heard[0].accepted, heard[1].accepted, heard[2].accepted, heard[3].accepted}),
        (std::vector{false, true, false, false}));
}

TEST(SimulatorBackend, AHandleOutlivingTheClocksAndTheBackendFailsQuietly) {
    std::unique_ptr<HidDevice> device;
    int heard = 0;
    {
        VirtualClockBackend clocks;
        clocks.addClock();
        SimulatorBackend backend(clocks);
        backend.setSendListener([&heard](const SentReport&) { ++heard; });
        device = openFirst(backend);
        ASSERT_TRUE(device);
    }
    EXPECT_FALSE(device->sendFeatureReport(*sleepReport(65)));
    EXPECT_EQ(device->readNewestInputReport().status, InputReadStatus::Error);
    EXPECT_EQ(heard, 0);
}

}  // namespace
}  // namespace tarnwell::demo
