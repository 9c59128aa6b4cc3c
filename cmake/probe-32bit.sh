#!/bin/sh
# Can this machine run 32-bit x86 programs? Runs a program of a few bytes
# built for the i386 (it only exits with 0) and exits 0 when it ran, else 1
# with the reason on stderr. The only sure test: the package manager's
# architecture list says what may be installed, not what the kernel starts
# (a 64-bit kernel without IA-32 emulation gives "Exec format error").
#   probe-32bit.sh [PROGRAM]   PROGRAM: try this one instead (a test's refused loader)
set -u
dir=$(mktemp -d) || exit 1
trap 'rm -rf "$dir"' EXIT
# An ELF header for the i386, one loadable segment, then
# mov eax, 1; xor ebx, ebx; int 0x80 (exit(0)).
: >"$dir/probe"
printf '\177\105\114\106\001\001\001\000\000\000\000\000\000\000\000\000' >>"$dir/probe"
printf '\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000' >>"$dir/probe"
printf '\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000' >>"$dir/probe"
printf '\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010' >>"$dir/probe"
printf '\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000' >>"$dir/probe"
printf '\000\020\000\000\270\001\000\000\000\061\333\315\200' >>"$dir/probe"
chmod +x "$dir/probe"
program=${1:-$dir/probe}
if reason=$("$program" 2>&1); then
    exit 0
fi
echo "${reason:-the kernel refused a 32-bit program}" | sed 's/^.*: *\(Exec format error\)/\1/' | head -n 1 >&2
exit 1
