#!/usr/bin/env bash
# scripts/package-check.sh takes the mirror from the machine's apt sources,
# in either form, past the security archive; none there, none made up.
set -euo pipefail
check=$(cd "$(dirname "$0")/../.." && pwd)/scripts/package-check.sh
apt=$(mktemp -d)
trap 'rm -rf "$apt"' EXIT
mkdir -p "$apt/sources.list.d"
expect() {
    local got
    got=$(bash "$check" --mirror "$apt")
    [ "$got" = "$1" ] || { echo "mirror: expected '$1', got '$got'"; exit 1; }
}
expect ""
printf '%s\n' "# a comment" "deb http://security.example/debian-security bookworm-security main" \
    "deb [arch=amd64 signed-by=/k.gpg] http://one.example/debian bookworm main" >"$apt/sources.list"
expect http://one.example/debian
rm "$apt/sources.list"
printf '%s\n' "Types: deb" "URIs: http://security.example/debian-security" "Suites: bookworm-security" \
    "Components: main" "" "Types: deb" "URIs: http://two.example/debian" "Suites: bookworm bookworm-updates" \
    "Components: main" >"$apt/sources.list.d/debian.sources"
expect http://two.example/debian
echo "package-check finds the mirror in the apt sources"
