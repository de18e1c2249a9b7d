#!/usr/bin/env bash
# Builds the tests with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan/ and runs them. Any sanitizer report fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
# File by file rather than batched: a source that misses an include it needs
# fails here, where a batch would lend it its neighbour's.
cmake -S . -B build-asan "${generator[@]}" -DCMAKE_BUILD_TYPE=Debug -DVORPALINE_BUILD_TESTS=ON \
  -DVORPALINE_UNITY_BUILD=OFF \
  -DCMAKE_CXX_FLAGS="$flags -O1" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null

# Qt keeps some memory until exit on purpose; leaks are not what this run looks
# for. Set before the build: listing the tests after each link runs them too.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen

# Only the test programs, which bring the programs they run as child processes
# (the window program, the program without a window, the demo); the benchmarks
# are not needed.
cmake --build build-asan --target pure_tests engine_tests window_tests program_tests -j"$(nproc)"

cd build-asan
ctest --output-on-failure -j"$(nproc)" --timeout 900
