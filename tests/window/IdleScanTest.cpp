#include <QCoreApplication>
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
        char byte = 0;
        while (::read(pipe_[0], &byte, 1) == 1) {
        }
        return ForwardingBackend::takeChanges();
    }
    void announce() { EXPECT_EQ(::write(pipe_[1], "+", 1), 1); }

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

}  // namespace
}  // namespace tarnwell::testing
