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
# With a certificate the Windows programs are signed twice (Authenticode): a
# SHA-1 signature, which every Windows verifies, and a nested SHA-256 one:
#   cmake/release.sh --pkcs12 <cert.p12> --password-file <file> [--timestamp-url <RFC 3161 URL>]
# One commit gives the same files wherever and whenever it is built (the
# signatures aside): the PE time stamp is SOURCE_DATE_EPOCH, by default the
# time of the last commit. --reuse-builds builds over the build folders of the
# last run instead of afresh: quicker, for trying the release steps.
#
# Everything is built apart (build/release-x86, build/release-x64,
# build/release-linux, which the script clears: an output folder there is
# refused) into a release folder of its own, <out>/.releases/<name>. The
# files that ship are checked as the build's tests check them (no instruction
# a 386 lacks and the size budget for the x86 Setup.exe, the imports and the
# manifest of both), and only then does cmake/publish-release.sh make that
# release the current one: in <out> each release file is a symbolic link
# through .releases/current, and one rename of that link switches them all.
# Whenever the run ends or is stopped, even by SIGKILL, <out> holds one whole
# release, the last one or the new one, and `sha256sum -c SHA256SUMS` passes
# there. A failed run shows the output of the step that failed, exits with 1
# and leaves the last release as it was. Other files in the output folder are
# never touched.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/dist
pkcs12='' password_file='' url='' reuse=''
absolute() { case $1 in /*) printf '%s' "$1" ;; *) printf '%s/%s' "$(pwd)" "$1" ;; esac; }
while [ $# -gt 0 ]; do
    if [ "$1" = --reuse-builds ]; then reuse=yes; shift; continue; fi
    [ $# -ge 2 ] || { echo "$0: $1 needs a value" >&2; exit 2; }
    case $1 in
    --pkcs12) pkcs12=$(absolute "$2") ;;
    --password-file) password_file=$(absolute "$2") ;;
    --timestamp-url) url=$2 ;;
    --out) out=$(absolute "$2") ;;
    *) echo "usage: $0 [--pkcs12 <file> --password-file <file> [--timestamp-url <URL>]] [--out <folder>]" \
            "[--reuse-builds]" >&2; exit 2 ;;
    esac
    shift 2
done
# The build folders are cleared before each build: a release there would go
# with them.
case $(realpath -m "$out")/ in
"$(realpath -m "$root/build")"/ | "$(realpath -m "$root/build")"/release-*)
    echo "$0: --out $out is in $root/build, whose release folders each build clears; give a folder elsewhere" >&2
    exit 2 ;;
esac
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

# The new release is put together in a folder of its own in the output
# folder (so that publishing it needs no copy), everything else the run needs
# in a work folder beside it; what a stopped run leaves there goes with the
# next release.
created=''
[ -d "$out" ] || { mkdir -p "$out"; created=yes; }
mkdir -p "$out/.releases"
name=$(printf '%.12s' "${commit:-no-commit}")
stage=$(mktemp -d "$out/.releases/$name.XXXXXX")
chmod "$(umask -S)" "$stage"
work=$(mktemp -d "$out/.releases/work.XXXXXX")
log=$work/step.log
# A run that ends before its release is the current one leaves nothing.
cleanup() {
    rm -rf "$work"
    if [ "$(readlink "$out/.releases/current" 2>/dev/null)" != "${stage##*/}" ]; then
        rm -rf "$stage"
        rmdir "$out/.releases" 2>/dev/null || true
        if [ -n "$created" ]; then rmdir "$out" 2>/dev/null || true; fi
    fi
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
    printf 'int main(void) { return 0; }\n' >"$work/probe.c" &&
        i686-w64-mingw32-gcc-posix -Os -s -o "$work/probe.exe" "$work/probe.c" &&
        sh "$root/cmake/sign.sh" "$osslsigncode" "$work/probe.exe" "$pkcs12" "$password_file" ${url:+"$url"}
}

# fresh <build folder>: an empty build folder, or with --reuse-builds the
# one of the last run.
fresh() {
    [ -n "$reuse" ] || rm -rf "$1"
}

# windows <arch> <target...>: the programs of one architecture, symbols split
# off and signed as configured.
windows() {
    build=$root/build/release-$1
    toolchain=$root/cmake/toolchain-mingw-$1.cmake
    shift
    fresh "$build" &&
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
    fresh "$build" &&
        cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF &&
        cmake --build "$build" --target discplan &&
        cmake --install "$build" --prefix "$work/linux" --strip
}

collect() {
    x86=$root/build/release-x86 x64=$root/build/release-x64
    mkdir -p "$stage/x64" "$stage/symbols/x86" "$stage/symbols/x64" &&
        cp "$x86/Setup.exe" "$stage/Setup.exe" &&
        cp "$x86/Setup.exe.debug" "$stage/symbols/x86/Setup.exe.debug" &&
        cp "$x86/discplan/discplan.exe" "$stage/discplan.exe" &&
        cp "$x86/discplan/discplan.exe.debug" "$stage/symbols/x86/discplan.exe.debug" &&
        cp "$x64/Setup.exe" "$stage/x64/Setup.exe" &&
        cp "$x64/Setup.exe.debug" "$stage/symbols/x64/Setup.exe.debug" &&
        cp "$work/linux/bin/discplan" "$stage/discplan" &&
        (cd "$stage" && sha256sum Setup.exe x64/Setup.exe discplan.exe discplan symbols/x86/Setup.exe.debug \
            symbols/x64/Setup.exe.debug symbols/x86/discplan.exe.debug >SHA256SUMS)
}

# check <arch> <what> <file...>: check_binary.py's check <what> of the files,
# with the architecture's objdump (its toolchain's) where the check takes one.
check() {
    objdump=$(sed -n 's/^set(MINGW_PREFIX \(.*\))$/\1/p' "$root/cmake/toolchain-mingw-$1.cmake")-objdump
    kind=$2
    shift 2
    case $kind in processor | imports) set -- "$objdump" "$@" ;; esac
    python3 "$root/tests/static/check_binary.py" "$kind" "$@"
}
budget=$(sed -n 's/^set(SETUP_SIZE_BUDGET \([0-9]*\)).*/\1/p' "$root/tests/static/CMakeLists.txt")

[ -z "$pkcs12" ] || step "checking the certificate, its password and the time-stamp server" sign_probe
step "x86: Setup.exe, discplan.exe" windows x86 Setup discplan
step "x64: Setup.exe" windows x64 Setup
step "Linux: discplan" linux
step "checksums" collect
# The files that ship, as the build's tests check them.
step "check: Setup.exe has no instruction a 386 lacks" check x86 processor "$stage/Setup.exe"
step "check: Setup.exe keeps to the size budget" check x86 size "$stage/Setup.exe" "$budget"
step "check: Setup.exe imports only the system's own DLLs" check x86 imports "$stage/Setup.exe"
step "check: x64/Setup.exe imports only the system's own DLLs" check x64 imports "$stage/x64/Setup.exe"
step "check: Setup.exe's manifest" check x86 manifest "$stage/Setup.exe"
step "check: x64/Setup.exe's manifest" check x64 manifest "$stage/x64/Setup.exe"
step "publishing" sh "$root/cmake/publish-release.sh" "$out" "${stage##*/}"

cd "$out"
echo "release in $out (PE time stamp ${SOURCE_DATE_EPOCH:-none}${commit:+, commit $commit}):"
cat SHA256SUMS
for file in Setup.exe x64/Setup.exe discplan.exe discplan; do
    echo "$file: $(wc -c <"$file") bytes"
done
