#include "hid/HidapiDevice.h"

#include <algorithm>
#include <array>
#include <cwchar>
#include <utility>

#include "device/WideText.h"
#include "hid/InputReportDrain.h"

namespace tarnwell {

namespace {

using StringQuery = int (*)(hid_device*, wchar_t*, std::size_t);

std::optional<std::u16string> queryString(hid_device* device, StringQuery query) {
    std::array<wchar_t, 256> buffer{};
    if (query(device, buffer.data(), buffer.size()) != 0) {
        return std::nullopt;
    }
    buffer.back() = L'\0';
    return utf16FromWide(std::wstring_view(buffer.data(), std::wcslen(buffer.data())));
}

}  // namespace

HidapiDevice::HidapiDevice(std::shared_ptr<HidapiSession> session, HidHandle featureHandle,
                           HidHandle inputHandle, ReportLengths lengths)
    : session_(std::move(session)),
      featureHandle_(std::move(featureHandle)),
      inputHandle_(std::move(inputHandle)),
      lengths_(lengths) {}

bool HidapiDevice::sendFeatureReport(std::span<const std::uint8_t> report) {
    return !report.empty() &&
           hid_send_feature_report(featureHandle_.get(), report.data(), report.size()) >= 0;
}

std::optional<std::size_t> HidapiDevice::getFeatureReport(std::span<std::uint8_t> buffer) {
    if (buffer.empty()) {
        return std::nullopt;
    }
    const int received = hid_get_feature_report(featureHandle_.get(), buffer.data(), buffer.size());
    if (received < 0) {
        return std::nullopt;
    }
    return std::min(static_cast<std::size_t>(received), buffer.size());
}

InputRead HidapiDevice::readNewestInputReport() {
    return drainNewestInputReport(lengths_, [this](std::span<std::uint8_t> buffer) {
        return long{hid_read_timeout(inputHandle_.get(), buffer.data(), buffer.size(), 0)};
    });
}

std::optional<std::u16string> HidapiDevice::manufacturer() {
    return queryString(inputHandle_.get(), hid_get_manufacturer_string);
}

std::optional<std::u16string> HidapiDevice::product() {
    return queryString(inputHandle_.get(), hid_get_product_string);
}

}  // namespace tarnwell
