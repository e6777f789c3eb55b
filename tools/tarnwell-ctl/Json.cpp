#include "Json.h"

#include <cstdio>

#include "common/NumberText.h"

namespace tarnwell::ctl {

namespace {

void writeString(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x",
                                  static_cast<unsigned>(static_cast<unsigned char>(c)));
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

}  // namespace

Json::Json(bool value) : kind_(Kind::Bool), scalar_(value ? "true" : "false") {}
// The general number form never groups digits and uses a dot with the default locale.
Json::Json(double value) : kind_(Kind::Number), scalar_(formatNumber(value)) {}
Json::Json(std::string value) : kind_(Kind::String), scalar_(std::move(value)) {}
Json::Json(const char* value) : Json(std::string(value)) {}

Json Json::object() {
    Json json;
    json.kind_ = Kind::Object;
    return json;
}

Json Json::array() {
    Json json;
    json.kind_ = Kind::Array;
    return json;
}

Json& Json::set(std::string key, Json value) {
    fields_.emplace_back(std::move(key), std::move(value));
    return *this;
}

Json& Json::push(Json value) {
    items_.push_back(std::move(value));
    return *this;
}

std::string Json::text() const {
    std::string out;
    write(out);
    return out;
}

void Json::write(std::string& out) const {
    switch (kind_) {
        case Kind::Null:
            out += "null";
            break;
        case Kind::Bool:
        case Kind::Number:
            out += scalar_;
            break;
        case Kind::String:
            writeString(out, scalar_);
            break;
        case Kind::Object: {
            out += '{';
            const char* separator = "";
            for (const auto& [key, value] : fields_) {
                out += separator;
                writeString(out, key);
                out += ':';
                value.write(out);
                separator = ",";
            }
            out += '}';
            break;
        }
        case Kind::Array: {
            out += '[';
            const char* separator = "";
            for (const Json& item : items_) {
                out += separator;
                item.write(out);
                separator = ",";
            }
            out += ']';
            break;
        }
    }
}

}  // namespace tarnwell::ctl
