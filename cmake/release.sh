#!/bin/sh
# Builds a release into dist/ (or --out <folder>):
#   Setup.exe                     the x86 launcher, the file that ships
#   x64/Setup.exe                 the x64 launcher
#   symbols/<arch>/Setup.exe.debug their debug symbols, which do not ship
#   SHA256SUMS                    of all of these
# Each Setup.exe is stripped and names its symbol file in a debug link. With a
# certificate both programs are signed (Authenticode, SHA-256):
#   cmake/release.sh --pkcs12 <cert.p12> --password-file <file> [--timestamp-url <RFC 3161 URL>]
# One commit gives the same files wherever and whenever it is built (the
# signatures aside): the PE time stamp is SOURCE_DATE_EPOCH, by default the
# time of the last commit.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/dist
pkcs12='' password_file='' url=''
absolute() { case $1 in /*) printf '%s' "$1" ;; *) printf '%s/%s' "$(pwd)" "$1" ;; esac; }
while [ $# -gt 0 ]; do
    [ $# -ge 2 ] || { echo "$0: $1 needs a value" >&2; exit 2; }
    case $1 in
    --pkcs12) pkcs12=$(absolute "$2") ;;
    --password-file) password_file=$(absolute "$2") ;;
    --timestamp-url) url=$2 ;;
    --out) out=$(absolute "$2") ;;
    *) echo "usage: $0 [--pkcs12 <file> --password-file <file> [--timestamp-url <URL>]] [--out <folder>]" >&2; exit 2 ;;
    esac
    shift 2
done
if [ -n "$pkcs12" ] && [ -z "$password_file" ]; then
    echo "$0: --pkcs12 needs --password-file (an empty file for no password)" >&2
    exit 2
fi

cd "$root"
if [ -z "${SOURCE_DATE_EPOCH:-}" ] && [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$root" ]; then
    SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
    [ -z "$(git status --porcelain)" ] || echo "warning: the work tree has changes; this is no build of a commit" >&2
fi

files="Setup.exe x64/Setup.exe symbols/x86/Setup.exe.debug symbols/x64/Setup.exe.debug"
mkdir -p "$out/x64" "$out/symbols/x86" "$out/symbols/x64"
(cd "$out" && rm -f $files SHA256SUMS)
for arch in x86 x64; do
    build=$root/build/release-$arch
    rm -rf "$build"
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-$arch.cmake" \
        -DSETUP_DEBUG_SYMBOLS=ON -DSETUP_SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-}" \
        -DSETUP_SIGN_PKCS12="$pkcs12" -DSETUP_SIGN_PASSWORD_FILE="$password_file" \
        -DSETUP_SIGN_TIMESTAMP_URL="$url" >/dev/null
    cmake --build "$build" --target Setup >/dev/null
    target=$out/$arch
    [ "$arch" = x86 ] && target=$out
    cp "$build/Setup.exe" "$target/Setup.exe"
    cp "$build/Setup.exe.debug" "$out/symbols/$arch/Setup.exe.debug"
done

cd "$out"
sha256sum $files >SHA256SUMS
echo "release in $out (PE time stamp ${SOURCE_DATE_EPOCH:-none}):"
cat SHA256SUMS
for file in Setup.exe x64/Setup.exe; do
    echo "$file: $(wc -c <"$file") bytes"
done
