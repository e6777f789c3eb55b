#include "WatchedClocks.h"

#include <algorithm>
#include <memory>

#include "ClockStrings.h"
#include "device/ClockIoThread.h"
#include "planning/PllModel.h"
#include "readback/IdentityText.h"

namespace tarnwell::ctl {

namespace {

// A clock without a readable serial is told by its path.
std::string labelOf(const HidDeviceInfo& info) {
    return info.serial ? utf8FromLatin1(identityText(*info.serial)) : info.path;
}

}  // namespace

bool WatchedClocks::stuck() const {
    const auto isStuck = [](const auto& session) { return session && session->stuck(); };
    return std::ranges::any_of(dropped_, isStuck) ||
           std::ranges::any_of(clocks_, [&](const Watched& c) { return isStuck(c.session); });
}

void WatchedClocks::drop(Watched& clock) {
    if (!clock.session)
        return;
    // Closing waits in the kernel while any request to a hidraw node is stuck, this program's or
    // another's.
    clock.session->closeInBackground();
    if (clock.session->stuck())
        dropped_.push_back(std::move(clock.session));
    clock.session.reset();
    clock.status.reset();
}

void WatchedClocks::relist() {
    std::vector<Watched> listed;
    for (HidDeviceInfo& info : enumerateClocks(backend_, ids_)) {
        if (serial_ && *serial_ != labelOf(info))
            continue;
        const auto known = std::ranges::find_if(
            clocks_, [&info](const Watched& c) { return c.info.path == info.path; });
        if (known != clocks_.end())
            listed.push_back(std::move(*known));
        else
            listed.push_back({std::move(info), nullptr, std::nullopt, std::nullopt});
    }
    for (Watched& gone : clocks_)
        drop(gone);
    clocks_ = std::move(listed);
    for (Watched& clock : clocks_) {
        if (clock.session || stuck())
            continue;
        clock.session = std::make_unique<ClockSession>(backend_, ids_, time_, deadline_);
        clock.failure.reset();
        if (StepResult failed = clock.session->open(clock.info)) {
            clock.failure = failed->reason;
            drop(clock);
        }
    }
}

void WatchedClocks::read(Watched& clock, ClockMetrics& metrics,
                         std::chrono::milliseconds statusWait) {
    std::optional<DeviceConfiguration> configuration;
    StepResult failed = clock.session->readConfiguration(configuration, {});
    if (!failed && clock.status) {
        std::optional<InputStatus> newest;
        failed = clock.session->newestStatus(newest);
        if (newest)
            clock.status = newest;
    } else if (!failed) {
        // A clock just opened has no report queued yet.
        InputStatus first;
        failed = clock.session->waitForStatus(statusWait, false, first);
        clock.status = first;
    }
    if (failed) {
        clock.failure = failed->reason;
        return;
    }
    metrics.status = *clock.status;
    metrics.firmware = firmwareText(clock.info.releaseNumber);
    metrics.out1Hz = output1Frequency(pllValuesOf(configuration->pll));
    metrics.referenceHz = configuration->pll.gps;
}

std::vector<ClockMetrics> WatchedClocks::look(std::chrono::milliseconds statusWait) {
    std::erase_if(dropped_, [](const auto& session) { return !session->stuck(); });
    if (!stuck())
        relist();
    std::vector<ClockMetrics> metrics(clocks_.size());
    const auto readOne = [&](std::size_t i) { read(clocks_[i], metrics[i], statusWait); };
    std::vector<std::size_t> open;
    for (std::size_t i = 0; i < clocks_.size(); ++i) {
        if (clocks_[i].session)
            open.push_back(i);
    }
    // Each clock on a thread of its own: waiting for one that is slow to answer must not put off
    // seeing that another has stopped answering.
    if (open.size() == 1) {
        readOne(open.front());
    } else {
        std::vector<std::shared_ptr<PendingCall>> reads;
        const auto waitForReads = [&reads] {
            for (const auto& read : reads)
                read->wait();
        };
        try {
            for (const std::size_t i : open)
                reads.push_back(ClockIoThread::runAlone([&readOne, i] { readOne(i); }));
        } catch (...) {
            // The reads under way use this frame: failing to start the next one must not pull it
            // from under them.
            waitForReads();
            throw;
        }
        waitForReads();
    }
    for (std::size_t i = 0; i < clocks_.size(); ++i) {
        Watched& clock = clocks_[i];
        metrics[i].serial = labelOf(clock.info);
        // An open clock has a failure only when this read failed.
        if (clock.session && clock.failure)
            drop(clock);
        else if (!clock.session && !clock.failure)
            clock.failure = "not opened while a request to a clock is stuck in the kernel";
        metrics[i].failure = clock.failure;
    }
    return metrics;
}

}  // namespace tarnwell::ctl
