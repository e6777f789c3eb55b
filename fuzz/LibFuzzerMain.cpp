#include <cstdio>
#include <cstdlib>

#include "FuzzTargets.h"

// One libFuzzer program per target; the build names the target in TARNWELL_FUZZ_TARGET.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const tarnwell::fuzz::FuzzEntry entry = [] {
        const auto found = tarnwell::fuzz::fuzzTargetNamed(TARNWELL_FUZZ_TARGET);
        if (!found) {
            std::fprintf(stderr, "no fuzz target named %s\n", TARNWELL_FUZZ_TARGET);
            std::abort();
        }
        return found;
    }();
    return entry(data, size);
}
