#include "hostio/OutputCheck.h"

#include <cerrno>
#include <cstring>
#include <ostream>

namespace tarnwell {

int checkedExit(int status, std::ostream& out, std::ostream& err, std::string_view program) {
    // The reason is known only when this flush is the write that failed.
    errno = 0;
    out.flush();
    if (!out) {
        const int error = errno;
        err << program << ": cannot write standard output"
            << (error != 0 ? std::string(": ") + std::strerror(error) : std::string()) << '\n';
        status = kExitOutputFailed;
    }
    err.flush();
    return err ? status : kExitOutputFailed;
}

}  // namespace tarnwell
