#!/usr/bin/env bash
# Runs after the main tests: the sanitizer build (AddressSanitizer and UndefinedBehaviorSanitizer)
# with the unit tests, the journeys, the install, hardening and soak tests, then a bounded
# libFuzzer run of each fuzz target.
#
# Environment: SAN_BUILD (build-asan), FUZZ_BUILD (build-fuzz), FUZZ_SECONDS (60 per target).
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir="$(pwd)"
san_build="${SAN_BUILD:-build-asan}"
fuzz_build="${FUZZ_BUILD:-build-fuzz}"
fuzz_seconds="${FUZZ_SECONDS:-60}"
jobs="$(nproc 2>/dev/null || echo 2)"

# Full stacks on every allocation let the suppressions name the Allegro call a leak happens
# under; any undefined behaviour fails the test it happens in.
export ASAN_OPTIONS="fast_unwind_on_malloc=0:detect_leaks=1"
export LSAN_OPTIONS="suppressions=$source_dir/tests/hardening/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

echo "== sanitizer build in $san_build"
# Unoptimised: the sanitizer build compiles five times faster so, and its tests mostly wait.
cmake -S . -B "$san_build" -DVS_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON > /dev/null
cmake --build "$san_build" -j "$jobs"
(cd "$san_build" && ctest --output-on-failure -j1 -L 'unit|e2e|install|hardening|soak|tools')

echo "== fuzzing, $fuzz_seconds s per target"
tests/fuzz/fuzz.sh run "$fuzz_build" "$fuzz_seconds"
