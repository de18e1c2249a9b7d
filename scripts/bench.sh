#!/usr/bin/env bash
# Builds the benchmarks in ./build-bench (Release), runs them and prints one
# table: figure, ours, limit or peer, ratio. Each micro figure and its peer are
# timed in the same run, their repetitions interleaved; times are the least
# processor time of 5 repetitions, which other work on a shared machine
# disturbs least.
#
#   scripts/bench.sh             every figure
#   scripts/bench.sh --micro     the micro figures only
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake make g++ qt6-base-dev libbenchmark-dev python3 curl)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

only_micro=false
[ "${1:-}" = "--micro" ] && only_micro=true

build=build-bench
work=$(mktemp -d)
server_pid=""
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVORPALINE_BUILD_BENCHMARKS=ON \
    -DVORPALINE_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target MicroBench -j"$(nproc)" -- --no-print-directory >/dev/null

# Rows of the table, one "figure<TAB>ours<TAB>limit or peer<TAB>ratio" a line.
rows="$work/rows.tsv"
: >"$rows"

# --- Micro figures --------------------------------------------------------
echo "Running the micro benchmarks..." >&2
"$build/bench/MicroBench" --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true \
    --benchmark_out="$work/micro.json" --benchmark_out_format=json >"$work/micro.txt" 2>&1 ||
    { cat "$work/micro.txt" >&2; exit 1; }

python3 - "$work/micro.json" >>"$rows" <<'EOF'
import json, sys

ms = {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("run_type") != "iteration":
        continue
    if "error_occurred" in b:
        sys.exit(f"{b['run_name']}: {b['error_message']}")
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
    name = b["run_name"]
    ms[name] = min(ms.get(name, float("inf")), b["cpu_time"] * scale)

def row(figure, ours, peer_name, peer, aim=None):
    ratio = f"{ours / peer:.1f}x" + (f" (aim {aim})" if aim else "")
    print(f"{figure}\t{ours:.2f} ms\t{peer_name} {peer:.2f} ms\t{ratio}")

for mb in (5, 10):
    row(f"page gathering, {mb} MB page in 1 KB pieces", ms[f"PageGathering/{mb}"],
        "memmem scan, same bytes:", ms[f"MemmemScan/{mb}"], "under 10x")
row("page gathering, 10 MB page against 5 MB", ms["PageGathering/10"],
    "5 MB page:", ms["PageGathering/5"], "about 2x")
for mb in (5, 10):
    row(f"link walk, {mb} MB page (a link per 1,000 bytes)", ms[f"LinkWalk/{mb}"],
        "memmem scan, same bytes:", ms[f"MemmemScan/{mb}"])
row("link walk, 10 MB page against 5 MB", ms["LinkWalk/10"], "5 MB page:", ms["LinkWalk/5"],
    "about 2x")
checked = ms["SubmissionFiltersAndNaming/onDiskCheck:1"]
unchecked = ms["SubmissionFiltersAndNaming/onDiskCheck:0"]
print(f"50,000 submissions: rewriting, filters, folder, file name, on-disk check\t"
      f"{checked:.0f} ms ({checked * 1000 / 50000:.1f} us each)\t"
      f"without the on-disk check: {unchecked:.0f} ms\t{checked / unchecked:.1f}x")
EOF

# --- Whole-program figures -------------------------------------------------
# Each figure adds its rows to "$rows" in the same form. The program's side of
# these is still to come; the peers that need nothing of the program are here.
#
#   transfer: the program fetching the same 256 MB file from the same server,
#             final copy included, against curl and curl + cp (aim: within
#             1.1x curl + cp)
#   memory:   peak resident size downloading 1 GB (aim: under 50 MB)
#   pause:    processor time during a 10 s pause (aim: under 1 % of a core)
#   log:      100,000 log lines (aim: under 0.5 s, window responsive)
#   start-up: to the shown window with 1,000 users in the settings file
transfer_peers() {
    local size_mb=256 port=8089
    mkdir -p "$work/served" "$work/fetched"
    head -c "$((size_mb * 1024 * 1024))" /dev/urandom >"$work/served/file.bin"
    python3 -m http.server "$port" --bind 127.0.0.1 --directory "$work/served" \
        >/dev/null 2>&1 &
    server_pid=$!
    for _ in $(seq 50); do
        curl -sf -o /dev/null "http://127.0.0.1:$port/" && break
        sleep 0.1
    done
    local curl_ms curl_cp_ms start
    start=$(date +%s%N)
    curl -sf -o "$work/fetched/part" "http://127.0.0.1:$port/file.bin"
    curl_ms=$((($(date +%s%N) - start) / 1000000))
    cp "$work/fetched/part" "$work/fetched/file.bin"
    sync "$work/fetched/file.bin"
    curl_cp_ms=$((($(date +%s%N) - start) / 1000000))
    kill "$server_pid" && wait "$server_pid" 2>/dev/null || true
    server_pid=""
    printf '%s\t%s\t%s\t%s\n' \
        "$size_mb MB over loopback, final copy included" "(program side to come)" \
        "curl $curl_ms ms, curl + cp $curl_cp_ms ms" "-" \
        >>"$rows"
}

if ! $only_micro; then
    echo "Timing the transfer peers..." >&2
    transfer_peers
    # Program figures go here: memory, pause, log, start-up.
fi

# --- The table ---------------------------------------------------------------
python3 - "$rows" <<'EOF'
import sys

header = ("figure", "ours", "limit or peer", "ratio")
rows = [header] + [tuple(l.rstrip("\n").split("\t")) for l in open(sys.argv[1]) if l.strip()]
widths = [max(len(r[i]) for r in rows) for i in range(4)]
line = lambda r: "| " + " | ".join(c.ljust(w) for c, w in zip(r, widths)) + " |"
print(line(header))
print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
for r in rows[1:]:
    print(line(r))
EOF
