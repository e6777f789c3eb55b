#include "hostio/InterruptWatch.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace tarnwell {

namespace {

using namespace std::chrono_literals;

constexpr auto kLook = 20ms;

volatile std::sig_atomic_t received = 0;

// std::signal works on every platform the programs build for, Windows included.
extern "C" void onSignal(int signal) {
    if (received != 0)
        std::_Exit(128 + signal);
    received = signal;
}

}  // namespace

InterruptWatch::InterruptWatch(std::string program, std::chrono::milliseconds grace)
    : program_(std::move(program)), grace_(grace) {
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    watcher_ = std::thread([this] { watch(); });
}

InterruptWatch::~InterruptWatch() {
    finished_ = true;
    watcher_.join();
}

bool InterruptWatch::requested() {
    return received != 0;
}

void InterruptWatch::watch() {
    while (!finished_ && received == 0)
        std::this_thread::sleep_for(kLook);
    for (auto waited = 0ms; !finished_ && waited < grace_; waited += kLook)
        std::this_thread::sleep_for(kLook);
    if (finished_)
        return;
    const int signal = received;
    std::fprintf(stderr, "%s: interrupted\n", program_.c_str());
    std::fflush(stderr);
    std::_Exit(128 + signal);
}

}  // namespace tarnwell
