#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "device/FeatureReport.h"
#include "device/HidBackend.h"
#include "sim/ClockModel.h"

namespace tarnwell {

// What the operating system would tell about a clock, and the report lengths it declares.
struct VirtualClockDescription {
    std::uint16_t vendorId = DeviceVendorId;
    std::uint16_t productId = DeviceProductId;
    std::optional<std::u16string> serial = u"VC000001";  // nothing: the serial query fails
    std::optional<std::u16string> manufacturer = u"Tarnwell Labs";
    std::optional<std::u16string> product = u"Virtual GPS Clock";
    std::uint16_t releaseNumber = 0x0112;
    std::size_t featureReportLength = 65;  // counting the report-ID byte
    std::size_t inputReportLength = 65;
};

// Continuous: a fresh status report is waiting at every read, as with a clock that reports more
// often than anyone polls. OnRequest: reports arrive only through queueInputReport().
enum class InputReportMode { Continuous, OnRequest };

// One-shot faults: the next call of that kind fails, later ones work again. StringQuery is the
// manufacturer or product query; a serial that cannot be read is VirtualClockDescription::serial =
// nothing.
enum class VirtualFault { Open, SendFeature, GetFeature, StringQuery, ReadInput };

class VirtualClockHandle;

// A simulated clock as seen through HID: identity, plug state, input-report queues and fault
// injection around a ClockModel. Created by VirtualClockBackend, which owns it.
class VirtualClock {
public:
    // Each open handle keeps its own queue of this depth and drops new reports when it is full,
    // as the Linux hidraw driver does.
    static constexpr std::size_t kInputQueueDepth = 64;

    // The id tells clocks apart in their paths.
    VirtualClock(VirtualClockDescription description, std::size_t id);
    ~VirtualClock();
    VirtualClock(const VirtualClock&) = delete;
    VirtualClock& operator=(const VirtualClock&) = delete;

    const VirtualClockDescription& description() const { return description_; }
    ClockModel& model() { return model_; }
    const ClockModel& model() const { return model_; }
    ClockState& state() { return model_.state(); }
    const std::vector<ReceivedFeatureReport>& receivedReports() const {
        return model_.receivedReports();
    }

    // The current device path; it changes on every replug, as a new hidraw node would.
    const std::string& path() const { return path_; }
    bool pluggedIn() const { return pluggedIn_; }
    // Every call on handles opened before the unplug fails from now on, even after a replug.
    void unplug();
    void plugIn();

    void setInputReportMode(InputReportMode mode) { inputMode_ = mode; }
    // Puts a report with the current status into the queue of every open handle.
    void queueInputReport();

    void failNext(VirtualFault fault) { pendingFaults_.insert(fault); }
    // Until cleared, every open fails for this reason, as for a device node this user may not
    // open or one another program holds.
    void refuseOpens(std::optional<OpenFailure> why) { openRefusal_ = why; }
    std::optional<OpenFailure> openRefusal() const { return openRefusal_; }
    // The next configuration read returns only this many bytes (report-ID byte included).
    void shortenNextConfigurationReport(std::size_t length) { shortReportLength_ = length; }

    // Like firmware that hangs: feature requests wait before they are answered, each for this
    // delay or, with nothing, until releaseStall(), and no input reports arrive meanwhile. The
    // requests wait on the caller's thread; everything else about the clock works as ever.
    void stall(std::optional<std::chrono::milliseconds> delay = std::nullopt);
    // Ends the stall; returns once the requests it held have been answered.
    void releaseStall();
    bool stalled() const;
    // Feature requests waiting for the stall to end.
    std::size_t heldRequests() const;

    // Handles opened on this clock and not yet destroyed, dead ones included.
    std::size_t openHandleCount() const;

private:
    friend class VirtualClockBackend;
    friend class VirtualClockHandle;

    struct InputQueue {
        std::deque<std::vector<std::uint8_t>> reports;
    };

    bool takeFault(VirtualFault fault) { return pendingFaults_.erase(fault) > 0; }

    // Held while a feature request is answered: it waits out a stall first, and releaseStall()
    // waits for it to end. Then it answers alone, as the kernel answers one request to a device
    // at a time, whichever thread or handle asks.
    class Answering {
    public:
        explicit Answering(VirtualClock& clock);
        ~Answering();
        Answering(const Answering&) = delete;
        Answering& operator=(const Answering&) = delete;

    private:
        VirtualClock& clock_;
        bool held_ = false;
        std::unique_lock<std::mutex> alone_;
    };
    std::shared_ptr<InputQueue> attachInputQueue();

    VirtualClockDescription description_;
    std::size_t id_;
    std::uint64_t plugGeneration_ = 0;  // before path_, which is made from it
    std::string path_;
    ClockModel model_;
    bool pluggedIn_ = true;
    InputReportMode inputMode_ = InputReportMode::Continuous;
    std::set<VirtualFault> pendingFaults_;
    std::optional<std::size_t> shortReportLength_;
    std::optional<OpenFailure> openRefusal_;
    std::vector<std::weak_ptr<InputQueue>> inputQueues_;

    // Serialises the handles' calls, which come from their own threads.
    std::mutex answerMutex_;
    mutable std::mutex stallMutex_;
    std::condition_variable stallChanged_;
    bool stalled_ = false;
    std::optional<std::chrono::milliseconds> stallDelay_;
    std::size_t heldRequests_ = 0;
};

}  // namespace tarnwell
