#include "ClockSession.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "ArgumentNumbers.h"
#include "ClockStrings.h"
#include "OpenFailureText.h"
#include "TerminalText.h"
#include "device/SpareThreads.h"
#include "readback/IdentityText.h"

namespace tarnwell::ctl {

namespace {

using namespace std::chrono_literals;

constexpr auto kAnswerPoll = 50ms;

std::string requestText(ClockRequest request) {
    switch (request) {
        case ClockRequest::Command:
            return "command";
        case ClockRequest::Configuration:
            return "configuration request";
        case ClockRequest::Manufacturer:
            return "manufacturer string request";
        case ClockRequest::Product:
            return "product string request";
        case ClockRequest::Status:
            break;
    }
    return "status read";
}

}  // namespace

std::string SessionFailure::message() const {
    std::string text = step.empty() ? reason : step + ": " + reason;
    return fix.empty() ? text : text + " (" + fix + ")";
}

void CommandDeadline::startFrom(std::optional<std::chrono::milliseconds> limit) {
    end_.reset();
    if (limit)
        end_ = time_.now() + *limit;
}

std::chrono::milliseconds CommandDeadline::stepLimit(std::chrono::milliseconds own) const {
    if (!end_)
        return own;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*end_ - time_.now());
    return std::clamp(left, 0ms, own);
}

// An open on a thread of its own. One given up on closes what it opened on that thread.
struct ClockSession::PendingOpen {
    std::mutex mutex;
    std::condition_variable finished;
    std::optional<OpenResult> result;
    bool done = false;
    bool abandoned = false;

    void run(HidBackend& backend, const std::string& path) {
        OpenResult opened = backend.open(path);
        const std::lock_guard lock(mutex);
        done = true;
        if (!abandoned)
            result.emplace(std::move(opened));
        finished.notify_all();
    }
    bool waitFor(std::chrono::milliseconds span) {
        std::unique_lock lock(mutex);
        return finished.wait_for(lock, span, [this] { return done; });
    }
    bool finishedNow() {
        const std::lock_guard lock(mutex);
        return done;
    }
    void abandon() {
        const std::lock_guard lock(mutex);
        abandoned = true;
        result.reset();
    }
};

ClockSession::ClockSession(HidBackend& backend, const UsbIdList& ids, const CtlTime& time,
                           const CommandDeadline& deadline)
    : backend_(backend), ids_(ids), time_(time), deadline_(deadline) {}

ClockSession::~ClockSession() = default;

StepResult ClockSession::find(const std::optional<std::string>& wanted, const Note& note) {
    std::vector<std::string> serials;
    for (const HidDeviceInfo& info : enumerateClocks(backend_, ids_)) {
        if (info.serial)
            serials.push_back(identityText(*info.serial));
    }
    std::vector<std::string> distinct;
    for (const std::string& serial : serials) {
        if (std::ranges::find(distinct, serial) == distinct.end())
            distinct.push_back(serial);
    }
    if (!wanted) {
        if (distinct.empty())
            return SessionFailure{kExitNoSuchClock, {}, "no clock attached", {}};
        if (distinct.size() > 1) {
            return SessionFailure{kExitUsage,
                                  {},
                                  "several clocks attached; pick one with -s SERIAL: " +
                                      terminalText(utf8FromLatin1(joined(distinct))),
                                  {}};
        }
        serial_ = distinct.front();
    } else {
        serial_ = *wanted;
    }
    const auto count = std::ranges::count(serials, serial_);
    if (count == 0) {
        const std::string serial = std::move(serial_);
        serial_.clear();
        return SessionFailure{
            kExitNoSuchClock,
            {},
            "no clock with serial " + terminalText(serial) +
                (distinct.empty()
                     ? "; none attached"
                     : "; attached: " + terminalText(utf8FromLatin1(joined(distinct)))),
            {}};
    }
    if (count > 1) {
        note(std::to_string(count) + " clocks have serial " +
             terminalText(utf8FromLatin1(serial_)) +
             "; using the first listed, as the window does");
    }
    return std::nullopt;
}

StepResult ClockSession::open(const std::optional<std::string>& wanted, const Note& note) {
    if (serial_.empty()) {
        if (StepResult failed = find(wanted, note))
            return failed;
    }
    // Of several clocks with the serial, the first listed that opens.
    StepResult refused;
    for (const HidDeviceInfo& candidate : enumerateClocks(backend_, ids_)) {
        if (!candidate.serial || identityText(*candidate.serial) != serial_)
            continue;
        refused = open(candidate);
        if (!refused || stuck())
            return refused;
    }
    if (!refused) {
        return SessionFailure{kExitNoSuchClock,
                              {},
                              "clock " + terminalText(utf8FromLatin1(serial_)) +
                                  " was unplugged before it could be opened",
                              {}};
    }
    return refused;
}

StepResult ClockSession::open(const HidDeviceInfo& info) {
    info_ = info;
    if (serial_.empty() && info.serial)
        serial_ = identityText(*info.serial);
    const std::string who =
        "cannot open clock " + terminalText(serial_.empty() ? info.path : utf8FromLatin1(serial_));
    // On Linux an open waits while any request to a hidraw node is stuck, whoever made it.
    auto pending = std::make_shared<PendingOpen>();
    runOnSpareThread(
        [pending, &backend = backend_, path = info.path] { pending->run(backend, path); });
    if (!waitInTime(
            [&pending](std::chrono::milliseconds span) { return pending->waitFor(span); })) {
        pending->abandon();
        pendingOpen_ = std::move(pending);
        return SessionFailure{kExitDeviceError,
                              who,
                              interrupted_
                                  ? "interrupted"
                                  : "its device did not open within " + secondsText(requestLimit_) +
                                        " (a request to a clock is stuck in the kernel)",
                              {}};
    }
    OpenResult result = std::move(*pending->result);
    if (!result)
        return SessionFailure{kExitCannotOpen, who, failureText(result.failure),
                              fixText(result.failure, info)};
    device_ = std::make_unique<TimedDevice>(std::move(result.device), [this](ClockRequest,
                                                                             PendingCall& call) {
        return waitInTime([&call](std::chrono::milliseconds span) { return call.waitFor(span); });
    });
    return std::nullopt;
}

bool ClockSession::waitInTime(const std::function<bool(std::chrono::milliseconds)>& done) {
    requestLimit_ = deadline_.stepLimit(kClockAnswerTimeout);
    const auto giveUp = time_.now() + requestLimit_;
    // The answer is waited for in real time; the limit is kept in the program's time, which
    // tests move.
    while (!done(kAnswerPoll)) {
        if (time_.interrupted && time_.interrupted()) {
            interrupted_ = true;
            return false;
        }
        if (time_.now() >= giveUp)
            return false;
        time_.sleep(kAnswerPoll);
    }
    return true;
}

StepResult ClockSession::unanswered(std::string_view step) const {
    if (!device_ || !device_->unanswered())
        return std::nullopt;
    return SessionFailure{kExitDeviceError,
                          std::string(step),
                          interrupted_ ? "interrupted"
                                       : "the clock did not answer the " +
                                             requestText(*device_->unanswered()) + " within " +
                                             secondsText(requestLimit_),
                          {}};
}

StepResult ClockSession::readConfiguration(std::optional<DeviceConfiguration>& configuration,
                                           std::string_view step) {
    configuration = tarnwell::readConfiguration(*device_, time_.sleep);
    if (StepResult failed = unanswered(step))
        return failed;
    if (!configuration)
        return SessionFailure{
            kExitDeviceError, std::string(step), "reading the configuration failed", {}};
    return std::nullopt;
}

StepResult ClockSession::readIdentity(ClockIdentity& identity) {
    identity = tarnwell::readIdentity(*device_, time_.sleep);
    return unanswered("reading the clock's identity");
}

StepResult ClockSession::send(const ReportBuilder& build, std::string_view step) {
    switch (sendCommandReport(*device_, build)) {
        case SendResult::Sent:
            return std::nullopt;
        case SendResult::DoesNotFit:
            return SessionFailure{kExitDeviceError,
                                  std::string(step),
                                  "the clock's reports are too short for the command (" +
                                      std::to_string(device_->featureReportLength()) + " bytes)",
                                  {}};
        case SendResult::Failed:
            break;
    }
    if (StepResult failed = unanswered(step))
        return failed;
    return SessionFailure{kExitDeviceError, std::string(step), "sending failed", {}};
}

StepResult ClockSession::newestStatus(std::optional<InputStatus>& status) {
    const StatusRead read = readNewestStatus(*device_);
    constexpr std::string_view step = "reading the clock's status";
    if (StepResult failed = unanswered(step))
        return failed;
    if (read.read == InputReadStatus::Error)
        return SessionFailure{kExitDeviceError, {}, std::string(step) + " failed", {}};
    status = read.status;
    return std::nullopt;
}

StepResult ClockSession::waitForStatus(std::chrono::milliseconds limit, bool needLock,
                                       InputStatus& last) {
    const auto deadline = time_.now() + limit;
    bool seen = false;
    for (;;) {
        std::optional<InputStatus> status;
        if (StepResult failed = newestStatus(status))
            return failed;
        if (status) {
            last = *status;
            seen = true;
            if (!needLock || (!last.noGpsSignal && !last.noPllLock))
                return std::nullopt;
        }
        if (time_.now() >= deadline)
            break;
        if (time_.interrupted && time_.interrupted())
            return SessionFailure{
                kExitDeviceError, "waiting for the clock's status", "interrupted", {}};
        time_.sleep(kStatusPoll);
    }
    const std::string within = " within " + secondsText(limit);
    if (!needLock || !seen) {
        return SessionFailure{
            needLock ? kExitNoLock : kExitDeviceError, {}, "no status report came" + within, {}};
    }
    return SessionFailure{kExitNoLock,
                          {},
                          std::string("no ") +
                              (last.noPllLock && last.noGpsSignal ? "PLL lock and GPS signal"
                               : last.noPllLock                   ? "PLL lock"
                                                                  : "GPS signal") +
                              within,
                          {}};
}

void ClockSession::closeInBackground() {
    if (device_)
        device_->closeInBackground();
}

bool ClockSession::stuck() const {
    if (pendingOpen_ && !pendingOpen_->finishedNow())
        return true;
    const auto call = device_ ? device_->unansweredCall() : nullptr;
    return call && !call->done();
}

}  // namespace tarnwell::ctl
