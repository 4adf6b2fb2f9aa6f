#!/usr/bin/env bash
# Formats the C++ sources with the repository's .clang-format, or with
# --check reports any file that is not formatted and fails.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || bash scripts/deps.sh clang-format
mapfile -t files < <(git ls-files '*.h' '*.cpp')
if [ "${1:-}" = "--check" ]; then
    clang-format --dry-run --Werror "${files[@]}"
    echo "formatting: ${#files[@]} files clean"
else
    clang-format -i "${files[@]}"
fi
