#pragma once

// A clock's configuration as `show --json` saves it, read back for apply and diff: every field is
// checked before anything is sent, and a field this version does not know is refused by name.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ToolJson.h"
#include "readback/ConfigReport.h"

namespace tarnwell::ctl {

struct SavedConfiguration {
    std::string serial;
    DeviceConfiguration configuration;
};

struct SavedReading {
    std::optional<SavedConfiguration> saved;
    std::string refusal;  // names the field; empty when saved is set
};

// `text` is the whole file; `source` names it in refusals.
SavedReading readSavedConfiguration(std::string_view text, const std::string& source);

// "GPS: file 4687500, clock 4687501" for every field that differs, in the document's order.
std::vector<std::string> configurationDifferences(const DeviceConfiguration& file,
                                                  const DeviceConfiguration& clock);

}  // namespace tarnwell::ctl
