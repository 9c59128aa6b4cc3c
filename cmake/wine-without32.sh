#!/bin/sh
# Runs a command as on a machine whose kernel cannot start 32-bit programs,
# as far as Wine goes: Debian's wrappers "wine" and "wine-stable" (which
# every other wrapper, wineboot and regedit among them, goes through) are put
# first on PATH with their 32-bit loader pointed at a program the kernel
# refuses with "Exec format error". Whatever still reaches Wine through a
# wrapper then fails as it would there.
#   wine-without32.sh <dir> <command> [arguments...]
set -eu
dir=$1
shift
mkdir -p "$dir/bin"
# An ELF program for a machine no x86 kernel runs (the 64-bit ARM): exec
# fails with ENOEXEC, the error a kernel without IA-32 emulation gives a
# 32-bit program.
refused=$dir/bin/refused-loader
: >"$refused"
printf '\177\105\114\106\001\001\001\000\000\000\000\000\000\000\000\000' >>"$refused"
printf '\002\000\267\000\001\000\000\000\124\200\004\010\064\000\000\000' >>"$refused"
chmod +x "$refused"
for wrapper in wine wine-stable; do
    sed "s#^wine32=.*#wine32=$refused#" /usr/bin/wine-stable >"$dir/bin/$wrapper"
    chmod +x "$dir/bin/$wrapper"
done
PATH="$dir/bin:$PATH"
export PATH
# The stand-in must really fail as the 32-bit loader does there.
if probe=$(wine --version 2>&1) || ! echo "$probe" | grep -q 'Exec format error'; then
    echo "wine-without32.sh: the wrapper did not fail as on a machine without 32-bit support: $probe" >&2
    exit 1
fi
exec "$@"
