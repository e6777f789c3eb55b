#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tarnwell::uhidclock {

// A report descriptor with one vendor-defined application collection and no report IDs: one input
// report and one feature report of the given byte counts. The lengths the host sees count the
// report-ID byte on top, so 64 here shows as a feature length of 65. Further top-level collections,
// when asked for, are empty: they change no report, only how many entries hidapi lists.
std::vector<std::uint8_t> vendorReportDescriptor(std::size_t featurePayloadBytes,
                                                 std::size_t inputPayloadBytes,
                                                 std::size_t topLevelCollections = 1);

}  // namespace tarnwell::uhidclock
