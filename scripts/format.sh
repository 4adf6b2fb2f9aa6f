#!/usr/bin/env bash
# Formats the C++ sources with the repository's .clang-format, or with
# --check reports any file that is not formatted and fails.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v clang-format >/dev/null; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends clang-format
fi
mapfile -t files < <(git ls-files '*.h' '*.cpp')
if [ "${1:-}" = "--check" ]; then
    clang-format --dry-run --Werror "${files[@]}"
    echo "formatting: ${#files[@]} files clean"
else
    clang-format -i "${files[@]}"
fi
