#include "hid/HidrawDevice.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cwchar>

#include "device/WideText.h"
#include "hid/HidrawDescriptor.h"
#include "hid/InputReportDrain.h"

namespace tarnwell {

namespace {

// hidapi's strings as a 256-character buffer holds them.
constexpr std::size_t kLongestString = 255;

// A node whose device is gone says so at once, even with reports still queued.
long readOneReport(int node, std::span<std::uint8_t> buffer) {
    pollfd polled{node, POLLIN, 0};
    const int ready = ::poll(&polled, 1, 0);
    if (ready <= 0)
        return ready;
    if ((polled.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0)
        return -1;
    const ssize_t received = ::read(node, buffer.data(), buffer.size());
    if (received < 0 && (errno == EAGAIN || errno == EINTR))
        return 0;
    return received;
}

}  // namespace

std::unique_ptr<HidrawDevice> HidrawDevice::open(std::shared_ptr<HidapiSession> session,
                                                 const std::string& path) {
    const int node = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (node < 0)
        return nullptr;
    // All zero when the descriptor cannot be parsed: the device then takes no command and its
    // configuration reads as failed, rather than getting reports of a guessed length.
    const auto descriptor = readHidrawReportDescriptor(node);
    if (!descriptor) {
        ::close(node);
        return nullptr;
    }
    const ReportLengths lengths =
        parseReportDescriptor(*descriptor).lengths.value_or(ReportLengths{});
    return std::unique_ptr<HidrawDevice>(new HidrawDevice(std::move(session), path, node, lengths));
}

HidrawDevice::HidrawDevice(std::shared_ptr<HidapiSession> session, std::string path, int node,
                           ReportLengths lengths)
    : session_(std::move(session)), path_(std::move(path)), node_(node), lengths_(lengths) {}

HidrawDevice::~HidrawDevice() {
    ::close(node_);
}

bool HidrawDevice::sendFeatureReport(std::span<const std::uint8_t> report) {
    return !report.empty() && ::ioctl(node_, HIDIOCSFEATURE(report.size()), report.data()) >= 0;
}

std::optional<std::size_t> HidrawDevice::getFeatureReport(std::span<std::uint8_t> buffer) {
    if (buffer.empty())
        return std::nullopt;
    const int received = ::ioctl(node_, HIDIOCGFEATURE(buffer.size()), buffer.data());
    if (received < 0)
        return std::nullopt;
    return std::min(static_cast<std::size_t>(received), buffer.size());
}

InputRead HidrawDevice::readNewestInputReport() {
    return drainNewestInputReport(
        lengths_, [this](std::span<std::uint8_t> buffer) { return readOneReport(node_, buffer); });
}

std::optional<std::u16string> HidrawDevice::manufacturer() {
    return listedString(&hid_device_info::manufacturer_string);
}

std::optional<std::u16string> HidrawDevice::product() {
    return listedString(&hid_device_info::product_string);
}

std::optional<std::u16string> HidrawDevice::listedString(wchar_t* hid_device_info::*field) const {
    struct stat opened {};
    if (::fstat(node_, &opened) != 0)
        return std::nullopt;
    const HidapiStateLock lock = lockHidapiProcessState();
    hid_device_info* const list = hid_enumerate(0, 0);
    std::optional<std::u16string> text;
    for (const hid_device_info* entry = list; entry != nullptr; entry = entry->next) {
        struct stat listed {};
        // The same node, not one made since at the same path.
        if (entry->path == nullptr || path_ != entry->path || ::stat(entry->path, &listed) != 0 ||
            listed.st_rdev != opened.st_rdev)
            continue;
        const wchar_t* const value = entry->*field;
        const std::wstring_view whole = value ? std::wstring_view(value) : std::wstring_view();
        text = utf16FromWide(whole.substr(0, kLongestString));
        break;
    }
    hid_free_enumeration(list);
    return text;
}

}  // namespace tarnwell
