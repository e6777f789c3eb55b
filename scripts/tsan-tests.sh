#!/usr/bin/env bash
# Builds the tool and its tests with ThreadSanitizer in build-tsan and runs the whole test suite
# there. Any data race, lock-order inversion or unsafe call in a signal handler fails the test
# that caused it.
#   scripts/tsan-tests.sh [BUILD_DIR]
. "$(dirname "$0")/errors.sh"
cd "$(dirname "$0")/.."
dir=${1:-build-tsan}

. scripts/debian-packages.sh
ensure_debian_packages "The ThreadSanitizer tests" g++ cmake ninja-build ccache

# -O1 as for the other sanitizers: readable stacks, a fast enough build and run.
cmake -S . -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
    -DTARNWELL_SANITIZE_THREAD=ON -DTARNWELL_BUILD_BENCHMARKS=OFF -DTARNWELL_WERROR=ON
cmake --build "$dir"

export TSAN_OPTIONS="halt_on_error=1 exitcode=66 second_deadlock_stack=1 history_size=4 suppressions=$PWD/scripts/tsan-suppressions.txt"
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
