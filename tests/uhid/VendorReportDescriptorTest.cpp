#include "VendorReportDescriptor.h"

#include <gtest/gtest.h>

#include "device/ReportDescriptor.h"

namespace tarnwell::uhidclock {
namespace {

ReportLengths lengthsOf(std::size_t feature, std::size_t input, std::size_t collections = 1) {
    const ReportDescriptorParse parse =
        parseReportDescriptor(vendorReportDescriptor(feature, input, collections));
    EXPECT_TRUE(parse.lengths.has_value()) << parse.error;
    return parse.lengths.value_or(ReportLengths{});
}

TEST(VendorReportDescriptor, DeclaresTheRequestedLengthsWithoutReportIds) {
    EXPECT_EQ(lengthsOf(64, 8), (ReportLengths{9, 0, 65, false}));
    EXPECT_EQ(lengthsOf(1, 1), (ReportLengths{2, 0, 2, false}));
    // Counts above 255 need the two-byte form of the item.
    EXPECT_EQ(lengthsOf(255, 256), (ReportLengths{257, 0, 256, false}));
    EXPECT_EQ(lengthsOf(4095, 299), (ReportLengths{300, 0, 4096, false}));
    // Extra top-level collections add entries to a listing, never bytes to a report.
    EXPECT_EQ(lengthsOf(64, 8, 3), (ReportLengths{9, 0, 65, false}));
}

}  // namespace
}  // namespace tarnwell::uhidclock
