#include "ClockRig.h"

#include <algorithm>

namespace tarnwell::uhidclock {
namespace {

std::string ok() {
    return std::string(kReplyOk) + '\n';
}
std::string error(const std::string& why) {
    return std::string(kReplyErrorPrefix) + why + '\n';
}

template <typename... Visitors>
struct Overloaded : Visitors... {
    using Visitors::operator()...;
};
// clang 14 does not deduce an aggregate's template arguments by itself.
template <typename... Visitors>
Overloaded(Visitors...) -> Overloaded<Visitors...>;

}  // namespace

std::string ClockRig::execute(std::string_view line) {
    const ParsedRequest parsed = parseRequest(line);
    return parsed.request ? execute(*parsed.request) : error(parsed.error);
}

std::string ClockRig::execute(const Request& request) {
    if (const auto* addClock = std::get_if<AddClock>(&request)) {
        return add(*addClock);
    }
    const std::string& serial =
        std::visit([](const auto& r) -> const std::string& { return r.serial; }, request);
    UhidClock* const clock = find(serial);
    if (clock == nullptr) {
        return error("no clock " + serial);
    }
    return std::visit(
        Overloaded{[](const AddClock&) { return ok(); },  // handled above
                   [this, clock](const Unplug&) {
                       // Replied once the host no longer sees the clock, as a test expects.
                       clock->unplug();
                       answerUntil([clock] { return !clock->leaving(); });
                       return ok();
                   },
                   [clock](const Plug&) {
                       std::string why;
                       return clock->plug(why) ? ok() : error(why);
                   },
                   [clock](const SetStatus& r) {
                       clock->setStatus(r.signalLossCount, r.statusBits);
                       return ok();
                   },
                   [clock](const SendInput&) {
                       return clock->sendInputReport() ? ok() : error("input report not sent");
                   },
                   [clock](const ReadLog&) {
                       std::string reply;
                       for (const LoggedReport& report : clock->log()) {
                           reply += formatLogLine(report) + '\n';
                       }
                       return reply + ok();
                   },
                   [clock](const ClearLog&) {
                       clock->clearLog();
                       return ok();
                   },
                   [clock](const Stall& r) {
                       std::optional<std::chrono::steady_clock::time_point> until;
                       if (r.duration)
                           until = std::chrono::steady_clock::now() + *r.duration;
                       clock->stall(until);
                       return ok();
                   },
                   [clock](const Resume&) {
                       clock->resume();
                       return ok();
                   },
                   [clock](const SendRawInput& r) {
                       return clock->sendRawInputReport(r.bytes) ? ok()
                                                                 : error("input report not sent");
                   },
                   [clock](const AnswerConfiguration& r) {
                       clock->answerNextConfigurationWith(r.bytes);
                       return ok();
                   }},
        request);
}

std::string ClockRig::add(const AddClock& request) {
    if (find(request.serial) != nullptr) {
        return error("a clock " + request.serial + " exists already");
    }
    auto clock =
        std::make_unique<UhidClock>(request.serial, usbId_, request.featureReportLength,
                                    request.inputReportLength, request.topLevelCollections);
    std::string why;
    if (!clock->plug(why)) {
        return error(why);
    }
    clocks_.push_back(std::move(clock));
    return ok();
}

UhidClock* ClockRig::find(const std::string& serial) {
    const auto found = std::find_if(clocks_.begin(), clocks_.end(),
                                    [&](const auto& clock) { return clock->serial() == serial; });
    return found == clocks_.end() ? nullptr : found->get();
}

std::optional<std::chrono::steady_clock::time_point> ClockRig::resumeStallsDue() {
    std::optional<std::chrono::steady_clock::time_point> next;
    const auto now = std::chrono::steady_clock::now();
    for (const auto& clock : clocks_) {
        const auto end = clock->resumeWhenDue(now);
        if (end && (!next || *end < *next))
            next = end;
    }
    return next;
}

std::vector<pollfd> ClockRig::kernelEvents() const {
    std::vector<pollfd> watched;
    for (const auto& clock : clocks_) {
        if (clock->plugged())
            watched.push_back({clock->fd(), POLLIN, 0});
    }
    return watched;
}

void ClockRig::handleEvent(int fd) {
    for (const auto& clock : clocks_) {
        if (clock->fd() == fd)
            clock->handleEvent();
    }
}

void ClockRig::answerUntil(const std::function<bool()>& done) {
    constexpr int kLookMs = 5;
    while (!done()) {
        resumeStallsDue();
        std::vector<pollfd> watched = kernelEvents();
        if (::poll(watched.data(), watched.size(), kLookMs) <= 0)
            continue;
        for (const pollfd& polled : watched) {
            if (polled.revents != 0)
                handleEvent(polled.fd);
        }
    }
}

void ClockRig::sendInputReports() {
    for (const auto& clock : clocks_) {
        clock->sendInputReport();
    }
}

}  // namespace tarnwell::uhidclock
