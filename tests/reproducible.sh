#!/bin/sh
# Builds the release twice, from two copies of the source tree in folders of
# different names, one after the other, and fails unless both give the same
# files (cmake/release.sh, unsigned): the same commit must give the same
# Setup.exe, discplan.exe, Linux discplan and symbol files wherever and
# whenever it is built. (The release script itself holds the shipping x86
# file, which carries its debug link, to the size budget.) The README's recipe
# for a crash address must name the function and line on the release's symbol
# files. Then, on the first copy's build, the release script is stopped by
# SIGKILL at each of its steps and at each change it makes in the output
# folder, which must hold one whole release after each stop
# (tests/release_kill.py).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
if [ -z "${SOURCE_DATE_EPOCH:-}" ] && git rev-parse --git-dir >/dev/null 2>&1; then
    SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
    export SOURCE_DATE_EPOCH
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for copy in one second-copy; do
    mkdir "$work/$copy"
    if git rev-parse --git-dir >/dev/null 2>&1; then
        git ls-files -z -co --exclude-standard | tar -cf - --null -T - | tar -xf - -C "$work/$copy"
    else
        tar -cf - --exclude=./build --exclude=./dist . | tar -xf - -C "$work/$copy"
    fi
    # The copies have no git: each build warns that it is no build of a commit.
    "$work/$copy/cmake/release.sh" >/dev/null
done
cat "$work/one/dist/SHA256SUMS"
if ! cmp -s "$work/one/dist/SHA256SUMS" "$work/second-copy/dist/SHA256SUMS"; then
    echo "FAIL: the second build differs:" >&2
    diff "$work/one/dist/SHA256SUMS" "$work/second-copy/dist/SHA256SUMS" >&2
    exit 1
fi
echo "both builds identical"
check=tests/static/check_binary.py
# A plain function, and a clone made by the link-time optimisation, whose
# debug information names no function.
python3 $check symbols i686-w64-mingw32- "$work/one/dist/symbols/x86/Setup.exe.debug" LaunchCmdline LaunchSilent
python3 $check symbols x86_64-w64-mingw32- "$work/one/dist/symbols/x64/Setup.exe.debug" LaunchCmdline LaunchSilent
python3 tests/release_kill.py "$work/one"
