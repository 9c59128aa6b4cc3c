#!/bin/sh
# Installs what building and testing Setup.exe needs on Debian 12, when it is
# missing. Needs root for apt-get; without root it only says what to install.
set -u
# llvm: llvm-addr2line, which names the functions of the release's symbol
# files. The next two lines: discplan's JSON, and the tools the disc
# reader's tests master images with and read them with independently
# (libudfread for the tests alone: discplan reads images with its own
# reader). The last: discplan's JUnit XML (RapidXml), and what its test
# reads the JUnit XML and renders the HTML page with.
packages="cmake ninja-build g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
          wine64 xvfb xauth googletest python3 clang libclang-rt-14-dev locales
          osslsigncode openssl llvm
          pkgconf nlohmann-json3-dev libudfread-dev
          xorriso genisoimage 7zip python3-pycdlib udftools
          librapidxml-dev python3-junitparser chromium"
# The x86 build's tests run under Wine's 32-bit loader, from the i386
# architecture, where the kernel starts 32-bit programs: tried, since the
# architecture list only says what may be installed. Elsewhere wine32 is left
# out (its wrappers would pick a loader that cannot start) and the x86 Wine
# tests are skipped.
i386=""
if [ "$(dpkg --print-architecture)" = amd64 ]; then
    if why=$("$(dirname "$0")/probe-32bit.sh" 2>&1); then
        packages="$packages wine32:i386"
        dpkg --print-foreign-architectures | grep -qx i386 || i386="dpkg --add-architecture i386 && "
    else
        echo "Leaving wine32 out: this machine cannot run 32-bit programs ($why); the x86 Wine tests will be skipped."
    fi
fi
# Unix locales the tests run Wine in: without one, Wine misreads non-ASCII
# arguments; the display language tests put Japanese messages over an English
# character type (Wine reads LC_MESSAGES and LC_CTYPE). Each gives Wine its
# ANSI code page: 1252, 1250 (pl_PL), 1251 (ru_RU), 932 (ja_JP).
locales="de_DE en_US ja_JP pl_PL ru_RU"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
missing_locales=""
for l in $locales; do
    locale -a 2>/dev/null | grep -qix "$l.utf-\?8" || missing_locales="$missing_locales $l"
done
[ -z "$missing$missing_locales" ] && exit 0
if [ "$(id -u)" != 0 ]; then
    [ -n "$missing" ] && echo "Missing packages:$missing" >&2 &&
        echo "Install them as root: ${i386}apt-get update && apt-get install -y$missing" >&2
    [ -n "$missing_locales" ] && echo "Missing locales:$missing_locales (UTF-8; generate them with localedef)" >&2
    exit 1
fi
if [ -n "$missing" ]; then
    echo "Installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    [ -n "$i386" ] && dpkg --add-architecture i386
    apt-get update -q >/dev/null && apt-get install -y -q $missing >/dev/null || exit 1
fi
for l in $missing_locales; do
    echo "Generating locale $l.UTF-8"
    localedef -i "$l" -f UTF-8 "$l.UTF-8"
done
exit 0
