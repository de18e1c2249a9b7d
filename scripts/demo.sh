#!/usr/bin/env bash
# Sets everything up, builds, and opens Vorpaline on its built-in demo gallery.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh vorpaline vorpaline-demo
exec build/demo/vorpaline-demo "$@"
