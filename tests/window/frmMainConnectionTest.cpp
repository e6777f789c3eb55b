#include <QCoreApplication>
#include <QTimer>

#include "WindowFixture.h"

using namespace tarnwell;
using namespace std::chrono_literals;

namespace tarnwell::testing {
namespace {

using ConnectionTest = WindowFixture;

TEST_F(ConnectionTest, WithoutClockStartsEmptyAndKeepsSearching) {
    start();
    EXPECT_TRUE(items("SerNo").isEmpty());
    EXPECT_FALSE(enabled("SerNo"));
    EXPECT_FALSE(enabled("Frame1"));
    EXPECT_FALSE(enabled("Frame3"));
    EXPECT_TRUE(shown("LOS") && shown("LOL"));
    EXPECT_EQ(text("lblSoftware"), TARNWELL_VERSION);
    EXPECT_TRUE(waits.empty());
    auto* timer = window().findChild<QTimer*>("Timer");
    EXPECT_TRUE(timer->isActive());

    tick();
    EXPECT_FALSE(window().deviceOpen());
    EXPECT_EQ(timer->interval(), 50);

    addClock(u"LATE");
    tick();
    EXPECT_EQ(items("SerNo"), QStringList{"LATE"});
    EXPECT_TRUE(window().configLoaded());
}

TEST_F(ConnectionTest, ListsClocksInOrderAndOpensTheLast) {
    VirtualClock& first = addClock(u"A1");
    addClock(u"A\u0142\u0100B");        // high bytes dropped; a zero low byte ends the text
    backend.setListsEveryDevice(true);  // the window checks the ids itself
    VirtualClockDescription foreign;
    foreign.productId = 0x0001;
    foreign.serial = u"C3";  // the selected clock's: opening it must check the ids too
    VirtualClock& other = backend.addClock(foreign);
    backend.addClock(VirtualClockDescription{.vendorId = 0x0001});
    addClock(u"");
    backend.addClock(VirtualClockDescription{.serial = std::nullopt});  // its serial is unreadable
    VirtualClock& last = addClock(u"C3");

    start();
    EXPECT_EQ(items("SerNo"), (QStringList{"A1", "AB", "", "C3"}));
    EXPECT_TRUE(enabled("SerNo"));
    EXPECT_EQ(text("SerNo"), "C3");
    EXPECT_EQ(last.openHandleCount(), 1u);
    EXPECT_EQ(first.openHandleCount() + other.openHandleCount(), 0u);
    EXPECT_EQ(waits, (std::vector{5ms, 5ms, 5ms}));
}

// One line in a settings file, and a clock with other ids is listed instead of the build's.
TEST_F(ConnectionTest, FindsClocksWithTheIdsOfTheSettingsFile) {
    addClock(u"DEFAULT");
    backend.addClock(
        VirtualClockDescription{.vendorId = 0x1234, .productId = 0xabcd, .serial = u"OTHER"});
    const std::string settings = "# our lab's clocks\n1234:ABCD\n";
    SettingsPlatform platform;
    platform.environment = [](const std::string& name) -> std::optional<std::string> {
        if (name == "HOME")
            return "/home/u";
        return std::nullopt;
    };
    platform.readFile = [&](const std::string& path) -> std::optional<std::string> {
        if (path == "/home/u/.config/tarnwell/usb-ids.conf")
            return settings;
        return std::nullopt;
    };
    window().setUsbIds(resolveUsbIds({}, platform));
    start();
    EXPECT_EQ(items("SerNo"), QStringList{"OTHER"});
    EXPECT_TRUE(notices.empty());
}

TEST_F(ConnectionTest, OneClockStaysDisabledAndTheFirstOfTwinSerialsOpens) {
    VirtualClock& first = addClock(u"T");
    start();
    EXPECT_EQ(items("SerNo"), QStringList{"T"});
    EXPECT_FALSE(enabled("SerNo"));
    EXPECT_TRUE(window().commandGateOpen());

    VirtualClock& twin = addClock(u"T");
    first.failNext(VirtualFault::ReadInput);
    tick();
    EXPECT_EQ(items("SerNo"), (QStringList{"T", "T"}));
    EXPECT_TRUE(enabled("SerNo"));
    EXPECT_EQ(first.openHandleCount(), 1u);
    EXPECT_EQ(twin.openHandleCount(), 0u);
}

TEST_F(ConnectionTest, ClocksThatCannotBeOpenedAreNotListedAndAreToldOncePerAttach) {
    VirtualClock& denied = addClock(u"D1");
    denied.refuseOpens(OpenFailure::PermissionDenied);
    VirtualClock& usable = addClock(u"OK");
    VirtualClock& busy = addClock(u"B1");
    busy.refuseOpens(OpenFailure::Busy);
    window().setPermissionLook([] { return PermissionFacts{}; });  // no rule installed here
    start();
    EXPECT_EQ(items("SerNo"), QStringList{"OK"});
    EXPECT_EQ(usable.openHandleCount(), 1u);
    EXPECT_FALSE(enabled("SerNo"));
    EXPECT_TRUE(notices.empty());  // a first refusal can be udev not done yet

    now += std::chrono::seconds(3);
    tick();
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_TRUE(notices[0].contains("D1") && notices[0].contains("may not open"));
#ifdef Q_OS_LINUX
    EXPECT_TRUE(notices[0].contains("No udev rule for Tarnwell is installed here") &&
                notices[0].contains("tarnwell-ctl udev-rule | sudo tee"));
#else
    EXPECT_TRUE(notices[0].contains("Give this user access to the clock's device"));
#endif
    EXPECT_TRUE(notices[1].contains("B1") && notices[1].contains("another program"));
    now += std::chrono::seconds(3);
    tick();
    EXPECT_EQ(notices.size(), 2u);

    // Plugged in again: a new attach, told again once the refusal has lasted past a scan.
    denied.unplug();
    denied.plugIn();
    tick();
    EXPECT_EQ(notices.size(), 2u);
    now += std::chrono::seconds(3);
    tick();
    EXPECT_EQ(notices.size(), 3u);

    // Access granted before the next scan: listed, and nothing said.
    VirtualClock& late = addClock(u"L");
    late.refuseOpens(OpenFailure::PermissionDenied);
    tick();
    late.refuseOpens(std::nullopt);
    tick();
    EXPECT_EQ(items("SerNo"), (QStringList{"OK", "L"}));
    EXPECT_EQ(notices.size(), 3u);

    // A clock whose reports cannot be understood is opened, and that is said once.
    const VirtualClockDescription broken{.serial = u"X", .featureReportLength = 0};
    backend.removeClock(late);
    backend.removeClock(usable);
    backend.addClock(broken);
    tick();
    tick();
    EXPECT_EQ(text("SerNo"), "X");
    ASSERT_EQ(notices.size(), 4u);
    EXPECT_TRUE(notices[3].contains("X") && notices[3].contains("report descriptor"));
}

TEST_F(ConnectionTest, PickingSwitchesOnceAndRepickingReopens) {
    PllBoxValues pll{2000000, 1, 4, 2, 4, 2, 2, 0, 0};
    VirtualClock& a = addClock(u"A", &pll);
    VirtualClock& b = addClock(u"B");
    start();
    auto* serNo = control<QComboBox>("SerNo");
    const std::size_t opensAtStart = backend.openCount();

    // A user pick raises the change and then the activation: one switch.
    serNo->setCurrentIndex(0);
    serNo->activated(0);
    EXPECT_EQ(backend.openCount(), opensAtStart + 1);
    EXPECT_EQ(a.openHandleCount(), 1u);
    EXPECT_EQ(b.openHandleCount(), 0u);
    EXPECT_EQ(text("GPS"), "2000000");
    EXPECT_EQ(window().findChild<QTimer*>("Timer")->interval(), 250);
    EXPECT_TRUE(window().findChild<QTimer*>("Timer")->isActive());

    // Re-picking the open entry reopens it and reads it again.
    serNo->activated(0);
    EXPECT_EQ(backend.openCount(), opensAtStart + 2);
    EXPECT_EQ(a.openHandleCount(), 1u);

    // A change made by code is not paired with a later user re-pick.
    window().findChild<QTimer*>("Timer")->stop();
    serNo->setCurrentIndex(1);
    QCoreApplication::processEvents();
    serNo->activated(1);
    EXPECT_EQ(backend.openCount(), opensAtStart + 4);
    EXPECT_TRUE(a.receivedReports().empty() && b.receivedReports().empty());
}

TEST_F(ConnectionTest, PickingAnUnpluggedClockWaitsForTheNextPoll) {
    VirtualClock& a = addClock(u"A");
    addClock(u"B");
    start();
    a.unplug();
    control<QComboBox>("SerNo")->setCurrentIndex(0);
    EXPECT_FALSE(window().deviceOpen());
    EXPECT_TRUE(window().switchPending());
    EXPECT_FALSE(enabled("Frame3"));

    tick();
    EXPECT_EQ(items("SerNo"), QStringList{"B"});
    EXPECT_TRUE(window().deviceOpen());
    EXPECT_FALSE(window().switchPending());
}

TEST_F(ConnectionTest, ClosingReleasesOnlyWhatIsOpen) {
    window().close();  // never loaded, nothing to close

    VirtualClock& clock = addClock(u"A");
    start();
    window().close();
    EXPECT_EQ(clock.openHandleCount(), 0u);
    EXPECT_FALSE(window().commandGateOpen());
    EXPECT_FALSE(window().findChild<QTimer*>("Timer")->isActive());

    // After shut-down a late pick does nothing.
    window().SerNo_Click();
    EXPECT_EQ(clock.openHandleCount(), 0u);
    window().close();
}

}  // namespace
}  // namespace tarnwell::testing
