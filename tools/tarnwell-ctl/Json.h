#pragma once

#include <concepts>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarnwell::ctl {

// Just enough JSON for one output document: objects keep their fields in the order they were set.
// Strings are UTF-8; numbers are written with a dot whatever the locale.
class Json {
public:
    Json() = default;  // null
    Json(bool value);
    template <std::integral T>
    requires(!std::same_as<T, bool>) Json(T value)
        : kind_(Kind::Number), scalar_(std::to_string(value)) {}
    Json(double value);
    Json(std::string value);
    Json(const char* value);

    static Json object();
    static Json array();

    // On an object: adds the field. On an array: appends the value.
    Json& set(std::string key, Json value);
    Json& push(Json value);

    std::string text() const;

private:
    enum class Kind { Null, Bool, Number, String, Object, Array };
    void write(std::string& out) const;

    Kind kind_ = Kind::Null;
    std::string scalar_;  // number literal or string content
    std::vector<std::pair<std::string, Json>> fields_;
    std::vector<Json> items_;
};

}  // namespace tarnwell::ctl
