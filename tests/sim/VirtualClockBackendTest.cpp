#include "sim/VirtualClockBackend.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "commands/CommandPayloads.h"
#include "commands/SetFrequencyCommand.h"
#include "readback/ConfigReport.h"

using namespace tarnwell;
using ::testing::ElementsAre;

namespace {

VirtualClockDescription clockWithSerial(std::u16string serial) {
    VirtualClockDescription description;
    description.serial = std::move(serial);
    return description;
}

std::optional<DeviceConfiguration> readConfiguration(HidDevice& device) {
    std::vector<std::uint8_t> buffer(device.featureReportLength(), 0);
    const auto received = device.getFeatureReport(buffer);
    if (!received) {
        return std::nullopt;
    }
    return decodeConfigReport(std::span(buffer).first(*received));
}

}  // namespace

TEST(VirtualClockBackend, ListsMatchingPluggedClocksInOrder) {
    VirtualClockBackend backend;
    backend.addClock(clockWithSerial(u"A1"));
    VirtualClockDescription other = clockWithSerial(u"X9");
    other.productId = 0x0001;
    backend.addClock(other);
    VirtualClock& third = backend.addClock(clockWithSerial(u"C3"));
    third.unplug();
    backend.addClock(clockWithSerial(u"D4"));

    const auto listed = backend.enumerate(DeviceVendorId, DeviceProductId);
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].serial, u"A1");
    EXPECT_EQ(listed[1].serial, u"D4");
    EXPECT_EQ(listed[0].releaseNumber, 0x0112);
    EXPECT_NE(listed[0].path, listed[1].path);
}

TEST(VirtualClockBackend, ReadsBackTheRecordItWasProgrammedWith) {
    VirtualClockBackend backend;
    VirtualClock& clock = backend.addClock();
    const auto device = backend.open(clock.path()).device;
    ASSERT_TRUE(device);

    const PllEncoding encoded = encodePllSettings({10000000, 3, 10, 48, 8, 6, 12, 2, 5});
    ASSERT_TRUE(encoded);
    const auto program = setFrequencyReport(encoded.bytes, device->featureReportLength());
    const auto enables = outputEnableReport(false, true, device->featureReportLength());
    ASSERT_TRUE(program && enables);
    ASSERT_TRUE(device->sendFeatureReport(*program));
    ASSERT_TRUE(device->sendFeatureReport(*enables));

    const auto config = readConfiguration(*device);
    ASSERT_TRUE(config);
    EXPECT_EQ(config->pll, (PllSettings{10000000, 3, 10, 48, 8, 6, 12, 2, 5}));
    EXPECT_FALSE(config->output1Enabled);
    EXPECT_TRUE(config->output2Enabled);
    ASSERT_EQ(clock.receivedReports().size(), 2u);
    EXPECT_EQ(clock.receivedReports()[0].bytes, *program);
    EXPECT_EQ(clock.receivedReports()[1].command, CommandCode::CmdOutputEnable);
}

TEST(VirtualClockBackend, RefusesReportsOfTheWrongLengthOrId) {
    VirtualClockBackend backend;
    VirtualClock& clock = backend.addClock();
    const auto device = backend.open(clock.path()).device;
    std::vector<std::uint8_t> shortReport(device->featureReportLength() - 1, 0);
    std::vector<std::uint8_t> otherId(device->featureReportLength(), 0);
    otherId[0] = 1;
    EXPECT_FALSE(device->sendFeatureReport(shortReport));
    EXPECT_FALSE(device->sendFeatureReport(otherId));
    EXPECT_FALSE(device->getFeatureReport(shortReport));
    EXPECT_TRUE(clock.receivedReports().empty());
}

TEST(VirtualClockBackend, AnUnpluggedClockFailsItsOldHandlesEvenAfterReplug) {
    VirtualClockBackend backend;
    VirtualClock& clock = backend.addClock();
    const std::string firstPath = clock.path();
    const auto device = backend.open(firstPath).device;
    ASSERT_TRUE(device);

    clock.unplug();
    EXPECT_TRUE(backend.enumerate(DeviceVendorId, DeviceProductId).empty());
    EXPECT_FALSE(backend.open(firstPath));
    EXPECT_EQ(device->readNewestInputReport().status, InputReadStatus::Error);
    EXPECT_FALSE(device->manufacturer());

    clock.plugIn();
    EXPECT_NE(clock.path(), firstPath);
    EXPECT_EQ(device->readNewestInputReport().status, InputReadStatus::Error);
    std::vector<std::uint8_t> buffer(device->featureReportLength(), 0);
    EXPECT_FALSE(device->getFeatureReport(buffer));
    EXPECT_FALSE(device->sendFeatureReport(buffer));

    const auto reopened = backend.open(clock.path()).device;
    ASSERT_TRUE(reopened);
    EXPECT_EQ(reopened->readNewestInputReport().status, InputReadStatus::Report);
    EXPECT_EQ(clock.openHandleCount(), 2u);
}

TEST(VirtualClockBackend, HandlesOutliveTheirClockAndBackendSafely) {
    std::unique_ptr<HidDevice> orphan;
    std::unique_ptr<HidDevice> removed;
    {
        VirtualClockBackend backend;
        VirtualClock& gone = backend.addClock(clockWithSerial(u"gone"));
        removed = backend.open(gone.path()).device;
        backend.removeClock(gone);
        EXPECT_TRUE(backend.enumerate(DeviceVendorId, DeviceProductId).empty());
        EXPECT_EQ(removed->readNewestInputReport().status, InputReadStatus::Error);
        orphan = backend.open(backend.addClock().path()).device;
    }
    EXPECT_EQ(orphan->readNewestInputReport().status, InputReadStatus::Error);
    std::vector<std::uint8_t> buffer(orphan->featureReportLength(), 0);
    EXPECT_FALSE(orphan->sendFeatureReport(buffer));
    EXPECT_FALSE(orphan->product());
}

TEST(VirtualClockBackend, InjectedFaultsHitOnlyTheNextCallOfTheirKind) {
    VirtualClockBackend backend;
    VirtualClock& clock = backend.addClock();
    clock.failNext(VirtualFault::Open);
    EXPECT_FALSE(backend.open(clock.path()));
    clock.refuseOpens(OpenFailure::Busy);
    EXPECT_EQ(backend.open(clock.path()).failure, OpenFailure::Busy);
    EXPECT_EQ(backend.open(clock.path()).failure, OpenFailure::Busy);
    clock.refuseOpens(std::nullopt);
    const auto device = backend.open(clock.path()).device;
    ASSERT_TRUE(device);

    std::vector<std::uint8_t> buffer(device->featureReportLength(), 0);
    clock.failNext(VirtualFault::SendFeature);
    clock.failNext(VirtualFault::GetFeature);
    clock.failNext(VirtualFault::StringQuery);
    clock.failNext(VirtualFault::ReadInput);
    EXPECT_FALSE(device->sendFeatureReport(buffer));
    EXPECT_FALSE(device->getFeatureReport(buffer));
    EXPECT_FALSE(device->manufacturer());
    EXPECT_EQ(device->product(), u"Virtual GPS Clock");
    EXPECT_EQ(device->readNewestInputReport().status, InputReadStatus::Error);

    EXPECT_TRUE(device->sendFeatureReport(buffer));
    EXPECT_TRUE(device->manufacturer());
    EXPECT_EQ(device->readNewestInputReport().status, InputReadStatus::Report);

    clock.shortenNextConfigurationReport(10);
    EXPECT_EQ(device->getFeatureReport(buffer), 10u);
    EXPECT_EQ(device->getFeatureReport(buffer), device->featureReportLength());
}

TEST(VirtualClockBackend, QueuedReportsAreReadNewestFirstAndDropWhenFull) {
    VirtualClockBackend backend;
    VirtualClock& clock = backend.addClock();
    clock.setInputReportMode(InputReportMode::OnRequest);
    clock.queueInputReport();  // nobody has the clock open: lost
    const auto first = backend.open(clock.path()).device;
    const auto second = backend.open(clock.path()).device;
    EXPECT_EQ(first->readNewestInputReport().status, InputReadStatus::NothingYet);

    clock.state().status = {1, true, false};
    clock.queueInputReport();
    clock.state().status = {2, false, true};
    clock.queueInputReport();
    const InputRead newest = first->readNewestInputReport();
    ASSERT_EQ(newest.status, InputReadStatus::Report);
    EXPECT_THAT(std::vector(newest.report.begin(), newest.report.begin() + 3),
                ElementsAre(0, 2, 0x02));
    EXPECT_EQ(newest.report.size(), 65u);
    EXPECT_EQ(first->readNewestInputReport().status, InputReadStatus::NothingYet);

    // The other handle has its own queue and got 1 and 2 as well; of 3 to 66 only 3 to 64 fit.
    for (std::uint8_t count = 3; count <= 66; ++count) {
        clock.state().status.signalLossCount = count;
        clock.queueInputReport();
    }
    EXPECT_EQ(second->readNewestInputReport().report[1], 64);
}
