#!/usr/bin/env bash
# Sanitizer and fuzzing builds, each in its own build directory:
#   build-asan  the whole test suite under AddressSanitizer and UBSan
#   build-tsan  the threaded platform and store tests under ThreadSanitizer
#   build-fuzz  every libFuzzer target, run a fixed number of times from its
#               seed corpus (clang only; skipped with a note otherwise)
# Usage: scripts/hardening.sh [asan] [tsan] [fuzz]   (all three by default)
# Environment: JOBS (default 2), FUZZ_SCALE (default 1: multiplies each
# target's number of runs), FUZZ_MAX_LEN (default 4096).
set -euo pipefail

cd "$(dirname "$0")/.."
ROOT=$PWD
JOBS=${JOBS:-2}
FUZZ_SCALE=${FUZZ_SCALE:-1}
# Runs per target, for some 5 to 15 s each on one core: the writers touch a
# file at every run and are a hundred times slower than the parsers.
declare -A FUZZ_RUNS=([profile_read]=50000 [profile_write]=1500 [infos]=200000
                      [memberlist]=1500 [column]=200000)
FUZZ_MAX_LEN=${FUZZ_MAX_LEN:-4096}
STEPS=("$@")
[ ${#STEPS[@]} -eq 0 ] && STEPS=(asan tsan fuzz)

GEN=()
command -v ninja >/dev/null && GEN=(-G Ninja)
have_clang() { command -v clang >/dev/null && command -v clang++ >/dev/null; }
log() { printf '\n=== %s (%s)\n' "$*" "$(date -u +%H:%M:%S)"; }

# The threaded tests: the status reader, the snapshot cache and the writers
# that race other writers.
TSAN_TESTS='^(tst_platform_profilecache|tst_platform_filesystem|tst_store_statusreader|tst_store_cadmindoc|tst_store_bulkwriter|tst_faults_.*)$'

run_asan() {
    log "build-asan: address and undefined-behaviour sanitizers, every test"
    local flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
    # Line tables only: enough for the reports, and much less to link.
    cmake -S "$ROOT" -B "$ROOT/build-asan" "${GEN[@]}" -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCORVANE_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS="$flags" \
        -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
    cmake --build "$ROOT/build-asan" -j"$JOBS"
    # Qt's own allocations at exit are not ours to chase: leaks are off.
    ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=0 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        ctest --test-dir "$ROOT/build-asan" --output-on-failure -j"$JOBS"
}

run_tsan() {
    log "build-tsan: thread sanitizer, threaded platform and store tests"
    local cc=() flags="-fsanitize=thread -fno-omit-frame-pointer -O1 -g"
    have_clang && cc=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)
    cmake -S "$ROOT" -B "$ROOT/build-tsan" "${GEN[@]}" "${cc[@]}" -DCMAKE_BUILD_TYPE=Debug \
        -DCORVANE_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS="$flags" \
        -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread"
    local targets
    targets=$(ctest --test-dir "$ROOT/build-tsan" -N -R "$TSAN_TESTS" | sed -n 's/^ *Test *#[0-9]*: //p')
    # Helper programs the tests start.
    targets+=" tst_platform_profilewrite"
    # shellcheck disable=SC2086
    cmake --build "$ROOT/build-tsan" -j"$JOBS" --target $targets
    export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 die_after_fork=0 suppressions=$ROOT/tests/store/tsan-qt.supp"
    ctest --test-dir "$ROOT/build-tsan" --output-on-failure -j"$JOBS" -R "$TSAN_TESTS"
    # The writer tests without the ones that start other processes: this
    # clang's thread sanitizer runtime fails a check of its own on a fork
    # made by QProcess.
    (cd "$ROOT/build-tsan/tests/platform" &&
        QT_QPA_PLATFORM=offscreen ./tst_platform_profilewrite concurrentChangeIsKept \
            writersOfOneProcessDoNotLoseKeys endlessChangesFailTheWrite)
    unset TSAN_OPTIONS
}

run_fuzz() {
    log "build-fuzz: libFuzzer targets"
    if ! have_clang; then
        echo "clang not found: the fuzz targets are not built"
        return 0
    fi
    cmake -S "$ROOT" -B "$ROOT/build-fuzz" "${GEN[@]}" \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCORVANE_FUZZ=ON -DCORVANE_BUILD_TESTS=OFF -DCORVANE_BUILD_BENCH=OFF \
        -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
        -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
    cmake --build "$ROOT/build-fuzz" -j"$JOBS" --target corvane_fuzzers
    local corpus name target work
    for corpus in "$ROOT"/fuzz/corpus/*/; do
        name=$(basename "$corpus")
        target=fuzz_$name
        # New inputs go to a scratch directory: the seeds in the tree stay as they are.
        work="$ROOT/build-fuzz/corpus/$name"
        mkdir -p "$work"
        log "$target: $(( ${FUZZ_RUNS[$name]:-20000} * FUZZ_SCALE )) runs"
        ASAN_OPTIONS=halt_on_error=1:detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
            "$ROOT/build-fuzz/fuzz/$target" -runs=$(( ${FUZZ_RUNS[$name]:-20000} * FUZZ_SCALE )) -max_len="$FUZZ_MAX_LEN" \
            -seed=1 -print_final_stats=1 -artifact_prefix="$ROOT/build-fuzz/$target-" \
            "$work" "$corpus"
    done
}

start=$SECONDS
for step in "${STEPS[@]}"; do
    case $step in
        asan) run_asan ;;
        tsan) run_tsan ;;
        fuzz) run_fuzz ;;
        *) echo "unknown step: $step (asan, tsan or fuzz)" >&2; exit 2 ;;
    esac
done
log "hardening passed in $((SECONDS - start)) s"
