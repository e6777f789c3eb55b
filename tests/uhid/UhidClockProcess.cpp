#include "UhidClockProcess.h"

#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

extern char** environ;

namespace tarnwell::uhidclock {
namespace {

constexpr std::chrono::seconds kStartTimeout{10};
constexpr std::chrono::seconds kReplyTimeout{10};

int connectTo(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    const timeval timeout{kReplyTimeout.count(), 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    return fd;
}

}  // namespace

UhidClockProcess::UhidClockProcess(const std::vector<std::string>& serials,
                                   std::chrono::milliseconds inputInterval,
                                   const std::string& usbId) {
    const char* const temporary = std::getenv("TMPDIR");
    std::string pattern =
        std::string(temporary != nullptr ? temporary : "/tmp") + "/tarnwell-uhid-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        return;
    }
    directory_ = pattern;
    const std::string socketPath = directory_ + "/control";
    const std::string interval = std::to_string(inputInterval.count());

    std::vector<std::string> arguments = {TARNWELL_UHID_CLOCK_PATH, "--socket", socketPath,
                                          "--input-interval-ms", interval};
    if (!usbId.empty()) {
        arguments.insert(arguments.end(), {"--usb-id", usbId});
    }
    arguments.insert(arguments.end(), serials.begin(), serials.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    if (::posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        pid_ = -1;
        return;
    }

    // The socket appears only after every clock was created.
    eventually(
        [&] {
            socket_ = connectTo(socketPath);
            return socket_ >= 0 || ::waitpid(pid_, nullptr, WNOHANG) == pid_;
        },
        kStartTimeout);
}

UhidClockProcess::~UhidClockProcess() {
    if (socket_ >= 0) {
        ::close(socket_);
    }
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    if (!directory_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }
}

UhidClockProcess::Reply UhidClockProcess::request(std::string_view line) {
    Reply reply;
    if (socket_ < 0) {
        reply.lines = {"the simulator is not running"};
        return reply;
    }
    const std::string text = std::string(line) + '\n';
    if (::send(socket_, text.data(), text.size(), MSG_NOSIGNAL) !=
        static_cast<ssize_t>(text.size())) {
        reply.lines = {"cannot send to the simulator"};
        return reply;
    }
    while (true) {
        std::size_t newline;
        while ((newline = received_.find('\n')) != std::string::npos) {
            std::string got = received_.substr(0, newline);
            received_.erase(0, newline + 1);
            if (got == kReplyOk) {
                reply.ok = true;
                return reply;
            }
            if (got.starts_with(kReplyErrorPrefix)) {
                reply.lines = {got.substr(kReplyErrorPrefix.size())};
                return reply;
            }
            reply.lines.push_back(std::move(got));
        }
        char buffer[4096];
        const ssize_t count = ::recv(socket_, buffer, sizeof buffer, 0);
        if (count <= 0) {
            reply.lines = {"no reply from the simulator"};
            return reply;
        }
        received_.append(buffer, static_cast<std::size_t>(count));
    }
}

std::vector<LoggedReport> UhidClockProcess::log(const std::string& serial) {
    std::vector<LoggedReport> reports;
    const Reply reply = request("log " + serial);
    if (reply.ok) {
        for (const std::string& line : reply.lines) {
            if (auto report = parseLogLine(line)) {
                reports.push_back(std::move(*report));
            }
        }
    }
    return reports;
}

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
                const std::function<void()>& wait) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        if (wait) {
            wait();
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    return true;
}

bool uhidAvailable() {
    return ::access("/dev/uhid", R_OK | W_OK) == 0;
}

bool nodeAccessDenied() {
    const char* access = std::getenv("TARNWELL_UHID_ACCESS");
    return access != nullptr && std::string_view(access) == "denied";
}

bool nodeAsExpected(const std::string& path) {
    return nodeAccessDenied() || ::access(path.c_str(), R_OK | W_OK) == 0;
}

}  // namespace tarnwell::uhidclock
