#!/usr/bin/env bash
# Prints the C++ lines of the tests against those of the program (src, sim,
# demo), counted over the files git knows, and fails when the tests pass a
# third of the program.
set -euo pipefail
cd "$(dirname "$0")/.."

lines() {
    git ls-files -- "$@" | grep -E '\.(cpp|h)$' | xargs -r cat | wc -l
}

program=$(lines src sim demo)
tests=$(lines tests)
limit=$((program / 3))
echo "C++ lines: program (src, sim, demo) $program, tests $tests, limit a third: $limit"
if [ "$tests" -gt "$limit" ]; then
    echo "test-share.sh: the tests are more than a third of the program" >&2
    exit 1
fi
