#!/bin/sh
# Builds both architectures and runs every test: the Windows tests of the x64
# build under Wine, those of the x86 build (the one that ships) on 32-bit
# Windows and under WoW64 plus its file checks, the pure code natively under
# AddressSanitizer and UndefinedBehaviorSanitizer, each fuzz target for a
# short fixed time (FUZZ_SECONDS, default 20), and two release builds in two
# folders, which must give the same files.
set -eu
cd "$(dirname "$0")/.."
cmake/install-deps.sh

# The native discplan first: the x64 tests hold it against the real Setup.exe.
echo "=== discplan"
cmake --preset discplan >/dev/null
cmake --build --preset discplan

for preset in x64 x86 native; do
    echo "=== $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    ctest --preset "$preset"
    # A machine that cannot run 32-bit programs skips the x86 Wine tests: say so.
    if [ -f "build/$preset/wine-skipped.txt" ]; then cat "build/$preset/wine-skipped.txt"; fi
done

echo "=== fuzz"
tests/fuzz/run.sh build/native "${FUZZ_SECONDS:-20}"

echo "=== reproducible release"
tests/reproducible.sh
