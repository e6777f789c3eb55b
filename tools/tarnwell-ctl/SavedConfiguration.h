#pragma once

// A clock's configuration as `show --json` saves it, read back for apply and diff: every field is
// checked before anything is sent, and a field this version does not know is refused by name. The
// document is read within limits that fit it: a size, a nesting depth, a number of values, no field
// twice.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ToolJson.h"
#include "hostio/RegularFile.h"
#include "readback/ConfigReport.h"

namespace tarnwell::ctl {

// A saved configuration is a few hundred bytes, one level deep.
inline constexpr std::size_t kSavedConfigurationLimit = kMebibyte;
inline constexpr int kSavedConfigurationDepth = 16;
// Values of any kind, containers included: a saved configuration has about twenty.
inline constexpr std::size_t kSavedConfigurationValues = 1000;

struct SavedConfiguration {
    std::string serial;
    DeviceConfiguration configuration;
};

struct SavedReading {
    std::optional<SavedConfiguration> saved;
    std::string refusal;  // names the field; empty when saved is set
};

// `text` is the whole file; `source` names it in refusals. A text that is not JSON is refused with
// the line and column where it stops being JSON.
SavedReading readSavedConfiguration(std::string_view text, const std::string& source);

// "GPS: file 4687500, clock 4687501" for every field that differs, in the document's order.
std::vector<std::string> configurationDifferences(const DeviceConfiguration& file,
                                                  const DeviceConfiguration& clock);

}  // namespace tarnwell::ctl
