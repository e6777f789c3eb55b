#!/usr/bin/env bash
# Builds the tests of the code that runs on more than one thread with ThreadSanitizer in
# build-tsan and runs them: the clocks' I/O threads and timed requests, the hidapi session, and
# tarnwell-ctl in-process on simulated clocks (its deadlines, its metrics loop and the clock
# session). Any data race, lock-order inversion or unsafe call in a signal handler fails the run.
# The window's tests are left out: Debian's Qt is not built with ThreadSanitizer, which then
# reports races inside Qt's own thread pool that its synchronisation hides from it.
#   scripts/tsan-tests.sh [BUILD_DIR]
. "$(dirname "$0")/errors.sh"
cd "$(dirname "$0")/.."
dir=${1:-build-tsan}
programs=(test_clock_io_thread test_hidapi_backend test_tarnwell_ctl test_ctl_field_commands)

. scripts/debian-packages.sh
ensure_debian_packages "The ThreadSanitizer tests" g++ cmake ninja-build ccache

# -O1 as for the other sanitizers: readable stacks, a fast enough build and run.
cmake -S . -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
    -DTARNWELL_SANITIZE_THREAD=ON -DTARNWELL_BUILD_BENCHMARKS=OFF -DTARNWELL_WERROR=ON
cmake --build "$dir" --target "${programs[@]}"

export TSAN_OPTIONS="halt_on_error=1 exitcode=66 second_deadlock_stack=1"
for program in "${programs[@]}"; do
    echo "tsan-tests: $program"
    "$dir/bin/$program" --gtest_brief=1
done
echo "tsan-tests: ${#programs[@]} programs clean under ThreadSanitizer"
