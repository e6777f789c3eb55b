#include <iostream>
#include <string_view>
#include <vector>

#include "PlanCommand.h"
#include "hostio/OutputCheck.h"

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const int status = tarnwell::plan::runPlan(args, std::cout, std::cerr);
    return tarnwell::checkedExit(status, std::cout, std::cerr, "tarnwell-plan");
}
