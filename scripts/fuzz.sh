#!/usr/bin/env bash
# Runs each libFuzzer program for a set time, starting from its kept corpus in
# fuzz/corpus/<target>. New inputs go to a scratch folder; --merge adds those that reach new code
# to the kept corpus. A crash or a broken property fails the run and leaves the input in
# BUILD_DIR/artifacts/. The programs come from the sanitizer build when given one (--build
# build-asan, as scripts/dev.sh test does: scripts/sanitize-tests.sh builds them there);
# otherwise they are built with clang in build-fuzz.
#   scripts/fuzz.sh [--build BUILD_DIR] [SECONDS_PER_TARGET] [--merge] [TARGET...]
. "$(dirname "$0")/errors.sh"
cd "$(dirname "$0")/.."

seconds=60
merge=false
dir=
targets=()
while [ $# -gt 0 ]; do
    case "$1" in
        --merge) merge=true ;;
        --build)
            [ $# -ge 2 ] || { echo "fuzz.sh: --build needs a folder" >&2; exit 2; }
            dir=$2
            shift
            ;;
        ''|*[!0-9]*) targets+=("$1") ;;
        *) seconds=$1 ;;
    esac
    shift
done
if [ ${#targets[@]} -eq 0 ]; then
    targets=($(cd fuzz/corpus && ls -d */ | tr -d /))
fi

. scripts/debian-packages.sh
ensure_debian_packages "Fuzzing" clang libclang-rt-14-dev cmake ninja-build ccache

if [ -z "$dir" ]; then
    dir=build-fuzz
    cmake -S . -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DTARNWELL_FUZZ=ON -DTARNWELL_BUILD_WINDOW=OFF \
        -DTARNWELL_BUILD_TESTS=OFF -DTARNWELL_BUILD_BENCHMARKS=OFF -DTARNWELL_WERROR=ON >/dev/null
fi
cmake --build "$dir" --target fuzz_targets

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$dir/artifacts"
failed=()
summary=()
for target in "${targets[@]}"; do
    scratch="$dir/new-inputs/$target"
    log="$dir/fuzz-$target.log"
    mkdir -p "$scratch"
    # -timeout flags any single input that runs for more than 10 s: a hang is a finding too.
    if "$dir/bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$dir/artifacts/$target-" \
        "$scratch" "fuzz/corpus/$target" >"$log" 2>&1; then
        summary+=("$(printf '%-20s %12s executions' "$target" \
            "$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")")")
    else
        failed+=("$target")
        summary+=("$(printf '%-20s FAILED, see %s' "$target" "$log")")
    fi
    if $merge; then
        "$dir/bin/fuzz_$target" -merge=1 "fuzz/corpus/$target" "$scratch" >>"$log" 2>&1
    fi
done

printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -ne 0 ]; then
    echo "fuzzing found problems in: ${failed[*]}" >&2
    exit 1
fi
