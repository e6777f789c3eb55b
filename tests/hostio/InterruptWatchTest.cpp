// SIGINT and SIGTERM, in a child process: a command that looks ends cleanly, one that does not
// is ended after the grace, a second signal at once.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

#include "hostio/InterruptWatch.h"

namespace tarnwell {
namespace {

using namespace std::chrono_literals;

struct Ending {
    int status;
    std::chrono::milliseconds after;
};

// Runs `command` in a child under an InterruptWatch, sends it `signals` signals, and returns its
// exit status and how long after the first signal it ended.
Ending interrupt(void (*command)(), int signal, int signals) {
    const pid_t child = ::fork();
    if (child == 0) {
        const InterruptWatch watch("test", 300ms);
        command();
        std::_Exit(0);
    }
    std::this_thread::sleep_for(100ms);
    const auto sent = std::chrono::steady_clock::now();
    for (int i = 0; i < signals; ++i) {
        ::kill(child, signal);
        // Apart, or the two are one pending signal.
        std::this_thread::sleep_for(50ms);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                  sent)};
}

void stuck() {
    std::this_thread::sleep_for(10s);
}

void watching() {
    while (!InterruptWatch::requested())
        std::this_thread::sleep_for(10ms);
    std::_Exit(7);
}

TEST(InterruptWatch, EveryCommandEndsWithinASecondOfASignal) {
    struct Row {
        void (*command)();
        int signal;
        int signals;
        int status;
    };
    for (const Row& row :
         {Row{watching, SIGTERM, 1, 7}, Row{stuck, SIGTERM, 1, 128 + SIGTERM},
          Row{stuck, SIGINT, 1, 128 + SIGINT}, Row{stuck, SIGINT, 2, 128 + SIGINT}}) {
        const Ending ending = interrupt(row.command, row.signal, row.signals);
        EXPECT_EQ(ending.status, row.status) << row.signal << " x" << row.signals;
        EXPECT_LT(ending.after, 1s);
        if (row.signals == 2) {
            EXPECT_LT(ending.after, 250ms) << "a second signal ends it at once";
        }
    }
}

}  // namespace
}  // namespace tarnwell
