#!/usr/bin/env bash
# Fails when an engine folder includes one of its own level or above it, or
# when a CMakeLists.txt gathers files with file(GLOB): every library lists its
# sources and the package its files, so that a stray file never joins silently.
#
# The engine's layers, bottom first. A folder may include its own files and
# those of the folders on lower levels, never a folder beside or above it.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A level=(
    [platform]=0
    [core]=1
    [log]=2 [naming]=2 [settings]=2 [report]=2
    [http]=3 [archive]=3
    [listing]=4 [download]=4 [update]=4
    [job]=5
)

failed=0
for dir in src/engine/*/; do
    folder=$(basename "$dir")
    if [ -z "${level[$folder]+set}" ]; then
        echo "check-layers: src/engine/$folder has no level in scripts/check-layers.sh" >&2
        failed=1
        continue
    fi
    while IFS=: read -r file line included; do
        target=${included%%/*}
        [ "$target" = "$folder" ] && continue
        if [ -z "${level[$target]+set}" ] || [ "${level[$target]}" -ge "${level[$folder]}" ]; then
            echo "check-layers: $file:$line includes $included ($folder may include only lower layers)" >&2
            failed=1
        fi
    done < <(grep -n -o -E '^#include "[a-z]+/[^"]+"' "$dir"*.h "$dir"*.cpp 2>/dev/null |
             sed -E 's/^([^:]+):([0-9]+):#include "(.*)"$/\1:\2:\3/')
done

globs=$(git ls-files -- '*CMakeLists.txt' | xargs grep -n -i -E 'file\s*\(\s*GLOB' || true)
if [ -n "$globs" ]; then
    echo "check-layers: list the sources instead of globbing them:" >&2
    echo "$globs" >&2
    failed=1
fi

# Every source a library's folder holds is listed in that folder's CMakeLists.txt.
for folder in src/engine src/window src/headless src/app sim demo; do
    for file in $(git ls-files -- "$folder" | grep -E '\.(cpp|h)$'); do
        listed=${file#"$folder"/}
        if ! grep -q -E "(^|[[:space:](])${listed//./\\.}([[:space:])]|$)" "$folder/CMakeLists.txt"; then
            echo "check-layers: $file is not listed in $folder/CMakeLists.txt" >&2
            failed=1
        fi
    done
done

exit $failed
