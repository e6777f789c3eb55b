#include "device/ReportDescriptor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace tarnwell;

namespace {

using Bytes = std::vector<std::uint8_t>;

// A vendor-defined collection with one 64-byte input and one 64-byte feature report, no IDs.
const Bytes kVendorDescriptor = {
    0x06, 0x00, 0xFF,        // Usage Page (vendor 0xFF00)
    0x09, 0x01,              // Usage
    0xA1, 0x01,              // Collection (application)
    0x15, 0x00,              // Logical Minimum 0
    0x26, 0xFF, 0x00,        // Logical Maximum 255
    0x75, 0x08,              // Report Size 8
    0x95, 0x40,              // Report Count 64
    0x09, 0x02, 0x81, 0x02,  // Usage, Input
    0x95, 0x40,              // Report Count 64
    0x09, 0x03, 0xB1, 0x02,  // Usage, Feature
    0xC0,                    // End Collection
};

ReportLengths lengthsOf(const Bytes& descriptor) {
    const ReportDescriptorParse parse = parseReportDescriptor(descriptor);
    EXPECT_TRUE(parse.lengths) << parse.error;
    return parse.lengths.value_or(ReportLengths{});
}

// The items inside a vendor-defined application collection.
Bytes wrapped(const Bytes& items) {
    const Bytes open = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01};
    Bytes descriptor(open.size() + items.size() + 1, 0xC0);  // ends with End Collection
    std::ranges::copy(open, descriptor.begin());
    std::ranges::copy(items, descriptor.begin() + static_cast<std::ptrdiff_t>(open.size()));
    return descriptor;
}

}  // namespace

TEST(ReportDescriptor, CountsTheReportIdByteOnTopOfEachReport) {
    EXPECT_EQ(lengthsOf(kVendorDescriptor), (ReportLengths{65, 0, 65, false}));
    EXPECT_EQ(lengthsOf({}), (ReportLengths{0, 0, 0, false}));
    // Bits are rounded up to whole bytes; a four-byte item carries Report Count 256.
    EXPECT_EQ(lengthsOf(wrapped({0x75, 0x01, 0x95, 0x0A, 0x91, 0x02})).outputReportLength, 3u);
    EXPECT_EQ(lengthsOf(wrapped({0x75, 0x08, 0x97, 0x00, 0x01, 0x00, 0x00, 0x81, 0x02}))
                  .inputReportLength,
              257u);
}

TEST(ReportDescriptor, TakesTheLargestReportAmongSeveralIds) {
    const Bytes descriptor = wrapped({
        0x85, 0x01, 0x75, 0x08, 0x95, 0x10, 0x81, 0x02,  // ID 1: 16-byte input
        0x85, 0x02, 0x95, 0x20, 0x81, 0x02,              // ID 2: 32-byte input
        0x95, 0x08, 0xB1, 0x02,                          // ID 2: 8-byte feature
        0x85, 0x03, 0x75, 0x01, 0x95, 0x03, 0xB1, 0x02,  // ID 3: 3 bits ...
        0x75, 0x05, 0x95, 0x01, 0xB1, 0x03,              // ... and 5 bits of padding
    });
    EXPECT_EQ(lengthsOf(descriptor), (ReportLengths{33, 0, 9, true}));
}

TEST(ReportDescriptor, PopRestoresSizeCountAndIdAndLongItemsAreSkipped) {
    const Bytes descriptor = wrapped({
        0x85, 0x01, 0x75, 0x08, 0x95, 0x04,  // ID 1, 4 bytes
        0xA4,                                // Push
        0x85, 0x02, 0x95, 0x30, 0x81, 0x02,  // ID 2: 48-byte input
        0xB4,                                // Pop
        0xFE, 0x02, 0x10, 0xAA, 0xBB,        // a long item
        0xB1, 0x02,                          // ID 1: 4-byte feature
        0x81, 0x02,                          // ID 1: 4-byte input
    });
    EXPECT_EQ(lengthsOf(descriptor), (ReportLengths{49, 0, 5, true}));
}

TEST(ReportDescriptor, RefusesMalformedDescriptorsWithAReason) {
    const std::vector<Bytes> malformed = {
        {0x75, 0x08, 0x95},        // item data cut off
        {0x97, 0x01, 0x00},        // four-byte item cut off
        {0xFE, 0x05, 0x10, 0x01},  // long item cut off
        {0xFE, 0x00},              // long item header cut off
        {0x75, 0x08, 0xFE},        // long item header cut off after other items
        {0x75, 0x08, 0xFE, 0x00},  // long item tag cut off after other items
        {0xB4},                    // Pop without Push
        {0xC0},                    // End Collection without Collection
        {0xA1, 0x01, 0x81, 0x02},  // collection never closed
        {0x85, 0x00},              // report ID 0
        {0x86, 0x00, 0x01},        // report ID above 255
        {0xD0},                    // no such main item
        {0x77, 0xFF, 0xFF, 0xFF, 0x7F, 0x97, 0xFF, 0xFF, 0xFF, 0x7F, 0x81, 0x02},  // huge report
        Bytes(33, 0xA4),  // Push nested without end
    };
    for (const Bytes& descriptor : malformed) {
        const ReportDescriptorParse parse = parseReportDescriptor(descriptor);
        EXPECT_FALSE(parse.lengths) << ::testing::PrintToString(descriptor);
        EXPECT_NE(parse.error.find("report descriptor: "), std::string::npos);
    }
    EXPECT_EQ(parseReportDescriptor(Bytes{0x75, 0x08, 0xB4}).error,
              "report descriptor: Pop without Push at byte 2");
}

TEST(ReportDescriptor, NeverReadsPastAnyCutOffDescriptor) {
    const Bytes descriptor = wrapped({0x85, 0x01, 0x77, 0x08, 0x00, 0x00, 0x00, 0x95, 0x04, 0xA4,
                                      0xFE, 0x02, 0x10, 0xAA, 0xBB, 0xB4, 0xB1, 0x02});
    ASSERT_TRUE(parseReportDescriptor(descriptor).lengths);
    for (std::size_t length = 0; length < descriptor.size(); ++length) {
        // Each cut is its own allocation, so a read past it trips the sanitizer build.
        const Bytes cut(descriptor.begin(),
                        descriptor.begin() + static_cast<std::ptrdiff_t>(length));
        const ReportDescriptorParse parse = parseReportDescriptor(cut);
        EXPECT_EQ(parse.lengths.has_value(), parse.error.empty()) << length;
    }
}
