#!/bin/sh
# Builds a release into dist/ (or --out <folder>):
#   Setup.exe                       the x86 launcher, the file that ships
#   x64/Setup.exe                   the x64 launcher
#   discplan.exe                    the disc plan tool, an x86 Windows console program
#   discplan                        the disc plan tool for Linux
#   symbols/x86/Setup.exe.debug     the Windows programs' debug symbols, which
#   symbols/x86/discplan.exe.debug  do not ship
#   symbols/x64/Setup.exe.debug
#   SHA256SUMS                      of all of these
# Each Windows program is stripped and names its symbol file in a debug link.
# With a certificate the Windows programs are signed (Authenticode, SHA-256):
#   cmake/release.sh --pkcs12 <cert.p12> --password-file <file> [--timestamp-url <RFC 3161 URL>]
# One commit gives the same files wherever and whenever it is built (the
# signatures aside): the PE time stamp is SOURCE_DATE_EPOCH, by default the
# time of the last commit.
#
# Everything is built apart, and the release's files in the output folder are
# replaced only once every step has succeeded: a failed run shows the output
# of the step that failed, exits with 1 and leaves the last release as it
# was. Other files in the output folder are never touched.
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
osslsigncode=''
if [ -n "$pkcs12" ]; then
    osslsigncode=$(command -v osslsigncode) ||
        { echo "$0: signing needs osslsigncode (cmake/install-deps.sh installs it)" >&2; exit 1; }
fi

cd "$root"
# A release names the commit it was built from. A work tree with changes, or
# a tree without git (a source archive), gives files no commit gives.
commit=''
if [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$root" ]; then
    commit=$(git rev-parse -q --verify HEAD 2>/dev/null) || commit=''
fi
if [ -n "$commit" ]; then
    [ -n "${SOURCE_DATE_EPOCH:-}" ] || SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
    [ -z "$(git status --porcelain)" ] ||
        echo "warning: the work tree has changes: this is no build of commit $commit" >&2
elif [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
    echo "warning: no git commit here (a source archive?): this is no build of a commit" >&2
else
    echo "warning: no git commit here (a source archive?): this is no build of a commit, and the programs" \
         "carry no time stamp; set SOURCE_DATE_EPOCH (seconds since 1970) to give them one" >&2
fi

files="Setup.exe x64/Setup.exe discplan.exe discplan
       symbols/x86/Setup.exe.debug symbols/x64/Setup.exe.debug symbols/x86/discplan.exe.debug"

# The new release is put together beside the old one, in the same folder, so
# that it takes the old one's place by renames.
created=''
[ -d "$out" ] || { mkdir -p "$out"; created=yes; }
stage=$(mktemp -d "$out/.release.XXXXXX")
log=$stage/step.log
replaced=''
cleanup() {
    rm -rf "$stage"
    if [ -z "$replaced" ] && [ -n "$created" ]; then rmdir "$out" 2>/dev/null || true; fi
}
trap cleanup EXIT
trap 'exit 130' HUP INT PIPE TERM

# step <what> <command...>: one step, its output kept; when it fails, that
# output is shown and the run ends there.
step() {
    what=$1
    shift
    echo "$what"
    if ! "$@" >"$log" 2>&1; then
        cat "$log" >&2
        if [ -n "$created" ]; then
            echo "$0: failed: $what; no release made" >&2
        else
            echo "$0: failed: $what; the release in $out is unchanged" >&2
        fi
        exit 1
    fi
}

# Signing comes minutes into the build, after each link. A program of a few
# bytes signed first shows a wrong password, a missing certificate or a
# time-stamp server that does not answer at once, in the signing tool's words.
sign_probe() {
    printf 'int main(void) { return 0; }\n' >"$stage/probe.c" &&
        i686-w64-mingw32-gcc-posix -Os -s -o "$stage/probe.exe" "$stage/probe.c" &&
        sh "$root/cmake/sign.sh" "$osslsigncode" "$stage/probe.exe" "$pkcs12" "$password_file" ${url:+"$url"}
}

# windows <arch> <target...>: the programs of one architecture, symbols split
# off and signed as configured.
windows() {
    build=$root/build/release-$1
    toolchain=$root/cmake/toolchain-mingw-$1.cmake
    shift
    rm -rf "$build" &&
        cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
            -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
            -DSETUP_DEBUG_SYMBOLS=ON -DSETUP_SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-}" \
            -DSETUP_SIGN_PKCS12="$pkcs12" -DSETUP_SIGN_PASSWORD_FILE="$password_file" \
            -DSETUP_SIGN_TIMESTAMP_URL="$url" &&
        cmake --build "$build" --target "$@"
}

# The Linux discplan, as its install rule puts it in bin/, stripped.
linux() {
    build=$root/build/release-linux
    rm -rf "$build" &&
        cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF &&
        cmake --build "$build" --target discplan &&
        cmake --install "$build" --prefix "$stage/linux" --strip
}

collect() {
    new=$stage/dist
    x86=$root/build/release-x86 x64=$root/build/release-x64
    mkdir -p "$new/x64" "$new/symbols/x86" "$new/symbols/x64" &&
        cp "$x86/Setup.exe" "$new/Setup.exe" &&
        cp "$x86/Setup.exe.debug" "$new/symbols/x86/Setup.exe.debug" &&
        cp "$x86/discplan/discplan.exe" "$new/discplan.exe" &&
        cp "$x86/discplan/discplan.exe.debug" "$new/symbols/x86/discplan.exe.debug" &&
        cp "$x64/Setup.exe" "$new/x64/Setup.exe" &&
        cp "$x64/Setup.exe.debug" "$new/symbols/x64/Setup.exe.debug" &&
        cp "$stage/linux/bin/discplan" "$new/discplan" &&
        (cd "$new" && sha256sum $files >SHA256SUMS)
}

[ -z "$pkcs12" ] || step "checking the certificate, its password and the time-stamp server" sign_probe
step "x86: Setup.exe, discplan.exe" windows x86 Setup discplan
step "x64: Setup.exe" windows x64 Setup
step "Linux: discplan" linux
step "checksums" collect

# Every step succeeded: the new files take the old ones' places, the
# checksums last.
for file in $files SHA256SUMS; do
    mkdir -p "$out/$(dirname "$file")"
    mv -f "$stage/dist/$file" "$out/$file"
done
replaced=yes

cd "$out"
echo "release in $out (PE time stamp ${SOURCE_DATE_EPOCH:-none}${commit:+, commit $commit}):"
cat SHA256SUMS
for file in Setup.exe x64/Setup.exe discplan.exe discplan; do
    echo "$file: $(wc -c <"$file") bytes"
done
