#include "planning/PllSettings.h"

#include <cmath>
#include <optional>

#include "common/NumberText.h"

namespace tarnwell {

namespace {

// Offsets of the record's fields.
constexpr std::size_t kGps = 0;
constexpr std::size_t kN31 = 3;
constexpr std::size_t kN2Hs = 6;
constexpr std::size_t kN2Ls = 7;
constexpr std::size_t kN1Hs = 10;
constexpr std::size_t kNc1Ls = 11;
constexpr std::size_t kNc2Ls = 14;
constexpr std::size_t kPhase = 17;
constexpr std::size_t kBw = 18;

// Low-speed dividers and N31 are stored less one, high-speed dividers less four.
constexpr double kLowSpeedOffset = 1;
constexpr double kHighSpeedOffset = 4;

std::uint32_t read24(std::span<const std::uint8_t, kPllSettingsSize> bytes, std::size_t at) {
    return bytes[at] | (std::uint32_t{bytes[at + 1]} << 8) | (std::uint32_t{bytes[at + 2]} << 16);
}

// Writes a record being encoded, remembering the first field that does not fit.
class RecordWriter {
public:
    explicit RecordWriter(PllEncoding& encoding) : encoding_(encoding) {}

    void put24(std::size_t at, double value, PllField field) {
        constexpr double kLargest24 = 0xFFFFFF;
        const double whole = roundHalfEven(value);
        if (!fits(whole, kLargest24, field))
            return;
        const auto v = static_cast<std::uint32_t>(whole);
        encoding_.bytes[at] = static_cast<std::uint8_t>(v & 0xFF);
        encoding_.bytes[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
        encoding_.bytes[at + 2] = static_cast<std::uint8_t>(v >> 16);
    }

    void putByte(std::size_t at, double value, PllField field) {
        constexpr double kLargestByte = 0xFF;
        const double whole = roundHalfEven(value);
        if (fits(whole, kLargestByte, field))
            encoding_.bytes[at] = static_cast<std::uint8_t>(whole);
    }

    void putPhase(std::size_t at, int index) {
        if (index < 0)
            refuse({PllField::PhaseIndex, PllRule::NothingSelected});
        else
            putByte(at, index, PllField::PhaseIndex);
    }

private:
    bool fits(double whole, double largest, PllField field) {
        if (encoding_.refusal)
            return false;
        if (whole >= 0 && whole <= largest)
            return true;
        refuse({field, PllRule::OutOfRange});
        return false;
    }

    void refuse(PllRefusal refusal) {
        if (!encoding_.refusal)
            encoding_.refusal = refusal;
    }

    PllEncoding& encoding_;
};

}  // namespace

PllSettings decodePllSettings(std::span<const std::uint8_t, kPllSettingsSize> bytes) {
    PllSettings settings;
    settings.gps = read24(bytes, kGps);
    settings.n31 = read24(bytes, kN31) + 1;
    settings.n2hs = bytes[kN2Hs] + 4u;
    settings.n2ls = read24(bytes, kN2Ls) + 1;
    settings.n1hs = bytes[kN1Hs] + 4u;
    settings.nc1ls = read24(bytes, kNc1Ls) + 1;
    settings.nc2ls = read24(bytes, kNc2Ls) + 1;
    settings.phaseIndex = bytes[kPhase];
    settings.bw = bytes[kBw];
    return settings;
}

PllBoxValues pllValuesOf(const PllSettings& s) {
    return {double(s.gps),   double(s.n31),   double(s.n2hs), double(s.n2ls), double(s.n1hs),
            double(s.nc1ls), double(s.nc2ls), s.phaseIndex,   double(s.bw)};
}

PllEncoding encodePllSettings(const PllBoxValues& values) {
    PllEncoding encoding;
    RecordWriter writer(encoding);
    writer.put24(kGps, values.gps, PllField::GPS);
    writer.put24(kN31, values.n31 - kLowSpeedOffset, PllField::N31);
    writer.putByte(kN2Hs, values.n2hs - kHighSpeedOffset, PllField::N2_HS);
    writer.put24(kN2Ls, values.n2ls - kLowSpeedOffset, PllField::N2_LS);
    writer.putByte(kN1Hs, values.n1hs - kHighSpeedOffset, PllField::N1_HS);
    writer.put24(kNc1Ls, values.nc1ls - kLowSpeedOffset, PllField::NC1_LS);
    writer.put24(kNc2Ls, values.nc2ls - kLowSpeedOffset, PllField::NC2_LS);
    writer.putPhase(kPhase, values.phaseIndex);
    writer.putByte(kBw, values.bw, PllField::BW);
    // A refused record carries no bytes at all, so none of it can reach the device by mistake.
    if (encoding.refusal)
        encoding.bytes.fill(0);
    return encoding;
}

}  // namespace tarnwell
