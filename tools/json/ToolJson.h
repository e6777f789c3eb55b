#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace tarnwell {

// Objects keep their fields in the order they were set, as the --help texts list them.
using Json = nlohmann::ordered_json;

// The document on one line, without the newline. Numbers use a dot whatever the locale; a number
// that is not finite is written as null; bytes that are not UTF-8 become U+FFFD.
std::string jsonText(const Json& document);

// The exact quantity numerator / denominator: a JSON number when a double holds it exactly,
// otherwise the string "NUMERATOR/DENOMINATOR" in lowest terms; null when the denominator is 0.
Json exactNumber(std::int64_t numerator, std::int64_t denominator);

// A plain decimal text such as "7.5" or "25.71": a JSON number when a double holds its value
// exactly, otherwise the text itself as a string.
Json decimalNumber(std::string_view text);

}  // namespace tarnwell
