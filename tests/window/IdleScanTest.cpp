#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include "WindowFixture.h"
#include "sim/ForwardingBackend.h"

namespace tarnwell::testing {
namespace {

// Announces changes through a descriptor, as the udev monitor does.
class AnnouncingBackend final : public ForwardingBackend {
public:
    explicit AnnouncingBackend(HidBackend& inner) : ForwardingBackend(inner) {
        if (::pipe2(pipe_, O_NONBLOCK) != 0)
            ADD_FAILURE() << "no pipe";
    }
    ~AnnouncingBackend() override {
        ::close(pipe_[0]);
        ::close(pipe_[1]);
    }
    int changeDescriptor() const override { return pipe_[0]; }
    bool takeChanges() override {
        ++takes;
        char byte = 0;
        while (::read(pipe_[0], &byte, 1) == 1) {
        }
        return ForwardingBackend::takeChanges();
    }
    void announce() { EXPECT_EQ(::write(pipe_[1], "+", 1), 1); }
    std::size_t takes = 0;

protected:
    std::unique_ptr<HidDevice> wrap(const std::string&,
                                    std::unique_ptr<HidDevice> device) override {
        return device;
    }

private:
    int pipe_[2] = {-1, -1};
};

class IdleScanTest : public WindowFixture {
protected:
    IdleScanTest() { windowBackend = &announcing; }
    bool timerRuns() { return window().findChild<QTimer*>("Timer")->isActive(); }
    AnnouncingBackend announcing{backend};
};

TEST_F(IdleScanTest, WithNoClockTheTimerSleepsUntilAClockIsAnnounced) {
    start();
    tick();
    EXPECT_FALSE(timerRuns()) << "nothing to find, nothing announced";

    addClock(u"A");
    announcing.announce();
    QCoreApplication::processEvents();
    EXPECT_TRUE(timerRuns());
    tick();
    EXPECT_TRUE(window().commandGateOpen());
    EXPECT_TRUE(timerRuns()) << "an open clock is polled";

    backend.clocks().front()->unplug();
    tick();
    EXPECT_FALSE(window().deviceOpen());
    EXPECT_FALSE(timerRuns());
}

// A clock plugged in and announced and the timer's ticks, all while Update waits for a slow
// clock: none may run inside the wait, where they would poll or scan mid-exchange; the
// announcement is taken once the handler is done, and finds the new clock.
TEST_F(IdleScanTest, NothingRunsInsideAWaitForTheClockAndAnAnnouncementIsKeptForAfter) {
    using namespace std::chrono_literals;
    VirtualClock& slow = addClock(u"A");
    start();
    slow.setInputReportMode(InputReportMode::OnRequest);
    slow.state().status.signalLossCount = 42;
    slow.queueInputReport();
    slow.stall(100ms);  // real time; the window's stands still, so the answer ends each wait
    auto* timer = window().findChild<QTimer*>("Timer");
    QTimer::singleShot(5ms, [&] {
        addClock(u"B");
        announcing.announce();
        timer->start(1);
    });
    int fired = 0;  // a notifier left on fires at every turn of the waiting loop
    QObject::connect(window().findChild<QSocketNotifier*>(), &QSocketNotifier::activated,
                     [&fired] { ++fired; });
    const std::size_t takes = announcing.takes;
    control<QPushButton>("SetFreq")->click();
    EXPECT_EQ(announcing.takes, takes) << "the announcement was taken inside the wait";
    EXPECT_EQ(fired, 1);
    EXPECT_NE(text("Label16"), "Signal loss count: 42") << "a tick polled inside the wait";

    slow.releaseStall();
    timer->stop();
    QCoreApplication::processEvents();
    EXPECT_GT(announcing.takes, takes);
    tick();
    EXPECT_EQ(items("SerNo"), (QStringList{"A", "B"}));
    EXPECT_EQ(text("Label16"), "Signal loss count: 42");
    EXPECT_EQ(text("SerNo"), "A");
    announcing.announce();
    QCoreApplication::processEvents();
    EXPECT_EQ(fired, 2) << "announcements are heard again";
}

}  // namespace
}  // namespace tarnwell::testing
