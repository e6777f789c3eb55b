#include "device/ClockIoThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <future>
#include <vector>

#include "device/SpareThreads.h"
#include "device/TimedDevice.h"

namespace tarnwell {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// What the test and the device share: a gate each call waits at, the calls that got through, and
// whether the device was closed. Outlives the device, which the I/O thread may close late.
struct DeviceSide {
    std::mutex mutex;
    std::condition_variable changed;
    bool gateOpen = true;
    bool closed = false;
    int entered = 0;
    std::vector<std::vector<std::uint8_t>> sent;

    void setGate(bool open) {
        const std::lock_guard lock(mutex);
        gateOpen = open;
        changed.notify_all();
    }
    bool waitUntil(std::chrono::milliseconds span, const std::function<bool()>& condition) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, span, condition);
    }
    bool waitUntilClosed(std::chrono::milliseconds span) {
        return waitUntil(span, [this] { return closed; });
    }
};

class GatedDevice final : public HidDevice {
public:
    explicit GatedDevice(std::shared_ptr<DeviceSide> side) : side_(std::move(side)) {}
    ~GatedDevice() override {
        const std::lock_guard lock(side_->mutex);
        side_->closed = true;
        side_->changed.notify_all();
    }
    std::size_t featureReportLength() const override { return 4; }
    std::size_t inputReportLength() const override { return 4; }
    bool sendFeatureReport(std::span<const std::uint8_t> report) override {
        std::unique_lock lock = pass();
        side_->sent.emplace_back(report.begin(), report.end());
        return true;
    }
    std::optional<std::size_t> getFeatureReport(std::span<std::uint8_t> buffer) override {
        std::unique_lock lock = pass();
        std::ranges::fill(buffer, 0xA5);
        return buffer.size();
    }
    InputRead readNewestInputReport() override { return {}; }
    std::optional<std::u16string> manufacturer() override { return u"maker"; }
    std::optional<std::u16string> product() override { return u"clock"; }

private:
    std::unique_lock<std::mutex> pass() {
        std::unique_lock lock(side_->mutex);
        ++side_->entered;
        side_->changed.notify_all();
        side_->changed.wait(lock, [this] { return side_->gateOpen; });
        return lock;
    }
    std::shared_ptr<DeviceSide> side_;
};

TEST(ClockIoThread, RunsCallsInOrderAndNotifiesHoldingNoLock) {
    auto side = std::make_shared<DeviceSide>();
    side->setGate(false);
    ClockIoThread io(std::make_unique<GatedDevice>(side));
    std::vector<std::shared_ptr<PendingCall>> calls;
    for (std::uint8_t n = 1; n <= 3; ++n)
        calls.push_back(io.post([n](HidDevice& device) {
            (void)device.sendFeatureReport(std::vector<std::uint8_t>{n});
        }));

    // The notification reaches back into the call and the queue, as a waiter's thread may at
    // that moment: neither may be locked while it runs.
    std::promise<void> inside;
    std::promise<void> through;
    std::atomic<bool> gotThrough = false;
    calls[0]->notifyWhenDone([&] {
        inside.set_value();
        gotThrough = through.get_future().wait_for(2s) == std::future_status::ready;
    });
    side->setGate(true);
    inside.get_future().wait();
    (void)calls[0]->done();
    (void)io.post([](HidDevice&) {});
    through.set_value();
    calls[0]->notifyWhenDone({});
    EXPECT_TRUE(gotThrough);

    ASSERT_TRUE(calls[2]->waitFor(2s));
    const std::vector<std::vector<std::uint8_t>> inOrder{{1}, {2}, {3}};
    const std::lock_guard lock(side->mutex);
    EXPECT_EQ(side->sent, inOrder);
}

// Dropped at once whatever its call does; the device is closed on the thread once the call
// returns, before the owner goes unless that call is stuck or the owner asked not to wait.
TEST(ClockIoThread, DroppingNeverWaitsForAStuckCallAndClosesTheDeviceAfterIt) {
    const struct {
        bool stuck;
        bool inBackground;
    } cases[] = {{false, false}, {false, true}, {true, false}, {true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "stuck " << c.stuck << ", in background " << c.inBackground);
        auto side = std::make_shared<DeviceSide>();
        side->setGate(!c.stuck);
        auto io = std::make_unique<ClockIoThread>(std::make_unique<GatedDevice>(side));
        const auto send = [](HidDevice& device) { (void)device.sendFeatureReport({}); };
        ASSERT_TRUE(io->post(send)->waitFor(c.stuck ? 0ms : 2s) != c.stuck);
        ASSERT_TRUE(side->waitUntil(2s, [&] { return side->entered == 1; }));
        // Queued behind the stuck call, so never started.
        const auto dropped = c.stuck ? io->post(send) : nullptr;
        if (c.inBackground)
            io->closeInBackground();
        const Clock::time_point start = Clock::now();
        io.reset();
        EXPECT_LT(Clock::now() - start, 500ms);
        if (c.stuck || !c.inBackground) {
            EXPECT_EQ(side->waitUntilClosed(0ms), !c.stuck);
        }
        side->setGate(true);
        EXPECT_TRUE(side->waitUntilClosed(2s));
        const std::lock_guard lock(side->mutex);
        EXPECT_EQ(side->sent.size(), 1u);
        EXPECT_EQ(side->entered, 1);
    }
}

// A request given up on fails, and so does every later one without reaching the clock; its late
// answer lands in a copy, never in the caller's buffer.
TEST(TimedDevice, AnAnswerTooLateFailsTheRequestAndNeverReachesTheCaller) {
    auto side = std::make_shared<DeviceSide>();
    side->setGate(false);
    std::vector<ClockRequest> waited;
    TimedDevice device(std::make_unique<GatedDevice>(side),
                       [&waited](ClockRequest request, PendingCall& call) {
                           waited.push_back(request);
                           return call.waitFor(50ms);
                       });
    std::vector<std::uint8_t> buffer(4, 0);
    EXPECT_FALSE(device.getFeatureReport(buffer));
    EXPECT_EQ(device.unanswered(), ClockRequest::Configuration);
    EXPECT_FALSE(device.sendFeatureReport(std::vector<std::uint8_t>{0, 1, 2, 3}));
    EXPECT_EQ(device.product(), std::nullopt);
    EXPECT_EQ(waited, std::vector{ClockRequest::Configuration});

    side->setGate(true);
    ASSERT_TRUE(device.unansweredCall()->waitFor(2s));
    EXPECT_EQ(buffer, std::vector<std::uint8_t>(4, 0));
    const std::lock_guard lock(side->mutex);
    EXPECT_TRUE(side->sent.empty());
}

// A call that blocks holds its thread and the next one gets another; a thread whose call has
// returned takes the next, rather than a new thread starting (and ending) for every call.
TEST(SpareThreads, ABlockedCallHoldsItsThreadAndAFreeThreadTakesTheNextCall) {
    std::promise<void> release;
    std::promise<void> blockedStarted;
    runOnSpareThread([&blockedStarted, released = release.get_future().share()] {
        blockedStarted.set_value();
        released.wait();
    });
    ASSERT_EQ(blockedStarted.get_future().wait_for(2s), std::future_status::ready);

    static thread_local int callsOnThisThread = 0;
    bool threadTookASecondCall = false;
    for (int i = 0; i < 1000 && !threadTookASecondCall; ++i) {
        std::promise<int> calls;
        runOnSpareThread([&calls] { calls.set_value(++callsOnThisThread); });
        std::future<int> ran = calls.get_future();
        ASSERT_EQ(ran.wait_for(2s), std::future_status::ready) << "the blocked call held it up";
        threadTookASecondCall = ran.get() > 1;
    }
    EXPECT_TRUE(threadTookASecondCall);
    release.set_value();
}

}  // namespace
}  // namespace tarnwell
