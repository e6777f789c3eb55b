#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ClockSession.h"
#include "PrometheusMetrics.h"

namespace tarnwell::ctl {

// The clocks that status --prometheus and --textfile look at, kept open from one look to the next,
// so that a --watch sees a clock stop answering at its next request. Nothing is listed or opened
// while a request is stuck: on Linux the kernel holds every open of a hidraw node until it returns.
class WatchedClocks {
public:
    WatchedClocks(HidBackend& backend, const UsbIdList& ids, const CtlTime& time,
                  const CommandDeadline& deadline, const std::optional<std::string>& serial)
        : backend_(backend), ids_(ids), time_(time), deadline_(deadline), serial_(serial) {}
    ~WatchedClocks() {
        for (Watched& clock : clocks_)
            drop(clock);
    }
    WatchedClocks(const WatchedClocks&) = delete;
    WatchedClocks& operator=(const WatchedClocks&) = delete;

    // Every clock (or the one of -s) with its status and configuration, or why not.
    std::vector<ClockMetrics> look(std::chrono::milliseconds statusWait);

private:
    struct Watched {
        HidDeviceInfo info;
        std::unique_ptr<ClockSession> session;
        std::optional<InputStatus> status;
        std::optional<std::string> failure;
    };
    bool stuck() const;
    // Lists the clocks again and opens those not open.
    void relist();
    void drop(Watched& clock);
    // A clock that could not be read gets its failure. Touches only clock and metrics, so clocks
    // may be read side by side.
    void read(Watched& clock, ClockMetrics& metrics, std::chrono::milliseconds statusWait);

    HidBackend& backend_;
    const UsbIdList& ids_;
    const CtlTime& time_;
    const CommandDeadline& deadline_;
    const std::optional<std::string>& serial_;
    std::vector<Watched> clocks_;                         // in the order listed
    std::vector<std::unique_ptr<ClockSession>> dropped_;  // with a request still stuck
};

}  // namespace tarnwell::ctl
