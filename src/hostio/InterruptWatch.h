#pragma once

// SIGINT and SIGTERM for a whole program. The first asks the command to end: requested() turns
// true, which loops that wait (--watch) look at to end cleanly. A command still running a short
// grace later (in a read, or waiting on a clock) is ended with status 128 + the signal's number,
// and a second signal ends it at once.

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace tarnwell {

class InterruptWatch {
public:
    InterruptWatch(std::string program, std::chrono::milliseconds grace);
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    static bool requested();

private:
    void watch();

    std::string program_;
    std::chrono::milliseconds grace_;
    std::atomic<bool> finished_{false};
    std::thread watcher_;
};

}  // namespace tarnwell
