#include "device/ClockIoThread.h"

#include <deque>
#include <utility>

#include "device/SpareThreads.h"

namespace tarnwell {

bool PendingCall::done() const {
    const std::lock_guard lock(mutex_);
    return done_;
}

void PendingCall::wait() const {
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [this] { return done_; });
}

bool PendingCall::waitFor(std::chrono::steady_clock::duration span) const {
    std::unique_lock lock(mutex_);
    return finished_.wait_for(lock, span, [this] { return done_; });
}

void PendingCall::notifyWhenDone(std::function<void()> notify) {
    std::unique_lock lock(mutex_);
    if (notifying_ != std::this_thread::get_id())
        finished_.wait(lock, [this] { return !notifying_; });
    if (done_) {
        lock.unlock();
        if (notify)
            notify();
        return;
    }
    notify_ = std::move(notify);
}

void PendingCall::finish() {
    std::unique_lock lock(mutex_);
    done_ = true;
    std::function<void()> notify = std::exchange(notify_, {});
    if (notify)
        notifying_ = std::this_thread::get_id();
    finished_.notify_all();
    if (!notify)
        return;
    lock.unlock();
    notify();
    lock.lock();
    notifying_.reset();
    finished_.notify_all();
}

// Shared by the owner and the thread, which may go on after the owner.
struct ClockIoThread::Queue {
    struct Job {
        std::function<void(HidDevice&)> call;
        std::shared_ptr<PendingCall> pending;
    };
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Job> jobs;
    bool stopping = false;
    bool busy = false;
    std::unique_ptr<HidDevice> device;
    const std::shared_ptr<PendingCall> closed = std::make_shared<PendingCall>();

    void run() {
        std::unique_lock lock(mutex);
        while (true) {
            changed.wait(lock, [this] { return stopping || !jobs.empty(); });
            if (stopping)
                break;
            Job job = std::move(jobs.front());
            jobs.pop_front();
            busy = true;
            lock.unlock();
            job.call(*device);
            lock.lock();
            // Idle before the caller hears of it: a caller that then closes the device must find
            // the thread free to close it at once.
            busy = false;
            lock.unlock();
            job.pending->finish();
            lock.lock();
        }
        // Closed here, after the last call returned, whether or not the owner is still there.
        std::unique_ptr<HidDevice> closing = std::move(device);
        lock.unlock();
        closing.reset();
        closed->finish();
    }
};

ClockIoThread::ClockIoThread(std::unique_ptr<HidDevice> device)
    : queue_(std::make_shared<Queue>()) {
    queue_->device = std::move(device);
    runOnSpareThread([queue = queue_] { queue->run(); });
}

ClockIoThread::~ClockIoThread() {
    std::unique_lock lock(queue_->mutex);
    queue_->stopping = true;
    queue_->jobs.clear();
    queue_->changed.notify_all();
    // A thread in a call cannot be interrupted; one that is not closes the device at once.
    const bool wait = !queue_->busy && !closeInBackground_;
    lock.unlock();
    if (wait)
        queue_->closed->wait();
}

std::shared_ptr<PendingCall> ClockIoThread::closed() const {
    return queue_->closed;
}

std::shared_ptr<PendingCall> ClockIoThread::runAlone(std::function<void()> call) {
    auto pending = std::make_shared<PendingCall>();
    runOnSpareThread([pending, call = std::move(call)] {
        call();
        pending->finish();
    });
    return pending;
}

std::shared_ptr<PendingCall> ClockIoThread::post(std::function<void(HidDevice&)> call) {
    auto pending = std::make_shared<PendingCall>();
    {
        const std::lock_guard lock(queue_->mutex);
        queue_->jobs.push_back({std::move(call), pending});
    }
    queue_->changed.notify_one();
    return pending;
}

}  // namespace tarnwell
