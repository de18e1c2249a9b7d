#!/usr/bin/env bash
# Makes the README screenshot: runs the demo unattended on a fresh demo folder,
# presses "Sync all", waits for the Sync to end and saves the window.
#   scripts/screenshot.sh [OUTPUT.png]      (default: docs/screenshot.png)
# Uses a virtual X display (xvfb-run) when there is one, else Qt's offscreen platform.
set -euo pipefail
out="$(realpath -m "${1:-$(dirname "$0")/../docs/screenshot.png}")"
cd "$(dirname "$0")/.."
scripts/setup.sh

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
folder="$work/demo-data"
run=(build/demo/vorpaline-demo --folder "$folder" --screenshot "$out")

status=0
if command -v xvfb-run >/dev/null && command -v xauth >/dev/null; then
    env -u QT_QPA_PLATFORM timeout 300 \
        xvfb-run -a -s "-screen 0 1280x1024x24" "${run[@]}" >"$work/log.txt" || status=$?
else
    QT_QPA_PLATFORM=offscreen timeout 300 "${run[@]}" >"$work/log.txt" || status=$?
fi
if [ "$status" -ne 0 ]; then
    cat "$work/log.txt"
    echo "screenshot.sh: the demo ended with status $status" >&2
    exit "$status"
fi

files=$(find "$folder" -type f ! -name vorpl.dat ! -name downloading.dat | wc -l)
echo "Sync done: $files files downloaded; last log lines:"
tail -n 4 "$work/log.txt"
echo "Screenshot: $out"
