#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace tarnwell::fuzz {

// Each target takes one arbitrary input, runs it through the code that reads such input in the
// tool, and aborts with a message when a property does not hold. Always returns 0, as libFuzzer
// wants. The same functions run under libFuzzer and in the corpus replay test.
int fuzzConfigReport(const std::uint8_t* data, std::size_t size);
int fuzzInputReport(const std::uint8_t* data, std::size_t size);
int fuzzReportDescriptor(const std::uint8_t* data, std::size_t size);
int fuzzNumberText(const std::uint8_t* data, std::size_t size);
int fuzzDividerClamp(const std::uint8_t* data, std::size_t size);
int fuzzRegisterText(const std::uint8_t* data, std::size_t size);
int fuzzPllSettings(const std::uint8_t* data, std::size_t size);
int fuzzDividerSearch(const std::uint8_t* data, std::size_t size);
int fuzzSavedConfiguration(const std::uint8_t* data, std::size_t size);
int fuzzUsbIdSettings(const std::uint8_t* data, std::size_t size);

using FuzzEntry = int (*)(const std::uint8_t*, std::size_t);

struct FuzzTarget {
    std::string_view name;  // also the name of its corpus folder and of its libFuzzer program
    FuzzEntry entry;
};

std::span<const FuzzTarget> fuzzTargets();
// Nothing (nullptr) for an unknown name.
FuzzEntry fuzzTargetNamed(std::string_view name);

}  // namespace tarnwell::fuzz
