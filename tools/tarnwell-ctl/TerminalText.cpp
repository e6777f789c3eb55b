#include "TerminalText.h"

#include "hostio/SafeText.h"

namespace tarnwell::ctl {

std::string quoted(std::string_view text) {
    return '"' + printable(text) + '"';
}

std::string terminalText(std::string_view text) {
    return printable(text, std::string::npos);
}

std::string onOffText(bool on) {
    return on ? "on" : "off";
}

std::string joined(const std::vector<std::string>& texts, std::string_view separator) {
    std::string out;
    for (const std::string& text : texts) {
        if (!out.empty())
            out += separator;
        out += text;
    }
    return out;
}

}  // namespace tarnwell::ctl
