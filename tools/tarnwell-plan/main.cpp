#include <iostream>
#include <string_view>
#include <vector>

#include "PlanCommand.h"

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    return tarnwell::plan::runPlan(args, std::cout, std::cerr);
}
