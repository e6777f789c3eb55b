#pragma once

#include <memory>
#include <string>

#include "device/HidBackend.h"
#include "device/ReportDescriptor.h"
#include "hid/HidapiSession.h"

namespace tarnwell {

// An open clock on Linux, through its hidraw node itself. hidapi 0.13's own open writes to memory
// it has just freed when the node's first request fails, as it does when the clock goes away
// between that open and that request: an unplug while another request is stuck holds exactly
// that gap open. hidapi still lists the clocks and knows their strings.
class HidrawDevice final : public HidDevice {
public:
    // Nothing when the node cannot be opened or is no hidraw node.
    static std::unique_ptr<HidrawDevice> open(std::shared_ptr<HidapiSession> session,
                                              const std::string& path);
    ~HidrawDevice() override;
    HidrawDevice(const HidrawDevice&) = delete;
    HidrawDevice& operator=(const HidrawDevice&) = delete;

    std::size_t featureReportLength() const override { return lengths_.featureReportLength; }
    std::size_t inputReportLength() const override { return lengths_.inputReportLength; }

    [[nodiscard]] bool sendFeatureReport(std::span<const std::uint8_t> report) override;
    [[nodiscard]] std::optional<std::size_t> getFeatureReport(
        std::span<std::uint8_t> buffer) override;
    InputRead readNewestInputReport() override;

    std::optional<std::u16string> manufacturer() override;
    std::optional<std::u16string> product() override;

private:
    HidrawDevice(std::shared_ptr<HidapiSession> session, std::string path, int node,
                 ReportLengths lengths);
    // As hidapi's listing of this node gives it; nothing once the node is gone.
    std::optional<std::u16string> listedString(wchar_t* hid_device_info::*field) const;

    std::shared_ptr<HidapiSession> session_;
    std::string path_;
    int node_;  // non-blocking: reads return at once, requests wait for their answer
    ReportLengths lengths_;
};

}  // namespace tarnwell
