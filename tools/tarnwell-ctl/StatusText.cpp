#include "StatusText.h"

#include <cstdio>

namespace tarnwell::ctl {

std::string timestamp(std::chrono::system_clock::time_point when) {
    using namespace std::chrono;
    const auto day = floor<days>(when);
    const year_month_day date{day};
    const hh_mm_ss time{floor<milliseconds>(when - day)};
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", int(date.year()),
                  unsigned(date.month()), unsigned(date.day()), int(time.hours().count()),
                  int(time.minutes().count()), int(time.seconds().count()),
                  int(time.subseconds().count()));
    return text;
}

std::string statusLine(const InputStatus& status) {
    return "signal loss count " + std::to_string(status.signalLossCount) + "; GPS signal " +
           (status.noGpsSignal ? "none" : "ok") + "; PLL lock " +
           (status.noPllLock ? "none" : "ok");
}

void addStatusJson(Json& object, const InputStatus& status) {
    object["signal_losses"] = status.signalLossCount;
    object["gps_signal"] = !status.noGpsSignal;
    object["pll_locked"] = !status.noPllLock;
}

}  // namespace tarnwell::ctl
