#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device/HidBackend.h"

namespace tarnwell {

// An opened device that passes every call to another one. Derived classes override only the calls
// they watch or change.
class ForwardingDevice : public HidDevice {
public:
    explicit ForwardingDevice(std::unique_ptr<HidDevice> inner);

    std::size_t featureReportLength() const override;
    std::size_t inputReportLength() const override;
    [[nodiscard]] bool sendFeatureReport(std::span<const std::uint8_t> report) override;
    [[nodiscard]] std::optional<std::size_t> getFeatureReport(
        std::span<std::uint8_t> buffer) override;
    InputRead readNewestInputReport() override;
    std::optional<std::u16string> manufacturer() override;
    std::optional<std::u16string> product() override;

protected:
    HidDevice& inner() { return *inner_; }
    const HidDevice& inner() const { return *inner_; }

private:
    std::unique_ptr<HidDevice> inner_;
};

// A backend that enumerates and opens through another one and hands each opened device to wrap(),
// where a derived class puts its own ForwardingDevice around it.
class ForwardingBackend : public HidBackend {
public:
    explicit ForwardingBackend(HidBackend& inner);

    std::vector<HidDeviceInfo> enumerate(std::uint16_t vendorId, std::uint16_t productId) override;
    [[nodiscard]] OpenResult open(const std::string& path) override;
    bool notifiesChanges() const override { return inner_.notifiesChanges(); }
    int changeDescriptor() const override { return inner_.changeDescriptor(); }
    [[nodiscard]] bool takeChanges() override { return inner_.takeChanges(); }

protected:
    HidBackend& inner() { return inner_; }
    // Called with every device the inner backend opened (never null).
    virtual std::unique_ptr<HidDevice> wrap(const std::string& path,
                                            std::unique_ptr<HidDevice> device) = 0;

private:
    HidBackend& inner_;
};

}  // namespace tarnwell
