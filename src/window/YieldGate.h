#pragma once

#include <QCoreApplication>

#include <chrono>
#include <functional>
#include <utility>

namespace tarnwell {

// A long search in the window's thread: whenever `interval` has passed since the window's events
// last ran, lets them run (after `beforeYield`, which shows where the search is) and asks
// `keepGoing` whether the search should go on. Find and the nearest search both use it.
class YieldGate {
public:
    YieldGate(std::chrono::milliseconds interval, std::function<bool()> keepGoing)
        : interval_(interval), keepGoing_(std::move(keepGoing)) {}

    template <typename BeforeYield>
    bool operator()(BeforeYield&& beforeYield) {
        if (Clock::now() - lastYield_ < interval_)
            return true;
        std::forward<BeforeYield>(beforeYield)();
        QCoreApplication::processEvents();
        lastYield_ = Clock::now();
        return keepGoing_();
    }
    bool operator()() {
        return (*this)([] {});
    }

private:
    using Clock = std::chrono::steady_clock;
    std::chrono::milliseconds interval_;
    std::function<bool()> keepGoing_;
    Clock::time_point lastYield_ = Clock::now();
};

}  // namespace tarnwell
