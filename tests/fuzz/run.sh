#!/bin/sh
# Runs every fuzz target of a native build for a fixed time each, starting from
# its seed corpus in tests/fuzz/corpus/<name>; fails on the first finding.
#   tests/fuzz/run.sh <native build dir> [seconds per target, default 20]
# Run longer by giving more seconds, e.g. tests/fuzz/run.sh build/native 3600.
set -eu
build=$1
seconds=${2:-20}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for target in "$build"/tests/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=${target##*/fuzz_}
    mkdir -p "$work/$name"
    echo "--- fuzz_$name for ${seconds}s"
    # New inputs go to the scratch corpus; findings are written to the scratch folder.
    if "$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$work/" \
        "$work/$name" "$here/corpus/$name" >"$work/$name.log" 2>&1; then
        grep -E '^(Done|stat::number_of_executed_units|stat::average_exec_per_sec)' "$work/$name.log" || true
    else
        status=1
        tail -n 60 "$work/$name.log"
        for crash in "$work"/crash-* "$work"/leak-* "$work"/timeout-*; do
            [ -f "$crash" ] && echo "finding: $crash" && od -c "$crash" | head -n 20
        done
    fi
done
exit $status
