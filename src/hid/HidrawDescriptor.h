#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnwell {

// The report descriptor of a Linux hidraw node, for hidapi versions that cannot fetch it.
// Nothing when the node cannot be opened or is no hidraw device.
std::optional<std::vector<std::uint8_t>> readHidrawReportDescriptor(const std::string& path);
// The same through a node already open.
std::optional<std::vector<std::uint8_t>> readHidrawReportDescriptor(int node);

}  // namespace tarnwell
