#include "hid/HidapiBackend.h"

#include <cerrno>
#include <set>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <unistd.h>
#endif

#include "device/ReportDescriptor.h"
#include "device/WideText.h"
#include "hid/HidapiSession.h"
#ifdef __linux__
#include "hid/HidrawDevice.h"
#include "hid/UdevMonitor.h"
#else
#include "hid/HidapiDevice.h"
#endif
#ifdef _WIN32
#include "hid/HidArrivalWatch.h"
#endif

#if defined(HID_API_VERSION) && HID_API_VERSION >= HID_API_MAKE_VERSION(0, 14, 0)
#define TARNWELL_HIDAPI_HAS_REPORT_DESCRIPTOR 1
#elif defined(__linux__)
// The hidraw node gives the descriptor (HidrawDevice.h, included above).
#elif defined(_WIN32)
#include "hid/WindowsHidCaps.h"
#else
#error "hidapi 0.14 or newer is needed here to learn the report lengths"
#endif

namespace tarnwell {

namespace {

struct EnumerationFree {
    void operator()(hid_device_info* list) const { hid_free_enumeration(list); }
};

#if defined(__linux__)
// Clocks open through their hidraw nodes (HidrawDevice), which give the descriptor.
#elif defined(TARNWELL_HIDAPI_HAS_REPORT_DESCRIPTOR)
// All zero when the descriptor cannot be read or parsed: the device then takes no command and
// its configuration reads as failed, rather than getting reports of a guessed length.
ReportLengths reportLengths(hid_device* device, const std::string&) {
    std::vector<std::uint8_t> descriptor(HID_API_MAX_REPORT_DESCRIPTOR_SIZE);
    const int size = hid_get_report_descriptor(device, descriptor.data(), descriptor.size());
    if (size < 0) {
        return {};
    }
    descriptor.resize(static_cast<std::size_t>(size));
    return parseReportDescriptor(descriptor).lengths.value_or(ReportLengths{});
}
#else
// Older hidapi on Windows: the HID class driver states the lengths, no descriptor needed.
ReportLengths reportLengths(hid_device*, const std::string& path) {
    return readWindowsReportLengths(path).value_or(ReportLengths{});
}
#endif

// hidapi says only that an open failed. On systems where its path is a device node, opening the
// node ourselves tells why (errno after hidapi's own failed open is not to be trusted: it formats
// its error text in between).
OpenFailure whyOpenFailed([[maybe_unused]] const std::string& path) {
#if defined(__unix__) || defined(__APPLE__)
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (descriptor >= 0) {
        ::close(descriptor);
        return OpenFailure::Other;
    }
    switch (errno) {
        case EACCES:
        case EPERM:
            return OpenFailure::PermissionDenied;
        case EBUSY:
            return OpenFailure::Busy;
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return OpenFailure::Gone;
        default:
            return OpenFailure::Other;
    }
#else
    return OpenFailure::Other;
#endif
}

}  // namespace

#ifdef __linux__
HidapiBackend::HidapiBackend()
    : session_(HidapiSession::acquire()), changes_(session_ ? UdevMonitor::start() : nullptr) {}

int HidapiBackend::changeDescriptor() const {
    return changes_ ? changes_->descriptor() : -1;
}
#elif defined(_WIN32)
HidapiBackend::HidapiBackend()
    : session_(HidapiSession::acquire()), changes_(session_ ? HidArrivalWatch::start() : nullptr) {}

// The announcements arrive through the message loop; the window asks at every tick.
int HidapiBackend::changeDescriptor() const {
    return -1;
}
#else
// Nothing watches here; an empty stand-in lets the member be destroyed. It is never made.
class UdevMonitor {
public:
    bool takeChanges() { return false; }
};

HidapiBackend::HidapiBackend() : session_(HidapiSession::acquire()) {}

int HidapiBackend::changeDescriptor() const {
    return -1;
}
#endif

bool HidapiBackend::takeChanges() {
    return changes_ && changes_->takeChanges();
}

HidapiBackend::~HidapiBackend() = default;

std::vector<HidDeviceInfo> HidapiBackend::enumerate(std::uint16_t vendorId,
                                                    std::uint16_t productId) {
    std::vector<HidDeviceInfo> found;
    if (!session_) {
        return found;
    }
    HidapiStateLock lock = lockHidapiProcessState();
    const std::unique_ptr<hid_device_info, EnumerationFree> list(
        hid_enumerate(vendorId, productId));
    lock.unlock();
    // hidapi may list one interface once per top-level usage.
    std::set<std::string> seenPaths;
    for (const hid_device_info* entry = list.get(); entry != nullptr; entry = entry->next) {
        if (entry->path == nullptr || entry->vendor_id != vendorId ||
            entry->product_id != productId || !seenPaths.insert(entry->path).second) {
            continue;
        }
        HidDeviceInfo info{.path = entry->path,
                           .vendorId = entry->vendor_id,
                           .productId = entry->product_id,
                           .serial = std::nullopt,
                           .releaseNumber = entry->release_number};
        if (entry->serial_number != nullptr) {
            info.serial = utf16FromWide(entry->serial_number);
        }
        found.push_back(std::move(info));
    }
    return found;
}

OpenResult HidapiBackend::open(const std::string& path) {
    if (!session_) {
        return OpenFailure::Other;
    }
#ifdef __linux__
    if (std::unique_ptr<HidrawDevice> opened = HidrawDevice::open(session_, path))
        return {std::move(opened)};
    return whyOpenFailed(path);
#else
    HidapiStateLock lock = lockHidapiProcessState();
    HidHandle featureHandle(hid_open_path(path.c_str()));
    HidHandle inputHandle(featureHandle ? hid_open_path(path.c_str()) : nullptr);
    lock.unlock();
    if (!featureHandle || !inputHandle) {
        return whyOpenFailed(path);
    }
    if (hid_set_nonblocking(inputHandle.get(), 1) != 0) {
        return OpenFailure::Other;
    }
    const ReportLengths lengths = reportLengths(featureHandle.get(), path);
    return {std::make_unique<HidapiDevice>(session_, std::move(featureHandle),
                                           std::move(inputHandle), lengths)};
#endif
}

}  // namespace tarnwell
