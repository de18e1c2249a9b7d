#!/usr/bin/env bash
# Mutation run: puts one small fault at a time (scripts/mutants.txt) into a
# scratch copy of the sources, rebuilds what changed, runs the whole suite and
# says whether the suite caught the fault (killed) or not (survived).
#
#   scripts/mutate.sh                 every mutant
#   scripts/mutate.sh listing- job-   only the mutants whose id starts so
#   scripts/mutate.sh --list          the mutants, without running anything
#   scripts/mutate.sh --check         whether every mutant applies to the sources
#
# The copy and its build live in build-mutate/ (MUTATE_DIR), configured
# without batched compilation so that a mutant recompiles its own file alone.
# MUTATE_TIMEOUT (seconds, default 300) bounds the suite for one mutant: a
# suite that runs out of time has caught the fault (the program hangs). Too
# slow for CI; run it by hand, at a low priority on a shared machine:
#   nice -n 10 scripts/mutate.sh
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
mutants=$root/scripts/mutants.txt
work=${MUTATE_DIR:-$root/build-mutate}
timeout_s=${MUTATE_TIMEOUT:-300}
targets=(pure_tests engine_tests window_tests program_tests vorpaline-sync)

# Reads the mutant file and answers queries about it; the text fields may hold
# \n, \t and \\ escapes.
helper() {
    python3 - "$@" <<'PY'
import sys

def unescape(text):
    out, i = [], 0
    while i < len(text):
        if text[i] == '\\' and i + 1 < len(text) and text[i + 1] in 'nt\\':
            out.append({'n': '\n', 't': '\t', '\\': '\\'}[text[i + 1]])
            i += 2
        else:
            out.append(text[i])
            i += 1
    return ''.join(out)

def load(path):
    rows = []
    for number, line in enumerate(open(path, encoding='utf-8'), 1):
        line = line.rstrip('\n')
        if not line.strip() or line.startswith('#'):
            continue
        fields = line.split('\t')
        if len(fields) != 5:
            sys.exit(f'{path}:{number}: expected 5 tab-separated fields, got {len(fields)}')
        rows.append(fields)
    return rows

command, path = sys.argv[1], sys.argv[2]
rows = load(path)
if command == 'ids':
    prefixes = sys.argv[3:]
    for ident, *_ in rows:
        if not prefixes or any(ident.startswith(p) for p in prefixes):
            print(ident)
elif command == 'describe':
    for ident, file, _, _, what in rows:
        if ident == sys.argv[3]:
            print(f'{file}\t{what}')
elif command == 'sync':
    import os, shutil
    source, copy = sys.argv[3], sys.argv[4]
    def skipped(rel):
        top = rel.split('/')[0]
        return top.startswith('build') or top in ('.git', '.cache')
    wanted = set()
    for folder, dirs, files in os.walk(source):
        rel_folder = os.path.relpath(folder, source)
        dirs[:] = [d for d in dirs if not skipped(os.path.normpath(os.path.join(rel_folder, d)))]
        for name in files:
            rel = os.path.normpath(os.path.join(rel_folder, name))
            if skipped(rel):
                continue
            wanted.add(rel)
            src_path, dst_path = os.path.join(source, rel), os.path.join(copy, rel)
            data = open(src_path, 'rb').read()
            if os.path.exists(dst_path) and open(dst_path, 'rb').read() == data:
                continue
            os.makedirs(os.path.dirname(dst_path), exist_ok=True)
            open(dst_path, 'wb').write(data)
            shutil.copymode(src_path, dst_path)
    for folder, _, files in os.walk(copy):
        for name in files:
            rel = os.path.normpath(os.path.relpath(os.path.join(folder, name), copy))
            if rel not in wanted:
                os.remove(os.path.join(copy, rel))
elif command == 'check':
    bad = 0
    for ident, file, original, _, _ in rows:
        try:
            count = open(f'{sys.argv[3]}/{file}', encoding='utf-8').read().count(unescape(original))
        except OSError as error:
            count, bad = 0, bad
        if count != 1:
            print(f'{ident}: the original text occurs {count} times in {file}')
            bad += 1
    ids = [row[0] for row in rows]
    for ident in set(ids):
        if ids.count(ident) > 1:
            print(f'{ident}: the id is used twice')
            bad += 1
    print(f'{len(rows)} mutants, {bad} faulty')
    sys.exit(1 if bad else 0)
elif command == 'apply':
    ident, tree = sys.argv[3], sys.argv[4]
    for row_id, file, original, replacement, _ in rows:
        if row_id != ident:
            continue
        target = f'{tree}/{file}'
        text = open(target, encoding='utf-8').read()
        original, replacement = unescape(original), unescape(replacement)
        count = text.count(original)
        if count != 1:
            sys.exit(f'{ident}: the original text occurs {count} times in {file}')
        open(target, 'w', encoding='utf-8').write(text.replace(original, replacement))
        print(file)
        sys.exit(0)
    sys.exit(f'{ident}: no such mutant')
PY
}

if [ "${1:-}" = "--list" ]; then
    shift
    for id in $(helper ids "$mutants" "$@"); do
        printf '%-32s %s\n' "$id" "$(helper describe "$mutants" "$id" | cut -f2)"
    done
    exit 0
fi

if [ "${1:-}" = "--check" ]; then
    helper check "$mutants" "$root"
    exit
fi

ids=$(helper ids "$mutants" "$@")
[ -n "$ids" ] || { echo "mutate.sh: no mutant matches" >&2; exit 2; }

src=$work/src
build=$work/build
mkdir -p "$src" "$build"
log=$work/logs
mkdir -p "$log"

# The copy follows the working tree; a file whose contents changed gets a
# fresh time, so make rebuilds it even after an interrupted run.
helper sync "$mutants" "$root" "$src"

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DVORPALINE_UNITY_BUILD=OFF >"$log/configure.log"
fi

compile() {
    cmake --build "$build" -j2 --target "${targets[@]}" >"$1" 2>&1
}

# MUTATE_ALL_FAILURES=1 runs the whole suite on every mutant and names every
# test that caught it (slower): it shows which tests catch what no other does.
suite() {
    local stop=--stop-on-failure
    [ -n "${MUTATE_ALL_FAILURES:-}" ] && stop=
    (cd "$build" && QT_QPA_PLATFORM=offscreen timeout "$timeout_s" \
        ctest -j2 $stop --timeout "$timeout_s" >"$1" 2>&1)
}

echo "Building the unchanged copy in $build ..."
compile "$log/baseline-build.log" || { echo "mutate.sh: the unchanged copy does not build (see $log/baseline-build.log)" >&2; exit 2; }
if ! suite "$log/baseline-suite.log"; then
    echo "mutate.sh: the suite fails without a mutant (see $log/baseline-suite.log)" >&2
    exit 2
fi

current_file=""
current_backup=""
restore() {
    if [ -n "$current_file" ]; then
        cp "$current_backup" "$current_file"
        touch "$current_file" # rebuilt from the original (ccache) next time
        rm -f "$current_backup"
        current_file=""
    fi
}
trap restore EXIT
trap 'exit 130' INT TERM

killed=0
survived=0
broken=0
survivors=()
for id in $ids; do
    file=$(helper describe "$mutants" "$id" | cut -f1)
    if [ -z "$file" ]; then
        printf '%-32s %s\n' "$id" "NO SUCH MUTANT"
        broken=$((broken + 1))
        continue
    fi
    current_backup=$work/original.$$
    cp "$src/$file" "$current_backup"
    current_file=$src/$file
    if ! helper apply "$mutants" "$id" "$src" >/dev/null; then
        restore
        printf '%-32s %s\n' "$id" "NOT APPLIED"
        broken=$((broken + 1))
        continue
    fi
    start=$(date +%s)
    if ! compile "$log/$id.build.log"; then
        verdict="DOES NOT COMPILE"
        broken=$((broken + 1))
    elif suite "$log/$id.suite.log"; then
        verdict="survived"
        survived=$((survived + 1))
        survivors+=("$id")
    else
        catchers=$(grep -Eo 'Test +#[0-9]+: [^ ]+ .*(\*\*\*(Failed|Timeout|Exception)|Failed|Timeout)' \
            "$log/$id.suite.log" | sed -E 's/Test +#[0-9]+: ([^ ]+).*/\1/' | sort -u | paste -sd, -)
        verdict="killed${catchers:+ by $catchers}"
        killed=$((killed + 1))
    fi
    restore
    printf '%-32s %4ss  %s\n' "$id" "$(($(date +%s) - start))" "$verdict"
done
# The last mutated file goes back into the build, so the copy is left whole.
compile "$log/final-build.log" || true

total=$((killed + survived))
echo
echo "Mutants: $total run, $killed killed, $survived survived, $broken not run"
if [ "$total" -gt 0 ]; then
    echo "Score: $((killed * 100 / total)) % ($killed of $total)"
fi
if [ "${#survivors[@]}" -gt 0 ]; then
    echo "Survivors:"
    for id in "${survivors[@]}"; do
        printf '  %-32s %s\n' "$id" "$(helper describe "$mutants" "$id" | cut -f2)"
    done
fi
