#include <csignal>
#include <iostream>
#include <string_view>
#include <vector>

#include "CtlCommand.h"
#include "hid/HidapiBackend.h"

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
    const tarnwell::ctl::CtlTime time =
        tarnwell::ctl::CtlTime::real([] { return interruptRequested != 0; });
    return tarnwell::ctl::runCtl(args, backend, time, std::cout, std::cerr);
}
