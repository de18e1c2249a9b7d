#!/usr/bin/env bash
# Builds the benchmarks in ./build-bench (Release), runs them and prints one
# table: figure, ours, limit or peer, ratio. Each micro figure and its peer are
# timed in the same run, their repetitions interleaved; times are the least
# processor time of 5 repetitions, which other work on a shared machine
# disturbs least.
#
#   scripts/bench.sh             every figure
#   scripts/bench.sh --micro     the micro figures only
#   scripts/bench.sh --tls       the transfer over TLS only
#   scripts/bench.sh --log       the log's figures only
#
# VORPALINE_BENCH_TLS_MB sets the size of the TLS transfer (256 by default),
# for a machine too busy to move 256 MB six times in a reasonable time.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh cmake make g++ qt6-base-dev qt6-qpa-plugins libqt6sql6-sqlite libbenchmark-dev \
    python3 curl

only_micro=false
only_tls=false
[ "${1:-}" = "--micro" ] && only_micro=true
[ "${1:-}" = "--tls" ] && only_tls=true
only_log=false
[ "${1:-}" = "--log" ] && only_log=true
tls_mb=${VORPALINE_BENCH_TLS_MB:-256}
certificates=$PWD/tests/data/tls

build=build-bench
work=$(mktemp -d)
server_pid=""
tls_pid=""
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
    [ -n "$tls_pid" ] && kill "$tls_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVORPALINE_BUILD_BENCHMARKS=ON \
    -DVORPALINE_BUILD_TESTS=OFF >/dev/null
targets=(MicroBench)
$only_micro || targets+=(TransferBench EventLogBench StartupBench ArchiveSyncBench)
$only_tls && targets=(TransferBench)
$only_log && targets=(EventLogBench)
cmake --build "$build" --target "${targets[@]}" -j"$(nproc)" -- --no-print-directory >/dev/null

# Rows of the table, one "figure<TAB>ours<TAB>limit or peer<TAB>ratio" a line.
rows="$work/rows.tsv"
: >"$rows"

# --- Micro figures --------------------------------------------------------
micro() {
    echo "Running the micro benchmarks..." >&2
    "$build/bench/MicroBench" --benchmark_repetitions=5 --benchmark_min_time=0.2 --benchmark_enable_random_interleaving=true \
        --benchmark_out="$work/micro.json" --benchmark_out_format=json >"$work/micro.txt" 2>&1 ||
        { cat "$work/micro.txt" >&2; exit 1; }

    python3 - "$work/micro.json" >>"$rows" <<'EOF'
import json, sys

ms, kept, released = {}, {}, {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("run_type") != "iteration":
        continue
    if "error_occurred" in b:
        sys.exit(f"{b['run_name']}: {b['error_message']}")
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
    name = b["run_name"]
    ms[name] = min(ms.get(name, float("inf")), b["cpu_time"] * scale)
    if "kept_bytes" in b:
        kept[name] = b["kept_bytes"] / 1048576
        released[name] = b["released_bytes"] / 1048576

def row(figure, ours, peer_name, peer, aim=None):
    ratio = f"{ours / peer:.1f}x" + (f" (aim {aim})" if aim else "")
    print(f"{figure}\t{ours:.2f} ms\t{peer_name} {peer:.2f} ms\t{ratio}")

for mb in (5, 10):
    row(f"page gathering, {mb} MB page in 1 KB pieces", ms[f"PageGathering/{mb}"],
        "memmem scan, same bytes:", ms[f"MemmemScan/{mb}"], "under 10x")
row("page gathering, 10 MB page against 5 MB", ms["PageGathering/10"],
    "5 MB page:", ms["PageGathering/5"], "about 2x")
print(f"page buffers after a 10 MB page\t{kept['PageGathering/10']:.1f} MB between pages, "
      f"{released['PageGathering/10']:.1f} MB once the folder is listed\t"
      f"nothing held through the downloads\t-")
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
archived = ms["SubmissionFiltersAndNaming/onDiskCheck:2"]
row("50,000 submissions as above, each looked up in the download archive", archived,
    "without the archive:", checked, "within 1.3x")
EOF
}

# --- Whole-program figures -------------------------------------------------
# The engine's figures run through its downloader with plain settings (TransferBench);
# the log and the start-up through the real window offscreen. Whole processes
# are timed from outside, from start to exit, like the peers they stand beside.
bench_bin="$build/bench"
# The window benchmarks run offscreen with a private runtime folder; what Qt
# says on the way is kept in a file and shown only if a benchmark fails.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
window_bench() {
    QT_QPA_PLATFORM=offscreen "$bench_bin/$@" 2>>"$work/window.err" ||
        { cat "$work/window.err" >&2; exit 1; }
}
now_ms() { echo $(($(date +%s%N) / 1000000)); }
field() { sed -n "s/.*\b$1=\([^ ]*\).*/\1/p" <<<"$2"; }

# One server for every download, ours and curl's: Python's, serving a 256 MB
# file of random bytes and a sparse 1 GB one.
serve() {
    port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    mkdir -p "$work/served/art/bench"
    head -c $((256 * 1024 * 1024)) /dev/urandom >"$work/served/art/bench/1.bench.big.bin"
    truncate -s $((1024 * 1024 * 1024)) "$work/served/art/bench/2.bench.huge.bin"
    python3 -m http.server "$port" --bind 127.0.0.1 --directory "$work/served" \
        >/dev/null 2>&1 &
    server_pid=$!
    for _ in $(seq 50); do
        curl -sf -o /dev/null "http://127.0.0.1:$port/" && return 0
        sleep 0.1
    done
    echo "the file server did not start" >&2
    exit 1
}

# The same file over TLS, from Python's server wrapped in the test site's
# certificate (tests/data/tls/site.pem, made for *.bench.invalid); curl and the
# program both verify it against the test authority.
serve_tls() {
    tls_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    mkdir -p "$work/served/art/bench"
    head -c $((tls_mb * 1024 * 1024)) /dev/urandom >"$work/served/art/bench/3.bench.tls.bin"
    python3 - "$tls_port" "$work/served" "$certificates" >/dev/null 2>&1 <<'EOF' &
import functools, http.server, ssl, sys
port, root, certificates = int(sys.argv[1]), sys.argv[2], sys.argv[3]
handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=root)
server = http.server.ThreadingHTTPServer(("127.0.0.1", port), handler)
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(f"{certificates}/site.pem", f"{certificates}/server.key")
server.socket = context.wrap_socket(server.socket, server_side=True)
server.serve_forever()
EOF
    tls_pid=$!
    for _ in $(seq 50); do
        curl -sf -o /dev/null --cacert "$certificates/ca.pem" \
            --resolve "files.bench.invalid:$tls_port:127.0.0.1" \
            "https://files.bench.invalid:$tls_port/" && return 0
        sleep 0.1
    done
    echo "the TLS file server did not start" >&2
    exit 1
}

# A file three times each, interleaved: curl writing it, curl and a cp to its
# final name, and the program (download to its temporary file, then the copy
# to the final name). The least of the three runs counts; the program's peak
# memory is the largest of its runs.
#   timed_fetches FIGURE AIM PORT PATH SIZE URL CURL_ARGS OUR_ENV OUR_MODE
# CURL_ARGS and OUR_ENV are word lists (curl's options, the program's
# environment); OUR_MODE is TransferBench's last argument ("tls" or empty).
timed_fetches() {
    local figure=$1 aim=$2 our_port=$3 path=$4 size=$5 url=$6 curl_args=$7 our_env=$8 mode=$9
    local best_curl=999999 best_cp=999999 best_ours=999999 peak=0 start curl_ms cp_ms ours_ms out
    for round in 1 2 3; do
        mkdir -p "$work/fetched"
        start=$(now_ms)
        # shellcheck disable=SC2086
        curl -sf $curl_args -o "$work/fetched/part" "$url"
        curl_ms=$(($(now_ms) - start))
        cp "$work/fetched/part" "$work/fetched/big.bin"
        cp_ms=$(($(now_ms) - start))

        start=$(now_ms)
        # shellcheck disable=SC2086
        out=$(env $our_env "$bench_bin/TransferBench" fetch "$our_port" "$path" "$size" \
            "$work/ours" $mode)
        ours_ms=$(($(now_ms) - start))
        if [ "$round" = 1 ] && ! cmp -s "$(field saved "$out")" "$work/fetched/big.bin"; then
            echo "the program's file differs from curl's" >&2
            exit 1
        fi
        rm -rf "$work/fetched" "$work/ours"
        ((curl_ms < best_curl)) && best_curl=$curl_ms
        ((cp_ms < best_cp)) && best_cp=$cp_ms
        ((ours_ms < best_ours)) && best_ours=$ours_ms
        (($(field peak_kb "$out") > peak)) && peak=$(field peak_kb "$out")
    done
    python3 - "$figure" "$aim" "$mode" "$best_ours" "$best_curl" "$best_cp" "$peak" \
        >>"$rows" <<'EOF'
import sys
figure, aim, mode = sys.argv[1:4]
ours, curl, cp, peak = map(int, sys.argv[4:])
memory = f"; peak memory {peak / 1024:.1f} MB (limit 50 MB)" if mode == "tls" else ""
print(f"{figure}\t{ours} ms\tcurl {curl} ms, curl + cp {cp} ms\t"
      f"{ours / cp:.2f}x curl + cp, {ours / curl:.2f}x curl (aim within {aim} curl + cp){memory}")
EOF
}

transfer() {
    timed_fetches "256 MB over loopback, final copy included" 1.1x "$port" \
        /art/bench/1.bench.big.bin $((256 * 1024 * 1024)) \
        "http://127.0.0.1:$port/art/bench/1.bench.big.bin" "" "" ""
}

transfer_tls() {
    timed_fetches "$tls_mb MB over TLS on loopback, final copy included" 1.3x "$tls_port" \
        /art/bench/3.bench.tls.bin $((tls_mb * 1024 * 1024)) \
        "https://files.bench.invalid:$tls_port/art/bench/3.bench.tls.bin" \
        "--cacert $certificates/ca.pem --resolve files.bench.invalid:$tls_port:127.0.0.1" \
        "SSL_CERT_FILE=$certificates/ca.pem" tls
    rm -f "$work/served/art/bench/3.bench.tls.bin"
}

memory() {
    local out
    out=$("$bench_bin/TransferBench" fetch "$port" /art/bench/2.bench.huge.bin \
        $((1024 * 1024 * 1024)) "$work/memory")
    rm -rf "$work/memory"
    python3 - "$(field peak_kb "$out")" "$(field start_kb "$out")" "$(field seconds "$out")" \
        >>"$rows" <<'EOF'
import sys
peak, start, seconds = int(sys.argv[1]) / 1024, int(sys.argv[2]) / 1024, float(sys.argv[3])
print(f"peak memory downloading 1 GB (whole process)\t{peak:.1f} MB\tlimit 50 MB "
      f"({start:.1f} MB before the download, {seconds:.1f} s)\t{peak / 50:.2f}x the limit")
EOF
}

pause() {
    local out
    out=$("$bench_bin/TransferBench" pause 10)
    python3 - "$(field core_percent "$out")" "$(field cpu_seconds "$out")" >>"$rows" <<'EOF'
import sys
percent, cpu = float(sys.argv[1]), float(sys.argv[2])
print(f"processor time during a 10 s pause\t{percent:.2f} % of a core ({cpu * 1000:.0f} ms)\t"
      f"limit 1 % of a core\t{percent / 1:.2f}x the limit")
EOF
}

log_lines() {
    local out million
    out=$(window_bench EventLogBench 100000)
    million=$(window_bench EventLogBench 1000000)
    python3 - "$(field total_ms "$out")" "$(field add_ms "$out")" \
        "$(field paced_ms_per_line "$out")" "$(field short_ms_per_line "$out")" \
        "$(field paced_ms_per_line "$million")" "$(field short_ms_per_line "$million")" \
        "$(field peak_kb "$million")" "$(field total_ms "$million")" >>"$rows" <<'EOF'
import sys
total, add, paced, short, paced_m, short_m, peak_kb, total_m = map(float, sys.argv[1:])
print(f"100,000 log lines on the shown window\t{total:.0f} ms ({add:.0f} ms adding, then the repaint)"
      f"\tlimit 500 ms\t{total / 500:.2f}x the limit")
print(f"then a line shown before the next, 100,000 lines in place\t{paced:.3f} ms a line\t"
      f"100-line log: {short:.3f} ms (limit 1 ms)\t{paced / short:.2f}x the short log")
print(f"a line shown before the next, 1,000,000 lines in place\t{paced_m:.3f} ms a line\t"
      f"100-line log: {short_m:.3f} ms\t{paced_m / short_m:.2f}x the short log")
print(f"peak memory with 1,000,000 log lines (whole process)\t{peak_kb / 1024:.0f} MB "
      f"({total_m / 1000:.1f} s to add and show them)\tlimit 200 MB\t{peak_kb / 1024 / 200:.2f}x the limit")
EOF
}

startup() {
    local best_many=999999 best_none=999999 ms
    for _ in 1 2 3; do
        ms=$(field ms "$(window_bench StartupBench 1000)")
        best_many=$(python3 -c "print(min($best_many, $ms))")
        ms=$(field ms "$(window_bench StartupBench 0)")
        best_none=$(python3 -c "print(min($best_none, $ms))")
    done
    python3 - "$best_many" "$best_none" >>"$rows" <<'EOF'
import sys
many, none = map(float, sys.argv[1:])
print(f"start-up to the shown window, 1,000 users in the settings file\t{many:.0f} ms\t"
      f"no users: {none:.0f} ms\t{many / none:.2f}x")
EOF
}

# A second Sync of 1,000 users with 20 pages each whose every submission the
# archive holds: listed in full, then as a quick Sync. VORPALINE_BENCH_SYNC_USERS
# makes it smaller on a busy machine.
archive_sync() {
    local users=${VORPALINE_BENCH_SYNC_USERS:-1000} out
    out=$("$bench_bin/ArchiveSyncBench" "$users" 20)
    python3 - "$users" "$(field rows "$out")" "$(field bytes_per_row "$out")" \
        "$(field open_ms "$out")" "$(field full_requests "$out")" "$(field full_ms "$out")" \
        "$(field quick_requests "$out")" "$(field quick_ms "$out")" >>"$rows" <<'EOF'
import sys
users, rows, per_row, open_ms, full_requests, full_ms, quick_requests, quick_ms = map(
    int, sys.argv[1:])
print(f"second Sync, {users:,} users x 20 pages, all known: quick\t{quick_requests:,} page "
      f"requests, {quick_ms / 1000:.1f} s\tfull: {full_requests:,} requests, "
      f"{full_ms / 1000:.1f} s\t{quick_ms / full_ms:.2f}x the time")
print(f"download archive size\t{per_row} bytes a row ({rows:,} rows)\taim about 300 bytes\t"
      f"{per_row / 300:.2f}x")
print(f"opening the archive, {rows:,} rows (its numbers read)\t{open_ms} ms\t-\t-")
EOF
}

if $only_log; then
    echo "Timing the log..." >&2
    log_lines
elif $only_tls; then
    echo "Timing the transfer over TLS against curl..." >&2
    serve_tls
    transfer_tls
else
    micro
fi

if ! $only_micro && ! $only_tls && ! $only_log; then
    echo "Timing the transfer against curl..." >&2
    serve
    transfer
    echo "Timing the transfer over TLS against curl..." >&2
    serve_tls
    transfer_tls
    kill "$tls_pid" && wait "$tls_pid" 2>/dev/null || true
    tls_pid=""
    echo "Measuring memory over 1 GB..." >&2
    memory
    kill "$server_pid" && wait "$server_pid" 2>/dev/null || true
    server_pid=""
    echo "Measuring the pause..." >&2
    pause
    echo "Timing the log and the start-up..." >&2
    log_lines
    startup
    echo "Timing a second Sync, full and quick..." >&2
    archive_sync
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
