#include "UhidDevice.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tarnwell::uhidclock {
namespace {

constexpr std::uint16_t kBusUsb = 0x03;  // hidapi lists only USB, Bluetooth, I2C and SPI devices

void copyText(std::span<__u8> field, const std::string& text) {
    const std::size_t length = std::min(text.size(), field.size() - 1);  // keep the final zero
    std::memcpy(field.data(), text.data(), length);
}

std::string systemError(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

std::unique_ptr<UhidDevice> UhidDevice::create(const UhidIdentity& identity, std::string& error) {
    if (identity.reportDescriptor.size() > HID_MAX_DESCRIPTOR_SIZE) {
        error = "report descriptor too long";
        return nullptr;
    }
    // A serial cut short would list the clock under a name the test never gave it.
    if (identity.serial.size() >= sizeof(uhid_create2_req::uniq)) {
        error =
            "serial longer than " + std::to_string(sizeof(uhid_create2_req::uniq) - 1) + " bytes";
        return nullptr;
    }
    const int fd = ::open("/dev/uhid", O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = systemError("/dev/uhid");
        return nullptr;
    }
    std::unique_ptr<UhidDevice> device(new UhidDevice(fd));

    uhid_event event{};
    event.type = UHID_CREATE2;
    uhid_create2_req& create = event.u.create2;
    copyText(create.name, identity.name);
    copyText(create.uniq, identity.serial);
    copyText(create.phys, "tarnwell-uhid-clock/" + identity.serial);
    create.bus = kBusUsb;
    create.vendor = identity.vendorId;
    create.product = identity.productId;
    create.version = identity.version;
    create.rd_size = static_cast<__u16>(identity.reportDescriptor.size());
    std::copy(identity.reportDescriptor.begin(), identity.reportDescriptor.end(), create.rd_data);
    if (!device->write(event)) {
        error = systemError("UHID_CREATE2");
        return nullptr;
    }
    return device;
}

UhidDevice::~UhidDevice() {
    uhid_event event{};
    event.type = UHID_DESTROY;
    write(event);  // closing alone would do it too; saying so keeps the unplug explicit
    ::close(fd_);
}

std::optional<uhid_event> UhidDevice::readEvent() {
    uhid_event event{};
    const ssize_t got = ::read(fd_, &event, sizeof event);
    if (got < static_cast<ssize_t>(sizeof event.type)) {
        return std::nullopt;
    }
    return event;
}

bool UhidDevice::sendInputReport(std::span<const std::uint8_t> report) {
    if (report.size() > UHID_DATA_MAX) {
        return false;
    }
    uhid_event event{};
    event.type = UHID_INPUT2;
    event.u.input2.size = static_cast<__u16>(report.size());
    std::copy(report.begin(), report.end(), event.u.input2.data);
    return write(event);
}

bool UhidDevice::answerGetReport(std::uint32_t requestId,
                                 std::optional<std::span<const std::uint8_t>> report) {
    uhid_event event{};
    event.type = UHID_GET_REPORT_REPLY;
    event.u.get_report_reply.id = requestId;
    if (!report || report->size() > UHID_DATA_MAX) {
        event.u.get_report_reply.err = EIO;
    } else {
        event.u.get_report_reply.size = static_cast<__u16>(report->size());
        std::copy(report->begin(), report->end(), event.u.get_report_reply.data);
    }
    return write(event);
}

bool UhidDevice::answerSetReport(std::uint32_t requestId, bool accepted) {
    uhid_event event{};
    event.type = UHID_SET_REPORT_REPLY;
    event.u.set_report_reply.id = requestId;
    event.u.set_report_reply.err = accepted ? 0 : EIO;
    return write(event);
}

bool UhidDevice::write(const uhid_event& event) {
    return ::write(fd_, &event, sizeof event) == static_cast<ssize_t>(sizeof event);
}

}  // namespace tarnwell::uhidclock
