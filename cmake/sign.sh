#!/bin/sh
# Signs a Windows program in place: Authenticode with SHA-256, optionally
# counter-signed by an RFC 3161 time-stamp server.
#   sign.sh <osslsigncode> <program.exe> <certificate.p12> <password file> [time-stamp URL]
# The password is read from its file by osslsigncode itself, so it is never
# on a command line. The program is replaced only once the signed copy is
# complete.
set -eu
tool=$1 program=$2 pkcs12=$3 password_file=$4 url=${5:-}
signed="$program.signing"
rm -f "$signed"
set -- sign -pkcs12 "$pkcs12" -readpass "$password_file" -h sha256 -in "$program" -out "$signed"
[ -n "$url" ] && set -- "$@" -ts "$url"
if ! "$tool" "$@" >"$signed.log" 2>&1; then
    cat "$signed.log" >&2
    rm -f "$signed" "$signed.log"
    echo "sign.sh: could not sign $program" >&2
    exit 1
fi
rm -f "$signed.log"
mv -f "$signed" "$program"
