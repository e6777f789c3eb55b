#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

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

// The values a record holds, as numbers: what a clock was sent or reports.
PllBoxValues pllValuesOf(const PllSettings& settings);

// The fields of the record, in record order.
enum class PllField { GPS, N31, N2_HS, N2_LS, N1_HS, NC1_LS, NC2_LS, PhaseIndex, BW };

// Why a value cannot be encoded.
enum class PllRule {
    OutOfRange,       // not a number, or outside its field once rounded
    NothingSelected,  // a phase index below 0: no entry of the phase list is selected
};

struct PllRefusal {
    PllField field;
    PllRule rule;
    friend bool operator==(const PllRefusal&, const PllRefusal&) = default;
};

struct PllEncoding {
    PllSettingsBytes bytes{};
    std::optional<PllRefusal> refusal;  // the first field, in record order, that cannot be sent
    explicit operator bool() const { return !refusal; }
};

// Every value is rounded half to even (less its offset), then stored: 24-bit fields little-endian,
// the others as one byte. For a value whose bytes the rounding leaves alone this is the byte-wise
// rule (high = floor(v / 65536), middle, then the low rest rounded); a fraction whose low byte
// would round up to 256 carries into the middle byte instead of being lost. A value that does not
// fit its field refuses the whole record, which then holds no bytes, rather than send a wrong one.
[[nodiscard]] PllEncoding encodePllSettings(const PllBoxValues& values);

}  // namespace tarnwell
