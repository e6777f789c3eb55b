#include <cstdlib>
#include <iostream>
#include <string_view>
#include <vector>

#include "CtlCommand.h"
#include "hid/HidapiBackend.h"
#include "hostio/InterruptWatch.h"
#include "hostio/OutputCheck.h"

#ifdef TARNWELL_SD_NOTIFY
#include <systemd/sd-daemon.h>
#endif

int main(int argc, char** argv) {
    const tarnwell::InterruptWatch interrupts("tarnwell-ctl", tarnwell::ctl::kInterruptGrace);
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    tarnwell::HidapiBackend backend;
    tarnwell::ctl::CtlTime time =
        tarnwell::ctl::CtlTime::real([] { return tarnwell::InterruptWatch::requested(); });
#ifdef TARNWELL_SD_NOTIFY
    // Says nothing unless systemd started the program as a notify service.
    time.tellService = [](const char* state) { sd_notify(0, state); };
#endif
    const int status = tarnwell::ctl::runCtl(args, backend, time, std::cout, std::cerr);
    // exit, not return: an open given up on may still run on a thread of its own, and the
    // backend it uses must not be destroyed under it.
    std::exit(tarnwell::checkedExit(status, std::cout, std::cerr, "tarnwell-ctl"));
}
