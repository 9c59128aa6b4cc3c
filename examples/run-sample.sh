#!/bin/sh
# Builds Setup.exe (x64) and runs it under Wine against the sample disc in
# examples/sample-disc, then prints the lines it logged and what it started.
#   examples/run-sample.sh [command line for Setup.exe, e.g. /s]
# The disc holds a product folder (Dusmara) and an engine update program
# (TechSupt\IKernelUpdate\Setup.exe); every program on it is a stand-in that
# only records how it was started.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake/install-deps.sh
cmake --preset x64 >/dev/null
cmake --build --preset x64 --target Setup recorder >/dev/null

build=$root/build/x64
bench=$build/sample-wine
disc=$build/sample-disc
record=$build/sample-disc.record
cmake/wine-bench.sh setup "$bench" >/dev/null
trap 'cmake/wine-bench.sh teardown "$bench"' EXIT

rm -rf "$disc" "$record"
cp -r examples/sample-disc "$disc"
rm "$disc/STANDINS"
grep -v '^#' examples/sample-disc/STANDINS | while read -r standin; do
    [ -n "$standin" ] || continue
    mkdir -p "$(dirname "$disc/$standin")"
    cp "$build/tools/recorder.exe" "$disc/$standin"
done
cp "$build/Setup.exe" "$disc/Setup.exe"

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
set +e
RECORD_FILE=$(winpath "$record") cmake/wine-run.sh "$bench" "$(winpath "$disc/Setup.exe")" "$@"
code=$?
set -e
sleep 1 # programs started without a wait record themselves a moment later

echo "Setup.exe exit code: $code"
printf "%s\n" "--- log (C:\\windows\\temp\\Brivanta.log)"
tr -d '\r' <"$bench/prefix/drive_c/windows/temp/Brivanta.log"
echo "--- started"
if [ -f "$record" ]; then
    tr -d '\r' <"$record" | awk -F '\t' '$1 == "start" { printf "%s\n    command line: %s\n    folder: %s, show state %s\n", $3, $4, $5, $6 }'
else
    echo "(nothing)"
fi
