#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tarnwell {

// The record of reference frequency and dividers that programming sends and the configuration
// report returns: 24-bit little-endian fields, dividers stored as value - 1 or value - 4.
inline constexpr std::size_t kPllSettingsSize = 19;
using PllSettingsBytes = std::array<std::uint8_t, kPllSettingsSize>;

struct PllSettings {
    std::uint32_t gps = 0;
    std::uint32_t n31 = 0;
    std::uint32_t n2hs = 0;
    std::uint32_t n2ls = 0;
    std::uint32_t n1hs = 0;
    std::uint32_t nc1ls = 0;
    std::uint32_t nc2ls = 0;
    std::uint8_t phaseIndex = 0;
    std::uint8_t bw = 0;
    friend bool operator==(const PllSettings&, const PllSettings&) = default;
};

PllSettings decodePllSettings(std::span<const std::uint8_t, kPllSettingsSize> bytes);

// Values as the window's boxes hold them (doubles, possibly fractional).
struct PllBoxValues {
    double gps = 0;
    double n31 = 0;
    double n2hs = 0;
    double n2ls = 0;
    double n1hs = 0;
    double nc1ls = 0;
    double nc2ls = 0;
    int phaseIndex = 0;
    double bw = 0;
};

struct PllEncoding {
    PllSettingsBytes bytes{};
    // Empty when every field fits; otherwise the box name whose value does not fit its field.
    std::string refusedField;
    explicit operator bool() const { return refusedField.empty(); }
};

// 24-bit fields: high = floor(v / 65536), middle = floor((v - high x 65536) / 256), low = the rest
// rounded half to even; bytes: v rounded half to even. A field that would come out of 0..255 in any
// byte refuses the whole record rather than send a wrong byte.
PllEncoding encodePllSettings(const PllBoxValues& values);

}  // namespace tarnwell
