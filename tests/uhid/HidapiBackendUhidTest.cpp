// The hidapi backend against clocks that the kernel hosts through /dev/uhid: real hidraw nodes,
// real report descriptors, the kernel's input queues and a real unplug. Runs inside the test VM.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <map>
#include <set>

#include "UhidClockProcess.h"
#include "device/ClockDiscovery.h"
#include "device/FeatureReport.h"
#include "hid/HidapiBackend.h"

namespace tarnwell {
namespace {

using namespace std::chrono_literals;
using uhidclock::LoggedReport;
using uhidclock::UhidClockProcess;

// Input reports only when a test asks for one, so queues hold exactly what the test sent.
constexpr auto kNoPeriodicInput = std::chrono::hours(1);
// The hidraw node appears a moment after the clock is created.
constexpr auto kAppearTimeout = 5s;

class HidapiBackendOnUhid : public ::testing::Test {
protected:
    void SetUp() override {
        if (!uhidclock::uhidAvailable()) {
            GTEST_SKIP() << "needs /dev/uhid: runs inside the VM of scripts/uhid-vm/run.sh";
        }
    }

    std::vector<HidDeviceInfo> clocks() {
        return backend.enumerate(DeviceVendorId, DeviceProductId);
    }

    // The clocks once there are this many; fails the test when they do not appear.
    std::vector<HidDeviceInfo> waitForClocks(std::size_t count) {
        std::vector<HidDeviceInfo> found;
        EXPECT_TRUE(uhidclock::eventually(
            [&] {
                found = clocks();
                // Where a loop grants access in udev's place, a moment after the node appears.
                return found.size() == count &&
                       std::ranges::all_of(found, [](const HidDeviceInfo& clock) {
                           return uhidclock::nodeAsExpected(clock.path);
                       });
            },
            kAppearTimeout))
            << "clocks listed: " << found.size() << ", expected " << count;
        return found;
    }

    std::unique_ptr<HidDevice> openOnlyClock() {
        const std::vector<HidDeviceInfo> found = waitForClocks(1);
        return found.empty() ? nullptr : backend.open(found.front().path).device;
    }

    HidapiBackend backend;
};

class ScopedLocale {
public:
    explicit ScopedLocale(const char* name) : previous_(std::setlocale(LC_ALL, nullptr)) {
        EXPECT_NE(std::setlocale(LC_ALL, name), nullptr) << name;
    }
    ~ScopedLocale() { std::setlocale(LC_ALL, previous_.c_str()); }

private:
    std::string previous_;
};

std::u16string u16(std::string_view ascii) {
    return {ascii.begin(), ascii.end()};
}

TEST_F(HidapiBackendOnUhid, ListsEachClockOnceWithItsSerialText) {
    // hidapi decodes the kernel's UTF-8 serial with the process locale, which the window's Qt
    // application takes from the environment; a bare test program must set a UTF-8 one itself.
    const ScopedLocale utf8("C.UTF-8");
    UhidClockProcess rig({"UHID-A", "UHID-\xC3\x84-2"}, kNoPeriodicInput);
    ASSERT_TRUE(rig.running());
    // Three top-level collections: hidapi lists that interface three times.
    ASSERT_TRUE(rig.request("add UHID-B 65 9 3").ok);

    const std::vector<HidDeviceInfo> found = waitForClocks(3);
    std::set<std::string> paths;
    std::set<std::u16string> serials;
    for (const HidDeviceInfo& info : found) {
        EXPECT_THAT(info.path, ::testing::StartsWith("/dev/hidraw"));
        EXPECT_EQ(info.vendorId, DeviceVendorId);
        EXPECT_EQ(info.productId, DeviceProductId);
        paths.insert(info.path);
        serials.insert(info.serial.value_or(u"(unreadable)"));
    }
    EXPECT_EQ(paths.size(), 3u);
    EXPECT_EQ(serials, (std::set<std::u16string>{u"UHID-A", u"UHID-\u00C4-2", u"UHID-B"}));

    EXPECT_TRUE(backend.enumerate(DeviceVendorId, DeviceProductId + 1).empty());
    EXPECT_TRUE(backend.enumerate(DeviceVendorId + 1, DeviceProductId).empty());
}

// As a user without access to the node the open says why; with access the clock opens (in the
// VM a loop grants it a moment after the node appears, as udev would).
TEST_F(HidapiBackendOnUhid, DiscoveryTellsWhetherThisUserMayOpenTheNode) {
    UhidClockProcess rig({"UHID-P"}, kNoPeriodicInput);
    ASSERT_TRUE(rig.running());
    waitForClocks(1);
    const bool denied = uhidclock::nodeAccessDenied();
    std::vector<DiscoveredClock> found;
    EXPECT_TRUE(uhidclock::eventually(
        [&] {
            found = discoverClocks(backend, defaultUsbIds());
            return found.size() == 1 && found[0].openable() != denied;
        },
        kAppearTimeout));
    if (denied) {
        EXPECT_EQ(found.at(0).refusal, OpenFailure::PermissionDenied);
    }
}

TEST_F(HidapiBackendOnUhid, ReportLengthsComeFromTheDescriptor) {
    UhidClockProcess rig({"UHID-DEFAULT"}, kNoPeriodicInput);
    ASSERT_TRUE(rig.running());
    // Two-byte report counts in the descriptor, and feature and input lengths that differ.
    ASSERT_TRUE(rig.request("add UHID-LONG 300 70").ok);
    ASSERT_TRUE(rig.request("add UHID-SHORT 23 4").ok);

    std::map<std::u16string, std::pair<std::size_t, std::size_t>> lengths;
    for (const HidDeviceInfo& info : waitForClocks(3)) {
        const std::unique_ptr<HidDevice> device = backend.open(info.path).device;
        ASSERT_NE(device, nullptr) << info.path;
        lengths[info.serial.value_or(u"")] = {device->featureReportLength(),
                                              device->inputReportLength()};
    }
    EXPECT_EQ(lengths[u"UHID-DEFAULT"], std::make_pair(std::size_t{65}, std::size_t{9}));
    EXPECT_EQ(lengths[u"UHID-LONG"], std::make_pair(std::size_t{300}, std::size_t{70}));
    EXPECT_EQ(lengths[u"UHID-SHORT"], std::make_pair(std::size_t{23}, std::size_t{4}));
}

TEST_F(HidapiBackendOnUhid, FeatureReportsCrossTheKernelByteForByte) {
    UhidClockProcess rig({"UHID-F"}, kNoPeriodicInput);
    ASSERT_TRUE(rig.running());
    const std::unique_ptr<HidDevice> device = openOnlyClock();
    ASSERT_NE(device, nullptr);
    ASSERT_EQ(device->featureReportLength(), 65u);
    EXPECT_EQ(device->product(), u16("Tarnwell uhid clock"));

    // Drive strength 2; the last byte set too, so a report cut short shows.
    std::vector<std::uint8_t> command(65, 0);
    command[1] = static_cast<std::uint8_t>(CommandCode::CmdDriveStrength);
    command[2] = 2;
    command[64] = 0xA5;
    ASSERT_TRUE(device->sendFeatureReport(command));
    std::vector<LoggedReport> log = rig.log("UHID-F");
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), (LoggedReport{"set-feature", command}));

    std::vector<std::uint8_t> configuration(65, 0);
    ASSERT_EQ(device->getFeatureReport(configuration), std::optional<std::size_t>(65));
    log = rig.log("UHID-F");
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), (LoggedReport{"get-feature", configuration}));
    EXPECT_EQ(configuration[0], 0);
    EXPECT_EQ(configuration[2], 2) << "the clock applied the drive strength it received";
}

TEST_F(HidapiBackendOnUhid, TwoOpensOfOnePathBothWork) {
    UhidClockProcess rig({"UHID-T"}, kNoPeriodicInput);
    ASSERT_TRUE(rig.running());
    const std::vector<HidDeviceInfo> found = waitForClocks(1);
    ASSERT_EQ(found.size(), 1u);
    const std::unique_ptr<HidDevice> first = backend.open(found[0].path).device;
    const std::unique_ptr<HidDevice> second = backend.open(found[0].path).device;
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);

    ASSERT_TRUE(rig.request("status UHID-T 4 1").ok);
    ASSERT_TRUE(rig.request("send-input UHID-T").ok);
    const std::vector<std::uint8_t> expected = {0, 4, 1, 0, 0, 0, 0, 0, 0};
    for (HidDevice* device : {first.get(), second.get()}) {
        const InputRead read = device->readNewestInputReport();
        EXPECT_EQ(read.status, InputReadStatus::Report);
        EXPECT_EQ(read.report, expected);
        std::vector<std::uint8_t> configuration(65, 0);
        EXPECT_TRUE(device->getFeatureReport(configuration).has_value());
    }
}

TEST_F(HidapiBackendOnUhid, InputReadGivesTheNewestReportThenNothingYet) {
    UhidClockProcess rig({"UHID-I"}, kNoPeriodicInput);
    ASSERT_TRUE(rig.running());
    const std::unique_ptr<HidDevice> device = openOnlyClock();
    ASSERT_NE(device, nullptr);
    ASSERT_EQ(device->inputReportLength(), 9u);
    EXPECT_EQ(device->readNewestInputReport().status, InputReadStatus::NothingYet);

    for (const char* status : {"status UHID-I 1 0", "status UHID-I 2 1", "status UHID-I 3 2"}) {
        ASSERT_TRUE(rig.request(status).ok);
        ASSERT_TRUE(rig.request("send-input UHID-I").ok);
    }
    const InputRead newest = device->readNewestInputReport();
    EXPECT_EQ(newest.status, InputReadStatus::Report);
    EXPECT_EQ(newest.report, (std::vector<std::uint8_t>{0, 3, 2, 0, 0, 0, 0, 0, 0}))
        << "report ID in front, then count and status of the last report sent";
    const InputRead next = device->readNewestInputReport();
    EXPECT_EQ(next.status, InputReadStatus::NothingYet);
    EXPECT_TRUE(next.report.empty());
}

TEST_F(HidapiBackendOnUhid, UnplugFailsEveryCallAndReplugIsFoundAgain) {
    UhidClockProcess rig({"UHID-U"}, kNoPeriodicInput);
    ASSERT_TRUE(rig.running());
    const std::unique_ptr<HidDevice> device = openOnlyClock();
    ASSERT_NE(device, nullptr);

    ASSERT_TRUE(rig.request("unplug UHID-U").ok);
    EXPECT_EQ(device->readNewestInputReport().status, InputReadStatus::Error);
    std::vector<std::uint8_t> buffer(65, 0);
    EXPECT_FALSE(device->getFeatureReport(buffer).has_value());
    EXPECT_FALSE(device->sendFeatureReport(buffer));
    EXPECT_TRUE(clocks().empty()) << "an unplugged clock is not listed";

    ASSERT_TRUE(rig.request("plug UHID-U").ok);
    const std::vector<HidDeviceInfo> found = waitForClocks(1);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].serial, std::optional<std::u16string>(u"UHID-U"));
    const std::unique_ptr<HidDevice> again = backend.open(found[0].path).device;
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->getFeatureReport(buffer), std::optional<std::size_t>(65));
    EXPECT_EQ(again->readNewestInputReport().status, InputReadStatus::NothingYet);
}

}  // namespace
}  // namespace tarnwell
