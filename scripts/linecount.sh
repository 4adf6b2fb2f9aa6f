#!/usr/bin/env bash
# Non-blank lines of C++ in the tests and in the rest of the tree (the
# program's libraries, its entry point, benchmarks and fuzz harnesses), and
# their ratio: the project keeps tests at a quarter to a third of the code.
set -euo pipefail
cd "$(dirname "$0")/.."
count() { git ls-files -- "$@" | grep -E '\.(h|cpp)$' | xargs cat 2>/dev/null | grep -cv '^[[:space:]]*$' || true; }
tests=$(count tests)
code=$(count . ':!tests')
echo "test lines: $tests"
echo "code lines: $code"
awk -v t="$tests" -v c="$code" 'BEGIN { printf "ratio: %.3f\n", t / c }'
