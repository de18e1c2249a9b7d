#!/usr/bin/env bash
# Installs whatever is missing to build Vorpaline on Debian 12, then configures
# and builds it in ./build. Quiet when there is nothing to install.
#   scripts/setup.sh [TARGET...]     (default: everything, tests included)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh cmake make g++ qt6-base-dev qt6-qpa-plugins libqt6sql6-sqlite libgtest-dev libgmock-dev \
    fonts-liberation xvfb xauth curl

if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
targets=()
for target in "$@"; do
    targets+=(--target "$target")
done
cmake --build build -j"$(nproc)" "${targets[@]}" -- --no-print-directory >/dev/null
