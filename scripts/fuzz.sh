#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz/ and runs each for a bounded
# time from its committed seed corpus. Fails on the first finding; the input
# that broke a target is left in build-fuzz/findings/.
#   scripts/fuzz.sh [seconds per target, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
targets=(PageReaderFuzzer ReplyHeaderFuzzer SettingsFileFuzzer NamingFuzzer ChunkedDecoderFuzzer)

# clang and its libFuzzer runtime, installed when missing as setup.sh does.
scripts/install-packages.sh cmake clang-14 libclang-rt-14-dev qt6-base-dev libqt6sql6-sqlite
compiler="$(command -v clang++-14 || command -v clang++ || true)"
if [[ -z "$compiler" ]]; then
  echo "fuzz.sh: clang++ is needed (apt-get install clang-14 libclang-rt-14-dev)" >&2
  exit 1
fi

generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
if [[ ! -f build-fuzz/CMakeCache.txt ]]; then
  cmake -S . -B build-fuzz "${generator[@]}" -DCMAKE_CXX_COMPILER="$compiler" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORPALINE_BUILD_TESTS=OFF -DVORPALINE_BUILD_FUZZERS=ON
fi
cmake --build build-fuzz --target "${targets[@]}" -j"$(nproc)"

mkdir -p build-fuzz/findings
for target in "${targets[@]}"; do
  # New inputs the run finds go to a scratch corpus; the committed seeds stay as they are.
  work="build-fuzz/corpus/$target"
  mkdir -p "$work"
  echo "== $target for ${seconds}s"
  if ! build-fuzz/fuzz/"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="build-fuzz/findings/$target-" \
      "$work" "fuzz/corpus/$target" > "build-fuzz/$target.log" 2>&1; then
    tail -n 40 "build-fuzz/$target.log"
    echo "fuzz.sh: $target found a problem; the input is in build-fuzz/findings/" >&2
    exit 1
  fi
  grep -E '^Done|stat::number_of_executed_units' "build-fuzz/$target.log" | head -n 2
done
echo "fuzz.sh: ${#targets[@]} targets ran ${seconds}s each without a finding"
