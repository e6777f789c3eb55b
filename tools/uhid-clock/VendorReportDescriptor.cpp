#include "VendorReportDescriptor.h"

namespace tarnwell::uhidclock {
namespace {

// Short items: the low two bits of the prefix give the data size (1 or 2 bytes here). Appended
// byte by byte: GCC 12 at -O3 takes inserts of short brace lists here for copies past the end of
// the vector, a false -Warray-bounds.
void appendItem(std::vector<std::uint8_t>& out, std::uint8_t prefix, std::size_t value,
                bool twoBytes = false) {
    twoBytes = twoBytes || value > 0xFF;
    out.push_back(static_cast<std::uint8_t>(prefix | (twoBytes ? 2U : 1U)));
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    if (twoBytes) {
        out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
    }
}

constexpr std::uint8_t kUsagePage = 0x04;
constexpr std::uint8_t kUsage = 0x08;
constexpr std::uint8_t kCollection = 0xA0;
constexpr std::uint8_t kLogicalMinimum = 0x14;
constexpr std::uint8_t kLogicalMaximum = 0x24;
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
    std::vector<std::uint8_t> out;
    appendItem(out, kUsagePage, 0xFF00);  // vendor-defined
    appendItem(out, kUsage, 0x01);
    appendItem(out, kCollection, kApplication);
    appendItem(out, kLogicalMinimum, 0);
    appendItem(out, kLogicalMaximum, 255, true);  // two bytes: one byte 0xFF reads as signed -1
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
