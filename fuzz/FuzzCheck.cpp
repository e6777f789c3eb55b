#include "FuzzCheck.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace tarnwell::fuzz {

namespace {

std::string& replayedInput() {
    static std::string name;
    return name;
}

}  // namespace

void require(bool holds, const char* property) {
    if (holds)
        return;
    std::fprintf(stderr, "fuzz property broken: %s\n", property);
    if (!replayedInput().empty())
        std::fprintf(stderr, "input: %s\n", replayedInput().c_str());
    std::fflush(stderr);
    std::abort();
}

void setReplayedInput(std::string name) {
    replayedInput() = std::move(name);
}

}  // namespace tarnwell::fuzz
