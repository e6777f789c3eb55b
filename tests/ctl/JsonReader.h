#pragma once

#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwell::testing {

// A strict little JSON reader, so the tests check that the output is one well-formed document.
struct JsonNode {
    enum class Kind { Null, Bool, Number, String, Object, Array } kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::map<std::string, JsonNode> fields;
    std::vector<std::string> order;
    std::vector<JsonNode> items;

    const JsonNode& operator[](const std::string& key) const { return fields.at(key); }
    const JsonNode& operator[](std::size_t i) const { return items.at(i); }
    bool isNull() const { return kind == Kind::Null; }
};

class JsonReader {
public:
    // Nothing unless the whole text (trailing blanks allowed) is one JSON value.
    static std::optional<JsonNode> parse(std::string_view text) {
        JsonReader reader(text);
        JsonNode node;
        if (!reader.value(node))
            return std::nullopt;
        reader.blanks();
        if (reader.at_ != text.size())
            return std::nullopt;
        return node;
    }

private:
    explicit JsonReader(std::string_view text) : text_(text) {}

    void blanks() {
        while (at_ < text_.size() && std::string_view(" \t\r\n").find(text_[at_]) != text_.npos)
            ++at_;
    }
    bool literal(std::string_view word) {
        if (text_.substr(at_, word.size()) != word)
            return false;
        at_ += word.size();
        return true;
    }
    bool string(std::string& out) {
        if (!literal("\""))
            return false;
        while (at_ < text_.size() && text_[at_] != '"') {
            char c = text_[at_++];
            if (static_cast<unsigned char>(c) < 0x20)
                return false;
            if (c == '\\') {
                if (at_ >= text_.size())
                    return false;
                const char e = text_[at_++];
                if (e == 'u') {
                    if (at_ + 4 > text_.size())
                        return false;
                    const long code =
                        std::strtol(std::string(text_.substr(at_, 4)).c_str(), nullptr, 16);
                    at_ += 4;
                    if (code >= 0x80)
                        return false;  // the writer escapes control characters only
                    c = static_cast<char>(code);
                } else {
                    const std::string_view from = "\"\\/bfnrt", to = "\"\\/\b\f\n\r\t";
                    const std::size_t i = from.find(e);
                    if (i == from.npos)
                        return false;
                    c = to[i];
                }
            }
            out += c;
        }
        return literal("\"");
    }
    bool value(JsonNode& node) {
        blanks();
        if (at_ >= text_.size())
            return false;
        const char c = text_[at_];
        if (c == '{') {
            node.kind = JsonNode::Kind::Object;
            ++at_;
            blanks();
            if (literal("}"))
                return true;
            do {
                blanks();
                std::string key;
                if (!string(key))
                    return false;
                blanks();
                if (!literal(":") || node.fields.count(key))
                    return false;
                if (!value(node.fields[key]))
                    return false;
                node.order.push_back(key);
                blanks();
            } while (literal(","));
            return literal("}");
        }
        if (c == '[') {
            node.kind = JsonNode::Kind::Array;
            ++at_;
            blanks();
            if (literal("]"))
                return true;
            do {
                node.items.emplace_back();
                if (!value(node.items.back()))
                    return false;
                blanks();
            } while (literal(","));
            return literal("]");
        }
        if (c == '"') {
            node.kind = JsonNode::Kind::String;
            return string(node.text);
        }
        if (literal("true") || literal("false")) {
            node.kind = JsonNode::Kind::Bool;
            node.boolean = text_[at_ - 1] == 'e' && text_[at_ - 2] == 'u';
            return true;
        }
        if (literal("null"))
            return true;
        const std::size_t start = at_;
        while (at_ < text_.size() &&
               std::string_view("-+.eE0123456789").find(text_[at_]) != text_.npos)
            ++at_;
        const std::string number(text_.substr(start, at_ - start));
        if (number.empty() || number.find(',') != number.npos)
            return false;
        char* end = nullptr;
        node.kind = JsonNode::Kind::Number;
        node.number = std::strtod(number.c_str(), &end);
        return end == number.c_str() + number.size();
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace tarnwell::testing
