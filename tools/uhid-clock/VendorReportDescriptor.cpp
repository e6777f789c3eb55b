#include "VendorReportDescriptor.h"

namespace tarnwell::uhidclock {
namespace {

// Short items: the low two bits of the prefix give the data size (1 or 2 bytes here).
void appendItem(std::vector<std::uint8_t>& out, std::uint8_t prefix, std::size_t value) {
    if (value <= 0xFF) {
        out.insert(out.end(),
                   {static_cast<std::uint8_t>(prefix | 1U), static_cast<std::uint8_t>(value)});
    } else {
        out.insert(out.end(),
                   {static_cast<std::uint8_t>(prefix | 2U), static_cast<std::uint8_t>(value & 0xFF),
                    static_cast<std::uint8_t>((value >> 8) & 0xFF)});
    }
}

constexpr std::uint8_t kUsage = 0x08;
constexpr std::uint8_t kCollection = 0xA0;
constexpr std::uint8_t kLogicalMinimum = 0x14;
constexpr std::uint8_t kReportSize = 0x74;
constexpr std::uint8_t kReportCount = 0x94;
constexpr std::uint8_t kInput = 0x80;
constexpr std::uint8_t kFeature = 0xB0;
constexpr std::uint8_t kDataVariableAbsolute = 0x02;
constexpr std::uint8_t kApplication = 0x01;
constexpr std::uint8_t kEndCollection = 0xC0;

}  // namespace

std::vector<std::uint8_t> vendorReportDescriptor(std::size_t featurePayloadBytes,
                                                 std::size_t inputPayloadBytes,
                                                 std::size_t topLevelCollections) {
    std::vector<std::uint8_t> out = {0x06, 0x00, 0xFF};  // Usage Page: vendor-defined 0xFF00
    appendItem(out, kUsage, 0x01);
    appendItem(out, kCollection, kApplication);
    appendItem(out, kLogicalMinimum, 0);
    out.insert(out.end(), {0x26, 0xFF, 0x00});  // Logical Maximum 255, two bytes: one is signed
    appendItem(out, kReportSize, 8);

    appendItem(out, kReportCount, inputPayloadBytes);
    appendItem(out, kUsage, 0x02);
    appendItem(out, kInput, kDataVariableAbsolute);

    appendItem(out, kReportCount, featurePayloadBytes);
    appendItem(out, kUsage, 0x03);
    appendItem(out, kFeature, kDataVariableAbsolute);

    out.push_back(kEndCollection);

    for (std::size_t extra = 1; extra < topLevelCollections; ++extra) {
        appendItem(out, kUsage, 0x10 + extra);
        appendItem(out, kCollection, kApplication);
        out.push_back(kEndCollection);
    }
    return out;
}

}  // namespace tarnwell::uhidclock
