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

std::size_t checkedCount = 0;

}  // namespace

void require(bool holds, const char* property) {
    ++checkedCount;
    if (holds)
        return;
    std::fprintf(stderr, "fuzz property broken: %s\n", property);
    if (!replayedInput().empty())
        std::fprintf(stderr, "input: %s\n", replayedInput().c_str());
    std::fflush(stderr);
    std::abort();
}

std::size_t checkedProperties() {
    return checkedCount;
}

void setReplayedInput(std::string name) {
    replayedInput() = std::move(name);
}

}  // namespace tarnwell::fuzz
