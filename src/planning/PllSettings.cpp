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

std::optional<std::uint8_t> toByte(double value) {
    if (!(value >= 0 && value <= 255))
        return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

// Writes a record being encoded, remembering the first field that does not fit.
class RecordWriter {
public:
    explicit RecordWriter(PllEncoding& encoding) : encoding_(encoding) {}

    void put24(std::size_t at, double value, const char* box) {
        const double high = std::floor(value / 65536);
        const double middle = std::floor((value - high * 65536) / 256);
        const double low = roundHalfEven(value - high * 65536 - middle * 256);
        put(at, low, box);
        put(at + 1, middle, box);
        put(at + 2, high, box);
    }

    void putByte(std::size_t at, double value, const char* box) {
        put(at, roundHalfEven(value), box);
    }

private:
    void put(std::size_t at, double value, const char* box) {
        if (!encoding_.refusedField.empty())
            return;
        if (const auto byte = toByte(value))
            encoding_.bytes[at] = *byte;
        else
            encoding_.refusedField = box;
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

PllEncoding encodePllSettings(const PllBoxValues& values) {
    PllEncoding encoding;
    RecordWriter writer(encoding);
    writer.put24(kGps, values.gps, "GPS");
    writer.put24(kN31, values.n31 - kLowSpeedOffset, "N31");
    writer.putByte(kN2Hs, values.n2hs - kHighSpeedOffset, "N2_HS");
    writer.put24(kN2Ls, values.n2ls - kLowSpeedOffset, "N2_LS");
    writer.putByte(kN1Hs, values.n1hs - kHighSpeedOffset, "N1_HS");
    writer.put24(kNc1Ls, values.nc1ls - kLowSpeedOffset, "NC1_LS");
    writer.put24(kNc2Ls, values.nc2ls - kLowSpeedOffset, "NC2_LS");
    writer.putByte(kPhase, values.phaseIndex, "PhaseBox");
    writer.putByte(kBw, values.bw, "BW");
    // A refused record carries no bytes at all, so none of it can reach the device by mistake.
    if (!encoding.refusedField.empty())
        encoding.bytes.fill(0);
    return encoding;
}

}  // namespace tarnwell
