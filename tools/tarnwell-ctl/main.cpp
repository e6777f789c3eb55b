#include <iostream>
#include <string_view>
#include <vector>

#include "CtlCommand.h"
#include "hid/HidapiBackend.h"
#include "hostio/InterruptWatch.h"
#include "hostio/OutputCheck.h"

int main(int argc, char** argv) {
    const tarnwell::InterruptWatch interrupts("tarnwell-ctl", tarnwell::ctl::kInterruptGrace);
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    tarnwell::HidapiBackend backend;
    const tarnwell::ctl::CtlTime time =
        tarnwell::ctl::CtlTime::real([] { return tarnwell::InterruptWatch::requested(); });
    const int status = tarnwell::ctl::runCtl(args, backend, time, std::cout, std::cerr);
    return tarnwell::checkedExit(status, std::cout, std::cerr, "tarnwell-ctl");
}
