#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "device/HidBackend.h"

namespace tarnwell {

// A call handed to a clock's I/O thread. Whoever waits for it may give up; the call still runs to
// its end on the I/O thread.
class PendingCall {
public:
    bool done() const;
    void wait() const;
    // True when the call returned before the time was up.
    bool waitFor(std::chrono::steady_clock::duration span) const;
    // Called once, on the I/O thread and holding no lock, when the call returns; at once (on this
    // thread) when it already has. Replacing it with an empty function stops the calls: after
    // that returns, whatever the old one held may go, as it waits for a notification under way.
    void notifyWhenDone(std::function<void()> notify);

private:
    friend class ClockIoThread;
    void finish();

    mutable std::mutex mutex_;
    mutable std::condition_variable finished_;
    bool done_ = false;
    std::function<void()> notify_;
    // The I/O thread while it runs the notification, which may itself call back into this.
    std::optional<std::thread::id> notifying_;
};

// Runs the calls to one opened clock, in the order they were posted, on a thread of its own (a
// spare one, see SpareThreads.h), so a clock that does not answer blocks that thread rather than
// its caller. A call blocked in the kernel cannot be interrupted: the device stays open until it
// returns.
class ClockIoThread {
public:
    explicit ClockIoThread(std::unique_ptr<HidDevice> device);
    // Never waits for a call that is stuck: the thread closes the device once the call returns.
    // Calls not started yet are dropped.
    ~ClockIoThread();
    ClockIoThread(const ClockIoThread&) = delete;
    ClockIoThread& operator=(const ClockIoThread&) = delete;

    std::shared_ptr<PendingCall> post(std::function<void(HidDevice&)> call);
    // The destructor leaves closing the device to the thread instead of waiting for it.
    void closeInBackground() { closeInBackground_ = true; }
    // Done once the thread has closed the device.
    std::shared_ptr<PendingCall> closed() const;

    // Runs one call on a thread of its own: for a call that may block in the kernel before there
    // is a device, such as opening one.
    static std::shared_ptr<PendingCall> runAlone(std::function<void()> call);

private:
    struct Queue;
    std::shared_ptr<Queue> queue_;
    bool closeInBackground_ = false;
};

}  // namespace tarnwell
