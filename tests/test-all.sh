#!/bin/sh
# Builds both architectures and runs every test: the Windows tests of the x64
# build under Wine, those of the x86 build (the one that ships) on 32-bit
# Windows and under WoW64 plus its file checks, the pure code natively under
# AddressSanitizer and UndefinedBehaviorSanitizer, each fuzz target for a
# short fixed time (FUZZ_SECONDS, default 20), and two release builds in two
# folders, which must give the same files, the release script stopped at each
# step, which must leave one whole release. Ends with a summary of what ran
# and what was skipped, and why.
set -eu
cd "$(dirname "$0")/.."
cmake/install-deps.sh

summary=$(mktemp)
trap 'rm -f "$summary"' EXIT

# The native discplan first: the x64 tests hold it against the real Setup.exe.
echo "=== discplan"
cmake --preset discplan >/dev/null
cmake --build --preset discplan

for preset in x64 x86 native; do
    echo "=== $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    log=build/$preset/ctest.log
    { ctest --preset "$preset"; echo $? >"$log.rc"; } 2>&1 | tee "$log"
    [ "$(cat "$log.rc")" = 0 ] || exit 1
    # CTest's lines: "  1/38 Test  #1: setup_imports ......   Passed    0.02 sec".
    passed=$(sed -n 's/^ *[0-9]*\/[0-9]* Test *#[0-9]*: \([^ ]*\) .*Passed.*/\1/p' "$log" | grep -v '^bench_' | tr '\n' ' ')
    skipped=$(grep -c '\*\*\*Skipped' "$log" || true)
    echo "$preset: $(echo $passed | wc -w) tests passed, $skipped skipped" >>"$summary"
    # A machine that cannot run 32-bit programs skips the x86 Wine tests: say
    # so, and which of the x86 checks, those that need no Wine, still ran.
    if [ -f "build/$preset/wine-skipped.txt" ]; then
        cat "build/$preset/wine-skipped.txt"
        sed "s/^/$preset: /" "build/$preset/wine-skipped.txt" >>"$summary"
        echo "$preset: ran without Wine: $passed" >>"$summary"
    fi
done

echo "=== fuzz"
tests/fuzz/run.sh build/native "${FUZZ_SECONDS:-20}"
echo "fuzz: every target for ${FUZZ_SECONDS:-20} s" >>"$summary"

echo "=== reproducible release"
tests/reproducible.sh
echo "release: built twice, the same files; stopped at each step, one whole release" >>"$summary"

echo "=== summary"
cat "$summary"
