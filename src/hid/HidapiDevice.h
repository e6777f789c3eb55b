#pragma once

#include <memory>

#include "device/HidBackend.h"
#include "device/ReportDescriptor.h"
#include "hid/HidapiSession.h"

namespace tarnwell {

// An open clock on hidapi: one handle for feature reports, a second, non-blocking one for input
// reports and the identity strings.
class HidapiDevice final : public HidDevice {
public:
    HidapiDevice(std::shared_ptr<HidapiSession> session, HidHandle featureHandle,
                 HidHandle inputHandle, ReportLengths lengths);

    std::size_t featureReportLength() const override { return lengths_.featureReportLength; }
    std::size_t inputReportLength() const override { return lengths_.inputReportLength; }

    [[nodiscard]] bool sendFeatureReport(std::span<const std::uint8_t> report) override;
    [[nodiscard]] std::optional<std::size_t> getFeatureReport(
        std::span<std::uint8_t> buffer) override;
    InputRead readNewestInputReport() override;

    std::optional<std::u16string> manufacturer() override;
    std::optional<std::u16string> product() override;

private:
    // Declared first so that hidapi stays up until both handles are closed.
    std::shared_ptr<HidapiSession> session_;
    HidHandle featureHandle_;
    HidHandle inputHandle_;
    ReportLengths lengths_;
};

}  // namespace tarnwell
