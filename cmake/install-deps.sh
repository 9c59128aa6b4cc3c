#!/bin/sh
# Installs what building and testing Setup.exe needs on Debian 12, when it is
# missing. Needs root for apt-get; without root it only says what to install.
set -u
packages="cmake ninja-build g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
          wine64 xvfb xauth googletest python3 clang libclang-rt-14-dev"
# The x86 build's tests run under Wine's 32-bit loader, from the i386 architecture.
i386=""
if [ "$(dpkg --print-architecture)" = amd64 ]; then
    packages="$packages wine32:i386"
    dpkg --print-foreign-architectures | grep -qx i386 || i386="dpkg --add-architecture i386 && "
fi
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" != 0 ]; then
    echo "Missing packages:$missing" >&2
    echo "Install them as root: ${i386}apt-get update && apt-get install -y$missing" >&2
    exit 1
fi
echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
[ -n "$i386" ] && dpkg --add-architecture i386
apt-get update -q >/dev/null && apt-get install -y -q $missing >/dev/null
