#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "ToolJson.h"

namespace tarnwell::ctl {

// Where a command's results and failures go: its result as text, or with --json as one JSON
// object on a line; complaints and notes on standard error.
class ResultWriter {
public:
    ResultWriter(std::ostream& out, std::ostream& err, bool json)
        : out_(out), err_(err), json_(json) {}

    // The result either way, written out at once: a reader of a watch sees each line as it
    // happens, and an interrupted one leaves only whole lines behind.
    void write(const Json& document, std::string_view text);
    // A result in a format of its own (Prometheus' text), the same with --json.
    void writeText(std::string_view text) { out_ << text << std::flush; }
    // The message (with `hint` after it) on standard error, and with --json also the object
    // {"error", "exit_status"}. Returns the status.
    int fail(int status, const std::string& message, std::string_view hint = {});
    void note(const std::string& message);
    // False once nothing can be written any more.
    bool writable() const { return static_cast<bool>(out_); }

private:
    std::ostream& out_;
    std::ostream& err_;
    bool json_;
};

}  // namespace tarnwell::ctl
