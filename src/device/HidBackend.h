#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace tarnwell {

// One HID interface of a clock as the operating system lists it.
struct HidDeviceInfo {
    std::string path;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    // The serial-number string as UTF-16 code units; empty optional when it cannot be read.
    std::optional<std::u16string> serial;
    std::uint16_t releaseNumber = 0;  // bcdDevice: major in the high byte, minor in the low byte
};

enum class InputReadStatus { Report, NothingYet, Error };

struct InputRead {
    InputReadStatus status = InputReadStatus::Error;
    // With the report ID in byte 0; empty unless status is Report.
    std::vector<std::uint8_t> report;
};

// An opened clock: a handle for feature reports and a second one for input reports on the same
// path. Closing happens in the destructor.
class HidDevice {
public:
    virtual ~HidDevice() = default;

    // Report lengths counting the report-ID byte, as the Windows HID capabilities give them.
    virtual std::size_t featureReportLength() const = 0;
    virtual std::size_t inputReportLength() const = 0;

    // Sends the whole buffer; byte 0 is the report ID.
    [[nodiscard]] virtual bool sendFeatureReport(std::span<const std::uint8_t> report) = 0;
    // Fills the buffer with feature report buffer[0]; returns the number of bytes received
    // (report-ID byte included), or nothing on failure.
    [[nodiscard]] virtual std::optional<std::size_t> getFeatureReport(
        std::span<std::uint8_t> buffer) = 0;
    // Never blocks: the newest queued input report, NothingYet when none is queued, Error when the
    // device cannot be read (for instance after an unplug).
    virtual InputRead readNewestInputReport() = 0;

    virtual std::optional<std::u16string> manufacturer() = 0;
    virtual std::optional<std::u16string> product() = 0;
};

// Why a listed interface could not be opened.
enum class OpenFailure {
    Gone,              // unplugged between the listing and the open
    PermissionDenied,  // this user may not open the device node
    Busy,              // another program holds the device exclusively
    Other,
};

// An opened device, or why there is none.
struct OpenResult {
    std::unique_ptr<HidDevice> device;
    OpenFailure failure = OpenFailure::Other;  // meaningful only without a device

    OpenResult(std::unique_ptr<HidDevice> opened) : device(std::move(opened)) {}
    OpenResult(OpenFailure why) : failure(why) {}
    explicit operator bool() const { return device != nullptr; }
};

class HidBackend {
public:
    virtual ~HidBackend() = default;
    // The HID interfaces with these identifiers, in enumeration order, each path once.
    virtual std::vector<HidDeviceInfo> enumerate(std::uint16_t vendorId,
                                                 std::uint16_t productId) = 0;
    // Opens both handles, or says why it could not.
    [[nodiscard]] virtual OpenResult open(const std::string& path) = 0;

    // Whether this backend tells when interfaces come, go or change (takeChanges()). One that
    // cannot leaves its callers to enumerate whenever they want to see a change.
    virtual bool notifiesChanges() const { return false; }
    // A descriptor that turns readable when takeChanges() has news; -1 when there is nothing to
    // watch and takeChanges() may simply be asked now and then.
    virtual int changeDescriptor() const { return -1; }
    // Reads what happened since the last call: true when it can change what enumerate() lists or
    // whether a listed interface opens.
    [[nodiscard]] virtual bool takeChanges() { return false; }
};

}  // namespace tarnwell
