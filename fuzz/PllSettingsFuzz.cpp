#include <algorithm>
#include <array>
#include <cmath>

#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "FuzzTargets.h"
#include "commands/SetFrequencyCommand.h"
#include "common/NumberText.h"
#include "planning/PllSettings.h"

namespace tarnwell::fuzz {

namespace {

constexpr double kLargest24Bit = 16777215;
constexpr std::size_t kFeatureLengths[] = {20, 21, 65};

struct Field {
    double boxValue;
    double offset;   // stored as the value less this
    double largest;  // largest stored value the field holds
    std::uint32_t decoded;
};

// A whole value that fits its field must always be accepted.
bool fitsExactly(const Field& field) {
    const double stored = field.boxValue - field.offset;
    return stored == std::floor(stored) && stored >= 0 && stored <= field.largest;
}

// What the clock gets for an accepted record: each box value less its offset, rounded half to
// even.
bool carriesRoundedValue(const Field& field) {
    return double(field.decoded) == roundHalfEven(field.boxValue - field.offset) + field.offset;
}

void checkCommandReport(const PllSettingsBytes& record) {
    for (const std::size_t length : kFeatureLengths) {
        const auto report = setFrequencyReport(record, length);
        require(report.has_value() == (length >= 21), "command 4 is built when it fits");
        if (!report)
            continue;
        require(report->size() == length && (*report)[0] == 0 && (*report)[1] == 4 &&
                    std::equal(record.begin(), record.end(), report->begin() + 2) &&
                    std::all_of(report->begin() + 21, report->end(),
                                [](std::uint8_t b) { return b == 0; }),
                "command 4 is 00 04, the record, then zeros, of the feature length");
    }
}

}  // namespace

// Nine lines as the boxes hold them: GPS, N31, N2_HS, N2_LS, N1_HS, NC1_LS, NC2_LS, the phase
// index and BW. A line that is not a number stands for NaN.
int fuzzPllSettings(const std::uint8_t* data, std::size_t size) {
    FuzzLines lines(data, size);
    std::array<double, 9> numbers{};
    for (double& number : numbers)
        number = parseNumber(lines.next()).value_or(NAN);
    const double phase = std::isnan(numbers[7]) ? -1 : std::clamp(numbers[7], -1e9, 1e9);
    const PllBoxValues values{.gps = numbers[0],
                              .n31 = numbers[1],
                              .n2hs = numbers[2],
                              .n2ls = numbers[3],
                              .n1hs = numbers[4],
                              .nc1ls = numbers[5],
                              .nc2ls = numbers[6],
                              .phaseIndex = static_cast<int>(phase),
                              .bw = numbers[8]};

    const PllEncoding encoding = encodePllSettings(values);
    const PllSettings sent = decodePllSettings(encoding.bytes);
    const std::array<Field, 9> fields{{{values.gps, 0, kLargest24Bit, sent.gps},
                                       {values.n31, 1, kLargest24Bit, sent.n31},
                                       {values.n2hs, 4, 255, sent.n2hs},
                                       {values.n2ls, 1, kLargest24Bit, sent.n2ls},
                                       {values.n1hs, 4, 255, sent.n1hs},
                                       {values.nc1ls, 1, kLargest24Bit, sent.nc1ls},
                                       {values.nc2ls, 1, kLargest24Bit, sent.nc2ls},
                                       {double(values.phaseIndex), 0, 255, sent.phaseIndex},
                                       {values.bw, 0, 255, sent.bw}}};
    if (!encoding) {
        require(std::ranges::all_of(encoding.bytes, [](std::uint8_t b) { return b == 0; }),
                "a refused record carries no bytes");
        require(!std::ranges::all_of(fields, fitsExactly),
                "a record of whole values that fit their fields is never refused");
        return 0;
    }
    require(std::ranges::all_of(fields, carriesRoundedValue),
            "an accepted record decodes to every box value rounded");
    checkCommandReport(encoding.bytes);
    return 0;
}

}  // namespace tarnwell::fuzz
