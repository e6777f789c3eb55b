#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string_view>
#include <vector>

#include "CtlCommand.h"
#include "hid/HidapiBackend.h"

#ifdef TARNWELL_SD_NOTIFY
#include <systemd/sd-daemon.h>
#endif

namespace {

volatile std::sig_atomic_t interruptRequested = 0;

// std::signal works on every platform the program builds for, Windows included.
extern "C" void onInterrupt(int) {
    interruptRequested = 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    tarnwell::HidapiBackend backend;
    tarnwell::ctl::CtlTime time =
        tarnwell::ctl::CtlTime::real([] { return interruptRequested != 0; });
#ifdef TARNWELL_SD_NOTIFY
    // Says nothing unless systemd started the program as a notify service.
    time.tellService = [](const char* state) { sd_notify(0, state); };
#endif
    // exit, not return: an open given up on may still run on a thread of its own, and the
    // backend it uses must not be destroyed under it.
    std::exit(tarnwell::ctl::runCtl(args, backend, time, std::cout, std::cerr));
}
