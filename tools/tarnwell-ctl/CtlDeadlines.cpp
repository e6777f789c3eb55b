// How long tarnwell-ctl waits for the clock: each request up to its own limit, all of them
// within --timeout. A clock that does not answer in time ends the program with exit status 6,
// even while the request is still stuck in the kernel on the clock's I/O thread.

#include <algorithm>

#include "CtlRun.h"
#include "CtlText.h"

namespace tarnwell::ctl {

namespace {

using namespace std::chrono_literals;

// A healthy clock answers within milliseconds; the kernel itself gives up after 5 s.
constexpr auto kRequestLimit = 1s;
constexpr auto kAnswerPoll = 50ms;

const char* requestText(ClockRequest request) {
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

std::optional<std::chrono::steady_clock::time_point> Run::commandDeadline(const CtlArguments& args,
                                                                          const CtlTime& time) {
    if (const auto limit = args.duration("--timeout"))
        return time.now() + *limit;
    return std::nullopt;
}

std::chrono::milliseconds Run::stepLimit(std::chrono::milliseconds own) const {
    if (!deadline_)
        return own;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(*deadline_ - time_.now());
    return std::clamp(left, 0ms, own);
}

void Run::answerInTime() {
    clock_.device = std::make_unique<TimedDevice>(
        std::move(clock_.device), [this](ClockRequest, PendingCall& call) {
            requestLimit_ = stepLimit(kRequestLimit);
            const auto giveUp = time_.now() + requestLimit_;
            // The answer is waited for in real time; the limit is kept in the program's time,
            // which tests move.
            while (!call.waitFor(kAnswerPoll)) {
                if (time_.now() >= giveUp)
                    return false;
                time_.sleep(kAnswerPoll);
            }
            return true;
        });
}

int Run::failIfUnanswered(const std::string& step) {
    const auto* timed = dynamic_cast<const TimedDevice*>(clock_.device.get());
    if (!timed || !timed->unanswered())
        return kExitDone;
    return fail(kExitDeviceError, step + ": the clock did not answer the " +
                                      requestText(*timed->unanswered()) + " within " +
                                      formatNumber(requestLimit_.count() / 1000.0, kDot) + " s");
}

}  // namespace tarnwell::ctl
