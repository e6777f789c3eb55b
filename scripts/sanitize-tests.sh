#!/usr/bin/env bash
# Builds the tool and its tests with AddressSanitizer (leak checking on) and
# UndefinedBehaviorSanitizer in build-asan, and runs the whole test suite there. Any sanitizer
# report aborts the test that raised it, so the run fails. The build is clang's, so that the same
# tree holds the libFuzzer programs: scripts/fuzz.sh --build build-asan runs them without a
# second build.
#   scripts/sanitize-tests.sh [BUILD_DIR]
. "$(dirname "$0")/errors.sh"
cd "$(dirname "$0")/.."
dir=${1:-build-asan}

. scripts/debian-packages.sh
ensure_debian_packages "The sanitizer tests" clang libclang-rt-14-dev cmake ninja-build ccache

# -O1 keeps the stack traces readable, builds much faster than -O2 and runs the divider-search
# tests several times faster than -O0; asserts stay on.
cmake -S . -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
    -DTARNWELL_FUZZ=ON -DTARNWELL_BUILD_BENCHMARKS=OFF -DTARNWELL_WERROR=ON
cmake --build "$dir"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=0
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
