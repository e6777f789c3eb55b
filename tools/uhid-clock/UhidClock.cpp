#include "UhidClock.h"

#include <algorithm>
#include <span>
#include <utility>

#include "VendorReportDescriptor.h"
#include "device/FeatureReport.h"

namespace tarnwell::uhidclock {
namespace {

constexpr std::uint16_t kFirmwareVersion = 0x0112;

std::string reportTypeName(std::uint8_t type) {
    switch (type) {
        case UHID_FEATURE_REPORT:
            return "feature";
        case UHID_OUTPUT_REPORT:
            return "output";
        case UHID_INPUT_REPORT:
            return "input";
    }
    return "type" + std::to_string(type);
}

}  // namespace

UhidClock::UhidClock(std::string serial, UsbId usbId, std::size_t featureReportLength,
                     std::size_t inputReportLength, std::size_t topLevelCollections)
    : serial_(std::move(serial)),
      usbId_(usbId),
      topLevelCollections_(topLevelCollections),
      model_(featureReportLength, inputReportLength) {}

bool UhidClock::plug(std::string& error) {
    if (device_) {
        return true;
    }
    // The descriptor declares no report IDs, so the report-ID byte is not part of its counts.
    const UhidIdentity identity{
        "Tarnwell uhid clock",
        serial_,
        usbId_.vendor,
        usbId_.product,
        kFirmwareVersion,
        vendorReportDescriptor(model_.featureReportLength() - 1, model_.inputReportLength() - 1,
                               topLevelCollections_)};
    device_ = UhidDevice::create(identity, error);
    return device_ != nullptr;
}

void UhidClock::unplug() {
    if (device_) {
        for (const uhid_event& request : std::exchange(held_, {})) {
            if (request.type == UHID_GET_REPORT)
                device_->answerGetReport(request.u.get_report.id, std::nullopt);
            else
                device_->answerSetReport(request.u.set_report.id, false);
        }
    }
    if (device_)
        leaving_.push_back(std::async(std::launch::async,
                                      [device = std::move(device_)]() mutable { device.reset(); }));
    configurationAnswers_.clear();
}

bool UhidClock::leaving() {
    std::erase_if(leaving_, [](const std::future<void>& left) {
        return left.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    });
    return !leaving_.empty();
}

void UhidClock::handleEvent() {
    if (!device_) {
        return;
    }
    const std::optional<uhid_event> event = device_->readEvent();
    if (!event) {
        return;
    }
    switch (event->type) {
        case UHID_GET_REPORT:
        case UHID_SET_REPORT:
            if (stalled_)
                held_.push_back(*event);
            else
                answer(*event);
            break;
        case UHID_OUTPUT: {
            const auto& output = event->u.output;
            const std::size_t size = std::min<std::size_t>(output.size, UHID_DATA_MAX);
            log_.push_back({"output", {output.data, output.data + size}});
            break;
        }
        default:  // start, stop, open, close: nothing to answer
            break;
    }
}

void UhidClock::answer(const uhid_event& request) {
    if (request.type == UHID_GET_REPORT)
        answerGetReport(request.u.get_report);
    else
        answerSetReport(request.u.set_report);
}

void UhidClock::stall(std::optional<std::chrono::steady_clock::time_point> until) {
    stalled_ = true;
    stallEnd_ = until;
}

void UhidClock::resume() {
    stalled_ = false;
    stallEnd_.reset();
    const std::vector<uhid_event> held = std::exchange(held_, {});
    for (const uhid_event& request : held) {
        if (device_)
            answer(request);
    }
}

std::optional<std::chrono::steady_clock::time_point> UhidClock::resumeWhenDue(
    std::chrono::steady_clock::time_point now) {
    if (!stalled_ || !stallEnd_)
        return std::nullopt;
    if (now < *stallEnd_)
        return stallEnd_;
    resume();
    return std::nullopt;
}

void UhidClock::answerGetReport(const uhid_get_report_req& request) {
    const std::string kind = "get-" + reportTypeName(request.rtype);
    if (request.rtype != UHID_FEATURE_REPORT || request.rnum != 0) {
        log_.push_back({kind, {request.rnum}});
        device_->answerGetReport(request.id, std::nullopt);
        return;
    }
    // uhid passes the answer on untouched, so it carries the report-ID byte that a USB host
    // controller driver would have put in front.
    std::optional<std::vector<std::uint8_t>> report = model_.configurationReport();
    if (!configurationAnswers_.empty()) {
        report = std::move(configurationAnswers_.front());
        configurationAnswers_.pop_front();
    }
    log_.push_back({kind, report.value_or(std::vector<std::uint8_t>{})});
    device_->answerGetReport(request.id, report);
}

void UhidClock::answerSetReport(const uhid_set_report_req& request) {
    const std::size_t size = std::min<std::size_t>(request.size, UHID_DATA_MAX);
    const std::span<const std::uint8_t> report(request.data, size);
    log_.push_back({"set-" + reportTypeName(request.rtype), {report.begin(), report.end()}});
    const bool accepted = request.rtype == UHID_FEATURE_REPORT && request.rnum == 0;
    if (accepted) {
        model_.receiveFeatureReport(report);  // it arrives with the report-ID byte in front
    }
    device_->answerSetReport(request.id, accepted);
}

bool UhidClock::sendInputReport() {
    if (!device_ || stalled_) {
        return false;
    }
    // Without report IDs the report goes on the wire without its ID byte.
    const std::vector<std::uint8_t> report = model_.inputReport();
    return device_->sendInputReport(
        std::span(report).subspan(std::min<std::size_t>(1, report.size())));
}

bool UhidClock::sendRawInputReport(std::span<const std::uint8_t> bytes) {
    return device_ && device_->sendInputReport(bytes);
}

void UhidClock::setStatus(std::uint8_t signalLossCount, std::uint8_t statusBits) {
    model_.state().status = {signalLossCount, (statusBits & 0x01) != 0, (statusBits & 0x02) != 0};
}

}  // namespace tarnwell::uhidclock
