#!/bin/sh
# Signs a Windows program in place, twice over (Authenticode): a signature
# with a SHA-1 file digest, the only digest Windows 2000 and XP before SP3
# verify, and nested in it a second one with a SHA-256 digest for the systems
# that read it; each counter-signed by an RFC 3161 time-stamp server when one
# is given.
#   sign.sh <osslsigncode> <program.exe> <certificate.p12> <password file> [time-stamp URL]
# The password is read from its file by osslsigncode itself, so it is never
# on a command line. The program is replaced only once the signed copy is
# complete.
set -eu
tool=$1 program=$2 pkcs12=$3 password_file=$4 url=${5:-}

# sign <input> <output> <option...>: one signature, or the signing tool's
# message and exit code 1.
sign() {
    input=$1 output=$2
    shift 2
    rm -f "$output"
    set -- sign -pkcs12 "$pkcs12" -readpass "$password_file" "$@" -in "$input" -out "$output"
    [ -n "$url" ] && set -- "$@" -ts "$url"
    if ! "$tool" "$@" >"$program.signing.log" 2>&1; then
        cat "$program.signing.log" >&2
        rm -f "$output" "$program.signing.log" "$program.sha1"
        echo "sign.sh: could not sign $program" >&2
        exit 1
    fi
    rm -f "$program.signing.log"
}

sign "$program" "$program.sha1" -h sha1
sign "$program.sha1" "$program.signing" -nest -h sha256
rm -f "$program.sha1"
mv -f "$program.signing" "$program"
