#include "device/SpareThreads.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace tarnwell {
namespace {

class SparePool {
public:
    void run(std::function<void()> call) {
        std::unique_lock lock(mutex_);
        // Each waiting call needs an idle thread of its own. A new thread is started before the
        // call is queued, so that a failure to start one leaves nothing behind.
        if (calls_.size() >= idle_) {
            lock.unlock();
            std::thread([this] { serve(); }).detach();
            lock.lock();
        }
        calls_.push_back(std::move(call));
        lock.unlock();
        callQueued_.notify_one();
    }

private:
    [[noreturn]] void serve() {
        std::unique_lock lock(mutex_);
        while (true) {
            ++idle_;
            callQueued_.wait(lock, [this] { return !calls_.empty(); });
            --idle_;
            std::function<void()> call = std::move(calls_.front());
            calls_.pop_front();
            lock.unlock();
            call();
            call = nullptr;  // what it holds goes now, not when the next call comes
            lock.lock();
        }
    }

    std::mutex mutex_;
    std::condition_variable callQueued_;
    std::deque<std::function<void()>> calls_;
    std::size_t idle_ = 0;
};

}  // namespace

void runOnSpareThread(std::function<void()> call) {
    // Never destroyed: its threads wait on it until the process ends.
    static auto* const pool = new SparePool;
    pool->run(std::move(call));
}

}  // namespace tarnwell
