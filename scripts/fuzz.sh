#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang into build-fuzz and runs each for
# the given seconds (default 600), as many at a time as there are cores
# (FUZZ_JOBS to choose).
# Installs clang and its runtime libraries when missing: only fuzzing needs
# them, so the normal dependencies stay light. Exits non-zero on a finding;
# the inputs that found something are under build-fuzz/findings/<name>/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"
harnesses=(fuzz_scraping fuzz_layouts fuzz_numbers fuzz_charset fuzz_domainlist)

bash scripts/deps.sh clang libclang-rt-14-dev

cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMORVANE_FUZZ=ON -DMORVANE_BUILD_TESTS=OFF -DMORVANE_BUILD_BENCH=OFF
cmake --build build-fuzz -j"$(nproc)" --target "${harnesses[@]}"

run() {
    local name="$1" dict=()
    # The seeds stay as committed; what the fuzzer learns goes to build-fuzz.
    mkdir -p "build-fuzz/corpus/$name" "build-fuzz/findings/$name"
    [ -f "fuzz/${name#fuzz_}.dict" ] && dict=(-dict="fuzz/${name#fuzz_}.dict")
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        "build-fuzz/fuzz/$name" "build-fuzz/corpus/$name" "fuzz/corpus/$name" "${dict[@]}" \
        -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
        -artifact_prefix="build-fuzz/findings/$name/" >"build-fuzz/$name.log" 2>&1 || true
    local runs
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "build-fuzz/$name.log" | grep -o '[0-9]*$' || echo "?")
    echo "$name: $runs runs, $(ls "build-fuzz/findings/$name" | wc -l) findings, $(ls "build-fuzz/corpus/$name" | wc -l) corpus inputs"
}
export -f run
export seconds
printf '%s\n' "${harnesses[@]}" | xargs -P "${FUZZ_JOBS:-$(nproc)}" -I{} bash -c 'run {}'

found=0
for name in "${harnesses[@]}"; do
    for f in "build-fuzz/findings/$name"/*; do
        [ -e "$f" ] || continue
        found=1
        echo "finding: $f (log: build-fuzz/$name.log)"
    done
done
exit "$found"
