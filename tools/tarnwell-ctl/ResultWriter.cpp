#include "ResultWriter.h"

namespace tarnwell::ctl {

void ResultWriter::write(const Json& document, std::string_view text) {
    if (json_)
        out_ << jsonText(document) << std::endl;
    else
        out_ << text << std::flush;
}

int ResultWriter::fail(int status, const std::string& message, std::string_view hint) {
    err_ << "tarnwell-ctl: " << message << hint << '\n';
    if (json_)
        out_ << jsonText(Json{{"error", message}, {"exit_status", status}}) << std::endl;
    return status;
}

void ResultWriter::note(const std::string& message) {
    err_ << "tarnwell-ctl: " << message << '\n';
}

}  // namespace tarnwell::ctl
