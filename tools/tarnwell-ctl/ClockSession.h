#pragma once

// The one way tarnwell-ctl reaches a clock: find it, open it, and make every request on the
// clock's own I/O thread, each waited for up to its own limit and all of them within the
// command's deadline, so that a clock that stops answering can hold no command longer than that.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "CtlCommand.h"
#include "device/ClockExchange.h"
#include "device/TimedDevice.h"
#include "device/UsbIds.h"
#include "readback/ConfigReport.h"
#include "readback/ConfigurationRead.h"
#include "readback/InputReport.h"

namespace tarnwell::ctl {

// How often a status is looked for while waiting, and how long by default.
inline constexpr std::chrono::milliseconds kStatusPoll{50};
inline constexpr std::chrono::milliseconds kDefaultStatusTimeout{2000};

// A step that went wrong: the exit status, what was under way and why it failed.
struct SessionFailure {
    int status = kExitDeviceError;
    std::string step;  // may be empty
    std::string reason;
    std::string fix;  // what would help, if anything

    std::string message() const;
};
// Nothing when the step went well.
using StepResult = std::optional<SessionFailure>;

// The end of a command's --timeout, if given, and the limit it leaves a step.
class CommandDeadline {
public:
    explicit CommandDeadline(const CtlTime& time) : time_(time) {}
    void startFrom(std::optional<std::chrono::milliseconds> limit);
    bool set() const { return end_.has_value(); }
    // The step's own limit, or what is left of the command's when that is less.
    std::chrono::milliseconds stepLimit(std::chrono::milliseconds own) const;

private:
    const CtlTime& time_;
    std::optional<std::chrono::steady_clock::time_point> end_;
};

class ClockSession {
public:
    using Note = std::function<void(const std::string&)>;

    ClockSession(HidBackend& backend, const UsbIdList& ids, const CtlTime& time,
                 const CommandDeadline& deadline);
    // Never waits for a request or an open that is stuck: their threads finish them.
    ~ClockSession();
    ClockSession(const ClockSession&) = delete;
    ClockSession& operator=(const ClockSession&) = delete;

    // The clock of -s (`wanted`), or the only one attached; a second clock with its serial is
    // told on `note`. Only lists: nothing is opened.
    StepResult find(const std::optional<std::string>& wanted, const Note& note);
    // Finds the clock first unless find() did, then opens it.
    StepResult open(const std::optional<std::string>& wanted, const Note& note);
    // Opens this listed interface.
    StepResult open(const HidDeviceInfo& info);

    // The serial found, as the clock gives it (Latin-1), and the interface opened.
    const std::string& serial() const { return serial_; }
    const HidDeviceInfo& info() const { return info_; }

    StepResult readConfiguration(std::optional<DeviceConfiguration>& configuration,
                                 std::string_view step);
    // Strings that cannot be read are left out; a clock that does not answer fails.
    StepResult readIdentity(ClockIdentity& identity);
    StepResult send(const ReportBuilder& build, std::string_view step);
    // Waits up to `limit` for a status report, and with needLock until one shows lock and signal.
    StepResult waitForStatus(std::chrono::milliseconds limit, bool needLock, InputStatus& last);
    // The newest status queued since the last look, without waiting; nothing when none came.
    StepResult newestStatus(std::optional<InputStatus>& status);

    // A request or open given up on is still under way in the kernel. On Linux, opening or
    // closing any hidraw node waits until it returns, so nothing more should be opened meanwhile.
    bool stuck() const;
    // Leaves closing the clock to its thread when the session ends: closing waits in the kernel
    // while another clock's request is stuck.
    void closeInBackground();

private:
    // Waits for `done` (asked with a slice of time) up to the request limit; false when the time
    // is up or the program was interrupted.
    bool waitInTime(const std::function<bool(std::chrono::milliseconds)>& done);
    // The failure of `step` when the clock left its request unanswered.
    StepResult unanswered(std::string_view step) const;

    struct PendingOpen;

    HidBackend& backend_;
    const UsbIdList& ids_;
    const CtlTime& time_;
    const CommandDeadline& deadline_;
    std::string serial_;
    HidDeviceInfo info_;
    std::unique_ptr<TimedDevice> device_;
    std::shared_ptr<PendingOpen> pendingOpen_;  // an open given up on
    std::chrono::milliseconds requestLimit_{};  // of the request waited for last
    bool interrupted_ = false;
};

}  // namespace tarnwell::ctl
