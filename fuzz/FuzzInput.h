#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tarnwell::fuzz {

// Cuts a fuzz input into lines, so that corpus files stay readable: one value per line.
class FuzzLines {
public:
    FuzzLines(const std::uint8_t* data, std::size_t size)
        : rest_(reinterpret_cast<const char*>(data), size) {}

    // The next line without its '\n'; empty once the input is used up.
    std::string_view next() {
        const std::size_t end = rest_.find('\n');
        const std::string_view line = rest_.substr(0, end);
        rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
        return line;
    }

private:
    std::string_view rest_;
};

inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace tarnwell::fuzz
