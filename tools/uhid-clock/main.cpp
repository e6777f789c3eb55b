// tarnwell-uhid-clock: simulated clocks on the Linux kernel's HID bus (/dev/uhid), for tests that
// drive the real hidraw and hidapi stack. Needs write access to /dev/uhid (root).
//   tarnwell-uhid-clock --socket PATH [--input-interval-ms N] [--usb-id VID:PID] [SERIAL...]
// Each SERIAL is plugged in at start with the default report lengths; the control socket at PATH
// takes further requests (see ControlProtocol.h). It exists only once the clocks are created.
// Every clock carries the build's USB ids unless --usb-id gives others.

#include <poll.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "ClockRig.h"
#include "ControlServer.h"
#include "device/UsbIds.h"

namespace {

using namespace tarnwell::uhidclock;
using Clock = std::chrono::steady_clock;

volatile std::sig_atomic_t stopRequested = 0;

struct Options {
    std::string socketPath;
    std::chrono::milliseconds inputInterval{100};
    tarnwell::UsbId usbId = tarnwell::defaultUsbIds().front();
    std::vector<std::string> serials;
};

std::optional<Options> parseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--socket" && i + 1 < argc) {
            options.socketPath = argv[++i];
        } else if (arg == "--input-interval-ms" && i + 1 < argc) {
            const std::string_view value = argv[++i];
            int ms = 0;
            const auto [end, error] =
                std::from_chars(value.data(), value.data() + value.size(), ms);
            if (error != std::errc() || end != value.data() + value.size() || ms < 1) {
                return std::nullopt;
            }
            options.inputInterval = std::chrono::milliseconds(ms);
        } else if (arg == "--usb-id" && i + 1 < argc) {
            const std::optional<tarnwell::UsbId> id = tarnwell::parseUsbId(argv[++i]);
            if (!id) {
                return std::nullopt;
            }
            options.usbId = *id;
        } else if (arg.starts_with("-")) {
            return std::nullopt;
        } else {
            options.serials.emplace_back(arg);
        }
    }
    if (options.socketPath.empty()) {
        return std::nullopt;
    }
    return options;
}

void serve(ClockRig& rig, ControlServer& server, std::chrono::milliseconds inputInterval) {
    Clock::time_point nextInput = Clock::now();
    while (stopRequested == 0) {
        const Clock::time_point now = Clock::now();
        if (now >= nextInput) {
            rig.sendInputReports();
            nextInput = now + inputInterval;
        }

        std::vector<pollfd> watched = rig.kernelEvents();
        const std::size_t firstControlFd = watched.size();
        for (const int fd : server.fds()) {
            watched.push_back({fd, POLLIN, 0});
        }
        // A timed stall ends on time, not at the next input report.
        const std::optional<Clock::time_point> stallEnd = rig.resumeStallsDue();
        const Clock::time_point wake = stallEnd ? std::min(*stallEnd, nextInput) : nextInput;
        const auto wait =
            std::max(std::chrono::milliseconds(0),
                     std::chrono::duration_cast<std::chrono::milliseconds>(wake - Clock::now()));
        if (::poll(watched.data(), watched.size(), static_cast<int>(wait.count()) + 1) <= 0) {
            continue;  // timeout, or a signal that may have asked to stop
        }

        // Kernel requests first: a host waiting in an ioctl must get its answer within seconds.
        for (std::size_t i = 0; i < firstControlFd; ++i) {
            if (watched[i].revents != 0) {
                rig.handleEvent(watched[i].fd);
            }
        }
        for (std::size_t i = firstControlFd; i < watched.size(); ++i) {
            if (watched[i].revents != 0) {
                server.onReadable(watched[i].fd,
                                  [&rig](std::string_view line) { return rig.execute(line); });
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<Options> options = parseOptions(argc, argv);
    if (!options) {
        std::fprintf(
            stderr,
            "usage: %s --socket PATH [--input-interval-ms N] [--usb-id VID:PID] [SERIAL...]\n",
            argv[0]);
        return 2;
    }
    std::signal(SIGTERM, [](int) { stopRequested = 1; });
    std::signal(SIGINT, [](int) { stopRequested = 1; });

    ClockRig rig(options->usbId);
    for (const std::string& serial : options->serials) {
        const std::string reply = rig.execute(Request{AddClock{serial}});
        if (reply.starts_with(kReplyErrorPrefix)) {
            std::fprintf(stderr, "%s: %s", serial.c_str(), reply.c_str());
            return 1;
        }
    }
    std::string error;
    const auto server = ControlServer::listen(options->socketPath, error);
    if (!server) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    serve(rig, *server, options->inputInterval);
    return 0;
}
